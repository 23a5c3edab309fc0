// The ESC view against the simulated instrument: what it reads, how both
// grids and the polarity and margin show it, a file that holds exactly the
// bytes received and shows the same again, also when nothing was read.
#include "views/esc_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

#include "base/text_table.h"
#include "files/record_file.h"
#include "params/window_table.h"
#include "support/view_test_env.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/grid_view.h"

namespace orvadw {
namespace {

using test::ViewTestEnv;
using Bytes = std::vector<std::uint8_t>;
using Grid = std::vector<std::vector<std::string>>;
constexpr auto kReverse = EscTables::Polarity::kReverse;
constexpr auto kNormal = EscTables::Polarity::kNormal;

constexpr int kEscRegisters = 62;

// Reverse: two entries, the end mark, then a stale entry; normal: one.
Bytes esc_image() {
  Bytes image(2 * kEscRegisters, 0);
  const Bytes reverse = {4, 50, 0x41, 0x20, 0x00, 0x00,   // 10.000
                         3, 51, 0x41, 0x24, 0x00, 0x00,   // 10.250
                         0, 0,  0,    0,    0,    0,      // end
                         9, 99, 0x42, 0x00, 0x00, 0x00};  // never shown
  std::copy(reverse.begin(), reverse.end(), image.begin());
  const Bytes normal = {1, 38, 0x3F, 0xC0, 0x00, 0x00};  // 1.500
  std::copy(normal.begin(), normal.end(), image.begin() + 60);
  image[120] = 0;
  image[122] = 15;
  return image;
}

class EscViewTest : public ::testing::Test {
 protected:
  void SetUp() override { master.set_answer_timeout(150); }
  std::unique_ptr<EscView> open(int mode, const std::string& path = {}) {
    auto view = std::make_unique<EscView>(&master, mode, nullptr, path, env.configuration_path());
    view->set_timeouts(150, 150);
    view->show();  // a view whose start-up fails closes instead
    return view;
  }
  // The header row and the rows that hold an entry.
  static Grid shown(EscView& view, EscTables::Polarity polarity) {
    const GridTable& grid = view.tables().grid(polarity);
    Grid out{grid.row(0)};
    for (int r : grid.filled_rows()) out.push_back(grid.row(r));
    return out;
  }
  static std::string text(EscView& view, int control) { return view.fields().field(control)->value_text(); }
  static bool visible(EscView& view, int control) {
    auto* button = view.findChild<QAbstractButton*>(control_name(control));
    return button != nullptr && !button->isHidden();
  }
  static Bytes record(const std::string& path, int index) {
    RecordFile file;
    std::string header;
    DateTime saved;
    Bytes bytes;
    if (file.open(path, false) != 0 || file.read_header(header, saved) != 0 ||
        file.read_record(index, bytes) != 0) {
      return {};
    }
    return bytes;
  }

  ViewTestEnv env;
  JBusMaster master;
};

TEST_F(EscViewTest, ReadsBothBlocksShowsBothTablesAndSavesTheBytesAsReceived) {
  auto instrument = env.attach();
  instrument->set_registers(block::kEsc, esc_image());
  auto view = open(1);
  EXPECT_TRUE(view->isVisible()) << "the view stays open";
  EXPECT_TRUE(view->unbound_controls().empty());
  EXPECT_EQ(instrument->counters().requests, 3u) << "0xFF00, 0x100, 0xB00";
  EXPECT_EQ(view->windowTitle().toStdString(), text_of(204, kEnglish));
  EXPECT_EQ(view->status_line()->text().toStdString(), text_of(235, kEnglish));

  const Grid reverse = {
      {"Reverse", "Number", "Min Gain(dB)", "Value(µs)"},
      {"1", "4", "50", "10.000"},
      {"2", "3", "51", "10.250"},
  };
  const Grid normal = {{"Normal", "Number", "Min Gain(dB)", "Value(µs)"}, {"1", "1", "38", "1.500"}};
  EXPECT_EQ(shown(*view, kReverse), reverse);
  EXPECT_EQ(shown(*view, kNormal), normal);
  EXPECT_EQ(&view->binder()->grid(1293)->table(), &view->tables().grid(kReverse)) << "shown on the right";
  EXPECT_EQ(view->tables().grid(kReverse).rows(), 11);
  EXPECT_EQ(text(*view, 1180), "Reverse");
  EXPECT_EQ(text(*view, 1130), "15");
  EXPECT_FALSE(visible(*view, SettingsFamilyDialog::kTransferButton)) << "the view never writes";
  EXPECT_FALSE(visible(*view, SettingsFamilyDialog::kCompareButton));
  EXPECT_TRUE(visible(*view, SettingsFamilyDialog::kSaveButton));
  EXPECT_TRUE(visible(*view, SettingsFamilyDialog::kPrintButton));

  // The tables' bytes belong to no field: the file must hold them as sent,
  // the stale entry after the end mark included.
  const std::string path = env.file("site.esc");
  env.files.queue_answer(QString::fromStdString(path));
  view->press_save();
  EXPECT_EQ(record(path, 1), instrument->registers(block::kEsc, kEscRegisters));
  EXPECT_EQ(record(path, 0), instrument->registers(block::kMeasure, view->fields().block_words(block::kMeasure)));

  // The instrument changes; the file still shows what was saved.
  instrument->set_registers(block::kEsc, Bytes(2 * kEscRegisters, 0));
  const unsigned before = instrument->counters().requests;
  auto loaded = open(4, path);
  EXPECT_TRUE(loaded->isVisible());
  EXPECT_EQ(instrument->counters().requests, before) << "a file view asks the instrument nothing";
  EXPECT_EQ(shown(*loaded, kReverse), reverse);
  EXPECT_EQ(shown(*loaded, kNormal), normal);
  EXPECT_EQ(text(*loaded, 1130), "15");
  EXPECT_TRUE(loaded->windowTitle().contains(QString::fromStdString(path)))
      << loaded->windowTitle().toStdString();
  EXPECT_FALSE(loaded->fields().has_changes());
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(EscViewTest, ANewViewSavesAFileOfTheRightSizeThatLoadsBack) {
  // Nothing read: the headers alone, and a file of the right size.
  auto fresh = open(2);
  EXPECT_EQ(shown(*fresh, kReverse).size(), 1u);
  const std::string empty = env.file("empty.esc");
  env.files.queue_answer(QString::fromStdString(empty));
  fresh->press_save();
  const Bytes image = record(empty, 1);
  ASSERT_EQ(image.size(), 2u * kEscRegisters);
  EXPECT_EQ(image[122], 12) << "the margin's initial value";
  auto reopened = open(4, empty);
  EXPECT_TRUE(reopened->isVisible());
  EXPECT_EQ(text(*reopened, 1130), "12");
}

}  // namespace
}  // namespace orvadw

// The ESC view against the simulated instrument: what it reads, how both
// grids and the polarity and margin show it, a file that holds exactly the
// bytes received and shows the same again, and files and lines it must
// refuse without damage.
#include "views/esc_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>

#include "base/text_table.h"
#include "dialogs/settings_dialog.h"
#include "files/record_file.h"
#include "params/window_table.h"
#include "support/view_test_env.h"
#include "tests/support/file_contents.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/grid_view.h"

namespace orvadw {
namespace {

using test::ViewTestEnv;
using Bytes = std::vector<std::uint8_t>;
using Grid = std::vector<std::vector<std::string>>;

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
  static Grid shown(EscView& view, int control) {
    Grid out;
    GridView* grid = view.binder()->grid(control);
    if (grid == nullptr) return out;
    for (int r = 0; r < grid->rows(); ++r) {
      std::vector<std::string> row;
      for (int c = 0; c < grid->columns(); ++c) row.push_back(grid->cell(r, c).toStdString());
      out.push_back(row);
    }
    return out;
  }
  static QString text(EscView& view, int control) {
    auto* label = qobject_cast<QLabel*>(view.binder()->value_widget(*view.fields().field(control)));
    return label != nullptr ? label->text() : QString();
  }
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
      {"", "", "", ""}, {"", "", "", ""}, {"", "", "", ""}, {"", "", "", ""},
      {"", "", "", ""}, {"", "", "", ""}, {"", "", "", ""}, {"", "", "", ""},
  };
  EXPECT_EQ(shown(*view, 1293), reverse);
  const Grid normal = shown(*view, 1294);
  ASSERT_EQ(normal.size(), 11u);
  EXPECT_EQ(normal[0][0], "Normal");
  EXPECT_EQ(normal[1], (std::vector<std::string>{"1", "1", "38", "1.500"}));
  EXPECT_EQ(normal[2][0], "");
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
  EXPECT_EQ(shown(*loaded, 1293), reverse);
  EXPECT_EQ(shown(*loaded, 1294), normal);
  EXPECT_EQ(text(*loaded, 1130), "15");
  EXPECT_TRUE(loaded->windowTitle().contains(QString::fromStdString(path)))
      << loaded->windowTitle().toStdString();
  EXPECT_FALSE(loaded->fields().has_changes());
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(EscViewTest, ANewViewSavesAFileItCanLoadAndBadFilesAndLinesAreRefused) {
  // Nothing read: the headers alone, and a file of the right size.
  auto fresh = open(2);
  EXPECT_EQ(shown(*fresh, 1293)[0][0], "Reverse");
  EXPECT_TRUE(fresh->tables().grid(EscTables::Polarity::kReverse).filled_rows().empty());
  const std::string empty = env.file("empty.esc");
  env.files.queue_answer(QString::fromStdString(empty));
  fresh->press_save();
  const Bytes image = record(empty, 1);
  ASSERT_EQ(image.size(), 2u * kEscRegisters);
  EXPECT_EQ(image[122], 12) << "the margin's initial value";
  auto reopened = open(4, empty);
  EXPECT_TRUE(reopened->isVisible());
  EXPECT_EQ(text(*reopened, 1130), "12");

  // A file cut inside its table record.
  const std::string whole = test::read_file(empty);
  const std::string cut = env.file("cut.esc");
  ASSERT_TRUE(test::write_file(cut, whole.substr(0, whole.size() - 30)));
  env.messages.clear();
  auto refused = open(4, cut);
  EXPECT_FALSE(refused->isVisible());
  ASSERT_EQ(env.messages.box_texts().size(), 1u);
  EXPECT_EQ(env.messages.box_texts()[0].toStdString(), text_of(68, kEnglish));

  // A settings file: its records are not the ESC blocks.
  auto instrument = env.attach();
  auto settings = std::make_unique<SettingsDialog>(&master, 65, nullptr, env.file("site.eta"),
                                                   env.configuration_path());
  ASSERT_EQ(settings->exec(), QDialog::Accepted);
  env.messages.clear();
  EXPECT_FALSE(open(4, env.file("site.eta"))->isVisible());
  EXPECT_EQ(env.messages.box_texts().size(), 1u);

  // An instrument that does not answer: the message, and the view closes.
  sim::FaultOptions silent;
  silent.drop = 1.0;
  env.attach(ViewTestEnv::manual(), silent);
  env.messages.clear();
  EXPECT_FALSE(open(1)->isVisible());
  ASSERT_EQ(env.messages.box_texts().size(), 1u);
  EXPECT_EQ(env.messages.box_texts()[0].toStdString(), text_of(73, kEnglish));
}

}  // namespace
}  // namespace orvadw

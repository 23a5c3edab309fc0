// The comparison from a settings window's compare button to the differences
// dialog, against the in-process simulated instrument: what the dialog
// lists, that it lists what `orvadw-cli diff` lists for the same file and
// instrument, the lines only the printed copy shows, and how the windows
// close.
#include "dialogs/differences_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <sstream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/settings_family_hooks.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "params/settings_rules.h"
#include "params/window_table.h"
#include "sim/sim_bus.h"
#include "support/dialog_test_env.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"
#include "ui/grid_view.h"

namespace orvadw {
namespace {

using test::DialogTestEnv;

// What the differences dialog showed while it was open.
struct Seen {
  bool shown = false;
  QString title;
  QString reference_name;
  QString actual_name;
  std::vector<std::vector<std::string>> rows;
  bool unit_line_visible = true;
  std::string unit_line;
  std::string signature_line;
  bool buttons_visible = false;
};

class DifferencesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.valid());
    instrument = env.attach();
    env.set_link(test::kSimCom - 1, 7, 1);
    install_parameter_compare_hook(show_parameter_differences_dialog);
  }
  void TearDown() override {
    install_parameter_compare_hook({});
    master.disconnect();
  }

  std::unique_ptr<SettingsDialog> settings(int mode, const std::string& file = {}) {
    auto window = std::make_unique<SettingsDialog>(&master, mode, nullptr, file, env.configuration_path());
    window->set_timeouts(250, 250);
    window->show();
    return window;
  }
  std::string saved_file(const std::string& name) {
    auto reader = settings(1);
    const std::string file = env.folder() + "/" + name;
    env.files.queue_answer(QString::fromStdString(file));
    reader->press_save();
    return file;
  }
  void set_parameter_bytes(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    auto image = instrument->registers(block::kParameters, 50);
    for (const auto& [at, value] : bytes) image[static_cast<std::size_t>(at)] = value;
    instrument->set_registers(block::kParameters, image);
  }

  // Presses compare on window with file chosen in the open dialog; reads
  // the differences dialog when it comes and closes it with its OK button.
  Seen compare(SettingsDialog& window, const std::string& file) {
    Seen seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<DifferencesDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      if (seen.shown) {
        dialog->done(QDialog::Rejected);  // OK did not close it: do not hang
        return;
      }
      seen.shown = true;
      seen.title = dialog->windowTitle();
      auto text = [dialog](int control) {
        return qobject_cast<QLabel*>(dialog->binder()->value_widget(*dialog->fields().field(control)))->text();
      };
      seen.reference_name = text(DifferencesSheet::kReferenceName);
      seen.actual_name = text(DifferencesSheet::kActualName);
      GridView* grid = dialog->binder()->grid(DifferencesSheet::kGridControl);
      for (int r = 0; grid != nullptr && r < grid->rows(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < grid->columns(); ++c) row.push_back(grid->cell(r, c).toStdString());
        seen.rows.push_back(row);
      }
      const ParameterField& unit_line = *dialog->fields().field(DifferencesSheet::kUnitNumberLine);
      seen.unit_line_visible = dialog->binder()->value_widget(unit_line)->isVisible();
      seen.unit_line = unit_line.value_text();
      seen.signature_line = dialog->fields().field(DifferencesSheet::kSignatureLine)->value_text();
      auto* print = dialog->findChild<QAbstractButton*>(control_name(DifferencesDialog::kPrintButton));
      auto* ok = dialog->findChild<QAbstractButton*>(control_name(DifferencesDialog::kOkButton));
      seen.buttons_visible = print != nullptr && ok != nullptr && print->isVisible() && ok->isVisible();
      if (ok != nullptr) ok->click();
    });
    watch.start(10);
    env.files.queue_answer(QString::fromStdString(file));
    window.press_compare();
    return seen;
  }

  // `orvadw-cli diff` of the file against the same instrument.
  std::vector<std::string> cli_diff(const std::string& file) {
    std::ostringstream out, err;
    cli::run_cli({"--port", "sim:" + env.sim_name(), "--baud-index", "7", "diff", "--window", "settings", file},
                 out, err);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  DialogTestEnv env;
  std::shared_ptr<sim::SimulatedInstrument> instrument;
  JBusMaster master;
};

TEST_F(DifferencesDialogTest, TheChosenFileAgainstTheInstrumentListsWhatTheCommandLineLists) {
  set_parameter_bytes({{18, 0}});  // relay 1 open: its threshold is hidden
  const std::string file = saved_file("site.eta");
  // Since then: another JBus number and TX period, and a threshold that the
  // relay type hides.
  set_parameter_bytes({{1, 9}, {32, 0x17}, {33, 0x70}, {21, 0x40}});

  auto window = settings(1);
  const Seen seen = compare(*window, file);
  ASSERT_TRUE(seen.shown) << "the differences dialog did not come";
  EXPECT_EQ(seen.title.toStdString(), text_of(216, kEnglish));
  EXPECT_EQ(seen.reference_name.toStdString(), file);
  EXPECT_EQ(seen.actual_name.toStdString(), "Serial Link");
  const std::vector<std::vector<std::string>> expected = {
      {"Parameters", "Reference", "Actual", "Unit"},
      {"N. JBus", "1", "9", ""},
      {"Period TX", "5000", "6000", text_of(237, kEnglish)},
  };
  EXPECT_EQ(seen.rows, expected);
  EXPECT_FALSE(seen.unit_line_visible) << "only the printed copy shows it";
  EXPECT_EQ(seen.unit_line, text_of(236, kEnglish));
  EXPECT_EQ(seen.signature_line, text_of(242, kEnglish));
  EXPECT_TRUE(seen.buttons_visible);
  EXPECT_FALSE(window->isVisible()) << "the window closes after a comparison";

  // One comparison for both: the same fields, texts and order.
  const std::vector<std::string> lines = cli_diff(file);
  ASSERT_EQ(lines.size(), seen.rows.size() - 1);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto& row = seen.rows[i + 1];
    EXPECT_EQ(lines[i], row[0] + ": " + row[1] + " -> " + row[2]);
  }
}

TEST_F(DifferencesDialogTest, IdenticalValuesGiveTheHeaderAloneAndAFileIsNamedByItsPath) {
  const std::string file = saved_file("same.eta");
  auto from_instrument = settings(1);
  const Seen same = compare(*from_instrument, file);
  ASSERT_TRUE(same.shown);
  EXPECT_EQ(same.rows.size(), 1u) << "the header row alone";

  // Values loaded from a file are named by that file.
  const std::string other = saved_file("other.eta");
  auto from_file = settings(4, other);
  const Seen named = compare(*from_file, file);
  ASSERT_TRUE(named.shown);
  EXPECT_EQ(named.actual_name.toStdString(), other);
  EXPECT_EQ(named.rows.size(), 1u);
  EXPECT_TRUE(env.messages.box_texts().empty());
}

}  // namespace
}  // namespace orvadw

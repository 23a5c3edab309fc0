// The comparison from a settings window's compare button to the differences
// dialog, against the in-process simulated instrument: what the dialog
// lists, that it lists what `orvadw-cli diff` lists for the same file and
// instrument, the lines only the printed copy shows, and how the windows
// close.
#include "dialogs/differences_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <sstream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/settings_family_hooks.h"
#include "link/jbus_master.h"
#include "params/window_table.h"
#include "support/dialog_test_env.h"
#include "ui/dialog_template_registry.h"
#include "ui/field_binder.h"

namespace orvadw {
namespace {

// What the differences dialog held while it was open.
struct Seen {
  bool shown = false;
  std::string title, reference_name, actual_name, unit_line;
  bool unit_line_visible = true;
  std::vector<std::vector<std::string>> rows;
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
      seen.title = dialog->windowTitle().toStdString();
      auto text = [dialog](int control) { return dialog->fields().field(control)->value_text(); };
      seen.reference_name = text(DifferencesSheet::kReferenceName);
      seen.actual_name = text(DifferencesSheet::kActualName);
      seen.unit_line = text(DifferencesSheet::kUnitNumberLine);
      const ParameterField& unit_line = *dialog->fields().field(DifferencesSheet::kUnitNumberLine);
      seen.unit_line_visible = dialog->binder()->value_widget(unit_line)->isVisible();
      const GridTable& grid = dialog->sheet().grid();
      for (int r = 0; r < grid.rows(); ++r) seen.rows.push_back(grid.row(r));
      dialog->findChild<QAbstractButton*>(control_name(DifferencesDialog::kOkButton))->click();
    });
    watch.start(10);
    env.files.queue_answer(QString::fromStdString(file));
    window.press_compare();
    return seen;
  }

  test::DialogTestEnv env;
  std::shared_ptr<sim::SimulatedInstrument> instrument;
  JBusMaster master;
};

TEST_F(DifferencesDialogTest, TheChosenFileAgainstTheInstrumentListsWhatTheCommandLineLists) {
  auto image = instrument->registers(block::kParameters, 50);
  image[18] = 0;  // relay 1 open: its threshold is hidden
  instrument->set_registers(block::kParameters, image);
  const std::string file = env.folder() + "/site.eta";
  env.files.queue_answer(QString::fromStdString(file));
  settings(1)->press_save();
  // Since then: another JBus number and TX period, and a threshold that the
  // relay type hides.
  image[1] = 9;
  image[32] = 0x17;
  image[33] = 0x70;
  image[21] = 0x40;
  instrument->set_registers(block::kParameters, image);

  auto window = settings(1);
  const Seen seen = compare(*window, file);
  ASSERT_TRUE(seen.shown) << "the differences dialog did not come";
  EXPECT_EQ(seen.title, text_of(216, kEnglish));
  EXPECT_EQ(seen.reference_name, file);
  EXPECT_EQ(seen.actual_name, "Serial Link");
  const std::vector<std::vector<std::string>> expected = {
      {"Parameters", "Reference", "Actual", "Unit"},
      {"N. JBus", "1", "9", ""},
      {"Period TX", "5000", "6000", text_of(237, kEnglish)},
  };
  EXPECT_EQ(seen.rows, expected);
  EXPECT_FALSE(seen.unit_line_visible) << "only the printed copy shows it";
  EXPECT_EQ(seen.unit_line, text_of(236, kEnglish));
  EXPECT_FALSE(window->isVisible()) << "the window closes after a comparison";

  // One comparison for both: the same fields, texts and order.
  std::ostringstream out, err;
  cli::run_cli({"--port", "sim:" + env.sim_name(), "--baud-index", "7", "diff", "--window", "settings", file},
               out, err);
  std::ostringstream rows;
  for (std::size_t i = 1; i < seen.rows.size(); ++i)
    rows << seen.rows[i][0] << ": " << seen.rows[i][1] << " -> " << seen.rows[i][2] << "\n";
  EXPECT_EQ(out.str(), rows.str());

  // The file against itself: the header row alone, the actual side named
  // by its file.
  auto loaded = settings(4, file);
  const Seen same = compare(*loaded, file);
  ASSERT_TRUE(same.shown);
  EXPECT_EQ(same.rows.size(), 1u);
  EXPECT_EQ(same.actual_name, file);
  EXPECT_TRUE(env.messages.box_texts().empty());
}

}  // namespace
}  // namespace orvadw

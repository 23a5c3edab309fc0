#pragma once
// What the communicating-dialog tests share: a private configuration file,
// the simulated instrument on a COM number of its own, scripted message and
// file dialogs, a test form with three edit fields over block 0x1000 and a
// firmware label, and a dialog that counts its hooks.
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/communicating_dialog.h"
#include "params/parameter_descriptor.h"
#include "sim/fault_options.h"
#include "sim/simulated_instrument.h"
#include "ui/scripted_file_dialog_service.h"
#include "ui/scripted_message_service.h"

namespace orvadw::test {

inline constexpr int kFormTemplate = 9301;  // the dialog's own form
inline constexpr int kPageTemplate = 9302;  // one tab page
inline constexpr int kFieldA = 9401;        // U16 at byte 0 of block 0x1000
inline constexpr int kFieldB = 9402;        // U16 at byte 2
inline constexpr int kFieldC = 9403;        // U16 at byte 4
inline constexpr int kPageField = 9501;     // U16 at byte 6, on page 0
inline constexpr int kSimCom = 41;          // the COM number of the simulator
inline constexpr int kParameterBlock = 0x1000;

void register_dialog_test_templates();
// The three edit fields and the firmware label row.
std::vector<ParameterDescriptor> form_table();
ParameterDescriptor page_field();

// A dialog that records its hooks.
class RecordingDialog : public CommunicatingDialog {
 public:
  using CommunicatingDialog::CommunicatingDialog;
  using CommunicatingDialog::store_answer;

  struct Call {
    int control;
    qint64 parameter;
  };
  int edit_done = 0;
  std::vector<Call> clicks;
  std::vector<Call> focus_lost;

 protected:
  int on_edit_done() override {
    ++edit_done;
    return 0;
  }
  void on_button_click(int control, qint64 parameter) override {
    clicks.push_back({control, parameter});
  }
  void on_button_focus_lost(int control, qint64 parameter) override {
    focus_lost.push_back({control, parameter});
  }
};

class DialogTestEnv {
 public:
  DialogTestEnv();
  ~DialogTestEnv();
  DialogTestEnv(const DialogTestEnv&) = delete;
  DialogTestEnv& operator=(const DialogTestEnv&) = delete;

  bool valid() const { return dir_.isValid(); }
  const std::string& configuration_path() const { return configuration_path_; }
  std::string folder() const { return dir_.path().toStdString(); }

  // Com settings of the configuration (as a person would store them).
  void set_link(double port, double bauds, double jbus);
  // Makes COM<com> reach the simulator too.
  void map_com(int com);
  // The simulator's name on the in-process wire ("sim:" + name reaches it).
  const std::string& sim_name() const { return sim_name_; }
  // The simulated instrument behind COM kSimCom.
  std::shared_ptr<sim::SimulatedInstrument> attach(const sim::InstrumentOptions& options = {},
                                                   const sim::FaultOptions& faults = {});

  // An English dialog on the test form, talking to master.
  std::unique_ptr<RecordingDialog> make_dialog(JBusMaster* master, int file_kind = -1,
                                               int start_mode = 1);

  ScriptedMessageService messages;
  ScriptedFileDialogService files;

 private:
  QTemporaryDir dir_;
  std::string configuration_path_;
  std::string sim_name_;
  ScopedMessageService message_scope_{&messages};
  ScopedFileDialogService file_scope_{&files};
};

// Shows and activates the window; false when the platform would not
// activate it within a generous limit.
bool show_active(QWidget* window);

// Runs the event loop until done() holds; false when the time ran out.
bool spin_until(const std::function<bool()>& done,
                std::chrono::milliseconds within = std::chrono::milliseconds(15000));

// The texts of the boxes shown so far (not the questions).
std::vector<QString> shown_texts(const ScriptedMessageService& messages);

}  // namespace orvadw::test

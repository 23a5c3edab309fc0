#pragma once
// What the view tests share: a private English configuration whose COM41
// reaches the simulated instrument (in process, or a pseudo-terminal), the
// recording settings, scripted message and file dialogs, and a master whose
// time-outs keep failed polls short.
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "link/jbus_master.h"
#include "sim/fault_options.h"
#include "sim/simulated_instrument.h"
#include "ui/scripted_file_dialog_service.h"
#include "ui/scripted_message_service.h"

namespace orvadw::test {

inline constexpr int kViewCom = 41;

class ViewTestEnv {
 public:
  ViewTestEnv();
  ~ViewTestEnv();
  ViewTestEnv(const ViewTestEnv&) = delete;
  ViewTestEnv& operator=(const ViewTestEnv&) = delete;

  const std::string& configuration_path() const { return configuration_path_; }
  std::string file(const std::string& name) const;
  // Section "File Save": the sample period and the maximum time.
  void set_recording(double period_seconds, double max_minutes);

  // The in-process instrument behind COM41 (manual clock unless told).
  std::shared_ptr<sim::SimulatedInstrument> attach(sim::InstrumentOptions options = manual(),
                                                   const sim::FaultOptions& faults = {});
  static sim::InstrumentOptions manual();
  const std::string& sim_name() const { return sim_name_; }
  // COM41 reaches this device instead (a pseudo-terminal).
  void map_device(const std::string& device);

  // Short answer and inter-character time-outs, so that a failed poll
  // costs a fraction of a second (the inter-character one is set again by
  // each connect: call after the view has connected).
  static void shorten_timeouts(JBusMaster& master);

  ScriptedMessageService messages;
  ScriptedFileDialogService files;

 private:
  QTemporaryDir dir_;
  std::string configuration_path_;
  std::string sim_name_;
  ScopedMessageService message_scope_{&messages};
  ScopedFileDialogService file_scope_{&files};
};

}  // namespace orvadw::test

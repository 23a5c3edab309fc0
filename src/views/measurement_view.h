#pragma once
// The measurement view (template 121): in instrument mode it polls the live
// block every half second (after one request for the chart's range), shows
// the values and the running chart, records them to a measurement file at
// the chosen period, and reopens a line whose device went away until it
// answers again; in file mode it replays a recording sample by sample. The
// steps themselves live below Qt (MeasurementSession, MeasurementRecorder,
// SampleNavigator, LinkRecovery); this window only connects them.
#include <memory>
#include <string>

#include "files/measurement_recorder.h"
#include "params/measurement_session.h"
#include "params/sample_navigator.h"
#include "views/operating_view.h"

namespace orvadw {

class LinkRecovery;

class MeasurementView : public OperatingView {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 121;
  static constexpr int kTitleTextId = 209;
  static constexpr int kPollPeriodMs = 500;

  // start_mode 1 (instrument) or 4 (file_path). The configuration path is
  // that of the program unless given.
  MeasurementView(JBusMaster* master, int start_mode, const std::string& file_path = {},
                  QWidget* parent = nullptr, const std::string& configuration_path = {});
  ~MeasurementView() override;

  MeasurementSession& session() { return *session_; }
  const MeasurementRecorder& recorder() const { return recorder_; }
  const SampleNavigator& navigator() const { return navigator_; }
  // Tries made to reopen a lost line so far.
  int reopen_tries() const;

  void done(int result) override;

 protected:
  void start() override;
  void on_poll_answer(const JBusMaster::PollRequest& answer) override;
  void on_record_button() override;
  void on_navigation(int button) override;

 private:
  void start_file_mode();
  void start_instrument_mode();
  int show_sample(int sample);
  void recording_step();
  void end_recording();
  void recover_line(int poll_result);

  std::unique_ptr<MeasurementSession> session_;
  MeasurementRecorder recorder_;
  SampleNavigator navigator_;
  std::unique_ptr<LinkRecovery> recovery_;
};

}  // namespace orvadw

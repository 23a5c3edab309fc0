#include "support/dialog_test_env.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <thread>

#include "files/configuration.h"
#include "files/settings_store.h"
#include "link/port_map.h"
#include "sim/sim_bus.h"
#include "ui/dialog_template_registry.h"

namespace orvadw::test {

namespace {

QWidget* placeholder(QWidget* parent, QWidget* widget, int control_id) {
  widget->setObjectName(control_name(control_id));
  parent->layout()->addWidget(widget);
  return widget;
}

ParameterDescriptor edit_row(int control, int offset, int page = -1) {
  //        control pres label kind          list initial unit spare min max    format type    offset block
  return {control, 0, 0, kind::kEdit, 0, "0", 0, 0, 0, 65535, "%.f", value_type::kU16, offset,
          kParameterBlock, page};
}

}  // namespace

void register_dialog_test_templates() {
  DialogTemplateRegistry::add(kFormTemplate, [](QWidget* target) {
    new QVBoxLayout(target);
    // The form's own order differs from the table's, and a button sits
    // between the fields: Tab must follow the fields, not the form.
    placeholder(target, new QLineEdit, kFieldC);
    placeholder(target, new QPushButton(QStringLiteral("Other")), 1);
    placeholder(target, new QLineEdit, kFieldA);
    placeholder(target, new QLineEdit, kFieldB);
    placeholder(target, new QLabel, 1256);
    placeholder(target, new QLabel, 1257);
  });
  DialogTemplateRegistry::add(kPageTemplate, [](QWidget* target) {
    new QVBoxLayout(target);
    placeholder(target, new QLineEdit, kPageField);
  });
}

std::vector<ParameterDescriptor> form_table() {
  return {
      edit_row(kFieldA, 0),
      edit_row(kFieldB, 2),
      edit_row(kFieldC, 4),
      // The firmware label row of the instrument windows (block 0x100).
      {1256, 0, 92, kind::kReadOnly, 0, "", 0, 0, 0, 12, "%s", value_type::kText, 32, 0x100, -1},
  };
}

ParameterDescriptor page_field() { return edit_row(kPageField, 6, 0); }

DialogTestEnv::DialogTestEnv() {
  configuration_path_ = (dir_.path() + "/test.OrvadW10").toStdString();
  SettingsStore store(configuration_path_);
  store.write_number("Language", "Language", 1);  // English
  sim_name_ = std::string("dlg_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  PortMap::instance().set_scan_devices(false);
  PortMap::instance().clear();
  PortMap::instance().set_device(kSimCom, sim::SimBus::device(sim_name_));
  Configuration::instance().set_use_modem(false);
  Configuration::instance().set_modem_connected(false);
  Configuration::instance().set_last_folder(folder() + "/");
  register_dialog_test_templates();
}

DialogTestEnv::~DialogTestEnv() {
  sim::SimBus::detach(sim_name_);
  PortMap::instance().clear();
}

void DialogTestEnv::set_link(double port, double bauds, double jbus) {
  SettingsStore store(configuration_path_);
  store.write_number("Com", "Port", port);
  store.write_number("Com", "Bauds", bauds);
  store.write_number("Com", "JBus", jbus);
}

void DialogTestEnv::map_com(int com) {
  PortMap::instance().set_device(com, sim::SimBus::device(sim_name_));
}

std::shared_ptr<sim::SimulatedInstrument> DialogTestEnv::attach(
    const sim::InstrumentOptions& options, const sim::FaultOptions& faults) {
  auto instrument = std::make_shared<sim::SimulatedInstrument>(options);
  sim::SimBus::attach(sim_name_, instrument, faults);
  return instrument;
}

std::unique_ptr<RecordingDialog> DialogTestEnv::make_dialog(JBusMaster* master, int file_kind,
                                                            int start_mode) {
  auto dialog = std::make_unique<RecordingDialog>(kFormTemplate, master, file_kind, start_mode,
                                                  nullptr, configuration_path_);
  dialog->add_fields(form_table());
  return dialog;
}

bool show_active(QWidget* window) {
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  return QTest::qWaitForWindowActive(window, 5000);
}

bool spin_until(const std::function<bool()>& done, std::chrono::milliseconds within) {
  const auto deadline = std::chrono::steady_clock::now() + within;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<QString> shown_texts(const ScriptedMessageService& messages) {
  std::vector<QString> out;
  for (const auto& shown : messages.shown()) {
    if (!shown.question) out.push_back(shown.text);
  }
  return out;
}

}  // namespace orvadw::test

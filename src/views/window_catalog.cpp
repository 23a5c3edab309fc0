#include "views/window_catalog.h"

#include "dialogs/analog_output_dialog.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/special_settings_dialog.h"
#include "files/file_kind.h"
#include "views/esc_view.h"
#include "views/logger_view.h"
#include "views/measurement_view.h"

namespace orvadw {

namespace {

template <typename Window>
std::unique_ptr<QDialog> make(JBusMaster* master, int start_mode, QWidget* parent,
                              const std::string& file) {
  return std::make_unique<Window>(master, start_mode, parent, file);
}

// The views take the file before the owner.
template <typename View>
std::unique_ptr<QDialog> make_view(JBusMaster* master, int start_mode, QWidget* parent,
                                   const std::string& file) {
  return std::make_unique<View>(master, start_mode, file, parent);
}

}  // namespace

const std::vector<WindowFactory>& window_factories() {
  static const std::vector<WindowFactory> table = {
      {window_name::kSettings.data(), kSettingsFileKind, make<SettingsDialog>},
      {window_name::kSpecial.data(), kSpecialSettingsFileKind, make<SpecialSettingsDialog>},
      {window_name::kAnalog.data(), kAnalogOutputFileKind, make<AnalogOutputDialog>},
      {window_name::kMeasurement.data(), kMeasurementFileKind, make_view<MeasurementView>},
      {window_name::kLogger.data(), kLoggerFileKind, make_view<LoggerView>},
      {window_name::kEsc.data(), kEscFileKind, make<EscView>},
  };
  return table;
}

const WindowFactory* find_window_factory(std::string_view name) {
  for (const WindowFactory& factory : window_factories()) {
    if (name == factory.name) return &factory;
  }
  return nullptr;
}

const WindowFactory* find_window_for_file_kind(int file_kind) {
  for (const WindowFactory& factory : window_factories()) {
    if (factory.file_kind == file_kind) return &factory;
  }
  return nullptr;
}

std::vector<int> window_file_kinds() {
  std::vector<int> kinds;
  for (const WindowFactory& factory : window_factories()) kinds.push_back(factory.file_kind);
  return kinds;
}

}  // namespace orvadw

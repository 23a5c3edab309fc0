#include "app/window_entry.h"

#include "dialogs/analog_output_dialog.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/special_settings_dialog.h"
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

constexpr int kFileMode = 4;

}  // namespace

const std::vector<WindowFactory>& window_factories() {
  static const std::vector<WindowFactory> table = {
      {"settings", make<SettingsDialog>},
      {"special", make<SpecialSettingsDialog>},
      {"analog", make<AnalogOutputDialog>},
      {"measurement", make_view<MeasurementView>},
      {"logger", make_view<LoggerView>},
      {"esc", make<EscView>},
  };
  return table;
}

const WindowFactory* find_window_factory(const QString& name) {
  for (const WindowFactory& factory : window_factories()) {
    if (name == QLatin1String(factory.name)) return &factory;
  }
  return nullptr;
}

QString window_entry_usage() {
  QStringList names;
  for (const WindowFactory& factory : window_factories()) names << QLatin1String(factory.name);
  return QStringLiteral(
             "usage: orvadw [CONFIGURATION]\n       orvadw --window %1 [--mode N] [FILE]")
      .arg(names.join(QLatin1Char('|')));
}

std::optional<WindowRequest> parse_window_request(const QStringList& arguments, QString& error) {
  error.clear();
  if (!arguments.contains(QStringLiteral("--window"))) return std::nullopt;
  WindowRequest request;
  bool mode_given = false;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--window") || a == QLatin1String("--mode")) {
      if (i + 1 >= arguments.size()) {
        error = a + QStringLiteral(" needs a value");
        return request;
      }
      const QString value = arguments[++i];
      if (a == QLatin1String("--window")) {
        if (find_window_factory(value) == nullptr) {
          error = QStringLiteral("unknown window ") + value;
          return request;
        }
        request.name = value;
      } else {
        bool ok = false;
        request.start_mode = value.toInt(&ok);
        if (!ok || request.start_mode <= 0) {
          error = QStringLiteral("--mode takes a start mode such as 1, 2, 4, 16, 65 or 129");
          return request;
        }
        mode_given = true;
      }
    } else if (a.startsWith(QLatin1String("--")) || !request.file.isEmpty()) {
      error = QStringLiteral("unexpected argument ") + a;
      return request;
    } else {
      request.file = a;
    }
  }
  if (!mode_given && !request.file.isEmpty()) request.start_mode = kFileMode;
  return request;
}

}  // namespace orvadw

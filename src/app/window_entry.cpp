#include "app/window_entry.h"

namespace orvadw {

namespace {

constexpr int kFileMode = 4;

}  // namespace

const WindowFactory* find_window_factory(const QString& name) {
  const std::string wanted = name.toStdString();
  return find_window_factory(std::string_view(wanted));
}

QString window_entry_usage() {
  QStringList names;
  for (const WindowFactory& factory : window_factories()) names << QLatin1String(factory.name);
  return QStringLiteral(
             "usage: orvadw [--simulator] [CONFIGURATION]\n"
             "       orvadw [--simulator] --window %1 [--mode N] [FILE]")
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

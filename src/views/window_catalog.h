#pragma once
// The instrument windows by name, with the kind of file each one keeps and
// how to make it: the main window's commands, its Open and the command
// line's window entry all go through this one table. A window that joins
// the program adds one row (its menu item and its files follow).
#include <QDialog>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvadw {

class JBusMaster;

struct WindowFactory {
  const char* name;
  int file_kind;  // the file-kind text id of its files
  std::unique_ptr<QDialog> (*make)(JBusMaster* master, int start_mode, QWidget* parent,
                                   const std::string& file);
};

namespace window_name {
inline constexpr std::string_view kSettings = "settings";
inline constexpr std::string_view kSpecial = "special";
inline constexpr std::string_view kAnalog = "analog";
inline constexpr std::string_view kMeasurement = "measurement";
inline constexpr std::string_view kLogger = "logger";
inline constexpr std::string_view kEsc = "esc";
}  // namespace window_name

const std::vector<WindowFactory>& window_factories();
// The row of that name, or nullptr.
const WindowFactory* find_window_factory(std::string_view name);
// The row that keeps files of that kind, or nullptr.
const WindowFactory* find_window_for_file_kind(int file_kind);
// The file kinds of the table's windows.
std::vector<int> window_file_kinds();

}  // namespace orvadw

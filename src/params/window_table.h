#pragma once
// The data of each instrument window: its parameter table, its tab pages, its
// block sequences and the texts that name it. Pure data, shared by the Qt
// windows, the command line and the tests, so they all build the same field
// lists.
#include <string>
#include <vector>

#include "params/parameter_descriptor.h"
#include "params/parameter_field_list.h"

namespace orvadw {

namespace block {
inline constexpr int kIdentification = 0xFF00;
inline constexpr int kMeasure = 0x100;  // identification and live values
inline constexpr int kParameters = 0x1000;
inline constexpr int kClock = 0x2301;
inline constexpr int kResetWord = 0x230A;
inline constexpr int kOutputPoints = 0x3000;
inline constexpr int kSpecial = 0x4000;
inline constexpr int kEsc = 0xB00;
// Local keys: never read from or written to the instrument.
inline constexpr int kChartPoints = 0xFFFF;
inline constexpr int kLoggerEntry = 0x10001;
inline constexpr int kEscEntry = 0xFFFFFF;
}  // namespace block

struct PageSpec {
  std::string template_name;  // the page's form
  int tab_title_text_id = 0;
};

struct WindowTable {
  std::string key;             // "settings", "special", "analog", "measurement", "logger", "esc"
  int template_id = 0;         // dialog template
  int title_text_id = 0;
  int file_kind_text_id = -1;  // -1: no files
  std::vector<PageSpec> pages;
  std::vector<ParameterDescriptor> descriptors;
  std::vector<int> read_sequence;   // blocks read from the instrument, in order
  std::vector<int> write_sequence;  // blocks a transfer writes, in order
  std::vector<int> file_sequence;   // one file record per block, in order
};

// The windows. The language only matters where a table row starts with a
// language text (the serial-number captions of the special settings).
WindowTable settings_window(int language);
WindowTable special_settings_window(int language);
WindowTable analog_output_window(int language);
WindowTable measurement_window(int language);
WindowTable logger_window(int language);
WindowTable esc_window(int language);
// The list of a comparison's differences (no instrument blocks, no files).
WindowTable differences_window(int language);

// The identification header every instrument window binds (block 0xFF00).
std::vector<ParameterDescriptor> identification_table();
// The rows the operating-window base puts before a view's own rows.
std::vector<ParameterDescriptor> operating_window_table();

// Control ids given to the identification header's display fields (they
// have no template control of their own).
namespace identification {
inline constexpr int kJbusNumber = 1400;
inline constexpr int kCode = 1401;
inline constexpr int kSerialWeek = 1402;
inline constexpr int kSerialYear = 1403;
inline constexpr int kSerialNumber = 1404;
inline constexpr int kSoftwareVersion = 1405;
inline constexpr int kSoftwareText = 1406;
}  // namespace identification

// "settings", "special", "analog", "measurement", "logger", "esc",
// "identification".
std::vector<std::string> window_keys();
// False when the key names no window.
bool find_window(const std::string& key, int language, WindowTable& out);

// The window's fields, created in table order, normalised and committed:
// what a window shows before anything is read.
ParameterFieldList make_field_list(const WindowTable& window, int language);

}  // namespace orvadw

#pragma once
// Every section and key of the configuration files, spelled as the files
// have always spelled them ("Initalisation string", "Telefon number", ...),
// with their types, defaults and limits in one table.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvadw::config {

// Sections.
inline constexpr std::string_view kCom = "Com";
inline constexpr std::string_view kLanguage = "Language";
inline constexpr std::string_view kFileSave = "File Save";
inline constexpr std::string_view kSpreadsheet = "Spreadsheet";
inline constexpr std::string_view kModem = "Modem";
inline constexpr std::string_view kTest = "Test";
inline constexpr std::string_view kPorts = "Ports";  // COM<n> = device path
// Sections of last.cfg.
inline constexpr std::string_view kLastConfig = "LastConfig";
inline constexpr std::string_view kLogo = "Logo";

// Keys.
inline constexpr std::string_view kPort = "Port";
inline constexpr std::string_view kBauds = "Bauds";
inline constexpr std::string_view kJBus = "JBus";
inline constexpr std::string_view kLanguageKey = "Language";
inline constexpr std::string_view kSampleRecordTime = "Sample Record Time";
inline constexpr std::string_view kRecordLapTime = "Record Lap Time";
inline constexpr std::string_view kPathFileSave = "Path File Save";
inline constexpr std::string_view kPathSpreadsheet = "Path Spreadsheet";
inline constexpr std::string_view kSpreadsheetName = "Spreadsheet Name";  // read only
inline constexpr std::string_view kPathMacro = "Path Macro";  // + " " + kind extension
inline constexpr std::string_view kUseModem = "Use modem";
inline constexpr std::string_view kNumerotation = "Numerotation";
inline constexpr std::string_view kInitialisationString = "Initalisation string";
inline constexpr std::string_view kTelefonNumber = "Telefon number";
inline constexpr std::string_view kDisconnectString = "Desconnect string";
inline constexpr std::string_view kTimeOutBeforeAnswer = "Time out bevor answer";
inline constexpr std::string_view kTestKey = "Test";
inline constexpr std::string_view kLastConfigKey = "LastConfig";
inline constexpr std::string_view kLogoKey = "Logo";

// Fixed values.
inline constexpr std::string_view kTestMarker = "Ok";
inline constexpr std::string_view kLogoShown = "Y";
inline constexpr std::string_view kStartupFileName = "last.cfg";
inline constexpr std::string_view kLogoFileName = "logo.bmp";
inline constexpr std::string_view kDataFolderName = "Data/";
inline constexpr std::string_view kDefaultConfigurationStem = "default.";
// Stored Path Spreadsheet meaning "no spreadsheet program chosen yet".
inline constexpr std::string_view kSpreadsheetPlaceholder = "tartempionexcel.exe";
inline constexpr std::string_view kDefaultSpreadsheetName = "excel.exe";

enum class KeyType { kNumber, kText };

// Defaults that depend on where the program lives.
enum class DefaultFrom {
  kTable,              // number_default or text_default
  kDataFolder,         // program folder + "Data/"
  kHomeFolder,         // the user's home folder
};

struct KeyInfo {
  std::string_view section;
  std::string_view key;  // for kPathMacro the prefix of "Path Macro <ext>"
  KeyType type;
  double number_default;
  std::string_view text_default;
  std::optional<double> min;
  std::optional<double> max;
  DefaultFrom default_from = DefaultFrom::kTable;
};

// The keys of a configuration file, in table order.
std::span<const KeyInfo> key_table();
// The row of a key (sections and keys compared without regard to case);
// "Path Macro mes" finds the Path Macro row, "COM3" in Ports the port row.
const KeyInfo* find_key(std::string_view section, std::string_view key);

// The default text of a row (numbers formatted with "%f").
std::string default_text(const KeyInfo& info, const std::string& program_folder);
// value kept within the row's limits (unchanged when it has none).
double within_limits(const KeyInfo& info, double value);

// "COM3" for com_number 3.
std::string port_key(int com_number);
// "Path Macro mes" for the kind extension "mes".
std::string macro_key(std::string_view kind_extension);

}  // namespace orvadw::config

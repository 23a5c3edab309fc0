#include "files/config_keys.h"

#include <algorithm>
#include <array>

#include "base/ascii_case.h"
#include "base/c_locale.h"
#include "base/program_folder.h"

namespace orvadw::config {

namespace {
const std::array<KeyInfo, 18> kTable{{
    {kCom, kPort, KeyType::kNumber, 0, {}, 0, 254},
    {kCom, kBauds, KeyType::kNumber, 5, {}, 0, 6},
    {kCom, kJBus, KeyType::kNumber, 1, {}, 0, 255},
    {kLanguage, kLanguageKey, KeyType::kNumber, 0, {}, 0, 3},
    {kFileSave, kSampleRecordTime, KeyType::kNumber, 1, {}, 1, 99999},
    {kFileSave, kRecordLapTime, KeyType::kNumber, 0, {}, 0, 99999},
    {kFileSave, kPathFileSave, KeyType::kText, 0, {}, {}, {}, DefaultFrom::kDataFolder},
    {kSpreadsheet, kPathSpreadsheet, KeyType::kText, 0, kSpreadsheetPlaceholder, {}, {}},
    {kSpreadsheet, kSpreadsheetName, KeyType::kText, 0, kDefaultSpreadsheetName, {}, {}},
    {kSpreadsheet, kPathMacro, KeyType::kText, 0, {}, {}, {}, DefaultFrom::kHomeFolder},
    {kModem, kUseModem, KeyType::kNumber, 1, {}, 0, 1},
    {kModem, kNumerotation, KeyType::kNumber, 0, {}, 0, 1},
    {kModem, kInitialisationString, KeyType::kText, 0, "&F S95=0 E0 Q0 V1 W2 &K0 M0", {}, {}},
    {kModem, kTelefonNumber, KeyType::kText, 0, "", {}, {}},
    {kModem, kDisconnectString, KeyType::kText, 0, "H0", {}, {}},
    {kModem, kTimeOutBeforeAnswer, KeyType::kNumber, 500, {}, {}, {}},
    {kTest, kTestKey, KeyType::kText, 0, "", {}, {}},
    {kPorts, "COM", KeyType::kText, 0, "", {}, {}},
}};
}  // namespace

std::span<const KeyInfo> key_table() { return kTable; }

const KeyInfo* find_key(std::string_view section, std::string_view key) {
  for (const KeyInfo& info : kTable) {
    if (!iequals(info.section, section)) continue;
    if (iequals(info.key, key)) return &info;
    if (info.key == kPathMacro && istarts_with(key, std::string(kPathMacro) + " ")) return &info;
    if (info.section == kPorts && istarts_with(key, "COM") && key.size() > 3 &&
        std::all_of(key.begin() + 3, key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return &info;
    }
  }
  return nullptr;
}

std::string default_text(const KeyInfo& info, const std::string& program_folder) {
  switch (info.default_from) {
    case DefaultFrom::kDataFolder:
      return program_folder + std::string(kDataFolderName);
    case DefaultFrom::kHomeFolder:
      return home_folder();
    case DefaultFrom::kTable:
      break;
  }
  if (info.type == KeyType::kNumber) return c_format("%f", info.number_default);
  return std::string(info.text_default);
}

double within_limits(const KeyInfo& info, double value) {
  if (value != value) return info.number_default;  // NaN
  if (info.min && value < *info.min) value = *info.min;
  if (info.max && value > *info.max) value = *info.max;
  return value;
}

std::string port_key(int com_number) { return "COM" + std::to_string(com_number); }

std::string macro_key(std::string_view kind_extension) {
  return std::string(kPathMacro) + " " + std::string(kind_extension);
}

}  // namespace orvadw::config

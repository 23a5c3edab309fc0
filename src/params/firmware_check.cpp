#include "params/firmware_check.h"

#include "base/text_table.h"
#include "params/value_format.h"

namespace orvadw {

FirmwareCheck check_firmware(std::string_view version, std::string_view software_text,
                             std::string_view key, bool check_enabled, int language) {
  FirmwareCheck verdict;
  if (!check_enabled) return verdict;
  // A version shorter than the key cannot carry it.
  if (version.size() >= key.size() && version.substr(0, key.size()) == key) return verdict;
  verdict.accepted = false;
  verdict.message = text_of(kFirmwareRefusedTextId, language);
  verdict.message += ' ';
  verdict.message += leading_characters(version, 2);
  verdict.message += '\n';
  verdict.message += software_text;
  return verdict;
}

}  // namespace orvadw

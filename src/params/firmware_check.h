#pragma once
// Whether an instrument's firmware belongs to this program's generation: its
// software version text must start with the program version key ("10-11-").
// When it does not, the user is told which program version the instrument
// needs: text 75, a blank, the first two characters of the instrument's
// version, a line break and the instrument's software text, caption 74.
#include <string>
#include <string_view>

namespace orvadw {

inline constexpr int kFirmwareRefusedTextId = 75;
inline constexpr int kFirmwareRefusedCaptionId = 74;

struct FirmwareCheck {
  bool accepted = true;
  std::string message;  // empty when accepted
  int caption_id = kFirmwareRefusedCaptionId;
};

// version: the instrument's software version text; software_text: its
// software name text; key: program_version_key(); check_enabled: the
// window's check flag (cleared, anything passes). Texts are UTF-8; the
// "two characters" are whole characters, never half of one.
FirmwareCheck check_firmware(std::string_view version, std::string_view software_text,
                             std::string_view key, bool check_enabled, int language);

}  // namespace orvadw

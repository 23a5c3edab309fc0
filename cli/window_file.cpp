#include "cli/window_file.h"

#include <ostream>
#include <vector>

#include "base/program_identity.h"
#include "base/text_table.h"
#include "cli/hex_text.h"
#include "files/file_error.h"
#include "files/record_file_session.h"
#include "params/firmware_check.h"

namespace orvadw::cli {

namespace {
// The label field that shows the instrument's firmware.
constexpr int kFirmwareControl = 1256;
}  // namespace

int load_window_file(const std::string& path, const WindowTable& window, ParameterFieldList& fields,
                     int language, std::ostream& err, RawBlockStore* images) {
  FileHeader header;
  FileServiceHooks hooks;
  hooks.show_error = [&err](const std::string& message, int) { err << message << "\n"; };
  // The header is filled before the check runs, so the refusal can name the
  // file's software.
  hooks.check_firmware = [&err, &header, language](const std::string& version) {
    const FirmwareCheck check =
        check_firmware(version, header.software_name, program_version_key(), true, language);
    if (check.accepted) return 0;
    err << check.message << "\n";
    return -1;
  };
  RecordFileSession files(language, hooks);
  files.set_file_kind(window.file_kind_text_id);
  std::string file = path;
  if (files.read_identification(file, header) != 0) return -1;

  for (std::size_t i = 0; i < window.file_sequence.size(); ++i) {
    const int block = window.file_sequence[i];
    std::vector<std::uint8_t> bytes;
    if (files.load_record(file, static_cast<int>(i), fields.block_words(block), bytes) != 0 ||
        fields.decode(block, bytes) != 0) {
      err << text_of(kIncorrectFileTextId, language) << " (record " << i << " does not hold block "
          << hex_address(block) << " of window " << window.key << ")\n";
      return -1;
    }
    if (images != nullptr) images->keep(block, bytes);
  }
  if (ParameterField* firmware = fields.field(kFirmwareControl)) {
    firmware->set_text(header.software_version, ChangeOrigin::kDecode);
  }
  return 0;
}

}  // namespace orvadw::cli

#include "params/block_checksum.h"

#include "base/c_locale.h"
#include "base/crc32.h"

namespace orvadw {

std::uint32_t block_checksum(const ParameterFieldList& fields, const std::vector<int>& blocks) {
  std::uint32_t crc = 0;
  for (int block : blocks) crc = crc32_update(crc, fields.register_image(block));
  return crc;
}

std::string block_checksum_text(const ParameterFieldList& fields, const std::vector<int>& blocks) {
  return c_format("CRC-32 %08X", static_cast<unsigned>(block_checksum(fields, blocks)));
}

}  // namespace orvadw

#pragma once
// The short checksum printed at the foot of a parameter sheet and by
// `orvadw-cli show`: CRC-32 of the register images of the blocks the sheet
// shows, in order, as a file or a transfer holds them. Two sheets (or a sheet
// and a file) with the same text hold the same values.
#include <cstdint>
#include <string>
#include <vector>

#include "params/parameter_field_list.h"

namespace orvadw {

std::uint32_t block_checksum(const ParameterFieldList& fields, const std::vector<int>& blocks);
// "CRC-32 1A2B3C4D".
std::string block_checksum_text(const ParameterFieldList& fields, const std::vector<int>& blocks);

}  // namespace orvadw

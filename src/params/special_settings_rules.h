#pragma once
// The rules of the special settings window (block 0x4000): the two serial
// numbers as one text each for the printed sheet and the comparison, and the
// OEM choice that trades the model for the OEM models and arrangements.
#include "params/parameter_field_list.h"

namespace orvadw::special {

inline constexpr int kSerialWeek = 1165;
inline constexpr int kSerialYear = 1158;
inline constexpr int kSerialNumber = 1166;
inline constexpr int kSerialText = 1155;  // hidden
inline constexpr int kBoardWeek = 1162;
inline constexpr int kBoardYear = 1161;
inline constexpr int kBoardNumber = 1163;
inline constexpr int kBoardSerialText = 1159;  // hidden
inline constexpr int kOem = 1170;              // list 25: 0 no, 1 yes
inline constexpr int kModel = 1237;
inline constexpr int kModelFrame = 1280;
inline constexpr int kMaxChords = 1146;
inline constexpr int kOemFrame = 1269;
inline constexpr int kArrangementFrame = 1281;

// "07/03/00001" from the three parts.
std::string serial_text(double week, double year, double number);

// Fills the two hidden serial texts (as value and reference, so they never
// count as changed) and shows either the model or the OEM choices.
void apply_rules(ParameterFieldList& fields);

}  // namespace orvadw::special

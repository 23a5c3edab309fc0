#pragma once
// The rules of the settings window (parameter block 0x1000): which fields
// its choices show, hide or disable, the Defaults button, the three action
// choices and what a transfer writes besides the parameter block. Shared by
// the window and the command line.
#include "base/date_time.h"
#include "params/block_sequences.h"
#include "params/parameter_field_list.h"

namespace orvadw::settings {

// Control ids of the fields the rules read or set.
inline constexpr int kSyncClock = 1222;  // list 27: 0 yes, 1 no
inline constexpr int kResetLogger = 1195;
inline constexpr int kResetSphereCount = 1191;
inline constexpr int kClockValue = 1194;  // hidden, block 0x2301
inline constexpr int kResetWord = 1193;   // hidden, block 0x230A
inline constexpr int kRelay1Type = 1249;
inline constexpr int kRelay1Threshold = 1216;
inline constexpr int kRelay2Type = 1251;
inline constexpr int kRelay2Threshold = 1219;
inline constexpr int kGainType = 1241;
inline constexpr int kMargin = 1134;
inline constexpr int kPolarity = 1183;
inline constexpr int kSphereChoice = 1048;
inline constexpr int kSphereVMin = 1262;
inline constexpr int kSphereVMax = 1259;
inline constexpr int kSphereQMin = 1188;
inline constexpr int kSphereQMax = 1185;
inline constexpr int kMaterial = 1137;
inline constexpr int kMaterialSpeed = 1041;
inline constexpr int kExternalDiameter = 1080;
inline constexpr int kSphereLengthMin = 1124;
inline constexpr int kSphereLengthMax = 1121;
inline constexpr int kDefaultsButton = 1302;
inline constexpr int kDefaultsTextId = 55;

// Reset word bits: the logger, then the sphere counter.
inline constexpr std::uint32_t kResetLoggerBit = 65536;
inline constexpr std::uint32_t kResetSphereCountBit = 1;

// Shows, hides, enables and renames fields from the stored choices (relay
// thresholds, margin and polarity by gain type, the sphere limits, the
// material's sound speed). Hidden fields also leave the printed sheet.
void apply_rules(ParameterFieldList& fields);

// The Defaults button: the sphere lengths from the external diameter (the
// minimum equal to it, the maximum three times it), limited and formatted as
// typed values are.
void apply_defaults(ParameterFieldList& fields);

// The unattended transfer syncs the clock and resets logger and counter.
void choose_every_action(ParameterFieldList& fields);

// Rebuilds the write sequence from the action choices: the clock block (set
// to now) when synchronisation is chosen, the reset word when the logger or
// the sphere counter is to be reset, then the parameter block. The two
// hidden values never count as changes.
void plan_transfer(ParameterFieldList& fields, BlockSequences& sequences, const DateTime& now);

}  // namespace orvadw::settings

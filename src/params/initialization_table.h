#pragma once
// The initialization window's two questions: send the default settings,
// send the default output points (list 27, "Yes" first, both "Yes" at the
// start).
#include <vector>

#include "params/parameter_descriptor.h"

namespace orvadw {

namespace initialization {
inline constexpr int kTemplateId = 119;
inline constexpr int kTitleTextId = 207;
// The rows by their control id (the label; the choice itself is the next id,
// 1092 and 1197).
inline constexpr int kSettingsRow = 1091;
inline constexpr int kOutputsRow = 1196;
inline constexpr int kYes = 0;                // position in list 27
}  // namespace initialization

std::vector<ParameterDescriptor> initialization_table();

}  // namespace orvadw

#pragma once
// What a settings-family window hands over to work that lives in its own
// part of the program: showing the differences between a comparison copy and
// the window that opened it. It is one function that its part installs at
// start-up; until then the family is told that nothing was done (-1), and
// acts as on a failure.
#include <functional>

namespace orvadw {

class SettingsFamilyDialog;

// reference: the comparison copy, holding the values of the file the user
// chose (its file_path() names it); actual: the window in which compare was
// pressed. 0 when the differences were shown.
using ParameterCompareHook =
    std::function<int(SettingsFamilyDialog& reference, SettingsFamilyDialog& actual)>;

// An empty function removes the hook.
void install_parameter_compare_hook(ParameterCompareHook hook);

int show_parameter_differences(SettingsFamilyDialog& reference, SettingsFamilyDialog& actual);

}  // namespace orvadw

#include "dialogs/settings_family_hooks.h"

namespace orvadw {

namespace {

ParameterCompareHook& compare_hook() {
  static ParameterCompareHook hook;
  return hook;
}

}  // namespace

void install_parameter_compare_hook(ParameterCompareHook hook) {
  compare_hook() = std::move(hook);
}

int show_parameter_differences(SettingsFamilyDialog& reference, SettingsFamilyDialog& actual) {
  return compare_hook() ? compare_hook()(reference, actual) : -1;
}

}  // namespace orvadw

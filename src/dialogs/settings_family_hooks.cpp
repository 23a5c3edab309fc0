#include "dialogs/settings_family_hooks.h"

namespace orvadw {

namespace {

ParameterCompareHook& compare_hook() {
  static ParameterCompareHook hook;
  return hook;
}

ParameterPrintHook& print_hook() {
  static ParameterPrintHook hook;
  return hook;
}

}  // namespace

void install_parameter_compare_hook(ParameterCompareHook hook) {
  compare_hook() = std::move(hook);
}

void install_parameter_print_hook(ParameterPrintHook hook) {
  print_hook() = std::move(hook);
}

int show_parameter_differences(SettingsFamilyDialog& reference, SettingsFamilyDialog& actual) {
  return compare_hook() ? compare_hook()(reference, actual) : -1;
}

int print_parameter_sheet(SettingsFamilyDialog& dialog, bool ask_printer) {
  return print_hook() ? print_hook()(dialog, ask_printer) : -1;
}

}  // namespace orvadw

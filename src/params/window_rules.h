#pragma once
// What each settings-family window does beyond reading, loading, saving and
// writing its blocks, by window key, so that the windows and the command
// line run the same rules.
#include <string>

#include "base/date_time.h"
#include "params/block_sequences.h"
#include "params/parameter_field_list.h"

namespace orvadw {

struct WindowRules {
  // After every edit, read and load: shows, hides, enables, fills.
  void (*apply)(ParameterFieldList& fields) = nullptr;
  // Before a transfer: rebuilds the write sequence (and the values only a
  // transfer sends).
  void (*plan_transfer)(ParameterFieldList& fields, BlockSequences& sequences,
                        const DateTime& now) = nullptr;
  // At the start of the unattended transfer.
  void (*unattended)(ParameterFieldList& fields) = nullptr;
};

// The rules of "settings", "special" and "analog"; none for another key.
WindowRules window_rules(const std::string& key);

// Each runs the rule when the window has it.
void apply_window_rules(const WindowRules& rules, ParameterFieldList& fields);
void plan_window_transfer(const WindowRules& rules, ParameterFieldList& fields,
                          BlockSequences& sequences, const DateTime& now);

}  // namespace orvadw

#include "params/window_rules.h"

#include "params/settings_rules.h"
#include "params/special_settings_rules.h"

namespace orvadw {

WindowRules window_rules(const std::string& key) {
  WindowRules rules;
  if (key == "settings") {
    rules.apply = settings::apply_rules;
    rules.plan_transfer = settings::plan_transfer;
    rules.unattended = settings::choose_every_action;
  } else if (key == "special") {
    rules.apply = special::apply_rules;
  }
  return rules;
}

void apply_window_rules(const WindowRules& rules, ParameterFieldList& fields) {
  if (rules.apply != nullptr) rules.apply(fields);
}

void plan_window_transfer(const WindowRules& rules, ParameterFieldList& fields,
                          BlockSequences& sequences, const DateTime& now) {
  if (rules.plan_transfer != nullptr) rules.plan_transfer(fields, sequences, now);
}

}  // namespace orvadw

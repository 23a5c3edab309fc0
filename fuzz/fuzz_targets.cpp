#include "fuzz/fuzz_targets.h"

namespace orvadw::fuzz {

namespace {
constexpr FuzzTarget kTargets[] = {
    {"jbus_exchange", fuzz_jbus_exchange},     {"jbus_transaction", fuzz_jbus_transaction},
    {"record_file", fuzz_record_file},         {"ini_file", fuzz_ini_file},
    {"field_text_form", fuzz_field_text_form}, {"modem_answer", fuzz_modem_answer},
    {"date_time", fuzz_date_time},
};
}  // namespace

std::span<const FuzzTarget> fuzz_targets() { return kTargets; }

const FuzzTarget* find_fuzz_target(std::string_view name) {
  for (const FuzzTarget& t : kTargets) {
    if (t.name == name) return &t;
  }
  return nullptr;
}

}  // namespace orvadw::fuzz

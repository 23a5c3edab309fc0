#pragma once
// Every fuzz target by name. Each entry takes one input, drives a public
// entry point of the lower half with it, and checks (FUZZ_CHECK) what must
// hold for any input; it returns 0 as libFuzzer expects.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace orvadw::fuzz {

using FuzzEntry = int (*)(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
  std::string_view name;
  FuzzEntry run;
};

int fuzz_jbus_exchange(const std::uint8_t* data, std::size_t size);
int fuzz_jbus_transaction(const std::uint8_t* data, std::size_t size);
int fuzz_record_file(const std::uint8_t* data, std::size_t size);
int fuzz_ini_file(const std::uint8_t* data, std::size_t size);
int fuzz_field_text_form(const std::uint8_t* data, std::size_t size);
int fuzz_modem_answer(const std::uint8_t* data, std::size_t size);
int fuzz_date_time(const std::uint8_t* data, std::size_t size);

std::span<const FuzzTarget> fuzz_targets();
// Null for an unknown name.
const FuzzTarget* find_fuzz_target(std::string_view name);

}  // namespace orvadw::fuzz

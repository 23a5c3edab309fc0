#include "cli/arguments.h"

#include <algorithm>
#include <ostream>

#include "base/c_locale.h"

namespace orvadw::cli {

namespace {

void not_a_number(std::ostream& err, const std::string& name, const std::string& text) {
  err << "orvadw-cli: " << name << ": not a number: " << text << "\n";
}

}  // namespace

bool parse_integer(const std::string& text, long long& value) {
  if (text.empty()) return false;
  std::size_t used = 0;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  value = hex ? c_strtoll(text.substr(2), 16, &used) : c_strtoll(text, 10, &used);
  std::size_t expected = hex ? text.size() - 2 : text.size();
  return used == expected && used > 0;
}

bool parse_bounded(const std::string& text, const char* name, long long low, long long high,
                   long long& value, std::ostream& err) {
  long long parsed = 0;
  if (!parse_integer(text, parsed)) {
    not_a_number(err, name, text);
    return false;
  }
  if (parsed < low || parsed > high) {
    err << "orvadw-cli: " << name << " must be " << low << " to " << high << ", not " << text
        << "\n";
    return false;
  }
  value = parsed;
  return true;
}

bool parse_register_address(const std::string& text, int& address, std::ostream& err) {
  long long value = 0;
  if (!parse_bounded(text, "ADDR", 0, 0xFFFF, value, err)) return false;
  address = static_cast<int>(value);
  return true;
}

bool take_option(std::vector<std::string>& args, const std::string& name, std::string& value,
                 bool& present) {
  present = false;
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return true;
  present = true;
  if (it + 1 == args.end()) {
    args.erase(it);
    return false;
  }
  value = *(it + 1);
  args.erase(it, it + 2);
  return true;
}

bool take_text_option(std::vector<std::string>& args, const std::string& name, std::string& text,
                      bool& present, std::ostream& err) {
  if (take_option(args, name, text, present)) return true;
  err << "orvadw-cli: " << name << " needs a value\n";
  return false;
}

bool take_integer_option(std::vector<std::string>& args, const std::string& name, long long& value,
                         std::ostream& err) {
  std::string text;
  bool present = false;
  if (!take_text_option(args, name, text, present, err)) return false;
  if (!present) return true;
  if (!parse_integer(text, value)) {
    not_a_number(err, name, text);
    return false;
  }
  return true;
}

bool take_bounded_option(std::vector<std::string>& args, const char* name, long long low,
                         long long high, long long& value, std::ostream& err) {
  std::string text;
  bool present = false;
  if (!take_text_option(args, name, text, present, err)) return false;
  if (!present) return true;
  return parse_bounded(text, name, low, high, value, err);
}

bool take_flag(std::vector<std::string>& args, const std::string& name) {
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

}  // namespace orvadw::cli

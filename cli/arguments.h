#pragma once
// The words after a command name: options taken out of them and whole
// numbers read from them, with the messages every command gives for a bad
// word.
#include <iosfwd>
#include <string>
#include <vector>

namespace orvadw::cli {

// Decimal or 0x hex; false when the text is not a whole number.
bool parse_integer(const std::string& text, long long& value);

// A whole number in [low, high] named for the message; false with a message.
bool parse_bounded(const std::string& text, const char* name, long long low, long long high,
                   long long& value, std::ostream& err);

// A register address (decimal or 0x hex, 0..0xFFFF); false with a message.
bool parse_register_address(const std::string& text, int& address, std::ostream& err);

// "--name value" taken out of args; returns false when present without a
// value (nothing is written then).
bool take_option(std::vector<std::string>& args, const std::string& name, std::string& value,
                 bool& present);

// As take_option, with a message when the value is missing.
bool take_text_option(std::vector<std::string>& args, const std::string& name, std::string& text,
                      bool& present, std::ostream& err);

// Takes "--name N" out of args; value is left alone when the option is
// absent. False with a message when it has no value or is not a number.
bool take_integer_option(std::vector<std::string>& args, const std::string& name, long long& value,
                         std::ostream& err);

// As take_integer_option, and N must lie in [low, high].
bool take_bounded_option(std::vector<std::string>& args, const char* name, long long low,
                         long long high, long long& value, std::ostream& err);

// Takes "--name" out of args; true when it was there.
bool take_flag(std::vector<std::string>& args, const std::string& name);

}  // namespace orvadw::cli

#pragma once
// Bytes and addresses as the commands print and read them in hexadecimal.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvadw::cli {

// "01 03 FF": two upper-case digits a byte, one blank between.
std::string hex_text(const std::vector<std::uint8_t>& bytes);

// "0x1A00": a block or register address as the messages name it.
std::string hex_address(int address);

// Bytes from words of hexadecimal digits ("01 0a" or "010A", an optional 0x
// before each word, blanks inside a word allowed); false with a message on
// err for anything else or an odd number of digits.
bool parse_hex_words(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes,
                     std::ostream& err);

}  // namespace orvadw::cli

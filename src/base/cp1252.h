#pragma once
// Windows-1252 at the edge: texts that reach the instrument or a file are
// single bytes in this code page; inside the program they are UTF-8.
#include <string>
#include <string_view>

namespace orvadw {

// Every byte 0..255 maps to one character (the five bytes the code page
// leaves undefined map to U+0081, U+008D, U+008F, U+0090, U+009D).
std::string utf8_from_cp1252(std::string_view bytes);

// A character the code page cannot hold becomes "?"; malformed UTF-8 bytes too.
std::string cp1252_from_utf8(std::string_view utf8);

}  // namespace orvadw

#pragma once
// The start-up logo: "logo.bmp" in the program folder, used only when it is
// a bitmap of exactly 563 x 446 pixels with at most 8 bits per pixel (the
// picture the main window is laid out for); anything else is ignored.
#include <string>

namespace orvadw {

inline constexpr int kLogoWidth = 563;
inline constexpr int kLogoHeight = 446;
inline constexpr int kLogoMaxBitsPerPixel = 8;

// True when the file at path starts like such a bitmap (the file and
// information headers of the BMP format, either kind, rows stored bottom-up
// or top-down).
bool is_usable_logo(const std::string& path);

}  // namespace orvadw

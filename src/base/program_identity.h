#pragma once
// Who this program is: the version resource (generated base/version_info.h),
// the product code found from the executable's file name, the version key
// that an instrument's firmware must start with, and the extension of the
// configuration files.
#include <string>
#include <string_view>

namespace orvadw {

// The product code of the first row whose name occurs in the file name of
// executable_name (a bare name or a path; only the last component counts).
// A name that matches no row gets this program's own code, "11".
std::string_view product_code(std::string_view executable_name);

// The first two characters of FileVersion, "-", the product code, "-":
// "10-11-" for this program.
std::string program_version_key(std::string_view executable_name);
// The same for the running executable (/proc/self/exe).
std::string program_version_key();

std::string internal_name();    // "OrvadW 10"
std::string file_version();     // "10 C"
std::string legal_copyright();

// InternalName with every blank removed: "OrvadW10".
std::string configuration_extension();

}  // namespace orvadw

#include "base/program_identity.h"

#include <array>

#include "base/ascii_case.h"
#include "base/program_folder.h"
#include "base/version_info.h"

namespace orvadw {

namespace {
struct ProductProgram {
  std::string_view name;  // looked for, without regard to case, in the executable's file name
  std::string_view code;  // two-digit product code
};

// The programs of the family, in the order they are tried.
constexpr std::array<ProductProgram, 5> kPrograms{{
    {"Gossin", "10"},
    {"ORVADW", "11"},
    {"Vantorel", "03"},
    {"Pellux", "20"},
    {"Hundara", "12"},
}};
// Every build carries one of the names; anything else is still this program.
constexpr std::string_view kOwnCode = "11";
}  // namespace

std::string_view product_code(std::string_view executable_name) {
  std::size_t slash = executable_name.rfind('/');
  if (slash != std::string_view::npos) executable_name.remove_prefix(slash + 1);
  for (const ProductProgram& p : kPrograms) {
    if (icontains(executable_name, p.name)) return p.code;
  }
  return kOwnCode;
}

std::string program_version_key(std::string_view executable_name) {
  std::string version = file_version();
  std::string key = version.substr(0, 2);
  key += '-';
  key += product_code(executable_name);
  key += '-';
  return key;
}

std::string program_version_key() {
  // Every descriptor table asks for it; the executable does not change.
  static const std::string key = program_version_key(executable_path());
  return key;
}

std::string internal_name() { return version::kInternalName; }
std::string file_version() { return version::kFileVersion; }
std::string legal_copyright() { return version::kLegalCopyright; }

std::string configuration_extension() {
  std::string out;
  for (char c : internal_name()) {
    if (c != ' ' && c != '\t') out += c;
  }
  return out;
}

}  // namespace orvadw

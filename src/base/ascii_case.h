#pragma once
// Comparisons without regard to case for the names the program matches
// itself (configuration sections and keys, file and program names, clock
// designators): ASCII letters only, so the result never depends on a locale.
#include <string_view>

namespace orvadw {

bool iequals(std::string_view a, std::string_view b);
bool istarts_with(std::string_view text, std::string_view prefix);
// An empty suffix is never found.
bool iends_with(std::string_view text, std::string_view suffix);
// An empty part is always found.
bool icontains(std::string_view text, std::string_view part);

}  // namespace orvadw

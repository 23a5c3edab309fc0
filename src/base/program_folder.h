#pragma once
// Where the program keeps last.cfg, the default configuration, the logo and
// the Data folder: ORVADW_HOME when set; else the executable's folder when it
// is writable and not an installed one (under /usr/); else
// $XDG_DATA_HOME/orvadw/ (~/.local/share/orvadw/). Paths end with "/".
#include <string>

namespace orvadw {

// The running executable's full path (/proc/self/exe), "" when unknown.
std::string executable_path();

// The folder from explicit inputs (tests): orvadw_home and xdg_data_home are
// the environment values ("" when unset), home the user's home folder.
std::string resolve_program_folder(const std::string& orvadw_home, const std::string& executable,
                                   const std::string& xdg_data_home, const std::string& home);

// The folder for this process, from the environment; created when missing.
std::string program_folder();

// The user's home folder with a trailing "/" ($HOME, else the password
// database, else "/").
std::string home_folder();

// "dir" -> "dir/"; "" stays "".
std::string with_trailing_slash(std::string folder);

// mkdir -p; true when the folder exists afterwards.
bool make_folders(const std::string& folder);

}  // namespace orvadw

#pragma once
// The two menu commands that change the configuration file, without their
// dialogs: Save Option File As (a copy of the current file under a new
// name, which becomes current) and Load Option File (another file becomes
// current and is read as at start-up).
#include <string>

#include "files/configuration.h"

namespace orvadw {

// Text ids of the outcomes of save_configuration_as.
inline constexpr int kCannotOpenDestinationTextId = 67;
inline constexpr int kSameFileTextId = 70;
inline constexpr int kSaveAsFailedTextId = 71;

// Copies the current configuration file to target, which then becomes the
// current one (and is named in last.cfg). Returns 0, or the text id of what
// went wrong: 70 when target is the current file itself (under any spelling
// of its path; nothing changes), 67 when target cannot be created (nothing
// changes), 71 when the copy failed: the default configuration file is then
// the current one. A file already at target is replaced only by a complete
// copy.
int save_configuration_as(Configuration& configuration, const std::string& target);

// Makes path the current configuration file: the last folder is saved into
// the file that was current, then path is loaded as at start-up (named in
// last.cfg, normalised, switches read). 0, or -1 when not even the default
// file could be written (as load_configuration).
int load_configuration_file(Configuration& configuration, const std::string& path);

// True when both paths name the same file: the same path once links and
// "." are resolved, or the same file on disk.
bool same_file(const std::string& a, const std::string& b);

}  // namespace orvadw

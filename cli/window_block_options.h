#pragma once
// --window, --block and --language: the options of the commands that work on
// one block of one window's table (show and encode).
#include <iosfwd>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "params/window_table.h"

namespace orvadw::cli {

struct WindowBlockOptions {
  WindowTable window;
  int block = 0;
  int language = kEnglish;
};

// The window keys for the usage lines: "settings|special|...".
std::string window_choice_text();

// Takes the three options out of args and checks them: the window must be
// known and have values in the block. False with a message naming command.
bool take_window_block_options(std::vector<std::string>& args, const char* command,
                               WindowBlockOptions& options, std::ostream& err);

}  // namespace orvadw::cli

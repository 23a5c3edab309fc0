#pragma once
// The main window's option commands, ready for its menu: each takes the main
// window (a dialog root: its title shows the configuration file, its message
// service answers) and does the whole command.
//
//   run_options_dialog(&master, window);   // Option
//   save_option_file_as(window);           // Save Option File As...
//   load_option_file(window);              // Load Option File
//   show_about_box(window);                // About
//
// After run_options_dialog and load_option_file the main window re-reads
// Language and rebuilds its menu in it (the functions report whether the
// language may have changed).
#include <QString>
#include <string>

namespace orvadw {

class DialogRoot;
class JBusMaster;

// The current configuration path without its extension, as the main
// window's title shows it.
QString configuration_document_name(const std::string& configuration_path);

// The options window, modal over owner. True when OK was pressed (the
// language and the link settings may have changed).
bool run_options_dialog(JBusMaster* master, DialogRoot& owner);

// Save Option File As: the save dialog (configuration files, in the program
// folder); then the copy, with messages 70 (the current file itself), 67
// (cannot be created) or 71 (the copy failed; the default file is current).
// The owner's document name follows the current file. True when the file
// was saved under the new name.
bool save_option_file_as(DialogRoot& owner);

// Load Option File: the open dialog (configuration files, in the program
// folder); the chosen file becomes current and is read as at start-up, with
// its port map. True when a file was loaded.
bool load_option_file(DialogRoot& owner);

// The about box, modal over owner; afterwards the owner's document name is
// the current configuration again.
void show_about_box(DialogRoot& owner);

}  // namespace orvadw

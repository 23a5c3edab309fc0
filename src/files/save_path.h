#pragma once
// The save dialog's rules, without the dialog: completing the chosen name
// with the kind's extension and asking before an existing file is replaced.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvadw {

// The path with "." and the extension added unless it already ends with
// "." + extension; a path ending with a dot gets only the extension. The
// extension may be given with or without its leading dot. An empty extension
// leaves the path as it is.
std::string complete_save_path(std::string_view path, std::string_view extension);
// The same, but a path that already ends with "." and one of the other
// accepted extensions keeps it (an export may be a text file or a workbook).
std::string complete_save_path(std::string_view path, std::string_view extension,
                               const std::vector<std::string>& also_accepted);

// The question asked before replacing: "%s \n\n%s" from the path and text 69.
std::string replace_question(std::string_view path, int language);

// True when a file of that path can be opened for reading.
bool file_exists_for_reading(const std::string& path);

// The folder of a path, ending with "/" ("" when the path has no folder).
std::string folder_of(std::string_view path);

// The save dialog loop: ask_path shows the system dialog (nothing on cancel);
// the answer is completed with the extension; when that file exists,
// confirm_replace(question) is asked and No shows the dialog again. Gives the
// accepted path, or nothing when the user cancelled. A name ending with one
// of also_accepted keeps that extension.
std::optional<std::string> choose_save_path(
    std::string_view extension, int language,
    const std::function<std::optional<std::string>()>& ask_path,
    const std::function<bool(const std::string& question)>& confirm_replace,
    const std::vector<std::string>& also_accepted = {});

}  // namespace orvadw

#pragma once
// Texts of the file services' messages.
#include <string>

namespace orvadw {

inline constexpr int kCautionCaptionId = 4;
inline constexpr int kIncorrectFileTextId = 68;
inline constexpr int kReplaceFileTextId = 69;
inline constexpr int kErrorCaptionId = 74;
inline constexpr int kCannotOpenFileTextId = 77;
// The system's description of a file error is cut to this many characters.
inline constexpr std::size_t kMaxSystemErrorText = 1024;

// Text 77 in the language followed by the system's description of
// error_number (strerror), as shown with caption 74 when a file cannot be
// opened or created.
std::string file_error_message(int error_number, int language);

// What to say when writing or reading a record file failed: the system's
// error when there is one, else "Incorrect File" (the file is not, or no
// longer, one of ours).
std::string file_failure_message(int error_number, int language);

// The system's description of error_number, at most kMaxSystemErrorText
// characters, whatever the thread.
std::string system_error_text(int error_number);

}  // namespace orvadw

#pragma once
// Writing a file that takes another's place only once it is complete: the
// bytes go to a new file beside the target, which is flushed, given the old
// file's mode, renamed over the target, and the rename flushed with its
// folder. A crash, a full disk or a failed write at any point leaves the old
// file as it was (at worst a hidden ".name.XXXXXX" file stays beside it).
//
// Every save that rewrites a whole file goes through here: configuration
// files, data files written in one go, copies of a configuration.
#include <string>
#include <string_view>

namespace orvadw {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  // Discards a file that was not committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Starts the new file for target. A symbolic link is followed, so that the
  // link keeps pointing at the file it names. Refused when the target exists
  // and is not a plain file (a folder, a device, a pipe). 0, or -1 with
  // error_number() set.
  int open(const std::string& target);
  bool is_open() const { return fd_ >= 0; }
  // The new file, open for reading and writing; -1 when none is open.
  int fd() const { return fd_; }
  // Where the file will be once committed (the link's target for a link).
  const std::string& target() const { return target_; }

  // Appends the bytes to the new file. 0 or -1.
  int write(std::string_view bytes);

  // Flushes the new file, renames it over the target and flushes the folder,
  // then closes it. 0, or -1 (the new file is removed, the target untouched).
  int commit();
  // Removes the new file; the target stays as it was.
  void discard();

  // errno of the last failure.
  int error_number() const { return error_number_; }

 private:
  int fail();

  int fd_ = -1;
  std::string target_;
  std::string temporary_;
  bool existed_ = false;
  unsigned old_mode_ = 0;
  unsigned old_uid_ = 0;
  unsigned old_gid_ = 0;
  int error_number_ = 0;
};

// The whole content as one replacement of target. 0, or -1 with the errno in
// *error_number when given.
int replace_file_contents(const std::string& target, std::string_view content,
                          int* error_number = nullptr);

// Copies source to target through a replacement: target becomes an exact
// copy or stays as it was. Copying a file onto itself is refused (EINVAL).
// 0, or -1 with the errno in *error_number when given.
int copy_file_replacing(const std::string& source, const std::string& target,
                        int* error_number = nullptr);

}  // namespace orvadw

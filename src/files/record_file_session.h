#pragma once
// The file services every instrument window offers on top of RecordFile:
// save a record (a new file, or appended to an existing one), open a file for
// reading, load a record, read the identification back. The dialogs, message
// boxes and the firmware check are the caller's, handed in as hooks, so the
// command line, the tests and the windows share one sequence.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/text_table.h"
#include "files/file_kind.h"
#include "files/identification_header.h"
#include "files/record_file.h"

namespace orvadw {

struct FileServiceHooks {
  // A message box: the complete message and the caption's text id.
  std::function<void(const std::string& message, int caption_id)> show_error;
  // The save dialog with its overwrite question (see choose_save_path);
  // nothing when cancelled.
  std::function<std::optional<std::string>()> choose_save_path;
  // The open dialog; nothing when cancelled.
  std::function<std::optional<std::string>()> choose_open_path;
  // 0 when the instrument software version is accepted.
  std::function<int(const std::string& software_version)> check_firmware;
  // Sets the window's identification parameters from a file's header.
  std::function<void(const FileHeader& header)> apply_identification;
  // The save time of new files; local now when not given.
  std::function<DateTime()> now;
};

class RecordFileSession {
 public:
  static constexpr int kNewFileMode = 1;
  static constexpr int kAppendMode = 8;

  explicit RecordFileSession(int language = kEnglish, FileServiceHooks hooks = {});

  void set_language(int language) { language_ = language; }
  void set_hooks(FileServiceHooks hooks) { hooks_ = std::move(hooks); }

  // Default extension and filter from a kind text id; a negative id leaves
  // both empty and gives -1.
  int set_file_kind(int text_id);
  const std::string& default_extension() const { return kind_.extension; }
  const std::string& filter() const { return kind_.filter; }

  // The identification text written into every file created afterwards
  // (UTF-8; stored as Windows-1252).
  void build_header_text(const std::string& title, const IdentificationTexts& ids);
  const std::string& header_text() const { return header_text_; }

  // Mode 8 appends to the existing file at path; any other mode starts a new
  // file (the save dialog first when path is empty; the chosen path is
  // written back). Every save closes the file. 0 or -1.
  int save_record(std::string& path, std::span<const std::uint8_t> bytes, int mode);

  // A new file with the header and every record, written in one go (the
  // save dialog first when path is empty; the chosen path is written back).
  // A file already at the path is replaced only once the new one is whole
  // on disk, so a failure or a crash on the way leaves it as it was. With no
  // records it gives the bare file a recording appends to. 0 or -1.
  int save_records(std::string& path, std::span<const std::vector<std::uint8_t>> records);

  // Opens a file for record reading (the open dialog when path is empty) and
  // gives its record count and header text. The file stays open. 0 or -1.
  int open_for_reading(std::string& path, int& count, std::string& header_text);

  // Loads record index, which must hold register_count 16-bit registers,
  // into bytes for the caller to apply. 0 or -1.
  int load_record(std::string& path, int index, int register_count,
                  std::vector<std::uint8_t>& bytes);

  // Reads the file's header into header (lines the file lacks keep their
  // values), checks the firmware and applies the identification. 0 or -1; a
  // file it refuses is left closed.
  int read_identification(const std::string& path, FileHeader& header);

  void close_file();
  // Only a file opened for reading stays open between calls.
  bool is_open() const { return file_.is_open(); }
  // The save time of the file last opened for reading.
  const DateTime& file_save_time() const { return file_save_time_; }
  // The header record filled by the last identification read through
  // load_record; missing lines keep what an earlier file gave.
  const FileHeader& identification() const { return identification_; }

 private:
  void show(const std::string& message, int caption_id);
  void show_incorrect_file();
  void show_file_error(int error_number);
  // The file's system error when it has one, else the file is not one of
  // ours (cut or garbled).
  void show_read_error();
  int write_new_file(const std::string& path,
                     std::span<const std::vector<std::uint8_t>> records);
  int append_to_file(const std::string& path, std::span<const std::uint8_t> bytes);
  int read_open_header();
  // The identification steps of read_identification on the header last read.
  int identify_open_file(FileHeader& header);

  int language_;
  FileServiceHooks hooks_;
  FileKind kind_;
  std::string header_text_;
  RecordFile file_;
  std::string file_header_text_;
  DateTime file_save_time_;
  FileHeader identification_;
};

}  // namespace orvadw

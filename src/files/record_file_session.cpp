#include "files/record_file_session.h"

#include "base/cp1252.h"
#include "files/file_error.h"

namespace orvadw {

RecordFileSession::RecordFileSession(int language, FileServiceHooks hooks)
    : language_(language), hooks_(std::move(hooks)) {}

int RecordFileSession::set_file_kind(int text_id) {
  return file_kind_from_text_id(text_id, language_, kind_);
}

void RecordFileSession::build_header_text(const std::string& title,
                                          const IdentificationTexts& ids) {
  header_text_ = orvadw::build_header_text(title, ids);
}

void RecordFileSession::show(const std::string& message, int caption_id) {
  if (hooks_.show_error) hooks_.show_error(message, caption_id);
}

void RecordFileSession::show_incorrect_file() {
  show(text_of(kIncorrectFileTextId, language_), kErrorCaptionId);
}

void RecordFileSession::show_file_error(int error_number) {
  show(file_error_message(error_number, language_), kErrorCaptionId);
}

void RecordFileSession::show_read_error() {
  if (file_.error_number() != 0) {
    show_file_error(file_.error_number());
  } else {
    show_incorrect_file();
  }
}

void RecordFileSession::close_file() { file_.close(); }

int RecordFileSession::write_new_file(const std::string& path,
                                      std::span<const std::vector<std::uint8_t>> records) {
  close_file();
  // The old file stays whole until the new one is complete on disk.
  if (file_.create_replacement(path) != 0) {
    show_file_error(file_.error_number());
    return -1;
  }
  const DateTime now = hooks_.now ? hooks_.now() : DateTime::now();
  int rc = file_.create_header(cp1252_from_utf8(header_text_), now);
  for (std::size_t i = 0; rc == 0 && i < records.size(); ++i) rc = file_.append(records[i]);
  if (rc == 0) rc = file_.commit();
  // A full disk or a vanished folder must not pass for a saved file.
  if (rc != 0 && file_.error_number() != 0) show_file_error(file_.error_number());
  close_file();
  return rc == 0 ? 0 : -1;
}

int RecordFileSession::append_to_file(const std::string& path,
                                      std::span<const std::uint8_t> bytes) {
  // Every save closes its file, so the record goes to a file opened afresh
  // (never one left open for reading) whose header is checked again.
  close_file();
  if (file_.open(path, true) != 0) {
    show_file_error(file_.error_number());
    return -1;
  }
  std::string text;
  DateTime time;
  if (file_.read_header(text, time) != 0) {
    show_read_error();
    close_file();
    return -1;
  }
  int rc = file_.append(bytes);
  if (rc != 0) {
    // Without a system error it is a cut or foreign tail: appending would
    // hide the new record.
    show_read_error();
  }
  close_file();
  return rc == 0 ? 0 : -1;
}

int RecordFileSession::save_record(std::string& path, std::span<const std::uint8_t> bytes,
                                   int mode) {
  if (mode == kAppendMode) {
    if (path.empty()) return -1;
    return append_to_file(path, bytes);
  }
  const std::vector<std::uint8_t> record(bytes.begin(), bytes.end());
  return save_records(path, std::span(&record, 1));
}

int RecordFileSession::save_records(std::string& path,
                                    std::span<const std::vector<std::uint8_t>> records) {
  if (!path.empty()) return write_new_file(path, records);
  if (!hooks_.choose_save_path) return -1;
  std::optional<std::string> chosen = hooks_.choose_save_path();
  if (!chosen || chosen->empty()) return -1;
  if (write_new_file(*chosen, records) != 0) return -1;
  path = *chosen;
  return 0;
}

int RecordFileSession::read_open_header() {
  std::string text;
  if (file_.read_header(text, file_save_time_) != 0) {
    show_read_error();
    close_file();
    return -1;
  }
  file_header_text_ = utf8_from_cp1252(text);
  return 0;
}

int RecordFileSession::open_for_reading(std::string& path, int& count,
                                        std::string& header_text) {
  if (file_.is_open() && (path.empty() || path == file_.path())) {
    count = file_.record_count();
    header_text = file_header_text_;
    return 0;
  }
  // Asked for another file than the one open: never answer from the old one.
  close_file();
  std::string chosen = path;
  if (chosen.empty()) {
    if (!hooks_.choose_open_path) return -1;
    std::optional<std::string> answer = hooks_.choose_open_path();
    if (!answer || answer->empty()) return -1;
    chosen = *answer;
    path = chosen;
  }
  if (file_.open(chosen, false) != 0) {
    show_file_error(file_.error_number());
    return -1;
  }
  if (read_open_header() != 0) return -1;
  count = file_.record_count();
  header_text = file_header_text_;
  return 0;
}

int RecordFileSession::read_identification(const std::string& path, FileHeader& header) {
  if (path.empty()) return -1;
  if (!file_.is_open() || path != file_.path()) {
    close_file();
    if (file_.open(path, false) != 0) {
      show_file_error(file_.error_number());
      return -1;
    }
  }
  if (read_open_header() != 0) return -1;
  return identify_open_file(header);
}

int RecordFileSession::identify_open_file(FileHeader& header) {
  parse_header_text(file_header_text_, header);
  header.record_count = file_.record_count();
  header.save_time = file_save_time_;
  // A refused file is closed: left open, the next load of the same path
  // would read its records without asking again.
  if (header.record_count <= 0) {
    show_incorrect_file();
    close_file();
    return -1;
  }
  if (hooks_.check_firmware && hooks_.check_firmware(header.software_version) != 0) {
    close_file();
    return -1;
  }
  if (hooks_.apply_identification) hooks_.apply_identification(header);
  return 0;
}

int RecordFileSession::load_record(std::string& path, int index, int register_count,
                                   std::vector<std::uint8_t>& bytes) {
  if (!file_.is_open() || (!path.empty() && path != file_.path())) {
    int count = 0;
    std::string text;
    if (open_for_reading(path, count, text) != 0) return -1;
    // The header was just read; a file without records is reported here.
    if (identify_open_file(identification_) != 0) return -1;
  }
  std::vector<std::uint8_t> record;
  if (file_.read_record(index, record) != 0) return -1;
  if (register_count < 0 || record.size() != 2 * static_cast<std::size_t>(register_count)) {
    return -1;
  }
  bytes = std::move(record);
  return 0;
}

}  // namespace orvadw

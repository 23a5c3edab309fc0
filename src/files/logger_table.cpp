#include "files/logger_table.h"

#include <cstdlib>
#include <cstring>

#include "base/c_locale.h"
#include "base/cp1252.h"
#include "base/text_table.h"
#include "files/file_error.h"
#include "files/record_file.h"
#include "params/value_codec.h"
#include "params/window_table.h"

namespace orvadw {

namespace {
constexpr int kNumberText = 153;
constexpr int kDateText = 51;
constexpr int kTimeText = 205;
constexpr int kObturationText = 210;
constexpr int kObturationOffset = 6;

const std::vector<std::uint8_t> kNoEntry;

// The obturation time as the instrument sent it: a float, most significant
// byte first. Compared as sent, not as shown: 0.3 µs shows "0" but is an
// entry.
bool ends_log(std::span<const std::uint8_t> entry) {
  const std::uint32_t bits = (std::uint32_t{entry[kObturationOffset]} << 24) |
                             (std::uint32_t{entry[kObturationOffset + 1]} << 16) |
                             (std::uint32_t{entry[kObturationOffset + 2]} << 8) |
                             std::uint32_t{entry[kObturationOffset + 3]};
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value == 0.0f;
}
}  // namespace

std::vector<std::string> logger_header(int language) {
  return {text_of(kNumberText, language), text_of(kDateText, language),
          text_of(kTimeText, language), text_of(kObturationText, language)};
}

LoggerTable::LoggerTable(ParameterFieldList& fields) : fields_(fields) {
  grid_ = field(kGridControl).grid();
  if (grid_ == nullptr) std::abort();  // the logger table always has its grid row
  reset();
}

ParameterField& LoggerTable::field(int control_id) {
  ParameterField* f = fields_.field(control_id);
  if (f == nullptr) std::abort();
  return *f;
}

void LoggerTable::reset() {
  GridTable& g = *grid_;
  g.set_dimensions(kRows, kColumns);
  g.set_fixed(1, 0);
  g.set_flat(true);
  for (int c = 0; c < kColumns; ++c) g.set_column_alignment(c, CellAlignment::kCentre);
  const int language = fields_.language();
  g.set_row(0, logger_header(language));
  g.clear_rows(1);
  entries_.assign(kRows, {});
}

LoggerTable::Fill LoggerTable::fill(int row, std::span<const std::uint8_t> entry) {
  if (entry.size() < static_cast<std::size_t>(kEntryBytes)) return Fill::kUndecodable;
  const std::span<const std::uint8_t> bytes = entry.first(kEntryBytes);
  if (fields_.decode(block::kLoggerEntry, bytes) != 0) return Fill::kUndecodable;
  if (ends_log(bytes)) return Fill::kEnd;
  if (row < 1 || row >= kRows) return Fill::kFilled;
  const ParameterField& date_field = field(kDateControl);
  const DateTime date = ValueCodec::date_from_raw(date_field.descriptor().value_type, date_field.raw_date());
  grid_->set_row(row, {c_format("%d", row), date.format_date(), date.format_time(),
                       field(kObturationControl).value_text()});
  entries_[static_cast<std::size_t>(row)].assign(bytes.begin(), bytes.end());
  return Fill::kFilled;
}

int LoggerTable::entry_count() const {
  int n = 0;
  for (const auto& e : entries_) n += e.empty() ? 0 : 1;
  return n;
}

const std::vector<std::uint8_t>& LoggerTable::entry_bytes(int row) const {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return kNoEntry;
  return entries_[static_cast<std::size_t>(row)];
}

LoggerTable::SaveResult LoggerTable::save(const std::string& path, const std::string& header_text,
                                          const DateTime& now, int language) const {
  SaveResult result;
  RecordFile file;
  auto failure = [&] { return file_failure_message(file.error_number(), language); };
  // The new file takes the old one's place only once it is whole: a full
  // disk in the middle never leaves a logger file cut short.
  if (file.create_replacement(path) != 0 ||
      file.create_header(cp1252_from_utf8(header_text), now) != 0) {
    result.errors.push_back(failure());
    return result;
  }
  int appended = 0;
  for (const auto& entry : entries_) {
    if (entry.empty()) continue;
    if (file.append(entry) == 0) {
      ++appended;
    } else {
      result.errors.push_back(failure());
    }
  }
  if (!result.errors.empty()) return result;  // closing throws the new file away
  if (file.commit() != 0) {
    result.errors.push_back(failure());
    return result;
  }
  result.created = true;
  result.written = appended;
  return result;
}

int LoggerTable::load(int record_count,
                      const std::function<int(int, std::vector<std::uint8_t>&)>& read_record) {
  reset();
  int filled = 0;
  for (int i = 0; i < record_count && i < kMaxEntries; ++i) {
    std::vector<std::uint8_t> bytes;
    if (read_record(i, bytes) != 0) continue;
    if (fill(i + 1, bytes) == Fill::kFilled) ++filled;
  }
  return filled;
}

}  // namespace orvadw

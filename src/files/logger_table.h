#pragma once
// The logger view's table below Qt: 21 rows (a header row and one row per
// log entry) of 4 centred columns, number, date, time and obturation time in
// whole µs, in the grid field of the logger window (control 1292). Each entry
// row keeps the 10 bytes it was made from, as received from the instrument
// or read from a file, and those are what a save writes back: the texts on
// screen (regional date, rounded µs) are never parsed back into data.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "params/grid_table.h"
#include "params/parameter_field_list.h"

namespace orvadw {

// The table's header row in a language: number, date, time and obturation
// time (texts 153, 51, 205, 210), as the window shows it and the export
// writes it.
std::vector<std::string> logger_header(int language);

class LoggerTable {
 public:
  static constexpr int kGridControl = 1292;
  static constexpr int kObturationControl = 1235;
  static constexpr int kDateControl = 1069;
  static constexpr int kMaxEntries = 20;
  static constexpr int kRows = kMaxEntries + 1;
  static constexpr int kColumns = 4;
  // One entry: six date bytes (type 0x6000), then a float of µs.
  static constexpr int kEntryBytes = 10;

  // fields: the logger window's field list (the view's, or one made from
  // logger_window()); it must outlive the table.
  explicit LoggerTable(ParameterFieldList& fields);

  GridTable& grid() { return *grid_; }
  const GridTable& grid() const { return *grid_; }

  // 21 x 4, one fixed row, centred, flat, the header texts in the fields'
  // language; the entry rows emptied.
  void reset();

  enum class Fill {
    kFilled,       // the row shows the entry
    kEnd,          // obturation time 0: the log ends, the row stays empty
    kUndecodable,  // too few bytes for one entry
  };
  // Decodes one entry (the first 10 bytes) and, unless it ends the log,
  // writes table row `row` (1..20) from it and keeps its bytes.
  Fill fill(int row, std::span<const std::uint8_t> entry);

  // The entry rows that hold an entry, in order.
  int entry_count() const;
  const std::vector<std::uint8_t>& entry_bytes(int row) const;

  struct SaveResult {
    int written = 0;                   // records on disk
    std::vector<std::string> errors;   // one message per record that failed
    bool created = false;              // false: nothing saved (errors[0] says why)
  };
  // Writes path with the header text (UTF-8) and the save time, then one
  // record per entry row, in order. Every record that cannot be written is
  // reported; the file then stays as it was before (a file already there is
  // replaced only by a whole new one).
  SaveResult save(const std::string& path, const std::string& header_text, const DateTime& now,
                  int language) const;

  // Fills the table from a logger file's records (at most 20): record i
  // goes to row i + 1; an entry whose obturation time is 0 leaves its row
  // empty. read_record(i, bytes) is the file's reader (0 on success).
  // Returns the rows filled.
  int load(int record_count, const std::function<int(int, std::vector<std::uint8_t>&)>& read_record);

 private:
  ParameterField& field(int control_id);

  ParameterFieldList& fields_;
  GridTable* grid_;
  std::vector<std::vector<std::uint8_t>> entries_;  // per row; empty when none
};

}  // namespace orvadw

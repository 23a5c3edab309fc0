#pragma once
// One printed sheet on a started page: the window's title at the top, the
// footer (print date and time in the regional format, the program's name,
// and for parameter windows the checksum of the blocks shown), then the
// window's fields laid out over as many pages as they need. The printer's
// document (its name, start and end) belongs to the caller.
#include <string>

#include "base/date_time.h"
#include "files/print_surface.h"
#include "params/parameter_field_list.h"

namespace orvadw {

struct SheetContent {
  std::string title;     // the window's title as shown
  std::string checksum;  // "CRC-32 ..." for a parameter sheet, else empty
};

// Fonts of the sheet.
PrintFont sheet_title_font();
PrintFont sheet_body_font();

// "title 2026-01-05 14-03-09": the print job's name, whatever the regional
// format.
std::string print_document_name(const std::string& title, const DateTime& now);

// Text 101, the date, three blanks and the time, then (when given) three
// blanks and the checksum.
std::string print_footer_text(int language, const DateTime& now, const RegionalSettings& regional,
                              const std::string& checksum);

// Prints the sheet; the number of pages, or -1 when the printer refused a
// new page.
int print_sheet(PrintSurface& surface, const ParameterFieldList& fields,
                const SheetContent& content, int language, const DateTime& now,
                const RegionalSettings& regional);

}  // namespace orvadw

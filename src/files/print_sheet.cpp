#include "files/print_sheet.h"

#include "base/c_locale.h"
#include "base/program_identity.h"
#include "base/text_table.h"
#include "files/sheet_layout.h"

namespace orvadw {

namespace {
constexpr int kPrintedAtTextId = 101;
constexpr const char* kFooterGap = "   ";
constexpr double kTitleY = 10;
}  // namespace

PrintFont sheet_title_font() {
  return PrintFont{"Arial", 15, 0, 700, true};
}
PrintFont sheet_body_font() {
  return PrintFont{"Arial", 10, 0, 400, false};
}

std::string print_document_name(const std::string& title, const DateTime& now) {
  return c_format("%s %4d-%02d-%02d %02d-%02d-%02d", title.c_str(), now.year(), now.month(),
                  now.day(), now.hour(), now.minute(), now.second());
}

std::string print_footer_text(int language, const DateTime& now, const RegionalSettings& regional,
                              const std::string& checksum) {
  std::string footer = text_of(kPrintedAtTextId, language) + now.format_date(regional) +
                       kFooterGap + now.format_time(regional);
  if (!checksum.empty()) footer += kFooterGap + checksum;
  return footer;
}

int print_sheet(PrintSurface& surface, const ParameterFieldList& fields,
                const SheetContent& content, int language, const DateTime& now,
                const RegionalSettings& regional) {
  using namespace print_flag;
  // A title or footer longer than the page is cut rather than lost past
  // its edges.
  const double width = surface.page_size().width;
  surface.select_font(sheet_title_font());
  surface.print_text(0, kTitleY, fit_text(surface, content.title, width),
                     kTop | kCentre | kCentredOnX);
  surface.select_font(sheet_body_font());
  const std::string name = internal_name();
  const double footer_room =
      width - surface.text_size(name).width - surface.text_size(kFooterGap).width;
  surface.print_text(
      0, 0,
      fit_text(surface, print_footer_text(language, now, regional, content.checksum), footer_room),
      kBottom | kLeft | kNoAnchor);
  surface.print_text(0, 0, name, kBottom | kRight);
  return SheetLayout(surface, fields).print(SheetLayout::kWindowTop);
}

}  // namespace orvadw

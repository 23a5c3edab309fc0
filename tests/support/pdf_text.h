#pragma once
// The text of a PDF file as pdftotext reads it (-raw: one printed line a
// line, in the order printed), for checking printed sheets.
#include <string>

namespace orvadw::test {

// Empty when the file cannot be read.
std::string pdf_text(const std::string& path);
// Pages of the file (pdftotext ends each with a form feed).
int pdf_pages(const std::string& path);

}  // namespace orvadw::test

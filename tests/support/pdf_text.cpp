#include "tests/support/pdf_text.h"

#include <algorithm>
#include <chrono>

#include "tests/support/child_process.h"

namespace orvadw::test {

std::string pdf_text(const std::string& path) {
  ChildProcess child;
  if (!child.start({"/usr/bin/pdftotext", "-raw", "-enc", "UTF-8", path, "-"})) return {};
  if (child.wait(ChildProcess::Clock::now() + std::chrono::seconds(30)) != 0) return {};
  return child.out_text();
}

int pdf_pages(const std::string& path) {
  const std::string text = pdf_text(path);
  return static_cast<int>(std::count(text.begin(), text.end(), '\f'));
}

}  // namespace orvadw::test

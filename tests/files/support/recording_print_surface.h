#pragma once
// A print surface that draws nothing and records everything, with simple
// metrics: a character is 5.3 points wide (6.1 in bold: widths that do not
// add up exactly, as a printer's do not), a line 12 points high, on a page
// of the size given. What a layout printed where can then be checked
// against the page.
#include <string>
#include <vector>

#include "files/print_surface.h"

namespace orvadw::test {

class RecordingPrintSurface : public PrintSurface {
 public:
  struct Text {
    int page = 0;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    std::string text;
    bool bold = false;
    bool underline = false;
  };

  RecordingPrintSurface(double page_width, double page_height) : page_{page_width, page_height} {}

  void select_font(const PrintFont& font) override {
    bold_ = font.weight >= 700;
    underline_ = font.underline;
  }
  void set_font_style(int weight, bool underline) override {
    bold_ = weight >= 700;
    underline_ = underline;
  }
  void select_pen(double) override {}
  PrintSize text_size(std::string_view text) override {
    double characters = 0;
    for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
    return {characters * (bold_ ? 6.1 : 5.3), kLineHeight};
  }
  PrintSize page_size() override { return page_; }
  bool new_page() override {
    if (refuse_new_page_) return false;
    ++page_index_;
    return true;
  }

  void refuse_new_page() { refuse_new_page_ = true; }
  int pages() const { return page_index_ + 1; }
  const std::vector<Text>& texts() const { return texts_; }
  // The texts of one page, or every text equal to one string.
  std::vector<Text> on_page(int page) const {
    std::vector<Text> out;
    for (const Text& t : texts_) {
      if (t.page == page) out.push_back(t);
    }
    return out;
  }
  std::vector<Text> find(const std::string& text) const {
    std::vector<Text> out;
    for (const Text& t : texts_) {
      if (t.text == text) out.push_back(t);
    }
    return out;
  }

  static constexpr double kLineHeight = 12;

 protected:
  void draw_text(PrintPoint at, std::string_view text) override {
    const PrintSize size = text_size(text);
    texts_.push_back(
        {page_index_, at.x, at.y, size.width, size.height, std::string(text), bold_, underline_});
  }
  void draw_polyline(std::span<const PrintPoint>) override {}
  void draw_chart_at(const ChartSeries&, PrintPoint, PrintSize) override {}

 private:
  PrintSize page_;
  bool bold_ = false;
  bool underline_ = false;
  bool refuse_new_page_ = false;
  int page_index_ = 0;
  std::vector<Text> texts_;
};

}  // namespace orvadw::test

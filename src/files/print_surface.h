#pragma once
// A printed page as the sheet layout sees it: everything measured in points
// (1/72 inch), text placed by a position and anchoring flags, fonts given in
// points. The Qt layer puts it on a printer; tests put it on a recorder. The
// anchoring arithmetic lives here, once for every surface.
#include <span>
#include <string>
#include <string_view>

namespace orvadw {

class ChartSeries;

// Anchoring flags of print_text.
namespace print_flag {
inline constexpr int kTop = 1;           // y from the top of the page
inline constexpr int kBottom = 2;        // y from the bottom (unless kTop)
inline constexpr int kLeft = 4;          // x from the left
inline constexpr int kRight = 8;         // x from the right (unless kLeft)
inline constexpr int kMiddle = 16;       // y from the vertical centre (unless kTop or kBottom)
inline constexpr int kCentre = 32;       // x from the horizontal centre (unless kLeft or kRight)
inline constexpr int kNoAnchor = 64;     // the text starts at x
inline constexpr int kEndsAtX = 128;     // the text ends at x (unless kNoAnchor)
inline constexpr int kCentredOnX = 256;  // the text is centred on x (unless kNoAnchor or kEndsAtX)
}  // namespace print_flag

struct PrintSize {
  double width = 0;
  double height = 0;
};

struct PrintPoint {
  double x = 0;
  double y = 0;
};

struct PrintFont {
  std::string face = "Arial";
  double height = 10;  // points
  double width = 0;    // points; 0 = the face's own proportion
  int weight = 400;    // 400 normal, 700 bold
  bool underline = false;
};

// Where the top-left corner of a text of that size goes for a position and
// flags, on a page of that size (all in points, before the origin).
PrintPoint anchored_position(double x, double y, int flags, PrintSize text, PrintSize page);

class PrintSurface {
 public:
  virtual ~PrintSurface();

  // Fonts in points; set_font_style keeps the face and size.
  virtual void select_font(const PrintFont& font) = 0;
  virtual void set_font_style(int weight, bool underline) = 0;
  // Pen width in points (scaled by 0.2, as the printed lines were always drawn).
  virtual void select_pen(double width) = 0;
  // The extent of a text in the selected font.
  virtual PrintSize text_size(std::string_view text) = 0;
  // The printable area of one page.
  virtual PrintSize page_size() = 0;
  // Ends the page and starts the next; false when the printer refused.
  virtual bool new_page() = 0;

  // Offset of everything printed afterwards, in points.
  void set_origin(double x, double y);
  PrintPoint origin() const { return origin_; }

  // Draws text at a position adjusted by the flags; nothing when enabled is
  // false (the counting pass of a layout).
  void print_text(double x, double y, std::string_view text, int flags, bool enabled = true);
  // A line through points given in points.
  void polyline(std::span<const PrintPoint> points);
  // A chart's points, range and labels painted into a rectangle in points.
  void draw_chart(const ChartSeries& series, double x, double y, double width, double height);

 protected:
  // The surface's own drawing, positions in points from the page's corner
  // (origin applied): the top-left corner of the text.
  virtual void draw_text(PrintPoint at, std::string_view text) = 0;
  virtual void draw_polyline(std::span<const PrintPoint> points) = 0;
  virtual void draw_chart_at(const ChartSeries& series, PrintPoint at, PrintSize size) = 0;

 private:
  PrintPoint origin_;
};

}  // namespace orvadw

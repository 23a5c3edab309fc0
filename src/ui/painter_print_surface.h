#pragma once
// The print surface on a printer (or any paged device: a PDF writer): points
// become device pixels through the device's resolution (dots per inch / 72),
// fonts are sized in points (15 points at 600 dpi is a 125-pixel font),
// texts are drawn with their top-left corner at the position, and a chart is
// painted by the curve chart's own painter.
#include <QPagedPaintDevice>
#include <QPainter>

#include "files/print_surface.h"

namespace orvadw {

class PainterPrintSurface : public PrintSurface {
 public:
  explicit PainterPrintSurface(QPagedPaintDevice& device);
  ~PainterPrintSurface() override;
  PainterPrintSurface(const PainterPrintSurface&) = delete;
  PainterPrintSurface& operator=(const PainterPrintSurface&) = delete;

  // Starts painting (the first page); false when the device refused.
  bool begin();
  // Ends the document; false when the device reported a failure.
  bool end();
  QPainter& painter() { return painter_; }

  // Device pixels per point.
  double horizontal_scale() const { return horizontal_; }
  double vertical_scale() const { return vertical_; }
  // A font of that many points in pixels of a device with that scale.
  static int font_pixels(double points, double scale);

  void select_font(const PrintFont& font) override;
  void set_font_style(int weight, bool underline) override;
  void select_pen(double width) override;
  PrintSize text_size(std::string_view text) override;
  PrintSize page_size() override;
  bool new_page() override;

 protected:
  void draw_text(PrintPoint at, std::string_view text) override;
  void draw_polyline(std::span<const PrintPoint> points) override;
  void draw_chart_at(const ChartSeries& series, PrintPoint at, PrintSize size) override;

 private:
  QPagedPaintDevice& device_;
  QPainter painter_;
  double horizontal_ = 1;
  double vertical_ = 1;
};

}  // namespace orvadw

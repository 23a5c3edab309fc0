#include "ui/painter_print_surface.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <QString>
#include <algorithm>

#include "params/chart_series.h"
#include "ui/curve_chart.h"

namespace orvadw {

namespace {
constexpr double kPointsPerInch = 72.0;
// Printed lines are a fifth of their nominal width.
constexpr double kPenFactor = 0.2;
constexpr int kBold = 700;

QString qtext(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

PainterPrintSurface::PainterPrintSurface(QPagedPaintDevice& device) : device_(device) {
  horizontal_ = device.logicalDpiX() / kPointsPerInch;
  vertical_ = device.logicalDpiY() / kPointsPerInch;
}

PainterPrintSurface::~PainterPrintSurface() {
  if (painter_.isActive()) painter_.end();
}

bool PainterPrintSurface::begin() {
  if (!painter_.begin(&device_)) return false;
  painter_.setPen(Qt::black);
  return true;
}

bool PainterPrintSurface::end() {
  return painter_.isActive() ? painter_.end() : false;
}

int PainterPrintSurface::font_pixels(double points, double scale) {
  return static_cast<int>(points * scale);
}

void PainterPrintSurface::select_font(const PrintFont& font) {
  QFont f(QString::fromStdString(font.face));
  f.setPixelSize(std::max(1, font_pixels(font.height, vertical_)));
  f.setWeight(font.weight >= kBold ? QFont::Bold : QFont::Normal);
  f.setUnderline(font.underline);
  painter_.setFont(f);
}

void PainterPrintSurface::set_font_style(int weight, bool underline) {
  QFont f = painter_.font();
  f.setWeight(weight >= kBold ? QFont::Bold : QFont::Normal);
  f.setUnderline(underline);
  painter_.setFont(f);
}

void PainterPrintSurface::select_pen(double width) {
  QPen pen = painter_.pen();
  pen.setWidthF(width * horizontal_ * kPenFactor);
  painter_.setPen(pen);
}

PrintSize PainterPrintSurface::text_size(std::string_view text) {
  const QFontMetricsF metrics(painter_.font(), &device_);
  return {metrics.horizontalAdvance(qtext(text)) / horizontal_, metrics.height() / vertical_};
}

PrintSize PainterPrintSurface::page_size() {
  return {device_.width() / horizontal_, device_.height() / vertical_};
}

bool PainterPrintSurface::new_page() {
  return device_.newPage();
}

void PainterPrintSurface::draw_text(PrintPoint at, std::string_view text) {
  const QFontMetricsF metrics(painter_.font(), &device_);
  painter_.drawText(QPointF(at.x * horizontal_, at.y * vertical_ + metrics.ascent()), qtext(text));
}

void PainterPrintSurface::draw_polyline(std::span<const PrintPoint> points) {
  QPolygonF line;
  for (const PrintPoint& p : points) line << QPointF(p.x * horizontal_, p.y * vertical_);
  painter_.drawPolyline(line);
}

void PainterPrintSurface::draw_chart_at(const ChartSeries& series, PrintPoint at, PrintSize size) {
  // The chart only reads the series it paints.
  CurveChart chart(const_cast<ChartSeries*>(&series));
  const QRect area(static_cast<int>(at.x * horizontal_), static_cast<int>(at.y * vertical_),
                   static_cast<int>(size.width * horizontal_),
                   static_cast<int>(size.height * vertical_));
  painter_.save();
  chart.paint(painter_, area);
  painter_.restore();
}

}  // namespace orvadw

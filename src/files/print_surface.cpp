#include "files/print_surface.h"

#include <vector>

namespace orvadw {

using namespace print_flag;

PrintPoint anchored_position(double x, double y, int flags, PrintSize text, PrintSize page) {
  if ((flags & kTop) == 0) {
    if (flags & kBottom) {
      y += page.height - text.height;
    } else if (flags & kMiddle) {
      y += page.height / 2;
    }
  }
  if ((flags & kLeft) == 0) {
    if (flags & kRight) {
      x += page.width - text.width;
    } else if (flags & kCentre) {
      x += page.width / 2;
    }
  }
  if ((flags & kNoAnchor) == 0) {
    if (flags & kEndsAtX) {
      x -= text.width;
    } else if (flags & kCentredOnX) {
      x -= text.width / 2;
    }
  }
  return {x, y};
}

PrintSurface::~PrintSurface() = default;

void PrintSurface::set_origin(double x, double y) {
  origin_ = {x, y};
}

void PrintSurface::print_text(double x, double y, std::string_view text, int flags, bool enabled) {
  if (!enabled) return;
  const PrintPoint at = anchored_position(x, y, flags, text_size(text), page_size());
  draw_text({at.x + origin_.x, at.y + origin_.y}, text);
}

void PrintSurface::polyline(std::span<const PrintPoint> points) {
  std::vector<PrintPoint> moved(points.begin(), points.end());
  for (PrintPoint& p : moved) {
    p.x += origin_.x;
    p.y += origin_.y;
  }
  draw_polyline(moved);
}

void PrintSurface::draw_chart(const ChartSeries& series, double x, double y, double width,
                              double height) {
  draw_chart_at(series, {x + origin_.x, y + origin_.y}, {width, height});
}

}  // namespace orvadw

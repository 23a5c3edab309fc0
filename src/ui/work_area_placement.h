#pragma once
// Keeping a window on the desktop's work area. Rectangles are edges, right
// and bottom exclusive (width = right - left).
namespace orvadw {

struct EdgeRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const EdgeRect&) const = default;
};

struct WindowPosition {
  int left = 0;
  int top = 0;
  bool operator==(const WindowPosition&) const = default;
};

// Where a window with rectangle `window` goes on the work area `work`.
// Centring puts it in the middle of the work area's size, without adding the
// work area's origin. Negative coordinates become 0; a window reaching below
// the work area moves up (to 0 when it is taller than the work area); one
// reaching beyond the right edge moves left when it fits. The bottom and
// right checks look at the window's rectangle before centring.
WindowPosition keep_on_work_area(const EdgeRect& window, const EdgeRect& work, bool centre);

}  // namespace orvadw

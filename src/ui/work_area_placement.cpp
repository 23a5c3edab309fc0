#include "ui/work_area_placement.h"

namespace orvadw {

WindowPosition keep_on_work_area(const EdgeRect& window, const EdgeRect& work, bool centre) {
  int top = window.top;
  int left = window.left;
  if (centre) {
    top = (work.height() - window.height()) / 2;
    left = (work.width() - window.width()) / 2;
  }
  if (top < 0) top = 0;
  if (left < 0) left = 0;
  if (window.bottom > work.bottom) {
    if (work.height() < window.bottom - top) {
      top = 0;
    } else {
      top -= window.bottom - work.bottom;
    }
  }
  if (window.right > work.right && work.width() >= window.right - left) {
    left -= window.right - work.right;
  }
  return {left, top};
}

}  // namespace orvadw

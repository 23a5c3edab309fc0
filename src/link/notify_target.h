#pragma once
// Where the link's threads report to a window without knowing Qt: the poll
// thread posts "WM_NEW_TRAME" after each poll, the modem session sends
// "WM_INFO_MODEM" with each step of its dialogue. A window implements this by
// turning the name into its registered event type.
#include <string>
#include <string_view>

namespace orvadw {

class NotifyTarget {
 public:
  virtual ~NotifyTarget() = default;
  // Queues the named message and returns at once (any thread).
  virtual void post_message(std::string_view name, long wparam, long lparam) = 0;
  // Delivers the named message with a text and waits until the receiver has
  // handled it; returns the receiver's answer. By default nothing listens.
  virtual long send_message(std::string_view name, long wparam, const std::string& text) {
    (void)name;
    (void)wparam;
    (void)text;
    return 0;
  }
};

}  // namespace orvadw

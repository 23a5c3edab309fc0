#include "dialogs/traffic_relay.h"

namespace orvadw {

TrafficRelay::TrafficRelay(QObject* window, std::function<void(const TrafficEvent&)> show)
    : window_(window), show_(std::move(show)) {}

void TrafficRelay::on_traffic(const TrafficEvent& event) {
  QObject* window = window_.data();
  if (window == nullptr || !show_) return;
  // Queued even on the window's own thread: the link calls its tap in the
  // middle of a transaction, never the place to repaint a window.
  QMetaObject::invokeMethod(window, [show = show_, event] { show(event); }, Qt::QueuedConnection);
}

}  // namespace orvadw

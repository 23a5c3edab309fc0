#pragma once
// The link's traffic tap for a window: events come on whatever thread the
// link works on and are handed to the window's thread, where show() runs
// with each of them in order. Events for a window that has gone are
// dropped. The frame monitor of the main window shows what this relays.
//
//   auto relay = std::make_shared<TrafficRelay>(monitor, [monitor](const TrafficEvent& e) {
//     monitor->append(e);
//   });
//   master.set_traffic_tap(relay);
#include <QObject>
#include <QPointer>
#include <functional>

#include "link/traffic_tap.h"

namespace orvadw {

class TrafficRelay : public TrafficTap {
 public:
  TrafficRelay(QObject* window, std::function<void(const TrafficEvent&)> show);
  void on_traffic(const TrafficEvent& event) override;

 private:
  QPointer<QObject> window_;
  std::function<void(const TrafficEvent&)> show_;
};

}  // namespace orvadw

// The link's threads reach a window through EventNotifyTarget.
#include "ui/event_notify_target.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <future>
#include <thread>

#include "support/event_recorder.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"

namespace orvadw {
namespace {

using test::EventRecorder;

// Answers modem reports with the length of their text, noting the thread.
class Answerer : public EventRecorder {
 public:
  std::atomic<bool> on_other_thread{false};

 protected:
  bool event(QEvent* e) override {
    if (const NamedEvent* named = NamedEvent::as(e, msg::kInfoModem)) {
      if (QThread::currentThread() != thread()) on_other_thread = true;
      named->set_result(named->text().size() * 10 + named->wparam());
    }
    return EventRecorder::event(e);
  }
};

// Runs the event loop until the future is ready or the bound passes.
template <typename T>
bool pump_until_ready(std::future<T>& result, int limit_ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    if (timer.elapsed() > limit_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

TEST(EventNotifyTarget, PollsPostedFromAWorkerArriveAsNewTrame) {
  EventRecorder view;
  EventNotifyTarget target(&view);
  std::thread poller([&] {
    for (int i = 0; i < 5; ++i) target.post_message("WM_NEW_TRAME", i, 0);
  });
  poller.join();
  ASSERT_TRUE(view.wait_for(5));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(view.messages()[i].name, "WM_NEW_TRAME");
    EXPECT_EQ(view.messages()[i].wparam, i);
  }
}

TEST(EventNotifyTarget, AWaitingSendIsAnsweredOnTheReceiversThread) {
  Answerer window;
  EventNotifyTarget target(&window);
  auto answer = std::async(std::launch::async, [&] {
    return target.send_message("WM_INFO_MODEM", 3, "CONNECT 9600");
  });
  ASSERT_TRUE(pump_until_ready(answer));
  EXPECT_EQ(answer.get(), 12 * 10 + 3);
  EXPECT_FALSE(window.on_other_thread.load());
  ASSERT_EQ(window.count(msg::kInfoModem), 1);
  EXPECT_EQ(window.messages()[0].text, "CONNECT 9600");

  // From the receiver's own thread it is delivered at once.
  EXPECT_EQ(target.send_message("WM_INFO_MODEM", 1, "OK"), 21);
}

TEST(EventNotifyTarget, AWaitingSenderIsReleasedWhenTheWindowGoesAway) {
  auto* window = new Answerer;
  EventNotifyTarget target(window);
  std::atomic<bool> started{false};
  auto answer = std::async(std::launch::async, [&] {
    started = true;
    return target.send_message("WM_INFO_MODEM", 1, "RING");
  });
  while (!started.load()) std::this_thread::yield();
  QThread::msleep(20);  // let the sender queue its message and wait
  delete window;        // before the event loop ever ran it
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 0);
  EXPECT_FALSE(target.attached());
  target.post_message("WM_NEW_TRAME", 0, 0);  // nothing to post to, no crash
  QCoreApplication::processEvents();
}

TEST(EventNotifyTarget, DetachReleasesWaitersAndStopsPosting) {
  EventRecorder view;
  auto target = std::make_unique<EventNotifyTarget>(&view);
  auto answer = std::async(std::launch::async, [&] {
    return target->send_message("WM_INFO_MODEM", 1, "BUSY");
  });
  QThread::msleep(20);
  target->detach();
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 0);
  target->post_message("WM_NEW_TRAME", 1, 1);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(view.count(msg::kNewTrame), 0);
  EXPECT_EQ(view.count(msg::kInfoModem), 0) << "a dropped report is not delivered later";
  target.reset();
  QCoreApplication::processEvents();
}

}  // namespace
}  // namespace orvadw

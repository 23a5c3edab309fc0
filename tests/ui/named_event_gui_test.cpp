// Named messages reach their target with both parameters, synchronously or
// queued, from the UI thread or from a worker.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <thread>

#include "support/event_recorder.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"

namespace orvadw {
namespace {

using test::EventRecorder;

TEST(NamedEvent, SendDeliversAtOnceWithBothParameters) {
  EventRecorder owner;
  ASSERT_TRUE(send_named(&owner, msg::kEditLostFocus, 1117, -5));
  ASSERT_EQ(owner.messages().size(), 1u);  // no event loop needed
  EXPECT_EQ(owner.messages()[0].name, "WM_USER_CEDITQN_LOSTFOCUS");
  EXPECT_EQ(owner.messages()[0].wparam, 1117);
  EXPECT_EQ(owner.messages()[0].lparam, -5);
  EXPECT_FALSE(owner.messages()[0].has_text);
}

TEST(NamedEvent, PostIsQueuedUntilTheEventLoopRuns) {
  EventRecorder owner;
  ASSERT_TRUE(post_named(&owner, msg::kMenuLogger, 7, 0x7FFFFFFFFFFFLL));
  EXPECT_TRUE(owner.messages().empty());
  ASSERT_TRUE(owner.wait_for(1));
  EXPECT_EQ(owner.messages()[0].name, "WM_USER_MENU_DIAL_LOGGER");
  EXPECT_EQ(owner.messages()[0].lparam, 0x7FFFFFFFFFFFLL);
}

TEST(NamedEvent, ModemReportsCarryTheirText) {
  EventRecorder owner;
  ASSERT_TRUE(send_named(&owner, msg::kInfoModem, 2, 0, "CONNECT 9600"));
  ASSERT_EQ(owner.messages().size(), 1u);
  EXPECT_TRUE(owner.messages()[0].has_text);
  EXPECT_EQ(owner.messages()[0].text, "CONNECT 9600");
}

TEST(NamedEvent, NoTargetMeansNothingSentAndNoCrash) {
  EXPECT_FALSE(send_named(nullptr, msg::kButtonClick, 1, 0));
  EXPECT_FALSE(post_named(nullptr, msg::kButtonClick, 1, 0));
  EXPECT_FALSE(post_named(nullptr, msg::kInfoModem, 1, 0, "x"));
}

TEST(NamedEvent, AsRecognisesOnlyTheNamedMessage) {
  NamedEvent click(message_id(msg::kButtonClick), 3, 0);
  EXPECT_NE(NamedEvent::as(&click, msg::kButtonClick), nullptr);
  EXPECT_EQ(NamedEvent::as(&click, msg::kButtonDoubleClick), nullptr);
  QEvent plain(QEvent::User);
  EXPECT_EQ(NamedEvent::as(&plain), nullptr);
  EXPECT_EQ(NamedEvent::as(nullptr), nullptr);
}

TEST(NamedEvent, MessagesPostedFromAWorkerArriveInOrderOnTheUiThread) {
  EventRecorder owner;
  constexpr int kCount = 200;
  std::thread worker([&] {
    for (int i = 0; i < kCount; ++i) post_named(&owner, msg::kNewTrame, i, 2 * i);
  });
  worker.join();
  ASSERT_TRUE(owner.wait_for(kCount));
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(owner.messages()[i].wparam, i);
    EXPECT_EQ(owner.messages()[i].lparam, 2 * i);
  }
}

}  // namespace
}  // namespace orvadw

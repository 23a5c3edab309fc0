#include "ui/named_message_registry.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QSet>
#include <atomic>
#include <thread>
#include <vector>

namespace orvadw {
namespace {

TEST(NamedMessageRegistry, FixedNamesAreRegisteredOnceWithDistinctUserTypes) {
  const QStringList names = NamedMessageRegistry::fixed_names();
  // Two link messages, nine control messages and twenty menu commands.
  ASSERT_EQ(names.size(), 31);
  QSet<int> types;
  for (const QString& name : names) {
    const int type = NamedMessageRegistry::id(name);
    EXPECT_GE(type, QEvent::User) << name.toStdString();
    EXPECT_LE(type, QEvent::MaxUser) << name.toStdString();
    EXPECT_EQ(NamedMessageRegistry::id(name), type) << "second lookup of " << name.toStdString();
    EXPECT_EQ(NamedMessageRegistry::name_of(type), name);
    types.insert(type);
  }
  EXPECT_EQ(types.size(), names.size());
  EXPECT_TRUE(names.contains("WM_USER_CEDITQN_LOSTFOCUS"));
  EXPECT_TRUE(names.contains("WM_USER_MENU_MODEM_DECONNECT"));
  EXPECT_TRUE(names.contains("WM_NEW_TRAME"));
}

TEST(NamedMessageRegistry, NamesOutsideTheListAreRegisteredOnFirstUse) {
  const int first = message_id("WM_USER_TEST_ONLY_A");
  const int second = message_id("WM_USER_TEST_ONLY_B");
  EXPECT_NE(first, 0);
  EXPECT_NE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(message_id("WM_USER_TEST_ONLY_A"), first);
  EXPECT_NE(first, message_id(msg::kNewTrame));
  EXPECT_TRUE(NamedMessageRegistry::contains(first));
  // Names are exact: another spelling is another message.
  EXPECT_NE(message_id("wm_user_test_only_a"), first);
}

TEST(NamedMessageRegistry, EmptyNamesAndForeignTypesAreRefused) {
  EXPECT_EQ(message_id(QString()), 0);
  EXPECT_FALSE(NamedMessageRegistry::contains(QEvent::MouseButtonPress));
  EXPECT_TRUE(NamedMessageRegistry::name_of(QEvent::KeyPress).isEmpty());
}

TEST(NamedMessageRegistry, ThreadsRegisteringOneNewNameAgreeOnItsNumber) {
  constexpr int kThreads = 8;
  std::vector<int> seen(kThreads, 0);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      while (!go.load()) std::this_thread::yield();
      seen[i] = message_id("WM_USER_TEST_RACE");
    });
  }
  go.store(true);
  for (auto& t : threads) t.join();
  for (int i = 1; i < kThreads; ++i) EXPECT_EQ(seen[i], seen[0]);
  EXPECT_NE(seen[0], 0);
}

}  // namespace
}  // namespace orvadw

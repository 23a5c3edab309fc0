// Buttons, choice lists, number fields and spin fields: what they show and
// what they tell their owner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/result_codes.h"
#include "support/event_recorder.h"
#include "support/focus_window.h"
#include "support/qt_print.h"
#include "support/shown_texts.h"
#include "ui/button_icons.h"
#include "ui/choice_list.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/notifying_button.h"
#include "ui/number_field.h"
#include "ui/spin_button.h"
#include "ui/spin_field.h"

namespace orvadw {
namespace {

using test::BeepCounter;
using test::EventRecorder;
using test::focus;
using test::show_active;

// A window holding the control under test and a plain line edit to move the
// focus to and from.
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    layout = new QVBoxLayout(&window);
    other = new QLineEdit(&window);
    layout->addWidget(other);
  }
  template <typename W>
  W* add(W* widget) {
    layout->addWidget(widget);
    return widget;
  }
  QWidget window;
  QVBoxLayout* layout = nullptr;
  QLineEdit* other = nullptr;
  EventRecorder owner;
};

// ---------------------------------------------------------------- buttons

TEST_F(ControlTest, ButtonReportsClicksAndDoubleClicksWithItsId) {
  auto* button = add(new NotifyingButton(&owner, 1300));
  ASSERT_TRUE(show_active(&window));
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseDClick(button, Qt::LeftButton);
  ASSERT_GE(owner.count(msg::kButtonClick), 1);
  EXPECT_EQ(owner.named(msg::kButtonClick)[0].wparam, 1300);
  EXPECT_EQ(owner.named(msg::kButtonClick)[0].lparam, 0);
  ASSERT_EQ(owner.count(msg::kButtonDoubleClick), 1);
  EXPECT_EQ(owner.named(msg::kButtonDoubleClick)[0].wparam, 1300);
}

TEST_F(ControlTest, ButtonLosingTheFocusNamesTheWidgetThatGetsIt) {
  auto* button = add(new NotifyingButton(&owner, 1301));
  ASSERT_TRUE(show_active(&window));
  focus(button);
  focus(other);
  ASSERT_EQ(owner.count(msg::kButtonKillFocus), 1);
  EXPECT_EQ(owner.named(msg::kButtonKillFocus)[0].wparam, 1301);
  EXPECT_EQ(owner.named(msg::kButtonKillFocus)[0].lparam, reinterpret_cast<qintptr>(other));
}

TEST_F(ControlTest, ControlsWithoutIdOrOwnerSendNothing) {
  auto* silent = add(new NotifyingButton(&owner, 0));
  auto* orphan = add(new NotifyingButton(nullptr, 1302));
  auto* field = add(new NumberField(&owner, 0));
  auto* list = add(new ChoiceList(nullptr, 1303));
  list->set_items({"a", "b"});
  ASSERT_TRUE(show_active(&window));
  QTest::mouseClick(silent, Qt::LeftButton);
  QTest::mouseClick(orphan, Qt::LeftButton);
  focus(field);
  QTest::keyClicks(field, "12");
  focus(list);
  QTest::keyClick(list, Qt::Key_Down);
  focus(other);
  EXPECT_TRUE(owner.messages().empty());

  // An owner that goes away is forgotten, not called.
  auto* gone = new EventRecorder;
  auto* button = add(new NotifyingButton(gone, 1304));
  delete gone;
  QTest::mouseClick(button, Qt::LeftButton);
}

TEST_F(ControlTest, ButtonIconsComeFromTheTableOrAreRefused) {
  NotifyingButton button;
  EXPECT_EQ(button.set_icon(icon_id::kSave), 0);
  EXPECT_FALSE(button.icon().isNull());
  EXPECT_EQ(button.icon_id(), icon_id::kSave);
  EXPECT_EQ(button.set_icon(99999), -1);
  EXPECT_EQ(button.icon_id(), icon_id::kSave) << "a refused icon changes nothing";
  EXPECT_FALSE(button.icon().isNull());

  QPixmap red(16, 16);
  red.fill(Qt::red);
  ButtonIcons::add(4321, QIcon(red));
  EXPECT_EQ(button.set_icon(4321), 0);
  ButtonIcons::add(4322, QIcon());
  EXPECT_EQ(button.set_icon(4322), -1);
}

// ----------------------------------------------------------- choice lists

TEST(ChoiceListItems, SortedListsShowTextOrderButKeepSourceValues) {
  ChoiceList list;
  list.set_items({"b", "A", "c"}, 1);
  EXPECT_EQ(test::shown_texts(list), QStringList({"A", "b", "c"}));
  EXPECT_EQ(list.select_value(1), 0);
  EXPECT_EQ(list.currentIndex(), 0);
  EXPECT_EQ(list.selected_text(), "A");
  EXPECT_EQ(list.selected_value(), 1);

  list.set_items({"b", "A", "c"}, -1);
  EXPECT_EQ(test::shown_texts(list), QStringList({"c", "b", "A"}));
  list.select_value(1);
  EXPECT_EQ(list.currentIndex(), 2);

  list.set_items({"b", "A", "c"}, 7);  // any other order keeps the source order
  EXPECT_EQ(test::shown_texts(list), QStringList({"b", "A", "c"}));
}

TEST(ChoiceListItems, FlagsChangeTheDisplayButNotTheIndexMapping) {
  ChoiceList list;
  list.set_items({"zero", "one", "two", "three"});
  list.set_item_flags(1, ChoiceItems::kShown | ChoiceItems::kDashed);
  list.set_item_flags(2, 0);  // not shown
  list.set_item_flags(3, ChoiceItems::kShown | ChoiceItems::kMarked);
  EXPECT_EQ(test::shown_texts(list), QStringList({"zero", "------", "**three**"}));
  list.select_value(3);
  EXPECT_EQ(list.currentIndex(), 2);
  list.select_value(1);
  EXPECT_EQ(list.currentIndex(), 1) << "a dashed item still counts as shown";
  EXPECT_EQ(list.selected_value(), 1);
  EXPECT_EQ(list.select_value(2), 0) << "a hidden item cannot be selected";
  EXPECT_EQ(list.selected_value(), 1);
}

TEST(ChoiceListItems, EmptyListsAndValuesOutOfRange) {
  ChoiceList list;
  EXPECT_EQ(list.selected_value(), 0);
  EXPECT_EQ(list.selected_text(), "");
  EXPECT_EQ(list.select_value(0), -1);
  list.set_items({"x", "y"});
  EXPECT_EQ(list.select_value(2), -1);
  EXPECT_EQ(list.select_value(-1), -1);
  EXPECT_EQ(list.currentIndex(), -1);
}

TEST_F(ControlTest, ChoiceListReportsFocusChangeAndConfirmedChoice) {
  auto* list = add(new ChoiceList(&owner, 1120));
  list->set_items({"b", "A", "c"}, 1);
  list->select_value(1);  // "A", shown first
  int picked = -1;
  QObject::connect(list, &ChoiceList::user_selected, [&](int index) { picked = index; });
  ASSERT_TRUE(show_active(&window));
  owner.clear();

  focus(list);
  ASSERT_EQ(owner.count(msg::kComboSetFocus), 1);
  EXPECT_EQ(owner.named(msg::kComboSetFocus)[0].wparam, 1120);

  QTest::keyClick(list, Qt::Key_Down);  // "b", source position 0
  EXPECT_EQ(picked, 1);
  EXPECT_EQ(list->selected_value(), 0);
  EXPECT_EQ(list->selected_text(), "b");
  EXPECT_EQ(owner.count(msg::kComboSelChange), 1);
  EXPECT_EQ(owner.count(msg::kComboSelEndOk), 1);
  EXPECT_EQ(owner.named(msg::kComboSelEndOk)[0].wparam, 1120);

  // Program selections are silent.
  owner.clear();
  list->select_value(2);
  list->set_items({"p", "q"});
  EXPECT_TRUE(owner.messages().empty());
}

// ---------------------------------------------------------- number fields

TEST_F(ControlTest, LeavingAFieldLimitsReformatsAndBeepsBeforeTellingTheOwner) {
  auto* field = add(new NumberField(&owner, 1117));
  ASSERT_EQ(field->set_format(0, 100, 0, 0, "%0.1f"), 0);
  QString text_when_told;
  owner.clear();
  ASSERT_TRUE(show_active(&window));
  focus(field);
  QTest::keyClicks(field, "150");
  EXPECT_EQ(owner.count(msg::kEditOnChange), 3);
  EXPECT_EQ(owner.named(msg::kEditOnChange)[0].wparam, 1117);
  BeepCounter beeps;
  focus(other);
  EXPECT_EQ(field->text(), "100.0");
  EXPECT_EQ(beeps.count(), 1);
  ASSERT_EQ(owner.count(msg::kEditLostFocus), 1);
  EXPECT_EQ(owner.named(msg::kEditLostFocus)[0].wparam, 1117);
  EXPECT_EQ(owner.named(msg::kEditLostFocus)[0].lparam, 0);

  focus(field);
  QTest::keyClicks(field, "-3");  // the whole text was selected: replaced
  focus(other);
  EXPECT_EQ(field->text(), "0.0");
  EXPECT_EQ(beeps.count(), 2);

  focus(field);
  QTest::keyClicks(field, "abc");
  focus(other);
  EXPECT_EQ(field->text(), "0.0");
  EXPECT_EQ(beeps.count(), 2) << "letters read as 0, inside the limits";

  focus(field);
  QTest::keyClicks(field, "42.25");
  focus(other);
  EXPECT_EQ(field->text(), "42.2");  // printf rounding of 42.25 with one decimal
  EXPECT_DOUBLE_EQ(field->number(), 42.2);
  EXPECT_EQ(beeps.count(), 2);
}

TEST_F(ControlTest, OwnerReadsTheFinishedTextWhenToldOfTheFocusLoss) {
  struct Reader : EventRecorder {
    NumberField* field = nullptr;
    QString seen;
    bool event(QEvent* e) override {
      if (NamedEvent::as(e, msg::kEditLostFocus)) seen = field->text();
      return EventRecorder::event(e);
    }
  } reader;
  auto* field = add(new NumberField(&reader, 5));
  reader.field = field;
  field->set_format(0, 10, 0, 0, "%0.2f");
  ASSERT_TRUE(show_active(&window));
  focus(field);
  QTest::keyClicks(field, "99");
  BeepCounter beeps;
  focus(other);
  EXPECT_EQ(reader.seen, "10.00");
}

TEST(NumberFieldRules, HexadecimalTextRangesAndFormats) {
  BeepCounter beeps;
  NumberField field;
  ASSERT_EQ(field.set_format(0, 0, 0, 0, "%4h"), 0);
  field.set_value_text("255");
  field.finish_edit();
  EXPECT_EQ(field.text(), "0x00FF");
  field.set_value_text("0x1a");
  field.finish_edit();
  EXPECT_EQ(field.text(), "0x001A");
  EXPECT_DOUBLE_EQ(field.number(), 26);
  field.set_number(4096);
  EXPECT_EQ(field.text(), "0x1000");

  field.set_format(0, 100, 0, 0, "%h");  // too short for a digit count: 4 digits
  field.set_value_text("5");
  field.finish_edit();
  EXPECT_EQ(field.text(), "0x0005");

  // Minimum equal to maximum: never limited.
  field.set_format(50, 50, 0, 0, "%0.1f");
  field.set_value_text("150");
  EXPECT_FALSE(field.finish_edit());
  EXPECT_EQ(field.text(), "150.0");
  EXPECT_EQ(beeps.count(), 0);

  // Formats too short are refused and change nothing.
  EXPECT_EQ(field.set_format(0, 1, 0, 0, "f"), -1);
  EXPECT_EQ(field.rules().format(), "%0.1f");

  // Text fields: the maximum is a length.
  field.set_format(0, 4, 0, 0, "%s");
  field.set_value_text("abcdefg");
  field.finish_edit();
  EXPECT_EQ(field.text(), "abcd");
  EXPECT_EQ(field.selectedText(), "abcd");

  // set_number writes with %f, whatever the format.
  field.set_format(0, 0, 0, 0, "%0.1f");
  field.set_number(2.5);
  EXPECT_EQ(field.text(), "2.500000");
}

TEST(NumberFieldRules, TheGuardKeepsTheTextButNotTheLimits) {
  BeepCounter beeps;
  NumberField field;
  field.set_format(0, 100, 0, 0, "%0.1f");
  field.set_guard(true);
  field.set_value_text("12.345");
  field.finish_edit();
  EXPECT_EQ(field.text(), "12.345");
  field.set_value_text("500");
  field.finish_edit();
  EXPECT_EQ(field.text(), "100.0");
  EXPECT_EQ(beeps.count(), 1);
}

TEST_F(ControlTest, FocusArrivingSelectsTheWholeText) {
  auto* field = add(new NumberField(&owner, 9));
  field->set_format(0, 0, 0, 0, "%0.2f");
  field->set_value_text("3.14");
  ASSERT_TRUE(show_active(&window));
  focus(field, Qt::MouseFocusReason);
  EXPECT_EQ(field->selectedText(), "3.14");
}

TEST_F(ControlTest, ARedirectedFieldHandsTheFocusBackAndIsNeverLimited) {
  auto* field = add(new NumberField(&owner, 10));
  field->set_format(0, 10, 0, 0, "%0.1f");
  field->set_value_text("55");
  field->set_read_only_redirect(true);
  ASSERT_TRUE(show_active(&window));
  focus(other);
  focus(field);
  for (int i = 0; i < 50 && QApplication::focusWidget() != other; ++i) QTest::qWait(10);
  EXPECT_EQ(QApplication::focusWidget(), other);
  EXPECT_EQ(field->selectedText(), "");
  BeepCounter beeps;
  EXPECT_FALSE(field->finish_edit());
  EXPECT_EQ(field->text(), "55.0") << "reformatted, not limited";
  EXPECT_EQ(beeps.count(), 0);
}

// ------------------------------------------------------------ spin fields

TEST(SpinFieldRules, StepComesFromTheFormatAndBadRangesAreRefused) {
  SpinField spin;
  EXPECT_EQ(spin.set_format(10, 5, 0, 0, "%0.1f"), result::kSpinRangeRefused);
  EXPECT_EQ(spin.set_format(0, 100, 0, 0, "x"), -1);
  struct Case {
    const char* format;
    double step;
  };
  for (const Case& c : {Case{"%0.1f", 0.1}, Case{"%0.3f", 0.001}, Case{"%0.f", 1},
                        Case{"%d", 1}, Case{"%0.5f", 1}, Case{"%0.12f", 1e-12},
                        Case{"%0.15f", 0.1}}) {
    ASSERT_EQ(spin.set_format(-1000, 1000, 0, 0, c.format), 0) << c.format;
    EXPECT_DOUBLE_EQ(spin.step(), c.step) << c.format;
  }
  EXPECT_EQ(spin.set_format(5, 5, 0, 0, "%0.2f"), 0) << "equal limits are accepted";
}

TEST(SpinFieldRules, ANewDeltaMovesByDeltaTimesStepLimitedAndResetsThePosition) {
  BeepCounter beeps;
  SpinField spin;
  ASSERT_EQ(spin.set_format(0, 10, 0, 0, "%0.1f"), 0);
  spin.set_text("9.5");
  send_named(&spin, msg::kSpinNewDelta, 3, 3);
  EXPECT_EQ(spin.text(), "9.8");
  send_named(&spin, msg::kSpinNewDelta, 3, -100);
  EXPECT_EQ(spin.text(), "0.0");
  EXPECT_EQ(beeps.count(), 1);
  send_named(&spin, msg::kSpinNewDelta, 50, 50);
  EXPECT_EQ(spin.text(), "5.0");
  EXPECT_EQ(spin.spin_button()->position(), 0);
}

TEST_F(ControlTest, ArrowsStepTheValueAndTheOwnerHearsOfTheChange) {
  auto* spin = add(new SpinField(&owner, 1200));
  spin->set_format(-5, 5, 0, 0, "%0.2f");
  spin->set_text("1.00");
  int spun = 0;
  QObject::connect(spin, &SpinField::spun, [&](int delta, bool) { spun += delta; });
  ASSERT_TRUE(show_active(&window));
  owner.clear();
  QTest::mouseClick(spin->spin_button()->up_arrow(), Qt::LeftButton);
  QTest::mouseClick(spin->spin_button()->up_arrow(), Qt::LeftButton);
  QTest::mouseClick(spin->spin_button()->down_arrow(), Qt::LeftButton);
  EXPECT_EQ(spin->text(), "1.01");
  EXPECT_EQ(spun, 1);
  EXPECT_EQ(spin->spin_button()->position(), 0);
  EXPECT_EQ(owner.count(msg::kEditOnChange), 3);
  EXPECT_EQ(owner.named(msg::kEditOnChange)[0].wparam, 1200);
}

TEST_F(ControlTest, SpinFieldTakesTabIntoItsNumberFieldAndLeavesItOnTheNext) {
  auto* spin = add(new SpinField(&owner, 1201));
  auto* after = add(new QLineEdit);
  spin->setFixedWidth(120);
  ASSERT_TRUE(show_active(&window));
  EXPECT_EQ(spin->number_field()->width(), 120 - SpinField::kArrowWidth);
  EXPECT_EQ(spin->spin_button()->width(), SpinField::kArrowWidth);
  focus(other);
  QTest::keyClick(other, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), spin->number_field());
  QTest::keyClick(spin->number_field(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), after);
  EXPECT_EQ(owner.count(msg::kEditLostFocus), 1);
}

TEST(SpinButtonAcceleration, HoldingLongerStepsFurther) {
  SpinButton button;
  EXPECT_EQ(button.multiplier_after(0), 1);
  EXPECT_EQ(button.multiplier_after(4999), 1);
  EXPECT_EQ(button.multiplier_after(5000), 2);
  EXPECT_EQ(button.multiplier_after(9999), 2);
  EXPECT_EQ(button.multiplier_after(10000), 10);
  EXPECT_EQ(button.multiplier_after(19999), 10);
  EXPECT_EQ(button.multiplier_after(20000), 100);
  EXPECT_EQ(button.multiplier_after(3600000), 100);
}

TEST(SpinButtonAcceleration, PositionStaysInItsRangeAndEveryStepIsReported) {
  EventRecorder owner;
  SpinButton button;
  button.set_owner(&owner);
  button.set_position(99);
  button.step(+1);
  button.step(+1);
  ASSERT_EQ(owner.count(msg::kSpinNewDelta), 2);
  EXPECT_EQ(owner.named(msg::kSpinNewDelta)[0].wparam, 100);
  EXPECT_EQ(owner.named(msg::kSpinNewDelta)[1].wparam, 100);
  EXPECT_EQ(owner.named(msg::kSpinNewDelta)[1].lparam, 1);
  button.set_position(-250);
  EXPECT_EQ(button.position(), -100);
}

}  // namespace
}  // namespace orvadw

namespace orvadw {
namespace {

// An arrow held down keeps one hold from its press: the auto-repeats (which
// report pressed and released again with the arrow still down) must not
// restart it, or the acceleration never engages.
TEST_F(ControlTest, AHeldArrowCountsItsHoldFromTheFirstPress) {
  auto* spin = add(new SpinButton);
  spin->setFixedSize(20, 40);
  spin->set_owner(&owner);
  spin->up_arrow()->setAutoRepeatDelay(20);
  spin->up_arrow()->setAutoRepeatInterval(20);
  ASSERT_TRUE(show_active(&window));
  QTest::mousePress(spin->up_arrow(), Qt::LeftButton);
  ASSERT_TRUE(owner.wait_for(1)) << "the first repeat";
  QElapsedTimer since_first;
  since_first.start();
  ASSERT_TRUE(owner.wait_for(6)) << "five more repeats";
  // Every repeat after the first comes later than it, so a hold restarted by
  // a repeat would be shorter than the time since the first step.
  EXPECT_GE(spin->held_ms(), since_first.elapsed());
  QTest::mouseRelease(spin->up_arrow(), Qt::LeftButton);
  EXPECT_EQ(spin->held_ms(), 0);
  // A new press is a new hold.
  owner.clear();
  QTest::mousePress(spin->up_arrow(), Qt::LeftButton);
  ASSERT_TRUE(owner.wait_for(1));
  EXPECT_LT(spin->held_ms(), since_first.elapsed());
  QTest::mouseRelease(spin->up_arrow(), Qt::LeftButton);
}

}  // namespace
}  // namespace orvadw

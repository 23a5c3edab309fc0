// Fields get their controls from a template and stay in step with them.
#include "ui/field_binder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/text_table.h"
#include "params/parameter_descriptor.h"
#include "params/parameter_field_list.h"
#include "support/event_recorder.h"
#include "support/focus_window.h"
#include "support/qt_print.h"
#include "support/shown_texts.h"
#include "support/test_templates.h"
#include "ui/chart_view.h"
#include "ui/choice_list.h"
#include "ui/dialog_template_registry.h"
#include "ui/grid_view.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/number_field.h"
#include "ui/spin_button.h"
#include "ui/spin_field.h"

namespace orvadw {
namespace {

using test::BeepCounter;
using test::EventRecorder;
using test::focus;
using test::show_active;

constexpr int kBlock = 0x1000;

std::vector<ParameterDescriptor> gallery_table() {
  using namespace kind;
  using namespace presentation;
  return {
      {1100, 0, 42, kFrame, 0, "", 0, 0, 0, 0, "", 0, -1, -1},
      {1101, 0, 12, kChoice | kSortAscending, 23, "0", 0, 0, 0, 0, "%c", value_type::kU8, 0, kBlock},
      {1110, 0, 65, kEdit, 0, "12.5", 130, 0, 0, 100, "%0.1f", value_type::kS16, 1, kBlock},
      {1120, 0, 195, kSpin, 0, "10", 146, 0, 0, 50, "%0.f", value_type::kU8, 3, kBlock},
      {1130, 0, 240, kReadOnly, 0, "", 0, 0, 0, 8, "%s", value_type::kText, 4, kBlock},
      {1140, 0, 0, kReadOnly, 25, "", 0, 0, 0, 0, "%l", value_type::kBit0, 12, kBlock},
      {1150, 0, 0, kEdit, 0, "0x0010", 0, 0, 0, 0, "%4h", value_type::kU16, 13, kBlock},
      {1160, 0, 11, kChart, 20, "", 142, 0, 200, 2000, "%0.1f", 0, -1, -1},
      {1170, 0, 0, kGrid, 0, "", 0, 0, 0, 0, "", 0, -1, -1},
      {1180, kHidden, 51, kEdit, 0, "1", 0, 0, 0, 10, "%0.f", 0, -1, -1},
      {1185, kDisabled, 202, kEdit, 0, "2", 0, 0, 0, 10, "%0.f", 0, -1, -1},
      {1190, kValueDisabled, 205, kChoice, 27, "0", 0, 0, 0, 0, "%c", 0, -1, -1},
      {0, 0, 160, kHeading, 0, "", 0, 0, 0, 0, "", 0, -1, -1},
      {1195, kHiddenValue, 0, kEdit, 0, "hidden", 0, 0, 0, 0, "%s", 0, -1, -1},
      {1199, 0, 0, kEdit, 0, "5", 0, 0, 0, 0, "%0.f", 0, -1, -1},
      {1200, 0, 3, kEdit, 0, "7", 0, 0, 0, 10, "%0.f", 0, -1, -1, 0},
      {1210, 0, 4, kEdit, 0, "8", 0, 0, 0, 10, "%0.f", 0, -1, -1, 1},
  };
}

// Counts what the field list hears, by origin.
struct OriginLog : FieldObserver {
  std::vector<ChangeOrigin> origins;
  void field_value_changed(ParameterField&, ChangeOrigin origin) override { origins.push_back(origin); }
  int count(ChangeOrigin origin) const {
    return static_cast<int>(std::count(origins.begin(), origins.end(), origin));
  }
};

class FieldBinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::register_test_templates();
    ASSERT_TRUE(DialogTemplateRegistry::apply(test::kGalleryTemplate, &dialog));
    auto* tabs = dialog.findChild<QTabWidget*>("pages");
    ASSERT_NE(tabs, nullptr);
    page = new QWidget;
    ASSERT_TRUE(DialogTemplateRegistry::apply(test::kPageTemplate, page));
    tabs->addTab(page, "Page");
    for (const auto& d : gallery_table()) fields.add(d);
    binder = std::make_unique<FieldBinder>(fields, &dialog, &owner);
    binder->set_pages({page});
  }
  ParameterField& field(int control_id) { return *fields.field(control_id); }

  QWidget dialog;
  QWidget* page = nullptr;
  EventRecorder owner;
  ParameterFieldList fields{kEnglish, 2};  // page 1 exists in the table but has no widget
  std::unique_ptr<FieldBinder> binder;
};

TEST_F(FieldBinderTest, EachKindGetsItsControlsInPlaceOfThePlaceholders) {
  EXPECT_EQ(binder->bind_all(), 2);  // 1199 has no placeholder, page 1 has no widget
  EXPECT_EQ(binder->missing_controls(), (std::vector<int>{1199, 1210, 1211}));

  // The frame keeps the template's group box, and the fields inside it.
  auto* frame = qobject_cast<QGroupBox*>(binder->control(1100));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->title(), "Pipe - Product");
  ASSERT_NE(binder->choice_list(1102), nullptr);
  EXPECT_TRUE(frame->isAncestorOf(binder->choice_list(1102)));
  EXPECT_EQ(binder->label(1101)->text(), "C. Material");

  NumberField* edit = binder->number_field(1111);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), "12.5");
  EXPECT_EQ(edit->notification_id(), 1111);
  EXPECT_EQ(edit->owner(), &owner);
  EXPECT_EQ(binder->label(1110)->text(), "Thickness");
  EXPECT_EQ(binder->label(1112)->text(), "mm");
  // The new control sits in the placeholder's layout slot; the placeholder is gone.
  EXPECT_GE(dialog.layout()->indexOf(edit), 0);
  EXPECT_EQ(dialog.findChildren<QWidget*>("c1111").size(), 1);

  ASSERT_NE(binder->spin_field(1121), nullptr);
  EXPECT_EQ(binder->spin_field(1121)->text(), "10");
  EXPECT_DOUBLE_EQ(binder->spin_field(1121)->step(), 1);
  EXPECT_EQ(binder->label(1130)->text(), "Version");
  EXPECT_EQ(binder->label(1131)->text(), "");
  EXPECT_NE(binder->label(1140), nullptr);
  EXPECT_EQ(binder->number_field(1150)->text(), "0x10");
  ASSERT_NE(binder->chart(1161), nullptr);
  EXPECT_EQ(binder->label(1162)->text(), "m/s");
  ASSERT_NE(binder->grid(1170), nullptr);
  EXPECT_EQ(binder->grid(1170)->rows(), 3);
  EXPECT_EQ(binder->grid(1170)->columns(), 4);
  ASSERT_NE(binder->number_field(1201), nullptr);
  EXPECT_TRUE(page->isAncestorOf(binder->number_field(1201)));
  EXPECT_EQ(binder->label(1200)->text(), "Application");

  // Print-only entries and hidden values have no controls.
  EXPECT_EQ(binder->control(0), nullptr);
  EXPECT_EQ(binder->control(1195), nullptr);
  EXPECT_EQ(field(1195).value_text(), "hidden");

  // A field is bound once.
  EXPECT_EQ(binder->bind(field(1110)), -1);
  EXPECT_EQ(binder->bind_all(), 0);
}

TEST_F(FieldBinderTest, PresentationOptionsHideAndDisable) {
  binder->bind_all();
  ASSERT_TRUE(show_active(&dialog));
  EXPECT_FALSE(binder->control(1180)->isVisible());
  EXPECT_FALSE(binder->control(1181)->isVisible());
  EXPECT_TRUE(binder->control(1111)->isVisible());
  EXPECT_FALSE(binder->control(1185)->isEnabled());
  EXPECT_FALSE(binder->control(1186)->isEnabled());
  EXPECT_TRUE(binder->control(1190)->isEnabled());
  EXPECT_FALSE(binder->control(1191)->isEnabled());

  // The model's show and enable reach the widgets.
  field(1110).show(false);
  EXPECT_FALSE(binder->control(1110)->isVisible());
  EXPECT_FALSE(binder->control(1111)->isVisible());
  EXPECT_FALSE(binder->control(1112)->isVisible());
  field(1110).show(true);
  field(1180).show(true);
  EXPECT_TRUE(binder->control(1181)->isVisible());
  field(1120).enable(false);
  EXPECT_FALSE(binder->control(1120)->isEnabled());
  EXPECT_FALSE(binder->control(1121)->isEnabled());
  EXPECT_FALSE(binder->control(1122)->isEnabled());
}

TEST_F(FieldBinderTest, ASortedChoiceStoresTheItemValueNotItsPosition) {
  binder->bind_all();
  ChoiceList* list = binder->choice_list(1102);
  ASSERT_NE(list, nullptr);
  const QStringList shown = test::shown_texts(*list);
  ASSERT_EQ(shown.size(), 14);
  EXPECT_EQ(shown.front(), "Aluminium");
  EXPECT_EQ(list->currentText(), "Other");  // value 0

  // When told of the change, the owner already finds it in the field.
  struct Reader : EventRecorder {
    ParameterField* field = nullptr;
    int value_seen = -2;
    bool event(QEvent* e) override {
      if (NamedEvent::as(e, msg::kComboSelChange)) value_seen = field->integer();
      return EventRecorder::event(e);
    }
  } reader;
  reader.field = &field(1101);
  list->set_owner(&reader, 1102);
  ASSERT_TRUE(show_active(&dialog));
  focus(list);
  QTest::keyClick(list, Qt::Key_Down);  // "Plexi", source position 4
  EXPECT_EQ(list->currentText(), "Plexi");
  EXPECT_EQ(field(1101).value_text(), "Plexi");
  EXPECT_EQ(field(1101).integer(), 4);
  EXPECT_EQ(reader.value_seen, 4);
  EXPECT_EQ(fields.encode(kBlock).at(0), 4);
  EXPECT_TRUE(field(1101).is_changed());
}

TEST_F(FieldBinderTest, TypingAndLeavingLimitsTheFieldAndTellsTheOwnerWithItsId) {
  binder->bind_all();
  NumberField* edit = binder->number_field(1111);
  struct Reader : EventRecorder {
    ParameterField* field = nullptr;
    QString seen;
    bool event(QEvent* e) override {
      if (NamedEvent::as(e, msg::kEditLostFocus)) seen = QString::fromStdString(field->value_text());
      return EventRecorder::event(e);
    }
  } reader;
  reader.field = &field(1110);
  edit->set_owner(&reader, 1111);
  OriginLog log;
  fields.add_observer(&log);
  ASSERT_TRUE(show_active(&dialog));
  focus(edit);
  QTest::keyClicks(edit, "150");
  EXPECT_EQ(field(1110).value_text(), "150");
  BeepCounter beeps;
  focus(binder->number_field(1150));
  EXPECT_EQ(edit->text(), "100.0");
  EXPECT_EQ(field(1110).value_text(), "100.0");
  EXPECT_EQ(beeps.count(), 1);
  ASSERT_EQ(reader.count(msg::kEditLostFocus), 1);
  EXPECT_EQ(reader.named(msg::kEditLostFocus)[0].wparam, 1111);
  EXPECT_EQ(reader.named(msg::kEditLostFocus)[0].lparam, 0);
  EXPECT_EQ(reader.seen, "100.0");
  EXPECT_GT(log.count(ChangeOrigin::kUser), 0);
  EXPECT_EQ(log.count(ChangeOrigin::kDecode), 0);
  // 100.0 scaled by one decimal, signed 16 bits at offset 1.
  const auto bytes = fields.encode(kBlock);
  EXPECT_EQ(bytes.at(1), 0x03);
  EXPECT_EQ(bytes.at(2), 0xE8);
  fields.remove_observer(&log);
}

TEST_F(FieldBinderTest, SpinArrowsChangeTheFieldAsTheUser) {
  binder->bind_all();
  SpinField* spin = binder->spin_field(1121);
  ASSERT_TRUE(show_active(&dialog));
  QTest::mouseClick(spin->spin_button()->up_arrow(), Qt::LeftButton);
  EXPECT_EQ(spin->text(), "11");
  EXPECT_EQ(field(1120).value_text(), "11");
  send_named(spin, msg::kSpinNewDelta, 100, 100);
  EXPECT_EQ(field(1120).value_text(), "50");
  EXPECT_EQ(fields.encode(kBlock).at(3), 50);
}

TEST_F(FieldBinderTest, ADecodeUpdatesEveryWidgetWithoutAnyNotification) {
  binder->bind_all();
  ASSERT_TRUE(show_active(&dialog));
  focus(binder->number_field(1111));  // a field with the focus is updated too
  owner.clear();
  OriginLog log;
  fields.add_observer(&log);

  std::vector<std::uint8_t> block(15, 0);
  block[0] = 11;                        // "Steel"
  block[1] = 0x01, block[2] = 0x2C;     // 300 -> 30.0
  block[3] = 25;
  block[4] = 'A', block[5] = 'B', block[6] = 'C';
  block[12] = 0x01;                     // bit 0 set: "Yes"
  block[13] = 0x12, block[14] = 0x34;
  ASSERT_EQ(fields.decode(kBlock, block), 0);

  EXPECT_EQ(binder->choice_list(1102)->currentText(), "Steel");
  EXPECT_EQ(binder->number_field(1111)->text(), "30.0");
  EXPECT_EQ(binder->spin_field(1121)->text(), "25");
  EXPECT_EQ(binder->label(1131)->text(), "ABC");
  EXPECT_EQ(binder->label(1140)->text(), "Yes");
  EXPECT_EQ(binder->number_field(1150)->text(), QString::fromStdString(field(1150).value_text()));
  EXPECT_DOUBLE_EQ(binder->number_field(1150)->number(), 0x1234);

  EXPECT_TRUE(owner.messages().empty());
  EXPECT_EQ(log.count(ChangeOrigin::kUser), 0);
  EXPECT_GT(log.count(ChangeOrigin::kDecode), 0);

  // Program changes are silent too.
  field(1110).set_number(42);
  field(1101).set_integer(2);
  EXPECT_EQ(binder->number_field(1111)->text(), "42.0");
  EXPECT_EQ(binder->choice_list(1102)->currentText(), "Ptfe");
  EXPECT_TRUE(owner.messages().empty());
  EXPECT_EQ(log.count(ChangeOrigin::kUser), 0);
  fields.remove_observer(&log);
}

TEST_F(FieldBinderTest, ALanguageSwitchRelabelsTheDialogAndKeepsChoices) {
  binder->bind_all();
  field(1101).set_integer(11);  // "Steel"
  ASSERT_EQ(fields.set_language(kFrench), 0);
  EXPECT_EQ(qobject_cast<QGroupBox*>(binder->control(1100))->title(), "Conduite - Produit");
  EXPECT_EQ(binder->label(1101)->text(), "C. Matériau");
  EXPECT_EQ(binder->label(1162)->text(), "m/s");
  EXPECT_EQ(binder->choice_list(1102)->currentText(), "Acier");
  EXPECT_EQ(field(1101).integer(), 11);
  EXPECT_EQ(test::shown_texts(*binder->choice_list(1102)).front(), "Acier");
  fields.set_language(kGerman);
  EXPECT_EQ(binder->label(1110)->text(), "Wandstärke");
  EXPECT_EQ(binder->choice_list(1102)->currentText(), "Stahl");
}

TEST_F(FieldBinderTest, ChartFieldsPassValuesAndGridsTakeCells) {
  binder->bind_all();
  ChartView* chart = binder->chart(1161);
  ASSERT_NE(chart, nullptr);
  std::vector<double> points = chart->points();
  ASSERT_EQ(points.size(), 20u);
  for (double p : points) EXPECT_EQ(p, ChartView::kNoValue) << "no point before any value";
  field(1160).set_number(1480.5);
  field(1160).set_number(1490);
  points = chart->points();
  EXPECT_EQ(points[18], 1480.5);
  EXPECT_EQ(points[19], 1490);
  EXPECT_EQ(points[17], ChartView::kNoValue);

  GridView* grid = binder->grid(1170);
  grid->set_cell(0, 3, "T Obt");
  grid->set_cell(3, 0, "beyond");  // outside the 3 rows: ignored
  EXPECT_EQ(grid->cell(0, 3), "T Obt");
  EXPECT_EQ(grid->cell(3, 0), "");
  grid->set_column_alignment(1, Qt::AlignCenter);
  EXPECT_EQ(grid->column_alignment(1), Qt::AlignCenter);
}

TEST_F(FieldBinderTest, FieldsWithoutPlaceholdersStayModelOnly) {
  binder->bind_all();
  EXPECT_EQ(field(1199).value_text(), "5");
  EXPECT_EQ(field(1199).set_number(9), 0);
  EXPECT_EQ(field(1199).value_text(), "9");
  EXPECT_EQ(binder->value_widget(field(1199)), nullptr);
  EXPECT_EQ(binder->value_widget(field(1210)), nullptr);
}

TEST_F(FieldBinderTest, TabCyclesThroughTheFieldsInTableOrderAndWraps) {
  binder->bind_all();
  ASSERT_TRUE(show_active(&dialog));
  const std::vector<QWidget*> chain = binder->focus_chain();
  // Hidden (1181), disabled (1186, 1191) and display-only controls are
  // skipped; the page's field is on the one (current) tab.
  const std::vector<QWidget*> expected = {binder->control(1102), binder->control(1111),
                                          binder->spin_field(1121)->number_field(),
                                          binder->control(1150), binder->control(1201)};
  ASSERT_EQ(chain, expected);
  focus(chain.back());
  ASSERT_TRUE(binder->focus_next());
  EXPECT_EQ(QApplication::focusWidget(), chain.front());
  ASSERT_TRUE(binder->focus_next(true));
  EXPECT_EQ(QApplication::focusWidget(), chain.back());
  ASSERT_TRUE(binder->focus_next(true));
  EXPECT_EQ(QApplication::focusWidget(), chain[3]);
  focus(chain[2]);
  field(1150).enable(false);
  ASSERT_TRUE(binder->focus_next());
  EXPECT_EQ(QApplication::focusWidget(), chain[4]) << "a disabled field is skipped";
}

TEST(FieldBinderPlaceholders, ReplacingKeepsTheSlotAndFreePlacement) {
  QWidget window;
  auto* in_layout = new QLabel("x", &window);
  in_layout->setObjectName("c10");
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(in_layout);
  auto* free = new QWidget(&window);
  free->setObjectName("c11");
  free->setGeometry(5, 6, 70, 20);

  auto* fresh = new QLabel("y");
  replace_placeholder(in_layout, fresh);
  EXPECT_EQ(layout->indexOf(fresh), 0);
  EXPECT_EQ(fresh->objectName(), "c10");
  EXPECT_EQ(find_control(&window, 10), fresh);

  auto* other = new NumberField;
  replace_placeholder(free, other);
  EXPECT_EQ(other->parentWidget(), &window);
  EXPECT_EQ(other->geometry(), QRect(5, 6, 70, 20));
  EXPECT_EQ(find_control(&window, 11), other);
}

}  // namespace
}  // namespace orvadw

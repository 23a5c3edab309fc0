// The communicating dialog against the in-process simulated instrument: link
// settings, the reading and writing patterns with their messages, the
// please-wait window, the firmware check, message routing, Tab and pages.
#include "dialogs/communicating_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>

#include "base/program_identity.h"
#include "base/text_table.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "params/window_table.h"
#include "support/dialog_test_env.h"
#include "ui/field_binder.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/number_field.h"

namespace orvadw {
namespace {

using test::DialogTestEnv;
using test::kFieldA;
using test::kFieldB;
using test::kFieldC;
using test::kParameterBlock;
using test::kSimCom;

// Counts paint events of one widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

class CommunicatingDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.valid());
    master.set_answer_timeout(kStartTimeout);
  }
  void TearDown() override { master.disconnect(); }

  // The dialog on the simulator's COM port, JBus number jbus.
  std::unique_ptr<test::RecordingDialog> dialog_on_sim(int jbus = 1, int mode = 1) {
    env.set_link(kSimCom - 1, 5, jbus);
    return env.make_dialog(&master, -1, mode);
  }
  static std::string value(CommunicatingDialog& d, int control) {
    return d.fields().field(control)->value_text();
  }
  static int u16(const Bytes& bytes, std::size_t at) { return bytes[at] << 8 | bytes[at + 1]; }

  static constexpr int kStartTimeout = 640;
  DialogTestEnv env;
  JBusMaster master;
};

TEST_F(CommunicatingDialogTest, LinkSettingsAreReadOnceWhenTheDialogIsBuilt) {
  auto plain = env.make_dialog(&master);
  EXPECT_EQ(plain->port_number(), 1) << "COM1 with nothing stored";
  EXPECT_EQ(plain->baud_index(), 5) << "9600 baud";
  EXPECT_EQ(plain->jbus_number(), 1);
  EXPECT_EQ(plain->read_timeout(), 1000);
  EXPECT_EQ(plain->write_timeout(), 2500);
  EXPECT_TRUE(plain->firmware_check_enabled());
  EXPECT_EQ(plain->master(), &master);
  // And it does talk there: COM1, 9600 baud, JBus number 1.
  env.map_com(1);
  auto instrument = env.attach();
  ASSERT_EQ(plain->read_identification_block(), 0);
  EXPECT_EQ(master.baud_index(), 5);
  EXPECT_EQ(master.baud_rate(master.baud_index()), 9600);
  EXPECT_EQ(instrument->counters().answered, 1u);
  EXPECT_EQ(plain->identification_field(identification::kJbusNumber)->value_text(), "1");

  env.set_link(2, 3, 17);
  auto stored = env.make_dialog(&master);
  EXPECT_EQ(stored->port_number(), 3);
  EXPECT_EQ(stored->baud_index(), 3);
  EXPECT_EQ(stored->jbus_number(), 17);
  env.set_link(5, 1, 2);
  EXPECT_EQ(stored->port_number(), 3) << "an open dialog keeps its settings";
  EXPECT_EQ(stored->jbus_number(), 17);
}

TEST_F(CommunicatingDialogTest, EveryParameterSetHoldsTheIdentificationHeader) {
  auto dialog = env.make_dialog(&master);
  using namespace identification;
  for (int control : {kJbusNumber, kCode, kSerialWeek, kSerialYear, kSerialNumber,
                      kSoftwareVersion, kSoftwareText}) {
    ParameterField* field = dialog->identification_field(control);
    ASSERT_NE(field, nullptr) << control;
    EXPECT_EQ(field->descriptor().block_address, 0xFF00);
  }
  EXPECT_EQ(dialog->identification_field(kSoftwareVersion)->value_text(), program_version_key());
  EXPECT_EQ(dialog->fields().block_words(0xFF00), 25);
  EXPECT_EQ(dialog->identification_field(kFieldA), nullptr);
}

TEST_F(CommunicatingDialogTest, ReadingDecodesTheInstrumentsRegistersIntoTheFields) {
  sim::InstrumentOptions options;
  options.jbus = 7;
  auto instrument = env.attach(options);
  auto dialog = dialog_on_sim(7);

  ASSERT_EQ(dialog->read_identification_block(), 0);
  const Bytes ident = instrument->registers(0xFF00, 25);
  using namespace identification;
  EXPECT_EQ(dialog->identification_field(kJbusNumber)->value_text(), "7");
  EXPECT_EQ(dialog->identification_field(kSerialWeek)->value_text(), std::to_string(ident[4]));
  EXPECT_EQ(dialog->identification_field(kSoftwareVersion)->value_text(), "10-11-A");

  ASSERT_EQ(dialog->read_registers(kParameterBlock, 3), 0);
  const Bytes params = instrument->registers(kParameterBlock, 3);
  EXPECT_EQ(value(*dialog, kFieldA), std::to_string(u16(params, 0)));
  EXPECT_EQ(value(*dialog, kFieldB), std::to_string(u16(params, 2)));
  EXPECT_EQ(value(*dialog, kFieldC), std::to_string(u16(params, 4)));
  EXPECT_TRUE(env.messages.shown().empty());
  EXPECT_EQ(master.answer_timeout(), kStartTimeout);
  EXPECT_EQ(dialog->start_mode(), 1);
}

TEST_F(CommunicatingDialogTest, APortThatDoesNotOpenIsReportedOnceAndChangesNothing) {
  env.set_link(kSimCom - 1, 5, 1);  // mapped, but nothing attached
  auto dialog = env.make_dialog(&master);
  dialog->fields().field(kFieldA)->set_number(123);
  dialog->show_progress(true);

  EXPECT_EQ(dialog->read_registers(kParameterBlock, 3), -1);
  ASSERT_EQ(env.messages.shown().size(), 1u);
  // Which port, which device and why, below the message.
  const std::string device = PortMap::instance().device_for(kSimCom);
  ASSERT_FALSE(device.empty());
  const QString said = env.messages.shown()[0].text;
  EXPECT_TRUE(said.startsWith("Cannot open COM port !\n\nCOM" + QString::number(kSimCom) + " (" +
                              QString::fromStdString(device)))
      << said.toStdString();
  EXPECT_EQ(env.messages.shown()[0].caption, "Caution");
  EXPECT_EQ(env.messages.shown()[0].icon, MessageService::Icon::Error);
  EXPECT_FALSE(dialog->progress_shown()) << "hidden before the message";
  EXPECT_EQ(value(*dialog, kFieldA), "123");
  EXPECT_EQ(master.answer_timeout(), kStartTimeout);

  // The writing pattern leaves the message to its caller.
  env.messages.clear();
  EXPECT_EQ(dialog->write_registers(kParameterBlock, {1, 2}), 500);
  EXPECT_TRUE(env.messages.shown().empty());
  EXPECT_EQ(master.answer_timeout(), kStartTimeout);

  // A window without a master cannot talk either.
  auto orphan = env.make_dialog(nullptr);
  EXPECT_EQ(orphan->read_registers(kParameterBlock, 3), -1);
  EXPECT_EQ(test::shown_texts(env.messages), std::vector<QString>{"Cannot open COM port !"});
  EXPECT_EQ(orphan->write_registers(kParameterBlock, {1, 2}), 500);
}

TEST_F(CommunicatingDialogTest, AnInstrumentThatDoesNotAnswerIsReportedOnceAndChangesNothing) {
  auto instrument = env.attach();  // JBus number 1
  auto dialog = dialog_on_sim(9);
  dialog->set_timeouts(150, 200);
  dialog->fields().field(kFieldB)->set_number(4321);
  dialog->show_progress(true);

  EXPECT_EQ(dialog->read_registers(kParameterBlock, 3), -1);
  ASSERT_EQ(env.messages.shown().size(), 1u);
  EXPECT_EQ(env.messages.shown()[0].text, "connection failure! The unit does not answer! ");
  EXPECT_EQ(env.messages.shown()[0].caption, "Error");
  EXPECT_FALSE(dialog->progress_shown());
  EXPECT_EQ(value(*dialog, kFieldB), "4321");
  EXPECT_EQ(master.answer_timeout(), kStartTimeout);
  EXPECT_GE(instrument->counters().ignored, 1u);

  env.messages.clear();
  EXPECT_EQ(dialog->write_registers(kParameterBlock, {1, 2}), -1);
  EXPECT_TRUE(env.messages.shown().empty());
  EXPECT_EQ(instrument->counters().writes, 0u);
}

TEST_F(CommunicatingDialogTest, NewAndLoadedWindowsSkipTheFirstRead) {
  auto instrument = env.attach();
  for (int mode : {2, 4}) {
    auto dialog = dialog_on_sim(1, mode);
    const auto requests = instrument->counters().requests;
    dialog->fields().field(kFieldA)->set_number(77);
    EXPECT_EQ(dialog->read_registers(kParameterBlock, 3), 0);
    EXPECT_EQ(dialog->start_mode(), 1);
    EXPECT_EQ(instrument->counters().requests, requests);
    EXPECT_EQ(value(*dialog, kFieldA), "77");
    EXPECT_EQ(dialog->read_registers(kParameterBlock, 3), 0);
    EXPECT_EQ(instrument->counters().requests, requests + 1);
    EXPECT_EQ(value(*dialog, kFieldA),
              std::to_string(u16(instrument->registers(kParameterBlock, 1), 0)));
  }
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(CommunicatingDialogTest, WritingSendsTheEncodedBlock) {
  auto instrument = env.attach();
  auto dialog = dialog_on_sim();
  dialog->fields().field(kFieldA)->set_number(0x1234);
  dialog->fields().field(kFieldB)->set_number(513);
  dialog->fields().field(kFieldC)->set_number(65535);
  const Bytes image = dialog->fields().register_image(kParameterBlock);
  ASSERT_EQ(image.size(), 6u);
  EXPECT_EQ(dialog->write_registers(kParameterBlock, image), 0);
  EXPECT_EQ(instrument->registers(kParameterBlock, 3),
            (Bytes{0x12, 0x34, 0x02, 0x01, 0xFF, 0xFF}));
  EXPECT_EQ(master.answer_timeout(), kStartTimeout);
}

TEST_F(CommunicatingDialogTest, TheFirmwareCheckRefusesAnotherGeneration) {
  sim::InstrumentOptions options;
  options.firmware = "09-11-B";
  auto instrument = env.attach(options);
  auto dialog = dialog_on_sim();
  dialog->show_progress(true);

  EXPECT_EQ(dialog->read_identification_block(), -1);
  const std::string software =
      dialog->identification_field(identification::kSoftwareText)->value_text();
  ASSERT_EQ(env.messages.shown().size(), 1u);
  EXPECT_EQ(env.messages.shown()[0].text.toStdString(),
            text_of(75, kEnglish) + " 09\n" + software);
  EXPECT_EQ(env.messages.shown()[0].caption, "Error");
  EXPECT_FALSE(dialog->progress_shown());

  dialog->set_firmware_check(false);
  EXPECT_EQ(dialog->read_identification_block(), 0);
  EXPECT_EQ(dialog->check_firmware("anything"), 0);
  EXPECT_EQ(env.messages.shown().size(), 1u);

  dialog->set_firmware_check(true);
  EXPECT_EQ(dialog->check_firmware(program_version_key() + "Q"), 0);
  EXPECT_EQ(dialog->check_firmware("10-12-Q"), -1);
}

TEST_F(CommunicatingDialogTest, ThePleaseWaitWindow) {
  auto dialog = env.make_dialog(&master);
  EXPECT_FALSE(dialog->progress_shown());
  dialog->set_progress(10);  // nothing to forward to: no effect, no crash
  EXPECT_EQ(dialog->progress_value(), -1);

  dialog->show_progress(true);
  QWidget* window = dialog->progress_window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  auto* text = window->findChild<QLabel*>("c1240");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text().toStdString(), text_of(246, kEnglish));
  EXPECT_NE(text->text().indexOf("Please wait"), -1);

  dialog->show_progress(true);
  EXPECT_EQ(dialog->progress_window(), window) << "a second show keeps the first window";

  dialog->set_progress_range(4);
  dialog->step_progress();
  dialog->step_progress(2);
  EXPECT_EQ(dialog->progress_value(), 3);
  dialog->step_progress(5);
  EXPECT_EQ(dialog->progress_value(), 4) << "never beyond the range";
  dialog->set_progress(2);
  EXPECT_EQ(window->findChild<QProgressBar*>("c1241")->value(), 2);
  dialog->set_progress_text("Reading 0x1000");
  EXPECT_EQ(text->text(), "Reading 0x1000");

  // Its close box does not take it away.
  window->close();
  EXPECT_TRUE(dialog->progress_shown());
  EXPECT_TRUE(window->isVisible());

  dialog->show_progress(false);
  EXPECT_FALSE(dialog->progress_shown());
  EXPECT_EQ(dialog->progress_window(), nullptr);
  dialog->show_progress(false);  // twice is harmless
  dialog->show_progress(true);
  EXPECT_TRUE(dialog->progress_shown());
}

TEST_F(CommunicatingDialogTest, CancelEscapeAndTheCloseBoxWaitForThePleaseWaitWindow) {
  auto dialog = env.make_dialog(&master);
  dialog->show();
  dialog->show_progress(true);

  dialog->reject();
  EXPECT_TRUE(dialog->isVisible());
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  const int before = dialog->edit_done;
  EXPECT_FALSE(dialog->close());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->edit_done, before + 1) << "the close request still ends the edit";

  dialog->show_progress(false);
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible()) << "Escape never closes a dialog";
  EXPECT_TRUE(dialog->close());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);

  dialog->show();
  dialog->reject();
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(CommunicatingDialogTest, ThePleaseWaitWindowRepaintsWhileATransactionWaits) {
  sim::FaultOptions slow;
  slow.delay_ms = 500;
  env.attach({}, slow);
  auto dialog = dialog_on_sim();
  dialog->show();
  dialog->show_progress(true);
  PaintCounter paints(dialog->progress_window());
  QApplication::processEvents();
  const int before = paints.count;

  ASSERT_EQ(dialog->read_registers(kParameterBlock, 3), 0);
  // Half a second of waiting at one repaint every 40 ms or so; a loaded
  // machine may give fewer, never none.
  EXPECT_GE(paints.count - before, 3);
}

TEST_F(CommunicatingDialogTest, ControlMessagesReachTheirHooks) {
  auto dialog = env.make_dialog(&master);
  send_named(dialog.get(), msg::kEditLostFocus, kFieldA, 0);
  EXPECT_EQ(dialog->edit_done, 1);
  // A confirmed combo choice ends the edit too.
  send_named(dialog.get(), msg::kComboSelEndOk, 1200, 0);
  EXPECT_EQ(dialog->edit_done, 2);

  send_named(dialog.get(), msg::kButtonClick, 1317, 5);
  ASSERT_EQ(dialog->clicks.size(), 1u);
  EXPECT_EQ(dialog->clicks[0].control, 1317);
  EXPECT_EQ(dialog->clicks[0].parameter, 5);
  send_named(dialog.get(), msg::kButtonKillFocus, 1313, 9);
  ASSERT_EQ(dialog->focus_lost.size(), 1u);
  EXPECT_EQ(dialog->focus_lost[0].control, 1313);
  EXPECT_EQ(dialog->focus_lost[0].parameter, 9);

  // Messages the base does not handle reach no hook.
  for (const char* name : {msg::kButtonDoubleClick, msg::kComboSelChange, msg::kEditOnChange,
                           msg::kComboSetFocus, msg::kSpinNewDelta}) {
    send_named(dialog.get(), name, kFieldA, 0);
  }
  EXPECT_EQ(dialog->edit_done, 2);
  EXPECT_EQ(dialog->clicks.size(), 1u);
  EXPECT_EQ(dialog->focus_lost.size(), 1u);
}

TEST_F(CommunicatingDialogTest, LeavingAnEditedFieldEndsTheEdit) {
  auto dialog = env.make_dialog(&master);
  ASSERT_TRUE(test::show_active(dialog.get()));
  auto* a = dialog->binder()->number_field(kFieldA);
  auto* b = dialog->binder()->number_field(kFieldB);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  a->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  a->selectAll();
  QTest::keyClicks(a, "321");
  const int before = dialog->edit_done;
  b->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(dialog->edit_done, before + 1);
  EXPECT_EQ(value(*dialog, kFieldA), "321");
}

TEST_F(CommunicatingDialogTest, TabCyclesThroughTheFieldsBothWays) {
  auto dialog = env.make_dialog(&master);
  ASSERT_TRUE(test::show_active(dialog.get()));
  FieldBinder* binder = dialog->binder();
  ASSERT_NE(binder, nullptr);
  QWidget* a = binder->number_field(kFieldA);
  QWidget* b = binder->number_field(kFieldB);
  QWidget* c = binder->number_field(kFieldC);
  a->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), a);

  const std::vector<QWidget*> forward{b, c, a, b};
  for (QWidget* expected : forward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), expected);
  }
  const std::vector<QWidget*> backward{a, c, b, a};
  for (QWidget* expected : backward) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), expected);
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), c);

  // A disabled field is passed over.
  dialog->fields().field(kFieldB)->enable(false);
  a->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), c);
}

TEST_F(CommunicatingDialogTest, PagesBecomeTabsAndCarryTheirFields) {
  auto dialog = std::make_unique<test::RecordingDialog>(test::kFormTemplate, &master, -1, 1,
                                                        nullptr, env.configuration_path());
  dialog->add_fields(test::form_table());
  dialog->fields().field(kFieldA)->set_number(99);
  EXPECT_EQ(dialog->add_page(test::kPageTemplate, 99), 0);
  EXPECT_EQ(value(*dialog, kFieldA), "99") << "fields added before the page keep their values";
  EXPECT_EQ(dialog->add_fields({test::page_field()}), 0);
  EXPECT_EQ(dialog->add_fields({[] {
              ParameterDescriptor beyond = test::page_field();
              beyond.page = 1;
              return beyond;
            }()}),
            1)
      << "a page that was never added takes no field";

  dialog->initialise();
  QTabWidget* tabs = dialog->tab_widget();
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 1);
  EXPECT_EQ(tabs->tabText(0), dialog->text_of(99));
  QWidget* on_page = dialog->binder()->number_field(test::kPageField);
  ASSERT_NE(on_page, nullptr);
  EXPECT_TRUE(tabs->widget(0)->isAncestorOf(on_page));
  EXPECT_EQ(dialog->add_page(test::kPageTemplate, 99), -1) << "too late once the window exists";
  EXPECT_EQ(tabs->count(), 1);
}

}  // namespace
}  // namespace orvadw

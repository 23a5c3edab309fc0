// The three parameter windows against the in-process simulated instrument,
// one start mode after another, with every request the instrument got seen
// on the wire: what each mode reads, loads, writes, saves and hands over,
// and how it fails.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "base/text_table.h"
#include "cli/cli_command.h"
#include "dialogs/analog_output_dialog.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/settings_family_hooks.h"
#include "dialogs/special_settings_dialog.h"
#include "files/record_file.h"
#include "link/jbus_master.h"
#include "link/port_map.h"
#include "params/field_comparison.h"
#include "params/field_text_form.h"
#include "params/settings_rules.h"
#include "params/window_table.h"
#include "support/dialog_test_env.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/wire_tap.h"
#include "ui/choice_list.h"
#include "ui/field_binder.h"
#include "ui/message_service.h"
#include "ui/named_event.h"
#include "ui/named_message_registry.h"
#include "ui/number_field.h"
#include "ui/printer_choice.h"

namespace orvadw {
namespace {

using test::DialogTestEnv;
using test::hex;
using test::TappedRequest;

constexpr int kTapCom = 42;
constexpr int kLinkTimeoutMs = 250;

std::string request_text(const TappedRequest& r) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "F%d %04X %d", r.function, r.address, r.count);
  return buf;
}

std::vector<std::string> request_texts(const std::vector<TappedRequest>& requests) {
  std::vector<std::string> out;
  for (const auto& r : requests) out.push_back(request_text(r));
  return out;
}

class SettingsFamilyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.valid());
    instrument = env.attach();
    PortMap::instance().set_device(kTapCom, test::WireTap::device(env.sim_name()));
    env.set_link(kTapCom - 1, 7, 1);  // 115200 baud, JBus number 1
    install_parameter_compare_hook({});
  }
  void TearDown() override {
    install_parameter_compare_hook({});
    master.disconnect();
  }

  template <typename Window>
  std::unique_ptr<Window> make(int mode, const std::string& file = {}) {
    auto window = std::make_unique<Window>(&master, mode, nullptr, file, env.configuration_path());
    window->set_timeouts(kLinkTimeoutMs, kLinkTimeoutMs);
    return window;
  }
  std::vector<std::string> requests() { return request_texts(tap.log().requests()); }
  std::string path(const std::string& name) const { return env.folder() + "/" + name; }

  // What a window's table shows for the instrument's registers of a block.
  std::vector<std::string> instrument_lines(const WindowTable& table, int block) const {
    ParameterFieldList list = make_field_list(table, kEnglish);
    list.decode(block, instrument->registers(block, list.block_words(block)));
    return FieldTextForm::lines(list, block);
  }
  static std::vector<std::string> window_lines(SettingsFamilyDialog& d, int block) {
    return FieldTextForm::lines(d.fields(), block);
  }
  // The value control of the field of that (label) control id.
  template <typename W>
  static W* control(SettingsFamilyDialog& d, int control_id) {
    return qobject_cast<W*>(d.binder()->value_widget(*d.fields().field(control_id)));
  }
  static void type(NumberField* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    field->setText(text);
    emit field->textEdited(text);
    field->finish_pending_edit();
  }
  // A settings file saved by the window's own Save from the instrument.
  std::string saved_settings_file(const std::string& name) {
    auto reader = make<SettingsDialog>(1);
    reader->initialise();
    const std::string file = path(name);
    env.files.queue_answer(QString::fromStdString(file));
    reader->press_save();
    return file;
  }

  DialogTestEnv env;
  test::ScopedWireTap tap;
  std::shared_ptr<sim::SimulatedInstrument> instrument;
  JBusMaster master;
};

TEST_F(SettingsFamilyTest, ReadingShowsTheInstrumentAndTransferWritesClockResetWordThenParameters) {
  auto d = make<SettingsDialog>(1);
  d->initialise();
  EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25", "F3 0100 22", "F3 1000 50"}));
  EXPECT_EQ(window_lines(*d, block::kParameters),
            instrument_lines(settings_window(kEnglish), block::kParameters));
  EXPECT_EQ(d->windowTitle(), "Settings");
  EXPECT_EQ(d->status_line()->text().toStdString(), text_of(235, kEnglish));
  EXPECT_TRUE(d->unbound_controls().empty());
  auto* compare = d->findChild<QAbstractButton*>("c1300");
  ASSERT_NE(compare, nullptr);
  EXPECT_FALSE(compare->isHidden());

  // An edit marks the title and hides compare; typing the old value back
  // takes the mark away.
  auto* jbus = control<NumberField>(*d, 1117);
  const QString before = jbus->text();
  type(jbus, "12");
  EXPECT_EQ(d->windowTitle(), "Settings (Changed)");
  EXPECT_TRUE(compare->isHidden());
  type(jbus, before);
  EXPECT_EQ(d->windowTitle(), "Settings");
  type(jbus, "12");

  // Synchronise the clock, reset the logger and the sphere counter.
  for (int c : {settings::kSyncClock, settings::kResetLogger, settings::kResetSphereCount}) {
    d->fields().field(c)->set_integer(0, ChangeOrigin::kUser);
  }
  tap.log().clear();
  env.messages.queue_answer(MessageService::kYes);
  d->press_transfer();
  const auto sent = tap.log().requests();
  ASSERT_EQ(request_texts(sent),
            (std::vector<std::string>{"F16 2301 3", "F16 230A 2", "F16 1000 50"}));
  EXPECT_EQ(hex(sent[1].data), "00 01 00 01");
  EXPECT_EQ(hex(sent[2].data), hex(d->fields().register_image(block::kParameters)));
  EXPECT_EQ(sent[2].data[1], 12) << "the JBus number typed";
  EXPECT_EQ(hex(instrument->registers(block::kParameters, 50)), hex(sent[2].data));
  EXPECT_EQ(instrument->logger_size(), 0) << "the reset word cleared the logger";
  EXPECT_TRUE(d->last_transfer_succeeded());
  EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(SettingsFamilyTest, ANewWindowSendsNothingAndItsRulesAndDefaultsWork) {
  std::vector<std::unique_ptr<SettingsFamilyDialog>> all;
  all.push_back(make<SettingsDialog>(2));
  all.push_back(make<SpecialSettingsDialog>(2));
  all.push_back(make<AnalogOutputDialog>(2));
  for (auto& d : all) {
    SCOPED_TRACE(d->window_key());
    d->initialise();
    EXPECT_TRUE(d->unbound_controls().empty());
    EXPECT_FALSE(d->windowTitle().contains("(")) << d->windowTitle().toStdString();
  }
  auto d = make<SettingsDialog>(2);
  d->initialise();
  EXPECT_TRUE(requests().empty());

  // A relay type picked in its list hides the threshold of that relay.
  QWidget* threshold = d->binder()->value_widget(*d->fields().field(settings::kRelay1Threshold));
  ChoiceList* relay = control<ChoiceList>(*d, settings::kRelay1Type);
  ASSERT_NE(relay, nullptr);
  EXPECT_TRUE(threshold->isHidden());
  relay->setCurrentIndex(2);
  emit relay->activated(2);
  EXPECT_FALSE(threshold->isHidden());
  EXPECT_EQ(d->windowTitle(), "Settings (Changed)");

  // Defaults, a button of the sphere page.
  auto* defaults = d->findChild<QAbstractButton*>("c1302");
  ASSERT_NE(defaults, nullptr);
  EXPECT_EQ(defaults->text().toStdString(), text_of(55, kEnglish));
  EXPECT_TRUE(d->tab_widget()->widget(SettingsDialog::kSpherePage)->isAncestorOf(defaults));
  type(control<NumberField>(*d, settings::kExternalDiameter), "100");
  send_named(d.get(), msg::kButtonClick, settings::kDefaultsButton, 0);
  EXPECT_EQ(d->fields().field(settings::kSphereLengthMin)->value_text(), "100.0");
  EXPECT_EQ(d->fields().field(settings::kSphereLengthMax)->value_text(), "300.0");
  EXPECT_TRUE(requests().empty());
}

TEST_F(SettingsFamilyTest, SaveThenLoadShowsTheFileWithItsDateAndSendsNothing) {
  const std::string file = saved_settings_file("site.eta");
  RecordFile records;
  ASSERT_EQ(records.open(file, false), 0);
  std::string header;
  DateTime saved;
  ASSERT_EQ(records.read_header(header, saved), 0);
  ASSERT_EQ(records.record_count(), 1);
  std::vector<std::uint8_t> record;
  ASSERT_EQ(records.read_record(0, record), 0);
  // Bytes 82 and 83 belong to no field and are saved as 0.
  auto image = instrument->registers(block::kParameters, 50);
  image[82] = image[83] = 0;
  EXPECT_EQ(hex(record), hex(image));
  records.close();

  tap.log().clear();
  auto d = make<SettingsDialog>(4, file);
  d->initialise();
  EXPECT_TRUE(requests().empty());
  EXPECT_EQ(window_lines(*d, block::kParameters),
            instrument_lines(settings_window(kEnglish), block::kParameters));
  const QString stamp =
      QString::fromStdString(" (" + saved.format_date() + " - " + saved.format_time() + ")");
  EXPECT_TRUE(d->windowTitle().endsWith(stamp)) << d->windowTitle().toStdString();
  EXPECT_TRUE(d->windowTitle().contains("site.eta"));
  EXPECT_TRUE(d->values_from_file());
}

TEST_F(SettingsFamilyTest, TheHiddenFileStepSendsOnlyToTheInstrumentTheFileCameFrom) {
  const std::string file = saved_settings_file("same.eta");
  tap.log().clear();
  {
    auto d = make<SettingsDialog>(4, file);
    d->set_visible_flag(false);
    env.messages.queue_answer(MessageService::kYes);
    EXPECT_EQ(d->exec(), QDialog::Accepted);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25", "F16 1000 50"}));
  }
  // Another instrument: its serial number differs, nothing is written.
  auto ident = instrument->registers(0xFF00, 25);
  ident[9] ^= 1;
  instrument->set_registers(0xFF00, ident);
  tap.log().clear();
  auto d = make<SettingsDialog>(4, file);
  d->set_visible_flag(false);
  env.messages.queue_answer(MessageService::kYes);
  EXPECT_EQ(d->exec(), QDialog::Rejected);
  EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25"}));
}

TEST_F(SettingsFamilyTest, TheUnattendedTransferWritesTheTableValuesWithTwoAttempts) {
  // The clock write fails three times (one attempt of the link), then goes
  // through on the window's second attempt.
  tap.log().swallow(0, 2);
  auto d = make<SettingsDialog>(16);
  EXPECT_EQ(d->exec(), QDialog::Accepted);
  EXPECT_EQ(requests(), (std::vector<std::string>{"F16 2301 3", "F16 2301 3", "F16 2301 3",
                                                  "F16 2301 3", "F16 230A 2", "F16 1000 50"}));
  const auto sent = tap.log().requests();
  EXPECT_EQ(hex(sent[4].data), "00 01 00 01");
  EXPECT_EQ(
      hex(sent[5].data),
      hex(make_field_list(settings_window(kEnglish), kEnglish).register_image(block::kParameters)));
  EXPECT_TRUE(env.messages.shown().empty()) << "no question, no message";

  // The analog outputs: seven registers, three zero ones then the points.
  tap.log().clear();
  auto analog = make<AnalogOutputDialog>(16);
  EXPECT_EQ(analog->exec(), QDialog::Accepted);
  const auto points = tap.log().requests();
  ASSERT_EQ(request_texts(points), (std::vector<std::string>{"F16 3000 7"}));
  EXPECT_EQ(hex(points[0].data), "00 00 00 00 00 00 04 88 EC 54 04 88 EC 54");
}

TEST_F(SettingsFamilyTest, AnInstrumentThatStopsAnsweringEndsTheTransferAtThatBlock) {
  auto d = make<SettingsDialog>(1);
  d->initialise();
  const auto values = window_lines(*d, block::kParameters);
  d->fields().field(settings::kSyncClock)->set_integer(0, ChangeOrigin::kUser);
  d->fields().field(settings::kResetLogger)->set_integer(0, ChangeOrigin::kUser);
  tap.log().clear();
  tap.log().swallow(1);  // the clock goes through, then silence
  env.messages.queue_answer(MessageService::kYes);
  d->press_transfer();
  EXPECT_EQ(requests(),
            (std::vector<std::string>{"F16 2301 3", "F16 230A 2", "F16 230A 2", "F16 230A 2"}));
  ASSERT_EQ(test::shown_texts(env.messages).size(), 1u);
  EXPECT_EQ(test::shown_texts(env.messages)[0].toStdString(), text_of(73, kEnglish));
  EXPECT_EQ(env.messages.shown().back().caption.toStdString(), text_of(74, kEnglish));
  EXPECT_FALSE(d->last_transfer_succeeded());
  EXPECT_NE(d->result(), QDialog::Accepted);
  EXPECT_FALSE(d->progress_shown());
  EXPECT_EQ(window_lines(*d, block::kParameters), values) << "the window keeps its values";

  // A line that does not open: the other message, nothing sent.
  PortMap::instance().set_device(kTapCom, "sim:nobody-here");
  master.disconnect();
  env.messages.clear();
  env.messages.queue_answer(MessageService::kYes);
  d->press_transfer();
  ASSERT_EQ(test::shown_texts(env.messages).size(), 1u);
  EXPECT_EQ(test::shown_texts(env.messages)[0].toStdString(), text_of(78, kEnglish));
  // Answering No sends nothing at all.
  tap.log().clear();
  env.messages.queue_answer(MessageService::kNo);
  d->press_transfer();
  EXPECT_TRUE(requests().empty());
}

TEST_F(SettingsFamilyTest, AnEntryWithItsOwnRegisterCountIsKeptRawAndSavedAsReceived) {
  auto d = make<AnalogOutputDialog>(1);
  ASSERT_EQ(d->set_sequence(block::kEsc, d->sequence_length(Sequence::kRead), Sequence::kRead, 62), 0);
  ASSERT_EQ(d->set_sequence(block::kEsc, 0, Sequence::kFile), 0);
  d->initialise();
  EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25", "F3 0100 22", "F3 3000 7", "F3 0B00 62"}));
  const auto esc = instrument->registers(block::kEsc, 62);
  const auto kept = d->raw_blocks().image(block::kEsc);
  EXPECT_EQ(hex(std::vector<std::uint8_t>(kept.begin(), kept.end())), hex(esc));
  const std::string file = path("raw.sa");
  env.files.queue_answer(QString::fromStdString(file));
  d->press_save();
  RecordFile records;
  ASSERT_EQ(records.open(file, false), 0);
  std::string header;
  DateTime saved;
  ASSERT_EQ(records.read_header(header, saved), 0);
  ASSERT_EQ(records.record_count(), 2);
  std::vector<std::uint8_t> first;
  ASSERT_EQ(records.read_record(0, first), 0);
  EXPECT_EQ(hex(first), hex(esc)) << "the file order puts the raw entry first";
}

TEST_F(SettingsFamilyTest, ARawEntryWithNothingToSaveLeavesNoFileBehind) {
  // Never received and covered by no field: there is no record to write,
  // and a file with an empty record would be refused by every load.
  auto d = make<AnalogOutputDialog>(2);
  ASSERT_EQ(d->set_sequence(block::kEsc, 1, Sequence::kFile, 62), 0);
  d->initialise();
  const std::string file = path("nothing.sa");
  env.files.queue_answer(QString::fromStdString(file));
  d->press_save();
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file)));
  EXPECT_FALSE(d->values_from_file());
}

TEST_F(SettingsFamilyTest, CancelDuringTheReadIsRefusedAndTheWindowStaysServed) {
  sim::FaultOptions slow;
  slow.delay_ms = 150;
  instrument = env.attach({}, slow);
  auto d = make<SettingsDialog>(1);
  // Cancel pressed (and a timer served) while the read waits for answers.
  bool progress_up = false;
  int served = 0;
  QTimer::singleShot(60, d.get(), [&] {
    progress_up = d->progress_shown();
    d->reject();
  });
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] { ++served; });
  ticks.start(10);
  d->initialise();
  ticks.stop();
  EXPECT_TRUE(progress_up) << "the cancel came during the read";
  EXPECT_GE(served, 5) << "the window thread served its timers while it waited";
  EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25", "F3 0100 22", "F3 1000 50"}));
  EXPECT_EQ(d->status_line()->text().toStdString(), text_of(235, kEnglish));
  d->show();
  EXPECT_TRUE(d->isVisible()) << "the cancel did not end the window";
}

TEST_F(SettingsFamilyTest, CompareLoadsTheChosenFileAndHandsBothWindowsOver) {
  const std::string file = saved_settings_file("reference.eta");
  std::vector<std::string> handed;
  install_parameter_compare_hook(
      [&](SettingsFamilyDialog& reference, SettingsFamilyDialog& actual) {
        EXPECT_EQ(reference.start_mode(), SettingsFamilyDialog::kModeCompareCopy);
        EXPECT_EQ(reference.file_path(), file);
        const FieldComparison c = compare_field_lists(reference.fields(), actual.fields());
        for (const FieldDifference& d : c.differences)
          handed.push_back(d.label + ": " + d.reference_value + " -> " + d.actual_value);
        return 0;
      });
  // The instrument's JBus number changes after the file was saved.
  auto image = instrument->registers(block::kParameters, 50);
  image[1] = 9;
  instrument->set_registers(block::kParameters, image);
  auto actual = make<SettingsDialog>(1);
  actual->initialise();
  env.files.queue_answer(QString::fromStdString(file));
  actual->press_compare();
  EXPECT_EQ(handed, (std::vector<std::string>{"N. JBus: 1 -> 9"}));
  EXPECT_NE(actual->result(), QDialog::Accepted) << "the window closes after a comparison";

  // No file chosen: no comparison, and both windows close.
  handed.clear();
  auto again = make<SettingsDialog>(1);
  again->initialise();
  env.files.queue_cancel();
  again->press_compare();
  EXPECT_TRUE(handed.empty());
  EXPECT_TRUE(test::shown_texts(env.messages).empty());
}

TEST_F(SettingsFamilyTest, ReadAndSaveWritesTheFileAndReadAndPrintHandsOverToPrinting) {
  const std::string file = path("special.rsp");
  auto saver = make<SpecialSettingsDialog>(65, file);
  EXPECT_EQ(saver->exec(), QDialog::Accepted);
  EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25", "F3 0100 22", "F3 4000 9"}));
  RecordFile records;
  ASSERT_EQ(records.open(file, false), 0);
  std::string header;
  DateTime saved;
  ASSERT_EQ(records.read_header(header, saved), 0);
  EXPECT_NE(header.find("Special Settings"), std::string::npos) << header;
  std::vector<std::uint8_t> record;
  ASSERT_EQ(records.read_record(0, record), 0);
  auto image = instrument->registers(block::kSpecial, 9);
  image[5] = image[17] = 0;  // byte 5 and the pad byte belong to no field
  image[13] &= 0x03;
  image[15] &= 0x07;
  EXPECT_EQ(hex(record), hex(image));

  // Without a default printer nothing is printed, and the window says so:
  // a failure, not a silent OK.
  PdfPrinterChoice printers(QString::fromStdString(path("sheet.pdf")));
  ScopedPrinterChoice printer_scope(&printers);
  printers.set_default_printer(false);
  env.messages.clear();
  EXPECT_EQ(make<AnalogOutputDialog>(129)->exec(), QDialog::Rejected);
  EXPECT_EQ(test::shown_texts(env.messages),
            std::vector<QString>{QStringLiteral("You have no default printer!")});
  EXPECT_TRUE(printers.files().empty());
  // With one, the sheet goes to it without a dialog.
  printers.set_default_printer(true);
  tap.log().clear();
  EXPECT_EQ(make<AnalogOutputDialog>(129)->exec(), QDialog::Accepted);
  EXPECT_EQ(printers.set_ups(), 0);
  ASSERT_EQ(printers.files().size(), 1u);
  EXPECT_GT(QFileInfo(printers.files()[0]).size(), 0);
  EXPECT_EQ(requests(), (std::vector<std::string>{"F3 FF00 25", "F3 0100 22", "F3 3000 7"}));
}

TEST_F(SettingsFamilyTest, FilesThatAreNotTheWindowsAreRefusedWithAMessage) {
  // Analog output points loaded as settings: a record of another size.
  const std::string points = path("points.sa");
  ASSERT_EQ(make<AnalogOutputDialog>(65, points)->exec(), QDialog::Accepted);
  env.messages.clear();
  auto wrong = make<SettingsDialog>(4, points);
  EXPECT_EQ(wrong->exec(), QDialog::Rejected);
  ASSERT_EQ(test::shown_texts(env.messages).size(), 1u);
  EXPECT_EQ(test::shown_texts(env.messages)[0].toStdString(), text_of(68, kEnglish));

  // A file cut short in its header.
  const std::string cut = path("cut.eta");
  {
    std::ofstream out(cut, std::ios::binary);
    out << "\x20\x00\x00\x00\n\n01/02/20";
  }
  env.messages.clear();
  EXPECT_EQ(make<SettingsDialog>(4, cut)->exec(), QDialog::Rejected);
  ASSERT_EQ(test::shown_texts(env.messages).size(), 1u);

  // The open dialog cancelled: nothing said, nothing shown.
  env.messages.clear();
  env.files.queue_cancel();
  EXPECT_EQ(make<SettingsDialog>(4)->exec(), QDialog::Rejected);
  EXPECT_TRUE(env.messages.shown().empty());
}

TEST_F(SettingsFamilyTest, TheWindowWritesWhatTheCommandLineWritesForTheSameFile) {
  const std::string file = saved_settings_file("both.eta");
  tap.log().clear();
  auto d = make<SettingsDialog>(4, file);
  d->initialise();
  env.messages.queue_answer(MessageService::kYes);
  d->press_transfer();
  const auto from_window = tap.log().requests();

  tap.log().clear();
  std::ostringstream out, err;
  const int status = cli::run_cli({"--port", test::WireTap::device(env.sim_name()), "--baud-index",
                                   "7", "transfer", "--window", "settings", file},
                                  out, err);
  EXPECT_EQ(status, 0) << err.str();
  const auto from_cli = tap.log().requests();
  ASSERT_EQ(request_texts(from_window), (std::vector<std::string>{"F16 1000 50"}));
  ASSERT_EQ(request_texts(from_cli), request_texts(from_window));
  EXPECT_EQ(hex(from_cli[0].data), hex(from_window[0].data));
}

}  // namespace
}  // namespace orvadw

// orvadw-cli save and load against the in-process simulated instrument: the
// records are the instrument's register images in the window's file order,
// the header names the window and the instrument, load prints what the
// instrument holds, and refusals (firmware, no port, no answer, bad files)
// exit non-zero with their reason and leave no file behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "files/identification_header.h"
#include "files/record_file.h"
#include "files/record_file_session.h"
#include "link/port_map.h"
#include "params/field_text_form.h"
#include "params/window_table.h"
#include "sim/sim_bus.h"
#include "sim/simulated_instrument.h"
#include "support/instrument_cli_test.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace orvadw::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::capture_cli;
using test::lines_of;
using test::path_exists;

class SaveLoadTest : public test::InstrumentCliTest {
 protected:
  using Run = test::CliRun;
  SaveLoadTest() : InstrumentCliTest("save-") {}

  void SetUp() override {
    ASSERT_TRUE(folder_.valid());
    InstrumentCliTest::SetUp();
  }

  // A file in the test's folder, which goes with everything in it.
  std::string path(const std::string& file) { return folder_.file(file); }

  // What the window's table shows for the instrument's registers of its file
  // blocks: decoded here from the simulator directly, not through the file.
  std::vector<std::string> expected_lines(const std::string& key) {
    WindowTable window;
    EXPECT_TRUE(find_window(key, kEnglish, window));
    ParameterFieldList fields = make_field_list(window, kEnglish);
    std::vector<std::string> lines;
    for (int block : window.file_sequence) {
      fields.decode(block, instrument_->registers(block, fields.block_words(block)));
    }
    for (int block : window.file_sequence) {
      for (const auto& line : FieldTextForm::lines(fields, block)) lines.push_back(line);
    }
    return lines;
  }

  test::TempDir folder_{"orvadw-save-load"};
};

TEST_F(SaveLoadTest, RecordsAreTheInstrumentImagesInFileOrder) {
  for (const std::string key : {"settings", "special", "analog", "esc"}) {
    SCOPED_TRACE(key);
    const std::string file = path(key + ".dat");
    const Run saved = cli({"save", "--window", key, file});
    ASSERT_EQ(saved.status, 0) << saved.err;

    WindowTable window;
    ASSERT_TRUE(find_window(key, kEnglish, window));
    const ParameterFieldList fields = make_field_list(window, kEnglish);
    RecordFile records;
    ASSERT_EQ(records.open(file, false), 0);
    std::string header;
    DateTime time;
    ASSERT_EQ(records.read_header(header, time), 0);
    ASSERT_EQ(records.record_count(), static_cast<int>(window.file_sequence.size()));
    for (std::size_t i = 0; i < window.file_sequence.size(); ++i) {
      const int block = window.file_sequence[i];
      Bytes record;
      ASSERT_EQ(records.read_record(static_cast<int>(i), record), 0);
      const Bytes image = instrument_->registers(block, fields.block_words(block));
      ASSERT_FALSE(image.empty());
      EXPECT_EQ(record, image) << "block " << block;
    }
  }
}

TEST_F(SaveLoadTest, HeaderNamesTheWindowAndTheInstrument) {
  const std::string file = path("settings.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", file}).status, 0);
  const Run identify = cli({"identify"});
  ASSERT_EQ(identify.status, 0) << identify.err;
  const auto ids = lines_of(identify.out);  // jbus, code, week, year, number, version, text
  ASSERT_EQ(ids.size(), 7u);
  const auto value = [](const std::string& line) { return line.substr(line.find(": ") + 2); };

  const Run info = capture_cli({"file-info", file});
  ASSERT_EQ(info.status, 0) << info.err;
  const auto lines = lines_of(info.out);
  ASSERT_EQ(lines.size(), 10u) << info.out;
  WindowTable settings;
  ASSERT_TRUE(find_window("settings", kEnglish, settings));
  EXPECT_EQ(lines[1], "title: " + text_of(settings.title_text_id, kEnglish));
  EXPECT_EQ(lines[2], "internal name: OrvadW 10");
  EXPECT_EQ(lines[3], "reserved: 4278058235");
  EXPECT_EQ(lines[4], "serial week: " + value(ids[2]));
  EXPECT_EQ(lines[5], "serial year: " + value(ids[3]));
  EXPECT_EQ(lines[6], "serial number: " + value(ids[4]));
  EXPECT_EQ(lines[7], "software version: " + value(ids[5]));
  EXPECT_EQ(value(ids[5]), "10-11-A");
  EXPECT_EQ(lines[8], "software name: " + value(ids[6]));
  EXPECT_EQ(lines[9], "records: 1");
}

TEST_F(SaveLoadTest, LoadShowsWhatTheInstrumentHeld) {
  for (const std::string key : {"settings", "special", "analog", "esc"}) {
    SCOPED_TRACE(key);
    const std::string file = path(key + "-shown.dat");
    ASSERT_EQ(cli({"save", "--window", key, file}).status, 0);
    const Run loaded = cli({"load", "--window", key, file});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    std::vector<std::string> shown = lines_of(loaded.out);
    // An ESC file's two tables follow its values (see the esc test below).
    if (key == "esc") shown.resize(expected_lines(key).size());
    EXPECT_EQ(shown, expected_lines(key));
    EXPECT_FALSE(loaded.out.empty());
  }

  // Values changed in the instrument reach the file, not the table's
  // initial values.
  const std::string before = path("before.eta");
  const std::string after = path("after.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", before}).status, 0);
  Bytes block = instrument_->registers(0x1000, 50);
  for (std::size_t i = 0; i < block.size(); i += 2) block[i + 1] = static_cast<std::uint8_t>(block[i + 1] ^ 0x01);
  instrument_->set_registers(0x1000, block);
  ASSERT_EQ(cli({"save", "--window", "settings", after}).status, 0);
  const Run first = cli({"load", "--window", "settings", before});
  const Run second = cli({"load", "--window", "settings", after});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(first.out, second.out);
  EXPECT_EQ(lines_of(second.out), expected_lines("settings"));
}

TEST_F(SaveLoadTest, SaveRefusesAForeignFirmwareAndWritesNothing) {
  sim::InstrumentOptions options;
  options.firmware = "09-11-A";
  attach(options);
  const std::string file = path("foreign.eta");
  const Run run = cli({"save", "--window", "settings", file});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find(text_of(75, kEnglish)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" 09\n"), std::string::npos) << run.err;
  EXPECT_FALSE(path_exists(file));
}

TEST_F(SaveLoadTest, SaveWithoutALineOrAnAnswerWritesNothing) {
  const std::string file = path("nothing.eta");
  const Run nobody =
      capture_cli({"--port", "sim:nobody-here", "save", "--window", "settings", file});
  EXPECT_NE(nobody.status, 0);
  EXPECT_NE(nobody.err.find("error 253: "), std::string::npos) << nobody.err;
  EXPECT_FALSE(path_exists(file));

  const Run no_port = capture_cli({"save", "--window", "settings", file});
  EXPECT_NE(no_port.status, 0);
  EXPECT_FALSE(path_exists(file));

  sim::FaultOptions silent;
  silent.drop = 1.0;
  attach({}, silent);
  const Run mute = cli({"save", "--window", "settings", file});
  EXPECT_NE(mute.status, 0);
  EXPECT_NE(mute.err.find("error 251: "), std::string::npos) << mute.err;
  EXPECT_FALSE(path_exists(file));

  // An instrument that refuses every request.
  attach({});
  sim::FaultOptions refusing;
  refusing.exception_code = 2;
  refusing.exception_rate = 1.0;
  sim::SimBus::set_faults(name_, refusing);
  const Run refused = cli({"save", "--window", "settings", file});
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find("error 152: "), std::string::npos) << refused.err;
  EXPECT_FALSE(path_exists(file));
}

TEST_F(SaveLoadTest, LoadRefusesBadFiles) {
  const Run missing = capture_cli({"load", "--window", "settings", path("no-such.eta")});
  EXPECT_NE(missing.status, 0);
  EXPECT_NE(missing.err.find(text_of(77, kEnglish)), std::string::npos) << missing.err;

  const std::string garbage = path("garbage.eta");
  ASSERT_TRUE(test::write_file(garbage, "not a record file at all\n"));
  const Run bad = capture_cli({"load", "--window", "settings", garbage});
  EXPECT_NE(bad.status, 0);
  EXPECT_NE(bad.err.find("Incorrect File"), std::string::npos) << bad.err;

  // A settings file loaded as another window: its record does not fit.
  const std::string settings = path("as-other.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", settings}).status, 0);
  for (const std::string key : {"special", "analog", "esc"}) {
    const Run wrong = capture_cli({"load", "--window", key, settings});
    EXPECT_NE(wrong.status, 0) << key;
    EXPECT_NE(wrong.err.find("Incorrect File"), std::string::npos) << wrong.err;
    EXPECT_TRUE(wrong.out.empty()) << key;
  }

  // A file whose instrument firmware belongs to another program.
  const std::string foreign = path("foreign-load.eta");
  {
    RecordFileSession files(kEnglish);
    files.build_header_text("Settings", {"1", "2", "3", "09-11-A", "Other meter"});
    std::string target = foreign;
    ASSERT_EQ(files.save_record(target, Bytes(100, 0), RecordFileSession::kNewFileMode), 0);
  }
  const Run refused = capture_cli({"load", "--window", "settings", foreign});
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find(text_of(75, kEnglish)), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("Other meter"), std::string::npos) << refused.err;
  EXPECT_TRUE(refused.out.empty());
}

TEST_F(SaveLoadTest, EscShowsBothTablesAsReceivedAndLoadShowsTheSameFromTheFile) {
  Bytes esc(124, 0);
  auto entry = [&esc](int start, int k, int number, int gain, Bytes value) {
    esc[static_cast<std::size_t>(start + 6 * k)] = static_cast<std::uint8_t>(number);
    esc[static_cast<std::size_t>(start + 6 * k + 1)] = static_cast<std::uint8_t>(gain);
    std::copy(value.begin(), value.end(), esc.begin() + start + 6 * k + 2);
  };
  entry(0, 0, 4, 50, {0x41, 0x20, 0x00, 0x00});   // 10.000
  entry(0, 1, 3, 51, {0x41, 0x24, 0x00, 0x00});   // 10.250
  entry(0, 3, 9, 99, {0x42, 0x00, 0x00, 0x00});   // after the end mark: never shown
  entry(60, 0, 1, 38, {0x3F, 0xC0, 0x00, 0x00});  // 1.500
  esc[120] = 0;
  esc[122] = 15;
  instrument_->set_registers(0xB00, esc);

  const Run read = cli({"esc"});
  ASSERT_EQ(read.status, 0) << read.err;
  const std::vector<std::string> expected = {
      "Firmware = 10-11-A",
      "Polarity = Reverse",
      "Margin = 15 dB",
      "Reverse",
      "Reverse\tNumber\tMin Gain(dB)\tValue(µs)",
      "1\t4\t50\t10.000",
      "2\t3\t51\t10.250",
      "Normal",
      "Normal\tNumber\tMin Gain(dB)\tValue(µs)",
      "1\t1\t38\t1.500",
  };
  EXPECT_EQ(lines_of(read.out), expected);

  // The file holds the bytes received, so its tables read the same.
  const std::string file = path("site.esc");
  ASSERT_EQ(cli({"save", "--window", "esc", file}).status, 0);
  instrument_->set_registers(0xB00, Bytes(124, 0));
  const Run loaded = cli({"load", "--window", "esc", file});
  ASSERT_EQ(loaded.status, 0) << loaded.err;
  EXPECT_EQ(loaded.out, read.out);

  EXPECT_EQ(cli({"esc", "extra"}).status, 2);
}

TEST_F(SaveLoadTest, BadCommandLinesNeverTouchTheLine) {
  const std::string file = path("args.eta");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"save", file},
           {"save", "--window", "measurement", file},
           {"save", "--window", "settings"},
           {"save", "--window", "settings", file, "extra"},
           {"save", "--window", "settings", "--language", "5", file},
           {"load", "--window", "logger", file},
           {"load", file}}) {
    const Run run = cli(args);
    EXPECT_EQ(run.status, 2) << args[1];
    EXPECT_NE(run.err.find("usage"), std::string::npos) << run.err;
  }
  EXPECT_EQ(instrument_->counters().requests, 0u);
  EXPECT_FALSE(path_exists(file));
}

}  // namespace
}  // namespace orvadw::cli

// The real orvadw program on the X display the suite provides: it starts in
// an empty program folder, puts its window on screen, and on a termination
// request leaves through its normal end, saving the last folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/ini_file.h"
#include "files/record_file.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/sim_process.h"
#include "base/text_table.h"
#include "files/identification_header.h"
#include "files/logger_table.h"
#include "files/measurement_recorder.h"
#include "params/window_table.h"

extern char** environ;

namespace orvadw {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

std::string run_and_read(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// The ids of the windows whose title holds title and whose owner process is pid.
std::vector<std::string> windows_of(pid_t pid, const std::string& title) {
  std::vector<std::string> found;
  const std::string tree = run_and_read("xwininfo -root -tree 2>/dev/null");
  std::size_t start = 0;
  while (start < tree.size()) {
    std::size_t end = tree.find('\n', start);
    if (end == std::string::npos) end = tree.size();
    const std::string line = tree.substr(start, end - start);
    start = end + 1;
    if (line.find("\"" + title) == std::string::npos) continue;
    const std::size_t id_at = line.find("0x");
    if (id_at == std::string::npos) continue;
    const std::string id = line.substr(id_at, line.find(' ', id_at) - id_at);
    const std::string owner = run_and_read("xprop -id " + id + " _NET_WM_PID 2>/dev/null");
    if (owner.find("= " + std::to_string(pid)) != std::string::npos) found.push_back(id);
  }
  return found;
}

class Program {
 public:
  Program(const std::string& path, const std::vector<std::string>& args,
          const std::string& home) {
    std::vector<std::string> env_strings;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      // The test itself may run offscreen; the program goes to the display.
      if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("ORVADW_HOME=", 0) == 0) {
        continue;
      }
      env_strings.push_back(entry);
    }
    env_strings.push_back("QT_QPA_PLATFORM=xcb");
    env_strings.push_back("ORVADW_HOME=" + home);
    std::vector<std::string> argv_strings{path};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env_strings) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
      pid_ = -1;
    }
  }
  ~Program() {
    if (running()) {
      ::kill(pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0 && !exited_; }

  // True when it ended within the limit; status() then tells how.
  bool wait_exit(Clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
      const pid_t done = ::waitpid(pid_, &status_, WNOHANG);
      if (done == pid_) {
        exited_ = true;
        return true;
      }
      if (Clock::now() >= deadline) return false;
      std::this_thread::sleep_for(milliseconds(50));
    }
  }
  int status() const { return status_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
};

class ProgramE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr || std::string(std::getenv("DISPLAY")).empty()) {
      GTEST_SKIP() << "no X display (the suite runs these tests under xvfb-run)";
    }
    const char* bin = std::getenv("ORVADW_BIN_DIR");
    if (bin == nullptr) GTEST_SKIP() << "ORVADW_BIN_DIR is not set (run through ctest)";
    program_ = std::string(bin) + "/orvadw";
    if (::access(program_.c_str(), X_OK) != 0) GTEST_FAIL() << program_ << " is missing";
    const std::string tools = run_and_read("command -v xwininfo; command -v xprop");
    if (tools.find("xwininfo") == std::string::npos || tools.find("xprop") == std::string::npos) {
      GTEST_SKIP() << "xwininfo and xprop (x11-utils) are needed to see the window";
    }
    ASSERT_TRUE(dir_.isValid());
    home_ = dir_.path().toStdString() + "/";
  }

  // Starts the program and waits (bounded) for its window.
  void start_and_see_window(Program& program, const std::string& title) {
    ASSERT_GT(program.pid(), 0);
    const auto deadline = Clock::now() + seconds(30);
    while (Clock::now() < deadline) {
      if (!windows_of(program.pid(), title).empty()) return;
      if (program.wait_exit(milliseconds(0))) FAIL() << "the program ended before showing";
      std::this_thread::sleep_for(milliseconds(100));
    }
    FAIL() << "no window titled \"" << title << "\" within 30 s";
  }

  void stop_cleanly(Program& program) {
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    ASSERT_TRUE(program.wait_exit(seconds(30))) << "the program did not end";
    ASSERT_TRUE(WIFEXITED(program.status())) << "ended by signal " << WTERMSIG(program.status());
    EXPECT_EQ(WEXITSTATUS(program.status()), 0);
  }

  static std::string value(const std::string& file, const char* section, const char* key) {
    return IniFile(file).read(section, key).value_or("<missing>");
  }

  std::string program_;
  QTemporaryDir dir_;
  std::string home_;
};

TEST_F(ProgramE2eTest, FirstRunShowsTheWindowAndSavesTheLastFolderAtExit) {
  Program program(program_, {}, home_);
  start_and_see_window(program, "OrvadW 10c   -   default");
  if (HasFatalFailure()) return;
  stop_cleanly(program);
  const std::string configuration = home_ + "default.OrvadW10";
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), configuration);
  EXPECT_EQ(value(configuration, "Test", "Test"), "Ok");
  EXPECT_EQ(value(configuration, "File Save", "Path File Save"), home_ + "Data/");
  struct stat st {};
  EXPECT_EQ(::stat((home_ + "Data").c_str(), &st), 0);
}

TEST_F(ProgramE2eTest, AConfigurationOnTheCommandLineIsUsedAndRecorded) {
  const std::string site = home_ + "north_site.cfg";
  {
    IniFile file(site);
    ASSERT_EQ(file.write_text("File Save", "Path File Save", home_ + "north/"), 0);
    ASSERT_EQ(file.write_text("Test", "Test", "Ok"), 0);
  }
  Program program(program_, {site}, home_);
  start_and_see_window(program, "OrvadW 10c   -   north_site");
  if (HasFatalFailure()) return;
  stop_cleanly(program);
  EXPECT_EQ(value(home_ + "last.cfg", "LastConfig", "LastConfig"), site);
  EXPECT_EQ(value(site, "File Save", "Path File Save"), home_ + "north/");
}

// One instrument window straight from the command line, against orvadw-sim
// on a pseudo-terminal through the real serial driver: read and save closes
// by itself with its file written; a window that stays open shows itself and
// leaves on a termination request.
TEST_F(ProgramE2eTest, TheWindowEntryOpensAnInstrumentWindow) {
  test::SimProcess sim;
  ASSERT_TRUE(sim.start({})) << sim.error();
  {
    IniFile configuration(home_ + "default.OrvadW10");
    ASSERT_EQ(configuration.write_text("Ports", "COM1", sim.link()), 0);
    ASSERT_EQ(configuration.write_text("Com", "Port", "0"), 0);
    ASSERT_EQ(configuration.write_text("Com", "Bauds", "7"), 0);
    ASSERT_EQ(configuration.write_text("Language", "Language", "1"), 0);
  }
  const std::string points = home_ + "points.sa";
  Program saver(program_, {"--window", "analog", "--mode", "65", points}, home_);
  ASSERT_TRUE(saver.wait_exit(seconds(30))) << "read and save did not end";
  ASSERT_TRUE(WIFEXITED(saver.status()));
  EXPECT_EQ(WEXITSTATUS(saver.status()), 0);
  RecordFile file;
  ASSERT_EQ(file.open(points, false), 0);
  std::string header;
  DateTime saved;
  ASSERT_EQ(file.read_header(header, saved), 0);
  std::vector<std::uint8_t> record;
  ASSERT_EQ(file.read_record(0, record), 0);
  // Three registers that belong to no field, then 1160 and 60500 twice.
  EXPECT_EQ(test::hex(record), "00 00 00 00 00 00 04 88 EC 54 04 88 EC 54");

  // The ESC view saves the instrument's bytes, tables included (no field
  // covers them), and shows the file again.
  const std::string esc = home_ + "site.esc";
  Program esc_saver(program_, {"--window", "esc", "--mode", "65", esc}, home_);
  ASSERT_TRUE(esc_saver.wait_exit(seconds(30))) << "read and save did not end";
  ASSERT_TRUE(WIFEXITED(esc_saver.status()));
  EXPECT_EQ(WEXITSTATUS(esc_saver.status()), 0);
  RecordFile esc_file;
  ASSERT_EQ(esc_file.open(esc, false), 0);
  ASSERT_EQ(esc_file.read_header(header, saved), 0);
  ASSERT_EQ(esc_file.record_count(), 2);
  ASSERT_EQ(esc_file.read_record(1, record), 0);
  ASSERT_EQ(record.size(), 124u);
  // The first reverse entry and the stale one after its end mark.
  EXPECT_EQ(test::hex(std::vector<std::uint8_t>(record.begin(), record.begin() + 2)), "01 2A");
  EXPECT_EQ(test::hex(std::vector<std::uint8_t>(record.begin() + 24, record.begin() + 26)), "07 3C");
  EXPECT_EQ(record[120], 1);
  esc_file.close();
  Program esc_shown(program_, {"--window", "esc", esc}, home_);
  start_and_see_window(esc_shown, "ESC info   -   " + esc);
  if (HasFatalFailure()) return;
  ASSERT_EQ(::kill(esc_shown.pid(), SIGTERM), 0);
  ASSERT_TRUE(esc_shown.wait_exit(seconds(30))) << "the view did not leave";

  Program shown(program_, {"--window", "settings", "--mode", "2"}, home_);
  start_and_see_window(shown, "Settings");
  if (HasFatalFailure()) return;
  ASSERT_EQ(::kill(shown.pid(), SIGTERM), 0);
  ASSERT_TRUE(shown.wait_exit(seconds(30))) << "the window did not leave";
  ASSERT_TRUE(WIFEXITED(shown.status()));
  EXPECT_EQ(WEXITSTATUS(shown.status()), 1) << "closed without OK";

  Program wrong(program_, {"--window", "logbook"}, home_);
  ASSERT_TRUE(wrong.wait_exit(seconds(30)));
  EXPECT_EQ(WEXITSTATUS(wrong.status()), 2);
  EXPECT_EQ(sim.stop(), 0);
}

// The test entry opens a view straight away: a recording and a logger file
// shown in file mode, in the configuration's language (French by default).
TEST_F(ProgramE2eTest, TheWindowEntryOpensTheViewsOnTheirFiles) {
  // A file of this program's instrument (its firmware is checked on opening).
  const IdentificationTexts ids{"7", "3", "1", "10-11-A", "Ultrasonic meter"};
  const std::string recording = home_ + "run.mes";
  {
    MeasurementRecorder recorder(1, 0, kFrench);
    recorder.press();
    ASSERT_EQ(recorder.start(recording, build_header_text("Mesure", ids), DateTime(2024, 5, 6, 7, 8, 9)), 0);
    const MeasurementRecorder::Sample sample = {std::vector<std::uint8_t>(44, 0), std::vector<std::uint8_t>(48, 0),
                                                std::vector<std::uint8_t>(800, 0)};
    ASSERT_TRUE(recorder.step(DateTime(2024, 5, 6, 7, 8, 9), sample).wrote);
  }
  const std::string log = home_ + "events.log";
  {
    ParameterFieldList fields = make_field_list(logger_window(kFrench), kFrench);
    LoggerTable table(fields);
    const std::vector<std::uint8_t> entry = {0x0C, 0x05, 0x1F, 0x17, 0x3B, 0x3A, 0x44, 0x9A, 0x56, 0x00};
    ASSERT_EQ(table.fill(1, entry), LoggerTable::Fill::kFilled);
    ASSERT_TRUE(table.save(log, build_header_text("Logger", ids), DateTime(2024, 5, 6, 7, 8, 9), kFrench).created);
  }
  for (const auto& [name, file, title] : {std::tuple<std::string, std::string, std::string>{"measurement", recording, "Mesure"},
                                          {"logger", log, "Logger"}}) {
    Program program(program_, {"--window", name, file}, home_);
    // The save date follows the regional format: only its place is checked.
    start_and_see_window(program, title + " (");
    if (HasFatalFailure()) return;
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    ASSERT_TRUE(program.wait_exit(seconds(30))) << "the view did not leave";
    ASSERT_TRUE(WIFEXITED(program.status())) << "ended by signal " << WTERMSIG(program.status());
    EXPECT_EQ(WEXITSTATUS(program.status()), 1) << "closed without OK";
  }
  Program unknown(program_, {"--window", "nothing"}, home_);
  ASSERT_TRUE(unknown.wait_exit(seconds(30)));
  EXPECT_EQ(WEXITSTATUS(unknown.status()), 2);
}

// A stop request repeated while the program is on its way out (a second
// Ctrl+C, a service manager insisting) must not kill it by signal: it still
// ends with its own status.
TEST_F(ProgramE2eTest, RepeatedStopRequestsStillEndTheProgramNormally) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> starts = {
      {{"--options"}, text_of(199, kFrench)}, {{}, "OrvadW 10c   -   default"}};
  for (const auto& [args, title] : starts) {
    SCOPED_TRACE(title);
    Program program(program_, args, home_);
    start_and_see_window(program, title);
    if (HasFatalFailure()) return;
    const auto deadline = Clock::now() + seconds(30);
    bool ended = false;
    while (!ended && Clock::now() < deadline) {
      ::kill(program.pid(), SIGTERM);
      std::this_thread::sleep_for(milliseconds(1));
      ended = program.wait_exit(milliseconds(0));
    }
    ASSERT_TRUE(ended) << "the program did not end";
    ASSERT_TRUE(WIFEXITED(program.status())) << "ended by signal " << WTERMSIG(program.status());
    EXPECT_EQ(WEXITSTATUS(program.status()), 0);
  }
}

// The program on its built-in simulated instrument says so in its title;
// --help lists the ways to start it; an unknown option is refused.
TEST_F(ProgramE2eTest, TheSimulatorIsNamedInTheTitleAndTheHelpListsTheStarts) {
  Program program(program_, {"--simulator"}, home_);
  start_and_see_window(program, "OrvadW 10c   -   default (instrument simulé)");
  if (HasFatalFailure()) return;
  stop_cleanly(program);

  // Neither the help nor a refused command line needs a display.
  const std::string no_display = "env -u DISPLAY QT_QPA_PLATFORM=xcb ";
  const std::string help = run_and_read(no_display + program_ + " --help 2>&1; echo status=$?");
  EXPECT_NE(help.find("--simulator"), std::string::npos) << help;
  EXPECT_NE(help.find("--window settings|special|analog|measurement|logger|esc"), std::string::npos);
  EXPECT_NE(help.find("status=0"), std::string::npos);
  const std::string bad =
      run_and_read(no_display + program_ + " --frobnicate 2>&1; echo status=$?");
  EXPECT_NE(bad.find("unknown option --frobnicate"), std::string::npos) << bad;
  EXPECT_NE(bad.find("status=2"), std::string::npos);
}

}  // namespace
}  // namespace orvadw

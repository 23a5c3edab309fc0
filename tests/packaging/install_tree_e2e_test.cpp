// What `cmake --install` gives, in a scratch prefix: the three programs, the
// desktop entry, its icon, the AppStream metainfo and the manual pages where
// Debian expects them, the entry and the metainfo passing their validators,
// and the installed programs running from there (the windowed one starting
// up in a fresh program folder).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

using test::ChildProcess;
using Clock = ChildProcess::Clock;
using std::chrono::seconds;

constexpr const char* kAppId = "org.orvadw.OrvadW";

// The program's full path from PATH; "" when it is not there.
std::string on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

struct Outcome {
  int status = -1;
  std::string out;
};

Outcome run(const std::vector<std::string>& argv) {
  ChildProcess child;
  Outcome r;
  if (!child.start(argv)) {
    r.out = child.error();
    return r;
  }
  r.status = child.wait(Clock::now() + seconds(60));
  r.out = child.out_text() + child.err_text();
  return r;
}

class InstallTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"desktop-file-validate", "appstreamcli", "gzip"}) {
      if (on_path(tool).empty()) {
        GTEST_SKIP() << tool << " is missing: run scripts/setup.sh (desktop-file-utils, appstream)";
      }
    }
    const Outcome installed = run({ORVADW_CMAKE_COMMAND, "--install", ORVADW_BINARY_DIR, "--prefix",
                               prefix_.path()});
    ASSERT_EQ(installed.status, 0) << installed.out;
  }

  std::string at(const std::string& relative) const { return prefix_.path() + "/" + relative; }

  test::TempDir prefix_{"orvadw-install"};
};

TEST_F(InstallTreeTest, FilesLandWhereDebianExpectsThemAndValidate) {
  const std::string id = kAppId;
  for (const std::string& file :
       {std::string("bin/orvadw"), std::string("bin/orvadw-cli"), std::string("bin/orvadw-sim"),
        "share/applications/" + id + ".desktop", "share/metainfo/" + id + ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/" + id + ".svg", std::string("share/man/man1/orvadw.1.gz"),
        std::string("share/man/man1/orvadw-cli.1.gz"), std::string("share/man/man1/orvadw-sim.1.gz"),
        std::string("share/doc/orvadw/copyright")}) {
    EXPECT_TRUE(test::path_exists(at(file))) << file;
  }
  for (const char* program : {"bin/orvadw", "bin/orvadw-cli", "bin/orvadw-sim"}) {
    EXPECT_EQ(::access(at(program).c_str(), X_OK), 0) << program;
  }

  const Outcome desktop = run({on_path("desktop-file-validate"), at("share/applications/" + id + ".desktop")});
  EXPECT_EQ(desktop.status, 0) << desktop.out;
  EXPECT_EQ(desktop.out, "") << "the desktop entry has warnings";
  const Outcome metainfo =
      run({on_path("appstreamcli"), "validate", "--no-net", at("share/metainfo/" + id + ".metainfo.xml")});
  EXPECT_EQ(metainfo.status, 0) << metainfo.out;
  // The icon the entry names is the one installed.
  EXPECT_NE(test::read_file(at("share/applications/" + id + ".desktop")).find("\nIcon=" + id + "\n"),
            std::string::npos);
  EXPECT_NE(test::read_file(at("share/icons/hicolor/scalable/apps/" + id + ".svg")).find("<svg"),
            std::string::npos);

  for (const std::string page : {"orvadw", "orvadw-cli", "orvadw-sim"}) {
    const Outcome text = run({on_path("gzip"), "-dc", at("share/man/man1/" + page + ".1.gz")});
    ASSERT_EQ(text.status, 0) << text.out;
    std::string title = page;
    for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(text.out.rfind(".TH " + title + " 1 ", 0), 0U) << page;
  }
}

TEST_F(InstallTreeTest, InstalledProgramsRunFromThePrefix) {
  const Outcome text = run({at("bin/orvadw-cli"), "text", "68", "--language", "2"});
  EXPECT_EQ(text.status, 0) << text.out;
  EXPECT_EQ(text.out, "Incorrect File");
  const Outcome sim = run({at("bin/orvadw-sim"), "--help"});
  EXPECT_EQ(sim.status, 0) << sim.out;
  EXPECT_EQ(sim.out.rfind("usage: orvadw-sim", 0), 0U) << sim.out;

  // The windowed program starts from the install tree: start-up records
  // its configuration in last.cfg, and a termination request ends it cleanly.
  test::TempDir home("orvadw-installed-home");
  ::setenv("ORVADW_HOME", home.path().c_str(), 1);
  ChildProcess program;
  ASSERT_TRUE(program.start({at("bin/orvadw")})) << program.error();
  ::unsetenv("ORVADW_HOME");
  const auto deadline = Clock::now() + seconds(30);
  const std::string last_cfg = home.file("last.cfg");
  while (!test::path_exists(last_cfg) && Clock::now() < deadline && program.running()) {
    program.read_until(std::min(deadline, Clock::now() + std::chrono::milliseconds(50)),
                       [] { return false; });
  }
  ASSERT_TRUE(test::path_exists(last_cfg)) << program.out_text() << program.err_text();
  EXPECT_NE(test::read_file(last_cfg).find("LastConfig=" + home.file("default.OrvadW10")),
            std::string::npos);
  EXPECT_EQ(program.stop(Clock::now() + seconds(20)), 0) << program.err_text();
}

}  // namespace
}  // namespace orvadw

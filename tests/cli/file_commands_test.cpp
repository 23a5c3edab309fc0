#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "files/record_file_test_support.h"

namespace orvadw::cli {
namespace {

using orvadw::test::Bytes;
using orvadw::test::FileBytes;
using orvadw::test::ScratchDir;
using orvadw::test::write_all;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun run(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = run_cli(arguments, out, err);
  return {status, out.str(), err.str()};
}

// A measurement file written by hand: Windows-1252 title, three records,
// one of them empty.
Bytes known_file() {
  return FileBytes()
      .header("17/08/2037 - 21:05:59\n",
              "Mesure d\xE9\x62it\nOrvadW 10\n4278058235\n31\n22\n4660\n10-11-03\nDUAL\n")
      .record({0x00, 0x0A, 0xFF}, 1)
      .record({}, 2)
      .record({0x12, 0x34, 0xAB, 0xCD, 0x7F}, 3)
      .bytes();
}

TEST(FileCommands, InfoShowsTheHeaderAsStored) {
  ScratchDir dir;
  const std::string path = dir.file("known.mes");
  write_all(path, known_file());
  const CliRun r = run({"file-info", path});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "saved: 17/08/2037 - 21:05:59\n"
            "title: Mesure débit\n"
            "internal name: OrvadW 10\n"
            "reserved: 4278058235\n"
            "serial week: 31\n"
            "serial year: 22\n"
            "serial number: 4660\n"
            "software version: 10-11-03\n"
            "software name: DUAL\n"
            "records: 3\n");
  EXPECT_EQ(r.err, "");

  // A short header shows the lines it has.
  write_all(path, FileBytes().header("01/01/2001 - 00:00:00\n", "only title\n").bytes());
  const CliRun s = run({"file-info", path});
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.out, "saved: 01/01/2001 - 00:00:00\ntitle: only title\nrecords: 0\n");
}

TEST(FileCommands, DumpPrintsOneHexLinePerRecord) {
  ScratchDir dir;
  const std::string path = dir.file("known.mes");
  write_all(path, known_file());
  const CliRun r = run({"file-dump", path});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "00 0A FF\n\n12 34 AB CD 7F\n");
  EXPECT_EQ(r.err, "");

  // Cut inside the last record: the complete ones, and a warning.
  Bytes cut = known_file();
  cut.resize(cut.size() - 6);
  write_all(path, cut);
  const CliRun c = run({"file-dump", path});
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(c.out, "00 0A FF\n\n");
  EXPECT_NE(c.err.find("warning"), std::string::npos);
  const CliRun i = run({"file-info", path});
  EXPECT_NE(i.out.find("records: 2\n"), std::string::npos);
}

TEST(FileCommands, GarbageMissingFilesAndUsage) {
  ScratchDir dir;
  const std::string garbage = dir.file("garbage.mes");
  write_all(garbage, Bytes{'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't', '\n'});
  for (const char* command : {"file-info", "file-dump"}) {
    SCOPED_TRACE(command);
    const CliRun g = run({command, garbage});
    EXPECT_NE(g.status, 0);
    EXPECT_EQ(g.out, "");
    EXPECT_EQ(g.err, "Incorrect File\n");

    const CliRun m = run({command, dir.file("none.mes")});
    EXPECT_NE(m.status, 0);
    EXPECT_EQ(m.out, "");
    EXPECT_EQ(m.err, std::string("Couldn't open source file : ") + std::strerror(ENOENT) + "\n");

    const CliRun d = run({command, dir.path()});
    EXPECT_NE(d.status, 0);
    EXPECT_EQ(d.err, std::string("Couldn't open source file : ") + std::strerror(EISDIR) + "\n");

    EXPECT_EQ(run({command}).status, 2);
    EXPECT_EQ(run({command, garbage, "extra"}).status, 2);
  }

  // A changed data byte is shown as it is; a broken length stops the dump.
  const Bytes good = known_file();
  const std::size_t marker0 = good[0];  // the header length, below 256 here
  Bytes changed = good;
  changed[marker0 + 8] ^= 0x40;
  const std::string path = dir.file("broken.mes");
  write_all(path, changed);
  const CliRun ok = run({"file-dump", path});
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, "40 0A FF\n\n12 34 AB CD 7F\n");
  Bytes framing = good;
  framing[marker0 + 4] = 9;
  write_all(path, framing);
  const CliRun f = run({"file-dump", path});
  EXPECT_NE(f.status, 0);
  EXPECT_NE(f.err.find("Incorrect File"), std::string::npos);
}

}  // namespace
}  // namespace orvadw::cli

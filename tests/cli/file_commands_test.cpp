#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "files/record_file_test_support.h"
#include "support/cli_run.h"

namespace orvadw::cli {
namespace {

using orvadw::test::Bytes;
using orvadw::test::FileBytes;
using orvadw::test::TempDir;
using orvadw::test::write_file_bytes;

using orvadw::test::capture_cli;
using orvadw::test::CliRun;

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
  TempDir dir;
  const std::string path = dir.file("known.mes");
  write_file_bytes(path, known_file());
  const CliRun r = capture_cli({"file-info", path});
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
  write_file_bytes(path, FileBytes().header("01/01/2001 - 00:00:00\n", "only title\n").bytes());
  const CliRun s = capture_cli({"file-info", path});
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.out, "saved: 01/01/2001 - 00:00:00\ntitle: only title\nrecords: 0\n");
}

TEST(FileCommands, DumpPrintsOneHexLinePerRecord) {
  TempDir dir;
  const std::string path = dir.file("known.mes");
  write_file_bytes(path, known_file());
  const CliRun r = capture_cli({"file-dump", path});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "00 0A FF\n\n12 34 AB CD 7F\n");
  EXPECT_EQ(r.err, "");

  // Cut inside the last record: the complete ones, and a warning.
  Bytes cut = known_file();
  cut.resize(cut.size() - 6);
  write_file_bytes(path, cut);
  const CliRun c = capture_cli({"file-dump", path});
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(c.out, "00 0A FF\n\n");
  EXPECT_NE(c.err.find("warning"), std::string::npos);
  const CliRun i = capture_cli({"file-info", path});
  EXPECT_NE(i.out.find("records: 2\n"), std::string::npos);
}

TEST(FileCommands, GarbageMissingFilesAndUsage) {
  TempDir dir;
  const std::string garbage = dir.file("garbage.mes");
  write_file_bytes(garbage, Bytes{'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't', '\n'});
  for (const char* command : {"file-info", "file-dump"}) {
    SCOPED_TRACE(command);
    const CliRun g = capture_cli({command, garbage});
    EXPECT_NE(g.status, 0);
    EXPECT_EQ(g.out, "");
    EXPECT_EQ(g.err, "Incorrect File\n");

    const CliRun m = capture_cli({command, dir.file("none.mes")});
    EXPECT_NE(m.status, 0);
    EXPECT_EQ(m.out, "");
    EXPECT_EQ(m.err, std::string("Couldn't open source file : ") + std::strerror(ENOENT) + "\n");

    const CliRun d = capture_cli({command, dir.path()});
    EXPECT_NE(d.status, 0);
    EXPECT_EQ(d.err, std::string("Couldn't open source file : ") + std::strerror(EISDIR) + "\n");

    EXPECT_EQ(capture_cli({command}).status, 2);
    EXPECT_EQ(capture_cli({command, garbage, "extra"}).status, 2);
  }

  // A changed data byte is shown as it is; a broken length stops the dump.
  const Bytes good = known_file();
  const std::size_t marker0 = good[0];  // the header length, below 256 here
  Bytes changed = good;
  changed[marker0 + 8] ^= 0x40;
  const std::string path = dir.file("broken.mes");
  write_file_bytes(path, changed);
  const CliRun ok = capture_cli({"file-dump", path});
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, "40 0A FF\n\n12 34 AB CD 7F\n");
  Bytes framing = good;
  framing[marker0 + 4] = 9;
  write_file_bytes(path, framing);
  const CliRun f = capture_cli({"file-dump", path});
  EXPECT_NE(f.status, 0);
  EXPECT_NE(f.err.find("Incorrect File"), std::string::npos);
}

}  // namespace
}  // namespace orvadw::cli

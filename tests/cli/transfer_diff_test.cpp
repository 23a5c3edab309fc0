// orvadw-cli transfer and diff against the in-process simulated instrument,
// with the requests it got seen on the wire: the window's write order with
// the clock and the reset word, a transfer cut off by a silent instrument,
// and the comparison of files with each other and with the instrument.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_table.h"
#include "files/record_file.h"
#include "params/window_table.h"
#include "sim/sim_bus.h"
#include "support/instrument_cli_test.h"
#include "tests/support/file_contents.h"
#include "tests/support/hex_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wire_tap.h"

namespace orvadw::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::capture_cli;
using test::hex;

std::vector<std::string> request_texts(const std::vector<test::TappedRequest>& requests) {
  std::vector<std::string> out;
  for (const auto& r : requests) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "F%d %04X %d", r.function, r.address, r.count);
    out.push_back(buf);
  }
  return out;
}

class TransferDiffTest : public test::InstrumentCliTest {
 protected:
  TransferDiffTest() : InstrumentCliTest("xfer-") {}

  // The command line on this test's instrument through the tap.
  test::CliRun tapped(const std::vector<std::string>& command) {
    std::vector<std::string> args = {
        "--port", test::WireTap::device(name_), "--baud-index", "7", "--timeout", "200"};
    args.insert(args.end(), command.begin(), command.end());
    return test::capture_cli(args);
  }
  std::vector<std::string> requests() { return request_texts(tap_.log().requests()); }
  std::string path(const std::string& name) { return folder_.file(name); }
  // The record of a data file.
  static Bytes record_of(const std::string& file) {
    RecordFile records;
    std::string header;
    DateTime saved;
    Bytes record;
    if (records.open(file, false) != 0 || records.read_header(header, saved) != 0 ||
        records.read_record(0, record) != 0) {
      ADD_FAILURE() << "cannot read " << file;
    }
    return record;
  }
  void set_byte(int block, int count, std::size_t at, std::uint8_t value) {
    Bytes image = instrument_->registers(block, count);
    image[at] = value;
    instrument_->set_registers(block, image);
  }

  test::ScopedWireTap tap_;
  test::TempDir folder_{"orvadw-transfer-diff"};
};

TEST_F(TransferDiffTest, TransferWritesTheFileInTheWindowsOrderWithClockAndResetWord) {
  const std::string file = path("site.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", file}).status, 0);
  const Bytes saved = record_of(file);
  set_byte(block::kParameters, 50, 1, 9);  // the instrument moved on since

  tap_.log().clear();
  const test::CliRun run = tapped({"transfer", "--window", "settings", file, "--sync-clock",
                                   "--reset-logger", "--reset-count"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto sent = tap_.log().requests();
  ASSERT_EQ(request_texts(sent),
            (std::vector<std::string>{"F16 2301 3", "F16 230A 2", "F16 1000 50"}));
  EXPECT_EQ(hex(sent[1].data), "00 01 00 01");
  EXPECT_EQ(hex(sent[2].data), hex(saved));
  EXPECT_EQ(hex(instrument_->registers(block::kParameters, 50)), hex(saved));
  EXPECT_EQ(instrument_->logger_size(), 0);
  EXPECT_EQ(run.out,
            "wrote block 0x2301 (3 registers)\nwrote block 0x230A (2 registers)\nwrote block "
            "0x1000 (50 registers)\n");

  // Without the options only the parameter block goes; the other windows
  // write their own block alone.
  tap_.log().clear();
  ASSERT_EQ(tapped({"transfer", "--window", "settings", file, "--reset-count"}).status, 0);
  EXPECT_EQ(requests(), (std::vector<std::string>{"F16 230A 2", "F16 1000 50"}));
  EXPECT_EQ(hex(tap_.log().requests()[0].data), "00 00 00 01");
  const std::string special = path("id.rsp");
  ASSERT_EQ(cli({"save", "--window", "special", special}).status, 0);
  tap_.log().clear();
  ASSERT_EQ(tapped({"transfer", "--window", "special", special}).status, 0);
  EXPECT_EQ(requests(), (std::vector<std::string>{"F16 4000 9"}));
  const Bytes sent_special = tap_.log().requests()[0].data;
  EXPECT_EQ(hex(sent_special), hex(record_of(special)));
}

TEST_F(TransferDiffTest, ASilentInstrumentStopsTheTransferAndTheBlocksWrittenAreListed) {
  const std::string file = path("site.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", file}).status, 0);
  tap_.log().clear();
  tap_.log().swallow(1);  // the clock is answered, then nothing
  const test::CliRun run =
      tapped({"transfer", "--window", "settings", file, "--sync-clock", "--reset-logger"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "wrote block 0x2301 (3 registers)\n");
  EXPECT_NE(run.err.find(text_of(73, kEnglish)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("block 0x230A not written (1 written before it)"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("error 251"), std::string::npos) << run.err;
  for (const std::string& r : requests())
    EXPECT_NE(r, "F16 1000 50") << "nothing after the failing block";

  // Refusals before the line is touched.
  tap_.log().clear();
  const std::string garbage = path("garbage.eta");
  ASSERT_TRUE(test::write_file(garbage, "not a record file"));
  EXPECT_EQ(tapped({"transfer", "--window", "settings", garbage}).status, 1);
  EXPECT_EQ(tapped({"transfer", "--window", "analog", file, "--sync-clock"}).status, 2);
  EXPECT_EQ(tapped({"transfer", "--window", "esc", file}).status, 2);
  EXPECT_EQ(tapped({"transfer", "--window", "analog", file}).status, 1)
      << "a settings file is no analog file";
  EXPECT_TRUE(requests().empty());
}

TEST_F(TransferDiffTest, DiffListsTheDifferingFieldsLikeTheWindowsCompare) {
  const std::string a = path("a.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", a}).status, 0);
  EXPECT_EQ(cli({"diff", "--window", "settings", a}).status, 0)
      << "the file is what the instrument holds";
  const test::CliRun same = cli({"diff", "--window", "settings", a, a});
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, "");

  set_byte(block::kParameters, 50, 1, 9);      // JBus number
  set_byte(block::kParameters, 50, 22, 0x77);  // relay 1 threshold, hidden by its type
  const std::string b = path("b.eta");
  ASSERT_EQ(cli({"save", "--window", "settings", b}).status, 0);
  const test::CliRun files = cli({"diff", "--window", "settings", a, b});
  EXPECT_EQ(files.status, 1);
  EXPECT_EQ(files.out, "N. JBus: 1 -> 9\n");
  const test::CliRun live = cli({"diff", "--window", "settings", a});
  EXPECT_EQ(live.status, 1);
  EXPECT_EQ(live.out, "N. JBus: 1 -> 9\n");
  const test::CliRun french = cli({"diff", "--window", "settings", b, a, "--language", "1"});
  EXPECT_EQ(french.out, "N. JBus: 9 -> 1\n");

  // Two models that read alike in English still differ.
  const std::string p = path("p.rsp");
  ASSERT_EQ(cli({"save", "--window", "special", p}).status, 0);
  set_byte(block::kSpecial, 9, 6, 9);
  const std::string q = path("q.rsp");
  ASSERT_EQ(cli({"save", "--window", "special", q}).status, 0);
  set_byte(block::kSpecial, 9, 6, 7);
  const std::string r = path("r.rsp");
  ASSERT_EQ(cli({"save", "--window", "special", r}).status, 0);
  EXPECT_EQ(cli({"diff", "--window", "special", r, q}).out,
            "Unit: Kalometra OR -> Kalometra OR #2\n");

  // Trouble is 2, as for diff(1).
  EXPECT_EQ(cli({"diff", "--window", "settings", path("missing.eta")}).status, 2);
  EXPECT_EQ(cli({"diff", "--window", "settings", a, p}).status, 2) << "a special settings file";
  EXPECT_EQ(capture_cli({"--port", "sim:nobody-here", "diff", "--window", "settings", a}).status,
            2);
  EXPECT_EQ(cli({"diff", "--window", "settings"}).status, 2);
  EXPECT_EQ(cli({"diff", "--window", "settings", a, b, a}).status, 2);
}

}  // namespace
}  // namespace orvadw::cli

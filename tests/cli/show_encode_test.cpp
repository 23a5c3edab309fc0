// show and encode through the command line: every window's blocks survive
// show -> encode, repeated keys are numbered, and bad input is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "params/window_table.h"
#include "sim/simulated_instrument.h"
#include "support/cli_run.h"
#include "tests/support/hex_bytes.h"

namespace orvadw::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::capture_cli;
using test::CliRun;
using test::hex;

std::string block_text(int block) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", block);
  return buf;
}

// What the instrument holds for a block, cut to the window's length; local
// blocks take the instrument data they are decoded from.
Bytes instrument_bytes(const sim::SimulatedInstrument& instrument, const std::string& window, int block,
                       int length) {
  Bytes bytes;
  if (block == block::kLoggerEntry) {
    bytes = instrument.logger_entry(0);
  } else if (block == block::kEscEntry) {
    bytes = instrument.registers(block::kEsc, 62);
  } else {
    bytes = instrument.registers(block, (length + 1) / 2);
  }
  EXPECT_GE(bytes.size(), static_cast<std::size_t>(length)) << window << " " << block_text(block);
  bytes.resize(static_cast<std::size_t>(length));
  return bytes;
}

TEST(ShowEncode, EveryWindowBlockSurvivesTheTextForm) {
  sim::SimulatedInstrument instrument;
  for (const std::string& window : window_keys()) {
    WindowTable table;
    ASSERT_TRUE(find_window(window, kEnglish, table));
    ParameterFieldList list = make_field_list(table, kEnglish);
    for (int block : list.blocks()) {
      if (list.block_fields(block).empty()) continue;  // the chart's points have no text form
      SCOPED_TRACE(window + " " + block_text(block));
      Bytes original = instrument_bytes(instrument, window, block, list.block_length(block));
      std::vector<std::string> show_args = {"show", "--window", window, "--block", block_text(block), hex(original)};
      CliRun shown = capture_cli(show_args);
      ASSERT_EQ(shown.status, 0) << shown.err;
      EXPECT_EQ(shown.err, "");
      // One line per value, then the checksum line.
      EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'),
                static_cast<long>(list.block_fields(block).size()) + 1);

      CliRun encoded =
          capture_cli({"encode", "--window", window, "--block", block_text(block)}, shown.out);
      ASSERT_EQ(encoded.status, 0) << encoded.err;
      // The text form is stable: the encoded bytes show the same lines again.
      std::string again = encoded.out.substr(0, encoded.out.find('\n'));
      CliRun reshown =
          capture_cli({"show", "--window", window, "--block", block_text(block), again});
      // Without rounded measurements, every byte a field covers comes back
      // as it was (so does the checksum); the bytes no field covers are
      // written as 0.
      bool rounded = (window == "measurement" && block == block::kMeasure) || block == block::kEscEntry ||
                     block == block::kLoggerEntry;
      if (rounded) {
        const auto values = [](const std::string& out) {
          return out.substr(0, out.rfind("# CRC-32 "));
        };
        EXPECT_EQ(values(reshown.out), values(shown.out));
      } else {
        EXPECT_EQ(reshown.out, shown.out);
      }
      if (!rounded) {
        Bytes covered(original.size(), 0);
        for (int position : list.block_fields(block)) {
          const auto& d = list.at(static_cast<std::size_t>(position)).descriptor();
          int size = value_type_size(d.value_type, d.maximum);
          for (int i = d.byte_offset; i < d.byte_offset + size; ++i) {
            covered[static_cast<std::size_t>(i)] = original[static_cast<std::size_t>(i)];
          }
        }
        EXPECT_EQ(again, hex(covered));
      }
    }
  }
}

TEST(ShowEncode, KeysLabelsAndUnits) {
  ParameterFieldList defaults = make_field_list(settings_window(kEnglish), kEnglish);
  CliRun r = capture_cli({"show", "--window", "settings", "--block", "0x1000",
                          hex(defaults.encode(block::kParameters))});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Type = Open\nThreshold = 1472.0 m/s\nDirection = Normal\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Type #2 = Open\nThreshold #2 = 1472.0 m/s\nDirection #2 = Normal\n"), std::string::npos);
  EXPECT_NE(r.out.find("Ext. Diameter = 27.9 mm\n"), std::string::npos);
  EXPECT_NE(r.out.find("Material = Copper\n"), std::string::npos);
  EXPECT_NE(r.out.find("Line 1 = \n"), std::string::npos);

  // Unlabelled fields are keyed by their control id.
  r = capture_cli({"show", "--window", "settings", "--block", "0x230A", "00010001"});
  EXPECT_EQ(r.out, "c1193 = 65537\n# CRC-32 578185BD\n");

  // The chart's label comes first in the measurement table.
  sim::SimulatedInstrument instrument;
  r = capture_cli({"show", "--window", "measurement", "--block", "0x100",
                   hex(instrument.registers(0x100, 24))});
  EXPECT_NE(r.out.find("Sp. Sound #2 = "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Firmware = 10-11-A\n"), std::string::npos);

  // Another language: labels and items in it.
  r = capture_cli({"show", "--window", "analog", "--block", "0x3000",
                   "000000000000 0000 FFFF 0005 EC54", "--language", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, text_of(169, kFrench) + " = 10\n" + text_of(168, kFrench) + " = 65535\n" +
                       text_of(169, kFrench) + " #2 = 5\n" + text_of(168, kFrench) +
                       " #2 = 60500\n# CRC-32 C36DA12F\n");
}

TEST(ShowEncode, EncodeTypesLikeAPerson) {
  // Units may be left out; limits apply as on leaving the field; the rest
  // keeps its initial values.
  CliRun r = capture_cli({"encode", "--window", "analog", "--block", "0x3000"},
                         "Pts 4mA = 5\nPts 20mA #2 = 70000\n\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "00 00 00 00 00 00 00 0A EC 54 04 88 FF FF\n");

  r = capture_cli({"encode", "--window", "settings", "--block", "0x1000"},
                  "Period TX = 40000 \xC2\xB5s\r\nC 4mA = 850.0\nMaterial = Steel\nLine 1 = "
                  "\xC3\xA9t\xC3\xA9\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(32 * 3, 5), "7D 00");
  EXPECT_EQ(r.out.substr(39 * 3, 5), "21 34");
  EXPECT_EQ(r.out.substr(5 * 3, 2), "0B");
  EXPECT_EQ(r.out.substr(46 * 3, 8), "E9 74 E9");

  // An empty text whose trailing blank was trimmed.
  r = capture_cli({"encode", "--window", "settings", "--block", "0x1000"}, "Line 1 =\n");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(ShowEncode, BadInputIsRefusedWithAReason) {
  CliRun r = capture_cli({"encode", "--window", "settings", "--block", "0x1000"},
                         "N. JBus = 3\nNo such thing = 1\n");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No such thing"), std::string::npos);
  EXPECT_EQ(r.out, "");

  r = capture_cli({"encode", "--window", "settings", "--block", "0x1000"},
                  "Material = Unobtainium\n");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("Unobtainium"), std::string::npos);

  r = capture_cli({"encode", "--window", "settings", "--block", "0x1000"}, "just some words\n");
  EXPECT_NE(r.status, 0);

  // A key of another block of the same window is not part of this one.
  r = capture_cli({"encode", "--window", "settings", "--block", "0x1000"}, "Firmware = x\n");
  EXPECT_NE(r.status, 0);

  EXPECT_EQ(capture_cli({"show", "--window", "settings", "--block", "0x1000", "0G"}).status, 2);
  EXPECT_EQ(capture_cli({"show", "--window", "settings", "--block", "0x1000", "012"}).status, 2);
  EXPECT_EQ(capture_cli({"show", "--window", "nowhere", "--block", "0x1000", "00"}).status, 2);
  EXPECT_EQ(capture_cli({"show", "--window", "settings", "00"}).status, 2);
  EXPECT_EQ(capture_cli({"show", "--block", "0x1000", "00"}).status, 2);
  EXPECT_EQ(
      capture_cli({"show", "--window", "settings", "--block", "0x1000", "--language", "5", "00"})
          .status,
      2);
  EXPECT_EQ(capture_cli({"show", "--window", "settings", "--block", "0x9999", "00"}).status, 2);

  // Too few bytes: what is there is shown, the rest keeps its initial text.
  r = capture_cli({"show", "--window", "settings", "--block", "0x1000", "00 07"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("2 bytes"), std::string::npos);
  EXPECT_NE(r.out.find("N. JBus = 7\n"), std::string::npos);
  EXPECT_NE(r.out.find("Period TX = 5000"), std::string::npos);
}

}  // namespace
}  // namespace orvadw::cli

namespace orvadw::cli {
namespace {

TEST(ShowEncode, ControlCharactersInAnInstrumentTextKeepToTheirLine) {
  // "Line 1" (16 bytes at 46 of the parameter block) as an instrument may
  // hold it: a line feed, a backslash, a control byte.
  ParameterFieldList defaults = make_field_list(settings_window(kEnglish), kEnglish);
  Bytes block = defaults.encode(block::kParameters);
  const std::string text = "A\nB\\C\x01";
  std::copy(text.begin(), text.end(), block.begin() + 46);
  CliRun shown = capture_cli({"show", "--window", "settings", "--block", "0x1000", test::hex(block)});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("\nLine 1 = A\\x0AB\\\\C\\x01\nLine 2 = "), std::string::npos) << shown.out;

  CliRun encoded = capture_cli({"encode", "--window", "settings", "--block", "0x1000"}, shown.out);
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  EXPECT_EQ(encoded.out.substr(46 * 3, 6 * 3 - 1), "41 0A 42 5C 43 01");
  // A backslash typed on its own stays a backslash.
  encoded = capture_cli({"encode", "--window", "settings", "--block", "0x1000"}, "Line 1 = C:\\x\\q\n");
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  EXPECT_EQ(encoded.out.substr(46 * 3, 6 * 3 - 1), "43 3A 5C 78 5C 71");
}

}  // namespace
}  // namespace orvadw::cli

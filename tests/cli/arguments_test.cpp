// The pieces every command parses its words with: options taken out without
// disturbing the other words, numbers in decimal and 0x hex, bounds with the
// words of the message, and hexadecimal bytes in and out.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/hex_text.h"
#include "cli/read_request.h"

namespace orvadw::cli {
namespace {

using Words = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

TEST(CliArguments, OptionsAreTakenOutAndTheOtherWordsKeepTheirOrder) {
  Words args = {"0x100", "--times", "3", "24", "--flag"};
  std::string value;
  bool present = false;
  ASSERT_TRUE(take_option(args, "--times", value, present));
  EXPECT_TRUE(present);
  EXPECT_EQ(value, "3");
  EXPECT_EQ(args, (Words{"0x100", "24", "--flag"}));

  // Absent: nothing moves and the value is left alone.
  value = "kept";
  ASSERT_TRUE(take_option(args, "--period", value, present));
  EXPECT_FALSE(present);
  EXPECT_EQ(value, "kept");
  EXPECT_EQ(args, (Words{"0x100", "24", "--flag"}));

  EXPECT_TRUE(take_flag(args, "--flag"));
  EXPECT_FALSE(take_flag(args, "--flag"));
  EXPECT_EQ(args, (Words{"0x100", "24"}));

  // Last word without its value: refused, and the option does not linger.
  args = {"1", "--times"};
  EXPECT_FALSE(take_option(args, "--times", value, present));
  EXPECT_TRUE(present);
  EXPECT_EQ(args, (Words{"1"}));
}

TEST(CliArguments, WholeNumbersInDecimalAndHex) {
  long long n = 0;
  EXPECT_TRUE(parse_integer("4098", n));
  EXPECT_EQ(n, 4098);
  EXPECT_TRUE(parse_integer("0x1F", n));
  EXPECT_EQ(n, 31);
  EXPECT_TRUE(parse_integer("0XfF00", n));
  EXPECT_EQ(n, 0xFF00);
  EXPECT_TRUE(parse_integer("-3", n));
  EXPECT_EQ(n, -3);
  for (const char* bad : {"", "0x", "12a", "1.0", "1 ", "x10", "0x1G"}) {
    EXPECT_FALSE(parse_integer(bad, n)) << '"' << bad << '"';
  }
}

TEST(CliArguments, BoundedOptionsNameTheOptionAndTheRange) {
  Words args = {"--count", "0"};
  long long value = 7;
  std::ostringstream err;
  EXPECT_FALSE(take_bounded_option(args, "--count", 1, 5, value, err));
  EXPECT_EQ(err.str(), "orvadw-cli: --count must be 1 to 5, not 0\n");
  EXPECT_EQ(value, 7);

  args = {"--count", "many"};
  err.str("");
  EXPECT_FALSE(take_bounded_option(args, "--count", 1, 5, value, err));
  EXPECT_EQ(err.str(), "orvadw-cli: --count: not a number: many\n");

  args = {"--count"};
  err.str("");
  EXPECT_FALSE(take_bounded_option(args, "--count", 1, 5, value, err));
  EXPECT_EQ(err.str(), "orvadw-cli: --count needs a value\n");

  args = {"--count", "0x5", "rest"};
  err.str("");
  EXPECT_TRUE(take_bounded_option(args, "--count", 1, 5, value, err));
  EXPECT_EQ(value, 5);
  EXPECT_EQ(args, (Words{"rest"}));
  EXPECT_EQ(err.str(), "");

  // An absent option keeps the caller's default.
  EXPECT_TRUE(take_integer_option(args, "--language", value, err));
  EXPECT_EQ(value, 5);
  int address = -1;
  EXPECT_TRUE(parse_register_address("0xFFFF", address, err));
  EXPECT_EQ(address, 0xFFFF);
  EXPECT_FALSE(parse_register_address("65536", address, err));
  EXPECT_EQ(address, 0xFFFF);
  EXPECT_NE(err.str().find("ADDR must be 0 to 65535, not 65536"), std::string::npos) << err.str();
}

TEST(CliHexText, BytesOutAndIn) {
  EXPECT_EQ(hex_text({}), "");
  EXPECT_EQ(hex_text({0x00, 0x0A, 0xFF, 0x10}), "00 0A FF 10");
  EXPECT_EQ(hex_address(0x1A00), "0x1A00");
  EXPECT_EQ(hex_address(0), "0x0");

  Bytes bytes = {0x99};
  std::ostringstream err;
  ASSERT_TRUE(parse_hex_words({"01 0a", "0xFFEE", "7f"}, bytes, err)) << err.str();
  EXPECT_EQ(bytes, (Bytes{0x01, 0x0A, 0xFF, 0xEE, 0x7F}));
  ASSERT_TRUE(parse_hex_words({}, bytes, err));
  EXPECT_TRUE(bytes.empty());

  for (const Words& bad :
       {Words{"ABC"}, Words{"0x"}, Words{"GG"}, Words{"01", "0x1"}, Words{"  "}}) {
    err.str("");
    EXPECT_FALSE(parse_hex_words(bad, bytes, err)) << bad.front();
    EXPECT_NE(err.str().find("orvadw-cli: "), std::string::npos) << bad.front();
  }
}

TEST(CliReadRequest, OptionsAddressAndCountWithTheAnswerLimit) {
  Words args = {"--bytes-per-item", "4", "0x100", "--function", "4", "63"};
  ReadRequest request;
  std::ostringstream err;
  ASSERT_TRUE(take_read_request(args, request, err)) << err.str();
  EXPECT_EQ(request.function, 4);
  EXPECT_EQ(request.bytes_per_item, 4);
  EXPECT_EQ(request.address, 0x100);
  EXPECT_EQ(request.count, 63);

  // 64 items of 4 bytes do not fit the answer's one-byte count.
  args = {"0x100", "64", "--bytes-per-item", "4"};
  err.str("");
  EXPECT_FALSE(take_read_request(args, request, err));
  EXPECT_EQ(err.str(), "orvadw-cli: COUNT x bytes per item must stay within 255 bytes\n");

  for (const Words& bad : {Words{"0x100"}, Words{"0x100", "2", "3"}, Words{"0x100", "0"},
                           Words{"0", "2", "--function", "16"}}) {
    Words copy = bad;
    EXPECT_FALSE(take_read_request(copy, request, err)) << bad.size();
  }
}

}  // namespace
}  // namespace orvadw::cli

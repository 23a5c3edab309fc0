// The command line of orvadw-sim: every option reaches its setting, and bad
// values are refused with a reason instead of being taken half-way.
#include "tests/support/process_locale.h"
#include "sim/program_options.h"

#include <gtest/gtest.h>

#include <clocale>

namespace orvadw::sim {
namespace {

TEST(ProgramOptions, EveryOptionReachesItsSetting) {
  ProgramOptions o;
  std::string error;
  ASSERT_EQ(parse_program_options(
                {"--link", "/tmp/x", "--jbus", "17", "--firmware", "10-11-Q", "--logger-entries",
                 "40", "--baud=2400", "--drop", "0.25", "--corrupt", "0.01", "--exception", "6",
                 "--exception-rate", "0.5", "--delay", "30", "--late", "0.1", "--late-ms", "700",
                 "--wrong-slave", "0.05", "--garbage", "0.2", "--seed", "99", "--modem",
                 "--dial-answer", "no dialtone", "--dial-delay", "10", "--guard-ms", "250"},
                o, error),
            0)
      << error;
  EXPECT_EQ(o.link, "/tmp/x");
  EXPECT_EQ(o.instrument.jbus, 17);
  EXPECT_EQ(o.instrument.firmware, "10-11-Q");
  EXPECT_EQ(o.instrument.logger_entries, 40);
  EXPECT_EQ(o.baud, 2400);
  EXPECT_DOUBLE_EQ(o.faults.drop, 0.25);
  EXPECT_DOUBLE_EQ(o.faults.corrupt, 0.01);
  EXPECT_EQ(o.faults.exception_code, 6);
  EXPECT_DOUBLE_EQ(o.faults.exception_rate, 0.5);
  EXPECT_EQ(o.faults.delay_ms, 30);
  EXPECT_DOUBLE_EQ(o.faults.late, 0.1);
  EXPECT_EQ(o.faults.late_ms, 700);
  EXPECT_DOUBLE_EQ(o.faults.wrong_slave, 0.05);
  EXPECT_DOUBLE_EQ(o.faults.garbage, 0.2);
  EXPECT_EQ(o.faults.seed, 99u);
  EXPECT_EQ(o.instrument.seed, 99u);
  EXPECT_TRUE(o.modem);
  EXPECT_EQ(o.dial_answer, "NO DIALTONE");
  EXPECT_EQ(o.dial_delay_ms, 10);
  EXPECT_EQ(o.guard_ms, 250);
  EXPECT_FALSE(o.help);
}

TEST(ProgramOptions, DefaultsWithoutArguments) {
  ProgramOptions o;
  std::string error;
  ASSERT_EQ(parse_program_options({}, o, error), 0);
  EXPECT_EQ(o.instrument.jbus, 1);
  EXPECT_EQ(o.instrument.firmware, "10-11-A");
  EXPECT_EQ(o.baud, 0);
  EXPECT_FALSE(o.modem);
  EXPECT_EQ(o.dial_answer, "CONNECT");
  EXPECT_DOUBLE_EQ(o.faults.exception_rate, 1.0);
  EXPECT_EQ(o.faults.exception_code, 0);
}

TEST(ProgramOptions, BadValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--jbus", "0"},       {"--jbus", "256"},        {"--jbus", "12x"},
      {"--jbus", ""},        {"--drop", "-0.1"},       {"--drop", "1.01"},
      {"--drop", "nan"},     {"--corrupt", "0,5"},     {"--exception", "0"},
      {"--delay", "-5"},     {"--baud", "0"},          {"--logger-entries", "1001"},
      {"--seed", "-1"},      {"--dial-answer", "RING"}, {"--link", ""},
      {"--whatever"},        {"--late-ms"},            {"-x"}};
  for (const auto& args : bad) {
    ProgramOptions o;
    std::string error;
    EXPECT_EQ(parse_program_options(args, o, error), 2) << args[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(ProgramOptions, SharesAreReadInTheCLocale) {
  // A French user locale must not turn "0.5" into 0 or accept "0,5".
  ProgramOptions o;
  std::string error;
  int rc = -1;
  {
    test::ProcessLocale french("fr_FR.UTF-8");
    if (!french.ok()) GTEST_SKIP() << "no French locale";
    rc = parse_program_options({"--drop", "0.5"}, o, error);
  }
  EXPECT_EQ(rc, 0) << error;
  EXPECT_DOUBLE_EQ(o.faults.drop, 0.5);
}

}  // namespace
}  // namespace orvadw::sim

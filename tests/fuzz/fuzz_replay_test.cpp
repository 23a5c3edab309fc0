// Every stored fuzz input (the seed corpus and each input a fuzzer once
// broke the code with) goes once through the same entry function as under
// libFuzzer; what the target checks must hold for each of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "tests/support/file_contents.h"

namespace orvadw::fuzz {
namespace {

namespace fs = std::filesystem;

}  // namespace

// Names the target in test output instead of its bytes.
void PrintTo(const FuzzTarget& target, std::ostream* out) { *out << target.name; }

namespace {

std::vector<fs::path> inputs_of(const std::string& folder) {
  std::vector<fs::path> out;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return out;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) out.push_back(entry.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

class FuzzReplayTest : public ::testing::TestWithParam<FuzzTarget> {
 protected:
  void SetUp() override {
    set_failure_handler([this](const std::string& message) { failures_.push_back(message); });
  }
  void TearDown() override { set_failure_handler({}); }

  void replay(const std::string& folder, int& count) {
    for (const fs::path& input : inputs_of(folder)) {
      const std::vector<std::uint8_t> bytes = test::read_file_bytes(input.string());
      failures_.clear();
      GetParam().run(bytes.data(), bytes.size());
      for (const std::string& failure : failures_) {
        ADD_FAILURE() << input.filename().string() << ": " << failure;
      }
      ++count;
    }
  }

  std::vector<std::string> failures_;
};

TEST_P(FuzzReplayTest, StoredInputsHoldEveryCheck) {
  const std::string name(GetParam().name);
  int seeds = 0;
  int regressions = 0;
  replay(std::string(ORVADW_FUZZ_DIR) + "/corpus/" + name, seeds);
  replay(std::string(ORVADW_FUZZ_DIR) + "/regressions/" + name, regressions);
  EXPECT_GT(seeds, 0) << "the target " << name << " has no seed inputs";
  RecordProperty("inputs", seeds + regressions);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(fuzz_targets().begin(),
                                                                     fuzz_targets().end()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvadw::fuzz

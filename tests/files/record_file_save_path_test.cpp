#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "base/text_table.h"
#include "files/file_error.h"
#include "files/save_path.h"
#include "record_file_test_support.h"

namespace orvadw {
namespace {

TEST(SavePath, CompletesWithTheKindExtension) {
  EXPECT_EQ(complete_save_path("x", "eta"), "x.eta");
  EXPECT_EQ(complete_save_path("x.txt", "eta"), "x.txt.eta");
  EXPECT_EQ(complete_save_path("x.", "eta"), "x.eta");
  EXPECT_EQ(complete_save_path("x.eta", "eta"), "x.eta");
  EXPECT_EQ(complete_save_path("/home/u/data.eta", ".eta"), "/home/u/data.eta");
  EXPECT_EQ(complete_save_path("/home/u/data", ".mes"), "/home/u/data.mes");
  // Ending with the letters is not ending with the extension.
  EXPECT_EQ(complete_save_path("beta", "eta"), "beta.eta");
  EXPECT_EQ(complete_save_path("x.ETA", "eta"), "x.ETA.eta");
  EXPECT_EQ(complete_save_path("x", ""), "x");
}

TEST(SavePath, QuestionAndFolder) {
  EXPECT_EQ(replace_question("/tmp/a.eta", kEnglish),
            "/tmp/a.eta \n\nThe file already exists, do you want to replace it ?");
  EXPECT_EQ(replace_question("a.eta", kFrench),
            "a.eta \n\nLe fichier existe déjà, voulez vous le remplacer ?");
  EXPECT_EQ(folder_of("/home/u/x.eta"), "/home/u/");
  EXPECT_EQ(folder_of("x.eta"), "");
  EXPECT_EQ(folder_of("/x"), "/");
}

TEST(SavePath, DialogLoopAsksBeforeReplacingAndNoAsksAgain) {
  test::TempDir dir;
  const std::string existing = dir.file("old.eta");
  test::write_file_bytes(existing, {1, 2, 3});

  std::vector<std::string> answers{dir.file("old"), dir.file("old"), dir.file("new.txt")};
  std::size_t asked = 0;
  std::vector<std::string> questions;
  std::vector<bool> replies{false, false};
  auto ask = [&]() -> std::optional<std::string> {
    if (asked >= answers.size()) return std::nullopt;
    return answers[asked++];
  };
  auto confirm = [&](const std::string& q) {
    questions.push_back(q);
    return replies[questions.size() - 1];
  };
  // No twice, then a new name: no question for it.
  auto chosen = choose_save_path("eta", kEnglish, ask, confirm);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, dir.file("new.txt.eta"));
  EXPECT_EQ(asked, 3U);
  ASSERT_EQ(questions.size(), 2U);
  EXPECT_EQ(questions[0], replace_question(existing, kEnglish));

  // Yes accepts the existing name.
  asked = 0;
  questions.clear();
  replies = {true};
  chosen = choose_save_path("eta", kEnglish, ask, confirm);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, existing);
  EXPECT_EQ(questions.size(), 1U);
  EXPECT_EQ(test::read_file_bytes(existing), (test::Bytes{1, 2, 3}));  // asking changes nothing

  // Cancel.
  asked = answers.size();
  EXPECT_FALSE(choose_save_path("eta", kEnglish, ask, confirm).has_value());
  EXPECT_TRUE(file_exists_for_reading(existing));
  EXPECT_FALSE(file_exists_for_reading(dir.file("new.txt.eta")));
}

TEST(FileError, TextSeventySevenThenTheSystemText) {
  EXPECT_EQ(file_error_message(ENOENT, kEnglish),
            std::string("Couldn't open source file : ") + std::strerror(ENOENT));
  EXPECT_EQ(file_error_message(EACCES, kGerman),
            std::string("Konnte Quelle nicht öffnen : ") + std::strerror(EACCES));
  EXPECT_FALSE(system_error_text(123456).empty());
  EXPECT_LE(system_error_text(123456).size(), kMaxSystemErrorText);
}

}  // namespace
}  // namespace orvadw

#include "base/program_identity.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "base/program_folder.h"
#include "tests/support/temp_dir.h"

namespace orvadw {
namespace {

TEST(ProgramIdentity, VersionResourceAndConfigurationExtension) {
  EXPECT_EQ(internal_name(), "OrvadW 10");
  EXPECT_EQ(file_version(), "10 C");
  EXPECT_FALSE(legal_copyright().empty());
  EXPECT_EQ(configuration_extension(), "OrvadW10");
}

TEST(ProgramIdentity, ProductCodeFromExecutableNameFirstRowWins) {
  EXPECT_EQ(product_code("orvadw"), "11");
  EXPECT_EQ(product_code("ORVADW.EXE"), "11");
  EXPECT_EQ(product_code("/usr/local/bin/OrVaDw-debug"), "11");
  EXPECT_EQ(product_code("gossin"), "10");
  EXPECT_EQ(product_code("VANTOREL2"), "03");
  EXPECT_EQ(product_code("pellux"), "20");
  EXPECT_EQ(product_code("my-hundara"), "12");
  // Both names in one file name: the earlier row decides.
  EXPECT_EQ(product_code("hundara_gossin"), "10");
  EXPECT_EQ(product_code("pellux_orvadw"), "11");
  // Only the file name counts, not the folders above it.
  EXPECT_EQ(product_code("/opt/gossin/bin/orvadw"), "11");
  EXPECT_EQ(product_code("/opt/orvadw/bin/pellux"), "20");
  // A name that matches nothing is still this program.
  EXPECT_EQ(product_code("a.out"), "11");
  EXPECT_EQ(product_code(""), "11");
}

TEST(ProgramIdentity, VersionKey) {
  EXPECT_EQ(program_version_key("orvadw"), "10-11-");
  EXPECT_EQ(program_version_key("ORVADW"), "10-11-");
  EXPECT_EQ(program_version_key("Gossin.exe"), "10-10-");
  EXPECT_EQ(program_version_key("vantorel"), "10-03-");
  // The test binary's own name matches no row.
  EXPECT_EQ(program_version_key(), "10-11-");
}

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(temp_.valid()); }
  test::TempDir temp_{"orvadw_pf"};
  std::string dir_ = temp_.path();
};

TEST_F(ProgramFolderTest, OrvadwHomeThenWritableExecutableFolderThenXdgDataHome) {
  EXPECT_EQ(resolve_program_folder("/srv/orvadw", dir_ + "/orvadw", "/xdg", "/home/u/"), "/srv/orvadw/");
  EXPECT_EQ(resolve_program_folder("/srv/orvadw/", "", "", "/home/u/"), "/srv/orvadw/");
  EXPECT_EQ(resolve_program_folder("", dir_ + "/orvadw", "/xdg", "/home/u/"), dir_ + "/");
  // The executable's folder is missing (or not writable): the data folder.
  EXPECT_EQ(resolve_program_folder("", dir_ + "/gone/orvadw", "/xdg", "/home/u/"), "/xdg/orvadw/");
  EXPECT_EQ(resolve_program_folder("", dir_ + "/gone/orvadw", "", "/home/u/"),
            "/home/u/.local/share/orvadw/");
  EXPECT_EQ(resolve_program_folder("", "", "relative/xdg", "/home/u"), "/home/u/.local/share/orvadw/");
  // Installed under /usr: the user's folder, even when /usr/bin is writable
  // (as it is for root).
  EXPECT_EQ(resolve_program_folder("", "/usr/bin/orvadw", "/xdg", "/home/u/"), "/xdg/orvadw/");
  EXPECT_EQ(resolve_program_folder("", "/usr/local/bin/orvadw", "", "/root/"),
            "/root/.local/share/orvadw/");
}

TEST_F(ProgramFolderTest, ExecutablePathAndFolderHelpers) {
  std::string exe = executable_path();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_NE(exe.find("test_base_unit"), std::string::npos);

  EXPECT_EQ(with_trailing_slash("a"), "a/");
  EXPECT_EQ(with_trailing_slash("a/"), "a/");
  EXPECT_EQ(with_trailing_slash(""), "");
  std::string home = home_folder();
  ASSERT_FALSE(home.empty());
  EXPECT_EQ(home.back(), '/');

  std::string deep = dir_ + "/a/b/c/";
  EXPECT_TRUE(make_folders(deep));
  struct stat st {};
  EXPECT_EQ(::stat(deep.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_TRUE(make_folders(deep));  // already there
  std::string file = dir_ + "/plain";
  std::system(("touch '" + file + "'").c_str());
  EXPECT_FALSE(make_folders(file + "/sub/"));
}

}  // namespace
}  // namespace orvadw

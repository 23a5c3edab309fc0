#pragma once
// A fresh folder under $TMPDIR (else /tmp) that is removed with everything
// in it when the object goes.
#include <string>
#include <string_view>

namespace orvadw::test {

class TempDir {
 public:
  // The folder's name starts with prefix; a failure to make it fails the
  // running test and leaves path() empty.
  explicit TempDir(std::string_view prefix = "orvadw-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool valid() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(std::string_view name) const;

 private:
  std::string path_;
};

}  // namespace orvadw::test

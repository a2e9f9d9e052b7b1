// A fresh folder under /tmp for one test, gone with everything in it when
// the test object goes. Declare it before the members that use the folder,
// so that it is removed after them.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace syougi::test {

class TempDir {
 public:
  explicit TempDir(const std::string& name) {
    std::string tmpl = "/tmp/syougi_" + name + "_XXXXXX";
    if (mkdtemp(tmpl.data()) != nullptr) path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    if (!old_.empty()) std::filesystem::current_path(old_, ec);
    if (path_.empty()) return;
    // A test may have taken the owner's rights away to make writes fail.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  bool made() const { return !path_.empty(); }
  // Makes the folder the working one until the test ends: the program under
  // test writes its records there.
  void enter() {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path old_;
};

}  // namespace syougi::test

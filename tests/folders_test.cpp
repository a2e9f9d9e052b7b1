// Folders depend one way: each includes itself and only folders below it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// What each folder may include besides itself; window/qt/ counts as window/.
const std::map<std::string, std::set<std::string>> kBelow = {
    {"model", {}},
    {"mate", {"model"}},
    {"engine", {"mate", "model"}},
    {"link", {"model"}},
    {"window", {"engine", "link", "mate", "model"}},
    {"usi", {"engine", "mate", "model"}},
    {"tools", {"engine", "link", "mate", "model"}},
    {"app", {"engine", "link", "mate", "model", "tools", "usi", "window"}},
};

TEST(Folders, IncludeOnlyTheFoldersBelowThem) {
  const fs::path top = SYOUGI_SOURCE_DIR;
  const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+)/)");
  int files = 0;
  for (const auto& [dir, below] : kBelow)
    for (const auto& e : fs::recursive_directory_iterator(top / dir)) {
      const fs::path ext = e.path().extension();
      if (ext != ".h" && ext != ".cpp") continue;
      ++files;
      std::ifstream f(e.path());
      std::smatch m;
      int n = 0;
      for (std::string line; std::getline(f, line);)
        if (++n, std::regex_search(line, m, include) && m[1] != dir && !below.contains(m[1]))
          ADD_FAILURE() << e.path().lexically_relative(top).string() << ":" << n << " includes "
                        << m[1] << "/";
    }
  EXPECT_GT(files, 50);  // the folders were read
}

}  // namespace

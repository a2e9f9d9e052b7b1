// Folders depend one way: each includes itself and only folders below it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
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

// The folder of a line `#include "folder/...`, or "" for any other line.
// Read by hand: std::regex draws false warnings from GCC under the sanitizers.
std::string includedFolder(const std::string& line) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos || line[i] != '#') return "";
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos || line.compare(i, 7, "include") != 0) return "";
  i = line.find_first_not_of(" \t", i + 7);
  if (i == std::string::npos || line[i] != '"') return "";
  const size_t b = i + 1;
  size_t e = b;
  while (e < line.size() && ((line[e] >= 'a' && line[e] <= 'z') || line[e] == '_')) ++e;
  return e > b && e < line.size() && line[e] == '/' ? line.substr(b, e - b) : "";
}

TEST(Folders, IncludeOnlyTheFoldersBelowThem) {
  const fs::path top = SYOUGI_SOURCE_DIR;
  int files = 0;
  for (const auto& [dir, below] : kBelow)
    for (const auto& e : fs::recursive_directory_iterator(top / dir)) {
      const fs::path ext = e.path().extension();
      if (ext != ".h" && ext != ".cpp") continue;
      ++files;
      std::ifstream f(e.path());
      int n = 0;
      for (std::string line; std::getline(f, line);) {
        ++n;
        const std::string m = includedFolder(line);
        if (!m.empty() && m != dir && !below.contains(m))
          ADD_FAILURE() << e.path().lexically_relative(top).string() << ":" << n << " includes "
                        << m << "/";
      }
    }
  EXPECT_GT(files, 50);  // the folders were read
}

}  // namespace

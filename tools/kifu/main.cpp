// syougi-kifu [--kif] [--sente NAME] [--gote NAME] kifu.csa
// Writes the window's saved record (or a CSA or KIF record of a game from the
// usual start position) as a standard CSA V2.2 record, or with --kif as a KIF
// record (UTF-8), to standard output.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/kifu/kifu.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: syougi-kifu [--kif] [--sente NAME] [--gote NAME] kifu.csa\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool kif = false;
  std::string sente = "先手", gote = "後手", path;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--kif") {
      kif = true;
    } else if ((a == "--sente" || a == "--gote") && i + 1 < argc) {
      (a == "--sente" ? sente : gote) = argv[++i];
    } else if (a.rfind("--", 0) != 0 && path.empty()) {
      path = a;
    } else {
      return usage();
    }
  }
  if (path.empty()) return usage();
  for (const std::string* n : {&sente, &gote})
    if (n->find_first_of("\r\n") != std::string::npos) {
      std::fprintf(stderr, "syougi-kifu: a player name cannot hold a line break\n");
      return 2;
    }

  syougi::kifu::Ayamari err;
  const std::optional<syougi::kifu::Kifu> k = syougi::kifuFairuYomu(path, err);
  if (!k) {
    if (err.yomenai)
      std::fprintf(stderr, "syougi-kifu: cannot read %s: %s\n", path.c_str(), err.why.c_str());
    else if (err.gyou == 0)
      std::fprintf(stderr, "syougi-kifu: %s: %s\n", path.c_str(), err.why.c_str());
    else
      std::fprintf(stderr, "syougi-kifu: %s: line %d: %s\n", path.c_str(), err.gyou, err.why.c_str());
    return 2;
  }
  const std::string out = kif ? syougi::kifu::kifKaku(*k, sente, gote) : syougi::kifu::csaKaku(*k, sente, gote);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "syougi-kifu: cannot write the record: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

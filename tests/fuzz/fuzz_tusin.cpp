#include "tests/fuzz/entries.h"
#include "tests/fuzz/scratch.h"

#include <vector>

// An input is a script of steps. Past 256 bytes a script mostly replays more
// of the same steps at several times the cost; the run-of-moves step reaches
// the end of the history within that. Given first, so a flag given by hand
// still wins.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char maxLen[] = "-max_len=256";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, maxLen);
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
  return syougiFuzzScratch();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  syougi::fuzz::tusinEntry(data, size);
  return 0;
}

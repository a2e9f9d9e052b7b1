#include "tests/fuzz/entries.h"
#include "tests/fuzz/scratch.h"

// An input is a script of steps. Past 256 bytes a script mostly replays more
// of the same steps at several times the cost; the run-of-moves step reaches
// the end of the history within that.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  return syougiFuzzScratch(argc, argv, {"-max_len=256"});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  syougi::fuzz::InScratch here;
  syougi::fuzz::tusinEntry(data, size);
  return 0;
}

#include "tests/fuzz/entries.h"
#include "tests/fuzz/scratch.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return syougiFuzzScratch(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  syougi::fuzz::InScratch here;
  // A few real searches per run; the rest of the inputs get the quick player.
  static int realBudget = 12;
  syougi::fuzz::usiEntry(data, size, &realBudget);
  return 0;
}

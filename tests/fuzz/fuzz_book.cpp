#include "tests/fuzz/entries.h"
#include "tests/fuzz/scratch.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return syougiFuzzScratch(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  syougi::fuzz::InScratch here;
  syougi::fuzz::bookEntry(data, size);
  return 0;
}

// Fuzzers run in a scratch directory of their own: the game flow and the
// link write their files into the working directory. Paths given to the
// fuzzer must therefore be absolute.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace syougi::fuzz {

// In memory where the machine has it: the link writes its log line by line.
inline char scratchDir[] = "/dev/shm/syougi_fuzz_XXXXXX";

inline void scratchRemove() {
  for (const char* f : {"tusin.txt", "kifu.csa", "men.txt", "joseki.lis"}) {
    char p[sizeof scratchDir + 16];
    snprintf(p, sizeof p, "%s/%s", scratchDir, f);
    remove(p);
  }
  rmdir(scratchDir);
}

}  // namespace syougi::fuzz

inline int syougiFuzzScratch() {
  if (mkdtemp(syougi::fuzz::scratchDir) == nullptr) {
    snprintf(syougi::fuzz::scratchDir, sizeof syougi::fuzz::scratchDir, "/tmp/syougi_fuzz_XXXXXX");
    if (mkdtemp(syougi::fuzz::scratchDir) == nullptr) abort();
  }
  if (chdir(syougi::fuzz::scratchDir) != 0) abort();
  atexit(syougi::fuzz::scratchRemove);
  return 0;
}

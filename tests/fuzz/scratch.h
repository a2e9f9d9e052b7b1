// Fuzzers run in a scratch directory of their own: the game flow and the
// link write their files into the working directory. Paths given to the
// fuzzer must therefore be absolute.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace syougi::fuzz {

inline char scratchDir[] = "/tmp/syougi_fuzz_XXXXXX";

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
  if (mkdtemp(syougi::fuzz::scratchDir) == nullptr || chdir(syougi::fuzz::scratchDir) != 0) abort();
  atexit(syougi::fuzz::scratchRemove);
  return 0;
}

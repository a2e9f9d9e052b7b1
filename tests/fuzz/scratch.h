// Fuzzers run in a scratch directory of their own: the game flow and the
// link write their files into the working directory.
#pragma once

#include <stdlib.h>
#include <unistd.h>

inline int syougiFuzzScratch() {
  char tmpl[] = "/tmp/syougi_fuzz_XXXXXX";
  if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0) abort();
  return 0;
}

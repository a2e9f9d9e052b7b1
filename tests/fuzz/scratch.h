// Fuzzers run each input in a scratch directory of their own: the game flow
// writes its files (the link log at every game setup) into the working
// directory. libFuzzer itself stays in the directory it was started in, so
// that the corpus folders and files given to it may be relative.
#pragma once

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

namespace syougi::fuzz {

// In memory where the machine has it: the link writes its log line by line.
inline char scratchDir[] = "/dev/shm/syougi_fuzz_XXXXXX";
inline int scratchFd = -1;
inline int homeFd = -1;  // where the fuzzer was started

inline void scratchRemove() {
  for (const char* f : {"tusin.txt", "kifu.csa", "men.txt", "joseki.lis"}) {
    char p[sizeof scratchDir + 16];
    snprintf(p, sizeof p, "%s/%s", scratchDir, f);
    remove(p);
  }
  rmdir(scratchDir);
}

// For the length of one input: two system calls beside its hundreds.
class InScratch {
 public:
  InScratch() {
    if (fchdir(scratchFd) != 0) abort();
  }
  ~InScratch() {
    if (fchdir(homeFd) != 0) abort();
  }
  InScratch(const InScratch&) = delete;
  InScratch& operator=(const InScratch&) = delete;
};

}  // namespace syougi::fuzz

// For LLVMFuzzerInitialize. `flags` go before the given arguments, so that a
// flag given by hand still wins. A crash is written while its input runs in
// the scratch directory: a relative place for it is made absolute, and by
// default it is the directory the fuzzer was started in.
inline int syougiFuzzScratch(int* argc, char*** argv, std::vector<std::string> flags = {}) {
  using namespace syougi::fuzz;
  char* cwd = getcwd(nullptr, 0);
  if (cwd == nullptr) abort();
  const std::string home = std::string(cwd) + "/";
  free(cwd);
  static std::vector<std::string> own;
  static std::vector<char*> args;
  own = std::move(flags);
  own.insert(own.begin(), "-artifact_prefix=" + home);
  for (int i = 1; i < *argc; ++i) {
    std::string a = (*argv)[i];
    for (std::string_view f : {"-artifact_prefix=", "-exact_artifact_path="})
      if (a.starts_with(f) && a.size() > f.size() && a[f.size()] != '/') a.insert(f.size(), home);
    own.push_back(std::move(a));
  }
  args.assign(1, (*argv)[0]);
  for (std::string& a : own) args.push_back(a.data());
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size()) - 1;
  *argv = args.data();

  if (mkdtemp(scratchDir) == nullptr) {
    snprintf(scratchDir, sizeof scratchDir, "/tmp/syougi_fuzz_XXXXXX");
    if (mkdtemp(scratchDir) == nullptr) abort();
  }
  scratchFd = open(scratchDir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  homeFd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (scratchFd < 0 || homeFd < 0) abort();
  atexit(scratchRemove);
  return 0;
}

// Connected pseudo-terminals, made by socat, for tests that need a real
// serial line between two ends. socat never outlives the test.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace syougi::test {

// Runs socat with the given addresses; its messages go to `log` (or nowhere).
// It dies with the test process. The process id, or -1.
inline pid_t startSocat(const std::vector<std::string>& addresses, const std::string& log = "/dev/null") {
  // Everything the child needs is made before the fork.
  std::vector<char*> argv = {const_cast<char*>("socat"), const_cast<char*>("-d"), const_cast<char*>("-d")};
  for (const std::string& a : addresses) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a killed test
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int null = ::open("/dev/null", O_WRONLY);
  dup2(null, 1);
  dup2(out >= 0 ? out : null, 2);
  execvp("socat", argv.data());
  _exit(127);
}

inline void stopSocat(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

class SocatPair {
 public:
  SocatPair() = default;
  SocatPair(const SocatPair&) = delete;
  SocatPair& operator=(const SocatPair&) = delete;
  ~SocatPair() { stop(); }

  // The two ends become dir/a and dir/b. False when socat made no
  // terminals within 10 s.
  bool start(const std::filesystem::path& dir) {
    a = (dir / "a").string();
    b = (dir / "b").string();
    pid_ = startSocat({"pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
    if (pid_ < 0) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(std::filesystem::exists(a) && std::filesystem::exists(b))) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // Ends the line: both terminals go away.
  void stop() { stopSocat(pid_); }

  std::string a;
  std::string b;

 private:
  pid_t pid_ = -1;
};

}  // namespace syougi::test

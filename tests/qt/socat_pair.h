// A connected pair of pseudo-terminals, made by socat, for tests that need a
// real serial line between two ends. socat never outlives the test.
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

namespace syougi::test {

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
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a killed test
      const int null = ::open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string pa = "pty,raw,echo=0,link=" + a;
      const std::string pb = "pty,raw,echo=0,link=" + b;
      execlp("socat", "socat", "-d", "-d", pa.c_str(), pb.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(std::filesystem::exists(a) && std::filesystem::exists(b))) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  // Ends the line: both terminals go away.
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::string a;
  std::string b;

 private:
  pid_t pid_ = -1;
};

}  // namespace syougi::test

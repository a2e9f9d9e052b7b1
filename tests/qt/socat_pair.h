// Connected pseudo-terminals, made by socat, for tests that need a real
// serial line between two ends: a direct pair, or two joined over TCP.
// socat never outlives the test.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// Two pseudo-terminals joined through a TCP connection on the loopback
// interface, as two machines are: one socat listens on a port, the other
// connects to it; each makes its own terminal.
class SocatTcp {
 public:
  SocatTcp() = default;
  SocatTcp(const SocatTcp&) = delete;
  SocatTcp& operator=(const SocatTcp&) = delete;
  ~SocatTcp() { stop(); }

  // The ends become dir/a (listening side) and dir/b (connecting side);
  // true once both socats have started moving data.
  bool start(const std::filesystem::path& dir) {
    a = (dir / "a").string();
    b = (dir / "b").string();
    const std::string listenLog = (dir / "listen.log").string();
    const std::string connectLog = (dir / "connect.log").string();
    // A port found free may be taken before socat binds it: try another.
    for (int attempt = 0; attempt < 5 && port == 0; ++attempt) {
      port = freePort();
      if (port == 0) continue;
      listener_ = startSocat({"PTY,link=" + a + ",raw,echo=0",
                              "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr"},
                             listenLog);
      if (!logSays(listenLog, "listening on")) {
        stopSocat(listener_);
        port = 0;
      }
    }
    if (port == 0) return false;
    connector_ = startSocat({"PTY,link=" + b + ",raw,echo=0", "TCP:127.0.0.1:" + std::to_string(port)},
                            connectLog);
    return logSays(listenLog, "starting data transfer loop") &&
           logSays(connectLog, "starting data transfer loop") && std::filesystem::exists(a) &&
           std::filesystem::exists(b);
  }

  void stop() {
    stopSocat(connector_);
    stopSocat(listener_);
  }

  std::string a;
  std::string b;
  int port = 0;

 private:
  static int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof in;
    int port = 0;
    if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&in), &len) == 0)
      port = ntohs(in.sin_port);
    if (s >= 0) ::close(s);
    return port;
  }
  // Waits up to 10 s for socat to write `text` into its log.
  static bool logSays(const std::string& log, const std::string& text) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      std::ifstream f(log);
      const std::string got((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
      if (got.find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  pid_t listener_ = -1;
  pid_t connector_ = -1;
};

}  // namespace syougi::test

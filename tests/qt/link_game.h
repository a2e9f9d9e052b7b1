// Two `syougi --drive` windows playing a whole automatic link match over
// whatever joins their ports: the window process, the record checks and the
// game itself, shared by the link tests.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "model/kiroku.h"
#include "model/kyokumen.h"

namespace syougi::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline const std::string kProgram = std::string(SYOUGI_BINARY_DIR) + "/syougi";

// Whole games have taken from 20 s to a little over 2 minutes (350 moves),
// and 5 to 7 minutes built with the sanitizers on a busy machine; this only
// stops a hung run.
inline constexpr auto kGameLimit = std::chrono::seconds(1400);
inline constexpr auto kReplyLimit = std::chrono::seconds(30);
// Each side's reply has taken a few seconds at most; a link on which no
// message has moved for this long waits for something that never comes.
inline constexpr auto kStallLimit = std::chrono::seconds(120);

inline const std::string kYouWin = "box ヌバタ\tあなたの勝ちです";
inline const std::string kComWins = "box ヌバタ\tコンピュータの勝ちです";
inline const std::string kBound = "box ヌバタ\t手数が上限の350手に達したため、対局を終了します。";

inline std::string fileBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// One `syougi --drive` process in its own working directory.
class Mado {
 public:
  Mado(const std::string& name, const fs::path& dir, const std::string& port) : name_(name), dir_(dir) {
    fs::create_directories(dir);
    // The computer reads its book from the working directory.
    fs::copy_file(fs::path(SYOUGI_SOURCE_DIR) / "data" / "joseki.lis", dir / "joseki.lis");
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a killed test
      dup2(in[0], 0);
      dup2(out[1], 1);
      const int null = ::open("/dev/null", O_WRONLY);
      dup2(null, 2);
      ::close(in[1]);
      ::close(out[0]);
      if (chdir(dir.c_str()) != 0) _exit(126);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      execl(kProgram.c_str(), kProgram.c_str(), "--port", port.c_str(), "--drive",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    in_ = in[1];
    out_ = out[0];
    fcntl(out_, F_SETFL, fcntl(out_, F_GETFL) | O_NONBLOCK);
  }
  ~Mado() {
    if (in_ >= 0) ::close(in_);
    if (pid_ > 0) {
      // Closing its input makes it quit; a hung one is stopped.
      for (int i = 0; i < 200 && !exited(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (!exited()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
    if (out_ >= 0) ::close(out_);
  }

  bool started() const { return pid_ > 0 && in_ >= 0; }
  pid_t pid() const { return pid_; }
  int fd() const { return out_; }
  const std::string& name() const { return name_; }
  const fs::path& dir() const { return dir_; }

  void send(const std::string& command) {
    const std::string s = command + "\n";
    ASSERT_EQ(::write(in_, s.data(), s.size()), static_cast<ssize_t>(s.size())) << name_;
  }

  // Moves what has arrived into whole lines; false at end of output.
  bool readLines() {
    char buf[4096];
    for (;;) {
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n > 0) {
        part_.append(buf, static_cast<size_t>(n));
        continue;
      }
      if (n == 0) eof_ = true;
      break;
    }
    for (size_t i; (i = part_.find('\n')) != std::string::npos;) {
      lines.push_back(part_.substr(0, i));
      part_.erase(0, i + 1);
    }
    return !eof_;
  }

  // Waits for the next line, at most `limit`; empty when none came.
  std::string next(Clock::duration limit = kReplyLimit) {
    const auto end = Clock::now() + limit;
    while (lines.empty() && !eof_ && Clock::now() < end) {
      pollfd p{out_, POLLIN, 0};
      poll(&p, 1, 50);
      readLines();
    }
    if (lines.empty()) return {};
    std::string l = lines.front();
    lines.erase(lines.begin());
    return l;
  }

  // Sends a command and returns its reply line; box lines that come first
  // are kept in `boxes`.
  std::string ask(const std::string& command) {
    send(command);
    for (;;) {
      std::string l = next();
      if (l.rfind("box ", 0) == 0) {
        boxes.push_back(l);
        continue;
      }
      return l;
    }
  }

  bool exited() {
    if (pid_ <= 0) return true;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ <= 0;
  }

  std::vector<std::string> lines;
  std::vector<std::string> boxes;

 private:
  std::string name_;
  fs::path dir_;
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string part_;
  bool eof_ = false;
};

// The record file as lines, without the CR LF that ends each.
inline std::vector<std::string> recordLines(const std::string& bytes) {
  std::vector<std::string> out;
  size_t at = 0;
  for (size_t i; (i = bytes.find("\r\n", at)) != std::string::npos; at = i + 2)
    out.push_back(bytes.substr(at, i - at));
  EXPECT_EQ(at, bytes.size()) << "the record does not end with CR LF";
  return out;
}

// The move lines of a record, checking that each stands behind its time line.
inline std::vector<std::string> moveLines(const std::vector<std::string>& rec, const std::string& who) {
  std::vector<std::string> moves;
  for (size_t i = 0; i < rec.size(); ++i) {
    const std::string& l = rec[i];
    if (l == "%TORYO") {
      EXPECT_EQ(i + 1, rec.size()) << who << ": lines after the resignation";
      moves.push_back(l);
      continue;
    }
    if (l.rfind("T", 0) == 0) {
      EXPECT_GT(l.size(), 1u) << who;
      EXPECT_EQ(l.find_first_not_of("0123456789", 1), std::string::npos) << who << ": " << l;
      EXPECT_LT(i + 1, rec.size()) << who << ": time line without a move";
      continue;
    }
    EXPECT_TRUE(i > 0 && rec[i - 1].rfind("T", 0) == 0) << who << ": no time line before " << l;
    moves.push_back(l);
  }
  return moves;
}

// Replays the moves from the start position, the first player at the
// bottom: each must be a legal move whose name is the piece after it.
inline void replay(const std::vector<std::string>& moves) {
  Kyokumen k;
  hirate(k);
  for (size_t n = 0; n < moves.size(); ++n) {
    const std::string& m = moves[n];
    if (m == "%TORYO") break;
    KirokuTe t;
    ASSERT_EQ(kirokuTeSasu(k, m, Utifuzume::kYurusu, t), KirokuKekka::kOk)
        << "move " << n + 1 << " " << m << " is not legal";
  }
}

// A whole automatic link match between two windows whose ports are joined:
// A's computer moves first and sends first; B's user side is the line. Both
// records must agree move for move, both logs hold every message, and both
// panels stop on request. The move lines (with "%TORYO") go to `moves`.
// Where A's stop ends a connection, B shows `bSees` and stops by itself.
inline void playWholeLinkGame(Mado& a, Mado& b, std::vector<std::string>* moves = nullptr,
                              const std::string& bSees = {}) {
  ASSERT_TRUE(a.started());
  ASSERT_TRUE(b.started());
  // B must be listening before A's first move goes out.
  for (const char* c : {"click zidou", "click Command2_0", "click kaisisennte"})
    ASSERT_EQ(b.ask(c), std::string("ok ") + c);
  EXPECT_EQ(b.ask("shown Command4"), "ok shown Command4 1");
  EXPECT_EQ(b.ask("shown Command2_0"), "ok shown Command2_0 0");
  EXPECT_EQ(b.ask("shown Command1"), "ok shown Command1 0");
  const auto start = Clock::now();
  for (const char* c : {"click zidou", "click Command2_1", "click kaisigote"})
    ASSERT_EQ(a.ask(c), std::string("ok ") + c);

  // Every box is answered with OK, as a person would; the game is over on
  // a side once it has shown its end.
  std::map<std::string, std::string> end;
  std::vector<std::string> others;
  Mado* both[2] = {&a, &b};
  for (Mado* m : both)
    for (const std::string& box : m->boxes) others.push_back(m->name() + ": " + box);
  auto logSize = [&] {
    std::error_code ec1, ec2;
    return fs::file_size(a.dir() / "tusin.txt", ec1) + fs::file_size(b.dir() / "tusin.txt", ec2);
  };
  auto moved = Clock::now();
  auto lastSize = logSize();
  while (Clock::now() - start < kGameLimit) {
    const bool over = end.size() == 2 || (end.size() == 1 && end.begin()->second == kBound);
    if (over) break;
    if (logSize() != lastSize) {
      lastSize = logSize();
      moved = Clock::now();
    }
    ASSERT_LT(Clock::now() - moved, kStallLimit) << "the link has stalled";
    pollfd p[2] = {{a.fd(), POLLIN, 0}, {b.fd(), POLLIN, 0}};
    poll(p, 2, 200);
    for (Mado* m : both) {
      ASSERT_TRUE(m->readLines()) << m->name() << " has gone";
      while (!m->lines.empty()) {
        const std::string l = m->lines.front();
        m->lines.erase(m->lines.begin());
        if (l.rfind("box ", 0) != 0) {
          others.push_back(m->name() + ": " + l);
          continue;
        }
        if (l == kYouWin || l == kComWins || l == kBound)
          end[m->name()] = l;
        else
          others.push_back(m->name() + ": " + l);
        // The window waits in its box until it is answered.
        EXPECT_EQ(m->ask("answer OK"), "ok answer OK") << m->name();
      }
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("whole game: %.1f s\n", seconds);
  ASSERT_FALSE(end.empty()) << "no side finished its game in time";
  // Nothing but the end boxes: no error dialog, no other message.
  EXPECT_TRUE(others.empty()) << others.front();

  for (Mado* m : both) {
    ASSERT_EQ(m->ask("wait-idle"), "ok idle") << m->name();
    ASSERT_EQ(m->ask("click hozonn"), "ok click hozonn") << m->name();
    ASSERT_EQ(m->ask("wait-idle"), "ok idle") << m->name();
    EXPECT_TRUE(m->boxes.empty()) << m->name() << ": " << m->boxes.front();
  }

  const std::vector<std::string> ra = recordLines(fileBytes(a.dir() / "kifu.csa"));
  const std::vector<std::string> rb = recordLines(fileBytes(b.dir() / "kifu.csa"));
  const std::vector<std::string> ma = moveLines(ra, "A");
  const std::vector<std::string> mb = moveLines(rb, "B");
  ASSERT_FALSE(ma.empty());
  std::printf("moves: %zu, last line %s, A: %s, B: %s\n", ma.size(), ma.back().c_str(),
              end.count("A") ? end["A"].c_str() : "-", end.count("B") ? end["B"].c_str() : "-");
  // A's computer plays the odd moves, B's the even ones; each side's user
  // moves are the other side's computer moves, text for text.
  ASSERT_EQ(ma.size(), mb.size());
  for (size_t k = 0; k < ma.size(); ++k) EXPECT_EQ(ma[k], mb[k]) << "move " << k + 1;
  ASSERT_NO_FATAL_FAILURE(replay(ma));
  if (moves) *moves = ma;

  if (ma.back() == "%TORYO") {
    // The side whose computer resigned tells its user they won; the other
    // side's computer wins. After an odd number of moves it was B's turn.
    const bool bResigned = (ma.size() - 1) % 2 == 1;
    EXPECT_EQ(end["A"], bResigned ? kComWins : kYouWin);
    EXPECT_EQ(end["B"], bResigned ? kYouWin : kComWins);
  } else {
    // The history bound: B's computer played move 350 and A stops before
    // its reply; B waits for it.
    EXPECT_EQ(ma.size(), 350u);
    EXPECT_EQ(end["A"], kBound);
    EXPECT_EQ(end.count("B"), 0u);
  }

  // Both logs hold every message, in order, sent or received alike.
  std::string log = "\r\n";
  for (const std::string& m : ma) log += m + "\n\r\n";
  EXPECT_EQ(fileBytes(a.dir() / "tusin.txt"), log);
  EXPECT_EQ(fileBytes(b.dir() / "tusin.txt"), log);

  // Either user stops the link; the panels return to idle.
  for (Mado* m : both) {
    if (m == &b && !bSees.empty()) {
      EXPECT_EQ(m->next(), bSees);
      EXPECT_EQ(m->ask("answer OK"), "ok answer OK");
    } else {
      EXPECT_EQ(m->ask("click Command4"), "ok click Command4") << m->name();
    }
    EXPECT_EQ(m->ask("shown Command2_0"), "ok shown Command2_0 1") << m->name();
    EXPECT_EQ(m->ask("shown Command2_1"), "ok shown Command2_1 1") << m->name();
    EXPECT_EQ(m->ask("shown Command4"), "ok shown Command4 0") << m->name();
    EXPECT_EQ(m->ask("quit"), "ok quit") << m->name();
  }
}

}  // namespace syougi::test

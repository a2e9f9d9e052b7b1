#include "tools/match/match.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/kiroku.h"

namespace syougi::match {

namespace {

using Clock = std::chrono::steady_clock;

int64_t msSince(Clock::time_point t0) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

bool isHirate(const Kyokumen& k) {
  Kyokumen h;
  hirate(h);
  return !k.gote && k.aru == h.aru && k.arull == h.arull;
}

}  // namespace

// --- the game ---

Taikyoku::Taikyoku(const Kyokumen& start, int maxMoves)
    : start_(start), ima_(start), maxMoves_(maxMoves) {
  keys_.push_back(key());
  oute_.push_back(outeKa(ima_));
}

std::string Taikyoku::key() const {
  std::string k(reinterpret_cast<const char*>(ima_.aru.data()), sizeof(ima_.aru));
  k.append(reinterpret_cast<const char*>(ima_.arull.data()), sizeof(ima_.arull));
  k += ima_.gote ? 'w' : 'b';
  return k;
}

void Taikyoku::kimaru(Owari why, int syousya) {
  owari_ = why;
  syousya_ = syousya;
}

void Taikyoku::owaru(Owari why, const std::string& note) { owaruMake(why, ima_.gote, note); }

void Taikyoku::owaruMake(Owari why, bool goteMakes, const std::string& note) {
  if (owari_ != Owari::kNone) return;
  note_ = note;
  kimaru(why, goteMakes ? 1 : -1);
}

Owari Taikyoku::sasu(const std::string& usi, int64_t ms) {
  if (owari_ != Owari::kNone) return owari_;
  Te te;
  std::string why;
  if (usiTeYomu(ima_, usi, te, why) != TeKekka::kOk) {
    note_ = std::string(ima_.gote ? "-" : "+") + " played " + usi + ": " + why;
    kimaru(Owari::kIllegal, ima_.gote ? 1 : -1);
    return owari_;
  }
  te_.push_back(Kiroku{csaTeKaku(ima_, te), usiTeKaku(ima_, te), ms});
  teSasu(ima_, te);
  keys_.push_back(key());
  oute_.push_back(outeKa(ima_));

  if (gouhouKazu(ima_) == 0) {
    kimaru(Owari::kTsumi, ima_.gote ? 1 : -1);
    return owari_;
  }

  const std::string& now = keys_.back();
  const int n = static_cast<int>(keys_.size()) - 1;
  if (std::count(keys_.begin(), keys_.end(), now) >= 4) {
    const int first = static_cast<int>(std::find(keys_.begin(), keys_.end(), now) - keys_.begin());
    // Move j turns position j-1 into j; who made it follows from the parity.
    bool allCheck[2] = {true, true};  // [0] black, [1] white
    bool moved[2] = {false, false};
    for (int j = first + 1; j <= n; ++j) {
      const bool goteMoved = start_.gote != ((j - 1) % 2 == 1);
      moved[goteMoved] = true;
      if (!oute_[j]) allCheck[goteMoved] = false;
    }
    const bool senteChecks = moved[0] && allCheck[0];
    const bool goteChecks = moved[1] && allCheck[1];
    if (senteChecks != goteChecks) {
      note_ = std::string("perpetual check by ") + (senteChecks ? "+" : "-");
      kimaru(Owari::kOuteSennichite, senteChecks ? -1 : 1);
    } else {
      kimaru(Owari::kSennichite, 0);
    }
    return owari_;
  }
  if (static_cast<int>(te_.size()) >= maxMoves_) kimaru(Owari::kMoveLimit, 0);
  return owari_;
}

std::string Taikyoku::positionText() const {
  std::string s = isHirate(start_) ? "position startpos" : "position sfen " + sfenKaku(start_);
  if (!te_.empty()) {
    s += " moves";
    for (const Kiroku& k : te_) s += " " + k.usi;
  }
  return s;
}

// --- CSA ---

namespace {

std::string owariText(const Taikyoku& t) {
  switch (t.owari()) {
    case Owari::kToryo: return "%TORYO";
    case Owari::kTsumi: return "%TSUMI";
    case Owari::kIllegal: return "%ILLEGAL_MOVE";
    case Owari::kSennichite: return "%SENNICHITE";
    // The checker loses, as for an illegal action of that side.
    case Owari::kOuteSennichite: return t.syousya() > 0 ? "%-ILLEGAL_ACTION" : "%+ILLEGAL_ACTION";
    case Owari::kMoveLimit: return "%CHUDAN";
    case Owari::kTimeUp: return "%TIME_UP";
    case Owari::kChudan: return "%CHUDAN";
    case Owari::kNone: return "%CHUDAN";
  }
  return "%CHUDAN";
}

std::string koma(int32_t code) {
  if (code == 0) return " * ";
  return std::string(sideOf(code) == 1 ? "+" : "-") + recordNameOf(code);
}

}  // namespace

std::string csaKiroku(const Taikyoku& t, const std::string& sente, const std::string& gote,
                      const std::string& startTime, const std::string& endTime) {
  std::string s = "V2.2\n";
  s += "N+" + sente + "\n";
  s += "N-" + gote + "\n";
  if (!startTime.empty()) s += "$START_TIME:" + startTime + "\n";
  if (!endTime.empty()) s += "$END_TIME:" + endTime + "\n";
  const Kyokumen& k = t.start();
  if (isHirate(k)) {
    s += "PI\n";
  } else {
    for (int r = 1; r <= 9; ++r) {
      s += "P" + std::to_string(r);
      for (int f = 9; f >= 1; --f) s += koma(k.aru[f * 10 + r]);
      s += "\n";
    }
    for (int side = 1; side <= 2; ++side) {
      std::string mochi;
      for (int kind = 2; kind <= 8; ++kind)
        for (int n = 0; n < k.arull[side * 10 + kind]; ++n) mochi += std::string("00") + recordNameOf(100 + kind);
      if (!mochi.empty()) s += std::string(side == 1 ? "P+" : "P-") + mochi + "\n";
    }
  }
  s += k.gote ? "-\n" : "+\n";
  for (const Kiroku& m : t.te()) {
    s += m.csa + "\n";
    s += "T" + std::to_string(m.ms / 1000) + "\n";
  }
  if (t.owari() != Owari::kNone) {
    if (t.owari() == Owari::kMoveLimit) s += "'move limit\n";
    if (!t.note().empty()) s += "'" + t.note() + "\n";
    s += owariText(t) + "\n";
  }
  return s;
}

// --- processes ---

Process::~Process() { stop(0); }

bool Process::start(const std::string& cmdline, std::string& err, const std::string& errPath) {
  // Writing to an engine that has died must fail, not end the referee.
  std::signal(SIGPIPE, SIG_IGN);
  int toChild[2], fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) {
    err = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    err = std::string("pipe: ") + std::strerror(errno);
    close(toChild[0]);
    close(toChild[1]);
    return false;
  }
  const std::string shell = cmdline;
  errPath_ = errPath;
  struct stat st{};
  errFrom_ = !errPath.empty() && ::stat(errPath.c_str(), &st) == 0 ? st.st_size : 0;
  const pid_t pid = fork();
  if (pid < 0) {
    err = std::string("fork: ") + std::strerror(errno);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
    return false;
  }
  if (pid == 0) {
    // Its own process group, so that stopping it reaches what it started.
    setpgid(0, 0);
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    const int errFd = errPath.empty() ? open("/dev/null", O_WRONLY)
                                      : open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (errFd >= 0) dup2(errFd, 2);
    execl("/bin/sh", "sh", "-c", shell.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  setpgid(pid, pid);
  close(toChild[0]);
  close(fromChild[1]);
  pid_ = pid;
  in_ = toChild[1];
  out_ = fromChild[0];
  fcntl(out_, F_SETFL, fcntl(out_, F_GETFL) | O_NONBLOCK);
  buf_.clear();
  eof_ = false;
  return true;
}

bool Process::send(const std::string& line) {
  if (in_ < 0) return false;
  const std::string s = line + "\n";
  size_t done = 0;
  while (done < s.size()) {
    const ssize_t w = write(in_, s.data() + done, s.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

std::optional<std::string> Process::readLine(int timeoutMs) {
  const auto t0 = Clock::now();
  for (;;) {
    const size_t nl = buf_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buf_.substr(0, nl);
      buf_.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (eof_ || out_ < 0) {
      if (!buf_.empty()) {
        std::string line;
        line.swap(buf_);
        return line;
      }
      return std::nullopt;
    }
    const int64_t left = timeoutMs - msSince(t0);
    if (left <= 0) return std::nullopt;
    pollfd pfd{out_, POLLIN, 0};
    const int r = poll(&pfd, 1, static_cast<int>(std::min<int64_t>(left, 1000)));
    if (r < 0 && errno != EINTR) {
      eof_ = true;
      continue;
    }
    if (r <= 0) continue;
    char chunk[4096];
    const ssize_t got = read(out_, chunk, sizeof chunk);
    if (got > 0) {
      buf_.append(chunk, static_cast<size_t>(got));
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
      eof_ = true;
    }
  }
}

void Process::stop(int graceMs, bool mustEnd) {
  if (in_ >= 0) close(in_);
  in_ = -1;
  if (pid_ > 0) {
    const auto t0 = Clock::now();
    bool gone = false;
    int status = 0;
    rusage ru{};
    while (!gone) {
      const pid_t w = wait4(pid_, &status, WNOHANG, &ru);
      if (w == pid_ || (w < 0 && errno == ECHILD)) {
        gone = true;
        break;
      }
      if (msSince(t0) >= graceMs) break;
      usleep(10000);
    }
    if (gone) {
      if (WIFSIGNALED(status)) {
        fault("killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
              strsignal(WTERMSIG(status)) + ")");
      } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        fault("exit status " + std::to_string(WEXITSTATUS(status)));
      }
    } else {
      kill(-pid_, SIGKILL);
      kill(pid_, SIGKILL);
      wait4(pid_, nullptr, 0, &ru);
      if (mustEnd) fault("did not end within " + std::to_string(graceMs) + " ms; killed");
    }
    peakKb_ = std::max<int64_t>(peakKb_, ru.ru_maxrss);
    if (!errPath_.empty()) {
      // A sanitizer may report and still exit 0, as with its exit code set so.
      std::ifstream f(errPath_, std::ios::binary);
      f.seekg(errFrom_);
      const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
      if (text.find("Sanitizer") != std::string::npos || text.find("runtime error:") != std::string::npos)
        fault("sanitizer report in " + errPath_);
    }
  }
  pid_ = -1;
  if (out_ >= 0) close(out_);
  out_ = -1;
  buf_.clear();
}

void Process::fault(const std::string& what) { fault_ += (fault_.empty() ? "" : "; ") + what; }

std::string Process::takeFault() {
  std::string f;
  f.swap(fault_);
  return f;
}

// --- USI engines ---

namespace {

// The next line of `p` until `ms` after `t0`; nullopt when the time is up or
// its output has ended.
std::optional<std::string> gyou(Process& p, Clock::time_point t0, int ms) {
  const int64_t left = ms - msSince(t0);
  return left > 0 ? p.readLine(static_cast<int>(left)) : std::nullopt;
}

// A player's reply line, as gyou; `timedOut` tells a time that is up from an
// output that has ended.
std::optional<std::string> kotae(Process& p, Clock::time_point t0, int ms, bool& timedOut) {
  std::optional<std::string> line = gyou(p, t0, ms);
  timedOut = !line && !p.eof();
  return line;
}

// A move that does not come, and why.
std::nullopt_t kotaeNasi(const std::string& why, std::string& err) {
  err = why;
  return std::nullopt;
}

class UsiPlayer : public Player {
 public:
  explicit UsiPlayer(const UsiOptions& o) : o_(o), name_(o.command) {}
  ~UsiPlayer() override { quit(); }
  std::string name() const override { return name_; }

  bool newGame(bool, std::string& err) override {
    if (!started_ && !hajime(err)) return false;
    if (o_.seed && !p_.send("setoption name Seed value " + std::to_string(*o_.seed + game_))) {
      return sippai("cannot write to the engine", err);
    }
    ++game_;
    p_.send("isready");
    if (!matu("readyok", o_.startTimeoutMs, err)) return false;
    p_.send("usinewgame");
    return true;
  }

  std::optional<std::string> think(const Taikyoku& t, int timeoutMs, bool& timedOut,
                                   std::string& err) override {
    timedOut = false;
    if (!started_) return kotaeNasi("the engine is not running", err);
    p_.send(t.positionText());
    p_.send("go btime 0 wtime 0 byoyomi " + std::to_string(o_.byoyomiMs));
    const auto t0 = Clock::now();
    for (;;) {
      std::optional<std::string> line = kotae(p_, t0, timeoutMs, timedOut);
      if (!line) {
        // A late answer must not reach the next game: start afresh. One that
        // ended is given the time to say how.
        started_ = false;
        p_.stop(timedOut ? 0 : o_.quitMs);
        err = timedOut ? "no bestmove in time" : "the engine ended";
        const std::string f = p_.takeFault();
        fault_ = f;
        if (!f.empty()) err += " (" + f + ")";
        return std::nullopt;
      }
      if (line->rfind("bestmove ", 0) == 0) {
        std::string mv = line->substr(9);
        mv = mv.substr(0, mv.find(' '));
        return mv;
      }
    }
  }

  void gameOver(int result) override {
    if (started_) p_.send(result > 0 ? "gameover win" : result < 0 ? "gameover lose" : "gameover draw");
  }

  void quit() override {
    if (started_) p_.send("quit");
    p_.stop(o_.quitMs, started_);
    started_ = false;
  }
  std::string fault() override {
    std::string f = fault_;
    const std::string more = p_.takeFault();
    if (!more.empty()) f += (f.empty() ? "" : "; ") + more;
    fault_.clear();
    return f;
  }
  int64_t peakKb() const override { return p_.peakKb(); }

 private:
  bool sippai(const std::string& why, std::string& err) {
    err = why;
    started_ = false;
    // One whose output ended is given the time to say how it ended.
    p_.stop(p_.eof() ? o_.quitMs : 0);
    fault_ = p_.takeFault();
    if (!fault_.empty()) err += " (" + fault_ + ")";
    return false;
  }
  bool matu(const std::string& what, int ms, std::string& err) {
    const auto t0 = Clock::now();
    for (;;) {
      std::optional<std::string> line = gyou(p_, t0, ms);
      if (!line) return sippai("no " + what + " from the engine", err);
      if (line->rfind("id name ", 0) == 0) name_ = line->substr(8);
      if (*line == what) return true;
    }
  }
  bool hajime(std::string& err) {
    if (!p_.start(o_.command, err, o_.errPath)) return false;
    started_ = true;
    p_.send("usi");
    return matu("usiok", o_.startTimeoutMs, err);
  }

  UsiOptions o_;
  Process p_;
  std::string name_;
  bool started_ = false;
  uint32_t game_ = 0;
  std::string fault_;  // taken from the process when it ended in a game
};

// GNU Shogi's own text protocol: moves in the same letters-and-digits form,
// its replies as "<n>. ... <move>".
class GnuShogiPlayer : public Player {
 public:
  explicit GnuShogiPlayer(const GnuShogiOptions& o) : o_(o) {}
  ~GnuShogiPlayer() override { owari(); }
  std::string name() const override { return "gnushogi depth " + std::to_string(o_.depth); }

  bool newGame(bool, std::string& err) override {
    owari();
    if (!p_.start(o_.command, err, o_.errPath)) return false;
    running_ = true;
    // The first line is its banner; no answer means it did not start.
    if (!p_.readLine(o_.startTimeoutMs)) {
      err = "gnushogi did not start";
      owari();
      return false;
    }
    p_.send("depth");
    p_.send(std::to_string(o_.depth));
    return true;
  }

  std::optional<std::string> think(const Taikyoku& t, int timeoutMs, bool& timedOut,
                                   std::string& err) override {
    timedOut = false;
    if (!running_) return kotaeNasi("gnushogi is not running", err);
    p_.send(t.te().empty() ? std::string("go") : t.te().back().usi);
    const auto t0 = Clock::now();
    for (;;) {
      std::optional<std::string> line = kotae(p_, t0, timeoutMs, timedOut);
      if (!line) {
        err = timedOut ? "gnushogi did not move in time" : "gnushogi ended";
        running_ = false;
        p_.stop(timedOut ? 0 : o_.quitMs);
        return std::nullopt;
      }
      const size_t at = line->find(". ... ");
      if (at != std::string::npos) {
        std::string mv = line->substr(at + 6);
        mv = mv.substr(0, mv.find(' '));
        if (!mv.empty() && mv.back() == '=') mv.pop_back();  // declined promotion
        return mv;
      }
      std::string low = *line;
      std::transform(low.begin(), low.end(), low.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (low.find("resign") != std::string::npos) return std::string("resign");
      if (low.find("illegal") != std::string::npos) {
        err = "gnushogi refused a move: " + *line;
        owari();
        return std::nullopt;
      }
    }
  }

  void gameOver(int) override { owari(); }
  void quit() override { owari(); }
  std::string fault() override { return p_.takeFault(); }
  int64_t peakKb() const override { return p_.peakKb(); }

 private:
  void owari() {
    if (running_) p_.send("quit");
    p_.stop(o_.quitMs, running_);
    running_ = false;
  }

  GnuShogiOptions o_;
  Process p_;
  bool running_ = false;
};

}  // namespace

std::unique_ptr<Player> makeUsiPlayer(const UsiOptions& o) { return std::make_unique<UsiPlayer>(o); }

std::unique_ptr<Player> makeGnuShogiPlayer(const GnuShogiOptions& o) {
  return std::make_unique<GnuShogiPlayer>(o);
}

void randomOpening(Taikyoku& t, int plies, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int i = 0; i < plies && t.owari() == Owari::kNone; ++i) {
    TeList list;
    const int n = gouhou(t.ima(), list);
    t.sasu(usiTeKaku(t.ima(), list[std::uniform_int_distribution<int>(0, n - 1)(rng)]), 0);
  }
}

void taikyoku(Taikyoku& t, Player& sente, Player& gote, int timeoutMs) {
  while (t.owari() == Owari::kNone) {
    Player& p = t.ima().gote ? gote : sente;
    const auto t0 = Clock::now();
    bool timedOut = false;
    std::string err;
    const std::optional<std::string> mv = p.think(t, timeoutMs, timedOut, err);
    const int64_t ms = msSince(t0);
    if (!mv) {
      t.owaru(timedOut ? Owari::kTimeUp : Owari::kChudan, p.name() + ": " + err);
    } else if (*mv == "resign") {
      t.owaru(Owari::kToryo);
    } else {
      t.sasu(*mv, ms);
    }
  }
  sente.gameOver(t.syousya());
  gote.gameOver(-t.syousya());
}

void kazoeru(Fault f[2], const Taikyoku& t, int game, int black, const std::string ended[2]) {
  for (int c = 0; c < 2; ++c) {
    const int e = c == 0 ? black : 1 - black;
    Fault& x = f[e];
    const bool lost = (c == 0 ? t.syousya() : -t.syousya()) < 0;
    if (lost && t.owari() == Owari::kIllegal) ++x.illegal;
    if (lost && t.owari() == Owari::kTimeUp) ++x.timeUps;
    if ((lost && t.owari() == Owari::kChudan) || !ended[e].empty()) ++x.crashes;
    for (size_t m = 0; m < t.te().size(); ++m) {
      // Move m was made by black when the start had black to move and m is even.
      const bool byBlack = (m % 2 == 0) != t.start().gote;
      if (byBlack != (c == 0)) continue;
      if (t.te()[m].ms > x.slowestMs) {
        x.slowestMs = t.te()[m].ms;
        x.slowestGame = game;
      }
    }
  }
}

int64_t chuuouMs(std::vector<int64_t> ms) {
  if (ms.empty()) return 0;
  const auto mid = ms.begin() + static_cast<std::ptrdiff_t>((ms.size() - 1) / 2);
  std::nth_element(ms.begin(), mid, ms.end());
  return *mid;
}

}  // namespace syougi::match

// Two `--drive` windows play automatic link matches through a relay in this
// process that spoils the line now and then: from a seeded generator, each
// byte is dropped, sent twice or has one bit flipped, each about once in 300
// bytes (about one byte in 100 spoiled in all). The messages carry no
// checksum, so a spoiled move can still be a legal one and the two records
// part; what must hold is that neither window crashes, neither writes an
// illegal move into its record, and a game that cannot go on shows a box on
// one side or the other within a bounded time.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/qt/link_game.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using test::Clock;
using test::kProgram;
using test::Mado;

const std::string kEraBox = "box [ｷｬﾝｾﾙ]中断、[OK]無視\t";
const std::string kBound351 = "box ヌバタ\t手数が上限の350手に達したため、これ以上指せません。";

// A partial message is given up after 5 s; a refused one at once. Twice
// that and a little is room enough.
constexpr auto kNoBoxLimit = std::chrono::seconds(12);
// Each reply has taken a few seconds at most.
constexpr auto kStallLimit = std::chrono::seconds(90);
// A game the noise leaves playing is stopped here, to bound the test.
constexpr auto kSeedLimit = std::chrono::seconds(45);

enum class Kizu { kNuke, kNiju, kHanten };  // dropped, twice, a bit flipped

struct Kizuato {
  int dir;    // 0 A to B, 1 B to A
  size_t at;  // place of the byte in its direction's stream
  Kizu kind;
  unsigned char byte;
};

// The fate of a byte depends on the seed, its direction and its place in the
// stream only, never on how the bytes came in reads.
class Zatuon {
 public:
  Zatuon(uint32_t seed, int dir) : rng_(seed * 2 + uint32_t(dir)), dir_(dir) {}
  std::string pass(const char* p, size_t n, std::vector<Kizuato>& log) {
    std::string out;
    for (size_t i = 0; i < n; ++i, ++at_) {
      const unsigned char c = static_cast<unsigned char>(p[i]);
      switch (rng_() % 300) {
        case 0:
          log.push_back({dir_, at_, Kizu::kNuke, c});
          break;
        case 1:
          log.push_back({dir_, at_, Kizu::kNiju, c});
          out += char(c);
          out += char(c);
          break;
        case 2:
          log.push_back({dir_, at_, Kizu::kHanten, c});
          out += char(c ^ (1u << (rng_() % 8)));
          break;
        default:
          out += char(c);
      }
    }
    return out;
  }

 private:
  std::mt19937 rng_;
  int dir_;
  size_t at_ = 0;
};

// The relay: waits on a loopback port for A, connects to B, and passes the
// bytes both ways through the noise on a thread of its own.
class Tyuukei {
 public:
  explicit Tyuukei(uint32_t seed) : noise_{Zatuon(seed, 0), Zatuon(seed, 1)} {
    lfd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in in = loopback(0);
    socklen_t len = sizeof in;
    if (lfd_ < 0 || bind(lfd_, reinterpret_cast<sockaddr*>(&in), sizeof in) != 0 || listen(lfd_, 1) != 0 ||
        getsockname(lfd_, reinterpret_cast<sockaddr*>(&in), &len) != 0)
      return;
    port = ntohs(in.sin_port);
  }
  ~Tyuukei() {
    stop_ = true;
    if (th_.joinable()) th_.join();
    for (int fd : {lfd_, fd_[0], fd_[1]})
      if (fd >= 0) ::close(fd);
  }

  static sockaddr_in loopback(int port) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    in.sin_port = htons(uint16_t(port));
    return in;
  }

  // B must be listening on `bPort` already.
  bool start(int bPort) {
    fd_[1] = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in in = loopback(bPort);
    if (fd_[1] < 0 || connect(fd_[1], reinterpret_cast<const sockaddr*>(&in), sizeof in) != 0) return false;
    touch();
    th_ = std::thread([this] { run(); });
    return true;
  }

  Clock::time_point last() const { return Clock::time_point(Clock::duration(last_.load())); }
  std::vector<Kizuato> kizu() const {
    std::lock_guard<std::mutex> g(mu_);
    return kizu_;
  }
  size_t bytes(int dir) const { return bytes_[dir].load(); }

  int port = 0;  // where A connects

 private:
  void touch() { last_ = Clock::now().time_since_epoch().count(); }

  void run() {
    while (!stop_) {
      pollfd p[3] = {{fd_[0] < 0 ? lfd_ : -1, POLLIN, 0}, {fd_[0], POLLIN, 0}, {fd_[1], POLLIN, 0}};
      if (poll(p, 3, 50) <= 0) continue;
      if (p[0].revents & POLLIN) fd_[0] = accept4(lfd_, nullptr, nullptr, SOCK_CLOEXEC);
      for (int d = 0; d < 2; ++d) {
        if (!(p[1 + d].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[512];
        const ssize_t n = recv(fd_[d], buf, sizeof buf, 0);
        if (n <= 0) {
          // One end gone: the other sees its connection close.
          shutdown(fd_[1 - d], SHUT_WR);
          ::close(fd_[d]);
          fd_[d] = -1;
          continue;
        }
        // Before the send: what the other side does with the bytes must
        // never look older than them.
        touch();
        std::string out;
        {
          std::lock_guard<std::mutex> g(mu_);
          out = noise_[d].pass(buf, size_t(n), kizu_);
        }
        bytes_[d] += size_t(n);
        if (!out.empty()) send(fd_[1 - d], out.data(), out.size(), MSG_NOSIGNAL);
      }
    }
  }

  int lfd_ = -1;
  int fd_[2] = {-1, -1};  // A, B
  Zatuon noise_[2];
  mutable std::mutex mu_;
  std::vector<Kizuato> kizu_;
  std::atomic<size_t> bytes_[2] = {0, 0};
  std::atomic<Clock::rep> last_{0};
  std::atomic<bool> stop_{false};
  std::thread th_;
};

// A loopback port nobody listens on, for B to take.
int freePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in in = Tyuukei::loopback(0);
  socklen_t len = sizeof in;
  int port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&in), &len) == 0)
    port = ntohs(in.sin_port);
  if (fd >= 0) ::close(fd);
  return port;
}

// Each record line must be a legal move in the position its side has on the
// board, a pawn drop that mates included.
void replayStrict(const std::vector<std::string>& moves, const std::string& who) {
  Kyokumen k;
  hirate(k);
  for (size_t n = 0; n < moves.size(); ++n) {
    if (moves[n] == "%TORYO") break;
    KirokuTe t;
    ASSERT_EQ(kirokuTeSasu(k, moves[n], Utifuzume::kKinsi, t), KirokuKekka::kOk)
        << who << ": move " << n + 1 << " " << moves[n] << " is not legal";
  }
}

std::vector<std::string> savedMoves(Mado& m) {
  const std::string bytes = test::fileBytes(m.dir() / "kifu.csa");
  if (bytes == "\r\n") return {};  // not one move came through
  return test::moveLines(test::recordLines(bytes), m.name());
}

// One seed: two windows, the relay between them, and what the windows show.
class NoisyLink : public ::testing::TestWithParam<uint32_t> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
    ASSERT_TRUE(tmp_.made());
  }
  void TearDown() override {
    b_.reset();
    a_.reset();
    relay_.reset();
  }

  // B waits for the relay, the relay for A; A's computer moves first.
  void start() {
    relay_ = std::make_unique<Tyuukei>(GetParam());
    ASSERT_GT(relay_->port, 0);
    const int bPort = freePort();
    ASSERT_GT(bPort, 0);
    a_ = std::make_unique<Mado>("A", dir_ / "A", "tcp:127.0.0.1:" + std::to_string(relay_->port));
    b_ = std::make_unique<Mado>("B", dir_ / "B", "tcp-listen:" + std::to_string(bPort));
    ASSERT_TRUE(a_->started());
    ASSERT_TRUE(b_->started());
    for (const char* c : {"click zidou", "click Command2_0", "click kaisisennte"})
      ASSERT_EQ(b_->ask(c), std::string("ok ") + c);
    ASSERT_TRUE(relay_->start(bPort));
    for (const char* c : {"click zidou", "click Command2_1", "click kaisigote"})
      ASSERT_EQ(a_->ask(c), std::string("ok ") + c);
    start_ = lastLine_ = Clock::now();
  }

  // Answers each box with OK, as a person would.
  void answer(Mado& m) {
    while (!m.boxes.empty()) {
      const std::string box = m.boxes.front();
      m.boxes.erase(m.boxes.begin());
      char at[32];
      std::snprintf(at, sizeof at, "%.2f s ", since(Clock::now()));
      seen_.push_back(at + m.name() + ": " + box);
      lastLine_ = Clock::now();
      const bool win = box == test::kYouWin || box == test::kComWins;
      const bool full = box == test::kBound || box == kBound351;
      ended_ += win;
      bound_ |= full;
      // Any other box tells the user something; only the link's are expected.
      if (!win && !full) lastBox_ = Clock::now();
      if (!win && !full && box.rfind(kEraBox, 0) != 0) strange_.push_back(m.name() + ": " + box);
      EXPECT_EQ(m.ask("answer OK"), "ok answer OK") << m.name();
    }
  }

  // Runs the game until it is over, or stands still with a box shown, or
  // has run long enough; says which.
  void play(std::string& how) {
    Mado* both[2] = {a_.get(), b_.get()};
    Clock::time_point lastLook{};
    while (how.empty()) {
      pollfd p[2] = {{a_->fd(), POLLIN, 0}, {b_->fd(), POLLIN, 0}};
      poll(p, 2, 200);
      for (Mado* m : both) {
        ASSERT_TRUE(m->readLines()) << m->name() << " has gone; " << damage();
        for (const std::string& l : m->lines) {
          if (l.rfind("box ", 0) == 0)
            m->boxes.push_back(l);
          else
            strange_.push_back(m->name() + ": " + l);
        }
        m->lines.clear();
        answer(*m);
      }
      const auto now = Clock::now();
      const auto lastByte = relay_->last();
      if (ended_ == 2 || bound_) {
        how = "game over";
      } else if (now - start_ > kSeedLimit) {
        how = "still playing";
      } else if (now - std::max(lastByte, lastLine_) > std::chrono::seconds(1) &&
                 now - lastLook > std::chrono::milliseconds(500)) {
        // Quiet: unless a computer is thinking, nothing will move again.
        lastLook = now;
        bool thinking = false;
        for (Mado* m : both) {
          thinking |= m->ask("text tebannl") == "ok text tebannl Com";
          answer(*m);
        }
        if (!thinking && lastBox_ > lastByte)
          how = "stopped at a box";
        else if (!thinking)
          ASSERT_LT(now - lastByte, kNoBoxLimit) << "the link hangs and no box says so; " << story();
        else
          ASSERT_LT(now - lastByte, kStallLimit) << "a computer has thought too long; " << story();
      }
    }
  }

  double since(Clock::time_point t) const { return std::chrono::duration<double>(t - start_).count(); }

  // What the relay did, for the messages of a failure.
  std::string damage() const {
    std::string s = "seed " + std::to_string(GetParam()) + ", damage:";
    for (const Kizuato& k : relay_->kizu())
      s += std::string(" ") + (k.dir == 0 ? "A>B" : "B>A") + "@" + std::to_string(k.at) +
           (k.kind == Kizu::kNuke ? ":drop" : k.kind == Kizu::kNiju ? ":twice" : ":flip");
    return s;
  }
  // That, the boxes, both records and the end of each log, for a hang.
  std::string story() {
    std::string s = damage() + ", last byte at " + std::to_string(since(relay_->last())) + " s";
    for (const std::string& box : seen_) s += "\n  " + box;
    for (Mado* m : {a_.get(), b_.get()}) {
      s += "\n  " + m->name() + " " + m->ask("text kifu");
      std::string log = test::fileBytes(m->dir() / "tusin.txt");
      if (log.size() > 60) log.erase(0, log.size() - 60);
      s += "\n  " + m->name() + " log ends: ";
      for (char c : log) s += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
    }
    return s;
  }

  test::TempDir tmp_{"noisylink"};
  const fs::path& dir_ = tmp_.path();
  std::unique_ptr<Tyuukei> relay_;
  std::unique_ptr<Mado> a_, b_;
  Clock::time_point start_, lastLine_, lastBox_;
  std::vector<std::string> seen_;     // every box, in order
  std::vector<std::string> strange_;  // boxes and lines nobody expects
  int ended_ = 0;
  bool bound_ = false;
};

TEST_P(NoisyLink, NoCrashNoIllegalRecordAndNoSilentHang) {
  ASSERT_NO_FATAL_FAILURE(start());
  std::string how;
  ASSERT_NO_FATAL_FAILURE(play(how));

  // Neither has crashed: both still answer, and save what they recorded.
  std::vector<std::string> moves[2];
  Mado* both[2] = {a_.get(), b_.get()};
  for (int s = 0; s < 2; ++s) {
    Mado& m = *both[s];
    ASSERT_EQ(m.ask("click hozonn"), "ok click hozonn") << m.name();
    ASSERT_EQ(m.ask("text zenntel").rfind("ok text zenntel", 0), 0u) << m.name();
    answer(m);
    moves[s] = savedMoves(m);
    ASSERT_NO_FATAL_FAILURE(replayStrict(moves[s], m.name())) << damage();
  }
  size_t same = 0;
  while (same < moves[0].size() && same < moves[1].size() && moves[0][same] == moves[1][same]) ++same;
  std::printf("%s; %s after %.1f s; bytes %zu/%zu; moves A %zu, B %zu, alike %zu\n", damage().c_str(),
              how.c_str(), since(Clock::now()), relay_->bytes(0), relay_->bytes(1), moves[0].size(),
              moves[1].size(), same);
  for (const std::string& box : seen_) std::printf("  %s\n", box.c_str());
  EXPECT_TRUE(strange_.empty()) << strange_.front();
}

// What each seed's noise does first (a move text and its LF are 8 bytes, so
// the place says which character); what that character was depends on the
// game, which the computer's clock-seeded choices vary.
INSTANTIATE_TEST_SUITE_P(Seeds, NoisyLink,
                         ::testing::Values(2u,     // A>B byte 18 dropped: a text that is no move
                                           8u,     // A>B byte 72, a sign, twice: the same
                                           4u,     // B>A byte 4 flipped: a digit, a move refused
                                           15u,    // A>B byte 7 flipped: move 1 without its LF
                                           35u,    // A>B byte 7 dropped: the same
                                           68u,    // B>A byte 39 dropped: move 10 without its LF
                                           160u,   // A>B byte 7 twice: two LFs, one text
                                           1458u,  // A>B byte 91 flipped, a digit of move 23
                                           2904u), // A>B byte 59 flipped, a digit of move 15
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

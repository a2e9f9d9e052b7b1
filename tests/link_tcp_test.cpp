// The link over TCP: the --port texts, two links talking over loopback
// (IPv4, IPv6 and a host name), and the connection faults, each shown as a
// serial port's fault is while the game stays as it was.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "link/tcp_port.h"
#include "link/termios_port.h"
#include "link/tusin.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::seconds(5);

// --- The port texts ---------------------------------------------------------

struct AddrRow {
  const char* text;
  bool ok;
  bool listen;
  const char* host;
  int port;
};

TEST(YomuTcp, ReadsConnectAndListenAddresses) {
  const AddrRow rows[] = {
      {"tcp:localhost:4000", true, false, "localhost", 4000},
      {"tcp:127.0.0.1:1", true, false, "127.0.0.1", 1},
      {"tcp:[::1]:65535", true, false, "::1", 65535},
      {"tcp:[fe80::1%lo]:80", true, false, "fe80::1%lo", 80},
      {"tcp:shogi.example.org:04000", true, false, "shogi.example.org", 4000},
      {"tcp-listen:4000", true, true, "", 4000},
      {"tcp-listen:0", true, true, "", 0},
      {"tcp:localhost", false, false, "", 0},
      {"tcp::4000", false, false, "", 0},
      {"tcp:localhost:", false, false, "", 0},
      {"tcp:localhost:0", false, false, "", 0},
      {"tcp:localhost:65536", false, false, "", 0},
      {"tcp:localhost:40a", false, false, "", 0},
      {"tcp:localhost:-1", false, false, "", 0},
      {"tcp:::1:4000", false, false, "", 0},  // an IPv6 address goes in brackets
      {"tcp:[127.0.0.1]:4000", false, false, "", 0},
      {"tcp:[]:4000", false, false, "", 0},
      {"tcp-listen:", false, false, "", 0},
      {"tcp-listen:65536", false, false, "", 0},
      {"tcp-listen:host:4000", false, false, "", 0},
      {"TCP:localhost:4000", false, false, "", 0},
      {"/dev/ttyS0", false, false, "", 0},
  };
  for (const AddrRow& r : rows) {
    TcpAddr a;
    a.port = -7;
    ASSERT_EQ(yomuTcp(r.text, a), r.ok) << r.text;
    if (!r.ok) {
      EXPECT_EQ(a.port, -7) << r.text;
      continue;
    }
    EXPECT_EQ(a.listen, r.listen) << r.text;
    EXPECT_EQ(a.host, r.host) << r.text;
    EXPECT_EQ(a.port, r.port) << r.text;
  }
}

TEST(MakePort, TcpTextsGiveTheNetworkAnythingElseTheSerialDevice) {
  for (const char* t : {"tcp:localhost:4000", "tcp-listen:4000", "tcp:nonsense"}) {
    std::unique_ptr<Port> p = makePort(t);
    EXPECT_NE(dynamic_cast<TcpPort*>(p.get()), nullptr) << t;
    EXPECT_EQ(p->name(), t);
  }
  for (const char* t : {"/dev/ttyS0", "/dev/ttyUSB1", "./tcp:4000", "tcpx:4000"}) {
    std::unique_ptr<Port> p = makePort(t);
    EXPECT_NE(dynamic_cast<TermiosPort*>(p.get()), nullptr) << t;
    EXPECT_EQ(p->name(), t);
  }
}

// --- A window for the link ----------------------------------------------------

class Window : public TusinHost {
 public:
  void setInMsg(const std::string& text) override { inMsg = text; }
  std::string outMsg() const override { return out; }
  void showCommand1(bool v) override { panel[0] = v; }
  void showCommand2(int index, bool v) override { panel[1 + index] = v; }
  void showCommand3(bool v) override { panel[3] = v; }
  void showCommand4(bool v) override { panel[4] = v; }
  void setMesezi(const std::string& text) override { boxes.push_back("mesezi " + text); }
  bool eraDialog(const std::string& text, const std::string&) override {
    boxes.push_back(text);
    return true;
  }
  void messageBox(const std::string& text) override { boxes.push_back(text); }
  void e_MouseDown(int index) override { clicks.push_back(index); }
  void touryou_Click() override { ++resignations; }
  int32_t tesuu() const override { return te; }
  void watchPort(int fd) override { watched.push_back(fd); }

  bool idle() const { return !panel[0] && panel[1] && panel[2] && !panel[3] && !panel[4]; }

  bool panel[5] = {false, true, true, false, false};
  std::string out;
  std::string inMsg;
  int32_t te = 1;
  std::vector<int> clicks;
  std::vector<std::string> boxes;
  std::vector<int> watched;
  int resignations = 0;
};

// Runs the link's events as the window's loop would (the descriptor, and
// the short poll) until `done` or the wait runs out.
bool pump(const std::vector<Tusin*>& links, const std::vector<Port*>& ports,
          const std::function<bool()>& done) {
  const auto end = Clock::now() + kWait;
  while (!done()) {
    if (Clock::now() > end) return false;
    std::vector<pollfd> p;
    for (Port* port : ports)
      if (port->fd() >= 0) p.push_back({port->fd(), POLLIN, 0});
    ::poll(p.data(), p.size(), 20);
    for (Tusin* t : links) t->portEvents();
  }
  return true;
}

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

class TcpLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
  }
  test::TempDir tmp_{"tcp"};
  const std::filesystem::path& dir_ = tmp_.path();
};

// --- Two links ----------------------------------------------------------------

// B waits, A connects to `host` and, as in an automatic match, sends its
// first move at once, before the connection may stand.
void playOver(const std::string& host, const std::filesystem::path& dir) {
  SCOPED_TRACE(host);
  TcpPort pb("tcp-listen:0");
  Window wb, wa;
  Tusin b(pb, wb, (dir / "b.txt").string());
  b.Command2_Click(0);
  ASSERT_TRUE(pb.isOpen()) << (wb.boxes.empty() ? "" : wb.boxes[0]);
  const int listening = pb.fd();
  const int port = pb.localPort();
  ASSERT_GT(port, 0);
  TcpPort pa("tcp:" + host + ":" + std::to_string(port));
  Tusin a(pa, wa, (dir / "a.txt").string());
  a.Command2_Click(1);
  ASSERT_TRUE(pa.isOpen()) << (wa.boxes.empty() ? "" : wa.boxes[0]);
  wa.out = "+7776FU";
  a.Command1_Click();
  ASSERT_TRUE(pump({&a, &b}, {&pa, &pb}, [&] { return b.sousinmode != 0; }));
  EXPECT_EQ(wb.clicks, (std::vector<int>{77, 76}));
  EXPECT_EQ(wb.inMsg, "+7776FU");
  // The watch went from the listening socket over to the connection.
  ASSERT_EQ(wb.watched.size(), 2u);
  EXPECT_EQ(wb.watched[0], listening);
  EXPECT_EQ(wb.watched[1], pb.fd());
  EXPECT_NE(pb.fd(), listening);

  wb.te = wa.te = 2;
  wb.out = "-3334FU";
  b.Command1_Click();
  ASSERT_TRUE(pump({&a, &b}, {&pa, &pb}, [&] { return a.sousinmode != 0; }));
  EXPECT_EQ(wa.clicks, (std::vector<int>{77, 76}));

  wa.out = "%TORYO";
  a.Command1_Click();
  ASSERT_TRUE(pump({&a, &b}, {&pa, &pb}, [&] { return wb.resignations == 1; }));
  EXPECT_TRUE(wa.boxes.empty()) << wa.boxes[0];
  EXPECT_TRUE(wb.boxes.empty()) << wb.boxes[0];
  const std::string log = "+7776FU\n\r\n-3334FU\n\r\n%TORYO\n\r\n";
  EXPECT_EQ(fileBytes(dir / "a.txt"), log);
  EXPECT_EQ(fileBytes(dir / "b.txt"), log);

  a.Command4_Click();
  b.Command3_Click();
  EXPECT_FALSE(pa.isOpen());
  EXPECT_FALSE(pb.isOpen());
  EXPECT_TRUE(wa.idle());
  EXPECT_TRUE(wb.idle());
}

TEST_F(TcpLink, TwoLinksPlayOverIpv4) { playOver("127.0.0.1", dir_); }

TEST_F(TcpLink, TwoLinksPlayOverIpv6) {
  const int s = ::socket(AF_INET6, SOCK_STREAM, 0);
  sockaddr_in6 a{};
  a.sin6_family = AF_INET6;
  a.sin6_addr = in6addr_loopback;
  const bool v6 = s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  if (s >= 0) ::close(s);
  if (!v6) GTEST_SKIP() << "no IPv6 loopback here";
  playOver("[::1]", dir_);
}

TEST_F(TcpLink, TwoLinksPlayToAHostName) { playOver("localhost", dir_); }

TEST_F(TcpLink, TheListeningPortTakesOneConnectionAndIsFreeAgainAfterTheLink) {
  TcpPort pb("tcp-listen:0");
  std::string reason;
  ASSERT_TRUE(pb.open("", reason)) << reason;
  const int port = pb.localPort();
  const std::string to = "tcp:127.0.0.1:" + std::to_string(port);
  TcpPort first(to), second(to);
  ASSERT_TRUE(first.open("", reason)) << reason;
  const auto end = Clock::now() + kWait;
  while (!(pb.connected() && first.connected()) && Clock::now() < end) {
    pb.events();
    first.events();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(pb.connected());
  ASSERT_TRUE(first.connected());
  // Nobody listens any more: a second caller is turned away.
  if (second.open("", reason)) {
    while (!second.hungUp() && Clock::now() < end) {
      second.events();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(second.hungUp());
    EXPECT_FALSE(second.reached());
    reason = second.why();
  }
  EXPECT_EQ(reason, std::strerror(ECONNREFUSED));
  pb.close();
  TcpPort again("tcp-listen:" + std::to_string(port));
  EXPECT_TRUE(again.open("", reason)) << reason;
}

// --- Faults -------------------------------------------------------------------

// A socket of the test's own on a loopback port the system picks.
struct Sock {
  explicit Sock(bool listening) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    if (listening) ::listen(fd, 1);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~Sock() { ::close(fd); }
  int fd = -1;
  int port = 0;
};

struct Fault {
  const char* what;
  // Prepares the other side and gives the --port text.
  std::function<std::string(std::vector<std::unique_ptr<Sock>>&)> setUp;
  // What the other side does once the link has started.
  std::function<void(std::vector<std::unique_ptr<Sock>>&)> then;
  const char* message;  // after "通信ポート <text> "
  std::string reason;
};

std::string gaiReason(const char* host) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = getaddrinfo(host, "4000", &hints, &res);
  if (res) freeaddrinfo(res);
  return rc == 0 ? "" : gai_strerror(rc);
}

// Accepts the link's connection and ends it, politely or with a reset.
void hangUp(std::vector<std::unique_ptr<Sock>>& s, bool reset) {
  pollfd p{s[0]->fd, POLLIN, 0};
  ASSERT_GT(::poll(&p, 1, 5000), 0);
  const int c = ::accept(s[0]->fd, nullptr, nullptr);
  ASSERT_GE(c, 0);
  if (reset) {
    const linger l{1, 0};
    setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  }
  ::close(c);
}

TEST_F(TcpLink, ConnectionFaultsAreShownAsThePortsFaultsAndTheGameIsKept) {
  using Socks = std::vector<std::unique_ptr<Sock>>;
  auto on = [](Socks& s, bool listening) {
    s.push_back(std::make_unique<Sock>(listening));
    return std::to_string(s.back()->port);
  };
  const std::string noHost = gaiReason("nosuchhost.invalid");
  const Fault faults[] = {
      {"refused", [&](Socks& s) { return "tcp:127.0.0.1:" + on(s, false); }, nullptr,
       "を開けません。", std::strerror(ECONNREFUSED)},
      {"refused on IPv6 and IPv4", [&](Socks& s) { return "tcp:localhost:" + on(s, false); }, nullptr,
       "を開けません。", std::strerror(ECONNREFUSED)},
      {"port in use", [&](Socks& s) { return "tcp-listen:" + on(s, true); }, nullptr,
       "を開けません。", std::strerror(EADDRINUSE)},
      {"no such host", [](Socks&) { return std::string("tcp:nosuchhost.invalid:4000"); }, nullptr,
       "を開けません。", noHost},
      {"no address", [](Socks&) { return std::string("tcp:localhost"); }, nullptr, "を開けません。",
       "not an address: tcp:HOST:PORT or tcp-listen:PORT"},
      {"closed by the other side", [&](Socks& s) { return "tcp:127.0.0.1:" + on(s, true); },
       [](Socks& s) { hangUp(s, false); }, "との接続が切れました。", "closed by the other side"},
      {"reset by the other side", [&](Socks& s) { return "tcp:127.0.0.1:" + on(s, true); },
       [](Socks& s) { hangUp(s, true); }, "との接続が切れました。", std::strerror(ECONNRESET)},
  };
  ASSERT_FALSE(noHost.empty()) << "nosuchhost.invalid resolves here";
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.what);
    Socks socks;
    const std::string text = f.setUp(socks);
    TcpPort port(text);
    Window w;
    w.te = 5;
    Tusin t(port, w, (dir_ / "log.txt").string());
    t.Command2_Click(0);
    if (f.then) f.then(socks);
    ASSERT_TRUE(pump({&t}, {&port}, [&] { return !w.boxes.empty(); }));
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0], "通信ポート " + text + " " + f.message + "\n" + f.reason);
    // The panel is idle, the port closed, and nothing reached the game.
    EXPECT_TRUE(w.idle());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(w.watched.empty() ? -1 : w.watched.back(), -1);
    EXPECT_TRUE(w.clicks.empty());
    EXPECT_EQ(w.resignations, 0);
    t.portEvents();
    EXPECT_EQ(w.boxes.size(), 1u);
  }
}

TEST_F(TcpLink, AMessageBeforeTheOtherSideClosesIsEnteredFirst) {
  Sock other(true);
  TcpPort port("tcp:127.0.0.1:" + std::to_string(other.port));
  Window w;
  Tusin t(port, w, "");
  t.Command2_Click(0);
  pollfd p{other.fd, POLLIN, 0};
  ASSERT_GT(::poll(&p, 1, 5000), 0);
  const int c = ::accept(other.fd, nullptr, nullptr);
  ASSERT_EQ(::write(c, "%TORYO\n", 7), 7);
  ::close(c);
  ASSERT_TRUE(pump({&t}, {&port}, [&] { return !w.boxes.empty(); }));
  EXPECT_EQ(w.resignations, 1);
  EXPECT_EQ(w.boxes, (std::vector<std::string>{"通信ポート " + port.name() +
                                                " との接続が切れました。\nclosed by the other side"}));
}

}  // namespace
}  // namespace syougi

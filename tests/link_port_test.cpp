// The termios port on pseudo-terminals: settings, sending and receiving,
// refusals when opening, and two links talking through a socat pair.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "link/termios_port.h"
#include "link/tusin.h"
#include "tests/socat_pair.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

using Clock = std::chrono::steady_clock;

// Bounds every wait so that a broken link fails instead of hanging; the
// bound is far above what any of these transfers takes.
constexpr int kWaitMs = 5000;

bool readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) > 0 && (p.revents & POLLIN);
}

bool contains(const std::vector<int>& v, int code) {
  return std::find(v.begin(), v.end(), code) != v.end();
}

// Collects from the port until `n` bytes have come or the wait runs out.
std::string receive(TermiosPort& p, size_t n) {
  std::string got;
  const auto end = Clock::now() + std::chrono::milliseconds(kWaitMs);
  while (got.size() < n && Clock::now() < end) {
    if (!readable(p.fd(), 50)) continue;
    got += p.readAll();
  }
  return got;
}

std::string readFd(int fd, size_t n) {
  std::string got;
  const auto end = Clock::now() + std::chrono::milliseconds(kWaitMs);
  char buf[64];
  while (got.size() < n && Clock::now() < end) {
    if (!readable(fd, 50)) continue;
    const ssize_t k = ::read(fd, buf, sizeof buf);
    if (k > 0) got.append(buf, size_t(k));
  }
  return got;
}

// --- Settings --------------------------------------------------------------

TEST(ParseSettings, ReadsTheLinkSettings) {
  Settei s;
  ASSERT_TRUE(parseSettings("1200,N,8,1", s));
  EXPECT_EQ(s.baud, 1200);
  EXPECT_EQ(s.parity, 'N');
  EXPECT_EQ(s.databits, 8);
  EXPECT_EQ(s.stopbits, 1);
}

TEST(ParseSettings, ReadsOtherSpeedsParitiesAndSizes) {
  Settei s;
  ASSERT_TRUE(parseSettings("9600,e,7,2", s));
  EXPECT_EQ(s.baud, 9600);
  EXPECT_EQ(s.parity, 'E');
  EXPECT_EQ(s.databits, 7);
  EXPECT_EQ(s.stopbits, 2);
  ASSERT_TRUE(parseSettings("300,O,5,1", s));
  EXPECT_EQ(s.parity, 'O');
  EXPECT_EQ(s.databits, 5);
  ASSERT_TRUE(parseSettings("115200,S,6,1", s));
  EXPECT_EQ(s.baud, 115200);
  EXPECT_EQ(s.parity, 'S');
  ASSERT_TRUE(parseSettings("110,M,8,2", s));
  EXPECT_EQ(s.parity, 'M');
}

TEST(ParseSettings, RefusesAnythingElse) {
  for (const char* bad : {"", "1200", "1200,N,8", "1200,N,8,1,", "1200,N,8,1,1", "1234,N,8,1",
                          "0,N,8,1", "-1200,N,8,1", " 1200,N,8,1", "1200,X,8,1", "1200,NN,8,1",
                          "1200,,8,1", "1200,N,9,1", "1200,N,4,1", "1200,N,8,0", "1200,N,8,3",
                          "1200,N,8,1.5", "1200;N;8;1", "12000000,N,8,1"}) {
    Settei s;
    s.baud = 77;
    EXPECT_FALSE(parseSettings(bad, s)) << bad;
    EXPECT_EQ(s.baud, 77) << bad;
  }
}

// --- Line and error changes --------------------------------------------

TEST(LineEvents, EachChangedLineGivesItsCode) {
  std::vector<int> ev;
  lineEvents(0, 0, ev);
  lineEvents(TIOCM_CTS | TIOCM_CAR, TIOCM_CTS | TIOCM_CAR, ev);
  EXPECT_TRUE(ev.empty());
  lineEvents(0, TIOCM_CTS, ev);
  EXPECT_EQ(ev, (std::vector<int>{3}));
  ev.clear();
  lineEvents(TIOCM_DSR, 0, ev);  // a line going down counts as well
  EXPECT_EQ(ev, (std::vector<int>{4}));
  ev.clear();
  lineEvents(TIOCM_RNG | TIOCM_DTR, TIOCM_CAR | TIOCM_RTS, ev);
  EXPECT_EQ(ev, (std::vector<int>{5, 6}));  // our own DTR and RTS do not count
  ev.clear();
  lineEvents(0, TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | TIOCM_RNG, ev);
  EXPECT_EQ(ev, (std::vector<int>{3, 4, 5, 6}));
}

TEST(LineCountEvents, EachMovedTransitionCounterGivesItsCode) {
  std::vector<int> ev;
  lineCountEvents({4, 4, 4, 4}, {4, 4, 4, 4}, ev);
  EXPECT_TRUE(ev.empty());
  lineCountEvents({0, 0, 0, 0}, {2, 0, 0, 0}, ev);  // up and down again
  EXPECT_EQ(ev, (std::vector<int>{3}));
  ev.clear();
  lineCountEvents({0, 0, 0, 0}, {0, 1, 0, 1}, ev);
  EXPECT_EQ(ev, (std::vector<int>{4, 6}));
  ev.clear();
  lineCountEvents({0, 0, 0, 0}, {0, 0, 1, 0}, ev);
  EXPECT_EQ(ev, (std::vector<int>{5}));
}

TEST(ErrorEvents, EachMovedCounterGivesItsCode) {
  std::vector<int> ev;
  errorEvents({1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, ev);
  EXPECT_TRUE(ev.empty());
  errorEvents({0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, ev);
  EXPECT_EQ(ev, (std::vector<int>{1001}));
  ev.clear();
  errorEvents({0, 0, 0, 0, 0}, {0, 3, 0, 0, 1}, ev);
  EXPECT_EQ(ev, (std::vector<int>{1004, 1009}));
  ev.clear();
  errorEvents({7, 7, 7, 7, 7}, {7, 7, 8, 9, 7}, ev);
  EXPECT_EQ(ev, (std::vector<int>{1006, 1008}));
  ev.clear();
  errorEvents({0, 0, 0, 0, 0}, {1, 1, 1, 1, 1}, ev);
  EXPECT_EQ(ev, (std::vector<int>{1001, 1004, 1006, 1008, 1009}));
}

// --- One pseudo-terminal -------------------------------------------------

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256];
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0) << std::strerror(errno);
    path_ = name;
    // The test's side stays raw too, so that bytes pass unchanged.
    termios t{};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
  }
  void TearDown() override {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
  }
  void writeMaster(const std::string& s) {
    ASSERT_EQ(::write(master_, s.data(), s.size()), ssize_t(s.size()));
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

TEST_F(PtyTest, OpensRawWithTheGivenSettings) {
  TermiosPort p(path_);
  std::string reason = "x";
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  EXPECT_TRUE(reason.empty());
  EXPECT_TRUE(p.isOpen());
  EXPECT_GE(p.fd(), 0);
  termios t{};
  ASSERT_EQ(tcgetattr(p.fd(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B1200));
  EXPECT_EQ(cfgetispeed(&t), speed_t(B1200));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
  EXPECT_EQ(p.name(), path_);
}

// A pseudo-terminal forces 8 bits without parity, so only the speed and the
// stop bits can be seen on it.
TEST_F(PtyTest, AppliesSpeedAndStopBits) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("9600,N,8,2", reason)) << reason;
  termios t{};
  ASSERT_EQ(tcgetattr(p.fd(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
  EXPECT_EQ(cfgetispeed(&t), speed_t(B9600));
  EXPECT_EQ(t.c_cflag & CSTOPB, tcflag_t(CSTOPB));
}

// Starts from a cooked terminal with handshaking on.
termios cooked() {
  termios t{};
  t.c_iflag = ICRNL | IXON | IXOFF | IXANY | ISTRIP | PARMRK | INLCR;
  t.c_oflag = OPOST | ONLCR;
  t.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL;
  t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 5;
  cfsetispeed(&t, B38400);
  cfsetospeed(&t, B38400);
  return t;
}

TEST(ApplySettings, TheLinkSettingsMakeARawLine) {
  Settei s;
  ASSERT_TRUE(parseSettings("1200,N,8,1", s));
  termios t = cooked();
  applySettings(s, t);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B1200));
  EXPECT_EQ(cfgetispeed(&t), speed_t(B1200));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | ISTRIP | PARMRK | INPCK), 0u);
  EXPECT_EQ(t.c_iflag & (IGNBRK | IGNPAR), tcflag_t(IGNBRK | IGNPAR));
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(ApplySettings, ParityDataAndStopBits) {
  struct Case {
    const char* text;
    tcflag_t size;
    tcflag_t parity;  // of PARENB | PARODD | CMSPAR
    tcflag_t stop;
  };
  const Case cases[] = {
      {"9600,E,7,2", CS7, PARENB, CSTOPB},
      {"2400,O,8,1", CS8, PARENB | PARODD, 0},
      {"300,M,6,1", CS6, PARENB | PARODD | CMSPAR, 0},
      {"300,S,5,2", CS5, PARENB | CMSPAR, CSTOPB},
  };
  for (const Case& c : cases) {
    Settei s;
    ASSERT_TRUE(parseSettings(c.text, s)) << c.text;
    termios t = cooked();
    applySettings(s, t);
    EXPECT_EQ(t.c_cflag & CSIZE, c.size) << c.text;
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parity) << c.text;
    EXPECT_EQ(t.c_cflag & CSTOPB, c.stop) << c.text;
    EXPECT_EQ(t.c_iflag & INPCK, tcflag_t(INPCK)) << c.text;  // parity is checked
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << c.text;
  }
}

TEST_F(PtyTest, ReceivedCharactersRaiseEventTwoAndAreReadWhole) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  EXPECT_TRUE(p.events().empty());
  writeMaster("+7776FU\n");
  ASSERT_TRUE(readable(p.fd(), kWaitMs));
  EXPECT_EQ(p.events(), (std::vector<int>{kEvReceive}));
  EXPECT_EQ(receive(p, 8), "+7776FU\n");
  EXPECT_TRUE(p.events().empty());  // all was read
  EXPECT_EQ(p.readAll(), "");
}

TEST_F(PtyTest, CrAndNonAsciiBytesPassUnchanged) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  const std::string bytes("a\rb\n\x03\x1a\xff", 7);
  writeMaster(bytes);
  EXPECT_EQ(receive(p, bytes.size()), bytes);
  p.write(bytes);
  EXPECT_EQ(readFd(master_, bytes.size()), bytes);
}

TEST_F(PtyTest, WrittenBytesReachTheOtherEnd) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  p.write("-3334FU\n");
  EXPECT_EQ(readFd(master_, 8), "-3334FU\n");
  EXPECT_TRUE(p.events().empty());
}

TEST_F(PtyTest, InputFromBeforeTheOpenIsDropped) {
  writeMaster("stale\n");
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  EXPECT_TRUE(p.events().empty());
  EXPECT_EQ(p.readAll(), "");
  writeMaster("new\n");
  EXPECT_EQ(receive(p, 4), "new\n");
}

TEST_F(PtyTest, AFullOutputBufferIsReportedOnce) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  // Nobody reads the other end, so the pseudo-terminal fills up.
  p.write(std::string(4 << 20, 'x'));
  const std::vector<int> ev = p.events();
  EXPECT_EQ(std::count(ev.begin(), ev.end(), int(kErTxFull)), 1);
  EXPECT_FALSE(contains(p.events(), kErTxFull));
}

TEST_F(PtyTest, ASecondOpenOfTheSameDeviceIsRefusedAsBusy) {
  TermiosPort first(path_), second(path_);
  std::string reason;
  ASSERT_TRUE(first.open("1200,N,8,1", reason)) << reason;
  EXPECT_FALSE(second.open("1200,N,8,1", reason));
  EXPECT_EQ(reason, std::strerror(EBUSY));
  EXPECT_FALSE(second.isOpen());
  EXPECT_EQ(second.fd(), -1);
  EXPECT_TRUE(first.isOpen());  // the holder is not disturbed
  first.close();
  EXPECT_TRUE(second.open("1200,N,8,1", reason)) << reason;
}

TEST_F(PtyTest, OpeningTwiceIsRefusedAndKeepsThePortOpen) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  const int fd = p.fd();
  EXPECT_FALSE(p.open("1200,N,8,1", reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(p.isOpen());
  EXPECT_EQ(p.fd(), fd);
}

TEST_F(PtyTest, BadSettingsOpenNothingAndHoldNoLock) {
  TermiosPort p(path_), other(path_);
  std::string reason;
  EXPECT_FALSE(p.open("1200,Q,8,1", reason));
  EXPECT_NE(reason.find("1200,Q,8,1"), std::string::npos);
  EXPECT_FALSE(p.isOpen());
  EXPECT_TRUE(other.open("1200,N,8,1", reason)) << reason;
}

TEST_F(PtyTest, AClosedPortDoesNothing) {
  TermiosPort p(path_);
  EXPECT_FALSE(p.isOpen());
  EXPECT_EQ(p.fd(), -1);
  p.write("+7776FU\n");
  EXPECT_EQ(p.readAll(), "");
  EXPECT_TRUE(p.events().empty());
  EXPECT_FALSE(p.hungUp());
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  p.close();
  p.close();
  EXPECT_FALSE(p.isOpen());
  writeMaster("x");
  EXPECT_EQ(p.readAll(), "");
  EXPECT_TRUE(p.events().empty());
}

// What a pseudo-terminal cannot tell: it has no modem lines and no error
// counters, so it never raises codes 3..6 or 1001..1009.
TEST_F(PtyTest, APseudoTerminalHasNoLinesAndNoErrorCounters) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  EXPECT_FALSE(p.hasModemLines());
  EXPECT_FALSE(p.hasErrorCounters());
  tcsendbreak(master_, 0);
  EXPECT_TRUE(p.events().empty());
}

TEST_F(PtyTest, TheOtherEndClosingIsAHangUp) {
  TermiosPort p(path_);
  std::string reason;
  ASSERT_TRUE(p.open("1200,N,8,1", reason)) << reason;
  EXPECT_FALSE(p.hungUp());
  ::close(master_);
  master_ = -1;
  EXPECT_TRUE(p.hungUp());
  EXPECT_EQ(p.readAll(), "");
}

TEST(TermiosPortOpen, AMissingDeviceGivesItsReason) {
  TermiosPort p("/dev/syougi-no-such-port");
  std::string reason;
  EXPECT_FALSE(p.open("1200,N,8,1", reason));
  EXPECT_EQ(reason, std::strerror(ENOENT));
  EXPECT_FALSE(p.isOpen());
  EXPECT_EQ(p.name(), "/dev/syougi-no-such-port");
}

TEST(TermiosPortOpen, AFileThatIsNoTerminalIsRefused) {
  char tmpl[] = "/tmp/link_port_XXXXXX";
  const int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  ::close(fd);
  TermiosPort p(tmpl);
  std::string reason;
  EXPECT_FALSE(p.open("1200,N,8,1", reason));
  EXPECT_EQ(reason, "not a serial device");
  EXPECT_FALSE(p.isOpen());
  std::filesystem::remove(tmpl);
}

TEST(TermiosPortOpen, PortOneIsTheFirstSerialDevice) {
  EXPECT_EQ(TermiosPort().name(), "/dev/ttyS0");
}

// --- Two pseudo-terminals joined by socat --------------------------------

class SocatPair : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    ASSERT_TRUE(pair_.start(dir_)) << "socat made no pseudo-terminals";
    a_ = pair_.a;
    b_ = pair_.b;
  }

  test::TempDir tmp_{"socat"};
  const std::filesystem::path& dir_ = tmp_.path();
  test::SocatPair pair_;
  std::string a_, b_;
};

TEST_F(SocatPair, AMessageSentOnOnePortArrivesOnTheOther) {
  TermiosPort a(a_), b(b_);
  std::string reason;
  ASSERT_TRUE(a.open("1200,N,8,1", reason)) << reason;
  ASSERT_TRUE(b.open("1200,N,8,1", reason)) << reason;
  a.write("+7776FU\n");
  ASSERT_TRUE(readable(b.fd(), kWaitMs));
  EXPECT_TRUE(contains(b.events(), kEvReceive));
  EXPECT_EQ(receive(b, 8), "+7776FU\n");
  b.write("%TORYO\n");
  EXPECT_EQ(receive(a, 7), "%TORYO\n");
}

class Window : public TusinHost {
 public:
  void setInMsg(const std::string& text) override { inMsg = text; }
  std::string outMsg() const override { return out; }
  void showCommand1(bool) override {}
  void showCommand2(int, bool) override {}
  void showCommand3(bool) override {}
  void showCommand4(bool) override {}
  void setMesezi(const std::string&) override {}
  bool eraDialog(const std::string& text, const std::string&) override {
    dialogs.push_back(text);
    return true;
  }
  void messageBox(const std::string& text) override { dialogs.push_back(text); }
  void e_MouseDown(int index) override { clicks.push_back(index); }
  void touryou_Click() override { ++resignations; }
  int32_t tesuu() const override { return te; }
  void watchPort(int fd) override { watched.push_back(fd); }

  std::vector<int> watched;
  std::string out;
  std::string inMsg;
  int32_t te = 1;
  std::vector<int> clicks;
  std::vector<std::string> dialogs;
  int resignations = 0;
};

// Handles the port's events until the link turns to this side's send.
void waitForMessage(Tusin& t, Port& p) {
  const auto end = Clock::now() + std::chrono::milliseconds(kWaitMs);
  while (!t.sousinmode && Clock::now() < end) {
    if (readable(p.fd(), 50)) t.portEvents();
  }
}

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST_F(SocatPair, TwoLinksPlayMovesAndAResignation) {
  TermiosPort pa(a_), pb(b_);
  Window wa, wb;
  Tusin a(pa, wa, (dir_ / "a.txt").string());
  Tusin b(pb, wb, (dir_ / "b.txt").string());
  a.Command2_Click(1);  // A's computer opens the game
  b.Command2_Click(0);
  ASSERT_TRUE(pa.isOpen());
  ASSERT_TRUE(pb.isOpen());

  wa.out = "+7776FU";  // A's move 1
  a.Command1_Click();
  waitForMessage(b, pb);
  EXPECT_EQ(wb.clicks, (std::vector<int>{77, 76}));
  EXPECT_EQ(wb.inMsg, "+7776FU");

  wb.te = 2;
  wb.out = "-3334FU";  // B's computer answers on move 2
  b.Command1_Click();
  wa.te = 2;
  waitForMessage(a, pa);
  EXPECT_EQ(wa.clicks, (std::vector<int>{77, 76}));

  wa.out = "%TORYO";
  a.Command1_Click();
  waitForMessage(b, pb);
  EXPECT_EQ(wb.resignations, 1);
  EXPECT_EQ(wb.clicks.size(), 2u);
  EXPECT_TRUE(wa.dialogs.empty());
  EXPECT_TRUE(wb.dialogs.empty());

  // The log has no direction: both sides wrote the same lines.
  const std::string log = "+7776FU\n\r\n-3334FU\n\r\n%TORYO\n\r\n";
  EXPECT_EQ(fileBytes(dir_ / "a.txt"), log);
  EXPECT_EQ(fileBytes(dir_ / "b.txt"), log);
  a.Command4_Click();
  b.Command3_Click();
  EXPECT_FALSE(pa.isOpen());
  EXPECT_FALSE(pb.isOpen());
}

}  // namespace
}  // namespace syougi

namespace syougi {
namespace {

TEST_F(SocatPair, ALinkWhoseOtherEndVanishesStops) {
  TermiosPort pa(a_);
  Window wa;
  Tusin a(pa, wa, (dir_ / "a.txt").string());
  a.Command2_Click(0);
  ASSERT_TRUE(pa.isOpen());
  const int fd = pa.fd();
  pair_.stop();
  ASSERT_TRUE(readable(fd, kWaitMs));  // a hang-up reads as readable
  a.portEvents();
  EXPECT_FALSE(pa.isOpen());
  EXPECT_EQ(wa.watched, (std::vector<int>{fd, -1}));
  ASSERT_EQ(wa.dialogs.size(), 1u);
  EXPECT_EQ(wa.dialogs[0], "通信ポート " + a_ + " との接続が切れました。");
  EXPECT_TRUE(wa.clicks.empty());
}

}  // namespace
}  // namespace syougi

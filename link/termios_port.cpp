#include "link/termios_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace syougi {

namespace {

struct Speed {
  int baud;
  speed_t code;
};
constexpr Speed kSpeeds[] = {
    {50, B50},       {75, B75},       {110, B110},     {134, B134},
    {150, B150},     {200, B200},     {300, B300},     {600, B600},
    {1200, B1200},   {1800, B1800},   {2400, B2400},   {4800, B4800},
    {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600},
    {115200, B115200}, {230400, B230400},
};

bool speedCode(int baud, speed_t& code) {
  for (const Speed& s : kSpeeds)
    if (s.baud == baud) {
      code = s.code;
      return true;
    }
  return false;
}

// A whole decimal field of at most 6 digits.
bool number(std::string_view f, int& out) {
  if (f.empty() || f.size() > 6) return false;
  int v = 0;
  for (char c : f) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

std::string errnoText(int e) { return std::strerror(e); }

std::array<int, 5> countsOf(const serial_icounter_struct& ic) {
  return {ic.brk, ic.frame, ic.overrun, ic.buf_overrun, ic.parity};
}

std::array<int, 4> lineCountsOf(const serial_icounter_struct& ic) {
  return {ic.cts, ic.dsr, ic.dcd, ic.rng};
}

}  // namespace

bool parseSettings(std::string_view text, Settei& out) {
  std::string_view f[4];
  for (int i = 0; i < 4; ++i) {
    const size_t comma = text.find(',');
    if (i < 3) {
      if (comma == std::string_view::npos) return false;
      f[i] = text.substr(0, comma);
      text.remove_prefix(comma + 1);
    } else {
      if (comma != std::string_view::npos) return false;
      f[i] = text;
    }
  }
  Settei s;
  speed_t code;
  if (!number(f[0], s.baud) || !speedCode(s.baud, code)) return false;
  if (f[1].size() != 1) return false;
  const char p = f[1][0] >= 'a' && f[1][0] <= 'z' ? char(f[1][0] - 'a' + 'A') : f[1][0];
  if (p != 'N' && p != 'E' && p != 'O' && p != 'M' && p != 'S') return false;
  s.parity = p;
  if (!number(f[2], s.databits) || s.databits < 5 || s.databits > 8) return false;
  if (!number(f[3], s.stopbits) || (s.stopbits != 1 && s.stopbits != 2)) return false;
  out = s;
  return true;
}

void applySettings(const Settei& s, termios& t) {
  cfmakeraw(&t);
  speed_t code;
  if (speedCode(s.baud, code)) {
    cfsetispeed(&t, code);
    cfsetospeed(&t, code);
  }
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag |= s.databits == 5 ? CS5 : s.databits == 6 ? CS6 : s.databits == 7 ? CS7 : CS8;
  if (s.parity != 'N') t.c_cflag |= PARENB;
  if (s.parity == 'O' || s.parity == 'M') t.c_cflag |= PARODD;
  if (s.parity == 'M' || s.parity == 'S') t.c_cflag |= CMSPAR;
  if (s.stopbits == 2) t.c_cflag |= CSTOPB;
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | ISTRIP);
  // Broken characters are counted by the driver and reported as events;
  // they must not turn up as bytes inside a message.
  t.c_iflag |= IGNBRK | IGNPAR;
  if (s.parity != 'N') t.c_iflag |= INPCK;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

void lineEvents(int before, int now, std::vector<int>& ev) {
  const int changed = before ^ now;
  if (changed & TIOCM_CTS) ev.push_back(kEvCts);
  if (changed & TIOCM_DSR) ev.push_back(kEvDsr);
  if (changed & TIOCM_CAR) ev.push_back(kEvCd);
  if (changed & TIOCM_RNG) ev.push_back(kEvRing);
}

void lineCountEvents(const std::array<int, 4>& before, const std::array<int, 4>& now,
                     std::vector<int>& ev) {
  constexpr int codes[4] = {kEvCts, kEvDsr, kEvCd, kEvRing};
  for (int i = 0; i < 4; ++i)
    if (now[i] != before[i]) ev.push_back(codes[i]);
}

void errorEvents(const std::array<int, 5>& before, const std::array<int, 5>& now,
                 std::vector<int>& ev) {
  constexpr int codes[5] = {kErBreak, kErFrame, kErOverrun, kErRxOver, kErParity};
  for (int i = 0; i < 5; ++i)
    if (now[i] != before[i]) ev.push_back(codes[i]);
}

TermiosPort::TermiosPort(std::string device) : device_(std::move(device)) {}

TermiosPort::~TermiosPort() { close(); }

bool TermiosPort::open(std::string_view settings, std::string& reason) {
  if (fd_ >= 0) {
    reason = "the port is already open";
    return false;
  }
  Settei s;
  if (!parseSettings(settings, s)) {
    reason = "invalid settings \"" + std::string(settings) + "\"";
    return false;
  }
  // Non-blocking, so that a port without carrier opens at once.
  const int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = errnoText(errno);
    return false;
  }
  auto fail = [&](std::string why) {
    ::close(fd);
    reason = std::move(why);
    return false;
  };
  if (!isatty(fd)) return fail("not a serial device");
  // The lock keeps out other copies of the program even when run as root,
  // which TIOCEXCL alone does not.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    return fail(errnoText(errno == EWOULDBLOCK ? EBUSY : errno));
  ioctl(fd, TIOCEXCL);

  termios t{};
  if (tcgetattr(fd, &t) != 0) return fail(errnoText(errno));
  applySettings(s, t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(errnoText(errno));
  tcflush(fd, TCIOFLUSH);

  fd_ = fd;
  txFull_ = false;
  modem_ = ioctl(fd, TIOCMGET, &lines_) == 0;
  serial_icounter_struct ic{};
  counters_ = ioctl(fd, TIOCGICOUNT, &ic) == 0;
  counts_ = countsOf(ic);
  lineCounts_ = lineCountsOf(ic);
  reason.clear();
  return true;
}

void TermiosPort::close() {
  if (fd_ < 0) return;
  ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // drops the lock as well
  fd_ = -1;
  modem_ = counters_ = txFull_ = false;
}

void TermiosPort::write(std::string_view bytes) {
  if (fd_ < 0) return;
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      txFull_ = true;
      return;
    }
    bytes.remove_prefix(size_t(n));
  }
}

std::string TermiosPort::readAll() {
  std::string got;
  if (fd_ < 0) return got;
  char buf[256];
  for (;;) {
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got.append(buf, size_t(n));
  }
  return got;
}

std::vector<int> TermiosPort::events() {
  std::vector<int> ev;
  if (fd_ < 0) return ev;
  serial_icounter_struct ic{};
  const bool counted = counters_ && ioctl(fd_, TIOCGICOUNT, &ic) == 0;
  // Counters also catch a pulse between two looks, but some drivers keep
  // them only for errors: a line counts when either source saw it move.
  std::vector<int> lines;
  if (counted) {
    const std::array<int, 4> now = lineCountsOf(ic);
    lineCountEvents(lineCounts_, now, lines);
    lineCounts_ = now;
  }
  int now = 0;
  if (modem_ && ioctl(fd_, TIOCMGET, &now) == 0) {
    lineEvents(lines_, now, lines);
    lines_ = now;
  }
  for (int code : {kEvCts, kEvDsr, kEvCd, kEvRing})
    if (std::find(lines.begin(), lines.end(), code) != lines.end()) ev.push_back(code);
  if (counted) {
    const std::array<int, 5> now = countsOf(ic);
    errorEvents(counts_, now, ev);
    counts_ = now;
  }
  if (txFull_) {
    ev.push_back(kErTxFull);
    txFull_ = false;
  }
  int waiting = 0;
  if (ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0) ev.push_back(kEvReceive);
  return ev;
}

bool TermiosPort::hungUp() const {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0;
}

}  // namespace syougi

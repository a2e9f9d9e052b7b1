#include "link/tcp_port.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace syougi {

namespace {

constexpr std::string_view kConnect = "tcp:";
constexpr std::string_view kListen = "tcp-listen:";
constexpr const char* kClosedByPeer = "closed by the other side";
// Far more than a game's messages; a peer that takes nothing for this long
// loses the rest, as a full serial buffer would.
constexpr size_t kOutMax = 64 * 1024;

bool portNumber(std::string_view f, int lowest, int& out) {
  if (f.empty() || f.size() > 5) return false;
  int v = 0;
  for (char c : f) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lowest || v > 65535) return false;
  out = v;
  return true;
}

std::string errnoText(int e) { return std::strerror(e); }

}  // namespace

bool yomuTcp(std::string_view text, TcpAddr& out) {
  TcpAddr a;
  if (text.substr(0, kListen.size()) == kListen) {
    a.listen = true;
    if (!portNumber(text.substr(kListen.size()), 0, a.port)) return false;
    out = a;
    return true;
  }
  if (text.substr(0, kConnect.size()) != kConnect) return false;
  text.remove_prefix(kConnect.size());
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return false;
  std::string_view host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
    if (host.find(':') == std::string_view::npos) return false;
  } else if (host.find_first_of(":[]") != std::string_view::npos) {
    return false;  // an IPv6 address goes in brackets
  }
  if (host.empty() || !portNumber(text.substr(colon + 1), 1, a.port)) return false;
  a.host = std::string(host);
  out = a;
  return true;
}

TcpPort::TcpPort(std::string text) : text_(std::move(text)) {}

TcpPort::~TcpPort() { close(); }

bool TcpPort::open(std::string_view /*settings*/, std::string& reason) {
  if (state_ != kClosed) {
    reason = "the port is already open";
    return false;
  }
  TcpAddr a;
  if (!yomuTcp(text_, a)) {
    reason = "not an address: tcp:HOST:PORT or tcp-listen:PORT";
    return false;
  }
  out_.clear();
  txFull_ = reached_ = false;
  why_.clear();
  if (a.listen) return listenOn(a.port, reason);

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = getaddrinfo(a.host.c_str(), std::to_string(a.port).c_str(), &hints, &res);
  if (rc != 0) {
    reason = rc == EAI_SYSTEM ? errnoText(errno) : gai_strerror(rc);
    return false;
  }
  addrs_.clear();
  next_ = 0;
  for (const addrinfo* p = res; p; p = p->ai_next) {
    Addr x{};
    std::memcpy(&x.sa, p->ai_addr, p->ai_addrlen);
    x.len = p->ai_addrlen;
    addrs_.push_back(x);
  }
  freeaddrinfo(res);
  int err = EADDRNOTAVAIL;
  if (!tryNext(err)) {
    reason = errnoText(err);
    return false;
  }
  reason.clear();
  return true;
}

bool TcpPort::listenOn(int port, std::string& reason) {
  // One socket for IPv6 and IPv4 alike where the machine has IPv6.
  sockaddr_storage sa{};
  socklen_t len = 0;
  int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd >= 0) {
    const int off = 0;
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&sa);
    in6->sin6_family = AF_INET6;
    in6->sin6_addr = in6addr_any;
    in6->sin6_port = htons(uint16_t(port));
    len = sizeof *in6;
  } else {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    auto* in = reinterpret_cast<sockaddr_in*>(&sa);
    in->sin_family = AF_INET;
    in->sin_addr.s_addr = htonl(INADDR_ANY);
    in->sin_port = htons(uint16_t(port));
    len = sizeof *in;
  }
  if (fd < 0) {
    reason = errnoText(errno);
    return false;
  }
  // A link started again soon after the last one finds its port free; a
  // port another program listens on is still refused.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), len) != 0 || ::listen(fd, 1) != 0) {
    reason = errnoText(errno);
    ::close(fd);
    return false;
  }
  lfd_ = fd;
  state_ = kListening;
  reason.clear();
  return true;
}

bool TcpPort::tryNext(int& err) {
  while (next_ < addrs_.size()) {
    const Addr& a = addrs_[next_++];
    const int fd = ::socket(a.sa.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      err = errno;
      continue;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a.sa), a.len) == 0) {
      established(fd);
      return true;
    }
    if (errno == EINPROGRESS || errno == EINTR) {
      sfd_ = fd;
      state_ = kConnecting;
      return true;
    }
    err = errno;
    ::close(fd);
  }
  return false;
}

void TcpPort::connecting() {
  pollfd p{sfd_, POLLOUT, 0};
  if (::poll(&p, 1, 0) <= 0) return;  // still under way
  int err = 0;
  socklen_t len = sizeof err;
  if (getsockopt(sfd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
  if (err == 0) {
    const int fd = sfd_;
    sfd_ = -1;
    established(fd);
    return;
  }
  if (err == ECONNRESET) {
    // It stood, and the other side ended it before this side looked.
    reached_ = true;
    gone(errnoText(err));
    return;
  }
  ::close(sfd_);
  sfd_ = -1;
  // A name may stand for several addresses (IPv6 and IPv4): try the others.
  if (!tryNext(err)) gone(errnoText(err));
}

void TcpPort::accept() {
  const int fd = ::accept4(lfd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED) return;
    gone(errnoText(errno));
    return;
  }
  // One connection: nobody else gets in while it lasts.
  ::close(lfd_);
  lfd_ = -1;
  established(fd);
}

void TcpPort::established(int fd) {
  sfd_ = fd;
  state_ = kConnected;
  reached_ = true;
  addrs_.clear();
  // Each message is a few bytes the other side waits for.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  flush();
}

void TcpPort::flush() {
  while (!out_.empty()) {
    const ssize_t n = ::send(sfd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      out_.erase(0, size_t(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // at the next look
    gone(errnoText(errno));
    return;
  }
}

void TcpPort::gone(std::string why) {
  // The descriptor stays open until close(): its end of stream keeps it
  // readable, so that the window comes to look.
  state_ = kGone;
  why_ = std::move(why);
  out_.clear();
}

void TcpPort::close() {
  if (lfd_ >= 0) ::close(lfd_);
  if (sfd_ >= 0) ::close(sfd_);
  lfd_ = sfd_ = -1;
  state_ = kClosed;
  out_.clear();
  addrs_.clear();
  txFull_ = false;
}

void TcpPort::write(std::string_view bytes) {
  if (state_ == kClosed || state_ == kGone) return;
  if (out_.size() + bytes.size() > kOutMax) {
    txFull_ = true;
    return;
  }
  out_.append(bytes);
  if (state_ == kConnected) flush();
}

std::string TcpPort::readAll() {
  std::string got;
  if (state_ != kConnected) return got;
  char buf[256];
  for (;;) {
    const ssize_t n = ::recv(sfd_, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) {
      got.append(buf, size_t(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0)
      gone(kClosedByPeer);
    else if (errno != EAGAIN && errno != EWOULDBLOCK)
      gone(errnoText(errno));
    break;
  }
  return got;
}

std::vector<int> TcpPort::events() {
  std::vector<int> ev;
  if (state_ == kListening) accept();
  if (state_ == kConnecting) connecting();
  if (state_ == kConnected) flush();
  if (txFull_) {
    ev.push_back(kErTxFull);
    txFull_ = false;
  }
  if (state_ != kConnected) return ev;
  int waiting = 0;
  if (ioctl(sfd_, FIONREAD, &waiting) == 0 && waiting > 0) {
    ev.push_back(kEvReceive);
    return ev;
  }
  // Nothing to read, yet readable: the other side has closed or reset.
  pollfd p{sfd_, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return ev;
  char c;
  const ssize_t n = ::recv(sfd_, &c, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n == 0)
    gone(kClosedByPeer);
  else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
    gone(errnoText(errno));
  else if (n > 0)
    ev.push_back(kEvReceive);
  return ev;
}

int TcpPort::localPort() const {
  if (state_ != kListening) return 0;
  sockaddr_storage sa{};
  socklen_t len = sizeof sa;
  if (getsockname(lfd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  if (sa.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&sa)->sin6_port);
  return ntohs(reinterpret_cast<const sockaddr_in*>(&sa)->sin_port);
}

}  // namespace syougi

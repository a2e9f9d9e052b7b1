// The link over a TCP connection instead of a cable: the same messages, the
// same panel and log. One side connects ("tcp:HOST:PORT"), the other waits
// for one connection ("tcp-listen:PORT"). Nothing here waits except the
// name lookup: the connection is made and taken while the window runs, and
// what is written before it stands is sent once it does.
//
// There are no modem lines or driver counters: events() reports only
// received characters and a full output buffer. A connection that fails to
// come about, or that the other side closes, is a hang-up; reached() tells
// the two apart and why() gives the reason.
#pragma once

#include <sys/socket.h>

#include <string>
#include <string_view>
#include <vector>

#include "link/port.h"

namespace syougi {

// A `--port` text for TCP, taken apart.
struct TcpAddr {
  bool listen = false;
  std::string host;  // brackets of an IPv6 address removed; empty when listening
  int port = 0;
};

// Reads "tcp:HOST:PORT" (HOST a name, an IPv4 address, or an IPv6 address
// in brackets) with PORT 1..65535, or "tcp-listen:PORT" with PORT 0..65535
// (0: any free port). False for anything else.
bool yomuTcp(std::string_view text, TcpAddr& out);

class TcpPort : public Port {
 public:
  // `text` as given after --port; refused at open() when it is no address.
  explicit TcpPort(std::string text);
  ~TcpPort() override;
  TcpPort(const TcpPort&) = delete;
  TcpPort& operator=(const TcpPort&) = delete;

  std::string name() const override { return text_; }
  // The settings of a serial line mean nothing here and are not looked at.
  bool open(std::string_view settings, std::string& reason) override;
  void close() override;
  bool isOpen() const override { return state_ != kClosed; }
  void write(std::string_view bytes) override;
  std::string readAll() override;
  std::vector<int> events() override;
  bool hungUp() const override { return state_ == kGone; }
  bool reached() const override { return reached_; }
  std::string why() const override { return why_; }
  int fd() const override { return state_ == kListening ? lfd_ : sfd_; }

  // The port waited on (the one chosen when 0 was asked for); 0 when not
  // listening.
  int localPort() const;
  bool connected() const { return state_ == kConnected; }

 private:
  enum State { kClosed, kListening, kConnecting, kConnected, kGone };
  struct Addr {
    sockaddr_storage sa;
    socklen_t len;
  };

  bool listenOn(int port, std::string& reason);
  // Starts on the next address until one connects or is under way; false
  // when none is left, with the last address's error in `err`.
  bool tryNext(int& err);
  void connecting();
  void accept();
  void established(int fd);
  void flush();
  void gone(std::string why);

  std::string text_;
  State state_ = kClosed;
  int lfd_ = -1;
  int sfd_ = -1;
  std::vector<Addr> addrs_;
  size_t next_ = 0;
  std::string out_;  // written, not yet taken by the connection
  bool txFull_ = false;
  bool reached_ = false;
  std::string why_;
};

}  // namespace syougi

// A serial port on a POSIX terminal device (a UART, a USB adapter or a
// pseudo-terminal), in raw mode without handshaking. termios rather than Qt
// SerialPort, because Qt reports neither the line changes nor the driver's
// error counters that the link's events are made of.
//
// Watching it from an event loop: characters arriving make fd() readable;
// line changes and the driver's error counters do not, so call events() from
// a short timer as well (about 100 ms) when they matter. After a hang-up
// (the other end of a pseudo-terminal closed, an adapter unplugged) fd()
// stays readable for good; Tusin::portEvents stops the link then.
#pragma once

#include <termios.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "link/port.h"

namespace syougi {

// A parsed settings string "baud,parity,data bits,stop bits".
struct Settei {
  int baud = 0;
  char parity = 'N';  // N, E, O, M (mark) or S (space)
  int databits = 8;   // 5..8
  int stopbits = 1;   // 1 or 2
};

// False for anything but a known speed, N/E/O/M/S (either case), 5..8 data
// bits and 1 or 2 stop bits, separated by commas without spaces.
bool parseSettings(std::string_view text, Settei& out);

// Raw mode with the settings' speed, frame and parity, no handshaking, reads
// that never wait.
void applySettings(const Settei& s, termios& t);

// Codes for the modem lines (TIOCM_* bits) that differ between two looks:
// CTS 3, DSR 4, CD 5, ring 6, appended to `ev` in that order.
void lineEvents(int before, int now, std::vector<int>& ev);
// The same from the driver's transition counters of CTS, DSR, CD and ring,
// which also catch a pulse that came and went between two looks.
void lineCountEvents(const std::array<int, 4>& before, const std::array<int, 4>& now,
                     std::vector<int>& ev);
// Codes for the driver's error counters (break, framing, overrun, buffer
// overflow, parity) that moved between two looks: 1001, 1004, 1006, 1008,
// 1009, appended to `ev` in that order.
void errorEvents(const std::array<int, 5>& before, const std::array<int, 5>& now,
                 std::vector<int>& ev);

class TermiosPort : public Port {
 public:
  // Port 1 of the link.
  static constexpr const char* kPort1 = "/dev/ttyS0";

  explicit TermiosPort(std::string device = kPort1);
  ~TermiosPort() override;
  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  std::string name() const override { return device_; }
  // Refuses a device that another TermiosPort (in any process) holds open.
  bool open(std::string_view settings, std::string& reason) override;
  void close() override;
  bool isOpen() const override { return fd_ >= 0; }
  void write(std::string_view bytes) override;
  std::string readAll() override;
  std::vector<int> events() override;
  int fd() const override { return fd_; }

  bool hungUp() const override;
  // Whether the device reports its modem lines and error counters; a
  // pseudo-terminal does neither.
  bool hasModemLines() const { return modem_; }
  bool hasErrorCounters() const { return counters_; }

 private:
  std::string device_;
  int fd_ = -1;
  bool modem_ = false;
  bool counters_ = false;
  bool txFull_ = false;
  int lines_ = 0;
  std::array<int, 5> counts_{};  // brk, frame, overrun, buf_overrun, parity
  std::array<int, 4> lineCounts_{};  // cts, dsr, dcd, rng
};

}  // namespace syougi

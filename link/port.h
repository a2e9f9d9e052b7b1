// The serial port as the link sees it: open with a settings string, write,
// read everything buffered, and the event codes that have come up since the
// last look.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace syougi {

// Event codes, numbered as the link's receive handler knows them.
enum PortEvent : int {
  kEvSend = 1,
  kEvReceive = 2,  // characters are waiting; the handler reads them all
  kEvCts = 3,
  kEvDsr = 4,
  kEvCd = 5,
  kEvRing = 6,
  kEvEof = 7,
  kErBreak = 1001,
  kErFrame = 1004,
  kErOverrun = 1006,
  kErRxOver = 1008,
  kErParity = 1009,
  kErTxFull = 1010,
  kErDcb = 1011,
};

class Port {
 public:
  virtual ~Port() = default;
  // The device, as shown to the user when it cannot be opened.
  virtual std::string name() const = 0;
  // Opens with settings such as "1200,N,8,1" and drops anything received
  // before. On failure returns false and says why in `reason`.
  virtual bool open(std::string_view settings, std::string& reason) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Never waits: what does not fit into the driver's buffer is dropped and
  // comes up as kErTxFull. Writes nothing when the port is closed.
  virtual void write(std::string_view bytes) = 0;
  // Everything received so far; empty when nothing is there or closed.
  virtual std::string readAll() = 0;
  // Codes that have come up since the last call, oldest kind first; empty
  // when closed.
  virtual std::vector<int> events() = 0;
  // The device has gone (an adapter unplugged, the other end of a
  // pseudo-terminal closed): nothing more will come through it.
  virtual bool hungUp() const { return false; }
  // After a hang-up: false when the other end was never reached (a
  // connection that did not come about reads as a port that cannot be
  // opened), and why the line went, when the port knows.
  virtual bool reached() const { return true; }
  virtual std::string why() const { return {}; }
  // A descriptor that turns readable when characters arrive, for an event
  // loop to watch; -1 when there is none. It may change in events() (a
  // listening port hands over to the connection it took).
  virtual int fd() const { return -1; }
};

// The port a `--port` text names: "tcp:HOST:PORT" connects to another copy,
// "tcp-listen:PORT" waits for one, anything else is a serial device.
std::unique_ptr<Port> makePort(const std::string& text);

}  // namespace syougi

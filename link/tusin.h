// The serial link: the buttons of the link panel, the receive handler that
// assembles messages, line events and errors, the log "tusin.txt", and how a
// received message is entered into the game.
//
// Wiring into the window:
// - the window's link code (SyougiTusin) implements TusinHost and holds the
//   Tusin; the window owns the Port (TermiosPort for port 1);
// - the panel buttons call Command1_Click, Command2_Click(0/1), Command3_Click
//   and Command4_Click; the computer's automatic send puts its text into
//   OutMsg and calls Command1_Click;
// - when watchPort(fd) is called the window watches fd for reading, and
//   polls on a short timer (about 100 ms) for line changes, errors and a
//   full output buffer, calling portEvents() for both; a new watchPort(fd)
//   moves the watch to another descriptor; watchPort(-1) ends
//   the watching and may come from inside portEvents() (Cancel in the error
//   dialog), so a socket notifier is to be released with deleteLater();
// - makePort gives the Port for the --port text: a serial device or a TCP
//   connection;
// - game setup recreates the log with one empty line (the window does it,
//   so that a log it cannot write is reported); this class only appends;
// - while e_MouseDown runs for a received move, `zyusinmsg` still holds the
//   message (characters 6-7 name the piece after the move).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/port.h"

namespace syougi {

class TusinHost {
 public:
  virtual ~TusinHost() = default;
  // Text boxes InMsg (last received message) and OutMsg (text to send).
  virtual void setInMsg(const std::string& text) = 0;
  virtual std::string outMsg() const = 0;
  // Visibility of the panel buttons.
  virtual void showCommand1(bool visible) = 0;
  virtual void showCommand2(int index, bool visible) = 0;
  virtual void showCommand3(bool visible) = 0;
  virtual void showCommand4(bool visible) = 0;
  // Caption of the label `mesezi`.
  virtual void setMesezi(const std::string& text) = 0;
  // Modal OK/Cancel box with its own title; true for OK.
  virtual bool eraDialog(const std::string& text, const std::string& title) = 0;
  // Modal OK box titled "ヌバタ".
  virtual void messageBox(const std::string& text) = 0;
  // The user-move procedure, given the index of the clicked control.
  virtual void e_MouseDown(int index) = 0;
  // The user's resignation.
  virtual void touryou_Click() = 0;
  // The number of the move about to be played.
  virtual int32_t tesuu() const = 0;
  // Start watching the port's descriptor, or stop with -1.
  virtual void watchPort(int fd) { (void)fd; }
  // True while nothing may be received (the host has a modal box open):
  // portEvents then leaves everything in the port for a later call.
  virtual bool matu() const { return false; }
  // True while the board waits for the user's move (the other side's, in a
  // link match); false once the game is over.
  virtual bool yuuzaaTeban() const { return false; }
  // Seconds on a clock that only goes forward.
  virtual double ima() const;
};

// A received move as two clicks in the sender's numbering: `sentaku` is a
// square 11..99 or the user's hand code 102..108, `saki` a square.
struct UkeSasite {
  int32_t sentaku = 0;
  int32_t saki = 0;
};

// Reads a move text such as "+7776FU" or "-0028KI" (no LF). False for
// anything else: a sign other than + or -, squares that are not 11..99 with
// non-zero digits, the same square twice, a name outside the fourteen record
// names, a drop of a piece that cannot be held, or anything after the name.
bool yomuSasite(std::string_view text, UkeSasite& out);

class Tusin {
 public:
  static constexpr int16_t kTrue = -1;
  static constexpr int16_t kFalse = 0;
  static constexpr const char* kSettings = "1200,N,8,1";

  // An empty `logPath` keeps no log.
  Tusin(Port& port, TusinHost& host, std::string logPath = "tusin.txt");

  // True: this side is to send next; False: waiting for the other side.
  int16_t sousinmode = kFalse;
  // Characters received while waiting that do not yet form a message; during
  // the application of a received move, that whole message.
  std::string zyusinmsg;
  std::string sousinmodemsg;  // characters received while to send
  std::string ibentomsg;      // pending text for `mesezi`
  std::string eramsg;         // pending text for the error dialog

  // Send the text of OutMsg, then wait for the reply.
  void Command1_Click();
  // Start the link: 0 by receiving, 1 by sending.
  void Command2_Click(int index);
  // Stop after sending / forced stop: the same.
  void Command3_Click();
  void Command4_Click();

  // Seconds an unfinished message may wait for the rest of it.
  static constexpr double kKireMa = 5.0;

  // One event of the port.
  void MSComm1_OnComm(int code);
  // Runs MSComm1_OnComm for every code the port has pending, then stops the
  // link with a message when the device has gone, or gives up an unfinished
  // message that has waited kKireMa seconds. Ignored when called again
  // from inside or while the host says to wait (a modal dialog spins the
  // event loop; the window had better not watch the port meanwhile, or it
  // spins with it).
  void portEvents();

 private:
  void stop();
  void send(const std::string& text);
  // Enters a complete message; true when it was a resignation.
  bool uketoru(const std::string& m);
  // The label or the error dialog for what is pending.
  void hyouzi();
  void logLine(std::string_view bytes);

  Port& port_;
  TusinHost& host_;
  std::string logPath_;
  bool dispatching_ = false;
  int watched_ = -1;  // the descriptor the host watches
  double uketaToki_ = 0;  // when characters last came in
};

}  // namespace syougi

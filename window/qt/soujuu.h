// Drives the window from a line protocol on a descriptor (stdin), only
// through its controls, and reports every message box it shows. Used by
// `syougi --drive` to run whole games from a test script.
//
// Commands, one per line, run in order; each answers one line "ok ..." or
// "error ...":
//   click NAME        mouse click on the control, or triggers the menu item
//   answer BUTTON     waits for a message box, presses OK, Cancel, Yes or No
//   type NAME TEXT    replaces the text of a text box
//   text NAME         "ok text NAME <text>"
//   shown NAME        "ok shown NAME 1" when visible, else 0
//   wait-idle         waits until the computer's timer is off and no box is
//                     open, then answers "ok idle"
//   wait-turn         waits until the computer's timer is off: its reply is
//                     made or it has opened a box; answers "ok turn"
//   quit              closes the window
// A shown message box prints "box <title>\t<text>" with line breaks as \n.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdio>

class QSocketNotifier;

namespace syougi {

class SyougiWindow;

class Soujuu : public QObject {
 public:
  Soujuu(SyougiWindow& w, int inFd, std::FILE* out);

 protected:
  bool eventFilter(QObject* o, QEvent* ev) override;

 private:
  void yomu();
  void susumu();
  void meirei(const QString& line);
  void kaku(const QString& line);
  bool click(const QString& name);
  bool answer(const QString& button);
  bool hakoAru() const;
  bool hima() const;
  bool matuOwari() const;  // what the waiting command waits for has come

  SyougiWindow& w_;
  int in_;
  std::FILE* out_;
  QSocketNotifier* notifier_ = nullptr;
  QByteArray buf_;
  bool owari_ = false;  // end of input
  // A command that waits (wait-idle, wait-turn, answer) holds back the ones
  // after it.
  QString matu_;
  QTimer matuTimer_;
};

}  // namespace syougi

// The serial link wired into the game flow: the link panel and its dialogs
// go through Gamen, received moves become the flow's clicks, and the
// computer's automatic send goes out through the link.
#pragma once

#include <functional>
#include <string>

#include "link/port.h"
#include "link/tusin.h"
#include "window/gamen.h"
#include "window/syougi.h"

namespace syougi {

class SyougiTusin : public TusinHost {
 public:
  SyougiTusin(Gamen& gamen, Syougi& flow, Port& port, std::string logPath = "tusin.txt");
  ~SyougiTusin() override;
  SyougiTusin(const SyougiTusin&) = delete;
  SyougiTusin& operator=(const SyougiTusin&) = delete;

  Tusin tusin;
  // Starts watching the port's descriptor, or stops with -1.
  std::function<void(int)> kansi;

  void setInMsg(const std::string& text) override;
  std::string outMsg() const override;
  void showCommand1(bool visible) override;
  void showCommand2(int index, bool visible) override;
  void showCommand3(bool visible) override;
  void showCommand4(bool visible) override;
  void setMesezi(const std::string& text) override;
  bool eraDialog(const std::string& text, const std::string& title) override;
  void messageBox(const std::string& text) override;
  bool matu() const override;
  void e_MouseDown(int index) override;
  void touryou_Click() override;
  int32_t tesuu() const override;
  bool yuuzaaTeban() const override;
  void watchPort(int fd) override;

 private:
  void sousin(const std::string& s);

  Gamen& gamen_;
  Syougi& flow_;
  Port& port_;
};

}  // namespace syougi

#include "window/tusinsyougi.h"

#include <utility>

namespace syougi {

SyougiTusin::SyougiTusin(Gamen& gamen, Syougi& flow, Port& port, std::string logPath)
    : tusin(port, *this, std::move(logPath)), gamen_(gamen), flow_(flow), port_(port) {
  flow_.sousin = [this](const std::string& s) { sousin(s); };
  flow_.zyusinmsg = &tusin.zyusinmsg;
}

SyougiTusin::~SyougiTusin() {
  flow_.sousin = nullptr;
  flow_.zyusinmsg = nullptr;
}

void SyougiTusin::sousin(const std::string& s) {
  // Without a link the computer's move stands as it is; OutMsg keeps
  // whatever the user typed.
  if (!port_.isOpen()) return;
  gamen_.text("OutMsg", s);
  tusin.Command1_Click();
}

void SyougiTusin::setInMsg(const std::string& text) { gamen_.text("InMsg", text); }

std::string SyougiTusin::outMsg() const { return gamen_.yomu("OutMsg"); }

void SyougiTusin::showCommand1(bool visible) { gamen_.miseru("Command1", visible); }

void SyougiTusin::showCommand2(int index, bool visible) {
  gamen_.miseru(index == 0 ? "Command2_0" : "Command2_1", visible);
}

void SyougiTusin::showCommand3(bool visible) { gamen_.miseru("Command3", visible); }

void SyougiTusin::showCommand4(bool visible) { gamen_.miseru("Command4", visible); }

void SyougiTusin::setMesezi(const std::string& text) { gamen_.text("mesezi", text); }

bool SyougiTusin::eraDialog(const std::string& text, const std::string& title) {
  return flow_.okCancel(text, title);
}

void SyougiTusin::messageBox(const std::string& text) { flow_.msgbox(text); }

bool SyougiTusin::matu() const { return flow_.hakoTyuu(); }

void SyougiTusin::e_MouseDown(int index) { flow_.e_MouseDown(index); }

void SyougiTusin::touryou_Click() { flow_.touryou_Click(); }

int32_t SyougiTusin::tesuu() const { return flow_.game.tesuu; }

bool SyougiTusin::yuuzaaTeban() const { return flow_.game.zyoutai != 0; }

void SyougiTusin::watchPort(int fd) {
  if (kansi) kansi(fd);
}

}  // namespace syougi

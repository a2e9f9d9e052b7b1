// The game flow of the window `syougi`: game setup, drawing, the user's
// moves, the computer's move driver, game end, record navigation and the
// record and position files. Talks to the screen only through Gamen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/computer.h"
#include "model/game.h"
#include "window/gamen.h"

namespace syougi {

class Syougi {
 public:
  Syougi(Gamen& gamen, Computer* computer);

  // Window events.
  void Form_Load();
  bool Form_Unload();  // true: keep the window open
  void kaisisennte_Click();
  void kaisigote_Click();
  void e_MouseDown(int index);
  void t_Timer();
  void hozonn_Click();
  void kyokumdenn_Click();
  void saisenn_Click();
  void touryou_Click();
  void modosu_Click();
  void makimodosi2_Click();
  void makimodosi_Click();
  void saisei_Click();

  // Procedures shared with the link code.
  void youi();
  void arawasu();
  void owari();
  void Com();

  Game game;
  std::string kifu;  // record box text, lines separated by CR LF
  std::string men;   // position listing text
  std::string zenntel;
  std::string sennkei = "mitei";
  int32_t teban = 1;
  // Message just received over the link; read by the click handler for the
  // promotion of a received move when `zidou` is ticked.
  std::string zyusinmsg;
  // Automatic send of the computer's move or resignation; empty while no
  // link is attached.
  std::function<void(const std::string&)> sousin;

 private:
  void zenntelMiseru(const std::string& s);
  void miseruKyokumenn(int k);
  void menuItem(const std::string& name, bool enabled);
  int keika(double now) const;  // whole seconds since kaisitoki, plus 1
  bool kakikomu(const char* name, const std::string& data);
  bool tadasiiTe(int32_t moto, int32_t saki) const;

  Gamen& gamen_;
  Computer* computer_;
  bool comTyuu_ = false;  // Com is running
  // Enabled state of the menu items whose state changes.
  bool touryouOn_ = false;
  bool navOn_ = false;
};

}  // namespace syougi

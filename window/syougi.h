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
  void yomikomi_Click();

  // Opens a saved record: a finished game is shown as one played here ends,
  // an unfinished one resumes with the user to move. A file that is not
  // such a record is refused with a message box and the game stays as it
  // was. True when it was opened.
  bool hiraku(const std::string& path);

  // Steps of the flow: game setup, redrawing the board, hands and labels,
  // game end, the computer's move. Tests redraw a position they set up.
  void youi();
  void arawasu();
  void owari();
  void Com();

  // Every modal box of the flow and of the link opens through these. A box
  // runs an event loop of its own, in which nothing of the game may happen:
  // while one is open the port is not read (its data waits there) and a
  // timer tick is held, to be armed again once the last box has closed.
  void msgbox(const std::string& s);
  bool hai(const std::string& s);  // Yes/No; true for Yes
  bool okCancel(const std::string& s, const std::string& title);
  bool hakoTyuu() const { return hako_ > 0; }

  Game game;
  std::string kifu;  // record box text, lines separated by CR LF
  std::string men;   // position listing text
  std::string zenntel;
  std::string sennkei = "mitei";
  int32_t teban = 1;
  // The link's receive buffer, while a link is attached. When it holds a
  // whole message, the click handler takes the promotion of that received
  // move from it with `zidou` ticked.
  const std::string* zyusinmsg = nullptr;
  // Automatic send of the computer's move or resignation; empty while no
  // link is attached.
  std::function<void(const std::string&)> sousin;

 private:
  void zenntelMiseru(const std::string& s);
  void miseruKyokumenn(int k);
  void menuItem(const std::string& name, bool enabled);
  // The three record navigation items together.
  void kirokuMenu(bool enabled);
  int keika(double now) const;  // whole seconds since kaisitoki, plus 1
  bool kakikomu(const char* name, const std::string& data);
  bool tadasiiTe(int32_t moto, int32_t saki) const;
  // Writes the move just made onto the board into the record and the
  // history, and returns its seconds; `user` tells whose it was.
  int kirokuSuru(int moto, int saki, bool user, double now);

  class Hako;

  Gamen& gamen_;
  Computer* computer_;
  int hako_ = 0;           // boxes open
  bool tickMatu_ = false;  // a tick came while one was
  // Enabled state of the menu items whose state changes.
  bool touryouOn_ = false;
  bool navOn_ = false;
};

}  // namespace syougi

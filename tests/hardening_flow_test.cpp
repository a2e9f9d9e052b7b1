// The game flow under pressure: the window closed while the computer is on
// its move, and games that run into the end of the history (move 350).
#include <gtest/gtest.h>

#include <string>

#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;

class Hardening : public ScratchDir {
 protected:
  void click(int from, int to) {
    s.e_MouseDown(from);
    s.e_MouseDown(to);
  }
  // Lines of the record box.
  static int lines(const std::string& k) {
    if (k.empty()) return 0;
    int n = 1;
    for (size_t p = 0; (p = k.find("\r\n", p)) != std::string::npos; p += 2) ++n;
    return n;
  }

  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};
};

// --- closing the window while the computer is on its move ---

TEST_F(Hardening, CloseRequestDuringTheComputersMoveLosesNothing) {
  s.kaisisennte_Click();
  click(77, 76);
  bool keep = true;
  com.duringErabu = [&] { keep = s.Form_Unload(); };
  com.push(33, 34);
  s.t_Timer();
  // It is not the user's turn, so the close is not questioned; the move in
  // hand is still played and recorded before the window can go.
  EXPECT_FALSE(keep);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\nT1\r\n-3334FU");
  EXPECT_EQ(s.game.aru[34], 208);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(gamen.timer, 0);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T1\r\n+7776FU\r\nT1\r\n-3334FU\r\n");
}

TEST_F(Hardening, CloseRequestWhileTheResignationMessageIsOpen) {
  s.kaisisennte_Click();
  click(77, 76);
  bool keep = true;
  std::string kifuThen;
  gamen.onMsgbox = [&] {
    kifuThen = s.kifu;
    keep = s.Form_Unload();
  };
  com.push(0, 0, -30001);
  s.t_Timer();
  EXPECT_FALSE(keep);
  // The resignation is on the record before the message shows.
  EXPECT_EQ(kifuThen, "T1\r\n+7776FU\r\n%TORYO");
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "あなたの勝ちです");
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_FALSE(gamen.menus["touryou"]);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T1\r\n+7776FU\r\n%TORYO\r\n");
}

TEST_F(Hardening, CloseRequestDuringTheUsersTurnAfterTheComputerAnsweredIsAsked) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(33, 34);
  s.t_Timer();
  gamen.answers = {false};
  EXPECT_TRUE(s.Form_Unload());
  ASSERT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(gamen.questions[0], "対局中です。終了しますか？");
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\nT1\r\n-3334FU");
  click(27, 26);
  EXPECT_EQ(s.game.aru[26], 108);
}

// --- the end of the history ---

// The computer moves first; both rooks shuffle one square and back. The
// user's move 350 is the last the history holds, so the computer's turn at
// 351 ends the game with its message.
TEST_F(Hardening, ComputerFirstGameRunsToMove350AndIsEndedOnTheComputersTurn) {
  s.kaisigote_Click();
  for (int t = 1; t <= 350; ++t) {
    if (t % 2 == 1) {
      // Computer's rook 82 -> 72 -> 82 ...
      if (t % 4 == 1)
        com.push(82, 72);
      else
        com.push(72, 82);
      ASSERT_NE(gamen.timer, 0) << t;
      s.t_Timer();
    } else {
      if (t % 4 == 2)
        click(28, 38);
      else
        click(38, 28);
    }
    ASSERT_EQ(s.game.tesuu, t + 1) << t;
  }
  EXPECT_EQ(lines(s.kifu), 700);
  // Move 1: the computer's 82->72 seen from the first player (itself): 28->38.
  EXPECT_EQ(s.kifu.substr(0, 13), "T1\r\n+2838HI\r\n");
  // Move 350, the user's 28->38, from the first player's side: 82->72.
  EXPECT_EQ(s.kifu.substr(s.kifu.size() - 11), "T1\r\n-8272HI");

  ASSERT_NE(gamen.timer, 0);
  s.t_Timer();
  EXPECT_EQ(com.askedAt.size(), 175u);  // never asked for move 351
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "手数が上限の350手に達したため、対局を終了します。");
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(gamen.timer, 0);
  EXPECT_FALSE(gamen.menus["touryou"]);
  EXPECT_EQ(lines(s.kifu), 700);

  // Everything recorded is in the file and can be stepped through.
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), s.kifu + "\r\n");
  s.makimodosi2_Click();
  EXPECT_EQ(s.game.aru[82], 202);
  EXPECT_EQ(s.game.aru[28], 102);
  s.saisei_Click();
  EXPECT_EQ(s.game.aru[72], 202);
  for (int k = 0; k < 349; ++k) s.saisei_Click();
  EXPECT_EQ(s.game.tesuu, 350);
  EXPECT_EQ(s.game.aru[72], 202);
  EXPECT_EQ(s.game.aru[38], 102);
  const int beeps = gamen.beeps;
  s.saisei_Click();
  EXPECT_EQ(s.game.tesuu, 350);
  EXPECT_EQ(gamen.beeps, beeps + 1);
}

// The user moves first; the computer's move 350 is still played, the user's
// 351 is refused and the game can then only be resigned.
TEST_F(Hardening, UserFirstGameComputerPlaysMove350ThenTheUserCanOnlyResign) {
  s.kaisisennte_Click();
  for (int t = 1; t <= 350; ++t) {
    if (t % 2 == 1) {
      if (t % 4 == 1)
        click(28, 38);
      else
        click(38, 28);
    } else {
      if (t % 4 == 2)
        com.push(82, 72);
      else
        com.push(72, 82);
      s.t_Timer();
    }
    ASSERT_EQ(s.game.tesuu, t + 1) << t;
  }
  EXPECT_EQ(lines(s.kifu), 700);
  EXPECT_EQ(s.kifu.substr(s.kifu.size() - 11), "T1\r\n-8272HI");
  EXPECT_EQ(s.game.rekiaru[350][72], 202);
  EXPECT_EQ(s.game.zyoutai, 1);

  const std::string before = s.kifu;
  click(38, 28);
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "手数が上限の350手に達したため、これ以上指せません。");
  EXPECT_EQ(s.kifu, before);
  EXPECT_EQ(s.game.aru[38], 102);
  EXPECT_EQ(s.game.tesuu, 351);
  EXPECT_EQ(gamen.timer, 0);

  s.touryou_Click();
  EXPECT_EQ(s.kifu, before + "\r\n%TORYO");
  EXPECT_EQ(s.game.zyoutai, 0);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), before + "\r\n%TORYO\r\n");
}

}  // namespace
}  // namespace syougi

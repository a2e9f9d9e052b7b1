// Game start, end of game, rematch, closing the window, take-back and the
// navigation through a finished game.
#include <gtest/gtest.h>

#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;

class FlowEnd : public ScratchDir {
 protected:
  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};

  void click(int a, int b) {
    s.e_MouseDown(a);
    s.e_MouseDown(b);
  }
  void reply(int moto, int saki) {
    com.push(moto, saki);
    s.t_Timer();
  }
  void expectStart() {
    Ban b;
    Mochi m;
    syokihaiti(b, m);
    for (int c = 0; c < 100; ++c) ASSERT_EQ(s.game.aru[c], b[c]) << c;
    for (int c = 0; c < 29; ++c) ASSERT_EQ(s.game.arull[c], 0) << c;
  }
};

TEST_F(FlowEnd, LoadHidesOnlyTheLinkButtons) {
  s.Form_Load();
  EXPECT_FALSE(gamen.visible["Command1"]);
  EXPECT_FALSE(gamen.visible["Command3"]);
  EXPECT_FALSE(gamen.visible["Command4"]);
  EXPECT_EQ(gamen.visible.size(), 3u);
  EXPECT_TRUE(gamen.kaisiVisible);
  EXPECT_EQ(s.game.zyoutai, 0);
}

TEST_F(FlowEnd, UserFirstStart) {
  gamen.now = 1234.5;
  s.kaisisennte_Click();
  EXPECT_FALSE(gamen.kaisiVisible);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(s.game.tesuu, 1);
  EXPECT_EQ(gamen.t("tesuul"), "1");
  EXPECT_EQ(gamen.t("tebannl"), "You");
  EXPECT_EQ(gamen.t("tokipl1l"), "0");
  EXPECT_EQ(gamen.t("tokipl2l"), "0");
  EXPECT_EQ(gamen.t("kifu"), "");
  EXPECT_TRUE(gamen.menus["touryou"]);
  EXPECT_FLOAT_EQ(s.game.kaisitoki, 1234.5f);
  EXPECT_EQ(slurp("tusin.txt"), "\r\n");
  EXPECT_EQ(s.sennkei, "mitei");
  EXPECT_EQ(com.seeds.size(), 1u);
  EXPECT_EQ(gamen.pic[59], 101);
  EXPECT_EQ(gamen.pic[51], 201);
  EXPECT_EQ(gamen.pic[55], 0);
  for (int h = 102; h <= 108; ++h) EXPECT_EQ(gamen.pic[h], 0);
  for (int h = 12; h <= 18; ++h) EXPECT_EQ(gamen.t("l" + std::to_string(h)), "");
  EXPECT_EQ(gamen.timerLog.size(), 0u);
  expectStart();
  EXPECT_EQ(s.game.rekiaru[0][59], 101);
}

TEST_F(FlowEnd, StartAfterAGameHidesTheMarkersAndClearsClocksAndStrategy) {
  for (bool gote : {false, true}) {
    gamen.now = 100;
    s.kaisisennte_Click();
    gamen.now = 104;
    click(77, 76);
    com.push(33, 34, 0, "ibisya");
    gamen.now = 106;
    s.t_Timer();
    s.e_MouseDown(27);
    ASSERT_TRUE(gamen.shown(Senn::senn1));
    ASSERT_TRUE(gamen.shown(Senn::senn2));
    ASSERT_EQ(s.game.rekitoki1[1], 5);
    ASSERT_EQ(s.game.rekitoki2[2], 3);
    ASSERT_EQ(s.sennkei, "ibisya");
    s.saisenn_Click();
    gote ? s.kaisigote_Click() : s.kaisisennte_Click();
    EXPECT_FALSE(gamen.shown(Senn::senn1)) << gote;
    EXPECT_FALSE(gamen.shown(Senn::senn2)) << gote;
    EXPECT_EQ(s.game.rekitoki1[1], 0) << gote;
    EXPECT_EQ(s.game.rekitoki2[2], 0) << gote;
    EXPECT_EQ(s.sennkei, "mitei") << gote;
    s.saisenn_Click();
  }
}

TEST_F(FlowEnd, ComputerFirstStartArmsTheTimerAndComputesAttacks) {
  s.kaisigote_Click();
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(gamen.t("tebannl"), "Com");
  EXPECT_EQ(gamen.timer, 50);
  EXPECT_EQ(s.game.oupl1, 59);
  EXPECT_EQ(s.game.oupl2, 51);
  EXPECT_EQ(s.game.toripl1[58], 4) << "golds 49 and 69, king 59 and the rook along rank 8";
  EXPECT_EQ(gamen.t("tesuul"), "1");
}

TEST_F(FlowEnd, HandCountsShowOnlyWhenHeld) {
  s.kaisisennte_Click();
  s.game.arull[18] = 1;
  s.game.arull[25] = 3;
  s.arawasu();
  EXPECT_EQ(gamen.pic[108], 108);
  EXPECT_EQ(gamen.t("l18"), "1");
  EXPECT_EQ(gamen.pic[205], 205);
  EXPECT_EQ(gamen.t("l25"), "3");
  EXPECT_EQ(gamen.pic[107], 0);
  EXPECT_EQ(gamen.t("l17"), "");
}

TEST_F(FlowEnd, UserResignation) {
  s.kaisisennte_Click();
  click(77, 76);
  reply(33, 34);
  s.e_MouseDown(27);  // a selection is dropped by the end
  s.touryou_Click();
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\nT1\r\n-3334FU\r\n%TORYO");
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "コンピュータの勝ちです");
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(s.game.tebannmei, "");
  EXPECT_EQ(s.zenntel, "---");
  EXPECT_FALSE(gamen.menus["touryou"]);
  EXPECT_TRUE(gamen.menus["makimodosi"]);
  EXPECT_TRUE(gamen.menus["makimodosi2"]);
  EXPECT_TRUE(gamen.menus["saisei"]);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_FALSE(gamen.shown(Senn::senn2));
  EXPECT_FALSE(gamen.shown(Senn::senn11));
  EXPECT_EQ(s.game.rekiaru[3][11], 999);
  s.saisei_Click();  // the last position is already shown
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.game.aru[27], 108);
  const int beeps = gamen.beeps;
  click(27, 26);
  EXPECT_EQ(gamen.beeps, beeps + 2);
  EXPECT_EQ(s.game.aru[27], 108);
  // Resigning again is not possible once the item is off.
  s.touryou_Click();
  EXPECT_EQ(gamen.msgs.size(), 1u);
}

TEST_F(FlowEnd, ResignationDuringAPendingReplyStopsTheTimer) {
  s.kaisisennte_Click();
  click(77, 76);
  EXPECT_EQ(gamen.timer, 10);
  s.touryou_Click();
  EXPECT_EQ(gamen.timer, 0);
}

TEST_F(FlowEnd, NavigationAfterResignationAtMoveFive) {
  gamen.now = 0;
  s.kaisisennte_Click();
  gamen.now = 2;  // user 3
  click(77, 76);
  gamen.now = 3;  // computer 2
  reply(33, 34);
  gamen.now = 7;  // user 5, total 8
  click(27, 26);
  gamen.now = 8;  // computer 2, total 4
  reply(83, 84);
  s.touryou_Click();  // N = 5
  const auto final4 = s.game.rekiaru[4];
  s.makimodosi_Click();
  EXPECT_EQ(gamen.t("tesuul"), "4");
  for (int c = 12; c < 100; ++c) ASSERT_EQ(s.game.aru[c], final4[c]) << c;
  EXPECT_EQ(s.game.aru[26], 108);
  EXPECT_EQ(s.game.aru[84], 208);
  EXPECT_EQ(gamen.t("tokipl1l"), "0");  // the user did not move at 4
  EXPECT_EQ(gamen.t("tokipl2l"), "4");
  EXPECT_EQ(gamen.beeps, 0);
  s.saisei_Click();
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(gamen.t("tesuul"), "4");
  s.makimodosi2_Click();
  EXPECT_EQ(gamen.t("tesuul"), "0");
  expectStart();
  EXPECT_EQ(gamen.pic[76], 0);
  EXPECT_EQ(gamen.pic[77], 108);
  s.makimodosi_Click();
  EXPECT_EQ(gamen.beeps, 2) << "no move before the start";
  s.saisei_Click();
  EXPECT_EQ(gamen.t("tesuul"), "1");
  EXPECT_EQ(s.game.aru[76], 108);
  EXPECT_EQ(s.game.aru[34], 0);
  EXPECT_EQ(gamen.t("tokipl1l"), "3");
  s.saisei_Click();
  s.saisei_Click();
  EXPECT_EQ(gamen.t("tokipl1l"), "8");
  s.saisei_Click();
  EXPECT_EQ(gamen.t("tesuul"), "4");
  EXPECT_EQ(gamen.beeps, 2);
  s.saisei_Click();
  EXPECT_EQ(gamen.beeps, 3);
  EXPECT_EQ(gamen.t("tesuul"), "4");
  s.makimodosi_Click();
  EXPECT_EQ(gamen.t("tesuul"), "3");
  EXPECT_EQ(s.game.aru[84], 0);
  EXPECT_EQ(s.game.aru[83], 208);
}

TEST_F(FlowEnd, NavigationItemsDoNothingDuringAGame) {
  s.kaisisennte_Click();
  click(77, 76);
  reply(33, 34);
  s.makimodosi2_Click();
  s.makimodosi_Click();
  s.saisei_Click();
  EXPECT_EQ(s.game.tesuu, 3);
  EXPECT_EQ(s.game.aru[76], 108);
  EXPECT_EQ(gamen.beeps, 0);
}

TEST_F(FlowEnd, TakeBackAtTheFirstMoveOnlyBeeps) {
  s.kaisisennte_Click();
  s.modosu_Click();
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.kifu, "");
  EXPECT_EQ(s.game.tesuu, 1);
}

TEST_F(FlowEnd, TakeBackAtMoveTwoWhenUserSecondOnlyBeeps) {
  s.kaisigote_Click();
  reply(33, 34);
  s.modosu_Click();
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU");
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_EQ(s.game.aru[34], 208);
}

TEST_F(FlowEnd, TakeBackWhileTheComputerIsToMoveBeeps) {
  s.kaisisennte_Click();
  click(77, 76);
  reply(33, 34);
  click(27, 26);
  s.modosu_Click();
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.game.tesuu, 4);
}

TEST_F(FlowEnd, TakeBackAtMoveThreeRestartsTheGame) {
  gamen.now = 100;
  s.kaisisennte_Click();
  gamen.now = 104;
  click(77, 76);
  gamen.now = 110;
  reply(33, 34);
  {
    std::ofstream f("tusin.txt", std::ios::binary | std::ios::app);
    f << "-3334FU\n\r\n";
  }
  gamen.now = 120;
  s.modosu_Click();
  EXPECT_EQ(s.game.tesuu, 1);
  EXPECT_EQ(s.kifu, "");
  EXPECT_EQ(gamen.t("kifu"), "");
  EXPECT_EQ(gamen.t("tokipl1l"), "0");
  EXPECT_EQ(gamen.t("tokipl2l"), "0");
  EXPECT_EQ(gamen.t("tesuul"), "1");
  EXPECT_EQ(gamen.t("tebannl"), "You");
  EXPECT_EQ(s.zenntel, "---");
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn2));
  EXPECT_EQ(slurp("tusin.txt"), "\r\n");
  expectStart();
  EXPECT_FLOAT_EQ(s.game.kaisitoki, 120.0f);
  gamen.now = 122;
  click(77, 76);
  EXPECT_EQ(s.kifu, "T3\r\n+7776FU");
}

TEST_F(FlowEnd, TakeBackLaterRestoresPositionAndClocks) {
  gamen.now = 0;
  s.kaisisennte_Click();
  gamen.now = 2;  // user 3
  click(77, 76);
  gamen.now = 3;  // computer 2
  reply(33, 34);
  gamen.now = 7;  // user 5 -> 8
  click(27, 26);
  gamen.now = 8;  // computer 2 -> 4
  reply(83, 84);
  gamen.now = 20;
  s.e_MouseDown(26);  // selected when taking back
  s.modosu_Click();
  EXPECT_EQ(s.game.tesuu, 3);
  EXPECT_EQ(gamen.t("tesuul"), "3");
  EXPECT_EQ(s.kifu, "T3\r\n+7776FU\r\nT2\r\n-3334FU\r\nT5\r\n+2726FU\r\nT2\r\n-8384FU\r\n%MATTA");
  EXPECT_EQ(s.game.aru[27], 108);
  EXPECT_EQ(s.game.aru[26], 0);
  EXPECT_EQ(s.game.aru[83], 208);
  EXPECT_EQ(s.game.aru[34], 208);
  EXPECT_EQ(s.game.aru[76], 108);
  EXPECT_EQ(gamen.pic[27], 108);
  EXPECT_EQ(gamen.t("tokipl1l"), "3");
  EXPECT_EQ(gamen.t("tokipl2l"), "2");
  EXPECT_EQ(s.game.rekitoki1[3], 3);
  EXPECT_EQ(s.game.rekitoki2[3], 2);
  EXPECT_EQ(s.zenntel, "---");
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_FALSE(gamen.shown(Senn::senn2));
  // The next click is a new selection, not a move of the old one.
  s.e_MouseDown(27);
  EXPECT_EQ(s.game.zyoutai, 2);
  EXPECT_EQ(s.game.sentaku, 27);
  gamen.now = 24;  // the clock restarted at the take-back
  s.e_MouseDown(26);
  EXPECT_EQ(s.game.rekitoki1[3], 3 + 5);
  EXPECT_EQ(s.kifu.substr(s.kifu.size() - 19), "%MATTA\r\nT5\r\n+2726FU");
}

TEST_F(FlowEnd, TakeBackWhenUserSecond) {
  gamen.now = 0;
  s.kaisigote_Click();
  gamen.now = 1;  // computer 2
  reply(33, 34);
  gamen.now = 4;  // user 4
  click(77, 76);
  gamen.now = 5;  // computer 2 -> 4
  reply(43, 44);
  s.modosu_Click();
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_EQ(s.game.aru[77], 108);
  EXPECT_EQ(s.game.aru[34], 208);
  EXPECT_EQ(s.game.aru[43], 208);
  EXPECT_EQ(gamen.t("tokipl1l"), "0");
  EXPECT_EQ(gamen.t("tokipl2l"), "2");
  EXPECT_EQ(s.game.rekitoki2[2], 2);
}

TEST_F(FlowEnd, ClosingDuringTheUsersTurnAsksAndNoKeepsTheGame) {
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  gamen.answers = {false};
  EXPECT_TRUE(s.Form_Unload());
  ASSERT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(gamen.questions[0], "対局中です。終了しますか？");
  EXPECT_EQ(s.game.zyoutai, 2);
  EXPECT_EQ(s.game.sentaku, 77);
  s.e_MouseDown(76);
  EXPECT_EQ(s.game.aru[76], 108);
  gamen.answers = {true};
  s.game.zyoutai = 1;
  EXPECT_FALSE(s.Form_Unload());
}

TEST_F(FlowEnd, ClosingBeforeOrAfterAGameDoesNotAsk) {
  EXPECT_FALSE(s.Form_Unload());
  s.kaisisennte_Click();
  s.touryou_Click();
  EXPECT_FALSE(s.Form_Unload());
  EXPECT_TRUE(gamen.questions.empty());
}

TEST_F(FlowEnd, RematchShowsTheStartPanelAndKeepsTheModel) {
  s.kaisisennte_Click();
  click(77, 76);
  reply(33, 34);
  s.touryou_Click();
  s.saisenn_Click();
  EXPECT_TRUE(gamen.kaisiVisible);
  EXPECT_EQ(gamen.timer, 0);
  EXPECT_FALSE(gamen.menus["makimodosi"]);
  EXPECT_FALSE(gamen.menus["makimodosi2"]);
  EXPECT_FALSE(gamen.menus["saisei"]);
  EXPECT_EQ(s.game.aru[76], 108);
  s.makimodosi2_Click();
  EXPECT_EQ(s.game.tesuu, 3) << "navigation is off again";
  s.kaisigote_Click();
  expectStart();
  EXPECT_EQ(s.kifu, "");
  EXPECT_EQ(s.game.rekiaru[3][11], 0) << "the end marker of the old game is gone";
  EXPECT_TRUE(gamen.menus["touryou"]);
  EXPECT_FALSE(gamen.kaisiVisible);
  EXPECT_EQ(gamen.timer, 50);
}

// The rematch item first, then a resignation behind the start panel: the end
// of that game enables navigation, and the next game must switch it off.
TEST_F(FlowEnd, ResigningBehindTheStartPanelLeavesNoNavigationInTheNextGame) {
  s.kaisigote_Click();
  s.saisenn_Click();
  s.touryou_Click();
  EXPECT_TRUE(gamen.menus["saisei"]);
  s.kaisisennte_Click();
  EXPECT_FALSE(gamen.menus["makimodosi"]);
  EXPECT_FALSE(gamen.menus["makimodosi2"]);
  EXPECT_FALSE(gamen.menus["saisei"]);
  s.saisei_Click();
  s.makimodosi_Click();
  EXPECT_EQ(s.game.tesuu, 1);
  expectStart();
}

TEST_F(FlowEnd, RematchWhileThinkingIsPendingStopsTheTimer) {
  s.kaisigote_Click();
  s.saisenn_Click();
  EXPECT_EQ(gamen.timer, 0);
}

}  // namespace
}  // namespace syougi

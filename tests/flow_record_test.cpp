// The record text, the computer's move driver as the window runs it, and
// the files "kifu.csa", "men.txt" and "tusin.txt", byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::emptyBoard;
using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;
using fake::setPosition;

class FlowRecord : public ScratchDir {
 protected:
  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};

  void click(int a, int b) {
    s.e_MouseDown(a);
    s.e_MouseDown(b);
  }
};

TEST_F(FlowRecord, UserFirstGameSavedByteExact) {
  gamen.now = 1000.0;
  s.kaisisennte_Click();
  gamen.now = 1004.2;
  click(77, 76);
  com.push(33, 34);
  gamen.now = 1006.5;
  s.t_Timer();
  EXPECT_EQ(s.kifu, "T5\r\n+7776FU\r\nT3\r\n-3334FU");
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T5\r\n+7776FU\r\nT3\r\n-3334FU\r\n");
  EXPECT_TRUE(gamen.msgs.empty());
}

TEST_F(FlowRecord, UserSecondGameSavedByteExact) {
  gamen.now = 1000.0;
  s.kaisigote_Click();
  EXPECT_EQ(gamen.timer, 50);
  com.push(33, 34);
  gamen.now = 1000.5;
  s.t_Timer();
  gamen.now = 1002.0;
  click(77, 76);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T1\r\n+7776FU\r\nT2\r\n-3334FU\r\n");
}

TEST_F(FlowRecord, SavingAnEmptyRecordWritesOnlyALineBreak) {
  s.kaisisennte_Click();
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "\r\n");
}

TEST_F(FlowRecord, SavingReplacesTheOldFile) {
  {
    std::ofstream f("kifu.csa", std::ios::binary);
    f << "an older and much longer record\r\n";
  }
  s.kaisisennte_Click();
  click(77, 76);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T1\r\n+7776FU\r\n");
}

TEST_F(FlowRecord, UnwritableRecordFileIsReportedAndNothingIsLost) {
  std::filesystem::create_directory("kifu.csa");
  s.kaisisennte_Click();
  click(77, 76);
  s.hozonn_Click();
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "kifu.csa に書き込めません。");
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU");
  EXPECT_EQ(gamen.t("kifu"), "T1\r\n+7776FU");
  EXPECT_EQ(s.game.tesuu, 2);
}

std::string startListing() {
  // The start position written out square by square from the rules of the
  // game: back ranks L N S G K G S N L, rook and bishop, pawns on 3 and 7.
  const int back[10] = {0, 7, 6, 5, 4, 1, 4, 5, 6, 7};
  std::string t;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      int v = 0;
      if (r == 1) v = 200 + back[f];
      if (r == 9) v = 100 + back[f];
      if (r == 3) v = 208;
      if (r == 7) v = 108;
      if (r == 2 && f == 2) v = 203;
      if (r == 2 && f == 8) v = 202;
      if (r == 8 && f == 2) v = 102;
      if (r == 8 && f == 8) v = 103;
      t += "aru(" + std::to_string(f * 10 + r) + ") = " + std::to_string(v) + "\r\n";
    }
  return t;
}

TEST_F(FlowRecord, PositionListingAfterSetup) {
  s.kaisisennte_Click();
  s.kyokumdenn_Click();
  std::string expect = startListing();
  for (int h : {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28})
    expect += "arull(" + std::to_string(h) + ") = 0\r\n";
  EXPECT_EQ(s.men, expect);
  EXPECT_EQ(gamen.t("men"), expect);
  const std::string file = slurp("men.txt");
  EXPECT_EQ(file, expect + "\r\n");
  EXPECT_EQ(file.substr(0, 15), "aru(11) = 207\r\n");
  EXPECT_NE(file.find("\r\naru(51) = 201\r\n"), std::string::npos);
  int lines = 0;
  for (char c : file) lines += c == '\n';
  EXPECT_EQ(lines, 96);
}

std::string emptyHands() {
  std::string t;
  for (int h : {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28})
    t += "arull(" + std::to_string(h) + ") = 0\r\n";
  return t;
}

TEST_F(FlowRecord, ListingBeforeAnyGameIsTheEmptyBoard) {
  s.Form_Load();
  s.kyokumdenn_Click();
  std::string expect;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) expect += "aru(" + std::to_string(f * 10 + r) + ") = 0\r\n";
  EXPECT_EQ(slurp("men.txt"), expect + emptyHands() + "\r\n");
  EXPECT_EQ(s.game.aru, emptyBoard());
}

TEST_F(FlowRecord, ListingAfterNavigationIsThePositionShown) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(33, 34);
  s.t_Timer();
  s.touryou_Click();
  s.makimodosi2_Click();
  s.kyokumdenn_Click();
  EXPECT_EQ(slurp("men.txt"), startListing() + emptyHands() + "\r\n");
  s.saisei_Click();  // after move 1: the pawn on 76, the computer's reply not yet
  s.kyokumdenn_Click();
  std::string after1 = startListing();
  after1.replace(after1.find("aru(76) = 0\r\n"), 13, "aru(76) = 108\r\n");
  after1.replace(after1.find("aru(77) = 108\r\n"), 15, "aru(77) = 0\r\n");
  EXPECT_EQ(slurp("men.txt"), after1 + emptyHands() + "\r\n");
}

TEST_F(FlowRecord, SecondListingReplacesTheFirst) {
  s.kaisisennte_Click();
  s.kyokumdenn_Click();
  Ban b = emptyBoard();
  b[59] = 101;
  b[51] = 201;
  b[56] = 108;
  b[55] = 205;
  setPosition(s, b, {});
  click(56, 55);
  s.kyokumdenn_Click();
  const std::string file = slurp("men.txt");
  EXPECT_EQ(file.size(), s.men.size() + 2);
  EXPECT_NE(file.find("aru(55) = 108\r\naru(56) = 0\r\n"), std::string::npos);
  EXPECT_NE(file.find("arull(15) = 1\r\narull(16) = 0\r\n"), std::string::npos);
  EXPECT_EQ(file.find("aru(11) = 207"), std::string::npos);
  EXPECT_EQ(file.substr(file.size() - 17), "arull(28) = 0\r\n\r\n");
}

TEST_F(FlowRecord, UnwritableListingIsReported) {
  std::filesystem::create_directory("men.txt");
  s.kaisisennte_Click();
  s.kyokumdenn_Click();
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "men.txt に書き込めません。");
  EXPECT_EQ(s.men.substr(0, 15), "aru(11) = 207\r\n");
}

TEST_F(FlowRecord, LinkLogIsResetToOneEmptyLineAtEachStart) {
  {
    std::ofstream f("tusin.txt", std::ios::binary);
    f << "+7776FU\n\r\n";
  }
  s.kaisisennte_Click();
  EXPECT_EQ(slurp("tusin.txt"), "\r\n");
  {
    std::ofstream f("tusin.txt", std::ios::binary | std::ios::app);
    f << "-3334FU\n\r\n";
  }
  s.saisenn_Click();
  s.kaisigote_Click();
  EXPECT_EQ(slurp("tusin.txt"), "\r\n");
}

TEST_F(FlowRecord, UnwritableLinkLogIsReportedAndTheGameStarts) {
  std::filesystem::create_directory("tusin.txt");
  s.kaisisennte_Click();
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "tusin.txt に書き込めません。");
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(s.game.aru[59], 101);
}

TEST_F(FlowRecord, ComputerBishopPromotesOnMoveTwo) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(22, 188);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "-2288UM");
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\nT1\r\n-2288UM");
  EXPECT_EQ(s.zenntel, "88馬");
  EXPECT_EQ(gamen.t("zenntel"), "88馬");
  EXPECT_EQ(s.game.aru[88], 213);
  EXPECT_EQ(s.game.aru[22], 0);
  EXPECT_EQ(s.game.arull[23], 1) << "the user's bishop was taken";
  EXPECT_EQ(gamen.t("l23"), "1");
  EXPECT_EQ(gamen.pic[203], 203);
  EXPECT_EQ(gamen.pic[88], 213);
  EXPECT_TRUE(gamen.shown(Senn::senn2));
  EXPECT_EQ(gamen.senn[Senn::senn2].at, 88);
  EXPECT_EQ(s.game.tesuu, 3);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(gamen.t("tebannl"), "You");
  EXPECT_EQ(gamen.t("tesuul"), "3");
  EXPECT_EQ(gamen.timer, 0);
  EXPECT_EQ(s.game.rekiaru[2][88], 213);
  EXPECT_EQ(s.game.rekiarull[2][23], 1);
}

TEST_F(FlowRecord, PreviousMoveLabelAndRecordNameOfEveryPiece) {
  struct Row {
    int32_t code;
    const char* kanji;
    const char* name;
  };
  const Row rows[] = {{201, "王", "OU"}, {202, "飛", "HI"}, {203, "角", "KA"}, {204, "金", "KI"},
                      {205, "銀", "GI"}, {206, "桂", "KE"}, {207, "香", "KY"}, {208, "歩", "FU"},
                      {212, "龍", "RY"}, {213, "馬", "UM"}, {215, "全", "NG"}, {216, "圭", "NK"},
                      {217, "杏", "NY"}, {218, "と", "TO"}};
  for (const Row& r : rows) {
    s.kaisigote_Click();
    Ban b = emptyBoard();
    b[59] = 101;
    if (r.code != 201) b[51] = 201;
    b[55] = r.code;
    setPosition(s, b, {});
    com.push(55, 54);
    s.t_Timer();
    EXPECT_EQ(s.zenntel, std::string("54") + r.kanji) << r.code;
    EXPECT_EQ(s.game.sasite, std::string("+5556") + r.name) << r.code;
  }
}

TEST_F(FlowRecord, ComputerBishopPromotesOnMoveOne) {
  s.kaisigote_Click();
  com.push(22, 188);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "+8822UM");
  EXPECT_EQ(s.kifu, "T1\r\n+8822UM");
  EXPECT_EQ(s.kifu.substr(0, 1), "T");
  EXPECT_EQ(s.zenntel, "88馬");
  EXPECT_EQ(s.game.aru[88], 213);
}

TEST_F(FlowRecord, ComputerPawnDropOnMoveFour) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(33, 34);
  s.t_Timer();
  click(27, 26);
  s.game.arull[28] = 1;  // as if taken earlier
  com.push(208, 55);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "-0055FU");
  EXPECT_EQ(s.game.aru[55], 208);
  EXPECT_EQ(s.game.arull[28], 0);
  EXPECT_EQ(gamen.pic[208], 0);
  EXPECT_EQ(gamen.t("l28"), "");
  EXPECT_EQ(s.zenntel, "55歩");
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\nT1\r\n-3334FU\r\nT1\r\n+2726FU\r\nT1\r\n-0055FU");
}

TEST_F(FlowRecord, ComputerDropOnMoveOneIsRotated) {
  s.kaisigote_Click();
  s.game.arull[24] = 1;
  com.push(204, 55);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "+0055KI");
  EXPECT_EQ(s.game.arull[24], 0);
}

TEST_F(FlowRecord, ComputerCapturingADragonGetsARook) {
  s.kaisisennte_Click();
  Ban b = emptyBoard();
  b[59] = 101;
  b[51] = 201;
  b[55] = 112;
  b[52] = 202;
  b[99] = 108;
  setPosition(s, b, {});
  click(99, 98);
  com.push(52, 55);
  s.t_Timer();
  EXPECT_EQ(s.game.arull[22], 1);
  EXPECT_EQ(s.game.arull[12], 0);
  EXPECT_EQ(gamen.t("l22"), "1");
  EXPECT_EQ(s.game.sasite, "-5255HI");
}

TEST_F(FlowRecord, ComputerCapturingTheKingAddsNothing) {
  s.kaisisennte_Click();
  Ban b = emptyBoard();
  b[59] = 101;
  b[51] = 201;
  b[99] = 108;
  b[58] = 215;  // not yet attacking anything the user must answer
  setPosition(s, b, {});
  s.game.tesuu = 2;
  s.game.zyoutai = 0;
  com.push(58, 59);
  s.t_Timer();
  for (int c = 0; c < 29; ++c) EXPECT_EQ(s.game.arull[c], 0) << c;
  EXPECT_EQ(s.game.aru[59], 215);
}

TEST_F(FlowRecord, StrategyStageAndCandidatesAreShownAfterTheMove) {
  s.kaisisennte_Click();
  click(77, 76);
  ComKekka k;
  k.moto = 33;
  k.saki = 34;
  k.sennkei = "ibisya";
  k.teban = 2;
  k.searched = true;
  k.ko[0] = "34歩 120";
  k.ko[12] = "last";
  com.te.push_back(k);
  s.t_Timer();
  EXPECT_EQ(gamen.t("sennkeil"), "ibisya");
  EXPECT_EQ(gamen.t("hannl"), "2");
  EXPECT_EQ(gamen.t("ko0"), "34歩 120");
  EXPECT_EQ(gamen.t("ko12"), "last");
  EXPECT_EQ(s.sennkei, "ibisya");
}

TEST_F(FlowRecord, ComputerClockRunsOverItsOwnMoves) {
  gamen.now = 500.0;
  s.kaisisennte_Click();
  gamen.now = 502.0;  // user 3 s
  click(77, 76);
  gamen.now = 506.5;  // computer Int(4.5)+1 = 5
  com.push(33, 34);
  s.t_Timer();
  EXPECT_EQ(s.game.rekitoki2[2], 5);
  EXPECT_EQ(gamen.t("tokipl2l"), "5");
  EXPECT_FLOAT_EQ(s.game.kaisitoki, 506.5f);
  gamen.now = 507.0;  // user Int(0.5)+1 = 1, total 4
  click(27, 26);
  EXPECT_EQ(gamen.t("tokipl1l"), "4");
  gamen.now = 517.0;  // computer 11, total 16
  com.push(43, 44);
  s.t_Timer();
  EXPECT_EQ(s.game.rekitoki2[4], 16);
  EXPECT_EQ(gamen.t("tokipl2l"), "16");
  EXPECT_EQ(s.kifu, "T3\r\n+7776FU\r\nT5\r\n-3334FU\r\nT1\r\n+2726FU\r\nT11\r\n-4344FU");
}

// The time line of move 1 for either mover, when the clock reads `now` at
// the move and read `start` when the turn began: a difference below half a
// day back is a midnight crossing, a smaller one a clock set back (0 s).
struct Tokei {
  bool com;  // the computer makes move 1
  double start, now;
  int t;
};

void PrintTo(const Tokei& k, std::ostream* os) {
  *os << (k.com ? "com " : "user ") << k.start << " -> " << k.now;
}

class FlowRecordTokei : public FlowRecord, public ::testing::WithParamInterface<Tokei> {};

TEST_P(FlowRecordTokei, TimeLineOfTheFirstMove) {
  const Tokei k = GetParam();
  gamen.now = k.start;
  if (k.com) {
    s.kaisigote_Click();
    gamen.now = k.now;
    com.push(33, 34);
    s.t_Timer();
  } else {
    s.kaisisennte_Click();
    gamen.now = k.now;
    click(77, 76);
  }
  EXPECT_EQ(s.kifu, "T" + std::to_string(k.t) + "\r\n+7776FU");
  EXPECT_EQ(k.com ? s.game.rekitoki2[1] : s.game.rekitoki1[1], k.t);
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, FlowRecordTokei,
    ::testing::Values(Tokei{false, 86399.5, 3.25, 4},      // 3.75 s over midnight
                      Tokei{true, 86395.0, 10.0, 16},      // 15 s over midnight
                      Tokei{false, 36000.0, 35990.0, 1},   // set back 10 s
                      Tokei{true, 36000.0, 35999.5, 1},    // set back half a second
                      Tokei{false, 50000.0, 6800.5, 1},    // back 43199.5 s: still set back
                      Tokei{true, 50000.0, 6800.5, 1},
                      Tokei{false, 50000.0, 6799.5, 43200},  // back 43200.5 s: midnight
                      Tokei{true, 50000.0, 6799.5, 43200}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(FlowRecord, ResignsBelowMinusThirtyThousand) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(33, 34, -30001);
  s.t_Timer();
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\n%TORYO");
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "あなたの勝ちです");
  EXPECT_EQ(s.game.aru[33], 208) << "nothing of the move is applied";
  EXPECT_EQ(s.game.aru[34], 0);
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_EQ(s.game.rekiaru[2][11], 999);
  EXPECT_FALSE(gamen.menus["touryou"]);
  EXPECT_TRUE(gamen.menus["saisei"]);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T1\r\n+7776FU\r\n%TORYO\r\n");
}

TEST_F(FlowRecord, MinusThirtyThousandStillPlays) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(33, 34, -30000);
  s.t_Timer();
  EXPECT_TRUE(gamen.msgs.empty());
  EXPECT_EQ(s.game.aru[34], 208);
  EXPECT_EQ(s.game.sasite, "-3334FU");
  EXPECT_EQ(s.game.zyoutai, 1);
}

TEST_F(FlowRecord, AutomaticMatchSendsMovesAndResignation) {
  std::vector<std::string> sent;
  s.sousin = [&](const std::string& m) { sent.push_back(m); };
  gamen.zidouOn = true;
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "+7776FU");
  const std::string uketa = "-3334FU\n";
  s.zyusinmsg = &uketa;
  click(77, 76);
  // The resignation is sent before the message box is shown.
  gamen.onMsgbox = [&] { EXPECT_EQ(sent.size(), 2u); };
  com.push(0, 0, -32000);
  s.t_Timer();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1], "%TORYO");
}

TEST_F(FlowRecord, NothingIsSentWithoutTheCheckBox) {
  std::vector<std::string> sent;
  s.sousin = [&](const std::string& m) { sent.push_back(m); };
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  EXPECT_TRUE(sent.empty());
}

TEST_F(FlowRecord, AutomaticSendWithoutALinkDoesNotStopTheMove) {
  gamen.zidouOn = true;
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "+7776FU");
  EXPECT_EQ(s.game.zyoutai, 1);
}

TEST_F(FlowRecord, OneArmingGivesExactlyOneComputerMove) {
  s.kaisisennte_Click();
  click(77, 76);
  // The timer fires again while the resignation box is open.
  gamen.onMsgbox = [&] { s.t_Timer(); };
  com.push(0, 0, -31000);
  s.t_Timer();
  EXPECT_EQ(com.askedAt.size(), 1u);
  EXPECT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.timer, 0);
}

TEST_F(FlowRecord, TickWithoutComputerDoesNothing) {
  FakeGamen g2;
  Syougi bare{g2, nullptr};
  bare.kaisigote_Click();
  bare.t_Timer();
  EXPECT_EQ(bare.game.tesuu, 1);
  EXPECT_EQ(bare.kifu, "");
  EXPECT_EQ(bare.game.aru[33], 208);
  EXPECT_EQ(g2.timer, 0);
}

TEST_F(FlowRecord, ComputerMoveAtTheHistoryBoundEndsTheGame) {
  s.kaisigote_Click();
  s.game.tesuu = 351;
  com.push(33, 34);
  s.t_Timer();
  EXPECT_TRUE(com.askedAt.empty());
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_NE(gamen.msgs[0].find("350"), std::string::npos);
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_FALSE(gamen.menus["touryou"]);
  EXPECT_TRUE(gamen.menus["saisei"]);
  EXPECT_EQ(s.game.aru[34], 0);
  // Navigation stops at the last stored position.
  s.makimodosi_Click();
  EXPECT_EQ(s.game.tesuu, 350);
  s.saisei_Click();
  EXPECT_EQ(s.game.tesuu, 350);
  EXPECT_EQ(gamen.beeps, 1);
}

TEST_F(FlowRecord, ComputerMoveThreeHundredFiftyIsStillPlayed) {
  s.kaisisennte_Click();
  s.game.tesuu = 350;
  com.push(33, 34);
  s.t_Timer();
  EXPECT_EQ(s.game.rekiaru[350][34], 208);
  EXPECT_EQ(s.game.tesuu, 351);
}

TEST_F(FlowRecord, BrokenComputerMoveIsNotApplied) {
  s.kaisisennte_Click();
  click(77, 76);
  com.push(77, 76);  // a user piece
  s.t_Timer();
  EXPECT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(s.game.aru[76], 108);
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_FALSE(gamen.menus["touryou"]);
}

TEST_F(FlowRecord, ComputerGoldCannotPromote) {
  s.kaisigote_Click();
  com.push(41, 132);  // gold 41 to 32 "promoting"
  s.t_Timer();
  EXPECT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(s.game.aru[41], 204);
  EXPECT_EQ(s.game.aru[32], 0);
  EXPECT_EQ(s.kifu, "");
}

}  // namespace
}  // namespace syougi

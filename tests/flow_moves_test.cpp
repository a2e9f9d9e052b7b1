// The user's moves through the click handler: selection, refusals, drops,
// promotion, capture, king safety, record line, clocks and hand-over.
#include <gtest/gtest.h>

#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::emptyBoard;
using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;
using fake::setPosition;

class FlowMoves : public ScratchDir {
 protected:
  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};
  std::string uketa;  // stands for the link's receive buffer

  int marked() {
    int n = 0;
    for (int c = 0; c <= 110; ++c) n += s.game.ikeru[c];
    return n;
  }
  // Kings on 59 and 51 plus the given pieces; user to play move 1.
  void position(std::initializer_list<std::pair<int, int32_t>> pieces, Mochi hands = {}) {
    s.kaisisennte_Click();
    Ban b = emptyBoard();
    b[59] = 101;
    b[51] = 201;
    for (auto [sq, code] : pieces) b[sq] = code;
    setPosition(s, b, hands);
    s.arawasu();
  }
  void click(int a, int b) {
    s.e_MouseDown(a);
    s.e_MouseDown(b);
  }
};

TEST_F(FlowMoves, SelectingAnOwnPawnMarksOnlyTheSquareAhead) {
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  EXPECT_EQ(s.game.zyoutai, 2);
  EXPECT_EQ(s.game.sentaku, 77);
  EXPECT_TRUE(gamen.shown(Senn::senn1));
  EXPECT_EQ(gamen.senn[Senn::senn1].at, 77);
  EXPECT_FALSE(gamen.shown(Senn::senn11));
  EXPECT_EQ(s.game.ikeru[76], 1);
  EXPECT_EQ(marked(), 1);
  EXPECT_EQ(gamen.beeps, 0);
}

TEST_F(FlowMoves, ClickingTheSelectedPieceAgainDeselectsWithoutBeep) {
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  s.e_MouseDown(77);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_EQ(gamen.beeps, 0);
}

TEST_F(FlowMoves, ClickingEmptyOrComputerSquareWithNothingSelectedBeeps) {
  s.kaisisennte_Click();
  s.e_MouseDown(55);
  EXPECT_EQ(gamen.beeps, 1);
  s.e_MouseDown(33);
  EXPECT_EQ(gamen.beeps, 2);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
}

TEST_F(FlowMoves, EmptyHandSlotBeepsAndDropsTheSelection) {
  s.kaisisennte_Click();
  s.e_MouseDown(108);
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.game.zyoutai, 1);
  s.e_MouseDown(77);
  s.e_MouseDown(103);
  EXPECT_EQ(gamen.beeps, 2);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_FALSE(gamen.shown(Senn::senn11));
}

TEST_F(FlowMoves, AnotherOwnPieceMovesTheSelection) {
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  s.e_MouseDown(28);
  EXPECT_EQ(s.game.zyoutai, 2);
  EXPECT_EQ(s.game.sentaku, 28);
  EXPECT_EQ(gamen.senn[Senn::senn1].at, 28);
  // Rook on 28 at the start: 18, and 38 to 78 up to the own bishop.
  EXPECT_EQ(s.game.ikeru[27], 0);  // own pawn
  EXPECT_EQ(s.game.ikeru[18], 1);
  EXPECT_EQ(s.game.ikeru[38], 1);
  EXPECT_EQ(s.game.ikeru[78], 1);
  EXPECT_EQ(s.game.ikeru[88], 0);  // own bishop stops the slide
  EXPECT_EQ(marked(), 6);
  EXPECT_EQ(gamen.beeps, 0);
}

TEST_F(FlowMoves, HandAndBoardSelectionsHideEachOthersMarker) {
  Mochi m{};
  m[18] = 1;
  position({{77, 108}}, m);
  s.e_MouseDown(77);
  s.e_MouseDown(108);
  EXPECT_TRUE(gamen.shown(Senn::senn11));
  EXPECT_EQ(gamen.senn[Senn::senn11].at, 108);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  s.e_MouseDown(77);
  EXPECT_TRUE(gamen.shown(Senn::senn1));
  EXPECT_EQ(gamen.senn[Senn::senn1].at, 77);
  EXPECT_FALSE(gamen.shown(Senn::senn11));
  EXPECT_EQ(gamen.beeps, 0);
}

TEST_F(FlowMoves, UnmarkedDestinationBeepsAndDeselects) {
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  s.e_MouseDown(75);
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_EQ(s.game.aru[77], 108);
  EXPECT_EQ(s.game.tesuu, 1);
}

TEST_F(FlowMoves, ClicksBeforeTheComputersFirstMoveOnlyBeep) {
  s.kaisigote_Click();
  s.e_MouseDown(77);
  s.e_MouseDown(76);
  EXPECT_EQ(gamen.beeps, 2);
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(s.game.aru[77], 108);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
}

TEST_F(FlowMoves, PawnMoveIsRecordedTimedAndHandedOver) {
  gamen.now = 36000.0;
  s.kaisisennte_Click();
  gamen.now = 36004.5;
  s.e_MouseDown(77);
  s.e_MouseDown(76);
  EXPECT_EQ(gamen.pic[76], 108);
  EXPECT_EQ(gamen.pic[77], 0);
  EXPECT_EQ(s.zenntel, "76歩");
  EXPECT_EQ(gamen.t("zenntel"), "76歩");
  EXPECT_EQ(s.kifu, "T5\r\n+7776FU");
  EXPECT_EQ(gamen.t("kifu"), "T5\r\n+7776FU");
  EXPECT_EQ(s.game.sasite, "+7776FU");
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_EQ(gamen.t("tesuul"), "2");
  EXPECT_EQ(gamen.t("tebannl"), "Com");
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(gamen.timer, 10);
  EXPECT_EQ(s.game.rekiaru[1][76], 108);
  EXPECT_EQ(s.game.rekiaru[1][77], 0);
  EXPECT_EQ(s.game.rekitoki1[1], 5);
  EXPECT_EQ(gamen.t("tokipl1l"), "5");
  EXPECT_FLOAT_EQ(s.game.kaisitoki, 36004.5f);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_EQ(gamen.beeps, 0);
  EXPECT_TRUE(gamen.questions.empty());
}

TEST_F(FlowMoves, PawnDropRulesTwoPawnsAndRankOne) {
  Mochi m{};
  m[18] = 1;
  position({{57, 108}, {47, 118}}, m);
  s.e_MouseDown(108);
  EXPECT_TRUE(gamen.shown(Senn::senn11));
  EXPECT_EQ(gamen.senn[Senn::senn11].at, 108);
  for (int r = 1; r <= 9; ++r) EXPECT_EQ(s.game.ikeru[50 + r], 0) << "file 5 has a pawn";
  EXPECT_EQ(s.game.ikeru[45], 1) << "a tokin does not count as a pawn";
  EXPECT_EQ(s.game.ikeru[41], 0);
  EXPECT_EQ(s.game.ikeru[47], 0);  // occupied
  EXPECT_EQ(s.game.ikeru[31], 0);
  EXPECT_EQ(s.game.ikeru[32], 1);
  EXPECT_EQ(s.game.ikeru[59], 0);
  s.e_MouseDown(55);
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn11));
  EXPECT_EQ(s.game.aru[55], 0);

  click(108, 45);
  EXPECT_EQ(s.game.aru[45], 108);
  EXPECT_EQ(s.game.arull[18], 0);
  EXPECT_EQ(s.kifu, "T1\r\n+0045FU");
  EXPECT_EQ(s.zenntel, "45歩");
  EXPECT_EQ(gamen.pic[108], 0);
  EXPECT_EQ(gamen.t("l18"), "");
}

TEST_F(FlowMoves, KnightAndLanceDropRanks) {
  Mochi m{};
  m[16] = 1;
  m[17] = 2;
  position({}, m);
  s.e_MouseDown(106);
  EXPECT_EQ(s.game.ikeru[31], 0);
  EXPECT_EQ(s.game.ikeru[32], 0);
  EXPECT_EQ(s.game.ikeru[33], 1);
  EXPECT_EQ(s.game.ikeru[99], 1);
  s.e_MouseDown(107);
  EXPECT_EQ(s.game.sentaku, 107);
  EXPECT_EQ(s.game.ikeru[31], 0);
  EXPECT_EQ(s.game.ikeru[32], 1);
  EXPECT_EQ(gamen.t("l17"), "2");
  s.e_MouseDown(32);
  EXPECT_EQ(s.game.aru[32], 107);
  EXPECT_EQ(gamen.t("l17"), "1");
  EXPECT_EQ(s.kifu, "T1\r\n+0032KY");
}

TEST_F(FlowMoves, PawnReachingRankOnePromotesWithoutQuestion) {
  position({{12, 108}});
  click(12, 11);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.game.aru[11], 118);
  EXPECT_EQ(s.kifu, "T1\r\n+1211TO");
  EXPECT_EQ(s.zenntel, "11と");
}

TEST_F(FlowMoves, KnightReachingRankTwoPromotesWithoutQuestion) {
  position({{34, 106}});
  click(34, 22);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.game.aru[22], 116);
  EXPECT_EQ(s.kifu, "T1\r\n+3422NK");
  EXPECT_EQ(s.zenntel, "22圭");
}

TEST_F(FlowMoves, LanceReachingRankOnePromotesWithoutQuestion) {
  position({{15, 107}});
  click(15, 11);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.game.aru[11], 117);
  EXPECT_EQ(s.kifu, "T1\r\n+1511NY");
}

TEST_F(FlowMoves, KnightToRankThreeIsAskedAndNoKeepsIt) {
  position({{55, 106}});
  gamen.answers = {false};
  click(55, 43);
  ASSERT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(gamen.questions[0], "成りますか？");
  EXPECT_EQ(s.game.aru[43], 106);
  EXPECT_EQ(s.kifu, "T1\r\n+5543KE");
}

TEST_F(FlowMoves, SilverIntoTheZoneAskedYesPromotes) {
  position({{44, 105}});
  gamen.answers = {true};
  click(44, 33);
  ASSERT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(gamen.questions[0], "成りますか？");
  EXPECT_EQ(s.game.aru[33], 115);
  EXPECT_EQ(s.kifu, "T1\r\n+4433NG");
  EXPECT_EQ(s.zenntel, "33全");
}

TEST_F(FlowMoves, SilverIntoTheZoneAskedNoStaysSilver) {
  position({{44, 105}});
  gamen.answers = {false};
  click(44, 33);
  EXPECT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(s.game.aru[33], 105);
  EXPECT_EQ(s.kifu, "T1\r\n+4433GI");
  EXPECT_EQ(s.zenntel, "33銀");
}

TEST_F(FlowMoves, SilverLeavingTheZoneIsAsked) {
  position({{33, 105}});
  gamen.answers = {true};
  click(33, 44);
  EXPECT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(s.game.aru[44], 115);
  EXPECT_EQ(s.kifu, "T1\r\n+3344NG");
}

TEST_F(FlowMoves, SilverOutsideTheZoneIsNotAsked) {
  position({{45, 105}});
  click(45, 44);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.game.aru[44], 105);
}

TEST_F(FlowMoves, GoldKingAndPromotedPiecesAreNeverAsked) {
  position({{44, 104}});
  click(44, 33);
  EXPECT_EQ(s.game.aru[33], 104);
  position({{44, 115}});
  click(44, 33);
  EXPECT_EQ(s.game.aru[33], 115);
  position({{44, 113}});
  click(44, 33);
  EXPECT_EQ(s.game.aru[33], 113);
  s.kaisisennte_Click();
  Ban b = emptyBoard();
  b[44] = 101;
  b[91] = 201;
  setPosition(s, b, {});
  click(44, 33);
  EXPECT_EQ(s.game.aru[33], 101);
  EXPECT_EQ(s.kifu, "T1\r\n+4433OU");
  EXPECT_TRUE(gamen.questions.empty());
}

TEST_F(FlowMoves, BishopIntoTheZoneIsAsked) {
  position({{77, 103}});
  gamen.answers = {true};
  click(77, 33);
  EXPECT_EQ(gamen.questions.size(), 1u);
  EXPECT_EQ(s.game.aru[33], 113);
  EXPECT_EQ(s.kifu, "T1\r\n+7733UM");
  EXPECT_EQ(s.zenntel, "33馬");
}

TEST_F(FlowMoves, CaptureGoesToTheHandUnpromoted) {
  position({{56, 108}, {55, 205}, {66, 104}, {65, 212}});
  click(56, 55);
  EXPECT_EQ(s.game.arull[15], 1);
  EXPECT_EQ(gamen.pic[105], 105);
  EXPECT_EQ(gamen.t("l15"), "1");
  EXPECT_EQ(s.kifu, "T1\r\n+5655FU");
  // Back to the user's turn by hand to try the dragon.
  s.game.zyoutai = 1;
  s.game.tesuu = 1;
  click(66, 65);
  EXPECT_EQ(s.game.arull[12], 1) << "a dragon comes back as a rook";
  EXPECT_EQ(s.game.arull[22], 0);
}

TEST_F(FlowMoves, CapturingTheKingAddsNothing) {
  position({{52, 108}});
  click(52, 51);
  for (int c = 0; c < 29; ++c) EXPECT_EQ(s.game.arull[c], 0) << c;
  EXPECT_EQ(s.game.aru[51], 118);
}

TEST_F(FlowMoves, PinnedPieceMoveIsUndoneAndStaysSelected) {
  position({{58, 104}, {52, 202}});
  s.e_MouseDown(58);
  s.e_MouseDown(48);
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.zenntel, "---");
  EXPECT_EQ(s.game.aru[58], 104);
  EXPECT_EQ(s.game.aru[48], 0);
  EXPECT_EQ(gamen.pic[58], 104);
  EXPECT_EQ(gamen.pic[48], 0);
  EXPECT_EQ(s.game.zyoutai, 2);
  EXPECT_EQ(s.game.sentaku, 58);
  EXPECT_TRUE(gamen.shown(Senn::senn1));
  EXPECT_EQ(s.kifu, "");
  EXPECT_EQ(s.game.tesuu, 1);
  EXPECT_EQ(gamen.timer, 0);
  // Another destination at once, still covering the king.
  s.e_MouseDown(57);
  EXPECT_EQ(s.game.aru[57], 104);
  EXPECT_EQ(s.kifu, "T1\r\n+5857KI");
  EXPECT_EQ(s.game.tesuu, 2);
}

TEST_F(FlowMoves, UndoneCaptureGivesThePieceBack) {
  // The king stays in check from the rook whatever the pawn takes.
  position({{56, 108}, {55, 205}, {49, 202}});
  s.e_MouseDown(56);
  s.e_MouseDown(55);
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_EQ(s.game.arull[15], 0);
  EXPECT_EQ(s.game.aru[55], 205);
  EXPECT_EQ(s.game.aru[56], 108);
}

TEST_F(FlowMoves, UserSecondMovesAtTwoWithOwnClockAndRotatedRecord) {
  gamen.now = 100.0;
  s.kaisigote_Click();
  com.push(33, 34);
  gamen.now = 103.0;
  s.t_Timer();
  EXPECT_EQ(s.kifu, "T4\r\n+7776FU");
  gamen.now = 110.25;
  click(77, 76);
  EXPECT_EQ(s.kifu, "T4\r\n+7776FU\r\nT8\r\n-3334FU");
  EXPECT_EQ(s.game.rekitoki1[2], 8);
  EXPECT_EQ(gamen.t("tokipl1l"), "8");
  com.push(43, 44);
  gamen.now = 111.0;
  s.t_Timer();
  gamen.now = 113.0;
  click(27, 26);
  EXPECT_EQ(s.game.rekitoki1[4], 8 + 3);
  EXPECT_EQ(gamen.t("tokipl1l"), "11");
  EXPECT_EQ(s.game.sasite, "-8384FU");
}

TEST_F(FlowMoves, UserDropAtEvenMoveIsRotated) {
  s.kaisigote_Click();
  s.game.tesuu = 2;
  s.game.zyoutai = 1;
  Mochi m{};
  m[13] = 1;
  Ban b = emptyBoard();
  b[59] = 101;
  b[51] = 201;
  setPosition(s, b, m);
  click(103, 55);
  EXPECT_EQ(s.game.sasite, "-0055KA");
  EXPECT_EQ(s.kifu, "\r\nT1\r\n-0055KA");
}

TEST_F(FlowMoves, LinkPromotionComesFromTheReceivedText) {
  gamen.zidouOn = true;
  position({{44, 105}});
  uketa = "+4433NG\n";
  s.zyusinmsg = &uketa;
  click(44, 33);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.game.aru[33], 115);
  EXPECT_EQ(s.game.sasite, "+4433NG");

  position({{44, 105}});
  uketa = "+4433GI\n";
  s.zyusinmsg = &uketa;
  click(44, 33);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(s.game.aru[33], 105);
  EXPECT_EQ(s.game.sasite, "+4433GI");
}

TEST_F(FlowMoves, LinkTextCannotUndoAForcedPromotion) {
  gamen.zidouOn = true;
  position({{12, 108}});
  uketa = "+1211FU\n";
  s.zyusinmsg = &uketa;
  click(12, 11);
  EXPECT_EQ(s.game.aru[11], 118);
  EXPECT_EQ(s.game.sasite, "+1211TO");
}

TEST_F(FlowMoves, MoveThreeHundredFiftyOneIsRefused) {
  s.kaisisennte_Click();
  s.game.tesuu = 351;
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  setPosition(s, b, m);
  const std::string before = s.kifu;
  click(77, 76);
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_NE(gamen.msgs[0].find("350"), std::string::npos);
  EXPECT_EQ(s.game.aru[77], 108);
  EXPECT_EQ(s.game.aru[76], 0);
  EXPECT_EQ(s.game.tesuu, 351);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(s.kifu, before);
  EXPECT_EQ(gamen.timer, 0);
}

TEST_F(FlowMoves, MoveThreeHundredFiftyIsStillPlayed) {
  s.kaisisennte_Click();
  s.game.tesuu = 350;
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  setPosition(s, b, m);
  click(77, 76);
  EXPECT_TRUE(gamen.msgs.empty());
  EXPECT_EQ(s.game.rekiaru[350][76], 108);
  EXPECT_EQ(s.game.tesuu, 351);
}

}  // namespace
}  // namespace syougi

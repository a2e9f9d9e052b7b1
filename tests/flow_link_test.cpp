// The link wired into the game flow: received messages become the user's
// clicks or resignation, the computer's moves go out in an automatic match,
// and the panel's dialogs reach the screen. A scripted port stands in for
// the serial line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port.h"
#include "model/board.h"
#include "tests/fake_port.h"
#include "tests/flow_fake.h"
#include "window/tusinsyougi.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;
using fake::ScriptPort;

class FlowLink : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    link.kansi = [this](int fd) { watched.push_back(fd); };
    s.Form_Load();
  }

  // The other side's message arrives in one piece.
  void receive(const std::string& m) {
    port.input = m;
    port.pending = {kEvReceive};
    link.tusin.portEvents();
  }

  // The visible link buttons, in a fixed order.
  std::string shown() {
    std::string r;
    for (const char* n : {"Command1", "Command2_0", "Command2_1", "Command3", "Command4"})
      if (gamen.visible[n]) r += std::string(r.empty() ? "" : " ") + n;
    return r;
  }

  // The position before the move now to be played, with both kings.
  void position(const std::vector<std::pair<int, int32_t>>& pieces, Mochi m = {}) {
    Ban b = fake::emptyBoard();
    b[59] = 101;
    b[51] = 201;
    for (auto [sq, code] : pieces) b[sq] = code;
    fake::setPosition(s, b, m);
    s.arawasu();
  }

  // An automatic match the user moved first in: move 1 received, the reply
  // sent, the other side to play move 3.
  void atMoveThree() {
    gamen.zidouOn = true;
    link.tusin.Command2_Click(0);
    s.kaisisennte_Click();
    receive("+7776FU\n");
    com.push(33, 34);
    s.t_Timer();
    port.written.clear();
  }

  // `m` arrives while the next box is open, and the window, in the box's
  // loop, looks at the port; the record and the move number as they were
  // then are kept.
  void arrivesInBox(const std::string& m) {
    gamen.inBox = [this, m, done = false]() mutable {
      if (done) return;
      done = true;
      port.input = m;
      port.pending = {kEvReceive};
      link.tusin.portEvents();
      kifuInBox = s.kifu;
      tesuuInBox = s.game.tesuu;
    };
  }

  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};
  std::string kifuInBox;
  int32_t tesuuInBox = 0;
  ScriptPort port;
  SyougiTusin link{gamen, s, port};
  std::vector<int> watched;
};

// --- received moves ---

TEST_F(FlowLink, MoveOneIsClickedWithItsOwnSquaresAndAnswered) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  EXPECT_EQ(shown(), "Command4");
  EXPECT_EQ(watched, (std::vector<int>{42}));
  s.kaisisennte_Click();
  receive("+7776FU\n");
  EXPECT_EQ(s.game.aru[77], 0);
  EXPECT_EQ(s.game.aru[76], 108);
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU");
  EXPECT_EQ(gamen.t("InMsg"), "+7776FU");
  EXPECT_EQ(gamen.timer, 10);  // the reply comes from the timer, not from here
  EXPECT_EQ(shown(), "Command1 Command3 Command4");
  EXPECT_TRUE(port.written.empty());
  EXPECT_TRUE(link.tusin.zyusinmsg.empty());

  com.push(33, 34);
  s.t_Timer();
  // Move 2 is the second player's: squares as they are.
  EXPECT_EQ(port.written, "-3334FU\n");
  EXPECT_EQ(gamen.t("OutMsg"), "-3334FU");
  EXPECT_EQ(shown(), "Command4");
  EXPECT_EQ(link.tusin.sousinmode, Tusin::kFalse);
  EXPECT_EQ(slurp("tusin.txt"), "\r\n+7776FU\n\r\n-3334FU\n\r\n");
  EXPECT_TRUE(gamen.msgs.empty());
  EXPECT_TRUE(gamen.okCancels.empty());
}

TEST_F(FlowLink, MoveTwoIsTurnedRoundOntoTheBoard) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(1);
  EXPECT_EQ(shown(), "Command1 Command3 Command4");
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  // Move 1 is the computer's as first player: 33 is written 77, 34 is 76.
  EXPECT_EQ(port.written, "+7776FU\n");
  EXPECT_EQ(shown(), "Command4");
  receive("-3334FU\n");
  // 110 - 33 = 77 and 110 - 34 = 76 on the user's side of the board.
  EXPECT_EQ(s.game.aru[77], 0);
  EXPECT_EQ(s.game.aru[76], 108);
  EXPECT_EQ(s.game.aru[34], 208);
  EXPECT_EQ(s.game.tesuu, 3);
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\nT1\r\n-3334FU");
  EXPECT_EQ(slurp("tusin.txt"), "\r\n+7776FU\n\r\n-3334FU\n\r\n");
}

TEST_F(FlowLink, DropOnMoveTwoKeepsTheHandCodeAndTurnsTheSquare) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  s.game.tesuu = 2;
  Mochi m{};
  m[14] = 1;
  position({}, m);
  receive("-0028KI\n");
  // Hand code 104 as it is, square 110 - 28 = 82.
  EXPECT_EQ(s.game.aru[82], 104);
  EXPECT_EQ(s.game.arull[14], 0);
  EXPECT_EQ(s.game.sasite, "-0028KI");
  EXPECT_EQ(s.game.tesuu, 3);
}

TEST_F(FlowLink, ResignationReceivedEndsTheGameWithoutAMove) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  const Ban before = s.game.aru;
  receive("%TORYO\n");
  EXPECT_EQ(s.game.aru, before);
  EXPECT_EQ(s.kifu, "\r\n%TORYO");
  EXPECT_EQ(gamen.msgs, (std::vector<std::string>{"コンピュータの勝ちです"}));
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_FALSE(gamen.menus["touryou"]);
  EXPECT_TRUE(gamen.menus["saisei"]);
  EXPECT_EQ(gamen.t("InMsg"), "%TORYO");
  EXPECT_EQ(slurp("tusin.txt"), "\r\n%TORYO\n\r\n");
  EXPECT_TRUE(port.written.empty());
}

// --- nothing of the game inside a box ---

// A message arriving while a box is open waits in the port and is handled
// when the window next looks, after the box: a move is then refused if the
// game has ended, a second resignation finds nothing to resign.
struct InBox {
  bool resign;  // the box: the user's resignation, else the close question answered No
  const char* msg;
  const char* kifuAfter;  // what follows "T1 +7776FU T1 -3334FU"
  int beeps;
  int timer;
};

void PrintTo(const InBox& b, std::ostream* os) { *os << (b.resign ? "resign " : "close ") << b.msg; }

class FlowLinkInBox : public FlowLink, public ::testing::WithParamInterface<InBox> {};

TEST_P(FlowLinkInBox, ArrivalWaitsForTheBox) {
  const InBox b = GetParam();
  atMoveThree();
  const std::string base = "T1\r\n+7776FU\r\nT1\r\n-3334FU";
  const std::string m = std::string(b.msg) + "\n";
  arrivesInBox(m);
  if (b.resign) {
    s.touryou_Click();
  } else {
    gamen.answers = {false};
    EXPECT_TRUE(s.Form_Unload());
  }
  EXPECT_EQ(tesuuInBox, 3);
  EXPECT_EQ(kifuInBox, b.resign ? base + "\r\n%TORYO" : base);
  EXPECT_EQ(port.input, m);  // not read yet
  link.tusin.portEvents();
  EXPECT_EQ(s.kifu, base + b.kifuAfter);
  EXPECT_EQ(gamen.msgs.size(), b.resign ? 1u : 0u);
  EXPECT_EQ(gamen.beeps, b.beeps);
  EXPECT_EQ(gamen.timer, b.timer);
  EXPECT_TRUE(port.written.empty());
  // Handled, and the link is this side's to send, as after any message.
  EXPECT_EQ(gamen.t("InMsg"), b.msg);
  EXPECT_EQ(shown(), "Command1 Command3 Command4");
  EXPECT_TRUE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, FlowLinkInBox,
    ::testing::Values(InBox{true, "+2726FU", "\r\n%TORYO", 2, 0},  // both clicks refused
                      InBox{true, "%TORYO", "\r\n%TORYO", 0, 0},   // no second box
                      InBox{false, "+2726FU", "\r\nT1\r\n+2726FU", 0, 10}),  // played after
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(FlowLink, TickDuringTheErrorDialogWaitsForItToClose) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  size_t askedInBox = 99;
  gamen.inBox = [&] {
    s.t_Timer();  // the reply's timer fires in the dialog's loop
    askedInBox = com.askedAt.size();
  };
  com.push(33, 34);
  port.input = "+7776FU\n";
  port.pending = {kEvReceive, kErFrame};
  link.tusin.portEvents();
  ASSERT_EQ(gamen.okCancels.size(), 1u);
  EXPECT_EQ(askedInBox, 0u);
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(gamen.timer, 10);  // armed again once the dialog has closed
  gamen.inBox = nullptr;
  s.t_Timer();
  EXPECT_EQ(port.written, "-3334FU\n");
  EXPECT_EQ(s.game.tesuu, 3);
}

TEST_F(FlowLink, MoveArrivingDuringThePromotionQuestionWaitsForTheClick) {
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  position({{44, 105}, {77, 108}});
  arrivesInBox("+7776FU\n");
  gamen.answers = {true};
  s.e_MouseDown(44);
  s.e_MouseDown(33);
  // The answered click finishes with the silver it had selected.
  EXPECT_EQ(gamen.questions, (std::vector<std::string>{"成りますか？"}));
  EXPECT_EQ(tesuuInBox, 1);
  EXPECT_EQ(s.game.aru[33], 115);
  EXPECT_EQ(s.game.aru[44], 0);
  EXPECT_EQ(s.kifu, "T1\r\n+4433NG");
  EXPECT_EQ(s.game.aru[77], 108);
  // Then the move comes, on the computer's turn, and is refused.
  link.tusin.portEvents();
  EXPECT_EQ(s.game.aru[77], 108);
  EXPECT_EQ(s.game.aru[76], 0);
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_EQ(gamen.beeps, 2);
}

TEST_F(FlowLink, WithoutTheCheckBoxAReceivedMoveIsAskedAndTheAnswerDecides) {
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  position({{44, 105}});
  gamen.answers = {true};
  receive("+4433GI\n");
  EXPECT_EQ(gamen.questions, (std::vector<std::string>{"成りますか？"}));
  EXPECT_EQ(s.game.aru[33], 115);
  EXPECT_EQ(s.game.sasite, "+4433NG");
}

// --- the piece named by a received move ---

TEST_F(FlowLink, ReceivedPromotionIsTaken) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  position({{44, 105}});
  receive("+4433NG\n");
  EXPECT_EQ(s.game.aru[33], 115);
  EXPECT_EQ(s.game.aru[44], 0);
  EXPECT_TRUE(gamen.questions.empty());
  EXPECT_EQ(gamen.beeps, 0);
}

TEST_F(FlowLink, ReceivedUnpromotedNameLeavesThePiece) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  position({{55, 112}, {44, 105}});
  receive("+5554RY\n");
  EXPECT_EQ(s.game.aru[54], 112);
  EXPECT_EQ(s.game.sasite, "+5554RY");
}

TEST_F(FlowLink, ForcedPromotionStandsWhateverTheName) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  position({{34, 106}});
  receive("+3422KE\n");  // a knight on rank 2 can never move again
  EXPECT_EQ(s.game.aru[22], 116);
  EXPECT_EQ(s.game.sasite, "+3422NK");
}

// Each wrong name, and a pawn drop that mates, is refused like a click on an
// unmarked square: a beep, the selection cleared, the board, the record and
// the turn unchanged, and nothing armed or sent.
struct WrongName {
  const char* msg;
  std::vector<std::pair<int, int32_t>> koma;
  int32_t fu = 0;  // pawns in the user's hand
};

void PrintTo(const WrongName& w, std::ostream* os) { *os << w.msg; }

class FlowLinkWrongName : public FlowLink, public ::testing::WithParamInterface<WrongName> {};

TEST_P(FlowLinkWrongName, IsRefusedLikeAWrongClick) {
  const WrongName w = GetParam();
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  Mochi m{};
  m[18] = w.fu;
  position(w.koma, m);
  const Ban before = s.game.aru;
  const int timerCalls = static_cast<int>(gamen.timerLog.size());
  receive(std::string(w.msg) + "\n");
  EXPECT_EQ(s.game.aru, before) << w.msg;
  EXPECT_EQ(s.game.tesuu, 1);
  EXPECT_EQ(s.kifu, "");
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(gamen.beeps, 1);
  EXPECT_FALSE(gamen.shown(Senn::senn1));
  EXPECT_EQ(static_cast<int>(gamen.timerLog.size()), timerCalls);
  EXPECT_TRUE(port.written.empty());
  // Still this side's turn to send on the link.
  EXPECT_EQ(shown(), "Command1 Command3 Command4");
}

INSTANTIATE_TEST_SUITE_P(
    Names, FlowLinkWrongName,
    ::testing::Values(WrongName{"+4433KI", {{44, 105}}},  // a silver called gold
                      WrongName{"+4433TO", {{44, 105}}},  // promoted form of another piece
                      WrongName{"+4645NG", {{46, 105}}},  // promotion outside the zone
                      WrongName{"+5554HI", {{55, 112}}},  // a dragon cannot unpromote
                      WrongName{"+5554OU", {{55, 102}}},  // not the king
                      WrongName{"+4948NK", {{49, 104}}},  // a gold never promotes
                      WrongName{"+5958NG", {{59, 101}}},  // nor does the king
                      // the gold guards 52, 42 and 62; the lances fill 41 and 61
                      WrongName{"+0052FU", {{53, 104}, {41, 207}, {61, 207}}, 1}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(FlowLink, LocalClicksAfterAReceivedMoveDoNotReuseItsName) {
  atMoveThree();
  // The user moves a silver by hand: the pawn's name must not stand
  // behind it.
  s.e_MouseDown(39);
  s.e_MouseDown(38);
  EXPECT_EQ(s.game.aru[38], 105);
  EXPECT_EQ(gamen.beeps, 0);
}

// --- the computer's automatic send ---

TEST_F(FlowLink, ComputerResignationIsSentBeforeItsMessage) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  receive("+7776FU\n");
  gamen.onMsgbox = [&] { EXPECT_EQ(port.written, "%TORYO\n"); };
  com.push(0, 0, -32000);
  s.t_Timer();
  EXPECT_EQ(port.written, "%TORYO\n");
  EXPECT_EQ(gamen.msgs, (std::vector<std::string>{"あなたの勝ちです"}));
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU\r\n%TORYO");
  EXPECT_EQ(s.game.zyoutai, 0);
  EXPECT_EQ(slurp("tusin.txt"), "\r\n+7776FU\n\r\n%TORYO\n\r\n");
}

TEST_F(FlowLink, WithoutTheCheckBoxNothingIsSent) {
  link.tusin.Command2_Click(1);
  gamen.texts["OutMsg"] = "hello";
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "+7776FU");
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(gamen.t("OutMsg"), "hello");
  EXPECT_EQ(shown(), "Command1 Command3 Command4");
  // The user sends by hand.
  link.tusin.Command1_Click();
  EXPECT_EQ(port.written, "hello\n");
}

TEST_F(FlowLink, AutomaticSendWithTheLinkClosedDoesNothing) {
  gamen.zidouOn = true;
  gamen.texts["OutMsg"] = "typed";
  const auto visible = gamen.visible;
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  EXPECT_EQ(s.game.sasite, "+7776FU");
  EXPECT_EQ(s.game.aru[34], 208);
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(s.game.tesuu, 2);
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(gamen.t("OutMsg"), "typed");
  EXPECT_EQ(gamen.visible, visible);
  EXPECT_TRUE(gamen.msgs.empty());
  EXPECT_TRUE(gamen.okCancels.empty());
  EXPECT_FALSE(port.isOpen());
}

TEST_F(FlowLink, ClosedAfterAGameNothingMoreGoesOut) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(1);
  link.tusin.Command4_Click();
  s.kaisigote_Click();
  com.push(33, 34);
  s.t_Timer();
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(s.game.tesuu, 2);
}

// --- the panel's dialogs ---

TEST_F(FlowLink, CancelInTheErrorDialogStopsTheLink) {
  link.tusin.Command2_Click(0);
  gamen.okAnswers = {false};
  port.pending = {kErFrame};
  link.tusin.portEvents();
  EXPECT_EQ(gamen.okCancels, (std::vector<std::string>{"[ｷｬﾝｾﾙ]中断、[OK]無視|フレーム エラーです。"}));
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(shown(), "Command2_0 Command2_1");
  EXPECT_EQ(watched, (std::vector<int>{42, -1}));
}

TEST_F(FlowLink, OkInTheErrorDialogKeepsTheLink) {
  link.tusin.Command2_Click(0);
  gamen.okAnswers = {true};
  port.pending = {kErParity};
  link.tusin.portEvents();
  EXPECT_EQ(gamen.okCancels, (std::vector<std::string>{"[ｷｬﾝｾﾙ]中断、[OK]無視|パリティ エラーです。"}));
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(shown(), "Command4");
}

TEST_F(FlowLink, LineChangeIsShownInItsLabel) {
  link.tusin.Command2_Click(0);
  port.pending = {kEvCd};
  link.tusin.portEvents();
  EXPECT_EQ(gamen.t("mesezi"), "CD ラインの状態が変化しました。");
  EXPECT_TRUE(gamen.okCancels.empty());
}

TEST_F(FlowLink, PortThatCannotOpenSaysWhyAndReturnsToIdle) {
  port.failReason = "No such file or directory";
  std::string behind;
  gamen.onMsgbox = [&] { behind = shown(); };
  link.tusin.Command2_Click(1);
  EXPECT_EQ(behind, "Command2_0 Command2_1");
  EXPECT_EQ(gamen.msgs,
            (std::vector<std::string>{"通信ポート /dev/ttyS0 を開けません。\nNo such file or directory"}));
  EXPECT_EQ(shown(), "Command2_0 Command2_1");
  EXPECT_TRUE(watched.empty());
}

}  // namespace
}  // namespace syougi

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
  void position(std::initializer_list<std::pair<int, int32_t>> pieces, Mochi m = {}) {
    Ban b = fake::emptyBoard();
    b[59] = 101;
    b[51] = 201;
    for (auto [sq, code] : pieces) b[sq] = code;
    fake::setPosition(s, b, m);
    s.arawasu();
  }

  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};
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

// Each wrong name is refused like a click on an unmarked square: a beep,
// the selection cleared, the board, the record and the turn unchanged, and
// nothing armed or sent.
struct WrongName {
  const char* msg;
  int32_t from;
  int32_t code;
};

void PrintTo(const WrongName& w, std::ostream* os) { *os << w.msg; }

class FlowLinkWrongName : public FlowLink, public ::testing::WithParamInterface<WrongName> {};

TEST_P(FlowLinkWrongName, IsRefusedLikeAWrongClick) {
  const WrongName w = GetParam();
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  position({{w.from, w.code}});
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
    ::testing::Values(WrongName{"+4433KI", 44, 105},   // a silver called gold
                      WrongName{"+4433TO", 44, 105},   // promoted form of another piece
                      WrongName{"+4645NG", 46, 105},   // promotion outside the zone
                      WrongName{"+5554HI", 55, 112},   // a dragon cannot unpromote
                      WrongName{"+5554OU", 55, 102},   // not the king
                      WrongName{"+4948NK", 49, 104},   // a gold never promotes
                      WrongName{"+5958NG", 59, 101}),  // nor does the king
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(FlowLink, LocalClicksAfterAReceivedMoveDoNotReuseItsName) {
  gamen.zidouOn = true;
  link.tusin.Command2_Click(0);
  s.kaisisennte_Click();
  receive("+7776FU\n");
  com.push(33, 34);
  s.t_Timer();
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

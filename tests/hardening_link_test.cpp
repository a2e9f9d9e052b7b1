// Bad traffic on the link during a live game: what the user sees, and that
// the record and the position already played stay as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port.h"
#include "tests/fake_port.h"
#include "tests/flow_fake.h"
#include "window/tusinsyougi.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;
using fake::ScriptPort;

class HardLink : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    gamen.zidouOn = true;
    s.Form_Load();
    link.tusin.Command2_Click(0);
    s.kaisisennte_Click();
  }
  void receive(const std::string& m) {
    port.input = m;
    port.pending = {kEvReceive};
    link.tusin.portEvents();
  }
  // One exchange: the remote 7776 and the computer's 3334.
  void firstExchange() {
    receive("+7776FU\n");
    com.push(33, 34);
    s.t_Timer();
    ASSERT_EQ(s.kifu, kFirst);
    ASSERT_EQ(port.written, "-3334FU\n");
    ASSERT_EQ(link.tusin.sousinmode, Tusin::kFalse);
  }
  void expectUnchanged(const Ban& aru) {
    EXPECT_EQ(s.kifu, kFirst);
    EXPECT_EQ(s.game.tesuu, 3);
    EXPECT_EQ(s.game.aru, aru);
    EXPECT_EQ(gamen.timer, 0);
    EXPECT_TRUE(com.te.empty());
  }

  static constexpr const char* kFirst = "T1\r\n+7776FU\r\nT1\r\n-3334FU";
  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};
  ScriptPort port;
  SyougiTusin link{gamen, s, port};
};

TEST_F(HardLink, TakeBackReceivedIsRefusedAndTakesNothingBack) {
  firstExchange();
  const Ban aru = s.game.aru;
  receive("%MATTA\n");
  ASSERT_EQ(gamen.okCancels.size(), 1u);
  EXPECT_EQ(gamen.okCancels[0], "[ｷｬﾝｾﾙ]中断、[OK]無視|不正な受信MSG=%MATTA");
  expectUnchanged(aru);
  EXPECT_EQ(s.kifu.find("%MATTA"), std::string::npos);
  EXPECT_TRUE(port.isOpen());
  // A whole message arrived, so it is this side's turn to send, as after
  // any refused move.
  EXPECT_EQ(link.tusin.sousinmode, Tusin::kTrue);
  EXPECT_TRUE(gamen.visible["Command1"]);
}

TEST_F(HardLink, TwoMovesAtOnceAreDroppedAndTheGameGoesOn) {
  firstExchange();
  const Ban aru = s.game.aru;
  receive("+2726FU\n+1716FU\n");
  ASSERT_EQ(gamen.okCancels.size(), 1u);
  EXPECT_EQ(gamen.okCancels[0], "[ｷｬﾝｾﾙ]中断、[OK]無視|長すぎる受信MSG=+2726FU\n+1716FU\n");
  expectUnchanged(aru);
  EXPECT_TRUE(link.tusin.zyusinmsg.empty());
  receive("+27");
  receive("26FU\n");
  EXPECT_EQ(s.game.aru[26], 108);
  EXPECT_EQ(s.kifu, std::string(kFirst) + "\r\nT1\r\n+2726FU");
}

TEST_F(HardLink, MoveArrivingWhileItIsThisSidesTurnToSendIsNotPlayed) {
  receive("+7776FU\n");
  // The computer has not answered yet: this side is to send.
  ASSERT_EQ(link.tusin.sousinmode, Tusin::kTrue);
  const Ban aru = s.game.aru;
  receive("+2726FU\n");
  ASSERT_EQ(gamen.okCancels.size(), 1u);
  EXPECT_EQ(gamen.okCancels[0], "[ｷｬﾝｾﾙ]中断、[OK]無視|送信モード中に受信 MSG=+2726FU");
  EXPECT_EQ(s.game.aru, aru);
  EXPECT_EQ(s.kifu, "T1\r\n+7776FU");
  com.push(33, 34);
  s.t_Timer();
  EXPECT_EQ(s.kifu, kFirst);
}

TEST_F(HardLink, IllegalMovesReceivedAreRefusedLikeWrongClicks) {
  firstExchange();
  const Ban aru = s.game.aru;
  // A pawn two squares ahead; a rook through its own pawn; a bishop of the
  // other side; a drop of a piece not in hand.
  for (const char* m : {"+2725FU\n", "+2822HI\n", "+2233KA\n", "+0055KA\n"}) {
    SCOPED_TRACE(m);
    link.tusin.sousinmode = Tusin::kFalse;  // as after a send
    const int beeps = gamen.beeps;
    gamen.okCancels.clear();
    receive(m);
    EXPECT_GT(gamen.beeps, beeps);  // one per refused click
    expectUnchanged(aru);
    EXPECT_EQ(s.game.zyoutai, 1);
    EXPECT_EQ(port.written, "-3334FU\n");
    // Nothing goes back, so the refusal is said.
    EXPECT_EQ(gamen.okCancels,
              std::vector<std::string>{"[ｷｬﾝｾﾙ]中断、[OK]無視|不正な受信MSG=" + std::string(m, 7)});
  }
}

TEST_F(HardLink, PortVanishingMidGameStopsTheLinkAndKeepsTheGame) {
  firstExchange();
  const Ban aru = s.game.aru;
  port.hung = true;
  link.tusin.portEvents();
  ASSERT_EQ(gamen.msgs.size(), 1u);
  EXPECT_EQ(gamen.msgs[0], "通信ポート /dev/ttyS0 との接続が切れました。");
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(gamen.visible["Command2_0"]);
  EXPECT_TRUE(gamen.visible["Command2_1"]);
  EXPECT_FALSE(gamen.visible["Command4"]);
  expectUnchanged(aru);
  // The user plays on at the board; the answer is no longer sent.
  s.e_MouseDown(27);
  s.e_MouseDown(26);
  com.push(83, 84);
  s.t_Timer();
  EXPECT_EQ(s.kifu, std::string(kFirst) + "\r\nT1\r\n+2726FU\r\nT1\r\n-8384FU");
  EXPECT_EQ(port.written, "-3334FU\n");
}

TEST_F(HardLink, ForcedStopMidGameKeepsTheRecord) {
  firstExchange();
  link.tusin.Command4_Click();
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(s.kifu, kFirst);
  EXPECT_EQ(s.game.zyoutai, 1);
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), std::string(kFirst) + "\r\n");
}

}  // namespace
}  // namespace syougi

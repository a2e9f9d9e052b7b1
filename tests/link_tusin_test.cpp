// The link panel, message framing, event texts, the log and the way a received
// message is entered, against a scripted port and a recording window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "link/port.h"
#include "link/tusin.h"
#include "tests/fake_port.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

using fake::ScriptPort;


class FakeHost : public TusinHost {
 public:
  void setInMsg(const std::string& text) override {
    inMsg = text;
    calls.push_back("InMsg " + text);
  }
  std::string outMsg() const override { return out; }
  void showCommand1(bool v) override { visible["Command1"] = v; }
  void showCommand2(int index, bool v) override {
    visible[index == 0 ? "Command2(0)" : "Command2(1)"] = v;
  }
  void showCommand3(bool v) override { visible["Command3"] = v; }
  void showCommand4(bool v) override { visible["Command4"] = v; }
  void setMesezi(const std::string& text) override {
    mesezi = text;
    calls.push_back("mesezi " + text);
  }
  bool eraDialog(const std::string& text, const std::string& title) override {
    dialogs.push_back(text);
    titles.push_back(title);
    calls.push_back("dialog " + text);
    if (answers.empty()) return true;
    const bool ok = answers.front();
    answers.pop_front();
    return ok;
  }
  void messageBox(const std::string& text) override {
    boxes.push_back(text);
    calls.push_back("box " + text);
  }
  void e_MouseDown(int index) override {
    clicks.push_back(index);
    calls.push_back("click " + std::to_string(index));
    if (tusin) heldDuringClick.push_back(tusin->zyusinmsg);
  }
  void touryou_Click() override {
    ++resignations;
    calls.push_back("touryou");
  }
  int32_t tesuu() const override { return te; }
  void watchPort(int fd) override { watched.push_back(fd); }
  bool yuuzaaTeban() const override { return kyohi; }
  double ima() const override { return now; }

  // The visible link buttons, in a fixed order.
  std::string shown() const {
    std::string s;
    for (const char* n : {"Command1", "Command2(0)", "Command2(1)", "Command3", "Command4"}) {
      auto it = visible.find(n);
      if (it != visible.end() && it->second) s += std::string(s.empty() ? "" : " ") + n;
    }
    return s;
  }

  Tusin* tusin = nullptr;
  std::string out;
  int32_t te = 1;
  bool kyohi = false;  // the board refuses every move
  double now = 0;
  std::string inMsg;
  std::string mesezi;
  std::map<std::string, bool> visible;
  std::vector<std::string> calls;
  std::vector<std::string> dialogs;
  std::vector<std::string> titles;
  std::vector<std::string> boxes;
  std::deque<bool> answers;  // true OK, false Cancel
  std::vector<int> clicks;
  std::vector<std::string> heldDuringClick;
  std::vector<int> watched;
  int resignations = 0;
};

const std::string kTitle = "[ｷｬﾝｾﾙ]中断、[OK]無視";

class TusinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    tmp_.enter();
    host.tusin = &tusin;
    // What the window does when it loads: only the start buttons show.
    host.showCommand1(false);
    host.showCommand3(false);
    host.showCommand4(false);
    host.showCommand2(0, true);
    host.showCommand2(1, true);
  }
  // Characters arrive and the port raises its receive event.
  void arrive(const std::string& s) {
    port.input += s;
    tusin.MSComm1_OnComm(kEvReceive);
  }
  std::string logBytes() {
    std::ifstream f("tusin.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }

  test::TempDir tmp_{"tusin"};
  ScriptPort port;
  FakeHost host;
  Tusin tusin{port, host};
};

// --- Framing -------------------------------------------------------------

TEST_F(TusinTest, MessageSplitOverEventsIsDeliveredOnce) {
  tusin.Command2_Click(0);
  arrive("+77");
  EXPECT_TRUE(host.clicks.empty());
  EXPECT_EQ(tusin.zyusinmsg, "+77");
  EXPECT_EQ(tusin.sousinmode, 0);
  arrive("76FU\n");
  EXPECT_EQ(host.clicks, (std::vector<int>{77, 76}));
  EXPECT_EQ(host.inMsg, "+7776FU");
  EXPECT_EQ(tusin.sousinmode, -1);
  EXPECT_TRUE(tusin.zyusinmsg.empty());
  EXPECT_TRUE(host.dialogs.empty());
  // Nothing more arrives: nothing is entered again.
  tusin.MSComm1_OnComm(kEvReceive);
  EXPECT_EQ(host.clicks.size(), 2u);
}

TEST_F(TusinTest, MessageIsHeldWhileItsMoveIsEntered) {
  tusin.Command2_Click(0);
  arrive("+2822RY\n");
  ASSERT_EQ(host.heldDuringClick.size(), 2u);
  EXPECT_EQ(host.heldDuringClick[0], "+2822RY\n");
  EXPECT_EQ(host.heldDuringClick[1], "+2822RY\n");
  EXPECT_TRUE(tusin.zyusinmsg.empty());
}

TEST_F(TusinTest, TwoMessagesTogetherAreRejectedWhole) {
  tusin.Command2_Click(0);
  arrive("+7776FU\n-3334FU\n");
  EXPECT_TRUE(host.clicks.empty());
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "長すぎる受信MSG=+7776FU\n-3334FU\n");
  EXPECT_EQ(host.titles[0], kTitle);
  EXPECT_TRUE(tusin.zyusinmsg.empty());
  EXPECT_TRUE(tusin.eramsg.empty());
  EXPECT_EQ(tusin.sousinmode, 0);  // still waiting
  EXPECT_TRUE(host.inMsg.empty());
  EXPECT_FALSE(std::filesystem::exists("tusin.txt"));  // not logged
  EXPECT_TRUE(port.isOpen());  // OK keeps the link
}

TEST_F(TusinTest, TwelveCharactersWithTheirLfAreDelivered) {
  tusin.Command2_Click(0);
  arrive("%TORYOabcde");  // 11 characters
  EXPECT_EQ(host.resignations, 0);
  arrive("\n");
  EXPECT_EQ(host.resignations, 1);
  EXPECT_EQ(host.inMsg, "%TORYOabcde");
  EXPECT_TRUE(host.dialogs.empty());
}

TEST_F(TusinTest, ThirteenCharactersAreRejected) {
  tusin.Command2_Click(0);
  arrive("%TORYOabcdef\n");
  EXPECT_EQ(host.resignations, 0);
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "長すぎる受信MSG=%TORYOabcdef\n");
  EXPECT_TRUE(tusin.zyusinmsg.empty());
}

TEST_F(TusinTest, ThirteenCharactersWithoutLfAreRejectedAtOnce) {
  tusin.Command2_Click(0);
  arrive("abcdefghijkl");  // 12, no LF: wait for more
  EXPECT_TRUE(host.dialogs.empty());
  arrive("m");
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "長すぎる受信MSG=abcdefghijklm");
  EXPECT_TRUE(tusin.zyusinmsg.empty());
}

TEST_F(TusinTest, ReceptionInSendModeIsReportedNotEntered) {
  tusin.Command2_Click(1);
  arrive("+77");
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(tusin.sousinmodemsg, "+77");
  arrive("76FU\n");
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "送信モード中に受信 MSG=+7776FU");
  EXPECT_EQ(host.titles[0], kTitle);
  EXPECT_TRUE(host.clicks.empty());
  EXPECT_TRUE(tusin.sousinmodemsg.empty());
  EXPECT_TRUE(tusin.zyusinmsg.empty());
  EXPECT_EQ(tusin.sousinmode, -1);
  EXPECT_FALSE(std::filesystem::exists("tusin.txt"));
}

TEST_F(TusinTest, TwelveCharactersInSendModeLoseTheirLastInTheReport) {
  tusin.Command2_Click(1);
  arrive("abcdefghijk");  // 11
  EXPECT_TRUE(host.dialogs.empty());
  arrive("l");
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "送信モード中に受信 MSG=abcdefghijk");
  EXPECT_TRUE(tusin.sousinmodemsg.empty());
}

TEST_F(TusinTest, TorYoInSendModeDoesNotEndTheGame) {
  tusin.Command2_Click(1);
  arrive("%TORYO\n");
  EXPECT_EQ(host.resignations, 0);
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "送信モード中に受信 MSG=%TORYO");
}

TEST_F(TusinTest, EmptyReadChangesNothing) {
  tusin.Command2_Click(0);
  tusin.MSComm1_OnComm(kEvReceive);
  tusin.Command4_Click();
  tusin.Command2_Click(1);
  tusin.MSComm1_OnComm(kEvReceive);
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_TRUE(host.clicks.empty());
  EXPECT_TRUE(host.inMsg.empty());
}

// --- Line states and errors ----------------------------------------------

TEST_F(TusinTest, LineStateCodesShowTheirTextsInTheLabel) {
  tusin.Command2_Click(0);
  const std::pair<int, const char*> lines[] = {
      {5, "CD ラインの状態が変化しました。"},
      {3, "CTS ラインの状態が変化しました。"},
      {4, "DSR ラインの状態が変化しました。"},
      {6, "リング インジケータの状態が変化しました。"},
      {7, "EOF 文字を受信しました。"},
  };
  for (const auto& [code, text] : lines) {
    tusin.MSComm1_OnComm(code);
    EXPECT_EQ(host.mesezi, text) << code;
    EXPECT_TRUE(tusin.ibentomsg.empty());
  }
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_TRUE(port.isOpen());
}

TEST_F(TusinTest, ErrorCodesOpenTheDialogWithTheirTexts) {
  tusin.Command2_Click(0);
  const std::pair<int, const char*> errors[] = {
      {1001, "中断信号を受信しました。"},
      {1004, "フレーム エラーです。"},
      {1006, "データを失いました。"},
      {1008, "受信バッファがオーバーフローしました。"},
      {1009, "パリティ エラーです。"},
      {1010, "送信バッファがいっぱいです。"},
      {1011, "デバイス コントロール ブロック (DCB)が取得される予期しないエラーです。"},
  };
  for (const auto& [code, text] : errors) {
    const size_t before = host.dialogs.size();
    tusin.MSComm1_OnComm(code);
    ASSERT_EQ(host.dialogs.size(), before + 1) << code;
    EXPECT_EQ(host.dialogs.back(), text);
    EXPECT_EQ(host.titles.back(), kTitle);
    EXPECT_TRUE(tusin.eramsg.empty());
  }
  EXPECT_TRUE(host.mesezi.empty());
  EXPECT_TRUE(port.isOpen());  // every answer was OK
}

TEST_F(TusinTest, OtherCodesDoNothing) {
  tusin.Command2_Click(0);
  for (int code : {0, 1, 8, 1000, 1002, 1003, 1005, 1007, 1012}) tusin.MSComm1_OnComm(code);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(port.isOpen());
}

TEST_F(TusinTest, LineStateWinsOverAPendingErrorUntilALaterEvent) {
  tusin.Command2_Click(0);
  tusin.eramsg = "パリティ エラーです。";
  tusin.MSComm1_OnComm(kEvCts);
  EXPECT_EQ(host.mesezi, "CTS ラインの状態が変化しました。");
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(tusin.eramsg, "パリティ エラーです。");
  tusin.MSComm1_OnComm(kEvSend);  // any later event shows it
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0], "パリティ エラーです。");
  EXPECT_TRUE(tusin.eramsg.empty());
}

TEST_F(TusinTest, ErrorThenLineStateShowBothInTurn) {
  tusin.Command2_Click(0);
  port.pending = {kErFrame, kEvDsr};
  tusin.portEvents();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"dialog フレーム エラーです。",
                                                  "mesezi DSR ラインの状態が変化しました。"}));
}

TEST_F(TusinTest, CancelInTheErrorDialogRunsTheForcedStop) {
  tusin.Command2_Click(1);
  ASSERT_EQ(host.shown(), "Command1 Command3 Command4");
  host.answers = {false};
  tusin.MSComm1_OnComm(kErOverrun);
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
  EXPECT_EQ(host.watched, (std::vector<int>{42, -1}));
  EXPECT_TRUE(port.written.empty());  // stopping sends nothing
}

TEST_F(TusinTest, OkInTheErrorDialogKeepsTheLink) {
  tusin.Command2_Click(0);
  host.answers = {true};
  tusin.MSComm1_OnComm(kErBreak);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command4");
}

TEST_F(TusinTest, EventsAfterACancelAreNotHandled) {
  tusin.Command2_Click(0);
  host.answers = {false};
  port.pending = {kErParity, kEvReceive};
  port.input = "+7776FU\n";
  tusin.portEvents();
  EXPECT_FALSE(port.isOpen());
  EXPECT_TRUE(host.clicks.empty());
  EXPECT_EQ(port.input, "+7776FU\n");  // never read
}

TEST_F(TusinTest, PortEventsReadsAndEntersAMessage) {
  tusin.Command2_Click(0);
  port.pending = {kEvReceive};
  port.input = "+7776FU\n";
  tusin.portEvents();
  EXPECT_EQ(host.clicks, (std::vector<int>{77, 76}));
}

TEST_F(TusinTest, AVanishedDeviceStopsTheLinkAfterItsLastEvents) {
  tusin.Command2_Click(0);
  port.pending = {kEvReceive};
  port.input = "+7776FU\n";
  port.hung = true;
  tusin.portEvents();
  EXPECT_EQ(host.clicks, (std::vector<int>{77, 76}));
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
  EXPECT_EQ(host.watched, (std::vector<int>{42, -1}));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0], "通信ポート /dev/ttyS0 との接続が切れました。");
}

TEST_F(TusinTest, PortEventsOnAClosedPortDoNothing) {
  port.pending = {kEvReceive, kErFrame};
  port.input = "+7776FU\n";
  tusin.portEvents();
  EXPECT_TRUE(host.calls.empty());
}

// --- Buttons ---------------------------------------------------------------

TEST_F(TusinTest, StartByReceivingWaits) {
  tusin.Command2_Click(0);
  EXPECT_EQ(port.settingsSeen, "1200,N,8,1");
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command4");
  EXPECT_EQ(tusin.sousinmode, 0);
  EXPECT_EQ(host.watched, (std::vector<int>{42}));
}

TEST_F(TusinTest, StartBySendingIsToSend) {
  tusin.Command2_Click(1);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command1 Command3 Command4");
  EXPECT_EQ(tusin.sousinmode, -1);
}

TEST_F(TusinTest, SendWritesTheTextWithLfAndWaits) {
  tusin.Command2_Click(1);
  host.out = "+7776FU";
  tusin.Command1_Click();
  EXPECT_EQ(port.written, "+7776FU\n");
  EXPECT_EQ(host.shown(), "Command4");
  EXPECT_EQ(tusin.sousinmode, 0);
}

TEST_F(TusinTest, AWholeExchangeWalksThroughTheStates) {
  tusin.Command2_Click(0);
  EXPECT_EQ(host.shown(), "Command4");
  arrive("+7776FU\n");
  EXPECT_EQ(host.shown(), "Command1 Command3 Command4");
  EXPECT_EQ(tusin.sousinmode, -1);
  host.out = "-3334FU";
  tusin.Command1_Click();
  EXPECT_EQ(host.shown(), "Command4");
  EXPECT_EQ(tusin.sousinmode, 0);
  host.te = 3;
  arrive("+2726FU\n");
  EXPECT_EQ(host.clicks, (std::vector<int>{77, 76, 27, 26}));
  EXPECT_EQ(host.shown(), "Command1 Command3 Command4");
  tusin.Command3_Click();
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(port.written, "-3334FU\n");
}

TEST_F(TusinTest, ResignationReceivedGoesToSendMode) {
  tusin.Command2_Click(0);
  arrive("%TORYO\n");
  EXPECT_EQ(host.shown(), "Command1 Command3 Command4");
  EXPECT_EQ(tusin.sousinmode, -1);
}

// Both stop buttons, from each open state, leave the same panel and port.
TEST_F(TusinTest, StopAfterSendingAndForcedStopAreTheSame) {
  for (int start = 0; start < 2; ++start) {
    ScriptPort p3, p4;
    FakeHost h3, h4;
    Tusin t3(p3, h3), t4(p4, h4);
    t3.Command2_Click(start);
    t4.Command2_Click(start);
    p3.input = p4.input = "+77";
    t3.MSComm1_OnComm(kEvReceive);
    t4.MSComm1_OnComm(kEvReceive);
    t3.Command3_Click();
    t4.Command4_Click();
    EXPECT_FALSE(p3.isOpen());
    EXPECT_FALSE(p4.isOpen());
    EXPECT_EQ(h3.shown(), "Command2(0) Command2(1)");
    EXPECT_EQ(h3.visible, h4.visible);
    EXPECT_EQ(h3.watched, h4.watched);
    EXPECT_EQ(t3.sousinmode, t4.sousinmode);
    EXPECT_EQ(t3.zyusinmsg, t4.zyusinmsg);
    EXPECT_EQ(t3.sousinmodemsg, t4.sousinmodemsg);
    EXPECT_TRUE(p3.written.empty());
    EXPECT_TRUE(p4.written.empty());
  }
}

TEST_F(TusinTest, StopWhenIdleKeepsTheStartButtons) {
  tusin.Command4_Click();
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
  EXPECT_TRUE(host.watched.empty());
}

TEST_F(TusinTest, PortThatCannotBeOpenedIsReportedAndThePanelIsIdle) {
  port.failReason = "No such file or directory";
  tusin.Command2_Click(1);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].find("/dev/ttyS0"), std::string::npos);
  EXPECT_NE(host.boxes[0].find("No such file or directory"), std::string::npos);
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
  EXPECT_TRUE(host.watched.empty());
  EXPECT_EQ(tusin.sousinmode, 0);
  // Trying again once the device is there works.
  port.failReason.clear();
  tusin.Command2_Click(0);
  EXPECT_TRUE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command4");
}

TEST_F(TusinTest, AutomaticSendWithoutALinkWritesNothing) {
  host.out = "+7776FU";
  EXPECT_NO_THROW(tusin.Command1_Click());
  EXPECT_TRUE(port.written.empty());
  EXPECT_FALSE(std::filesystem::exists("tusin.txt"));
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
}

TEST_F(TusinTest, AFragmentFromAnEarlierLinkIsForgotten) {
  tusin.Command2_Click(0);
  arrive("+77");
  tusin.Command4_Click();
  tusin.Command2_Click(0);
  EXPECT_TRUE(tusin.zyusinmsg.empty());
  arrive("+7776FU\n");
  EXPECT_EQ(host.clicks, (std::vector<int>{77, 76}));
  EXPECT_TRUE(host.dialogs.empty());
}

// --- Log -------------------------------------------------------------------

TEST_F(TusinTest, LogHoldsSentAndReceivedLinesByteForByte) {
  tusin.Command2_Click(1);
  host.out = "+7776FU";
  tusin.Command1_Click();
  EXPECT_EQ(logBytes(), "+7776FU\n\r\n");
  host.te = 2;
  arrive("-3334FU\n");
  EXPECT_EQ(logBytes(), "+7776FU\n\r\n-3334FU\n\r\n");
}

TEST_F(TusinTest, ResignationAndRefusedTextsAreLoggedFaultsAreNot) {
  tusin.Command2_Click(0);
  arrive("%TORYO\n");
  tusin.Command1_Click();  // empty OutMsg: an empty line goes out
  arrive("%MATTA\n");
  tusin.Command1_Click();
  arrive("+7776FU\n-3334FU\n");  // too long: not logged
  EXPECT_EQ(logBytes(), "%TORYO\n\r\n\n\r\n%MATTA\n\r\n\n\r\n");
  EXPECT_EQ(port.written, "\n\n");
}

// --- Entering received messages ------------------------------------------

struct Entry {
  int32_t tesuu;
  const char* text;
  int first;
  int second;
};

TEST_F(TusinTest, MovesAreClickedWithTheSquaresOfTheirMoveNumber) {
  const Entry entries[] = {
      {1, "+7776FU", 77, 76},    // first player's squares match the board
      {2, "-3334FU", 77, 76},    // second player's are turned: 110 - square
      {3, "+0028KI", 104, 28},   // a drop clicks the hand code
      {4, "-0028KI", 104, 82},   // hand codes are never turned
      {5, "+1112KY", 11, 12},
      {6, "-9998KY", 11, 12},
      {8, "-0055KA", 103, 55},
      {7, "+0091HI", 102, 91},
      {9, "+0019GI", 105, 19},
      {10, "-0012KE", 106, 98},
      {11, "+0013KY", 107, 13},
      {12, "-0099FU", 108, 11},
      {13, "+8822UM", 88, 22},
  };
  for (const Entry& e : entries) {
    ScriptPort p;
    FakeHost h;
    Tusin t(p, h);
    h.te = e.tesuu;
    t.Command2_Click(0);
    p.input = std::string(e.text) + "\n";
    t.MSComm1_OnComm(kEvReceive);
    EXPECT_EQ(h.clicks, (std::vector<int>{e.first, e.second})) << e.text << " on " << e.tesuu;
    EXPECT_EQ(h.inMsg, e.text);
    EXPECT_TRUE(h.dialogs.empty()) << e.text;
  }
}

TEST_F(TusinTest, ResignationEndsTheGameWithoutClicksOrDisplay) {
  tusin.Command2_Click(0);
  tusin.ibentomsg = "CD ラインの状態が変化しました。";  // left pending on purpose
  arrive("%TORYO\n");
  EXPECT_EQ(host.resignations, 1);
  EXPECT_TRUE(host.clicks.empty());
  EXPECT_EQ(host.inMsg, "%TORYO");
  EXPECT_TRUE(host.mesezi.empty());  // the handler returned at once
  EXPECT_EQ(tusin.ibentomsg, "CD ラインの状態が変化しました。");
  EXPECT_TRUE(tusin.zyusinmsg.empty());
}

TEST_F(TusinTest, OnlyTheFirstSixCharactersMakeAResignation) {
  tusin.Command2_Click(0);
  arrive("%TORYO99\n");
  EXPECT_EQ(host.resignations, 1);
  EXPECT_TRUE(host.clicks.empty());
}

TEST_F(TusinTest, MalformedTextsAreReportedAndNeverClicked) {
  const char* bad[] = {
      "*7776FU",   // sign
      " 7776FU",   // sign
      "7776FU",    // no sign
      "+7a76FU",   // letter for a digit
      "+7776F",    // short
      "+777FU",    // short
      "+7776FU ",  // something after the name
      "+7776FUX",  // something after the name
      "+1076FU",   // square 10
      "+7710FU",   // square 10
      "+0776FU",   // square 07
      "+7706FU",   // square 06
      "+7700FU",   // no destination
      "+0000FU",   // no destination for a drop
      "+7790FU",   // rank 0
      "+7777FU",   // no move at all
      "+7776XX",   // unknown name
      "+7776fu",   // names are capitals
      "+7776  ",   // no name
      "+0028OU",   // a king cannot be dropped
      "+0028TO",   // nor a promoted piece
      "+0028RY",
      "+0028UM",
      "%MATTA",
      "%TORY",
      "",          // only LF
      "\r",        // an empty line from a CR LF sender
      "+7776FU\r",
  };
  int te = 1;
  for (const char* text : bad) {
    ScriptPort p;
    FakeHost h;
    Tusin t(p, h);
    h.te = te++;
    t.Command2_Click(0);
    p.input = std::string(text) + "\n";
    t.MSComm1_OnComm(kEvReceive);
    EXPECT_TRUE(h.clicks.empty()) << '"' << text << '"';
    EXPECT_EQ(h.resignations, 0) << text;
    ASSERT_EQ(h.dialogs.size(), 1u) << text;
    EXPECT_EQ(h.dialogs[0], "不正な受信MSG=" + std::string(text));
    EXPECT_EQ(h.titles[0], kTitle);
    EXPECT_TRUE(t.zyusinmsg.empty());
    EXPECT_TRUE(t.eramsg.empty());
    EXPECT_EQ(t.sousinmode, -1);  // the turn passed as for any message
    EXPECT_TRUE(p.isOpen());
  }
}

TEST_F(TusinTest, AMoveTheBoardRefusesIsReported) {
  tusin.Command2_Click(0);
  host.kyohi = true;
  arrive("+2725FU\n");
  EXPECT_EQ(host.clicks, (std::vector<int>{27, 25}));
  EXPECT_EQ(host.dialogs, (std::vector<std::string>{"不正な受信MSG=+2725FU"}));
  EXPECT_EQ(tusin.sousinmode, -1);
  EXPECT_TRUE(port.isOpen());
}

// A message whose LF was lost is given up once nothing more has come for
// the pause; each arrival starts the pause again.
TEST_F(TusinTest, AMessageWithoutItsLfIsGivenUpAfterAPause) {
  tusin.Command2_Click(0);
  auto at = [&](double t, const std::string& s) {
    host.now = t;
    port.input = s;
    port.pending = s.empty() ? std::vector<int>{} : std::vector<int>{kEvReceive};
    tusin.portEvents();
  };
  at(100, "+77");
  at(104, "76FU");
  at(108.9, "");
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(tusin.zyusinmsg, "+7776FU");
  at(109, "");
  EXPECT_EQ(host.dialogs, (std::vector<std::string>{"途切れた受信MSG=+7776FU"}));
  EXPECT_TRUE(tusin.zyusinmsg.empty());
  EXPECT_TRUE(host.clicks.empty());
  EXPECT_EQ(tusin.sousinmode, 0);  // still waiting: the next message is read
  at(200, "+7776FU\n");
  EXPECT_EQ(host.clicks, (std::vector<int>{77, 76}));
  EXPECT_EQ(host.dialogs.size(), 1u);
}

TEST_F(TusinTest, CancelOnAMalformedTextStopsTheLink) {
  tusin.Command2_Click(0);
  host.answers = {false};
  arrive("%MATTA\n");
  EXPECT_FALSE(port.isOpen());
  EXPECT_EQ(host.shown(), "Command2(0) Command2(1)");
  EXPECT_TRUE(host.clicks.empty());
}

// Random noise in random pieces: whatever arrives, buffers stay bounded,
// clicks come in pairs from well-formed texts only and name real controls.
TEST_F(TusinTest, NoiseNeverClicksOutsideTheBoardAndHands) {
  std::mt19937 rng(20261208);
  const std::string alphabet = "+-%0123456789FUKYEGIAHOTNRMXZ\n\n\n ";
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  tusin.Command2_Click(0);
  int delivered = 0;
  for (int round = 0; round < 5000; ++round) {
    std::string chunk;
    if (pick(3) == 0) {
      // A well-formed move now and then, so that deliveries happen.
      const char* good[] = {"+7776FU\n", "-0028KI\n", "+2822RY\n", "-1199OU\n"};
      chunk = good[pick(4)];
    } else {
      for (int n = pick(6); n > 0; --n) chunk += alphabet[size_t(pick(int(alphabet.size())))];
    }
    host.te = 1 + pick(200);
    const size_t clicksBefore = host.clicks.size();
    const std::string msgBefore = host.inMsg;
    arrive(chunk);
    EXPECT_LE(tusin.zyusinmsg.size(), 12u);
    EXPECT_LT(tusin.sousinmodemsg.size(), 12u);
    const size_t added = host.clicks.size() - clicksBefore;
    ASSERT_TRUE(added == 0 || added == 2) << added;
    if (added == 2) {
      ++delivered;
      UkeSasite u;
      EXPECT_TRUE(yomuSasite(host.inMsg, u)) << host.inMsg;
      const int first = host.clicks[clicksBefore];
      const int second = host.clicks[clicksBefore + 1];
      EXPECT_TRUE((first >= 102 && first <= 108) ||
                  (first >= 11 && first <= 99 && first % 10 != 0))
          << first;
      EXPECT_TRUE(second >= 11 && second <= 99 && second % 10 != 0) << second;
    }
    if (tusin.sousinmode && pick(2) == 0) tusin.Command1_Click();
  }
  EXPECT_GT(delivered, 100);
}

// --- Reading a move text ---------------------------------------------------

TEST(YomuSasite, ReadsBoardMovesAndDrops) {
  UkeSasite u;
  ASSERT_TRUE(yomuSasite("+7776FU", u));
  EXPECT_EQ(u.sentaku, 77);
  EXPECT_EQ(u.saki, 76);
  ASSERT_TRUE(yomuSasite("-1199OU", u));
  EXPECT_EQ(u.sentaku, 11);
  EXPECT_EQ(u.saki, 99);
  ASSERT_TRUE(yomuSasite("+0055KA", u));
  EXPECT_EQ(u.sentaku, 103);
  EXPECT_EQ(u.saki, 55);
  const std::pair<const char*, int> drops[] = {{"HI", 102}, {"KA", 103}, {"KI", 104},
                                                {"GI", 105}, {"KE", 106}, {"KY", 107},
                                                {"FU", 108}};
  for (const auto& [name, code] : drops) {
    ASSERT_TRUE(yomuSasite(std::string("-0011") + name, u)) << name;
    EXPECT_EQ(u.sentaku, code);
    EXPECT_EQ(u.saki, 11);
  }
}

TEST(YomuSasite, AcceptsEveryRecordNameForABoardMove) {
  UkeSasite u;
  for (const char* n : {"FU", "KY", "KE", "GI", "KI", "KA", "HI", "OU", "TO", "NY", "NK", "NG",
                        "UM", "RY"})
    EXPECT_TRUE(yomuSasite(std::string("+5958") + n, u)) << n;
  for (const char* n : {"TK", "HU", "KN", "OO", "ou", "--"})
    EXPECT_FALSE(yomuSasite(std::string("+5958") + n, u)) << n;
}

TEST(YomuSasite, LeavesTheResultAloneWhenRefused) {
  UkeSasite u{12, 34};
  EXPECT_FALSE(yomuSasite("+0028OU", u));
  EXPECT_FALSE(yomuSasite("", u));
  EXPECT_EQ(u.sentaku, 12);
  EXPECT_EQ(u.saki, 34);
}

}  // namespace
}  // namespace syougi

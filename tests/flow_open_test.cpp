// Opening a saved record: a finished game is shown as one played here ends,
// an unfinished one resumes with the user to move (turned round when that is
// the second player), and a file that is not such a record is refused with
// the game left as it was.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;

class FlowOpen : public ScratchDir {
 protected:
  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};

  void file(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
};

TEST_F(FlowOpen, FinishedAndUnfinishedRecordsOfEachFormat) {
  struct Row {
    const char* name;
    std::string text;
    bool owatta;
    std::string tesuu, toki1, toki2, kifu;
    int sq[3];  // the codes on internal squares 76, 34 and 77
  };
  const Row rows[] = {
      // The first player resigned after three moves: shown from his side.
      {"own finished", "T5\r\n+7776FU\r\nT3\r\n-3334FU\r\nT4\r\n+2726FU\r\n%TORYO\r\n", true, "4", "9", "3",
       "T5\r\n+7776FU\r\nT3\r\n-3334FU\r\nT4\r\n+2726FU\r\n%TORYO", {108, 208, 0}},
      // Two moves: the user is the first player again.
      {"CSA unfinished", "V2.2\nPI\n+\n+7776FU\nT3\n-3334FU\nT8\n", false, "3", "3", "8",
       "T3\r\n+7776FU\r\nT8\r\n-3334FU", {108, 208, 0}},
      // One move: the user plays the second player at the bottom; the
      // computer's pawn of 76 stands on internal 34, the user's of 33 on 77.
      {"KIF unfinished", "手合割：平手\n   1 ７六歩(77)   ( 0:07/00:00:07)\n", false, "2", "0", "7", "T7\r\n+7776FU",
       {0, 208, 108}},
  };
  for (const Row& r : rows) {
    file("r.kif", r.text);
    gamen.now = 1000.0;
    ASSERT_TRUE(s.hiraku("r.kif")) << r.name << ": " << (gamen.msgs.empty() ? "" : gamen.msgs.back());
    EXPECT_FALSE(gamen.kaisiVisible) << r.name;
    EXPECT_EQ(gamen.t("tesuul"), r.tesuu) << r.name;
    EXPECT_EQ(gamen.t("tokipl1l"), r.toki1) << r.name;
    EXPECT_EQ(gamen.t("tokipl2l"), r.toki2) << r.name;
    EXPECT_EQ(s.kifu, r.kifu) << r.name;
    EXPECT_EQ(gamen.t("kifu"), r.kifu) << r.name;
    EXPECT_EQ(gamen.pic[76], r.sq[0]) << r.name;
    EXPECT_EQ(gamen.pic[34], r.sq[1]) << r.name;
    EXPECT_EQ(gamen.pic[77], r.sq[2]) << r.name;
    EXPECT_EQ(s.game.zyoutai, r.owatta ? 0 : 1) << r.name;
    EXPECT_EQ(gamen.t("tebannl"), r.owatta ? "" : "You") << r.name;
    EXPECT_EQ(gamen.menus["saisei"], r.owatta) << r.name;
    EXPECT_EQ(gamen.menus["touryou"], !r.owatta) << r.name;
  }
  EXPECT_TRUE(gamen.msgs.empty());
}

// The finished game steps as one that ended here: ">" beeps at the end, "<"
// shows the last move, "<<" the start.
TEST_F(FlowOpen, AFinishedGameStepsThroughItsPositions) {
  file("g.csa", "T5\r\n+7776FU\r\nT3\r\n-3334FU\r\nT4\r\n+2726FU\r\n%TORYO\r\n");
  ASSERT_TRUE(s.hiraku("g.csa"));
  s.saisei_Click();
  EXPECT_EQ(gamen.beeps, 1);
  s.makimodosi_Click();
  EXPECT_EQ(gamen.t("tesuul"), "3");
  EXPECT_EQ(gamen.pic[26], 108);
  s.makimodosi_Click();
  EXPECT_EQ(gamen.pic[26], 0);
  EXPECT_EQ(gamen.t("tokipl1l"), "0");  // move 2 is the computer's
  EXPECT_EQ(gamen.t("tokipl2l"), "3");
  s.makimodosi2_Click();
  EXPECT_EQ(gamen.pic[77], 108);
  EXPECT_EQ(gamen.pic[33], 208);
  for (int i = 0; i < 3; ++i) s.saisei_Click();
  EXPECT_EQ(gamen.pic[26], 108);
  s.saisei_Click();
  EXPECT_EQ(gamen.beeps, 2);
}

// Resumed as the second player: the user's move and the computer's reply
// are written in the first player's numbering after the old moves, so that
// the saved record continues the one opened.
TEST_F(FlowOpen, AnUnfinishedGameResumesAndItsSaveContinuesIt) {
  file("g.kif", "   1 ７六歩(77)   ( 0:07/00:00:07)\n");
  gamen.now = 1000.0;
  gamen.erabu = "g.kif";
  s.yomikomi_Click();
  gamen.now = 1004.2;
  s.e_MouseDown(77);
  s.e_MouseDown(76);
  EXPECT_EQ(gamen.timer, 10);
  com.push(34, 35);
  gamen.now = 1006.5;
  s.t_Timer();
  EXPECT_EQ(com.askedAt, std::vector<int32_t>{3});
  s.hozonn_Click();
  EXPECT_EQ(slurp("kifu.csa"), "T7\r\n+7776FU\r\nT5\r\n-3334FU\r\nT3\r\n+7675FU\r\n");
  EXPECT_EQ(gamen.t("tokipl1l"), "5");
  EXPECT_EQ(gamen.t("tokipl2l"), "10");
}

TEST_F(FlowOpen, ARecordThatIsNotOneIsRefusedAndTheGameStays) {
  file("bad.kif", "手合割：平手\n   1 ７五歩(77)\n");
  file("hcp.csa", "V2.2\nPI82HI\n+\n");
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  s.e_MouseDown(76);
  const std::string kifu = s.kifu;
  const auto aru = s.game.aru;
  const struct {
    const char* file;
    std::string msg;
  } rows[] = {
      {"bad.kif", "bad.kif を開けません。\n2行目: FU on 77 cannot move to 75"},
      {"hcp.csa", "hcp.csa を開けません。\n2行目: a handicap"},
      {"none.csa", "none.csa を開けません。\nNo such file or directory"},
  };
  for (const auto& r : rows) {
    gamen.msgs.clear();
    EXPECT_FALSE(s.hiraku(r.file)) << r.file;
    ASSERT_EQ(gamen.msgs.size(), 1u) << r.file;
    EXPECT_EQ(gamen.msgs[0].substr(0, r.msg.size()), r.msg);
    EXPECT_EQ(s.kifu, kifu) << r.file;
    EXPECT_EQ(s.game.aru, aru) << r.file;
    EXPECT_EQ(s.game.tesuu, 2) << r.file;
    EXPECT_EQ(gamen.timer, 10) << "the computer's reply is still to come";
  }
  gamen.erabu.clear();  // the dialog cancelled
  s.yomikomi_Click();
  EXPECT_EQ(s.game.tesuu, 2);
}

}  // namespace
}  // namespace syougi

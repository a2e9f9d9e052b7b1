// The record converter: games saved by the window's flow come out as CSA
// records that the match referee replays move for move and writes the same,
// and as KIF records with the usual move texts; anything the window does not
// write is refused with its line.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/sikou.h"
#include "model/rules.h"
#include "tests/flow_fake.h"
#include "tools/kifu/kifu.h"
#include "tools/match/match.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;
using fake::ScriptComputer;

std::vector<std::string> split(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  for (size_t i; (i = s.find('\n', at)) != std::string::npos; at = i + 1) out.push_back(s.substr(at, i - at));
  if (at < s.size()) out.push_back(s.substr(at));
  return out;
}

kifu::Kifu read(const std::string& text) {
  kifu::Ayamari err;
  const std::optional<kifu::Kifu> k = kifuYomu(text, err);
  EXPECT_TRUE(k.has_value()) << "line " << err.gyou << ": " << err.why;
  return k.value_or(kifu::Kifu{});
}

// A CSA move of position `k` (black at the bottom) as USI text.
std::string usiOf(const Kyokumen& k, const std::string& m) {
  auto sq = [&](size_t at) { return std::string(1, m[at]) + char('a' + (m[at + 1] - '1')); };
  if (m.compare(1, 2, "00") == 0) {
    const std::string names = "HIRKABKIGGISKENKYLFUP";
    const size_t at = names.find(m.substr(5, 2));
    return (at == std::string::npos ? "?" : names.substr(at + 2, 1)) + "*" + sq(3);
  }
  const int from = (m[1] - '0') * 10 + (m[2] - '0');
  const bool promotes = kindOf(k.aru[from]) != kindOfRecordName(m.c_str() + 5);
  return sq(1) + sq(3) + (promotes ? "+" : "");
}

// Plays a CSA record through the match referee, which checks every move by
// the full rules, and returns the referee's own CSA text of that game. The
// window has no mate detection: a mated side resigns, where the referee
// writes %TSUMI.
std::string viaReferee(const std::string& csa, Kyokumen* last = nullptr) {
  const std::vector<std::string> l = split(csa);
  EXPECT_GE(l.size(), 5u);
  if (l.size() < 5) return {};
  Kyokumen start;
  hirate(start);
  match::Taikyoku t(start, kRekiMax + 1);
  for (size_t i = 5; i < l.size(); ++i) {
    if (l[i] == "%TORYO") {
      t.owaru(match::Owari::kToryo);
    } else if (l[i][0] == '+' || l[i][0] == '-') {
      EXPECT_EQ(t.owari(), match::Owari::kNone) << "a move after the end: " << l[i];
      const int64_t ms = i + 1 < l.size() && l[i + 1][0] == 'T' ? std::stoll(l[i + 1].substr(1)) * 1000 : -1;
      const match::Owari o = t.sasu(usiOf(t.ima(), l[i]), ms);
      EXPECT_TRUE(o == match::Owari::kNone || o == match::Owari::kTsumi) << l[i] << ": " << t.note();
    }
  }
  if (last) *last = t.ima();
  std::string s = match::csaKiroku(t, l[1].substr(2), l[2].substr(2), "", "");
  const std::string tsumi = "%TSUMI\n";
  if (t.owari() == match::Owari::kTsumi && s.ends_with(tsumi))
    s.replace(s.size() - tsumi.size(), tsumi.size(), "%TORYO\n");
  return s;
}

class KifuFlow : public ScratchDir {
 protected:
  FakeGamen gamen;
  ScriptComputer com;
  Syougi s{gamen, &com};

  void click(double at, int a, int b) {
    gamen.now = at;
    s.e_MouseDown(a);
    s.e_MouseDown(b);
  }
  void reply(double at, int32_t moto, int32_t saki, int16_t saikou = 0) {
    gamen.now = at;
    com.push(moto, saki, saikou);
    s.t_Timer();
  }
  std::string saved() {
    s.hozonn_Click();
    return slurp("kifu.csa");
  }
};

// The user moves first: an exchange of bishops with the promotion asked and
// once declined, drops, two moves taken back and played again, the user's
// resignation.
TEST_F(KifuFlow, UserFirstGameWithTakeBackAndResignation) {
  gamen.now = 1000.0;
  s.kaisisennte_Click();
  click(1004.5, 77, 76);
  reply(1006.0, 33, 34);
  gamen.answers = {true};
  click(1010.0, 88, 22);
  reply(1011.0, 31, 22);
  click(1020.0, 103, 55);
  reply(1020.5, 203, 33);
  gamen.answers = {false};
  click(1030.0, 55, 33);
  reply(1032.0, 21, 33);
  gamen.now = 1040.0;
  s.modosu_Click();
  click(1045.0, 55, 44);
  reply(1046.0, 41, 32);
  gamen.now = 1050.0;
  s.touryou_Click();
  ASSERT_EQ(gamen.questions.size(), 2u);

  const kifu::Kifu k = read(saved());
  const std::string csa = kifu::csaKaku(k, "You", "Com");
  EXPECT_EQ(csa,
            "V2.2\nN+You\nN-Com\nPI\n+\n"
            "+7776FU\nT5\n-3334FU\nT2\n+8822UM\nT5\n-3122GI\nT2\n"
            "+0055KA\nT10\n-0033KA\nT1\n+5544KA\nT6\n-4132KI\nT2\n%TORYO\n");
  EXPECT_EQ(viaReferee(csa), csa);
  EXPECT_EQ(kifu::kifKaku(k, "You", "Com"),
            "#KIF version=2.0 encoding=UTF-8\n"
            "手合割：平手\n"
            "先手：You\n"
            "後手：Com\n"
            "手数----指手---------消費時間--\n"
            "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
            "   2 ３四歩(33)   ( 0:02/00:00:02)\n"
            "   3 ２二角成(88) ( 0:05/00:00:10)\n"
            "   4 同　銀(31)   ( 0:02/00:00:04)\n"
            "   5 ５五角打     ( 0:10/00:00:20)\n"
            "   6 ３三角打     ( 0:01/00:00:05)\n"
            "   7 ４四角(55)   ( 0:06/00:00:26)\n"
            "   8 ３二金(41)   ( 0:02/00:00:07)\n"
            "   9 投了         ( 0:00/00:00:26)\n"
            "まで8手で後手の勝ち\n");
}

// The computer moves first, so the user's clicks are written turned
// around; the computer resigns.
TEST_F(KifuFlow, ComputerFirstGameEndedByTheComputersResignation) {
  gamen.now = 2000.0;
  s.kaisigote_Click();
  reply(2000.5, 33, 34);
  click(2003.0, 77, 76);
  reply(2004.0, 22, 188);
  click(2010.0, 79, 88);
  reply(2010.5, 203, 45);
  click(2012.0, 103, 55);
  reply(2013.0, 0, 0, -31000);
  ASSERT_EQ(gamen.msgs, std::vector<std::string>{"あなたの勝ちです"});

  const kifu::Kifu k = read(saved());
  const std::string csa = kifu::csaKaku(k, "Com", "You");
  EXPECT_EQ(csa,
            "V2.2\nN+Com\nN-You\nPI\n+\n"
            "+7776FU\nT1\n-3334FU\nT3\n+8822UM\nT2\n-3122GI\nT7\n+0065KA\nT1\n-0055KA\nT2\n%TORYO\n");
  EXPECT_EQ(viaReferee(csa), csa);
  const std::vector<std::string> kif = split(kifu::kifKaku(k, "Com", "You"));
  ASSERT_EQ(kif.size(), 13u);
  EXPECT_EQ(kif[9], "   5 ６五角打     ( 0:01/00:00:04)");
  EXPECT_EQ(kif[11], "   7 投了         ( 0:00/00:00:04)");
  EXPECT_EQ(kif[12], "まで6手で後手の勝ち");
}

TEST_F(KifuFlow, EmptyAndUnfinishedRecords) {
  s.kaisisennte_Click();
  EXPECT_EQ(kifu::csaKaku(read(saved()), "a", "b"), "V2.2\nN+a\nN-b\nPI\n+\n");
  s.touryou_Click();  // before any move
  EXPECT_EQ(slurp("kifu.csa"), "\r\n") << "not saved yet";
  const kifu::Kifu k = read(saved());
  EXPECT_EQ(kifu::csaKaku(k, "a", "b"), "V2.2\nN+a\nN-b\nPI\n+\n%TORYO\n");
  EXPECT_EQ(split(kifu::kifKaku(k, "a", "b")).back(), "まで0手で後手の勝ち");
}

// Whole games of the real computer against a user playing random legal
// moves, from both start buttons: the converted record replays in the
// referee to the window's final position.
TEST_F(KifuFlow, RealGamesReplayInTheReferee) {
  std::unique_ptr<Computer> real = makeComputer();
  real->setBookPath(std::string(SYOUGI_SOURCE_DIR) + "/data/joseki.lis");
  Syougi w{gamen, real.get()};
  for (int g = 0; g < 2; ++g) {
    const bool userFirst = g == 0;
    gamen.now = 5000.0 + 31 * g;
    userFirst ? w.kaisisennte_Click() : w.kaisigote_Click();
    uint32_t rnd = 77u + g;
    while (w.game.tesuu <= kRekiMax && gamen.msgs.empty()) {
      gamen.now += 2.5;
      if (w.game.zyoutai == 0) {
        w.t_Timer();
        continue;
      }
      TeList te;
      const int n = gouhousyu(w.game.aru, w.game.arull, te);
      if (n == 0) break;
      rnd = rnd * 1664525u + 1013904223u;
      const Te& t = te[(rnd >> 8) % n];
      gamen.answers = {t.naru};
      w.e_MouseDown(t.moto);
      w.e_MouseDown(t.saki);
      gamen.answers.clear();
    }
    if (w.game.zyoutai != 0) w.touryou_Click();
    w.hozonn_Click();
    const kifu::Kifu k = read(slurp("kifu.csa"));
    EXPECT_GE(k.te.size(), 10u) << "game " << g;
    EXPECT_TRUE(k.toryo) << "game " << g;
    const std::string csa = kifu::csaKaku(k, "a", "b");
    Kyokumen last;
    EXPECT_EQ(viaReferee(csa, &last), csa) << "game " << g;
    Ban b = w.game.aru;
    Mochi m = w.game.arull;
    if (!userFirst) hanten(w.game.aru, w.game.arull, b, m);
    for (int sq = 11; sq <= 99; ++sq) EXPECT_EQ(last.aru[sq], b[sq]) << "game " << g << " square " << sq;
    EXPECT_EQ(last.arull, m) << "game " << g;
    w.saisenn_Click();
    gamen.msgs.clear();
  }
}

// Move texts, worked out by hand: 同, 成 (forced and chosen), a declined
// promotion left unmarked, 打, and promoted pieces moving.
TEST(KifuTe, KifMoveTexts) {
  struct Case {
    std::vector<std::string> moves;
    std::vector<std::string> kif;
  };
  const Case cases[] = {
      {{"+7776FU", "-3334FU", "+7675FU", "-3435FU", "+7574FU", "-3536FU", "+7473FU", "-3637FU",
        "+7372FU", "-3738FU", "+7271TO", "-6171KI", "+0073FU", "-3839TO", "+4939KI"},
       {"７六歩(77)", "３四歩(33)", "７五歩(76)", "３五歩(34)", "７四歩(75)", "３六歩(35)",
        "７三歩(74)", "３七歩(36)", "７二歩(73)", "３八歩(37)", "７一歩成(72)",
        "同　金(61)", "７三歩打", "３九歩成(38)", "同　金(49)"}},
      {{"+7776FU", "-3334FU", "+8833UM", "-2133KE", "+2726FU", "-0088KA", "+7988GI", "-3345KE",
        "+0055KA", "-4537NK", "+2937KE", "-5152OU", "+5533UM", "-8272HI", "+3344UM"},
       {"７六歩(77)", "３四歩(33)", "３三角成(88)", "同　桂(21)", "２六歩(27)", "８八角打", "同　銀(79)",
        "４五桂(33)", "５五角打", "３七桂成(45)", "同　桂(29)", "５二玉(51)", "３三角成(55)", "７二飛(82)",
        "４四馬(33)"}},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const std::string& m : c.moves) text += "T1\r\n" + m + "\r\n";
    const kifu::Kifu k = read(text);
    ASSERT_EQ(k.te.size(), c.kif.size()) << c.moves[0];
    int mae = 0;
    for (size_t i = 0; i < c.kif.size(); ++i) {
      EXPECT_EQ(kifu::kifTe(k.te[i], mae), c.kif[i]) << c.moves[i];
      mae = k.te[i].saki;
    }
  }
}

TEST(KifuRead, WhatTheWindowDoesNotWriteIsRefusedWithItsLine) {
  const std::string open = "T5\r\n+7776FU\r\nT3\r\n-3334FU\r\n";
  const std::string exchanged = open + "T1\r\n+8822UM\r\nT1\r\n-3122GI\r\n";
  const std::string walk = open + "T1\r\n+5968OU\r\nT1\r\n-8384FU\r\n";
  // The second player's king on 51 beside its rook on 41; a tokin on 53 and a
  // knight on 73 take every square a pawn dropped on 52 leaves it.
  std::string utifu;
  for (const char* m : {"+5756FU", "-8242HI", "+5655FU", "-4132KI", "+5554FU", "-4241HI", "+5453TO",
                        "-6172KI", "+7776FU", "-9394FU", "+8977KE", "-1314FU", "+7765KE", "-9495FU",
                        "+6573KE", "-1415FU"})
    utifu += std::string("T1\r\n") + m + "\r\n";
  const std::string march = open + "T1\r\n+7675FU\r\nT1\r\n-3435FU\r\nT1\r\n+7574FU\r\nT1\r\n-3536FU\r\n" +
                            "T1\r\n+7473FU\r\nT1\r\n-3637FU\r\nT1\r\n+7372FU\r\nT1\r\n-3738FU\r\n";
  struct Case {
    std::string text;
    int line;
    std::string why;
  };
  const Case cases[] = {
      {"", 1, "the file is empty"},
      {"\r\nT5\r\n+7776FU\r\n", 1, "an empty line before a move"},
      {"T5\r\n+7776FU\r\n\r\nT3\r\n-3334FU\r\n", 3, "an empty line"},
      {"+7776FU\r\n", 1, "a move without the time line before it"},
      {"T5\r\nT5\r\n+7776FU\r\n", 1, "a time line that no move follows"},
      {open + "T3\r\n", 5, "a time line that no move follows"},
      {"T0\r\n+7776FU\r\n", 1, "a time line is T and the seconds"},
      {"T5s\r\n+7776FU\r\n", 1, "a time line is T and the seconds"},
      {"V2.2\r\nT5\r\n+7776FU\r\n", 2, "a time line before the first move"},
      {"T5\r\n+7776FU\r\n%CHUDAN\r\n", 3, "not a line of a saved record"},
      {"T5\r\n+7776FU \r\n", 2, "a move is a sign, two squares and a piece name"},
      {"T5\r\n+77a6FU\r\n", 2, "a move is a sign"},
      {"T5\r\n-7776FU\r\n", 2, "move 1 is the first player's and begins with +"},
      {"T5\r\n+7776FU\r\nT3\r\n+3334FU\r\n", 4, "move 2 is the second player's and begins with -"},
      {"T5\r\n+7776XX\r\n", 2, "no piece is named \"XX\""},
      {"T5\r\n+7770FU\r\n", 2, "no square 70"},
      {"T5\r\n+7075FU\r\n", 2, "no square 70"},
      {"T5\r\n+7775FU\r\n", 2, "FU on 77 cannot move to 75"},
      {"T5\r\n+7776KA\r\n", 2, "the piece on 77 is FU, not KA"},
      {"T5\r\n+7776TO\r\n", 2, "FU cannot promote moving from 77 to 76"},
      {"T5\r\n+3334FU\r\n", 2, "the mover has no piece on 33"},
      {"T5\r\n+0055KA\r\n", 2, "the mover has no KA in hand"},
      {exchanged + "T1\r\n+0011KA\r\n", 10, "KA cannot be dropped on 11"},
      {exchanged + "T1\r\n+0055UM\r\n", 10, "only an unpromoted piece other than the king is dropped"},
      {march + "T1\r\n+7271FU\r\n", 22, "FU must promote on 71"},
      {walk + "T1\r\n+6877OU\r\n", 10, "the move leaves the mover's own king in check"},
      {utifu + "T1\r\n+0052FU\r\n", 34, "a pawn drop that mates"},
      {"T5\r\n+7776FU\r\nT3\r\n-3334FU\r\n%MATTA\r\n", 5, "%MATTA (two moves taken back) with fewer than three"},
      {"T5\r\n+7776FU\r\n%TORYO\r\nT3\r\n-3334FU\r\n", 4, "a line after the resignation"},
      {"T5\r\n+7776FU\r\n%TORYO\r\n%TORYO\r\n", 4, "a line after the resignation"},
  };
  for (const Case& c : cases) {
    kifu::Ayamari err;
    EXPECT_FALSE(kifuYomu(c.text, err).has_value()) << c.why;
    EXPECT_EQ(err.gyou, c.line) << c.why;
    EXPECT_EQ(err.why.substr(0, c.why.size()), c.why) << err.why;
  }
  // The same records with their last bad line put right are read.
  for (const std::string& ok : {exchanged + "T1\r\n+0055KA\r\n", march + "T1\r\n+7271TO\r\n",
                                walk + "T1\r\n+6858OU\r\n", utifu + "T1\r\n+0054FU\r\n", open + "T1\r\n+2726FU\r\n%MATTA\r\n",
                                std::string("\r\n%TORYO\r\n"), std::string("T5\n+7776FU")})
    EXPECT_FALSE(read(ok).te.empty() && !read(ok).toryo) << ok;
}

// The program itself: the record on standard output, a refusal on standard
// error with status 2 and nothing on standard output.
TEST_F(KifuFlow, TheProgramWritesTheRecordOrRefusesIt) {
  const std::string prog = std::string(SYOUGI_BINARY_DIR) + "/syougi-kifu";
  {
    std::ofstream("good.csa", std::ios::binary) << "T5\r\n+7776FU\r\n";
    std::ofstream("bad.csa", std::ios::binary) << "T5\r\n+7776FU\r\nT3\r\n-3335FU\r\n";
    std::ofstream("bom.csa", std::ios::binary) << "\xEF\xBB\xBFT5\r\n+7776FU\r\n";
    std::ofstream("cr.csa", std::ios::binary) << "T5\r+7776FU\r";
  }
  struct Case {
    std::string args;
    int status;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {"--sente A --gote B good.csa", 0, "V2.2\nN+A\nN-B\nPI\n+\n+7776FU\nT5\n", ""},
      {"--kif good.csa", 0,
       "#KIF version=2.0 encoding=UTF-8\n手合割：平手\n先手：先手\n後手：後手\n"
       "手数----指手---------消費時間--\n   1 ７六歩(77)   ( 0:05/00:00:05)\n",
       ""},
      {"bad.csa", 2, "", "syougi-kifu: bad.csa: line 4: FU on 33 cannot move to 35: \"-3335FU\"\n"},
      {"--kif bad.csa", 2, "", "syougi-kifu: bad.csa: line 4: FU on 33 cannot move to 35: \"-3335FU\"\n"},
      {"missing.csa", 2, "", "syougi-kifu: cannot read missing.csa: No such file or directory\n"},
      {".", 2, "", "syougi-kifu: cannot read .: Is a directory\n"},
      {"/dev/zero", 2, "", "syougi-kifu: /dev/zero: the file is larger than any saved record\n"},
      {"bom.csa", 0, "V2.2\nN+先手\nN-後手\nPI\n+\n+7776FU\nT5\n", ""},
      {"cr.csa", 2, "",
       "syougi-kifu: cr.csa: line 1: a line ends in CR alone; the lines of a record end in CR LF or LF\n"},
      {"--csa good.csa", 2, "", "usage: syougi-kifu [--kif] [--sente NAME] [--gote NAME] kifu.csa\n"},
  };
  for (const Case& c : cases) {
    const int rc = std::system((prog + " " + c.args + " >out.txt 2>err.txt").c_str());
    ASSERT_TRUE(WIFEXITED(rc)) << c.args;
    EXPECT_EQ(WEXITSTATUS(rc), c.status) << c.args;
    EXPECT_EQ(slurp("out.txt"), c.out) << c.args;
    EXPECT_EQ(slurp("err.txt"), c.err) << c.args;
  }
}

}  // namespace
}  // namespace syougi

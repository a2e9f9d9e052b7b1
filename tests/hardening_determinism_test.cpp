// With a fixed seed the computer's moves are reproducible: in the game flow,
// where the seed comes from the clock at game setup, and in syougi-usi, where
// it is the Seed option. A small book with two exact matches for one position
// makes the random book choice part of what must repeat.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sikou.h"
#include "usi/usi.h"
#include "model/board.h"
#include "model/rules.h"
#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;

// A book record in the file's field order for the position after the user's
// 7776 from the start (computer at the top), with the computer's move.
std::string record(int moto, int saki, const std::string& mei) {
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  b[77] = 0;
  b[76] = 108;
  std::string s = std::to_string(moto) + "," + std::to_string(saki) + ",\"" + mei + "\"";
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) s += "," + std::to_string(b[f * 10 + r]);
  for (int h : {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28})
    s += "," + std::to_string(m[h]);
  return s + "\r\n";
}

class Determinism : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    std::ofstream("joseki.lis", std::ios::binary)
        << record(33, 34, "ibimi") << record(83, 84, "yagmi");
  }

  // A game in the flow: the user opens 7776, then plays the legal move picked
  // by a fixed rule; the computer answers `replies` times. Returns the record.
  static std::string flowGame(double clock, int replies) {
    FakeGamen gamen;
    gamen.now = clock;
    auto com = makeComputer();
    Syougi s(gamen, com.get());
    s.Form_Load();
    s.kaisisennte_Click();
    s.e_MouseDown(77);
    s.e_MouseDown(76);
    for (int n = 0; n < replies; ++n) {
      if (gamen.timer == 0) break;
      s.t_Timer();
      if (s.game.zyoutai != 1 || n + 1 == replies) break;
      TeList list;
      const int count = gouhousyu(s.game.aru, s.game.arull, list);
      if (count == 0) break;
      const Te& t = list[(s.game.tesuu * 7) % count];
      gamen.answers = {t.naru};
      s.e_MouseDown(t.moto);
      s.e_MouseDown(t.saki);
      gamen.answers.clear();
    }
    return s.kifu;
  }
};

TEST_F(Determinism, SameClockGivesTheSameGameInTheFlow) {
  const std::string a = flowGame(45296.25, 6);
  const std::string b = flowGame(45296.25, 6);
  EXPECT_EQ(a, b);
  // Both records hold the whole game: two lines per move, 12 moves.
  EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), 23);
  // The first reply is one of the two book moves.
  const std::string first = a.substr(a.find("\r\n", 12) + 2, 7);
  EXPECT_TRUE(first == "-3334FU" || first == "-8384FU") << first;
}

TEST_F(Determinism, TheClockReachesTheBookChoiceInTheFlow) {
  std::set<std::string> firsts;
  for (int k = 0; k < 40; ++k) {
    const std::string kifu = flowGame(36000.0 + k * 1.5, 1);
    firsts.insert(kifu.substr(kifu.find("\r\n", 12) + 2));
  }
  EXPECT_EQ(firsts, (std::set<std::string>{"-3334FU", "-8384FU"}));
}

// The bestmove and strategy lines of a USI session (the info lines carry
// times, which differ).
std::string usiSession(const std::string& commands) {
  UsiEngine e(makeComputer());
  std::istringstream in(commands);
  std::ostringstream out;
  e.run(in, out);
  std::istringstream lines(out.str());
  std::string r;
  for (std::string l; std::getline(lines, l);)
    if (l.rfind("bestmove", 0) == 0 || l.rfind("info string strategy", 0) == 0) r += l + "\n";
  return r;
}

TEST_F(Determinism, SameSeedGivesTheSameMovesInUsi) {
  const std::string cmds =
      "setoption name Seed value 7\n"
      "usinewgame\n"
      "position startpos moves 7g7f\n"
      "go\n"
      "position startpos moves 7g7f 3c3d 2g2f\n"
      "go\n"
      "position startpos moves 7g7f 3c3d 2g2f 8c8d 2f2e\n"
      "go\n"
      "position startpos\n"
      "go\n"
      "quit\n";
  const std::string a = usiSession(cmds);
  const std::string b = usiSession(cmds);
  EXPECT_EQ(a, b);
  int moves = 0;
  for (size_t p = 0; (p = a.find("bestmove ", p)) != std::string::npos; ++p) ++moves;
  EXPECT_EQ(moves, 4);
  EXPECT_EQ(a.find("resign"), std::string::npos);
  // The book answers the first position with one of its two moves.
  EXPECT_TRUE(a.find("bestmove 3c3d\n") == a.find("bestmove ") ||
              a.find("bestmove 8c8d\n") == a.find("bestmove "))
      << a;
}

TEST_F(Determinism, TheSeedReachesTheBookChoiceInUsi) {
  std::set<std::string> moves;
  for (int seed = 1; seed <= 40; ++seed) {
    const std::string a = usiSession("setoption name Seed value " + std::to_string(seed) +
                                     "\nposition startpos moves 7g7f\ngo\nquit\n");
    const size_t p = a.find("bestmove ");
    ASSERT_NE(p, std::string::npos);
    moves.insert(a.substr(p + 9, a.find('\n', p) - p - 9));
  }
  EXPECT_EQ(moves, (std::set<std::string>{"3c3d", "8c8d"}));
}

}  // namespace
}  // namespace syougi

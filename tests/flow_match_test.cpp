// Short games of the window's flow against the real computer player: each of
// the computer's moves must be legal, and its record line must describe
// exactly the change it made to the board, in both move orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/sikou.h"
#include "model/rules.h"
#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;

struct Seen {
  Ban aru;
  Mochi arull;
};

// Applies a computer's record line to the position before it, independently
// of the window's own code.
Seen replay(const Seen& before, const std::string& line, int tesuu) {
  Seen s = before;
  EXPECT_EQ(line.size(), 7u) << line;
  EXPECT_EQ(line[0], tesuu % 2 == 1 ? '+' : '-') << line;
  auto sq = [&](int pos) {
    const int v = (line[pos] - '0') * 10 + (line[pos + 1] - '0');
    return tesuu % 2 == 1 ? 110 - v : v;
  };
  const int32_t kind = kindOfRecordName(line.c_str() + 5);
  EXPECT_NE(kind, 0) << line;
  const int dst = sq(3);
  if (line.compare(1, 2, "00") == 0) {
    s.arull[20 + kind] -= 1;
  } else {
    const int src = sq(1);
    EXPECT_EQ(sideOf(s.aru[src]), 2) << line;
    const int32_t old = kindOf(s.aru[src]);
    EXPECT_TRUE(old == kind || old + 10 == kind) << line;
    s.aru[src] = 0;
  }
  const int32_t cap = s.aru[dst];
  EXPECT_NE(sideOf(cap), 2) << line;
  if (sideOf(cap) == 1 && cap != 101) s.arull[20 + cap % 10] += 1;
  s.aru[dst] = 200 + kind;
  return s;
}

// True when the computer's move, seen from its own side, is in the legal list.
bool legal(const Seen& before, const Seen& after) {
  Ban b;
  Mochi m;
  hanten(before.aru, before.arull, b, m);
  static TeList te;
  const int n = gouhousyu(b, m, te);
  for (int i = 0; i < n && i < 1000; ++i) {
    Ban bb = b;
    Mochi mm = m;
    sasu1(bb, mm, te[i].moto, te[i].saki, te[i].naru);
    Ban back;
    Mochi backll;
    hanten(bb, mm, back, backll);
    bool same = backll == after.arull;
    for (int c = 11; c < 100 && same; ++c) same = back[c] == after.aru[c];
    if (same) return true;
  }
  return false;
}

class FlowMatch : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    com = makeComputer();
    ASSERT_NE(com, nullptr);
    com->setBookPath(std::string(SYOUGI_SOURCE_DIR) + "/data/joseki.lis");
    s = std::make_unique<Syougi>(gamen, com.get());
  }

  // The user plays a legal move chosen by the ply number.
  void userMove(int ply) {
    TeList te;
    const int n = gouhousyu(s->game.aru, s->game.arull, te);
    ASSERT_GT(n, 0);
    const Te& t = te[(ply * 7) % std::min(n, 1000)];
    gamen.answers = {t.naru};
    const int before = s->game.tesuu;
    s->e_MouseDown(t.moto);
    s->e_MouseDown(t.saki);
    gamen.answers.clear();
    ASSERT_EQ(s->game.tesuu, before + 1) << t.moto << "-" << t.saki;
  }

  // The computer replies; false when it resigned.
  bool computerMove() {
    const Seen before{s->game.aru, s->game.arull};
    const int t = s->game.tesuu;
    const std::string kifu = s->kifu;
    s->t_Timer();
    if (s->game.tesuu == t) {
      EXPECT_EQ(s->kifu, kifu + "\r\n%TORYO");
      return false;
    }
    EXPECT_EQ(s->game.tesuu, t + 1);
    const std::string& line = s->game.sasite;
    const Seen after{s->game.aru, s->game.arull};
    const Seen expect = replay(before, line, t);
    for (int c = 0; c < 100; ++c) EXPECT_EQ(after.aru[c], expect.aru[c]) << line << " cell " << c;
    EXPECT_EQ(after.arull, expect.arull) << line;
    EXPECT_TRUE(legal(before, after)) << line;
    const std::string tail = "\r\n" + line;
    EXPECT_EQ(s->kifu.substr(s->kifu.size() - tail.size()), tail);
    for (int c = 0; c < 100; ++c) EXPECT_EQ(s->game.rekiaru[t][c], after.aru[c]);
    EXPECT_EQ(s->game.zyoutai, 1);
    EXPECT_TRUE(gamen.shown(Senn::senn2));
    return true;
  }

  FakeGamen gamen;
  std::unique_ptr<Computer> com;
  std::unique_ptr<Syougi> s;
};

TEST_F(FlowMatch, ComputerMovingSecondRecordsWhatItPlays) {
  s->kaisisennte_Click();
  for (int ply = 0; ply < 5; ++ply) {
    userMove(ply);
    if (!computerMove()) break;
  }
  EXPECT_EQ(s->kifu.substr(0, 1), "T");
}

TEST_F(FlowMatch, ComputerMovingFirstRecordsWhatItPlays) {
  s->kaisigote_Click();
  ASSERT_TRUE(computerMove());
  EXPECT_EQ(s->kifu.substr(0, 1), "T");
  for (int ply = 0; ply < 4; ++ply) {
    userMove(ply);
    if (!computerMove()) break;
  }
}


// Applies any record line (the user's or the computer's) to the position
// before it; `userFirst` decides how squares are written.
Seen replayLine(const Seen& before, const std::string& line, int tesuu, bool userFirst) {
  const bool userMoved = (tesuu % 2 == 1) == userFirst;
  const bool rotated = (tesuu % 2 == 1) != userMoved;  // computer odd or user even
  const int side = userMoved ? 1 : 2;
  Seen s = before;
  EXPECT_EQ(line.size(), 7u) << line;
  EXPECT_EQ(line[0], tesuu % 2 == 1 ? '+' : '-') << line;
  auto sq = [&](int pos) {
    const int v = (line[pos] - '0') * 10 + (line[pos + 1] - '0');
    return rotated ? 110 - v : v;
  };
  const int32_t kind = kindOfRecordName(line.c_str() + 5);
  EXPECT_NE(kind, 0) << line;
  const int dst = sq(3);
  if (line.compare(1, 2, "00") == 0) {
    s.arull[side * 10 + kind] -= 1;
  } else {
    const int src = sq(1);
    EXPECT_EQ(sideOf(s.aru[src]), side) << line;
    s.aru[src] = 0;
  }
  const int32_t cap = s.aru[dst];
  if (cap > 100 && sideOf(cap) != side && kindOf(cap) != OU) s.arull[side * 10 + cap % 10] += 1;
  s.aru[dst] = side * 100 + kind;
  return s;
}

std::vector<std::string> recordLines(const std::string& kifu) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= kifu.size()) {
    const size_t end = kifu.find("\r\n", pos);
    out.push_back(kifu.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 2;
  }
  return out;
}

// Whole games from both start buttons against a user who plays random legal
// moves and resigns when none is left: every game ends by a resignation or at
// the history bound, every computer move is legal (checked move by move), and
// replaying the finished record reproduces every stored position.
TEST_F(FlowMatch, WholeGamesAgainstARandomUserReplayFromTheRecord) {
  for (int g = 0; g < 4; ++g) {
    const bool userFirst = g % 2 == 0;
    gamen.now = 3600.0 + 97 * g;  // fixes the book's random choice
    userFirst ? s->kaisisennte_Click() : s->kaisigote_Click();
    uint32_t rnd = 2024u + 7919u * g;
    bool over = false;
    while (!over) {
      const bool userTurn = s->game.zyoutai != 0;
      if (s->game.tesuu > kRekiMax) {
        // The bound: the user may only resign, the computer's tick ends it.
        if (userTurn)
          s->touryou_Click();
        else
          s->t_Timer();
        over = true;
      } else if (!userTurn) {
        over = !computerMove();
      } else {
        TeList te;
        const int n = gouhousyu(s->game.aru, s->game.arull, te);
        if (n == 0) {
          s->touryou_Click();
          over = true;
          break;
        }
        rnd = rnd * 1664525u + 1013904223u;
        const Te& t = te[(rnd >> 8) % n];
        gamen.answers = {t.naru};
        const int before = s->game.tesuu;
        s->e_MouseDown(t.moto);
        s->e_MouseDown(t.saki);
        gamen.answers.clear();
        ASSERT_EQ(s->game.tesuu, before + 1) << "game " << g;
      }
      gamen.now += 3;
    }
    EXPECT_EQ(s->game.zyoutai, 0) << "game " << g;

    // Replay the record: time line, move line, ..., maybe "%TORYO" last.
    const std::vector<std::string> lines = recordLines(s->kifu);
    Seen pos;
    syokihaiti(pos.aru, pos.arull);
    int t = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] == "%TORYO") {
        EXPECT_EQ(i + 1, lines.size()) << "game " << g;
        break;
      }
      ASSERT_EQ(lines[i][0], 'T') << "game " << g << " line " << i;
      ASSERT_LT(i + 1, lines.size());
      ++t;
      pos = replayLine(pos, lines[++i], t, userFirst);
      for (int c = 11; c < 100; ++c)
        ASSERT_EQ(s->game.rekiaru[t][c], pos.aru[c]) << "game " << g << " move " << t << " cell " << c;
      for (int k = 0; k < 29; ++k)
        ASSERT_EQ(s->game.rekiarull[t][k], pos.arull[k]) << "game " << g << " move " << t;
    }
    EXPECT_GE(t, 4) << "game " << g;
    if (t < kRekiMax) {
      EXPECT_EQ(s->game.rekiaru[t + 1][11], 999) << "game " << g;
    }
    s->saisenn_Click();
  }
}

}  // namespace
}  // namespace syougi

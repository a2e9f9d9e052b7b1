// Short games of the window's flow against the real computer player: each of
// the computer's moves must be legal, and its record line must describe
// exactly the change it made to the board, in both move orders.
#include <gtest/gtest.h>

#include <memory>

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
  static Te te[1000];
  const int n = gouhousyu(b, m, te, 1000);
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
    Te te[1000];
    const int n = gouhousyu(s->game.aru, s->game.arull, te, 1000);
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

}  // namespace
}  // namespace syougi

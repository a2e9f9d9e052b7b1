// The user's move rules against the published shogi perft counts: side 1 moves
// through the same marking and king-safety code the clicks use, and side 2 by
// turning the board around.
#include <gtest/gtest.h>

#include "model/board.h"
#include "model/rules.h"

using namespace syougi;

namespace {

long perft(const Ban& b, const Mochi& m, int depth) {
  TeList moves;
  const int n = gouhousyu(b, m, moves);
  if (depth == 1) return n;
  long total = 0;
  for (int i = 0; i < n; ++i) {
    Ban nb = b;
    Mochi nm = m;
    sasu1(nb, nm, moves[i].moto, moves[i].saki, moves[i].naru);
    Ban rb;
    Mochi rm;
    hanten(nb, nm, rb, rm);  // the other side to move, seen as side 1
    total += perft(rb, rm, depth - 1);
  }
  return total;
}

}  // namespace

TEST(Perft, StartPositionDepthsOneToFour) {
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  EXPECT_EQ(perft(b, m, 1), 30);
  EXPECT_EQ(perft(b, m, 2), 900);
  EXPECT_EQ(perft(b, m, 3), 25470);
  EXPECT_EQ(perft(b, m, 4), 719731);
}

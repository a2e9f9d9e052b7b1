#include <gtest/gtest.h>

#include "model/attacks.h"
#include "model/board.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

using test::emptyBoard;

struct Maps {
  Kiki t1{}, t2{};
  int32_t ou1 = -1, ou2 = -1;
  explicit Maps(const Ban& b) { torisirabe(b, t1, t2, ou1, ou2); }
};

}  // namespace

TEST(StartPosition, PiecesAndHands) {
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  const int top[] = {207, 206, 205, 204, 201, 204, 205, 206, 207};
  const int bottom[] = {107, 106, 105, 104, 101, 104, 105, 106, 107};
  for (int f = 1; f <= 9; ++f) {
    EXPECT_EQ(b[f * 10 + 1], top[f - 1]);
    EXPECT_EQ(b[f * 10 + 9], bottom[f - 1]);
    EXPECT_EQ(b[f * 10 + 3], 208);
    EXPECT_EQ(b[f * 10 + 7], 108);
  }
  EXPECT_EQ(b[22], 203);
  EXPECT_EQ(b[82], 202);
  EXPECT_EQ(b[28], 102);
  EXPECT_EQ(b[88], 103);
  for (int c = 0; c < 112; ++c)
    if (!isSquare(c)) {
      EXPECT_EQ(b[c], SOTO) << c;
    }
  for (int v : m) EXPECT_EQ(v, 0);
}

TEST(StartPosition, KingsAndPawnRanks) {
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  Maps a(b);
  EXPECT_EQ(a.ou1, 59);
  EXPECT_EQ(a.ou2, 51);
  for (int f = 1; f <= 9; ++f) {
    EXPECT_GE(a.t1[f * 10 + 6], 1);
    EXPECT_GE(a.t2[f * 10 + 4], 1);
  }
  // The side-1 rook on 28 sees up to the pawn on 27 only.
  EXPECT_EQ(a.t1[27], 1 + 0);  // rook only: the pawn on 27 is not supported by anything
}

TEST(Torisirabe, RookSupportsThroughGold) {
  Ban b = emptyBoard();
  b[28] = 102;
  b[27] = 104;
  Maps a(b);
  EXPECT_EQ(a.t1[27], 1);
  EXPECT_EQ(a.t1[26], 2);  // the gold's own step plus the rook behind it
  EXPECT_EQ(a.t1[25], 0);
}

TEST(Torisirabe, OpposingKingIsTransparent) {
  Ban b = emptyBoard();
  b[55] = 102;
  b[52] = 201;
  Maps a(b);
  EXPECT_EQ(a.t1[54], 1);
  EXPECT_EQ(a.t1[53], 1);
  EXPECT_EQ(a.t1[52], 1);
  EXPECT_EQ(a.t1[51], 1);
  EXPECT_EQ(a.ou2, 52);
}

TEST(Torisirabe, BishopSupportedBySilverButNotGoldBackward) {
  // Side-1 bishop on 55; backward diagonal +11 leads to 66, 77.
  Ban b = emptyBoard();
  b[55] = 103;
  b[66] = 104;  // gold does not move diagonally backward
  Maps a(b);
  EXPECT_EQ(a.t1[66], 1);
  EXPECT_EQ(a.t1[77], 0);
  b[66] = 105;  // a silver does, so the bishop counts once more behind it
  Maps c(b);
  EXPECT_EQ(c.t1[77], 2);  // the silver's own step plus the bishop
}

TEST(Torisirabe, OffBoardCellsAreCounted) {
  Ban b = emptyBoard();
  b[19] = 102;  // side-1 rook in the corner
  Maps a(b);
  EXPECT_EQ(a.t1[20], 1);  // the +1 line ends on the off-board cell below
  EXPECT_EQ(a.t1[9], 1);   // the -10 line ends on cell 9
}

TEST(Torisirabe, SideTwoOffBoardIsNeverSupport) {
  // A side-2 rook's line that ends at the edge must not count past it.
  Ban b = emptyBoard();
  b[12] = 202;
  Maps a(b);
  EXPECT_EQ(a.t2[2], 1);
  EXPECT_EQ(a.t2[11], 1);
  EXPECT_EQ(a.t2[10], 1);
  EXPECT_EQ(a.t2[9], 0);
}

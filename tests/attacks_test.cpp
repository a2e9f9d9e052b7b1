#include <gtest/gtest.h>

#include <vector>

#include "model/attacks.h"
#include "model/board.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

using test::emptyBoard;

struct Maps : Men {
  explicit Maps(const Ban& b) {
    aru = b;
    oupl1 = oupl2 = -1;
    torisirabe(*this);
  }
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

// The table-read remainders and cell and side tests against plain
// arithmetic, inside the tables' range and outside it.
TEST(BoardNumbers, TablesAgreeWithDivision) {
  for (int x = -300; x <= 600; ++x) {
    EXPECT_EQ(mod100(x), x % 100) << x;
    EXPECT_EQ(mod10(x), x % 10) << x;
    EXPECT_EQ(kindOf(x), x % 100) << x;
    EXPECT_EQ(rankOf(x), x % 10) << x;
    EXPECT_EQ(isSquare(x), x >= 11 && x <= 99 && x % 10 != 0) << x;
    EXPECT_EQ(sideIs<1>(x), x / 100 == 1) << x;
    EXPECT_EQ(sideIs<2>(x), x / 100 == 2) << x;
  }
}

TEST(StartPosition, KingsAndPawnRanks) {
  Ban b;
  Mochi m;
  syokihaiti(b, m);
  Maps a(b);
  EXPECT_EQ(a.oupl1, 59);
  EXPECT_EQ(a.oupl2, 51);
  for (int f = 1; f <= 9; ++f) {
    EXPECT_GE(a.toripl1[f * 10 + 6], 1);
    EXPECT_GE(a.toripl2[f * 10 + 4], 1);
  }
  // The side-1 rook on 28 sees up to the pawn on 27 only.
  EXPECT_EQ(a.toripl1[27], 1 + 0);  // rook only: the pawn on 27 is not supported by anything
}

TEST(Torisirabe, RookSupportsThroughGold) {
  Ban b = emptyBoard();
  b[28] = 102;
  b[27] = 104;
  Maps a(b);
  EXPECT_EQ(a.toripl1[27], 1);
  EXPECT_EQ(a.toripl1[26], 2);  // the gold's own step plus the rook behind it
  EXPECT_EQ(a.toripl1[25], 0);
}

TEST(Torisirabe, OpposingKingIsTransparent) {
  Ban b = emptyBoard();
  b[55] = 102;
  b[52] = 201;
  Maps a(b);
  EXPECT_EQ(a.toripl1[54], 1);
  EXPECT_EQ(a.toripl1[53], 1);
  EXPECT_EQ(a.toripl1[52], 1);
  EXPECT_EQ(a.toripl1[51], 1);
  EXPECT_EQ(a.oupl2, 52);
}

TEST(Torisirabe, OffBoardCellsAreCounted) {
  Ban b = emptyBoard();
  b[19] = 102;  // side-1 rook in the corner
  Maps a(b);
  EXPECT_EQ(a.toripl1[20], 1);  // the +1 line ends on the off-board cell below
  EXPECT_EQ(a.toripl1[9], 1);   // the -10 line ends on cell 9
}

TEST(Torisirabe, SideTwoOffBoardIsNeverSupport) {
  // A side-2 rook's line that ends at the edge must not count past it.
  Ban b = emptyBoard();
  b[12] = 202;
  Maps a(b);
  EXPECT_EQ(a.toripl2[2], 1);
  EXPECT_EQ(a.toripl2[11], 1);
  EXPECT_EQ(a.toripl2[10], 1);
  EXPECT_EQ(a.toripl2[9], 0);
}

namespace {

// The other side's code for a piece; empty and off-board cells stay.
int32_t mirrorCode(int32_t c) { return c > 200 ? c - 100 : (c > 100 ? c + 100 : c); }
// The same step seen from side 2: the rank step changes sign.
int mirrorStep(int d) {
  const int df = (d + 55) / 10 - 5;  // -1, 0 or +1 files
  return 10 * df - (d - 10 * df);
}

enum Behind { kThrough, kSupport, kStop };

struct LineCase {
  const char* what;
  std::vector<int32_t> sliders;  // side 1's codes; every row is run for side 2 mirrored
  int d;                         // side 1's direction
  Behind behind;
  std::vector<int32_t> blockers;
};

// Side 1 forward is -1; forward diagonals -11 and +9, backward -9 and +11.
const LineCase kLines[] = {
    {"rook forward through", {102, 112}, -1, kThrough, {0, 201, 102, 112, 107}},
    {"rook forward support", {102, 112}, -1, kSupport, {104, 105, 108, 113, 115, 116, 117, 118}},
    {"rook forward stop", {102, 112}, -1, kStop, {101, 103, 106, 204, 208, 212, 202}},
    {"rook right through", {102, 112}, -10, kThrough, {0, 201, 102, 112}},
    {"rook right support", {102, 112}, -10, kSupport, {104, 113, 115, 116, 117, 118}},
    {"rook right stop", {102, 112}, -10, kStop, {101, 103, 105, 106, 107, 108, 204}},
    {"rook left through", {102, 112}, 10, kThrough, {0, 201, 102, 112}},
    {"rook left support", {102, 112}, 10, kSupport, {104, 113, 115, 116, 117, 118}},
    {"rook left stop", {102, 112}, 10, kStop, {101, 105, 107, 108, 204}},
    {"rook back through", {102, 112}, 1, kThrough, {0, 201, 102, 112}},
    {"rook back support", {102, 112}, 1, kSupport, {104, 113, 115, 116, 117, 118}},
    {"rook back stop", {102, 112}, 1, kStop, {101, 105, 107, 108, 218}},
    {"bishop forward right through", {103, 113}, -11, kThrough, {0, 201, 103, 113}},
    {"bishop forward right support", {103, 113}, -11, kSupport, {104, 105, 112, 115, 116, 117, 118}},
    {"bishop forward right stop", {103, 113}, -11, kStop, {101, 102, 106, 107, 108, 205}},
    {"bishop forward left through", {103, 113}, 9, kThrough, {0, 201, 103, 113}},
    {"bishop forward left support", {103, 113}, 9, kSupport, {104, 105, 112, 115, 116, 117, 118}},
    {"bishop forward left stop", {103, 113}, 9, kStop, {101, 102, 108, 215}},
    {"bishop back right through", {103, 113}, -9, kThrough, {0, 201, 103, 113}},
    {"bishop back right support", {103, 113}, -9, kSupport, {105, 112}},
    {"bishop back right stop", {103, 113}, -9, kStop, {101, 104, 108, 115, 116, 117, 118, 205}},
    {"bishop back left through", {103, 113}, 11, kThrough, {0, 201, 103, 113}},
    {"bishop back left support", {103, 113}, 11, kSupport, {105, 112}},
    {"bishop back left stop", {103, 113}, 11, kStop, {101, 102, 104, 115, 116, 117, 118, 212}},
    {"lance through", {107}, -1, kThrough, {0, 201, 102, 112, 107}},
    {"lance support", {107}, -1, kSupport, {104, 105, 108, 113, 115, 116, 117, 118}},
    {"lance stop", {107}, -1, kStop, {101, 103, 106, 204}},
};

// What the slider on 55 alone adds one and two squares behind the piece next
// to it: the counts with the slider less the counts without it.
void expectBehind(int side, int32_t slider, int d, int32_t blocker, Behind behind,
                  const char* what) {
  Ban b = emptyBoard();
  b[55 + d] = blocker;
  const Maps without(b);
  b[55] = slider;
  const Maps with(b);
  const Kiki& w = side == 1 ? with.toripl1 : with.toripl2;
  const Kiki& o = side == 1 ? without.toripl1 : without.toripl2;
  const int one = behind == kStop ? 0 : 1, two = behind == kThrough ? 1 : 0;
  EXPECT_EQ(w[55 + d] - o[55 + d], 1) << what << ": side " << side << " " << slider << " "
                                      << blocker;
  EXPECT_EQ(w[55 + 2 * d] - o[55 + 2 * d], one)
      << what << ": side " << side << " " << slider << " " << blocker;
  EXPECT_EQ(w[55 + 3 * d] - o[55 + 3 * d], two)
      << what << ": side " << side << " " << slider << " " << blocker;
}

}  // namespace

TEST(Torisirabe, LinesPassSupportOrStopByTheFirstPiece) {
  for (const LineCase& c : kLines) {
    for (int32_t s : c.sliders) {
      for (int32_t k : c.blockers) {
        expectBehind(1, s, c.d, k, c.behind, c.what);
        expectBehind(2, mirrorCode(s), mirrorStep(c.d), mirrorCode(k), c.behind, c.what);
      }
    }
  }
}

TEST(Torisirabe, RaysFromTheCornerSquare11) {
  struct Ray {
    int32_t code;
    int cell;
    int16_t count;
  };
  // Bishops, rooks and a horse on 11: every line meets an off-board cell at
  // once or runs eight squares to the far edge and ends there, uncounted past.
  const Ray rays[] = {
      {103, 0, 1},   {103, 2, 1},  {103, 20, 1}, {103, 22, 1}, {103, 99, 1}, {103, 110, 0},
      {102, 1, 1},   {102, 10, 1}, {102, 12, 1}, {102, 19, 1}, {102, 20, 0}, {102, 91, 1},
      {102, 101, 0}, {113, 0, 1},  {113, 1, 1},  {113, 10, 1}, {113, 12, 1}, {113, 21, 1},
      {203, 0, 1},   {203, 2, 1},  {203, 22, 1}, {203, 20, 1}, {202, 1, 1},  {202, 10, 1},
      {202, 19, 1},  {202, 20, 0},
  };
  for (const Ray& r : rays) {
    Ban b = emptyBoard();
    b[11] = r.code;
    const Maps a(b);
    const Kiki& t = r.code > 200 ? a.toripl2 : a.toripl1;
    EXPECT_EQ(t[r.cell], r.count) << r.code << " cell " << r.cell;
  }
  // Nothing else is counted.
  Ban b = emptyBoard();
  b[11] = 103;
  const Maps a(b);
  int16_t total = 0;
  for (int c = 0; c < 112; ++c) total = static_cast<int16_t>(total + a.toripl1[c]);
  EXPECT_EQ(total, 11);  // 0, 2, 20 and the eight squares 22..99
}

TEST(Torisirabe, KingSquaresKeptWhenAKingIsMissing) {
  struct Case {
    int32_t at1, at2;  // squares of 101 and 201, 0 for none
    int32_t ou1, ou2;  // expected
  };
  const Case cases[] = {{0, 0, 37, 73}, {58, 0, 58, 73}, {0, 42, 37, 42}, {58, 42, 58, 42}};
  for (const Case& c : cases) {
    Ban b = emptyBoard();
    b[66] = 102;
    if (c.at1) b[c.at1] = 101;
    if (c.at2) b[c.at2] = 201;
    Men m;
    m.aru = b;
    m.oupl1 = 37, m.oupl2 = 73;
    torisirabe(m);
    EXPECT_EQ(m.oupl1, c.ou1) << c.at1 << " " << c.at2;
    EXPECT_EQ(m.oupl2, c.ou2) << c.at1 << " " << c.at2;
  }
}

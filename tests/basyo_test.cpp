#include <gtest/gtest.h>

#include "engine/basyo.h"
#include "model/attacks.h"
#include "model/board.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

using test::emptyBoard;

struct Pos : Men {
  Pos() { aru = emptyBoard(); }
  void maps() { torisirabe(*this); }
};

Pos startPos() {
  Pos p;
  syokihaiti(p.aru, p.arull);
  p.maps();
  return p;
}

// Cells outside 10..109 must never be written; a sentinel shows it.
Basyo sentinelBasyo(int32_t teban) {
  Basyo b;
  b.basyo1.fill(-7);
  b.basyo2.fill(-7);
  b.teban = teban;
  return b;
}

void run(Basyo& b, const Pos& p, int32_t tesuu) {
  basyosirabe(b, p, tesuu);
}

}  // namespace

TEST(BasyoStage, EarlyGameStaysAtStageOne) {
  Pos p = startPos();
  Basyo b = sentinelBasyo(1);
  run(b, p, 10);
  EXPECT_EQ(b.teban, 1);
  EXPECT_EQ(b.basyo1[55], 35);
  EXPECT_EQ(b.basyo2[55], 35);
  EXPECT_EQ(b.basyo1[11], 30);
  EXPECT_EQ(b.basyo1[50], 34);
  EXPECT_EQ(b.basyo2[50], 34);
  EXPECT_EQ(b.basyo1[10], 30);
  EXPECT_EQ(b.basyo1[90], 30);
  EXPECT_EQ(b.basyo1[100], 30);
  EXPECT_EQ(b.basyo2[109], 30);
  // Near the kings nothing extra at stage 1: 58 is 30 + centre 4.
  EXPECT_EQ(b.basyo1[58], 34);
  EXPECT_EQ(b.basyo2[52], 34);
  EXPECT_EQ(b.basyo1[37], 33);
}

TEST(BasyoStage, OnlyCellsTenTo109AreWritten) {
  Pos p = startPos();
  Basyo b = sentinelBasyo(1);
  run(b, p, 30);
  for (int c : {0, 1, 5, 9, 110, 111}) {
    EXPECT_EQ(b.basyo1[c], -7) << c;
    EXPECT_EQ(b.basyo2[c], -7) << c;
  }
  for (int c = 10; c <= 109; ++c) {
    EXPECT_GE(b.basyo1[c], 30) << c;
    EXPECT_GE(b.basyo2[c], 30) << c;
  }
}

TEST(BasyoStage, MoveSixteenIsStageTwo) {
  Pos p = startPos();
  Basyo b;
  run(b, p, 15);
  EXPECT_EQ(b.teban, 1);
  run(b, p, 16);
  EXPECT_EQ(b.teban, 2);
}

TEST(BasyoStage, MinorPieceInEitherHandIsStageThree) {
  for (int cell : {14, 15, 16, 17, 24, 25, 26, 27}) {
    Pos p = startPos();
    p.arull[cell] = 1;
    Basyo b;
    run(b, p, 3);
    EXPECT_EQ(b.teban, 3) << cell;
    // The hand rule comes after the move-number rule and wins over it.
    run(b, p, 40);
    EXPECT_EQ(b.teban, 3) << cell;
  }
}

TEST(BasyoStage, PawnsAndMajorsInHandDoNotChangeTheStage) {
  Pos p = startPos();
  p.arull[12] = 1;
  p.arull[13] = 1;
  p.arull[18] = 3;
  p.arull[22] = 1;
  p.arull[23] = 1;
  p.arull[28] = 2;
  Basyo b;
  run(b, p, 5);
  EXPECT_EQ(b.teban, 1);
}

TEST(BasyoStage, UnattackedDragonIsStageFour) {
  Pos p;
  p.aru[59] = 101;
  p.aru[51] = 201;
  p.aru[95] = 112;
  p.maps();
  Basyo b;
  run(b, p, 5);
  EXPECT_EQ(b.teban, 4);
}

TEST(BasyoStage, AttackedDragonIsNotStageFour) {
  Pos p;
  p.aru[59] = 101;
  p.aru[51] = 201;
  p.aru[95] = 112;
  p.aru[94] = 208;  // the side-2 pawn attacks 95
  p.maps();
  ASSERT_GT(p.toripl2[95], 0);
  Basyo b;
  run(b, p, 5);
  EXPECT_EQ(b.teban, 1);
  run(b, p, 20);
  EXPECT_EQ(b.teban, 2);
}

TEST(BasyoStage, EachSidesPromotedPiecesCount) {
  for (int code : {112, 113, 118, 212, 213, 218}) {
    Pos p;
    p.aru[59] = 101;
    p.aru[51] = 201;
    p.aru[15] = code;
    p.maps();
    Basyo b;
    run(b, p, 5);
    EXPECT_EQ(b.teban, 4) << code;
  }
  // A side-2 tokin defended by side 2 but attacked by side 1 is no trigger,
  // nor is an unpromoted rook.
  Pos p;
  p.aru[59] = 101;
  p.aru[51] = 201;
  p.aru[15] = 218;
  p.aru[17] = 107;  // lance attacks 16 and 15
  p.aru[95] = 102;
  p.maps();
  ASSERT_GT(p.toripl1[15], 0);
  Basyo b;
  run(b, p, 5);
  EXPECT_EQ(b.teban, 1);
}

TEST(BasyoStage, StagePersistsWhenNoRuleApplies) {
  Pos p = startPos();
  Basyo b;
  b.teban = 3;
  run(b, p, 4);
  EXPECT_EQ(b.teban, 3);
  EXPECT_EQ(b.basyo1[55], 20 + 5 + 2);  // enemy pattern rank step +4
  b.teban = 4;
  run(b, p, 4);
  EXPECT_EQ(b.teban, 4);
  // A later rule still overrides: the move-number rule lowers 4 to 2.
  run(b, p, 16);
  EXPECT_EQ(b.teban, 2);
}

TEST(BasyoRegions, KingOnBackRankAtStageTwo) {
  Pos p = startPos();  // kings on 59 and 51
  Basyo b = sentinelBasyo(1);
  run(b, p, 16);
  ASSERT_EQ(b.teban, 2);
  EXPECT_EQ(b.basyo1[58], 30 + 4 + 4);
  EXPECT_EQ(b.basyo1[49], 30 + 2 + 4);
  EXPECT_EQ(b.basyo1[59], 30 + 3 + 4);
  EXPECT_EQ(b.basyo1[57], 30 + 5 + 2);
  EXPECT_EQ(b.basyo1[56], 30 + 5 + 1);
  EXPECT_EQ(b.basyo1[55], 30 + 5);
  EXPECT_EQ(b.basyo1[19], 30 + 0 + 1);  // file step -4, rank step 0
  EXPECT_EQ(b.basyo1[18], 30 + 0 + 1);  // file step -4, rank step -1
  EXPECT_EQ(b.basyo1[17], 30 + 1 + 0);
  // Nothing below rank 9: the cells past it are per-file cells and rank 1
  // of the next file, which must not pick up rank steps +1 and +2.
  EXPECT_EQ(b.basyo1[60], 30 + 3);
  EXPECT_EQ(b.basyo1[50], 30 + 4);
  EXPECT_EQ(b.basyo1[61], 30 + 2 + 4);  // only the enemy pattern around 51
  // Around side 2's king, with forward toward rank 9.
  EXPECT_EQ(b.basyo2[52], 30 + 4 + 4);
  EXPECT_EQ(b.basyo2[41], 30 + 2 + 4);
  EXPECT_EQ(b.basyo2[54], 30 + 5 + 1);
  EXPECT_EQ(b.basyo2[50], 30 + 4);
  // basyo1's enemy pattern around 51: rank step +3 is 54 (2), +1 is 52 (4).
  EXPECT_EQ(b.basyo1[52], 30 + 4 + 4);
  EXPECT_EQ(b.basyo1[54], 30 + 5 + 2);
  EXPECT_EQ(b.basyo1[41], 30 + 2 + 4);
  // basyo2's enemy pattern around 59, mirrored: 56 is its rank step +3.
  EXPECT_EQ(b.basyo2[56], 30 + 5 + 2);
  EXPECT_EQ(b.basyo2[58], 30 + 4 + 4);
}

TEST(BasyoRegions, OwnPatternIsMirroredForSideTwo) {
  // Kings far apart so that the enemy patterns do not reach the cells read.
  Pos p;
  p.aru[96] = 101;
  p.aru[14] = 201;
  p.maps();
  Basyo b;
  run(b, p, 20);
  ASSERT_EQ(b.teban, 2);
  // Side 1's king on 96: three ranks forward (93) +1, three back (99) +0.
  EXPECT_EQ(b.basyo1[93], 30 + 1 + 1);
  EXPECT_EQ(b.basyo1[99], 30 + 0 + 0);
  EXPECT_EQ(b.basyo1[98], 30 + 0 + 1);
  EXPECT_EQ(b.basyo1[95], 30 + 3 + 4);
  // File steps -4 from file 9 reach file 5; file step -1 row -1 is 85.
  EXPECT_EQ(b.basyo1[56], 30 + 5 + 1 + 1);  // also enemy +2 at file step +4
  EXPECT_EQ(b.basyo1[85], 30 + 4 + 4);
  // Side 2's king on 14: forward is toward rank 9, so 17 +1 and 11 +0.
  EXPECT_EQ(b.basyo2[17], 30 + 1 + 1);
  EXPECT_EQ(b.basyo2[11], 30 + 0 + 0);
  EXPECT_EQ(b.basyo2[12], 30 + 0 + 1);
  EXPECT_EQ(b.basyo2[15], 30 + 3 + 4);
  EXPECT_EQ(b.basyo2[25], 30 + 4 + 4);
  // The enemy pattern of basyo1 around 14 (rank step +3 is 17: 2).
  EXPECT_EQ(b.basyo1[17], 30 + 1 + 2);
  EXPECT_EQ(b.basyo1[12], 30 + 0 + 1);
  // basyo2's enemy pattern around 96: rank step +3 becomes rank 3.
  EXPECT_EQ(b.basyo2[93], 30 + 1 + 2);
  EXPECT_EQ(b.basyo2[98], 30 + 0 + 1);
  // No per-file additions at stage 2.
  EXPECT_EQ(b.basyo1[90], 30);
  EXPECT_EQ(b.basyo2[10], 30);
}

TEST(BasyoRegions, StageThreeAddsBothPatternsAndFileCells) {
  Pos p = startPos();
  p.arull[14] = 1;
  Basyo b;
  run(b, p, 10);
  ASSERT_EQ(b.teban, 3);
  EXPECT_EQ(b.basyo1[58], 20 + 4 + 4 + 16);
  EXPECT_EQ(b.basyo1[59], 20 + 3 + 4 + 16);
  EXPECT_EQ(b.basyo1[56], 20 + 5 + 1 + 4);
  EXPECT_EQ(b.basyo1[53], 20 + 5 + 3 + 14);  // enemy rank step +2 only
  EXPECT_EQ(b.basyo1[55], 20 + 5 + 2);       // enemy +4; own -4 is empty
  // File cells: own list around file 5 and enemy list around file 5.
  EXPECT_EQ(b.basyo1[50], 20 + 4 + 5 + 6);
  EXPECT_EQ(b.basyo1[10], 20 + 0 + 3 + 4);
  EXPECT_EQ(b.basyo1[90], 20 + 0 + 3 + 4);
  EXPECT_EQ(b.basyo1[40], 20 + 3 + 5 + 6);
  EXPECT_EQ(b.basyo2[52], 20 + 4 + 4 + 16);
  EXPECT_EQ(b.basyo2[57], 20 + 5 + 3 + 14);
  EXPECT_EQ(b.basyo2[50], 20 + 4 + 5 + 6);
}

TEST(BasyoRegions, StageFourDoublesTheEnemyPatternAndOwnFileCells) {
  Pos p;
  p.aru[59] = 101;
  p.aru[51] = 201;
  p.aru[95] = 112;
  p.maps();
  Basyo b;
  run(b, p, 5);
  ASSERT_EQ(b.teban, 4);
  EXPECT_EQ(b.basyo1[58], 10 + 4 + 4 + 16);
  EXPECT_EQ(b.basyo1[53], 10 + 5 + 3 + 14 + 14);
  EXPECT_EQ(b.basyo1[50], 10 + 4 + 5 + 5 + 6 + 6);
  EXPECT_EQ(b.basyo1[10], 10 + 0 + 3 + 3 + 4 + 4);
  EXPECT_EQ(b.basyo2[53], 10 + 5 + 2 + 10);
  EXPECT_EQ(b.basyo2[57], 10 + 5 + 3 + 14 + 14);
  EXPECT_EQ(b.basyo2[50], 10 + 4 + 5 + 5 + 6 + 6);
}

TEST(BasyoRegions, KingInTheCornerStaysOnTheBoard) {
  Pos p;
  p.aru[99] = 101;
  p.aru[11] = 201;
  p.arull[25] = 1;
  p.maps();
  Basyo b = sentinelBasyo(1);
  run(b, p, 30);
  ASSERT_EQ(b.teban, 3);
  EXPECT_EQ(b.basyo1[99], 20 + 0 + 4 + 16);
  EXPECT_EQ(b.basyo1[89], 20 + 0 + 4 + 16);
  // Below and beside the corner lie cells 100, 109 and 110: only the base.
  EXPECT_EQ(b.basyo1[100], 20);
  EXPECT_EQ(b.basyo1[109], 20);
  EXPECT_EQ(b.basyo1[110], -7);
  EXPECT_EQ(b.basyo2[11], 20 + 0 + 4 + 16);
  EXPECT_EQ(b.basyo2[10], 20 + 0 + 5);  // the enemy list around file 9 ends at file 5
  EXPECT_EQ(b.basyo1[90], 20 + 0 + 5);
  EXPECT_EQ(b.basyo1[50], 20 + 4 + 3 + 4);  // own file step -4, enemy +4
  EXPECT_EQ(b.basyo2[0], -7);
}

namespace {

// The king patterns, [rank step - first][file step + 4], and their per-file
// lists, as the stage tables give them for basyo1.
struct Pattern {
  int first;  // rank step of the first row
  int rows;
  int w[7][9];
  int file[9];
};
constexpr Pattern kOwn2{-3, 6,
                        {{0, 1, 1, 1, 1, 1, 1, 1, 0}, {0, 1, 2, 2, 2, 2, 2, 1, 0},
                         {1, 2, 3, 4, 4, 4, 3, 2, 1}, {1, 2, 3, 4, 4, 4, 3, 2, 1},
                         {0, 1, 2, 3, 3, 3, 2, 1, 0}, {0, 1, 1, 1, 1, 1, 1, 1, 0}},
                        {}};
constexpr Pattern kEnemy2{-2, 6,
                          {{0, 0, 0, 1, 1, 1, 0, 0, 0}, {0, 1, 2, 3, 3, 3, 2, 1, 0},
                           {0, 1, 3, 4, 4, 4, 3, 1, 0}, {1, 2, 3, 4, 4, 4, 3, 2, 1},
                           {1, 2, 3, 3, 3, 3, 3, 2, 1}, {0, 1, 2, 2, 2, 2, 2, 1, 0}},
                          {}};
constexpr Pattern kOwn3{-3, 7,
                        {{0, 4, 4, 4, 4, 4, 4, 4, 0}, {2, 6, 10, 10, 10, 10, 10, 6, 2},
                         {4, 8, 12, 16, 16, 16, 12, 8, 4}, {4, 8, 12, 16, 16, 16, 12, 8, 4},
                         {2, 6, 10, 12, 12, 12, 10, 6, 2}, {0, 4, 6, 6, 6, 6, 6, 4, 0},
                         {0, 2, 2, 2, 2, 2, 2, 2, 0}},
                        {3, 4, 5, 5, 5, 5, 5, 4, 3}};
constexpr Pattern kEnemy3{-2, 7,
                          {{0, 0, 2, 4, 4, 4, 2, 0, 0}, {0, 4, 10, 12, 12, 12, 10, 4, 0},
                           {2, 6, 12, 16, 16, 16, 12, 6, 2}, {4, 8, 12, 18, 18, 18, 12, 8, 4},
                           {4, 8, 12, 14, 14, 14, 12, 8, 4}, {2, 4, 8, 8, 8, 8, 8, 4, 2},
                           {0, 0, 2, 2, 2, 2, 2, 0, 0}},
                          {4, 5, 6, 6, 6, 6, 6, 5, 4}};
constexpr int kCentre[9][9] = {
    {0, 0, 1, 2, 3, 2, 1, 0, 0}, {0, 1, 2, 3, 4, 3, 2, 1, 0}, {1, 2, 3, 4, 5, 4, 3, 2, 1},
    {2, 3, 4, 5, 5, 5, 4, 3, 2}, {3, 4, 5, 5, 5, 5, 5, 4, 3}, {2, 3, 4, 5, 5, 5, 4, 3, 2},
    {1, 2, 3, 4, 5, 4, 3, 2, 1}, {0, 1, 2, 3, 4, 3, 2, 1, 0}, {0, 0, 1, 2, 3, 2, 1, 0, 0}};

// Adds pattern p around king k to table t; `sign` -1 turns the rank steps
// round (basyo2). Only squares on the board, only files 1..9.
void lay(std::array<int, 112>& t, const Pattern& p, int k, int sign, bool squares, bool files) {
  const int kf = k / 10, kr = k % 10;
  for (int df = -4; df <= 4; ++df) {
    const int f = kf + df;
    if (f < 1 || f > 9) continue;
    if (files) t[f * 10] += p.file[df + 4];
    if (!squares) continue;
    for (int i = 0; i < p.rows; ++i) {
      const int r = kr + sign * (p.first + i);
      if (r >= 1 && r <= 9) t[f * 10 + r] += p.w[i][df + 4];
    }
  }
}

}  // namespace

// Every square and per-file cell of both tables at every stage, with the
// kings on edges (patterns cut off) and in the middle (patterns overlapping).
TEST(BasyoKingRegions, EveryCellAtEveryStage) {
  const int kings[3][2] = {{91, 19}, {59, 51}, {18, 82}};
  for (const auto& ou : kings) {
    for (int stage = 1; stage <= 4; ++stage) {
      SCOPED_TRACE("kings " + std::to_string(ou[0]) + "/" + std::to_string(ou[1]) + " stage " +
                   std::to_string(stage));
      Pos p;
      p.aru[ou[0]] = 101;
      p.aru[ou[1]] = 201;
      int tesuu = stage >= 2 ? 20 : 10;
      if (stage >= 3) p.arull[24] = 1;
      if (stage == 4) p.aru[ou[0] == 59 ? 95 : 55] = 118;  // a tokin nobody attacks
      p.maps();
      Basyo b = sentinelBasyo(1);
      run(b, p, tesuu);
      ASSERT_EQ(b.teban, stage);

      std::array<int, 112> e1{}, e2{};
      const int base = stage <= 2 ? 30 : stage == 3 ? 20 : 10;
      for (int f = 1; f <= 9; ++f) {
        e1[f * 10] = e2[f * 10] = base + (f <= 5 ? f - 1 : 9 - f);
        for (int r = 1; r <= 9; ++r) e1[f * 10 + r] = e2[f * 10 + r] = base + kCentre[r - 1][f - 1];
      }
      if (stage >= 2) {
        lay(e1, kOwn2, ou[0], 1, true, false);
        lay(e1, kEnemy2, ou[1], 1, true, false);
        lay(e2, kOwn2, ou[1], -1, true, false);
        lay(e2, kEnemy2, ou[0], -1, true, false);
      }
      if (stage >= 3) {
        lay(e1, kOwn3, ou[0], 1, true, true);
        lay(e1, kEnemy3, ou[1], 1, true, true);
        lay(e2, kOwn3, ou[1], -1, true, true);
        lay(e2, kEnemy3, ou[0], -1, true, true);
      }
      if (stage == 4) {
        lay(e1, kOwn3, ou[0], 1, false, true);
        lay(e1, kEnemy3, ou[1], 1, true, true);
        lay(e2, kOwn3, ou[1], -1, false, true);
        lay(e2, kEnemy3, ou[0], -1, true, true);
      }
      for (int c = 10; c <= 99; ++c) {
        if (c % 10 != 0 && (c < 11 || c > 99)) continue;
        EXPECT_EQ(b.basyo1[c], e1[c]) << "basyo1 cell " << c;
        EXPECT_EQ(b.basyo2[c], e2[c]) << "basyo2 cell " << c;
      }
    }
  }
}

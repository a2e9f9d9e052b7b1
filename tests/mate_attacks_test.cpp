#include <gtest/gtest.h>

#include "mate/attacks.h"
#include "model/attacks.h"
#include "model/board.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

using test::emptyBoard;

struct Counts : Men {
  explicit Counts(const Ban& b) {
    aru = b;
    oupl1 = oupl2 = -5;
    // Garbage everywhere, so that clearing is tested too.
    toripl1.fill(Kazu{7});
    toripl2.fill(Kazu{7});
    tumetorisirabe(*this);
  }
};

}  // namespace

TEST(MateAttacks, RookLineRunsThroughTheKingAndCountsTheFirstBlockedCell) {
  Ban b = emptyBoard();
  b[52] = 202;
  b[55] = 101;
  Counts c(b);
  for (int s = 53; s <= 59; ++s) EXPECT_EQ(c.toripl2[s], 1) << s;
  EXPECT_EQ(c.toripl2[60], 1);  // off-board cell at distance 8
  EXPECT_EQ(c.toripl2[51], 1);
  EXPECT_EQ(c.toripl2[50], 1);  // the backward line ends off the board
  for (int f = 1; f <= 9; ++f) {
    if (f != 5) {
      EXPECT_EQ(c.toripl2[f * 10 + 2], 1) << f;
    }
  }
  EXPECT_EQ(c.oupl1, 55);
  EXPECT_EQ(c.oupl2, -5);  // no side-2 king: unchanged
}

TEST(MateAttacks, OwnRookDoesNotLetTheRookBehindThrough) {
  Ban b = emptyBoard();
  b[82] = 202;
  b[83] = 202;
  Counts c(b);
  EXPECT_EQ(c.toripl2[84], 1);
  EXPECT_EQ(c.toripl2[83], 1);  // the rear rook's line ends on the front rook
  EXPECT_EQ(test::menOf(b).toripl2[84], 2);  // the game's detection looks through
}

TEST(MateAttacks, NoSupportStepBeyondAGold) {
  Ban b = emptyBoard();
  b[28] = 102;
  b[27] = 104;
  Counts c(b);
  EXPECT_EQ(c.toripl1[27], 1);  // rook only
  EXPECT_EQ(c.toripl1[26], 1);  // gold only, no count through the rook
  EXPECT_EQ(c.toripl1[28], 1);  // the gold's backward step onto the rook
  EXPECT_EQ(c.toripl1[29], 1);  // rook backward line
}

TEST(MateAttacks, OffBoardCellBehindTheKingIsCounted) {
  Ban b = emptyBoard();
  b[19] = 101;
  b[15] = 202;
  Counts c(b);
  for (int s : {16, 17, 18, 19, 20}) EXPECT_EQ(c.toripl2[s], 1) << s;
  EXPECT_EQ(c.toripl2[21], 0);
  // Side 1's king counts its off-board neighbours too.
  for (int s : {8, 9, 10, 20, 30}) EXPECT_EQ(c.toripl1[s], 1) << s;
  EXPECT_EQ(c.toripl1[18], 1);
  EXPECT_EQ(c.toripl1[28], 1);
  EXPECT_EQ(c.toripl1[29], 1);
  // Every other cell was cleared, off-board ones included.
  EXPECT_EQ(c.toripl1[0], 0);
  EXPECT_EQ(c.toripl1[110], 0);
  EXPECT_EQ(c.toripl2[0], 0);
  EXPECT_EQ(c.toripl2[110], 0);
  EXPECT_EQ(c.toripl1[55], 0);
}

TEST(MateAttacks, GenericBlockerBlocksAndAttacksNothing) {
  Ban b = emptyBoard();
  b[51] = 202;
  b[55] = 111;
  Counts c(b);
  for (int s = 52; s <= 55; ++s) EXPECT_EQ(c.toripl2[s], 1) << s;
  EXPECT_EQ(c.toripl2[56], 0);
  for (int s = 0; s <= 110; ++s) EXPECT_EQ(c.toripl1[s], 0) << s;
  EXPECT_EQ(c.oupl1, -5);
}

TEST(MateAttacks, StepsOfBothSides) {
  Ban b = emptyBoard();
  b[55] = 206;  // side-2 knight: +12, -8
  b[35] = 106;  // side-1 knight: -12, +8
  b[77] = 205;  // side-2 silver: +1, +11, -9, -11, +9
  b[73] = 105;  // side-1 silver: -1, -11, +9, +11, -9
  Counts c(b);
  EXPECT_EQ(c.toripl2[67], 1);
  EXPECT_EQ(c.toripl2[47], 1);
  EXPECT_EQ(c.toripl1[23], 1);
  EXPECT_EQ(c.toripl1[43], 1);
  for (int s : {78, 88, 68, 66, 86}) EXPECT_EQ(c.toripl2[s], 1) << s;
  EXPECT_EQ(c.toripl2[76], 0);  // behind a side-2 silver
  for (int s : {72, 62, 82, 84, 64}) EXPECT_EQ(c.toripl1[s], 1) << s;
  EXPECT_EQ(c.toripl1[74], 0);
}

TEST(MateAttacks, DragonAndHorseStepsAndLances) {
  Ban b = emptyBoard();
  b[33] = 212;  // side-2 dragon
  b[77] = 213;  // side-2 horse
  b[95] = 207;  // side-2 lance, forward is +1
  b[97] = 107;  // side-1 lance, forward is -1
  Counts c(b);
  for (int s : {22, 24, 42}) EXPECT_EQ(c.toripl2[s], 1) << s;
  EXPECT_EQ(c.toripl2[44], 2);  // dragon step and the horse's line 66, 55, 44
  for (int s : {76, 78, 67, 87}) EXPECT_EQ(c.toripl2[s], 1) << s;
  EXPECT_EQ(c.toripl2[96], 1);
  EXPECT_EQ(c.toripl2[97], 1);  // the side-1 lance ends the line
  EXPECT_EQ(c.toripl2[98], 0);
  EXPECT_EQ(c.toripl2[94], 0);
  EXPECT_EQ(c.toripl1[96], 1);
  EXPECT_EQ(c.toripl1[95], 1);
  EXPECT_EQ(c.toripl1[94], 0);
}

#include <gtest/gtest.h>

#include <vector>

#include "model/ply.h"
#include "mate/attacks.h"
#include "mate/tume.h"
#include "model/board.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

using test::emptyBoard;

// Puts a position into ply n as if that ply had just made its move.
void kyoku(Ply& p, const Ban& b, const Mochi& h) {
  p.aru = b;
  p.arull = h;
  tumetorisirabe(p);
}

bool aru(const Ply& p, int cap, int32_t moto, int32_t saki) {
  for (int i = 0; i < cap && p.kmoto[i] != 0; ++i)
    if (p.kmoto[i] == moto && p.ksaki[i] == saki) return true;
  return false;
}

int kazu(const Ply& p, int cap) {
  int n = 0;
  while (n < cap && p.kmoto[n] != 0) ++n;
  return n;
}

struct Fixture : ::testing::Test {
  PlyTable t{};
  Tume tume{t};
  Ban b = emptyBoard();
  Mochi h{};
  void ply1() {
    Men m;
    m.aru = b;
    m.arull = h;
    tumetorisirabe(m);
    tume.kyokumenSet(m);
    tume.tumeseisei<1>();
  }
};

struct Koma {
  int sq;
  int32_t code;
};

void oku(Ban& b, const std::vector<Koma>& koma) {
  for (const Koma& k : koma) b[k.sq] = k.code;
}

// Generates ply n (1..11) from the position b/h, put into ply n-1 as if that
// ply had just played a move that left no square behind.
void seisei(Fixture& f, int n) {
  f.tume.sirabe = 0;
  if (n == 1) return f.ply1();
  kyoku(f.t[n - 1], f.b, f.h);
  f.t[n - 1].ban = 0;
  f.t[n - 1].kmoto[0] = 0;
  switch (n) {
    case 2: return f.tume.tumeseisei<2>();
    case 3: return f.tume.tumeseisei<3>();
    case 4: return f.tume.tumeseisei<4>();
    case 5: return f.tume.tumeseisei<5>();
    case 6: return f.tume.tumeseisei<6>();
    case 7: return f.tume.tumeseisei<7>();
    case 8: return f.tume.tumeseisei<8>();
    case 9: return f.tume.tumeseisei<9>();
    case 10: return f.tume.tumeseisei<10>();
    case 11: return f.tume.tumeseisei<11>();
  }
  FAIL() << n;
}

int cap(int n) { return n <= 4 ? 40 : 21; }

using CheckingMoves = Fixture;
using Answers = Fixture;

}  // namespace

TEST_F(CheckingMoves, PawnDropThatWouldMateIsNeitherMateNorCandidate) {
  b[19] = 101;
  b[29] = 106;  // fills the last flight square
  b[17] = 204;  // defends 18 and 28
  b[91] = 201;
  h[28] = 1;
  ply1();
  EXPECT_EQ(t[1].saikou, 10000);
  EXPECT_FALSE(aru(t[1], 40, 208, 18));
  EXPECT_TRUE(aru(t[1], 40, 17, 18));  // the gold's own checks stay
  EXPECT_TRUE(aru(t[1], 40, 17, 28));
  EXPECT_EQ(kazu(t[1], 40), 2);
}

TEST_F(CheckingMoves, PawnDropCheckWithAFlightSquareIsACandidate) {
  b[19] = 101;
  b[17] = 204;
  b[91] = 201;
  h[28] = 1;
  ply1();
  EXPECT_EQ(t[1].saikou, 10000);
  EXPECT_TRUE(aru(t[1], 40, 208, 18));
}

TEST_F(CheckingMoves, NoKnightDropAgainstAKingOnRank1) {
  b[51] = 101;
  b[99] = 201;
  h[26] = 1;
  ply1();
  EXPECT_EQ(kazu(t[1], 40), 0);
  EXPECT_EQ(tume.sirabe, 3u);  // the side-2 king's three steps only
}

TEST_F(CheckingMoves, KnightDropsFromBothSides) {
  b[53] = 101;
  b[99] = 201;
  h[26] = 1;
  ply1();
  ASSERT_EQ(kazu(t[1], 40), 2);
  // Equal scores (-50 -50 -31): generation order decides.
  EXPECT_EQ(t[1].kmoto[0], 206);
  EXPECT_EQ(t[1].ksaki[0], 61);
  EXPECT_EQ(t[1].kten[0], -131);
  EXPECT_EQ(t[1].kmoto[1], 206);
  EXPECT_EQ(t[1].ksaki[1], 41);
  EXPECT_EQ(t[1].kten[1], -131);
}

TEST_F(CheckingMoves, RookDropsUpToDistanceThreeThroughEmptySquares) {
  b[55] = 101;
  b[99] = 201;
  h[22] = 1;
  ply1();
  EXPECT_EQ(kazu(t[1], 40), 12);
  for (int s : {54, 53, 52, 56, 57, 58, 45, 35, 25, 65, 75, 85})
    EXPECT_TRUE(aru(t[1], 40, 202, s)) << s;
  EXPECT_EQ(tume.sirabe, 12u + 3u);
}

TEST_F(CheckingMoves, RookDropLineStopsAtThePieceInFront) {
  b[55] = 101;
  b[53] = 108;
  b[99] = 201;
  h[22] = 1;
  ply1();
  EXPECT_EQ(kazu(t[1], 40), 10);
  EXPECT_TRUE(aru(t[1], 40, 202, 54));
  // 52 behind the pawn is not even examined.
  EXPECT_EQ(tume.sirabe, 10u + 3u);
}

TEST_F(CheckingMoves, SilverIntoTheZoneIsTriedBothWays) {
  b[58] = 101;
  b[66] = 205;
  b[11] = 201;
  ply1();
  EXPECT_TRUE(aru(t[1], 40, 66, 67));
  EXPECT_TRUE(aru(t[1], 40, 66, 167));
}

TEST_F(CheckingMoves, RookIntoTheZoneOnlyPromotedFromPly5) {
  b[78] = 101;
  b[62] = 202;
  b[11] = 201;
  ply1();
  EXPECT_TRUE(aru(t[1], 40, 62, 68));
  EXPECT_TRUE(aru(t[1], 40, 62, 168));
  kyoku(t[4], b, h);
  t[4].ban = 0;
  tume.tumeseisei<5>();
  EXPECT_FALSE(aru(t[5], 21, 62, 68));
  EXPECT_TRUE(aru(t[5], 21, 62, 168));
  EXPECT_TRUE(aru(t[5], 21, 62, 72));  // outside the zone: unpromoted
  for (int i = 0; i < kazu(t[5], 21); ++i) {
    if (t[5].kmoto[i] == 62 && t[5].ksaki[i] % 100 % 10 >= 7) {
      EXPECT_GT(t[5].ksaki[i], 100) << t[5].ksaki[i];
    }
  }
}

TEST_F(CheckingMoves, LanceToRank8IsOnlyPromoted) {
  b[79] = 101;
  b[65] = 207;
  b[11] = 201;
  ply1();
  EXPECT_TRUE(aru(t[1], 40, 65, 168));
  EXPECT_TRUE(aru(t[1], 40, 65, 169));
  // The king's three steps; the lance to 66 once, to 67 twice, to 68 and 69
  // once each.
  EXPECT_EQ(tume.sirabe, 3u + 5u);
}

TEST_F(CheckingMoves, Ply11DropsOnlyNextToTheKingAndNoPawn) {
  b[55] = 101;
  b[11] = 201;
  h[22] = 1;
  h[27] = 1;
  h[28] = 1;
  kyoku(t[10], b, h);
  t[10].ban = 0;
  tume.tumeseisei<11>();
  // rook 54, 56, 45, 65; lance 54; the king's steps 12, 22, 21
  EXPECT_EQ(tume.sirabe, 8u);
  EXPECT_EQ(t[11].saikou, -27000);

  kyoku(t[8], b, h);
  t[8].ban = 0;
  tume.sirabe = 0;
  tume.tumeseisei<9>();
  // rook 12, lance 54, 53, 52, pawn 54, king 3
  EXPECT_EQ(tume.sirabe, 19u);
  EXPECT_EQ(kazu(t[9], 21), 16);
}

TEST_F(CheckingMoves, SquareLeftByTheAnswerIsNotEnteredWhenItGainedDefence) {
  // Before the answer: the gold on 49 guards its king; the answer 49-48 makes
  // 49 defended twice (king and gold).
  b[59] = 101;
  b[49] = 104;
  b[39] = 204;
  b[11] = 201;
  kyoku(t[1], b, h);
  Ban b2 = b;
  b2[49] = 0;
  b2[48] = 104;
  kyoku(t[2], b2, h);
  t[2].ban = 0;
  t[2].kmoto[0] = 49;
  t[2].ksaki[0] = 48;
  tume.tumeseisei<3>();
  EXPECT_FALSE(aru(t[3], 40, 39, 49));

  t[2].kmoto[0] = 69;  // an answer from elsewhere: the rule does not apply
  tume.tumeseisei<3>();
  EXPECT_TRUE(aru(t[3], 40, 39, 49));

  // A knight on 49 jumps to 37: 49 keeps its one defender (the king), so the
  // gold may go there.
  b[49] = 106;
  kyoku(t[1], b, h);
  b2 = b;
  b2[49] = 0;
  b2[37] = 106;
  kyoku(t[2], b2, h);
  t[2].kmoto[0] = 49;
  tume.tumeseisei<3>();
  EXPECT_TRUE(aru(t[3], 40, 39, 49));
}

TEST_F(Answers, DoubleCheckOnlyTheKingMoves) {
  b[59] = 101;
  b[49] = 104;
  b[51] = 202;
  b[95] = 203;
  b[99] = 201;
  h[14] = 1;
  kyoku(t[1], b, h);
  ASSERT_EQ(t[1].toripl2[59], 2);
  tume.tumeseisei<2>();
  EXPECT_EQ(kazu(t[2], 40), 2);
  EXPECT_TRUE(aru(t[2], 40, 59, 48));
  EXPECT_TRUE(aru(t[2], 40, 59, 69));
  EXPECT_EQ(tume.sirabe, 4u);  // 48, 69, 68, 58; no gold move, no drop
}

TEST_F(Answers, AdjacentGoldOnlyCapturedFromPly4) {
  b[59] = 101;
  b[69] = 104;
  b[41] = 102;
  b[58] = 204;
  b[47] = 205;
  b[43] = 208;
  b[99] = 201;
  kyoku(t[1], b, h);
  tume.tumeseisei<2>();
  // Ply 2 examines every capture: rook x43 twice, gold 68 and x58, four king
  // steps.
  EXPECT_EQ(tume.sirabe, 8u);
  ASSERT_EQ(kazu(t[2], 40), 1);
  EXPECT_EQ(t[2].kmoto[0], 69);
  EXPECT_EQ(t[2].ksaki[0], 58);

  Mochi h4{};
  h4[14] = 1;  // a gold in hand cannot block an adjacent checker
  kyoku(t[3], b, h4);
  tume.sirabe = 0;
  tume.tumeseisei<4>();
  EXPECT_EQ(t[3].kikenbasyo, 58);
  EXPECT_EQ(tume.sirabe, 5u);
  ASSERT_EQ(kazu(t[4], 40), 1);
  EXPECT_EQ(t[4].kmoto[0], 69);
  EXPECT_EQ(t[4].ksaki[0], 58);
}

TEST_F(Answers, NoInterpositionOnAnUndefendedSquare) {
  b[59] = 101;
  b[46] = 105;  // defends 55 and 57
  b[52] = 202;
  b[99] = 201;
  h[14] = 1;
  kyoku(t[3], b, h);
  tume.tumeseisei<4>();
  EXPECT_EQ(t[3].kikenbasyo, 152);
  int drops = 0;
  for (int i = 0; i < kazu(t[4], 40); ++i)
    if (t[4].kmoto[i] == 104) ++drops;
  EXPECT_EQ(drops, 3);
  for (int s : {55, 57, 58}) EXPECT_TRUE(aru(t[4], 40, 104, s)) << s;
  EXPECT_TRUE(aru(t[4], 40, 46, 55));
  EXPECT_TRUE(aru(t[4], 40, 46, 57));
}

TEST_F(Answers, Ply10DropsTheGenericBlockerAndThePawnAsOne) {
  b[59] = 101;
  b[46] = 105;
  b[52] = 202;
  b[99] = 201;
  h[14] = 1;
  h[16] = 1;  // the knight and the lance keep their own codes
  h[17] = 1;
  h[18] = 1;
  kyoku(t[9], b, h);
  tume.tumeseisei<10>();
  EXPECT_EQ(t[9].kikenbasyo, 152);
  for (int i = 0; i < kazu(t[10], 21); ++i) EXPECT_NE(t[10].kmoto[i], 104);
  for (int s : {55, 57, 58}) {
    for (int32_t k : {106, 107}) EXPECT_TRUE(aru(t[10], 21, k, s)) << k << " " << s;
    int16_t ippan = 0, fu = 1;
    for (int i = 0; i < kazu(t[10], 21); ++i) {
      if (t[10].ksaki[i] != s) continue;
      if (t[10].kmoto[i] == 111) ippan = t[10].kten[i];
      if (t[10].kmoto[i] == 108) fu = t[10].kten[i];
    }
    EXPECT_TRUE(aru(t[10], 21, 111, s)) << s;
    EXPECT_TRUE(aru(t[10], 21, 108, s)) << s;
    // Both stand on the board as 111 and leave the hand as it was.
    EXPECT_EQ(ippan, fu) << s;
  }
}

TEST_F(Answers, LanceAndKnightToRank2AreOnlyPromoted) {
  b[43] = 101;
  b[32] = 204;  // checks 43 diagonally
  b[37] = 107;
  b[44] = 106;  // a knight too
  b[99] = 201;
  kyoku(t[1], b, h);
  tume.tumeseisei<2>();
  EXPECT_TRUE(aru(t[2], 40, 37, 132));
  EXPECT_FALSE(aru(t[2], 40, 37, 32));
  EXPECT_TRUE(aru(t[2], 40, 44, 132));
  EXPECT_FALSE(aru(t[2], 40, 44, 32));
  EXPECT_TRUE(aru(t[2], 40, 43, 32));  // the king takes too
}

TEST_F(Answers, AnsweringPlyStopsAtTheFirstEscape) {
  // Gold drops 28, 18 and 29 against the cornered king; each is taken.
  // After gold 29 the king could also step to 18, but Kx29 scores lower
  // (-151 against -81), is searched first and already escapes.
  b[19] = 101;
  b[91] = 201;
  h[24] = 1;
  Men m;
  m.aru = b;
  m.arull = h;
  tumetorisirabe(m);
  tume.tumeai1(m);
  EXPECT_EQ(tume.saikou1, 10000);
  EXPECT_EQ(tume.moto, 0);
  // Plies entered: 1, then per drop ply 2 and ply 3 once.
  EXPECT_EQ(tume.kyokumen, 7u);
  // Ply 1: three drops, three king steps; each ply 2: three king steps;
  // each ply 3: three king steps.
  EXPECT_EQ(tume.sirabe, 6u + 9u + 9u);
}

TEST_F(CheckingMoves, OrderingScoresWorkedByHand) {
  b[55] = 101;
  b[11] = 201;
  h[22] = 1;
  h[28] = 2;
  ply1();
  int16_t s52 = 0, s56 = 0;
  bool f52 = false, f56 = false;
  for (int i = 0; i < kazu(t[1], 40); ++i) {
    if (t[1].kmoto[i] != 202) continue;
    if (t[1].ksaki[i] == 52) s52 = t[1].kten[i], f52 = true;
    if (t[1].ksaki[i] == 56) s56 = t[1].kten[i], f56 = true;
  }
  ASSERT_TRUE(f52);
  ASSERT_TRUE(f56);
  // Rook on 52: 54 (+30), 56 (+20), -50 twice, two pawns in hand (+25).
  EXPECT_EQ(s52, -25);
  // Rook on 56: 54 (+30), 66 and 46 (+20 each), -50 twice, pawns +25.
  EXPECT_EQ(s56, -5);
}

TEST_F(Answers, AnswerScoresLowestFirst) {
  b[59] = 101;
  b[49] = 104;
  b[51] = 202;
  b[95] = 203;
  b[99] = 201;
  h[14] = 1;
  kyoku(t[1], b, h);
  tume.tumeseisei<2>();
  ASSERT_EQ(kazu(t[2], 40), 2);
  // K-69: 59, 58, 68 attacked (+90), -50 twice, a gold in hand (-20).
  EXPECT_EQ(t[2].ksaki[0], 69);
  EXPECT_EQ(t[2].kten[0], -30);
  // K-48: 58, 57 (+60), 59 (+20), -50 (37), -31 (47), gold -20.
  EXPECT_EQ(t[2].ksaki[1], 48);
  EXPECT_EQ(t[2].kten[1], -21);
}

TEST_F(Answers, KnightCheckerIsIdentifiedAndMayBeTaken) {
  b[59] = 101;
  b[68] = 104;  // takes on 67
  b[67] = 206;  // checks 59 from K+8
  b[99] = 201;
  kyoku(t[3], b, h);
  tume.tumeseisei<4>();
  EXPECT_EQ(t[3].kikenbasyo, 67);
  EXPECT_TRUE(aru(t[4], 40, 68, 67));

  Ban b2 = emptyBoard();
  b2[59] = 101;
  b2[48] = 104;  // takes on 47
  b2[47] = 206;  // checks 59 from K-12
  b2[99] = 201;
  kyoku(t[3], b2, h);
  tume.tumeseisei<4>();
  EXPECT_EQ(t[3].kikenbasyo, 47);
  EXPECT_TRUE(aru(t[4], 40, 48, 47));
}

TEST_F(Answers, PawnDropKeepsOnePawnPerFile) {
  b[59] = 101;
  b[68] = 105;  // defends 79
  b[77] = 108;  // a pawn already on file 7
  b[99] = 202;  // checks along rank 9
  b[11] = 201;
  h[18] = 1;
  kyoku(t[1], b, h);
  tume.tumeseisei<2>();
  EXPECT_TRUE(aru(t[2], 40, 108, 69));
  EXPECT_FALSE(aru(t[2], 40, 108, 79));
  EXPECT_FALSE(aru(t[2], 40, 108, 89));  // undefended
}

TEST_F(Answers, NoKnightDropOnRank2ButALance) {
  b[13] = 101;
  b[11] = 202;  // checks through 12
  b[91] = 201;
  h[16] = 1;
  h[17] = 1;
  kyoku(t[1], b, h);
  tume.tumeseisei<2>();
  EXPECT_TRUE(aru(t[2], 40, 107, 12));
  EXPECT_FALSE(aru(t[2], 40, 106, 12));
}

TEST_F(Answers, Ply10RemakesTheBlockerAndThePawnDifferently) {
  b[59] = 101;
  b[46] = 105;
  b[52] = 202;
  b[99] = 201;
  h[14] = 1;
  h[18] = 1;
  kyoku(t[9], b, h);
  tume.tumeseisei<10>();
  int ippan = -1, fu = -1;
  for (int i = 0; i < kazu(t[10], 21); ++i) {
    if (t[10].ksaki[i] != 58) continue;
    if (t[10].kmoto[i] == 111) ippan = i;
    if (t[10].kmoto[i] == 108) fu = i;
  }
  ASSERT_GE(ippan, 0);
  ASSERT_GE(fu, 0);
  t[10].ban = ippan;
  tume.saigen<10>();
  EXPECT_EQ(t[10].aru[58], 111);
  EXPECT_EQ(t[10].arull[14], 1);
  EXPECT_EQ(t[10].arull[18], 1);
  EXPECT_EQ(t[10].toripl1[57], 1);  // the silver only: the blocker attacks nothing
  t[10].ban = fu;
  tume.saigen<10>();
  EXPECT_EQ(t[10].aru[58], 108);
  EXPECT_EQ(t[10].arull[14], 1);
  EXPECT_EQ(t[10].arull[18], 0);
  EXPECT_EQ(t[10].toripl1[57], 2);  // the real pawn and the silver on 46
  EXPECT_EQ(t[10].toripl2[59], 0);
}

TEST_F(CheckingMoves, RemakeOfDropsCapturesAndPromotions) {
  b[58] = 101;
  b[66] = 205;
  b[57] = 108;
  b[11] = 201;
  h[24] = 1;
  ply1();
  // Silver 66x57 promoting: the pawn goes to side 2's hand, the silver turns.
  int idx = -1;
  for (int i = 0; i < kazu(t[1], 40); ++i)
    if (t[1].kmoto[i] == 66 && t[1].ksaki[i] == 157) idx = i;
  ASSERT_GE(idx, 0);
  t[1].ban = idx;
  tume.saigen<1>();
  EXPECT_EQ(t[1].aru[57], 215);
  EXPECT_EQ(t[1].aru[66], 0);
  EXPECT_EQ(t[1].arull[28], 1);
  EXPECT_EQ(t[1].arull[24], 1);
  EXPECT_EQ(t[1].toripl2[58], 1);
  // A gold drop takes the gold from the hand.
  idx = -1;
  for (int i = 0; i < kazu(t[1], 40); ++i)
    if (t[1].kmoto[i] == 204 && t[1].ksaki[i] == 68) idx = i;
  ASSERT_GE(idx, 0);
  t[1].ban = idx;
  tume.saigen<1>();
  EXPECT_EQ(t[1].aru[68], 204);
  EXPECT_EQ(t[1].aru[57], 108);
  EXPECT_EQ(t[1].arull[24], 0);
  EXPECT_EQ(t[1].arull[28], 0);
}

namespace {

// Ply n's position (5 unless given): the king on 29 under its pawns, golds
// on 49 and 59, two golds in hand. Its list: gold 19 (90, taken by the king),
// gold 39 (70, mates two plies later with gold 29), gold 49-39 (0); pawns in
// hand add 20 to every score.
void ply5(PlyTable& t, int ban1, int ban3, int n = 5, int fu = 0) {
  Ban b;
  b.fill(SOTO);
  for (int s = 11; s <= 99; ++s)
    if (isSquare(s)) b[s] = 0;
  b[29] = 101;
  b[18] = 108;
  b[28] = 108;
  b[38] = 108;
  b[49] = 204;
  b[59] = 204;
  b[91] = 201;
  Mochi h{};
  h[24] = 2;
  h[28] = fu;
  kyoku(t[n - 1], b, h);
  t[n - 1].ban = 0;
  t[n - 1].kmoto[0] = 0;
  t[1].ban = ban1;
  t[3].ban = ban3;
  for (int i = 5; i < n; i += 2) t[i].ban = 0;
}

}  // namespace

TEST_F(CheckingMoves, NarrowingBoundCutsThePly) {
  ply5(t, 0, 0);
  tume.tumeai<5>();
  EXPECT_EQ(t[5].saikou, 29000);
  EXPECT_EQ(t[5].kmoto[0], 204);
  EXPECT_EQ(t[5].ksaki[0], 19);
  EXPECT_EQ(t[5].kten[0], 90);
  EXPECT_EQ(t[5].ksaki[1], 39);
  EXPECT_EQ(t[5].kten[1], 70);

  // ban1 + ban3 = 55: index 1 needs 3 * 56 - 100 = 68, gold 39 has 70.
  ply5(t, 25, 30);
  tume.tumeai<5>();
  EXPECT_EQ(t[5].saikou, 29000);

  // 56: index 1 needs 71; the ply ends there without a mate. Gold 19 was
  // searched: Kx19, then ply 7's only check (gold 29, -30) is below its own
  // bound 3 * 56 - 50, so ply 7 keeps -29000, the best value ply 5 saw.
  ply5(t, 26, 30);
  tume.tumeai<5>();
  EXPECT_EQ(t[5].saikou, -29000);

  // 64: index 0 needs 92 and gold 19 has 90: nothing is searched.
  ply5(t, 34, 30);
  const uint64_t before = tume.kyokumen;
  tume.tumeai<5>();
  EXPECT_EQ(t[5].saikou, -30000);
  EXPECT_EQ(tume.kyokumen, before + 1);
}

namespace {

struct Itte {
  const char* name;
  std::vector<Koma> koma;  // besides the side-2 king on 91
  int te;                  // side 2's hand cell holding one piece
  int16_t saikou;          // ply 1's value after generation
  int32_t moto, saki;      // the check looked for in the list
  bool filed;
};

const std::vector<Itte> kItte = {
    // King 19 boxed in by its own lance and knights; knight drop on 27.
    {"undefended knight mates", {{19, 101}, {18, 107}, {28, 106}, {29, 106}}, 26, 32000, 206, 27,
     false},
    {"knight defended once does not",
     {{19, 101}, {18, 107}, {28, 106}, {29, 106}, {37, 104}}, 26, 10000, 206, 27, true},
    // 29 holds a side-2 silver nobody defends: the king may take it.
    {"undefended side-2 neighbour is an escape",
     {{19, 101}, {18, 107}, {28, 106}, {29, 205}}, 26, 10000, 206, 27, true},
    // Silver dropped on k+11, backed by the gold on 32.
    {"silver on a backward diagonal", {{11, 101}, {12, 108}, {21, 105}, {32, 204}}, 25, 32000,
     205, 22, false},
    // Gold dropped on k+9, backed by the knight on 16.
    {"gold on a forward diagonal", {{19, 101}, {16, 206}}, 24, 32000, 204, 28, false},
    {"gold a second defender may take", {{19, 101}, {16, 206}, {37, 105}}, 24, 10000, 204, 28,
     true},
    // Knight 15-27 uncovers the rook on 11; the gold on 28 could take the
    // knight, but not both checkers.
    {"double check without escape",
     {{19, 101}, {11, 202}, {15, 206}, {28, 104}, {29, 106}}, 0, 32000, 15, 27, false},
};

}  // namespace

TEST_F(CheckingMoves, MateTestAtPly1) {
  for (const Itte& r : kItte) {
    b = emptyBoard();
    h = Mochi{};
    b[91] = 201;
    oku(b, r.koma);
    if (r.te != 0) h[r.te] = 1;
    seisei(*this, 1);
    EXPECT_EQ(t[1].saikou, r.saikou) << r.name;
    EXPECT_EQ(aru(t[1], 40, r.moto, r.saki), r.filed) << r.name;
  }
}

TEST_F(Answers, CheckerIdentification) {
  struct Row {
    const char* name;
    std::vector<Koma> koma;  // besides the kings on 55 and 98
    int32_t C;
  };
  const Row rows[] = {
      {"lance up the file", {{52, 207}}, 152},
      {"dragon on the lance's line", {{51, 212}}, 151},
      {"rook below", {{58, 202}}, 158},
      {"rook on the +10 line", {{85, 202}}, 185},
      {"rook on the -10 line", {{25, 202}}, 125},
      {"bishop on the -11 line", {{33, 203}}, 133},
      {"horse on the +11 line", {{77, 213}}, 177},
      {"bishop on the -9 line", {{37, 203}}, 137},
      {"bishop on the +9 line", {{82, 203}}, 182},
      {"lance below or beside checks nothing", {{58, 207}, {85, 207}}, 0},
      {"occupied neighbour hides the line", {{54, 108}, {52, 202}}, 0},
      {"first piece on the line ends it", {{53, 108}, {52, 202}}, 0},
      {"adjacent rook before the one behind it", {{65, 202}, {75, 202}}, 65},
      {"silver on k-9", {{46, 205}}, 46},
      {"silver on k+11", {{66, 205}}, 66},
      {"gold on k-11", {{44, 204}}, 44},
      {"gold on k+9", {{64, 204}}, 64},
      {"gold on a backward diagonal", {{66, 204}, {46, 204}}, 0},
      {"promoted silver beside, not the silver", {{45, 215}, {65, 205}}, 45},
  };
  for (const Row& r : rows) {
    b = emptyBoard();
    b[55] = 101;
    b[98] = 201;
    oku(b, r.koma);
    seisei(*this, 4);
    EXPECT_EQ(t[3].kikenbasyo, r.C) << r.name;
  }
}

TEST_F(Answers, PawnAndRookIntoTheZoneOnlyPromotedFromPly6) {
  // The gold on 43, backed by the pawn on 42, checks the king on 54; the
  // rook on 13 and the pawn on 44 can take it. Five king steps are legal.
  // One rank up (u = 1) the pawn takes on rank 2, still free to stay a pawn.
  for (int u : {0, 1}) {
    b = emptyBoard();
    b[54 - u] = 101;
    b[43 - u] = 204;
    b[42 - u] = 208;
    b[13 - u] = 102;
    b[44 - u] = 108;
    b[99] = 201;
    for (int n : {2, 4, 6, 8, 10}) {
      seisei(*this, n);
      const bool both = n <= 4;
      EXPECT_EQ(aru(t[n], cap(n), 13 - u, 43 - u), both) << n << " " << u;
      EXPECT_EQ(aru(t[n], cap(n), 44 - u, 43 - u), both) << n << " " << u;
      EXPECT_TRUE(aru(t[n], cap(n), 13 - u, 143 - u)) << n << " " << u;
      EXPECT_TRUE(aru(t[n], cap(n), 44 - u, 143 - u)) << n << " " << u;
      EXPECT_EQ(kazu(t[n], cap(n)), both ? 9 : 7) << n << " " << u;
    }
  }
}

TEST_F(CheckingMoves, LanceToRank8OnlyPromotedAtEveryCheckingPly) {
  b[79] = 101;
  b[65] = 207;
  b[11] = 201;
  for (int n : {1, 3, 5, 7, 9, 11}) {
    seisei(*this, n);
    // The king's three steps; the lance to 66 once, 67 twice, 68 and 69 once.
    EXPECT_EQ(tume.sirabe, 3u + 5u) << n;
    if (n < 11) {
      EXPECT_TRUE(aru(t[n], cap(n), 65, 168)) << n;
    }
  }
}

TEST_F(CheckingMoves, CandidateScoringExactlyTheNarrowingBoundIsSearched) {
  struct Row {
    int n, ban1, fu;
    int16_t saikou;
  };
  const Row rows[] = {
      // Ply 5 with a pawn in hand, sum 70: gold 19 needs 110, has 110; Kx19,
      // and ply 7's gold 29 (-10) is below 160. Gold 39 (90) would need 113.
      {5, 70, 1, -29000},
      {5, 71, 1, -30000},
      // Ply 7, sum 39: gold 19 (90 >= 67) is taken, and ply 9's gold 29 (-30)
      // is below 117; gold 39 needs 3 * 40 - 50 = 70, has 70, and mates at
      // ply 9.
      {7, 39, 0, 28000},
      // Sum 40: gold 39 would need 73.
      {7, 40, 0, -28000},
      // Ply 9, sum 30: gold 19 needs 90, has 90; Kx19 and ply 11 finds no mate.
      {9, 30, 0, -27000},
      {9, 31, 0, -28000},
  };
  for (const Row& r : rows) {
    ply5(t, r.ban1, 0, r.n, r.fu);
    if (r.n == 5) tume.tumeai<5>();
    else if (r.n == 7) tume.tumeai<7>();
    else tume.tumeai<9>();
    EXPECT_EQ(t[r.n].saikou, r.saikou) << r.n << " " << r.ban1;
  }
}

TEST_F(CheckingMoves, MateValueAndEarlyEndPerCheckingPly) {
  struct Row {
    const char* name;
    std::vector<Koma> koma;
    std::vector<int> te;     // side 2's hand cells holding one piece
    unsigned sirabe1, sirabe;  // examined at ply 1, at plies 3 to 11
  };
  const Row rows[] = {
      // Knight 16-28 (promoted only), the king's 3 steps, gold drops 28
      // (mate), 18, 29; ply 1 goes on with the silver drops 28 and 18.
      {"drop mate skips the later kinds",
       {{19, 101}, {16, 206}, {91, 201}}, {24, 25}, 9, 7},
      // Rook 11: 12..14 and 21..91; knight 15-27 twice (mate); ply 1 goes on
      // with the king's 5 steps and the gold drop 18.
      {"board mate ends the scan",
       {{19, 101}, {11, 202}, {15, 206}, {28, 104}, {29, 106}, {95, 201}}, {24}, 19, 13},
  };
  const int16_t mate[] = {32000, 31000, 30000, 29000, 28000, 27000};
  for (const Row& r : rows) {
    b = emptyBoard();
    h = Mochi{};
    oku(b, r.koma);
    for (int c : r.te) h[c] = 1;
    for (int n = 1; n <= 11; n += 2) {
      seisei(*this, n);
      EXPECT_EQ(t[n].saikou, mate[n / 2]) << r.name << " " << n;
      EXPECT_EQ(tume.sirabe, n == 1 ? r.sirabe1 : r.sirabe) << r.name << " " << n;
    }
  }
}

TEST_F(CheckingMoves, KingStepsThatUncoverCheckKeepTheirOrder) {
  // Stepping off the line of its rook or bishop, the side-2 king uncovers
  // check; every such step scores alike, so the list shows the order of the
  // directions. Each line hides one pair of them, the three together none.
  struct Row {
    const char* name;
    std::vector<Koma> koma;
    int32_t king;
    std::vector<int32_t> saki;  // the list, in order
  };
  const Row rows[] = {
      {"file", {{59, 101}, {51, 202}, {54, 201}}, 54, {43, 44, 45, 65, 64, 63}},
      {"rank", {{15, 101}, {95, 202}, {55, 201}}, 55, {44, 46, 56, 66, 64, 54}},
      {"diagonal", {{19, 101}, {91, 203}, {55, 201}}, 55, {44, 45, 56, 66, 65, 54}},
  };
  for (const Row& r : rows) {
    b = emptyBoard();
    h = Mochi{};
    oku(b, r.koma);
    seisei(*this, 1);
    ASSERT_EQ(kazu(t[1], 40), static_cast<int>(r.saki.size())) << r.name;
    for (size_t i = 0; i < r.saki.size(); ++i) {
      EXPECT_EQ(t[1].kmoto[i], r.king) << r.name << " " << i;
      EXPECT_EQ(t[1].ksaki[i], r.saki[i]) << r.name << " " << i;
    }
  }
}

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/basyo.h"
#include "engine/eval.h"
#include "model/attacks.h"
#include "model/board.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

using test::emptyBoard;

// Weights 30 everywhere unless a test sets a cell, so that every term is
// easy to work out by hand.
Basyo flatBasyo(int32_t teban) {
  Basyo b;
  b.basyo1.fill(30);
  b.basyo2.fill(30);
  b.teban = teban;
  return b;
}

constexpr int32_t kStart = 1000;  // the caller's own terms, kept

struct Pos : Men {
  Pos(std::initializer_list<std::pair<int, int32_t>> pieces) {
    aru = emptyBoard();
    for (auto [s, c] : pieces) aru[s] = c;
    maps();
  }
  void maps() { torisirabe(*this); }
  // Score minus the caller's starting value.
  int32_t eval(const Basyo& b, Sennkei sk = Sennkei::kSonota) const {
    int32_t kouho = kStart;
    kouhosirabe(*this, kouho, b, sk);
    return kouho - kStart;
  }
};

}  // namespace

TEST(SennkeiNames, KnownNamesAndTheRest) {
  EXPECT_EQ(sennkeiOf("mitei"), Sennkei::kMitei);
  EXPECT_EQ(sennkeiOf("ibimi"), Sennkei::kIbimi);
  EXPECT_EQ(sennkeiOf("yagmi"), Sennkei::kYagmi);
  EXPECT_EQ(sennkeiOf("yagji"), Sennkei::kYagji);
  EXPECT_EQ(sennkeiOf("hunag"), Sennkei::kHunag);
  EXPECT_EQ(sennkeiOf("totik"), Sennkei::kTotik);
  EXPECT_EQ(sennkeiOf(""), Sennkei::kSonota);
  EXPECT_EQ(sennkeiOf("Totik"), Sennkei::kSonota);
  EXPECT_EQ(sennkeiOf("totik "), Sennkei::kSonota);
  EXPECT_EQ(sennkeiOf("shikenbisha"), Sennkei::kSonota);
}

TEST(KingRoom, BareKingsCancel) {
  Pos p{{58, 101}, {52, 201}};
  EXPECT_EQ(p.eval(flatBasyo(3)), 0);
}

TEST(KingRoom, EdgeFileLosesOneGroup) {
  // Side 1's king on file 1: the cells 7, 8, 9 are off the board, so only
  // 27..29 count (-30); side 2's king has both groups (+60).
  Pos p{{18, 101}, {52, 201}};
  EXPECT_EQ(p.eval(flatBasyo(3)), 30);
  Pos q{{58, 101}, {92, 201}};
  EXPECT_EQ(q.eval(flatBasyo(3)), -30);
}

TEST(KingRoom, SwitchedOffForTotik) {
  Pos p{{18, 101}, {52, 201}};
  EXPECT_EQ(p.eval(flatBasyo(3), Sennkei::kTotik), 0);
}

TEST(KingRoom, OccupiedRowGivesNothing) {
  // Side-2 golds fill 61..63: only the row 41..43 is free for side 2's king.
  // Golds 30*190/40 = 142 each; side 1's king on 99 has one free row.
  Pos p{{99, 101}, {52, 201}, {61, 204}, {62, 204}, {63, 204}};
  EXPECT_EQ(p.eval(flatBasyo(1)), 3 * 142 - 10 + 10);
}

TEST(KingRoom, AttackedRowGivesNothing) {
  // A side-1 rook on 44 covers 41, 42 and 43. Rook -300 and four free
  // neighbours -4; rooms -10 and +10 (61..63 only); king attack on 42 (c 4),
  // 43 (c 5) and 41 (c 2), each defended by the king: -(12 + 15 + 6).
  Pos p{{99, 101}, {52, 201}, {44, 102}};
  ASSERT_EQ(p.toripl1[41], 1);
  ASSERT_EQ(p.toripl1[42], 1);
  ASSERT_EQ(p.toripl1[43], 1);
  EXPECT_EQ(p.eval(flatBasyo(1)), -300 - 4 - 10 + 10 - 33);
}

TEST(PieceTerms, OpenBoardRookAtStageFour) {
  // Kings on 97 and 12 keep their rooms (-40 and +40) and are not reached.
  Basyo b = flatBasyo(4);
  Pos mid{{97, 101}, {12, 201}, {55, 202}};
  EXPECT_EQ(mid.eval(b), 300 + 16);
  Pos edge{{97, 101}, {12, 201}, {15, 202}};
  EXPECT_EQ(edge.eval(b), 300 + 12);
  Pos dragon{{97, 101}, {12, 201}, {55, 212}};
  EXPECT_EQ(dragon.eval(b), 330 + 16);
  // An occupied neighbour is not free: own gold beside the rook (gold
  // 30*190/40 = 142).
  Pos gold2{{97, 101}, {12, 201}, {55, 202}, {54, 204}};
  EXPECT_EQ(gold2.eval(b), 300 + 12 + 142);
  Pos gold1{{97, 101}, {12, 201}, {55, 102}, {56, 104}};
  EXPECT_EQ(gold1.eval(b), -300 - 12 - 142);
}

TEST(PieceTerms, RookOnTheBackRanksNearTheEnemyKing) {
  Basyo b = flatBasyo(4);
  // Side-2 rook on 19 (two free neighbours, +8); side 1's king on rank 7,
  // so rank 9 adds 30.
  Pos p{{97, 101}, {12, 201}, {19, 202}};
  EXPECT_EQ(p.eval(b), 300 + 8 + 30);
  // Side-1 rook on 11 with side 2's king on rank 3: -30 for rank 1; not on
  // rank 4.
  Basyo b2 = flatBasyo(2);
  Pos q{{99, 101}, {93, 201}, {11, 102}};
  EXPECT_EQ(q.eval(b2), -300 - 4 - 30);
  Pos r{{99, 101}, {94, 201}, {11, 102}};
  EXPECT_EQ(r.eval(b2), -300 - 4);
}

TEST(PieceTerms, RookOnTheEnemyBackRanksWhileTheEnemyKingStaysNear) {
  // The enemy king stands on a rank inside the condition, then on the first
  // rank outside it (74 for side 2's king, 76 for side 1's) with the same
  // neighbourhood; the difference is the rank term alone. A gold beside the
  // rook stops its rank line before the king's squares; the rook's own king
  // stays on 99 (side 1) or 51 (side 2).
  struct Row {
    int32_t hisya;
    int sq;
    int gold;
    int ou;  // the enemy king inside the condition
    int32_t delta;
  };
  const Row rows[] = {
      {102, 11, 21, 71, -30}, {102, 11, 21, 73, -30}, {102, 12, 22, 72, -20},
      {102, 12, 22, 73, -20}, {102, 13, 23, 71, 0},   {112, 11, 21, 72, -30},
      {112, 12, 22, 73, -20}, {202, 19, 29, 79, 30},  {202, 19, 29, 77, 30},
      {202, 18, 28, 78, 20},  {202, 18, 28, 77, 20},  {202, 17, 27, 79, 0},
      {212, 19, 29, 78, 30},  {212, 18, 28, 77, 20},
  };
  const Basyo b = flatBasyo(1);
  for (const Row& r : rows) {
    const bool s1 = r.hisya < 200;
    const int32_t gold = s1 ? 104 : 204;
    Pos in{{r.sq, r.hisya}, {r.gold, gold}, {s1 ? 99 : 51, s1 ? 101 : 201},
           {r.ou, s1 ? 201 : 101}};
    Pos out{{r.sq, r.hisya}, {r.gold, gold}, {s1 ? 99 : 51, s1 ? 101 : 201},
            {s1 ? 74 : 76, s1 ? 201 : 101}};
    EXPECT_EQ(in.eval(b) - out.eval(b), r.delta) << r.hisya << "@" << r.sq << " king " << r.ou;
  }
}

TEST(PieceTerms, PromotedMinorPiecesScoreAsGolds) {
  // Alone on 55 weighing 44, kings in the corners: w*v/40; with one
  // attacker (count set by hand) it hangs, w*v/250, and scores w*v/50.
  struct Row {
    int32_t koma;
    int32_t free, attacked;
  };
  const Row rows[] = {
      {104, -209, -167 + 33}, {115, -209, -167 + 33}, {116, -154, -123 + 24},
      {117, -154, -123 + 24}, {118, -165, -132 + 26}, {204, 209, 167 - 33},
      {215, 209, 167 - 33},   {216, 154, 123 - 24},   {217, 154, 123 - 24},
      {218, 165, 132 - 26},
  };
  Basyo b = flatBasyo(1);
  b.basyo1[55] = 44;
  b.basyo2[55] = 44;
  for (const Row& r : rows) {
    Pos p{{99, 101}, {11, 201}, {55, r.koma}};
    EXPECT_EQ(p.eval(b), r.free) << r.koma;
    (r.koma < 200 ? p.toripl2 : p.toripl1)[55] = Kazu{1};
    EXPECT_EQ(p.eval(b), r.attacked) << r.koma;
  }
}

TEST(PieceTerms, SideTwoHorseAddsItsSquareWeight) {
  // On 56 weighing 33 (w1 there stays 30), kings on 97 and 13 off its lines;
  // rooms -20 + 20. Stage 2: four free diagonals +8.
  struct Row {
    int32_t kaku;
    bool pawn;  // a user pawn on 57 attacks it
    int32_t ten;
  };
  const Row rows[] = {
      {213, false, 310 + 33 + 8},
      {203, false, 285 + 8},
      // Hangs -33*310/250 = 40; +(310 - 62) + 33 + 8. The pawn, attacked by
      // the horse's step: hangs +2, -30*20/50 = 12, -w1(56)/2 for the
      // piece in front.
      {213, true, -40 + 248 + 33 + 8 + 2 - 12 - 15},
  };
  Basyo b = flatBasyo(2);
  b.basyo2[56] = 33;
  for (const Row& r : rows) {
    Pos p{{97, 101}, {13, 201}, {56, r.kaku}};
    if (r.pawn) {
      p.aru[57] = 108;
      p.maps();
    }
    EXPECT_EQ(p.eval(b), r.ten) << r.kaku << " " << r.pawn;
  }
}

TEST(PieceTerms, SurroundedRookAndBishopGetNoMobility) {
  // Four own golds around (30*190/40 = 142 each); kings' rooms cancel.
  Basyo b = flatBasyo(4);
  Pos r2{{97, 101}, {12, 201}, {55, 202}, {54, 204}, {56, 204}, {45, 204}, {65, 204}};
  EXPECT_EQ(r2.eval(b), 300 + 4 * 142);
  Pos r1{{97, 101}, {12, 201}, {55, 102}, {54, 104}, {56, 104}, {45, 104}, {65, 104}};
  EXPECT_EQ(r1.eval(b), -300 - 4 * 142);
  Pos b2{{97, 101}, {12, 201}, {55, 203}, {44, 204}, {46, 204}, {64, 204}, {66, 204}};
  EXPECT_EQ(b2.eval(b), 285 + 4 * 142);
  Pos b1{{97, 101}, {12, 201}, {55, 103}, {44, 104}, {46, 104}, {64, 104}, {66, 104}};
  EXPECT_EQ(b1.eval(b), -285 - 4 * 142);
}

TEST(PieceTerms, SideTwoBishopAttackedTwice) {
  Basyo b = flatBasyo(2);
  // Bishop: hangs -30*285/250 = 34; +(285 - 285*2/5); four free diagonals
  // +8. Its lines pass the user's king and reach 88, 110 (through the king)
  // and 100; the king covers all three too: +(2*2*5 + 2*5) for 88,
  // +(2*2*2 + 2*2) each for 110 and 100. The room row 88..90 stays free by
  // 89, the row 108..110 is off the board. The bishop gives check, so the
  // king hangs: +30*50/250 = 6. Pawn -15 and -w1(55)/2; knight -30*120/40.
  Pos p{{99, 101}, {11, 201}, {55, 203}, {56, 108}, {67, 106}};
  ASSERT_EQ(p.toripl1[55], 2);
  ASSERT_EQ(p.toripl2[110], 1);
  ASSERT_EQ(p.toripl2[100], 1);
  EXPECT_EQ(p.eval(b), -34 + 171 + 8 + 30 + 12 + 12 + 6 - 20 + 20 - 15 - 15 - 90);
}

TEST(PieceTerms, HangingPieceCostsItsWeightedValue) {
  Basyo b = flatBasyo(2);
  // Side-2 gold on 55 attacked by the side-1 pawn on 56, undefended:
  // gold -30*190/250 (22) + 30*190/50 (114); pawn +30*20/250 (2, it hangs
  // too) - 30*20/50 (12) - w1(55)/2 (15, enemy piece in front).
  Pos p{{99, 101}, {11, 201}, {55, 204}, {56, 108}};
  EXPECT_EQ(p.eval(b), -22 + 114 + 2 - 12 - 15);
  // Defended once by a side-2 silver on 44: attackers equal defenders,
  // nothing hangs on 55; the silver adds 30*180/40.
  Pos q{{99, 101}, {11, 201}, {55, 204}, {56, 108}, {44, 205}};
  EXPECT_EQ(q.eval(b), 114 + 135 + 2 - 12 - 15);
}

TEST(PieceTerms, HorseAttackedOnce) {
  Basyo b = flatBasyo(2);
  b.basyo1[55] = 33;
  // Horse: hangs +33*310/250 = 40; -(310 - 62); -33; four free diagonals -8.
  // Pawn on 54: hangs -2; +30*20/50 = 12. Kings' rooms: -20 and +40.
  Pos p{{99, 101}, {51, 201}, {55, 113}, {54, 208}};
  EXPECT_EQ(p.eval(b), 40 - 248 - 33 - 8 - 2 + 12 - 20 + 40);
}

TEST(PieceTerms, LanceUsesItsFileWeight) {
  Basyo b = flatBasyo(1);
  b.basyo2[50] = 44;
  // 44*90/40 = 99 for both lances; -r*2 + 20 each.
  Pos p{{99, 101}, {11, 201}, {53, 207}, {57, 207}};
  EXPECT_EQ(p.eval(b), (99 - 6 + 20) + (99 - 14 + 20));
}

TEST(PieceTerms, SideOneLanceAndSideTwoPawnFaceToFace) {
  Basyo b = flatBasyo(1);
  b.basyo1[50] = 44;
  // Lance on 57: hangs +30*90/250 = 10; -(44*90/50 + 7*2) = -93.
  // Pawn on 56: hangs -2; +12; square ahead held by side 2's attack, not
  // by its own piece, rank 6: +w2(57)*2 = 60.
  Pos p{{99, 101}, {11, 201}, {57, 107}, {56, 208}};
  EXPECT_EQ(p.eval(b), 10 - 93 - 2 + 12 + 60);
}

TEST(PawnTerms, EnemyPawnTwoAheadAndPawnThreat) {
  Basyo b = flatBasyo(1);
  b.basyo1[54] = 40;
  b.basyo2[54] = 50;
  // Side 1's pawn: no penalty for the enemy pawn two ahead. Side 2's pawn:
  // +w2(54)/2 for the user's pawn two ahead.
  Pos p{{99, 101}, {11, 201}, {55, 108}, {53, 208}};
  EXPECT_EQ(p.eval(b), -15 + 15 + 25);
  // A silver two ahead of the user's pawn costs w1(54)/2 = 20.
  Pos q{{99, 101}, {11, 201}, {55, 108}, {53, 205}};
  EXPECT_EQ(q.eval(b), -15 - 20 + 135);
  // A silver two ahead of side 2's pawn earns nothing.
  Pos r{{99, 101}, {11, 201}, {55, 105}, {53, 208}};
  EXPECT_EQ(r.eval(b), -135 + 15);
}

TEST(PawnTerms, SideOneAdvanceByRank) {
  Basyo b = flatBasyo(1);
  b.basyo1[51] = 37;
  b.basyo1[53] = 37;
  b.basyo1[54] = 41;
  b.basyo1[55] = 43;
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {52, 108}}.eval(b)), -15 - 74);
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {54, 108}}.eval(b)), -41 * 20 / 40 - 74);
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {55, 108}}.eval(b)), -43 * 20 / 40 - 41 / 2);
  // Rank 6: nothing for the square ahead; the pawn's own term uses w1(56).
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {56, 108}}.eval(b)), -15);
  // An own piece ahead stops the term: knight on 53 (37*120/40 = 111).
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {54, 108}, {53, 106}}.eval(b)), -41 * 20 / 40 - 111);
}

TEST(PawnTerms, SideTwoAdvanceByRank) {
  Basyo b = flatBasyo(1);
  b.basyo2[57] = 37;
  b.basyo2[59] = 37;
  b.basyo2[56] = 41;
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {56, 208}}.eval(b)), 41 * 20 / 40 + 74);
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {58, 208}}.eval(b)), 15 + 74);
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {55, 208}}.eval(b)), 15 + 41 / 2);
  EXPECT_EQ((Pos{{99, 101}, {11, 201}, {54, 208}}.eval(b)), 15);
}

TEST(KingAttack, PawnInFrontOfTheUsersKing) {
  Basyo b = flatBasyo(2);
  // Pawn +15; rooms -40 + 20; square in front (c = 6) attacked once and
  // defended once: 2*2*6 + 2*6.
  Pos p{{58, 101}, {11, 201}, {56, 208}};
  EXPECT_EQ(p.eval(b), 15 - 40 + 20 + 24 + 12);
  // With a side-1 gold on 68 the square has more defenders: no second part.
  Pos q{{58, 101}, {11, 201}, {56, 208}, {68, 104}};
  EXPECT_EQ(q.eval(b), 15 - 40 + 20 + 24 - 142);
}

TEST(KingAttack, SilverNearTheComputersKing) {
  Basyo b = flatBasyo(3);
  // Silver on 54 attacks 63 (c 5), 53 (c 6) and 43 (c 5), each also
  // defended by the king: -3*(2*5 + 5) - 3*(2*6 + 6) - 3*(2*5 + 5).
  Pos p{{99, 101}, {52, 201}, {54, 105}};
  EXPECT_EQ(p.eval(b), -135 + (-30 + 60) - 45 - 54 - 45);
}

TEST(KingAttack, EveryNeighbourWeightOfBothKings) {
  // Counts set by hand on one neighbour of bare kings on 57 and 53 (which
  // score 0 together), at stage 3. One attacker against the king's own
  // cover: t*(2c + c) = 9c; three attackers against four: t*4c = 12c.
  struct Row {
    int king;  // 1 or 2
    int d;
    int32_t one, three;
  };
  const Row rows[] = {
      {1, 10, 36, 48},   {1, -10, 36, 48},  {1, -11, 45, 60}, {1, -1, 54, 72},
      {1, 9, 45, 60},    {1, 11, 18, 24},   {1, 1, 18, 24},   {1, -9, 18, 24},
      {2, 10, -36, -48}, {2, -10, -36, -48}, {2, 11, -45, -60}, {2, 1, -54, -72},
      {2, -9, -45, -60}, {2, -11, -18, -24}, {2, -1, -18, -24}, {2, 9, -18, -24},
  };
  const Basyo b = flatBasyo(3);
  const Pos bare{{57, 101}, {53, 201}};
  ASSERT_EQ(bare.eval(b), 0);
  for (const Row& r : rows) {
    Pos p = bare;
    const int n = (r.king == 1 ? 57 : 53) + r.d;
    Kiki& teki = r.king == 1 ? p.toripl2 : p.toripl1;
    Kiki& mikata = r.king == 1 ? p.toripl1 : p.toripl2;
    ASSERT_EQ(mikata[n], 1) << n;
    teki[n] = Kazu{1};
    EXPECT_EQ(p.eval(b), r.one) << r.king << " " << r.d;
    teki[n] = Kazu{3};
    mikata[n] = Kazu{4};
    EXPECT_EQ(p.eval(b), r.three) << r.king << " " << r.d;
  }
}

TEST(KingAttack, LineThroughAnEdgeKingCountsTheCellBeyond) {
  // A lance checks a king on its back rank; its line runs through the king
  // to the off-board cell behind (weight 2), which the king covers as well.
  const Basyo b = flatBasyo(2);
  // Side 2's lance on 55: 56..59 and 60. King hangs +6; lance
  // 30*90/40 - 10 + 20 = 77; rooms -40 + 20; 58: +(2*2*6 + 2*6),
  // 60: +(2*2*2 + 2*2).
  Pos p{{59, 101}, {11, 201}, {55, 207}};
  ASSERT_EQ(p.toripl2[60], 1);
  EXPECT_EQ(p.eval(b), 6 + 77 - 20 + 36 + 12);
  // The mirror: side 1's lance on 55 checks side 2's king on 51 and reaches
  // 50. King hangs -6; lance -(67 + 10); rooms -20 + 40; 52 and 50.
  Pos q{{99, 101}, {51, 201}, {55, 107}};
  ASSERT_EQ(q.toripl1[50], 1);
  EXPECT_EQ(q.eval(b), -6 - 77 + 20 - 36 - 12);
}

TEST(Hands, BonusAndValuePerKind) {
  struct Row {
    int kind;
    int32_t one, more, v;
  };
  const Row rows[] = {{2, 25, 35, 300}, {3, 25, 35, 285}, {4, 20, 30, 190}, {5, 20, 30, 180},
                      {6, 20, 30, 120}, {7, 15, 25, 90},  {8, 20, 30, 20}};
  Basyo b = flatBasyo(1);
  for (const Row& r : rows) {
    for (int n = 1; n <= 3; ++n) {
      Pos p{{99, 101}, {11, 201}};
      p.arull[10 + r.kind] = n;
      EXPECT_EQ(p.eval(b), -((n == 1 ? r.one : r.more) + r.v * n)) << r.kind << " " << n;
      p.arull[10 + r.kind] = 0;
      p.arull[20 + r.kind] = n;
      EXPECT_EQ(p.eval(b), (n == 1 ? r.one : r.more) + r.v * n) << r.kind << " " << n;
    }
  }
}

TEST(Hands, TwoPawnsCostThirtyPlusTheirValue) {
  Pos p{{99, 101}, {11, 201}};
  p.arull[18] = 2;
  EXPECT_EQ(p.eval(flatBasyo(2)), -(30 + 40));
}

namespace {

struct Senn {
  Sennkei sk;
  std::vector<std::pair<int, int32_t>> pieces;
  int32_t delta;
};

// Score under the strategy minus the score without one, on a board with
// side 1's king on 58 and side 2's king on 51 unless a row places it.
int32_t strategyDelta(const Senn& row) {
  Pos p{{58, 101}};
  bool king2 = false;
  for (auto [s, c] : row.pieces) {
    p.aru[s] = c;
    if (c == 201) king2 = true;
  }
  if (!king2) p.aru[51] = 201;
  p.maps();
  Basyo b = flatBasyo(1);
  return p.eval(b, row.sk) - p.eval(b, Sennkei::kSonota);
}

}  // namespace

TEST(Strategy, EachTableSquare) {
  using S = Sennkei;
  const Senn rows[] = {
      {S::kMitei, {{41, 204}}, 20},
      {S::kMitei, {{61, 204}}, 20},
      {S::kMitei, {{41, 204}, {61, 204}}, 40},
      {S::kMitei, {{41, 205}}, 0},
      {S::kIbimi, {{31, 205}}, -10},
      {S::kIbimi, {{71, 205}}, -10},
      {S::kIbimi, {{41, 204}}, 0},
      {S::kYagmi, {{41, 201}}, 10},
      {S::kYagmi, {{32, 204}}, 15},
      {S::kYagmi, {{52, 204}}, 10},
      {S::kYagmi, {{43, 204}}, 15},
      {S::kYagmi, {{33, 205}}, 15},
      {S::kYagmi, {{31, 205}}, -10},
      {S::kYagmi, {{71, 205}}, -10},
      {S::kYagmi, {{23, 208}}, 20},
      {S::kYagmi, {{23, 108}}, 0},
      {S::kYagji, {{22, 201}}, 20},
      {S::kYagji, {{72, 202}}, 10},
      {S::kYagji, {{84, 202}}, 10},
      {S::kYagji, {{22, 203}}, -5},
      {S::kYagji, {{42, 203}}, 5},
      {S::kYagji, {{64, 203}}, 5},
      {S::kYagji, {{32, 204}}, 15},
      {S::kYagji, {{43, 204}}, 10},
      {S::kYagji, {{33, 205}}, 15},
      {S::kYagji, {{42, 205}}, 5},
      {S::kYagji, {{31, 205}}, -10},
      {S::kYagji, {{71, 205}}, -10},
      {S::kYagji, {{21, 206}}, 5},
      {S::kYagji, {{23, 208}}, 15},
      {S::kHunag, {{42, 201}}, 20},
      {S::kHunag, {{22, 203}}, 20},
      {S::kHunag, {{31, 206}}, 20},
      {S::kHunag, {{41, 204}}, 0},
      {S::kSonota, {{41, 204}, {22, 203}}, 0},
  };
  for (const Senn& r : rows) {
    std::string where;
    for (auto [s, c] : r.pieces) where += std::to_string(c) + "@" + std::to_string(s) + " ";
    EXPECT_EQ(strategyDelta(r), r.delta) << static_cast<int>(r.sk) << " " << where;
  }
}

TEST(Strategy, TotikCastle) {
  using S = Sennkei;
  // Side-2 king room is switched off by totik; every row but one keeps
  // both kings' rooms equal (-20 and +20), so the difference is the bonus.
  const Senn rows[] = {
      {S::kTotik, {{32, 201}}, 10},
      {S::kTotik, {{21, 201}}, 20},
      {S::kTotik, {{21, 201}, {31, 204}}, 30},
      {S::kTotik, {{21, 201}, {32, 204}}, 30},
      {S::kTotik, {{21, 201}, {22, 205}}, 30},
      {S::kTotik, {{21, 201}, {23, 205}}, 35},
      {S::kTotik, {{21, 201}, {42, 205}}, 30},
      // The golds on 31 and 32 also fill the king's row 30..32: without
      // totik the rooms are -20 + 10, so the difference is 40 + 10.
      {S::kTotik, {{21, 201}, {31, 204}, {32, 204}}, 50},
      // The castle pieces count only with the king on 21.
      {S::kTotik, {{31, 204}}, 0},
      {S::kTotik, {{32, 204}}, 0},
      {S::kTotik, {{22, 205}}, 0},
      {S::kTotik, {{23, 205}}, 0},
      {S::kTotik, {{84, 202}}, 10},
      {S::kTotik, {{53, 203}}, 5},
      {S::kTotik, {{22, 203}}, -30},
      {S::kTotik, {{32, 201}, {84, 202}, {53, 203}}, 25},
  };
  for (const Senn& r : rows) {
    std::string where;
    for (auto [s, c] : r.pieces) where += std::to_string(c) + "@" + std::to_string(s) + " ";
    EXPECT_EQ(strategyDelta(r), r.delta) << where;
  }
}

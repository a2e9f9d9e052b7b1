// The candidate examination: legality, checks and simple mates, the threat
// scan, the pass terms, promotion listings and the sorted insertion. Positions
// are built by hand with every square weighing 30, so the expected terms can
// be worked out from the rules; the static evaluation is added by calling it
// on the resulting board.
#include <gtest/gtest.h>

#include <memory>

#include "engine/eval.h"
#include "engine/search.h"
#include "model/attacks.h"
#include "tests/search_helpers.h"

namespace syougi {
namespace {

using test::mitukeru;
using test::nyuuryoku;
using test::emptyBoard;
using test::sasu;
using test::seiteki;
using test::tesuji;

class Examine : public ::testing::Test {
 protected:
  std::unique_ptr<PlyTable> t = std::make_unique<PlyTable>();
  std::unique_ptr<Search> s = std::make_unique<Search>(*t);
  Ban b = emptyBoard();
  Mochi h{};
};

TEST_F(Examine, CheckAddsTwoHundredForSide2) {
  b[51] = 201;
  b[59] = 101;
  b[82] = 202;
  const SearchInput in = nyuuryoku(b, h);
  s->prepare(in);
  s->kouhoList<1>();
  const Ply& p = (*t)[1];

  Ban ote = b;
  ote[52] = 202;
  ote[82] = 0;
  const int i = mitukeru(p, 82, 52);
  ASSERT_GE(i, 0);
  EXPECT_EQ(p.kten[i], 200 + seiteki(ote, h, in.basyo));

  Ban sizuka = b;
  sizuka[72] = 202;
  sizuka[82] = 0;
  const int j = mitukeru(p, 82, 72);
  ASSERT_GE(j, 0);
  EXPECT_EQ(p.kten[j], seiteki(sizuka, h, in.basyo));
}

TEST_F(Examine, CheckSubtractsTwoHundredForSide1) {
  b[51] = 201;
  b[93] = 208;
  b[59] = 101;
  b[28] = 102;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 93, 94, -32000);
  s->kouhoList<2>();
  const Ply& p = (*t)[2];
  Ban ote = (*t)[1].aru;
  ote[58] = 102;
  ote[28] = 0;
  const int i = mitukeru(p, 28, 58);
  ASSERT_GE(i, 0);
  EXPECT_EQ(p.kten[i], -200 + seiteki(ote, h, s->basyo()));
}

TEST_F(Examine, DefendedGoldInFrontOfTheKingMatesAtPly1) {
  b[91] = 201;
  b[59] = 101;
  b[57] = 205;  // defends 58 and covers 48 and 68
  h[24] = 1;    // the gold covers 48, 68, 49 and 69 from 58
  s->ai1(nyuuryoku(b, h));
  EXPECT_EQ(s->saikou1, 32000);
  EXPECT_EQ(s->moto, 204);
  EXPECT_EQ(s->saki, 58);
  // The search itself never ran.
  EXPECT_EQ(s->searchedAt[1], 0);
  EXPECT_EQ(s->nodes, 0);
  // The mating move is not listed.
  EXPECT_EQ(mitukeru((*t)[1], 204, 58), -1);
}

TEST_F(Examine, PawnDropThatWouldMateIsNotListed) {
  b[91] = 201;
  b[59] = 101;
  b[57] = 205;  // defends 58, covers 48 and 68
  b[48] = 208;  // covers 49
  b[68] = 208;  // covers 69
  h[28] = 1;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  const Ply& p = (*t)[1];
  EXPECT_EQ(mitukeru(p, 208, 58), -1);
  EXPECT_EQ(p.saikou, -32000) << s->moto << "-" << s->saki;  // and no mate recorded
  // Other pawn drops are listed.
  EXPECT_GE(mitukeru(p, 208, 55), 0);
}

TEST_F(Examine, MateScorePerPly) {
  b[51] = 201;
  b[93] = 208;
  b[99] = 101;
  b[53] = 105;  // defends 52
  h[14] = 1;    // a gold on 52 covers 41, 42, 61, 62
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 93, 94, -32000);
  s->kouhoList<2>();
  EXPECT_EQ((*t)[2].saikou, -32000);
  EXPECT_EQ(mitukeru((*t)[2], 104, 52), -1);

  tesuji(*t, 2, 99, 98, 32000);
  tesuji(*t, 3, 94, 95, -30000);
  s->kouhoList<4>();
  EXPECT_EQ((*t)[4].saikou, -31000);
}

TEST_F(Examine, MoveLeavingOwnKingAttackedIsNeverListed) {
  b[51] = 201;
  b[52] = 204;  // pinned by the rook on 59
  b[59] = 102;
  b[91] = 101;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  const Ply& p = (*t)[1];
  EXPECT_GE(mitukeru(p, 52, 53), 0);  // stays on the file
  EXPECT_EQ(mitukeru(p, 52, 42), -1);
  EXPECT_EQ(mitukeru(p, 52, 43), -1);
  EXPECT_EQ(mitukeru(p, 52, 62), -1);
  EXPECT_EQ(mitukeru(p, 52, 63), -1);
}

class Threat : public Examine {
 protected:
  // Side 2's bishop on 45 faces the user's pawn on 46; side 2 plays 11-12.
  int32_t loss() {
    b[11] = 201;
    b[99] = 101;
    b[45] = 203;
    b[46] = 108;
    const SearchInput in = nyuuryoku(b, h);
    s->prepare(in);
    s->kouhoList<1>();
    const int i = mitukeru((*t)[1], 11, 12);
    EXPECT_GE(i, 0);
    if (i < 0) return 0;
    Ban after = b;
    after[12] = 201;
    after[11] = 0;
    return seiteki(after, h, in.basyo) - (*t)[1].kten[i];
  }
};

TEST_F(Threat, DefendedBishopAttackedByPawnLosesBishopMinusPawn) {
  b[44] = 204;  // defends 45
  EXPECT_EQ(loss(), 285 - 20);
}

TEST_F(Threat, UndefendedBishopLosesItsValue) { EXPECT_EQ(loss(), 285); }

TEST_F(Threat, OutnumberedDefenderAddsTwiceTheWeight) {
  b[44] = 204;
  b[56] = 105;  // a second attacker on 45
  // The pawn in front is tested last and wins; then 2 * 30.
  EXPECT_EQ(loss(), 285 - 20 + 60);
}

TEST_F(Examine, ThreatLimitAtPlies6And8) {
  // Side 1's silver steps to 45, attacked by the pawn on 44 and defended by
  // the gold on 55: it loses (180 - 20) * 30 / 50 = 96.
  b[11] = 201;
  b[99] = 101;
  b[44] = 208;
  b[46] = 105;
  b[55] = 104;
  b[93] = 208;
  b[97] = 108;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 93, 94, -32000);
  tesuji(*t, 2, 97, 96, 32000);
  tesuji(*t, 3, 11, 12, -30000);
  tesuji(*t, 4, 99, 98, 32000);
  tesuji(*t, 5, 12, 11, -29000);
  s->kouhoList<6>();
  EXPECT_GE(mitukeru((*t)[6], 46, 45, 21), 0);

  tesuji(*t, 6, 98, 99, 32000);
  tesuji(*t, 7, 11, 12, -28000);
  s->kouhoList<8>();
  EXPECT_EQ(mitukeru((*t)[8], 46, 45, 21), -1);
  // A move that loses nothing is still listed there.
  EXPECT_GE(mitukeru((*t)[8], 99, 98, 21), 0);
}

TEST_F(Examine, GoldLosingMoreThanHundredIsNotListedAtPly6) {
  // (190 - 20) * 30 / 50 = 102.
  b[11] = 201;
  b[99] = 101;
  b[44] = 208;
  b[46] = 104;
  b[56] = 105;  // defends 45
  b[93] = 208;
  b[97] = 108;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 93, 94, -32000);
  tesuji(*t, 2, 97, 96, 32000);
  tesuji(*t, 3, 11, 12, -30000);
  s->kouhoList<4>();
  EXPECT_GE(mitukeru((*t)[4], 46, 45), 0);
  tesuji(*t, 4, 99, 98, 32000);
  tesuji(*t, 5, 12, 11, -29000);
  s->kouhoList<6>();
  EXPECT_EQ(mitukeru((*t)[6], 46, 45, 21), -1);
}

TEST_F(Examine, RookEnteringTheZoneIsListedOnlyPromoted) {
  b[11] = 201;
  b[99] = 101;
  b[56] = 202;
  b[36] = 205;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  const Ply& p = (*t)[1];
  ASSERT_EQ(p.kmoto[kListMax - 1], 0);  // the list did not overflow
  EXPECT_GE(mitukeru(p, 56, 157), 0);
  EXPECT_EQ(mitukeru(p, 56, 57), -1);
  EXPECT_GE(mitukeru(p, 56, 55), 0);
  EXPECT_EQ(mitukeru(p, 56, 155), -1);
  // The silver entering the zone both ways; leaving it sideways back to
  // rank 5 only unpromoted.
  EXPECT_GE(mitukeru(p, 36, 37), 0);
  EXPECT_GE(mitukeru(p, 36, 137), 0);
  EXPECT_GE(mitukeru(p, 36, 45), 0);
  EXPECT_EQ(mitukeru(p, 36, 145), -1);
}

TEST_F(Examine, LanceOnAnEdgeFileMovesAtPly1OnlyWithTheKingOnTheFarSide) {
  b[13] = 207;
  b[97] = 207;
  b[89] = 101;
  b[41] = 201;  // on files 1..5, not 5..9
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  EXPECT_EQ(mitukeru((*t)[1], 13, 14), -1);
  EXPECT_GE(mitukeru((*t)[1], 13, 17), 0);   // ends on rank 7
  EXPECT_GE(mitukeru((*t)[1], 97, 198), 0);  // file 9 with the king on files 1..5
  EXPECT_EQ(mitukeru((*t)[1], 97, 98), -1);  // rank 8: promoted only

  b[41] = 0;
  b[51] = 201;  // file 5 counts for both edges
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  EXPECT_GE(mitukeru((*t)[1], 13, 14), 0);
  EXPECT_GE(mitukeru((*t)[1], 13, 17), 0);  // ends in the zone: both ways
  EXPECT_GE(mitukeru((*t)[1], 13, 117), 0);
}

TEST_F(Examine, QuietPawnPushFromAnEdgeFileIsSkippedFromPly3) {
  b[51] = 201;
  b[93] = 208;
  b[53] = 208;
  b[13] = 208;
  b[15] = 108;  // something beyond 14
  b[59] = 101;
  b[97] = 108;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  EXPECT_GE(mitukeru((*t)[1], 93, 94), 0);  // no such rule at ply 1
  tesuji(*t, 1, 51, 41, -32000);
  tesuji(*t, 2, 59, 58, 32000);
  s->kouhoList<3>();
  EXPECT_EQ(mitukeru((*t)[3], 93, 94), -1);
  EXPECT_GE(mitukeru((*t)[3], 53, 54), 0);
  EXPECT_GE(mitukeru((*t)[3], 13, 14), 0);
}

TEST_F(Examine, KnightIntoRank7PromotesBothWaysAtPly1AndOnlyPromotedAtPly3) {
  b[51] = 201;
  b[35] = 206;
  b[59] = 101;
  b[97] = 108;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  EXPECT_GE(mitukeru((*t)[1], 35, 47), 0);
  EXPECT_GE(mitukeru((*t)[1], 35, 147), 0);
  tesuji(*t, 1, 51, 41, -32000);
  tesuji(*t, 2, 97, 96, 32000);
  s->kouhoList<3>();
  EXPECT_EQ(mitukeru((*t)[3], 35, 47), -1);
  EXPECT_GE(mitukeru((*t)[3], 35, 147), 0);
}

class Ply5 : public Examine {
 protected:
  // Four quiet plies: kings 11/99 and pawns 93/97 step about.
  void line(int weight) {
    SearchInput in = nyuuryoku(b, h);
    in.basyo.basyo1.fill(static_cast<int16_t>(weight));
    in.basyo.basyo2.fill(static_cast<int16_t>(weight));
    s->prepare(in);
    tesuji(*t, 1, 93, 94, -32000);
    tesuji(*t, 2, 97, 96, 32000);
    tesuji(*t, 3, 11, 12, -30000);
    tesuji(*t, 4, 99, 98, 32000);
    s->kouhoList<5>();
  }
  int drops(int32_t code) const {
    int n = 0;
    for (int i = 0; i < 21; ++i) n += (*t)[5].kmoto[i] == code;
    return n;
  }
};

TEST_F(Ply5, NoGoldDropOnSquaresWeighingBelow25) {
  b[11] = 201;
  b[93] = 208;
  b[99] = 101;
  b[97] = 108;
  h[24] = 1;
  line(24);
  EXPECT_EQ(drops(204), 0);
  line(25);
  EXPECT_GT(drops(204), 0);
}

TEST_F(Ply5, QuietMoveOnlyOntoASquareItsSideHoldsMoreStrongly) {
  b[11] = 201;
  b[93] = 208;
  b[99] = 101;
  b[97] = 108;
  b[44] = 205;
  b[56] = 108;  // attacks 55 once
  line(30);
  // The silver alone on 55 (1 attack against 1) is not made.
  for (int i = 0; i < 21; ++i) EXPECT_FALSE((*t)[5].kmoto[i] == 44 && (*t)[5].ksaki[i] == 55);

  b[54] = 204;  // a second side-2 piece on 55
  line(30);
  bool found = false;
  for (int i = 0; i < 21; ++i) found = found || ((*t)[5].kmoto[i] == 44 && (*t)[5].ksaki[i] == 55);
  EXPECT_TRUE(found);
}

TEST_F(Examine, EqualScoresKeepTheEarlierExaminedFirst) {
  // A position symmetric about file 5: 33-34 and 73-74 score the same.
  b[51] = 201;
  b[33] = 208;
  b[73] = 208;
  b[59] = 101;
  b[37] = 108;
  b[77] = 108;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  const Ply& p = (*t)[1];
  const int i = mitukeru(p, 33, 34);
  const int j = mitukeru(p, 73, 74);
  ASSERT_GE(i, 0);
  ASSERT_GE(j, 0);
  ASSERT_EQ(p.kten[i], p.kten[j]);
  EXPECT_LT(i, j);

  // Ascending at ply 2: 37-36 before 77-76.
  tesuji(*t, 1, 51, 52, -32000);  // along file 5, so still symmetric
  s->kouhoList<2>();
  const Ply& q = (*t)[2];
  const int k = mitukeru(q, 37, 36);
  const int l = mitukeru(q, 77, 76);
  ASSERT_GE(k, 0);
  ASSERT_GE(l, 0);
  ASSERT_EQ(q.kten[k], q.kten[l]);
  EXPECT_LT(k, l);
}

TEST_F(Examine, PassAfterPassGetsNothingFromThePassTerms) {
  b[51] = 201;
  b[93] = 208;
  b[59] = 101;
  b[17] = 108;
  const int tt = 3 * 3;
  s->prepare(nyuuryoku(b, h, 3));
  tesuji(*t, 1, 93, 94, -32000);
  // Ply 2 searched its pass: its board is ply 1's.
  Ply& p2 = (*t)[2];
  p2 = (*t)[1];
  p2.kmoto.fill(0);
  p2.ksaki.fill(0);
  p2.ban = 0;
  p2.saikou = 32000;
  s->kouhoList<3>();
  const int32_t base = seiteki((*t)[2].aru, (*t)[2].arull, s->basyo());
  const Ply& p3 = (*t)[3];
  int pass = -1;
  for (int i = 0; i < kListMax; ++i)
    if (p3.kmoto[i] == 0 && p3.kten[i] != -30000) pass = i;
  ASSERT_GE(pass, 0);
  EXPECT_EQ(p3.kten[pass], base);

  // After a real ply-2 move the pass at ply 3 gets +t*t.
  tesuji(*t, 2, 17, 16, 32000);
  s->kouhoList<3>();
  const int32_t base2 = seiteki((*t)[2].aru, (*t)[2].arull, s->basyo());
  pass = -1;
  for (int i = 0; i < kListMax; ++i)
    if (p3.kmoto[i] == 0 && p3.kten[i] != -30000) pass = i;
  ASSERT_GE(pass, 0);
  EXPECT_EQ(p3.kten[pass], base2 + tt);
}

TEST_F(Examine, BookBonusAtTheRootAndForDeeperPlies) {
  b[51] = 201;
  b[93] = 208;
  b[13] = 208;
  b[59] = 101;
  SearchInput in = nyuuryoku(b, h);
  in.zyouseki.moto = {93, 13, 0, 0};
  in.zyouseki.saki = {94, 14, 0, 0};
  in.zyouseki.ten = {40, 30, 0, 0};
  s->prepare(in);
  s->kouhoList<1>();
  const Ply& p = (*t)[1];
  Ban a = b;
  a[94] = 208;
  a[93] = 0;
  const int i = mitukeru(p, 93, 94);
  ASSERT_GE(i, 0);
  EXPECT_EQ(p.kten[i], seiteki(a, h, in.basyo) + 50);
  Ban c = b;
  c[14] = 208;
  c[13] = 0;
  const int j = mitukeru(p, 13, 14);
  ASSERT_GE(j, 0);
  EXPECT_EQ(p.kten[j], seiteki(c, h, in.basyo) + 40);
}

}  // namespace
}  // namespace syougi

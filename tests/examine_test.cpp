// The candidate examination: legality, checks and simple mates, the threat
// scan, the pass terms, promotion listings and the sorted insertion. Positions
// are built by hand with every square weighing 30, so the expected terms can
// be worked out from the rules; the static evaluation is added by calling it
// on the resulting board.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

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

using Koma = std::vector<std::pair<int, int32_t>>;

Ban narabu(const Koma& koma) {
  Ban b = emptyBoard();
  for (auto [sq, c] : koma) b[sq] = c;
  return b;
}

TEST_F(Examine, MateTestNeedsNoFlightAndAContactPieceDefendedOnceAttackedOnce) {
  // Ply 1: side 2 checks the user's king on 59; ply 2 (after 93-94): the
  // user checks side 2's king on 51. A mate is recorded and not listed; a
  // check that is no mate is listed.
  struct Row {
    const char* what;
    int ply;
    Koma koma;
    int32_t moto, saki;
    bool mate;
  };
  const Row rows[] = {
      // Silver dropped in front, defended by the pawn behind it; the pawns
      // beside cover the front diagonals, the silver the sides.
      {"mate", 1, {{47, 208}, {57, 208}, {67, 208}}, 205, 58, true},
      {"flight on 68", 1, {{47, 208}, {57, 208}}, 205, 58, false},
      // Undefended, the silver's square is one the king may go to: no
      // flight square already means the contact piece is defended.
      {"undefended", 1, {{47, 208}, {67, 208}}, 205, 58, false},
      {"a gold on 49 also takes", 1, {{47, 208}, {57, 208}, {67, 208}, {49, 104}}, 205, 58, false},
      // The rook checks along rank 9; the bishop in front covers 49 and 69
      // but cannot attack the king from there.
      {"bishop in front", 1, {{47, 208}, {57, 208}, {67, 208}, {58, 203}}, 202, 19, false},
      {"mate", 2, {{43, 108}, {53, 108}, {63, 108}}, 105, 52, true},
      {"flight on 62", 2, {{43, 108}, {53, 108}}, 105, 52, false},
      {"undefended", 2, {{43, 108}, {63, 108}}, 105, 52, false},
      {"a gold on 41 also takes", 2, {{43, 108}, {53, 108}, {63, 108}, {41, 204}}, 105, 52, false},
      {"bishop in front", 2, {{43, 108}, {53, 108}, {63, 108}, {52, 103}}, 102, 11, false},
  };
  for (const Row& r : rows) {
    Koma koma = r.koma;
    if (r.ply == 1) {
      koma.insert(koma.end(), {{59, 101}, {91, 201}});
    } else {
      koma.insert(koma.end(), {{51, 201}, {99, 101}, {93, 208}});
    }
    Ban ban = narabu(koma);
    Mochi mochi{};
    mochi[(r.ply == 1 ? 20 : 10) + r.moto % 100] = 1;
    s->prepare(nyuuryoku(ban, mochi));
    const Ply& p = (*t)[r.ply];
    if (r.ply == 1) {
      s->kouhoList<1>();
    } else {
      tesuji(*t, 1, 93, 94, -32000);
      s->kouhoList<2>();
    }
    if (r.mate) {
      EXPECT_EQ(p.saikou, r.ply == 1 ? 32000 : -32000) << r.what << " " << r.ply;
      EXPECT_EQ(mitukeru(p, r.moto, r.saki), -1) << r.what << " " << r.ply;
      if (r.ply == 1) {
        EXPECT_EQ(s->moto, r.moto) << r.what;
        EXPECT_EQ(s->saki, r.saki) << r.what;
      }
    } else {
      EXPECT_GE(mitukeru(p, r.moto, r.saki), 0) << r.what << " " << r.ply;
    }
  }
}

TEST_F(Examine, ThreatLossByTheAttackerThatStandsThere) {
  // A side-2 piece on 45, defended (or not) by the gold on 44, attacked by
  // the user's pieces; side 2 plays 11-12 and loses the threat from its
  // score. The file cell 40 weighs 40, every square 30.
  struct Row {
    int32_t koma;
    bool kin;  // the gold on 44 defends
    Koma teki;
    int32_t loss;
  };
  const Row rows[] = {
      {203, true, {{46, 104}}, 285 - 190},
      {203, true, {{46, 115}}, 285 - 180},
      {203, true, {{56, 105}}, 285 - 180},
      {203, true, {{46, 116}}, 285 - 120 + 10},
      {203, true, {{46, 117}}, 285 - 90 + 10},
      {203, true, {{57, 106}}, 285 - 120},
      {203, true, {{37, 106}}, 285 - 120},
      {203, true, {{48, 107}}, 285 - 90},
      {203, true, {{46, 118}}, 285 - 20 + 30},
      {203, true, {{46, 108}}, 285 - 20},
      // A silver from a back diagonal.
      {203, true, {{54, 105}}, 285 - 180},
      // A pawn on a front diagonal does not reach 45: the gold alone.
      {203, true, {{46, 104}, {56, 108}}, 285 - 190},
      // The last attacker in the order wins; two attackers against one
      // defender add 2*30.
      {203, true, {{56, 105}, {46, 116}}, 285 - 120 + 10 + 60},
      {203, true, {{56, 104}, {46, 108}}, 285 - 20 + 60},
      // A lance behind its own pawn does not reach 45: the gold alone.
      {203, true, {{56, 104}, {48, 107}, {47, 108}}, 285 - 190},
      // Minor pieces scale by their weight: (180 - 20)*30/50; a lance by
      // its file cell: (90 - 20)*40/50.
      {205, true, {{46, 108}}, 96},
      {207, true, {{46, 108}}, 56},
      // Undefended: the full value of a major piece, w*v/50 otherwise.
      {212, false, {{46, 108}}, 330},
      {205, false, {{46, 108}}, 108},
      {207, false, {{46, 108}}, 72},
  };
  for (const Row& r : rows) {
    Koma koma = r.teki;
    koma.insert(koma.end(), {{11, 201}, {99, 101}, {45, r.koma}});
    if (r.kin) koma.push_back({44, 204});
    Ban ban = narabu(koma);
    SearchInput in = nyuuryoku(ban, h);
    in.basyo.basyo2[40] = 40;
    s->prepare(in);
    s->kouhoList<1>();
    const int i = mitukeru((*t)[1], 11, 12);
    ASSERT_GE(i, 0) << r.koma;
    Ban after = ban;
    after[12] = 201;
    after[11] = 0;
    EXPECT_EQ(seiteki(after, h, in.basyo) - (*t)[1].kten[i], r.loss)
        << r.koma << " " << r.teki.front().second << "@" << r.teki.front().first;
  }
}

TEST_F(Examine, RecaptureOnTheSquareOfTheParentsMove) {
  // Kings 11 and 99 out of reach: the score is the static one plus the
  // recapture term alone.
  struct Row {
    Koma koma;
    std::vector<std::pair<int32_t, int32_t>> line;  // searched moves of plies 1..
    int32_t moto, saki;
    int32_t delta;
  };
  const Row rows[] = {
      {{{53, 208}, {55, 104}}, {{53, 54}}, 55, 54, -50},
      {{{53, 208}, {55, 104}}, {{53, 54}}, 55, 56, 0},
      // The parent's move promoted: its square is taken without the +100.
      {{{56, 208}, {58, 104}}, {{56, 157}}, 58, 57, -50},
      {{{53, 208}, {55, 104}, {43, 205}}, {{53, 54}, {55, 54}}, 43, 54, 50},
      {{{53, 208}, {55, 104}, {43, 205}}, {{53, 54}, {55, 54}}, 43, 34, 0},
  };
  for (const Row& r : rows) {
    Koma koma = r.koma;
    koma.insert(koma.end(), {{11, 201}, {99, 101}});
    s->prepare(nyuuryoku(narabu(koma), h));
    const int n = static_cast<int>(r.line.size()) + 1;
    for (int j = 1; j < n; ++j)
      tesuji(*t, j, r.line[j - 1].first, r.line[j - 1].second, j % 2 == 1 ? -32000 : 32000);
    if (n == 2) {
      s->kouhoList<2>();
    } else {
      s->kouhoList<3>();
    }
    const Ply& p = (*t)[n];
    const int i = mitukeru(p, r.moto, r.saki);
    ASSERT_GE(i, 0) << r.moto << "-" << r.saki;
    Ban after = (*t)[n - 1].aru;
    Mochi mochi = (*t)[n - 1].arull;
    sasu(after, mochi, n % 2 == 1 ? 2 : 1, r.moto, r.saki);
    EXPECT_EQ(p.kten[i], seiteki(after, mochi, s->basyo()) + r.delta) << r.moto << "-" << r.saki;
  }
}

TEST_F(Examine, BookBonusOfTheRootMoveAtTheRootAndBelow) {
  // Side 2's king on 11 can only go to 12 (21 and 22 are covered). With
  // 11-12 in book slot k the root scores it +50/40/30/30 and every ply-2
  // candidate of its line gets +25/20/15/15; the ply-2 pass is checked.
  struct Row {
    int slot;  // -1: not in the book
    int32_t root, deep;
  };
  const Row rows[] = {{0, 50, 25}, {1, 40, 20}, {2, 30, 15}, {3, 30, 15}, {-1, 0, 0}};
  const Ban ban = narabu({{11, 201}, {32, 105}, {33, 104}, {99, 101}});
  Ban after = ban;
  after[12] = 201;
  after[11] = 0;
  for (const Row& r : rows) {
    SearchInput in = nyuuryoku(ban, h);
    for (int k = 0; k < 4; ++k) {
      in.zyouseki.moto[k] = k == r.slot ? 11 : 0;
      in.zyouseki.saki[k] = k == r.slot ? 12 : 0;
      in.zyouseki.mei[k] = "mitei";
    }
    s->ai1(in);
    const int32_t base = seiteki(after, h, in.basyo);
    ASSERT_EQ((*t)[1].kmoto[0], 11);
    ASSERT_EQ((*t)[1].kmoto[1], 0);  // the only candidate
    EXPECT_EQ((*t)[1].kten[0], base + r.root) << r.slot;
    const Ply& p2 = (*t)[2];
    int pass = -1;
    for (int i = 0; i < kListMax; ++i)
      if (p2.kmoto[i] == 0 && p2.kten[i] != 32000) pass = i;
    ASSERT_GE(pass, 0) << r.slot;
    EXPECT_EQ(p2.kten[pass], base - 1 + r.deep) << r.slot;  // -t*t for the pass
  }
}

TEST_F(Examine, PromotionBonusAtThePly1) {
  // Kings 11 and 99; the promoting piece alone. The destination weighs 37
  // for side 2 and 23 for side 1.
  struct Row {
    int32_t koma;
    int moto;
    int32_t saki;
    int32_t bonus;
  };
  const Row rows[] = {
      {206, 55, 147, 37}, {206, 55, 47, 0},  {207, 35, 137, 37}, {207, 35, 139, 37},
      {208, 56, 157, 47}, {205, 56, 157, 0}, {202, 56, 157, 0},
  };
  for (const Row& r : rows) {
    const Ban ban = narabu({{11, 201}, {99, 101}, {r.moto, r.koma}});
    SearchInput in = nyuuryoku(ban, h);
    in.basyo.basyo2[r.saki % 100] = 37;
    in.basyo.basyo1[r.saki % 100] = 23;
    s->prepare(in);
    s->kouhoList<1>();
    const int i = mitukeru((*t)[1], r.moto, r.saki);
    ASSERT_GE(i, 0) << r.koma << " " << r.saki;
    Ban after = ban;
    Mochi mochi = h;
    sasu(after, mochi, 2, r.moto, r.saki);
    EXPECT_EQ((*t)[1].kten[i], seiteki(after, mochi, in.basyo) + r.bonus)
        << r.koma << " " << r.saki;
  }
}

TEST_F(Examine, FullListKeepsTheBestInOrderEarlierFirstAmongEquals) {
  // Bare kings on 11 and 99 and a rook in the hand of the side to move:
  // more than 40 candidates. Each one's score is worked out here from the
  // static evaluation, the check bonus and the rook's loss when the enemy
  // king attacks it undefended; the list must be the first 40 of all of
  // them in a stable sort (descending at ply 1, ascending at ply 2).
  for (const int ply : {1, 2}) {
    const int m = ply == 1 ? 2 : 1;
    const int sign = m == 2 ? 1 : -1;
    Mochi mochi{};
    mochi[m * 10 + HI] = 1;
    s->prepare(nyuuryoku(narabu({{11, 201}, {99, 101}}), mochi));
    if (ply == 2) tesuji(*t, 1, 11, 12, -32000);
    const Ply& q = (*t)[ply - 1];

    struct Kouho {
      int32_t moto, saki;
      int16_t ten;
    };
    std::vector<Kouho> all;
    const auto score = [&](int32_t moto, int32_t saki) {
      Ban b = q.aru;
      Mochi hh = q.arull;
      sasu(b, hh, m, moto, saki);
      const Men a = test::menOf(b, hh);
      const Kiki& aM = m == 2 ? a.toripl2 : a.toripl1;
      const Kiki& aO = m == 2 ? a.toripl1 : a.toripl2;
      int32_t ten = seiteki(b, hh, s->basyo());
      if (aM[m == 2 ? a.oupl1 : a.oupl2] > 0) ten += sign * 200;
      if (moto == m * 100 + HI && aO[saki] > 0) {
        EXPECT_EQ(aM[saki], 0) << saki;  // no defended rook in these positions
        ten -= sign * 300;
      }
      if (moto == 0) ten -= 1;  // the pass at ply 2, t*t = 1
      all.push_back({moto, saki, static_cast<int16_t>(ten)});
    };
    const int ou = m == 2 ? q.oupl2 : q.oupl1;
    if (ply == 2) score(0, 0);
    for (int d : {-11, -10, -9, 1, 11, 10, 9, -1})
      if (q.aru[ou + d] == 0) score(ou, ou + d);
    for (int sq = 11; sq <= 99; ++sq)
      if (isSquare(sq) && q.aru[sq] == 0) score(m * 100 + HI, sq);
    ASSERT_GT(all.size(), static_cast<size_t>(kListMax));
    std::stable_sort(all.begin(), all.end(), [&](const Kouho& a, const Kouho& b) {
      return ply == 1 ? a.ten > b.ten : a.ten < b.ten;
    });

    if (ply == 1) {
      s->kouhoList<1>();
    } else {
      s->kouhoList<2>();
    }
    const Ply& p = (*t)[ply];
    for (int i = 0; i < kListMax; ++i) {
      EXPECT_EQ(p.kmoto[i], all[i].moto) << ply << " slot " << i;
      EXPECT_EQ(p.ksaki[i], all[i].saki) << ply << " slot " << i;
      EXPECT_EQ(p.kten[i], all[i].ten) << ply << " slot " << i;
    }
  }
}

}  // namespace
}  // namespace syougi

// The ply procedures: cut-offs, passes, per-source limits, futility stops,
// the leaf stand-pat and the snapshot tables as the plies use them. The line
// above the ply under test is played into the ply table by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "engine/eval.h"
#include "engine/search.h"
#include "model/attacks.h"
#include "tests/search_helpers.h"

namespace syougi {
namespace {

using test::nyuuryoku;
using test::emptyBoard;
using test::sasu;
using test::seiteki;
using test::tesuji;

class Plies : public ::testing::Test {
 protected:
  std::unique_ptr<PlyTable> t = std::make_unique<PlyTable>();
  std::unique_ptr<Search> s = std::make_unique<Search>(*t);
  Ban b = emptyBoard();
  Mochi h{};

  // Kings on 51 and 59, pawns on files 1 and 9.
  void heiya() {
    b[51] = 201;
    b[13] = 208;
    b[93] = 208;
    b[59] = 101;
    b[17] = 108;
    b[97] = 108;
  }
};

TEST_F(Plies, Ply2StopsAfterOneReplyBelowSaikou1) {
  Mochi m{};
  syokihaiti(b, m);
  s->prepare(nyuuryoku(b, m));
  tesuji(*t, 1, 33, 34, 20000);
  s->ply<2>();
  EXPECT_EQ(s->searchedAt[2], 1);

  // With nothing to beat, more replies are searched.
  s->prepare(nyuuryoku(b, m));
  tesuji(*t, 1, 33, 34, -32000);
  s->ply<2>();
  EXPECT_GT(s->searchedAt[2], 1);
}

TEST_F(Plies, FirstEmptySlotIsSearchedAsAPassAndEndsTheLoop) {
  b[51] = 201;
  b[82] = 202;
  b[59] = 101;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 82, 52, -32000);  // check: the king has 48, 49, 68 and 69
  s->ply<2>();
  const Ply& p = (*t)[2];
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.kmoto[i], 59) << i;
  EXPECT_EQ(p.kmoto[4], 0);
  EXPECT_EQ(s->searchedAt[2], 5);
  EXPECT_EQ(p.ban, 4);
  EXPECT_EQ(s->nodesAt[3], 5);
}

TEST_F(Plies, SixthCandidateFromOneSourceIsNotSearchedAtTheRoot) {
  b[11] = 201;
  b[99] = 101;
  b[97] = 108;
  b[88] = 105;
  h[22] = 1;  // rook drops fill the top of the list
  s->ai1(nyuuryoku(b, h));
  const Ply& p = (*t)[1];
  bool sixth = false;
  for (int i = 0; i <= 12; ++i) {
    if (p.kmoto[i] == 0) break;
    int before = 0;
    for (int j = 0; j < i; ++j) before += p.kmoto[j] == p.kmoto[i];
    const bool searched = s->ko[i].find('>') != std::string::npos;
    EXPECT_EQ(searched, before < 5) << "slot " << i << " " << s->ko[i];
    sixth = sixth || before >= 5;
  }
  EXPECT_TRUE(sixth);
}

TEST_F(Plies, LeafStandPatAboveASide1AncestorReturnsAtOnce) {
  heiya();
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 13, 14, -32000);
  tesuji(*t, 2, 17, 16, -32000);
  tesuji(*t, 3, 93, 94, -30000);
  tesuji(*t, 4, 97, 96, -32000);
  tesuji(*t, 5, 51, 41, -29000);
  tesuji(*t, 6, 59, 58, -32000);
  const int64_t before = s->kensa;
  s->leaf<7>();
  EXPECT_EQ(s->kensa - before, 1);  // only the position as it stands
  const int32_t expected = seiteki((*t)[6].aru, (*t)[6].arull, s->basyo()) + 30;
  EXPECT_EQ((*t)[7].saikou, static_cast<int16_t>(expected));

  // Nothing to refute: every move is scanned.
  for (int j : {2, 4, 6}) (*t)[j].saikou = 32000;
  const int64_t before2 = s->kensa;
  s->leaf<7>();
  EXPECT_GT(s->kensa - before2, 1);
  EXPECT_GE((*t)[7].saikou, static_cast<int16_t>(expected));
}

TEST_F(Plies, Ply5StopsAtSlot0WhenItsScoreIsBelowSaikou1) {
  heiya();
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 13, 14, 20000);
  tesuji(*t, 2, 17, 16, 32000);
  tesuji(*t, 3, 93, 94, -30000);
  tesuji(*t, 4, 97, 96, 32000);
  s->ply<5>();
  ASSERT_NE((*t)[5].kten[0], -29000);  // slot 0 holds a candidate
  EXPECT_EQ(s->searchedAt[5], 0);
  EXPECT_EQ((*t)[5].saikou, -29000);

  (*t)[1].saikou = -32000;
  s->ply<5>();
  EXPECT_GE(s->searchedAt[5], 1);
}

TEST_F(Plies, LeafDropsGoldToRank8AndKnightToRank7Only) {
  b[11] = 201;
  b[99] = 101;
  const auto scan = [&](int kind) {
    Mochi m{};
    m[20 + kind] = 1;
    s->prepare(nyuuryoku(b, m));
    tesuji(*t, 1, 11, 12, -32000);
    tesuji(*t, 2, 99, 98, 32000);
    tesuji(*t, 3, 12, 11, -30000);
    tesuji(*t, 4, 98, 99, 32000);
    tesuji(*t, 5, 11, 12, -29000);
    tesuji(*t, 6, 99, 98, 32000);
    const int64_t before = s->kensa;
    s->leaf<7>();
    return s->kensa - before;
  };
  // Kings on 12 and 98. The stand-pat, five king moves, then drops on every
  // empty square of the allowed ranks except 87, 88 and 97, which only the
  // user's king attacks.
  EXPECT_EQ(scan(KI), 1 + 5 + (72 - 2 - 3));  // ranks 1..8
  EXPECT_EQ(scan(KE), 1 + 5 + (63 - 1 - 2));  // ranks 1..7
  EXPECT_EQ(scan(KY), 1 + 5 + (63 - 1 - 2));
  EXPECT_EQ(scan(GI), 1 + 5 + (81 - 2 - 5));  // every rank
  EXPECT_EQ(scan(HI), 1 + 5);                 // never a rook
}

TEST_F(Plies, RecaptureAtPly2ExtendsThroughTui7AndTui8) {
  b[51] = 201;
  b[13] = 208;
  b[59] = 101;
  b[15] = 108;
  b[97] = 108;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 13, 14, -32000);
  tesuji(*t, 2, 15, 14, 32000);  // takes back on 14
  tesuji(*t, 3, 51, 41, -30000);
  tesuji(*t, 4, 97, 96, 32000);
  tesuji(*t, 5, 41, 51, -29000);
  s->ply<6>();
  EXPECT_GT(s->nodesAt[8], 0);
  EXPECT_GT(s->nodesAt[9], 0);
  EXPECT_GT(s->yomiStores[6], 0);
}

TEST_F(Plies, QuietLineEndsInTheLeafScanAtPly7) {
  b[51] = 201;
  b[13] = 208;
  b[59] = 101;
  b[97] = 108;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 13, 14, -32000);
  tesuji(*t, 2, 97, 96, 32000);
  tesuji(*t, 3, 51, 41, -30000);
  tesuji(*t, 4, 59, 58, 32000);
  tesuji(*t, 5, 41, 51, -29000);
  s->ply<6>();
  EXPECT_GT(s->nodesAt[7], 0);
  EXPECT_EQ(s->nodesAt[8], 0);
  EXPECT_EQ(s->yomiStores[6], 0);
}

TEST_F(Plies, NoLegalMoveLeavesNoMoveAndMinus32000) {
  b[11] = 201;
  b[12] = 104;  // defended by the pawn on 13; covers 21 and 22
  b[13] = 108;
  b[99] = 101;
  s->ai1(nyuuryoku(b, h));
  EXPECT_EQ(s->moto, 0);
  EXPECT_EQ(s->saki, 0);
  EXPECT_EQ(s->saikou1, -32000);
  EXPECT_EQ(s->ko[0], "0-0/-32000");
  EXPECT_EQ(s->nodes, 0);
}

TEST_F(Plies, LeafChargesFourThirdsOfTheThreat) {
  b[51] = 201;
  b[45] = 203;  // undefended, attacked by the pawn on 46: 285 at stake
  b[46] = 108;
  b[59] = 101;
  s->prepare(nyuuryoku(b, h));
  tesuji(*t, 1, 51, 41, -32000);
  tesuji(*t, 2, 59, 58, -32000);
  tesuji(*t, 3, 41, 51, -30000);
  tesuji(*t, 4, 58, 59, -32000);
  tesuji(*t, 5, 51, 41, -29000);
  tesuji(*t, 6, 59, 58, -32000);
  s->leaf<7>();
  const int32_t expected = seiteki((*t)[6].aru, (*t)[6].arull, s->basyo()) - 4 * 285 / 3 + 30;
  EXPECT_EQ((*t)[7].saikou, static_cast<int16_t>(expected));
}

TEST_F(Plies, BookMoveBeingSearchedSetsTheStrategy) {
  heiya();
  SearchInput in = nyuuryoku(b, h);
  in.zyouseki.moto = {13, 93, 0, 0};
  in.zyouseki.saki = {14, 94, 0, 0};
  in.zyouseki.ten = {45, 44, 0, 0};
  in.zyouseki.mei = {"yagmi", "ibimi", "", ""};
  s->ai1(in);
  const Ply& p = (*t)[1];
  int i = -1;
  int j = -1;
  for (int k = 0; k <= 25; ++k) {
    if (p.kmoto[k] == 13 && p.ksaki[k] == 14) i = k;
    if (p.kmoto[k] == 93 && p.ksaki[k] == 94) j = k;
  }
  ASSERT_GE(i, 0);
  ASSERT_GE(j, 0);
  ASSERT_LE(std::max(i, j), 12);
  // Both were searched (the label says so); the later one names the strategy.
  EXPECT_NE(s->ko[i].find('>'), std::string::npos);
  EXPECT_NE(s->ko[j].find('>'), std::string::npos);
  EXPECT_EQ(s->sennkei, i > j ? "yagmi" : "ibimi");
  // The label shows the slot as listed, then the searched value.
  const std::string head = "13-14/" + std::to_string(p.kten[i]) + ">";
  EXPECT_EQ(s->ko[i].substr(0, head.size()), head);

  // Without book moves the strategy stays as it came in.
  s->ai1(nyuuryoku(b, h));
  EXPECT_EQ(s->sennkei, "mitei");
}

class Yomi4 : public Plies {
 protected:
  // Side 2 plays `a` at ply 1 and `c` at ply 3; side 1 plays 17-16 between.
  void line(int32_t a1, int32_t a2, int32_t c1, int32_t c2) {
    tesuji(*t, 1, a1, a2, -32000);
    tesuji(*t, 2, 17, 16, 32000);
    tesuji(*t, 3, c1, c2, -30000);
  }
};

TEST_F(Yomi4, SamePositionByAnotherMoveOrderIsFoundInPly4Table) {
  heiya();
  s->prepare(nyuuryoku(b, h));
  line(13, 14, 93, 94);
  s->ply<4>();
  const int16_t first = (*t)[4].saikou;
  EXPECT_EQ(s->yomiHits[4], 0);
  const int64_t searched = s->searchedAt[4];
  const int64_t tui5 = s->nodesAt[5];
  ASSERT_GT(searched, 0);

  line(93, 94, 13, 14);
  s->ply<4>();
  // Every searched move is taken from the table but ply 4's pass: with a
  // pass in the line the quick test compares the stored value with the
  // board's cell 0 (1), so that position is searched again, once.
  EXPECT_EQ(s->yomiHits[4], s->searchedAt[4] - searched - 1);
  EXPECT_GT(s->yomiHits[4], 0);
  EXPECT_EQ(s->nodesAt[5], tui5 + 1);
  EXPECT_EQ((*t)[4].saikou, first);

  // A different position after ply 3 finds nothing.
  const int64_t hits = s->yomiHits[4];
  line(93, 94, 51, 41);
  s->ply<4>();
  EXPECT_EQ(s->yomiHits[4], hits);
}

TEST_F(Yomi4, FullPly4TableStillSearches) {
  heiya();
  s->prepare(nyuuryoku(b, h));
  line(13, 14, 93, 94);
  s->ply<4>();
  const int16_t value = (*t)[4].saikou;
  const int64_t tui5 = s->nodesAt[5];

  s->prepare(nyuuryoku(b, h));
  YomiKey dummy;
  dummy.fill(0xFF);
  for (int i = 0; i < 1001; ++i) s->yomi().t4.yomioku(dummy, static_cast<int16_t>(i));
  ASSERT_EQ(s->yomi().t4.yomisuu, 1001);
  line(13, 14, 93, 94);
  s->ply<4>();
  EXPECT_EQ((*t)[4].saikou, value);
  EXPECT_EQ(s->nodesAt[5], tui5);
  EXPECT_EQ(s->yomi().t4.yomisuu, 1001);
}

TEST_F(Plies, Ai1EmptiesTheTablesAndEqualValuesKeepTheFirst) {
  heiya();
  s->prepare(nyuuryoku(b, h));
  YomiKey dummy;
  dummy.fill(0xFF);
  s->yomi().t3.yomioku(dummy, 1);
  s->ai1(nyuuryoku(b, h));
  // Nothing of the dummy survives; what is there was stored by this search.
  EXPECT_EQ(s->yomi().t3.yomisuu, s->yomiStores[3] < 501 ? s->yomiStores[3] : 501);

  // The chosen move is the first slot holding the best value.
  int best = -1;
  int bestValue = -32768;
  for (int i = 0; i <= 12; ++i) {
    const auto gt = s->ko[i].find('>');
    if (gt == std::string::npos) continue;
    const int v = std::stoi(s->ko[i].substr(gt + 1));
    if (v > bestValue) {
      bestValue = v;
      best = i;
    }
  }
  ASSERT_GE(best, 0);
  EXPECT_EQ(s->saikou1, bestValue);
  EXPECT_EQ(s->moto, (*t)[1].kmoto[best]);
  EXPECT_EQ(s->saki, (*t)[1].ksaki[best]);
}

}  // namespace
}  // namespace syougi

// Per-ply rules of the main search, each worked by hand on a small position
// with the line above the ply under test played into the ply table: mate
// scores and starting values, the two-pass rule and the pass short-cut, the
// cut-offs against every ancestor of the other side, the extension decision,
// promotions, the leaf's filters and the threat limits of plies 6 and 8.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/search.h"
#include "model/attacks.h"
#include "tests/search_helpers.h"

namespace syougi {
namespace {

using test::emptyBoard;
using test::mitukeru;
using test::nyuuryoku;
using test::tesuji;

using Routine = void (Search::*)();

struct Te {
  int32_t moto;
  int32_t saki;
};

// What each ply holds before its first candidate comes back.
constexpr int16_t kShoki[10] = {0, -32000, 32000, -30000, 32000, -29000, 32000, -28000, 32000, -28000};

class Rules : public ::testing::Test {
 protected:
  std::unique_ptr<PlyTable> t = std::make_unique<PlyTable>();
  std::unique_ptr<Search> s = std::make_unique<Search>(*t);
  Ban b = emptyBoard();
  Mochi h{};

  // Takes b/h as the actual position and plays the first n moves of `te`
  // as plies 1..n, each holding its starting value.
  void sasite(const std::vector<Te>& te, size_t n, SearchInput in) {
    s->prepare(in);
    for (size_t j = 1; j <= n; ++j) {
      const int jj = static_cast<int>(j);
      tesuji(*t, jj, te[j - 1].moto, te[j - 1].saki, kShoki[jj]);
    }
  }
  void sasite(const std::vector<Te>& te, size_t n) { sasite(te, n, nyuuryoku(b, h)); }
};

// Side 1 mates with a gold dropped on 52 (the silver on 53 defends it), side
// 2 with one dropped on 58 (the silver on 57); the pawns step about.
TEST_F(Rules, MateFoundByTheExaminationGivesThePlysMateScore) {
  b[51] = 201;
  b[53] = 105;
  b[59] = 101;
  b[57] = 205;
  b[13] = 208;
  b[93] = 208;
  b[27] = 108;
  b[87] = 108;
  h[14] = 1;
  h[24] = 1;
  const std::vector<Te> te = {{13, 14}, {27, 26}, {93, 94}, {87, 86}, {14, 15}, {26, 25}, {94, 95}, {86, 85}};
  const struct {
    int n;
    Routine run;
    int16_t mate;
  } rows[] = {
      {2, &Search::ply<2>, -32000}, {3, &Search::ply<3>, 32000}, {4, &Search::ply<4>, -31000},
      {5, &Search::ply<5>, 32000},  {6, &Search::ply<6>, -30000}, {7, &Search::ply<7>, 32000},
      {8, &Search::ply<8>, -29000}, {7, &Search::leaf<7>, 32000}, {9, &Search::leaf<9>, 32000},
  };
  for (const auto& r : rows) {
    sasite(te, r.n - 1);
    (s.get()->*r.run)();
    EXPECT_EQ((*t)[r.n].saikou, r.mate) << "ply " << r.n;
  }
}

// Side 2's king on 11, checked by the rook the user brings to 19 at the
// ply above; the gold on 32 covers 21 and 22. No move of side 2 is made.
TEST_F(Rules, NoMoveLeavesThePlysStartingValue) {
  b[11] = 201;
  b[93] = 208;
  b[83] = 208;
  b[59] = 101;
  b[32] = 104;
  b[29] = 102;
  const std::vector<Te> quiet = {{93, 94}, {59, 58}, {83, 84}, {58, 59}, {94, 95}, {59, 58}, {84, 85}};
  const struct {
    int n;
    Routine run;
    int16_t start;
  } rows[] = {
      {7, &Search::leaf<7>, -28000},
      {9, &Search::leaf<9>, -28000},
      // The empty slot 0 is below what side 2 holds two plies up (0): futile.
      {7, &Search::ply<7>, -28000},
      {5, &Search::ply<5>, -29000},
  };
  for (const auto& r : rows) {
    std::vector<Te> te(quiet.begin(), quiet.begin() + (r.n - 2));
    te.push_back({29, 19});
    sasite(te, r.n - 1);
    if (r.n == 5 || r.n == 7) (*t)[r.n - 2].saikou = 0;
    (s.get()->*r.run)();
    EXPECT_EQ((*t)[r.n].saikou, r.start) << "ply " << r.n;
  }
}

// Nothing on either side can move: files 1-2 are side 2's, files 8-9 the
// user's, so below ply 1 every ply lists only its pass. Ply 1 drops the gold
// that closes file 1, the plies between pass, and the parent's pass is listed
// with 1234.
class Koori : public Rules {
 protected:
  static constexpr int16_t kX = 1234;
  void koori(int n) {
    b[11] = 201;
    for (int r = 2; r <= 9; ++r)
      if (r != 8) b[10 + r] = 208;
    for (int r = 1; r <= 9; ++r) b[20 + r] = 208;
    b[99] = 101;
    for (int r = 1; r <= 8; ++r) b[90 + r] = 108;
    for (int r = 1; r <= 9; ++r) b[80 + r] = 108;
    h[24] = 1;
    std::vector<Te> te(static_cast<size_t>(n - 1), Te{0, 0});
    te[0] = {204, 18};
    sasite(te, n - 1);
    (*t)[n - 1].kten[0] = kX;
  }
};

TEST_F(Koori, AfterTheParentsPassThePlyTakesItsListScoreOrGivesUp) {
  Routine run[9] = {};
  run[3] = &Search::ply<3>;
  run[4] = &Search::ply<4>;
  run[5] = &Search::ply<5>;
  run[6] = &Search::ply<6>;
  run[7] = &Search::ply<7>;
  run[8] = &Search::ply<8>;
  // j: an ancestor on the parent's side given the value v (0: none). The
  // parent's pass already worse for the parent than v ends the ply at once
  // with the parent's worst value; otherwise its own pass meets the
  // parent's, and the parent's list score stands.
  const struct {
    int n;
    int j;
    int16_t v;
    int16_t expected;
  } rows[] = {
      {3, 0, 0, kX},           {3, 2, kX - 1, 32000},  {3, 2, kX, kX},
      {4, 0, 0, kX},           {4, 3, kX + 1, -32000}, {4, 1, kX + 1, -32000},
      {5, 0, 0, kX},           {5, 4, kX - 1, 32000},  {5, 2, kX - 1, 32000},  {5, 2, kX, kX},
      {6, 0, 0, kX},           {6, 5, kX + 1, -32000}, {6, 3, kX + 1, -32000}, {6, 1, kX + 1, -32000},
      {7, 0, 0, kX},           {7, 6, kX - 1, 32000},  {7, 4, kX - 1, 32000},  {7, 2, kX - 1, 32000},
      {8, 0, 0, kX},           {8, 7, kX + 1, -32000}, {8, 5, kX + 1, -32000}, {8, 3, kX + 1, -32000},
      {8, 1, kX + 1, -32000},  {8, 1, kX, kX},
  };
  for (const auto& r : rows) {
    koori(r.n);
    if (r.j != 0) (*t)[r.j].saikou = r.v;
    const int64_t deeper = s->nodes;
    (s.get()->*run[r.n])();
    EXPECT_EQ((*t)[r.n].saikou, r.expected) << "ply " << r.n << " ancestor " << r.j;
    EXPECT_EQ(s->nodes - deeper, 1) << "ply " << r.n << " ancestor " << r.j;
  }
}

// The ply under test is in check from a rook brought in at the ply above and
// has two king moves. Its first searched candidate backs up v; the loop must
// stop there when v beats the best value of any ancestor of the other side
// (strictly), else it searches the other king move and then the empty slot
// as a pass.
class Cut : public Rules {
 protected:
  // Even n: the user's king on 99 checked from 91, escaping to 88 and 89.
  // Odd n: side 2's king on 11 checked from 19, escaping to 21 and 22.
  void ote(int n) {
    b = emptyBoard();
    b[11] = 201;
    b[43] = 208;
    b[99] = 101;
    b[67] = 108;
    if (n % 2 == 0) {
      b[81] = 202;
    } else {
      b[29] = 102;
    }
    std::vector<Te> te = {{43, 44}, {67, 66}, {44, 45}, {66, 65}, {45, 46}, {65, 64}};
    te.resize(static_cast<size_t>(n - 2));
    te.push_back(n % 2 == 0 ? Te{81, 91} : Te{29, 19});
    sasite(te, n - 1);
  }
  // The two positions after the king moves, with the value v, in ply n's table.
  void kioku(int n, int16_t v) {
    const Ply& q = (*t)[n - 1];
    const int ou = n % 2 == 0 ? 99 : 11;
    const int nige[2][2] = {{88, 89}, {21, 22}};
    for (int x : nige[n % 2]) {
      Ban a = q.aru;
      a[x] = a[ou];
      a[ou] = 0;
      YomiKey k;
      yomiPack(a, q.arull, k);
      if (n == 3) s->yomi().t3.yomioku(k, v);
      if (n == 4) s->yomi().t4.yomioku(k, v);
      if (n == 5) s->yomi().t5.yomioku(k, v);
      if (n == 6) s->yomi().t6.yomioku(k, v);
    }
  }
};

TEST_F(Cut, Plies3To6StopAgainstEveryAncestorOfTheOtherSide) {
  Routine run[7] = {};
  run[3] = &Search::ply<3>;
  run[4] = &Search::ply<4>;
  run[5] = &Search::ply<5>;
  run[6] = &Search::ply<6>;
  // Both king moves back up 100 from the table; ancestor j holds v.
  const struct {
    int n;
    int j;
    int16_t v;
    int searched;
  } rows[] = {
      {3, 0, 0, 3},   {3, 2, 99, 1},  {3, 2, 100, 3},
      {4, 0, 0, 3},   {4, 3, 101, 1}, {4, 1, 101, 1},  {4, 1, 100, 3},
      {5, 0, 0, 3},   {5, 4, 99, 1},  {5, 2, 99, 1},   {5, 2, 100, 3},
      {6, 0, 0, 3},   {6, 5, 101, 1}, {6, 3, 101, 1},  {6, 1, 101, 1}, {6, 3, 100, 3},
  };
  for (const auto& r : rows) {
    ote(r.n);
    kioku(r.n, 100);
    if (r.j != 0) (*t)[r.j].saikou = r.v;
    (s.get()->*run[r.n])();
    EXPECT_EQ(s->searchedAt[r.n], r.searched) << "ply " << r.n << " ancestor " << r.j;
    EXPECT_EQ(s->yomiHits[r.n], r.searched == 1 ? 1 : 2) << "ply " << r.n << " ancestor " << r.j;
  }
}

TEST_F(Cut, Ply8StopsAgainstEveryAncestorOfSide2) {
  // The leaf scans below give ordinary values, far below 9999, and read no
  // side-2 ply.
  for (int j : {0, 7, 5, 3, 1}) {
    ote(8);
    if (j != 0) (*t)[j].saikou = 9999;
    s->ply<8>();
    EXPECT_EQ(s->searchedAt[8], j == 0 ? 3 : 1) << "ancestor " << j;
  }
}

TEST_F(Cut, Ply7StopsAgainstEveryAncestorOfTheUser) {
  // Ply 8's replies are quiet, so each leaf's stand-pat is at least the
  // reply's list score + 30: a bound 15 above ply 8's best list score lets
  // ply 8 search its first slot and is beaten by whatever ply 8 backs up.
  ote(7);
  s->kouhoList<7>();
  tesuji(*t, 7, (*t)[7].kmoto[0], (*t)[7].ksaki[0], kShoki[7]);
  s->kouhoList<8>();
  const auto bound = static_cast<int16_t>((*t)[8].kten[0] + 15);
  for (int j : {0, 6, 4, 2}) {
    ote(7);
    if (j != 0) (*t)[j].saikou = bound;
    s->ply<7>();
    EXPECT_EQ(s->searchedAt[7], j == 0 ? 3 : 1) << "ancestor " << j;
  }
}

// The leaf's stand-pat (or any move) beyond the best value of any side-1 ply
// above ends the scan.
TEST_F(Rules, LeafStopsAgainstEveryUserPlyAbove) {
  b[51] = 201;
  b[13] = 208;
  b[93] = 208;
  b[59] = 101;
  b[17] = 108;
  b[97] = 108;
  const std::vector<Te> te = {{13, 14}, {17, 16}, {93, 94}, {97, 96}, {51, 41}, {59, 58}, {41, 51}, {58, 59}};
  const struct {
    int n;
    Routine run;
    int j;
  } rows[] = {
      {7, &Search::leaf<7>, 0}, {7, &Search::leaf<7>, 6}, {7, &Search::leaf<7>, 4},
      {7, &Search::leaf<7>, 2}, {9, &Search::leaf<9>, 0}, {9, &Search::leaf<9>, 8},
      {9, &Search::leaf<9>, 6}, {9, &Search::leaf<9>, 4}, {9, &Search::leaf<9>, 2},
  };
  for (const auto& r : rows) {
    sasite(te, r.n - 1);
    if (r.j != 0) (*t)[r.j].saikou = -5000;
    const int64_t before = s->kensa;
    (s.get()->*r.run)();
    if (r.j != 0) {
      EXPECT_EQ(s->kensa - before, 1) << "ply " << r.n << " ancestor " << r.j;
    } else {
      EXPECT_GT(s->kensa - before, 1) << "ply " << r.n;
    }
  }
}

// Ply 6 goes on to tui7 (and stores its positions) only when the line above
// holds an exchange, an escape or a check.
TEST_F(Rules, ExtensionAtPly6) {
  b[11] = 201;
  b[32] = 203;
  b[54] = 208;
  b[93] = 208;
  b[99] = 101;
  b[58] = 102;
  b[97] = 108;
  const struct {
    const char* why;
    std::vector<Te> te;
    bool extended;
  } rows[] = {
      {"quiet", {{93, 94}, {97, 96}, {32, 43}, {99, 98}, {94, 95}}, false},
      // The user's rook takes back on 55.
      {"ply 2 on ply 1's square", {{54, 55}, {58, 55}, {93, 94}, {99, 98}, {94, 95}}, true},
      // The rook takes the pawn on 54 from 58, unattacked; the bishop, which
      // the rook does not attack, takes it back.
      {"ply 3 on ply 2's square", {{93, 94}, {58, 54}, {32, 54}, {99, 98}, {94, 95}}, true},
      // The rook on 54 attacks the pawn on 94, which steps away.
      {"ply 3 moves an attacked piece", {{93, 94}, {58, 54}, {94, 95}, {99, 98}, {95, 96}}, true},
      // Cell 0 is counted from the king on 11, but a pass has no source square.
      {"ply 2 passes", {{93, 94}, {0, 0}, {32, 43}, {99, 98}, {94, 95}}, false},
  };
  for (const auto& r : rows) {
    sasite(r.te, 5);
    s->ply<6>();
    ASSERT_GT(s->searchedAt[6], 0) << r.why;
    EXPECT_EQ(s->yomiStores[6] > 0, r.extended) << r.why;
    EXPECT_EQ(s->nodesAt[8] > 0, r.extended) << r.why;
  }
}

// Which promotions a ply lists, one piece at a time with the kings on 91/81
// and 99/98.
TEST_F(Rules, PromotionsListedAtPlies2To4) {
  Routine list[5] = {};
  list[2] = &Search::kouhoList<2>;
  list[3] = &Search::kouhoList<3>;
  list[4] = &Search::kouhoList<4>;
  const struct {
    int n;
    int32_t koma;
    int from;
    int32_t saki;
    bool listed;
  } rows[] = {
      // Ply 2, the user: a pawn ending in the zone only promoted.
      {2, 108, 54, 153, true},  {2, 108, 54, 53, false},
      {2, 108, 55, 54, true},   {2, 108, 55, 154, false},
      // A knight ending on rank 2 only promoted, on rank 3 both ways.
      {2, 106, 44, 132, true},  {2, 106, 44, 32, false},
      {2, 106, 45, 33, true},   {2, 106, 45, 133, true},
      // A lance: rank 4 plain, rank 3 both, ranks 2 and 1 promoted only.
      {2, 107, 55, 54, true},   {2, 107, 55, 154, false},
      {2, 107, 55, 53, true},   {2, 107, 55, 153, true},
      {2, 107, 55, 52, false},  {2, 107, 55, 152, true},
      {2, 107, 55, 51, false},  {2, 107, 55, 151, true},
      // A silver entering or leaving the zone both ways, outside it plain.
      {2, 105, 44, 33, true},   {2, 105, 44, 133, true},
      {2, 105, 33, 44, true},   {2, 105, 33, 144, true},
      {2, 105, 45, 34, true},   {2, 105, 45, 134, false},
      // Rook and bishop in the zone only promoted; gold and tokin never.
      {2, 102, 24, 123, true},  {2, 102, 24, 23, false},
      {2, 102, 23, 124, true},  {2, 102, 23, 24, false},
      {2, 102, 24, 25, true},   {2, 102, 24, 125, false},
      {2, 103, 55, 133, true},  {2, 103, 55, 33, false},
      {2, 103, 55, 44, true},   {2, 103, 55, 144, false},
      {2, 104, 44, 33, true},   {2, 104, 44, 133, false},
      {2, 118, 54, 53, true},   {2, 118, 54, 153, false},
      // Ply 3, side 2: a silver into or out of the zone both ways; a knight
      // into it only promoted.
      {3, 205, 36, 47, true},   {3, 205, 36, 147, true},
      {3, 205, 37, 26, true},   {3, 205, 37, 126, true},
      {3, 205, 35, 46, true},   {3, 205, 35, 146, false},
      {3, 206, 35, 47, false},  {3, 206, 35, 147, true},
      // Ply 4, the user.
      {4, 105, 44, 33, true},   {4, 105, 44, 133, true},
      {4, 105, 33, 44, true},   {4, 105, 33, 144, true},
      {4, 106, 45, 33, false},  {4, 106, 45, 133, true},
  };
  const std::vector<Te> te = {{91, 81}, {99, 98}, {81, 91}};
  for (const auto& r : rows) {
    b = emptyBoard();
    b[91] = 201;
    b[99] = 101;
    b[r.from] = r.koma;
    sasite(te, r.n - 1);
    (s.get()->*list[r.n])();
    const Ply& p = (*t)[r.n];
    ASSERT_EQ(p.kmoto[kListMax - 1], 0) << "list full";
    EXPECT_EQ(mitukeru(p, r.from, r.saki) >= 0, r.listed)
        << "ply " << r.n << " " << r.koma << " " << r.from << "-" << r.saki;
  }
}

TEST_F(Rules, SilverIsExaminedUnpromotedThenPromoted) {
  // 37-48 mates both ways: the gold on 57 defends 48 and covers 58 and 68,
  // the pawn on 68 covers 69, the silver (or promoted silver) covers 49.
  // The last mating move examined is the one the root keeps.
  b[11] = 201;
  b[37] = 205;
  b[57] = 204;
  b[68] = 208;
  b[59] = 101;
  s->prepare(nyuuryoku(b, h));
  s->kouhoList<1>();
  EXPECT_EQ((*t)[1].saikou, 32000);
  EXPECT_EQ(s->moto, 37);
  EXPECT_EQ(s->saki, 148);
}

TEST_F(Rules, LeafMakesNoQuietMoveInFrontOfAUserPawn) {
  // Side 2: king 11, rook 52, gold 45; the user: king 99, pawn 56. The leaf
  // examines the stand-pat, the king's 12, 21 and 22, the gold's capture on
  // 56 (its quiet moves wait until it is attacked), and the rook's 42, 32,
  // 22, 12, 62, 72, 82, 92, 51, 53, 54 and the capture on 56; 55, in front
  // of the pawn, is left out although the rook and the gold support it.
  b[12] = 201;
  b[52] = 202;
  b[45] = 204;
  b[98] = 101;
  b[56] = 108;
  sasite({{12, 11}, {98, 99}, {11, 12}, {99, 98}, {12, 11}, {98, 99}}, 6);
  const int64_t before = s->kensa;
  s->leaf<7>();
  EXPECT_EQ(s->kensa - before, 1 + 3 + 1 + 12);
}

TEST_F(Rules, QuietMoveLosingMoreThanTheLimitIsNotListedAtPlies6And8) {
  // The user's pawn steps from 56 to 55, where side 2's pawn on 54 takes it
  // undefended: it loses w * 20 / 50 with w the weight of 55.
  b[11] = 201;
  b[54] = 208;
  b[99] = 101;
  b[56] = 108;
  const std::vector<Te> te = {{11, 12}, {99, 98}, {12, 11}, {98, 99}, {11, 12}, {99, 98}, {12, 11}};
  Routine list[9] = {};
  list[4] = &Search::kouhoList<4>;
  list[6] = &Search::kouhoList<6>;
  list[8] = &Search::kouhoList<8>;
  const struct {
    int n;
    int16_t w;
    bool listed;
  } rows[] = {
      {6, 252, true},   // loses 100
      {6, 253, false},  // 101
      {8, 77, true},    // 30
      {8, 78, false},   // 31
      {4, 253, true},   // no limit at ply 4
  };
  for (const auto& r : rows) {
    SearchInput in = nyuuryoku(b, h);
    in.basyo.basyo1[55] = r.w;
    sasite(te, r.n - 1, in);
    (s.get()->*list[r.n])();
    EXPECT_EQ(mitukeru((*t)[r.n], 56, 55, r.n >= 5 ? 21 : kListMax) >= 0, r.listed)
        << "ply " << r.n << " weight " << r.w;
  }
}

}  // namespace
}  // namespace syougi

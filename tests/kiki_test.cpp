// Attack counts brought up to date by one move (kikiSasu, and kikiSasuSa from
// the parent's full counts) must equal the counts taken afresh (torisirabe)
// on the position after the move, on every cell, with the same piece squares
// by group and king squares; likewise the evaluation carried from the parent
// and the plain one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/eval.h"
#include "model/attacks.h"
#include "model/board.h"
#include "model/kiki.h"
#include "model/rules.h"
#include "model/simd.h"
#include "tests/search_helpers.h"

using namespace syougi;
using syougi::test::emptyBoard;
using syougi::test::sasu;

namespace {

struct Sasite {
  int32_t moto;  // square, side*100 + kind for a drop, 0 for a pass
  int32_t saki;  // square, +100 when the piece promotes
};

// Every legal move of side M, written as the search writes its moves.
std::vector<Sasite> sasiteOf(int M, const Ban& aru, const Mochi& arull) {
  Ban b = aru;
  Mochi m = arull;
  if (M == 2) hanten(aru, arull, b, m);
  static TeList te;
  const int n = gouhousyu(b, m, te);
  std::vector<Sasite> out;
  for (int i = 0; i < n; ++i) {
    int32_t moto = te[i].moto;
    int32_t saki = te[i].saki;
    if (M == 2) {
      moto = moto > 100 ? moto + 100 : 110 - moto;
      saki = 110 - saki;
    }
    out.push_back({moto, saki + (te[i].naru ? 100 : 0)});
  }
  return out;
}

// Checks one move from (aru, arull); returns false after the first mismatch.
// With `uki`, a board move is also put down from the piece lifted for the
// first move of its square from this position.
bool sameAsFresh(int M, const Ban& aru, const Mochi& arull, const Sasite& s,
                 Uki* uki = nullptr) {
  Men a;
  a.aru = aru;
  torisirabe(a);
  KikiHo ho;
  hoSirabe(aru, ho);

  Ban ko = aru;
  Mochi kll = arull;
  sasu(ko, kll, M, s.moto, s.saki);

  Men f = a;  // kings where they were before the move
  f.aru = ko;
  torisirabe(f);
  Syurui fy;
  syuruiOf(ko, fy);

  Syurui y;
  syuruiOf(aru, y);
  // Both ways: from the parent's single steps with every line walked afresh,
  // and from the parent's full counts by the lines through the changed cells.
  const bool okuDake = uki != nullptr && s.moto > 0 && s.moto < 100;
  for (const int way : {0, 1, 2}) {
    if (way == 2 && !okuDake) break;
    const bool sa = way == 1;
    const char* how = way == 0 ? "" : way == 1 ? " from full counts" : " from a kept lift";
    Kiki k1, k2;
    Syurui ky;
    int32_t kou1 = a.oupl1, kou2 = a.oupl2;
    if (way == 2) {
      Uki& u = *uki;
      if (u.moto != s.moto) {
        if (M == 1) {
          kikiUku<1>(aru, a.toripl1, a.toripl2, y, s.moto, u);
        } else {
          kikiUku<2>(aru, a.toripl1, a.toripl2, y, s.moto, u);
        }
      }
      if (M == 1) {
        kikiOku<1>(u, ko, s.saki, k1, k2, ky, kou1, kou2);
      } else {
        kikiOku<2>(u, ko, s.saki, k1, k2, ky, kou1, kou2);
      }
    } else if (sa) {
      if (M == 1) {
        kikiSasuSa<1>(aru, a.toripl1, a.toripl2, y, ko, s.moto, s.saki, k1, k2, ky, kou1, kou2);
      } else {
        kikiSasuSa<2>(aru, a.toripl1, a.toripl2, y, ko, s.moto, s.saki, k1, k2, ky, kou1, kou2);
      }
    } else if (M == 1) {
      kikiSasu<1>(aru, ho, ko, s.moto, s.saki, k1, k2, ky, kou1, kou2);
    } else {
      kikiSasu<2>(aru, ho, ko, s.moto, s.saki, k1, k2, ky, kou1, kou2);
    }
    for (int c = 0; c < 112; ++c) {
      EXPECT_EQ(k1[c], f.toripl1[c]) << "side 1, cell " << c << ", move " << s.moto << "-"
                                     << s.saki << how;
      EXPECT_EQ(k2[c], f.toripl2[c]) << "side 2, cell " << c << ", move " << s.moto << "-"
                                     << s.saki << how;
      if (k1[c] != f.toripl1[c] || k2[c] != f.toripl2[c]) return false;
    }
    EXPECT_TRUE(ky == fy) << s.moto << "-" << s.saki;
    // The attacked cells as bits, as the threat scan reads them.
    Komabit ari1, ari2;
    for (int c = 0; c < 112; ++c) {
      if (k1[c] > 0) ari1.set(c);
      if (k2[c] > 0) ari2.set(c);
    }
    EXPECT_TRUE(kikiAri(k1) == ari1 && kikiAri(k2) == ari2) << s.moto << "-" << s.saki;
    EXPECT_EQ(kou1, f.oupl1);
    EXPECT_EQ(kou2, f.oupl2);
    if (!(ky == fy && kou1 == f.oupl1 && kou2 == f.oupl2)) return false;
  }
  return true;
}

}  // namespace

// Random games with both sides moving; at every position every legal move
// of the side to move (captures, promotions both ways, drops) and the pass.
TEST(KikiSasu, EveryMoveOfRandomGamesMatchesFreshCounts) {
  std::mt19937 rng(20261208);
  int checked = 0;
  for (int game = 0; game < 20; ++game) {
    Ban aru;
    Mochi arull;
    syokihaiti(aru, arull);
    int M = 1;
    for (int te = 0; te < 150; ++te) {
      const std::vector<Sasite> all = sasiteOf(M, aru, arull);
      if (all.empty()) break;
      ASSERT_TRUE(sameAsFresh(M, aru, arull, {0, 0}));
      Uki uki;
      for (const Sasite& s : all) {
        ASSERT_TRUE(sameAsFresh(M, aru, arull, s, &uki));
        ++checked;
      }
      // Captures are preferred so that hands fill and drops get checked.
      size_t pick = rng() % all.size();
      for (int tries = 0; tries < 4; ++tries) {
        const size_t i = rng() % all.size();
        if (aru[all[i].saki % 100] != 0) pick = i;
      }
      sasu(aru, arull, M, all[pick].moto, all[pick].saki);
      M = 3 - M;
    }
  }
  EXPECT_GT(checked, 100000);
}

// A level is used when the processor runs it, else the highest below it
// that it does: so the games below take turns at every level it has.
TEST(KouhosirabeSa, VectorLevelsAreUsedAsFarAsTheProcessorRunsThem) {
  for (Simd s : {Simd::kKihon, Simd::kAvx2, Simd::kAvx512}) {
    setSimd(s);
    EXPECT_EQ(simd(), std::min(s, simdMax())) << static_cast<int>(s);
  }
  setSimd(simdMax());
}

// Every move and the pass of random games with random square weights, stage
// and strategy; and the terms it carries on to the next ply. The games take
// turns at the vector levels this processor runs.
TEST(KouhosirabeSa, EveryMoveOfRandomGamesScoresAsThePlainEvaluation) {
  std::mt19937 rng(20261209);
  int checked = 0;
  const Simd levels[] = {Simd::kKihon, Simd::kAvx2, Simd::kAvx512};
  for (int game = 0; game < 40; ++game) {
    setSimd(levels[game % 3]);
    Basyo bs;
    for (int s = 0; s < 112; ++s) {
      bs.basyo1[s] = static_cast<int32_t>(rng() % 60);
      bs.basyo2[s] = static_cast<int32_t>(rng() % 60);
    }
    bs.teban = static_cast<int32_t>(1 + rng() % 4);
    const Sennkei sk = static_cast<Sennkei>(rng() % 7);
    Men a;
    syokihaiti(a.aru, a.arull);
    int M = 1;
    for (int te = 0; te < 200; ++te) {
      torisirabe(a);
      Syurui y;
      syuruiOf(a.aru, y);
      KomaTen kt;
      komaTen(a, bs, sk, y, kt);
      std::vector<Sasite> all = sasiteOf(M, a.aru, a.arull);
      if (all.empty()) break;
      all.push_back({0, 0});
      for (const Sasite& s : all) {
        Men f = a;
        sasu(f.aru, f.arull, M, s.moto, s.saki);
        torisirabe(f);
        syuruiOf(f.aru, y);
        int32_t plain = 0, fast = 0, fastKo = 0;
        kouhosirabe(f, plain, bs, sk);
        KomaTen ko, koPlain;
        kouhosirabeSa(f, y, a, kt, s.moto, s.saki, fast, bs, sk);
        kouhosirabeSa(f, y, a, kt, s.moto, s.saki, fastKo, bs, sk, &ko);
        komaTen(f, bs, sk, y, koPlain);
        ASSERT_EQ(fast, plain) << "game " << game << " move " << s.moto << "-" << s.saki;
        ASSERT_EQ(fastKo, plain) << "game " << game << " move " << s.moto << "-" << s.saki;
        ASSERT_TRUE(ko == koPlain) << "game " << game << " move " << s.moto << "-" << s.saki;
        ++checked;
      }
      const size_t pick = rng() % (all.size() - 1);
      sasu(a.aru, a.arull, M, all[pick].moto, all[pick].saki);
      M = 3 - M;
    }
  }
  setSimd(simdMax());
  EXPECT_GT(checked, 50000);
}

// Whether side M's king (if any) is attacked on counts taken afresh.
bool ouAteru(int M, Men& f) {
  torisirabe(f);
  for (int s = 11; s <= 99; ++s)
    if (f.aru[s] == M * 100 + OU) return (M == 1 ? f.toripl2 : f.toripl1)[s] > 0;
  return false;
}

// A move turned away before its counts are made must leave the mover's king
// attacked. Random games that give check when they can, so that checks and
// pinned pieces are many; every piece of the side to move put on every cell
// it does not hold, and every drop. How many leave the king attacked and
// how many are caught is recorded: fewer caught is a loss of speed.
TEST(OuKugi, MovesTurnedAwayLeaveTheKingAttacked) {
  std::mt19937 rng(20261211);
  int sarasu = 0, toraeta = 0, subete = 0;
  for (int game = 0; game < 6; ++game) {
    Men a;
    syokihaiti(a.aru, a.arull);
    for (int te = 0, M = 1; te < 120; ++te, M = 3 - M) {
      const std::vector<Sasite> all = sasiteOf(M, a.aru, a.arull);
      if (all.empty()) break;
      torisirabe(a);
      Syurui y;
      syuruiOf(a.aru, y);
      const Kiki& aO = M == 1 ? a.toripl2 : a.toripl1;
      OuKugi k;
      M == 1 ? ouKugi<1>(a.aru, aO, y, a.oupl1, k) : ouKugi<2>(a.aru, aO, y, a.oupl2, k);
      for (int32_t moto = 11; moto <= M * 100 + FU; ++moto) {
        const bool utu = moto > M * 100;
        if (utu ? moto < M * 100 + HI || a.arull[moto - M * 90] <= 0
                : !isSquare(moto) || a.aru[moto] / 100 != M)
          continue;
        for (int saki = 11; saki <= 99; ++saki) {
          if (!isSquare(saki) || a.aru[saki] / 100 == M || (utu && a.aru[saki] != 0)) continue;
          // Not where the piece could not move on: its steps would leave the board.
          const int kd = kindOf(utu ? moto : a.aru[moto]);
          const int r = M == 1 ? saki % 10 : 10 - saki % 10;
          if ((kd == KE && r <= 2) || ((kd == FU || kd == KY) && r == 1)) continue;
          Men f;
          f.aru = a.aru;
          f.aru[saki] = utu ? moto : a.aru[moto];
          if (!utu) f.aru[moto] = 0;
          const bool ateru = ouAteru(M, f);
          const bool sa = ouSarasu(k, aO, moto, saki);
          ASSERT_TRUE(!sa || ateru) << "game " << game << " move " << moto << "-" << saki;
          sarasu += ateru;
          toraeta += sa;
          ++subete;
        }
        if (!utu && moto == 99) moto = M * 100 + HI - 1;
      }
      // A check when there is one, else any move.
      std::vector<size_t> oute;
      for (size_t i = 0; i < all.size(); ++i) {
        Men f = a;
        sasu(f.aru, f.arull, M, all[i].moto, all[i].saki);
        if (ouAteru(3 - M, f)) oute.push_back(i);
      }
      const size_t pick = !oute.empty() && rng() % 4 != 0 ? oute[rng() % oute.size()]
                                                          : rng() % all.size();
      sasu(a.aru, a.arull, M, all[pick].moto, all[pick].saki);
    }
  }
  EXPECT_EQ(subete, 676391);
  EXPECT_EQ(sarasu, 203237);
  EXPECT_EQ(toraeta, 203237);  // every one
}

// Sliding pieces seen through, supported past, blocked, captured, promoted
// (a lance stops sliding) and dropped, on a board built for them.
TEST(KikiSasu, SlidingPiecesGainedLostAndChanged) {
  Ban b = emptyBoard();
  b[59] = 101;
  b[51] = 201;
  b[55] = 102;  // rook, with a gold and a pawn on its forward line
  b[54] = 104;
  b[53] = 208;
  b[33] = 203;  // bishop seeing through its own bishop
  b[44] = 213;
  b[93] = 107;  // lance about to promote
  b[17] = 207;  // side 2's lance
  b[15] = 112;  // a dragon in front of it
  Mochi h{};
  h[12] = 1;  // side 1 has a rook, a bishop and a lance in hand
  h[13] = 1;
  h[17] = 1;
  h[27] = 2;
  const Sasite side1[] = {{55, 56}, {55, 45}, {54, 53}, {93, 192}, {93, 92}, {15, 13},
                          {15, 17}, {102, 57}, {103, 77}, {107, 58}, {0, 0}};
  for (const Sasite& s : side1) EXPECT_TRUE(sameAsFresh(1, b, h, s)) << s.moto << "-" << s.saki;
  const Sasite side2[] = {{44, 55}, {44, 66}, {33, 22}, {17, 16}, {17, 15},
                          {53, 54}, {207, 56}, {207, 13}, {0, 0}};
  for (const Sasite& s : side2) EXPECT_TRUE(sameAsFresh(2, b, h, s)) << s.moto << "-" << s.saki;
}

// A board with more sliding pieces than a game can have (seventeen lances
// and four rooks) is followed just as well.
TEST(KikiSasu, MoreSlidingPiecesThanAGameHas) {
  Ban b = emptyBoard();
  b[59] = 101;
  b[51] = 201;
  for (int f = 1; f <= 9; ++f) {
    b[f * 10 + 3] = 207;
    if (f != 5) b[f * 10 + 7] = 107;
  }
  b[55] = 102;
  b[45] = 202;
  b[65] = 112;
  b[35] = 212;
  Mochi h{};
  h[17] = 1;
  h[27] = 1;
  for (const Sasite& s : sasiteOf(1, b, h)) ASSERT_TRUE(sameAsFresh(1, b, h, s));
  for (const Sasite& s : sasiteOf(2, b, h)) ASSERT_TRUE(sameAsFresh(2, b, h, s));
}

// The single steps added as one row of cells are the step table's: every
// kind of both sides, added and taken away, on every square a piece of it
// can stand on, next to both ends of the counts too.
template <int Side, int Sign>
void hoRetuOnaji(std::mt19937& rng) {
  for (int kind : {OU, HI, KA, KI, GI, KE, KY, FU, RY, UM, NG, NK, NY, TO}) {
    for (int s = 11; s <= 99; ++s) {
      const int r = s % 10;
      if (r == 0) continue;
      if (kind == KE && (Side == 1 ? r <= 2 : r >= 8)) continue;  // no knight stands there
      Kiki a;
      for (auto& c : a) c = static_cast<Kazu>(rng() % 9);
      Kiki b = a;
      kiki::hoKiki<Side, Sign>(a, s, kind);
      kiki::hoKikiRetu<Side, Sign>(b, s, kind);
      ASSERT_TRUE(a == b) << "side " << Side << " kind " << kind << " on " << s;
    }
  }
}

TEST(KikiSasu, StepRowsAddWhatTheStepsAdd) {
  std::mt19937 rng(20261210);
  hoRetuOnaji<1, 1>(rng);
  hoRetuOnaji<1, -1>(rng);
  hoRetuOnaji<2, 1>(rng);
  hoRetuOnaji<2, -1>(rng);
}

// The mate search on positions from random games: it must stay inside its
// arrays and any move it returns must be a legal check for side 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

#include "model/ply.h"
#include "mate/attacks.h"
#include "mate/tume.h"
#include "model/attacks.h"
#include "model/board.h"
#include "model/rules.h"
#include "tests/board_helpers.h"

using namespace syougi;

namespace {

// Plays one random legal move of side 1 on (aru, arull); captures are
// preferred so that hands fill up. False when there is no legal move.
bool sasu(Ban& aru, Mochi& arull, std::mt19937& rng) {
  static TeList te;
  const int n = gouhousyu(aru, arull, te);
  if (n == 0) return false;
  int pick = static_cast<int>(rng() % n);
  for (int tries = 0; tries < 4; ++tries) {
    const int i = static_cast<int>(rng() % n);
    if (aru[te[i].saki] > 200) pick = i;
  }
  sasu1(aru, arull, te[pick].moto, te[pick].saki, te[pick].naru);
  return true;
}

bool gouhou2(const Ban& aru, const Mochi& arull, int32_t moto, int32_t saki) {
  Ban h;
  Mochi hll;
  hanten(aru, arull, h, hll);
  const bool naru = saki > 100;
  const int dest = naru ? saki - 100 : saki;
  const int hmoto = moto > 100 ? moto - 100 : 110 - moto;
  static TeList te;
  const int n = gouhousyu(h, hll, te);
  for (int i = 0; i < n; ++i)
    if (te[i].moto == hmoto && te[i].saki == 110 - dest && te[i].naru == naru) return true;
  return false;
}

}  // namespace

TEST(MateRandom, ReturnedMovesAreLegalChecks) {
  std::mt19937 rng(20261208);
  auto plies = std::make_unique<PlyTable>();
  int searched = 0, found = 0, noAnswer = 0;
  for (int game = 0; game < 12; ++game) {
    Ban aru;
    Mochi arull;
    syokihaiti(aru, arull);
    for (int te = 0; te < 160; ++te) {
      // Side 1 moves, then side 2 is to move in (aru, arull).
      if (!sasu(aru, arull, rng)) break;
      const Men p = test::menOf(aru, arull);
      if (aru[p.oupl2] != 201 || aru[p.oupl1] != 101) break;
      if (p.toripl1[p.oupl2] == 0) {
        Tume tume(*plies);
        tume.tumeai1(p);
        ++searched;
        const int16_t v = tume.saikou1;
        EXPECT_TRUE(v == 10000 || v == 32000 || v == 31000 || v == 30000 || v == 29000 ||
                    v == 28000 || v == 27000)
            << v;
        if (tume.moto != 0) {
          ++found;
          EXPECT_GE(v, 27000);
          EXPECT_TRUE(gouhou2(aru, arull, tume.moto, tume.saki))
              << tume.moto << " " << tume.saki;
          Ban b = aru;
          const int dest = tume.saki > 100 ? tume.saki - 100 : tume.saki;
          if (tume.moto > 100) {
            b[dest] = tume.moto;
          } else {
            b[dest] = b[tume.moto] + (tume.saki > 100 ? 10 : 0);
            b[tume.moto] = 0;
          }
          EXPECT_TRUE(outeSide1(b));
          if (v == 32000) {
            // No answer survived ply 2: every legal reply must be a drop on
            // a square no side-1 piece defends.
            ++noAnswer;
            Men a;
            a.aru = b;
            tumetorisirabe(a);
            static TeList replies;
            const int n = gouhousyu(b, arull, replies);
            for (int i = 0; i < n; ++i) {
              EXPECT_TRUE(replies[i].moto > 100 && a.toripl1[replies[i].saki] == 0)
                  << "reply " << replies[i].moto << "-" << replies[i].saki;
            }
          }
        } else {
          EXPECT_TRUE(v == 10000 || v == 32000) << v;
        }
      }
      // Side 2's random move, played on the turned-around board.
      Ban h;
      Mochi hll;
      hanten(aru, arull, h, hll);
      if (!sasu(h, hll, rng)) break;
      hanten(h, hll, aru, arull);
    }
  }
  EXPECT_GT(searched, 100);
  RecordProperty("searched", searched);
  RecordProperty("found", found);
  EXPECT_GT(noAnswer, 0);
  std::printf("searched %d positions, %d mates returned, %d without answer\n", searched, found,
              noAnswer);
}

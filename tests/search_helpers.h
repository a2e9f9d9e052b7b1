// Building positions and ply tables by hand for the search's tests: the
// search input with every square weighing 30, the move maker in
// the search's own notation, and a searched move played into the table.
#pragma once

#include "engine/eval.h"
#include "engine/search.h"
#include "model/attacks.h"
#include "model/board.h"
#include "model/kyokumen.h"
#include "tests/board_helpers.h"

namespace syougi::test {

inline SearchInput nyuuryoku(const Ban& aru, const Mochi& arull, int teban = 1) {
  SearchInput in;
  in.aru = aru;
  in.arull = arull;
  torisirabe(in);
  in.basyo.basyo1.fill(30);
  in.basyo.basyo2.fill(30);
  in.basyo.teban = teban;
  in.sennkei = "mitei";
  return in;
}

// The static score the examination adds for a board.
inline int32_t seiteki(const Ban& b, const Mochi& h, const Basyo& bs) {
  int32_t k = 0;
  kouhosirabe(menOf(b, h), k, bs, Sennkei::kMitei);
  return k;
}

// The slot of a move in a ply's list, -1 when it is not listed.
inline int mitukeru(const Ply& p, int32_t moto, int32_t saki, int width = kListMax) {
  for (int i = 0; i < width; ++i)
    if (p.kmoto[i] == moto && p.ksaki[i] == saki) return i;
  return -1;
}

// Side `side` makes a move on `b`/`h`: moto a square, side*100 + kind for a
// drop, 0 for a pass; saki +100 promotes.
inline void sasu(Ban& b, Mochi& h, int side, int32_t moto, int32_t saki) {
  if (moto == 0) return;
  Kyokumen k{b, h, side == 2};
  teSasu(k, Te{moto > 100 ? 100 + moto % 100 : tebanMasu(k, moto), tebanMasu(k, saki % 100), saki > 100});
  b = k.aru;
  h = k.arull;
}

// Plays the searched move of ply j (its parent is ply j-1) with its best value.
inline void tesuji(PlyTable& t, int j, int32_t moto, int32_t saki, int16_t saikou) {
  Ply& p = t[j];
  p.aru = t[j - 1].aru;
  p.arull = t[j - 1].arull;
  sasu(p.aru, p.arull, j % 2 == 1 ? 2 : 1, moto, saki);
  torisirabe(p);
  syuruiOf(p.aru, p.syurui);
  p.kmoto.fill(0);
  p.ksaki.fill(0);
  p.kten.fill(0);
  p.kmoto[0] = moto;
  p.ksaki[0] = saki;
  p.ban = 0;
  p.saikou = saikou;
}

}  // namespace syougi::test

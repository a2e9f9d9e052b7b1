// The search's use of the snapshot tables of plies 3..6: the cells its line
// changed, the look-up and the store.
// Part of the search's one translation unit (included by search.cpp).
#pragma once

#include "engine/search.h"

namespace syougi {

// The cells that the searched moves of plies 1..N changed.
template <int N>
void Search::quick(YomiQuick& qk) const {
  qk.n = 0;
  qk.cell0 = false;
  for (int j = 1; j <= N; ++j) {
    const Ply& a = t_[j];
    const int32_t m = a.kmoto[a.ban];
    if (m == 0) {
      qk.cell0 = true;
      qk.ban0 = t_[N].aru[0];
      continue;
    }
    if (m > 100) {
      qk.cell[qk.n++] = static_cast<uint8_t>(yomiMochiCell((j % 2 == 1 ? 20 : 10) + m % 100));
    } else {
      qk.cell[qk.n++] = static_cast<uint8_t>(yomiBanCell(m));
    }
    qk.cell[qk.n++] = static_cast<uint8_t>(yomiBanCell(sakiMasu(a.ksaki[a.ban])));
  }
}

template <int N>
bool Search::yomidasu(int16_t& atai) {
  const Ply& p = t_[N];
  YomiQuick qk;
  quick<N>(qk);
  yomiPack(p.aru, p.arull, key_);
  return yomi_.at<N>().yomidasu(key_, qk, atai);
}

// Stores ply N's position. Its key is packed again: the deeper plies'
// look-ups have used key_ since this ply's.
template <int N>
void Search::yomioku(int16_t atai) {
  const Ply& p = t_[N];
  yomiPack(p.aru, p.arull, key_);
  ++yomiStores[N];
  yomi_.at<N>().yomioku(key_, atai);
}

}  // namespace syougi

// The candidate examination of the main search: each generated move, made
// on its ply's board, is checked, scored and put into the ply's sorted list.
// Part of the search's one translation unit (included by search.cpp).
#pragma once

#include <algorithm>
#include <bit>

#include "engine/narabe.h"
#include "engine/rows.h"
#include "engine/search.h"
#include "model/ugoki.h"

namespace syougi {

namespace {

// Kinds that can give check from each neighbour class of the mate test:
// front, front diagonal, side or back, back diagonal.
constexpr bool atariFront(int k) { return k != OU && k != KA && k != KE; }
constexpr bool atariFrontDiag(int k) {
  return k == KA || k == UM || k == RY || k == KI || k == GI || minorPromoted(k);
}
constexpr bool atariSide(int k) {
  return k == HI || k == RY || k == UM || k == KI || minorPromoted(k);
}
constexpr bool atariBackDiag(int k) { return k == KA || k == UM || k == RY || k == GI; }

static_assert(outeNoRui(atariFront, atariFrontDiag, atariSide, atariBackDiag));

// The threat scan's cheapest attackers of a defended piece, in the order in
// which a later one overrides an earlier: a bit each, so that the override
// is the highest bit set.
enum Semete : int { kSeKI, kSeNG, kSeGI, kSeNK, kSeNY, kSeKE, kSeKY, kSeTO, kSeFU };
// What the piece loses to each: its value less the attacker's, and more.
constexpr int32_t kSemeteHiku[9] = {KI, GI, GI, KE, KY, KE, KY, FU, FU};
constexpr int32_t kSemeteTasu[9] = {0, 0, 0, 10, 10, 0, 0, 30, 0};

// For side O's piece codes, the attackers they are on each neighbour of the
// attacked piece: [0] in front, [1] the front diagonals, [2] the sides and
// behind, [3] the back diagonals. Gold-like moves reach from the first
// three, silver ones from the first two and the last, a pawn from the front.
template <int O>
constexpr std::array<std::array<uint16_t, 256>, 4> makeSemete() {
  std::array<std::array<uint16_t, 256>, 4> t{};
  constexpr int o = O * 100;
  for (int k = 0; k < 4; ++k) {
    const bool kin = k <= 2, gin = k != 2;
    auto& u = t[k];
    if (kin) {
      u[o + KI] |= 1u << kSeKI;
      u[o + NG] |= 1u << kSeNG;
      u[o + NK] |= 1u << kSeNK;
      u[o + NY] |= 1u << kSeNY;
      u[o + TO] |= 1u << kSeTO;
    }
    if (gin) u[o + GI] |= 1u << kSeGI;
    if (k == 0) u[o + FU] |= 1u << kSeFU;
  }
  return t;
}
template <int O>
inline constexpr std::array<std::array<uint16_t, 256>, 4> kSemete = makeSemete<O>();

}  // namespace

// Ply N's move moto -> saki made on its board (a candidate being examined,
// or the move searched): its counts, piece squares and kings, from the
// parent's by the one move.
template <int N>
inline void Search::hoKousin(int32_t moto, int32_t saki) {
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  // A captured king leaves the old square in place rather than garbage.
  p.oupl1 = q.oupl1;
  p.oupl2 = q.oupl2;
  constexpr int M = sideAt(N);
  // A board move's piece is lifted once for all its moves from this
  // position, then put down for each.
  if (moto > 0 && moto < 100) {
    Uki& u = uki_[N];
    if (u.moto != moto) kikiUku<M>(q.aru, q.toripl1, q.toripl2, q.syurui, moto, u);
    kikiOku<M>(u, p.aru, saki, p.toripl1, p.toripl2, p.syurui, p.oupl1, p.oupl2);
    return;
  }
  kikiSasuSa<M>(q.aru, q.toripl1, q.toripl2, q.syurui, p.aru, moto, saki, p.toripl1, p.toripl2,
                p.syurui, p.oupl1, p.oupl2);
}

// Threats: the largest loss O can inflict on one of M's pieces of ply N's
// candidate, or -1 when the candidate is not listed for it.
template <int N, bool Leaf>
inline int32_t Search::kikenSirabe() {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  const Kiki& aM = kikiOf<M>(p);
  const Kiki& aO = kikiOf<O>(p);
  const auto& w = M == 2 ? bs_.basyo2 : bs_.basyo1;
  constexpr int F = M == 2 ? 1 : -1;  // M's forward
  constexpr int o = O * 100;
  const int to = sakiMasu(p.saki);
  const bool toru = p.saki != 0 && q.aru[to] != 0;
  int16_t kiken = 0;
  const auto& g = p.syurui.b[M - 1];
  const Komabit ate = kikiAri(aO);
  const Komabit& omoi = omoi_[M - 1];
  // M's attacked pieces in square order: the first square with the largest
  // loss is kept. Kings, rooks and bishops count wherever they stand, the
  // other pieces only where their weight is above 19.
  for (int i = 0; i < 2; ++i) {
    const uint64_t oogoma = g[kRuiOu].w[i] | g[kRuiKaku].w[i] | g[kRuiHisya].w[i];
    const uint64_t koma = g[kRuiFu].w[i] | g[kRuiKyou].w[i] | g[kRuiKin].w[i];
    for (uint64_t x = (oogoma | (koma & omoi.w[i])) & ate.w[i]; x != 0; x &= x - 1) {
      const int s = i * 64 + std::countr_zero(x);
      const int32_t c = p.aru[s];
      const int kd = kindOf(c);
      const int32_t v = komaten[c];
      const int32_t ws = w[s];
      const int32_t wk = kd == KY ? w[s - rankOf(s)] : ws;
      int32_t k = 0;
      if (aM[s] > 0) {
        // O's pieces standing where they attack s; the last match wins.
        // Squares from which an O piece reaches s, written from M's side:
        // O's piece at s + F*x moves by -F*x.
        const auto& se = kSemete<O>;
        const auto at = [&](int rui, int x) -> unsigned { return se[rui][p.aru[x] & 255]; };
        unsigned semete = at(0, s + F) | at(1, s + F + 10) | at(1, s + F - 10) |
                          at(2, s + 10) | at(2, s - 10) | at(2, s - F) |
                          at(3, s - F + 10) | at(3, s - F - 10);
        // Seen from side 1's piece on 11 the second knight square is cell -1.
        if (p.aru[s + 2 * F + 10] == o + KE ||
            (s + 2 * F - 10 >= 0 && p.aru[s + 2 * F - 10] == o + KE))
          semete |= 1u << kSeKE;
        for (int x = s + F;; x += F) {
          const int32_t e = p.aru[x];
          if (e == 0) continue;
          if (e == o + KY) semete |= 1u << kSeKY;
          break;
        }
        if (semete != 0) {
          const int h = std::bit_width(semete) - 1;
          k = v - komaten[100 + kSemeteHiku[h]] + kSemeteTasu[h];
        }
        if (kd == KI || kd == GI || kd == KE || kd == FU || minorPromoted(kd)) {
          k = static_cast<int16_t>(k * ws) / 50;
        } else if (kd == KY) {
          k = static_cast<int16_t>(k * wk) / 50;
        }
        if (aO[s] > aM[s]) k += 2 * wk;
      } else if (kd == HI || kd == KA || kd == RY || kd == UM) {
        k = v;
      } else if (kd == KY) {
        k = wk * v / 50;
      } else if (kd != OU) {
        k = ws * v / 50;
      }
      if (k > kiken) {
        kiken = static_cast<int16_t>(k);
        p.kikenbasyo = s;
      }
      if constexpr (kSute<N, Leaf> > 0) {
        // A quiet move that puts the piece where it is lost is not listed.
        if (k > kSute<N, Leaf> && !toru && p.kikenbasyo == to) return -1;
      }
    }
  }
  return kiken;
}

// Whether the threat cannot change what ply N does with a candidate worth
// `ten` without it: the threat only takes from the mover, and the list (or
// the leaf's best) already holds a value the candidate does not beat. The
// bounds keep every int16 conversion on the way exact.
template <int N, bool Leaf>
inline bool Search::kikenIranai(int32_t ten) const {
  const Ply& p = t_[N];
  if (!kikenHabuku) return false;
  if constexpr (Leaf) {
    return ten >= -32768 + kikenMaxLeaf_ + 1 && ten <= p.saikou;
  } else if constexpr (sideAt(N) == 2) {
    return ten >= -32768 + kikenMax_ && ten <= p.kten[kRow[N].width - 1];
  } else {
    return ten <= 32767 - kikenMax_ && ten >= p.kten[kRow[N].width - 1];
  }
}

// The candidate examination (kouhosirabe1..4, tuikouhosirabe5..8, and the
// leaf examinations kouhosirabe7 / kouhosirabe9): the move is made on ply N's
// board and described by its moto/saki (both 0 for a pass).
template <int N, bool Leaf>
void Search::kouhosirabeN() {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  ++kensa;
  ++kensaAt[N];

  p.ten = 0;
  p.kikenbasyo = 0;
  // A move that surely leaves the mover's king attacked is turned away
  // before its counts are made, as the counts would turn it away below.
  if (ouSarasu(kugi_[N], kikiOf<O>(q), p.moto, p.saki)) {
    ++kensaSarasi;
    return;
  }
  hoKousin<N>(p.moto, p.saki);
  const Kiki& aM = kikiOf<M>(p);
  const Kiki& aO = kikiOf<O>(p);
  const int kM = ouOf<M>(p);
  const int kO = ouOf<O>(p);

  // A side without a king (set-up positions) has nothing to expose or mate.
  if (isSquare(kM) && aO[kM] > 0) return;

  int32_t ten = 0;
  if (isSquare(kO) && aM[kO] > 0) {
    ten += M == 2 ? 200 : -200;
    // Neighbours of O's king: front, front diagonals, sides, back, back
    // diagonals ("front" is toward O's opponent).
    constexpr int F = O == 1 ? -1 : 1;
    constexpr int d[8] = {F, 11 * F, -9 * F, 10 * F, -10 * F, -F, -11 * F, 9 * F};
    bool nige = false;
    int32_t basyo = 0;
    for (int i = 0; i < 8; ++i) {
      const int n = kO + d[i];
      const int32_t c = p.aru[n];
      if (c != SOTO && !sideIs<O>(c) && aM[n] == 0) nige = true;
      if (!sideIs<M>(c)) continue;
      const int k = kindOf(c);
      const bool atari = i == 0   ? atariFront(k)
                         : i <= 2 ? atariFrontDiag(k)
                         : i <= 5 ? atariSide(k)
                                  : atariBackDiag(k);
      if (atari) basyo = n;
    }
    p.kikenbasyo = basyo;
    if (!nige && basyo != 0 && aO[basyo] <= 1 && aM[basyo] > 0) {
      // A mate by a pawn drop is against the rules: the move is dropped.
      if (p.moto != M * 100 + FU) {
        p.saikou = kRow[N].mate;
        if constexpr (kTumiKiroku<N>) {
          moto = p.moto;
          saki = p.saki;
        }
      }
      return;
    }
  }

  // Recapture on the square where the parent's move ended.
  if constexpr (kTorikaesi<N, Leaf>) {
    if (p.saki != 0 && sakiMasu(p.saki) == sakiMasu(q.ksaki[q.ban])) ten += M == 2 ? 50 : -50;
  }

  kouhosirabeSa(p, p.syurui, q, oyaTen_[N], p.moto, p.saki, ten, bs_, sk_);

  if constexpr (kZyousekiNe<N>) {
    constexpr int32_t bonus[4] = {50, 40, 30, 30};
    for (int k = 0; k < 4; ++k) {
      if (p.moto == bookMoto_[k] && p.saki == bookSaki_[k]) {
        ten += bonus[k];
        break;
      }
    }
  } else {
    ten += bookDeep_;
  }

  ten += passAnc_[N];
  if constexpr (!Leaf) {
    if (p.moto == 0) {
      const int32_t tt = bs_.teban * bs_.teban;
      ten += M == 1 ? -tt : tt;
    }
  }

  if constexpr (kNariTen<N>) {
    if (p.saki > 100) {
      const int s = p.saki - 100;
      const int32_t c = p.aru[s];
      if (c == 200 + NK || c == 200 + NY) ten += bs_.basyo2[s];
      if (c == 200 + TO) ten += bs_.basyo2[s] + 10;
    }
  }

  // Threats last: they only take from the mover, so a candidate that does
  // not get into the list (or beat the leaf's best) without them is not
  // scanned for them.
  if (!kikenIranai<N, Leaf>(ten)) {
    const int32_t kiken = kikenSirabe<N, Leaf>();
    if (kiken < 0) return;
    if (kiken > 0) {
      if constexpr (Leaf) {
        ten -= static_cast<int16_t>(4 * kiken) / 3;
      } else {
        ten += M == 2 ? -kiken : kiken;
      }
    }
  }

  p.ten = ten;
  if constexpr (Leaf) {
    const int16_t v = static_cast<int16_t>(ten);
    if (v > p.saikou) p.saikou = v;
  } else {
    narabekae<N>(p);
  }
}

}  // namespace syougi

// The generation of the main search: every move of the side to move, each
// decided on, made, examined and taken back by the move makers.
// Part of the search's one translation unit (included by search.cpp).
#pragma once

#include <bit>

#include "engine/rows.h"
#include "engine/search.h"
#include "model/ugoki.h"

namespace syougi {

// The move makers (iku1..4, tuiiku5..8, iku7 / iku9 of the leaves): decide
// whether the generated move is made and how it promotes, make it on ply N's
// board (a copy of the parent's), examine it, and take it back. Returns true
// when a leaf scan has refuted an ancestor and must stop.
template <int N, bool Leaf>
bool Search::iku(int32_t moto, int32_t saki) {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  constexpr int F = M == 2 ? 1 : -1;
  Ply& p = t_[N];
  const Ply& q = t_[N - 1];
  const Kiki& qM = kikiOf<M>(q);
  const Kiki& qO = kikiOf<O>(q);
  const auto& wM = M == 2 ? bs_.basyo2 : bs_.basyo1;

  if (moto > 100) {
    const int kd = kindOf(moto);
    if constexpr (Leaf) {
      if (wM[saki] <= 24 || qM[saki] < qO[saki] || kd == HI || kd == KA ||
          q.aru[saki + 1] == 100 + FU)
        return false;
    } else if constexpr (kUtiSiboru<N, Leaf>) {
      if (kd != FU) {
        if ((kd == KI || kd == GI || kd == KE) && wM[saki] < 25) return false;
        if (qM[saki] < qO[saki]) return false;
      }
    }
    const int h = M * 10 + kd;
    p.aru[saki] = moto;
    --p.arull[h];
    p.moto = moto;
    p.saki = saki;
    kouhosirabeN<N, Leaf>();
    p.aru[saki] = 0;
    ++p.arull[h];
    if constexpr (Leaf) return leafCut<N>();
    return false;
  }

  const int32_t pc = q.aru[moto];
  const int kd = kindOf(pc);
  const int32_t cap = q.aru[saki];
  const bool toru = cap != 0;
  const bool nerawa = qO[moto] > 0;  // the piece is attacked where it stands
  const int fs = moto / 10;
  const int rs = rankOf(moto);
  const int rd = rankOf(saki);
  const bool zone = M == 2 ? (rs >= 7 || rd >= 7) : (rs <= 3 || rd <= 3);

  if (kd == OU) {
    if constexpr (!kOuToruNomi<N, Leaf>) {
      if (qO[saki] > 0) return false;
    } else {
      if (toru && qO[saki] > 0) return false;
    }
  }

  if constexpr (kHasiKyou<N>) {
    if (kd == KY && !(nerawa || toru || rd >= 7 || (fs != 1 && fs != 9) ||
                      (fs == 1 && q.oupl2 > 49) || (fs == 9 && q.oupl2 <= 60)))
      return false;
  }
  if constexpr (kHasiSusumu<N, Leaf>) {
    // Quiet lance and pawn pushes only from the inner files, or when it matters.
    if ((kd == KY || (kd == FU && q.aru[saki + F] == 0)) &&
        !(nerawa || toru || (fs >= 2 && fs <= 8)))
      return false;
  }
  if constexpr (kYasuiNomi<N, Leaf>) {
    if (!(qO[saki] < qM[saki] || kd == FU || toru)) return false;
  }
  if constexpr (kSagaranai<N>) {
    if ((kd == GI || kd == KE || kd == KY || kd == NG || kd == NK || kd == NY) && !toru &&
        !nerawa && bs_.basyo1[saki] < bs_.basyo1[moto])
      return false;
  }
  if constexpr (Leaf) {
    const bool yasui = qO[saki] < qM[saki];
    if (!(wM[moto] > 19 || toru || kd == HI || kd == KA || kd == RY || kd == UM)) return false;
    if (!(yasui || !nerawa || toru)) return false;
    if (!(nerawa || yasui || (toru && komaten[cap] >= komaten[pc]))) return false;
  }

  // How the move promotes: 0 never, 1 only promoted, 2 both (unpromoted first).
  int naru = 0;
  if constexpr (kNariSubete<N>) {
    constexpr int r1 = M == 2 ? 7 : 3;  // first rank of the zone
    constexpr int r2 = M == 2 ? 8 : 2;  // the last two ranks
    const bool inZone = M == 2 ? rd >= r1 : rd <= r1;
    const bool lastTwo = M == 2 ? rd >= r2 : rd <= r2;
    if (kd == FU && inZone) {
      naru = 1;
    } else if ((kd == HI || kd == KA) && zone) {
      naru = 1;
    } else if ((kd == KE || kd == KY) && lastTwo) {
      naru = 1;
    } else if ((kd == GI || kd == KE || kd == KY || kd == FU) && zone) {
      naru = 2;
    }
  } else {
    if ((kd == HI || kd == KA || kd == KE || kd == KY || kd == FU) && zone) {
      naru = 1;
    } else {
      if constexpr (Leaf) {
        if ((kd == KI || kd == GI || kd == KE || kd == KY || minorPromoted(kd)) && !toru && !nerawa)
          return false;
        if (!toru && q.aru[saki + 1] == 100 + FU) return false;
      }
      if (kd == GI && zone) naru = 2;
    }
  }

  const int h = motiMasu(M, cap);
  if (h != 0) ++p.arull[h];
  p.aru[moto] = 0;
  p.moto = moto;
  bool stop = false;
  if (naru != 1) {
    p.aru[saki] = pc;
    p.saki = saki;
    kouhosirabeN<N, Leaf>();
    if constexpr (Leaf) stop = leafCut<N>();
  }
  if (naru != 0 && !stop) {
    p.aru[saki] = pc + 10;
    p.saki = saki + 100;
    kouhosirabeN<N, Leaf>();
    if constexpr (Leaf) stop = leafCut<N>();
  }
  p.aru[saki] = cap;
  p.aru[moto] = pc;
  if (h != 0) --p.arull[h];
  return stop;
}

// The drops' rank ranges and files, as bits.
inline constexpr auto kDanMasu = [] {
  std::array<std::array<Komabit, 10>, 10> t{};
  for (int lo = 1; lo <= 9; ++lo)
    for (int hi = lo; hi <= 9; ++hi) t[lo][hi] = danMasu(lo, hi);
  return t;
}();
inline constexpr auto kSujiMasu = [] {
  std::array<Komabit, 10> t{};
  for (int f = 1; f <= 9; ++f) t[f] = sujiMasu(f);
  return t;
}();

// Every move of the side to move on the parent's board, in the fixed order:
// squares file by file and rank by rank with each piece's steps in turn, then
// drops rook..pawn.
template <int N, bool Leaf>
bool Search::generate() {
  constexpr int M = sideAt(N);
  constexpr int O = 3 - M;
  const Ply& q = t_[N - 1];
  const Ban& b = q.aru;

  // M's pieces in square order (file by file, rank by rank), from the piece
  // squares rather than by testing all 81 squares.
  const Komabit mine = q.syurui.zenbu(M);
  for (int i = 0; i < 2; ++i) {
    for (uint64_t bits = mine.w[i]; bits != 0; bits &= bits - 1) {
      const int s = i * 64 + std::countr_zero(bits);
      const int32_t c = b[s];
      const auto step = [&](auto d) {
        // A side-1 knight on 11 cannot occur in play; keep the jump inside the cells anyway.
        if constexpr (decltype(d)::value < -11) {
          if (s + d < 0) return false;
        }
        const int to = s + d;
        const int32_t x = b[to];
        if (x == 0 || sideIs<O>(x)) return iku<N, Leaf>(s, to);
        return false;
      };
      const auto slide = [&](int d) {
        for (int to = s + d;; to += d) {
          const int32_t x = b[to];
          if (x == 0) {
            if (iku<N, Leaf>(s, to)) return true;
            continue;
          }
          if (sideIs<O>(x)) return iku<N, Leaf>(s, to);
          return false;
        }
      };
      if (ugokiGoto<M>(kindOf(c), step, slide)) return true;
    }
  }

  bool mochi = false;
  for (int kd = HI; kd <= FU; ++kd) mochi = mochi || q.arull[M * 10 + kd] > 0;
  if (!mochi) return false;

  // The drops' cells as bits, visited in the same order, file by file and
  // rank by rank. Left out are only cells where iku turns away a drop of the
  // kind whatever else holds, so that it is not called for them; iku keeps
  // its tests.
  const Komabit aki = kDanMasu[1][9] & ~q.syurui.zenbu(1) & ~q.syurui.zenbu(2);
  // Where M attacks at least as often as O.
  Komabit yasui;
  if constexpr (Leaf || kUtiSiboru<N, Leaf>) yasui = ~kikiSitamawari(kikiOf<M>(q), kikiOf<O>(q));
  const Komabit& omoi25 = omoi25_[M - 1];
  for (int kd = HI; kd <= FU; ++kd) {
    if (q.arull[M * 10 + kd] <= 0) continue;
    int rlo = 1;
    int rhi = 9;
    if constexpr (M == 2) {
      if constexpr (Leaf) {
        if (kd == KI || kd == FU) rhi = 8;
        if (kd == KE || kd == KY) rhi = 7;
      } else {
        if (kd == KE) rhi = 7;
        if (kd == KY || kd == FU) rhi = 8;
      }
    } else {
      if (kd == KE) rlo = 3;
      if (kd == KY || kd == FU) rlo = 2;
    }
    Komabit m = aki & kDanMasu[rlo][rhi];
    if constexpr (Leaf) {
      if (utiSibori) {
        if (kd == HI || kd == KA) continue;
        // Not before a side-1 pawn: the cell below one.
        const Komabit& fu = q.syurui.b[0][kRuiFu];
        const Komabit fuMae{{~(fu.w[0] >> 1 | fu.w[1] << 63), ~(fu.w[1] >> 1)}};
        m = m & omoi25 & yasui & fuMae;
      }
    } else if constexpr (kUtiSiboru<N, Leaf>) {
      if (utiSibori && kd != FU) m = m & yasui;
      if (utiSibori && (kd == KI || kd == GI || kd == KE)) m = m & omoi25;
    }
    if (kd == FU) {
      // No second pawn on a file.
      const Komabit& fu = q.syurui.b[M - 1][kRuiFu];
      for (int i = 0; i < 2; ++i) {
        for (uint64_t x = fu.w[i]; x != 0; x &= x - 1) {
          m = m & ~kSujiMasu[(i * 64 + std::countr_zero(x)) / 10];
        }
      }
    }
    const int32_t code = M * 100 + kd;
    for (int i = 0; i < 2; ++i) {
      for (uint64_t x = m.w[i]; x != 0; x &= x - 1) {
        if (iku<N, Leaf>(code, i * 64 + std::countr_zero(x))) return true;
      }
    }
  }
  return false;
}

}  // namespace syougi

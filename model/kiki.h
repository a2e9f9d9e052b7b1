// The attack counting of `torisirabe`, split into what a piece reaches by
// single steps and what it reaches along its sliding lines, so that the
// search can update a parent's counts by one move instead of counting afresh.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "model/board.h"
#include "model/ugoki.h"

namespace syougi::kiki {

// Which pieces a line passes through, and which pieces support it one step
// further. The direction class decides both (Side 1 orientation; side 2 uses
// the mirrored direction with the same class).
enum Line { kRookFwd, kRookOther, kBishopFwd, kBishopBack, kLance };

constexpr bool isPromoted1(int32_t c) { return (c & 48) == 48; }       // 112..118
constexpr bool isPromoted2(int32_t c) { return ((c - 20) & 63) < 8; }  // 212..218

template <int Side>
constexpr bool promoted(int32_t c) {
  return Side == 1 ? isPromoted1(c) : isPromoted2(c);
}

template <int Side, Line L>
constexpr bool transparent(int32_t c) {
  constexpr int own = Side * 100;
  constexpr int enemyKing = Side == 1 ? 201 : 101;
  if (c == 0 || c == enemyKing) return true;
  if constexpr (L == kRookFwd || L == kRookOther || L == kLance) {
    if (c == own + 2 || c == own + 12) return true;
    if constexpr (L == kRookFwd || L == kLance) {
      if (c == own + 7) return true;
    }
    return false;
  } else {
    return c == own + 3 || c == own + 13;
  }
}

template <int Side, Line L>
constexpr bool supports(int32_t c) {
  constexpr int own = Side * 100;
  // Only own pieces; the off-board marker and enemy pieces never support.
  if (c / 100 != Side) return false;
  if constexpr (L == kRookFwd || L == kLance) {
    return c == own + 4 || c == own + 5 || c == own + 8 || promoted<Side>(c);
  } else if constexpr (L == kRookOther) {
    return c == own + 4 || promoted<Side>(c);
  } else if constexpr (L == kBishopFwd) {
    return c == own + 4 || c == own + 5 || promoted<Side>(c);
  } else {
    return c == own + 5 || c == own + 12;
  }
}

// Both answers for every piece code, a bit pair per side and line class.
template <int Side, Line L>
constexpr uint32_t senBit(bool support) {
  return uint32_t{1} << ((Side - 1) * 10 + L * 2 + (support ? 1 : 0));
}
template <int Side, Line L>
constexpr void fillSen(std::array<uint32_t, 256>& t) {
  for (int c = 0; c < 219; ++c) {
    if (transparent<Side, L>(c)) t[c] |= senBit<Side, L>(false);
    if (supports<Side, L>(c)) t[c] |= senBit<Side, L>(true);
  }
}
constexpr std::array<uint32_t, 256> makeSen() {
  std::array<uint32_t, 256> t{};
  fillSen<1, kRookFwd>(t);
  fillSen<1, kRookOther>(t);
  fillSen<1, kBishopFwd>(t);
  fillSen<1, kBishopBack>(t);
  fillSen<1, kLance>(t);
  fillSen<2, kRookFwd>(t);
  fillSen<2, kRookOther>(t);
  fillSen<2, kBishopFwd>(t);
  fillSen<2, kBishopBack>(t);
  fillSen<2, kLance>(t);
  return t;
}
inline constexpr std::array<uint32_t, 256> kSen = makeSen();

template <int Side, Line L, int D>
inline void slide(const Ban& b, Kiki& a, int s) {
#pragma GCC unroll 8
  for (int d = 1; d <= 8; ++d) {
    const int q = s + D * d;
    ++a[q];
    const int32_t c = b[q];
    // Cells hold piece codes below 219; the mask only keeps the look-up
    // inside the table whatever a cell holds.
    const uint32_t f = kSen[c & 255];
    if (f & senBit<Side, L>(false)) continue;
    if (f & senBit<Side, L>(true)) ++a[q + D];
    return;
  }
}

template <int Side>
inline void rookLines(const Ban& b, Kiki& a, int s) {
  constexpr int F = Side == 1 ? -1 : 1;  // forward
  slide<Side, kRookOther, -10>(b, a, s);
  slide<Side, kRookOther, 10>(b, a, s);
  slide<Side, kRookFwd, F>(b, a, s);
  slide<Side, kRookOther, -F>(b, a, s);
}

template <int Side>
inline void bishopLines(const Ban& b, Kiki& a, int s) {
  constexpr int F = Side == 1 ? -1 : 1;
  slide<Side, kBishopFwd, -10 + F>(b, a, s);
  slide<Side, kBishopFwd, 10 + F>(b, a, s);
  slide<Side, kBishopBack, -10 - F>(b, a, s);
  slide<Side, kBishopBack, 10 - F>(b, a, s);
}

constexpr bool hasiru(int kind) { return kUgoki[kind].hasiriSu > 0; }

// The lines above are the step table's, each with its class.
static_assert(hasiriWa(HI, {-10, 10, -1, 1}) && hasiriWa(RY, {-10, 10, -1, 1}));
static_assert(hasiriWa(KA, {-11, 9, -9, 11}) && hasiriWa(UM, {-11, 9, -9, 11}));
static_assert(hasiriWa(KY, {-1}));
static_assert(hasiru(HI) && hasiru(RY) && hasiru(KA) && hasiru(UM) && hasiru(KY));

// The single steps of each kind (side 1; side 2 negates them, which leaves
// the kinds that move alike both ways as they are). The sliding kinds have
// their lines counted separately. The order is the step table's; counts do
// not depend on it.
struct Steps {
  int n;
  int d[8];
};
constexpr std::array<Steps, 19> makeSteps() {
  std::array<Steps, 19> t{};
  for (int k = 0; k < 19; ++k) {
    t[k].n = kUgoki[k].tobiSu;
    for (int i = 0; i < 8; ++i) t[k].d[i] = kUgoki[k].tobi[i];
  }
  return t;
}
inline constexpr std::array<Steps, 19> kSteps = makeSteps();

// Adds (Sign +1) or takes away (Sign -1) the single steps of a piece of
// `kind` on s.
template <int Side, int Sign>
inline void hoKiki(Kiki& a, int s, int kind) {
  constexpr int F = Side == 1 ? 1 : -1;
  const Steps& st = kSteps[kind];
  for (int i = 0; i < st.n; ++i) a[s + F * st.d[i]] += Sign;
}

// The sliding lines of a piece of `kind` on s.
template <int Side>
inline void senKiki(const Ban& b, Kiki& a, int s, int kind) {
  switch (kind) {
    case HI:
    case RY:
      rookLines<Side>(b, a, s);
      break;
    case KA:
    case UM:
      bishopLines<Side>(b, a, s);
      break;
    case KY:
      slide<Side, kLance, Side == 1 ? -1 : 1>(b, a, s);
      break;
    default:
      break;
  }
}

}  // namespace syougi::kiki

namespace syougi {

// The squares holding one side's pieces, a bit per cell, so that a scan
// visits the pieces alone and still in square order.
struct Komabit {
  std::array<uint64_t, 2> w{};

  void set(int s) { w[s >> 6] |= uint64_t{1} << (s & 63); }
  void clear(int s) { w[s >> 6] &= ~(uint64_t{1} << (s & 63)); }
  bool operator==(const Komabit&) const = default;
};

// Each side's pieces by groups that move alike: king, pawn, lance, bishop and
// horse, rook and dragon, and the rest (gold, silver, knight and the promoted
// minor pieces). A scan of one group needs no test of the kind.
enum Rui : int { kRuiOu, kRuiFu, kRuiKyou, kRuiKaku, kRuiHisya, kRuiKin, kRuiSu };

constexpr std::array<int8_t, 19> makeRuiOf() {
  std::array<int8_t, 19> t{};
  t.fill(-1);
  t[OU] = kRuiOu;
  t[FU] = kRuiFu;
  t[KY] = kRuiKyou;
  t[KA] = kRuiKaku;
  t[UM] = kRuiKaku;
  t[HI] = kRuiHisya;
  t[RY] = kRuiHisya;
  for (int k : {KI, GI, KE, NG, NK, NY, TO}) t[k] = kRuiKin;
  return t;
}
inline constexpr std::array<int8_t, 19> kRuiOf = makeRuiOf();

struct Syurui {
  std::array<std::array<Komabit, kRuiSu>, 2> b{};  // [side - 1][group]

  Komabit& of(int side, int kind) { return b[side - 1][kRuiOf[kind]]; }
  bool operator==(const Syurui&) const = default;
  // All of one side's pieces.
  Komabit zenbu(int side) const {
    const auto& g = b[side - 1];
    Komabit r;
    for (int i = 0; i < 2; ++i)
      r.w[i] = g[0].w[i] | g[1].w[i] | g[2].w[i] | g[3].w[i] | g[4].w[i] | g[5].w[i];
    return r;
  }
};

// The groups of both sides from a board; any other code is no piece.
inline void syuruiOf(const Ban& aru, Syurui& y) {
  y = Syurui{};
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = aru[s];
    if ((c > 100 && c < 119) || (c > 200 && c < 219)) {
      const int8_t r = kRuiOf[c % 100];
      if (r >= 0) y.b[c / 100 - 1][r].set(s);
    }
  }
}

// What a position's attack counts split into: the single-step counts and
// each side's piece squares, which also say where the sliding pieces stand.
// A child's counts follow from its parent's by the one move made.
struct KikiHo {
  Kiki hopl1{};
  Kiki hopl2{};
  Syurui syurui{};
};

// The sliding lines of every rook, bishop and lance of side `Side`, by group.
template <int Side>
inline void senKikiAll(const Ban& b, Kiki& a, const Syurui& y) {
  const auto& g = y.b[Side - 1];
  for (int i = 0; i < 2; ++i) {
    for (uint64_t x = g[kRuiHisya].w[i]; x != 0; x &= x - 1)
      kiki::rookLines<Side>(b, a, i * 64 + std::countr_zero(x));
    for (uint64_t x = g[kRuiKaku].w[i]; x != 0; x &= x - 1)
      kiki::bishopLines<Side>(b, a, i * 64 + std::countr_zero(x));
    for (uint64_t x = g[kRuiKyou].w[i]; x != 0; x &= x - 1)
      kiki::slide<Side, kiki::kLance, Side == 1 ? -1 : 1>(b, a, i * 64 + std::countr_zero(x));
  }
}

// Both sides' sliding lines on `ko`, added to single-step counts.
inline void senKikiTasu(const Ban& ko, const Syurui& y, Kiki& toripl1, Kiki& toripl2) {
  senKikiAll<1>(ko, toripl1, y);
  senKikiAll<2>(ko, toripl2, y);
}

// Side M's move moto -> saki (saki + 100 when it promotes; moto = side*100 +
// kind for a drop; 0 for a pass) made from `oya` to `ko`: the single-step
// counts of `ko` into hopl1 / hopl2 and its piece squares into syurui. Only
// the moved, captured or dropped piece changes its steps. The king squares
// come in as the parent's and change only when a king moves.
template <int M>
inline void hoSasu(const Ban& oya, const KikiHo& ho, const Ban& ko, int32_t moto, int32_t saki,
                   Kiki& hopl1, Kiki& hopl2, Syurui& syurui, int32_t& oupl1, int32_t& oupl2) {
  constexpr int O = 3 - M;
  hopl1 = ho.hopl1;
  hopl2 = ho.hopl2;
  syurui = ho.syurui;
  Kiki& aM = M == 1 ? hopl1 : hopl2;
  Kiki& aO = M == 1 ? hopl2 : hopl1;

  if (moto > 100) {
    const int kd = moto % 100;
    syurui.of(M, kd).set(saki);
    kiki::hoKiki<M, 1>(aM, saki, kd);
  } else if (moto != 0) {
    const int to = saki > 100 ? saki - 100 : saki;
    const int kOld = oya[moto] % 100;
    const int kNew = ko[to] % 100;
    const int32_t cap = oya[to];
    syurui.of(M, kOld).clear(moto);
    syurui.of(M, kNew).set(to);
    kiki::hoKiki<M, -1>(aM, moto, kOld);
    kiki::hoKiki<M, 1>(aM, to, kNew);
    if (kOld == OU) (M == 1 ? oupl1 : oupl2) = to;
    if (cap != 0) {
      syurui.of(O, cap % 100).clear(to);
      kiki::hoKiki<O, -1>(aO, to, cap % 100);
    }
  }
}

// The same move's full counts: its single steps, then every sliding line
// walked afresh on `ko`.
template <int M>
inline void kikiSasu(const Ban& oya, const KikiHo& ho, const Ban& ko, int32_t moto, int32_t saki,
                     Kiki& toripl1, Kiki& toripl2, Syurui& syurui, int32_t& oupl1,
                     int32_t& oupl2) {
  hoSasu<M>(oya, ho, ko, moto, saki, toripl1, toripl2, syurui, oupl1, oupl2);
  senKikiTasu(ko, syurui, toripl1, toripl2);
}

}  // namespace syougi

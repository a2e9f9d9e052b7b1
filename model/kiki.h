// The attack counting of `torisirabe`, split into what a piece reaches by
// single steps and what it reaches along its sliding lines, so that the
// search can update a parent's counts by one move instead of counting afresh.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// A step of a sliding line with its class's two bits for one side: passes
// through, supports.
struct HoukouSen {
  int d;
  uint32_t tooru, sasaeru;
};
template <int Side, Line L>
constexpr HoukouSen houkouSen(int d) {
  return {d, senBit<Side, L>(false), senBit<Side, L>(true)};
}

// The class of side Side's rook or bishop line stepping d.
constexpr Line senKata(int side, int d) {
  const int f = side == 1 ? -1 : 1;  // forward
  if (d == 10 || d == -10 || d == -f) return kRookOther;
  if (d == f) return kRookFwd;
  return d == 10 + f || d == -10 + f ? kBishopFwd : kBishopBack;
}

// One cell q of a sliding line: counted (sign +1 or -1), and the cell behind
// it too when the piece on q supports the line. Returns whether the line
// goes on past q.
inline bool senMasu(const Ban& b, Kiki& a, int q, const HoukouSen& h, int sign) {
  a[q] += sign;
  // Cells hold piece codes below 219; the mask only keeps the look-up
  // inside the table whatever a cell holds.
  const uint32_t f = kSen[b[q] & 255];
  if (f & h.tooru) return true;
  if (f & h.sasaeru) a[q + h.d] += sign;
  return false;
}

// Adds (Sign +1) or takes away (Sign -1) one sliding line.
template <int Side, Line L, int D, int Sign = 1>
inline void slide(const Ban& b, Kiki& a, int s) {
  constexpr HoukouSen h = houkouSen<Side, L>(D);
#pragma GCC unroll 8
  for (int d = 1; d <= 8; ++d)
    if (!senMasu(b, a, s + D * d, h, Sign)) return;
}
// A rook's or bishop's line, of its class.
template <int Side, int D, int Sign>
inline void senSlide(const Ban& b, Kiki& a, int s) {
  slide<Side, senKata(Side, D), D, Sign>(b, a, s);
}

template <int Side, int Sign = 1>
inline void rookLines(const Ban& b, Kiki& a, int s) {
  constexpr int F = Side == 1 ? -1 : 1;  // forward
  senSlide<Side, -10, Sign>(b, a, s);
  senSlide<Side, 10, Sign>(b, a, s);
  senSlide<Side, F, Sign>(b, a, s);
  senSlide<Side, -F, Sign>(b, a, s);
}

template <int Side, int Sign = 1>
inline void bishopLines(const Ban& b, Kiki& a, int s) {
  constexpr int F = Side == 1 ? -1 : 1;
  senSlide<Side, -10 + F, Sign>(b, a, s);
  senSlide<Side, 10 + F, Sign>(b, a, s);
  senSlide<Side, -10 - F, Sign>(b, a, s);
  senSlide<Side, 10 - F, Sign>(b, a, s);
}

// The eight directions a line can take, rook's first: x lies on direction i
// from s when x - s is a multiple 1..8 of kHoukou[i] (a line may stop before).
inline constexpr int kHoukou[8] = {-10, 10, -1, 1, -11, 9, -9, 11};
// For x - s, the direction x lies on from s (-1 for none) and how many
// steps along it.
struct HoukouKyori {
  int8_t houkou = -1;
  int8_t kyori = 0;
};
constexpr std::array<HoukouKyori, 223> makeHoukouSa() {
  std::array<HoukouKyori, 223> t{};
  for (int i = 0; i < 8; ++i)
    for (int k = 1; k <= 8; ++k)
      t[111 + k * kHoukou[i]] = {static_cast<int8_t>(i), static_cast<int8_t>(k)};
  return t;
}
inline constexpr std::array<HoukouKyori, 223> kHoukouSa = makeHoukouSa();
constexpr int houkouOf(int s, int x) { return kHoukouSa[111 + x - s].houkou; }
constexpr int kyoriOf(int s, int x) { return kHoukouSa[111 + x - s].kyori; }

// The eight directions of kHoukou with their classes for side `Side`.
template <int Side>
constexpr std::array<HoukouSen, 8> makeHoukouSen() {
  std::array<HoukouSen, 8> t{};
  for (int i = 0; i < 8; ++i) {
    const int d = kHoukou[i];
    switch (senKata(Side, d)) {
      case kRookFwd: t[i] = houkouSen<Side, kRookFwd>(d); break;
      case kRookOther: t[i] = houkouSen<Side, kRookOther>(d); break;
      case kBishopFwd: t[i] = houkouSen<Side, kBishopFwd>(d); break;
      default: t[i] = houkouSen<Side, kBishopBack>(d); break;
    }
  }
  return t;
}
template <int Side>
inline constexpr std::array<HoukouSen, 8> kHoukouSen = makeHoukouSen<Side>();

// The change of one line of a rook or dragon (i < 4) or a bishop or horse
// (i >= 4) from s whose first changed cell is k steps away, each line with
// its class for side `Side`. The cells before it are the same on both
// boards, so the line is the same up to there; if it stops before it, the
// line does not change at all. From there on the old line comes off and the
// new one goes on. The direction is looked up, not switched on: which one a
// move changes follows no pattern.
template <int Side>
inline void senHoukouSa(const Ban& oya, const Ban& ko, Kiki& a, int s, int i, int k) {
  const HoukouSen h = kHoukouSen<Side>[i];
  for (int d = 1; d < k; ++d)
    if (!(kSen[ko[s + h.d * d] & 255] & h.tooru)) return;
  const auto kara = [&](const Ban& b, int sign) {
    for (int q = s + h.d * k, d = k; d <= 8; ++d, q += h.d)
      if (!senMasu(b, a, q, h, sign)) return;
  };
  kara(oya, -1);
  kara(ko, 1);
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

// The same steps as one row of cells: for each side and kind, +1 on the
// cells a piece reaches from cell 48. A piece's steps lie within 12 cells
// of it, so three runs of sixteen cells from a multiple of sixteen at most
// 27 cells before it hold them all.
constexpr std::array<std::array<std::array<int8_t, 96>, 19>, 2> makeHoRetu() {
  std::array<std::array<std::array<int8_t, 96>, 19>, 2> t{};
  for (int side = 0; side < 2; ++side) {
    const int f = side == 0 ? 1 : -1;
    for (int k = 0; k < 19; ++k) {
      for (int i = 0; i < kSteps[k].n; ++i) t[side][k][48 + f * kSteps[k].d[i]] = 1;
    }
  }
  return t;
}
alignas(64) inline constexpr auto kHoRetu = makeHoRetu();

// hoKiki by rows of sixteen cells: the three runs of sixteen cells from the
// one holding s - 12, or the last three of the counts. They are the runs a
// copy of the counts writes, so that what the copy just wrote reaches them
// without waiting for memory. A piece in play has its steps inside them (a
// side-1 knight stands on rank 3 or below, a side-2 one on rank 7 or
// above).
template <int Side, int Sign>
inline void hoKikiRetu(Kiki& a, int s, int kind) {
#ifdef __SSE2__
  const int w0 = std::clamp((s - 12) >> 4, 0, 4) * 16;
  const int8_t* r = kHoRetu[Side - 1][kind].data() + 48 + w0 - s;
  auto* p = reinterpret_cast<__m128i*>(a.data() + w0);
#pragma GCC unroll 3
  for (int j = 0; j < 3; ++j) {
    const __m128i rj = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + 16 * j));
    const __m128i x = _mm_loadu_si128(p + j);
    _mm_storeu_si128(p + j, Sign > 0 ? _mm_add_epi8(x, rj) : _mm_sub_epi8(x, rj));
  }
#else
  hoKiki<Side, Sign>(a, s, kind);
#endif
}

// The sliding lines of a piece of `kind` on s.
template <int Side, int Sign = 1>
inline void senKiki(const Ban& b, Kiki& a, int s, int kind) {
  switch (kind) {
    case HI:
    case RY:
      rookLines<Side, Sign>(b, a, s);
      break;
    case KA:
    case UM:
      bishopLines<Side, Sign>(b, a, s);
      break;
    case KY:
      slide<Side, kLance, Side == 1 ? -1 : 1, Sign>(b, a, s);
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

  constexpr void set(int s) { w[s >> 6] |= uint64_t{1} << (s & 63); }
  constexpr void clear(int s) { w[s >> 6] &= ~(uint64_t{1} << (s & 63)); }
  constexpr bool has(int s) const { return (w[s >> 6] >> (s & 63) & 1) != 0; }
  bool operator==(const Komabit&) const = default;
  constexpr Komabit operator&(const Komabit& b) const { return {{w[0] & b.w[0], w[1] & b.w[1]}}; }
  constexpr Komabit operator~() const { return {{~w[0], ~w[1]}}; }

  // The cells of seven 16-cell masks, cells 0..111 in order: what a
  // comparison of the counts sixteen cells at a time gives.
  static Komabit ofBlocks(const uint64_t (&m)[7]) {
    Komabit r;
    r.w[0] = m[0] | m[1] << 16 | m[2] << 32 | m[3] << 48;
    r.w[1] = m[4] | m[5] << 16 | m[6] << 32;
    return r;
  }
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

// The board's cells of ranks lo..hi, and of file f.
constexpr Komabit danMasu(int lo, int hi) {
  Komabit b{};
  for (int f = 1; f <= 9; ++f)
    for (int r = lo; r <= hi; ++r) b.set(f * 10 + r);
  return b;
}
constexpr Komabit sujiMasu(int f) {
  Komabit b{};
  for (int r = 1; r <= 9; ++r) b.set(f * 10 + r);
  return b;
}

// The cells where count m is below count o.
inline Komabit kikiSitamawari(const Kiki& m, const Kiki& o) {
  Komabit r;
#ifdef __SSE2__
  uint64_t k[7];
  for (int i = 0; i < 7; ++i) {
    const auto ld = [&](const Kiki& a) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data() + i * 16));
    };
    k[i] = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmplt_epi8(ld(m), ld(o))));
  }
  r = Komabit::ofBlocks(k);
#else
  for (int s = 0; s < 112; ++s)
    if (m[s] < o[s]) r.set(s);
#endif
  return r;
}

// The cells a side attacks at all: its count there is above 0.
inline Komabit kikiAri(const Kiki& a) {
  Komabit r;
#ifdef __SSE2__
  const __m128i zero = _mm_setzero_si128();
  uint64_t m[7];
  for (int i = 0; i < 7; ++i) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a.data() + i * 16));
    m[i] = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpgt_epi8(x, zero)));
  }
  r = Komabit::ofBlocks(m);
#else
  for (int s = 0; s < 112; ++s)
    if (a[s] > 0) r.set(s);
#endif
  return r;
}

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

// The piece side M moved, dropped or captured by moto -> saki: its piece
// square, its single steps, and the king square when a king moves. A pass
// changes nothing.
template <int M>
inline void komaUgoku(const Ban& oya, const Ban& ko, int32_t moto, int32_t saki, Kiki& aM,
                      Kiki& aO, Syurui& syurui, int32_t& oupl1, int32_t& oupl2) {
  constexpr int O = 3 - M;
  const int to = sakiMasu(saki);
  if (moto > 100) {
    const int kd = kindOf(moto);
    syurui.of(M, kd).set(to);
    kiki::hoKikiRetu<M, 1>(aM, to, kd);
    return;
  }
  if (moto == 0) return;
  const int kOld = kindOf(oya[moto]);
  const int kNew = kindOf(ko[to]);
  const int32_t cap = oya[to];
  syurui.of(M, kOld).clear(moto);
  syurui.of(M, kNew).set(to);
  kiki::hoKikiRetu<M, -1>(aM, moto, kOld);
  kiki::hoKikiRetu<M, 1>(aM, to, kNew);
  if (kOld == OU) (M == 1 ? oupl1 : oupl2) = to;
  if (cap != 0) {
    const int kCap = kindOf(cap);
    syurui.of(O, kCap).clear(to);
    kiki::hoKikiRetu<O, -1>(aO, to, kCap);
  }
}

// Side M's move moto -> saki (saki + 100 when it promotes; moto = side*100 +
// kind for a drop; 0 for a pass) made from `oya` to `ko`: the single-step
// counts of `ko` into hopl1 / hopl2 and its piece squares into syurui. Only
// the moved, captured or dropped piece changes its steps. The king squares
// come in as the parent's and change only when a king moves.
template <int M>
inline void hoSasu(const Ban& oya, const KikiHo& ho, const Ban& ko, int32_t moto, int32_t saki,
                   Kiki& hopl1, Kiki& hopl2, Syurui& syurui, int32_t& oupl1, int32_t& oupl2) {
  hopl1 = ho.hopl1;
  hopl2 = ho.hopl2;
  syurui = ho.syurui;
  komaUgoku<M>(oya, ko, moto, saki, M == 1 ? hopl1 : hopl2, M == 1 ? hopl2 : hopl1,
                      syurui, oupl1, oupl2);
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

// For each cell x, the squares from which a line can pass x: on its file or
// rank (rooks and dragons), on its diagonals (bishops and horses), behind it
// on its file for each side's lances. Cell 0 stands for no cell.
struct SenKage {
  std::array<uint64_t, 2> juuji{};
  std::array<uint64_t, 2> naname{};
  std::array<std::array<uint64_t, 2>, 2> yari{};  // [side - 1]
};
constexpr std::array<SenKage, 112> makeSenKage() {
  std::array<SenKage, 112> t{};
  for (int x = 1; x < 112; ++x) {
    for (int s = 11; s <= 99; ++s) {
      const int i = kiki::houkouOf(s, x);
      if (i < 0) continue;
      const uint64_t b = uint64_t{1} << (s & 63);
      if (i < 4) t[x].juuji[s >> 6] |= b;
      if (i >= 4) t[x].naname[s >> 6] |= b;
      if (i == 2) t[x].yari[0][s >> 6] |= b;  // side 1's lance moves toward rank 1
      if (i == 3) t[x].yari[1][s >> 6] |= b;
    }
  }
  return t;
}
inline constexpr std::array<SenKage, 112> kSenKage = makeSenKage();

// Side's sliders in word w of the cells whose lines could pass cell c,
// were nothing in the way.
template <int Side>
inline uint64_t senKage(const Syurui& y, int c, int w) {
  const auto& g = y.b[Side - 1];
  const SenKage& k = kSenKage[c];
  return (g[kRuiHisya].w[w] & k.juuji[w]) | (g[kRuiKaku].w[w] & k.naname[w]) |
         (g[kRuiKyou].w[w] & k.yari[Side - 1][w]);
}

// The lines of side Side's sliders, other than one on c itself, that pass
// cell c, whose piece changed: walked again, off on `oya` and on on `ko`. A
// line that does not pass c is the same on both boards, and a cell no line
// of the side passed has no count of the side (`oyaA`). A slider is found
// only on the lines of its own kind through c, so each has the one
// direction toward it.
// Kept inline in its callers, which the compiler had stopped doing.
template <int Side>
[[gnu::always_inline]] inline void senSa(const Ban& oya, const Ban& ko, Kiki& a,
                                         const Kiki& oyaA, const Syurui& y, int c) {
  if (oyaA[c] == 0) return;
  for (int w = 0; w < 2; ++w) {
    for (uint64_t x = senKage<Side>(y, c, w); x != 0; x &= x - 1) {
      const int s = w * 64 + std::countr_zero(x);
      kiki::senHoukouSa<Side>(oya, ko, a, s, kiki::houkouOf(s, c), kiki::kyoriOf(s, c));
    }
  }
}

// A board move in two halves, each an update by one changed cell, so that
// the moves of one piece can share the first: kikiUku lifts side M's piece
// off moto into an Uki, kikiOku puts it on saki from there.
struct Uki {
  int32_t moto = 0;  // the square lifted from; 0 when none is kept
  Ban ban{};         // the parent's board with moto empty
  // The counts without the piece, on cache lines of their own as a ply's
  // are, wherever the Uki was put.
  alignas(64) Kiki a1{};
  alignas(64) Kiki a2{};
  Syurui y{};  // the piece squares without it
};

template <int M>
inline void kikiUku(const Ban& oya, const Kiki& oya1, const Kiki& oya2, const Syurui& oyaY,
                    int32_t moto, Uki& u) {
  u.moto = moto;
  banUtusu(u.ban, oya);
  u.ban[moto] = 0;
  u.a1 = oya1;
  u.a2 = oya2;
  u.y = oyaY;
  // The steps' rows first, while the copy's stores are whole.
  const int kd = kindOf(oya[moto]);
  Kiki& aM = M == 1 ? u.a1 : u.a2;
  kiki::hoKikiRetu<M, -1>(aM, moto, kd);
  u.y.of(M, kd).clear(moto);
  senSa<1>(oya, u.ban, u.a1, oya1, oyaY, moto);
  senSa<2>(oya, u.ban, u.a2, oya2, oyaY, moto);
  kiki::senKiki<M, -1>(oya, aM, moto, kd);
}

// The piece lifted into u put on saki (saki + 100 when it promotes) on `ko`,
// taking what stood there.
template <int M>
inline void kikiOku(const Uki& u, const Ban& ko, int32_t saki, Kiki& toripl1, Kiki& toripl2,
                    Syurui& syurui, int32_t& oupl1, int32_t& oupl2) {
  constexpr int O = 3 - M;
  const int to = sakiMasu(saki);
  toripl1 = u.a1;
  toripl2 = u.a2;
  syurui = u.y;
  Kiki& aM = M == 1 ? toripl1 : toripl2;
  Kiki& aO = M == 1 ? toripl2 : toripl1;
  const int kNew = kindOf(ko[to]);
  const int32_t cap = u.ban[to];
  const int kCap = kindOf(cap);
  // The steps' rows first, while the copy's stores are whole.
  kiki::hoKikiRetu<M, 1>(aM, to, kNew);
  if (cap != 0) kiki::hoKikiRetu<O, -1>(aO, to, kCap);
  // A slider taken on `to` is not walked here: its lines come off below.
  senSa<1>(u.ban, ko, toripl1, u.a1, u.y, to);
  senSa<2>(u.ban, ko, toripl2, u.a2, u.y, to);
  syurui.of(M, kNew).set(to);
  kiki::senKiki<M, 1>(ko, aM, to, kNew);
  if (kNew == OU) (M == 1 ? oupl1 : oupl2) = to;  // a king does not promote
  if (cap != 0) {
    syurui.of(O, kCap).clear(to);
    kiki::senKiki<O, -1>(u.ban, aO, to, kCap);
  }
}

// The same counts as kikiSasu, from the parent's full counts oya1 / oya2 and
// piece squares oyaY: a drop's steps and lines and the other lines through
// its cell; a board move lifted and put down. A pass leaves them as they
// were.
template <int M>
inline void kikiSasuSa(const Ban& oya, const Kiki& oya1, const Kiki& oya2, const Syurui& oyaY,
                       const Ban& ko, int32_t moto, int32_t saki, Kiki& toripl1, Kiki& toripl2,
                       Syurui& syurui, int32_t& oupl1, int32_t& oupl2) {
  if (moto > 0 && moto < 100) {
    Uki u;
    kikiUku<M>(oya, oya1, oya2, oyaY, moto, u);
    kikiOku<M>(u, ko, saki, toripl1, toripl2, syurui, oupl1, oupl2);
    return;
  }
  toripl1 = oya1;
  toripl2 = oya2;
  syurui = oyaY;
  if (moto == 0) return;
  // The dropped piece's steps first, while the copy's stores are whole.
  Kiki& aM = M == 1 ? toripl1 : toripl2;
  komaUgoku<M>(oya, ko, moto, saki, aM, M == 1 ? toripl2 : toripl1, syurui, oupl1, oupl2);
  kiki::senKiki<M, 1>(ko, aM, saki, kindOf(moto));
  senSa<1>(oya, ko, toripl1, oya1, oyaY, saki);
  senSa<2>(oya, ko, toripl2, oya2, oyaY, saki);
}

// What keeps side M's king attacked whatever a move does, found once per
// position, so that a move that leaves it attacked is known before its
// counts are made. Each attack found is one that a move can end only by
// landing on its cells; an attack not found only means less is known.
struct OuKugi {
  int32_t ou = -1;    // M's king square, -1 when it has none
  bool aru = false;   // the king is attacked, or a piece of M's is pinned
  bool oute = false;  // the king is attacked now
  // Attacked: the cells a move must land on to end every attack found (a
  // stepping attacker's own; a line's cells up to and including its slider).
  Komabit tome;
  // The pieces of M alone between the king and a slider of O's, and per
  // direction from the king the cells of that line.
  Komabit kugi;
  std::array<Komabit, 8> miti{};
};

// Finds them on board b with O's counts aO and the piece squares y, M's
// king on ou.
template <int M>
inline void ouKugi(const Ban& b, const Kiki& aO, const Syurui& y, int32_t ou, OuKugi& k) {
  constexpr int O = 3 - M;
  k.ou = -1;
  k.aru = false;
  if (!isSquare(ou)) return;
  k.ou = ou;
  k.oute = aO[ou] > 0;
  k.tome = ~Komabit{};
  k.kugi = Komabit{};
  if (k.oute) {
    // O's pieces that reach the king by a step: only taking them ends it.
    for (const int e : {-12, -11, -10, -9, -8, -1, 1, 8, 9, 10, 11, 12}) {
      const int x = ou + e;
      if (x < 0 || x >= 112 || !sideIs<O>(b[x])) continue;
      if (kiki::kHoRetu[O - 1][kindOf(b[x])][48 - e] == 0) continue;
      Komabit t;
      t.set(x);
      k.tome = k.tome & t;
    }
  }
  // Only the directions toward O's sliders that could reach the king.
  for (int w = 0; w < 2; ++w) {
    for (uint64_t xs = senKage<O>(y, ou, w); xs != 0; xs &= xs - 1) {
      const int s = w * 64 + std::countr_zero(xs);
      const int i = kiki::houkouOf(ou, s);
      const int e = kiki::kHoukou[i];
      // The class of O's line coming toward the king, opposite to e.
      const kiki::HoukouSen& h = kiki::kHoukouSen<O>[i ^ (i < 4 ? 1 : 3)];
      Komabit miti;
      int aida = 0;  // M's one piece on the line, if any
      for (int x = ou + e;; x += e) {
        const int32_t c = b[x];
        if (x == s) {
          miti.set(x);
          if (aida == 0) {
            if (k.oute) k.tome = k.tome & miti;
          } else {
            k.kugi.set(aida);
            k.miti[i] = miti;
          }
          break;
        }
        if (kiki::kSen[c & 255] & h.tooru) {
          miti.set(x);
          continue;
        }
        if (aida != 0 || !sideIs<M>(c)) break;
        aida = x;
      }
    }
  }
  k.aru = k.oute || k.kugi.w[0] != 0 || k.kugi.w[1] != 0;
}

// Whether side M's move moto -> saki surely leaves its king attacked: a
// king moving onto an attacked cell (the king never blocks O's lines, so
// the count there stays), a piece leaving the line it blocks, or any move
// that does not end an attack found.
inline bool ouSarasu(const OuKugi& k, const Kiki& aO, int32_t moto, int32_t saki) {
  const int to = sakiMasu(saki);
  if (moto == k.ou) return aO[to] > 0;
  if (!k.aru || moto == 0) return false;
  if (moto < 100 && k.kugi.has(moto) && !k.miti[kiki::houkouOf(k.ou, moto)].has(to)) return true;
  return k.oute && !k.tome.has(to);
}

}  // namespace syougi

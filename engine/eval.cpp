#include "engine/eval.h"

#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "model/simd.h"
#ifdef SYOUGI_X86_SIMD
#include <immintrin.h>
#endif

namespace syougi {

Sennkei sennkeiOf(const std::string& name) {
  if (name == "mitei") return Sennkei::kMitei;
  if (name == "ibimi") return Sennkei::kIbimi;
  if (name == "yagmi") return Sennkei::kYagmi;
  if (name == "yagji") return Sennkei::kYagji;
  if (name == "hunag") return Sennkei::kHunag;
  if (name == "totik") return Sennkei::kTotik;
  return Sennkei::kSonota;
}

namespace {

// Hand bonus by kind 2..8: [kind][0] for one piece, [kind][1] for more.
constexpr int32_t kMotiBonus[9][2] = {{0, 0},   {0, 0},   {25, 35}, {25, 35}, {20, 30},
                                      {20, 30}, {20, 30}, {15, 25}, {20, 30}};

struct Kinbou {
  int d;
  int c;
};
// King neighbours in the order they are scored, with their weights.
constexpr Kinbou kKinbou1[8] = {{10, 4}, {-10, 4}, {-11, 5}, {-1, 6},
                                {9, 5},  {11, 2},  {1, 2},   {-9, 2}};
constexpr Kinbou kKinbou2[8] = {{10, 4}, {-10, 4}, {11, 5}, {1, 6},
                                {-9, 5}, {-11, 2}, {-1, 2}, {9, 2}};

// The same weights in the order of the three rows of four cells from k-11,
// k-1 and k+9; cells that are not neighbours weigh 0.
constexpr std::array<int16_t, 16> makeKinbouRetu(const Kinbou (&kb)[8]) {
  std::array<int16_t, 16> t{};
  for (const Kinbou& n : kb) {
    const int i = n.d < -5 ? n.d + 11 : n.d < 5 ? n.d + 5 : n.d - 1;
    t[i] = static_cast<int16_t>(n.c);
  }
  return t;
}
constexpr std::array<int16_t, 16> kKinbouRetu1 = makeKinbouRetu(kKinbou1);
constexpr std::array<int16_t, 16> kKinbouRetu2 = makeKinbouRetu(kKinbou2);

// One side-1 piece of group R on s: its own terms.
template <int R>
inline void koma1(const Ban& B, const Kiki& A1, const Kiki& A2, const Basyo& ba, int ouDan2,
                  int s, int32_t& kouho) {
  const auto& w1 = ba.basyo1;
  const int32_t p = B[s];
  const int32_t v = komaten[p];
  const int32_t t = ba.teban;
  const int r = rankOf(s);
  // The conditions are taken as 0 or 1 rather than branched on: they follow
  // no pattern from one piece to the next.
  kouho += (A1[s] < A2[s]) * (w1[s] * v / 250);
  if constexpr (R == kRuiFu) {
    kouho -= w1[s] * v / (A2[s] * 10 + 40);
    // s-2 >= 9 and s-1 >= 10: a side-1 pawn is never on rank 1 and the
    // cells above rank 1 are inside the board array anyway.
    const int32_t w = w1[s - 1];
    kouho -= ((int{side2(B[s - 2])} | int{side2(B[s - 1])}) & int{B[s - 2] != 208}) * (w / 2);
    const int32_t mae = r == 5 ? w / 2 : r >= 2 && r <= 4 ? static_cast<int16_t>(w * 2) : 0;
    kouho -= (int{A1[s - 1] > A2[s - 1]} & int{!side1(B[s - 1])}) * mae;
  } else if constexpr (R == kRuiKin) {
    kouho -= w1[s] * v / (A2[s] * 10 + 40);
  } else if constexpr (R == kRuiKyou) {
    kouho -= w1[s - r] * v / (A2[s] * 10 + 40) + r * 2;
  } else if constexpr (R == kRuiKaku) {
    kouho -= v - v * A2[s] / 5;
    kouho -= (p == 113) * w1[s];
    kouho -= t * ((B[s + 9] == 0) + (B[s - 11] == 0) + (B[s - 9] == 0) + (B[s + 11] == 0));
  } else if constexpr (R == kRuiHisya) {
    kouho -= v - v * A2[s] / 5;
    kouho -= t * ((B[s + 1] == 0) + (B[s - 1] == 0) + (B[s + 10] == 0) + (B[s - 10] == 0));
    if (ouDan2 <= 3) {
      if (r == 1)
        kouho -= 30;
      else if (r == 2)
        kouho -= 20;
    }
  }
}

// One side-2 piece of group R on s: its own terms.
template <int R>
inline void koma2(const Ban& B, const Kiki& A1, const Kiki& A2, const Basyo& ba, int ouDan1,
                  int s, int32_t& kouho) {
  const auto& w2 = ba.basyo2;
  const int32_t p = B[s];
  const int32_t v = komaten[p];
  const int32_t t = ba.teban;
  const int r = rankOf(s);
  kouho -= (A2[s] < A1[s]) * (w2[s] * v / 250);
  if constexpr (R == kRuiFu) {
    kouho += w2[s] * v / (A1[s] * 10 + 40);
    // s+2 <= 101: inside the board array.
    // A side-1 pawn two ahead: then a side-1 piece stands on s+1 or s+2.
    const int32_t w = w2[s + 1];
    kouho += (B[s + 2] == 108) * (w / 2);
    const int32_t mae = r == 5 ? w / 2 : r >= 6 && r <= 8 ? static_cast<int16_t>(w * 2) : 0;
    kouho += (int{A2[s + 1] > A1[s + 1]} & int{!side2(B[s + 1])}) * mae;
  } else if constexpr (R == kRuiKin) {
    kouho += w2[s] * v / (A1[s] * 10 + 40);
  } else if constexpr (R == kRuiKyou) {
    kouho += w2[s - r] * v / (A1[s] * 10 + 40) - r * 2 + 20;
  } else if constexpr (R == kRuiKaku) {
    kouho += v - v * A1[s] / 5;
    kouho += (p == 213) * w2[s];
    kouho += t * ((B[s + 9] == 0) + (B[s - 11] == 0) + (B[s - 9] == 0) + (B[s + 11] == 0));
  } else if constexpr (R == kRuiHisya) {
    kouho += v - v * A1[s] / 5;
    kouho += t * ((B[s + 1] == 0) + (B[s - 1] == 0) + (B[s + 10] == 0) + (B[s - 10] == 0));
    if (ouDan1 >= 7) {
      if (r == 9)
        kouho += 30;
      else if (r == 8)
        kouho += 20;
    }
  }
}

// What a piece's own terms read: the board, both sides' counts, the weights
// and each king's rank.
struct KomaBa {
  KomaBa(const Men& m, const Basyo& basyo)
      : B(m.aru), A1(m.toripl1), A2(m.toripl2), ba(basyo),
        ouDan1(rankOf(m.oupl1)), ouDan2(rankOf(m.oupl2)) {}
  // The own terms of Side's piece of group R on s.
  template <int Side, int R>
  int32_t ten(int s) const {
    int32_t k = 0;
    if constexpr (Side == 1) {
      koma1<R>(B, A1, A2, ba, ouDan2, s, k);
    } else {
      koma2<R>(B, A1, A2, ba, ouDan1, s, k);
    }
    return k;
  }
  const Ban& B;
  const Kiki& A1;
  const Kiki& A2;
  const Basyo& ba;
  int ouDan1, ouDan2;
};

// Side's pieces of group R on the cells x of word i: the sum of f(s, own
// terms) over them.
template <int Side, int R, class F>
inline int32_t ruiGoto(const KomaBa& kb, uint64_t x, int i, F& f) {
  int32_t sum = 0;
  for (; x != 0; x &= x - 1) {
    const int s = i * 64 + std::countr_zero(x);
    sum += f(s, kb.ten<Side, R>(s));
  }
  return sum;
}

// The same over every group of Side's pieces on the cells of `masu`. A
// word of `masu` with no cell skips its six group loops: a move changes the
// terms of about two pieces, so most words of a side's changed cells are
// empty.
template <int Side, class F>
inline int32_t zenRuiGoto(const KomaBa& kb, const Syurui& y, const Komabit& masu, F&& f) {
  const auto& g = y.b[Side - 1];
  int32_t sum = 0;
  for (int i = 0; i < 2; ++i) {
    const uint64_t m = masu.w[i];
    if (m == 0) continue;
    sum += ruiGoto<Side, kRuiOu>(kb, m & g[kRuiOu].w[i], i, f) +
           ruiGoto<Side, kRuiFu>(kb, m & g[kRuiFu].w[i], i, f) +
           ruiGoto<Side, kRuiKyou>(kb, m & g[kRuiKyou].w[i], i, f) +
           ruiGoto<Side, kRuiKaku>(kb, m & g[kRuiKaku].w[i], i, f) +
           ruiGoto<Side, kRuiHisya>(kb, m & g[kRuiHisya].w[i], i, f) +
           ruiGoto<Side, kRuiKin>(kb, m & g[kRuiKin].w[i], i, f);
  }
  return sum;
}

// Both sides' pieces on the cells of `masu`.
template <class F>
inline int32_t zenRuiGoto(const KomaBa& kb, const Syurui& y, const Komabit& masu, F&& f) {
  return zenRuiGoto<1>(kb, y, masu, f) + zenRuiGoto<2>(kb, y, masu, f);
}

// Every cell.
constexpr Komabit kZenMasu = [] {
  Komabit b;
  b.w[0] = b.w[1] = ~uint64_t{0};
  return b;
}();

// An empty neighbour on one side of the king that the enemy does not attack.
// Every cell is read: the tests are cheaper than the branches they would take.
inline bool akiRow(const Ban& B, const Kiki& teki, int a, int b, int c) {
  return (int{(B[a] | teki[a]) == 0} | int{(B[b] | teki[b]) == 0} |
          int{(B[c] | teki[c]) == 0}) != 0;
}

void senkeiTen(const Ban& B, Sennkei sk, int32_t& kouho) {
  switch (sk) {
    case Sennkei::kMitei:
      if (B[41] == 204) kouho += 20;
      if (B[61] == 204) kouho += 20;
      break;
    case Sennkei::kIbimi:
      if (B[31] == 205) kouho -= 10;
      if (B[71] == 205) kouho -= 10;
      break;
    case Sennkei::kYagmi:
      if (B[41] == 201) kouho += 10;
      if (B[32] == 204) kouho += 15;
      if (B[52] == 204) kouho += 10;
      if (B[43] == 204) kouho += 15;
      if (B[33] == 205) kouho += 15;
      if (B[31] == 205) kouho -= 10;
      if (B[71] == 205) kouho -= 10;
      if (B[23] == 208) kouho += 20;
      break;
    case Sennkei::kYagji:
      if (B[22] == 201) kouho += 20;
      if (B[72] == 202) kouho += 10;
      if (B[84] == 202) kouho += 10;
      if (B[22] == 203) kouho -= 5;
      if (B[42] == 203) kouho += 5;
      if (B[64] == 203) kouho += 5;
      if (B[32] == 204) kouho += 15;
      if (B[43] == 204) kouho += 10;
      if (B[33] == 205) kouho += 15;
      if (B[42] == 205) kouho += 5;
      if (B[31] == 205) kouho -= 10;
      if (B[71] == 205) kouho -= 10;
      if (B[21] == 206) kouho += 5;
      if (B[23] == 208) kouho += 15;
      break;
    case Sennkei::kHunag:
      if (B[42] == 201) kouho += 20;
      if (B[22] == 203) kouho += 20;
      if (B[31] == 206) kouho += 20;
      break;
    case Sennkei::kTotik:
      if (B[32] == 201) kouho += 10;
      if (B[21] == 201) {
        kouho += B[31] == 204 ? 30 : 20;
        if (B[32] == 204) kouho += 10;
        if (B[22] == 205) kouho += 10;
        if (B[23] == 205) kouho += 15;
        if (B[42] == 205) kouho += 10;
      }
      if (B[84] == 202) kouho += 10;
      if (B[53] == 203) kouho += 5;
      if (B[22] == 203) kouho -= 30;
      break;
    case Sennkei::kSonota:
      break;
  }
}

// The king terms of side Side: room on the rows before and behind the king,
// and the enemy's counts on its neighbours. They read the board and both
// counts on the king's eight neighbours alone.
template <int Side>
int32_t ouTen(const Men& m, const Basyo& basyo, Sennkei sennkei) {
  const Ban& B = m.aru;
  const Kiki& A = Side == 1 ? m.toripl1 : m.toripl2;  // the king's side
  const Kiki& T = Side == 1 ? m.toripl2 : m.toripl1;  // the enemy's
  const int32_t k = Side == 1 ? m.oupl1 : m.oupl2;
  const int32_t t = Side == 1 ? -basyo.teban : basyo.teban;
  // A king square that is not on the board (no king) has no neighbours to
  // look at; reading around it would leave the arrays.
  if (!isSquare(k)) return 0;
  int32_t kouho = 0;
  if (sennkei != Sennkei::kTotik) {
    if (akiRow(B, T, k + 11, k + 10, k + 9)) kouho += t * 10;
    if (akiRow(B, T, k - 11, k - 10, k - 9)) kouho += t * 10;
  }
  // Every neighbour is scored, off-board cells too: the attack detection
  // counts the first off-board cell of a sliding line, and it clears every
  // cell, so the counts there are this board's own.
#ifdef __SSE2__
  // The three rows around the king, four cells each from k-11, k-1 and k+9,
  // widened to 16 bits; the cells that are not neighbours weigh 0.
  const auto rows = [k](const Kiki& x) {
    const auto at = [&](int i) {
      int32_t v;
      std::memcpy(&v, x.data() + k + i, 4);
      return v;
    };
    return _mm_setr_epi32(at(-11), at(-1), at(9), 0);
  };
  const __m128i zero = _mm_setzero_si128();
  const __m128i tv = rows(T), av = rows(A);
  // Attacked, a neighbour weighs its count plus one, and one more where the
  // king's side does not attack it more often.
  const auto bai = [&](__m128i a, __m128i own) {
    const __m128i ijou = _mm_cmpgt_epi16(own, a);  // -1 where the enemy attacks less
    const __m128i x = _mm_add_epi16(_mm_add_epi16(a, _mm_set1_epi16(2)), ijou);
    return _mm_and_si128(x, _mm_cmpgt_epi16(a, zero));
  };
  const auto& w = Side == 1 ? kKinbouRetu1 : kKinbouRetu2;
  const __m128i wLo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w.data()));
  const __m128i wHi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w.data() + 8));
  __m128i sum = _mm_add_epi32(
      _mm_madd_epi16(bai(_mm_unpacklo_epi8(tv, zero), _mm_unpacklo_epi8(av, zero)), wLo),
      _mm_madd_epi16(bai(_mm_unpackhi_epi8(tv, zero), _mm_unpackhi_epi8(av, zero)), wHi));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
  kouho -= t * _mm_cvtsi128_si32(sum);
#else
  for (const Kinbou& kb : Side == 1 ? kKinbou1 : kKinbou2) {
    const int n = k + kb.d;
    const int32_t a = T[n];
    // Attacked, a neighbour weighs its count plus one, and one more where
    // the king's side does not attack it more often.
    const int32_t bai = (a + 1 + (a >= A[n])) * (a > 0);
    kouho -= t * bai * kb.c;
  }
#endif
  return kouho;
}

// The terms that are not a piece's own nor the hands': king room and
// neighbours, and strategy.
void nokoriTen(const Men& m, const Basyo& basyo, Sennkei sennkei, int32_t& kouho) {
  kouho += ouTen<1>(m, basyo, sennkei) + ouTen<2>(m, basyo, sennkei);
  senkeiTen(m.aru, sennkei, kouho);
}

// The term of n pieces in hand cell h (side*10 + kind, kind 2..8).
int32_t motiKoma(int h, int32_t n) {
  if (n <= 0) return 0;
  const int k = mod10(h);
  const int32_t v = kMotiBonus[k][n > 1 ? 1 : 0] + komaten[100 + k] * n;
  return h < 20 ? -v : v;
}

// The pieces in hand.
int32_t motiTen(const Mochi& kouholl2) {
  int32_t kouho = 0;
  for (int k = 2; k <= 8; ++k) {
    const int32_t n1 = kouholl2[10 + k];
    if (n1 > 0) kouho -= kMotiBonus[k][n1 > 1 ? 1 : 0] + komaten[100 + k] * n1;
    const int32_t n2 = kouholl2[20 + k];
    if (n2 > 0) kouho += kMotiBonus[k][n2 > 1 ? 1 : 0] + komaten[200 + k] * n2;
  }
  return kouho;
}

// Cells whose piece term reads cell q of the board, by the kind that reads
// it: [0] a side-1 pawn (two cells ahead), [1] a side-2 pawn, [2] a bishop
// or horse (diagonal neighbours), [3] a rook or dragon (orthogonal ones).
constexpr std::array<std::array<Komabit, 4>, 112> makeBanKage() {
  std::array<std::array<Komabit, 4>, 112> t{};
  constexpr int d[4][4] = {{1, 2, 1, 2}, {-1, -2, -1, -2}, {9, -9, 11, -11}, {1, -1, 10, -10}};
  for (int q = 0; q < 112; ++q) {
    for (int k = 0; k < 4; ++k) {
      for (int x : d[k]) {
        const int s = q + x;
        if (s >= 11 && s <= 99) t[q][k].set(s);
      }
    }
  }
  return t;
}
constexpr std::array<std::array<Komabit, 4>, 112> kBanKage = makeBanKage();

// Each cell alone.
constexpr std::array<Komabit, 112> kHitotu = [] {
  std::array<Komabit, 112> t{};
  for (int s = 0; s < 112; ++s) t[s].set(s);
  return t;
}();

// The eight neighbours of each square: what a king's terms read.
constexpr std::array<Komabit, 112> makeKinbouMasu() {
  std::array<Komabit, 112> t{};
  for (int k = 11; k <= 99; ++k) {
    for (const Kinbou& kb : kKinbou1) {
      const int n = k + kb.d;
      t[k].set(n);
    }
  }
  return t;
}
constexpr std::array<Komabit, 112> kKinbouMasu = makeKinbouMasu();

// Every cell a strategy's terms read.
constexpr Komabit makeSenkeiMasu() {
  Komabit b{};
  for (int s : {21, 22, 23, 31, 32, 33, 41, 42, 43, 52, 53, 61, 64, 71, 72, 84})
    b.set(s);
  return b;
}
constexpr Komabit kSenkeiMasu = makeSenkeiMasu();

// Where a pawn's terms read the counts ahead of it, and where a rook's read
// the enemy king's rank.
constexpr Komabit kFuMae1 = danMasu(2, 5);
constexpr Komabit kFuMae2 = danMasu(5, 8);
constexpr Komabit kHisyaDan1 = danMasu(1, 2);
constexpr Komabit kHisyaDan2 = danMasu(8, 9);

// Adds to d the pieces whose terms read board cell q (not q itself).
inline void banKage(const Syurui& y, int q, Komabit& d) {
  const auto& k = kBanKage[q];
  for (int i = 0; i < 2; ++i) {
    d.w[i] |= (k[0].w[i] & y.b[0][kRuiFu].w[i]) | (k[1].w[i] & y.b[1][kRuiFu].w[i]) |
            (k[2].w[i] & (y.b[0][kRuiKaku].w[i] | y.b[1][kRuiKaku].w[i])) |
            (k[3].w[i] & (y.b[0][kRuiHisya].w[i] | y.b[1][kRuiHisya].w[i]));
  }
}

// How the counts of two positions differ, as cells: where each side's count
// changed, and where "side 1 attacks less" or "side 1 attacks more" changed
// truth. A piece's terms read the enemy's count on its square and whether
// its side is outnumbered there; a change of its own side's count alone
// leaves them as they were.
struct KikiSa {
  Komabit sa1, sa2;  // toripl1, toripl2 changed
  Komabit lt, gt;    // toripl1 < toripl2, toripl1 > toripl2 changed truth
};
// The same sixteen cells at a time: every x86-64 has SSE2.
inline KikiSa kikiSaKihon(const Men& a, const Men& b) {
  KikiSa r{};
#ifdef __SSE2__
  // The masks are gathered in scalars: kept in memory word by word and read
  // back two words at a time they would stall.
#pragma GCC unroll 7
  for (int i = 0; i < 7; ++i) {
    const auto ld = [&](const Kiki& k) {
      return _mm_load_si128(reinterpret_cast<const __m128i*>(k.data() + i * 16));
    };
    const __m128i a1 = ld(a.toripl1), a2 = ld(a.toripl2);
    const __m128i b1 = ld(b.toripl1), b2 = ld(b.toripl2);
    const int w = i / 4, sh = i % 4 * 16;
    const auto put = [&](Komabit& k, int mask) {
      k.w[w] |= static_cast<uint64_t>(static_cast<uint32_t>(mask) & 0xFFFFu) << sh;
    };
    put(r.sa1, ~_mm_movemask_epi8(_mm_cmpeq_epi8(a1, b1)));
    put(r.sa2, ~_mm_movemask_epi8(_mm_cmpeq_epi8(a2, b2)));
    put(r.lt, _mm_movemask_epi8(_mm_xor_si128(_mm_cmplt_epi8(a1, a2), _mm_cmplt_epi8(b1, b2))));
    put(r.gt, _mm_movemask_epi8(_mm_xor_si128(_mm_cmpgt_epi8(a1, a2), _mm_cmpgt_epi8(b1, b2))));
  }
#else
  for (int s = 0; s < 112; ++s) {
    const uint64_t bit = uint64_t{1} << (s & 63);
    const auto x1 = a.toripl1[s], x2 = a.toripl2[s], y1 = b.toripl1[s], y2 = b.toripl2[s];
    if (x1 != y1) r.sa1.w[s >> 6] |= bit;
    if (x2 != y2) r.sa2.w[s >> 6] |= bit;
    if ((x1 < x2) != (y1 < y2)) r.lt.w[s >> 6] |= bit;
    if ((x1 > x2) != (y1 > y2)) r.gt.w[s >> 6] |= bit;
  }
#endif
  return r;
}

#ifdef SYOUGI_X86_SIMD
// Thirty-two cells at a time: cells 0..95 in three loads, 96..111 in a
// fourth of sixteen, the rest of it zero on both sides.
[[gnu::target("avx2"), gnu::noinline]] KikiSa kikiSaAvx2(const Men& a, const Men& b) {
  uint64_t s1[4], s2[4], lt[4], gt[4];
  for (int i = 0; i < 4; ++i) {
    __m256i x[4];
    const Kiki* k[4] = {&a.toripl1, &a.toripl2, &b.toripl1, &b.toripl2};
    for (int j = 0; j < 4; ++j) {
      x[j] = i < 3 ? _mm256_load_si256(reinterpret_cast<const __m256i*>(k[j]->data() + i * 32))
                   : _mm256_zextsi128_si256(
                         _mm_load_si128(reinterpret_cast<const __m128i*>(k[j]->data() + 96)));
    }
    const __m256i a1 = x[0], a2 = x[1], b1 = x[2], b2 = x[3];
    s1[i] = static_cast<uint32_t>(~_mm256_movemask_epi8(_mm256_cmpeq_epi8(a1, b1)));
    s2[i] = static_cast<uint32_t>(~_mm256_movemask_epi8(_mm256_cmpeq_epi8(a2, b2)));
    lt[i] = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_xor_si256(_mm256_cmpgt_epi8(a2, a1), _mm256_cmpgt_epi8(b2, b1))));
    gt[i] = static_cast<uint32_t>(_mm256_movemask_epi8(
        _mm256_xor_si256(_mm256_cmpgt_epi8(a1, a2), _mm256_cmpgt_epi8(b1, b2))));
  }
  KikiSa r;
  const auto put = [](Komabit& k, const uint64_t (&m)[4]) {
    k.w[0] = m[0] | m[1] << 32;
    k.w[1] = m[2] | m[3] << 32;
  };
  put(r.sa1, s1);
  put(r.sa2, s2);
  put(r.lt, lt);
  put(r.gt, gt);
  return r;
}

// Sixty-four cells at a time into mask registers: cells 64..111 are read
// under a mask, nothing past the counts.
[[gnu::target("avx512f,avx512bw"), gnu::noinline]] KikiSa kikiSaAvx512(const Men& a,
                                                                       const Men& b) {
  KikiSa r;
  for (int i = 0; i < 2; ++i) {
    const __mmask64 m = i == 0 ? ~__mmask64{0} : (__mmask64{1} << 48) - 1;
    const __m512i a1 = _mm512_maskz_loadu_epi8(m, a.toripl1.data() + i * 64);
    const __m512i a2 = _mm512_maskz_loadu_epi8(m, a.toripl2.data() + i * 64);
    const __m512i b1 = _mm512_maskz_loadu_epi8(m, b.toripl1.data() + i * 64);
    const __m512i b2 = _mm512_maskz_loadu_epi8(m, b.toripl2.data() + i * 64);
    r.sa1.w[i] = _mm512_cmpneq_epi8_mask(a1, b1);
    r.sa2.w[i] = _mm512_cmpneq_epi8_mask(a2, b2);
    r.lt.w[i] = _mm512_cmplt_epi8_mask(a1, a2) ^ _mm512_cmplt_epi8_mask(b1, b2);
    r.gt.w[i] = _mm512_cmpgt_epi8_mask(a1, a2) ^ _mm512_cmpgt_epi8_mask(b1, b2);
  }
  return r;
}
#endif

// Every candidate's evaluation starts here: the widest compare the
// processor has.
inline KikiSa kikiSa(const Men& a, const Men& b) {
#ifdef SYOUGI_X86_SIMD
  switch (simd()) {
    case Simd::kAvx512:
      return kikiSaAvx512(a, b);
    case Simd::kAvx2:
      return kikiSaAvx2(a, b);
    case Simd::kKihon:
      break;
  }
#endif
  return kikiSaKihon(a, b);
}

}  // namespace

void kouhosirabe(const Men& m, int32_t& kouho, const Basyo& basyo, Sennkei sennkei) {
  Syurui y;
  syuruiOf(m.aru, y);
  kouhosirabe(m, kouho, basyo, sennkei, y);
}

void kouhosirabe(const Men& m, int32_t& kouhoOut, const Basyo& basyo, Sennkei sennkei,
                 const Syurui& syurui) {
  // A local sum: the compiler need not store through the reference, which
  // might alias the board, after every term.
  int32_t kouho = kouhoOut;
  // Pieces in any order, group by group: every term is added on its own.
  kouho += zenRuiGoto(KomaBa(m, basyo), syurui, kZenMasu, [](int, int32_t k) { return k; });

  nokoriTen(m, basyo, sennkei, kouho);
  kouho += motiTen(m.arull);
  kouhoOut = kouho;
}

}  // namespace syougi

namespace syougi {

void komaTen(const Men& m, const Basyo& basyo, Sennkei sennkei, const Syurui& syurui,
             KomaTen& kt) {
  kt.t.fill(0);
  kt.sum = zenRuiGoto(KomaBa(m, basyo), syurui, kZenMasu, [&](int s, int32_t k) {
    kt.t[s] = k;
    return k;
  });
  kt.moti = motiTen(m.arull);
  kt.ou1 = ouTen<1>(m, basyo, sennkei);
  kt.ou2 = ouTen<2>(m, basyo, sennkei);
  kt.senkei = 0;
  senkeiTen(m.aru, sennkei, kt.senkei);
}

namespace {

template <bool Kaku>
inline void kouhosirabeSa(const Men& m, const Syurui& syurui, const Men& oya,
                          const KomaTen& oyaTen, int32_t moto, int32_t saki, int32_t& kouhoOut,
                          const Basyo& basyo, Sennkei sennkei, KomaTen* ko) {
  if constexpr (Kaku) *ko = oyaTen;
  int32_t kouho = oyaTen.sum;
  const int to = sakiMasu(saki);
  // A side-1 piece reads toripl2 and "toripl1 < toripl2" on its square, a
  // side-2 piece toripl1 and "toripl1 > toripl2"; a side-1 pawn also reads
  // "toripl1 > toripl2" on the cell ahead (q-1), a side-2 pawn
  // "toripl1 < toripl2" on q+1.
  const KikiSa c = kikiSa(m, oya);
  const Komabit k1 = syurui.zenbu(1);
  const Komabit k2 = syurui.zenbu(2);
  const uint64_t fu1[2] = {syurui.b[0][kRuiFu].w[0] & kFuMae1.w[0],
                           syurui.b[0][kRuiFu].w[1] & kFuMae1.w[1]};
  const uint64_t fu2[2] = {syurui.b[1][kRuiFu].w[0] & kFuMae2.w[0],
                           syurui.b[1][kRuiFu].w[1] & kFuMae2.w[1]};
  Komabit d;
  for (int i = 0; i < 2; ++i)
    d.w[i] = ((c.sa2.w[i] | c.lt.w[i]) & k1.w[i]) | ((c.sa1.w[i] | c.gt.w[i]) & k2.w[i]);
  d.w[0] |= ((c.gt.w[0] << 1) & fu1[0]) | ((c.lt.w[0] >> 1 | c.lt.w[1] << 63) & fu2[0]);
  d.w[1] |= ((c.gt.w[1] << 1 | c.gt.w[0] >> 63) & fu1[1]) | ((c.lt.w[1] >> 1) & fu2[1]);
  // The cells the move changed on the board. moto, now empty, is read only
  // for its neighbours' sake; the piece that left it takes its term with it.
  // The piece on `to` replaces the term of any piece it took.
  // Bits are read from a table, not set by indexing the cell's word: a
  // store to one word read back with both would stall.
  Komabit ban;
  if (isSquare(moto)) {
    banKage(syurui, moto, d);
    kouho -= oyaTen.t[moto];
    if constexpr (Kaku) ko->t[moto] = 0;
    for (int i = 0; i < 2; ++i) ban.w[i] |= kHitotu[moto].w[i];
  }
  if (to != 0) {
    banKage(syurui, to, d);
    for (int i = 0; i < 2; ++i) {
      d.w[i] |= kHitotu[to].w[i];
      ban.w[i] |= kHitotu[to].w[i];
    }
  }
  // A rook on the enemy's first two ranks reads the enemy king's rank, which
  // a king that did not move keeps.
  if (m.oupl2 != oya.oupl2 && rankOf(m.oupl2) != rankOf(oya.oupl2)) {
    for (int i = 0; i < 2; ++i) d.w[i] |= syurui.b[0][kRuiHisya].w[i] & kHisyaDan1.w[i];
  }
  if (m.oupl1 != oya.oupl1 && rankOf(m.oupl1) != rankOf(oya.oupl1)) {
    for (int i = 0; i < 2; ++i) d.w[i] |= syurui.b[1][kRuiHisya].w[i] & kHisyaDan2.w[i];
  }
  // The pieces on the cells of d: their terms now less the parent's.
  const auto sa = [&](int s, int32_t k) {
    if constexpr (Kaku) ko->t[s] = k;
    return k - oyaTen.t[s];
  };
  Komabit d1, d2;
  for (int i = 0; i < 2; ++i) {
    d1.w[i] = d.w[i] & k1.w[i];
    d2.w[i] = d.w[i] & k2.w[i];
  }
  const KomaBa kb(m, basyo);
  kouho += zenRuiGoto<1>(kb, syurui, d1, sa) + zenRuiGoto<2>(kb, syurui, d2, sa);
  if constexpr (Kaku) ko->sum = kouho;

  // A king's terms are the parent's while the king stays and nothing they
  // read on its neighbours changed: the board, the enemy's count, and
  // whether the enemy attacks there at least as often. The strategy's terms
  // read the board alone.
  const auto ouKawaru = [&](int32_t k, int32_t oyaK, const Komabit& teki, const Komabit& ijou) {
    if (k != oyaK) return true;
    if (!isSquare(k)) return false;
    const Komabit& n = kKinbouMasu[k];
    return (((ban.w[0] | teki.w[0] | ijou.w[0]) & n.w[0]) |
            ((ban.w[1] | teki.w[1] | ijou.w[1]) & n.w[1])) != 0;
  };
  const int32_t ou1 =
      ouKawaru(m.oupl1, oya.oupl1, c.sa2, c.gt) ? ouTen<1>(m, basyo, sennkei) : oyaTen.ou1;
  const int32_t ou2 =
      ouKawaru(m.oupl2, oya.oupl2, c.sa1, c.lt) ? ouTen<2>(m, basyo, sennkei) : oyaTen.ou2;
  int32_t senkei = oyaTen.senkei;
  if (((ban.w[0] & kSenkeiMasu.w[0]) | (ban.w[1] & kSenkeiMasu.w[1])) != 0) {
    senkei = 0;
    senkeiTen(m.aru, sennkei, senkei);
  }

  // Hands change only by a drop or a capture, one cell each.
  int32_t moti = oyaTen.moti;
  int h = 0;
  if (moto > 100) {
    h = moto / 100 * 10 + kindOf(moto);
  } else if (to != 0) {
    h = motiMasu(sideOf(m.aru[to]), oya.aru[to]);
  }
  if (h != 0) moti += motiKoma(h, m.arull[h]) - motiKoma(h, oya.arull[h]);
  if constexpr (Kaku) {
    ko->ou1 = ou1;
    ko->ou2 = ou2;
    ko->senkei = senkei;
    ko->moti = moti;
  }
  kouhoOut += kouho + ou1 + ou2 + senkei + moti;
}

}  // namespace

void kouhosirabeSa(const Men& m, const Syurui& syurui, const Men& oya, const KomaTen& oyaTen,
                   int32_t moto, int32_t saki, int32_t& kouho, const Basyo& basyo,
                   Sennkei sennkei, KomaTen* ko) {
  if (ko != nullptr) {
    kouhosirabeSa<true>(m, syurui, oya, oyaTen, moto, saki, kouho, basyo, sennkei, ko);
  } else {
    kouhosirabeSa<false>(m, syurui, oya, oyaTen, moto, saki, kouho, basyo, sennkei, nullptr);
  }
}

}  // namespace syougi

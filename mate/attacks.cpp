#include "mate/attacks.h"

#include "model/ugoki.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace syougi {

namespace {

// The counts are raised in words and packed into the position's bytes at
// the end: raised a byte at a time in place, the counts of a crowded board
// took up to 1.3 times as long.
using Kazu16 = std::array<int16_t, 112>;

template <int D>
inline void step(Kazu16& a, int s) {
  ++a[s + D];
}

// A line passes only empty cells and the opposing king.
template <int D>
inline void line(const Ban& b, Kazu16& a, int s, int32_t enemyKing) {
#pragma GCC unroll 8
  for (int d = 1; d <= 8; ++d) {
    const int q = s + D * d;
    ++a[q];
    const int32_t c = b[q];
    if (c != 0 && c != enemyKing) return;
  }
}

// The generic blocker 111, no kind, attacks nothing.
template <int Side>
inline void piece(const Ban& b, Kazu16& a, int s, int32_t kind, int32_t& ou) {
  constexpr int32_t ek = Side == 1 ? 201 : 101;
  if (kind == OU) ou = s;
  ugokiGoto<Side>(
      kind,
      [&](auto d) {
        step<decltype(d)::value>(a, s);
        return false;
      },
      [&](auto d) {
        line<decltype(d)::value>(b, a, s, ek);
        return false;
      });
}

// Counts are far below 128: the saturating pack keeps them as they are.
inline void pack(const Kazu16& w, Kiki& b) {
#ifdef __SSE2__
  for (int i = 0; i < 112; i += 16) {
    const auto* p = reinterpret_cast<const __m128i*>(w.data() + i);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b.data() + i),
                     _mm_packs_epi16(_mm_load_si128(p), _mm_load_si128(p + 1)));
  }
#else
  for (int s = 0; s < 112; ++s) b[s] = static_cast<Kazu>(w[s]);
#endif
}

}  // namespace

void tumetorisirabe(Men& m) {
  const Ban& toriaru = m.aru;
  // The mate test reads cells around the king that may lie off the board.
  alignas(16) Kazu16 toripl1{};
  alignas(16) Kazu16 toripl2{};
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = toriaru[s];
    if (side1(c)) {
      piece<1>(toriaru, toripl1, s, c - 100, m.oupl1);
    } else if (side2(c)) {
      piece<2>(toriaru, toripl2, s, c - 200, m.oupl2);
    }
  }
  pack(toripl1, m.toripl1);
  pack(toripl2, m.toripl2);
}

}  // namespace syougi

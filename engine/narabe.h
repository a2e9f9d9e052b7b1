// The sorted candidate list of a ply of the main search: where an examined
// candidate goes in it. Part of the search's one translation unit (included
// by examine.h); the tests include it too.
#pragma once

#include <bit>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/rows.h"
#include "model/ply.h"

namespace syougi {

namespace {

// Ply N's candidate p.moto / p.saki worth p.ten into its list, best first:
// one no better than the last slot is not listed, and one as good as a
// listed one goes after it.
template <int N>
inline void narabekae(Ply& p) {
  constexpr int W = kRow[N].width;
  const int16_t v = static_cast<int16_t>(p.ten);
  if (!better<N>(v, p.kten[W - 1])) return;  // not better than the last slot
  // The list is sorted: the slots v beats are the last ones. They move one
  // place down, the last one falls off, and v goes before the first of them.
#ifdef __SSE2__
  if constexpr (W == 21) {
    // Reads reach slot 23 and the moved slots slot 39.
    static_assert(kListMax >= 40);
    // The lists of 21 slots at once: the slots v beats found by one compare,
    // and twenty slots moved whatever their number (the arrays hold 40, so
    // the slots past the list take copies no ply reads). A loop ran about
    // seven steps and missed its end.
    const __m128i vv = _mm_set1_epi16(v);
    const auto ld = [](const int16_t* x) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(x));
    };
    const auto katu = [&](__m128i k) {
      return N % 2 == 1 ? _mm_cmpgt_epi16(vv, k) : _mm_cmpgt_epi16(k, vv);
    };
    const __m128i b0 = katu(ld(p.kten.data())), b1 = katu(ld(p.kten.data() + 8));
    const __m128i b2 = katu(ld(p.kten.data() + 16));
    const uint32_t m = static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(b0, b1))) |
                       static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(b2, b2))) << 16;
    const int i = std::countr_zero(m);  // slot 20 is beaten: m has a bit below 21
    if (i < W - 1) {
      __m128i x[5], y[5];
      for (int j = 0; j < 5; ++j) {
        x[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p.kmoto.data() + i + 4 * j));
        y[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p.ksaki.data() + i + 4 * j));
      }
      const __m128i t0 = ld(p.kten.data() + i), t1 = ld(p.kten.data() + i + 8);
      const __m128i t2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p.kten.data() + i + 16));
      for (int j = 0; j < 5; ++j) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.kmoto.data() + i + 1 + 4 * j), x[j]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.ksaki.data() + i + 1 + 4 * j), y[j]);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p.kten.data() + i + 1), t0);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p.kten.data() + i + 9), t1);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(p.kten.data() + i + 17), t2);
    }
    p.kmoto[i] = p.moto;
    p.ksaki[i] = p.saki;
    p.kten[i] = v;
    return;
  }
#endif
  int i = W - 1;
  for (; i > 0 && better<N>(v, p.kten[i - 1]); --i) {
    p.kmoto[i] = p.kmoto[i - 1];
    p.ksaki[i] = p.ksaki[i - 1];
    p.kten[i] = p.kten[i - 1];
  }
  p.kmoto[i] = p.moto;
  p.ksaki[i] = p.saki;
  p.kten[i] = v;
}

}  // namespace

}  // namespace syougi

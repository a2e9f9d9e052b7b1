// Positions already searched at plies 3..6 within one computer move, with the
// value the next ply returned for them (yomidasu / yomioku).
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "model/board.h"

namespace syougi {

// A position packed into bytes: cells 11..99 of the board (the off-board cells
// between files are always 1), then the hand cells 12..28.
constexpr int kYomiBan = 89;
constexpr int kYomiLen = kYomiBan + 17;
using YomiKey = std::array<uint8_t, kYomiLen>;

void yomiPack(const Ban& aru, const Mochi& arull, YomiKey& out);
constexpr int yomiBanCell(int sq) { return sq - 11; }
constexpr int yomiMochiCell(int idx) { return kYomiBan + idx - 12; }

// The cells the current line changed; compared first, before the full key.
// A pass has no source and its destination is cell 0, which in an entry holds
// the stored value: with a pass in the line the value is compared with the
// board's cell 0, so such positions are nearly always searched again.
struct YomiQuick {
  int n = 0;
  std::array<uint8_t, 24> cell{};
  bool cell0 = false;
  int32_t ban0 = 0;
};

struct YomiEntry {
  int16_t atai = 0;
  YomiKey key{};
};

// Append-only: once full, positions are neither stored nor replaced. Each key
// cell is also kept as a column over all entries, so that a lookup compares
// the changed cells of sixteen entries at a time before any whole key.
template <int Cap>
class YomiTable {
 public:
  static constexpr int kCap = Cap;

  void clear() { yomisuu = 0; }

  // First matching entry wins; on a hit `atai` gets the stored value.
  bool yomidasu(const YomiKey& key, const YomiQuick& quick, int16_t& atai) const {
    for (int b = 0; b < yomisuu; b += 16) {
      uint32_t m = yomisuu - b >= 16 ? 0xFFFFu : (1u << (yomisuu - b)) - 1;
      for (int j = 0; j < quick.n && m != 0; ++j) {
        const int c = quick.cell[j];
        m &= onaji16(cols_[c].data() + b, key[c]);
      }
      for (; m != 0; m &= m - 1) {
        const YomiEntry& e = entries[b + std::countr_zero(m)];
        if (quick.cell0 && e.atai != quick.ban0) continue;
        if (e.key != key) continue;
        atai = e.atai;
        return true;
      }
    }
    return false;
  }

  void yomioku(const YomiKey& key, int16_t atai) {
    if (yomisuu >= Cap) return;
    entries[yomisuu].atai = atai;
    entries[yomisuu].key = key;
    for (int c = 0; c < kYomiLen; ++c) cols_[c][yomisuu] = key[c];
    ++yomisuu;
  }

  int32_t yomisuu = 0;
  std::array<YomiEntry, Cap> entries{};

 private:
  // Bit i set when byte i of the sixteen at p is v.
  static uint32_t onaji16(const uint8_t* p, uint8_t v) {
#ifdef __SSE2__
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(v)))));
#else
    uint32_t m = 0;
    for (int i = 0; i < 16; ++i) m |= static_cast<uint32_t>(p[i] == v) << i;
    return m;
#endif
  }

  // Whole blocks of sixteen, so that the last block reads inside.
  static constexpr int kColLen = (Cap + 15) / 16 * 16;
  std::array<std::array<uint8_t, kColLen>, kYomiLen> cols_{};
};

// Ply 3 keeps 501 positions, plies 4..6 keep 1001 each.
struct Yomi {
  YomiTable<501> t3;
  YomiTable<1001> t4;
  YomiTable<1001> t5;
  YomiTable<1001> t6;
  // The table of ply N.
  template <int N>
  auto& at() {
    static_assert(N >= 3 && N <= 6, "plies 3..6 keep snapshots");
    if constexpr (N == 3) {
      return t3;
    } else if constexpr (N == 4) {
      return t4;
    } else if constexpr (N == 5) {
      return t5;
    } else {
      return t6;
    }
  }
  void clear() {
    t3.clear();
    t4.clear();
    t5.clear();
    t6.clear();
  }
};

}  // namespace syougi

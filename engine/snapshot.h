// Positions already searched at plies 3..6 within one computer move, with the
// value the next ply returned for them (yomidasu / yomioku).
#pragma once

#include <array>
#include <cstdint>

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

// Append-only: once full, positions are neither stored nor replaced.
template <int Cap>
class YomiTable {
 public:
  static constexpr int kCap = Cap;

  void clear() { yomisuu = 0; }

  // First matching entry wins; on a hit `atai` gets the stored value.
  bool yomidasu(const YomiKey& key, const YomiQuick& quick, int16_t& atai) const {
    for (int i = 0; i < yomisuu; ++i) {
      const YomiEntry& e = entries[i];
      if (quick.cell0 && e.atai != quick.ban0) continue;
      bool same = true;
      for (int j = 0; j < quick.n; ++j) {
        const int c = quick.cell[j];
        if (e.key[c] != key[c]) {
          same = false;
          break;
        }
      }
      if (!same || e.key != key) continue;
      atai = e.atai;
      return true;
    }
    return false;
  }

  void yomioku(const YomiKey& key, int16_t atai) {
    if (yomisuu >= Cap) return;
    entries[yomisuu].atai = atai;
    entries[yomisuu].key = key;
    ++yomisuu;
  }

  int32_t yomisuu = 0;
  std::array<YomiEntry, Cap> entries{};
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

// The user's (side 1) move rules: where a selected piece may go, forced and
// optional promotion, making the move, and the king-safety test. The click
// handler and every legality check of tools and tests use these same routines;
// side 2 is checked by turning the board around (hanten).
#pragma once

#include <array>
#include <cstdint>

#include "model/board.h"

namespace syougi {

using Ikeru = std::array<int32_t, 111>;

// Marks in `ikeru` (cleared first) the cells that the side-1 piece selected as
// `sentaku` may reach: a square 11..99 holding a side-1 piece, or a hand code
// 102..108 (drops).
void ikerusirabe(const Ban& aru, const Mochi& arull, int sentaku, Ikeru& ikeru);

// Promotion of a side-1 board move from `moto` to `saki`:
// kNone: not possible; kForced: must promote; kChoice: may promote.
enum class Nari { kNone, kForced, kChoice };
Nari nariKubun(int32_t code, int moto, int saki);

// Makes a side-1 move on the board: `sentaku` a square or hand code, `saki` the
// destination, `naru` whether the piece promotes. Captures go to side 1's hand.
void sasu1(Ban& aru, Mochi& arull, int sentaku, int saki, bool naru);

// True when side 1's king is attacked by side 2 on this board.
bool outeSide1(const Ban& aru);

struct Te {
  int32_t moto;  // square, or hand code 102..108
  int32_t saki;  // destination square
  bool naru;
  bool operator==(const Te&) const = default;
};

constexpr int kTeMax = 600;  // more legal moves than any position has

// A list of moves, as many as any position can have.
struct TeList {
  std::array<Te, kTeMax> te;
  int kazu = 0;

  const Te* begin() const { return te.data(); }
  const Te* end() const { return te.data() + kazu; }
  const Te& operator[](int i) const { return te[i]; }
  bool fukumu(const Te& t) const {
    for (const Te& x : *this)
      if (x == t) return true;
    return false;
  }
};

// All legal side-1 moves (promotion and non-promotion counted as two where
// both are allowed). Returns the count; writes at most `cap` moves.
int gouhousyu(const Ban& aru, const Mochi& arull, Te* out, int cap);
// The same into a list; returns the count listed.
int gouhousyu(const Ban& aru, const Mochi& arull, TeList& list);

}  // namespace syougi

// Per-ply search state, shared by the main search and the mate search (they
// never run at the same time). Fixed size, no allocation.
#pragma once

#include <array>
#include <cstdint>

#include "model/board.h"
#include "model/kiki.h"
#include "model/men.h"

namespace syougi {

constexpr int kListMax = 40;  // plies 1..4 use 40 slots, deeper plies 21

struct Ply : Men {
  int32_t ban = 0;   // index of the candidate being searched
  int32_t moto = 0;  // move being generated / examined
  int32_t saki = 0;
  int16_t saikou = 0;  // best backed-up value
  int32_t ten = 0;  // score of the candidate being examined
  int32_t kikenbasyo = 0;
  std::array<int32_t, kListMax> kmoto{};
  std::array<int32_t, kListMax> ksaki{};
  std::array<int16_t, kListMax> kten{};
  // The piece squares of the position on this ply: each examined
  // candidate's, then the searched move's, from which the next ply's
  // candidates' counts follow by their one move.
  Syurui syurui{};
};

// Index N is ply N (1..11); the main search keeps the actual position, the
// one its root moves are made from, in index 0.
using PlyTable = std::array<Ply, 12>;

}  // namespace syougi

// Position assessment `basyosirabe`: the game stage and the square weights
// that the whole search of one computer move uses.
#pragma once

#include <array>
#include <cstdint>

#include "model/board.h"
#include "model/men.h"

namespace syougi {

struct Basyo {
  std::array<int16_t, 112> basyo1{};  // weights for side 1's pieces
  std::array<int16_t, 112> basyo2{};  // weights for side 2's pieces
  int32_t teban = 1;                  // game stage 1..4, kept between moves
};

// Rebuilds cells 10..109 of both tables; changes `teban` only when a stage
// rule applies.
void basyosirabe(Basyo& b, const Men& m, int32_t tesuu);

}  // namespace syougi

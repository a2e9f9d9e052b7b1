// The current game: position, move counter, per-move history and turn state.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/board.h"
#include "model/men.h"
#include "model/rules.h"

namespace syougi {

constexpr int kRekiMax = 350;  // history holds move numbers 0..350

// The attack data (toripl1 .. oupl2) is that of the actual position, left by
// the last torisirabe.
struct Game : Men {
  int32_t tesuu = 1;  // number of the move about to be played

  // Position and cumulative clocks after move k; rekiaru[k][11] == 999 marks
  // the last stored position of a finished game.
  std::array<std::array<int32_t, 100>, kRekiMax + 1> rekiaru{};
  std::array<std::array<int32_t, 29>, kRekiMax + 1> rekiarull{};
  std::array<int32_t, kRekiMax + 1> rekitoki1{};
  std::array<int32_t, kRekiMax + 1> rekitoki2{};

  // 0: clicks refused, 1: the user to move, 2: a piece is selected.
  int32_t zyoutai = 0;
  int16_t sentaku = 0;
  Ikeru ikeru{};
  std::string tebannmei;  // "You", "Com" or empty
  float kaisitoki = 0;    // seconds since midnight at which the turn began
  std::string sasite;     // record text of the move being made
};

}  // namespace syougi

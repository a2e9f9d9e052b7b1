// The position the engine works on: board, hands, both sides' attack counts and both kings.
#pragma once

#include <cstdint>

#include "model/board.h"

namespace syougi {

struct Men {
  Ban aru{};
  Mochi arull{};
  // Read sixteen cells at a time: aligned, no read straddles a cache line.
  alignas(64) Kiki toripl1{};
  alignas(64) Kiki toripl2{};
  int32_t oupl1 = 0;
  int32_t oupl2 = 0;
};

}  // namespace syougi

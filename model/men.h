// The position the engine works on: board, hands, both sides' attack counts and both kings.
#pragma once

#include <cstdint>

#include "model/board.h"

namespace syougi {

struct Men {
  Ban aru{};
  Mochi arull{};
  Kiki toripl1{};
  Kiki toripl2{};
  int32_t oupl1 = 0;
  int32_t oupl2 = 0;
};

}  // namespace syougi

// The empty board the tests build their positions on.
#pragma once

#include "model/board.h"

namespace syougi::test {

// Every square empty, the cells around them off the board.
inline Ban emptyBoard() {
  Ban b;
  b.fill(SOTO);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) b[f * 10 + r] = 0;
  return b;
}

}  // namespace syougi::test

// The empty board the tests build their positions on, and a position with its
// attack data.
#pragma once

#include "model/attacks.h"
#include "model/board.h"
#include "model/men.h"

namespace syougi::test {

// Every square empty, the cells around them off the board.
inline Ban emptyBoard() {
  Ban b;
  b.fill(SOTO);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) b[f * 10 + r] = 0;
  return b;
}

// The board and hands with the attack data as torisirabe leaves it.
inline Men menOf(const Ban& aru, const Mochi& arull = {}) {
  Men m;
  m.aru = aru;
  m.arull = arull;
  torisirabe(m);
  return m;
}

}  // namespace syougi::test

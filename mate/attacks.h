// Attack detection of the mate search `tumetorisirabe`: plain counts, no
// support through pieces, every cell 0..110 cleared.
#pragma once

#include "model/board.h"
#include "model/men.h"

namespace syougi {

// Counts every attack of side 1 and side 2 per cell. Lines stop at the first
// non-empty cell (counted) except the opposing king, which they pass through.
// The generic blocker 111 occupies its cell and attacks nothing.
// Reads m.aru, writes toripl1 / toripl2; oupl1 / oupl2 keep their values when
// that king is not on the board.
void tumetorisirabe(Men& m);

}  // namespace syougi

// Attack detection of the mate search `tumetorisirabe`: plain counts, no
// support through pieces, every cell 0..110 cleared.
#pragma once

#include "model/board.h"

namespace syougi {

// Counts every attack of side 1 and side 2 per cell. Lines stop at the first
// non-empty cell (counted) except the opposing king, which they pass through.
// The generic blocker 111 occupies its cell and attacks nothing.
// oupl1 / oupl2 keep their values when that king is not on the board.
void tumetorisirabe(const Ban& toriaru, Kiki& toripl1, Kiki& toripl2, int32_t& oupl1,
                    int32_t& oupl2);

}  // namespace syougi

// Attack detection `torisirabe`: per-square attack counts of both sides and
// both king squares, with support through pieces.
#pragma once

#include "model/board.h"

namespace syougi {

// Counts cells 11..99 afresh (other cells keep whatever they held, but the
// counts may spill one step past the squares, into cells 0..110).
// oupl1 / oupl2 keep their values when that king is not on the board.
void torisirabe(const Ban& toriaru, Kiki& toripl1, Kiki& toripl2, int32_t& oupl1,
                int32_t& oupl2);

}  // namespace syougi

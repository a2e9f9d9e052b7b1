// Attack detection `torisirabe`: per-square attack counts of both sides and
// both king squares, with support through pieces.
#pragma once

#include "model/board.h"
#include "model/kiki.h"

namespace syougi {

// Counts every cell afresh (the counts may spill one step past the squares,
// into cells 0..110). oupl1 / oupl2 keep their values when that king is not
// on the board.
void torisirabe(const Ban& toriaru, Kiki& toripl1, Kiki& toripl2, int32_t& oupl1,
                int32_t& oupl2);

// The counts of the single steps alone (without the sliding lines) and the
// squares of each side's pieces by group: what kikiSasu needs to bring the
// counts up to date move by move.
void hoSirabe(const Ban& aru, KikiHo& ho);

}  // namespace syougi

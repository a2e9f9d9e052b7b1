// Attack detection `torisirabe`: per-square attack counts of both sides and
// both king squares, with support through pieces.
#pragma once

#include "model/board.h"
#include "model/kiki.h"
#include "model/men.h"

namespace syougi {

// Counts every cell of m.aru afresh into toripl1 / toripl2 (the counts may
// spill one step past the squares, into cells 0..110). oupl1 / oupl2 keep
// their values when that king is not on the board.
void torisirabe(Men& m);

// The counts of the single steps alone (without the sliding lines) and the
// squares of each side's pieces by group: what kikiSasu needs to bring the
// counts up to date move by move.
void hoSirabe(const Ban& aru, KikiHo& ho);

}  // namespace syougi

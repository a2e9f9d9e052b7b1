// Static evaluation `kouhosirabe`, from side 2's point of view.
#pragma once

#include <cstdint>
#include <string>

#include "engine/basyo.h"
#include "model/board.h"
#include "model/kiki.h"
#include "model/men.h"

namespace syougi {

// The strategy names the evaluation knows; anything else is kSonota.
enum class Sennkei : int8_t { kSonota, kMitei, kIbimi, kYagmi, kYagji, kHunag, kTotik };
Sennkei sennkeiOf(const std::string& name);

// Adds the static score of the position to `kouho`.
void kouhosirabe(const Men& m, int32_t& kouho, const Basyo& basyo, Sennkei sennkei);
// The same with the squares of each side's pieces already known.
void kouhosirabe(const Men& m, int32_t& kouho, const Basyo& basyo, Sennkei sennkei,
                 const Syurui& syurui);

}  // namespace syougi

// Static evaluation `kouhosirabe`, from side 2's point of view.
#pragma once

#include <array>
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

// Each piece's own terms by square, and their sum, for a position: what an
// evaluation of a position one move further takes over for the squares the
// move leaves as they were.
struct KomaTen {
  std::array<int32_t, 112> t{};
  int32_t sum = 0;
  int32_t moti = 0;  // the hands' terms
  int32_t ou1 = 0;   // each king's terms
  int32_t ou2 = 0;
  int32_t senkei = 0;  // the strategy's
  bool operator==(const KomaTen&) const = default;
};
void komaTen(const Men& m, const Basyo& basyo, Sennkei sennkei, const Syurui& syurui,
             KomaTen& kt);

// The same score as kouhosirabe for `m`, the position after moto -> saki
// (saki + 100 when it promotes; a drop's moto is its code; 0 0 for a pass)
// from `oya`, with m's piece squares `syurui`; oya's piece terms are `oyaTen`: only pieces whose square,
// neighbours or counts changed are scored again. With `ko`, m's own terms
// go there too, as komaTen would give them.
void kouhosirabeSa(const Men& m, const Syurui& syurui, const Men& oya, const KomaTen& oyaTen,
                   int32_t moto, int32_t saki, int32_t& kouho, const Basyo& basyo,
                   Sennkei sennkei, KomaTen* ko = nullptr);

}  // namespace syougi

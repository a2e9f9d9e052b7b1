// The position with its side to move, as the USI, CSA and record texts see
// it: black (the first player) is side 1 at the bottom, so the USI square "7g"
// and the CSA square 77 are square 77. Its SFEN text, the full legality of its
// moves, and the USI move texts.
#pragma once

#include <cstdint>
#include <string>

#include "model/board.h"
#include "model/rules.h"

namespace syougi {

struct Kyokumen {
  Ban aru{};
  Mochi arull{};
  bool gote = false;   // white to move
  int32_t tesuu = 1;   // number of the move about to be played
};

// The usual start position, black to move, move 1.
void hirate(Kyokumen& k);

// Parses the four SFEN fields "<board> <b|w> <hands> [<move number>]". On
// failure `k` is left alone and `why` says what is wrong.
bool sfenYomu(const std::string& text, Kyokumen& k, std::string& why);
std::string sfenKaku(const Kyokumen& k);

// The position seen by the side to move, which becomes side 1 at the bottom:
// the board itself when black moves, turned around when white moves.
void tebanMen(const Kyokumen& k, Ban& aru, Mochi& arull);
// A square of that view and the USI/CSA square are 110 - s apart for white.
inline int tebanMasu(const Kyokumen& k, int sq) { return k.gote ? 110 - sq : sq; }

// All legal moves of the side to move, in its own view (tebanMen): the rules of
// the user's moves plus the ban on a pawn drop that mates. Returns the count.
int gouhou(const Kyokumen& k, TeList& list);
// The same count without the list.
int gouhouKazu(const Kyokumen& k);
bool outeKa(const Kyokumen& k);  // the side to move is in check
// A pawn drop `te` of the side to move (in its own view) that mates.
bool utifuzume(const Ban& aru, const Mochi& arull, const Te& te);

// Makes a move of the side to move (in its own view); the turn passes.
void teSasu(Kyokumen& k, const Te& te);

enum class TeKekka { kOk, kMalformed, kIllegal };
// Reads a USI move ("7g7f", "8h2b+", "P*5e") and checks it; on kOk `te` is the
// move in the mover's view.
TeKekka usiTeYomu(const Kyokumen& k, const std::string& text, Te& te, std::string& why);
// The USI text of a move of the side to move (given in its own view), before
// it is made.
std::string usiTeKaku(const Kyokumen& k, const Te& te);

}  // namespace syougi

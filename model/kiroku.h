// The record's move line: the mover's sign, the source and destination
// squares in the first player's numbering (00 for a drop) and the name of the
// piece after the move, as in "+7776FU" and "-0028KI". The window writes it
// and sends it over the link; the link, the record converter and the book
// builder read it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/kyokumen.h"
#include "model/rules.h"

namespace syougi {

// Why a line is not a move here, in the order the line is looked at.
enum class KirokuKekka {
  kOk,
  kNagasa,      // not seven characters
  kSuuji,       // the squares are not four digits
  kFugou,       // not the mover's sign: + for the first player, - for the second
  kNamae,       // none of the fourteen piece names
  kSakiMasu,    // the destination is off the board
  kUtenaiKoma,  // a drop of a promoted piece or of the king
  kMotoMasu,    // the source is off the board
  kMotiNasi,    // a drop of a piece the mover does not hold
  kNifu,        // a pawn drop on a file with the mover's unpromoted pawn
  kUtenaiMasu,  // the piece cannot be dropped on that square
  kKomaNasi,    // no piece of the mover on the source square
  kKomaTigau,   // the name is neither that piece nor its promotion
  kIkenai,      // the piece does not reach the destination
  kNarenai,     // promotes where it may not
  kNaruBeki,    // does not promote where it must
  kOute,        // leaves the mover's own king in check
  kUtifuzume,   // a pawn drop that mates
};

// Whether a pawn drop that mates stands: the user's moves in the window are
// not tested for it, the rules of the game forbid it.
enum class Utifuzume { kYurusu, kKinsi };

struct KirokuTe {
  int moto = 0;         // source square, 0 for a drop (first player's numbering)
  int saki = 0;         // destination square
  int32_t kind = 0;     // the named kind, the piece after the move
  // Known once the line has been read against a position:
  int32_t koma = 0;     // kind of the moving piece before the move
  bool narazu = false;  // might have promoted and did not
  Te te{};              // the move in the mover's own view (tebanMen)
};

// Reads the line alone, with either sign: kOk up to kMotoMasu.
KirokuKekka kirokuTeWakeru(std::string_view line, KirokuTe& t);
// Reads the line as the next move of `k` and checks it by the rules of the
// user's moves, and by the ban on a pawn drop that mates with kKinsi.
KirokuKekka kirokuTeYomu(const Kyokumen& k, std::string_view line, Utifuzume u, KirokuTe& t);
// The same, and on kOk plays the move.
KirokuKekka kirokuTeSasu(Kyokumen& k, std::string_view line, Utifuzume u, KirokuTe& t);

// The line of a move: `moto` (0 for a drop) and `saki` in the first player's
// numbering, `code` the piece after the move.
std::string kirokuTeKaku(bool sente, int moto, int saki, int32_t code);
// The line of a move of the side to move of `k` (in its own view), before it
// is made.
std::string csaTeKaku(const Kyokumen& k, const Te& te);

}  // namespace syougi

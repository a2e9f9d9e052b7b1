// The USI front end of the computer player, and the position handling that the
// match referee shares with it: SFEN, move texts, full legality.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "engine/computer.h"
#include "model/board.h"
#include "model/rules.h"

namespace syougi {

// A position as USI and CSA texts see it: black (the first player) is side 1 at
// the bottom, so the USI square "7g" and the CSA square 77 are square 77.
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

constexpr int kTeMax = 600;  // more legal moves than any position has

// All legal moves of the side to move, in its own view (tebanMen): the rules of
// the user's moves plus the ban on a pawn drop that mates. Writes at most `cap`.
int gouhou(const Kyokumen& k, Te* out, int cap);
bool outeKa(const Kyokumen& k);  // the side to move is in check

enum class TeKekka { kOk, kMalformed, kIllegal };
// Reads a USI move ("7g7f", "8h2b+", "P*5e") and checks it; on kOk `te` is the
// move in the mover's view.
TeKekka usiTeYomu(const Kyokumen& k, const std::string& text, Te& te, std::string& why);
// Texts of a move of the side to move (given in its own view), before it is made.
std::string usiTeKaku(const Kyokumen& k, const Te& te);
std::string csaTeKaku(const Kyokumen& k, const Te& te);
// Makes a move of the side to move (in its own view); the turn passes.
void teSasu(Kyokumen& k, const Te& te);

// Serves the USI protocol with one computer player; the state the player keeps
// between the moves of a game lives from one "go" to the next.
class UsiEngine {
 public:
  explicit UsiEngine(std::unique_ptr<Computer> com);
  // Handles one command line; false after "quit".
  bool meirei(const std::string& line, std::ostream& out);
  // Serves commands until "quit" or the end of input.
  void run(std::istream& in, std::ostream& out);

  const Kyokumen& kyokumen() const { return ima_; }

 private:
  void usi(std::ostream& out);
  void setoption(const std::string& rest, std::ostream& out);
  void position(const std::string& rest, std::ostream& out);
  void go(const std::string& rest, std::ostream& out);
  void youi();

  std::unique_ptr<Computer> com_;
  Kyokumen ima_;
  bool youiSumi_ = false;  // the computer has been set up for this game
  std::string seed_;       // empty: from the clock
  std::string bookFile_ = "joseki.lis";
};

// The position the computer sees when it is to move in `k`: the mover as side 2
// at the top, attack data computed. Returns the move number of the position.
int32_t comMen(const Kyokumen& k, Men& m);
// The computer's move (in its side-2 view) as a move in the mover's own view.
Te comTe(const ComKekka& r);

}  // namespace syougi

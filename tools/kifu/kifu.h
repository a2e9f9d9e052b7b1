// Reads the record file "kifu.csa" that the window saves (a time line before
// each move, no header) and writes it out as a standard CSA V2.2 record or a
// KIF record, which other shogi software opens.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace syougi::kifu {

// One move as played, in the first player's numbering.
struct Sasite {
  std::string csa;  // the move line, e.g. +7776FU
  int byou = 0;     // the mover's seconds for it
  int moto = 0;     // source square, 0 for a drop
  int saki = 0;     // destination square
  int kind = 0;     // kind of the moving piece before the move (Kind)
  bool naru = false;    // promotes on this move
  bool narazu = false;  // might have promoted and did not
};

struct Kifu {
  std::vector<Sasite> te;  // the moves that stand (take-backs applied)
  bool toryo = false;      // the side to move after the last move resigned
};

struct Ayamari {
  int gyou = 0;  // line number, from 1
  std::string why;
};

// The whole file as bytes; on a refusal `err` names the line and the reason.
std::optional<Kifu> yomu(const std::string& text, Ayamari& err);

// Lines end with LF; names are written as given (UTF-8).
std::string csaKaku(const Kifu& k, const std::string& sente, const std::string& gote);
std::string kifKaku(const Kifu& k, const std::string& sente, const std::string& gote);

// The move part of a KIF move line, e.g. "７六歩(77)", "同　銀不成(44)",
// "５五角打"; `mae` is the previous move's destination (0 for none).
std::string kifTe(const Sasite& s, int mae);

}  // namespace syougi::kifu

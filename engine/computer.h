// What the front ends (the window's move driver, the USI engine, the match
// referee) ask of the computer player: choose one move for side 2 in a
// position (opening book, mate search, main search).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/men.h"

namespace syougi {

struct ComKekka {
  int32_t moto = 0;  // source square, or dropped code 202..208
  int32_t saki = 0;  // destination, +100 when the piece promotes
  int16_t saikou1 = 0;  // below -30000: the computer resigns
  std::string sennkei;  // strategy name after this move
  int32_t teban = 1;    // game stage, shown after the move
  bool searched = false;  // the main search ran (ko texts are fresh)
  bool tume = false;      // the move comes from the mate search
  bool book = false;      // the move is an exact book match
  std::array<std::string, 13> ko{};  // root candidate texts
  int64_t kensa = 0;  // candidates examined (mate search and main search)
  int64_t nodes = 0;  // plies entered
};

class Computer {
 public:
  virtual ~Computer() = default;
  // A new game: stage 1, strategy "mitei", the book's random generator seeded.
  virtual void youi(uint32_t seed) = 0;
  // Chooses the move for side 2 in `m` (side 2 to move, attack data as
  // torisirabe leaves it), `tesuu` being the number of that move.
  virtual ComKekka erabu(const Men& m, int32_t tesuu) = 0;
  // Where the opening book is read from ("joseki.lis" in the working
  // directory unless set).
  virtual void setBookPath(const std::string& /*path*/) {}
  // The book read where that one is missing (the installed copy); none
  // unless set.
  virtual void setInstalledBook(const std::string& /*path*/) {}
};

}  // namespace syougi

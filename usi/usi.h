// The USI protocol: the computer player served to a GUI or a referee over
// standard input and output. The position and its texts are the model's.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "engine/computer.h"
#include "model/kyokumen.h"

namespace syougi {

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

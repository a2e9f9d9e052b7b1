// The match referee: keeps the game with the model, checks every move, decides
// the end, writes CSA records, and talks to engines over pipes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "model/kyokumen.h"

namespace syougi::match {

enum class Owari {
  kNone,
  kToryo,          // the side to move resigned
  kTsumi,          // the side to move has no legal move
  kIllegal,        // the side to move made an illegal move
  kSennichite,     // fourfold repetition: draw
  kOuteSennichite, // fourfold repetition by perpetual check: the checker loses
  kMoveLimit,      // draw
  kTimeUp,         // the side to move did not answer in time
  kChudan,         // an engine failed (died or talked nonsense): it loses
};

struct Kiroku {
  std::string csa;  // e.g. +7776FU
  std::string usi;  // e.g. 7g7f
  int64_t ms = 0;   // thinking time
};

// One game from a start position.
class Taikyoku {
 public:
  explicit Taikyoku(const Kyokumen& start, int maxMoves = 256);

  // Plays the side to move's move given as USI text. An illegal or malformed
  // move ends the game against the mover; otherwise the end is checked.
  Owari sasu(const std::string& usi, int64_t ms);
  // Ends the game against the side to move (resignation, time, failure).
  void owaru(Owari why, const std::string& note = "");
  // Ends the game against the given side (white when `goteMakes`).
  void owaruMake(Owari why, bool goteMakes, const std::string& note);

  Owari owari() const { return owari_; }
  // +1 black won, -1 white won, 0 draw; meaningful once the game is over.
  int syousya() const { return syousya_; }
  const Kyokumen& ima() const { return ima_; }
  const Kyokumen& start() const { return start_; }
  const std::vector<Kiroku>& te() const { return te_; }
  const std::string& note() const { return note_; }
  // "position startpos moves ..." (or sfen) for the current position.
  std::string positionText() const;

 private:
  void kimaru(Owari why, int syousya);
  std::string key() const;

  Kyokumen start_, ima_;
  int maxMoves_;
  std::vector<Kiroku> te_;
  std::vector<std::string> keys_;  // position after k moves
  std::vector<bool> oute_;         // after k moves, the side to move is in check
  Owari owari_ = Owari::kNone;
  int syousya_ = 0;
  std::string note_;
};

// The CSA record text of a game (lines end with "\n").
std::string csaKiroku(const Taikyoku& t, const std::string& sente, const std::string& gote,
                      const std::string& startTime, const std::string& endTime);

// A child process with pipes to its stdin and stdout.
class Process {
 public:
  ~Process();
  // Its stderr is appended to `errPath`, or dropped when that is empty.
  bool start(const std::string& cmdline, std::string& err, const std::string& errPath = "");
  bool send(const std::string& line);
  // One line without its end; nullopt on timeout or end of output.
  std::optional<std::string> readLine(int timeoutMs);
  bool eof() const { return eof_; }
  // Closes its input, gives it `graceMs` to end, then kills it. When it was
  // due to end (`mustEnd`), having to kill it is a fault.
  void stop(int graceMs, bool mustEnd = false);
  // How the processes that ended since the last call went wrong (a signal, an
  // exit status, a sanitizer report on stderr), or "".
  std::string takeFault();
  // The largest resident size of the processes that have ended, in KiB.
  int64_t peakKb() const { return peakKb_; }

 private:
  void fault(const std::string& what);

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buf_;
  bool eof_ = false;
  std::string errPath_;
  int64_t errFrom_ = 0;  // its stderr starts here in errPath_
  std::string fault_;
  int64_t peakKb_ = 0;
};

// A player the referee asks for moves.
class Player {
 public:
  virtual ~Player() = default;
  virtual std::string name() const = 0;
  virtual bool newGame(bool sente, std::string& err) = 0;
  // The move for the side to move of `t` (USI text or "resign"); nullopt when
  // the player failed; `timedOut` tells a timeout from other failures.
  virtual std::optional<std::string> think(const Taikyoku& t, int timeoutMs, bool& timedOut,
                                           std::string& err) = 0;
  virtual void gameOver(int result) = 0;  // +1 won, -1 lost, 0 draw
  // Ends its process; newGame starts another.
  virtual void quit() = 0;
  // As Process::takeFault and Process::peakKb, for this player's processes.
  virtual std::string fault() = 0;
  virtual int64_t peakKb() const = 0;
};

struct UsiOptions {
  std::string command;
  std::optional<uint32_t> seed;  // Seed option; the game index is added
  int byoyomiMs = 1000;          // sent with "go", for engines that use it
  int startTimeoutMs = 30000;
  int quitMs = 10000;   // to end after "quit"; a sanitizer's report takes a while
  std::string errPath;  // where its stderr goes ("" drops it)
};
std::unique_ptr<Player> makeUsiPlayer(const UsiOptions& o);

struct GnuShogiOptions {
  std::string command = "gnushogi";
  int depth = 1;  // search depth 1 is its weakest play
  int startTimeoutMs = 30000;
  int quitMs = 5000;
  std::string errPath;
};
std::unique_ptr<Player> makeGnuShogiPlayer(const GnuShogiOptions& o);

// Plays `plies` moves picked at random from the legal ones, the same for the
// same seed, so that engines that think alike still meet new positions.
void randomOpening(Taikyoku& t, int plies, uint32_t seed);

// Plays one game; `sente` moves first. Times are measured per move.
void taikyoku(Taikyoku& t, Player& sente, Player& gote, int timeoutMs);

// The faults of one engine over a match.
struct Fault {
  int illegal = 0, crashes = 0, timeUps = 0;
  int64_t slowestMs = -1;
  int slowestGame = 0;
};

// Counts game `game` of a match for both engines ([0] engine 1, [1] engine 2):
// `black` is the engine that moved first, `ended[e]` what engine e's fault()
// told after the game. A crash is an engine failure in the game or a bad end
// of its process, once per game.
void kazoeru(Fault f[2], const Taikyoku& t, int game, int black, const std::string ended[2]);

// The middle of the move times, the lower of the two middle ones for an even
// count; 0 for none.
int64_t chuuouMs(std::vector<int64_t> ms);

}  // namespace syougi::match

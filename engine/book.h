// Opening book "joseki.lis": whole positions with a move for side 2.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/board.h"

namespace syougi {

// Uniform random numbers in [0, 1) for the book's choice among exact matches;
// seeded from the clock at every game setup.
class Rng {
 public:
  void seed(uint32_t s);
  double rnd();

 private:
  uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

constexpr int kBookMax = 1001;  // records 0..1000

// The four best book candidates for the current position, best first.
struct ZyousekiKouho {
  std::array<int32_t, 4> moto{};  // 0 when the slot is empty
  std::array<int32_t, 4> saki{};
  std::array<int32_t, 4> ten{};
  std::array<std::string, 4> mei{};
};

class Zyouseki {
 public:
  // Loads the book file (yomikomu); a missing or unreadable file is an empty
  // book, and reading stops at the first malformed record. A record whose
  // move or codes do not fit the board is skipped (it still counts toward
  // the 1001 read).
  void yomikomu(const std::string& path);
  // Clears and refills `kouho` for the position: loads `path`, scores every
  // record, offers the scores above 0.
  void zyouseki(const Ban& aru, const Mochi& arull, Rng& rng, const std::string& path);

  ZyousekiKouho kouho;
  int count() const { return count_; }

  // Loaded records; josekimoto[count()] == 111 when the file ended first.
  std::array<int32_t, kBookMax> josekimoto{};
  std::array<int32_t, kBookMax> josekisaki{};
  std::array<std::string, kBookMax> josekimei{};
  std::array<std::array<int32_t, 100>, kBookMax> josekiaru{};
  std::array<std::array<int32_t, 29>, kBookMax> josekiarull{};

 private:
  // Offers one scored move to the four slots (ties never displace).
  void teian(int32_t moto, int32_t saki, int32_t ten, const std::string& mei);

  int count_ = 0;
};

// The book a computer move reads: the working folder's when there is one
// (a user's own book wins), else the installed one; with neither, the
// missing working one, which reads as an empty book.
const std::string& bookFile(const std::string& working, const std::string& installed);

}  // namespace syougi

// The one reader of game records: the window's own "kifu.csa" (a time line
// before each move, no header), CSA V2.2 records and KIF records in UTF-8 or
// Shift_JIS, as other shogi software writes them. Only games from the usual
// start position are read; every move is checked by the window's own rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace syougi {

// One move as played, in the first player's numbering.
struct KifuSasite {
  std::string csa;  // the move line, e.g. +7776FU
  int byou = 0;     // the mover's seconds for it, 0 where the record has none
  int moto = 0;     // source square, 0 for a drop
  int saki = 0;     // destination square
  int kind = 0;     // kind of the moving piece before the move (Kind)
  bool naru = false;    // promotes on this move
  bool narazu = false;  // might have promoted and did not
};

struct KifuKiroku {
  std::vector<KifuSasite> te;  // the moves that stand (take-backs applied)
  bool toryo = false;          // the side to move after the last move resigned
  // The end as a CSA special line ("%TORYO", "%SENNICHITE", ...); empty while
  // the game goes on. An interrupted game (%CHUDAN, 中断) goes on.
  std::string owari;
  bool owatta() const { return !owari.empty() && owari != "%CHUDAN"; }
};

struct KifuAyamari {
  int gyou = 0;            // line number, from 1; 0 for the whole file
  bool yomenai = false;    // the file could not be read at all
  std::string why;
};

// The largest file read: a saved record is a few kilobytes.
constexpr size_t kKifuSaidai = 16u << 20;

// The whole file as bytes; on a refusal `err` names the line and the reason.
std::optional<KifuKiroku> kifuYomu(std::string_view text, KifuAyamari& err);
// The file at `path`: refused like unreadable when it is a directory, and
// when it is larger than kKifuSaidai.
std::optional<KifuKiroku> kifuFairuYomu(const std::string& path, KifuAyamari& err);

// Shift_JIS text as UTF-8: ASCII, half-width katakana, the full-width
// digits, letters and kana, and the kanji and marks records are written
// with; any other character becomes U+FFFD.
std::string sjisKaraUtf8(std::string_view s);

}  // namespace syougi

// The one record reader, a row per file: the window's own record, CSA and
// KIF in UTF-8 and Shift_JIS give their moves, their end and each player's
// seconds, or are refused with the line and the reason. Expected moves are
// the games' own moves written out by hand.
#include <gtest/gtest.h>

#include <string>

#include "model/kifu_yomu.h"

namespace syougi {
namespace {

const std::string kCsaBan =
    "P1-KY-KE-GI-KI-OU-KI-GI-KE-KY\n"
    "P2 * -HI *  *  *  *  * -KA * \n"
    "P3-FU-FU-FU-FU-FU-FU-FU-FU-FU\n"
    "P4 *  *  *  *  *  *  *  *  * \n"
    "P5 *  *  *  *  *  *  *  *  * \n"
    "P6 *  *  *  *  *  *  *  *  * \n"
    "P7+FU+FU+FU+FU+FU+FU+FU+FU+FU\n"
    "P8 * +KA *  *  *  *  * +HI * \n"
    "P9+KY+KE+GI+KI+OU+KI+GI+KE+KY\n";

// 手合割：平手 and seven moves, then 中断, in Shift_JIS.
const std::string kSjisKif =
    "\x8E\xE8\x8D\x87\x8A\x84\x81\x46\x95\xBD\x8E\xE8\r\n"
    "   1 \x82\x51\x98\x5A\x95\xE0(27)\r\n"
    "   2 \x82\x57\x8E\x6C\x95\xE0(83)\r\n"
    "   3 \x82\x51\x8C\xDC\x95\xE0(26)\r\n"
    "   4 \x82\x57\x8C\xDC\x95\xE0(84)\r\n"
    "   5 \x82\x51\x8E\x6C\x95\xE0(25)\r\n"
    "   6 \x93\xAF\x81\x40\x95\xE0(23)\r\n"
    "   7 \x93\xAF\x81\x40\x94\xF2(28)\r\n"
    "   8 \x92\x86\x92\x66\r\n";

const std::string kUtf8Kif =
    "#KIF version=2.0 encoding=UTF-8\n"
    "# a comment\n"
    "開始日時：2026/01/01 10:00:00\n"
    "手合割：平手\n"
    "先手：A\n"
    "後手：B\n"
    "手数----指手---------消費時間--\n"
    "   1 ７六歩(77)   ( 0:05/00:00:05)\n"
    "*a comment on the move\n"
    "   2 ３四歩(33)   ( 0:02/00:00:02)\n"
    "   3 ２二角成(88) ( 0:05/00:00:10)\n"
    "   4 同　銀(31)   ( 1:02/00:01:04)\n"
    "   5 ４五角打     ( 0:10/00:00:20)\n"
    "   6 投了         ( 0:00/00:01:04)\n"
    "まで5手で先手の勝ち\n";

struct Row {
  const char* name;
  std::string text;
  std::string moves;  // the CSA move lines, one space between
  std::string owari;
  int byou[2];  // the first and the second player's seconds
  int line;
  std::string why;  // the start of the reason; empty when read
};

TEST(KifuYomu, EachRecordGivesItsMovesOrItsLineAndReason) {
  const Row rows[] = {
      {"own, a take-back", "T5\r\n+7776FU\r\nT3\r\n-3334FU\r\nT2\r\n+2726FU\r\n%MATTA\r\nT4\r\n-8384FU\r\n",
       "+7776FU -8384FU", "", {5, 4}, 0, ""},
      {"own, resigned", "T5\r\n+7776FU\r\n%TORYO\r\n", "+7776FU", "%TORYO", {5, 0}, 0, ""},
      {"own, a byte order mark", "\xEF\xBB\xBFT5\r\n+7776FU\r\n", "+7776FU", "", {5, 0}, 0, ""},
      {"CSA V2.2", "'a comment\nV2.2\nN+Sente\nN-Gote\n$EVENT:test\n" + kCsaBan +
                       "P+\nP-\n+\n+7776FU\nT12\n'a comment\n-3334FU,T3\n+8822UM\nT5\n-3122GI\nT1\n%TORYO\n",
       "+7776FU -3334FU +8822UM -3122GI", "%TORYO", {17, 4}, 0, ""},
      {"CSA PI, interrupted", "V2.2\r\nPI\r\n+\r\n+2726FU\r\nT1\r\n%CHUDAN\r\n", "+2726FU", "%CHUDAN", {1, 0}, 0, ""},
      {"CSA, a byte order mark", "\xEF\xBB\xBFV2.2\nPI\n+\n+7776FU\n", "+7776FU", "", {0, 0}, 0, ""},
      {"KIF UTF-8", kUtf8Kif, "+7776FU -3334FU +8822UM -3122GI +0045KA", "%TORYO", {20, 64}, 0, ""},
      {"KIF Shift_JIS", kSjisKif, "+2726FU -8384FU +2625FU -8485FU +2524FU -2324FU +2824HI", "%CHUDAN", {0, 0}, 0, ""},
      {"KIF, promotions declined, unmarked and marked",
       "手合割：平手\n1 ７六歩(77)\n2 ３四歩(33)\n3 ２二角(88)\n4 同　銀(31)\n5 ３三角打\n6 ４二金(41)\n"
       "7 ４四角不成(33)\n",
       "+7776FU -3334FU +8822KA -3122GI +0033KA -4142KI +3344KA", "", {0, 0}, 0, ""},
      {"not a record", "hello world\n", "", "", {0, 0}, 1, "not a line of a saved record"},
      {"binary", std::string("\x89PNG\r\n\x1a\n", 8), "", "", {0, 0}, 1, "not a line of a KIF record"},
      {"CR-only line ends", "V2.2\rPI\r+\r", "", "", {0, 0}, 1, "a line ends in CR alone"},
      {"CSA handicap", "V2.2\nPI82HI\n+\n", "", "", {0, 0}, 2, "a handicap"},
      {"CSA another position", "V2.2\n" + kCsaBan.substr(0, 90) + "P4 *  *  *  *  *  *  * -FU * \n", "", "",
       {0, 0}, 5, "another start position"},
      {"CSA pieces in hand", "V2.2\nPI\nP+00FU\n+\n", "", "", {0, 0}, 3, "another start position"},
      {"CSA second player first", "V2.2\nPI\n-\n", "", "", {0, 0}, 3, "another start position"},
      {"CSA illegal move", "V2.2\nPI\n+\n+7776FU\n-7776FU\n", "", "", {0, 0}, 5, "the mover has no piece on 77"},
      {"CSA move after the end", "V2.2\nPI\n+\n+7776FU\n%TORYO\n-3334FU\n", "", "", {0, 0}, 6, "a line after the end"},
      {"KIF handicap", "手合割：香落ち\n", "", "", {0, 0}, 1, "a handicap"},
      {"KIF board diagram", "後手の持駒：なし\n", "", "", {0, 0}, 1, "another start position"},
      {"KIF illegal move", "手合割：平手\n   1 ７五歩(77)\n", "", "", {0, 0}, 2, "FU on 77 cannot move to 75"},
      {"KIF move number", "   2 ７六歩(77)\n", "", "", {0, 0}, 1, "move 2 where move 1 comes next"},
      {"KIF 同 first", "   1 同　歩(77)\n", "", "", {0, 0}, 1, "同 (the square of the move before)"},
  };
  for (const Row& r : rows) {
    KifuAyamari err;
    const std::optional<KifuKiroku> k = kifuYomu(r.text, err);
    if (!r.why.empty()) {
      EXPECT_FALSE(k.has_value()) << r.name;
      EXPECT_EQ(err.gyou, r.line) << r.name;
      EXPECT_EQ(err.why.substr(0, r.why.size()), r.why) << r.name << ": " << err.why;
      continue;
    }
    ASSERT_TRUE(k.has_value()) << r.name << ": line " << err.gyou << ": " << err.why;
    std::string moves;
    int byou[2] = {0, 0};
    for (size_t i = 0; i < k->te.size(); ++i) {
      moves += (i ? " " : "") + k->te[i].csa;
      byou[i % 2] += k->te[i].byou;
    }
    EXPECT_EQ(moves, r.moves) << r.name;
    EXPECT_EQ(k->owari, r.owari) << r.name;
    EXPECT_EQ(k->owatta(), r.owari == "%TORYO") << r.name;
    EXPECT_EQ(byou[0], r.byou[0]) << r.name;
    EXPECT_EQ(byou[1], r.byou[1]) << r.name;
  }
}

}  // namespace
}  // namespace syougi

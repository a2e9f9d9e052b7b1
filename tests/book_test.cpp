#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/book.h"
#include "model/board.h"
#include "tests/temp_dir.h"

using namespace syougi;
namespace fs = std::filesystem;

namespace {

struct Rec {
  int32_t moto = 33;  // side-2 pawn 33 -> 34 from the start position
  int32_t saki = 34;
  std::string mei = "mitei";
  Ban aru{};
  Mochi arull{};
  Rec() { syokihaiti(aru, arull); }
};

std::string line(const Rec& r, const char* sep = ",", const char* eol = "\r\n") {
  std::string out = std::to_string(r.moto) + sep + std::to_string(r.saki) + sep + "\"" + r.mei +
                    "\"";
  for (int s = 11; s <= 99; ++s)
    if (isSquare(s)) out += sep + std::to_string(r.aru[s]);
  for (int k : {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28})
    out += sep + std::to_string(r.arull[k]);
  return out + eol;
}

class Book : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    path_ = (tmp_.path() / "joseki.lis").string();
    z_ = std::make_unique<Zyouseki>();
    syokihaiti(aru_, arull_);
    rng_.seed(12345);
    twin_.seed(12345);
  }

  void write(const std::string& text) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << text;
  }
  void run() { z_->zyouseki(aru_, arull_, rng_, path_); }
  // The score an exact match gets with the next draw of the generator.
  int32_t nextExact() { return 50 + static_cast<int32_t>(twin_.rnd() * 10); }
  void expectSlot(int k, int32_t moto, int32_t saki, int32_t ten, const std::string& mei) {
    EXPECT_EQ(z_->kouho.moto[k], moto) << "slot " << k;
    EXPECT_EQ(z_->kouho.saki[k], saki) << "slot " << k;
    EXPECT_EQ(z_->kouho.ten[k], ten) << "slot " << k;
    EXPECT_EQ(z_->kouho.mei[k], mei) << "slot " << k;
  }
  void expectEmpty(int k) { expectSlot(k, 0, 0, 0, ""); }
  // True when the generator was not drawn from since the twin's last draw.
  bool noDraw() {
    Rng a = rng_, b = twin_;
    return a.rnd() == b.rnd();
  }

  syougi::test::TempDir tmp_{"book"};
  std::string path_;
  std::unique_ptr<Zyouseki> z_;
  Ban aru_{};
  Mochi arull_{};
  Rng rng_, twin_;
};

}  // namespace

TEST(BookRng, RangeAndRepeatability) {
  Rng a, b, c;
  a.seed(7);
  b.seed(7);
  c.seed(8);
  int same = 0;
  int decile[10] = {};
  for (int i = 0; i < 10000; ++i) {
    const double x = a.rnd();
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    ASSERT_EQ(x, b.rnd());
    if (x == c.rnd()) ++same;
    ++decile[static_cast<int>(x * 10)];
  }
  EXPECT_LT(same, 5);
  for (int d = 0; d < 10; ++d) {
    EXPECT_GT(decile[d], 800) << d;
    EXPECT_LT(decile[d], 1200) << d;
  }
}

TEST_F(Book, ExactMatchIsFiftyPlusRandom) {
  write(line(Rec{}));
  run();
  expectSlot(0, 33, 34, nextExact(), "mitei");
  expectEmpty(1);
  EXPECT_GE(z_->kouho.ten[0], 50);
  EXPECT_LE(z_->kouho.ten[0], 59);
  EXPECT_TRUE(noDraw());
}

TEST_F(Book, OneDifferentCellOn55Scores48) {
  Rec r;
  r.aru[55] = 108;
  write(line(r));
  run();
  expectSlot(0, 33, 34, 48, "mitei");
  expectEmpty(1);
  EXPECT_TRUE(noDraw());  // only exact matches draw
}

TEST_F(Book, BoardPenaltyBySquare) {
  struct Cell {
    int q;
    int32_t batu;
  };
  // Every cell that costs more than 2, and some that cost 2.
  const Cell cells[] = {{11, 3}, {21, 3}, {31, 3}, {41, 3}, {51, 5}, {61, 3}, {71, 2}, {91, 2},
                        {12, 3}, {22, 3}, {32, 3}, {42, 3}, {52, 3}, {62, 3}, {72, 2}, {82, 2},
                        {25, 3}, {26, 3}, {27, 3}, {28, 4}, {78, 3}, {88, 3}, {98, 3}, {68, 2},
                        {19, 3}, {59, 5}, {99, 3}, {29, 2}, {69, 2}, {55, 2}, {15, 2}, {95, 2}};
  for (const Cell& c : cells) {
    Rec r;
    r.aru[c.q] = r.aru[c.q] == 0 ? 215 : 0;
    write(line(r));
    run();
    expectSlot(0, 33, 34, 50 - c.batu, "mitei");
  }
  // Every differing cell costs once: 51, 59 and 28 together.
  Rec r;
  r.aru[51] = 0;
  r.aru[59] = 0;
  r.aru[28] = 0;
  write(line(r));
  run();
  expectSlot(0, 33, 34, 50 - 14, "mitei");
}

TEST_F(Book, HandsMayOnlyFavourTheComputer) {
  // The user holds one more pawn than the book position: -9.
  arull_[18] = 1;
  write(line(Rec{}));
  run();
  expectSlot(0, 33, 34, 41, "mitei");
  // The user holds three more silvers: -(7 + 6).
  arull_.fill(0);
  arull_[15] = 3;
  run();
  expectSlot(0, 33, 34, 37, "mitei");
  // The computer holds one pawn fewer than the book position: -9.
  arull_.fill(0);
  Rec r;
  r.arull[28] = 1;
  write(line(r));
  run();
  expectSlot(0, 33, 34, 41, "mitei");
  EXPECT_TRUE(noDraw());
  // The reverse costs nothing: user fewer, computer more is still exact.
  Rec u;
  u.arull[18] = 2;
  write(line(u));
  arull_.fill(0);
  arull_[25] = 1;
  run();
  expectSlot(0, 33, 34, nextExact(), "mitei");
}

TEST_F(Book, EveryKindInHandIsCompared) {
  // One piece of a kind more in the user's hand than in the book, or one more
  // in the book's computer hand than on the board: 7 + 2 = 9 off.
  for (int kind = 2; kind <= 8; ++kind) {
    arull_.fill(0);
    arull_[10 + kind] = 1;
    write(line(Rec{}));
    run();
    expectSlot(0, 33, 34, 41, "mitei");
    arull_.fill(0);
    Rec r;
    r.arull[20 + kind] = 1;
    write(line(r));
    run();
    expectSlot(0, 33, 34, 41, "mitei");
  }
  EXPECT_TRUE(noDraw());
}

TEST_F(Book, SameMoveExactAndInexactTakeOneSlot) {
  Rec inexact;
  inexact.mei = "hunag";
  inexact.aru[55] = 108;
  Rec exact;
  exact.mei = "yagji";
  write(line(inexact) + line(exact));
  run();
  expectSlot(0, 33, 34, nextExact(), "yagji");
  expectEmpty(1);
  // The other way round the inexact record is not better and changes nothing.
  write(line(exact) + line(inexact));
  run();
  expectSlot(0, 33, 34, nextExact(), "yagji");
  expectEmpty(1);
}

TEST_F(Book, MoveAlreadyListedMovesUpOnlyWhenBetter) {
  Rec a;  // 71 -> 62 silver, 48
  a.moto = 71;
  a.saki = 62;
  a.mei = "a";
  a.aru[55] = 108;
  Rec b;  // 93 -> 94, 46 (28 differs)
  b.moto = 93;
  b.saki = 94;
  b.mei = "b";
  b.aru[28] = 0;
  Rec c;  // 33 -> 34, 45 (51 differs)
  c.mei = "c";
  c.aru[51] = 0;
  Rec d = c;  // 33 -> 34 again, 47 (11 differs)
  d.mei = "d";
  d.aru[51] = 201;
  d.aru[11] = 0;
  Rec e = d;  // the same score again: a tie does not move or rename it
  e.mei = "e";
  write(line(a) + line(b) + line(c) + line(d) + line(e));
  run();
  expectSlot(0, 71, 62, 48, "a");
  expectSlot(1, 33, 34, 47, "d");
  expectSlot(2, 93, 94, 46, "b");
  expectEmpty(3);
}

TEST_F(Book, FourSlotsBestFirstTiesKeepOrder) {
  Rec r[5];
  const int mo[5] = {33, 93, 13, 73, 71};
  const int sa[5] = {34, 94, 14, 74, 62};
  const int diff[5] = {51, 28, 11, 55, 95};  // 45, 46, 47, 48, 48
  for (int i = 0; i < 5; ++i) {
    r[i].moto = mo[i];
    r[i].saki = sa[i];
    r[i].mei = std::string(1, static_cast<char>('p' + i));
    r[i].aru[diff[i]] = r[i].aru[diff[i]] == 0 ? 218 : 0;
  }
  std::string text;
  for (const Rec& x : r) text += line(x);
  write(text);
  run();
  expectSlot(0, 73, 74, 48, "s");
  expectSlot(1, 71, 62, 48, "t");
  expectSlot(2, 13, 14, 47, "r");
  expectSlot(3, 93, 94, 46, "q");
}

TEST_F(Book, TwoExactMatchesOrderedByTheirDraws) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    rng_.seed(seed);
    twin_.seed(seed);
    Rec a;
    a.mei = "first";
    Rec b;
    b.moto = 73;
    b.saki = 74;
    b.mei = "second";
    write(line(a) + line(b));
    run();
    const int32_t sa = nextExact(), sb = nextExact();
    if (sb > sa) {
      expectSlot(0, 73, 74, sb, "second");
      expectSlot(1, 33, 34, sa, "first");
    } else {
      expectSlot(0, 33, 34, sa, "first");
      expectSlot(1, 73, 74, sb, "second");
    }
  }
}

TEST_F(Book, PromotingMoveIsADifferentPair) {
  // Side-2 bishop 22 -> 88 unpromoted and promoted, after both sides'
  // bishop diagonals are open (pawns on 34 and 76 moved).
  Rec r;
  r.aru[33] = 0;
  r.aru[34] = 208;
  r.aru[77] = 0;
  r.aru[76] = 108;
  aru_ = r.aru;
  r.moto = 22;
  r.saki = 88;
  r.mei = "plain";
  Rec p = r;
  p.saki = 188;
  p.mei = "naru";
  write(line(r) + line(p));
  run();
  const int32_t s1 = nextExact(), s2 = nextExact();
  EXPECT_EQ(z_->kouho.ten[0], std::max(s1, s2));
  EXPECT_EQ(z_->kouho.ten[1], std::min(s1, s2));
  EXPECT_NE(z_->kouho.saki[0], z_->kouho.saki[1]);
}

TEST_F(Book, DropNeedsThePieceInHandAndAnEmptySquare) {
  Rec r;
  r.moto = 208;
  r.saki = 55;
  r.arull[28] = 1;
  arull_[28] = 0;  // the computer holds no pawn: never a candidate
  write(line(r));
  run();
  expectEmpty(0);
  EXPECT_TRUE(noDraw());
  // With the pawn in hand it is an exact match.
  arull_[28] = 1;
  run();
  expectSlot(0, 208, 55, nextExact(), "mitei");
  // Onto an occupied square (the book position agreeing) it is not.
  Rec o = r;
  o.saki = 57;
  write(line(o));
  run();
  expectEmpty(0);
}

TEST_F(Book, EachMoveCheckAloneRulesTheRecordOut) {
  // The book pawn 33 -> 34, with one cell of the board different. Without its
  // check the record would score 50 - 2 = 48; with it, 0 - 2.
  struct Case {
    const char* what;
    int q;
    int32_t code;
  };
  const Case cases[] = {
      {"source gone", 33, 0},
      {"another piece on the source", 33, 205},
      {"destination taken", 34, 108},
      {"computer's own piece on the destination", 34, 204},
  };
  for (const Case& c : cases) {
    syokihaiti(aru_, arull_);
    aru_[c.q] = c.code;
    write(line(Rec{}));
    run();
    expectEmpty(0);
    EXPECT_EQ(z_->kouho.ten[0], 0) << c.what;
  }
}

TEST_F(Book, DropNeedsThatKindInTheComputersHand) {
  // A drop of each kind on 55, the book's hands equal to the board's: an exact
  // match when the computer holds that kind, none when it holds every other
  // kind (and the user holds that one).
  for (int kind = 2; kind <= 8; ++kind) {
    Rec r;
    r.moto = 200 + kind;
    r.saki = 55;
    r.arull.fill(0);
    r.arull[20 + kind] = 1;
    arull_ = r.arull;
    write(line(r));
    run();
    expectSlot(0, 200 + kind, 55, nextExact(), "mitei");
    for (int k = 2; k <= 8; ++k) r.arull[20 + k] = k == kind ? 0 : 1;
    r.arull[10 + kind] = 1;
    arull_ = r.arull;
    write(line(r));
    run();
    EXPECT_EQ(z_->kouho.ten[0], 0) << kind;
  }
}

TEST_F(Book, EmptyOrMissingFileLeavesTheSlotsEmpty) {
  write("");
  run();
  for (int k = 0; k < 4; ++k) expectEmpty(k);
  EXPECT_EQ(z_->count(), 0);
  EXPECT_EQ(z_->josekimoto[0], 111);
  // Slots from a previous call are cleared too.
  write(line(Rec{}));
  run();
  ASSERT_GE(z_->kouho.ten[0], 50);
  fs::remove(path_);
  run();
  for (int k = 0; k < 4; ++k) expectEmpty(k);
  EXPECT_EQ(z_->count(), 0);
  write("\r\n\r\n  \n");
  run();
  EXPECT_EQ(z_->count(), 0);
  expectEmpty(0);
}

TEST_F(Book, AtMost1001Records) {
  Rec r;
  std::string text;
  for (int i = 0; i < 1001; ++i) {
    r.mei = "n" + std::to_string(i);
    text += line(r);
  }
  write(text);
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1001);
  EXPECT_EQ(z_->josekimei[1000], "n1000");
  EXPECT_EQ(z_->josekimoto[1000], 33);  // no end marker
  r.mei = "extra";
  write(text + line(r));
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1001);
  EXPECT_EQ(z_->josekimei[1000], "n1000");
  EXPECT_EQ(z_->josekimoto[1000], 33);
  // One record fewer: the marker follows the last.
  r.mei = "n1000";
  write(text.substr(0, text.size() - line(r).size()));
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1000);
  EXPECT_EQ(z_->josekimoto[1000], 111);
}

TEST_F(Book, FieldsAcrossLinesBlanksAndQuotedCommas) {
  Rec a;
  a.mei = "yag,ji";
  a.aru[55] = 108;
  Rec b;
  b.moto = 73;
  b.saki = 74;
  b.mei = "totik";
  // One field per line with LF, then blanks around comma-separated fields
  // spread over lines with CR LF; an unquoted name.
  std::string text = line(a, "\n", "\n");
  std::string second = " 73 ,\t74 , totik ";
  for (int s = 11; s <= 99; ++s) {
    if (!isSquare(s)) continue;
    second += (s % 10 == 1 ? "\r\n " : " , ") + std::to_string(b.aru[s]);
  }
  second += "\r\n0,0,0,0,0,0,0,\r\n0,0,0,0,0,0,0\r\n";
  write(text + second);
  z_->yomikomu(path_);
  ASSERT_EQ(z_->count(), 2);
  EXPECT_EQ(z_->josekimei[0], "yag,ji");
  EXPECT_EQ(z_->josekiaru[0][55], 108);
  EXPECT_EQ(z_->josekiaru[0][59], 101);
  EXPECT_EQ(z_->josekimei[1], "totik");
  EXPECT_EQ(z_->josekimoto[1], 73);
  EXPECT_EQ(z_->josekisaki[1], 74);
  EXPECT_EQ(z_->josekiaru[1][99], 107);
  EXPECT_EQ(z_->josekiaru[1][82], 202);
  EXPECT_EQ(z_->josekimoto[2], 111);
  run();
  expectSlot(0, 73, 74, nextExact(), "totik");
  expectSlot(1, 33, 34, 48, "yag,ji");
}

TEST_F(Book, HandCountsLandInTheirCells) {
  Rec r;
  const int cells[14] = {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28};
  const int vals[14] = {1, 2, 3, 4, 1, 2, 18, 2, 1, 4, 3, 2, 1, 17};
  for (int i = 0; i < 14; ++i) r.arull[cells[i]] = vals[i];
  write(line(r));
  z_->yomikomu(path_);
  ASSERT_EQ(z_->count(), 1);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(z_->josekiarull[0][cells[i]], vals[i]) << cells[i];
  EXPECT_EQ(z_->josekiaru[0][11], 207);
  EXPECT_EQ(z_->josekiaru[0][19], 107);
  EXPECT_EQ(z_->josekiaru[0][91], 207);
  EXPECT_EQ(z_->josekiaru[0][28], 102);
}

TEST_F(Book, TruncatedFileKeepsTheWholeRecords) {
  Rec r;
  const std::string one = line(r);
  write(one + one + one.substr(0, one.size() / 2));
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 2);
  EXPECT_EQ(z_->josekimoto[2], 111);
  // Cut right after the name, and inside an open quote.
  write(one + "33,34,\"mit");
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1);
  write(one + "33,34");
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1);
  run();
  expectSlot(0, 33, 34, nextExact(), "mitei");
}

TEST_F(Book, GarbageEndsTheBook) {
  Rec r;
  std::string bad = line(r);
  bad.replace(bad.find(",207,"), 5, ",2x7,");
  write(line(r) + bad + line(r));
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1);
  EXPECT_EQ(z_->josekimoto[1], 111);
  write(line(r) + "hello,world\r\n");
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 1);
  // An empty number field and a number too large for 32 bits.
  std::string empty = line(r);
  empty.replace(empty.find(",0,"), 3, ",,");
  write(empty);
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 0);
  write("33,99999999999," + line(r).substr(6));
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 0);
}

TEST_F(Book, OutOfRangeRecordsAreSkipped) {
  auto with = [](auto change) {
    Rec r;
    r.mei = "bad";
    change(r);
    return line(r);
  };
  const std::string bad[] = {
      with([](Rec& r) { r.aru[55] = 150; }),
      with([](Rec& r) { r.aru[55] = 1; }),
      with([](Rec& r) { r.aru[55] = -208; }),
      with([](Rec& r) { r.aru[55] = 211; }),
      with([](Rec& r) { r.arull[18] = -1; }),
      with([](Rec& r) { r.arull[28] = 19; }),
      with([](Rec& r) { r.arull[22] = 3; }),
      with([](Rec& r) { r.moto = 209; }),
      with([](Rec& r) { r.moto = 201; }),
      with([](Rec& r) { r.moto = 0; }),
      with([](Rec& r) { r.moto = 100; }),
      with([](Rec& r) { r.moto = 30; }),
      with([](Rec& r) { r.moto = -33; }),
      with([](Rec& r) { r.saki = 100; }),
      with([](Rec& r) { r.saki = 5; }),
      with([](Rec& r) { r.saki = 40; }),
      with([](Rec& r) { r.saki = 200; }),
      with([](Rec& r) { r.saki = -34; }),
      with([](Rec& r) { r.moto = 208; r.saki = 155; r.arull[28] = 1; }),  // drop promoting
      with([](Rec& r) { r.moto = 208; r.saki = 57; r.arull[28] = 1; }),   // drop onto a piece
      with([](Rec& r) { r.moto = 208; r.saki = -80; r.arull[28] = 1; }),  // drop off the board
      with([](Rec& r) { r.moto = 37; r.saki = 36; }),                     // the user's pawn
      with([](Rec& r) { r.moto = 55; r.saki = 54; }),                     // an empty square
      with([](Rec& r) { r.moto = 31; r.saki = 22; }),                     // onto its own piece
  };
  Rec good;
  good.mei = "good";
  for (const std::string& b : bad) {
    write(b + line(good));
    z_->yomikomu(path_);
    ASSERT_EQ(z_->count(), 1) << b.substr(0, 20);
    EXPECT_EQ(z_->josekimei[0], "good");
    EXPECT_EQ(z_->josekimoto[1], 111);
  }
  arull_[28] = 1;
  write(bad[7] + bad[19] + line(good));
  run();
  expectSlot(0, 33, 34, nextExact(), "good");
  expectEmpty(1);
}

TEST_F(Book, ReloadedOnEveryCall) {
  Rec a;
  write(line(a) + line(a));
  z_->yomikomu(path_);
  EXPECT_EQ(z_->count(), 2);
  Rec b;
  b.moto = 73;
  b.saki = 74;
  write(line(b));
  run();
  EXPECT_EQ(z_->count(), 1);
  EXPECT_EQ(z_->josekimoto[1], 111);
  expectSlot(0, 73, 74, nextExact(), "mitei");
  expectEmpty(1);
}

TEST_F(Book, ScrambledFilesNeverReadOutsideTheArrays) {
  // Valid records with characters overwritten at random places: whatever
  // survives must hold only codes that are safe to index with.
  Rng pick;
  pick.seed(99);
  const std::string alphabet = "0123456789,,\"\r\n -x";
  Rec r;
  const std::string one = line(r);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int i = 0; i < 5; ++i) text += one;
    for (int n = 0; n < 6; ++n) {
      const size_t at = static_cast<size_t>(pick.rnd() * static_cast<double>(text.size()));
      text[at] = alphabet[static_cast<size_t>(pick.rnd() * static_cast<double>(alphabet.size()))];
    }
    write(text);
    run();
    ASSERT_LE(z_->count(), 5);
    EXPECT_EQ(z_->josekimoto[z_->count()], 111);
    for (int i = 0; i < z_->count(); ++i) {
      const int32_t m = z_->josekimoto[i], s = z_->josekisaki[i];
      EXPECT_TRUE(isSquare(m) || (m >= 202 && m <= 208)) << m;
      EXPECT_TRUE(isSquare(s % 100) && s > 0 && s < 200) << s;
    }
    for (int k = 0; k < 4; ++k) {
      if (z_->kouho.ten[k] > 0) {
        EXPECT_TRUE(isSquare(z_->kouho.saki[k] % 100));
      }
    }
  }
}

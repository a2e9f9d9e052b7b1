// The shipped opening book and its generator.
#define JOSEKI_GEN_NO_MAIN
#include "tools/joseki_gen.cpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/basyo.h"
#include "engine/book.h"
#include "engine/search.h"
#include "model/attacks.h"
#include "model/board.h"
#include "model/kiroku.h"
#include "model/kyokumen.h"
#include "model/rules.h"
#include "tests/board_helpers.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using josekigen::generate;
using josekigen::format;

const std::string kLis = std::string(SYOUGI_SOURCE_DIR) + "/data/joseki.lis";
const std::string kSrc = std::string(SYOUGI_SOURCE_DIR) + "/data/joseki.src";

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A record read back from the text, without any help from the generator.
struct BookRec {
  int32_t moto = 0;
  int32_t saki = 0;
  std::string mei;
  Ban aru{};
  Mochi arull{};
};

constexpr int kHands[14] = {12, 13, 14, 15, 16, 17, 18, 22, 23, 24, 25, 26, 27, 28};

// Fields split at commas and line breaks, blanks trimmed, quotes removed.
std::vector<std::string> fields(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  auto flush = [&] {
    const auto b = cur.find_first_not_of(" \t");
    const auto e = cur.find_last_not_of(" \t");
    std::string f = b == std::string::npos ? "" : cur.substr(b, e - b + 1);
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
    if (any) out.push_back(f);
    cur.clear();
    any = false;
  };
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == ',' || c == '\n' || c == '\r')) {
      if (c == ',') any = true;
      flush();
      continue;
    }
    cur += c;
    if (c != ' ' && c != '\t') any = true;
  }
  flush();
  return out;
}

std::vector<BookRec> readBook(const std::string& text) {
  const std::vector<std::string> f = fields(text);
  EXPECT_EQ(f.size() % 98, 0u) << "the book is not a whole number of 98-field records";
  std::vector<BookRec> recs;
  for (size_t at = 0; at + 98 <= f.size(); at += 98) {
    BookRec r;
    r.moto = std::stoi(f[at]);
    r.saki = std::stoi(f[at + 1]);
    r.mei = f[at + 2];
    r.aru.fill(SOTO);
    int k = 3;
    for (int file = 1; file <= 9; ++file)
      for (int rank = 1; rank <= 9; ++rank) r.aru[file * 10 + rank] = std::stoi(f[at + k++]);
    r.arull.fill(0);
    for (int h : kHands) r.arull[h] = std::stoi(f[at + k++]);
    recs.push_back(r);
  }
  return recs;
}

bool validCode(int32_t c) {
  if (c == 0) return true;
  const int s = c / 100, k = c % 100;
  if (s != 1 && s != 2) return false;
  return (k >= 1 && k <= 8) || k == 12 || k == 13 || (k >= 15 && k <= 18);
}

// Whether side 2 may play (moto, saki) here, as the side to move.
bool legalForSide2(const BookRec& r) {
  const int32_t from = r.moto > 100 ? r.moto - 100 : 110 - r.moto;
  const int32_t to = 110 - r.saki % 100;
  const bool naru = r.saki > 100;
  if (r.moto > 100 && (r.moto < 202 || r.moto > 208)) return false;
  if (r.moto < 100 && !isSquare(r.moto)) return false;
  if (!isSquare(r.saki % 100) || (r.saki > 100 && r.moto > 100)) return false;
  TeList list;
  gouhou(Kyokumen{r.aru, r.arull, true}, list);
  return list.fukumu(Te{from, to, naru});
}

// The start position with one side-1 move played, if it is that.
bool oneUserMoveFromStart(const BookRec& r, std::string& which) {
  Ban start;
  Mochi startll;
  syokihaiti(start, startll);
  TeList list;
  const int n = gouhousyu(start, startll, list);
  for (int k = 0; k < n; ++k) {
    Ban b = start;
    Mochi bll = startll;
    sasu1(b, bll, list[k].moto, list[k].saki, list[k].naru);
    if (b == r.aru && bll == r.arull) {
      which = std::to_string(list[k].moto) + "-" + std::to_string(list[k].saki);
      return true;
    }
  }
  return false;
}

class BookFile : public ::testing::Test {
 protected:
  void SetUp() override {
    text_ = slurp(kLis);
    ASSERT_FALSE(text_.empty()) << kLis;
    recs_ = readBook(text_);
  }
  std::string text_;
  std::vector<BookRec> recs_;
};

TEST_F(BookFile, HoldsAtLeast300RecordsAndNoMoreThanTheReaderLoads) {
  EXPECT_GE(recs_.size(), 300u);
  EXPECT_LE(recs_.size(), 1001u);
}

TEST_F(BookFile, OneRecordPerCrLfLineOf98Fields) {
  std::istringstream in(text_);
  int lines = 0;
  for (std::string line; std::getline(in, line);) {
    ++lines;
    ASSERT_FALSE(line.empty()) << "line " << lines;
    EXPECT_EQ(line.back(), '\r') << "line " << lines;
    EXPECT_EQ(fields(line).size(), 98u) << "line " << lines;
  }
  EXPECT_EQ(static_cast<size_t>(lines), recs_.size());
  ASSERT_GE(text_.size(), 2u);
  EXPECT_EQ(text_.substr(text_.size() - 2), "\r\n");
}

TEST_F(BookFile, EveryPositionCouldArise) {
  for (size_t i = 0; i < recs_.size(); ++i) {
    const BookRec& r = recs_[i];
    SCOPED_TRACE("record " + std::to_string(i));
    int kings1 = 0, kings2 = 0;
    std::map<int, int> total;  // by unpromoted kind
    for (int file = 1; file <= 9; ++file) {
      int pawns1 = 0, pawns2 = 0;
      for (int rank = 1; rank <= 9; ++rank) {
        const int32_t c = r.aru[file * 10 + rank];
        ASSERT_TRUE(validCode(c)) << "square " << file * 10 + rank << " holds " << c;
        if (c == 0) continue;
        const int k = c % 100;
        total[k > 10 ? k - 10 : k] += 1;
        kings1 += c == 101;
        kings2 += c == 201;
        pawns1 += c == 108;
        pawns2 += c == 208;
        // Pieces that could never move again are never on the board.
        if (c == 108 || c == 107) {
          EXPECT_GT(rank, 1);
        }
        if (c == 106) {
          EXPECT_GT(rank, 2);
        }
        if (c == 208 || c == 207) {
          EXPECT_LT(rank, 9);
        }
        if (c == 206) {
          EXPECT_LT(rank, 8);
        }
      }
      EXPECT_LE(pawns1, 1) << "two side-1 pawns on file " << file;
      EXPECT_LE(pawns2, 1) << "two side-2 pawns on file " << file;
    }
    EXPECT_EQ(kings1, 1);
    EXPECT_EQ(kings2, 1);
    for (int h : kHands) {
      EXPECT_GE(r.arull[h], 0);
      total[h % 10] += r.arull[h];
    }
    const std::map<int, int> full = {{1, 2}, {2, 2}, {3, 2}, {4, 4},
                                     {5, 4}, {6, 4}, {7, 4}, {8, 18}};
    EXPECT_EQ(total, full);
    // Side 2 is to move, so the user's king cannot stand in check.
    EXPECT_FALSE(outeSide1(r.aru));
  }
}

TEST_F(BookFile, EveryMoveIsLegalForTheComputer) {
  for (size_t i = 0; i < recs_.size(); ++i)
    EXPECT_TRUE(legalForSide2(recs_[i]))
        << "record " << i << ": " << recs_[i].moto << "," << recs_[i].saki;
}

// Value of what a capture puts into the hand: promoted pieces count as
// their unpromoted kind, so an exchange of bishops is even.
int32_t handValue(int32_t code) { return komaten[100 + (code % 100) % 10]; }

// The user's best single capture on `b` (user to move), taken back at once
// when the square is guarded.
int32_t bestCapture(const Ban& b, const Mochi& ll) {
  TeList list;
  const int n = gouhousyu(b, ll, list);
  int32_t best = 0;
  for (int k = 0; k < n && k < 600; ++k) {
    if (sideOf(b[list[k].saki]) != 2) continue;
    Ban after = b;
    Mochi afterll = ll;
    sasu1(after, afterll, list[k].moto, list[k].saki, list[k].naru);
    int32_t gain = handValue(b[list[k].saki]);
    if (test::menOf(after).toripl2[list[k].saki] > 0)
      gain -= handValue(after[list[k].saki]);
    best = std::max(best, gain);
  }
  return best;
}

TEST_F(BookFile, NoBookMoveLeavesAPieceToBeTakenForNothing) {
  for (size_t i = 0; i < recs_.size(); ++i) {
    const BookRec& r = recs_[i];
    Ban b = r.aru;
    const int saki = r.saki % 100;
    const int32_t took = b[saki] == 0 ? 0 : handValue(b[saki]);
    b[saki] = r.moto > 100 ? r.moto : b[r.moto] + (r.saki > 100 ? 10 : 0);
    if (r.moto < 100) b[r.moto] = 0;
    Mochi ll = r.arull;
    if (took) ll[20 + r.aru[saki] % 10] += 1;
    if (r.moto > 100) ll[r.moto - 180] -= 1;
    const int32_t best = bestCapture(b, ll);
    EXPECT_LE(best - took, 0) << "record " << i << ": " << r.moto << "," << r.saki;
  }
}

// No double attack: after the book move, whatever the user plays, the
// computer has an answer after which the user wins less than a lance.
TEST_F(BookFile, NoUserReplyWinsMaterialWhateverTheComputerAnswers) {
  for (size_t i = 0; i < recs_.size(); ++i) {
    const BookRec& r = recs_[i];
    Ban b = r.aru;
    Mochi ll = r.arull;
    const int saki = r.saki % 100;
    const int32_t took = b[saki] == 0 ? 0 : handValue(b[saki]);
    if (took) ll[20 + b[saki] % 10] += 1;
    b[saki] = r.moto > 100 ? r.moto : b[r.moto] + (r.saki > 100 ? 10 : 0);
    if (r.moto < 100) b[r.moto] = 0;
    if (r.moto > 100) ll[r.moto - 180] -= 1;
    TeList replies;
    const int n = gouhousyu(b, ll, replies);
    for (int k = 0; k < n && k < 600; ++k) {
      Ban b2 = b;
      Mochi ll2 = ll;
      const int32_t won = sideOf(b[replies[k].saki]) == 2 ? handValue(b[replies[k].saki]) : 0;
      sasu1(b2, ll2, replies[k].moto, replies[k].saki, replies[k].naru);
      Ban v;
      Mochi vll;
      hanten(b2, ll2, v, vll);
      TeList answers;
      const int m = gouhousyu(v, vll, answers);
      int32_t worst = 1 << 20;  // no answer at all: mated
      for (int j = 0; j < m && j < 600 && worst > 0; ++j) {
        Ban v2 = v;
        Mochi vll2 = vll;
        const int32_t back = sideOf(v[answers[j].saki]) == 2 ? handValue(v[answers[j].saki]) : 0;
        sasu1(v2, vll2, answers[j].moto, answers[j].saki, answers[j].naru);
        Ban b3;
        Mochi ll3;
        hanten(v2, vll2, b3, ll3);
        worst = std::min(worst, won + bestCapture(b3, ll3) - back);
      }
      EXPECT_LT(worst - took, 90) << "record " << i << ": after " << r.moto << "," << r.saki
                                  << " the user plays " << replies[k].moto << "-"
                                  << replies[k].saki;
    }
  }
}

TEST_F(BookFile, NamesAreStrategiesTheEvaluationKnows) {
  for (size_t i = 0; i < recs_.size(); ++i) {
    const std::string& m = recs_[i].mei;
    EXPECT_TRUE(m == "mitei" || m == "ibimi" || m == "yagmi" || m == "yagji" || m == "hunag" ||
                m == "totik")
        << "record " << i << ": " << m;
  }
}

TEST_F(BookFile, NoPositionAndMoveTwice) {
  std::map<std::string, int> seen;
  for (size_t i = 0; i < recs_.size(); ++i) {
    std::string k = std::to_string(recs_[i].moto) + "," + std::to_string(recs_[i].saki);
    for (int s = 11; s <= 99; ++s) k += "," + std::to_string(recs_[i].aru[s]);
    for (int h : kHands) k += "," + std::to_string(recs_[i].arull[h]);
    EXPECT_EQ(seen.count(k), 0u) << "record " << i << " repeats record " << seen[k];
    seen[k] = static_cast<int>(i);
  }
}

TEST_F(BookFile, AnswersTheOpeningMoveAndTheCommonFirstUserMoves) {
  Ban start;
  Mochi startll;
  syokihaiti(start, startll);
  int opening = 0;
  std::map<std::string, int> answered;
  for (const BookRec& r : recs_) {
    std::string which;
    if (r.aru == start && r.arull == startll)
      ++opening;
    else if (oneUserMoveFromStart(r, which))
      ++answered[which];
  }
  EXPECT_GE(opening, 1) << "no move for the computer moving first";
  // 7六歩, 2六歩, 5六歩 and 1六歩 from the user's side.
  for (const char* m : {"77-76", "27-26", "57-56", "17-16"})
    EXPECT_GE(answered[m], 1) << "no answer to " << m;
}

TEST_F(BookFile, IsExactlyTheGeneratedSource) {
  const josekigen::Result res = generate(slurp(kSrc));
  ASSERT_TRUE(res.ok) << res.error;
  EXPECT_EQ(format(res.records), text_) << "run joseki_gen data/joseki.src data/joseki.lis";
  int sente = 0, gote = 0;
  for (const josekigen::Record& r : res.records) {
    (r.comSente ? sente : gote) += 1;
    // Computer moves are the odd move numbers exactly when it moved first.
    EXPECT_EQ(r.tesuu % 2 == 1, r.comSente);
  }
  EXPECT_GE(sente, 100);
  EXPECT_GE(gote, 100);
}

TEST_F(BookFile, TheProgramLoadsEveryRecordAndPlaysTheBookInEachPosition) {
  auto z = std::make_unique<Zyouseki>();
  z->yomikomu(kLis);
  ASSERT_EQ(static_cast<size_t>(z->count()), recs_.size());
  ASSERT_LT(z->count(), kBookMax);
  EXPECT_EQ(z->josekimoto[z->count()], 111);
  for (int i = 0; i < z->count(); ++i) {
    EXPECT_EQ(z->josekimoto[i], recs_[i].moto) << "record " << i;
    EXPECT_EQ(z->josekisaki[i], recs_[i].saki) << "record " << i;
    EXPECT_EQ(z->josekimei[i], recs_[i].mei) << "record " << i;
    for (int q = 11; q <= 99; ++q) {
      if (q % 10 != 0) {
        EXPECT_EQ(z->josekiaru[i][q], recs_[i].aru[q]) << "record " << i;
      }
    }
    for (int h : kHands) EXPECT_EQ(z->josekiarull[i][h], recs_[i].arull[h]) << "record " << i;
  }
  // Each book position is an exact match: slot 0 scores 50..59 and holds one
  // of the moves the book gives for that position.
  std::map<std::string, std::vector<size_t>> byPosition;
  for (size_t i = 0; i < recs_.size(); ++i) {
    std::string k;
    for (int q = 11; q <= 99; ++q) k += std::to_string(recs_[i].aru[q]) + ",";
    for (int h : kHands) k += std::to_string(recs_[i].arull[h]) + ",";
    byPosition[k].push_back(i);
  }
  Rng rng;
  rng.seed(12345);
  for (const auto& [k, idx] : byPosition) {
    const BookRec& r = recs_[idx[0]];
    z->zyouseki(r.aru, r.arull, rng, kLis);
    EXPECT_GE(z->kouho.ten[0], 50) << "record " << idx[0];
    EXPECT_LE(z->kouho.ten[0], 59) << "record " << idx[0];
    bool found = false;
    for (size_t i : idx)
      found = found || (z->kouho.moto[0] == recs_[i].moto && z->kouho.saki[0] == recs_[i].saki);
    EXPECT_TRUE(found) << "record " << idx[0] << ": slot 0 plays " << z->kouho.moto[0] << ","
                       << z->kouho.saki[0];
  }
}

// ---- where the book hands over to the search ----

// The king squares a strategy's table rewards for side 2.
std::set<int> rewardedKing(const std::string& mei) {
  if (mei == "yagmi") return {41};
  if (mei == "yagji") return {22};
  if (mei == "hunag") return {42};
  if (mei == "totik") return {21, 32};
  return {};
}

// The board seen by the computer (side 2 at the top) for a record board.
void comView(const Ban& b, const Mochi& bll, bool comSente, Ban& aru, Mochi& arull) {
  if (comSente) {
    hanten(b, bll, aru, arull);
  } else {
    aru = b;
    arull = bll;
  }
}

int32_t kingOf(const Ban& aru) {
  for (int q = 11; q <= 99; ++q)
    if (aru[q] == 201) return q;
  return 0;
}

// The user's quiet answers when a line ends with a computer move: one-step
// pawn pushes on the middle files onto squares the computer does not attack,
// at most two of them.
std::vector<Te> quietReplies(const Ban& aru, const Mochi& arull) {
  const Men m = test::menOf(aru);
  TeList list;
  const int n = gouhousyu(aru, arull, list);
  std::vector<Te> out;
  for (int file : {5, 4, 6, 3, 7})
    for (int k = 0; k < n && out.size() < 2; ++k) {
      const Te& t = list[k];
      if (t.moto < 100 && fileOf(t.moto) == file && aru[t.moto] == 108 && t.saki == t.moto - 1 &&
          !t.naru && m.toripl2[t.saki] == 0)
        out.push_back(t);
    }
  return out;
}

// From the end of every line, with the line's last name adopted, the search
// neither takes the king off a square the name rewards nor walks it back to a
// square the line has left: the book and the evaluation agree on the castle.
TEST(BookLines, TheSearchAfterEachLineKeepsTheKingWhereTheNameWantsIt) {
  std::vector<josekigen::Line> lines;
  std::string err;
  ASSERT_TRUE(josekigen::parse(slurp(kSrc), lines, err)) << err;
  auto book = std::make_unique<Zyouseki>();
  auto table = std::make_unique<PlyTable>();
  auto search = std::make_unique<Search>(*table);
  int searched = 0;
  for (const josekigen::Line& line : lines) {
    Kyokumen k;
    hirate(k);
    const Ban& b = k.aru;
    const Mochi& bll = k.arull;
    Basyo bs;
    std::string mei;
    std::set<int32_t> left;  // squares the computer's king stood on and left
    int32_t king = 51;
    int tesuu = 0;
    // Stage and weights as the game keeps them from one computer move to the next.
    const auto assess = [&](const Ban& aru, const Mochi& arull, int32_t n) {
      basyosirabe(bs, test::menOf(aru, arull), n);
    };
    for (const josekigen::Item& it : line.items) {
      if (it.isName) {
        mei = it.text;
        continue;
      }
      ++tesuu;
      Ban aru;
      Mochi arull;
      if ((tesuu % 2 == 1) == line.comSente) {
        comView(b, bll, line.comSente, aru, arull);
        assess(aru, arull, tesuu);
      }
      Te te{};
      std::string why;
      ASSERT_TRUE(josekigen::play(k, it.text, te, why)) << it.text << ": " << why;
      comView(b, bll, line.comSente, aru, arull);
      if (kingOf(aru) != king) left.insert(king);
      king = kingOf(aru);
    }
    Ban aru;
    Mochi arull;
    comView(b, bll, line.comSente, aru, arull);
    std::vector<std::pair<Ban, Mochi>> ends;
    const bool comToMove = ((tesuu + 1) % 2 == 1) == line.comSente;
    if (comToMove) {
      ends.push_back({aru, arull});
    } else {
      for (const Te& t : quietReplies(aru, arull)) {
        Ban a2 = aru;
        Mochi l2 = arull;
        sasu1(a2, l2, t.moto, t.saki, t.naru);
        ends.push_back({a2, l2});
      }
    }
    for (const auto& [ea, ell] : ends) {
      Rng rng;
      rng.seed(1);
      book->zyouseki(ea, ell, rng, kLis);
      if (book->kouho.ten[0] >= 50) continue;  // another line goes on from here
      SearchInput in;
      in.aru = ea;
      in.arull = ell;
      torisirabe(in);
      assess(ea, ell, tesuu + (comToMove ? 1 : 2));
      in.basyo = bs;
      in.sennkei = mei;
      in.zyouseki = book->kouho;
      search->ai1(in);
      ++searched;
      const int32_t m = search->moto, d = search->saki % 100;
      if (m < 100 && ea[m] == 201) {
        EXPECT_FALSE(rewardedKing(mei).count(m))
            << "line " << line.srcLine << " [" << mei << "]: the king leaves " << m << " for " << d;
        EXPECT_FALSE(left.count(d))
            << "line " << line.srcLine << " [" << mei << "]: the king goes back " << m << "-" << d;
      }
    }
  }
  EXPECT_GE(searched, 50);
}

// ---- the generator on small sources ----

// The start position, file by file, rank 1 to 9, as the book writes it.
const std::string kStartCells =
    "207,0,208,0,0,0,108,0,107,"
    "206,203,208,0,0,0,108,102,106,"
    "205,0,208,0,0,0,108,0,105,"
    "204,0,208,0,0,0,108,0,104,"
    "201,0,208,0,0,0,108,0,101,"
    "204,0,208,0,0,0,108,0,104,"
    "205,0,208,0,0,0,108,0,105,"
    "206,202,208,0,0,0,108,103,106,"
    "207,0,208,0,0,0,108,0,107";
const std::string kNoHands = "0,0,0,0,0,0,0,0,0,0,0,0,0,0";

TEST(JosekiGen, ComputerMovingFirstIsTurnedToTheTop) {
  const josekigen::Result res = generate("sente [ibimi] +7776FU\n");
  ASSERT_TRUE(res.ok) << res.error;
  // Record 77 -> 76 is internal 33 -> 34 for the computer at the top.
  EXPECT_EQ(format(res.records), "33,34,\"ibimi\"," + kStartCells + "," + kNoHands + "\r\n");
}

TEST(JosekiGen, ComputerMovingSecondKeepsTheRecordSquares) {
  const josekigen::Result res = generate("gote [yagmi]\n+7776FU -3334FU\n");
  ASSERT_TRUE(res.ok) << res.error;
  ASSERT_EQ(res.records.size(), 1u);
  const BookRec r = readBook(format(res.records))[0];
  EXPECT_EQ(r.moto, 33);
  EXPECT_EQ(r.saki, 34);
  EXPECT_EQ(r.mei, "yagmi");
  EXPECT_EQ(r.aru[77], 0);
  EXPECT_EQ(r.aru[76], 108);
  EXPECT_EQ(r.aru[33], 208);
  EXPECT_EQ(r.aru[34], 0);
  EXPECT_EQ(res.records[0].tesuu, 2);
}

TEST(JosekiGen, PromotionCaptureAndDropAsTheFirstPlayer) {
  const josekigen::Result res =
      generate("sente [ibimi] +7776FU -3334FU +8822UM -3122GI [hunag] +0055KA\n");
  ASSERT_TRUE(res.ok) << res.error;
  const std::vector<BookRec> r = readBook(format(res.records));
  ASSERT_EQ(r.size(), 3u);
  // Bishop 88 takes on 22 and promotes: internal 22 -> 88, +100.
  EXPECT_EQ(r[1].moto, 22);
  EXPECT_EQ(r[1].saki, 188);
  EXPECT_EQ(r[1].aru[22], 203);
  EXPECT_EQ(r[1].aru[88], 103);
  EXPECT_EQ(r[1].aru[34], 208);
  EXPECT_EQ(r[1].aru[76], 108);
  // After the exchange both hold a bishop; the drop on 55 stays on 55.
  EXPECT_EQ(r[2].moto, 203);
  EXPECT_EQ(r[2].saki, 55);
  EXPECT_EQ(r[2].mei, "hunag");
  EXPECT_EQ(r[2].arull[13], 1);
  EXPECT_EQ(r[2].arull[23], 1);
  EXPECT_EQ(r[2].aru[22], 0);
  EXPECT_EQ(r[2].aru[88], 105);  // the user's silver that took back
  EXPECT_EQ(r[2].aru[79], 0);
  for (const BookRec& b : r) EXPECT_TRUE(legalForSide2(b));
}

TEST(JosekiGen, BranchRepeatsTheMovesBeforeItAndPairsAreKeptOnce) {
  const josekigen::Result res = generate(
      "gote [ibimi] +7776FU -3334FU +2726FU -8384FU\n"
      "3: +5756FU [hunag] -5354FU\n"
      "gote [yagmi] +7776FU -3334FU\n");
  ASSERT_TRUE(res.ok) << res.error;
  ASSERT_EQ(res.records.size(), 3u);
  EXPECT_EQ(res.records[0].mei, "ibimi");  // -3334FU, first line wins
  EXPECT_EQ(res.records[1].moto, 83);
  EXPECT_EQ(res.records[2].moto, 53);
  EXPECT_EQ(res.records[2].mei, "hunag");
  EXPECT_EQ(res.records[2].aru[56], 108);
  EXPECT_EQ(res.records[2].aru[26], 0);
  EXPECT_EQ(res.records[2].tesuu, 4);
}

TEST(JosekiGen, ANameBeforeTheBranchPointIsInherited) {
  const josekigen::Result res = generate(
      "gote [ibimi] +7776FU [yagmi] -3334FU\n"
      "3: +2726FU -8384FU\n");
  ASSERT_TRUE(res.ok) << res.error;
  ASSERT_EQ(res.records.size(), 2u);
  EXPECT_EQ(res.records[1].mei, "yagmi");
}

struct Bad {
  const char* src;
  const char* expect;  // part of the message
};

TEST(JosekiGen, RefusesAnyFaultWithTheLineAndTheMove) {
  const Bad bad[] = {
      {"gote [a]\n+7775FU\n", "line 2: +7775FU (move 1): not a legal move"},
      {"gote [a] +7776GI\n", "+7776GI (move 1): the piece on the source square is FU"},
      {"gote [a] +7776FU +3334FU\n", "move 2 must start with '-'"},
      {"gote [a] +7776FU -3334FU +2726FU -8384FU +2827RY\n", "promotion not allowed"},
      {"gote [a] +7776FU -3334FU +5968OU -2277UM +3948GI\n", "leaves the own king in check"},
      {"gote [a] +7776FU -3334FU +2726FU -8384FU +2625FU -8485FU +2524FU -2324FU +2824HI "
       "-0023FU +0075FU\n",
       "+0075FU (move 11): two pawns on one file"},
      {"gote [a] +7776FU -0055KA\n", "no such piece in hand"},
      {"gote +7776FU -3334FU\n", "no strategy name"},
      {"sente [a] +7776FU\n5: -3334FU\n", "line 2: branch \"5:\""},
      {"+7776FU\n", "line 1: moves before the first"},
      {"gote [a] +7776FU\nsente [b] +2726FU 7766\n", "line 2: unknown word"},
      {"gote [a\"b] +7776FU\n", "bad strategy name"},
      {"gote [a] +7776FU -3334FU +7674FU\n", "+7674FU (move 3): not a legal move"},
  };
  for (const Bad& b : bad) {
    const josekigen::Result res = generate(b.src);
    EXPECT_FALSE(res.ok) << b.src;
    EXPECT_NE(res.error.find(b.expect), std::string::npos) << b.src << " gave: " << res.error;
  }
}

TEST(JosekiGen, RefusesMateByAPawnDrop) {
  // The second player's king in the corner at 11; the first player's gold on
  // 32 covers 21 and 22, a knight on 24 guards 12.
  Ban b;
  b.fill(SOTO);
  for (int q = 11; q <= 99; ++q)
    if (q % 10 != 0) b[q] = 0;
  b[11] = 201;
  b[59] = 101;
  b[32] = 104;
  b[24] = 106;
  Mochi bll{};
  bll[18] = 1;
  Te te{};
  std::string why;
  Kyokumen tried{b, bll};
  EXPECT_FALSE(josekigen::play(tried, "+0012FU", te, why));
  EXPECT_EQ(why, "pawn drop mate");
  // Without the knight the king takes the pawn: a plain check.
  b[24] = 0;
  Kyokumen k{b, bll};
  EXPECT_TRUE(josekigen::play(k, "+0012FU", te, why)) << why;
  EXPECT_EQ(k.aru[12], 108);
  EXPECT_EQ(k.arull[18], 0);
}

TEST(JosekiGen, PawnMustPromoteOnTheLastRank) {
  // Each side's edge pawn walks up its file, taking pawns, to the last rank.
  const std::string walk =
      "gote [a] +1716FU -9394FU +1615FU -9495FU +1514FU -9596FU +1413FU -9697FU "
      "+1312FU -9798FU ";
  const josekigen::Result ok = generate(walk + "+1211TO\n");
  ASSERT_TRUE(ok.ok) << ok.error;
  const josekigen::Result bad = generate(walk + "+1211FU\n");
  EXPECT_FALSE(bad.ok);
  EXPECT_NE(bad.error.find("must promote"), std::string::npos) << bad.error;
}

// The record text of move `t` of the side to move (in its own view), which is
// then played.
std::string playText(Kyokumen& k, const Te& t) {
  const std::string text = csaTeKaku(k, t);
  teSasu(k, t);
  return text;
}

// Lines "computer's first move, any reply, then `third` computer moves".
std::string everyReply(int third) {
  std::string src;
  Kyokumen start;
  hirate(start);
  TeList m1;
  gouhou(start, m1);
  for (const Te& t : m1) {
    Kyokumen k1 = start;
    const std::string t1 = playText(k1, t);
    TeList m2;
    gouhou(k1, m2);
    for (const Te& u : m2) {
      Kyokumen k2 = k1;
      const std::string t2 = playText(k2, u);
      TeList m3;
      gouhou(k2, m3);
      for (int k = 0; k < third; ++k) {
        Kyokumen k3 = k2;
        src += "sente [a] " + t1 + " " + t2 + " " + playText(k3, m3[k]) + "\n";
      }
    }
  }
  return src;
}

TEST(JosekiGen, RefusesMoreRecordsThanTheReaderLoads) {
  // 30 first moves, 30 replies to each: 30 + 30 * 30 = 930 records fit ...
  const josekigen::Result fits = generate(everyReply(1));
  ASSERT_TRUE(fits.ok) << fits.error;
  EXPECT_EQ(fits.records.size(), 930u);
  // ... and 30 + 30 * 30 * 2 = 1830 do not.
  const josekigen::Result over = generate(everyReply(2));
  EXPECT_FALSE(over.ok);
  EXPECT_NE(over.error.find("1830 records; the book holds at most 1001"), std::string::npos)
      << over.error;
}

class JosekiGenFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp_.made()); }
  void write(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
  }
  test::TempDir tmp_{"josekigen"};
  const fs::path& dir_ = tmp_.path();
};

TEST_F(JosekiGenFiles, RefusedSourceWritesNoOutput) {
  write(dir_ / "bad.src", "gote [a] +7776FU -3334FU\n3: +2726FU -8485FU\n");
  std::ostringstream log, info;
  EXPECT_NE(josekigen::run((dir_ / "bad.src").string(), (dir_ / "out.lis").string(), log, info),
            0);
  EXPECT_FALSE(fs::exists(dir_ / "out.lis"));
  EXPECT_NE(log.str().find("line 2: -8485FU (move 4)"), std::string::npos) << log.str();

  // An existing book is left as it was.
  write(dir_ / "old.lis", "keep");
  EXPECT_NE(josekigen::run((dir_ / "bad.src").string(), (dir_ / "old.lis").string(), log, info),
            0);
  EXPECT_EQ(slurp((dir_ / "old.lis").string()), "keep");
}

TEST_F(JosekiGenFiles, SoundSourceIsWritten) {
  write(dir_ / "good.src", "# a comment\nsente [ibimi] +7776FU # the opening move\n");
  std::ostringstream log, info;
  EXPECT_EQ(josekigen::run((dir_ / "good.src").string(), (dir_ / "out.lis").string(), log, info),
            0)
      << log.str();
  EXPECT_EQ(slurp((dir_ / "out.lis").string()),
            "33,34,\"ibimi\"," + kStartCells + "," + kNoHands + "\r\n");
}

}  // namespace
}  // namespace syougi

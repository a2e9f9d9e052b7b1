// A book file that cannot be used never stops the computer: it plays from
// its searches, and the game and its record go on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/book.h"
#include "engine/sikou.h"
#include "usi/usi.h"
#include "model/board.h"
#include "tests/flow_fake.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using fake::FakeGamen;
using fake::ScratchDir;

class BadBook : public ScratchDir {
 protected:
  // The first record of the shipped book: an exact match after 7776.
  static std::string goodRecord() {
    std::ifstream f(std::string(SYOUGI_SOURCE_DIR) + "/data/joseki.lis");
    std::string line;
    std::getline(f, line);
    return line + "\n";
  }

  // The computer's answer to 7g7f with the book at "joseki.lis"; checks that
  // it is a legal move and not a book move.
  void searchedLegalReply() {
    Kyokumen k;
    hirate(k);
    Te te;
    std::string why;
    ASSERT_EQ(usiTeYomu(k, "7g7f", te, why), TeKekka::kOk);
    teSasu(k, te);
    Men m;
    const int32_t tesuu = comMen(k, m);
    Sikou com;
    com.youi(1);
    const ComKekka r = com.erabu(m, tesuu);
    EXPECT_FALSE(r.book);
    EXPECT_GE(r.saikou1, -30000);
    const Te mine = comTe(r);
    TeList list;
    gouhou(k, list);
    EXPECT_TRUE(list.fukumu(mine)) << r.moto << " " << r.saki;
  }
};

TEST_F(BadBook, ADirectoryInPlaceOfTheFileIsAnEmptyBook) {
  fs::create_directory("joseki.lis");
  Zyouseki z;
  Ban aru;
  Mochi arull;
  syokihaiti(aru, arull);
  Rng rng;
  z.zyouseki(aru, arull, rng, "joseki.lis");
  EXPECT_EQ(z.count(), 0);
  EXPECT_EQ(z.josekimoto[0], 111);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(z.kouho.moto[k], 0);
    EXPECT_EQ(z.kouho.ten[k], 0);
  }
}

TEST_F(BadBook, TheShippedRecordIsABookMoveHere) {
  // The check below means something only if a sound book is played here.
  std::ofstream("joseki.lis") << goodRecord();
  Kyokumen k;
  hirate(k);
  Te te;
  std::string why;
  ASSERT_EQ(usiTeYomu(k, "7g7f", te, why), TeKekka::kOk);
  teSasu(k, te);
  Men m;
  const int32_t tesuu = comMen(k, m);
  Sikou com;
  com.youi(1);
  EXPECT_TRUE(com.erabu(m, tesuu).book);
}

TEST_F(BadBook, MissingFileTheComputerSearches) { searchedLegalReply(); }

TEST_F(BadBook, UnreadableFileTheComputerSearches) {
  fs::create_directory("joseki.lis");
  searchedLegalReply();
}

TEST_F(BadBook, GarbageBeforeTheRecordTheComputerSearches) {
  std::ofstream("joseki.lis") << "x,y,\"z\"\n" << goodRecord();
  searchedLegalReply();
}

TEST_F(BadBook, RecordCutShortTheComputerSearches) {
  const std::string r = goodRecord();
  std::ofstream("joseki.lis") << r.substr(0, r.size() / 2);
  searchedLegalReply();
}

// An exact match whose move is not legal in the position: the fields are in
// range, so it loads, but playing it would break the board.
TEST_F(BadBook, IllegalExactMatchMovesAreNotPlayed) {
  const std::string r = goodRecord();
  ASSERT_EQ(r.rfind("83,84,", 0), 0u);
  for (const char* move : {"33,35,",    // a pawn two squares ahead
                           "83,184,",   // promoting outside the zone
                           "22,88,",    // a bishop through pieces
                           "11,14,"}) {  // a lance over its own pawn
    SCOPED_TRACE(move);
    std::ofstream("joseki.lis", std::ios::trunc) << move + r.substr(6);
    searchedLegalReply();
  }
}

TEST_F(BadBook, InTheGameTheUserSeesOnlyTheReply) {
  fs::create_directory("joseki.lis");
  FakeGamen gamen;
  auto com = makeComputer();
  Syougi s(gamen, com.get());
  s.kaisisennte_Click();
  s.e_MouseDown(77);
  s.e_MouseDown(76);
  s.t_Timer();
  EXPECT_TRUE(gamen.msgs.empty());
  EXPECT_EQ(s.game.zyoutai, 1);
  EXPECT_EQ(s.game.tesuu, 3);
  // Two moves of two lines each: time, move, time, move.
  EXPECT_EQ(s.kifu.rfind("T1\r\n+7776FU\r\nT1\r\n-", 0), 0u) << s.kifu;
  EXPECT_EQ(s.kifu.size(), 24u) << s.kifu;
}

}  // namespace
}  // namespace syougi

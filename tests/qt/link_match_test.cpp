// Two real window processes joined by a pseudo-terminal pair play a whole
// automatic link match, each driven only through its window's controls
// (`syougi --drive`). Also the port that cannot be opened, seen in the real
// window.
#include <gtest/gtest.h>

#include <string>

#include "tests/qt/link_game.h"
#include "tests/socat_pair.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using test::Mado;
using test::playWholeLinkGame;
using test::kProgram;


class LinkMatch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
    ASSERT_TRUE(tmp_.made());
  }
  void TearDown() override { pair_.stop(); }

  // A connected pair of pseudo-terminals at dir/a and dir/b.
  void pair() { ASSERT_TRUE(pair_.start(dir_)) << "socat made no pseudo-terminals"; }

  test::TempDir tmp_{"linkmatch"};
  const fs::path& dir_ = tmp_.path();
  test::SocatPair pair_;
};

TEST_F(LinkMatch, TwoWindowsPlayAWholeGameByThemselves) {
  ASSERT_NO_FATAL_FAILURE(pair());
  Mado a("A", dir_ / "A", pair_.a), b("B", dir_ / "B", pair_.b);
  ASSERT_NO_FATAL_FAILURE(playWholeLinkGame(a, b));
}

TEST_F(LinkMatch, PortThatDoesNotExistIsReportedAndThePanelReturnsToIdle) {
  const std::string dev = (dir_ / "nothing").string();
  Mado w("W", dir_ / "W", dev);
  ASSERT_TRUE(w.started());
  ASSERT_EQ(w.ask("click Command2_1"), "ok click Command2_1");
  EXPECT_EQ(w.next(), "box ヌバタ\t通信ポート " + dev + " を開けません。\\nNo such file or directory");
  EXPECT_EQ(w.ask("answer OK"), "ok answer OK");
  EXPECT_EQ(w.ask("wait-idle"), "ok idle");
  EXPECT_EQ(w.ask("shown Command2_0"), "ok shown Command2_0 1");
  EXPECT_EQ(w.ask("shown Command2_1"), "ok shown Command2_1 1");
  EXPECT_EQ(w.ask("shown Command1"), "ok shown Command1 0");
  EXPECT_EQ(w.ask("shown Command3"), "ok shown Command3 0");
  EXPECT_EQ(w.ask("shown Command4"), "ok shown Command4 0");
  // The hidden buttons cannot be clicked.
  EXPECT_EQ(w.ask("click Command4"), "error not-clickable Command4");
  EXPECT_EQ(w.ask("quit"), "ok quit");
}

TEST_F(LinkMatch, PortHeldByAnotherWindowIsReportedBusy) {
  ASSERT_NO_FATAL_FAILURE(pair());
  Mado w1("W1", dir_ / "W1", pair_.a), w2("W2", dir_ / "W2", pair_.a);
  ASSERT_TRUE(w1.started());
  ASSERT_TRUE(w2.started());
  ASSERT_EQ(w1.ask("click Command2_0"), "ok click Command2_0");
  EXPECT_EQ(w1.ask("shown Command4"), "ok shown Command4 1");
  ASSERT_EQ(w2.ask("click Command2_0"), "ok click Command2_0");
  EXPECT_EQ(w2.next(), "box ヌバタ\t通信ポート " + pair_.a + " を開けません。\\nDevice or resource busy");
  EXPECT_EQ(w2.ask("answer OK"), "ok answer OK");
  EXPECT_EQ(w2.ask("shown Command2_0"), "ok shown Command2_0 1");
  EXPECT_EQ(w2.ask("shown Command4"), "ok shown Command4 0");
  // The first window's link is untouched and stops when asked.
  EXPECT_EQ(w1.ask("shown Command4"), "ok shown Command4 1");
  EXPECT_EQ(w1.ask("click Command3"), "error not-clickable Command3");
  EXPECT_EQ(w1.ask("click Command4"), "ok click Command4");
  EXPECT_EQ(w1.ask("shown Command2_1"), "ok shown Command2_1 1");
  EXPECT_TRUE(w1.boxes.empty());
  EXPECT_EQ(w1.ask("quit"), "ok quit");
  EXPECT_EQ(w2.ask("quit"), "ok quit");
}

TEST_F(LinkMatch, DriverRunsCommandsSentTogetherInOrder) {
  Mado w("W", dir_ / "W", (dir_ / "nothing").string());
  ASSERT_TRUE(w.started());
  // One write: each command waits for what the one before it started.
  w.send(
      "click kaisisennte\nclick e77\nclick e76\nwait-idle\nclick touryou\nanswer OK\n"
      "text zenntel\ntext tesuul\nclick kaisisennte\nquit");
  const std::vector<std::string> expect = {
      "ok click kaisisennte", "ok click e77", "ok click e76", "ok idle", "ok click touryou",
      "box ヌバタ\tコンピュータの勝ちです", "ok answer OK",
      // The game is over: the previous move shows "---"; the computer had
      // answered move 1, so move 3 was next.
      "ok text zenntel ---", "ok text tesuul 3", "error not-clickable kaisisennte", "ok quit"};
  std::vector<std::string> got;
  for (size_t i = 0; i < expect.size(); ++i) got.push_back(w.next());
  EXPECT_EQ(got, expect);
}

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "tools/match/match.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/sikou.h"

namespace syougi::match {
namespace {

Kyokumen sfen(const std::string& s) {
  Kyokumen k;
  std::string why;
  EXPECT_TRUE(sfenYomu(s, k, why)) << s << ": " << why;
  return k;
}

Kyokumen hirateK() {
  Kyokumen k;
  hirate(k);
  return k;
}

void sasuAll(Taikyoku& t, const std::vector<std::string>& moves) {
  for (const std::string& m : moves) {
    ASSERT_EQ(t.owari(), Owari::kNone) << "game ended before " << m;
    t.sasu(m, 0);
  }
}

std::string lastLine(const std::string& s) {
  std::string t = s;
  if (!t.empty() && t.back() == '\n') t.pop_back();
  return t.substr(t.rfind('\n') + 1);
}

// --- legality ---

TEST(MatchRules, PawnDropMateLosesForTheDropper) {
  // White king 1a; gold 2c and knight 3c cover every flight; P*1b would mate.
  Taikyoku t(sfen("8k/9/6NG1/9/9/9/9/9/K8 b P 1"));
  EXPECT_EQ(t.sasu("P*1b", 0), Owari::kIllegal);
  EXPECT_EQ(t.syousya(), -1);
  EXPECT_TRUE(t.te().empty());
  EXPECT_EQ(lastLine(csaKiroku(t, "a", "b", "", "")), "%ILLEGAL_MOVE");
}

TEST(MatchRules, PawnDropCheckThatLeavesAFlightIsLegal) {
  Taikyoku t(sfen("8k/9/7G1/9/9/9/9/9/K8 b P 1"));
  EXPECT_EQ(t.sasu("P*1b", 0), Owari::kNone);
  EXPECT_EQ(t.te().size(), 1u);
}

TEST(MatchRules, SecondPawnOnAFileIsIllegal) {
  const Kyokumen k = sfen("4k4/9/9/9/9/9/4P4/9/4K4 b P 1");
  Taikyoku nifu(k);
  EXPECT_EQ(nifu.sasu("P*5e", 0), Owari::kIllegal);
  EXPECT_EQ(nifu.syousya(), -1);
  Taikyoku other(k);
  EXPECT_EQ(other.sasu("P*4e", 0), Owari::kNone);
}

TEST(MatchRules, KingMayNotStepIntoCheck) {
  // White rook 4a watches file 4.
  const Kyokumen k = sfen("5r2k/9/9/9/9/9/9/9/4K4 b - 1");
  Taikyoku into(k);
  EXPECT_EQ(into.sasu("5i4h", 0), Owari::kIllegal);
  Taikyoku away(k);
  EXPECT_EQ(away.sasu("5i6h", 0), Owari::kNone);
}

TEST(MatchRules, PinnedPieceMayNotLeaveTheLine) {
  // Black gold 5e stands between the white rook 5a and the black king 5i.
  const Kyokumen k = sfen("4r3k/9/9/9/4G4/9/9/9/4K4 b - 1");
  Taikyoku off(k);
  EXPECT_EQ(off.sasu("5e4e", 0), Owari::kIllegal);
  Taikyoku along(k);
  EXPECT_EQ(along.sasu("5e5d", 0), Owari::kNone);
}

TEST(MatchRules, WhiteMovingIntoCheckLosesForWhite) {
  // Black rook 6i watches file 6; the white king on 5a may not go to 6b.
  Taikyoku t(sfen("4k4/9/9/9/9/9/9/9/K2R5 w - 2"));
  EXPECT_EQ(t.sasu("5a6b", 0), Owari::kIllegal);
  EXPECT_EQ(t.syousya(), 1);
}

struct Dead {
  const char* sfen;
  const char* bad;
  const char* good;
};

class MatchDeadPiece : public ::testing::TestWithParam<Dead> {};

TEST_P(MatchDeadPiece, PieceThatCouldNeverMoveAgainIsRefused) {
  const Dead& d = GetParam();
  Taikyoku bad(sfen(d.sfen));
  EXPECT_EQ(bad.sasu(d.bad, 0), Owari::kIllegal) << d.bad;
  Taikyoku good(sfen(d.sfen));
  EXPECT_EQ(good.sasu(d.good, 0), Owari::kNone) << d.good;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchDeadPiece,
    ::testing::Values(Dead{"4k4/9/9/9/9/9/9/9/4K4 b N 1", "N*5b", "N*5c"},
                      Dead{"4k4/9/9/9/9/9/9/9/4K4 b L 1", "L*1a", "L*1b"},
                      Dead{"4k4/9/9/9/9/9/9/9/4K4 b P 1", "P*1a", "P*1b"},
                      Dead{"4k4/P8/9/9/9/9/9/9/4K4 b - 1", "9b9a", "9b9a+"},
                      Dead{"4k4/9/9/1N7/9/9/9/9/4K4 b - 1", "8d7b", "8d7b+"},
                      // White's last ranks are 9 (and 8 for the knight).
                      Dead{"4k4/9/9/9/9/9/9/9/4K4 w n 2", "N*5h", "N*5g"},
                      Dead{"4k4/9/9/9/9/9/9/9/4K4 w p 2", "P*1i", "P*1h"}));

// --- the end of a game ---

TEST(MatchEnd, CheckmateEndsTheGameForTheMover) {
  // G*1b: the silver on 2c holds the gold, the king's flights 2a and 2b are the gold's.
  Taikyoku t(sfen("8k/9/7S1/9/9/9/9/9/K8 b G 1"));
  EXPECT_EQ(t.sasu("G*1b", 2500), Owari::kTsumi);
  EXPECT_EQ(t.syousya(), 1);
  const std::string want =
      "V2.2\n"
      "N+a\n"
      "N-b\n"
      "P1 *  *  *  *  *  *  *  * -OU\n"
      "P2 *  *  *  *  *  *  *  *  * \n"
      "P3 *  *  *  *  *  *  * +GI * \n"
      "P4 *  *  *  *  *  *  *  *  * \n"
      "P5 *  *  *  *  *  *  *  *  * \n"
      "P6 *  *  *  *  *  *  *  *  * \n"
      "P7 *  *  *  *  *  *  *  *  * \n"
      "P8 *  *  *  *  *  *  *  *  * \n"
      "P9+OU *  *  *  *  *  *  *  * \n"
      "P+00KI\n"
      "+\n"
      "+0012KI\n"
      "T2\n"
      "%TSUMI\n";
  EXPECT_EQ(csaKiroku(t, "a", "b", "", ""), want);
}

TEST(MatchEnd, CheckThatCanBeAnsweredGoesOn) {
  // Without the silver the king takes the gold.
  Taikyoku t(sfen("8k/9/9/9/9/9/9/9/K8 b G 1"));
  EXPECT_EQ(t.sasu("G*1b", 0), Owari::kNone);
  EXPECT_EQ(t.sasu("1a1b", 0), Owari::kNone);
}

TEST(MatchEnd, FourfoldRepetitionIsADraw) {
  Taikyoku t(hirateK());
  const std::vector<std::string> cycle = {"2h1h", "8b9b", "1h2h", "9b8b"};
  for (int n = 0; n < 3; ++n) sasuAll(t, cycle);
  // The start position has now stood four times: after 0, 4, 8 and 12 moves.
  EXPECT_EQ(t.owari(), Owari::kSennichite);
  EXPECT_EQ(t.syousya(), 0);
  EXPECT_EQ(t.te().size(), 12u);
  EXPECT_EQ(lastLine(csaKiroku(t, "a", "b", "", "")), "%SENNICHITE");
}

TEST(MatchEnd, ThreefoldIsNotYetRepetition) {
  Taikyoku t(hirateK());
  const std::vector<std::string> cycle = {"2h1h", "8b9b", "1h2h", "9b8b"};
  sasuAll(t, cycle);
  sasuAll(t, cycle);
  sasuAll(t, {"2h1h", "8b9b", "1h2h"});
  EXPECT_EQ(t.owari(), Owari::kNone);
}

TEST(MatchEnd, SameBoardWithTheOtherSideToMoveIsAnotherPosition) {
  // Black's rook goes round 2h-3h-1h in three moves while white's rook swings
  // 8b-9b in two: the start board comes back after 5 moves with white to move,
  // and as the start position (black to move) only every 12 moves.
  const std::vector<std::string> cycle = {"2h3h", "8b9b", "3h1h", "9b8b", "1h2h", "8b9b",
                                          "2h3h", "9b8b", "3h1h", "8b9b", "1h2h", "9b8b"};
  Taikyoku t(hirateK());
  sasuAll(t, cycle);
  sasuAll(t, cycle);
  std::vector<std::string> most(cycle.begin(), cycle.end() - 1);
  sasuAll(t, most);
  EXPECT_EQ(t.owari(), Owari::kNone);  // the board was seen 7 times, the position 3
  t.sasu(cycle.back(), 0);
  EXPECT_EQ(t.owari(), Owari::kSennichite);
  EXPECT_EQ(t.te().size(), 36u);
}

TEST(MatchEnd, PerpetualCheckLosesForTheChecker) {
  // The black rook checks from 9a and 9b in turn; the white king steps 1a-1b.
  Taikyoku t(sfen("8k/R8/9/9/9/9/9/9/4K4 b - 1"));
  const std::vector<std::string> cycle = {"9b9a", "1a1b", "9a9b", "1b1a"};
  for (int n = 0; n < 3; ++n) sasuAll(t, cycle);
  EXPECT_EQ(t.owari(), Owari::kOuteSennichite);
  EXPECT_EQ(t.syousya(), -1);
  EXPECT_EQ(lastLine(csaKiroku(t, "a", "b", "", "")), "%+ILLEGAL_ACTION");
}

TEST(MatchEnd, MoveLimitIsADraw) {
  Taikyoku t(hirateK(), 2);
  EXPECT_EQ(t.sasu("7g7f", 0), Owari::kNone);
  EXPECT_EQ(t.sasu("3c3d", 0), Owari::kMoveLimit);
  EXPECT_EQ(t.syousya(), 0);
  const std::string csa = csaKiroku(t, "a", "b", "", "");
  EXPECT_NE(csa.find("-3334FU\nT0\n'move limit\n%CHUDAN\n"), std::string::npos) << csa;
}

TEST(MatchEnd, NothingIsPlayedAfterTheEnd) {
  Taikyoku t(hirateK());
  t.owaru(Owari::kToryo);
  EXPECT_EQ(t.sasu("7g7f", 0), Owari::kToryo);
  EXPECT_TRUE(t.te().empty());
  EXPECT_EQ(t.syousya(), -1);
}

TEST(MatchEnd, RandomOpeningIsLegalAndFollowsTheSeed) {
  Taikyoku a(hirateK()), b(hirateK()), c(hirateK());
  randomOpening(a, 8, 5);
  randomOpening(b, 8, 5);
  randomOpening(c, 8, 6);
  ASSERT_EQ(a.te().size(), 8u);  // sasu would have ended the game on an illegal one
  EXPECT_EQ(a.owari(), Owari::kNone);
  EXPECT_EQ(a.positionText(), b.positionText());
  EXPECT_NE(a.positionText(), c.positionText());
}

// --- the record ---

TEST(MatchCsa, FullRecordOfAResignedGame) {
  Taikyoku t(hirateK());
  t.sasu("7g7f", 1200);
  t.sasu("3c3d", 800);
  t.sasu("8h2b+", 0);
  t.sasu("3a2b", 61000);
  t.owaru(Owari::kToryo);
  EXPECT_EQ(t.syousya(), -1);
  EXPECT_EQ(csaKiroku(t, "sente", "gote", "2026/12/08 10:00:00", "2026/12/08 10:05:00"),
            "V2.2\n"
            "N+sente\n"
            "N-gote\n"
            "$START_TIME:2026/12/08 10:00:00\n"
            "$END_TIME:2026/12/08 10:05:00\n"
            "PI\n"
            "+\n"
            "+7776FU\n"
            "T1\n"
            "-3334FU\n"
            "T0\n"
            "+8822UM\n"
            "T0\n"
            "-3122GI\n"
            "T61\n"
            "%TORYO\n");
}

TEST(MatchCsa, IllegalMoveIsNotRecordedButNamed) {
  Taikyoku t(hirateK());
  t.sasu("7g7f", 0);
  t.sasu("3c3e", 0);
  EXPECT_EQ(t.syousya(), 1);
  const std::string csa = csaKiroku(t, "a", "b", "", "");
  EXPECT_NE(csa.find("'- played 3c3e"), std::string::npos) << csa;
  EXPECT_EQ(csa.find("-33"), std::string::npos);
  EXPECT_EQ(lastLine(csa), "%ILLEGAL_MOVE");
}

TEST(MatchCsa, WhiteToMoveStartAndWhiteHands) {
  Taikyoku t(sfen("4k4/9/9/9/9/9/9/9/4K4 w 2p 2"));
  const std::string csa = csaKiroku(t, "a", "b", "", "");
  EXPECT_NE(csa.find("P-00FU00FU\n-\n"), std::string::npos) << csa;
}

TEST(MatchCsa, PositionTextForEngines) {
  Taikyoku t(hirateK());
  EXPECT_EQ(t.positionText(), "position startpos");
  t.sasu("7g7f", 0);
  t.sasu("3c3d", 0);
  EXPECT_EQ(t.positionText(), "position startpos moves 7g7f 3c3d");
  Taikyoku s(sfen("4k4/9/9/9/9/9/9/9/4K4 b P 1"));
  s.sasu("P*5e", 0);
  EXPECT_EQ(s.positionText(), "position sfen 4k4/9/9/9/9/9/9/9/4K4 b P 1 moves P*5e");
}

// --- counting faults ---

TEST(MatchMedian, MoveTimeIsTheLowerMiddleOne) {
  EXPECT_EQ(chuuouMs({}), 0);
  EXPECT_EQ(chuuouMs({30, 10, 20}), 20);
  EXPECT_EQ(chuuouMs({40, 10, 30, 20}), 20);
  EXPECT_EQ(chuuouMs({5, 5, 900}), 5);
}

struct CountCase {
  std::vector<std::string> moves;  // with 10, 20, 30... ms
  Owari end;                       // then the side to move loses so, or kNone
  int black;                       // engine that moved first
  const char* ended[2];
  int illegal[2], crashes[2], timeUps[2];
  int64_t slowestMs[2];
};

void PrintTo(const CountCase& c, std::ostream* os) {
  *os << c.moves.size() << " moves, end " << static_cast<int>(c.end) << ", black " << c.black;
}

class MatchCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(MatchCount, FaultsGoToTheEngineThatMadeThem) {
  const CountCase& c = GetParam();
  Taikyoku t(hirateK());
  for (size_t i = 0; i < c.moves.size(); ++i) t.sasu(c.moves[i], 10 * static_cast<int64_t>(i + 1));
  if (c.end != Owari::kNone) t.owaru(c.end, "note");
  const std::string ended[2] = {c.ended[0], c.ended[1]};
  Fault f[2];
  kazoeru(f, t, 7, c.black, ended);
  for (int e = 0; e < 2; ++e) {
    EXPECT_EQ(f[e].illegal, c.illegal[e]) << "engine " << e + 1;
    EXPECT_EQ(f[e].crashes, c.crashes[e]) << "engine " << e + 1;
    EXPECT_EQ(f[e].timeUps, c.timeUps[e]) << "engine " << e + 1;
    EXPECT_EQ(f[e].slowestMs, c.slowestMs[e]) << "engine " << e + 1;
    EXPECT_EQ(f[e].slowestGame, c.slowestMs[e] < 0 ? 0 : 7) << "engine " << e + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MatchCount,
    ::testing::Values(
        // White's illegal move: engine 2 when engine 1 is black, else engine 1.
        CountCase{{"7g7f", "3c3e"}, Owari::kNone, 0, {"", ""}, {0, 1}, {0, 0}, {0, 0}, {10, -1}},
        CountCase{{"7g7f", "3c3e"}, Owari::kNone, 1, {"", ""}, {1, 0}, {0, 0}, {0, 0}, {-1, 10}},
        CountCase{{"7g7f", "3c3d", "2g2f"}, Owari::kTimeUp, 0, {"", ""}, {0, 0}, {0, 0}, {0, 1},
                  {30, 20}},
        CountCase{{}, Owari::kChudan, 1, {"", "exit status 1"}, {0, 0}, {0, 1}, {0, 0}, {-1, -1}},
        // A clean resignation, then engine 1's process ends badly.
        CountCase{{"7g7f"}, Owari::kToryo, 0, {"sanitizer report", ""}, {0, 0}, {1, 0}, {0, 0},
                  {10, -1}},
        CountCase{{"7g7f", "3c3d"}, Owari::kToryo, 0, {"", ""}, {0, 0}, {0, 0}, {0, 0}, {10, 20}}));

// --- engines over pipes ---

class MatchPipes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("match_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A shell engine: answers the handshake, and to the n-th "go" with the n-th
  // word of `answers` (the last one repeats); "-" means no answer at all,
  // "crash" a segmentation fault. `onQuit` is what it does on "quit".
  std::string fake(const std::string& name, const std::string& answers,
                   const std::string& onQuit = "exit 0") {
    const std::filesystem::path p = dir_ / (name + ".sh");
    std::ofstream f(p);
    f << "set -- " << answers << "\n"
      << "while read -r line; do\n"
      << "  case \"$line\" in\n"
      << "    usi) echo 'id name " << name << "'; echo usiok ;;\n"
      << "    isready) echo readyok ;;\n"
      << "    go*) a=$1; if [ $# -gt 1 ]; then shift; fi\n"
      << "         if [ \"$a\" = exit ]; then exit 0; fi\n"
      << "         if [ \"$a\" = crash ]; then kill -SEGV $$; fi\n"
      << "         if [ \"$a\" != - ]; then echo \"info score cp 0\"; echo \"bestmove $a\"; fi ;;\n"
      << "    quit) " << onQuit << " ;;\n"
      << "  esac\n"
      << "done\n";
    return "exec sh " + p.string();
  }

  std::unique_ptr<Player> usi(const std::string& cmd, int quitMs = 10000) {
    UsiOptions o;
    o.command = cmd;
    o.startTimeoutMs = 10000;
    o.quitMs = quitMs;
    o.errPath = (dir_ / "stderr").string();
    return makeUsiPlayer(o);
  }

  Owari play(Player& a, Player& b, Taikyoku& t, int timeoutMs = 10000) {
    std::string err;
    EXPECT_TRUE(a.newGame(true, err)) << err;
    EXPECT_TRUE(b.newGame(false, err)) << err;
    taikyoku(t, a, b, timeoutMs);
    return t.owari();
  }

  std::filesystem::path dir_;
};

TEST_F(MatchPipes, MovesGoBothWaysUntilAResignation) {
  auto a = usi(fake("alpha", "7g7f 2g2f resign"));
  auto b = usi(fake("beta", "3c3d 8c8d"));
  Taikyoku t(hirateK());
  EXPECT_EQ(play(*a, *b, t), Owari::kToryo);
  ASSERT_EQ(t.te().size(), 4u);
  EXPECT_EQ(t.te()[1].csa, "-3334FU");
  EXPECT_EQ(t.te()[3].csa, "-8384FU");
  EXPECT_EQ(t.syousya(), -1);
  EXPECT_EQ(a->name(), "alpha");
}

TEST_F(MatchPipes, IllegalAnswerLosesForThatEngine) {
  auto a = usi(fake("alpha", "7g7f"));
  auto b = usi(fake("beta", "3c3e"));
  Taikyoku t(hirateK());
  EXPECT_EQ(play(*a, *b, t), Owari::kIllegal);
  EXPECT_EQ(t.syousya(), 1);
}

TEST_F(MatchPipes, SilentEngineLosesOnTime) {
  auto a = usi(fake("alpha", "-"));
  auto b = usi(fake("beta", "3c3d"));
  Taikyoku t(hirateK());
  EXPECT_EQ(play(*a, *b, t, 300), Owari::kTimeUp);
  EXPECT_EQ(t.syousya(), -1);
  // The referee starts it afresh for the next game.
  std::string err;
  EXPECT_TRUE(a->newGame(true, err)) << err;
}

TEST_F(MatchPipes, EngineThatDiesLoses) {
  auto a = usi(fake("alpha", "7g7f"));
  auto b = usi(fake("beta", "exit"));
  Taikyoku t(hirateK());
  EXPECT_EQ(play(*a, *b, t), Owari::kChudan);
  EXPECT_EQ(t.syousya(), 1);
}

TEST_F(MatchPipes, EngineKilledByASignalIsACrash) {
  auto a = usi(fake("alpha", "7g7f"));
  auto b = usi(fake("beta", "crash"));
  Taikyoku t(hirateK());
  EXPECT_EQ(play(*a, *b, t), Owari::kChudan);
  EXPECT_NE(t.note().find("signal 11"), std::string::npos) << t.note();
  const std::string ended[2] = {a->fault(), b->fault()};
  EXPECT_EQ(ended[0], "");
  EXPECT_NE(ended[1].find("signal 11"), std::string::npos) << ended[1];
  Fault f[2];
  kazoeru(f, t, 1, 0, ended);
  EXPECT_EQ(f[1].crashes, 1);  // once, though both the game and the exit tell
  EXPECT_EQ(f[0].crashes, 0);
}

struct QuitCase {
  const char* name;
  const char* onQuit;
  const char* fault;  // part of what fault() tells; "" for a clean end
};

void PrintTo(const QuitCase& q, std::ostream* os) { *os << q.name; }

class MatchQuit : public MatchPipes, public ::testing::WithParamInterface<QuitCase> {};

TEST_P(MatchQuit, HowTheEngineEndsIsJudged) {
  auto a = usi(fake("alpha", "7g7f", GetParam().onQuit), 300);
  Taikyoku t(hirateK());
  std::string err;
  ASSERT_TRUE(a->newGame(true, err)) << err;
  bool timedOut = false;
  EXPECT_EQ(a->think(t, 10000, timedOut, err), "7g7f");
  a->quit();
  const std::string f = a->fault();
  if (*GetParam().fault == 0) {
    EXPECT_EQ(f, "");
  } else {
    EXPECT_NE(f.find(GetParam().fault), std::string::npos) << f;
  }
  EXPECT_GT(a->peakKb(), 0);
  EXPECT_EQ(a->fault(), "");  // told once
}

INSTANTIATE_TEST_SUITE_P(
    Ends, MatchQuit,
    ::testing::Values(
        QuitCase{"clean", "exit 0", ""}, QuitCase{"status", "exit 3", "exit status 3"},
        QuitCase{"abort", "kill -ABRT $$", "signal 6"},
        QuitCase{"asan", "echo '==1==ERROR: AddressSanitizer: heap-use-after-free' >&2; exit 0",
                 "sanitizer report"},
        QuitCase{"ubsan", "echo 'a.cpp:1:2: runtime error: signed overflow' >&2; exit 0",
                 "sanitizer report"},
        QuitCase{"hangs", "sleep 20", "did not end"}));

TEST_F(MatchPipes, MissingProgramDoesNotStart) {
  auto a = usi((dir_ / "no-such-engine").string());
  std::string err;
  EXPECT_FALSE(a->newGame(true, err));
  EXPECT_FALSE(err.empty());
}

TEST_F(MatchPipes, SyougiUsiAnswersThroughThePipes) {
  const std::string exe = std::string(SYOUGI_BINARY_DIR) + "/syougi-usi";
  if (!std::filesystem::exists(exe)) GTEST_SKIP() << exe << " not built";
  auto b = usi(fake("beta", "3c3d 8c8d"));
  auto a = usi(exe);
  Taikyoku t(hirateK(), 4);
  const Owari o = play(*a, *b, t, 600000);
  EXPECT_EQ(a->name(), "syougi");
  if (!makeComputer()) {
    // No computer player linked: the engine resigns at once.
    EXPECT_EQ(o, Owari::kToryo);
    EXPECT_TRUE(t.te().empty());
  } else {
    // Every move of syougi-usi (black) is legal and comes in time; a fault
    // can only be the scripted white's.
    EXPECT_GE(t.te().size(), 1u);
    if (o == Owari::kIllegal || o == Owari::kChudan || o == Owari::kTimeUp || o == Owari::kToryo) {
      EXPECT_EQ(t.syousya(), 1) << t.note();
    }
  }
}

TEST_F(MatchPipes, TwoSyougiUsiProcessesPlayAShortGame) {
  const std::string exe = std::string(SYOUGI_BINARY_DIR) + "/syougi-usi";
  if (!std::filesystem::exists(exe)) GTEST_SKIP() << exe << " not built";
  if (!makeComputer()) GTEST_SKIP() << "no computer player linked in this build";
  // The engines read their book from the working directory.
  const std::string cmd = "cd " + std::string(SYOUGI_BINARY_DIR) + " && exec " + exe;
  auto a = usi(cmd);
  auto b = usi(cmd);
  Taikyoku t(hirateK(), 8);
  const Owari o = play(*a, *b, t, 600000);
  EXPECT_TRUE(o == Owari::kMoveLimit || o == Owari::kToryo || o == Owari::kTsumi ||
              o == Owari::kSennichite || o == Owari::kOuteSennichite)
      << static_cast<int>(o) << " " << t.note();
  EXPECT_GE(t.te().size(), 1u);
}

TEST_F(MatchPipes, GnuShogiRepliesAreCheckedAndRecorded) {
  if (std::system("test -x /usr/games/gnushogi") != 0) GTEST_SKIP() << "gnushogi not installed";
  auto a = usi(fake("alpha", "7g7f 2g2f resign"));
  GnuShogiOptions o;
  o.command = "cd " + dir_.string() + " && exec /usr/games/gnushogi";
  auto g = makeGnuShogiPlayer(o);
  Taikyoku t(hirateK());
  EXPECT_EQ(play(*a, *g, t, 60000), Owari::kToryo) << t.note();
  ASSERT_EQ(t.te().size(), 4u);
  EXPECT_EQ(t.te()[1].csa[0], '-');
  EXPECT_EQ(t.te()[3].csa[0], '-');
}

}  // namespace
}  // namespace syougi::match

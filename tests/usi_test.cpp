#include "usi/usi.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sikou.h"

namespace syougi {
namespace {

// Plays whatever move it is told and remembers what it was shown.
class FakeCom : public Computer {
 public:
  void youi(uint32_t seed) override { seeds.push_back(seed); }
  void setBookPath(const std::string& path) override { book = path; }
  ComKekka erabu(const Men& m, int32_t n) override {
    ++calls;
    last = std::make_unique<Men>(m);
    tesuu = n;
    return next;
  }
  ComKekka next;
  std::vector<uint32_t> seeds;
  std::string book;
  int calls = 0;
  std::unique_ptr<Men> last;
  int32_t tesuu = 0;
};

struct Usi {
  Usi() {
    auto f = std::make_unique<FakeCom>();
    com = f.get();
    engine = std::make_unique<UsiEngine>(std::move(f));
  }
  std::string send(const std::string& lines) {
    std::istringstream in(lines);
    std::ostringstream out;
    engine->run(in, out);
    return out.str();
  }
  FakeCom* com;
  std::unique_ptr<UsiEngine> engine;
};

ComKekka kekka(int moto, int saki, int16_t saikou1 = 0) {
  ComKekka r;
  r.moto = moto;
  r.saki = saki;
  r.saikou1 = saikou1;
  return r;
}

std::string lastLine(const std::string& s) {
  std::string t = s;
  if (!t.empty() && t.back() == '\n') t.pop_back();
  return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

// --- handshake ---

TEST(UsiHandshake, AnnouncesNameOptionsAndUsiok) {
  Usi u;
  EXPECT_EQ(u.send("usi\n"),
            "id name syougi\n"
            "id author the syougi developers\n"
            "option name BookFile type string default joseki.lis\n"
            "option name Seed type string default\n"
            "usiok\n");
}

TEST(UsiHandshake, IsreadyAnswersReadyok) {
  Usi u;
  EXPECT_EQ(u.send("isready\n"), "readyok\n");
}

TEST(UsiHandshake, QuitStopsReadingCommands) {
  Usi u;
  EXPECT_EQ(u.send("quit\nisready\n"), "");
}

TEST(UsiHandshake, CarriageReturnsAndSpacesAreTolerated) {
  Usi u;
  EXPECT_EQ(u.send("  isready \r\n"), "readyok\n");
}

// --- positions ---

TEST(UsiPosition, MovesOfBothColoursGiveTheModelPosition) {
  Usi u;
  // Pawns 7g7f and 3c3d open both bishops; black's bishop takes on 2b and
  // promotes; white's silver takes the horse back.
  u.send("position startpos moves 7g7f 3c3d 8h2b+ 3a2b\n");
  Kyokumen want;
  syokihaiti(want.aru, want.arull);
  want.aru[77] = 0;
  want.aru[76] = 108;
  want.aru[33] = 0;
  want.aru[34] = 208;
  want.aru[88] = 0;
  want.aru[31] = 0;
  want.aru[22] = 205;
  want.arull[13] = 1;  // black took a bishop
  want.arull[23] = 1;  // white took the horse, a bishop in hand
  const Kyokumen& k = u.engine->kyokumen();
  EXPECT_EQ(k.aru, want.aru);
  EXPECT_EQ(k.arull, want.arull);
  EXPECT_FALSE(k.gote);
  EXPECT_EQ(k.tesuu, 5);
}

TEST(UsiPosition, SfenStartposEqualsStartpos) {
  Usi u;
  u.send("position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1\n");
  Kyokumen want;
  hirate(want);
  EXPECT_EQ(u.engine->kyokumen().aru, want.aru);
  EXPECT_EQ(u.engine->kyokumen().tesuu, 1);
}

// --- the computer's move and the colours ---

TEST(UsiGo, EngineAsWhiteSeesTheBoardAsItIsAndMovesBack) {
  Usi u;
  u.com->next = kekka(33, 34);  // side-2 pawn 3c to 3d
  const std::string out = u.send("position startpos moves 7g7f\ngo btime 0 wtime 0 byoyomi 1000\n");
  EXPECT_EQ(lastLine(out), "bestmove 3c3d");
  ASSERT_TRUE(u.com->last);
  const Men& g = *u.com->last;
  EXPECT_EQ(g.aru[77], 0);
  EXPECT_EQ(g.aru[76], 108);
  EXPECT_EQ(g.aru[51], 201);
  EXPECT_EQ(u.com->tesuu, 2);
  EXPECT_EQ(g.oupl1, 59);
  EXPECT_EQ(g.oupl2, 51);
  EXPECT_EQ(g.toripl1[76], 0);  // no black piece covers its pawn's square
  EXPECT_EQ(g.toripl1[75], 1);  // the pawn on 76
}

TEST(UsiGo, EngineAsBlackSeesTheBoardTurnedAround) {
  Usi u;
  // Black to move at move 3; the computer's bishop (black's, on 8h) is on 22 in
  // its own view and takes on 88 (white's 2b) with promotion.
  u.com->next = kekka(22, 188);
  const std::string out = u.send("position startpos moves 7g7f 3c3d\ngo\n");
  EXPECT_EQ(lastLine(out), "bestmove 8h2b+");
  const Men& g = *u.com->last;
  EXPECT_EQ(g.aru[34], 208);  // black's pawn on 7f
  EXPECT_EQ(g.aru[76], 108);  // white's pawn on 3d
  EXPECT_EQ(g.aru[22], 203);
  EXPECT_EQ(g.aru[88], 103);
  EXPECT_EQ(u.com->tesuu, 3);
  EXPECT_EQ(g.oupl2, 51);
}

TEST(UsiGo, StartposBlackFirstMove) {
  Usi u;
  u.com->next = kekka(33, 34);  // in the turned view this is 7g7f
  EXPECT_EQ(lastLine(u.send("position startpos\ngo\n")), "bestmove 7g7f");
}

TEST(UsiGo, DropsMapForBothColours) {
  Usi u;
  // White holds a bishop after 3a2b and drops it on 5e (internal 55).
  u.com->next = kekka(203, 55);
  EXPECT_EQ(lastLine(u.send("position startpos moves 7g7f 3c3d 8h2b+ 3a2b 2g2f\ngo\n")),
            "bestmove B*5e");
  EXPECT_EQ(u.com->last->arull[23], 1);
  // Black holds a bishop; in its turned view 45 is the board's 65, "6e".
  u.com->next = kekka(203, 45);
  EXPECT_EQ(lastLine(u.send("position startpos moves 7g7f 3c3d 8h2b+ 3a2b\ngo\n")),
            "bestmove B*6e");
  EXPECT_EQ(u.com->last->arull[23], 1);
  EXPECT_EQ(u.com->last->arull[13], 1);
}

TEST(UsiGo, ResignsBelowMinus30000Only) {
  Usi u;
  u.com->next = kekka(33, 34, -30001);
  std::string out = u.send("position startpos moves 7g7f\ngo\n");
  EXPECT_EQ(lastLine(out), "bestmove resign");
  EXPECT_NE(out.find("score cp -30001"), std::string::npos);
  u.com->next = kekka(33, 34, -30000);
  EXPECT_EQ(lastLine(u.send("go\n")), "bestmove 3c3d");
}

TEST(UsiGo, InfoLineCarriesScoreAndTime) {
  Usi u;
  u.com->next = kekka(33, 34, 123);
  const std::string out = u.send("position startpos moves 7g7f\ngo\n");
  const size_t at = out.find("info time ");
  ASSERT_NE(at, std::string::npos);
  const std::string info = out.substr(at, out.find('\n', at) - at);
  EXPECT_NE(info.find(" score cp 123"), std::string::npos) << info;
  EXPECT_LT(at, out.find("bestmove"));
}

TEST(UsiGo, StrategyAndStageAreShown) {
  Usi u;
  u.com->next = kekka(33, 34);
  u.com->next.sennkei = "ibimi";
  u.com->next.teban = 2;
  const std::string out = u.send("position startpos moves 7g7f\ngo\n");
  EXPECT_NE(out.find("info string strategy ibimi stage 2\n"), std::string::npos) << out;
}

TEST(UsiGo, InfoLineCarriesTheCounts) {
  Usi u;
  u.com->next = kekka(33, 34, -45);
  u.com->next.nodes = 1234;
  u.com->next.kensa = 56;
  const std::string out = u.send("position startpos moves 7g7f\ngo\n");
  const size_t at = out.find(" nodes ");
  ASSERT_NE(at, std::string::npos) << out;
  EXPECT_EQ(out.substr(at, out.find('\n', at) - at),
            " nodes 1234 score cp -45 string candidates 56");
}

TEST(UsiGo, MateSearchMoveIsReportedAsMateInPlies) {
  Usi u;
  // 31000 is a mate given by the checking move of ply 3.
  u.com->next = kekka(33, 34, 31000);
  u.com->next.tume = true;
  std::string out = u.send("position startpos moves 7g7f\ngo\n");
  EXPECT_NE(out.find(" score mate 3 "), std::string::npos) << out;
  u.com->next.saikou1 = 32000;
  out = u.send("go\n");
  EXPECT_NE(out.find(" score mate 1 "), std::string::npos) << out;
  // The same value from the main search is a plain score.
  u.com->next.tume = false;
  out = u.send("go\n");
  EXPECT_NE(out.find(" score cp 32000 "), std::string::npos) << out;
}

TEST(UsiGo, IllegalComputerMoveIsNotPlayed) {
  Usi u;
  u.com->next = kekka(33, 35);  // a pawn cannot move two squares
  const std::string out = u.send("position startpos moves 7g7f\ngo\n");
  EXPECT_NE(out.find("info string the computer chose an illegal move"), std::string::npos);
  EXPECT_EQ(lastLine(out), "bestmove resign");
}

TEST(UsiGo, NoLegalMoveResignsWithoutAsking) {
  Usi u;
  // White king 1a boxed in by a gold on 1b supported by a lance on 1i's file:
  // black gold 1b, black lance 1c, nothing else near.
  u.send("position sfen 8k/8G/8L/9/9/9/9/9/K8 w - 2\n");
  const std::string out = u.send("go\n");
  EXPECT_EQ(lastLine(out), "bestmove resign");
  EXPECT_EQ(u.com->calls, 0);
}

TEST(UsiGo, GoMateIsDeclined) {
  Usi u;
  EXPECT_EQ(u.send("go mate 1000\n"), "checkmate notimplemented\n");
}

// --- the state kept through a game ---

TEST(UsiGame, UsinewgameSetsUpWithTheSeedAndGoKeepsTheState) {
  Usi u;
  u.com->next = kekka(33, 34);
  u.send("setoption name Seed value 42\nusinewgame\nposition startpos moves 7g7f\ngo\n");
  ASSERT_EQ(u.com->seeds.size(), 1u);
  EXPECT_EQ(u.com->seeds[0], 42u);
  u.com->next = kekka(43, 44);
  u.send("position startpos moves 7g7f 3c3d 2g2f\ngo\n");
  EXPECT_EQ(u.com->seeds.size(), 1u);  // not set up again within the game
  EXPECT_EQ(u.com->calls, 2);
  u.send("usinewgame\n");
  EXPECT_EQ(u.com->seeds.size(), 2u);
  EXPECT_EQ(u.com->seeds[1], 42u);
}

TEST(UsiGame, BookFileOptionReachesTheComputer) {
  Usi u;
  EXPECT_EQ(u.send("setoption name BookFile value /tmp/other book.lis\n"), "");
  EXPECT_EQ(u.com->book, "/tmp/other book.lis");
  u.send("setoption name BookFile value\n");
  EXPECT_EQ(u.com->book, "joseki.lis");
}

TEST(UsiGame, FirstGoWithoutUsinewgameSetsUpOnce) {
  Usi u;
  u.com->next = kekka(33, 34);
  u.send("setoption name Seed value 7\nposition startpos moves 7g7f\ngo\ngo\n");
  ASSERT_EQ(u.com->seeds.size(), 1u);
  EXPECT_EQ(u.com->seeds[0], 7u);
}

TEST(UsiGame, UsinewgameResetsThePosition) {
  Usi u;
  u.send("position startpos moves 7g7f\nusinewgame\n");
  Kyokumen want;
  hirate(want);
  EXPECT_EQ(u.engine->kyokumen().aru, want.aru);
}

// --- bad input ---

class UsiBadInput : public ::testing::TestWithParam<std::string> {};

TEST_P(UsiBadInput, AnsweredWithInfoStringPositionKeptStillReady) {
  Usi u;
  u.send("position startpos moves 7g7f\n");
  const Kyokumen before = u.engine->kyokumen();
  const std::string out = u.send(GetParam() + "\nisready\n");
  EXPECT_EQ(out.rfind("info string ", 0), 0u) << out;
  EXPECT_EQ(lastLine(out), "readyok");
  EXPECT_EQ(u.engine->kyokumen().aru, before.aru);
  EXPECT_EQ(u.engine->kyokumen().gote, before.gote);
  EXPECT_EQ(u.engine->kyokumen().tesuu, before.tesuu);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsiBadInput,
    ::testing::Values(
        "frobnicate", "position", "position nowhere", "position startpos move 7g7f",
        "position sfen", "position sfen lnsgkgsnl/1r5b1 b - 1",
        "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL x - 1",
        "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNLL b - 1",
        "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSN b - 1",
        "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b 3Q 1",
        "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 0",
        "position sfen lnsg1gsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
        "position sfen 4k3P/9/9/9/9/9/9/9/4K4 b - 1",      // pawn that can never move
        "position sfen 4k4/9/9/9/9/9/P8/P8/4K4 b - 1",     // two pawns on file 9
        "position sfen 4k4/4R4/9/9/9/9/9/9/4K4 b - 1",     // white in check, black to move
        "position sfen 4k4/9/9/9/9/9/9/9/4K4 b 19P 1",    // more pawns than a set has
        "position startpos moves 7g7e",                    // illegal: two squares
        "position startpos moves 7g7f 7g7f",               // illegal: black moves again
        "position startpos moves 7z7f",                    // malformed square
        "position startpos moves P*5",                     // malformed drop
        "position startpos moves 7g7f3c3d",                // glued moves
        "position startpos moves p*5e",                    // lower-case drop letter
        "setoption name Colour value red", "setoption name Seed value abc",
        "setoption Seed"));

TEST(UsiOddInput, StandardOptionsOfGuisAreAcceptedQuietly) {
  Usi u;
  EXPECT_EQ(u.send("setoption name USI_Hash value 256\nsetoption name USI_Ponder value false\n"),
            "");
}

TEST(UsiOddInput, EmptyLinesAreIgnored) {
  Usi u;
  EXPECT_EQ(u.send("\n\n   \nisready\n"), "readyok\n");
}

TEST(UsiOddInput, MutatedCommandsNeverBreakTheEngineOrItsPosition) {
  const std::vector<std::string> base = {
      "position startpos moves 7g7f 3c3d 8h2b+ 3a2b",
      "position sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1 moves 7g7f",
      "position sfen 8k/9/7S1/9/9/9/9/9/K8 b G 1 moves G*1b",
      "position sfen 4k4/9/9/9/9/9/9/9/4K4 w 2p 2 moves P*5e",
      "setoption name Seed value 5",
      "go"};
  const std::string chars = "0123456789abcdefghiKRBGSNLPkrbgsnlp+*/- ";
  std::mt19937 rng(12345);
  Usi u;
  u.com->next = kekka(0, 0, -32000);  // resigns, so "go" never needs a move
  for (int i = 0; i < 600; ++i) {
    std::string s = base[rng() % base.size()];
    const int edits = static_cast<int>(rng() % 5);
    for (int e = 0; e < edits && !s.empty(); ++e) {
      const size_t at = rng() % s.size();
      switch (rng() % 3) {
        case 0: s.insert(s.begin() + static_cast<long>(at), chars[rng() % chars.size()]); break;
        case 1: s.erase(at, 1); break;
        default: s[at] = chars[rng() % chars.size()]; break;
      }
    }
    ASSERT_EQ(lastLine(u.send(s + "\nisready\n")), "readyok") << s;
    const Kyokumen& k = u.engine->kyokumen();
    int ou1 = 0, ou2 = 0;
    for (int q = 11; q <= 99; ++q) {
      ou1 += k.aru[q] == 101;
      ou2 += k.aru[q] == 201;
    }
    ASSERT_EQ(ou1, 1) << s;
    ASSERT_EQ(ou2, 1) << s;
    Kyokumen ura = k;
    ura.gote = !k.gote;
    ASSERT_FALSE(outeKa(ura)) << s;  // the side that just moved is never left in check
  }
}

TEST(UsiOddInput, BadMoveLeavesThePreviousPositionNotAPartialOne) {
  Usi u;
  u.send("position startpos\n");
  u.send("position startpos moves 7g7f 3c3d 1a1b\n");  // lance cannot go back
  Kyokumen want;
  hirate(want);
  EXPECT_EQ(u.engine->kyokumen().aru, want.aru);
}

// --- the real computer, when this build has one ---

TEST(UsiReal, AnswersALegalMoveFromTheStartAndAfterAReply) {
  std::unique_ptr<Computer> com = makeComputer();
  if (!com) GTEST_SKIP() << "no computer player linked in this build";
  UsiEngine e(std::move(com));
  for (const char* pos : {"position startpos", "position startpos moves 7g7f",
                          "position startpos moves 7g7f 3c3d 2g2f"}) {
    std::istringstream in(std::string("usinewgame\n") + pos + "\ngo\n");
    std::ostringstream out;
    e.run(in, out);
    const std::string best = lastLine(out.str());
    ASSERT_EQ(best.rfind("bestmove ", 0), 0u) << out.str();
    const std::string mv = best.substr(9);
    ASSERT_NE(mv, "resign") << pos;
    Te te;
    std::string why;
    EXPECT_EQ(usiTeYomu(e.kyokumen(), mv, te, why), TeKekka::kOk) << pos << ": " << why;
  }
}

}  // namespace
}  // namespace syougi

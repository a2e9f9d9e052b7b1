// One window process plays game after game against a scripted user who
// clicks seeded random legal moves through `syougi --drive`, then 再戦 and
// again. After each game no box is left open, the saved record reads back
// legal move for move, and the window's resident memory stops growing.
// SYOUGI_GAMES sets how many games (`make hundred` asks for 100).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "model/kifu_yomu.h"
#include "model/kiroku.h"
#include "model/kyokumen.h"
#include "model/rules.h"
#include "tests/qt/link_game.h"
#include "tests/temp_dir.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using test::kBound;
using test::kComWins;
using test::kProgram;
using test::kYouWin;
using test::Mado;

const std::string kNarimasuka = "box ヌバタ\t成りますか？";

#if defined(__SANITIZE_ADDRESS__)
// Freed memory waits in the sanitizer's quarantine: the figures say nothing.
constexpr bool kRssCounts = false;
#else
constexpr bool kRssCounts = true;
#endif

int games() {
  const char* n = std::getenv("SYOUGI_GAMES");
  return n ? std::max(2, std::atoi(n)) : 10;
}

long rssKb(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  for (std::string l; std::getline(f, l);)
    if (l.rfind("VmRSS:", 0) == 0) return std::atol(l.c_str() + 6);
  return -1;
}

// The move lines of the record box, as the driver prints it (line breaks
// written as \r\n).
std::vector<std::string> boxMoves(const std::string& reply) {
  const std::string head = "ok text kifu ";
  std::vector<std::string> moves;
  if (reply.rfind(head, 0) != 0) {
    ADD_FAILURE() << reply;
    return moves;
  }
  const std::string text = reply.substr(head.size()) + "\\r\\n";
  for (size_t at = 0, i; (i = text.find("\\r\\n", at)) != std::string::npos; at = i + 4) {
    const std::string l = text.substr(at, i - at);
    if (!l.empty() && l[0] != 'T' && l != "%TORYO") moves.push_back(l);
  }
  return moves;
}

// One game from the start panel; the user moves second when `userGote`.
// Before each of the user's moves the record so far must replay by the
// rules and hold the user's last move; the user resigns once it has no
// move or has made `limit`. `moves` gets the record, `end` its last box.
void play(Mado& w, std::mt19937& rng, bool userGote, int limit, std::vector<std::string>& moves,
          std::string& end) {
  const std::string start = userGote ? "click kaisigote" : "click kaisisennte";
  ASSERT_EQ(w.ask(start), "ok " + start);
  if (userGote) {
    ASSERT_EQ(w.ask("wait-turn"), "ok turn");
  }
  std::string mine;
  for (int made = 0; w.boxes.empty(); ++made) {  // a box here is the computer's end
    moves = boxMoves(w.ask("text kifu"));
    Kyokumen k;
    hirate(k);
    for (const std::string& m : moves) {
      KirokuTe t;
      ASSERT_EQ(kirokuTeSasu(k, m, Utifuzume::kKinsi, t), KirokuKekka::kOk) << m;
    }
    ASSERT_EQ(k.gote, userGote) << "not the user's turn after " << moves.size() << " moves";
    if (!mine.empty()) {
      ASSERT_EQ(moves.at(moves.size() - 2), mine);
    }
    TeList list;
    if (gouhou(k, list) == 0 || made == limit) {
      ASSERT_EQ(w.ask("click touryou"), "ok click touryou");
      break;
    }
    const Te te = list[static_cast<int>(rng() % static_cast<unsigned>(list.kazu))];
    mine = csaTeKaku(k, te);
    Ban aru;
    Mochi arull;
    tebanMen(k, aru, arull);
    // The window's squares and hand are the mover's own view.
    for (int c : {te.moto, te.saki}) {
      const std::string click = "click e" + std::to_string(c);
      ASSERT_EQ(w.ask(click), "ok " + click);
    }
    if (te.moto < 100 && nariKubun(aru[te.moto], te.moto, te.saki) == Nari::kChoice) {
      const std::string a = te.naru ? "answer Yes" : "answer No";
      ASSERT_EQ(w.ask(a), "ok " + a);
      ASSERT_EQ(w.boxes, std::vector<std::string>{kNarimasuka});
      w.boxes.clear();
    }
    ASSERT_EQ(w.ask("wait-turn"), "ok turn");
  }
  ASSERT_EQ(w.ask("answer OK"), "ok answer OK");
  ASSERT_EQ(w.boxes.size(), 1u);
  end = w.boxes[0];
  w.boxes.clear();
  EXPECT_TRUE(end == kComWins || end == kYouWin || end == kBound) << end;
  ASSERT_EQ(w.ask("wait-idle"), "ok idle") << "a box is left open";
  moves = boxMoves(w.ask("text kifu"));
  ASSERT_EQ(w.ask("click hozonn"), "ok click hozonn");
  ASSERT_EQ(w.ask("wait-idle"), "ok idle");
  EXPECT_TRUE(w.boxes.empty()) << w.boxes.front();
}

TEST(GameAfterGame, OneWindowPlaysGamesInARowWithLegalRecordsAndSteadyMemory) {
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
  const test::TempDir folder("games");  // gone at the end, after the window
  ASSERT_TRUE(folder.made());
  const fs::path& dir = folder.path();
  const int n = games();
  std::vector<long> rss{0};  // after each game, from game 1
  {
    Mado w("W", dir / "W", (dir / "no-port").string());
    ASSERT_TRUE(w.started());
    std::mt19937 rng(25);
    for (int i = 1; i <= n; ++i) {
      if (i > 1) {
        ASSERT_EQ(w.ask("click saisenn"), "ok click saisenn");
      }
      std::vector<std::string> moves;
      std::string end;
      // Some games the user gives up early, the others once mated.
      const int limit = static_cast<int>(rng() % 40);
      ASSERT_NO_FATAL_FAILURE(play(w, rng, i % 2 == 0, limit, moves, end));
      KifuAyamari err;
      const std::optional<KifuKiroku> kf = kifuFairuYomu((w.dir() / "kifu.csa").string(), err);
      ASSERT_TRUE(kf) << "game " << i << ", line " << err.gyou << ": " << err.why;
      ASSERT_EQ(kf->te.size(), moves.size()) << "game " << i;
      for (size_t t = 0; t < moves.size(); ++t) EXPECT_EQ(kf->te[t].csa, moves[t]) << "game " << i;
      EXPECT_EQ(kf->owari, end == kBound ? "" : "%TORYO") << "game " << i;
      rss.push_back(rssKb(w.pid()));
      std::printf("game %d: %zu moves, %s, VmRSS %ld kB\n", i, moves.size(),
                  end.substr(end.find('\t') + 1).c_str(), rss.back());
      std::fflush(stdout);
    }
    EXPECT_EQ(w.ask("quit"), "ok quit");
  }

  // Caches fill over the first games. Then a game may keep 40 kB at most,
  // and the run no more than 2 MB after its first tenth.
  const int half = n / 2, tenth = std::max(2, n / 10);
  std::printf("VmRSS after game %d: %ld kB, game %d: %ld kB, game %d: %ld kB\n", tenth, rss[tenth],
              half, rss[half], n, rss[n]);
  if (!kRssCounts) return;
  EXPECT_LE(rss[n] - rss[half], 40L * (n - half)) << "kB kept since game " << half;
  EXPECT_LE(rss[n] - rss[tenth], 2048L) << "kB kept since game " << tenth;
}

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The shipped book gives the computer real choices: against the same user,
// games started at different clock values (so with different seeds for the
// book's draw) go different ways.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/sikou.h"
#include "model/rules.h"
#include "tests/flow_fake.h"

namespace syougi {
namespace {

using fake::FakeGamen;
using fake::ScratchDir;

// The user's moves in its own view (bottom side): each turn the first one of
// the list that is legal and not yet played, else the first legal move. A
// static rook with a boat castle: 7六歩 2六歩 4八銀 6八玉 7八玉 5八金 1六歩
// 9六歩 3六歩 5六歩 when moving first.
constexpr std::pair<int, int> kUser[] = {{77, 76}, {27, 26}, {39, 48}, {59, 68}, {68, 78},
                                         {69, 58}, {17, 16}, {97, 96}, {37, 36}, {57, 56}};

class BookVariety : public ScratchDir {
 protected:
  // The computer's first ten moves, as record texts, in one game.
  static std::string computerMoves(bool userFirst, double clock) {
    FakeGamen gamen;
    gamen.now = clock;
    auto com = makeComputer();
    com->setBookPath(std::string(SYOUGI_SOURCE_DIR) + "/data/joseki.lis");
    Syougi s(gamen, com.get());
    s.Form_Load();
    if (userFirst)
      s.kaisisennte_Click();
    else
      s.kaisigote_Click();
    std::set<int> played;
    std::string moves;
    for (int com10 = 0; com10 < 10;) {
      if (gamen.timer != 0) {
        const int t = s.game.tesuu;
        s.t_Timer();
        if (s.game.tesuu == t) break;  // resigned
        moves += s.game.sasite + " ";
        ++com10;
        continue;
      }
      if (s.game.zyoutai != 1) break;
      TeList list;
      const int n = gouhousyu(s.game.aru, s.game.arull, list);
      if (n == 0) break;
      Te pick = list[0];
      for (int i = 0; i < 10; ++i) {
        if (played.count(i)) continue;
        bool found = false;
        for (int k = 0; k < n && !found; ++k)
          found = list[k].moto == kUser[i].first && list[k].saki == kUser[i].second && !list[k].naru;
        if (found) {
          pick = {kUser[i].first, kUser[i].second, false};
          played.insert(i);
          break;
        }
      }
      gamen.answers = {pick.naru};
      s.e_MouseDown(pick.moto);
      s.e_MouseDown(pick.saki);
      gamen.answers.clear();
    }
    return moves;
  }

  static int distinctGames(bool userFirst) {
    std::set<std::string> seen;
    for (int k = 0; k < 10; ++k) seen.insert(computerMoves(userFirst, 36000.0 + k * 1.5));
    return static_cast<int>(seen.size());
  }
};

// With the shipped book 6 of the 10 games differ in each move order; the book
// with a single move per position gave 1.
TEST_F(BookVariety, TenSeedsGiveAtLeastFiveDifferentGamesInEachMoveOrder) {
  const int second = distinctGames(true);
  const int first = distinctGames(false);
  EXPECT_GE(second, 5) << "computer moving second: " << second << " of 10 differ (6 seen)";
  EXPECT_GE(first, 5) << "computer moving first: " << first << " of 10 differ (6 seen)";
}

}  // namespace
}  // namespace syougi

// syougi-match: plays USI engines against each other or against GNU Shogi and
// writes every game as a CSA record.
#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "tools/match/match.h"

namespace {

using namespace syougi;
using namespace syougi::match;

void tukaikata() {
  std::cerr << "usage: syougi-match [options] <engine 1 command> <engine 2 command | gnushogi>\n"
               "  --games N           games, colours alternate, engine 1 black first (2)\n"
               "  --max-moves N       a game reaching N moves is a draw (256)\n"
               "  --timeout SEC       longest wait for one move (300)\n"
               "  --byoyomi MS        byoyomi sent with go, for engines that use it (1000)\n"
               "  --gnushogi-depth N  GNU Shogi's search depth; 1 is its weakest (1)\n"
               "  --gnushogi-cmd CMD  how to start GNU Shogi (gnushogi, else /usr/games/gnushogi)\n"
               "  --seed1 N, --seed2 N  Seed option of engine 1 / 2, plus the game index\n"
               "  --out DIR           where the records go (match-out); engine N's stderr\n"
               "                      goes to DIR/engineN.stderr\n"
               "  --fresh             engines start afresh for every game, their exit checked after it\n"
               "  --random-plies N    games start with N random moves (seeded by --seed1 plus the\n"
               "                      game index); USI engines only\n";
}

std::string jikoku() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char b[32];
  std::strftime(b, sizeof b, "%Y/%m/%d %H:%M:%S", &tm);
  return b;
}

struct Seiseki {
  int kati[2] = {}, make[2] = {}, hikiwake[2] = {};  // by colour: [0] black, [1] white
  std::vector<int64_t> ms;  // every move's time
};

const char* owariName(Owari o) {
  switch (o) {
    case Owari::kToryo: return "resignation";
    case Owari::kTsumi: return "checkmate";
    case Owari::kIllegal: return "illegal move";
    case Owari::kSennichite: return "repetition";
    case Owari::kOuteSennichite: return "perpetual check";
    case Owari::kMoveLimit: return "move limit";
    case Owari::kTimeUp: return "time";
    case Owari::kChudan: return "engine failure";
    case Owari::kNone: return "unfinished";
  }
  return "?";
}

bool suuji(const std::string& s, long long& v) {
  if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789") != std::string::npos)
    return false;
  v = std::stoll(s);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);  // a dead engine must not take the referee along

  int games = 2, maxMoves = 256, timeoutSec = 300, byoyomi = 1000, depth = 1;
  std::string out = "match-out", gnuCmd;
  bool fresh = false;
  int randomPlies = 0;
  std::optional<uint32_t> seed[2];
  std::string cmd[2];
  int ncmd = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto num = [&](long long lo, long long hi, long long& v) {
      if (i + 1 >= argc || !suuji(argv[i + 1], v) || v < lo || v > hi) {
        std::cerr << "syougi-match: " << a << " needs a number " << lo << ".." << hi << "\n";
        std::exit(2);
      }
      ++i;
    };
    long long v = 0;
    if (a == "--games") {
      num(1, 100000, v);
      games = static_cast<int>(v);
    } else if (a == "--max-moves") {
      num(1, 100000, v);
      maxMoves = static_cast<int>(v);
    } else if (a == "--timeout") {
      num(1, 86400, v);
      timeoutSec = static_cast<int>(v);
    } else if (a == "--byoyomi") {
      num(0, 86400000, v);
      byoyomi = static_cast<int>(v);
    } else if (a == "--gnushogi-depth") {
      num(1, 29, v);
      depth = static_cast<int>(v);
    } else if (a == "--seed1" || a == "--seed2") {
      num(0, 0xffffffffLL, v);
      seed[a == "--seed2"] = static_cast<uint32_t>(v);
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (a == "--gnushogi-cmd" && i + 1 < argc) {
      gnuCmd = argv[++i];
    } else if (a == "--random-plies") {
      num(0, 100, v);
      randomPlies = static_cast<int>(v);
    } else if (a == "--fresh") {
      fresh = true;
    } else if (a == "-h" || a == "--help") {
      tukaikata();
      return 0;
    } else if (!a.empty() && a[0] != '-' && ncmd < 2) {
      cmd[ncmd++] = a;
    } else {
      tukaikata();
      return 2;
    }
  }
  if (ncmd != 2) {
    tukaikata();
    return 2;
  }
  if (randomPlies > 0 && (cmd[0] == "gnushogi" || cmd[1] == "gnushogi")) {
    // It is told the opponent's last move only.
    std::cerr << "syougi-match: --random-plies needs two USI engines\n";
    return 2;
  }
  if (gnuCmd.empty()) {
    gnuCmd = std::system("command -v gnushogi >/dev/null 2>&1") == 0 ? "gnushogi" : "/usr/games/gnushogi";
  }

  std::unique_ptr<Player> player[2];
  for (int e = 0; e < 2; ++e) {
    if (cmd[e] == "gnushogi") {
      GnuShogiOptions o;
      o.command = gnuCmd;
      o.depth = depth;
      o.errPath = (std::filesystem::path(out) / ("engine" + std::to_string(e + 1) + ".stderr")).string();
      player[e] = makeGnuShogiPlayer(o);
    } else {
      UsiOptions o;
      o.command = cmd[e];
      o.seed = seed[e];
      o.byoyomiMs = byoyomi;
      o.errPath = (std::filesystem::path(out) / ("engine" + std::to_string(e + 1) + ".stderr")).string();
      player[e] = makeUsiPlayer(o);
    }
  }

  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (ec) {
    std::cerr << "syougi-match: cannot create " << out << ": " << ec.message() << "\n";
    return 1;
  }

  Seiseki sei[2];
  Fault fau[2];
  int draws = 0;
  for (int g = 0; g < games; ++g) {
    const int black = g % 2;  // engine index playing black
    Kyokumen start;
    hirate(start);
    Taikyoku t(start, maxMoves);
    // An opening per game: played from both sides it would repeat a self-play game.
    randomOpening(t, randomPlies, seed[0].value_or(0) + static_cast<uint32_t>(g));
    const std::string startTime = jikoku();
    std::string err;
    bool ok = true;
    for (int c = 0; c < 2 && ok; ++c) {
      const int e = c == 0 ? black : 1 - black;
      if (!player[e]->newGame(c == 0, err)) {
        ok = false;
        t.owaruMake(Owari::kChudan, c == 1, player[e]->name() + ": " + err);
      }
    }
    if (ok) taikyoku(t, *player[black], *player[1 - black], timeoutSec * 1000);
    const std::string endTime = jikoku();
    // The last game's engines are ended here, so that a bad end counts with it.
    std::string ended[2];
    for (int e = 0; e < 2; ++e) {
      if (fresh || g + 1 == games) player[e]->quit();
      ended[e] = player[e]->fault();
    }
    kazoeru(fau, t, g + 1, black, ended);
    std::string faultText;
    for (int e = 0; e < 2; ++e) {
      if (!ended[e].empty())
        faultText += (faultText.empty() ? "" : "; ") + player[e]->name() + " ended badly: " + ended[e];
    }

    char fn[64];
    std::snprintf(fn, sizeof fn, "game-%03d.csa", g + 1);
    const std::filesystem::path path = std::filesystem::path(out) / fn;
    std::ofstream f(path, std::ios::binary);
    f << csaKiroku(t, player[black]->name(), player[1 - black]->name(), startTime, endTime);
    if (!faultText.empty()) f << "'" << faultText << "\n";
    if (!f) std::cerr << "syougi-match: cannot write " << path << "\n";

    for (int c = 0; c < 2; ++c) {
      const int e = c == 0 ? black : 1 - black;
      const int res = c == 0 ? t.syousya() : -t.syousya();
      Seiseki& s = sei[e];
      if (res > 0) ++s.kati[c];
      if (res < 0) ++s.make[c];
      if (res == 0) ++s.hikiwake[c];
      for (size_t m = 0; m < t.te().size(); ++m) {
        // Move m was made by black when the start had black to move and m is even.
        const bool byBlack = (m % 2 == 0) != t.start().gote;
        if (byBlack != (c == 0)) continue;
        s.ms.push_back(t.te()[m].ms);
      }
    }
    if (t.syousya() == 0) ++draws;
    std::cout << "game " << g + 1 << ": " << player[black]->name() << " (black) vs "
        << player[1 - black]->name() << " (white): "
        << (t.syousya() > 0 ? "black wins" : t.syousya() < 0 ? "white wins" : "draw") << " by "
        << owariName(t.owari()) << " after " << t.te().size() << " moves"
        << (t.note().empty() ? "" : " (" + t.note() + ")") << " -> " << path.string()
        << (faultText.empty() ? "" : " [" + faultText + "]") << "\n"
        << std::flush;
  }

  std::ostringstream sum;
  sum << "\nsummary of " << games << " games (" << draws << " drawn)\n";
  for (int e = 0; e < 2; ++e) {
    const Seiseki& s = sei[e];
    const Fault& x = fau[e];
    sum << "engine " << e + 1 << " " << player[e]->name() << ": wins "
        << s.kati[0] + s.kati[1] << ", losses " << s.make[0] + s.make[1] << ", draws "
        << s.hikiwake[0] + s.hikiwake[1] << "\n"
        << "  as black: " << s.kati[0] << " won, " << s.make[0] << " lost, " << s.hikiwake[0]
        << " drawn; as white: " << s.kati[1] << " won, " << s.make[1] << " lost, "
        << s.hikiwake[1] << " drawn\n"
        << "  illegal moves " << x.illegal << ", crashes " << x.crashes << ", time-outs "
        << x.timeUps << "\n"
        << std::fixed << std::setprecision(3) << "  move time: " << s.ms.size() << " moves, average "
        << (s.ms.empty() ? 0.0
                         : double(std::accumulate(s.ms.begin(), s.ms.end(), int64_t{0})) /
                               double(s.ms.size()) / 1000.0)
        << " s, median "
        << chuuouMs(s.ms) / 1000.0 << " s, slowest "
        << std::max<int64_t>(x.slowestMs, 0) / 1000.0 << " s\n"
        << "  peak memory " << player[e]->peakKb() << " KiB\n";
  }
  // The match's faults and extremes in one place, for scripts.
  const int slow = fau[1].slowestMs > fau[0].slowestMs;
  const int big = player[1]->peakKb() > player[0]->peakKb();
  sum << "faults: illegal " << fau[0].illegal + fau[1].illegal << ", crashes "
      << fau[0].crashes + fau[1].crashes << ", time-outs " << fau[0].timeUps + fau[1].timeUps << "\n"
      << "slowest move: " << std::max<int64_t>(fau[slow].slowestMs, 0) / 1000.0 << " s by engine "
      << slow + 1 << " (" << player[slow]->name() << ") in game " << fau[slow].slowestGame << "\n"
      << "peak memory: " << player[big]->peakKb() << " KiB by engine " << big + 1 << " ("
      << player[big]->name() << ")\n";
  std::cout << sum.str();
  std::ofstream(std::filesystem::path(out) / "summary.txt") << sum.str();
  return 0;
}

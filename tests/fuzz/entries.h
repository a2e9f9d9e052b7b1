// Entry points shared by the fuzzers and by the test that replays their
// corpora and the inputs that once broke something. Each takes raw bytes,
// drives real program code with them and traps when an invariant breaks, so
// that a fault shows the same way with or without libFuzzer.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/book.h"
#include "engine/computer.h"
#include "engine/sikou.h"
#include "usi/usi.h"
#include "link/port.h"
#include "link/tusin.h"
#include "model/attacks.h"
#include "model/board.h"
#include "model/game.h"
#include "model/rules.h"
#include "window/gamen.h"
#include "window/syougi.h"
#include "window/tusinsyougi.h"

// The harness is not what is fuzzed: coverage of its own branches would only
// add features that guide nothing, and counters that cost time.
#if defined(__clang__)
#define HARNESS __attribute__((no_sanitize("coverage")))
#else
#define HARNESS
#endif

namespace syougi::fuzz {

// A broken invariant: stop here so the input is kept.
[[noreturn]] inline void yabure(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  __builtin_trap();
}
HARNESS inline void mamoru(bool ok, const char* what) {
  if (!ok) yabure(what);
}

HARNESS inline bool pieceCode(int32_t c) {
  const int side = c / 100, kind = c % 100;
  if (side != 1 && side != 2) return false;
  return (kind >= 1 && kind <= 8) || kind == 12 || kind == 13 || (kind >= 15 && kind <= 18);
}

// Every square empty or a piece, every other cell off-board, hands in range.
HARNESS inline void kyokumenOk(const Ban& aru, const Mochi& arull) {
  for (int c = 0; c < 112; ++c) {
    if (isSquare(c))
      mamoru(aru[c] == 0 || pieceCode(aru[c]), "square holds no piece code");
    else
      mamoru(aru[c] == SOTO, "off-board cell changed");
  }
  for (int h = 0; h < 29; ++h) {
    const bool cell = (h >= 12 && h <= 18) || (h >= 22 && h <= 28);
    mamoru(cell ? arull[h] >= 0 && arull[h] <= 38 : arull[h] == 0, "hand count out of range");
  }
}

// Whether side 2 attacks square `q`: looked for from `q` outwards, which
// costs a few dozen cells where a whole attack count costs the board.
HARNESS inline bool kikareru(const Ban& b, int q) {
  // Per direction (the step from the attacker to `q`), the side-2 kinds that
  // reach one step, and those that slide; side 2 moves towards rank 9.
  static constexpr int kMuki[8] = {1, -1, 10, -10, 11, -11, 9, -9};
  static constexpr auto kUgoki = [] {
    std::array<std::array<uint8_t, 19>, 2> t{};  // [0] one step, [1] sliding
    auto bits = [&](int i, std::initializer_list<int> ks, uint8_t m) {
      for (int k : ks) t[i][k] |= m;
    };
    // Bit d is kMuki[d]: +1 forward, -1 back, +-10 sideways, +11 and -9 the
    // forward diagonals, -11 and +9 the backward ones.
    bits(0, {1}, 0xff);
    bits(0, {4, 15, 16, 17, 18}, 0b10011111);  // gold and the promoted minors
    bits(0, {5}, 0b11110001);
    bits(0, {8}, 0b00000001);
    bits(0, {12}, 0b11110000);
    bits(0, {13}, 0b00001111);
    bits(1, {2, 12}, 0b00001111);
    bits(1, {3, 13}, 0b11110000);
    bits(1, {7}, 0b00000001);
    return t;
  }();
  for (int d = 0; d < 8; ++d) {
    int p = q - kMuki[d];
    int32_t c = b[p];
    if (c == 0) {
      do p -= kMuki[d];
      while ((c = b[p]) == 0);
      if (c / 100 == 2 && (kUgoki[1][c % 100] >> d & 1)) return true;
    } else if (c / 100 == 2 && ((kUgoki[0][c % 100] | kUgoki[1][c % 100]) >> d & 1)) {
      return true;
    }
  }
  return (q >= 12 && b[q - 12] == 206) || b[q + 8] == 206;
}

// A legal side-1 move chosen by `k`: from a piece and a destination that `k`
// picks, the first move that keeps the king safe. Only a few moves are made
// and tested for check, where a list of all legal moves tests every one.
HARNESS inline bool hayaiTe(const Ban& aru, const Mochi& arull, uint32_t k, Te& te) {
  int kazu = 0;
  int32_t from[48];
  int32_t ou = 0;
  for (int s = 11; s <= 99; ++s) {
    if (s % 10 == 0 || sideOf(aru[s]) != 1) continue;
    from[kazu++] = s;
    if (aru[s] == 101) ou = s;
  }
  for (int h = 102; h <= 108; ++h)
    if (arull[h - 90] > 0) from[kazu++] = h;
  if (kazu == 0) return false;
  const bool oute = ou != 0 && kikareru(aru, ou);
  auto line = [&](int a) HARNESS {  // on a line through the king, or a knight's jump from it
    const int df = fileOf(a) - fileOf(ou), dr = rankOf(a) - rankOf(ou);
    return df == 0 || dr == 0 || df == dr || df == -dr || (std::abs(df) == 1 && std::abs(dr) == 2);
  };
  // Away from the king's lines and out of check, nothing can be uncovered.
  auto sureSafe = [&](int32_t f) HARNESS {
    return ou == 0 || (!oute && f != ou && (f > 100 || !line(f)));
  };
  auto sureUnsafe = [&](int32_t f, int q) HARNESS { return oute && f != ou && !line(q); };
  const uint32_t n = static_cast<uint32_t>(kazu);
  Ikeru ik;
  for (uint32_t i = 0; i < n; ++i) {
    const int32_t f = from[(k + i) % n];
    ikerusirabe(aru, arull, f, ik);
    for (uint32_t j = 0; j < 89; ++j) {
      const int q = 11 + static_cast<int>((k / n + j) % 89);
      if (!ik[q] || sureUnsafe(f, q)) continue;
      const Nari nk = f > 100 ? Nari::kNone : nariKubun(aru[f], f, q);
      const bool first = nk == Nari::kForced || (nk == Nari::kChoice && (k & 256) != 0);
      for (int alt = 0; alt < (nk == Nari::kChoice ? 2 : 1); ++alt) {
        const bool naru = alt == 0 ? first : !first;
        if (!sureSafe(f)) {
          Ban b = aru;
          Mochi bl = arull;
          sasu1(b, bl, f, q, naru);
          if (kikareru(b, f == ou ? q : ou)) continue;
        }
        te = Te{f, q, naru};
        return true;
      }
    }
  }
  return false;
}

// Answers for side 2 with one of its legal moves, chosen by `pick`; resigns
// when it has none. Fast, so that a fuzzer spends its time on the input.
class HayaiComputer : public Computer {
 public:
  uint32_t pick = 0;
  bool resign = false;
  void youi(uint32_t) override {}
  HARNESS ComKekka erabu(const Men& m, int32_t) override {
    ComKekka k;
    k.sennkei = "mitei";
    Ban b;
    Mochi bl;
    hanten(m.aru, m.arull, b, bl);
    Te t;
    if (resign || !hayaiTe(b, bl, pick++, t)) {
      k.saikou1 = -32000;
      return k;
    }
    k.moto = t.moto > 100 ? t.moto + 100 : 110 - t.moto;
    k.saki = 110 - t.saki + (t.naru ? 100 : 0);
    return k;
  }
};

// ---------------------------------------------------------------- book

// Returns the number of records loaded.
HARNESS inline int bookEntry(const uint8_t* data, size_t size) {
  static Zyouseki z;  // large: kept out of the stack
  static const std::string path = "/tmp/syougi_fuzz_book_" + std::to_string(getpid()) + ".lis";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return -1;
  }

  Ban aru;
  Mochi arull;
  syokihaiti(aru, arull);
  Ban aru2 = aru;
  Mochi arull2 = arull;
  aru2[77] = 0;  // after the user's 7776 with hands on both sides
  aru2[76] = 108;
  arull2[14] = 1;
  arull2[23] = 1;
  arull2[28] = 2;

  Rng rng;
  rng.seed(static_cast<uint32_t>(size));
  for (int pass = 0; pass < 2; ++pass) {
    const Ban& a = pass ? aru2 : aru;
    const Mochi& l = pass ? arull2 : arull;
    z.zyouseki(a, l, rng, path);
    mamoru(z.count() >= 0 && z.count() <= kBookMax, "record count");
    if (z.count() < kBookMax) mamoru(z.josekimoto[z.count()] == 111, "end marker");
    for (int r = 0; r < z.count(); ++r) {
      const int32_t m = z.josekimoto[r], s = z.josekisaki[r];
      mamoru(isSquare(m) || (m >= 202 && m <= 208), "loaded source");
      mamoru(s >= 11 && s <= 199 && isSquare(s % 100), "loaded destination");
    }
    for (int k = 0; k < 4; ++k) {
      const int32_t m = z.kouho.moto[k], s = z.kouho.saki[k], t = z.kouho.ten[k];
      if (k > 0) mamoru(t <= z.kouho.ten[k - 1], "slots out of order");
      if (m == 0) {
        mamoru(t == 0 && s == 0, "empty slot with a score");
        continue;
      }
      mamoru(t > 0 && t <= 59, "slot score");
      const int d = s % 100;
      mamoru(isSquare(d) && sideOf(a[d]) != 2, "slot destination");
      if (m > 100)
        mamoru(l[m % 10 + 20] > 0 && a[d] == 0 && s < 100, "slot drop");
      else
        mamoru(isSquare(m) && sideOf(a[m]) == 2, "slot source");
      for (int j = 0; j < k; ++j)
        mamoru(!(z.kouho.moto[j] == m && z.kouho.saki[j] == s), "same move in two slots");
    }
  }
  std::remove(path.c_str());
  return z.count();
}

// ---------------------------------------------------------------- link

class FuzzPort : public Port {
 public:
  std::string in;
  std::vector<int> ev;
  std::string out;
  bool open_ = false;
  bool refuse = false;
  bool gone = false;

  std::string name() const override { return "fuzz"; }
  bool open(std::string_view, std::string& reason) override {
    if (refuse) {
      reason = "busy";
      return false;
    }
    open_ = true;
    in.clear();
    return true;
  }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void write(std::string_view b) override {
    if (!open_) return;
    if (out.size() > 4096) out.clear();
    out.append(b);
  }
  std::string readAll() override {
    if (!open_) return {};
    std::string r;
    r.swap(in);
    return r;
  }
  std::vector<int> events() override {
    std::vector<int> r;
    if (open_) r.swap(ev);
    ev.clear();
    return r;
  }
  bool hungUp() const override { return gone; }
};

class FuzzGamen : public Gamen {
 public:
  int timer = 0;
  double now = 86000.0;  // near midnight, so clocks cross it
  bool zidouOn = true;
  bool haiAnswer = true;
  bool okAnswer = true;
  std::string outMsg;
  int boxes = 0;
  bool kaisiOn = true;  // the start panel covers the board

  void e(int, int32_t) override {}
  void text(const std::string& name, const std::string& s) override {
    if (name.size() == 6 && name == "OutMsg") outMsg = s;  // the length first: cheap
  }
  void sennMiseru(Senn, int) override {}
  void sennKakusu(Senn) override {}
  void kaisi(bool v) override { kaisiOn = v; }
  void menu(const std::string&, bool) override {}
  std::string yomu(const std::string& name) override { return name == "OutMsg" ? outMsg : ""; }
  void miseru(const std::string&, bool) override {}
  std::string fairuErabu() override { return {}; }
  void msgbox(const std::string&) override { ++boxes; }
  bool hai(const std::string&) override { return haiAnswer; }
  bool okCancel(const std::string&, const std::string&) override { return okAnswer; }
  void beep() override {}
  void taimaa(int ms) override { timer = ms; }
  double zikoku() override { return now; }
  bool zidou() override { return zidouOn; }
};

// The move text the remote side would send for the user's legal move number
// `k` (of those listed), squares as the first player sees them.
HARNESS inline std::string gouhouText(const Syougi& s, uint32_t k) {
  Te t;
  if (!hayaiTe(s.game.aru, s.game.arull, k, t)) return "%TORYO";
  const bool sente = s.game.tesuu % 2 != 0;
  auto masu = [&](int sq) HARNESS {
    const int v = sente ? sq : 110 - sq;
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
  };
  const int32_t code = t.moto > 100 ? t.moto : s.game.aru[t.moto] + (t.naru ? 10 : 0);
  return std::string(sente ? "+" : "-") + (t.moto > 100 ? "00" : masu(t.moto)) + masu(t.saki) +
         recordNameOf(code);
}

// Returns the number of the move about to be played at the end.
HARNESS inline int tusinEntry(const uint8_t* data, size_t size) {
  static const int kCodes[] = {kEvSend, kEvReceive, kEvCts, kEvDsr, kEvCd, kEvRing,
                               kEvEof, kErBreak, kErFrame, kErOverrun, kErRxOver, kErParity,
                               kErTxFull, kErDcb, 0, 8, 1002, 1012, -1, 2000};
  size_t p = 0;
  auto byte = [&]() HARNESS -> uint8_t { return p < size ? data[p++] : 0; };

  FuzzGamen gamen;
  FuzzPort port;
  auto com = std::make_unique<HayaiComputer>();
  // The flow holds the whole history: one block for every input spares the
  // sanitizer's allocator a large map and unmap each time.
  alignas(Syougi) static unsigned char flowMem[sizeof(Syougi)];
  struct Kasi {
    Syougi* s;
    ~Kasi() { s->~Syougi(); }
  } kasi{new (flowMem) Syougi(gamen, com.get())};
  Syougi* flow = kasi.s;
  const uint8_t setup = byte();
  // Each log line costs three system calls, which took most of the time:
  // one setup in eight keeps the log.
  const char* log = (setup & 0x38) == 0x38 ? "tusin.txt" : "";
  auto link = std::make_unique<SyougiTusin>(gamen, *flow, port, log);
  flow->Form_Load();

  gamen.zidouOn = (setup & 2) != 0;
  if (setup & 1) {
    flow->kaisisennte_Click();
  } else {
    flow->kaisigote_Click();
    flow->t_Timer();
  }
  link->tusin.Command2_Click((setup & 4) ? 1 : 0);

  int steps = 0;
  std::string before;  // assigned into, so the record is not allocated anew each step
  while (p < size && steps++ < 400) {
    before = flow->kifu;
    bool reset = false;
    const uint8_t op = byte();
    const uint8_t arg = op >> 3;
    switch (op & 7) {
      case 0: {  // a chunk of raw characters arrives
        for (int i = 0; i < arg && p < size; ++i) port.in.push_back(static_cast<char>(byte()));
        port.ev.push_back(kEvReceive);
        link->tusin.portEvents();
        break;
      }
      case 1: {  // a run of legal moves, each answered: long games from short inputs
        const uint8_t k = byte();
        com->pick = byte();
        for (int i = 0; i <= (arg & 7); ++i) {
          const int tesuu = flow->game.tesuu;
          port.in += gouhouText(*flow, k + 37u * static_cast<uint32_t>(i)) + "\n";
          port.ev.push_back(kEvReceive);
          link->tusin.portEvents();
          if (gamen.timer != 0) flow->t_Timer();
          if (flow->game.tesuu == tesuu) break;  // a refused move ends the run
        }
        break;
      }
      case 2: {  // a legal move arrives, maybe split, maybe with noise
        std::string m = gouhouText(*flow, byte()) + "\n";
        if (arg & 1) m.insert(0, 1, static_cast<char>(byte()));
        const size_t cut = (arg >> 1) % (m.size() + 1);
        port.in += m.substr(0, cut);
        port.ev.push_back(kEvReceive);
        link->tusin.portEvents();
        port.in += m.substr(cut);
        port.ev.push_back(kEvReceive);
        link->tusin.portEvents();
        break;
      }
      case 3:  // line events and errors, straight or through the port
        if (arg & 1)
          link->tusin.MSComm1_OnComm(kCodes[(arg >> 1) % 20]);
        else {
          port.ev.push_back(kCodes[(arg >> 1) % 20]);
          link->tusin.portEvents();
        }
        break;
      case 4:  // the timer ticks: the computer answers
        com->pick = byte();
        com->resign = arg == 31;
        if (gamen.timer != 0) flow->t_Timer();
        break;
      case 5:  // the link panel
        switch (arg % 6) {
          case 0: {  // a text of the user's own, sent as it is
            const size_t n = 1 + byte() % 14;
            gamen.outMsg = std::string(n, static_cast<char>(byte()));
            [[fallthrough]];
          }
          case 1: link->tusin.Command1_Click(); break;
          case 2: link->tusin.Command2_Click(arg & 8 ? 1 : 0); break;
          case 3: link->tusin.Command3_Click(); break;
          case 4: link->tusin.Command4_Click(); break;
          case 5: port.refuse = !port.refuse; port.gone = (arg & 8) != 0; break;
        }
        break;
      case 6:  // the user and the window
        switch (arg % 12) {
          case 0: flow->touryou_Click(); break;
          case 1: reset = true; flow->modosu_Click(); break;
          case 2: flow->saisenn_Click(); break;
          // The start buttons can be pressed only while their panel shows.
          case 3: if (gamen.kaisiOn) { reset = true; flow->kaisisennte_Click(); } break;
          case 4: if (gamen.kaisiOn) { reset = true; flow->kaisigote_Click(); } break;
          case 5: flow->makimodosi2_Click(); break;
          case 6: flow->makimodosi_Click(); break;
          case 7: flow->saisei_Click(); break;
          case 8: gamen.zidouOn = !gamen.zidouOn; break;
          case 9: gamen.haiAnswer = !gamen.haiAnswer; break;
          case 10: gamen.okAnswer = !gamen.okAnswer; break;
          case 11: flow->Form_Unload(); break;
        }
        break;
      case 7:  // time passes; a local click
        gamen.now = std::fmod(gamen.now + arg * 97.0, 86400.0);
        flow->e_MouseDown(byte());
        break;
    }
    mamoru(reset || flow->kifu.compare(0, before.size(), before) == 0, "record lost a line");
    mamoru(link->tusin.zyusinmsg.size() <= 12, "receive buffer over 12");
    mamoru(link->tusin.sousinmodemsg.size() < 12, "send-mode buffer not cleared");
    mamoru(flow->game.tesuu >= 0 && flow->game.tesuu <= kRekiMax + 1, "move number");
    kyokumenOk(flow->game.aru, flow->game.arull);
  }
  return flow->game.tesuu;
}

// ---------------------------------------------------------------- usi

// A real computer player kept for the whole run, lent to each engine.
class KasiComputer : public Computer {
 public:
  explicit KasiComputer(Computer& c) : c_(c) {}
  void youi(uint32_t seed) override { c_.youi(seed); }
  ComKekka erabu(const Men& m, int32_t tesuu) override { return c_.erabu(m, tesuu); }
  void setBookPath(const std::string& path) override { c_.setBookPath(path); }

 private:
  Computer& c_;
};

// Whether `mv` is the text of a legal move in `k`. The list is kept for the
// position last asked about: inputs ask again and again in a few positions,
// the starting one most, and a list costs as much as the answer itself.
HARNESS inline bool gouhouKotae(const Kyokumen& k, const std::string& mv) {
  static Kyokumen listed;
  static TeList legal;
  static bool ari = false;
  if (!ari || k.aru != listed.aru || k.arull != listed.arull || k.gote != listed.gote) {
    gouhou(k, legal);
    listed = k;
    ari = true;
  }
  for (const Te& te : legal)
    if (usiTeKaku(k, te) == mv) return true;
  return false;
}

// `realBudget` is how many inputs may still use the real computer; a fuzzer
// passes a small counter so that the slow searches do not eat its time.
// Returns the number of moves answered (not resign).
HARNESS inline int usiEntry(const uint8_t* data, size_t size, int* realBudget = nullptr) {
  static std::unique_ptr<Computer> real = makeComputer();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bool withReal = !text.empty() && text[0] == 'R';
  if (withReal && realBudget) withReal = (*realBudget)-- > 0;
  std::unique_ptr<Computer> com;
  if (withReal)
    com = std::make_unique<KasiComputer>(*real);
  else
    com = std::make_unique<HayaiComputer>();
  UsiEngine engine(std::move(com));

  int gos = 0, answered = 0;
  std::ostringstream out;  // one for every line: a stream costs more than its text
  size_t a = !text.empty() && text[0] == 'R' ? 1 : 0;
  for (int lines = 0; a <= text.size() && lines < 200; ++lines) {
    size_t e = text.find('\n', a);
    if (e == std::string_view::npos) e = text.size();
    std::string line(text.substr(a, e - a));
    a = e + 1;
    const bool go = line.find("go") != std::string::npos;
    // One real search per input, and a few quick answers: each answer costs
    // a list of the legal moves, and a mutated input holds "go" by the dozen.
    if (go && gos++ >= (withReal ? 1 : 8)) continue;
    const Kyokumen before = engine.kyokumen();
    out.str({});
    if (!engine.meirei(line, out)) break;
    const std::string o = out.str();
    const Kyokumen& k = engine.kyokumen();
    kyokumenOk(k.aru, k.arull);
    const size_t bm = o.find("bestmove ");
    if (bm != std::string::npos) {
      // The answer is a legal move of the position it was asked about.
      mamoru(k.aru == before.aru && k.arull == before.arull, "go changed the position");
      const size_t end = o.find('\n', bm);
      const std::string mv = o.substr(bm + 9, end - bm - 9);
      if (mv != "resign") {
        mamoru(gouhouKotae(k, mv), "bestmove is not legal");
        ++answered;
      }
    }
  }
  return answered;
}

}  // namespace syougi::fuzz

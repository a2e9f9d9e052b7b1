#include "usi/usi.h"

#include <chrono>
#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

#include "model/attacks.h"

namespace syougi {

namespace {

// USI piece letters by kind 1..8.
constexpr char kMoji[9] = {0, 'K', 'R', 'B', 'G', 'S', 'N', 'L', 'P'};

int kindOfMoji(char c) {
  const char u = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
  for (int k = 1; k <= 8; ++k)
    if (kMoji[k] == u) return k;
  return 0;
}

std::string masuText(int sq) {
  return std::string{char('0' + sq / 10), char('a' + sq % 10 - 1)};
}

// "7g" -> 77; 0 when malformed.
int masuYomu(const std::string& t, size_t at) {
  if (at + 2 > t.size()) return 0;
  const char f = t[at], r = t[at + 1];
  if (f < '1' || f > '9' || r < 'a' || r > 'i') return 0;
  return (f - '0') * 10 + (r - 'a' + 1);
}

std::vector<std::string> words(const std::string& s) {
  std::istringstream is(s);
  std::vector<std::string> w;
  for (std::string x; is >> x;) w.push_back(x);
  return w;
}

// Checks the things a position needs before anybody may move in it: one king
// each, no more pieces than a set has, no two unpromoted pawns of a side on a
// file, no piece that can never move again, the side not to move not in check.
bool kyokumenTadasii(const Kyokumen& k, std::string& why) {
  int kazu[9] = {};
  int ou[3] = {};
  for (int s = 11; s <= 99; ++s) {
    if (s % 10 == 0) continue;
    const int32_t c = k.aru[s];
    if (c == 0) continue;
    const int side = sideOf(c), kind = kindOf(c) % 10, r = rankOf(s);
    kazu[kind] += 1;
    if (kindOf(c) == OU) ou[side] += 1;
    // Side 1 moves toward rank 1, side 2 toward rank 9.
    const int mae = side == 1 ? r : 10 - r;
    if (((kindOf(c) == FU || kindOf(c) == KY) && mae == 1) || (kindOf(c) == KE && mae <= 2)) {
      why = "piece that can never move on " + masuText(s);
      return false;
    }
  }
  for (int side = 1; side <= 2; ++side)
    for (int kind = 2; kind <= 8; ++kind) kazu[kind] += k.arull[side * 10 + kind];
  if (ou[1] != 1 || ou[2] != 1) {
    why = "each side needs exactly one king";
    return false;
  }
  constexpr int kSet[9] = {0, 2, 2, 2, 4, 4, 4, 4, 18};
  for (int kind = 2; kind <= 8; ++kind)
    if (kazu[kind] > kSet[kind]) {
      why = std::string("too many pieces of kind ") + kMoji[kind];
      return false;
    }
  for (int side = 1; side <= 2; ++side)
    for (int f = 1; f <= 9; ++f) {
      int fu = 0;
      for (int r = 1; r <= 9; ++r) fu += k.aru[f * 10 + r] == side * 100 + FU;
      if (fu > 1) {
        why = "two pawns of one side on file " + std::to_string(f);
        return false;
      }
    }
  // The side that has just moved must not stand in check.
  Kyokumen ura = k;
  ura.gote = !k.gote;
  if (outeKa(ura)) {
    why = "the side not to move is in check";
    return false;
  }
  return true;
}

uint32_t tokeiSeed() {
  return static_cast<uint32_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

}  // namespace

void hirate(Kyokumen& k) {
  syokihaiti(k.aru, k.arull);
  k.gote = false;
  k.tesuu = 1;
}

bool sfenYomu(const std::string& text, Kyokumen& k, std::string& why) {
  const std::vector<std::string> w = words(text);
  if (w.size() < 3 || w.size() > 4) {
    why = "sfen needs board, side, hands and an optional move number";
    return false;
  }
  Kyokumen n;
  n.aru.fill(SOTO);
  n.arull.fill(0);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) n.aru[f * 10 + r] = 0;

  int r = 1, f = 9;
  bool nari = false;
  for (char c : w[0]) {
    if (c == '/') {
      if (f != 0 || nari || r == 9) {
        why = "sfen rank " + std::to_string(r) + " does not have nine files";
        return false;
      }
      ++r;
      f = 9;
    } else if (c >= '1' && c <= '9') {
      if (nari || f - (c - '0') < 0) {
        why = "sfen rank " + std::to_string(r) + " is too long";
        return false;
      }
      f -= c - '0';
    } else if (c == '+') {
      if (nari) {
        why = "sfen has a doubled +";
        return false;
      }
      nari = true;
    } else {
      const int kind = kindOfMoji(c);
      if (kind == 0 || f < 1) {
        why = kind == 0 ? std::string("sfen has an unknown piece letter ") + c
                        : "sfen rank " + std::to_string(r) + " is too long";
        return false;
      }
      if (nari && (kind == OU || kind == KI)) {
        why = std::string("sfen promotes a piece that cannot promote: +") + c;
        return false;
      }
      const int side = (c >= 'A' && c <= 'Z') ? 1 : 2;
      n.aru[f * 10 + r] = side * 100 + kind + (nari ? 10 : 0);
      nari = false;
      --f;
    }
  }
  if (r != 9 || f != 0 || nari) {
    why = "sfen board does not have nine ranks of nine files";
    return false;
  }

  if (w[1] == "b") {
    n.gote = false;
  } else if (w[1] == "w") {
    n.gote = true;
  } else {
    why = "sfen side to move must be b or w";
    return false;
  }

  if (w[2] != "-") {
    int kazu = 0;
    for (char c : w[2]) {
      if (c >= '0' && c <= '9') {
        kazu = kazu * 10 + (c - '0');
        if (kazu > 18) {
          why = "sfen hand count too large";
          return false;
        }
        continue;
      }
      const int kind = kindOfMoji(c);
      if (kind < 2) {
        why = std::string("sfen hand has a bad piece letter ") + c;
        return false;
      }
      const int side = (c >= 'A' && c <= 'Z') ? 1 : 2;
      n.arull[side * 10 + kind] += kazu == 0 ? 1 : kazu;
      kazu = 0;
    }
    if (kazu != 0) {
      why = "sfen hand ends with a count";
      return false;
    }
  }

  n.tesuu = 1;
  if (w.size() == 4) {
    const std::string& t = w[3];
    if (t.empty() || t.size() > 6 || t.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(t) < 1) {
      why = "sfen move number must be a positive integer";
      return false;
    }
    n.tesuu = std::stoi(t);
  }
  if (!kyokumenTadasii(n, why)) return false;
  k = n;
  return true;
}

std::string sfenKaku(const Kyokumen& k) {
  std::string s;
  for (int r = 1; r <= 9; ++r) {
    int aki = 0;
    for (int f = 9; f >= 1; --f) {
      const int32_t c = k.aru[f * 10 + r];
      if (c == 0) {
        ++aki;
        continue;
      }
      if (aki) s += char('0' + aki);
      aki = 0;
      if (kindOf(c) > 10) s += '+';
      const char m = kMoji[kindOf(c) % 10];
      s += sideOf(c) == 1 ? m : char(m - 'A' + 'a');
    }
    if (aki) s += char('0' + aki);
    if (r < 9) s += '/';
  }
  s += k.gote ? " w " : " b ";
  std::string te;
  for (int side = 1; side <= 2; ++side)
    for (int kind : {2, 3, 4, 5, 6, 7, 8}) {
      const int n = k.arull[side * 10 + kind];
      if (n == 0) continue;
      if (n > 1) te += std::to_string(n);
      te += side == 1 ? kMoji[kind] : char(kMoji[kind] - 'A' + 'a');
    }
  s += te.empty() ? "-" : te;
  s += " " + std::to_string(k.tesuu);
  return s;
}

void tebanMen(const Kyokumen& k, Ban& aru, Mochi& arull) {
  if (k.gote) {
    hanten(k.aru, k.arull, aru, arull);
  } else {
    aru = k.aru;
    arull = k.arull;
  }
}

bool outeKa(const Kyokumen& k) {
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  return outeSide1(b);
}

int gouhou(const Kyokumen& k, Te* out, int cap) {
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  Te all[kTeMax];
  const int n = gouhousyu(b, m, all, kTeMax);
  int kazu = 0;
  for (int i = 0; i < n && i < kTeMax; ++i) {
    const Te& te = all[i];
    if (te.moto == 100 + FU) {
      // A pawn drop that mates is not allowed: the other side, seen from its
      // own side, is in check with no legal answer.
      Ban b2 = b;
      Mochi m2 = m;
      sasu1(b2, m2, te.moto, te.saki, false);
      Ban ura;
      Mochi urall;
      hanten(b2, m2, ura, urall);
      if (outeSide1(ura) && gouhousyu(ura, urall, nullptr, 0) == 0) continue;
    }
    if (kazu < cap) out[kazu] = te;
    ++kazu;
  }
  return kazu;
}

TeKekka usiTeYomu(const Kyokumen& k, const std::string& text, Te& te, std::string& why) {
  Te t{};
  if (text.size() == 4 && text[1] == '*') {
    const int kind = kindOfMoji(text[0]);
    const int saki = masuYomu(text, 2);
    if (kind < 2 || text[0] < 'A' || text[0] > 'Z' || saki == 0) {
      why = "malformed move " + text;
      return TeKekka::kMalformed;
    }
    t = Te{100 + kind, tebanMasu(k, saki), false};
  } else if (text.size() == 4 || (text.size() == 5 && text[4] == '+')) {
    const int moto = masuYomu(text, 0), saki = masuYomu(text, 2);
    if (moto == 0 || saki == 0) {
      why = "malformed move " + text;
      return TeKekka::kMalformed;
    }
    t = Te{tebanMasu(k, moto), tebanMasu(k, saki), text.size() == 5};
  } else {
    why = "malformed move " + text;
    return TeKekka::kMalformed;
  }

  Te list[kTeMax];
  const int n = gouhou(k, list, kTeMax);
  for (int i = 0; i < n; ++i)
    if (list[i].moto == t.moto && list[i].saki == t.saki && list[i].naru == t.naru) {
      te = t;
      return TeKekka::kOk;
    }

  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  if (t.moto > 100) {
    why = m[t.moto - 90] > 0 ? "illegal drop " + text : "no such piece in hand: " + text;
  } else if (sideOf(b[t.moto]) != 1) {
    why = "no piece of the side to move on " + text.substr(0, 2) + ": " + text;
  } else {
    why = "illegal move " + text;
  }
  return TeKekka::kIllegal;
}

std::string usiTeKaku(const Kyokumen& k, const Te& te) {
  if (te.moto > 100) return std::string{kMoji[te.moto - 100], '*'} + masuText(tebanMasu(k, te.saki));
  std::string s = masuText(tebanMasu(k, te.moto)) + masuText(tebanMasu(k, te.saki));
  if (te.naru) s += '+';
  return s;
}

std::string csaTeKaku(const Kyokumen& k, const Te& te) {
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  const int32_t code = te.moto > 100 ? te.moto : b[te.moto] + (te.naru ? 10 : 0);
  const int moto = te.moto > 100 ? 0 : tebanMasu(k, te.moto);
  const int saki = tebanMasu(k, te.saki);
  std::string s = k.gote ? "-" : "+";
  s += char('0' + moto / 10);
  s += char('0' + moto % 10);
  s += char('0' + saki / 10);
  s += char('0' + saki % 10);
  s += recordNameOf(code);
  return s;
}

void teSasu(Kyokumen& k, const Te& te) {
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  sasu1(b, m, te.moto, te.saki, te.naru);
  if (k.gote) {
    hanten(b, m, k.aru, k.arull);
  } else {
    k.aru = b;
    k.arull = m;
  }
  k.gote = !k.gote;
  k.tesuu += 1;
}

int32_t comMen(const Kyokumen& k, Men& m) {
  // The mover is side 2: white already is, black is turned around.
  if (k.gote) {
    m.aru = k.aru;
    m.arull = k.arull;
  } else {
    hanten(k.aru, k.arull, m.aru, m.arull);
  }
  torisirabe(m);
  return k.tesuu;
}

Te comTe(const ComKekka& r) {
  Te te{};
  te.naru = r.saki > 100;
  const int saki = te.naru ? r.saki - 100 : r.saki;
  te.saki = 110 - saki;
  te.moto = r.moto > 200 ? r.moto - 100 : 110 - r.moto;
  return te;
}

UsiEngine::UsiEngine(std::unique_ptr<Computer> com) : com_(std::move(com)) { hirate(ima_); }

void UsiEngine::run(std::istream& in, std::ostream& out) {
  for (std::string line; std::getline(in, line);) {
    if (!meirei(line, out)) break;
    out.flush();
  }
  out.flush();
}

bool UsiEngine::meirei(const std::string& line0, std::ostream& out) {
  std::string line = line0;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.pop_back();
  const size_t a = line.find_first_not_of(" \t");
  if (a == std::string::npos) return true;  // empty lines are ignored
  line = line.substr(a);
  const size_t sp = line.find(' ');
  const std::string cmd = line.substr(0, sp);
  const std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);

  if (cmd == "usi") {
    usi(out);
  } else if (cmd == "isready") {
    out << "readyok\n";
  } else if (cmd == "setoption") {
    setoption(rest, out);
  } else if (cmd == "usinewgame") {
    youi();
    hirate(ima_);
  } else if (cmd == "position") {
    position(rest, out);
  } else if (cmd == "go") {
    go(rest, out);
  } else if (cmd == "stop" || cmd == "ponderhit" || cmd == "gameover") {
    // The move is chosen within "go"; nothing is left running.
  } else if (cmd == "quit") {
    return false;
  } else {
    out << "info string unknown command " << cmd << "\n";
  }
  return true;
}

void UsiEngine::usi(std::ostream& out) {
  out << "id name syougi\n"
      << "id author the syougi developers\n"
      << "option name BookFile type string default joseki.lis\n"
      << "option name Seed type string default\n"
      << "usiok\n";
}

void UsiEngine::setoption(const std::string& rest, std::ostream& out) {
  const std::vector<std::string> w = words(rest);
  if (w.size() < 2 || w[0] != "name") {
    out << "info string setoption needs: name <id> [value <x>]\n";
    return;
  }
  std::string value;
  size_t i = 2;
  if (i < w.size() && w[i] == "value") {
    for (++i; i < w.size(); ++i) value += (value.empty() ? "" : " ") + w[i];
  } else if (i < w.size()) {
    out << "info string setoption needs: name <id> [value <x>]\n";
    return;
  }
  if (w[1] == "Seed") {
    if (!value.empty() &&
        (value.size() > 10 || value.find_first_not_of("0123456789") != std::string::npos ||
         std::stoull(value) > 0xffffffffULL)) {
      out << "info string Seed must be empty or a number 0..4294967295\n";
      return;
    }
    seed_ = value;
  } else if (w[1] == "BookFile") {
    bookFile_ = value.empty() ? "joseki.lis" : value;
    if (com_) com_->setBookPath(bookFile_);
  } else if (w[1] != "USI_Hash" && w[1] != "USI_Ponder") {
    // Those two every GUI sends; the search has a fixed size and never ponders.
    out << "info string unknown option " << w[1] << "\n";
  }
}

void UsiEngine::youi() {
  if (!com_) return;
  uint32_t s = tokeiSeed();
  if (!seed_.empty()) s = static_cast<uint32_t>(std::stoull(seed_));
  com_->youi(s);
  youiSumi_ = true;
}

void UsiEngine::position(const std::string& rest, std::ostream& out) {
  const std::vector<std::string> w = words(rest);
  Kyokumen k;
  size_t i = 0;
  if (!w.empty() && w[0] == "startpos") {
    hirate(k);
    i = 1;
  } else if (!w.empty() && w[0] == "sfen") {
    std::string sfen;
    for (i = 1; i < w.size() && w[i] != "moves"; ++i) sfen += w[i] + " ";
    std::string why;
    if (!sfenYomu(sfen, k, why)) {
      out << "info string bad position: " << why << "\n";
      return;
    }
  } else {
    out << "info string position needs startpos or sfen\n";
    return;
  }
  if (i < w.size()) {
    if (w[i] != "moves") {
      out << "info string bad position: unexpected " << w[i] << "\n";
      return;
    }
    for (++i; i < w.size(); ++i) {
      Te te;
      std::string why;
      if (usiTeYomu(k, w[i], te, why) != TeKekka::kOk) {
        out << "info string bad position: " << why << "\n";
        return;
      }
      teSasu(k, te);
    }
  }
  ima_ = k;
}

void UsiEngine::go(const std::string& rest, std::ostream& out) {
  const std::vector<std::string> w = words(rest);
  if (!w.empty() && w[0] == "mate") {
    out << "checkmate notimplemented\n";
    return;
  }
  if (!com_) {
    out << "info string no computer player in this build\n";
    out << "bestmove resign\n";
    return;
  }
  if (!youiSumi_) youi();
  const auto t0 = std::chrono::steady_clock::now();
  Te list[kTeMax];
  const int n = gouhou(ima_, list, kTeMax);
  if (n == 0) {
    out << "info string no legal move\n";
    out << "bestmove resign\n";
    return;
  }
  Men m;
  const int32_t tesuu = comMen(ima_, m);
  const ComKekka r = com_->erabu(m, tesuu);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - t0)
                      .count();

  out << "info time " << ms << " nodes " << r.nodes;
  if (r.tume) {
    // A mate given by the checking move of ply N scores 32000 less 500 per
    // ply after the first.
    out << " score mate " << (32000 - r.saikou1) / 500 + 1;
  } else {
    out << " score cp " << r.saikou1;
  }
  out << " string candidates " << r.kensa << (r.book ? " book" : "") << "\n";
  if (!r.sennkei.empty()) out << "info string strategy " << r.sennkei << " stage " << r.teban << "\n";

  if (r.saikou1 < -30000) {
    out << "bestmove resign\n";
    return;
  }
  const Te te = comTe(r);
  for (int i = 0; i < n; ++i)
    if (list[i].moto == te.moto && list[i].saki == te.saki && list[i].naru == te.naru) {
      out << "bestmove " << usiTeKaku(ima_, te) << "\n";
      return;
    }
  out << "info string the computer chose an illegal move (moto " << r.moto << ", saki " << r.saki
      << ")\n";
  out << "bestmove resign\n";
}

}  // namespace syougi

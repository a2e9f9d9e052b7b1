#include "model/kyokumen.h"

#include <sstream>
#include <vector>

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

}  // namespace

void hirate(Kyokumen& k) {
  syokihaiti(k.aru, k.arull);
  k.gote = false;
  k.tesuu = 1;
}

bool sfenYomu(const std::string& text, Kyokumen& k, std::string& why) {
  std::vector<std::string> w;
  std::istringstream is(text);
  for (std::string x; is >> x;) w.push_back(x);
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

bool utifuzume(const Ban& aru, const Mochi& arull, const Te& te) {
  if (te.moto != 100 + FU) return false;
  // The other side, seen from its own side, is in check with no legal answer.
  Ban b2 = aru;
  Mochi m2 = arull;
  sasu1(b2, m2, te.moto, te.saki, false);
  Ban ura;
  Mochi urall;
  hanten(b2, m2, ura, urall);
  return outeSide1(ura) && gouhousyu(ura, urall, nullptr, 0) == 0;
}

namespace {

int gouhouTe(const Kyokumen& k, Te* out, int cap) {
  Ban b;
  Mochi m;
  tebanMen(k, b, m);
  TeList all;
  gouhousyu(b, m, all);
  int kazu = 0;
  for (const Te& te : all) {
    // A pawn drop that mates is not allowed.
    if (utifuzume(b, m, te)) continue;
    if (kazu < cap) out[kazu] = te;
    ++kazu;
  }
  return kazu;
}

}  // namespace

int gouhou(const Kyokumen& k, TeList& list) {
  list.kazu = gouhouTe(k, list.te.data(), kTeMax);
  return list.kazu;
}

int gouhouKazu(const Kyokumen& k) { return gouhouTe(k, nullptr, 0); }

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

  TeList list;
  gouhou(k, list);
  if (list.fukumu(t)) {
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

}  // namespace syougi

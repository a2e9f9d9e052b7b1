#include "model/rules.h"

#include "model/attacks.h"
#include "model/ugoki.h"

namespace syougi {

namespace {

// A cell a side-1 piece may enter: not its own piece and not off-board.
inline bool markable(int32_t c) { return c != SOTO && sideOf(c) != 1; }

inline void step(const Ban& b, Ikeru& ik, int q) {
  if (markable(b[q])) ik[q] = 1;
}

inline void slide(const Ban& b, Ikeru& ik, int s, int d) {
  int q = s;
  for (int n = 0; n < 8; ++n) {
    q += d;
    if (!markable(b[q])) return;
    ik[q] = 1;
    if (b[q] != 0) return;
  }
}

}  // namespace

void ikerusirabe(const Ban& aru, const Mochi& arull, int sentaku, Ikeru& ikeru) {
  ikeru.fill(0);
  const int s = sentaku;
  if (s >= 102 && s <= 108) {
    if (arull[s - 90] <= 0) return;
    for (int q = 11; q <= 99; ++q)
      if (q % 10 != 0 && aru[q] == 0) ikeru[q] = 1;
    if (s >= 106) {
      for (int f = 1; f <= 9; ++f) ikeru[f * 10 + 1] = 0;
    }
    if (s == 106) {
      for (int f = 1; f <= 9; ++f) ikeru[f * 10 + 2] = 0;
    }
    if (s == 108) {
      for (int f = 1; f <= 9; ++f) {
        bool nifu = false;
        for (int r = 2; r <= 9; ++r) nifu = nifu || aru[f * 10 + r] == 108;
        if (nifu)
          for (int r = 1; r <= 9; ++r) ikeru[f * 10 + r] = 0;
      }
    }
    return;
  }
  if (!isSquare(s)) return;
  if (sideOf(aru[s]) != 1) return;
  // The generic blocker 111 is no kind and moves nowhere.
  ugokiGoto<1>(
      kindOf(aru[s]),
      [&](auto d) {
        // A knight on 11 cannot occur in play; keep its jump inside the cells.
        if constexpr (decltype(d)::value < -11) {
          if (s + d < 0) return false;
        }
        step(aru, ikeru, s + d);
        return false;
      },
      [&](int d) {
        slide(aru, ikeru, s, d);
        return false;
      });
}

Nari nariKubun(int32_t code, int moto, int saki) {
  const int k = kindOf(code);
  const int r = rankOf(saki);
  if ((k == KE && r <= 2) || ((k == KY || k == FU) && r == 1)) return Nari::kForced;
  if (code - 10 < 100 && k != OU && k != KI && (r <= 3 || rankOf(moto) <= 3))
    return Nari::kChoice;
  return Nari::kNone;
}

void sasu1(Ban& aru, Mochi& arull, int sentaku, int saki, bool naru) {
  const int32_t cap = aru[saki];
  if (cap > 200 && cap != 201) arull[10 + cap % 10] += 1;
  if (sentaku >= 100) {
    aru[saki] = sentaku;
    arull[sentaku - 90] -= 1;
  } else {
    aru[saki] = aru[sentaku] + (naru ? 10 : 0);
    aru[sentaku] = 0;
  }
}

bool outeSide1(const Ban& aru) {
  Men m;
  m.aru = aru;
  torisirabe(m);
  return m.oupl1 != 0 && m.toripl2[m.oupl1] != 0;
}

int gouhousyu(const Ban& aru, const Mochi& arull, Te* out, int cap) {
  int n = 0;
  Ikeru ik;
  auto tryMove = [&](int from, int to, bool naru) {
    Ban b = aru;
    Mochi m = arull;
    sasu1(b, m, from, to, naru);
    if (outeSide1(b)) return;
    if (n < cap) out[n] = Te{from, to, naru};
    ++n;
  };
  for (int s = 11; s <= 99; ++s) {
    if (s % 10 == 0 || sideOf(aru[s]) != 1) continue;
    ikerusirabe(aru, arull, s, ik);
    for (int q = 11; q <= 99; ++q) {
      if (!ik[q]) continue;
      switch (nariKubun(aru[s], s, q)) {
        case Nari::kForced:
          tryMove(s, q, true);
          break;
        case Nari::kChoice:
          tryMove(s, q, false);
          tryMove(s, q, true);
          break;
        case Nari::kNone:
          tryMove(s, q, false);
          break;
      }
    }
  }
  for (int h = 102; h <= 108; ++h) {
    if (arull[h - 90] <= 0) continue;
    ikerusirabe(aru, arull, h, ik);
    for (int q = 11; q <= 99; ++q)
      if (ik[q]) tryMove(h, q, false);
  }
  return n;
}

int gouhousyu(const Ban& aru, const Mochi& arull, TeList& list) {
  const int n = gouhousyu(aru, arull, list.te.data(), kTeMax);
  list.kazu = n < kTeMax ? n : kTeMax;
  return list.kazu;
}

}  // namespace syougi

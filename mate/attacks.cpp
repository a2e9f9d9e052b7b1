#include "mate/attacks.h"

#include "model/ugoki.h"

namespace syougi {

namespace {

template <int D>
inline void step(Kiki& a, int s) {
  ++a[s + D];
}

// A line passes only empty cells and the opposing king.
template <int D>
inline void line(const Ban& b, Kiki& a, int s, int32_t enemyKing) {
#pragma GCC unroll 8
  for (int d = 1; d <= 8; ++d) {
    const int q = s + D * d;
    ++a[q];
    const int32_t c = b[q];
    if (c != 0 && c != enemyKing) return;
  }
}

// The generic blocker 111, no kind, attacks nothing.
template <int Side>
inline void piece(const Ban& b, Kiki& a, int s, int32_t kind, int32_t& ou) {
  constexpr int32_t ek = Side == 1 ? 201 : 101;
  if (kind == OU) ou = s;
  ugokiGoto<Side>(
      kind,
      [&](auto d) {
        step<decltype(d)::value>(a, s);
        return false;
      },
      [&](auto d) {
        line<decltype(d)::value>(b, a, s, ek);
        return false;
      });
}

}  // namespace

void tumetorisirabe(Men& m) {
  const Ban& toriaru = m.aru;
  Kiki& toripl1 = m.toripl1;
  Kiki& toripl2 = m.toripl2;
  // The mate test reads cells around the king that may lie off the board.
  toripl1.fill({});
  toripl2.fill({});
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = toriaru[s];
    if (side1(c)) {
      piece<1>(toriaru, toripl1, s, c - 100, m.oupl1);
    } else if (side2(c)) {
      piece<2>(toriaru, toripl2, s, c - 200, m.oupl2);
    }
  }
}

}  // namespace syougi

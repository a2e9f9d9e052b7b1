#include "mate/attacks.h"

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

template <int Side>
inline void rookLines(const Ban& b, Kiki& a, int s) {
  constexpr int32_t ek = Side == 1 ? 201 : 101;
  constexpr int F = Side == 1 ? -1 : 1;
  line<-10>(b, a, s, ek);
  line<10>(b, a, s, ek);
  line<F>(b, a, s, ek);
  line<-F>(b, a, s, ek);
}

template <int Side>
inline void bishopLines(const Ban& b, Kiki& a, int s) {
  constexpr int32_t ek = Side == 1 ? 201 : 101;
  constexpr int F = Side == 1 ? -1 : 1;
  line<-10 + F>(b, a, s, ek);
  line<10 + F>(b, a, s, ek);
  line<-10 - F>(b, a, s, ek);
  line<10 - F>(b, a, s, ek);
}

template <int Side>
inline void piece(const Ban& b, Kiki& a, int s, int32_t kind, int32_t& ou) {
  constexpr int F = Side == 1 ? -1 : 1;
  constexpr int32_t ek = Side == 1 ? 201 : 101;
  switch (kind) {
    case FU:
      step<F>(a, s);
      break;
    case KE:
      step<2 * F - 10>(a, s);
      step<2 * F + 10>(a, s);
      break;
    case GI:
      step<F - 10>(a, s);
      step<F + 10>(a, s);
      step<F>(a, s);
      step<-F - 10>(a, s);
      step<-F + 10>(a, s);
      break;
    case KI:
    case NG:
    case NK:
    case NY:
    case TO:
      step<F - 10>(a, s);
      step<F + 10>(a, s);
      step<F>(a, s);
      step<-F>(a, s);
      step<-10>(a, s);
      step<10>(a, s);
      break;
    case OU:
      ou = s;
      step<-11>(a, s);
      step<-10>(a, s);
      step<-9>(a, s);
      step<-1>(a, s);
      step<1>(a, s);
      step<9>(a, s);
      step<10>(a, s);
      step<11>(a, s);
      break;
    case HI:
      rookLines<Side>(b, a, s);
      break;
    case RY:
      step<-11>(a, s);
      step<-9>(a, s);
      step<9>(a, s);
      step<11>(a, s);
      rookLines<Side>(b, a, s);
      break;
    case KA:
      bishopLines<Side>(b, a, s);
      break;
    case UM:
      step<-10>(a, s);
      step<-1>(a, s);
      step<1>(a, s);
      step<10>(a, s);
      bishopLines<Side>(b, a, s);
      break;
    case KY:
      line<F>(b, a, s, ek);
      break;
    default:  // 111, the generic blocker, has no kind and attacks nothing
      break;
  }
}

}  // namespace

void tumetorisirabe(Men& m) {
  const Ban& toriaru = m.aru;
  Kiki& toripl1 = m.toripl1;
  Kiki& toripl2 = m.toripl2;
  // The mate test reads cells around the king that may lie off the board.
  toripl1.fill(0);
  toripl2.fill(0);
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = toriaru[s];
    const int32_t side = c / 100;
    if (side == 1) {
      piece<1>(toriaru, toripl1, s, c - 100, m.oupl1);
    } else if (side == 2) {
      piece<2>(toriaru, toripl2, s, c - 200, m.oupl2);
    }
  }
}

}  // namespace syougi

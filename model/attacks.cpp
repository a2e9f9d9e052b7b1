#include "model/attacks.h"

namespace syougi {

namespace {

// Which pieces a line passes through, and which pieces support it one step
// further. The direction class decides both (Side 1 orientation; side 2 uses
// the mirrored direction with the same class).
enum Line { kRookFwd, kRookOther, kBishopFwd, kBishopBack, kLance };

constexpr bool isPromoted1(int32_t c) { return (c & 48) == 48; }        // 112..118
constexpr bool isPromoted2(int32_t c) { return ((c - 20) & 63) < 8; }   // 212..218

template <int Side>
constexpr bool promoted(int32_t c) {
  return Side == 1 ? isPromoted1(c) : isPromoted2(c);
}

template <int Side, Line L>
inline bool transparent(int32_t c) {
  constexpr int own = Side * 100;
  constexpr int enemyKing = Side == 1 ? 201 : 101;
  if (c == 0 || c == enemyKing) return true;
  if constexpr (L == kRookFwd || L == kRookOther || L == kLance) {
    if (c == own + 2 || c == own + 12) return true;
    if constexpr (L == kRookFwd || L == kLance) {
      if (c == own + 7) return true;
    }
    return false;
  } else {
    return c == own + 3 || c == own + 13;
  }
}

template <int Side, Line L>
inline bool supports(int32_t c) {
  constexpr int own = Side * 100;
  // Only own pieces; the off-board marker and enemy pieces never support.
  if (c / 100 != Side) return false;
  if constexpr (L == kRookFwd || L == kLance) {
    return c == own + 4 || c == own + 5 || c == own + 8 || promoted<Side>(c);
  } else if constexpr (L == kRookOther) {
    return c == own + 4 || promoted<Side>(c);
  } else if constexpr (L == kBishopFwd) {
    return c == own + 4 || c == own + 5 || promoted<Side>(c);
  } else {
    return c == own + 5 || c == own + 12;
  }
}

template <int Side, Line L, int D>
inline void slide(const Ban& b, Kiki& a, int s) {
#pragma GCC unroll 8
  for (int d = 1; d <= 8; ++d) {
    const int q = s + D * d;
    ++a[q];
    const int32_t c = b[q];
    if (transparent<Side, L>(c)) continue;
    if (supports<Side, L>(c)) ++a[q + D];
    return;
  }
}

template <int Side>
inline void rookLines(const Ban& b, Kiki& a, int s) {
  constexpr int F = Side == 1 ? -1 : 1;  // forward
  slide<Side, kRookOther, -10>(b, a, s);
  slide<Side, kRookOther, 10>(b, a, s);
  slide<Side, kRookFwd, F>(b, a, s);
  slide<Side, kRookOther, -F>(b, a, s);
}

template <int Side>
inline void bishopLines(const Ban& b, Kiki& a, int s) {
  constexpr int F = Side == 1 ? -1 : 1;
  slide<Side, kBishopFwd, -10 + F>(b, a, s);
  slide<Side, kBishopFwd, 10 + F>(b, a, s);
  slide<Side, kBishopBack, -10 - F>(b, a, s);
  slide<Side, kBishopBack, 10 - F>(b, a, s);
}

template <int Side>
inline void piece(const Ban& b, Kiki& a, int s, int32_t kind, int32_t& ou) {
  constexpr int F = Side == 1 ? -1 : 1;
  switch (kind) {
    case FU:
      ++a[s + F];
      break;
    case KE:
      ++a[s + 2 * F - 10];
      ++a[s + 2 * F + 10];
      break;
    case GI:
      ++a[s + F - 10];
      ++a[s + F + 10];
      ++a[s + F];
      ++a[s - F - 10];
      ++a[s - F + 10];
      break;
    case KI:
    case NG:
    case NK:
    case NY:
    case TO:
      ++a[s + F - 10];
      ++a[s + F + 10];
      ++a[s + F];
      ++a[s - F];
      ++a[s - 10];
      ++a[s + 10];
      break;
    case OU:
      ou = s;
      ++a[s - 11];
      ++a[s - 10];
      ++a[s - 9];
      ++a[s - 1];
      ++a[s + 1];
      ++a[s + 9];
      ++a[s + 10];
      ++a[s + 11];
      break;
    case HI:
      rookLines<Side>(b, a, s);
      break;
    case RY:
      ++a[s - 11];
      ++a[s - 9];
      ++a[s + 9];
      ++a[s + 11];
      rookLines<Side>(b, a, s);
      break;
    case KA:
      bishopLines<Side>(b, a, s);
      break;
    case UM:
      ++a[s - 10];
      ++a[s - 1];
      ++a[s + 1];
      ++a[s + 10];
      bishopLines<Side>(b, a, s);
      break;
    case KY:
      slide<Side, kLance, F>(b, a, s);
      break;
    default:
      break;
  }
}

}  // namespace

void torisirabe(const Ban& toriaru, Kiki& toripl1, Kiki& toripl2, int32_t& oupl1,
                int32_t& oupl2) {
  for (int s = 11; s <= 99; ++s) {
    toripl1[s] = 0;
    toripl2[s] = 0;
  }
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = toriaru[s];
    if (c & 32) {
      piece<1>(toriaru, toripl1, s, c - 100, oupl1);
    } else if ((c & 96) == 64) {
      piece<2>(toriaru, toripl2, s, c - 200, oupl2);
    }
  }
}

}  // namespace syougi

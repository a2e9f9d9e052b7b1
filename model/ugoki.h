// How each kind of piece moves: the one list every generator and every
// attack count follows.
//
// Offsets are for side 1 (square = file * 10 + rank, rank 1 on side 1's far
// side, so side 1's forward is -1): first the single steps, then the sliding
// directions, each in the order the generators try them, which is the order
// of the candidates they list. Side 2 moves the other way round: the kinds
// with a forward (gold and the promoted minor pieces, silver, knight, lance,
// pawn) negate their offsets; the king, rook, bishop, dragon and horse move
// alike both ways and keep the listed offsets in the listed order.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <type_traits>
#include <utility>

#include "model/board.h"

namespace syougi {

struct Ugoki {
  int tobiSu = 0;  // single steps
  std::array<int, 8> tobi{};
  int hasiriSu = 0;  // sliding directions
  std::array<int, 4> hasiri{};
  bool muki = false;  // has a forward: side 2 negates the offsets
};

constexpr std::array<Ugoki, 19> makeUgoki() {
  std::array<Ugoki, 19> t{};
  //                       single steps                          slides
  t[OU] = Ugoki{8, {-11, -10, -9, 1, 11, 10, 9, -1}, 0, {}, false};
  t[HI] = Ugoki{0, {}, 4, {-10, 10, -1, 1}, false};
  t[KA] = Ugoki{0, {}, 4, {-11, 11, -9, 9}, false};
  t[KI] = Ugoki{6, {10, 9, -1, -11, -10, 1}, 0, {}, true};
  t[GI] = Ugoki{5, {11, 9, -1, -11, -9}, 0, {}, true};
  t[KE] = Ugoki{2, {8, -12}, 0, {}, true};
  t[KY] = Ugoki{0, {}, 1, {-1}, true};
  t[FU] = Ugoki{1, {-1}, 0, {}, true};
  t[RY] = Ugoki{4, {-11, -9, 11, 9}, 4, {-10, 10, -1, 1}, false};
  t[UM] = Ugoki{4, {-10, 1, 10, -1}, 4, {-11, 11, -9, 9}, false};
  // The promoted minor pieces move as a gold.
  t[NG] = t[KI];
  t[NK] = t[KI];
  t[NY] = t[KI];
  t[TO] = t[KI];
  return t;
}
inline constexpr std::array<Ugoki, 19> kUgoki = makeUgoki();

// Whether kind's single steps / sliding directions are exactly the n
// offsets of d, in any order.
constexpr bool onaziSyuugou(const int* a, int n, const int* d, int m) {
  if (m != n) return false;
  for (int j = 0; j < m; ++j) {
    bool found = false;
    for (int i = 0; i < n; ++i) found = found || a[i] == d[j];
    if (!found) return false;
  }
  return true;
}
constexpr bool tobiWa(int kind, const int* d, int n) {
  return onaziSyuugou(kUgoki[kind].tobi.data(), kUgoki[kind].tobiSu, d, n);
}
constexpr bool tobiWa(int kind, std::initializer_list<int> d) {
  return tobiWa(kind, d.begin(), static_cast<int>(d.size()));
}
constexpr bool hasiriWa(int kind, std::initializer_list<int> d) {
  return onaziSyuugou(kUgoki[kind].hasiri.data(), kUgoki[kind].hasiriSu, d.begin(),
                      static_cast<int>(d.size()));
}
// Whether a side-1 piece of `kind` reaches the square `d` away, by a step or
// along a line.
constexpr bool todoku(int kind, int d) {
  const Ugoki& u = kUgoki[kind];
  for (int i = 0; i < u.tobiSu; ++i)
    if (u.tobi[i] == d) return true;
  for (int i = 0; i < u.hasiriSu; ++i)
    if (u.hasiri[i] == d) return true;
  return false;
}

// The kinds kept in the listed order on both sides must move alike both
// ways, or side 2 would not get its own moves.
constexpr bool ryouhouOnazi(int kind) {
  const Ugoki& u = kUgoki[kind];
  for (int i = 0; i < u.tobiSu; ++i)
    if (!todoku(kind, -u.tobi[i])) return false;
  for (int i = 0; i < u.hasiriSu; ++i)
    if (!todoku(kind, -u.hasiri[i])) return false;
  return true;
}
static_assert(ryouhouOnazi(OU) && ryouhouOnazi(HI) && ryouhouOnazi(KA) && ryouhouOnazi(RY) &&
              ryouhouOnazi(UM));
static_assert(!kUgoki[OU].muki && !kUgoki[HI].muki && !kUgoki[KA].muki && !kUgoki[RY].muki &&
              !kUgoki[UM].muki);

// Side's offset of kind K's single step I / sliding direction I.
template <int Side, int K>
inline constexpr int kMuki = Side == 2 && kUgoki[K].muki ? -1 : 1;
template <int Side, int K, std::size_t I>
inline constexpr int kTobi = kMuki<Side, K> * kUgoki[K].tobi[I];
template <int Side, int K, std::size_t I>
inline constexpr int kHasiri = kMuki<Side, K> * kUgoki[K].hasiri[I];

// Calls f(std::integral_constant<int, d>) for each single step d of Side's
// kind K in the listed order, until f returns true; returns whether it did.
template <int Side, int K, class F>
inline bool tobiGoto(F&& f) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (f(std::integral_constant<int, kTobi<Side, K, I>>{}) || ...);
  }(std::make_index_sequence<kUgoki[K].tobiSu>{});
}
// The same for the sliding directions.
template <int Side, int K, class F>
inline bool hasiriGoto(F&& f) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (f(std::integral_constant<int, kHasiri<Side, K, I>>{}) || ...);
  }(std::make_index_sequence<kUgoki[K].hasiriSu>{});
}

template <int K>
using Syu = std::integral_constant<int, K>;

// Calls f(Syu<K>{}) for `kind` as a constant; the kinds that move alike
// come as one (gold and the promoted minor pieces as KI). Anything that is
// no piece's kind calls nothing and returns the result's default.
template <class F>
inline auto ugokiWake(int kind, F&& f) -> decltype(f(Syu<OU>{})) {
  switch (kind) {
    case OU:
      return f(Syu<OU>{});
    case HI:
      return f(Syu<HI>{});
    case KA:
      return f(Syu<KA>{});
    case KI:
    case NG:
    case NK:
    case NY:
    case TO:
      return f(Syu<KI>{});
    case GI:
      return f(Syu<GI>{});
    case KE:
      return f(Syu<KE>{});
    case KY:
      return f(Syu<KY>{});
    case FU:
      return f(Syu<FU>{});
    case RY:
      return f(Syu<RY>{});
    case UM:
      return f(Syu<UM>{});
    default:
      break;
  }
  return decltype(f(Syu<OU>{}))();
}

// Side's moves of a piece of `kind`: tobu(d) for each single step, then
// hasiru(d) for each sliding direction, as std::integral_constant offsets in
// the listed order, until one returns true; returns whether one did.
template <int Side, class Tobu, class Hasiru>
inline bool ugokiGoto(int kind, Tobu&& tobu, Hasiru&& hasiru) {
  return ugokiWake(kind, [&](auto k) {
    constexpr int K = decltype(k)::value;
    return tobiGoto<Side, K>(tobu) || hasiriGoto<Side, K>(hasiru);
  });
}

// Whether four classes of a king's neighbours (front, front diagonals, sides
// and back, back diagonals; `atari(kind)` each) hold exactly the kinds that
// reach the king from there. A king gives no check.
template <class Mae, class MaeNaname, class Yoko, class UsiroNaname>
constexpr bool outeNoRui(Mae mae, MaeNaname maeNaname, Yoko yoko, UsiroNaname usiroNaname) {
  for (int k : {OU, HI, KA, KI, GI, KE, KY, FU, RY, UM, NG, NK, NY, TO}) {
    const bool ou = k == OU;
    if (mae(k) != (!ou && todoku(k, -1))) return false;
    if (maeNaname(k) != (!ou && todoku(k, -11) && todoku(k, 9))) return false;
    if (yoko(k) != (!ou && todoku(k, -10) && todoku(k, 10) && todoku(k, 1))) return false;
    if (usiroNaname(k) != (!ou && todoku(k, 11) && todoku(k, -9))) return false;
  }
  return true;
}

}  // namespace syougi

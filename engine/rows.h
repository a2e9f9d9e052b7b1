// What tells the plies of the main search apart: a row of figures per ply,
// and each rule that only some plies have, named, with the plies it applies
// to. Part of the search's one translation unit (included by search.cpp).
#pragma once

#include <cstdint>

#include "model/ply.h"

namespace syougi {

namespace {

// One row per ply: starting value of saikou and of the list scores, the value
// a mate found by the examination gives, the last slot searched, how many
// candidates from one source are searched, the list width, and the threat
// above which a quiet move that leaves its piece where it is lost is not
// listed (0: no such limit).
struct Row {
  int16_t init;
  int16_t mate;
  int last;
  int limit;
  int width;
  int sute;
};

constexpr Row kRow[10] = {
    {0, 0, 0, 0, 0, 0},
    {-32000, 32000, 25, 5, 40, 0},    // ai1
    {32000, -32000, 20, 4, 40, 0},    // ai2
    {-30000, 32000, 17, 3, 40, 0},    // ai3
    {32000, -31000, 15, 3, 40, 0},    // ai4
    {-29000, 32000, 13, 2, 21, 0},    // tui5
    {32000, -30000, 12, 2, 21, 100},  // tui6
    {-28000, 32000, 12, 2, 21, 0},    // tui7 / ai7
    {32000, -29000, 12, 2, 21, 30},   // tui8
    {-28000, 32000, 0, 0, 0, 0},      // ai9
};

// The rules that only some plies have. Leaf is the leaf scans ai7 / ai9,
// which share their ply's row but none of these list rules.

// Ply 1 is the root: a mate the examination finds there is the move.
template <int N>
constexpr bool kTumiKiroku = N == 1;
// The book bonus: by book slot at the root, the searched root move's below.
template <int N>
constexpr bool kZyousekiNe = N == 1;
// A promotion to a promoted knight, lance or pawn adds its square's weight.
template <int N>
constexpr bool kNariTen = N == 1;
// A lance on an edge file moves only when it matters or the king is far.
template <int N>
constexpr bool kHasiKyou = N == 1;
// Every promotion listed as the rules allow it; deeper plies list only the
// promoted form in the zone, and both forms of a silver.
template <int N>
constexpr bool kNariSubete = N <= 2;
// A pass is examined first, when the side to move is not in check.
template <int N>
constexpr bool kPass = N >= 2;
// After the parent's pass: give up at once when that pass is worse for the
// parent than what its side already holds.
template <int N>
constexpr bool kPassAkirame = N >= 3;
// Two passes in a row: the parent's score for its pass stands.
template <int N>
constexpr bool kPassRenzoku = N >= 3;
// A capture on the square where the parent's move ended scores more.
template <int N, bool Leaf>
constexpr bool kTorikaesi = N >= 2 && !Leaf;
// Quiet lance and pawn pushes only from the inner files.
template <int N, bool Leaf>
constexpr bool kHasiSusumu = N >= 3 && !Leaf;
// tui5..tui8: gold, silver and knight drops only on heavy squares, and no
// drop but a pawn's onto a square the other side holds more strongly.
template <int N, bool Leaf>
constexpr bool kUtiSiboru = N >= 5 && !Leaf;
// tui5..tui8: a quiet move, but a pawn's, only onto a square its side holds
// more strongly.
template <int N, bool Leaf>
constexpr bool kYasuiNomi = N >= 5 && !Leaf;
// tui5..tui8: the king's steps are tested for attack only when it captures.
template <int N, bool Leaf>
constexpr bool kOuToruNomi = N >= 5 && !Leaf;
// tui5..tui8: the sorted list stops once a static score is refuted.
template <int N>
constexpr bool kMudaKiri = N >= 5;
// tui8: a minor piece does not retreat to a lighter square without cause.
template <int N>
constexpr bool kSagaranai = N == 8;
// The limit of kRow's sute column; the leaf scans have none.
template <int N, bool Leaf>
constexpr int kSute = Leaf ? 0 : kRow[N].sute;
// The plies whose positions go into the snapshot tables.
template <int N>
constexpr bool kYomi = N >= 3 && N <= 6;
// Ply 6 decides whether the line goes on through tui7 or ends in ai7.
template <int N>
constexpr bool kTuika = N == 6;
// Ply 8's children are the leaf scan ai9.
template <int N>
constexpr bool kSaigoTui = N == 8;

// Side 2 moves on odd plies and maximises; side 1 on even plies and minimises.
constexpr int sideAt(int n) { return n % 2 == 1 ? 2 : 1; }

template <int N>
constexpr bool better(int v, int than) {
  if constexpr (N % 2 == 1) {
    return v > than;
  } else {
    return v < than;
  }
}

constexpr bool minorPromoted(int k) { return k >= NG && k <= TO; }

template <int M>
inline const Kiki& kikiOf(const Ply& p) {
  if constexpr (M == 1) {
    return p.toripl1;
  } else {
    return p.toripl2;
  }
}

template <int M>
inline int32_t ouOf(const Ply& p) {
  if constexpr (M == 1) {
    return p.oupl1;
  } else {
    return p.oupl2;
  }
}

}  // namespace

}  // namespace syougi

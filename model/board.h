// The one representation of a position: board, hands, piece codes, values.
#pragma once

#include <array>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace syougi {

// Board `aru`: cells 0..111, square = file*10 + rank, 1 = off-board, 0 = empty.
using Ban = std::array<int32_t, 112>;
// A board copied by fixed vector moves: the compiler's own copy of its 448
// bytes is a string instruction, slow to start for one board.
inline void banUtusu(Ban& to, const Ban& from) {
#ifdef __SSE2__
  const auto* s = reinterpret_cast<const __m128i*>(from.data());
  auto* d = reinterpret_cast<__m128i*>(to.data());
#pragma GCC unroll 28
  for (int i = 0; i < 28; ++i) _mm_storeu_si128(d + i, _mm_loadu_si128(s + i));
#else
  to = from;
#endif
}

// Hands `arull`: cell side*10 + kind holds the count of that kind.
using Mochi = std::array<int32_t, 29>;
// Attack counts `toripl1` / `toripl2`, indexed like the board. Only the
// pieces around a cell and the lines through it reach it, a few dozen at
// most whatever the position: a byte holds the count, and sixteen cells fit
// a vector register. The byte is an enum, not a char type: a store
// through a char may change any object, and the compiler would read
// everything again after each count it changes.
enum Kazu : int8_t {};
constexpr Kazu& operator+=(Kazu& k, int d) { return k = static_cast<Kazu>(k + d); }
constexpr Kazu& operator-=(Kazu& k, int d) { return k = static_cast<Kazu>(k - d); }
constexpr Kazu& operator++(Kazu& k) { return k += 1; }
constexpr Kazu& operator--(Kazu& k) { return k -= 1; }
using Kiki = std::array<Kazu, 112>;

constexpr int32_t SOTO = 1;  // off-board marker

// Piece kinds; a code is side*100 + kind, promotion adds 10.
enum Kind : int32_t {
  OU = 1, HI = 2, KA = 3, KI = 4, GI = 5, KE = 6, KY = 7, FU = 8,
  RY = 12, UM = 13, NG = 15, NK = 16, NY = 17, TO = 18,
};

constexpr int sideOf(int32_t code) { return code / 100; }
// Whether a cell holds side 1's / side 2's code, told by ranges rather than
// by a division: most cells are empty, and the hot loops ask of every cell.
constexpr bool side1(int32_t c) { return static_cast<uint32_t>(c - 100) < 100; }
constexpr bool side2(int32_t c) { return static_cast<uint32_t>(c - 200) < 100; }
template <int Side>
constexpr bool sideIs(int32_t c) {
  return Side == 1 ? side1(c) : side2(c);
}
// Remainders of the codes, squares and moves (all below 256) read from a
// table: the search takes several of every move it examines, and a read is
// fewer instructions than a division by a constant. Other numbers divide.
template <int D>
constexpr std::array<uint8_t, 256> makeAmari() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i % D);
  return t;
}
inline constexpr std::array<uint8_t, 256> kAmari100 = makeAmari<100>();
inline constexpr std::array<uint8_t, 256> kAmari10 = makeAmari<10>();
constexpr int mod100(int32_t x) {
  return static_cast<uint32_t>(x) < 256 ? kAmari100[static_cast<uint32_t>(x)] : x % 100;
}
constexpr int mod10(int32_t x) {
  return static_cast<uint32_t>(x) < 256 ? kAmari10[static_cast<uint32_t>(x)] : x % 10;
}
constexpr int kindOf(int32_t code) { return mod100(code); }
constexpr int fileOf(int sq) { return sq / 10; }
constexpr int rankOf(int sq) { return mod10(sq); }
// The square a move ends on: its `saki` is the square, plus 100 when the
// piece promotes.
constexpr int sakiMasu(int32_t saki) { return saki > 100 ? saki - 100 : saki; }
// The hand cell side `side` puts a captured code in, promotion taken off; 0
// when the cell held nothing or a king.
constexpr int motiMasu(int side, int32_t cap) {
  if (cap == 0) return 0;
  const int k = kindOf(cap);
  return k == OU ? 0 : side * 10 + mod10(k);
}
// Whether each of the numbers 0..127 is one of the board's 81 cells, a byte
// each: the search asks it of both kings for every move it examines, and a
// byte is read with fewer instructions than a bit.
constexpr std::array<bool, 128> makeBanMasu() {
  std::array<bool, 128> t{};
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) t[f * 10 + r] = true;
  return t;
}
inline constexpr std::array<bool, 128> kBanMasu = makeBanMasu();
constexpr bool isSquare(int c) {
  return static_cast<unsigned>(c) < 128 && kBanMasu[static_cast<unsigned>(c)];
}

// `komaten`: piece values by code, the same for both sides.
constexpr std::array<int32_t, 219> makeKomaten() {
  std::array<int32_t, 219> v{};
  constexpr int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 15, 16, 17, 18};
  constexpr int vals[] = {50, 300, 285, 190, 180, 120, 90, 20, 330, 310, 190, 140, 140, 150};
  for (int i = 0; i < 14; ++i) {
    v[100 + kinds[i]] = vals[i];
    v[200 + kinds[i]] = vals[i];
  }
  return v;
}
inline constexpr std::array<int32_t, 219> komaten = makeKomaten();

// Kanji shown in the previous-move label, by kind (0 when none).
const char* kanjiOf(int32_t code);
// Two-letter record name ("FU", "TO", ...), by kind; "" when none.
const char* recordNameOf(int32_t code);
// Kind for a two-letter record name, 0 when unknown.
int32_t kindOfRecordName(const char* name2);

// The start position (side 2 at the top) with empty hands.
void syokihaiti(Ban& aru, Mochi& arull);

// The board seen from the other side: square s becomes 110 - s, sides swap.
void hanten(const Ban& aru, const Mochi& arull, Ban& out, Mochi& outll);

}  // namespace syougi

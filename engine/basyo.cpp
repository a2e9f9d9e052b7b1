#include "engine/basyo.h"

namespace syougi {

namespace {

// Centre bonus by [rank - 1][file - 1], the same for both sides.
constexpr int8_t kTyuuou[9][9] = {
    {0, 0, 1, 2, 3, 2, 1, 0, 0}, {0, 1, 2, 3, 4, 3, 2, 1, 0}, {1, 2, 3, 4, 5, 4, 3, 2, 1},
    {2, 3, 4, 5, 5, 5, 4, 3, 2}, {3, 4, 5, 5, 5, 5, 5, 4, 3}, {2, 3, 4, 5, 5, 5, 4, 3, 2},
    {1, 2, 3, 4, 5, 4, 3, 2, 1}, {0, 1, 2, 3, 4, 3, 2, 1, 0}, {0, 0, 1, 2, 3, 2, 1, 0, 0},
};
constexpr int8_t kTyuuouFile[9] = {0, 1, 2, 3, 4, 3, 2, 1, 0};

// A king-region pattern as seen by side 1: rows are rank steps starting at
// `top`, columns file steps -4..+4.
struct Pattern {
  int top;
  int rows;
  int8_t cell[7][9];
};

constexpr Pattern kOwn2 = {-3, 6,
                           {{0, 1, 1, 1, 1, 1, 1, 1, 0},
                            {0, 1, 2, 2, 2, 2, 2, 1, 0},
                            {1, 2, 3, 4, 4, 4, 3, 2, 1},
                            {1, 2, 3, 4, 4, 4, 3, 2, 1},
                            {0, 1, 2, 3, 3, 3, 2, 1, 0},
                            {0, 1, 1, 1, 1, 1, 1, 1, 0}}};

constexpr Pattern kEnemy2 = {-2, 6,
                             {{0, 0, 0, 1, 1, 1, 0, 0, 0},
                              {0, 1, 2, 3, 3, 3, 2, 1, 0},
                              {0, 1, 3, 4, 4, 4, 3, 1, 0},
                              {1, 2, 3, 4, 4, 4, 3, 2, 1},
                              {1, 2, 3, 3, 3, 3, 3, 2, 1},
                              {0, 1, 2, 2, 2, 2, 2, 1, 0}}};

constexpr Pattern kOwn3 = {-3, 7,
                           {{0, 4, 4, 4, 4, 4, 4, 4, 0},
                            {2, 6, 10, 10, 10, 10, 10, 6, 2},
                            {4, 8, 12, 16, 16, 16, 12, 8, 4},
                            {4, 8, 12, 16, 16, 16, 12, 8, 4},
                            {2, 6, 10, 12, 12, 12, 10, 6, 2},
                            {0, 4, 6, 6, 6, 6, 6, 4, 0},
                            {0, 2, 2, 2, 2, 2, 2, 2, 0}}};
constexpr int8_t kOwn3File[9] = {3, 4, 5, 5, 5, 5, 5, 4, 3};

constexpr Pattern kEnemy3 = {-2, 7,
                             {{0, 0, 2, 4, 4, 4, 2, 0, 0},
                              {0, 4, 10, 12, 12, 12, 10, 4, 0},
                              {2, 6, 12, 16, 16, 16, 12, 6, 2},
                              {4, 8, 12, 18, 18, 18, 12, 8, 4},
                              {4, 8, 12, 14, 14, 14, 12, 8, 4},
                              {2, 4, 8, 8, 8, 8, 8, 4, 2},
                              {0, 0, 2, 2, 2, 2, 2, 0, 0}}};
constexpr int8_t kEnemy3File[9] = {4, 5, 6, 6, 6, 6, 6, 5, 4};

using Table = std::array<int16_t, 112>;

// `dir` is 1 for basyo1 and -1 for basyo2, whose forward is toward rank 9.
// Only cells on the board are touched, so a king at the edge loses the part
// of its pattern that would lie outside.
void lay(Table& t, int32_t ou, int dir, const Pattern& p) {
  if (!isSquare(ou)) return;
  const int kf = fileOf(ou), kr = rankOf(ou);
  for (int i = 0; i < p.rows; ++i) {
    const int r = kr + dir * (p.top + i);
    if (r < 1 || r > 9) continue;
    for (int j = 0; j < 9; ++j) {
      const int f = kf + j - 4;
      if (f < 1 || f > 9) continue;
      t[f * 10 + r] = static_cast<int16_t>(t[f * 10 + r] + p.cell[i][j]);
    }
  }
}

void layFiles(Table& t, int32_t ou, const int8_t (&list)[9]) {
  if (!isSquare(ou)) return;
  const int kf = fileOf(ou);
  for (int j = 0; j < 9; ++j) {
    const int f = kf + j - 4;
    if (f < 1 || f > 9) continue;
    t[f * 10] = static_cast<int16_t>(t[f * 10] + list[j]);
  }
}

// One side's table from the stage: `own` its king, `enemy` the other one,
// `dir` its forward as for lay.
void layKings(Table& t, int32_t own, int32_t enemy, int dir, int32_t teban) {
  if (teban >= 2) {
    lay(t, own, dir, kOwn2);
    lay(t, enemy, dir, kEnemy2);
  }
  if (teban >= 3) {
    lay(t, own, dir, kOwn3);
    layFiles(t, own, kOwn3File);
    lay(t, enemy, dir, kEnemy3);
    layFiles(t, enemy, kEnemy3File);
  }
  if (teban >= 4) {
    lay(t, enemy, dir, kEnemy3);
    layFiles(t, enemy, kEnemy3File);
    layFiles(t, own, kOwn3File);
  }
}

bool unguardedPromoted(const Ban& aru, const Kiki& toripl1, const Kiki& toripl2) {
  for (int s = 11; s <= 99; ++s) {
    const int32_t c = aru[s];
    if ((c == 112 || c == 113 || c == 118) && toripl2[s] == 0) return true;
    if ((c == 212 || c == 213 || c == 218) && toripl1[s] == 0) return true;
  }
  return false;
}

}  // namespace

void basyosirabe(Basyo& b, const Men& m, int32_t tesuu) {
  const Mochi& arull = m.arull;
  const int32_t oupl1 = m.oupl1;
  const int32_t oupl2 = m.oupl2;
  if (tesuu > 15) b.teban = 2;
  for (int k = 4; k <= 7; ++k)
    if (arull[10 + k] > 0 || arull[20 + k] > 0) b.teban = 3;
  if (unguardedPromoted(m.aru, m.toripl1, m.toripl2)) b.teban = 4;

  const int16_t base = b.teban <= 2 ? 30 : (b.teban == 3 ? 20 : 10);
  for (int c = 10; c <= 109; ++c) {
    b.basyo1[c] = base;
    b.basyo2[c] = base;
  }
  for (int f = 1; f <= 9; ++f) {
    for (int r = 1; r <= 9; ++r) {
      b.basyo1[f * 10 + r] = static_cast<int16_t>(base + kTyuuou[r - 1][f - 1]);
      b.basyo2[f * 10 + r] = static_cast<int16_t>(base + kTyuuou[r - 1][f - 1]);
    }
    b.basyo1[f * 10] = static_cast<int16_t>(base + kTyuuouFile[f - 1]);
    b.basyo2[f * 10] = static_cast<int16_t>(base + kTyuuouFile[f - 1]);
  }

  layKings(b.basyo1, oupl1, oupl2, 1, b.teban);
  layKings(b.basyo2, oupl2, oupl1, -1, b.teban);
}

}  // namespace syougi

// The snapshot tables of plies 3..6: exact positions with a stored value,
// append-only with fixed capacities, one table per ply.
#include "engine/snapshot.h"

#include <gtest/gtest.h>

#include <memory>

namespace syougi {
namespace {

void syoki(Ban& b, Mochi& h) { syokihaiti(b, h); }

YomiKey kagi(const Ban& b, const Mochi& h) {
  YomiKey k;
  yomiPack(b, h, k);
  return k;
}

// A distinct position per number: pieces in hand count it in base 19.
YomiKey bangou(int n) {
  Ban b;
  Mochi h;
  syoki(b, h);
  h[18] = n % 19;
  h[28] = n / 19 % 19;
  h[17] = n / 361;
  return kagi(b, h);
}

TEST(Snapshot, StoredPositionIsFoundWithItsValue) {
  auto y = std::make_unique<Yomi>();
  Ban b;
  Mochi h;
  syoki(b, h);
  y->t4.yomioku(kagi(b, h), -1234);
  int16_t v = 0;
  EXPECT_TRUE(y->t4.yomidasu(kagi(b, h), YomiQuick{}, v));
  EXPECT_EQ(v, -1234);
}

TEST(Snapshot, OneMorePawnInHandIsAnotherPosition) {
  auto y = std::make_unique<Yomi>();
  Ban b;
  Mochi h;
  syoki(b, h);
  y->t5.yomioku(kagi(b, h), 7);
  h[18] = 1;
  int16_t v = 99;
  EXPECT_FALSE(y->t5.yomidasu(kagi(b, h), YomiQuick{}, v));
  EXPECT_EQ(v, 99);
}

TEST(Snapshot, DifferenceOutsideTheQuickCellsStillRejects) {
  auto y = std::make_unique<Yomi>();
  Ban b;
  Mochi h;
  syoki(b, h);
  y->t3.yomioku(kagi(b, h), 5);
  Ban c = b;
  c[77] = 0;
  c[76] = 108;  // the quick cells below name other squares
  YomiQuick q;
  q.n = 2;
  q.cell[0] = yomiBanCell(33);
  q.cell[1] = yomiBanCell(34);
  int16_t v = 0;
  EXPECT_FALSE(y->t3.yomidasu(kagi(c, h), q, v));
  EXPECT_TRUE(y->t3.yomidasu(kagi(b, h), q, v));
}

TEST(Snapshot, EachPlyHasItsOwnTable) {
  auto y = std::make_unique<Yomi>();
  Ban b;
  Mochi h;
  syoki(b, h);
  y->t3.yomioku(kagi(b, h), 1);
  int16_t v = 0;
  EXPECT_FALSE(y->t4.yomidasu(kagi(b, h), YomiQuick{}, v));
  EXPECT_FALSE(y->t5.yomidasu(kagi(b, h), YomiQuick{}, v));
  EXPECT_FALSE(y->t6.yomidasu(kagi(b, h), YomiQuick{}, v));
  EXPECT_TRUE(y->t3.yomidasu(kagi(b, h), YomiQuick{}, v));
}

TEST(Snapshot, Ply4TableKeeps1001PositionsAndNoMore) {
  auto y = std::make_unique<Yomi>();
  for (int i = 0; i < 1001; ++i) y->t4.yomioku(bangou(i), static_cast<int16_t>(i));
  EXPECT_EQ(y->t4.yomisuu, 1001);
  y->t4.yomioku(bangou(1001), 1001);
  EXPECT_EQ(y->t4.yomisuu, 1001);
  int16_t v = 0;
  EXPECT_FALSE(y->t4.yomidasu(bangou(1001), YomiQuick{}, v));
  EXPECT_TRUE(y->t4.yomidasu(bangou(1000), YomiQuick{}, v));
  EXPECT_EQ(v, 1000);
  EXPECT_TRUE(y->t4.yomidasu(bangou(0), YomiQuick{}, v));
  EXPECT_EQ(v, 0);
}

TEST(Snapshot, Ply3TableKeeps501Positions) {
  auto y = std::make_unique<Yomi>();
  for (int i = 0; i < 600; ++i) y->t3.yomioku(bangou(i), static_cast<int16_t>(i));
  EXPECT_EQ(y->t3.yomisuu, 501);
  int16_t v = 0;
  EXPECT_TRUE(y->t3.yomidasu(bangou(500), YomiQuick{}, v));
  EXPECT_FALSE(y->t3.yomidasu(bangou(501), YomiQuick{}, v));
}

TEST(Snapshot, FirstStoredEntryWinsAndClearEmpties) {
  auto y = std::make_unique<Yomi>();
  y->t6.yomioku(bangou(3), 10);
  y->t6.yomioku(bangou(3), 20);
  int16_t v = 0;
  EXPECT_TRUE(y->t6.yomidasu(bangou(3), YomiQuick{}, v));
  EXPECT_EQ(v, 10);
  y->clear();
  EXPECT_EQ(y->t6.yomisuu, 0);
  EXPECT_FALSE(y->t6.yomidasu(bangou(3), YomiQuick{}, v));
}

}  // namespace
}  // namespace syougi

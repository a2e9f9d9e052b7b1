// The snapshot tables of plies 3..6: exact positions with a stored value,
// append-only with fixed capacities, one table per ply.
#include "engine/snapshot.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

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

// What a lookup must answer: the first entry, in the order stored, with the
// whole key equal and, when the line has a pass, the value equal to the
// board's cell 0. The quick cells only spare work.
bool plainScan(const YomiTable<1001>& t, const YomiKey& key, const YomiQuick& q, int16_t& atai) {
  for (int i = 0; i < t.yomisuu; ++i) {
    const YomiEntry& e = t.entries[i];
    if ((q.cell0 && e.atai != q.ban0) || e.key != key) continue;
    atai = e.atai;
    return true;
  }
  return false;
}

// Near-alike keys (a few cells apart), repeated values and keys stored twice,
// looked up at every fill, across a clear that leaves the old entries behind.
TEST(Snapshot, LookupsAgreeWithAPlainScanOfTheEntries) {
  std::mt19937 rng(20261209);
  std::vector<YomiKey> pool;
  const int cells[6] = {yomiBanCell(77), yomiBanCell(76), yomiBanCell(28), yomiBanCell(55),
                        yomiMochiCell(18), yomiMochiCell(28)};
  for (int i = 0; i < 60; ++i) {
    YomiKey k = bangou(0);
    for (int c = 0; c < 3; ++c) k[cells[rng() % 6]] = static_cast<uint8_t>(rng() % 3);
    pool.push_back(k);
  }
  auto y = std::make_unique<Yomi>();
  int hits = 0, misses = 0;
  for (int round = 0; round < 2; ++round) {
    const int fill = round == 0 ? 1001 : 300;
    for (int n = 0; n < fill; ++n) {
      y->t4.yomioku(pool[rng() % pool.size()], static_cast<int16_t>(rng() % 5));
      YomiQuick q;
      q.n = static_cast<int>(rng() % 4);
      for (int j = 0; j < q.n; ++j) q.cell[j] = static_cast<uint8_t>(cells[rng() % 6]);
      q.cell0 = rng() % 4 == 0;
      q.ban0 = static_cast<int32_t>(rng() % 5);
      const YomiKey& key = pool[rng() % pool.size()];
      int16_t a = -1, b = -1;
      const bool found = y->t4.yomidasu(key, q, a);
      ASSERT_EQ(found, plainScan(y->t4, key, q, b)) << "fill " << y->t4.yomisuu;
      ASSERT_EQ(a, b) << "fill " << y->t4.yomisuu;
      (found ? hits : misses)++;
    }
    y->clear();
  }
  EXPECT_GT(hits, 200);
  EXPECT_GT(misses, 50);
}

}  // namespace
}  // namespace syougi

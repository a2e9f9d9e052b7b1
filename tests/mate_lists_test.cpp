#include <gtest/gtest.h>

#include "model/ply.h"
#include "mate/tume.h"

using namespace syougi;

namespace {

void ireru1(Ply& p, int ten, int moto) {
  p.ten = ten;
  p.moto = moto;
  p.saki = 55;
  tumenarabekae<1>(p);
}

}  // namespace

TEST(MateLists, StartValues) {
  Ply p;
  p.kmoto.fill(9);
  tumesyoki<1>(p);
  EXPECT_EQ(p.saikou, 10000);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(p.kmoto[i], 0);
    EXPECT_EQ(p.kten[i], -32000);
  }
  tumesyoki<4>(p);
  EXPECT_EQ(p.saikou, 31000);
  EXPECT_EQ(p.kten[39], 31000);
  p.kmoto.fill(9);
  tumesyoki<7>(p);
  EXPECT_EQ(p.saikou, -29000);
  EXPECT_EQ(p.kten[20], -29000);
  EXPECT_EQ(p.kmoto[20], 0);
  EXPECT_EQ(p.kmoto[21], 9);  // beyond the 21 entries of ply 7
  tumesyoki<11>(p);
  EXPECT_EQ(p.saikou, -27000);
}

TEST(MateLists, OddPlyFullListKeepsTheEarlierOfEqualScores) {
  Ply p;
  tumesyoki<1>(p);
  for (int i = 0; i < 40; ++i) ireru1(p, 100 - 10 * i, 11 + i);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(p.kten[i], 100 - 10 * i);
    EXPECT_EQ(p.kmoto[i], 11 + i);
  }
  ireru1(p, -290, 99);  // equal to the last entry
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(p.kten[i], 100 - 10 * i);
    EXPECT_EQ(p.kmoto[i], 11 + i);
  }
  ireru1(p, 95, 98);  // between the first two: the last falls out
  EXPECT_EQ(p.kmoto[0], 11);
  EXPECT_EQ(p.kmoto[1], 98);
  EXPECT_EQ(p.kten[1], 95);
  EXPECT_EQ(p.kmoto[2], 12);
  EXPECT_EQ(p.kmoto[39], 49);
  EXPECT_EQ(p.kten[39], -280);
}

TEST(MateLists, EvenPlyLowestFirstAfterTies) {
  Ply p;
  tumesyoki<2>(p);
  const int ten[] = {-3, 0, 5};
  for (int i = 0; i < 3; ++i) {
    p.ten = ten[i];
    p.moto = 1 + i;
    p.saki = 20 + i;
    tumenarabekae<2>(p);
  }
  p.ten = 0;
  p.moto = 4;
  p.saki = 24;
  tumenarabekae<2>(p);
  EXPECT_EQ(p.kmoto[0], 1);
  EXPECT_EQ(p.kmoto[1], 2);
  EXPECT_EQ(p.kmoto[2], 4);
  EXPECT_EQ(p.ksaki[2], 24);
  EXPECT_EQ(p.kten[2], 0);
  EXPECT_EQ(p.kmoto[3], 3);
  EXPECT_EQ(p.kten[3], 5);
  EXPECT_EQ(p.kmoto[4], 0);
  EXPECT_EQ(p.kten[4], 32000);
}

TEST(MateLists, Ply5KeepsTwentyOneEntries) {
  Ply p;
  p.kmoto.fill(0);
  tumesyoki<5>(p);
  for (int i = 0; i < 21; ++i) {
    p.ten = -i;
    p.moto = 11 + i;
    p.saki = 1;
    tumenarabekae<5>(p);
  }
  EXPECT_EQ(p.kmoto[20], 31);
  p.ten = 50;
  p.moto = 99;
  tumenarabekae<5>(p);
  EXPECT_EQ(p.kmoto[0], 99);
  EXPECT_EQ(p.kten[0], 50);
  EXPECT_EQ(p.kmoto[1], 11);
  EXPECT_EQ(p.kmoto[20], 30);  // the former entry 20 (31) is lost
  EXPECT_EQ(p.kmoto[21], 0);   // nothing written past the list
}

TEST(MateLists, ACandidateMustBeatTheStartingScore) {
  Ply p;
  tumesyoki<3>(p);
  p.ten = -30000;
  p.moto = 11;
  tumenarabekae<3>(p);
  EXPECT_EQ(p.kmoto[0], 0);
  p.ten = -29999;
  tumenarabekae<3>(p);
  EXPECT_EQ(p.kmoto[0], 11);
  tumesyoki<8>(p);
  p.ten = 29000;
  tumenarabekae<8>(p);
  EXPECT_EQ(p.kmoto[0], 0);
}

TEST(MateLists, NarrowingBound) {
  PlyTable t{};
  t[1].ban = 10;
  t[3].ban = 20;
  t[5].ban = 0;
  EXPECT_EQ(tumesikii<5>(t), -10);
  t[5].ban = 1;
  EXPECT_EQ(tumesikii<5>(t), -7);
  t[7].ban = 2;
  EXPECT_EQ(tumesikii<7>(t), 3 * 33 - 50);
  t[9].ban = 4;
  EXPECT_EQ(tumesikii<9>(t), 3 * 37);
  t[2].ban = 100;  // answering plies do not count
  EXPECT_EQ(tumesikii<9>(t), 3 * 37);
}

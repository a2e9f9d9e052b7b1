// The candidate lists of the main search against a plain one: every
// candidate better than the starting value, sorted best first with ties in
// the order they came, the first W kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/narabe.h"

using namespace syougi;

namespace {

struct Kouho {
  int16_t ten;
  int32_t moto, saki;
};

template <int N>
void narabeOnaji(std::mt19937& rng) {
  constexpr Row R = kRow[N];
  for (int round = 0; round < 300; ++round) {
    Ply p;
    p.kmoto.fill(0);
    p.ksaki.fill(0);
    p.kten.fill(R.init);
    std::vector<Kouho> all;
    const int n = static_cast<int>(rng() % 70);
    for (int k = 0; k < n; ++k) {
      // Few values, so that ties are many; now and then the starting value.
      const int16_t v = rng() % 8 == 0 ? R.init : static_cast<int16_t>(rng() % 41 - 20);
      p.ten = v;
      p.moto = k + 1;
      p.saki = 100 + k;
      narabekae<N>(p);
      if (better<N>(v, R.init)) all.push_back({v, k + 1, 100 + k});
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Kouho& a, const Kouho& b) { return better<N>(a.ten, b.ten); });
    for (int i = 0; i < R.width; ++i) {
      const bool ari = i < static_cast<int>(all.size());
      ASSERT_EQ(p.kten[i], ari ? all[i].ten : R.init) << "ply " << N << " slot " << i;
      ASSERT_EQ(p.kmoto[i], ari ? all[i].moto : 0) << "ply " << N << " slot " << i;
      ASSERT_EQ(p.ksaki[i], ari ? all[i].saki : 0) << "ply " << N << " slot " << i;
    }
  }
}

}  // namespace

TEST(Narabekae, ListsAreTheBestCandidatesInOrderOfValueThenOfComing) {
  std::mt19937 rng(20261210);
  narabeOnaji<1>(rng);
  narabeOnaji<2>(rng);
  narabeOnaji<5>(rng);
  narabeOnaji<6>(rng);
  narabeOnaji<7>(rng);
  narabeOnaji<8>(rng);
}

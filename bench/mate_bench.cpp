// Mate search speed: whole searches on positions with and without a forced
// mate; reports time per search and candidate moves examined per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "model/ply.h"
#include "mate/attacks.h"
#include "mate/tume.h"
#include "model/attacks.h"
#include "model/board.h"

namespace {

using namespace syougi;

struct Kyokumen {
  Ban aru;
  Mochi arull{};
};

Kyokumen kara() {
  Kyokumen k;
  k.aru.fill(SOTO);
  for (int s = 11; s <= 99; ++s)
    if (isSquare(s)) k.aru[s] = 0;
  return k;
}

// The start position after a few moves: many checks, no mate.
Kyokumen hirate() {
  Kyokumen k;
  syokihaiti(k.aru, k.arull);
  k.arull[22] = 1;  // a rook and a bishop in hand make it busy
  k.arull[23] = 1;
  k.arull[24] = 1;
  k.aru[77] = 0;
  k.aru[76] = 108;
  return k;
}

// Gold sacrifice, two knights: mate at ply 5 found after failing lines.
Kyokumen sute() {
  Kyokumen k = kara();
  k.aru[19] = 101;
  k.aru[18] = 108;
  k.aru[28] = 106;
  k.aru[48] = 204;
  k.aru[91] = 201;
  k.arull[24] = 1;
  k.arull[26] = 2;
  return k;
}

// Golds driving the king along rank 9 under its own pawns: mate at ply 11.
Kyokumen hasigo() {
  Kyokumen k = kara();
  k.aru[79] = 101;
  for (int f = 2; f <= 8; ++f) k.aru[f * 10 + 8] = 108;
  k.aru[98] = 215;
  k.aru[99] = 218;
  k.aru[11] = 207;
  k.aru[51] = 201;
  k.arull[24] = 4;
  k.arull[25] = 1;
  return k;
}

// An open king against rook, bishop and gold in hand: no mate, wide tree.
Kyokumen hiroba() {
  Kyokumen k = kara();
  k.aru[55] = 101;
  k.aru[11] = 201;
  k.arull[22] = 1;
  k.arull[23] = 1;
  k.arull[24] = 1;
  return k;
}

// A castle-like corner with defenders and a user hand: checks and blocks.
Kyokumen kakoi() {
  Kyokumen k = kara();
  k.aru[28] = 101;
  k.aru[39] = 104;
  k.aru[38] = 104;
  k.aru[27] = 108;
  k.aru[17] = 108;
  k.aru[37] = 108;
  k.aru[19] = 107;
  k.aru[29] = 106;
  k.aru[24] = 208;
  k.aru[51] = 201;
  k.aru[82] = 202;
  k.arull[22] = 1;
  k.arull[24] = 1;
  k.arull[25] = 1;
  k.arull[18] = 2;
  return k;
}

void run(benchmark::State& state, const Kyokumen& k) {
  Men m;
  m.aru = k.aru;
  m.arull = k.arull;
  torisirabe(m);
  auto plies = std::make_unique<PlyTable>();
  uint64_t sirabe = 0;
  int16_t saikou = 0;
  for (auto _ : state) {
    Tume tume(*plies);
    tume.tumeai1(m);
    sirabe += tume.sirabe;
    saikou = tume.saikou1;
    benchmark::DoNotOptimize(tume.moto);
  }
  state.counters["moves/s"] =
      benchmark::Counter(static_cast<double>(sirabe), benchmark::Counter::kIsRate);
  state.counters["moves"] = benchmark::Counter(
      static_cast<double>(sirabe) / static_cast<double>(state.iterations()));
  state.counters["saikou1"] = saikou;
}

void BM_TumeHirate(benchmark::State& s) { run(s, hirate()); }
void BM_TumeSute(benchmark::State& s) { run(s, sute()); }
void BM_TumeHiroba(benchmark::State& s) { run(s, hiroba()); }
void BM_TumeHasigo(benchmark::State& s) { run(s, hasigo()); }
void BM_TumeKakoi(benchmark::State& s) { run(s, kakoi()); }

void BM_Tumetorisirabe(benchmark::State& state) {
  Kyokumen k;
  syokihaiti(k.aru, k.arull);
  Men m;
  m.aru = k.aru;
  for (auto _ : state) {
    tumetorisirabe(m);
    benchmark::DoNotOptimize(m.toripl1.data());
    benchmark::DoNotOptimize(m.toripl2.data());
  }
}

}  // namespace

BENCHMARK(BM_TumeHirate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TumeSute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TumeHiroba)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TumeHasigo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TumeKakoi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tumetorisirabe);

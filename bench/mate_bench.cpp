// Mate search speed: whole searches on positions with and without a forced
// mate; reports time per search and candidate moves examined per second.
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <memory>
#include <utility>

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

// An otherwise empty board: pieces as {square, code}, hands as {cell, count}.
Kyokumen kara(std::initializer_list<std::pair<int, int32_t>> koma,
              std::initializer_list<std::pair<int, int32_t>> mochi) {
  Kyokumen k;
  k.aru.fill(SOTO);
  for (int s = 11; s <= 99; ++s)
    if (isSquare(s)) k.aru[s] = 0;
  for (const auto& [s, c] : koma) k.aru[s] = c;
  for (const auto& [h, n] : mochi) k.arull[h] = n;
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
  return kara({{19, 101}, {18, 108}, {28, 106}, {48, 204}, {91, 201}}, {{24, 1}, {26, 2}});
}

// Golds driving the king along rank 9 under its own pawns: mate at ply 11.
Kyokumen hasigo() {
  Kyokumen k = kara({{79, 101}, {98, 215}, {99, 218}, {11, 207}, {51, 201}}, {{24, 4}, {25, 1}});
  for (int f = 2; f <= 8; ++f) k.aru[f * 10 + 8] = 108;
  return k;
}

// An open king against rook, bishop and gold in hand: no mate, wide tree.
Kyokumen hiroba() { return kara({{55, 101}, {11, 201}}, {{22, 1}, {23, 1}, {24, 1}}); }

// A castle-like corner with defenders and a user hand: checks and blocks.
Kyokumen kakoi() {
  return kara({{28, 101}, {39, 104}, {38, 104}, {27, 108}, {17, 108}, {37, 108}, {19, 107},
               {29, 106}, {24, 208}, {51, 201}, {82, 202}},
              {{22, 1}, {24, 1}, {25, 1}, {18, 2}});
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

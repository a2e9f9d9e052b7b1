// One whole search (basyosirabe, then ai1) per position of the search suite.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/basyo.h"
#include "engine/search.h"
#include "model/attacks.h"

namespace syougi {
namespace {

struct Kyokumen {
  int32_t tesuu = 0;
  int32_t teban = 1;
  std::string sennkei;
  Ban aru{};
  Mochi arull{};
};

std::vector<Kyokumen> yomu() {
  std::vector<Kyokumen> out;
  std::ifstream f(SYOUGI_SOURCE_DIR "/tests/data/search_suite.txt");
  std::string line;
  while (std::getline(f, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream in(line);
    Kyokumen k;
    if (!(in >> k.tesuu >> k.teban >> k.sennkei)) continue;
    k.aru.fill(SOTO);
    for (int f2 = 1; f2 <= 9; ++f2)
      for (int r = 1; r <= 9; ++r) in >> k.aru[f2 * 10 + r];
    for (int i = 12; i <= 18; ++i) in >> k.arull[i];
    for (int i = 22; i <= 28; ++i) in >> k.arull[i];
    if (in) out.push_back(k);
  }
  return out;
}

const std::vector<Kyokumen>& suite() {
  static const std::vector<Kyokumen> s = yomu();
  return s;
}

double cpuUs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

// The driver's part before ai1: attack data, stage and weights.
void sagasu(Search& s, SearchInput& in, const Kyokumen& k) {
  in.aru = k.aru;
  in.arull = k.arull;
  in.sennkei = k.sennkei;
  torisirabe(in.aru, in.toripl1, in.toripl2, in.oupl1, in.oupl2);
  in.basyo.teban = k.teban;
  basyosirabe(in.basyo, in.aru, in.arull, k.tesuu, in.oupl1, in.oupl2, in.toripl1, in.toripl2);
  s.ai1(in);
}

void BM_SearchSuite(benchmark::State& state) {
  const auto& ks = suite();
  if (ks.empty()) {
    state.SkipWithError("search suite not found");
    return;
  }
  auto t = std::make_unique<PlyTable>();
  auto s = std::make_unique<Search>(*t);
  auto in = std::make_unique<SearchInput>();
  std::vector<double> us(ks.size());
  std::vector<double> worst(ks.size(), 0);
  int64_t kensa = 0;
  int64_t nodes = 0;
  double total = 0;
  int64_t searches = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < ks.size(); ++i) {
      const double a = cpuUs();
      sagasu(*s, *in, ks[i]);
      const double d = cpuUs() - a;
      us[i] = d;
      worst[i] = std::max(worst[i], d);
      total += d;
      kensa += s->kensa;
      nodes += s->nodes;
      ++searches;
      benchmark::DoNotOptimize(s->saikou1);
    }
  }
  std::vector<double> sorted = us;
  std::sort(sorted.begin(), sorted.end());
  state.counters["positions"] = static_cast<double>(ks.size());
  state.counters["cand_per_s"] = kensa / (total / 1e6);
  state.counters["nodes_per_s"] = nodes / (total / 1e6);
  state.counters["us_per_search"] = total / searches;
  state.counters["median_us"] = sorted[sorted.size() / 2];
  state.counters["slowest_us"] = sorted.back();
  state.counters["cand_per_search"] = static_cast<double>(kensa) / searches;
}
BENCHMARK(BM_SearchSuite)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_SearchOne(benchmark::State& state, size_t i) {
  const auto& ks = suite();
  auto t = std::make_unique<PlyTable>();
  auto s = std::make_unique<Search>(*t);
  auto in = std::make_unique<SearchInput>();
  int64_t kensa = 0;
  for (auto _ : state) {
    sagasu(*s, *in, ks[i]);
    kensa += s->kensa;
  }
  state.counters["cand_per_s"] =
      benchmark::Counter(static_cast<double>(kensa), benchmark::Counter::kIsRate);
  state.counters["cand"] = static_cast<double>(s->kensa);
}

// One benchmark per suite position, named by its line among the positions.
const bool registered = [] {
  for (size_t i = 0; i < suite().size(); ++i) {
    benchmark::RegisterBenchmark(("BM_SearchOne/" + std::to_string(i)).c_str(), BM_SearchOne, i)
        ->Unit(benchmark::kMicrosecond)
        ->MeasureProcessCPUTime();
  }
  return true;
}();

}  // namespace
}  // namespace syougi

// One whole search (basyosirabe, then ai1) per position of the search suite.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/search.h"
#include "tests/search_suite.h"

namespace syougi {
namespace {

using test::Kyokumen;

const std::vector<Kyokumen>& suite() {
  static const std::vector<Kyokumen> s = test::yomuSuite();
  return s;
}

double cpuUs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

void sagasu(Search& s, SearchInput& in, const Kyokumen& k) {
  test::junbi(in, k);
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

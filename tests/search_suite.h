// The search suite: positions from play, one a line in
// tests/data/search_suite.txt, read for the golden test and the benchmark.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/basyo.h"
#include "engine/search.h"
#include "model/attacks.h"

namespace syougi::test {

struct Kyokumen {
  int32_t tesuu = 0;
  int32_t teban = 1;
  std::string sennkei;
  Ban aru{};
  Mochi arull{};
};

inline std::vector<Kyokumen> yomuSuite() {
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

// As the driver does before ai1: attack data, stage and weights.
inline void junbi(SearchInput& in, const Kyokumen& k) {
  in.aru = k.aru;
  in.arull = k.arull;
  in.sennkei = k.sennkei;
  torisirabe(in.aru, in.toripl1, in.toripl2, in.oupl1, in.oupl2);
  in.basyo.teban = k.teban;
  basyosirabe(in.basyo, in.aru, in.arull, k.tesuu, in.oupl1, in.oupl2, in.toripl1, in.toripl2);
}

}  // namespace syougi::test

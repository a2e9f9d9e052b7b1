// The search suite: positions from play, one a line in
// tests/data/search_suite.txt, read for the golden test and the benchmark.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
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
  torisirabe(in);
  in.basyo.teban = k.teban;
  basyosirabe(in.basyo, in, k.tesuu);
}

// A golden record: named columns of figures, one row per position (keyed by
// its index or name). The file starts with '#' lines; the one beginning
// "# columns:" names the columns.
struct Golden {
  std::vector<std::string> cols;
  std::vector<std::pair<std::string, std::vector<int64_t>>> rows;
};

// SYOUGI_RECORD_GOLDEN=1: the golden tests write their files instead of
// comparing.
inline bool goldenKiroku() {
  const char* e = std::getenv("SYOUGI_RECORD_GOLDEN");
  return e != nullptr && std::string(e) == "1";
}

inline Golden goldenYomu(const std::string& path) {
  Golden g;
  std::ifstream f(path);
  std::string line;
  const std::string tag = "# columns:";
  while (std::getline(f, line)) {
    if (line.rfind(tag, 0) == 0) {
      std::istringstream in(line.substr(tag.size()));
      for (std::string c; in >> c;) g.cols.push_back(c);
      continue;
    }
    line = line.substr(0, line.find('#'));
    std::istringstream in(line);
    std::string key;
    if (!(in >> key)) continue;
    std::vector<int64_t> v;
    for (int64_t x; in >> x;) v.push_back(x);
    g.rows.emplace_back(key, v);
  }
  return g;
}

inline void goldenKaku(const std::string& path, const std::string& header, const Golden& g) {
  std::ofstream f(path);
  f << header << "# columns:";
  for (const auto& c : g.cols) f << ' ' << c;
  f << '\n';
  for (const auto& [key, v] : g.rows) {
    f << key;
    for (int64_t x : v) f << ' ' << x;
    f << '\n';
  }
}

// Every difference, as "position, column: recorded -> now".
inline std::vector<std::string> goldenSa(const Golden& want, const Golden& got) {
  std::vector<std::string> out;
  if (want.cols != got.cols) out.push_back("the columns differ: re-record the file");
  if (want.rows.size() != got.rows.size())
    out.push_back("rows: " + std::to_string(want.rows.size()) + " recorded, " +
                  std::to_string(got.rows.size()) + " now");
  for (size_t i = 0; i < want.rows.size() && i < got.rows.size(); ++i) {
    const auto& [wk, wv] = want.rows[i];
    const auto& [gk, gv] = got.rows[i];
    if (wk != gk || wv.size() != gv.size()) {
      out.push_back("row " + std::to_string(i) + ": " + wk + " recorded, " + gk + " now");
      continue;
    }
    for (size_t c = 0; c < wv.size(); ++c) {
      if (wv[c] == gv[c]) continue;
      const std::string name = c < got.cols.size() ? got.cols[c] : std::to_string(c);
      out.push_back("position " + gk + ", " + name + ": " + std::to_string(wv[c]) + " -> " +
                    std::to_string(gv[c]));
    }
  }
  return out;
}

}  // namespace syougi::test

// Replays the fuzzers' seed inputs and every input that once broke something
// through the same entry functions, without libFuzzer. A broken invariant or a
// sanitizer report ends the process, which fails the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/fuzz/entries.h"
#include "tests/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> inputs(const std::string& target) {
  std::vector<fs::path> v;
  for (const char* kind : {"corpus", "regress"}) {
    const fs::path d = fs::path(SYOUGI_SOURCE_DIR) / "tests" / "fuzz" / kind / target;
    if (!fs::is_directory(d)) continue;
    for (const auto& e : fs::directory_iterator(d))
      if (e.is_regular_file() && e.path().filename().string()[0] != '.') v.push_back(e.path());
  }
  std::sort(v.begin(), v.end());
  return v;
}

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class FuzzReplay : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    tmp_.enter();
  }
  syougi::test::TempDir tmp_{"replay"};
};

// What some seeds must reach, worked out from their scripts, so that a
// harness that quietly stops driving the program shows up.
const std::map<std::string, int> kReach = {
    {"book/three_records", 3},     // three shipped records
    {"book/empty", 0},
    {"book/truncated", 2},         // the third record is cut
    {"book/one_field_per_line", 1},
    {"book/garbage_field", 0},     // the first record ends the book
    {"book/out_of_range", 2},      // the piece code 999 record is skipped
    {"tusin/legal_game", 25},      // 12 received moves, 12 replies
    {"tusin/split_message", 5},    // two split moves, two replies
    {"tusin/two_at_once", 1},      // both dropped
    {"tusin/send_mode", 2},        // only the move after the send
    {"tusin/toryo_matta", 3},      // after %MATTA this side is to send
    {"tusin/events", 3},           // the link reopened after a Cancel
    {"tusin/panel_and_window", 0}, // take-back, resignation, back to the start
    {"tusin/garbage_moves", 1},
    {"tusin/runs_to_the_history_end", 351},  // 30 runs of 8 exchanges, stopped at 350
    {"usi/handshake", 1},
    {"usi/moves", 2},
    {"usi/real", 1},
    {"usi/many_answers", 8},      // 12 "go" (the same board with each side to move), 8 answered
};

TEST_P(FuzzReplay, EveryKeptInputRunsClean) {
  const std::string target = GetParam();
  const auto files = inputs(target);
  // The seed corpus is part of the repository; an empty list means a path is wrong.
  ASSERT_GE(files.size(), 3u) << target;
  for (const auto& f : files) {
    SCOPED_TRACE(f.string());
    const std::string b = slurp(f);
    const auto* d = reinterpret_cast<const uint8_t*>(b.data());
    int reach = 0;
    if (target == "book") reach = syougi::fuzz::bookEntry(d, b.size());
    if (target == "tusin") reach = syougi::fuzz::tusinEntry(d, b.size());
    if (target == "usi") reach = syougi::fuzz::usiEntry(d, b.size());
    const auto it = kReach.find(target + "/" + f.filename().string());
    if (it != kReach.end()) {
      EXPECT_EQ(reach, it->second);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::Values("book", "tusin", "usi"));

}  // namespace

// Two window processes as on two machines: each port is a pseudo-terminal
// that socat bridges to TCP, one side listening on a loopback port and the
// other connecting to it. The program is the same as on a cable; a whole
// automatic match runs over the connection, and both saved records convert
// to the same CSA record.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/qt/link_game.h"
#include "tests/qt/socat_pair.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;
using test::kProgram;
using test::Mado;
using test::playWholeLinkGame;

const std::string kKifu = std::string(SYOUGI_BINARY_DIR) + "/syougi-kifu";

// The converter's CSA record of a saved game, without its time lines.
std::vector<std::string> csaWithoutTimes(const fs::path& record) {
  const std::string cmd = kKifu + " --sente A --gote B " + record.string() + " 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  for (size_t n; p && (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int rc = p ? pclose(p) : -1;
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << record << ": " << out;
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t i; (i = out.find('\n', at)) != std::string::npos; at = i + 1)
    if (out[at] != 'T') lines.push_back(out.substr(at, i - at));
  return lines;
}

class NetworkLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
    ASSERT_TRUE(fs::exists(kKifu)) << kKifu << " is not built";
    char tmpl[] = "/tmp/syougi_netlink_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    link_.stop();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path dir_;
  test::SocatTcp link_;
};

TEST_F(NetworkLink, TwoWindowsPlayAWholeGameOverATcpConnection) {
  ASSERT_TRUE(link_.start(dir_)) << "no TCP link:\n"
                                 << fileBytes(dir_ / "listen.log") << fileBytes(dir_ / "connect.log");
  // The listening side took the connection from the other one on 127.0.0.1.
  EXPECT_NE(fileBytes(dir_ / "listen.log").find("accepting connection from AF=2 127.0.0.1:"), std::string::npos);
  std::vector<std::string> moves;
  {
    Mado a("A", dir_ / "A", link_.a), b("B", dir_ / "B", link_.b);
    ASSERT_NO_FATAL_FAILURE(playWholeLinkGame(a, b, &moves));
  }
  std::vector<std::string> expect = {"V2.2", "N+A", "N-B", "PI", "+"};
  expect.insert(expect.end(), moves.begin(), moves.end());
  EXPECT_EQ(csaWithoutTimes(dir_ / "A" / "kifu.csa"), expect);
  EXPECT_EQ(csaWithoutTimes(dir_ / "B" / "kifu.csa"), expect);
}

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Two window processes as on two machines, joined by the program's own TCP
// link: one waits for a connection on a loopback port, the other connects
// to it. A whole automatic match runs over the connection, and both saved
// records convert to the same CSA record. Also a connection refused, seen
// in the real window.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "tests/qt/link_game.h"
#include "tests/temp_dir.h"

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

// A loopback port the system picks, bound so that nobody else takes it but
// not listening: a connection to it is refused until release().
class Kuukou {
 public:
  Kuukou() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof in;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&in), sizeof in) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&in), &len) == 0)
      port = ntohs(in.sin_port);
  }
  ~Kuukou() { release(); }
  void release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int port = 0;

 private:
  int fd_ = -1;
};

class NetworkLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kProgram)) << kProgram << " is not built";
    ASSERT_TRUE(fs::exists(kKifu)) << kKifu << " is not built";
    ASSERT_TRUE(tmp_.made());
  }

  test::TempDir tmp_{"netlink"};
  const fs::path& dir_ = tmp_.path();
};

TEST_F(NetworkLink, TwoWindowsPlayAWholeGameOverTheirOwnTcpLink) {
  Kuukou free;
  ASSERT_GT(free.port, 0);
  const std::string port = std::to_string(free.port);
  free.release();  // B listens on it
  std::vector<std::string> moves;
  {
    Mado a("A", dir_ / "A", "tcp:127.0.0.1:" + port), b("B", dir_ / "B", "tcp-listen:" + port);
    // A's stop closes the connection under B.
    ASSERT_NO_FATAL_FAILURE(playWholeLinkGame(
        a, b, &moves, "box ヌバタ\t通信ポート tcp-listen:" + port + " との接続が切れました。\\nclosed by the other side"));
  }
  std::vector<std::string> expect = {"V2.2", "N+A", "N-B", "PI", "+"};
  expect.insert(expect.end(), moves.begin(), moves.end());
  EXPECT_EQ(csaWithoutTimes(dir_ / "A" / "kifu.csa"), expect);
  EXPECT_EQ(csaWithoutTimes(dir_ / "B" / "kifu.csa"), expect);
}

TEST_F(NetworkLink, ARefusedConnectionIsShownAndTheGameOnTheBoardIsKept) {
  Kuukou refusing;
  ASSERT_GT(refusing.port, 0);
  const std::string to = "tcp:127.0.0.1:" + std::to_string(refusing.port);
  Mado w("W", dir_ / "W", to);
  ASSERT_TRUE(w.started());
  for (const char* c : {"click kaisisennte", "click e77", "click e76"})
    ASSERT_EQ(w.ask(c), std::string("ok ") + c);
  ASSERT_EQ(w.ask("wait-idle"), "ok idle");
  const std::string record = w.ask("text kifu");
  ASSERT_NE(record.find("+7776FU"), std::string::npos) << record;
  ASSERT_EQ(w.ask("click Command2_1"), "ok click Command2_1");
  EXPECT_EQ(w.next(), "box ヌバタ\t通信ポート " + to + " を開けません。\\nConnection refused");
  EXPECT_EQ(w.ask("answer OK"), "ok answer OK");
  EXPECT_EQ(w.ask("shown Command2_0"), "ok shown Command2_0 1");
  EXPECT_EQ(w.ask("shown Command2_1"), "ok shown Command2_1 1");
  EXPECT_EQ(w.ask("shown Command4"), "ok shown Command4 0");
  EXPECT_EQ(w.ask("text kifu"), record);
  EXPECT_EQ(w.ask("text tesuul"), "ok text tesuul 3");
  EXPECT_TRUE(w.boxes.empty()) << w.boxes.front();
}

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

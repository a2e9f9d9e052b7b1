// The real window's link panel on one end of a pseudo-terminal pair, the
// test on the other: the buttons, a received move entered on the board, the
// computer's reply going out, and the other end vanishing.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "link/termios_port.h"
#include "tests/socat_pair.h"
#include "tests/qt/kotae.h"
#include "tests/temp_dir.h"
#include "window/qt/syougiwindow.h"

namespace syougi {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using test::Kotae;

class WindowLink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    tmp_.enter();
    ASSERT_TRUE(pair_.start(dir_)) << "socat made no pseudo-terminals";
    w = std::make_unique<SyougiWindow>(&kotae, nullptr, pair_.a);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    other = std::make_unique<TermiosPort>(pair_.b);
    std::string reason;
    ASSERT_TRUE(other->open("1200,N,8,1", reason)) << reason;
  }
  void TearDown() override {
    if (w) w->flow().game.zyoutai = 0;  // close without the question
    w.reset();
    other.reset();
    pair_.stop();
  }

  void click(const char* name) {
    auto* x = w->findChild<QWidget*>(name);
    ASSERT_NE(x, nullptr) << name;
    ASSERT_TRUE(x->isVisible()) << name;
    QTest::mouseClick(x, Qt::LeftButton);
  }
  bool visible(const char* name) { return w->findChild<QWidget*>(name)->isVisible(); }
  std::string panel() {
    std::string r;
    for (const char* n : {"Command1", "Command2_0", "Command2_1", "Command3", "Command4"})
      if (visible(n)) r += std::string(r.empty() ? "" : " ") + n;
    return r;
  }
  // What the other end receives within a few seconds, up to `n` characters.
  std::string receive(size_t n) {
    std::string got;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (got.size() < n && Clock::now() < end) {
      QTest::qWait(20);
      got += other->readAll();
    }
    return got;
  }

  test::TempDir tmp_{"qtlink"};
  const fs::path& dir_ = tmp_.path();
  test::SocatPair pair_;
  Kotae kotae;
  std::unique_ptr<TermiosPort> other;
  std::unique_ptr<SyougiWindow> w;
};

// Answers each message box with OK as it opens, noting "title|text".
class Kotaeru {
 public:
  Kotaeru() {
    t_.setInterval(20);
    QObject::connect(&t_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen.push_back((box->windowTitle() + "|" + box->text()).toStdString());
      box->button(QMessageBox::Ok)->click();
    });
    t_.start();
  }
  std::vector<std::string> seen;

 private:
  QTimer t_;
};

std::string fileBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST_F(WindowLink, ReceivedMoveIsPlayedAndTheReplySent) {
  EXPECT_EQ(panel(), "Command2_0 Command2_1");
  click("zidou");
  ASSERT_TRUE(w->zidouBox->isChecked());
  click("Command2_0");
  EXPECT_EQ(panel(), "Command4");
  click("kaisisennte");
  other->write("+7776FU\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return kotae.calls == 1; }, 5000));
  EXPECT_EQ(receive(8), "-3334FU\n");
  EXPECT_EQ(w->findChild<QLabel*>("e76")->pixmap().toImage(), komaGazou(108).toImage());
  EXPECT_EQ(w->findChild<QLabel*>("e77")->pixmap().toImage(), komaGazou(0).toImage());
  EXPECT_EQ(w->findChild<QLabel*>("e34")->pixmap().toImage(), komaGazou(208).toImage());
  EXPECT_EQ(w->InMsg->text(), "+7776FU");
  EXPECT_EQ(w->OutMsg->text(), "-3334FU");
  EXPECT_EQ(panel(), "Command4");
  EXPECT_EQ(w->findChild<QLabel*>("tesuul")->text(), "3");
  EXPECT_EQ(fileBytes("tusin.txt"), "\r\n+7776FU\n\r\n-3334FU\n\r\n");

  // The next move, split over two writes, is assembled and answered.
  other->write("+27");
  QTest::qWait(150);
  EXPECT_EQ(kotae.calls, 1);
  other->write("26FU\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return kotae.calls == 2; }, 5000));
  EXPECT_EQ(receive(8), "-4344FU\n");
  EXPECT_EQ(w->findChild<QLabel*>("e26")->pixmap().toImage(), komaGazou(108).toImage());
}

TEST_F(WindowLink, MoveArrivingWhileTheResignationBoxIsOpenIsRefusedAfterIt) {
  click("zidou");
  click("Command2_0");
  click("kaisisennte");
  other->write("+7776FU\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return kotae.calls == 1; }, 5000));
  EXPECT_EQ(receive(8), "-3334FU\n");
  // The next move arrives while "コンピュータの勝ちです" is open, which
  // stays open long enough for the window to have played it.
  std::string kifuInBox;
  bool answered = false;
  QTimer::singleShot(0, [&] {
    other->write("+2726FU\n");
    QTimer::singleShot(400, [&] {
      kifuInBox = w->flow().kifu;
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        box->button(QMessageBox::Ok)->click();
        answered = true;
      }
    });
  });
  w->findChild<QAction*>("touryou")->trigger();
  ASSERT_TRUE(answered);
  EXPECT_EQ(kotae.calls, 1);
  ASSERT_GE(kifuInBox.size(), 15u);
  EXPECT_EQ(kifuInBox.substr(kifuInBox.size() - 15), "-3334FU\r\n%TORYO");
  // Handled after the box, on a finished game: nothing entered or sent.
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->InMsg->text() == "+2726FU"; }, 5000));
  QTest::qWait(200);
  EXPECT_EQ(other->readAll(), "");
  EXPECT_EQ(kotae.calls, 1);
  EXPECT_EQ(w->flow().kifu, kifuInBox);
  EXPECT_EQ(w->findChild<QLabel*>("e27")->pixmap().toImage(), komaGazou(108).toImage());
  EXPECT_EQ(panel(), "Command1 Command3 Command4");
}

TEST_F(WindowLink, TypedTextIsSentByTheButton) {
  click("Command2_1");
  EXPECT_EQ(panel(), "Command1 Command3 Command4");
  QTest::keyClicks(w->OutMsg, "hello");
  click("Command1");
  EXPECT_EQ(receive(6), "hello\n");
  EXPECT_EQ(panel(), "Command4");
  // A resignation with no game running changes nothing but the panel.
  other->write("%TORYO\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return visible("Command1"); }, 5000));
  EXPECT_EQ(w->InMsg->text(), "%TORYO");
  EXPECT_EQ(panel(), "Command1 Command3 Command4");
  EXPECT_EQ(w->flow().kifu, "");
}

TEST_F(WindowLink, StopAfterSendingFreesThePort) {
  click("Command2_1");
  click("Command3");
  EXPECT_EQ(panel(), "Command2_0 Command2_1");
  TermiosPort again(pair_.a);
  std::string reason;
  EXPECT_TRUE(again.open("1200,N,8,1", reason)) << reason;
}

TEST_F(WindowLink, OtherEndVanishingStopsTheLinkWithAMessage) {
  click("Command2_0");
  Kotaeru ok;
  pair_.stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ok.seen.empty(); }, 5000));
  EXPECT_EQ(ok.seen, (std::vector<std::string>{"ヌバタ|通信ポート " + pair_.a + " との接続が切れました。"}));
  EXPECT_EQ(panel(), "Command2_0 Command2_1");
  // Nothing keeps firing on the dead descriptor.
  QTest::qWait(300);
  EXPECT_EQ(ok.seen.size(), 1u);
}

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

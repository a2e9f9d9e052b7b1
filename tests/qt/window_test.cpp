// The real window under the offscreen platform: start a game, make a move by
// mouse, and check what the widgets show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/qt/kotae.h"
#include "tests/temp_dir.h"
#include "window/qt/syougiwindow.h"

namespace syougi {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.made());
    tmp_.enter();
    w = std::make_unique<SyougiWindow>(nullptr);
    w->tokei = [this] { return now; };
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  }
  void TearDown() override {
    w->flow().game.zyoutai = 0;  // close without the question
    w.reset();
  }
  template <class T>
  T* find(const char* name) {
    T* p = w->findChild<T*>(name);
    EXPECT_NE(p, nullptr) << name;
    return p;
  }
  QString label(const char* name) { return find<QLabel>(name)->text(); }
  QImage pic(const char* name) { return find<QLabel>(name)->pixmap().toImage(); }
  void grab(const char* file) {
    if (const char* d = std::getenv("SYOUGI_GRAB"))
      w->grab().save(QString::fromUtf8(d) + "/" + file);
  }

  test::TempDir tmp_{"qt"};
  double now = 50000.0;
  std::unique_ptr<SyougiWindow> w;
};

TEST_F(WindowTest, StartThenMovePawnByMouse) {
  grab("w_start.png");
  auto* kaisi = find<QWidget>("kaisi");
  EXPECT_TRUE(kaisi->isVisible());
  QTest::mouseClick(find<QPushButton>("kaisisennte"), Qt::LeftButton);
  EXPECT_FALSE(kaisi->isVisible());
  EXPECT_EQ(label("tesuul"), "1");
  EXPECT_EQ(label("tebannl"), "You");
  EXPECT_EQ(label("tokipl1l"), "0");
  EXPECT_EQ(pic("e77"), komaGazou(108).toImage());
  EXPECT_EQ(pic("e51"), komaGazou(201).toImage());
  EXPECT_EQ(pic("e76"), komaGazou(0).toImage());

  now = 50003.5;
  QTest::mouseClick(find<QLabel>("e77"), Qt::LeftButton);
  EXPECT_TRUE(find<QWidget>("senn1")->isVisible());
  EXPECT_EQ(find<QWidget>("senn1")->pos(), find<QWidget>("e77")->pos());
  QTest::mouseClick(find<QLabel>("e76"), Qt::LeftButton);
  EXPECT_EQ(pic("e76"), komaGazou(108).toImage());
  EXPECT_EQ(pic("e77"), komaGazou(0).toImage());
  EXPECT_FALSE(find<QWidget>("senn1")->isVisible());
  EXPECT_EQ(find<QLineEdit>("kifu")->text(), QString("T4\r\n+7776FU"));
  EXPECT_EQ(label("zenntel"), QString::fromUtf8("76歩"));
  EXPECT_EQ(label("tebannl"), "Com");
  EXPECT_EQ(label("tesuul"), "2");
  EXPECT_EQ(label("tokipl1l"), "4");
  EXPECT_TRUE(w->t.isActive());
  EXPECT_EQ(w->t.interval(), 10);
  grab("w_moved.png");
  // No computer attached: the tick comes and nothing is played.
  // Waits for the tick rather than a fixed time: a loaded machine delays it.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w->t.isActive(); }, 5000));
  EXPECT_EQ(label("tesuul"), "2");
  EXPECT_EQ(w->flow().game.aru[33], 208);
}

// A resumed record with the second player to move: the board turned, the
// computer's last move marked, the user's turn.
TEST_F(WindowTest, AnOpenedRecordResumesOnTheBoard) {
  std::ofstream("g.kif", std::ios::binary) << "   1 ７六歩(77)   ( 0:07/00:00:07)\n";
  ASSERT_TRUE(w->flow().hiraku("g.kif"));
  EXPECT_FALSE(find<QWidget>("kaisi")->isVisible());
  EXPECT_EQ(pic("e34"), komaGazou(208).toImage());
  EXPECT_EQ(pic("e33"), komaGazou(0).toImage());
  EXPECT_EQ(find<QWidget>("senn2")->pos(), find<QWidget>("e34")->pos());
  EXPECT_TRUE(find<QWidget>("senn2")->isVisible());
  EXPECT_EQ(label("zenntel"), QString::fromUtf8("34歩"));
  EXPECT_EQ(label("tebannl"), "You");
  EXPECT_EQ(label("tokipl2l"), "7");
  EXPECT_EQ(find<QLineEdit>("kifu")->text(), QString("T7\r\n+7776FU"));
}

TEST_F(WindowTest, ComputerFirstStartArmsFiftyMilliseconds) {
  QTest::mouseClick(find<QPushButton>("kaisigote"), Qt::LeftButton);
  EXPECT_EQ(label("tebannl"), "Com");
  EXPECT_TRUE(w->t.isActive());
  EXPECT_EQ(w->t.interval(), 50);
  QTest::mouseClick(find<QLabel>("e77"), Qt::LeftButton);
  EXPECT_FALSE(find<QWidget>("senn1")->isVisible());
  EXPECT_EQ(w->flow().game.zyoutai, 0);
}

TEST_F(WindowTest, LoadHidesTheLinkSendAndStopButtons) {
  EXPECT_TRUE(find<QWidget>("Command1")->isHidden());
  EXPECT_TRUE(find<QWidget>("Command3")->isHidden());
  EXPECT_TRUE(find<QWidget>("Command4")->isHidden());
  EXPECT_FALSE(find<QWidget>("Command2_0")->isHidden());
  EXPECT_FALSE(find<QWidget>("Command2_1")->isHidden());
  EXPECT_EQ(find<QPushButton>("Command1")->text(), QString::fromUtf8("送信し、その後受信待ち"));
  EXPECT_EQ(label("mesezi"), QString::fromUtf8("イベント メッセージ"));
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("ヌバタ"));
}

TEST_F(WindowTest, MenuBarOrderCaptionsAndStatesBeforeAGame) {
  const QList<QAction*> top = w->menuBar()->actions();
  ASSERT_EQ(top.size(), 7);
  const char* caps[] = {"ファイル(&f)", "再戦(&s)", "投了(&t)", "２手戻す(&m)", "<<", "<", ">"};
  const bool on[] = {true, true, false, true, false, false, false};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(top[i]->text(), QString::fromUtf8(caps[i])) << i;
    EXPECT_EQ(top[i]->isEnabled(), on[i]) << i;
  }
  const QList<QAction*> file = top[0]->menu()->actions();
  ASSERT_EQ(file.size(), 3);
  EXPECT_EQ(file[0]->text(), QString::fromUtf8("保存(&a)"));
  EXPECT_TRUE(file[0]->isEnabled());
  EXPECT_EQ(file[1]->text(), QString::fromUtf8("開く(&o)..."));
  EXPECT_TRUE(file[1]->isEnabled());
  EXPECT_EQ(file[1]->shortcut(), QKeySequence(QKeySequence::Open));
  EXPECT_EQ(file[2]->text(), QString::fromUtf8("局面出力(&s)"));
  QTest::mouseClick(find<QPushButton>("kaisisennte"), Qt::LeftButton);
  EXPECT_TRUE(find<QAction>("touryou")->isEnabled());
}

TEST_F(WindowTest, SquaresSitWhereTheLayoutInTwipsPutsThem) {
  auto* dai = find<QWidget>("dai");
  EXPECT_EQ(dai->geometry(), QRect(112, 16, 465, 465));
  // File 9 is the left column, rank 1 the top row; 720 twips = 48 px.
  EXPECT_EQ(find<QWidget>("e91")->geometry(), QRect(16, 16, 49, 49));
  EXPECT_EQ(find<QWidget>("e11")->geometry(), QRect(16 + 8 * 48, 16, 49, 49));
  EXPECT_EQ(find<QWidget>("e19")->geometry(), QRect(16 + 8 * 48, 16 + 8 * 48, 49, 49));
  EXPECT_EQ(find<QWidget>("e108")->geometry(), QRect(8, 80, 49, 49));
  EXPECT_EQ(find<QWidget>("e102")->geometry(), QRect(8, 368, 49, 49));
  EXPECT_EQ(find<QWidget>("e202")->geometry(), QRect(8, 80, 49, 49));
  EXPECT_EQ(find<QWidget>("e208")->geometry(), QRect(8, 368, 49, 49));
  EXPECT_EQ(find<QWidget>("l18")->geometry(), QRect(56, 104, 25, 25));
  EXPECT_EQ(find<QWidget>("ko12")->geometry(), QRect(0, 8 + 12 * 16, 97, 17));
  EXPECT_EQ(find<QWidget>("kaisisennte")->geometry(), QRect(40, 352, 89, 41));
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r)
      EXPECT_NE(w->findChild<QLabel*>(QString("e%1").arg(f * 10 + r)), nullptr);
}

TEST_F(WindowTest, HandPiecesShowCountsAndTheHandMarker) {
  QTest::mouseClick(find<QPushButton>("kaisisennte"), Qt::LeftButton);
  Syougi& f = w->flow();
  f.game.arull[18] = 2;
  f.game.arull[13] = 1;
  f.game.arull[22] = 1;
  f.game.rekiarull[0] = f.game.arull;
  f.arawasu();
  EXPECT_EQ(pic("e108"), komaGazou(108).toImage());
  EXPECT_EQ(label("l18"), "2");
  EXPECT_EQ(pic("e202"), komaGazou(202).toImage());
  EXPECT_EQ(label("l22"), "1");
  EXPECT_EQ(pic("e104"), komaGazou(0).toImage());
  EXPECT_EQ(label("l14"), "");
  QTest::mouseClick(find<QLabel>("e103"), Qt::LeftButton);
  auto* senn11 = find<QWidget>("senn11");
  EXPECT_TRUE(senn11->isVisible());
  EXPECT_EQ(senn11->pos(), find<QWidget>("e103")->pos());
  grab("w_hand.png");
  // The computer's hand images never deliver clicks.
  QTest::mouseClick(find<QLabel>("e202"), Qt::LeftButton);
  EXPECT_EQ(f.game.sentaku, 103);
  EXPECT_EQ(f.game.zyoutai, 2);
  QTest::mouseClick(find<QLabel>("e55"), Qt::LeftButton);
  EXPECT_EQ(pic("e55"), komaGazou(103).toImage());
  EXPECT_EQ(pic("e103"), komaGazou(0).toImage());
  EXPECT_FALSE(senn11->isVisible());
  EXPECT_EQ(find<QLineEdit>("kifu")->text(), QString("T1\r\n+0055KA"));
}

TEST_F(WindowTest, DoubleClickIsOneClick) {
  QTest::mouseClick(find<QPushButton>("kaisisennte"), Qt::LeftButton);
  Syougi& f = w->flow();
  // A double-click is a press, a release and the double-click event.
  QTest::mouseClick(find<QLabel>("e77"), Qt::LeftButton);
  QTest::mouseDClick(find<QLabel>("e77"), Qt::LeftButton);
  EXPECT_EQ(f.game.zyoutai, 2);
  EXPECT_EQ(f.game.sentaku, 77);
  EXPECT_TRUE(find<QWidget>("senn1")->isVisible());
  f.game.arull[18] = 1;
  f.game.rekiarull[0] = f.game.arull;
  f.arawasu();
  QTest::mouseClick(find<QLabel>("e108"), Qt::LeftButton);
  QTest::mouseDClick(find<QLabel>("e108"), Qt::LeftButton);
  EXPECT_EQ(f.game.zyoutai, 2);
  EXPECT_EQ(f.game.sentaku, 108);
  EXPECT_TRUE(find<QWidget>("senn11")->isVisible());
}

// Answers the next modal question box with the given button.
void answerLater(QMessageBox::StandardButton b, QString* seen) {
  QTimer::singleShot(0, [b, seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    *seen = box->windowTitle() + "|" + box->text();
    box->button(b)->click();
  });
}

TEST_F(WindowTest, ClosingDuringAGameAsksAndNoKeepsItOpen) {
  QTest::mouseClick(find<QPushButton>("kaisisennte"), Qt::LeftButton);
  QString seen;
  answerLater(QMessageBox::No, &seen);
  EXPECT_FALSE(w->close());
  EXPECT_EQ(seen, QString::fromUtf8("ヌバタ|対局中です。終了しますか？"));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->flow().game.zyoutai, 1);
  seen.clear();
  answerLater(QMessageBox::Yes, &seen);
  EXPECT_TRUE(w->close());
  EXPECT_FALSE(seen.isEmpty());
  EXPECT_FALSE(w->isVisible());
}

TEST_F(WindowTest, ClosingWithoutAGameDoesNotAsk) {
  EXPECT_TRUE(w->close());
  EXPECT_FALSE(w->isVisible());
}

using test::Kotae;

TEST_F(WindowTest, TimerTickPlaysOneComputerReply) {
  Kotae kotae;
  auto w2 = std::make_unique<SyougiWindow>(&kotae);
  w2->tokei = [] { return 100.0; };
  w2->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w2.get()));
  QTest::mouseClick(w2->findChild<QPushButton*>("kaisisennte"), Qt::LeftButton);
  QTest::mouseClick(w2->findChild<QLabel*>("e77"), Qt::LeftButton);
  QTest::mouseClick(w2->findChild<QLabel*>("e76"), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return kotae.calls >= 1 && !w2->t.isActive(); }, 5000));
  EXPECT_EQ(kotae.calls, 1);
  EXPECT_EQ(w2->findChild<QLabel*>("e34")->pixmap().toImage(), komaGazou(208).toImage());
  auto* senn2 = w2->findChild<QWidget*>("senn2");
  EXPECT_TRUE(senn2->isVisible());
  EXPECT_EQ(senn2->pos(), w2->findChild<QWidget*>("e34")->pos());
  EXPECT_EQ(w2->findChild<QLabel*>("zenntel")->text(), QString::fromUtf8("34歩"));
  EXPECT_EQ(w2->findChild<QLabel*>("sennkeil")->text(), "ibisya");
  EXPECT_EQ(w2->findChild<QLabel*>("hannl")->text(), "2");
  EXPECT_EQ(w2->findChild<QLabel*>("tebannl")->text(), "You");
  EXPECT_EQ(w2->findChild<QLineEdit*>("kifu")->text(), QString("T1\r\n+7776FU\r\nT1\r\n-3334FU"));
  if (const char* d = std::getenv("SYOUGI_GRAB")) w2->grab().save(QString::fromUtf8(d) + "/w_reply.png");
  w2->flow().game.zyoutai = 0;
}

TEST(KomaGazou, EmptyIsTransparentAndPiecesAreDrawn) {
  const QImage empty = komaGazou(0).toImage();
  EXPECT_EQ(empty.size(), QSize(49, 49));
  for (int y = 0; y < 49; ++y)
    for (int x = 0; x < 49; ++x) ASSERT_EQ(qAlpha(empty.pixel(x, y)), 0);
  const QImage fu = komaGazou(108).toImage();
  EXPECT_GT(qAlpha(fu.pixel(24, 30)), 0);
}

TEST(KomaGazou, ComputerPiecesAreTurnedRound) {
  for (int k : {1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 15, 16, 17, 18}) {
    const QImage mine = komaGazou(100 + k).toImage();
    const QImage his = komaGazou(200 + k).toImage();
    EXPECT_NE(mine, his) << k;
    EXPECT_EQ(mine.mirrored(true, true), his) << k;
  }
}

TEST(KomaGazou, OnlyPromotedKanjiAreRed) {
  auto reds = [](int code) {
    const QImage im = komaGazou(code).toImage();
    int n = 0;
    for (int y = 0; y < 49; ++y)
      for (int x = 0; x < 49; ++x) {
        const QRgb p = im.pixel(x, y);
        n += qAlpha(p) > 200 && qRed(p) > 150 && qGreen(p) < 80 && qBlue(p) < 80;
      }
    return n;
  };
  for (int k : {1, 2, 3, 4, 5, 6, 7, 8}) EXPECT_EQ(reds(100 + k), 0) << k;
  for (int k : {12, 13, 15, 16, 17, 18}) EXPECT_GT(reds(100 + k), 10) << k;
}

}  // namespace
}  // namespace syougi

int main(int argc, char** argv) {
  // Test discovery runs this at build time, where there may be no display.
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

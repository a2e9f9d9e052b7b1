// The main window "ヌバタ": widgets where the layout in twips puts them, the
// piece pictures, the menu bar, the timer and the message boxes; the game flow
// behind it runs through the Gamen interface.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/computer.h"
#include "link/termios_port.h"
#include "window/gamen.h"
#include "window/syougi.h"
#include "window/tusinsyougi.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSocketNotifier;

namespace syougi {

// The 29 piece pictures (empty + 28), 49 x 49, indexed by piece code.
QPixmap komaGazou(int32_t code);

class SyougiWindow : public QMainWindow, public Gamen {
 public:
  // `device` names the link's port as `--port` does: a serial device (port 1
  // by default), "tcp:HOST:PORT" or "tcp-listen:PORT".
  explicit SyougiWindow(Computer* computer, QWidget* parent = nullptr,
                        const std::string& device = TermiosPort::kPort1);
  ~SyougiWindow() override;

  Syougi& flow() { return flow_; }
  SyougiTusin& link() { return *tusin_; }
  Port& port() { return *port_; }
  // Time of day in seconds; tests may replace it.
  std::function<double()> tokei;

  // Link panel: the window connects its buttons to the link; tests reach
  // the controls here.
  QCheckBox* zidouBox = nullptr;
  QLineEdit* InMsg = nullptr;
  QLineEdit* OutMsg = nullptr;
  QPushButton* Command1 = nullptr;
  std::array<QPushButton*, 2> Command2{};
  QPushButton* Command3 = nullptr;
  QPushButton* Command4 = nullptr;
  QLabel* mesezi = nullptr;
  QTimer t;

  // Gamen
  void e(int index, int32_t code) override;
  void text(const std::string& name, const std::string& s) override;
  void sennMiseru(Senn w, int index) override;
  void sennKakusu(Senn w) override;
  void kaisi(bool visible) override;
  void menu(const std::string& name, bool enabled) override;
  void miseru(const std::string& name, bool visible) override;
  void msgbox(const std::string& s) override;
  bool hai(const std::string& s) override;
  bool okCancel(const std::string& s, const std::string& title) override;
  std::string yomu(const std::string& name) override;
  void beep() override;
  std::string fairuErabu() override;
  void taimaa(int ms) override;
  double zikoku() override;
  bool zidou() override;

 protected:
  void closeEvent(QCloseEvent* ev) override;

 private:
  // Builds the window, in steps over its central widget `naka`.
  void tukuru();
  void tukuruBan(QWidget* naka);     // the board, its squares and markers
  void tukuruMoti(QWidget* naka);    // both hands and the clocks
  void tukuruHyouzi(QWidget* naka);  // turn, move number, candidates
  void tukuruTusin(QWidget* naka, const QFont& base);  // the link panel
  void tukuruKaisi(QWidget* naka);   // the start panel and its buttons
  void tukuruMenu();
  QFrame* senn(Senn w);
  void kansi(int fd);
  void portEvents();

  Syougi flow_;
  std::unique_ptr<Port> port_;
  std::unique_ptr<SyougiTusin> tusin_;
  // The port's descriptor turning readable, and a poll for line changes and
  // errors, which do not make it readable.
  QPointer<QSocketNotifier> notifier_;
  QTimer poll_;
  std::array<QPixmap, 219> koma_{};
  std::map<int, QLabel*> e_;
  std::map<std::string, QWidget*> texts_;
  std::map<std::string, QAction*> menus_;
  std::map<std::string, QWidget*> controls_;
  QFrame* senn1_ = nullptr;
  QFrame* senn11_ = nullptr;
  QFrame* senn2_ = nullptr;
  QWidget* kaisi_ = nullptr;
};

}  // namespace syougi

#include "window/qt/syougiwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTime>

namespace syougi {

namespace {

// The layout is in twips; 15 twips make a pixel.
constexpr int tw(int twips) { return twips / 15; }

const QString kTitle = QStringLiteral("ヌバタ");

// An image control of the array `e`: reports mouse-down with its index.
class Gazou : public QLabel {
 public:
  Gazou(int index, std::function<void(int)> osu, QWidget* parent)
      : QLabel(parent), index_(index), osu_(std::move(osu)) {}

 protected:
  void mousePressEvent(QMouseEvent* ev) override {
    ev->accept();
    if (osu_) osu_(index_);
  }
  // The second press of a double-click comes as this event, which would
  // otherwise press again: a double-click is one mouse-down.
  void mouseDoubleClickEvent(QMouseEvent* ev) override { ev->accept(); }

 private:
  int index_;
  std::function<void(int)> osu_;
};

// The board `dai`: wood and the star points; the lines are controls of
// their own.
class Dai : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter g(this);
    g.fillRect(rect(), QColor(0xde, 0xb0, 0x5c));
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x30, 0x20, 0x08));
    const int o = tw(240);
    for (int a : {3, 6})
      for (int b : {3, 6}) g.drawEllipse(QPointF(o + a * tw(720) + 0.5, o + b * tw(720) + 0.5), 2.5, 2.5);
  }
};

// The start panel `kaisi`.
class Kaisi : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter g(this);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(0x23, 0x3b, 0x2c));
    bg.setColorAt(1, QColor(0x0f, 0x1d, 0x15));
    g.fillRect(rect(), bg);
    QFont f("Noto Serif CJK JP");
    f.setPixelSize(96);
    f.setBold(true);
    g.setFont(f);
    g.setPen(QColor(0xf2, 0xd7, 0x8c));
    g.drawText(QRect(0, 60, width(), 140), Qt::AlignCenter, kTitle);
    f.setPixelSize(20);
    f.setBold(false);
    g.setFont(f);
    g.setPen(QColor(0xe8, 0xe0, 0xc8));
    g.drawText(QRect(0, 200, width(), 40), Qt::AlignCenter, QStringLiteral("将棋 ― コンピュータと対局"));
    // A few pieces as decoration.
    const int codes[] = {101, 202, 103, 204, 105, 206, 107, 208};
    for (int i = 0; i < 8; ++i) g.drawPixmap(width() / 2 - 4 * 52 + i * 52, 260, komaGazou(codes[i]));
  }
};

// Face of a picture button of the start panel.
QPixmap botann(const QString& s) {
  QPixmap p(tw(1335) - 4, tw(615) - 4);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setRenderHint(QPainter::TextAntialiasing);
  g.setBrush(QColor(0xf7, 0xe1, 0xa6));
  g.setPen(QPen(QColor(0x5a, 0x3a, 0x14), 1.5));
  g.drawRoundedRect(QRectF(0.75, 0.75, p.width() - 1.5, p.height() - 1.5), 5, 5);
  QFont f("Noto Sans CJK JP");
  f.setPixelSize(14);
  f.setBold(true);
  g.setFont(f);
  g.setPen(Qt::black);
  g.drawText(p.rect(), Qt::AlignCenter, s);
  return p;
}

QLabel* ranberu(QWidget* parent, const char* name, const QString& caption, QRect r) {
  auto* l = new QLabel(caption, parent);
  l->setObjectName(name);
  l->setGeometry(r);
  return l;
}

QFrame* waku(QWidget* parent, const char* name, const QColor& c) {
  auto* w = new QFrame(parent);
  w->setObjectName(name);
  w->setAttribute(Qt::WA_TransparentForMouseEvents);
  w->setStyleSheet(QStringLiteral("QFrame { border: 3px solid %1; background: transparent; }").arg(c.name()));
  w->resize(tw(735), tw(735));
  w->hide();
  return w;
}

}  // namespace

SyougiWindow::SyougiWindow(Computer* computer, QWidget* parent, const std::string& device)
    : QMainWindow(parent), flow_(*this, computer), port_(makePort(device)) {
  tokei = [] { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; };
  for (int c = 0; c <= 218; ++c) koma_[c] = komaGazou(c);
  tusin_ = std::make_unique<SyougiTusin>(*this, flow_, *port_);
  tusin_->kansi = [this](int fd) { kansi(fd); };
  tukuru();
  t.setSingleShot(true);
  connect(&t, &QTimer::timeout, this, [this] { flow_.t_Timer(); });
  poll_.setInterval(100);
  connect(&poll_, &QTimer::timeout, this, [this] { portEvents(); });
  Tusin& l = tusin_->tusin;
  connect(Command1, &QPushButton::clicked, this, [&l] { l.Command1_Click(); });
  connect(Command2[0], &QPushButton::clicked, this, [&l] { l.Command2_Click(0); });
  connect(Command2[1], &QPushButton::clicked, this, [&l] { l.Command2_Click(1); });
  connect(Command3, &QPushButton::clicked, this, [&l] { l.Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [&l] { l.Command4_Click(); });
  flow_.Form_Load();
}

SyougiWindow::~SyougiWindow() {
  poll_.stop();
  delete notifier_.data();
}

void SyougiWindow::kansi(int fd) {
  if (notifier_) {
    // May be called from inside the notifier's own signal.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
  }
  poll_.stop();
  if (fd < 0) return;
  notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier_.data(), &QSocketNotifier::activated, this, [this] { portEvents(); });
  poll_.start();
}

void SyougiWindow::portEvents() {
  // While a box is open the data waits in the port, which stays readable:
  // the notifier keeps quiet and the poll comes back for it once the box
  // has closed.
  QPointer<QSocketNotifier> n = notifier_;
  if (n) n->setEnabled(false);
  if (flow_.hakoTyuu()) return;
  tusin_->tusin.portEvents();
  if (n && n == notifier_) n->setEnabled(true);
}

void SyougiWindow::tukuru() {
  setObjectName("syougi");
  setWindowTitle(kTitle);
  QFont base("Noto Sans CJK JP");
  base.setPixelSize(12);
  setFont(base);

  auto* naka = new QWidget(this);
  naka->setFixedSize(960, 500);
  setCentralWidget(naka);

  // Record and listing boxes: only their text matters; the hand frame and
  // the start panel cover them.
  auto* kifu = new QLineEdit(naka);
  kifu->setObjectName("kifu");
  kifu->setGeometry(tw(120), tw(120), tw(1815), tw(375));
  kifu->hide();
  texts_["kifu"] = kifu;
  auto* men = new QLineEdit(naka);
  men->setObjectName("men");
  men->setGeometry(tw(120), tw(480), tw(1815), tw(375));
  men->hide();
  texts_["men"] = men;

  tukuruBan(naka);
  tukuruMoti(naka);
  tukuruHyouzi(naka);
  tukuruTusin(naka, base);
  tukuruKaisi(naka);
  tukuruMenu();
  adjustSize();
}

void SyougiWindow::tukuruBan(QWidget* naka) {
  auto osu = [this](int i) { flow_.e_MouseDown(i); };
  auto* dai = new Dai(naka);
  dai->setObjectName("dai");
  dai->setGeometry(tw(1680), tw(240), tw(6975), tw(6975));
  // Grid: Line1..Line10 run down the board, Line11..Line20 across it.
  const QString sumi = QStringLiteral("background: #302008; border: none;");
  for (int i = 0; i < 10; ++i) {
    auto* tate = new QFrame(dai);
    tate->setObjectName(QStringLiteral("Line%1").arg(i + 1));
    tate->setGeometry(tw(240) + i * tw(720), tw(240), 1, 9 * tw(720) + 1);
    tate->setStyleSheet(sumi);
    auto* yoko = new QFrame(dai);
    yoko->setObjectName(QStringLiteral("Line%1").arg(i + 11));
    yoko->setGeometry(tw(240), tw(240) + i * tw(720), 9 * tw(720) + 1, 1);
    yoko->setStyleSheet(sumi);
  }
  auto* shape1 = new QFrame(dai);
  shape1->setObjectName("Shape1");
  shape1->setGeometry(tw(240), tw(240), tw(6495), tw(6495));
  shape1->setStyleSheet(QStringLiteral("QFrame { border: 2px solid #302008; background: transparent; }"));
  shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      const int sq = f * 10 + r;
      auto* g = new Gazou(sq, osu, dai);
      g->setObjectName(QStringLiteral("e%1").arg(sq));
      g->setGeometry(tw(240 + (9 - f) * 720), tw(240 + (r - 1) * 720), tw(735), tw(735));
      g->setPixmap(koma_[0]);
      e_[sq] = g;
    }
  senn1_ = waku(dai, "senn1", Qt::blue);
  senn2_ = waku(dai, "senn2", Qt::red);
}

// The user's hand right of the board, the computer's left of it.
void SyougiWindow::tukuruMoti(QWidget* naka) {
  auto osu = [this](int i) { flow_.e_MouseDown(i); };
  for (int side = 1; side <= 2; ++side) {
    auto* f = new QGroupBox(side == 1 ? "You" : "Com", naka);
    f->setObjectName(side == 1 ? "f1" : "f2");
    f->setGeometry(side == 1 ? tw(8760) : tw(240), side == 1 ? tw(840) : tw(240), tw(1335), tw(6375));
    for (int k = 2; k <= 8; ++k) {
      // The user's pawn is at the top, the computer's rook.
      const int slot = side == 1 ? 8 - k : k - 2;
      const int code = side * 100 + k;
      auto* g = new Gazou(code, side == 1 ? osu : std::function<void(int)>(), f);
      g->setObjectName(QStringLiteral("e%1").arg(code));
      g->setGeometry(tw(120), tw(1200 + slot * 720), tw(735), tw(735));
      g->setPixmap(koma_[0]);
      if (side == 2) g->setAttribute(Qt::WA_TransparentForMouseEvents);
      e_[code] = g;
      const std::string ln = "l" + std::to_string(side * 10 + k);
      auto* l = ranberu(f, ln.c_str(), "", QRect(tw(840), tw(1560 + slot * 720), tw(375), tw(375)));
      texts_[ln] = l;
    }
    ranberu(f, side == 1 ? "Label5" : "Label4", QStringLiteral("消費秒"), QRect(8, 22, 60, 18));
    const char* tn = side == 1 ? "tokipl1l" : "tokipl2l";
    auto* tl = ranberu(f, tn, "0", QRect(8, 42, 70, 18));
    tl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    texts_[tn] = tl;
    if (side == 1) senn11_ = waku(f, "senn11", Qt::blue);
  }
}

void SyougiWindow::tukuruHyouzi(QWidget* naka) {
  // Status panel.
  auto* hyouzi = new QFrame(naka);
  hyouzi->setObjectName("hyouzi");
  hyouzi->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  hyouzi->setGeometry(tw(10200), tw(120), tw(1095), tw(2655));
  const char* caps[3][2] = {{"Label1", "手番"}, {"Label2", "手数"}, {"Label3", "前手"}};
  const char* vals[3] = {"tebannl", "tesuul", "zenntel"};
  for (int i = 0; i < 3; ++i) {
    ranberu(hyouzi, caps[i][0], QString::fromUtf8(caps[i][1]), QRect(6, 6 + i * 56, 60, 18));
    auto* v = ranberu(hyouzi, vals[i], "", QRect(6, 26 + i * 56, 62, 22));
    QFont big = v->font();
    big.setPixelSize(15);
    big.setBold(true);
    v->setFont(big);
    texts_[vals[i]] = v;
  }

  // Candidates, strategy and stage.
  auto* kou = new QFrame(naka);
  kou->setObjectName("kou");
  kou->setGeometry(tw(10080), tw(3000), tw(1455), tw(3975));
  for (int i = 0; i <= 12; ++i) {
    const std::string n = "ko" + std::to_string(i);
    auto* l = ranberu(kou, n.c_str(), "", QRect(0, tw(120 + 240 * i), tw(1455), tw(255)));
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    l->setPalette(p);
    texts_[n] = l;
  }
  texts_["sennkeil"] = ranberu(kou, "sennkeil", "", QRect(0, tw(3360), tw(1455), tw(255)));
  texts_["hannl"] = ranberu(kou, "hannl", "", QRect(0, tw(3600), tw(1455), tw(255)));
}

// The link panel; what its controls do is the link's.
void SyougiWindow::tukuruTusin(QWidget* naka, const QFont& base) {
  auto* tusinf = new QGroupBox(QStringLiteral("通信機能"), naka);
  tusinf->setObjectName("tusinf");
  tusinf->setGeometry(tw(11640), tw(240), tw(2535), tw(6735));
  QFont small = base;
  small.setPixelSize(11);
  zidouBox = new QCheckBox(QStringLiteral("自動通信対戦"), tusinf);
  zidouBox->setObjectName("zidou");
  zidouBox->setGeometry(8, 20, 150, 22);
  auto* f3 = new QGroupBox(QStringLiteral("送受信"), tusinf);
  f3->setObjectName("Frame3");
  f3->setGeometry(8, 48, 153, 186);
  ranberu(f3, "l1", QStringLiteral("受信MSG"), QRect(8, 18, 120, 16));
  InMsg = new QLineEdit(f3);
  InMsg->setObjectName("InMsg");
  InMsg->setGeometry(8, 36, 137, 22);
  ranberu(f3, "l2", QStringLiteral("送信MSG"), QRect(8, 64, 120, 16));
  OutMsg = new QLineEdit(f3);
  OutMsg->setObjectName("OutMsg");
  OutMsg->setGeometry(8, 82, 137, 22);
  Command1 = new QPushButton(QStringLiteral("送信し、その後受信待ち"), f3);
  Command1->setObjectName("Command1");
  Command1->setFont(small);
  Command1->setGeometry(4, 116, 145, 28);
  auto* f1 = new QGroupBox(QStringLiteral("通信開始"), tusinf);
  f1->setObjectName("Frame1");
  f1->setGeometry(8, 240, 153, 84);
  Command2[0] = new QPushButton(QStringLiteral("受信より開始"), f1);
  Command2[0]->setObjectName("Command2_0");
  Command2[0]->setGeometry(8, 22, 137, 26);
  Command2[1] = new QPushButton(QStringLiteral("送信より開始"), f1);
  Command2[1]->setObjectName("Command2_1");
  Command2[1]->setGeometry(8, 52, 137, 26);
  auto* f2 = new QGroupBox(QStringLiteral("通信中止"), tusinf);
  f2->setObjectName("Frame2");
  f2->setGeometry(8, 330, 153, 84);
  Command3 = new QPushButton(QStringLiteral("送信後中止"), f2);
  Command3->setObjectName("Command3");
  Command3->setGeometry(8, 22, 137, 26);
  Command4 = new QPushButton(QStringLiteral("強制中止"), f2);
  Command4->setObjectName("Command4");
  Command4->setGeometry(8, 52, 137, 26);
  mesezi = ranberu(tusinf, "mesezi", QStringLiteral("イベント メッセージ"), QRect(8, 420, 153, 20));
  texts_["InMsg"] = InMsg;
  texts_["OutMsg"] = OutMsg;
  texts_["mesezi"] = mesezi;
  controls_["Command1"] = Command1;
  controls_["Command2_0"] = Command2[0];
  controls_["Command2_1"] = Command2[1];
  controls_["Command3"] = Command3;
  controls_["Command4"] = Command4;
}

// The start panel, over the playing area.
void SyougiWindow::tukuruKaisi(QWidget* naka) {
  auto* k = new Kaisi(naka);
  k->setObjectName("kaisi");
  k->setGeometry(tw(120), tw(120), tw(11415), tw(7215));
  kaisi_ = k;
  auto* sen = new QPushButton(k);
  sen->setObjectName("kaisisennte");
  sen->setGeometry(tw(600), tw(5280), tw(1335), tw(615));
  sen->setIcon(botann(QStringLiteral("先手で対局")));
  sen->setIconSize(QSize(tw(1335) - 4, tw(615) - 4));
  sen->setAccessibleName(QStringLiteral("先手で対局"));
  connect(sen, &QPushButton::clicked, this, [this] { flow_.kaisisennte_Click(); });
  auto* go = new QPushButton(k);
  go->setObjectName("kaisigote");
  go->setGeometry(tw(600), tw(6000), tw(1335), tw(615));
  go->setIcon(botann(QStringLiteral("後手で対局")));
  go->setIconSize(QSize(tw(1335) - 4, tw(615) - 4));
  go->setAccessibleName(QStringLiteral("後手で対局"));
  connect(go, &QPushButton::clicked, this, [this] { flow_.kaisigote_Click(); });
  k->raise();
}

// The menu bar: its items in order, each enabled or not as before a game.
void SyougiWindow::tukuruMenu() {
  QMenuBar* mb = menuBar();
  QMenu* huxairu = mb->addMenu(QStringLiteral("ファイル(&f)"));
  huxairu->setObjectName("huxairu");
  auto item = [this](QAction* a, const char* name, bool on, std::function<void()> f) {
    a->setObjectName(name);
    a->setEnabled(on);
    menus_[name] = a;
    if (f) connect(a, &QAction::triggered, this, [f] { f(); });
  };
  item(huxairu->addAction(QStringLiteral("保存(&a)")), "hozonn", true, [this] { flow_.hozonn_Click(); });
  item(huxairu->addAction(QStringLiteral("開く(&o)...")), "yomikomi", true, [this] { flow_.yomikomi_Click(); });
  menus_["yomikomi"]->setShortcut(QKeySequence::Open);
  item(huxairu->addAction(QStringLiteral("局面出力(&s)")), "kyokumdenn", true,
       [this] { flow_.kyokumdenn_Click(); });
  item(mb->addAction(QStringLiteral("再戦(&s)")), "saisenn", true, [this] { flow_.saisenn_Click(); });
  item(mb->addAction(QStringLiteral("投了(&t)")), "touryou", false, [this] { flow_.touryou_Click(); });
  item(mb->addAction(QStringLiteral("２手戻す(&m)")), "modosu", true, [this] { flow_.modosu_Click(); });
  item(mb->addAction(QStringLiteral("<<")), "makimodosi2", false, [this] { flow_.makimodosi2_Click(); });
  item(mb->addAction(QStringLiteral("<")), "makimodosi", false, [this] { flow_.makimodosi_Click(); });
  item(mb->addAction(QStringLiteral(">")), "saisei", false, [this] { flow_.saisei_Click(); });
}

void SyougiWindow::e(int index, int32_t code) {
  auto it = e_.find(index);
  if (it == e_.end()) return;
  it->second->setPixmap(code >= 0 && code <= 218 ? koma_[code] : koma_[0]);
}

void SyougiWindow::text(const std::string& name, const std::string& s) {
  auto it = texts_.find(name);
  if (it == texts_.end()) return;
  const QString q = QString::fromStdString(s);
  if (auto* l = qobject_cast<QLabel*>(it->second))
    l->setText(q);
  else if (auto* b = qobject_cast<QLineEdit*>(it->second))
    b->setText(q);
}

QFrame* SyougiWindow::senn(Senn w) {
  switch (w) {
    case Senn::senn1:
      return senn1_;
    case Senn::senn11:
      return senn11_;
    case Senn::senn2:
      return senn2_;
  }
  return senn1_;
}

void SyougiWindow::sennMiseru(Senn w, int index) {
  auto it = e_.find(index);
  if (it == e_.end()) return;
  QFrame* m = senn(w);
  m->move(it->second->pos());
  m->show();
  m->raise();
}

void SyougiWindow::sennKakusu(Senn w) { senn(w)->hide(); }

void SyougiWindow::kaisi(bool visible) {
  kaisi_->setVisible(visible);
  if (visible) kaisi_->raise();
}

void SyougiWindow::menu(const std::string& name, bool enabled) {
  auto it = menus_.find(name);
  if (it != menus_.end()) it->second->setEnabled(enabled);
}

void SyougiWindow::miseru(const std::string& name, bool visible) {
  auto it = controls_.find(name);
  if (it != controls_.end()) it->second->setVisible(visible);
}

void SyougiWindow::msgbox(const std::string& s) {
  QMessageBox b(QMessageBox::NoIcon, kTitle, QString::fromStdString(s), QMessageBox::Ok, this);
  b.exec();
}

bool SyougiWindow::hai(const std::string& s) {
  QMessageBox b(QMessageBox::Question, kTitle, QString::fromStdString(s),
                QMessageBox::Yes | QMessageBox::No, this);
  return b.exec() == QMessageBox::Yes;
}

bool SyougiWindow::okCancel(const std::string& s, const std::string& title) {
  QMessageBox b(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(s),
                QMessageBox::Ok | QMessageBox::Cancel, this);
  return b.exec() == QMessageBox::Ok;
}

std::string SyougiWindow::yomu(const std::string& name) {
  auto it = texts_.find(name);
  if (it == texts_.end()) return {};
  if (auto* b = qobject_cast<QLineEdit*>(it->second)) return b->text().toStdString();
  if (auto* l = qobject_cast<QLabel*>(it->second)) return l->text().toStdString();
  return {};
}

void SyougiWindow::beep() { QApplication::beep(); }

std::string SyougiWindow::fairuErabu() {
  const QString f = QFileDialog::getOpenFileName(this, kTitle, QString(),
                                                 QStringLiteral("棋譜 (*.csa *.kif *.kifu);;すべて (*)"));
  return f.toStdString();
}

void SyougiWindow::taimaa(int ms) {
  if (ms <= 0)
    t.stop();
  else
    t.start(ms);
}

double SyougiWindow::zikoku() { return tokei(); }

bool SyougiWindow::zidou() { return zidouBox->isChecked(); }

void SyougiWindow::closeEvent(QCloseEvent* ev) {
  if (flow_.Form_Unload())
    ev->ignore();
  else
    ev->accept();
}

}  // namespace syougi

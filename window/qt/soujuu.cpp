#include "window/qt/soujuu.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QSocketNotifier>

#include "window/qt/syougiwindow.h"

namespace syougi {

Soujuu::Soujuu(SyougiWindow& w, int inFd, std::FILE* out) : QObject(&w), w_(w), in_(inFd), out_(out) {
  fcntl(in_, F_SETFL, fcntl(in_, F_GETFL) | O_NONBLOCK);
  notifier_ = new QSocketNotifier(in_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { yomu(); });
  qApp->installEventFilter(this);
  matuTimer_.setInterval(20);
  connect(&matuTimer_, &QTimer::timeout, this, [this] {
    if (!matuOwari()) return;
    matuTimer_.stop();
    const QString line = matu_;
    matu_.clear();
    if (line == "wait-idle")
      kaku("ok idle");
    else if (line == "wait-turn")
      kaku("ok turn");
    else
      answer(line.mid(7));
    // Later, so that a box just closed has returned to whoever opened it.
    QTimer::singleShot(0, this, [this] { susumu(); });
  });
}

bool Soujuu::eventFilter(QObject* o, QEvent* ev) {
  if (ev->type() == QEvent::Show) {
    if (auto* b = qobject_cast<QMessageBox*>(o)) {
      QString t = b->text();
      t.replace("\n", "\\n");
      kaku("box " + b->windowTitle() + "\t" + t);
    }
  }
  return QObject::eventFilter(o, ev);
}

void Soujuu::kaku(const QString& line) {
  const QByteArray b = line.toUtf8() + "\n";
  std::fwrite(b.data(), 1, static_cast<size_t>(b.size()), out_);
  std::fflush(out_);
}

void Soujuu::yomu() {
  char c[512];
  for (;;) {
    const ssize_t n = ::read(in_, c, sizeof c);
    if (n > 0) {
      buf_.append(c, static_cast<qsizetype>(n));
      continue;
    }
    if (n == 0) {  // the driving side has gone; what it sent still runs
      notifier_->setEnabled(false);
      owari_ = true;
    }
    break;
  }
  susumu();
}

void Soujuu::susumu() {
  // A command may open a modal box whose loop runs the next commands, so
  // each line comes off the buffer before it runs.
  for (qsizetype i; matu_.isEmpty() && (i = buf_.indexOf('\n')) >= 0;) {
    const QString line = QString::fromUtf8(buf_.left(i)).trimmed();
    buf_.remove(0, i + 1);
    if (!line.isEmpty()) meirei(line);
  }
  if (owari_ && matu_.isEmpty() && buf_.indexOf('\n') < 0) QCoreApplication::exit(0);
}

bool Soujuu::hakoAru() const {
  return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
}

bool Soujuu::hima() const {
  return !w_.t.isActive() && QApplication::activeModalWidget() == nullptr;
}

bool Soujuu::matuOwari() const {
  if (matu_ == "wait-idle") return hima();
  // The reply runs inside the tick, which stops the timer first: a stopped
  // timer means the reply is made, or waits in a box of its own.
  if (matu_ == "wait-turn") return !w_.t.isActive();
  return hakoAru();
}

void Soujuu::meirei(const QString& line) {
  const qsizetype sp = line.indexOf(' ');
  const QString cmd = sp < 0 ? line : line.left(sp);
  const QString arg = sp < 0 ? QString() : line.mid(sp + 1);
  if (cmd == "click") {
    click(arg);
  } else if (cmd == "answer") {
    matu_ = line;
    matuTimer_.start();
  } else if (cmd == "type") {
    const qsizetype sp2 = arg.indexOf(' ');
    const QString name = sp2 < 0 ? arg : arg.left(sp2);
    auto* e = w_.findChild<QLineEdit*>(name);
    if (!e || !e->isVisible() || !e->isEnabled()) {
      kaku("error type " + name);
      return;
    }
    e->setText(sp2 < 0 ? QString() : arg.mid(sp2 + 1));
    kaku("ok type " + name);
  } else if (cmd == "text") {
    QString t;
    if (auto* l = w_.findChild<QLabel*>(arg))
      t = l->text();
    else if (auto* e = w_.findChild<QLineEdit*>(arg))
      t = e->text();
    else if (auto* b = w_.findChild<QAbstractButton*>(arg))
      t = b->text();
    else {
      kaku("error text " + arg);
      return;
    }
    t.replace("\n", "\\n");
    t.replace("\r", "\\r");
    kaku("ok text " + arg + " " + t);
  } else if (cmd == "shown") {
    auto* x = w_.findChild<QWidget*>(arg);
    if (!x) {
      kaku("error shown " + arg);
      return;
    }
    kaku("ok shown " + arg + (x->isVisible() ? " 1" : " 0"));
  } else if (cmd == "wait-idle") {
    if (hima()) {
      kaku("ok idle");
    } else {
      matu_ = line;
      matuTimer_.start();
    }
  } else if (cmd == "wait-turn") {
    matu_ = line;
    matuTimer_.start();
  } else if (cmd == "quit") {
    kaku("ok quit");
    QTimer::singleShot(0, this, [this] { susumu(); });  // the close may ask first
    if (!w_.close()) kaku("error still-open");
  } else {
    kaku("error unknown " + line);
  }
}

bool Soujuu::click(const QString& name) {
  if (auto* a = w_.findChild<QAction*>(name)) {
    if (!a->isEnabled()) {
      kaku("error disabled " + name);
      return false;
    }
    kaku("ok click " + name);
    QTimer::singleShot(0, this, [this] { susumu(); });
    a->trigger();
    return true;
  }
  auto* x = w_.findChild<QWidget*>(name);
  if (!x) {
    kaku("error no-control " + name);
    return false;
  }
  // Only what a person could click: shown and enabled.
  if (!x->isVisible() || !x->isEnabled()) {
    kaku("error not-clickable " + name);
    return false;
  }
  // Answered before the click, which may open a box of its own; the next
  // commands then run inside the box's loop.
  kaku("ok click " + name);
  QTimer::singleShot(0, this, [this] { susumu(); });
  QPointer<QWidget> p = x;
  const QPointF at = QRectF(x->rect()).center();
  const QPointF global = x->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(x, &press);
  if (!p) return true;
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(x, &release);
  return true;
}

bool Soujuu::answer(const QString& button) {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box) {
    kaku("error no-box");
    return false;
  }
  QMessageBox::StandardButton b = QMessageBox::NoButton;
  if (button == "OK") b = QMessageBox::Ok;
  if (button == "Cancel") b = QMessageBox::Cancel;
  if (button == "Yes") b = QMessageBox::Yes;
  if (button == "No") b = QMessageBox::No;
  QAbstractButton* k = b == QMessageBox::NoButton ? nullptr : box->button(b);
  if (!k) {
    kaku("error no-button " + button);
    return false;
  }
  kaku("ok answer " + button);
  k->click();
  return true;
}

}  // namespace syougi

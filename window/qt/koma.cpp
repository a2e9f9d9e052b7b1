// Piece pictures drawn by the program: a pentagon with its kanji, the
// computer's pieces turned round, promoted kanji in red.
#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include "model/board.h"
#include "window/qt/syougiwindow.h"

namespace syougi {

QPixmap komaGazou(int32_t code) {
  QPixmap p(49, 49);
  p.fill(Qt::transparent);
  if (code < 101 || code > 218 || kindOf(code) < 1 || kindOf(code) > 18) return p;
  const int k = kindOf(code);
  if (k == 9 || k == 10 || k == 11 || k == 14) return p;
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setRenderHint(QPainter::TextAntialiasing);
  // Pawns are a little smaller, as on a real board.
  const double w = (k == FU || k == TO) ? 0.9 : 1.0;
  const double cx = 24.5;
  QPolygonF kata;
  kata << QPointF(cx, 3) << QPointF(cx + 14 * w, 9.5) << QPointF(cx + 18 * w, 46)
       << QPointF(cx - 18 * w, 46) << QPointF(cx - 14 * w, 9.5);
  g.setPen(QPen(QColor(0x5a, 0x3a, 0x14), 1.2));
  g.setBrush(QColor(0xf7, 0xe1, 0xa6));
  g.drawPolygon(kata);

  QFont f("Noto Serif CJK JP");
  f.setPixelSize(k == FU || k == TO ? 22 : 24);
  f.setBold(true);
  g.setFont(f);
  g.setPen(k > 10 ? QColor(0xc0, 0x10, 0x10) : Qt::black);
  g.drawText(QRectF(0, 10, 49, 34), Qt::AlignCenter, QString::fromUtf8(kanjiOf(code)));
  g.end();
  // The computer's pieces face the user: the same picture turned round.
  if (sideOf(code) == 2) return QPixmap::fromImage(p.toImage().mirrored(true, true));
  return p;
}

}  // namespace syougi

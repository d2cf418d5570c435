#include "app/gui/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace aqv {

namespace {

constexpr int kSize = 24;
const QColor kInk(0x33, 0x33, 0x33);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kBlue(0x1F, 0x4E, 0x79);

void Page(QPainter& p, const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.topLeft());
  path.lineTo(r.right() - 5, r.top());
  path.lineTo(r.right(), r.top() + 5);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPath(path);
}

void Lines(QPainter& p, const QRectF& r, int count) {
  p.setPen(QPen(QColor(0x88, 0x88, 0x88), 1));
  for (int i = 0; i < count; ++i) {
    const double y = r.top() + 5 + i * 3;
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
  }
}

void Curve(QPainter& p, const QColor& colour) {
  p.setPen(QPen(kInk, 1.2));
  p.drawLine(QPointF(3, 3), QPointF(3, 21));
  p.drawLine(QPointF(3, 21), QPointF(21, 21));
  QPainterPath path;
  path.moveTo(4, 5);
  path.cubicTo(10, 6, 12, 14, 21, 18);
  p.setPen(QPen(colour, 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  for (QPointF dot : {QPointF(7, 7), QPointF(12, 11.5), QPointF(17, 16)})
    p.drawEllipse(dot, 1.8, 1.8);
}

}  // namespace

QIcon ToolIcon(TToolIcon icon) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case TToolIcon::tiNew:
      Page(p, QRectF(5, 2, 14, 19));
      break;
    case TToolIcon::tiOpen:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(0xE8, 0xC0, 0x5A));
      p.drawRect(QRectF(2, 6, 18, 14));
      p.setBrush(QColor(0xF5, 0xD7, 0x7E));
      p.drawPolygon(QPolygonF({QPointF(5, 10), QPointF(22, 10), QPointF(19, 20), QPointF(2, 20)}));
      break;
    case TToolIcon::tiSave:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(kBlue);
      p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
      p.setBrush(kPaper);
      p.drawRect(QRectF(7, 3, 10, 7));
      p.drawRect(QRectF(6, 14, 12, 7));
      break;
    case TToolIcon::tiCut:
      p.setPen(QPen(kInk, 1.6));
      p.drawLine(QPointF(8, 3), QPointF(15, 15));
      p.drawLine(QPointF(16, 3), QPointF(9, 15));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(7.5, 18), 3.2, 3.2);
      p.drawEllipse(QPointF(16.5, 18), 3.2, 3.2);
      break;
    case TToolIcon::tiCopy:
      Page(p, QRectF(3, 2, 12, 15));
      Page(p, QRectF(9, 7, 12, 15));
      Lines(p, QRectF(9, 7, 12, 15), 3);
      break;
    case TToolIcon::tiPaste:
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(QColor(0xC8, 0x96, 0x5A));
      p.drawRoundedRect(QRectF(4, 4, 15, 18), 2, 2);
      p.setBrush(QColor(0xAA, 0xAA, 0xAA));
      p.drawRect(QRectF(8, 2, 7, 4));
      Page(p, QRectF(9, 9, 12, 13));
      Lines(p, QRectF(9, 9, 12, 13), 2);
      break;
    case TToolIcon::tiOptimized:
      Curve(p, QColor(0x2E, 0x8B, 0x2E));
      break;
    case TToolIcon::tiOptimize:
      Curve(p, QColor(0xC0, 0x30, 0x30));
      break;
  }
  return QIcon(pixmap);
}

}  // namespace aqv

#include "controls/PatternsPreview.h"

#include <QPainter>

#include "controls/QtDrawing.h"

namespace aqv {

TPatternsPreview::TPatternsPreview(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  mMarker.OnChange = [this](TObject*) { update(); };
  mPatterns.OnChange = [this](TObject*) { update(); };
}

void TPatternsPreview::SetMode(TPreviewMode value) {
  mMode = value;
  update();
}

void TPatternsPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const int w = width();
  const int h = height();
  painter.setPen(MakeQPen(mPatterns.Border().Data()));
  if (mMode == TPreviewMode::pmArea) {
    painter.setBrush(MakeQBrush(mPatterns.Area().Data()));
    painter.drawRect(QRect(QPoint(10, 10), QPoint(w - 10, h - 10)));
    return;
  }
  painter.drawLine(10, h / 2, w - 10, h / 2);
  if (mMode == TPreviewMode::pmLineWithMarker) DrawMarker(painter, mMarker.Data(), w / 2, h / 2);
}

}  // namespace aqv

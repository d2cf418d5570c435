#include "controls/PenStylesComboBox.h"

#include <QPainter>

#include "controls/QtDrawing.h"

namespace aqv {

int TPenStylesComboBox::ItemOf(TPenStyle style) {
  for (std::size_t i = 0; i < kPenComboItems.size(); ++i) {
    if (kPenComboItems[i] == style) return static_cast<int>(i);
  }
  return -1;
}

void TPenStylesComboBox::ItemChosen(int index) {
  mStyle = kPenComboItems[static_cast<std::size_t>(index)];
}

void TPenStylesComboBox::DrawItem(QPainter& painter, const QRect& rect, int index,
                                  bool selected) const {
  if (index < 0 || index >= ItemCount()) return;
  QPen pen(selected ? Qt::white : Qt::black);
  pen.setStyle(ToQtPenStyle(kPenComboItems[static_cast<std::size_t>(index)]));
  painter.setPen(pen);
  const int middle = rect.top() + rect.height() / 2;
  painter.drawLine(rect.left(), middle, rect.right(), middle);
}

}  // namespace aqv

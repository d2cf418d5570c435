#include "controls/BrushStylesComboBox.h"

#include <QPainter>

#include "controls/QtDrawing.h"

namespace aqv {

int TBrushStylesComboBox::ItemOf(TBrushStyle style) {
  for (std::size_t i = 0; i < kBrushComboItems.size(); ++i) {
    if (kBrushComboItems[i] == style) return static_cast<int>(i);
  }
  return -1;
}

void TBrushStylesComboBox::ItemChosen(int index) {
  mStyle = kBrushComboItems[static_cast<std::size_t>(index)];
}

void TBrushStylesComboBox::DrawItem(QPainter& painter, const QRect& rect, int index,
                                    bool /*selected*/) const {
  if (index < 0 || index >= ItemCount()) return;
  painter.fillRect(rect, Qt::white);
  painter.fillRect(
      rect, QBrush(Qt::black, ToQtBrushStyle(kBrushComboItems[static_cast<std::size_t>(index)])));
}

}  // namespace aqv

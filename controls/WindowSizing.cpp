#include "controls/WindowSizing.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace aqv {

int TitleBarWidth(const QWidget& window) {
  QFont font = QApplication::font();
  font.setBold(true);
  const int text = QFontMetrics(font).horizontalAdvance(window.windowTitle());
  // Frame buttons are about as wide as the bar is high; the icon takes one more such square
  // and the margins about another.
  const int bar = std::max(window.style()->pixelMetric(QStyle::PM_TitleBarHeight), 24);
  return text + 5 * bar;
}

}  // namespace aqv

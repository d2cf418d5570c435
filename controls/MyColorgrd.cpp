#include "controls/MyColorgrd.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "controls/QtDrawing.h"

namespace aqv {

TMyColorGrid::TMyColorGrid(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(0, 0, 100, 100);
  FitSize();
}

TColor TMyColorGrid::CellColor(int cell) {
  if (!IsCell(cell)) return clNone;
  return kSystemPalette[static_cast<std::size_t>(PaletteEntry(cell))];
}

int TMyColorGrid::ColorToIndex(TColor color) {
  // "No colour" and "default colour" draw as white, but they are not the white cell: marking it
  // would make a click on white look like no change.
  if (color == clNone || color == clDefault) return kNoCell;
  const TColor rgb = ColorToRGB(color);
  for (int cell = 0; cell < kCellCount; ++cell) {
    if (CellColor(cell) == rgb) return cell;
  }
  return kNoCell;
}

void TMyColorGrid::SetGridOrdering(TGridOrdering value) {
  if (value == mGridOrdering) return;
  mGridOrdering = value;
  const int n = static_cast<int>(value);
  mColumns = 16 >> n;
  mRows = 1 << n;
  FitSize();
  update();
}

void TMyColorGrid::FitSize() {
  // The control is always a whole number of cells.
  const int cellWidth = std::max(width() / mColumns, 1);
  const int cellHeight = std::max(height() / mRows, 1);
  mCellWidth = cellWidth;
  mCellHeight = cellHeight;
  const QSize fitted(cellWidth * mColumns, cellHeight * mRows);
  if (fitted != size()) resize(fitted);
}

void TMyColorGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitSize();
}

QSize TMyColorGrid::sizeHint() const {
  return {mCellWidth * mColumns, mCellHeight * mRows};
}

QRect TMyColorGrid::CellRect(int cell) const {
  if (!IsCell(cell)) return {};
  return QRect((cell % mColumns) * mCellWidth, (cell / mColumns) * mCellHeight, mCellWidth,
               mCellHeight);
}

int TMyColorGrid::CellAt(QPoint point) const {
  const int x = std::clamp(point.x(), 0, std::max(width() - 1, 0));
  const int y = std::clamp(point.y(), 0, std::max(height() - 1, 0));
  const int column = std::min(x / mCellWidth, mColumns - 1);
  const int row = std::min(y / mCellHeight, mRows - 1);
  return row * mColumns + column;
}

void TMyColorGrid::SetForegroundIndex(int value) {
  if (value == mForegroundIndex || !mForegroundEnabled) return;
  mForegroundIndex = value;
  update();
  emit Changed();
}

void TMyColorGrid::SetBackgroundIndex(int value) {
  if (value == mBackgroundIndex || !mBackgroundEnabled) return;
  mBackgroundIndex = value;
  update();
  emit Changed();
}

void TMyColorGrid::SetForegroundEnabled(bool value) {
  if (value == mForegroundEnabled) return;
  mForegroundEnabled = value;
  update();
}

void TMyColorGrid::SetBackgroundEnabled(bool value) {
  if (value == mBackgroundEnabled) return;
  mBackgroundEnabled = value;
  update();
}

void TMyColorGrid::SetSelection(int value) {
  if (value == mSelection) return;
  mSelection = value;
  update();
}

void TMyColorGrid::SetCtl3D(bool value) {
  if (value == mCtl3D) return;
  mCtl3D = value;
  update();
}

void TMyColorGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor face = palette().color(QPalette::Button);
  painter.fillRect(rect(), face);
  for (int cell = 0; cell < kCellCount; ++cell) {
    const QRect r = CellRect(cell);
    const QColor colour = ToQColor(CellColor(cell));
    if (mCtl3D) {
      // A sunken frame two pixels wide around the colour.
      painter.fillRect(r, face);
      const QRect inner = r.adjusted(1, 1, -1, -1);
      painter.setPen(palette().color(QPalette::Dark));
      painter.drawLine(inner.topLeft(), inner.topRight());
      painter.drawLine(inner.topLeft(), inner.bottomLeft());
      painter.setPen(palette().color(QPalette::Light));
      painter.drawLine(inner.bottomLeft(), inner.bottomRight());
      painter.drawLine(inner.topRight(), inner.bottomRight());
      painter.fillRect(r.adjusted(3, 3, -3, -3), colour);
    } else {
      painter.setPen(Qt::black);
      painter.setBrush(colour);
      painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
  }
  if (hasFocus() && IsCell(mSelection)) {
    const QRect r = CellRect(mSelection);
    if (mCtl3D) {
      QStyleOptionFocusRect option;
      option.initFrom(this);
      option.rect = r.adjusted(1, 1, -1, -1);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    } else {
      painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      painter.setPen(Qt::white);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(r.adjusted(0, 0, -1, -1));
      painter.drawRect(r.adjusted(2, 2, -3, -3));
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
  }
  // Labels: "FG", "BG", or "FB" where both indexes meet; in a colour that contrasts per
  // component with the cell.
  const auto label = [&](int cell, const QString& text) {
    if (!IsCell(cell)) return;
    const TColor c = CellColor(cell);
    const auto contrast = [](int component) { return component >= 128 ? 0 : 255; };
    painter.setPen(
        QColor(contrast(c & 0xFF), contrast((c >> 8) & 0xFF), contrast((c >> 16) & 0xFF)));
    painter.drawText(CellRect(cell), Qt::AlignCenter | Qt::TextSingleLine, text);
  };
  // Labels shrink with small cells so that they stay inside the colour.
  QFont labelFont = font();
  labelFont.setPixelSize(std::clamp(std::min(mCellWidth / 2, mCellHeight - 8), 7, 12));
  painter.setFont(labelFont);
  const bool same = mForegroundIndex == mBackgroundIndex;
  if (mForegroundEnabled) {
    label(mForegroundIndex,
          same && mBackgroundEnabled ? QStringLiteral("FB") : QStringLiteral("FG"));
  }
  if (mBackgroundEnabled) {
    label(mBackgroundIndex,
          same && mForegroundEnabled ? QStringLiteral("FB") : QStringLiteral("BG"));
  }
}

void TMyColorGrid::ChooseCell(Qt::MouseButton button, int cell) {
  if (button == Qt::RightButton) {
    if (!mBackgroundEnabled && mClickEnablesColor) SetBackgroundEnabled(true);
    SetBackgroundIndex(cell);
  } else {
    if (!mForegroundEnabled && mClickEnablesColor) SetForegroundEnabled(true);
    SetForegroundIndex(cell);
  }
  SetSelection(cell);
}

void TMyColorGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  mButton = event->button();
  mButtonDown = true;
  ChooseCell(mButton, CellAt(event->position().toPoint()));
  if (focusPolicy() & Qt::TabFocus) setFocus(Qt::MouseFocusReason);
}

void TMyColorGrid::mouseMoveEvent(QMouseEvent* event) {
  if (mButtonDown) ChooseCell(mButton, CellAt(event->position().toPoint()));
}

void TMyColorGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == mButton) {
    mButtonDown = false;
    mButton = Qt::NoButton;
  }
  QWidget::mouseReleaseEvent(event);
}

void TMyColorGrid::ChooseSelection(bool foreground) {
  if (!IsCell(mSelection)) return;
  if (foreground) {
    if (!mForegroundEnabled && mClickEnablesColor) SetForegroundEnabled(true);
    SetForegroundIndex(mSelection);
  } else {
    if (!mBackgroundEnabled && mClickEnablesColor) SetBackgroundEnabled(true);
    SetBackgroundIndex(mSelection);
  }
  emit Clicked();
}

void TMyColorGrid::keyPressEvent(QKeyEvent* event) {
  constexpr int last = kCellCount - 1;
  // With no selection every move starts from the first cell.
  const int current = IsCell(mSelection) ? mSelection : 0;
  const int row = current / mColumns;
  const int column = current % mColumns;
  int next = current;
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Space:
      next = current == last ? 0 : current + 1;
      break;
    case Qt::Key_Left:
      next = current == 0 ? last : current - 1;
      break;
    case Qt::Key_Down:
      if (current == last) {
        next = 0;
      } else if (row == mRows - 1) {
        next = column + 1;  // top of the next column
      } else {
        next = current + mColumns;
      }
      break;
    case Qt::Key_Up:
      if (current == 0) {
        next = last;
      } else if (row == 0) {
        next = (mRows - 1) * mColumns + column - 1;  // bottom of the previous column
      } else {
        next = current - mColumns;
      }
      break;
    case Qt::Key_Home:
      next = 0;
      break;
    case Qt::Key_End:
      next = last;
      break;
    case Qt::Key_F:
      ChooseSelection(true);
      return;
    case Qt::Key_B:
      ChooseSelection(false);
      return;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  SetSelection(next);
}

void TMyColorGrid::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void TMyColorGrid::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

}  // namespace aqv

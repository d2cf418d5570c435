#include "controls/TransMemo.h"

#include <QEvent>
#include <QPalette>
#include <QTextDocument>
#include <QTextOption>

namespace aqv {

TTransMemo::TTransMemo(QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(false);
  setLineWrapMode(QTextEdit::WidgetWidth);
  ApplyAlignment();
  ApplyBackground();
}

void TTransMemo::SetAlignText(Qt::Alignment value) {
  value &= Qt::AlignHorizontal_Mask;
  if (value == mAlignText) return;
  mAlignText = value;
  ApplyAlignment();
  viewport()->update();
}

void TTransMemo::SetTransparent(bool value) {
  if (value == mTransparent) return;
  mTransparent = value;
  ApplyBackground();
  update();
  viewport()->update();
}

QPoint TTransMemo::PositionInParent() const {
  if (parentWidget() == nullptr) return {};
  return viewport()->mapTo(parentWidget(), QPoint(0, 0));
}

void TTransMemo::ApplyAlignment() {
  // The document's default option aligns every block that does not carry an alignment of its
  // own, which in a plain-text memo is every block, including those typed later.
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(mAlignText);
  document()->setDefaultTextOption(option);
}

void TTransMemo::ApplyBackground() {
  // Qt composes a child over what its parent painted; a memo that fills nothing therefore lets
  // the parent's drawing show through, and it follows every repaint of the parent by itself.
  setAutoFillBackground(false);
  viewport()->setAutoFillBackground(!mTransparent);
}

void TTransMemo::changeEvent(QEvent* event) {
  QTextEdit::changeEvent(event);
  if (event->type() == QEvent::ParentChange && mTransparent) update();
}

void TTransMemo::resizeEvent(QResizeEvent* event) {
  QTextEdit::resizeEvent(event);
  viewport()->update();
}

void TTransMemo::moveEvent(QMoveEvent* event) {
  QTextEdit::moveEvent(event);
  viewport()->update();
}

}  // namespace aqv

#include "app/gui/RemarksMemo.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

namespace aqv {

TRemarksMemo::TRemarksMemo(int maxLines, QWidget* parent)
    : QPlainTextEdit(parent), mMaxLines(maxLines) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabChangesFocus(true);
}

QString TRemarksMemo::Line(int i) const {
  const QTextBlock block = document()->findBlockByNumber(i);
  return block.isValid() ? block.text() : QString();
}

int TRemarksMemo::LineCount() const {
  return toPlainText().isEmpty() ? 0 : document()->blockCount();
}

void TRemarksMemo::SetLines(const QStringList& lines) {
  setPlainText(lines.join(QLatin1Char('\n')));
  moveCursor(QTextCursor::Start);
  ensureCursorVisible();
}

bool TRemarksMemo::AcceptsKey(int key, int caretLine, int lineLength, int lineCount, int maxLines) {
  if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return true;
  if (key == Qt::Key_Return || key == Qt::Key_Enter)
    return caretLine < maxLines - 1 && lineCount < maxLines;
  return lineLength < kLineWidth;
}

void TRemarksMemo::keyPressEvent(QKeyEvent* event) {
  const bool types = !event->text().isEmpty() && event->text().at(0).isPrint();
  const int key = event->key();
  const bool lineKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Backspace ||
                       key == Qt::Key_Delete;
  if ((types || lineKey) && !(event->modifiers() & Qt::ControlModifier)) {
    const QTextCursor cursor = textCursor();
    if (!AcceptsKey(key, cursor.blockNumber(), cursor.block().text().length(),
                    document()->blockCount(), mMaxLines))
      return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TRemarksMemo::insertFromMimeData(const QMimeData* source) {
  // A paste may not bring in more lines or longer lines than typing could.
  QStringList lines = toPlainText().split(QLatin1Char('\n'));
  QPlainTextEdit::insertFromMimeData(source);
  lines = toPlainText().split(QLatin1Char('\n'));
  bool cut = lines.size() > mMaxLines;
  while (lines.size() > mMaxLines) lines.removeLast();
  for (QString& line : lines)
    if (line.size() > kLineWidth) {
      line.truncate(kLineWidth);
      cut = true;
    }
  if (cut) setPlainText(lines.join(QLatin1Char('\n')));
}

}  // namespace aqv

#pragma once

#include <QPlainTextEdit>

namespace aqv {

// A memo of a few remark lines of limited width, as the document keeps them: no word wrap, at
// most MaxLines lines of fewer than kLineWidth characters each. On a full line every key but
// Backspace is dropped, and Enter is dropped on the last allowed line or when all lines exist.
class TRemarksMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kLineWidth = 60;  // characters of one information text

  TRemarksMemo(int maxLines, QWidget* parent = nullptr);

  int MaxLines() const { return mMaxLines; }
  // Line i (from 0) of the text, empty beyond the last.
  QString Line(int i) const;
  int LineCount() const;
  // Shows lines, one per line, and scrolls to the start.
  void SetLines(const QStringList& lines);
  // Whether a key typed with the caret on line caretLine of a memo holding lineCount lines,
  // the caret line being lineLength characters long, is taken.
  static bool AcceptsKey(int key, int caretLine, int lineLength, int lineCount, int maxLines);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  int mMaxLines;
};

}  // namespace aqv

#pragma once

#include <QDialog>
#include <string>

#include "model/fit/AQVOptimizeConsole.h"

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace aqv {

// The console window of an optimisation run: a memo in a fixed-pitch font that shows the run's
// lines, and below it a panel with the two buttons through which the person pauses, resumes,
// cancels, accepts or rejects. What a button or Escape means is decided by TOptimizeConsole;
// this window only shows its state and hands over the clicks and keys. Shown non-modally; it
// refuses to close until the run allows it (Escape pauses, never closes). Owned by the run
// through the pointer TQtUserInterface hands out, so it has no Qt parent.
class TAQVOutputForm final : public QDialog, public TOptimizeConsole {
  Q_OBJECT

 public:
  explicit TAQVOutputForm(QWidget* transientParent = nullptr);
  ~TAQVOutputForm() override;

  void AddLine(const std::string& line) override;
  void FocusLeftButton() override;
  void Show() override;
  void WaitForMessages() override;
  void Close() override;

  QPlainTextEdit* OutputMemo() const { return mOutputMemo; }
  QWidget* ButtonsPanel() const { return mButtonsPanel; }
  QPushButton* LeftPushButton() const { return mLeftButton; }
  QPushButton* RightPushButton() const { return mRightButton; }

 signals:
  // A button, a key or the run changed the console's state.
  void StateChanged();

 public slots:
  // Escape (and a close request of the window system) reaches here; it closes only when the
  // run allows it.
  void reject() override;

 protected:
  void ButtonsChanged() override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The width the run asks for, but no wider than the screen's available area with the
  // window's frame (known once shown), pixels.
  [[nodiscard]] int WidthOnScreen() const;
  void PlaceButtons();

  QPlainTextEdit* mOutputMemo = nullptr;
  QWidget* mButtonsPanel = nullptr;
  QPushButton* mLeftButton = nullptr;
  QPushButton* mRightButton = nullptr;
};

}  // namespace aqv

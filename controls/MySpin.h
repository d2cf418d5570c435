#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

class QTimer;

namespace aqv {

// Whether a field that lost the focus was really left: a popup menu (the field's own, the
// status bar's unit menus), the menu bar taking the keys (Alt) or another window taking the
// keyboard (a message box) is no exit, as the person comes back to the field with the text as
// typed.
bool LeavesTheField(const QFocusEvent& event);

// A speed button that repeats while held: a press starts the repeat timer at kInitRepeatPause;
// every expiry sets kRepeatPause and, while the button is still down, emits Step again.
// Step is emitted once on the press itself, so a click is one step and a hold adds more.
class TTimerSpeedButton : public QToolButton {
  Q_OBJECT

 public:
  static constexpr int kInitRepeatPause = 400;  // ms before the first repeat
  static constexpr int kRepeatPause = 100;      // ms between repeats

  explicit TTimerSpeedButton(QWidget* parent = nullptr);

  bool AllowTimer() const { return mAllowTimer; }
  void SetAllowTimer(bool value) { mAllowTimer = value; }
  bool DrawFocusRect() const { return mDrawFocusRect; }
  void SetDrawFocusRect(bool value);
  // The repeat timer; nullptr until the first press that starts it.
  QTimer* RepeatTimer() const { return mRepeatTimer; }

 public slots:
  // One expiry of the repeat timer.
  void TimerExpired();

 signals:
  void Step();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* mRepeatTimer = nullptr;
  bool mAllowTimer = true;
  bool mDrawFocusRect = false;
};

// An up button over a down button; at least 15 pixels wide, the down button overlapping the up
// button by one pixel. FocusControl (not owned) takes the keyboard focus when a button is
// pressed. Space steps the focused button; Up and Down focus and step their button.
class TSpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit TSpinButton(QWidget* parent = nullptr);

  TTimerSpeedButton* UpButton() const { return mUpButton; }
  TTimerSpeedButton* DownButton() const { return mDownButton; }
  TTimerSpeedButton* FocusedButton() const { return mFocusedButton; }
  QWidget* FocusControl() const { return mFocusControl; }
  void SetFocusControl(QWidget* value) { mFocusControl = value; }

 signals:
  void UpClick();
  void DownClick();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ButtonPressed(TTimerSpeedButton* button);
  void SetFocusBtn(TTimerSpeedButton* button);
  void Layout();

  TTimerSpeedButton* mUpButton;
  TTimerSpeedButton* mDownButton;
  TTimerSpeedButton* mFocusedButton;
  QWidget* mFocusControl = nullptr;
};

// An integer edit with a spin-button pair at its right edge. The text is the value: Value()
// reads it as a decimal integer (MinValue when it is none), SetValue writes CheckValue(v).
// MinValue and MaxValue both 0 mean unbounded; otherwise values are clamped into them, so
// equal non-zero bounds pin the value. The text is never clamped while typing, only on leaving
// the edit (LeavesTheField). OnChange is textChanged.
class TMySpinEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int Value READ Value WRITE SetValue)
  Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
  Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
  Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)

 public:
  static constexpr int kButtonWidth = 15;   // pixels
  static constexpr int kButtonHeight = 17;  // pixels

  explicit TMySpinEdit(QWidget* parent = nullptr);

  int Value() const;
  void SetValue(int value);
  int MinValue() const { return mMinValue; }
  void SetMinValue(int value) { mMinValue = value; }
  int MaxValue() const { return mMaxValue; }
  void SetMaxValue(int value) { mMaxValue = value; }
  int Increment() const { return mIncrement; }
  void SetIncrement(int value) { mIncrement = value; }
  bool EditorEnabled() const { return mEditorEnabled; }
  void SetEditorEnabled(bool value) { mEditorEnabled = value; }
  bool AutoSelect() const { return mAutoSelect; }
  void SetAutoSelect(bool value) { mAutoSelect = value; }
  TSpinButton* Button() const { return mButton; }

  // The value clamped into MinValue..MaxValue, or unchanged when both are 0.
  int CheckValue(int value) const;

  // Steps the value by Increment; on a read-only edit only a beep.
  virtual void UpClick();
  virtual void DownClick();
  // Whether a typed character may enter the text: signs, digits, the locale's decimal
  // separator and control characters other than Enter; with the editor disabled only control
  // characters other than Backspace.
  virtual bool IsValidChar(QChar key) const;

  QSize minimumSizeHint() const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool CanChangeText() const { return mEditorEnabled && !isReadOnly(); }
  void PlaceButton();

  int mMinValue = 0;
  int mMaxValue = 0;
  int mIncrement = 1;
  TSpinButton* mButton;
  bool mEditorEnabled = true;
  bool mAutoSelect = true;
};

}  // namespace aqv

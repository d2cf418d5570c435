#include "controls/MySpin.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <limits>

#include "controls/QtDrawing.h"

namespace aqv {

bool LeavesTheField(const QFocusEvent& event) {
  return event.reason() != Qt::PopupFocusReason && event.reason() != Qt::ActiveWindowFocusReason &&
         event.reason() != Qt::MenuBarFocusReason;
}

// ---- TTimerSpeedButton ----

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : QToolButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAutoRaise(false);
}

void TTimerSpeedButton::SetDrawFocusRect(bool value) {
  if (mDrawFocusRect == value) return;
  mDrawFocusRect = value;
  update();
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event) {
  QToolButton::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  emit Step();
  if (mAllowTimer) {
    if (mRepeatTimer == nullptr) {
      mRepeatTimer = new QTimer(this);
      connect(mRepeatTimer, &QTimer::timeout, this, &TTimerSpeedButton::TimerExpired);
    }
    mRepeatTimer->start(kInitRepeatPause);
  }
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  QToolButton::mouseReleaseEvent(event);
  if (mRepeatTimer != nullptr) mRepeatTimer->stop();
}

void TTimerSpeedButton::TimerExpired() {
  if (mRepeatTimer != nullptr) mRepeatTimer->setInterval(kRepeatPause);
  // The button stays down only while the mouse holds it; dragging off it pauses the repeat.
  if (isDown()) emit Step();
}

void TTimerSpeedButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  if (!mDrawFocusRect) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  const int shift = isDown() ? 1 : 0;
  option.rect = rect().adjusted(3 + shift, 3 + shift, -3 + shift, -3 + shift);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

// ---- TSpinButton ----

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent) {
  mUpButton = new TTimerSpeedButton(this);
  mUpButton->setArrowType(Qt::UpArrow);
  mDownButton = new TTimerSpeedButton(this);
  mDownButton->setArrowType(Qt::DownArrow);
  for (TTimerSpeedButton* button : {mUpButton, mDownButton}) {
    button->setIconSize(QSize(6, 6));
    connect(button, &TTimerSpeedButton::Step, this, [this, button] { ButtonPressed(button); });
  }
  mFocusedButton = mUpButton;
  setFocusPolicy(Qt::NoFocus);
  resize(20, 25);
}

void TSpinButton::Layout() {
  const int w = width();
  const int half = height() / 2;
  mUpButton->setGeometry(0, 0, w, half);
  mDownButton->setGeometry(0, half - 1, w, height() - half + 1);
}

void TSpinButton::resizeEvent(QResizeEvent* event) {
  if (width() < 15) {
    resize(15, height());
    return;
  }
  QWidget::resizeEvent(event);
  Layout();
}

void TSpinButton::SetFocusBtn(TTimerSpeedButton* button) {
  if (button == mFocusedButton) return;
  mFocusedButton->SetDrawFocusRect(false);
  mFocusedButton = button;
  mFocusedButton->SetDrawFocusRect(hasFocus());
}

void TSpinButton::ButtonPressed(TTimerSpeedButton* button) {
  SetFocusBtn(button);
  if (mFocusControl != nullptr && mFocusControl->focusPolicy() & Qt::TabFocus &&
      mFocusControl->isEnabled() && !mFocusControl->hasFocus()) {
    mFocusControl->setFocus(Qt::MouseFocusReason);
  } else if (focusPolicy() & Qt::TabFocus && isEnabled() && !hasFocus()) {
    setFocus(Qt::MouseFocusReason);
  }
  if (button == mUpButton) {
    emit UpClick();
  } else {
    emit DownClick();
  }
}

bool TSpinButton::event(QEvent* event) {
  // The pair wants the arrow keys for itself rather than for focus moves.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      event->accept();
      return true;
    }
  }
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    mFocusedButton->SetDrawFocusRect(event->type() == QEvent::FocusIn);
  }
  return QWidget::event(event);
}

void TSpinButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
      SetFocusBtn(mUpButton);
      emit UpClick();
      return;
    case Qt::Key_Down:
      SetFocusBtn(mDownButton);
      emit DownClick();
      return;
    case Qt::Key_Space:
      if (mFocusedButton == mUpButton) {
        emit UpClick();
      } else {
        emit DownClick();
      }
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

// ---- TMySpinEdit ----

TMySpinEdit::TMySpinEdit(QWidget* parent) : QLineEdit(parent) {
  setText(QStringLiteral("0"));
  mButton = new TSpinButton(this);
  mButton->resize(kButtonWidth, kButtonHeight);
  mButton->SetFocusControl(this);
  connect(mButton, &TSpinButton::UpClick, this, [this] { UpClick(); });
  connect(mButton, &TSpinButton::DownClick, this, [this] { DownClick(); });
  // The edit rectangle leaves room for the buttons.
  setTextMargins(0, 0, kButtonWidth + 2, 0);
  PlaceButton();
}

int TMySpinEdit::Value() const {
  const QByteArray bytes = text().trimmed().toLatin1();
  const char* first = bytes.constData();
  const char* last = first + bytes.size();
  if (first != last && *first == '+') ++first;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return mMinValue;
  return value;
}

void TMySpinEdit::SetValue(int value) {
  setText(QString::number(CheckValue(value)));
}

int TMySpinEdit::CheckValue(int value) const {
  if (mMinValue == 0 && mMaxValue == 0) return value;
  if (value < mMinValue) return mMinValue;
  if (value > mMaxValue) return mMaxValue;
  return value;
}

namespace {
// Value + step without overflow: the sum saturates at the ends of the 32-bit range.
int SaturatedAdd(int value, int step) {
  const long long sum = static_cast<long long>(value) + step;
  if (sum > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (sum < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(sum);
}
}  // namespace

void TMySpinEdit::UpClick() {
  if (isReadOnly()) {
    ControlBeep();
    return;
  }
  SetValue(SaturatedAdd(Value(), mIncrement));
  setModified(true);
}

void TMySpinEdit::DownClick() {
  if (isReadOnly()) {
    ControlBeep();
    return;
  }
  SetValue(SaturatedAdd(Value(), mIncrement == std::numeric_limits<int>::min() ? 0 : -mIncrement));
  setModified(true);
}

bool TMySpinEdit::IsValidChar(QChar key) const {
  const bool control = key.unicode() < 0x20 || key.unicode() == 0x7F;
  if (!mEditorEnabled) return control && key != QChar(u'\b');
  if (control) return key != QChar(u'\r') && key != QChar(u'\n');
  return key == QChar(u'+') || key == QChar(u'-') || (key >= QChar(u'0') && key <= QChar(u'9')) ||
         key == locale().decimalPoint().front();
}

void TMySpinEdit::keyPressEvent(QKeyEvent* event) {
  // The arrows step and go no further: a window around the edit must not move the focus.
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    event->key() == Qt::Key_Up ? UpClick() : DownClick();
    event->accept();
    return;
  }
  if ((event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) &&
      !CanChangeText()) {
    ControlBeep();
    return;
  }
  // Enter and Return carry "\r" as their text.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const QString typed = event->text();
  if (!typed.isEmpty() && !(event->modifiers() & Qt::ControlModifier) &&
      !IsValidChar(typed.front())) {
    ControlBeep();
    // Enter still reaches the window around the edit (a dialog's default button).
    if (enter) event->ignore();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TMySpinEdit::contextMenuEvent(QContextMenuEvent* event) {
  // An edit whose typing is off offers what a read-only edit offers: copy and select, no
  // paste, cut, delete or undo. The menu's actions carry their shortcuts only in their texts,
  // so the menu is made while the edit reads as read-only rather than pruned afterwards.
  const bool readOnly = isReadOnly();
  if (!CanChangeText()) setReadOnly(true);
  QMenu* menu = createStandardContextMenu();
  setReadOnly(readOnly);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void TMySpinEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the X11 selection; refused like any other paste.
  if (event->button() == Qt::MiddleButton && !CanChangeText()) return;
  QLineEdit::mouseReleaseEvent(event);
}

void TMySpinEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (mAutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

void TMySpinEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A check made while a menu or a message box has the keyboard must see the text as typed.
  if (!LeavesTheField(*event)) return;
  const int value = Value();
  if (CheckValue(value) != value) SetValue(value);
}

QSize TMySpinEdit::minimumSizeHint() const {
  QSize size = QLineEdit::minimumSizeHint();
  size.setWidth(size.width() + kButtonWidth + 2);
  size.setHeight(std::max(size.height(), kButtonHeight + 4));
  return size;
}

void TMySpinEdit::PlaceButton() {
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  mButton->setGeometry(width() - kButtonWidth - frame, frame, kButtonWidth,
                       std::max(height() - 2 * frame, 2));
}

void TMySpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceButton();
}

}  // namespace aqv

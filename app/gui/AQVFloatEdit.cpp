#include "app/gui/AQVFloatEdit.h"

#include <QKeyEvent>
#include <QTimer>

#include "app/gui/MyParentGrid.h"
#include "model/AQVElements.h"

namespace aqv {

namespace {

constexpr const char* kInvalidValueText = "Invalid value!";

struct TDisplay {
  bool Length = false, Time = false;
  int Precision = 7;
};

// Display scaling and precision of each quantity: the map window's corners with eight digits,
// the rest with seven.
TDisplay DisplayOf(TAQVFloatEditType type) {
  using enum TAQVFloatEditType;
  switch (type) {
    case feRelStoppingCriterion:
      return {};
    case feStartingTime:
    case feStoppingTime:
    case feBeginTijd:
    case feEindTijd:
    case feTTijd:
      return {false, true, 7};
    case feWorldX1:
    case feWorldX2:
    case feWorldY1:
    case feWorldY2:
      return {true, false, 8};
    default:
      return {true, false, 7};
  }
}

bool CheckQuantity(const TAQVData& d, TAQVFloatEditType type, double v) {
  using enum TAQVFloatEditType;
  switch (type) {
    case feSurfaceLevel:
      return true;
    case feAbsStoppingCriterion:
    case feRelStoppingCriterion:
      return d.CheckStoppingCriterion(v);
    case feStartingTime:
      return d.CheckStartingTime(v);
    case feStoppingTime:
      return d.CheckStoppingTime(v);
    case feWorldX1:
      return d.CheckWorldX1(v);
    case feWorldX2:
      return d.CheckWorldX2(v);
    case feWorldY1:
      return d.CheckWorldY1(v);
    case feWorldY2:
      return d.CheckWorldY2(v);
    case feBeginTijd:
      return d.CheckAnimationStartTime(v);
    case feEindTijd:
      return d.CheckAnimationEndTime(v);
    case feMinContour:
      return d.CheckMinContour(v);
    case feMaxContour:
      return d.CheckMaxContour(v);
    case feInterval:
      return d.CheckContourInterval(v);
    case feTTijd:
      return d.CheckDisplayTime(v);
    case feModelLength:
      return d.CheckModelLength(v);
  }
  return false;
}

}  // namespace

bool HoldsTypedText(const QLineEdit& edit) {
  // An emptied field is still being typed in while it has the keyboard; once left, it stored
  // nothing and shows the document's value again.
  return edit.isModified() && (edit.hasFocus() || !edit.text().isEmpty());
}

TAQVFloatEdit::TAQVFloatEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &TAQVFloatEdit::TextChanged);
}

void TAQVFloatEdit::SetValue(double value) {
  const TDisplay display = DisplayOf(mEditType);
  if (mData && display.Length) value *= mData->LengthFactor();
  if (mData && display.Time) value *= mData->TimeFactor();
  mShownValue = value;
  const double limit = display.Precision == 8 ? 1e8 : 1e5;
  const std::string shown =
      FloatToStrTrim(display.Precision, limit, value, Globals().DecimalSeparator);
  // setText leaves the text unmodified, so that leaving the field stores nothing.
  setText(QString::fromStdString(shown));
  TextChanged(text());
}

void TAQVFloatEdit::Reload(double value) {
  if (!HoldsTypedText(*this)) SetValue(value);
}

bool TAQVFloatEdit::ValidateText(const std::string& text) {
  std::string& message = Globals().DataErrorText;
  message = kInvalidValueText;
  double value = 0;
  bool ok = TryStrToFloatValue(text, value);
  if (ok && mData) ok = CheckQuantity(*mData, mEditType, value);
  mErrorText = message;
  return ok;
}

void TAQVFloatEdit::TextChanged(const QString& text) {
  mValid = ValidateText(text.toStdString());
}

bool TAQVFloatEdit::Commit() {
  // The verdict is the text's as it stood, whatever the message box sets off meanwhile.
  const bool valid = mValid;
  if (!mData) return valid;
  if (valid) {
    setModified(false);
    mData->SetFloatSetting(text().toStdString(), mEditType);
  } else {
    mData->UserInterface().MessageBox(mErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
  return valid;
}

bool TAQVFloatEdit::CommitPending() {
  // Left with a refused value a moment ago (a button took the keyboard): its message is on
  // its way, once.
  if (mRefusing) return false;
  if (text().isEmpty() || !isModified()) return true;
  if (Commit()) return true;
  setFocus();
  return false;
}

bool TAQVFloatEdit::IsAcceptedChar(QChar c) {
  if (c == QChar(u'\b') || c == QChar(u'\r') || c == QChar(u'-') || c == QChar(u'E') ||
      c == QChar(u'e')) {
    return true;
  }
  return (c >= QChar(u'0') && c <= QChar(u'9')) ||
         c == QChar::fromLatin1(Globals().DecimalSeparator);
}

void TAQVFloatEdit::keyPressEvent(QKeyEvent* event) {
  const QString typed = event->text();
  const bool character = !typed.isEmpty() && !(event->modifiers() & Qt::ControlModifier) &&
                         typed.front().unicode() >= 0x20 && typed.front().unicode() != 0x7F;
  if (character && !IsAcceptedChar(typed.front())) {
    event->accept();
    return;
  }
  // An untouched field shows the document's value, rounded for display: storing it back would
  // mark the document changed and drop its results for nothing.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && isModified() && !Commit()) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TAQVFloatEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!LeavesTheField(*event) || mRefusing || text().isEmpty() || !isModified() || !mData) return;
  if (mValid) {
    Commit();
    return;
  }
  // The focus has already moved; the message comes once this event is over and then the
  // field takes the focus back.
  mRefusing = true;
  QTimer::singleShot(0, this, &TAQVFloatEdit::RefuseExit);
}

void TAQVFloatEdit::RefuseExit() {
  if (mData) {
    mData->UserInterface().MessageBox(mErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
  setFocus();
  mRefusing = false;
}

}  // namespace aqv

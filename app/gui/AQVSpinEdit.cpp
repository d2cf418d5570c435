#include "app/gui/AQVSpinEdit.h"

#include <QKeyEvent>
#include <QTimer>

#include "app/gui/AQVFloatEdit.h"
#include "app/gui/MyParentGrid.h"
#include "model/AQVElements.h"

namespace aqv {

namespace {

constexpr const char* kInvalidValueText = "Invalid value!";

bool CheckQuantity(const TAQVData& d, TAQVSpinEditType type, int v) {
  using enum TAQVSpinEditType;
  switch (type) {
    case seNAq:
      return d.CheckAquiferCount(v);
    case seNObsWells:
      return d.CheckObservationWellCount(v);
    case seNPumpingWells:
      return d.CheckPumpingWellCount(v);
    case seLowerl:
      return d.CheckLowerLayer(v);
    case seUpperl:
      return d.CheckUpperLayer(v);
    case seTsteps:
      return d.CheckTimeSteps(v);
    case seTekenlaag:
      return d.CheckDrawLayer(v);
    case seDensity:
      return d.CheckDensity(v);
  }
  return false;
}

}  // namespace

TAQVSpinEdit::TAQVSpinEdit(QWidget* parent) : TMySpinEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &TAQVSpinEdit::TextChanged);
}

bool TAQVSpinEdit::Validate(const std::string& text) {
  std::string& message = Globals().DataErrorText;
  message = kInvalidValueText;
  int value = 0;
  bool ok = TryStrToIntValue(text, value);
  if (ok && mData) ok = CheckQuantity(*mData, mSpinType, value);
  mErrorText = message;
  return ok;
}

void TAQVSpinEdit::TextChanged(const QString& text) {
  mValid = Validate(text.toStdString());
}

void TAQVSpinEdit::UpClick() {
  TMySpinEdit::UpClick();
  Spun();
}

void TAQVSpinEdit::DownClick() {
  TMySpinEdit::DownClick();
  Spun();
}

void TAQVSpinEdit::Spun() {
  if (isReadOnly()) return;
  // A spun value counts as typed, so that leaving the field stores it. A step held at the
  // range's end changes no text, and the page fills its fields without a check: the value is
  // checked here.
  setModified(true);
  TextChanged(text());
}

bool TAQVSpinEdit::StoreValue() {
  // The verdict is the text's as it stood: whatever the message box sets off meanwhile (the
  // field losing the keyboard, a reload) must not turn the refusal into a success.
  const bool valid = mValid;
  if (!mData) return valid;
  if (valid) {
    setModified(false);
    mData->SetIntSetting(text().toStdString(), mSpinType);
  } else {
    mData->UserInterface().MessageBox(mErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
  return valid;
}

bool TAQVSpinEdit::CommitPending() {
  // Left with a refused value a moment ago (a button took the keyboard): its message is on
  // its way, once.
  if (mRefusing) return false;
  if (text().isEmpty() || !isModified()) return true;
  if (StoreValue()) return true;
  setFocus();
  return false;
}

void TAQVSpinEdit::keyPressEvent(QKeyEvent* event) {
  // An untouched field shows the document's own value, filled in without a check: there is
  // nothing to store and nothing to refuse.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && isModified() && !StoreValue()) {
    event->accept();
    return;
  }
  // The spin edit's own filter runs last; it refuses Enter with a beep.
  TMySpinEdit::keyPressEvent(event);
}

void TAQVSpinEdit::focusOutEvent(QFocusEvent* event) {
  if (LeavesTheField(*event) && !mRefusing && !text().isEmpty() && isModified() && mData) {
    if (mValid) {
      StoreValue();
    } else {
      mRefusing = true;
      QTimer::singleShot(0, this, &TAQVSpinEdit::RefuseExit);
    }
  }
  // A refused value stays as typed, to be corrected: the spin edit's own pull into its range
  // would show a value the document does not hold, and leaving again would not store it.
  if (mRefusing) {
    QLineEdit::focusOutEvent(event);
  } else {
    TMySpinEdit::focusOutEvent(event);
  }
}

void TAQVSpinEdit::RefuseExit() {
  if (mData) {
    mData->UserInterface().MessageBox(mErrorText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
  setFocus();
  mRefusing = false;
}

}  // namespace aqv

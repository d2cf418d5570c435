#pragma once

#include <QLineEdit>
#include <string>

#include "controls/MySpin.h"
#include "model/AQVData.h"

class QFocusEvent;

namespace aqv {

// Whether a field holds text typed since its value was last entered or shown. Only such text is
// the person's: a value entered is the document's, and a reload shows it as the document now
// holds it (in the new unit after a unit switch).
bool HoldsTypedText(const QLineEdit& edit);

// A single-line number field bound to one floating-point setting of a document. The text is
// checked at every change with the document's check routine for the quantity; Enter or leaving
// a modified, non-empty field hands a valid text to the document (SetFloatSetting), and an
// invalid text shows the check's message and keeps the focus. The document is not owned and
// must outlive the binding. Text is in display units (length or time factor applied).
class TAQVFloatEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TAQVFloatEdit(QWidget* parent = nullptr);

  TAQVData* Data() const { return mData; }
  void SetData(TAQVData* data) { mData = data; }
  TAQVFloatEditType AQVEditType() const { return mEditType; }
  void SetAQVEditType(TAQVFloatEditType type) { mEditType = type; }

  // Shows value, given in the document's stored units, scaled to display units.
  void SetValue(double value);
  // Shows value as SetValue does, unless the field holds typed text, which stays to be
  // committed in the unit it was typed in or refused.
  void Reload(double value);
  // The value last shown, in display units.
  double ShownValue() const { return mShownValue; }
  // Runs the quantity's check on text; the message stays in ErrorText (and DataErrorText).
  bool ValidateText(const std::string& text);
  // Hands a valid text to the document; an invalid one shows ErrorText as an error box.
  // Returns whether the text was valid.
  bool Commit();
  // Commits a typed value that was not handed over yet; true when there was none or it was
  // valid. An invalid value shows its message and the field takes the focus back.
  bool CommitPending();

  bool Valid() const { return mValid; }
  // Whether the field was left with a refused value whose message is still to come.
  bool RefusalPending() const { return mRefusing; }
  const std::string& ErrorText() const { return mErrorText; }

  // Whether a typed character may enter the text: digits, "-", "E", "e", the decimal
  // separator, Backspace and Enter.
  static bool IsAcceptedChar(QChar c);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void TextChanged(const QString& text);
  void RefuseExit();

  TAQVFloatEditType mEditType = TAQVFloatEditType::feSurfaceLevel;
  std::string mErrorText;
  TAQVData* mData = nullptr;
  bool mValid = false;
  double mShownValue = 0;
  bool mRefusing = false;
};

}  // namespace aqv

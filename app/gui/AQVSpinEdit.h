#pragma once

#include <string>

#include "controls/MySpin.h"
#include "model/AQVData.h"

namespace aqv {

// A spin field bound to one whole-number setting of a document (counts, layers, time steps,
// mesh density). Checked at every change with the document's check routine for the quantity;
// Enter or leaving a modified, non-empty field hands a valid text to the document
// (SetIntSetting), and an invalid text shows the check's message and keeps the focus. The
// document is not owned and must outlive the binding.
class TAQVSpinEdit : public TMySpinEdit {
  Q_OBJECT

 public:
  explicit TAQVSpinEdit(QWidget* parent = nullptr);

  TAQVData* Data() const { return mData; }
  void SetData(TAQVData* data) { mData = data; }
  TAQVSpinEditType AQVSpinEditType() const { return mSpinType; }
  void SetAQVSpinEditType(TAQVSpinEditType type) { mSpinType = type; }

  // Runs the quantity's check on text; the message stays in ErrorText (and DataErrorText).
  bool Validate(const std::string& text);
  // Hands a valid text to the document; an invalid one shows ErrorText as an error box.
  // Returns whether the text was valid.
  bool StoreValue();
  // Stores a typed value that was not handed over yet; true when there was none or it was
  // valid. An invalid value shows its message and the field takes the focus back.
  bool CommitPending();

  bool Valid() const { return mValid; }
  // Whether the field was left with a refused value whose message is still to come.
  bool RefusalPending() const { return mRefusing; }
  const std::string& ErrorText() const { return mErrorText; }

  // A spun value counts as typed: leaving the field stores it.
  void UpClick() override;
  void DownClick() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void TextChanged(const QString& text);
  void Spun();
  void RefuseExit();

  TAQVSpinEditType mSpinType = TAQVSpinEditType::seNAq;
  std::string mErrorText;
  TAQVData* mData = nullptr;
  bool mValid = false;
  bool mRefusing = false;
};

}  // namespace aqv

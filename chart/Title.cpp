#include "chart/Title.h"

namespace aqv {

TTitle::TTitle() {
  mFont.SetColor(clBlack);
  mPatterns.Border().SetColor(clWhite);
  Hook();
}

// Copies of the owned objects start without handlers and are hooked to this copy; copying the
// handlers would make the copy's font report to the original title.
TTitle::TTitle(const TTitle& other)
    : TObject(other),
      mAlignment(other.mAlignment),
      mAutomatic(other.mAutomatic),
      mFont(other.mFont),
      mPatterns(other.mPatterns),
      mText(other.mText),
      mRect(other.mRect),
      mSelected(other.mSelected) {
  Hook();
}

TTitle& TTitle::operator=(const TTitle& other) {
  mAlignment = other.mAlignment;
  mAutomatic = other.mAutomatic;
  mFont = other.mFont;
  mPatterns = other.mPatterns;
  mText = other.mText;
  mRect = other.mRect;
  mSelected = other.mSelected;
  return *this;
}

void TTitle::Hook() {
  const auto forward = [this](TObject* sender) { TitleChanged(sender); };
  mAlignment.OnChange = forward;
  mFont.OnChange = forward;
  mPatterns.OnChange = forward;
}

TTitleData TTitle::Data() const {
  return {mAlignment.Data(), mAutomatic, mFont.Data(), mPatterns.Data(), mText};
}

void TTitle::SetData(const TTitleData& data, bool notify) {
  mAlignment.SetData(data.Alignment, false);
  mAutomatic = data.Automatic;
  mFont.SetData(data.Font, false);
  mPatterns.SetData(data.Patterns, false);
  mText = data.Text;
  if (notify) Fire(OnChange, this);
}

void TTitle::SetText(const std::string& value) {
  mText = value;
  Fire(OnChange, this);
}

void TTitle::TitleChanged(TObject*) {
  Fire(OnChange, this);
}

}  // namespace aqv

#include "chart/Legend.h"

namespace aqv {

TLegend::TLegend() {
  mFont.SetColor(clBlack);
  Hook();
}

// The owned copies are hooked to this copy, not left reporting to the original.
TLegend::TLegend(const TLegend& other)
    : TObject(other),
      mFont(other.mFont),
      mPatterns(other.mPatterns),
      mPlacement(other.mPlacement),
      mLayout(other.mLayout),
      mSelected(other.mSelected),
      mRect(other.mRect) {
  Hook();
}

TLegend& TLegend::operator=(const TLegend& other) {
  mFont = other.mFont;
  mPatterns = other.mPatterns;
  mPlacement = other.mPlacement;
  mLayout = other.mLayout;
  mSelected = other.mSelected;
  mRect = other.mRect;
  return *this;
}

void TLegend::Hook() {
  const auto forward = [this](TObject* sender) { LegendChanged(sender); };
  mFont.OnChange = forward;
  mPatterns.OnChange = forward;
}

void TLegend::SetData(const TLegendData& data, bool notify) {
  mFont.SetData(data.Font, false);
  mPatterns.SetData(data.Patterns, false);
  mPlacement = data.Placement;
  if (notify) Fire(OnChange, this);
}

void TLegend::SetPlacement(TPlacement value) {
  mPlacement = value;
  Fire(OnChange, this);
}

void TLegend::LegendChanged(TObject*) {
  Fire(OnChange, this);
}

}  // namespace aqv

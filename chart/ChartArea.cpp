#include "chart/ChartArea.h"

namespace aqv {

TChartArea::TChartArea() {
  mFont.SetColor(clBlack);
  mPatterns.Border().SetColor(clWhite);
  Hook();
}

// The owned copies are hooked to this copy, not left reporting to the original.
TChartArea::TChartArea(const TChartArea& other)
    : TObject(other),
      mFont(other.mFont),
      mPatterns(other.mPatterns),
      mSelected(other.mSelected),
      mRect(other.mRect) {
  Hook();
}

TChartArea& TChartArea::operator=(const TChartArea& other) {
  mFont = other.mFont;
  mPatterns = other.mPatterns;
  mSelected = other.mSelected;
  mRect = other.mRect;
  return *this;
}

void TChartArea::Hook() {
  const auto forward = [this](TObject* sender) { ChartAreaChanged(sender); };
  mFont.OnChange = forward;
  mPatterns.OnChange = forward;
}

void TChartArea::SetData(const TChartAreaData& data, bool notify) {
  mFont.SetData(data.Font, false);
  mPatterns.SetData(data.Patterns, false);
  if (notify) Fire(OnChange, this);
}

void TChartArea::ChartAreaChanged(TObject*) {
  Fire(OnChange, this);
}

}  // namespace aqv

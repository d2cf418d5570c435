#include "chart/Axis.h"

#include <cmath>

namespace aqv {

// ---- TScale ----

void TScale::SetData(const TScaleData& data, bool notify) {
  const bool logScaleChanged = data.LogScale != mData.LogScale;
  const TScaleData previous = mData;
  mData = data;
  // A value that is not finite could never be saved; the previous value stays in its place.
  for (double TScaleData::*value :
       {&TScaleData::Min, &TScaleData::Max, &TScaleData::MajorUnit, &TScaleData::MinorUnit}) {
    if (!std::isfinite(mData.*value)) mData.*value = previous.*value;
  }
  if (!notify) return;
  Fire(OnChange, this);
  if (logScaleChanged) Fire(OnLogScaleChange, this);
}

void TScale::SetMaxAutomatic(bool value) {
  mData.MaxAutomatic = value;
  Fire(OnChange, this);
}

void TScale::SetMinAutomatic(bool value) {
  mData.MinAutomatic = value;
  Fire(OnChange, this);
}

void TScale::SetMajorUnitAutomatic(bool value) {
  mData.MajorUnitAutomatic = value;
  Fire(OnChange, this);
}

void TScale::SetMinorUnitAutomatic(bool value) {
  mData.MinorUnitAutomatic = value;
  Fire(OnChange, this);
}

void TScale::SetLogScale(bool value) {
  mData.LogScale = value;
  Fire(OnChange, this);
  Fire(OnLogScaleChange, this);
}

void TScale::SetMin(double value) {
  if (!std::isfinite(value)) return;
  mData.Min = value;
  mData.ReverseOrder = mData.Min > mData.Max;
  if (!mData.MinAutomatic) Fire(OnChange, this);
}

void TScale::SetMax(double value) {
  if (!std::isfinite(value)) return;
  mData.Max = value;
  mData.ReverseOrder = mData.Min > mData.Max;
  if (!mData.MaxAutomatic) Fire(OnChange, this);
}

void TScale::SetMajorUnit(double value) {
  if (!std::isfinite(value)) return;
  mData.MajorUnit = value;
  if (!mData.MajorUnitAutomatic) Fire(OnChange, this);
}

void TScale::SetMinorUnit(double value) {
  if (!std::isfinite(value)) return;
  mData.MinorUnit = value;
  if (!mData.MinorUnitAutomatic) Fire(OnChange, this);
}

void TScale::SetReverseOrder(bool value) {
  mData.ReverseOrder = value;
  Fire(OnChange, this);
}

// ---- TAxis ----

TAxis::TAxis() {
  mFont.SetData({kAxisFontName, kAxisFontSize, clBlack, {}}, false);
  mPatterns.Border().SetWidth(2);
  TFontData titleFont = mTitle.Font().Data();
  titleFont.Name = kAxisFontName;
  titleFont.Size = kAxisFontSize;
  mTitle.Font().SetData(titleFont, false);
  Hook();
}

// Copies of the owned objects start without handlers and are hooked to this copy; copying the
// handlers would make the copy's scale report to the original axis.
TAxis::TAxis(const TAxis& other)
    : TObject(other),
      mAlignment(other.mAlignment),
      mGrid(other.mGrid),
      mNumber(other.mNumber),
      mFont(other.mFont),
      mPatterns(other.mPatterns),
      mScale(other.mScale),
      mTitle(other.mTitle),
      mKind(other.mKind),
      mSelected(other.mSelected),
      mRect(other.mRect) {
  Hook();
}

TAxis& TAxis::operator=(const TAxis& other) {
  mAlignment = other.mAlignment;
  mGrid = other.mGrid;
  mNumber = other.mNumber;
  mFont = other.mFont;
  mPatterns = other.mPatterns;
  mScale = other.mScale;
  mTitle = other.mTitle;
  mKind = other.mKind;
  mSelected = other.mSelected;
  mRect = other.mRect;
  return *this;
}

void TAxis::Hook() {
  const auto forward = [this](TObject* sender) { AxisChanged(sender); };
  mAlignment.OnChange = forward;
  mNumber.OnChange = forward;
  mFont.OnChange = forward;
  mPatterns.OnChange = forward;
  mScale.OnChange = forward;
  mTitle.OnChange = forward;
}

TAxisData TAxis::Data() const {
  return {mAlignment.Data(), mFont.Data(),  mGrid,        mNumber.Data(),
          mPatterns.Data(),  mScale.Data(), mTitle.Data()};
}

void TAxis::SetData(const TAxisData& data, bool notify) {
  const bool logScaleChanged = data.Scale.LogScale != mScale.LogScale();
  mAlignment.SetData(data.Alignment, false);
  mFont.SetData(data.Font, false);
  mGrid = data.Grid;
  mNumber.SetData(data.Number, false);
  mPatterns.SetData(data.Patterns, false);
  mScale.SetData(data.Scale, false);
  mTitle.SetData(data.Title, false);
  if (!notify) return;
  Fire(OnChange, this);
  if (logScaleChanged) Fire(mScale.OnLogScaleChange, &mScale);
}

void TAxis::AxisChanged(TObject*) {
  Fire(OnChange, this);
}

}  // namespace aqv

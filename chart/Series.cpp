#include "chart/Series.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace aqv {

// ---- TMarker ----

void TMarker::SetData(const TMarkerData& data, bool notify) {
  mData = data;
  if (notify) Fire(OnChange, this);
}

void TMarker::SetColor(TColor value) {
  mData.Color = value;
  Fire(OnChange, this);
}

void TMarker::SetSize(int value) {
  mData.Size = value;
  Fire(OnChange, this);
}

void TMarker::SetStyle(TMarkerStyle value) {
  mData.Style = value;
  Fire(OnChange, this);
}

// ---- TSeriesRange ----

void TSeriesRange::SetData(const TSeriesRangeData& data, bool notify) {
  mData = data;
  if (notify) Fire(OnChange, this);
}

void TSeriesRange::SetYAxis(std::uint8_t value) {
  mData.YAxis = value;
  Fire(OnChange, this);
}

void TSeriesRange::SetGrid(TCellGrid* value) {
  mData.Grid = value;
  Fire(OnChange, this);
}

void TSeriesRange::SetXRange(const TCellRange& value) {
  mData.XRange = value;
  Fire(OnChange, this);
}

void TSeriesRange::SetYRange(const TCellRange& value) {
  mData.YRange = value;
  Fire(OnChange, this);
}

// ---- TSeries ----

namespace {

// Only real values enter the extents: the missing-value marker would stretch every automatic
// scale to 1E15, and a NaN would compare false with everything and freeze the extent.
bool CountsForExtents(double value) {
  return value != kMissingValue && std::isfinite(value);
}

void UpdateMax(TSeriesExtent& extent, int index, double value) {
  if (!CountsForExtents(value)) return;
  if (extent.Index == -1 || value > extent.Value) extent = {index, value};
}

void UpdateMin(TSeriesExtent& extent, int index, double value) {
  if (!CountsForExtents(value)) return;
  if (extent.Index == -1 || value < extent.Value) extent = {index, value};
}

// An insertion at position moves every later point up by one; the extents follow their point.
void ShiftFrom(TSeriesExtent& extent, int position) {
  if (extent.Index >= position) ++extent.Index;
}

}  // namespace

TSeries::TSeries() {
  mFont.SetColor(clBlack);
  mNumber.SetData({TFloatFormat::ffFixed, 2}, false);
  mPatterns.Border().SetData({clBlack, TPenStyle::psSolid, 2, TPenMode::pmCopy}, false);
  const auto forward = [this](TObject* sender) { SeriesChanged(sender); };
  mAlignment.OnChange = forward;
  mFont.OnChange = forward;
  mMarker.OnChange = forward;
  mNumber.OnChange = forward;
  mPatterns.OnChange = forward;
  mRange.OnChange = forward;
}

void TSeries::SetShowLabels(bool value) {
  mShowLabels = value;
  Fire(OnChange, this);
}

void TSeries::SetName(const std::string& value) {
  mName = value;
  Fire(OnChange, this);
}

std::string TSeries::DisplayName() const {
  std::string text = mName;
  std::replace(text.begin(), text.end(), '\t', ' ');
  return text;
}

// The points live in a vector: indexed access is constant time in every order, so sweeps need
// no cursor, and appends are amortised constant time.
void TSeries::InsertPoint(int index, double x, double y) {
  if (mPoints.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return;
  const int position = index < 0 ? 0 : (index > GetCount() ? GetCount() : index);
  TSeriesPoint point;
  point.X = x;
  point.Y = y;
  mPoints.insert(mPoints.begin() + position, std::move(point));
  ShiftFrom(mMaxX, position);
  ShiftFrom(mMaxY, position);
  ShiftFrom(mMinX, position);
  ShiftFrom(mMinY, position);
  UpdateMax(mMaxX, position, x);
  UpdateMin(mMinX, position, x);
  UpdateMax(mMaxY, position, y);
  UpdateMin(mMinY, position, y);
  Fire(OnChange, this);
}

void TSeries::SetY(int index, double y, bool notify) {
  if (!InRange(index)) return;
  mPoints[static_cast<std::size_t>(index)].Y = y;
  // A point that held an extreme may have moved inward, so then only a full pass is true.
  UpdateMax(mMaxY, index, y);
  if (mMaxY.Index == index) RecomputeYExtents();
  UpdateMin(mMinY, index, y);
  if (mMinY.Index == index) RecomputeYExtents();
  if (notify) Fire(OnChange, this);
}

void TSeries::RecomputeYExtents() {
  mMaxY = {};
  mMinY = {};
  for (int i = 0; i < GetCount(); ++i) {
    const double y = mPoints[static_cast<std::size_t>(i)].Y;
    UpdateMax(mMaxY, i, y);
    UpdateMin(mMinY, i, y);
  }
}

void TSeries::Clear() {
  mPoints.clear();
  mMaxX = {};
  mMaxY = {};
  mMinX = {};
  mMinY = {};
}

double TSeries::GetX(int index) const {
  return InRange(index) ? mPoints[static_cast<std::size_t>(index)].X : -1.0;
}

double TSeries::GetY(int index) const {
  return InRange(index) ? mPoints[static_cast<std::size_t>(index)].Y : -1.0;
}

std::string TSeries::GetLabel(int index) const {
  return InRange(index) ? mPoints[static_cast<std::size_t>(index)].Label : std::string();
}

bool TSeries::GetVisible(int index) const {
  return InRange(index) && mPoints[static_cast<std::size_t>(index)].Visible;
}

int TSeries::GetPixelX(int index) const {
  return InRange(index) ? mPoints[static_cast<std::size_t>(index)].PixelX : -1;
}

int TSeries::GetPixelY(int index) const {
  return InRange(index) ? mPoints[static_cast<std::size_t>(index)].PixelY : -1;
}

void TSeries::SetLabel(int index, const std::string& value) {
  if (InRange(index)) mPoints[static_cast<std::size_t>(index)].Label = value;
}

void TSeries::SetVisible(int index, bool value) {
  if (InRange(index)) mPoints[static_cast<std::size_t>(index)].Visible = value;
}

void TSeries::SetPixelX(int index, int value) {
  if (InRange(index)) mPoints[static_cast<std::size_t>(index)].PixelX = value;
}

void TSeries::SetPixelY(int index, int value) {
  if (InRange(index)) mPoints[static_cast<std::size_t>(index)].PixelY = value;
}

void TSeries::SeriesChanged(TObject*) {
  Fire(OnChange, this);
}

}  // namespace aqv

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "chart/Elements.h"

namespace aqv {

// Attached to a series by the document; defined by the data model, which the chart never reads.
class TChartReference;

// A coordinate equal to exactly this value means "no value": the point is kept but never enters
// the extents, so automatic scales ignore it.
inline constexpr double kMissingValue = 1E15;

// The most series one chart holds.
inline constexpr int kMaxSeriesCount = 128;

struct TMarkerData {
  TColor Color = clBlue;
  int Size = 6;  // pixels; 0 or less draws no marker
  TMarkerStyle Style = TMarkerStyle::msSquare;
  friend bool operator==(const TMarkerData&, const TMarkerData&) = default;
};

// The symbol drawn at each point of a series. Setters store and fire OnChange, also when
// unchanged. A copy starts without OnChange; assignment keeps the target's OnChange.
class TMarker : public TObject {
 public:
  TMarker() = default;
  TMarker(const TMarker& other) : TObject(other), mData(other.mData) {}
  TMarker& operator=(const TMarker& other) {
    mData = other.mData;
    return *this;
  }

  const TMarkerData& Data() const { return mData; }
  void SetData(const TMarkerData& data, bool notify = true);
  void Assign(const TMarker& source) { SetData(source.mData); }

  TColor Color() const { return mData.Color; }
  void SetColor(TColor value);
  int Size() const { return mData.Size; }
  void SetSize(int value);
  TMarkerStyle Style() const { return mData.Style; }
  void SetStyle(TMarkerStyle value);

  TNotifyEvent OnChange;

 private:
  TMarkerData mData;
};

// Read access to the cells of a string grid, columns and rows numbered from 0 as the grid
// numbers them. The GUI's grids implement it; a series range refers to one without owning it.
class TCellGrid {
 public:
  virtual ~TCellGrid() = default;
  virtual int ColCount() const = 0;
  virtual int RowCount() const = 0;
  // The text of a cell; callers stay within ColCount() x RowCount().
  virtual std::string Cells(int col, int row) const = 0;
};

struct TSeriesRangeData {
  std::uint8_t YAxis = 1;     // 1 the Y axis, 2 the secondary Y axis
  TCellGrid* Grid = nullptr;  // not owned
  TCellRange XRange;
  TCellRange YRange;
  friend bool operator==(const TSeriesRangeData&, const TSeriesRangeData&) = default;
};

// The binding of a series to grid cells and the Y axis it is plotted against. Setters store and
// fire OnChange, also when unchanged. A copy starts without OnChange; assignment keeps the
// target's OnChange.
class TSeriesRange : public TObject {
 public:
  TSeriesRange() = default;
  TSeriesRange(const TSeriesRange& other) : TObject(other), mData(other.mData) {}
  TSeriesRange& operator=(const TSeriesRange& other) {
    mData = other.mData;
    return *this;
  }

  const TSeriesRangeData& Data() const { return mData; }
  void SetData(const TSeriesRangeData& data, bool notify = true);
  void Assign(const TSeriesRange& source) { SetData(source.mData); }

  std::uint8_t YAxis() const { return mData.YAxis; }
  void SetYAxis(std::uint8_t value);
  TCellGrid* Grid() const { return mData.Grid; }
  void SetGrid(TCellGrid* value);
  const TCellRange& XRange() const { return mData.XRange; }
  void SetXRange(const TCellRange& value);
  const TCellRange& YRange() const { return mData.YRange; }
  void SetYRange(const TCellRange& value);

  TNotifyEvent OnChange;

 private:
  TSeriesRangeData mData;
};

// One point of a series. Visible and the pixel position are set by the chart's layout.
struct TSeriesPoint {
  std::string Label;  // drawn beside the point when the series shows labels
  double X = 0.0;
  double Y = 0.0;
  bool Visible = false;
  int PixelX = 0;
  int PixelY = 0;
  friend bool operator==(const TSeriesPoint&, const TSeriesPoint&) = default;
};

// The extreme of one coordinate: the point's index (-1 while no point has a value) and value.
struct TSeriesExtent {
  int Index = -1;
  double Value = 0.0;
  friend bool operator==(const TSeriesExtent&, const TSeriesExtent&) = default;
};

// One curve of the time graph: points in order, with the line (Patterns.Border, solid, width
// 2), marker, label font, label alignment and number format, a name for the legend and the
// running extents that automatic scaling reads. Created and owned by the chart; not copyable.
// Owns its format objects and forwards their changes to OnChange with the series as sender.
// Point indexes are 0-based; reads out of range return the defaults named below and writes out
// of range do nothing, negative indexes included. Extents skip the missing value 1E15 and any
// value that is not finite; ties keep the earlier point.
class TSeries : public TObject {
 public:
  TSeries();
  TSeries(const TSeries&) = delete;
  TSeries& operator=(const TSeries&) = delete;

  TMyAlignment& Alignment() { return mAlignment; }
  const TMyAlignment& Alignment() const { return mAlignment; }
  TFont& Font() { return mFont; }
  const TFont& Font() const { return mFont; }
  TMarker& Marker() { return mMarker; }
  const TMarker& Marker() const { return mMarker; }
  TNumber& Number() { return mNumber; }
  const TNumber& Number() const { return mNumber; }
  TPatterns& Patterns() { return mPatterns; }
  const TPatterns& Patterns() const { return mPatterns; }
  TSeriesRange& Range() { return mRange; }
  const TSeriesRange& Range() const { return mRange; }

  bool ShowLabels() const { return mShowLabels; }
  void SetShowLabels(bool value);
  const std::string& Name() const { return mName; }
  void SetName(const std::string& value);
  // The name as the legend, the hints and the series picker show it: a tab, which a time
  // graph puts between a curve's name and its layer, is one blank there.
  std::string DisplayName() const;
  bool Selected() const { return mSelected; }
  void SetSelected(bool value) { mSelected = value; }
  TChartReference* Reference() const { return mReference; }
  void SetReference(TChartReference* value) { mReference = value; }

  // Inserts a point at position index (0 or less: first; beyond the last: appended), takes it
  // into the extents and fires OnChange. The extents keep naming the same points.
  void InsertPoint(int index, double x, double y);
  // Stores y at index and keeps the Y extents true; fires OnChange only when notify is set.
  void SetY(int index, double y, bool notify);
  // Removes every point; fires nothing.
  void Clear();

  int GetCount() const { return static_cast<int>(mPoints.size()); }
  double GetX(int index) const;           // -1.0 out of range
  double GetY(int index) const;           // -1.0 out of range
  std::string GetLabel(int index) const;  // empty out of range
  bool GetVisible(int index) const;       // false out of range
  int GetPixelX(int index) const;         // -1 out of range
  int GetPixelY(int index) const;         // -1 out of range
  // Store in range, else nothing; fire nothing.
  void SetLabel(int index, const std::string& value);
  void SetVisible(int index, bool value);
  void SetPixelX(int index, int value);
  void SetPixelY(int index, int value);
  // Every point in order, for the layout's and the drawing's sweeps.
  std::span<const TSeriesPoint> Points() const { return mPoints; }

  // Extreme values; meaningful only while the matching extent's Index is not -1.
  double GetMaxX() const { return mMaxX.Value; }
  double GetMaxY() const { return mMaxY.Value; }
  double GetMinX() const { return mMinX.Value; }
  double GetMinY() const { return mMinY.Value; }
  const TSeriesExtent& MaxXExtent() const { return mMaxX; }
  const TSeriesExtent& MaxYExtent() const { return mMaxY; }
  const TSeriesExtent& MinXExtent() const { return mMinX; }
  const TSeriesExtent& MinYExtent() const { return mMinY; }

  // Fires OnChange with the series as sender, whoever sent the change.
  void SeriesChanged(TObject* sender);

  TNotifyEvent OnChange;

 private:
  bool InRange(int index) const { return index >= 0 && index < GetCount(); }
  void RecomputeYExtents();

  TMyAlignment mAlignment;
  bool mShowLabels = false;
  TFont mFont;
  TMarker mMarker;
  TSeriesExtent mMaxX;
  TSeriesExtent mMaxY;
  TSeriesExtent mMinX;
  TSeriesExtent mMinY;
  std::string mName;
  TNumber mNumber;
  std::vector<TSeriesPoint> mPoints;
  TPatterns mPatterns;
  TSeriesRange mRange;
  bool mSelected = false;
  TChartReference* mReference = nullptr;  // not owned
};

}  // namespace aqv

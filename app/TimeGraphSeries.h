#pragma once

#include <memory>
#include <vector>

#include "chart/ChartModel.h"
#include "chart/NotifyEvent.h"
#include "model/AQVData.h"

namespace aqv {

// The chart references of a time graph's series: owned here, pointed at (not owned) by the
// series they describe. Kept by the document window for as long as its series live.
using TChartReferences = std::vector<std::unique_ptr<TChartReference>>;

// What one fill of the time graph found in the values it plotted; the axis decisions that
// follow depend on it.
struct TTimeGraphFill {
  bool AllTimesPositive = true;
  bool AllValuesPositive = true;
  double SmallestValue = 0.0001;  // display length units
  int SeriesCount = 0;
};

// What of a series' look the document does not hold: the marker and fill of a computed curve
// (the document holds its line), the line and fill of observed data (it holds their marker).
// The person chose it in the chart's format dialog or it came from the data file.
struct TSeriesLook {
  int Curve = 0;
  int Layer = 0;
  int Kind = 0;
  TMarkerData Marker;
  TPatternsData Patterns;
};

// The looks of a time graph's series, kept while the series are built anew.
struct TSeriesLooks {
  bool WellFluxMode = false;
  std::vector<TSeriesLook> Series;
};

// Keeps the looks of the chart's series that carry a reference, before they are cleared.
TSeriesLooks KeepSeriesLooks(const TAQVData& data, const TChartModel& chart);

// Gives each new series the look kept for the same curve, layer and kind, all but what the
// document holds. Nothing is given across a switch of well-flux mode, where the same curve
// number names another well.
void RestoreSeriesLooks(const TAQVData& data, const TSeriesLooks& looks, TChartModel& chart);

// Fills the time graph from the document's computed curves and observations. With recompute
// the chart's series are built anew (the chart must hold no series; references starts empty
// and receives one reference per series); otherwise only the Y values of the existing series
// are replaced. Computed curves come first, then the observed data (drawdown mode only), at
// most kMaxSeriesCount series in all. New series get no change event: the window attaches its
// own once the fill is complete, so that styling them here feeds nothing back.
TTimeGraphFill FillTimeGraphSeries(const TAQVData& data, TChartModel& chart,
                                   TChartReferences& references, bool recompute);

// Sets the X and Y axis titles (each only while its title is automatic) from the mode and the
// unit labels.
void SetTimeGraphAxisTitles(const TAQVData& data, TChartModel& chart);

// After an axes reset: the chart title and the logarithmic state of both axes from the modes
// and what the fill found; a non-positive time or drawdown switches the document to the
// matching linear axis.
void ResetTimeGraphAxes(TAQVData& data, TChartModel& chart, const TTimeGraphFill& fill);

// The automatic Y minimum: a minimum the person fixed stays while the value axis keeps its
// mode and the smallest value is not below it; otherwise the minimum is automatic again (at
// 0.0001 on a logarithmic drawdown axis whose smallest value is below that).
void ApplyTimeGraphYMinimum(TAQVData& data, TChartModel& chart, const TTimeGraphFill& fill);

// Lays the series formats that the data file kept onto the chart's series, keeps them as the
// document's curve styles and forgets them. Observed data keep their own marker where the file's
// would draw none.
void ApplySavedSeriesFormats(TAQVData& data, TChartModel& chart);

// Stores a series' line (computed curve) or marker (observed data, outside well-flux mode)
// into the document's curve styles; series without a reference are ignored.
void StoreSeriesStyle(TAQVData& data, const TSeries& series);

// Multiplies the fixed limits and units of the X scale by factor (a change of time unit).
void ScaleTimeGraphXAxis(TChartModel& chart, double factor);

// The fixed X minimum that a switch to a logarithmic time axis puts in place of a negative one,
// by display time unit.
double LogTimeAxisMinimum(TAQVTimeUnit unit);

}  // namespace aqv

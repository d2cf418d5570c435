#include "app/TimeGraphSeries.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "model/AQVElements.h"

namespace aqv {

namespace {

// The running state of one fill: the next series index and what the plotted values showed.
struct TFillCursor {
  int Series = 0;
  TTimeGraphFill Found;

  void Note(double time, double value) {
    if (time <= 0) Found.AllTimesPositive = false;
    if (value <= 0) Found.AllValuesPositive = false;
    if (value < Found.SmallestValue) Found.SmallestValue = value;
  }
};

// The plotted value of one computed result in display units. A failed evaluation's missing
// value stays the missing value, so that no unit factor or sign turns it into a point.
double CurveValue(const TAQVData& data, double result) {
  if (result == kMissingCurveValue || !std::isfinite(result)) return kMissingValue;
  if (data.WellFluxMode()) return result * data.LengthFactorCubed() / data.TimeFactor();
  const double v = result * data.LengthFactor();
  switch (data.ValueAxis()) {
    case 0:
      return ClampMinAbs(1e-12, v);
    case 1:
      return ClampAwayFromZero(1e-6, v);
    default:
      return -ClampAwayFromZero(1e-6, v);
  }
}

// The plotted value of an observation in display units; 0 is not plotted.
double ObservedValue(const TAQVData& data, double observed) {
  const double v = observed * data.LengthFactor();
  switch (data.ValueAxis()) {
    case 0:
      return std::fabs(v);
    case 1:
      return v;
    default:
      return -v;
  }
}

TSeries* NewSeries(TChartModel& chart, TChartReferences& references, int curve, int layer,
                   int kind) {
  TSeries* series = chart.AddSeries();
  if (series == nullptr) return nullptr;
  auto reference = std::make_unique<TChartReference>();
  reference->Curve = curve;
  reference->Layer = layer;
  reference->Kind = kind;
  series->SetReference(reference.get());
  references.push_back(std::move(reference));
  return series;
}

std::string ComputedCurveName(const TAQVData& data, int curve, int selectedNumber) {
  if (data.WellFluxMode()) {
    const auto index = static_cast<std::size_t>(selectedNumber - 1);
    return index < data.CurveNames.size() ? data.CurveNames[index] : std::string();
  }
  return curve <= data.ObservationWellCount() ? data.ObservationWells[curve].Name : std::string();
}

// Puts point k of a series: added when the series is new, else only its Y replaced.
void PutPoint(TSeries& series, bool recompute, int k, double x, double y) {
  if (recompute)
    series.InsertPoint(series.GetCount(), x, y);
  else
    series.SetY(k, y, false);
}

void FillComputedCurves(const TAQVData& data, TChartModel& chart, TChartReferences& references,
                        bool recompute, TFillCursor& cursor) {
  const int layerCount = data.LowerLayer() - data.UpperLayer() + 1;
  for (int layer = data.UpperLayer(); layer <= data.LowerLayer(); ++layer) {
    int selectedNumber = 0;
    for (int c = 1; c <= 255 && cursor.Series < kMaxSeriesCount; ++c) {
      if (!data.SelectedCurves.test(static_cast<std::size_t>(c))) continue;
      ++selectedNumber;
      if (layer >= 8 || !data.CurveLayerSet(c).Contains(layer)) continue;
      TSeries* series = nullptr;
      if (recompute) {
        series = NewSeries(chart, references, c, layer, 0);
        if (series == nullptr) return;
        series->Marker().SetSize(0);
        series->SetName(ComputedCurveName(data, c, selectedNumber) +
                        "\t, layer: " + std::to_string(layer));
        TPen& pen = series->Patterns().Border();
        pen.SetColor(data.GetCurveColor(c, layer));
        pen.SetStyle(static_cast<TPenStyle>(data.GetCurvePenStyle(c, layer)));
        pen.SetWidth(data.GetCurveWidth(c, layer));
      } else {
        series = chart.Series(cursor.Series);
        if (series == nullptr) return;
      }
      for (int k = 1; k <= data.OutputTimeCount(); ++k) {
        // Row-major by output time, then layer, then the selected curve's running number.
        const long long index =
            static_cast<long long>(k - 1) * layerCount * data.CurveCount +
            static_cast<long long>(layer - data.UpperLayer()) * data.CurveCount +
            (selectedNumber - 1);
        if (index >= kMaxCurveValues || index >= static_cast<long long>(data.CurveValues.size()))
          continue;
        const double time = data.OutputTimes[static_cast<std::size_t>(k - 1)];
        const double value = CurveValue(data, data.CurveValues[static_cast<std::size_t>(index)]);
        PutPoint(*series, recompute, k - 1, time * data.TimeFactor(), value);
        if (value != kMissingValue) cursor.Note(time, value);
      }
      ++cursor.Series;
    }
  }
}

bool HasPlottableObservation(const TAQVData& data, const TObservationWell& well) {
  for (int k = 1; k <= well.ObservationCount(); ++k)
    if (well.Included[k] && ObservedValue(data, well.Observed[k]) != 0) return true;
  return false;
}

void FillObservedData(const TAQVData& data, TChartModel& chart, TChartReferences& references,
                      bool recompute, TFillCursor& cursor) {
  for (int j = 1; j <= data.ObservationWellCount() && cursor.Series < kMaxSeriesCount; ++j) {
    const TObservationWell& well = data.ObservationWells[j];
    // A well without a plottable observation gets no series at all.
    if (!well.Included[0] || !HasPlottableObservation(data, well)) continue;
    TSeries* series = nullptr;
    if (recompute) {
      series = NewSeries(chart, references, j, well.Layer, 1);
      if (series == nullptr) return;
      series->Patterns().Border().SetStyle(TPenStyle::psClear);
      series->Marker().SetColor(data.GetCurveMarkerColor(j, well.Layer));
      series->Marker().SetSize(data.GetCurveMarkerSize(j, well.Layer));
      series->Marker().SetStyle(static_cast<TMarkerStyle>(data.GetCurveMarkerStyle(j, well.Layer)));
      series->SetName(well.Name);
    } else {
      series = chart.Series(cursor.Series);
      if (series == nullptr) return;
    }
    int point = 0;
    for (int k = 1; k <= well.ObservationCount(); ++k) {
      if (!well.Included[k]) continue;
      const double value = ObservedValue(data, well.Observed[k]);
      if (value == 0) continue;
      PutPoint(*series, recompute, point++, well.Time[k] * data.TimeFactor(), value);
      if (value < 0) cursor.Found.AllValuesPositive = false;
      if (value < cursor.Found.SmallestValue) cursor.Found.SmallestValue = value;
    }
    ++cursor.Series;
  }
}

}  // namespace

TTimeGraphFill FillTimeGraphSeries(const TAQVData& data, TChartModel& chart,
                                   TChartReferences& references, bool recompute) {
  TFillCursor cursor;
  FillComputedCurves(data, chart, references, recompute, cursor);
  if (!data.WellFluxMode())
    FillObservedData(data, chart, references, recompute, cursor);
  cursor.Found.SeriesCount = cursor.Series;
  return cursor.Found;
}

TSeriesLooks KeepSeriesLooks(const TAQVData& data, const TChartModel& chart) {
  TSeriesLooks looks;
  looks.WellFluxMode = data.WellFluxMode();
  for (int i = 0; i < chart.SeriesCount(); ++i) {
    const TSeries& series = *chart.Series(i);
    if (const TChartReference* reference = series.Reference()) {
      looks.Series.push_back({reference->Curve, reference->Layer, reference->Kind,
                              series.Marker().Data(), series.Patterns().Data()});
    }
  }
  return looks;
}

void RestoreSeriesLooks(const TAQVData& data, const TSeriesLooks& looks, TChartModel& chart) {
  if (looks.WellFluxMode != data.WellFluxMode()) return;
  for (int i = 0; i < chart.SeriesCount(); ++i) {
    TSeries& series = *chart.Series(i);
    const TChartReference* reference = series.Reference();
    if (reference == nullptr) continue;
    const auto look = std::ranges::find_if(looks.Series, [reference](const TSeriesLook& kept) {
      return kept.Curve == reference->Curve && kept.Layer == reference->Layer &&
             kept.Kind == reference->Kind;
    });
    if (look == looks.Series.end()) continue;
    TPatternsData patterns = look->Patterns;
    if (reference->Kind == 0) {
      series.Marker().SetData(look->Marker, false);
      patterns.Border = series.Patterns().Border().Data();
    }
    series.Patterns().SetData(patterns, false);
  }
}

void SetTimeGraphAxisTitles(const TAQVData& data, TChartModel& chart) {
  TTitle& xTitle = chart.X_Axis.Title();
  if (xTitle.Automatic()) xTitle.SetText("Time [" + data.TimeUnitLabel() + "]");
  TTitle& yTitle = chart.Y_Axis.Title();
  if (!yTitle.Automatic()) return;
  const std::string& length = data.LengthUnitLabel();
  if (data.WellFluxMode())
    yTitle.SetText("Flux [" + length + "\u00B3/" + data.TimeUnitLabel() + "]");
  else if (data.ValueAxis() == 2)
    yTitle.SetText("Head [" + length + "]");
  else
    yTitle.SetText("Drawdown [" + length + "]");
}

void ResetTimeGraphAxes(TAQVData& data, TChartModel& chart, const TTimeGraphFill& fill) {
  if (chart.ChartTitle.Automatic()) {
    if (data.WellFluxMode())
      chart.ChartTitle.SetText("Well-face flux - time");
    else if (data.ValueAxis() == 2)
      chart.ChartTitle.SetText("Head - time");
    else
      chart.ChartTitle.SetText("Drawdown - time");
  }
  chart.X_Axis.Scale().SetLogScale(data.TimeAxis() == 0 && fill.AllTimesPositive);
  if (!fill.AllTimesPositive) data.SetTimeAxis(1);
  const bool logDrawdown = !data.WellFluxMode() && data.ValueAxis() == 0;
  chart.Y_Axis.Scale().SetLogScale(logDrawdown && fill.AllValuesPositive);
  if (logDrawdown && !fill.AllValuesPositive) data.SetValueAxis(1);
}

void ApplyTimeGraphYMinimum(TAQVData& data, TChartModel& chart, const TTimeGraphFill& fill) {
  TScale& y = chart.Y_Axis.Scale();
  const bool logDrawdown = !data.WellFluxMode() && data.ValueAxis() == 0;
  if (chart.YMinChangedByUser && data.ValueAxis() == data.LastValueAxis) {
    y.SetMinAutomatic(!(logDrawdown && fill.SmallestValue < y.Min()));
  } else {
    chart.YMinChangedByUser = false;
    data.LastValueAxis = data.ValueAxis();
    y.SetMinAutomatic(true);
    if (logDrawdown && fill.SmallestValue < 0.0001) y.SetMin(0.0001);
  }
  TScale& x = chart.X_Axis.Scale();
  if (x.Min() == 0 && data.TimeAxis() == 0) x.SetMinAutomatic(true);
}

void ApplySavedSeriesFormats(TAQVData& data, TChartModel& chart) {
  if (data.SavedSeriesMarkers.empty()) return;
  const int reach =
      static_cast<int>(std::min(data.SavedSeriesMarkers.size(), data.SavedSeriesPatterns.size()));
  // The formats become the document's curve styles too, from which every later fill builds the
  // series; they are what the file already holds, so the document stays as saved as it was.
  const bool saved = data.Saved;
  for (int i = 0; i < reach && i < chart.SeriesCount(); ++i) {
    TSeries* series = chart.Series(i);
    const TMarker& marker = *data.SavedSeriesMarkers[static_cast<std::size_t>(i)];
    // Observed data are drawn by their markers alone. A saved marker that draws nothing in the
    // place of observed data was a computed curve's in a graph built otherwise (saved before it
    // was brought up to date); as their style it would hide the observations for good.
    const bool observed = series->Reference() != nullptr && series->Reference()->Kind == 1;
    if (!observed || marker.Size() > 0) series->Marker().Assign(marker);
    series->Patterns().Assign(*data.SavedSeriesPatterns[static_cast<std::size_t>(i)]);
    StoreSeriesStyle(data, *series);
  }
  data.Saved = saved;
  data.SavedSeriesMarkers.clear();
  data.SavedSeriesPatterns.clear();
}

void StoreSeriesStyle(TAQVData& data, const TSeries& series) {
  const TChartReference* reference = series.Reference();
  if (reference == nullptr) return;
  const int c = reference->Curve, layer = reference->Layer;
  if (reference->Kind == 0) {
    const TPen& pen = series.Patterns().Border();
    data.SetCurveColor(c, layer, pen.Color());
    data.SetCurvePenStyle(c, layer, static_cast<std::uint8_t>(pen.Style()));
    data.SetCurveWidth(c, layer, pen.Width());
  } else if (!data.WellFluxMode()) {
    const TMarker& marker = series.Marker();
    data.SetCurveMarkerColor(c, layer, marker.Color());
    data.SetCurveMarkerSize(c, layer, marker.Size());
    data.SetCurveMarkerStyle(c, layer, static_cast<std::uint8_t>(marker.Style()));
  }
}

void ScaleTimeGraphXAxis(TChartModel& chart, double factor) {
  TScale& x = chart.X_Axis.Scale();
  if (!x.MinAutomatic()) x.SetMin(x.Min() * factor);
  if (!x.MaxAutomatic()) x.SetMax(x.Max() * factor);
  if (!x.MajorUnitAutomatic()) x.SetMajorUnit(x.MajorUnit() * factor);
  if (!x.MinorUnitAutomatic()) x.SetMinorUnit(x.MinorUnit() * factor);
}

double LogTimeAxisMinimum(TAQVTimeUnit unit) {
  switch (unit) {
    case TAQVTimeUnit::tuSeconds:
      return 0.1;
    case TAQVTimeUnit::tuMinutes:
      return 0.001;
    case TAQVTimeUnit::tuHours:
      return 0.0001;
    case TAQVTimeUnit::tuDays:
      return 1e-6;
    case TAQVTimeUnit::tuYears:
      return 1e-8;
  }
  return 1e-6;
}

}  // namespace aqv

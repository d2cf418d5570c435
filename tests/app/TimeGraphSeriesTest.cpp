#include <gtest/gtest.h>

#include "app/TimeGraphSeries.h"
#include "tests/support/DocumentTest.h"

namespace aqv::test {
namespace {

class TimeGraphSeriesTest : public TDocumentTest {
 protected:
  TTimeGraphFill Fill(bool recompute) {
    if (recompute) {
      mChart.ClearSeries();
      mReferences.clear();
    }
    return FillTimeGraphSeries(*mData, mChart, mReferences, recompute);
  }
  // Curve values of the selected curves given by hand: count output times at 1, 2, ... days.
  void GiveCurves(int curveCount, int timeCount, double value) {
    mData->SelectedCurves.reset();
    for (int c = 1; c <= curveCount; ++c) mData->SelectedCurves.set(static_cast<std::size_t>(c));
    mData->CurveCount = curveCount;
    mData->OutputTimes.clear();
    for (int k = 1; k <= timeCount; ++k) mData->OutputTimes.push_back(k);
    mData->CurveValues.assign(kMaxCurveValues, value);
  }
  TChartModel mChart;
  TChartReferences mReferences;
};

TEST_F(TimeGraphSeriesTest, ComputedCurvesComeFirstThenTheObservedWells) {
  mData->BuildCurveTimes();
  // Styles of the document's own, none of them a default.
  mData->SetCurveColor(1, 1, clRed);
  mData->SetCurvePenStyle(1, 1, static_cast<std::uint8_t>(TPenStyle::psDash));
  mData->SetCurveWidth(1, 1, 3);
  mData->SetCurveMarkerColor(1, 1, clBlue);
  mData->SetCurveMarkerStyle(1, 1, static_cast<std::uint8_t>(TMarkerStyle::msTriangle));
  mData->SetCurveMarkerSize(1, 1, 9);
  const TTimeGraphFill fill = Fill(true);

  ASSERT_EQ(fill.SeriesCount, 2);
  ASSERT_EQ(mChart.SeriesCount(), 2);
  const TSeries& curve = *mChart.Series(0);
  EXPECT_EQ(curve.Reference()->Kind, 0);
  EXPECT_EQ(curve.Name(), mData->ObservationWells[1].Name + "\t, layer: 1");
  EXPECT_EQ(curve.Marker().Size(), 0);
  EXPECT_EQ(curve.GetCount(), mData->OutputTimeCount());
  const TPen& pen = curve.Patterns().Border();
  EXPECT_EQ(std::tuple(pen.Color(), pen.Style(), pen.Width()),
            std::tuple(clRed, TPenStyle::psDash, 3));
  const TSeries& observed = *mChart.Series(1);
  EXPECT_EQ(observed.Reference()->Kind, 1);
  EXPECT_EQ(observed.Patterns().Border().Style(), TPenStyle::psClear);
  EXPECT_EQ(observed.Marker().Data(), (TMarkerData{clBlue, 9, TMarkerStyle::msTriangle}));
  EXPECT_EQ(observed.GetCount(), mData->ObservationWells[1].ObservationCount());
  EXPECT_TRUE(fill.AllTimesPositive);
}

TEST_F(TimeGraphSeriesTest, AnUpdateWithoutRecomputingReplacesOnlyTheValues) {
  GiveCurves(1, 5, 0.5);
  Fill(true);
  mData->CurveValues.assign(kMaxCurveValues, 0.25);
  TObservationWell& well = mData->ObservationWells[1];
  for (int k = 1; k <= well.ObservationCount(); ++k) well.Observed[k] = 0.75;
  Fill(false);
  ASSERT_EQ(mChart.SeriesCount(), 2);
  EXPECT_EQ(mChart.Series(0)->GetCount(), 5);
  EXPECT_DOUBLE_EQ(mChart.Series(0)->GetY(4), 0.25);
  EXPECT_DOUBLE_EQ(mChart.Series(0)->GetX(4), 5.0);
  // The observed data follow as well.
  const TSeries& observed = *mChart.Series(1);
  ASSERT_GT(observed.GetCount(), 0);
  EXPECT_DOUBLE_EQ(observed.GetY(observed.GetCount() - 1), 0.75);
}

TEST_F(TimeGraphSeriesTest, ResultsBeyondTheResultTableAddNoPoint) {
  // Two curves at 30000 times need 60000 results; only the first 50000 exist.
  GiveCurves(2, 30000, 0.5);
  mData->SetObservationWellCount(2);
  mData->GroupCoincidentWells();
  Fill(true);
  EXPECT_EQ(mChart.Series(0)->GetCount(), 25000);
  EXPECT_EQ(mChart.Series(1)->GetCount(), 25000);
}

TEST_F(TimeGraphSeriesTest, EachAquiferOfTheRangeTakesItsOwnCurveValues) {
  mData->SetAquiferCount(2);
  mData->SetObservationWellCount(2);
  mData->ObservationWells[2].Layer = 2;
  mData->AssignCurveStyles();
  mData->SetLowerLayer(2);
  GiveCurves(2, 3, 0);
  // By time, then aquifer, then curve: well 1 in aquifer 1 takes 1, 5, 9; well 2 in 2, 4, 8, 12.
  for (int i = 0; i < 12; ++i) mData->CurveValues[static_cast<std::size_t>(i)] = i + 1;
  Fill(true);
  ASSERT_GE(mChart.SeriesCount(), 2);
  EXPECT_EQ(mChart.Series(0)->Name(), mData->ObservationWells[1].Name + "\t, layer: 1");
  EXPECT_EQ(mChart.Series(0)->GetY(2), 9);
  EXPECT_EQ(mChart.Series(1)->Name(), mData->ObservationWells[2].Name + "\t, layer: 2");
  EXPECT_EQ(mChart.Series(1)->GetY(2), 12);
}

TEST_F(TimeGraphSeriesTest, ObservedZerosAreNotPlottedAndAWellWithoutPointsGetsNoSeries) {
  GiveCurves(1, 3, 0.5);
  TObservationWell& well = mData->ObservationWells[1];
  for (int k = 1; k <= well.ObservationCount(); ++k) well.Observed[k] = 0;
  Fill(true);
  EXPECT_EQ(mChart.SeriesCount(), 1);
}

TEST_F(TimeGraphSeriesTest, MissingValueOfAFailedTimeStaysMissingInEveryMode) {
  GiveCurves(1, 3, kMissingCurveValue);
  for (int mode : {0, 1, 2}) {
    mData->SetValueAxis(mode);
    Fill(true);
    EXPECT_EQ(mChart.Series(0)->GetY(0), kMissingValue) << "mode " << mode;
  }
  mData->SetWellFluxMode(true);
  mData->CollectCurveNames();
  Fill(true);
  EXPECT_EQ(mChart.Series(0)->GetY(0), kMissingValue);
}

TEST_F(TimeGraphSeriesTest, HeadModePlotsNegativeDrawdownsWithItsTitles) {
  GiveCurves(1, 3, 0.5);
  mData->SetValueAxis(2);
  const TTimeGraphFill fill = Fill(true);
  EXPECT_DOUBLE_EQ(mChart.Series(0)->GetY(0), -0.5);
  EXPECT_FALSE(fill.AllValuesPositive);
  SetTimeGraphAxisTitles(*mData, mChart);
  ResetTimeGraphAxes(*mData, mChart, fill);
  EXPECT_EQ(mChart.Y_Axis.Title().Text(), "Head [m]");
  EXPECT_EQ(mChart.X_Axis.Title().Text(), "Time [d]");
  EXPECT_EQ(mChart.ChartTitle.Text(), "Head - time");
  EXPECT_FALSE(mChart.Y_Axis.Scale().LogScale());
}

TEST_F(TimeGraphSeriesTest, NonPositiveTimeOrDrawdownFallsBackToLinearAxes) {
  TTimeGraphFill fill;
  fill.AllTimesPositive = false;
  fill.AllValuesPositive = false;
  ResetTimeGraphAxes(*mData, mChart, fill);
  EXPECT_EQ(mData->TimeAxis(), 1);
  EXPECT_EQ(mData->ValueAxis(), 1);
  EXPECT_FALSE(mChart.X_Axis.Scale().LogScale());
  EXPECT_FALSE(mChart.Y_Axis.Scale().LogScale());
}

TEST_F(TimeGraphSeriesTest, FixedYMinimumStaysOnlyWhileTheValueAxisKeepsItsMode) {
  TTimeGraphFill fill;
  fill.SmallestValue = 0.01;
  TScale& y = mChart.Y_Axis.Scale();
  y.SetMinAutomatic(false);
  y.SetMin(0.1);
  mChart.YMinChangedByUser = true;
  ApplyTimeGraphYMinimum(*mData, mChart, fill);
  EXPECT_FALSE(y.MinAutomatic());

  mData->SetValueAxis(1);
  ApplyTimeGraphYMinimum(*mData, mChart, fill);
  EXPECT_TRUE(y.MinAutomatic());
  EXPECT_FALSE(mChart.YMinChangedByUser);
}

TEST_F(TimeGraphSeriesTest, SeriesFormatsGoBackIntoTheCurveStyles) {
  GiveCurves(1, 3, 0.5);
  Fill(true);
  mChart.Series(0)->Patterns().Border().SetColor(clRed);
  mChart.Series(1)->Marker().SetSize(11);
  StoreSeriesStyle(*mData, *mChart.Series(0));
  StoreSeriesStyle(*mData, *mChart.Series(1));
  EXPECT_EQ(mData->GetCurveColor(1, 1), clRed);
  EXPECT_EQ(mData->GetCurveMarkerSize(1, 1), 11);
  EXPECT_FALSE(mData->Saved);
}

// The series formats of a file were laid on the chart only: the next recalculation built the
// series from the document's default styles again, and a save wrote those. What the document
// does not hold (a computed curve's markers, the observed data's line) was lost as well.
TEST_F(TimeGraphSeriesTest, FileSeriesFormatsSurviveTheNextRecalculation) {
  GiveCurves(1, 3, 0.5);
  const TMarkerData lineMarkerData{clRed, 8, TMarkerStyle::msTriangle};
  for (const TMarkerData& marker :
       {lineMarkerData, TMarkerData{clFuchsia, 9, TMarkerStyle::msTriangle}}) {
    mData->SavedSeriesMarkers.push_back(std::make_unique<TMarker>());
    mData->SavedSeriesMarkers.back()->SetData(marker);
    mData->SavedSeriesPatterns.push_back(std::make_unique<TPatterns>());
  }
  TPen& line = mData->SavedSeriesPatterns[0]->Border();
  line.SetColor(clRed);
  line.SetStyle(TPenStyle::psDash);
  line.SetWidth(3);
  mData->SavedSeriesPatterns[1]->Border().SetStyle(TPenStyle::psDot);
  const TPatternsData pointsData = mData->SavedSeriesPatterns[1]->Data();
  mData->Saved = true;
  Fill(true);
  ApplySavedSeriesFormats(*mData, mChart);
  EXPECT_TRUE(mData->SavedSeriesMarkers.empty());
  EXPECT_TRUE(mData->Saved);  // what the file holds is no change

  const TSeriesLooks looks = KeepSeriesLooks(*mData, mChart);
  mData->SetCurveWidth(1, 1, 4);  // a width chosen meanwhile, in the document
  Fill(true);
  RestoreSeriesLooks(*mData, looks, mChart);
  const TPen& pen = mChart.Series(0)->Patterns().Border();
  EXPECT_EQ(std::tuple(pen.Color(), pen.Style(), pen.Width()),
            std::tuple(clRed, TPenStyle::psDash, 4));
  EXPECT_EQ(mChart.Series(0)->Marker().Data(), lineMarkerData);
  EXPECT_EQ(mChart.Series(1)->Marker().Data(),
            (TMarkerData{clFuchsia, 9, TMarkerStyle::msTriangle}));
  EXPECT_EQ(mChart.Series(1)->Patterns().Data(), pointsData);
  // A file's marker that draws nothing, in the place of observed data, would hide them for good.
  for (const int size : {6, 0}) {
    mData->SavedSeriesMarkers.push_back(std::make_unique<TMarker>());
    mData->SavedSeriesMarkers.back()->SetSize(size);
    mData->SavedSeriesPatterns.push_back(std::make_unique<TPatterns>());
  }
  Fill(true);
  ApplySavedSeriesFormats(*mData, mChart);
  EXPECT_EQ(std::tuple(mChart.Series(0)->Marker().Size(), mChart.Series(1)->Marker().Size()),
            std::tuple(6, 9));
  // In well-flux mode curve 1 is a pumping well: the observation well's look is not its own.
  mData->SetWellFluxMode(true);
  Fill(true);
  RestoreSeriesLooks(*mData, looks, mChart);
  EXPECT_EQ(mChart.Series(0)->Marker().Size(), 0);
}

TEST(TimeGraphAxes, LogarithmicTimeAxisMinimumPerUnit) {
  EXPECT_EQ(LogTimeAxisMinimum(TAQVTimeUnit::tuDays), 1e-6);
  EXPECT_EQ(LogTimeAxisMinimum(TAQVTimeUnit::tuSeconds), 0.1);
  TChartModel chart;
  TScale& x = chart.X_Axis.Scale();
  x.SetMinAutomatic(false);
  x.SetMin(2);
  ScaleTimeGraphXAxis(chart, 24);
  EXPECT_EQ(x.Min(), 48);
}

}  // namespace
}  // namespace aqv::test

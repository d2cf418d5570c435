#include <gtest/gtest.h>

#include <memory>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

class DerivedDataTest : public test::TDocumentTest {
 protected:
  // Two observation wells at one place, observing aquifers 1 and 2 of a two-aquifer system.
  void MakeCoincidentPair() {
    TAQVData& d = *mData;
    d.SetAquiferCount(2);
    d.SetObservationWellCount(2);
    d.ObservationWells[2].X = d.ObservationWells[1].X;
    d.ObservationWells[2].Y = d.ObservationWells[1].Y;
    d.ObservationWells[2].Layer = 2;
    d.GroupCoincidentWells();
    d.AssignCurveStyles();
    d.SelectCurves();
  }
};

TEST_F(DerivedDataTest, CoincidentWellsInTwoAquifersDrawOneCurve) {
  MakeCoincidentPair();
  TAQVData& d = *mData;
  EXPECT_TRUE(d.ObservationWells[1].OwnCurve);
  EXPECT_FALSE(d.ObservationWells[2].OwnCurve);
  EXPECT_EQ(d.CurveCount, 1);
  EXPECT_TRUE(d.SelectedCurves.test(1));
  const TByteSet layers = d.CurveLayerSet(1);
  EXPECT_TRUE(layers.Contains(1));
  EXPECT_TRUE(layers.Contains(2));
  EXPECT_EQ(d.UpperLayer(), 1);
  EXPECT_EQ(d.LowerLayer(), 2);
  // The second well's style in aquifer 2 is reached through curve 1.
  EXPECT_EQ(d.CurveOwner(1, 2), 2);
  d.SetCurveColor(1, 2, clPurple);
  EXPECT_EQ(d.ObservationWells[2].CurveColor[2], clPurple);
  EXPECT_EQ(d.GetCurveColor(1, 2), clPurple);
  EXPECT_NE(d.ObservationWells[1].CurveColor[2], clPurple);
}

TEST_F(DerivedDataTest, ExcludingFirstCoincidentWellGivesSecondItsOwnCurve) {
  MakeCoincidentPair();
  TAQVData& d = *mData;
  d.ObservationWells[1].Included[0] = false;
  d.GroupCoincidentWells();
  d.SelectCurves();
  EXPECT_TRUE(d.ObservationWells[2].OwnCurve);
  EXPECT_EQ(d.CurveCount, 1);
  EXPECT_TRUE(d.SelectedCurves.test(2));
  EXPECT_EQ(d.UpperLayer(), 2);
}

TEST_F(DerivedDataTest, ChangingACurveStyleAsksToSaveOnClose) {
  TAQVData& d = *mData;
  d.Saved = true;
  d.SetCurveWidth(1, 1, 5);
  EXPECT_FALSE(d.Saved);
}

TEST_F(DerivedDataTest, StyleAccessorsIgnoreCurvesOutsideTheTables) {
  TAQVData& d = *mData;
  d.SetCurveColor(9, 1, clRed);
  d.SetCurveColor(1, 3, clRed);
  d.SetCurveColor(0, 0, clRed);
  EXPECT_NE(d.ObservationWells[1].CurveColor[1], clRed);
  EXPECT_EQ(d.GetCurveWidth(9, 1), 0);
}

TEST_F(DerivedDataTest, CurveColoursCycleAfterFourteen) {
  TAQVData& d = *mData;
  d.SetAquiferCount(2);
  // 2 pumping wells in both aquifers take colours 1..4; observation wells count from 1 again.
  d.SetPumpingWellCount(2);
  for (int w = 1; w <= 2; ++w) d.PumpingWells[w].Screened.Fill(true);
  d.AssignCurveStyles();
  EXPECT_EQ(d.PumpingWells[1].CurveColor[1], clBlack);
  EXPECT_EQ(d.PumpingWells[1].CurveColor[2], clRed);
  EXPECT_EQ(d.PumpingWells[2].CurveColor[1], clLime);
  EXPECT_EQ(d.PumpingWells[2].CurveColor[2], clBlue);
  EXPECT_EQ(d.PumpingWells[2].CurveWidth[2], 2);
  EXPECT_EQ(d.PumpingWells[2].MarkerSize[2], 6);
  EXPECT_EQ(d.PumpingWells[2].MarkerStyle[2], 3);
  EXPECT_EQ(d.PumpingWells[2].MarkerColor[2], clBlue);
  EXPECT_EQ(d.PumpingWells[2].PenStyle[2], static_cast<std::uint8_t>(TPenStyle::psSolid));
  EXPECT_EQ(d.ObservationWells[1].CurveColor[1], clBlack);
  // The fourteen colours in order, then black again for the fifteenth.
  const TColor expected[] = {clBlack,  clRed,   clLime,  clBlue, clFuchsia, clAqua, clGray,
                             clMaroon, clGreen, clOlive, clNavy, clPurple,  clTeal, clSilver};
  for (int k = 1; k <= 14; ++k) EXPECT_EQ(d.DefaultCurveColor(k), expected[k - 1]) << k;
}

TEST_F(DerivedDataTest, FitListHoldsIncludedObservationsOfIncludedWells) {
  TAQVData& d = *mData;
  d.SetObservationWellCount(3);
  d.SetObservationCount(1, 3);
  d.ObservationWells[1].Included[2] = false;
  d.ObservationWells[2].Included[0] = false;
  d.ObservationWells[3].Time[1] = 7;
  d.CollectIncludedObservations();
  EXPECT_EQ(d.FitCount(), 2 + 2);
  EXPECT_EQ(d.FitName[3], "Observation well 3");
  EXPECT_EQ(d.FitTime[3], 7);
  EXPECT_EQ(d.FitX[3], 30);
}

// Two wells, whose centre rounds halves to even, are checked through the well cells.
TEST_F(DerivedDataTest, WellCentreOfOneWellIsTheWell) {
  TAQVData& d = *mData;
  d.PumpingWells[1].X = 123;
  d.PumpingWells[1].Y = 456;
  d.ComputeWellCentre();
  EXPECT_EQ(d.WellCentreX, 123);
  EXPECT_EQ(d.WellCentreY, 456);
}

TEST_F(DerivedDataTest, MapDefaultsFollowTheLeakageFactor) {
  TAQVData& d = *mData;
  d.ComputeWellCentre();
  d.ComputeMapDefaults();
  EXPECT_EQ(d.MapRadius, 1500);
  EXPECT_EQ(d.ModelRadius, 5700);
  EXPECT_EQ(d.ModelLength, 11400);
  // Very leaky systems are capped at 2500 m.
  d.Resistance[1] = d.Resistance[2] = 1e9;
  d.ComputeMapDefaults();
  EXPECT_EQ(d.MapRadius, 2600);
  EXPECT_EQ(d.ModelRadius, 10000);
}

TEST_F(DerivedDataTest, WellExtentsAndLatestTime) {
  TAQVData& d = *mData;
  d.SetObservationWellCount(3);
  d.ObservationWells[2].X = -40;
  d.PumpingWells[1].StartTime[1] = 0;
  d.ObservationWells[3].SetObservationCount(2);
  d.ObservationWells[3].Time[2] = 12.5;
  EXPECT_EQ(d.MaxWellX(), 30);
  EXPECT_EQ(d.MinWellX(), -40);
  EXPECT_EQ(d.MinWellY(), 0);
  EXPECT_EQ(d.LatestTime(), 12.5);
}

TEST_F(DerivedDataTest, PumpingWellAtPointNeedsScreenAndRadius) {
  TAQVData& d = *mData;
  EXPECT_EQ(d.PumpingWellAtPoint(1, 0.05, 0), 1);
  EXPECT_EQ(d.PumpingWellAtPoint(1, 0.2, 0), -1);
  d.SetAquiferCount(2);
  EXPECT_EQ(d.PumpingWellAtPoint(2, 0.05, 0), -1);
  EXPECT_EQ(d.PumpingWellAtPoint(3, 0, 0), -1);
}

TEST_F(DerivedDataTest, WellFluxModeSelectsIncludedPumpingWells) {
  TAQVData& d = *mData;
  d.SetPumpingWellCount(2);
  d.PumpingWells[1].Included[0] = false;
  d.SetWellFluxMode(true);
  EXPECT_EQ(d.CurveCount, 1);
  EXPECT_TRUE(d.SelectedCurves.test(2));
  EXPECT_EQ(d.CurveOwner(2, 1), 2);
}

}  // namespace
}  // namespace aqv

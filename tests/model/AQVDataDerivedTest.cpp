#include <gtest/gtest.h>

#include <tuple>

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
    TObservationWell& second = d.ObservationWells[2];
    std::tie(second.X, second.Y, second.Layer) =
        std::tuple(d.ObservationWells[1].X, d.ObservationWells[1].Y, 2);
    d.GroupCoincidentWells();
    d.AssignCurveStyles();
    d.SelectCurves();
  }
};

TEST_F(DerivedDataTest, CoincidentWellsInTwoAquifersDrawOneCurve) {
  MakeCoincidentPair();
  TAQVData& d = *mData;
  EXPECT_EQ(std::tuple(d.ObservationWells[1].OwnCurve, d.ObservationWells[2].OwnCurve),
            std::tuple(true, false));
  EXPECT_EQ(std::tuple(d.CurveCount, d.SelectedCurves.test(1)), std::tuple(1, true));
  const TByteSet layers = d.CurveLayerSet(1);
  EXPECT_TRUE(layers.Contains(1) && layers.Contains(2));
  EXPECT_EQ(std::tuple(d.UpperLayer(), d.LowerLayer()), std::tuple(1, 2));
  // The second well's style in aquifer 2 is reached through curve 1.
  EXPECT_EQ(d.CurveOwner(1, 2), 2);
  d.SetCurveColor(1, 2, clPurple);
  EXPECT_EQ(std::tuple(d.ObservationWells[2].CurveColor[2], d.GetCurveColor(1, 2)),
            std::tuple(clPurple, clPurple));
  EXPECT_NE(d.ObservationWells[1].CurveColor[2], clPurple);
}

TEST_F(DerivedDataTest, ExcludingFirstCoincidentWellGivesSecondItsOwnCurve) {
  MakeCoincidentPair();
  TAQVData& d = *mData;
  d.ObservationWells[1].Included[0] = false;
  d.GroupCoincidentWells();
  d.SelectCurves();
  EXPECT_EQ(std::tuple(d.ObservationWells[2].OwnCurve, d.CurveCount, d.SelectedCurves.test(2),
                       d.UpperLayer()),
            std::tuple(true, 1, true, 2));
}

TEST_F(DerivedDataTest, StyleAccessorsIgnoreCurvesOutsideTheTablesAndAChangeAsksToSaveOnClose) {
  TAQVData& d = *mData;
  d.Saved = true;
  d.SetCurveWidth(1, 1, 5);
  EXPECT_FALSE(d.Saved);
  for (const auto& [curve, layer] : {std::pair{9, 1}, {1, 3}, {0, 0}})
    d.SetCurveColor(curve, layer, clRed);
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
  const TPumpingWell &first = d.PumpingWells[1], &second = d.PumpingWells[2];
  EXPECT_EQ(std::tuple(first.CurveColor[1], first.CurveColor[2], second.CurveColor[1],
                       second.CurveColor[2]),
            std::tuple(clBlack, clRed, clLime, clBlue));
  EXPECT_EQ(std::tuple(second.CurveWidth[2], second.MarkerSize[2], second.MarkerStyle[2],
                       second.MarkerColor[2], second.PenStyle[2]),
            std::tuple(2, 6, 3, clBlue, static_cast<std::uint8_t>(TPenStyle::psSolid)));
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
  d.ObservationWells[1].Included[2] = d.ObservationWells[2].Included[0] = false;
  d.ObservationWells[3].Time[1] = 7;
  d.CollectIncludedObservations();
  EXPECT_EQ(std::tuple(d.FitCount(), d.FitName[3], d.FitTime[3], d.FitX[3]),
            std::tuple(2 + 2, "Observation well 3", 7, 30));
}

TEST_F(DerivedDataTest, MapDefaultsFollowTheLeakageFactor) {
  TAQVData& d = *mData;
  d.ComputeWellCentre();
  d.ComputeMapDefaults();
  EXPECT_EQ(std::tuple(d.MapRadius, d.ModelRadius, d.ModelLength), std::tuple(1500, 5700, 11400));
  // Very leaky systems are capped at 2500 m.
  d.Resistance[1] = d.Resistance[2] = 1e9;
  d.ComputeMapDefaults();
  EXPECT_EQ(std::tuple(d.MapRadius, d.ModelRadius), std::tuple(2600, 10000));
}

TEST_F(DerivedDataTest, WellExtentsLatestTimeAndTheCentreOfOneWell) {
  TAQVData& d = *mData;
  d.SetObservationWellCount(3);
  std::tie(d.ObservationWells[2].X, d.PumpingWells[1].StartTime[1]) = std::tuple(-40, 0);
  d.ObservationWells[3].SetObservationCount(2);
  d.ObservationWells[3].Time[2] = 12.5;
  EXPECT_EQ(std::tuple(d.MaxWellX(), d.MinWellX(), d.MinWellY(), d.LatestTime()),
            std::tuple(30, -40, 0, 12.5));
  // The centre of one well is the well; two, whose centre rounds halves to even, are checked
  // through the well cells.
  std::tie(d.PumpingWells[1].X, d.PumpingWells[1].Y) = std::tuple(123, 456);
  d.ComputeWellCentre();
  EXPECT_EQ(std::tuple(d.WellCentreX, d.WellCentreY), std::tuple(123, 456));
}

TEST_F(DerivedDataTest, PumpingWellAtPointNeedsScreenAndRadius) {
  TAQVData& d = *mData;
  EXPECT_EQ(std::tuple(d.PumpingWellAtPoint(1, 0.05, 0), d.PumpingWellAtPoint(1, 0.2, 0)),
            std::tuple(1, -1));
  d.SetAquiferCount(2);
  EXPECT_EQ(std::tuple(d.PumpingWellAtPoint(2, 0.05, 0), d.PumpingWellAtPoint(3, 0, 0)),
            std::tuple(-1, -1));
}

TEST_F(DerivedDataTest, WellFluxModeSelectsIncludedPumpingWells) {
  TAQVData& d = *mData;
  d.SetPumpingWellCount(2);
  d.PumpingWells[1].Included[0] = false;
  d.SetWellFluxMode(true);
  EXPECT_EQ(std::tuple(d.CurveCount, d.SelectedCurves.test(2), d.CurveOwner(2, 1)),
            std::tuple(1, true, 2));
}

}  // namespace
}  // namespace aqv

#include "model/AQVData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tests/support/FakeUserInterface.h"

namespace aqv {
namespace {

class TAQVDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mData = std::make_unique<TAQVData>(&mUi);
  }
  test::TFakeUserInterface mUi;
  std::unique_ptr<TAQVData> mData;
};

TEST_F(TAQVDataTest, NewDocumentHoldsOneTestWithDefaults) {
  const TAQVData& d = *mData;
  EXPECT_EQ(d.AquiferCount(), 1);
  EXPECT_EQ(d.RowCount(), 3);
  EXPECT_EQ(d.PumpingWellCount(), 1);
  const TPumpingWell& p = d.PumpingWells[1];
  EXPECT_EQ(p.Name, "Pumping well 1");
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.Y, 0);
  EXPECT_EQ(p.PeriodCount(), 1);
  EXPECT_EQ(p.StartTime[1], 0);
  EXPECT_EQ(p.Discharge[1], 800);
  EXPECT_TRUE(p.Screened[1]);
  EXPECT_FALSE(p.Screened[2]);
  EXPECT_EQ(d.ObservationWellCount(), 1);
  const TObservationWell& o = d.ObservationWells[1];
  EXPECT_EQ(o.Name, "Observation well 1");
  EXPECT_EQ(o.X, 10);
  EXPECT_EQ(o.Y, 10);
  EXPECT_EQ(o.Layer, 1);
  EXPECT_EQ(o.ObservationCount(), 2);
  EXPECT_EQ(o.Time[1], 1);
  EXPECT_EQ(o.Observed[2], 0.1);
  EXPECT_EQ(d.LengthUnit(), TAQVLengthUnit::luMeters);
  EXPECT_EQ(d.TimeUnit(), TAQVTimeUnit::tuDays);
  EXPECT_EQ(d.TimeUnitLabel(), "d");
  EXPECT_TRUE(d.Modified());
  EXPECT_FALSE(d.CurvesValid);
  EXPECT_TRUE(d.AllChanged);
  EXPECT_TRUE(d.CurvesStale);
  EXPECT_TRUE(d.UnitsChanged);
  EXPECT_FALSE(d.Saved);
  EXPECT_EQ(d.FitCount(), 2);
  EXPECT_EQ(d.CurveCount, 1);
  EXPECT_EQ(d.UpperLayer(), 1);
  EXPECT_EQ(d.LowerLayer(), 1);
}

TEST_F(TAQVDataTest, LayerAndSettingDefaults) {
  const TAQVData& d = *mData;
  for (int i = 1; i <= kMaxLayers; ++i) {
    EXPECT_EQ(d.T[i], 1000);
    EXPECT_EQ(d.Kh[i], 1000);
    EXPECT_EQ(d.D[i], 1);
    EXPECT_EQ(d.S[i], 0.001);
    EXPECT_EQ(d.Resistance[i], 1000);
    EXPECT_EQ(d.Kv[i], 0.001);
    EXPECT_EQ(d.SAquitard[i], 0);
    EXPECT_EQ(d.TCode[i], kNoMark);
  }
  EXPECT_FALSE(d.TopAquitardImpervious());
  EXPECT_TRUE(d.BottomAquitardImpervious());
  EXPECT_FALSE(d.TopAquitardAbsent());
  EXPECT_EQ(d.StartingTime(), 0.001);
  EXPECT_EQ(d.StoppingTime(), 1000);
  EXPECT_EQ(d.StehfestTerms(), 10);
  EXPECT_EQ(d.TimesPerLogCycle(), 10);
  EXPECT_TRUE(d.LinearResiduals());
  EXPECT_EQ(d.AbsStoppingCriterion, 0.0001);
  EXPECT_EQ(d.MaxIterations, 100);
  EXPECT_EQ(d.InitialLambda, 0.01);
  EXPECT_EQ(d.ContourInterval(), 0.01);
  EXPECT_DOUBLE_EQ(d.MinContour(), -0.1);
  EXPECT_DOUBLE_EQ(d.MaxContour(), 0.1);
  EXPECT_EQ(d.TimeSteps(), 50);
  EXPECT_EQ(d.AnimationEndTime(), 10);
  EXPECT_EQ(d.MeshDensity, 3);
  EXPECT_EQ(d.BackgroundTransparency, 50);
  EXPECT_EQ(d.BackgroundColor, clWhite);
  EXPECT_EQ(d.ReportTitles[3], "For  Unsteady-State  Flow  in  Multiple-Aquifer  Systems");
  EXPECT_EQ(d.InfoTexts[1], "");
  EXPECT_EQ(d.InfoTexts[5], " ");
  EXPECT_EQ(d.InfoTexts[14], " ");
  EXPECT_EQ(d.InfoTexts[8], "");
  EXPECT_EQ(d.CurveValues.size(), static_cast<std::size_t>(kMaxCurveValues));
  EXPECT_EQ(d.Jacobian.size(), static_cast<std::size_t>(kMaxFitObservations * kMaxParameters));
}

TEST_F(TAQVDataTest, HiddenWellsKeepTheirDefaultsForWhenCountsRise) {
  EXPECT_EQ(mData->PumpingWells[2].Name, "Pumping well 2");
  EXPECT_EQ(mData->PumpingWells[2].X, 0);
  EXPECT_EQ(mData->PumpingWells[2].StartTime[3], 2);
  EXPECT_EQ(mData->ObservationWells[3].X, 30);
  EXPECT_EQ(mData->ObservationWells[3].Y, 30);
  EXPECT_EQ(mData->ObservationWells[5].Name, "Observation well 5");
  EXPECT_EQ(mData->ObservationWells[5].ObservationCount(), 2);
}

TEST_F(TAQVDataTest, ResetRestoresEditedDocumentAndFiresOncePerReset) {
  int changes = 0;
  mData->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, mData.get());
    ++changes;
  };
  mData->TextBoxes.push_back(std::make_unique<TAQVTextBoxRecord>());
  mData->SelectedTextBox = mData->TextBoxes.back().get();
  mData->SetAquiferCount(2);
  mData->PumpingWells[1].Name = "PW";
  mData->SetWellFluxMode(true);
  mData->BackgroundFiles.push_back({true, "a.png"});
  changes = 0;
  mData->ResetToDefaults();
  // Setters inside the reset may announce their own change; the reset's own ends the list.
  const int first = changes;
  mData->ResetToDefaults();
  EXPECT_EQ(changes - first, 1) << "an unchanged document fires exactly once per reset";
  EXPECT_TRUE(mData->TextBoxes.empty());
  EXPECT_EQ(mData->SelectedTextBox, nullptr);
  EXPECT_EQ(mData->AquiferCount(), 1);
  EXPECT_EQ(mData->PumpingWells[1].Name, "Pumping well 1");
  EXPECT_FALSE(mData->WellFluxMode());
  EXPECT_TRUE(mData->BackgroundFiles.empty());
  EXPECT_TRUE(mData->AllChanged);
}

TEST_F(TAQVDataTest, RowToLayerWithAndWithoutTopAquitard) {
  struct TRow {
    int row;
    bool aquifer;
    int layer;
  };
  const TRow present[] = {{1, false, 1}, {2, true, 1}, {3, false, 2}, {4, true, 2}, {5, false, 3}};
  for (const TRow& r : present) {
    int layer = 0;
    EXPECT_EQ(mData->RowToLayer(r.row, layer), r.aquifer) << r.row;
    EXPECT_EQ(layer, r.layer) << r.row;
  }
  mData->SetTopAquitardAbsent(true);
  const TRow absent[] = {{1, true, 1}, {2, false, 2}, {3, true, 2}, {4, false, 3}};
  for (const TRow& r : absent) {
    int layer = 0;
    EXPECT_EQ(mData->RowToLayer(r.row, layer), r.aquifer) << r.row;
    EXPECT_EQ(layer, r.layer) << r.row;
  }
}

TEST_F(TAQVDataTest, AbsentAquitardIsBackedUpAndRestored) {
  mData->Resistance[1] = 250;
  mData->SAquitard[1] = 0.01;
  mData->ResistanceCode[1] = '1';
  mData->SAquitardCode[1] = '2';
  mData->SetTopAquitardAbsent(true);
  EXPECT_EQ(mData->Resistance[1], 1000);
  EXPECT_EQ(mData->SAquitard[1], 0);
  EXPECT_EQ(mData->ResistanceCode[1], kNoMark);
  mData->SetTopAquitardAbsent(false);
  EXPECT_EQ(mData->Resistance[1], 250);
  EXPECT_EQ(mData->SAquitard[1], 0.01);
  EXPECT_EQ(mData->ResistanceCode[1], '1');
  EXPECT_EQ(mData->SAquitardCode[1], '2');
}

TEST_F(TAQVDataTest, AddingAquiferAtBottomRowDuplicatesPairAboveAndKeepsBottomSelected) {
  mData->T[1] = 500;
  mData->Resistance[2] = 77;
  mData->SetSelectedRow(3);  // the bottom aquitard of a one-aquifer system
  mData->SetAquiferCount(2);
  EXPECT_EQ(mData->AquiferCount(), 2);
  EXPECT_EQ(mData->SelectedRow(), 5);
  EXPECT_EQ(mData->T[1], 500);
  EXPECT_EQ(mData->T[2], 500);
  EXPECT_EQ(mData->Resistance[3], 77) << "the bottom aquitard moves down";
  EXPECT_TRUE(mData->RefreshAquiferGrid);
}

TEST_F(TAQVDataTest, RemovingAquiferWithTopAquitardAbsentUsesTheRealRows) {
  mData->SetAquiferCount(2);
  mData->SetTopAquitardAbsent(true);
  mData->T[2] = 300;
  mData->SetSelectedRow(1);  // aquifer 1 when the top aquitard is absent
  mData->SetAquiferCount(1);
  EXPECT_EQ(mData->AquiferCount(), 1);
  EXPECT_EQ(mData->T[1], 300) << "aquifer 1 was removed, aquifer 2 moved up";
}

TEST_F(TAQVDataTest, RemovingSecondAquiferNarrowsTheLayerRange) {
  mData->SetAquiferCount(2);
  mData->ObservationWells[1].Layer = 2;
  mData->AssignCurveStyles();
  mData->SelectCurves();
  EXPECT_EQ(mData->UpperLayer(), 2);
  mData->SetSelectedRow(4);
  mData->SetAquiferCount(1);
  EXPECT_EQ(mData->UpperLayer(), 1);
  EXPECT_EQ(mData->LowerLayer(), 1);
  EXPECT_FALSE(mData->ObservationWells[1].LayerSet.Contains(2));
}

TEST_F(TAQVDataTest, ZeroThicknessTopAquitardNeverReadsOutsideTheLayers) {
  // Removing at the top aquitard recomputes aquitard 1's resistance; it has no aquifer above.
  mData->SetAquiferCount(2);
  mData->DAquitard[2] = 0;
  mData->Kv[2] = 0.01;
  mData->SetSelectedRow(1);
  mData->SetAquiferCount(1);
  EXPECT_GT(mData->Resistance[1], 0);
  EXPECT_TRUE(std::isfinite(mData->Resistance[1]));
}

TEST_F(TAQVDataTest, CountsAreClampedToCapacity) {
  mData->SetPumpingWellCount(7);
  EXPECT_EQ(mData->PumpingWellCount(), kMaxPumpingWells);
  mData->SetObservationWellCount(-3);
  EXPECT_EQ(mData->ObservationWellCount(), 0);
  mData->PumpingWells[1].SetPeriodCount(1000);
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), kMaxPeriods);
  mData->SetObservationCount(1, 5000);
  EXPECT_EQ(mData->ObservationWells[1].ObservationCount(), kMaxObservations);
  mData->SetAquiferCount(9);
  EXPECT_EQ(mData->AquiferCount(), kMaxAquifers);
}

TEST_F(TAQVDataTest, StehfestTermsAreEvenBetweenTwoAndTwenty) {
  mData->SetStehfestTerms(11);
  EXPECT_EQ(mData->StehfestTerms(), 10);
  mData->SetStehfestTerms(40);
  EXPECT_EQ(mData->StehfestTerms(), 20);
  mData->SetStehfestTerms(-1);
  EXPECT_EQ(mData->StehfestTerms(), 2);
}

TEST_F(TAQVDataTest, ValueAxisChangeOnUnmodifiedDocumentKeepsCurvesValid) {
  mData->SetModified(false);
  EXPECT_TRUE(mData->CurvesValid);
  mData->CurvesStale = false;
  mData->SetValueAxis(1);
  EXPECT_TRUE(mData->Modified());
  EXPECT_TRUE(mData->CurvesValid);
  EXPECT_TRUE(mData->CurvesStale);
  mData->SetTimeAxis(1);
  EXPECT_TRUE(mData->CurvesValid) << "the document was already modified: no new invalidation";
}

TEST_F(TAQVDataTest, TimeUnitChangeFiresQuantityEventBeforeChange) {
  std::vector<std::string> order;
  mData->OnGrootheidTChange = [&](TObject*) { order.push_back("unit"); };
  mData->OnChange = [&](TObject*) { order.push_back("change"); };
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  EXPECT_EQ(order, (std::vector<std::string>{"unit", "change"}));
  EXPECT_EQ(mData->TimeUnitLabel(), "min");
  EXPECT_EQ(mData->TimeFactor(), 1440);
  order.clear();
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  EXPECT_TRUE(order.empty()) << "the unit that is already set does nothing";
}

TEST(RoundHalfEven, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(14.642), 15);
}

}  // namespace
}  // namespace aqv

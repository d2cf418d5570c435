#include <gtest/gtest.h>

#include <cmath>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

using TAQVDataTest = test::TDocumentTest;

// Defaults that other tests already rely on (thicknesses, resistances, discharges, units,
// stopping and Stehfest settings) are not repeated here.
TEST_F(TAQVDataTest, NewDocumentHoldsOneTestWithDefaults) {
  const TAQVData& d = *mData;
  EXPECT_EQ(d.AquiferCount(), 1);
  EXPECT_EQ(d.RowCount(), 3);
  EXPECT_EQ(d.PumpingWellCount(), 1);
  EXPECT_EQ(d.PumpingWells[1].Name, "Pumping well 1");
  EXPECT_TRUE(d.PumpingWells[1].Screened[1]);
  EXPECT_FALSE(d.PumpingWells[1].Screened[2]);
  EXPECT_EQ(d.ObservationWellCount(), 1);
  EXPECT_EQ(d.ObservationWells[1].Name, "Observation well 1");
  EXPECT_EQ(d.ObservationWells[1].Y, 10);
  EXPECT_EQ(d.ObservationWells[1].ObservationCount(), 2);
  EXPECT_EQ(d.TimeUnitLabel(), "d");
  EXPECT_EQ(d.LengthUnitLabel(), "m");
  EXPECT_TRUE(d.Modified());
  EXPECT_FALSE(d.CurvesValid);
  EXPECT_TRUE(d.AllChanged && d.CurvesStale && d.UnitsChanged);
  EXPECT_FALSE(d.Saved);
  EXPECT_EQ(d.FitCount(), 2);
  EXPECT_EQ(d.CurveCount, 1);
  EXPECT_EQ(std::pair(d.UpperLayer(), d.LowerLayer()), std::pair(1, 1));
  for (int i = 1; i <= kMaxLayers; ++i) {
    EXPECT_EQ(d.Kh[i], 1000);
    EXPECT_EQ(d.Kv[i], 0.001);
    EXPECT_EQ(d.TCode[i], kNoMark);
  }
  EXPECT_FALSE(d.TopAquitardImpervious());
  EXPECT_TRUE(d.BottomAquitardImpervious());
  EXPECT_EQ(d.StartingTime(), 0.001);
  EXPECT_EQ(d.TimesPerLogCycle(), 10);
  EXPECT_EQ(d.MaxIterations, 100);
  EXPECT_EQ(d.InitialLambda, 0.01);
  EXPECT_EQ(d.AnimationEndTime(), 10);
  EXPECT_EQ(d.MeshDensity, 3);
  EXPECT_EQ(d.BackgroundColor, clWhite);
  EXPECT_EQ(d.BackgroundTransparency, 50);
  EXPECT_EQ(d.ReportTitles[3], "For  Unsteady-State  Flow  in  Multiple-Aquifer  Systems");
  EXPECT_EQ(d.InfoTexts[1], "");
  EXPECT_EQ(d.InfoTexts[5], " ");
  EXPECT_EQ(d.InfoTexts[8], "");
  EXPECT_EQ(d.CurveValues.size(), static_cast<std::size_t>(kMaxCurveValues));
  EXPECT_EQ(d.Jacobian.size(), static_cast<std::size_t>(kMaxFitObservations * kMaxParameters));
  // Hidden wells keep their defaults for when the counts rise.
  EXPECT_EQ(d.PumpingWells[2].StartTime[3], 2);
  EXPECT_EQ(d.ObservationWells[5].Name, "Observation well 5");
  EXPECT_EQ(d.ObservationWells[5].ObservationCount(), 2);
}

TEST_F(TAQVDataTest, ResetRestoresEditedDocumentAndFiresOncePerReset) {
  mData->OnChange = [this](TObject* sender) {
    EXPECT_EQ(sender, mData.get());
    ++mChanges;
  };
  mData->TextBoxes.push_back(std::make_unique<TAQVTextBoxRecord>());
  mData->SelectedTextBox = mData->TextBoxes.back().get();
  mData->SetAquiferCount(2);
  mData->PumpingWells[1].Name = "PW";
  mData->SetWellFluxMode(true);
  mData->BackgroundFiles.push_back({true, "a.png"});
  mData->ResetToDefaults();
  mData->TCode[1] = mData->SAquitardCode[2] = '1';  // fit marks of the one aquifer left
  // Setters inside the reset may announce their own change; the reset's own ends the list.
  const int first = mChanges;
  mData->ResetToDefaults();
  EXPECT_EQ(mChanges - first, 1) << "an unchanged document fires exactly once per reset";
  EXPECT_TRUE(mData->TextBoxes.empty());
  EXPECT_EQ(mData->SelectedTextBox, nullptr);
  EXPECT_EQ(mData->AquiferCount(), 1);
  EXPECT_EQ(mData->PumpingWells[1].Name, "Pumping well 1");
  EXPECT_FALSE(mData->WellFluxMode());
  EXPECT_TRUE(mData->BackgroundFiles.empty());
  EXPECT_EQ(mData->TCode[1], kNoMark);
  EXPECT_EQ(mData->SAquitardCode[2], kNoMark);
  EXPECT_TRUE(mData->AllChanged);
}

TEST_F(TAQVDataTest, RowToLayerWithAndWithoutTopAquitard) {
  // {row, is an aquifer, layer}; the first five with the top aquitard, the rest without.
  const int rows[][3] = {{1, 0, 1}, {2, 1, 1}, {3, 0, 2}, {4, 1, 2}, {5, 0, 3},
                         {1, 1, 1}, {2, 0, 2}, {3, 1, 2}, {4, 0, 3}};
  for (int k = 0; k < 9; ++k) {
    if (k == 5) mData->SetTopAquitardAbsent(true);
    int layer = 0;
    EXPECT_EQ(mData->RowToLayer(rows[k][0], layer), rows[k][1] == 1) << k;
    EXPECT_EQ(layer, rows[k][2]) << k;
  }
}

TEST_F(TAQVDataTest, AbsentAquitardIsBackedUpAndRestored) {
  mData->SetAquiferCount(2);
  mData->Resistance[2] = 700;
  for (const int i : {1, 3}) {  // the top aquitard and the bottom one below two aquifers
    SCOPED_TRACE(i);
    const auto setAbsent = [&](bool absent) {
      i == 1 ? mData->SetTopAquitardAbsent(absent) : mData->SetBottomAquitardAbsent(absent);
    };
    mData->Resistance[i] = 250;
    mData->SAquitard[i] = 0.01;
    mData->ResistanceCode[i] = '1';
    mData->SAquitardCode[i] = '2';
    setAbsent(true);
    EXPECT_EQ(mData->Resistance[i], 1000);
    EXPECT_EQ(mData->SAquitard[i], 0);
    EXPECT_EQ(mData->ResistanceCode[i], kNoMark);
    EXPECT_EQ(mData->SAquitardCode[i], kNoMark);
    setAbsent(false);
    EXPECT_EQ(mData->Resistance[i], 250);
    EXPECT_EQ(mData->SAquitard[i], 0.01);
    EXPECT_EQ(mData->ResistanceCode[i], '1');
    EXPECT_EQ(mData->SAquitardCode[i], '2');
    EXPECT_EQ(mData->Resistance[2], 700) << "the middle aquitard stays as it is";
  }
}

// Adding and removing aquifers is checked through the row operations that call it.

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
  // Stehfest terms are even, from 2 to 20.
  for (auto [asked, kept] : {std::pair{11, 10}, {40, 20}, {-1, 2}}) {
    mData->SetStehfestTerms(asked);
    EXPECT_EQ(mData->StehfestTerms(), kept) << asked;
  }
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

TEST_F(TAQVDataTest, ResetSetsTheLengthLabelWithTheUnit) {
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  ASSERT_EQ(mData->LengthUnitLabel(), "ft");
  mData->ResetToDefaults();
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luMeters);
  EXPECT_EQ(mData->LengthUnitLabel(), "m");
}

// Removing an aquifer moves the wells that observed it into the last remaining one, included or
// not, so that no evaluation meets a layer the system does not have.
TEST_F(TAQVDataTest, ObservationWellInARemovedAquiferMovesToTheLastOne) {
  mData->SetAquiferCount(2);
  mData->SetObservationWellCount(2);
  mData->ObservationWells[2].Layer = 2;
  mData->ObservationWells[2].Included[0] = false;
  mData->SetAquiferCount(1);
  EXPECT_EQ(mData->ObservationWells[2].Layer, 1);
  EXPECT_TRUE(mData->ObservationWells[2].LayerSet.Contains(1));
  mData->ComputeObservationDrawdowns();
  EXPECT_EQ(mData->StatusCode, 0);
  EXPECT_TRUE(mUi.Messages.empty());
}

TEST(RoundHalfEven, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(14.642), 15);
}

}  // namespace
}  // namespace aqv

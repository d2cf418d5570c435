#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

using TAQVDataTest = test::TDocumentTest;

// Defaults that other tests already rely on (thicknesses, resistances, discharges, units,
// stopping and Stehfest settings) are not repeated here.
TEST_F(TAQVDataTest, NewDocumentHoldsOneTestWithDefaults) {
  const TAQVData& d = *mData;
  EXPECT_EQ(std::tuple(d.AquiferCount(), d.RowCount(), d.PumpingWellCount()), std::tuple(1, 3, 1));
  const TPumpingWell& pumping = d.PumpingWells[1];
  EXPECT_EQ(std::tuple(pumping.Name, pumping.Screened[1], pumping.Screened[2]),
            std::tuple("Pumping well 1", true, false));
  const TObservationWell& observation = d.ObservationWells[1];
  EXPECT_EQ(std::tuple(d.ObservationWellCount(), observation.Name, observation.Y,
                       observation.ObservationCount()),
            std::tuple(1, "Observation well 1", 10, 2));
  EXPECT_EQ(std::tuple(d.TimeUnitLabel(), d.LengthUnitLabel()), std::tuple("d", "m"));
  EXPECT_EQ(std::tuple(d.Modified(), d.CurvesValid, d.Saved), std::tuple(true, false, false));
  EXPECT_TRUE(d.AllChanged && d.CurvesStale && d.UnitsChanged);
  EXPECT_EQ(std::tuple(d.FitCount(), d.CurveCount), std::tuple(2, 1));
  EXPECT_EQ(std::pair(d.UpperLayer(), d.LowerLayer()), std::pair(1, 1));
  for (int i = 1; i <= kMaxLayers; ++i)
    EXPECT_EQ(std::tuple(d.Kh[i], d.Kv[i], d.TCode[i]), std::tuple(1000, 0.001, kNoMark)) << i;
  EXPECT_EQ(std::tuple(d.TopAquitardImpervious(), d.BottomAquitardImpervious()),
            std::tuple(false, true));
  EXPECT_EQ(std::tuple(d.StartingTime(), d.TimesPerLogCycle(), d.MaxIterations, d.InitialLambda),
            std::tuple(0.001, 10, 100, 0.01));
  EXPECT_EQ(
      std::tuple(d.AnimationEndTime(), d.MeshDensity, d.BackgroundColor, d.BackgroundTransparency),
      std::tuple(10, 3, clWhite, 50));
  EXPECT_EQ(d.ReportTitles[3], "For  Unsteady-State  Flow  in  Multiple-Aquifer  Systems");
  EXPECT_EQ(std::tuple(d.InfoTexts[1], d.InfoTexts[5], d.InfoTexts[8]), std::tuple("", " ", ""));
  EXPECT_EQ(d.CurveValues.size(), static_cast<std::size_t>(kMaxCurveValues));
  EXPECT_EQ(d.Jacobian.size(), static_cast<std::size_t>(kMaxFitObservations * kMaxParameters));
  // Hidden wells keep their defaults for when the counts rise.
  EXPECT_EQ(std::tuple(d.PumpingWells[2].StartTime[3], d.ObservationWells[5].Name,
                       d.ObservationWells[5].ObservationCount()),
            std::tuple(2, "Observation well 5", 2));
}

TEST_F(TAQVDataTest, ResetRestoresEditedDocumentWithTheLengthLabelAndFiresOncePerReset) {
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
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  ASSERT_EQ(mData->LengthUnitLabel(), "ft");
  mData->ResetToDefaults();
  mData->TCode[1] = mData->SAquitardCode[2] = '1';  // fit marks of the one aquifer left
  // Setters inside the reset may announce their own change; the reset's own ends the list.
  const int first = mChanges;
  mData->ResetToDefaults();
  EXPECT_EQ(mChanges - first, 1) << "an unchanged document fires exactly once per reset";
  EXPECT_TRUE(mData->TextBoxes.empty() && mData->BackgroundFiles.empty());
  EXPECT_EQ(mData->SelectedTextBox, nullptr);
  EXPECT_EQ(std::tuple(mData->AquiferCount(), mData->PumpingWells[1].Name, mData->WellFluxMode()),
            std::tuple(1, "Pumping well 1", false));
  EXPECT_EQ(std::tuple(mData->TCode[1], mData->SAquitardCode[2]), std::tuple(kNoMark, kNoMark));
  EXPECT_TRUE(mData->AllChanged);
  EXPECT_EQ(std::tuple(mData->LengthUnit(), mData->LengthUnitLabel()),
            std::tuple(TAQVLengthUnit::luMeters, "m"));
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
    const auto aquitard = [&] {
      return std::tuple(mData->Resistance[i], mData->SAquitard[i], mData->ResistanceCode[i],
                        mData->SAquitardCode[i]);
    };
    std::tie(mData->Resistance[i], mData->SAquitard[i], mData->ResistanceCode[i],
             mData->SAquitardCode[i]) = std::tuple(250, 0.01, '1', '2');
    setAbsent(true);
    EXPECT_EQ(aquitard(), std::tuple(1000, 0, kNoMark, kNoMark));
    setAbsent(false);
    EXPECT_EQ(aquitard(), std::tuple(250, 0.01, '1', '2'));
    EXPECT_EQ(mData->Resistance[2], 700) << "the middle aquitard stays as it is";
  }
}

// Adding and removing aquifers is checked through the row operations that call it.

TEST_F(TAQVDataTest, ZeroThicknessTopAquitardNeverReadsOutsideTheLayers) {
  // Removing at the top aquitard recomputes aquitard 1's resistance; it has no aquifer above.
  mData->SetAquiferCount(2);
  std::tie(mData->DAquitard[2], mData->Kv[2]) = std::tuple(0, 0.01);
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
  EXPECT_TRUE(mData->Modified() && mData->CurvesValid && mData->CurvesStale);
  mData->SetTimeAxis(1);
  EXPECT_TRUE(mData->CurvesValid) << "the document was already modified: no new invalidation";
}

TEST_F(TAQVDataTest, TimeUnitChangeFiresQuantityEventBeforeChange) {
  std::vector<std::string> order;
  mData->OnGrootheidTChange = [&](TObject*) { order.push_back("unit"); };
  mData->OnChange = [&](TObject*) { order.push_back("change"); };
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  EXPECT_EQ(order, (std::vector<std::string>{"unit", "change"}));
  EXPECT_EQ(std::tuple(mData->TimeUnitLabel(), mData->TimeFactor()), std::tuple("min", 1440));
  order.clear();
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  EXPECT_TRUE(order.empty()) << "the unit that is already set does nothing";
}

// Removing an aquifer moves the wells that observed it into the last remaining one, included or
// not, so that no evaluation meets a layer the system does not have.
TEST_F(TAQVDataTest, ObservationWellInARemovedAquiferMovesToTheLastOne) {
  mData->SetAquiferCount(2);
  mData->SetObservationWellCount(2);
  mData->ObservationWells[2].Layer = 2;
  mData->ObservationWells[2].Included[0] = false;
  mData->SetAquiferCount(1);
  EXPECT_EQ(
      std::tuple(mData->ObservationWells[2].Layer, mData->ObservationWells[2].LayerSet.Contains(1)),
      std::tuple(1, true));
  mData->ComputeObservationDrawdowns();
  EXPECT_EQ(std::tuple(mData->StatusCode, mUi.Messages.empty()), std::tuple(0, true));
}

TEST(RoundHalfEven, RoundsHalvesToEven) {
  EXPECT_EQ(std::tuple(RoundHalfEven(2.5), RoundHalfEven(3.5), RoundHalfEven(-2.5),
                       RoundHalfEven(14.642)),
            std::tuple(2, 4, -2, 15));
}

}  // namespace
}  // namespace aqv

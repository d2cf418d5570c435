#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

// The international foot is 0.3048 m by definition; a quantity of length dimension p scales
// with 0.3048^p.
double FeetPerMetrePower(int p) {
  return 1 / std::pow(0.3048, p);
}

using TAQVDataUnitsTest = test::TDocumentTest;

// A stored quantity, how to reach it and its length dimension.
struct TQuantity {
  const char* Name;
  std::function<double(TAQVData&)> Read;
  std::function<void(TAQVData&, double)> Write;
  int Power;
};

TQuantity Property(const char* name, double (TAQVData::*get)() const, void (TAQVData::*set)(double),
                   int power) {
  return {name, [get](TAQVData& d) { return (d.*get)(); },
          [set](TAQVData& d, double v) { (d.*set)(v); }, power};
}

// Every converted quantity of d, including slots hidden by a lower count (layer position 3 of a
// one-aquifer system, pumping well 2, observation well 5, the last period and observation).
std::vector<TQuantity> ConvertedQuantities(TAQVData& d) {
  using D = TAQVData;
  const std::tuple<const char*, double*, int> fields[] = {
      {"ModelLength", &d.ModelLength, 1},
      {"ModelRadius", &d.ModelRadius, 1},
      {"MapRadius", &d.MapRadius, 1},
      {"WellCentreX", &d.WellCentreX, 1},
      {"WellCentreY", &d.WellCentreY, 1},
      {"D[3]", &d.D[3], 1},
      {"DAquitard[3]", &d.DAquitard[3], 1},
      {"Kh[3]", &d.Kh[3], 1},
      {"Kv[3]", &d.Kv[3], 1},
      {"T[3]", &d.T[3], 2},
      {"T[1]", &d.T[1], 2},
      {"Pumping X", &d.PumpingWells[2].X, 1},
      {"Pumping Y", &d.PumpingWells[2].Y, 1},
      {"Pumping Rc", &d.PumpingWells[2].Rc, 1},
      {"Pumping Rw", &d.PumpingWells[1].Rw, 1},
      {"Discharge[100]", &d.PumpingWells[2].Discharge[100], 3},
      {"Observation X", &d.ObservationWells[5].X, 1},
      {"Observation Y", &d.ObservationWells[5].Y, 1},
      {"Observation Rc", &d.ObservationWells[5].Rc, 1},
      {"Observation Rw", &d.ObservationWells[1].Rw, 1},
      {"Observed[1000]", &d.ObservationWells[5].Observed[1000], 1}};
  std::vector<TQuantity> quantities = {
      Property("SurfaceLevel", &D::SurfaceLevel, &D::SetSurfaceLevel, 1),
      Property("MinContour", &D::MinContour, &D::SetMinContour, 1),
      Property("MaxContour", &D::MaxContour, &D::SetMaxContour, 1),
      Property("ContourInterval", &D::ContourInterval, &D::SetContourInterval, 1),
      Property("WorldX1", &D::WorldX1, &D::SetWorldX1, 1),
      Property("WorldX2", &D::WorldX2, &D::SetWorldX2, 1),
      Property("WorldY1", &D::WorldY1, &D::SetWorldY1, 1),
      Property("WorldY2", &D::WorldY2, &D::SetWorldY2, 1)};
  for (const auto& [name, slot, power] : fields) {
    quantities.push_back(
        {name, [slot](D&) { return *slot; }, [slot](D&, double v) { *slot = v; }, power});
  }
  return quantities;
}

TEST_F(TAQVDataUnitsTest, LengthUnitRoundTripConvertsEveryQuantityByItsLengthPower) {
  const auto quantities = ConvertedQuantities(*mData);
  // Distinct values, so that a quantity converted twice or taken from another slot shows.
  double value = 3.7;
  std::vector<double> before;
  for (const TQuantity& q : quantities) {
    q.Write(*mData, value);
    before.push_back(value);
    value += 1.3;
  }
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  for (std::size_t i = 0; i < quantities.size(); ++i) {
    const double expected = before[i] * FeetPerMetrePower(quantities[i].Power);
    EXPECT_NEAR(quantities[i].Read(*mData), expected, 1e-12 * expected) << quantities[i].Name;
  }
  mData->SetLengthUnit(TAQVLengthUnit::luMeters);
  for (std::size_t i = 0; i < quantities.size(); ++i)
    EXPECT_NEAR(quantities[i].Read(*mData), before[i], 1e-12 * before[i]) << quantities[i].Name;
}

TEST_F(TAQVDataUnitsTest, SwitchingToFeetGivesTheDocumentedValuesAndLeavesOtherDimensions) {
  mData->ObservationWells[1].Computed[1] = 0.7;
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_NEAR(mData->PumpingWells[1].Rw, 0.32808398950131235, 1e-15);
  EXPECT_NEAR(mData->T[1], 10763.910416709722, 1e-9);
  EXPECT_NEAR(mData->PumpingWells[1].Discharge[1], 28251.733377190867, 1e-8);
  EXPECT_EQ(std::tuple(mData->LengthUnitLabel(), mData->LengthFactor(), mData->LengthFactorCubed()),
            std::tuple("ft", 1, 1));
  // Dimensionless and time quantities stay.
  EXPECT_EQ(std::tuple(mData->Resistance[1], mData->S[1], mData->PumpingWells[1].Skin,
                       mData->PumpingWells[1].StartTime[2], mData->AbsStoppingCriterion),
            std::tuple(1000, 0.001, 0, 1, 0.0001));
  EXPECT_EQ(std::tuple(mData->ObservationWells[1].Time[1], mData->ObservationWells[1].Computed[1]),
            std::tuple(1, 0.7));
}

TEST_F(TAQVDataUnitsTest, LengthUnitSwitchConvertsHiddenRecordsAndRebuildsTheFittingList) {
  ASSERT_EQ(mData->FitObserved[1], 0.1);
  mData->ObservationWells[3].Observed[7] = 0.3048;
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_NEAR(mData->FitObserved[1], 0.1 / 0.3048, 1e-15) << "a fit must see feet";
  EXPECT_NEAR(mData->FitX[1], 10 / 0.3048, 1e-12);
  mData->SetIntSetting("3", TAQVSpinEditType::seNObsWells);
  EXPECT_NEAR(mData->ObservationWells[3].Observed[7], 1.0, 1e-15);
  EXPECT_NEAR(mData->ObservationWells[3].X, 30 / 0.3048, 1e-12);
}

TEST_F(TAQVDataUnitsTest, LengthUnitSwitchSetsItsFlagsAndFiresOnceAndSameOrUnknownUnitsDoNot) {
  mData->Saved = mData->ResultsExist = true;
  mData->CurvesStale = mData->UnitsChanged = false;
  mData->SetModified(false);
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_EQ(std::tuple(mChanges, mData->Saved, mData->ResultsExist, mData->Modified()),
            std::tuple(1, false, false, true));
  EXPECT_EQ(std::tuple(mData->CurvesValid, mData->CurvesStale, mData->UnitsChanged,
                       mData->MapWindowChanged),
            std::tuple(false, true, true, false));

  mChanges = 0;
  mData->Saved = true;
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_EQ(mChanges, 0) << "the unit that is already set does nothing";
  EXPECT_TRUE(mData->Saved);
  mData->SetTimeUnit(static_cast<TAQVTimeUnit>(9));  // unknown units are ignored
  mData->SetLengthUnit(static_cast<TAQVLengthUnit>(2));
  EXPECT_EQ(std::tuple(mChanges, mData->TimeUnit(), mData->LengthUnit()),
            std::tuple(0, TAQVTimeUnit::tuDays, TAQVLengthUnit::luFeet));
}

TEST_F(TAQVDataUnitsTest, LengthUnitLabelConvertsOnlyTheContourSettings) {
  mData->SetLengthUnitLabel(TAQVLengthUnit::luMeters);
  EXPECT_EQ(std::tuple(mData->LengthUnitLabel(), mData->ContourInterval()), std::tuple("m", 0.01));
  EXPECT_DOUBLE_EQ(mData->MinContour(), -0.1);
  EXPECT_DOUBLE_EQ(mData->MaxContour(), 0.1);
  EXPECT_TRUE(mData->MapWindowChanged && mData->UnitsChanged);

  mData->SetLengthUnitLabel(TAQVLengthUnit::luFeet);
  EXPECT_EQ(std::tuple(mData->LengthUnitLabel(), mData->LengthUnit()),
            std::tuple("ft", TAQVLengthUnit::luFeet));
  EXPECT_NEAR(mData->ContourInterval(), 0.01 / 0.3048, 1e-15);
  EXPECT_NEAR(mData->MaxContour(), 0.1 / 0.3048, 1e-14);
  EXPECT_EQ(std::tuple(mData->PumpingWells[1].Rw, mData->T[1]), std::tuple(0.1, 1000))
      << "a new document's wells and layers stay as they are";
}

TEST(ConvertLength, AppliesTheFootOncePerLengthDimension) {
  EXPECT_EQ(ConvertLength(TAQVLengthUnit::luMeters, 0, 5.0), 5.0);
  EXPECT_EQ(ConvertLength(TAQVLengthUnit::luFeet, -1, 5.0), 5.0);
  EXPECT_DOUBLE_EQ(ConvertLength(TAQVLengthUnit::luMeters, 1, 10.0), 3.048);
  EXPECT_DOUBLE_EQ(ConvertLength(TAQVLengthUnit::luMeters, 3, 1.0), 0.028316846592);
  EXPECT_DOUBLE_EQ(ConvertLength(TAQVLengthUnit::luFeet, 2, 0.09290304), 1.0);
  EXPECT_DOUBLE_EQ(MetresToFeet(FeetToMetres(12.5)), 12.5);
}

// --- Time units --------------------------------------------------------------------------------

TEST_F(TAQVDataUnitsTest, DisplayTimesConvertWhileConversionIsOnAndOnlyRelabelWhileOff) {
  // The unit, its label and its display units per day.
  const std::tuple<TAQVTimeUnit, const char*, double> cases[] = {
      {TAQVTimeUnit::tuSeconds, "s", 86400},
      {TAQVTimeUnit::tuMinutes, "min", 1440},
      {TAQVTimeUnit::tuHours, "h ", 24},
      {TAQVTimeUnit::tuDays, "d", 1},
      {TAQVTimeUnit::tuYears, "yr", 1 / 365.24}};
  for (const bool convert : {true, false}) {
    for (const auto& [unit, label, unitsPerDay] : cases) {
      mData = std::make_unique<TAQVData>(&mUi);
      ASSERT_TRUE(mData->ConvertTimeUnits);
      mData->ConvertTimeUnits = convert;
      // Leave days first, so that days itself is a change as well.
      mData->SetTimeUnit(TAQVTimeUnit::tuSeconds);
      mData->SetTimeUnit(unit);
      const double perDay = convert ? unitsPerDay : 1;
      EXPECT_EQ(mData->TimeUnitLabel(), label);
      EXPECT_DOUBLE_EQ(mData->TimeFactor(), perDay) << label;
      mData->SetCellText(2, 1, "720", TAQVGridKind::gkObservations);
      EXPECT_DOUBLE_EQ(mData->ObservationWells[1].Time[1], 720 / perDay) << label;
      // Rates per time go the other way: 1 length unit per display unit.
      mData->SetCellText(3, 2, "1", TAQVGridKind::gkConductivities);
      EXPECT_DOUBLE_EQ(mData->Kh[1], perDay) << label;
    }
  }
}

TEST_F(TAQVDataUnitsTest, MinutesAndHoursStoreTimesResistancesAndDischargesPerDay) {
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  EXPECT_EQ(mData->ObservationWells[1].Time[1] * mData->TimeFactor(), 1440);
  mData->SetCellText(2, 2, "720", TAQVGridKind::gkObservations);
  EXPECT_EQ(mData->ObservationWells[1].Time[2], 0.5);
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  mData->SetCellText(5, 1, "48", TAQVGridKind::gkConductivities);  // c of the top aquitard
  EXPECT_DOUBLE_EQ(mData->Resistance[1], 2);
  mData->SetCellText(3, 1, "10", TAQVGridKind::gkPumpingPeriods);
  EXPECT_DOUBLE_EQ(mData->PumpingWells[1].Discharge[1], 240);
}

TEST_F(TAQVDataUnitsTest, TimeUnitChangeStoresNothingAndLeavesTheDocumentUnsaved) {
  mData->Saved = true;
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  EXPECT_EQ(std::tuple(mData->Saved, mData->PreviousTimeFactor(),
                       mData->ObservationWells[1].Time[1], mData->StoppingTime()),
            std::tuple(false, 1, 1, 1000));
}

}  // namespace
}  // namespace aqv

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/AQVData.h"
#include "tests/support/FakeUserInterface.h"

namespace aqv {
namespace {

// The international foot is 0.3048 m by definition; a quantity of length dimension p scales
// with 0.3048^p.
double FeetPerMetrePower(int p) {
  return 1 / std::pow(0.3048, p);
}

class TAQVDataUnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mData = std::make_unique<TAQVData>(&mUi);
  }
  test::TFakeUserInterface mUi;
  std::unique_ptr<TAQVData> mData;
};

// A stored quantity, how to reach it and its length dimension.
struct TQuantity {
  const char* Name;
  std::function<double(TAQVData&)> Read;
  std::function<void(TAQVData&, double)> Write;
  int Power;
};

TQuantity Field(const char* name, std::function<double&(TAQVData&)> slot, int power) {
  return {name, [slot](TAQVData& d) { return slot(d); },
          [slot](TAQVData& d, double v) { slot(d) = v; }, power};
}

TQuantity Property(const char* name, double (TAQVData::*get)() const, void (TAQVData::*set)(double),
                   int power) {
  return {name, [get](TAQVData& d) { return (d.*get)(); },
          [set](TAQVData& d, double v) { (d.*set)(v); }, power};
}

// Every converted quantity, including slots hidden by a lower count (layer position 3 of a
// one-aquifer system, pumping well 2, observation well 5, the last period and observation).
std::vector<TQuantity> ConvertedQuantities() {
  return {
      Property("SurfaceLevel", &TAQVData::SurfaceLevel, &TAQVData::SetSurfaceLevel, 1),
      Property("MinContour", &TAQVData::MinContour, &TAQVData::SetMinContour, 1),
      Property("MaxContour", &TAQVData::MaxContour, &TAQVData::SetMaxContour, 1),
      Property("ContourInterval", &TAQVData::ContourInterval, &TAQVData::SetContourInterval, 1),
      Property("WorldX1", &TAQVData::WorldX1, &TAQVData::SetWorldX1, 1),
      Property("WorldX2", &TAQVData::WorldX2, &TAQVData::SetWorldX2, 1),
      Property("WorldY1", &TAQVData::WorldY1, &TAQVData::SetWorldY1, 1),
      Property("WorldY2", &TAQVData::WorldY2, &TAQVData::SetWorldY2, 1),
      Field(
          "ModelLength", [](TAQVData& d) -> double& { return d.ModelLength; }, 1),
      Field(
          "ModelRadius", [](TAQVData& d) -> double& { return d.ModelRadius; }, 1),
      Field(
          "MapRadius", [](TAQVData& d) -> double& { return d.MapRadius; }, 1),
      Field(
          "WellCentreX", [](TAQVData& d) -> double& { return d.WellCentreX; }, 1),
      Field(
          "WellCentreY", [](TAQVData& d) -> double& { return d.WellCentreY; }, 1),
      Field(
          "D[3]", [](TAQVData& d) -> double& { return d.D[3]; }, 1),
      Field(
          "DAquitard[3]", [](TAQVData& d) -> double& { return d.DAquitard[3]; }, 1),
      Field(
          "Kh[3]", [](TAQVData& d) -> double& { return d.Kh[3]; }, 1),
      Field(
          "Kv[3]", [](TAQVData& d) -> double& { return d.Kv[3]; }, 1),
      Field(
          "T[3]", [](TAQVData& d) -> double& { return d.T[3]; }, 2),
      Field(
          "T[1]", [](TAQVData& d) -> double& { return d.T[1]; }, 2),
      Field(
          "Pumping X", [](TAQVData& d) -> double& { return d.PumpingWells[2].X; }, 1),
      Field(
          "Pumping Y", [](TAQVData& d) -> double& { return d.PumpingWells[2].Y; }, 1),
      Field(
          "Pumping Rc", [](TAQVData& d) -> double& { return d.PumpingWells[2].Rc; }, 1),
      Field(
          "Pumping Rw", [](TAQVData& d) -> double& { return d.PumpingWells[1].Rw; }, 1),
      Field(
          "Discharge[100]", [](TAQVData& d) -> double& { return d.PumpingWells[2].Discharge[100]; },
          3),
      Field(
          "Observation X", [](TAQVData& d) -> double& { return d.ObservationWells[5].X; }, 1),
      Field(
          "Observation Y", [](TAQVData& d) -> double& { return d.ObservationWells[5].Y; }, 1),
      Field(
          "Observation Rc", [](TAQVData& d) -> double& { return d.ObservationWells[5].Rc; }, 1),
      Field(
          "Observation Rw", [](TAQVData& d) -> double& { return d.ObservationWells[1].Rw; }, 1),
      Field(
          "Observed[1000]",
          [](TAQVData& d) -> double& { return d.ObservationWells[5].Observed[1000]; }, 1),
  };
}

TEST_F(TAQVDataUnitsTest, LengthUnitRoundTripConvertsEveryQuantityByItsLengthPower) {
  const auto quantities = ConvertedQuantities();
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

TEST_F(TAQVDataUnitsTest, SwitchingToFeetGivesTheDocumentedValues) {
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_NEAR(mData->PumpingWells[1].Rw, 0.32808398950131235, 1e-15);
  EXPECT_NEAR(mData->T[1], 10763.910416709722, 1e-9);
  EXPECT_NEAR(mData->PumpingWells[1].Discharge[1], 28251.733377190867, 1e-8);
  EXPECT_EQ(mData->LengthUnitLabel(), "ft");
  EXPECT_EQ(mData->LengthFactor(), 1);
  EXPECT_EQ(mData->LengthFactorCubed(), 1);
}

TEST_F(TAQVDataUnitsTest, LengthUnitSwitchLeavesDimensionlessAndTimeQuantities) {
  mData->ObservationWells[1].Computed[1] = 0.7;
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_EQ(mData->Resistance[1], 1000);
  EXPECT_EQ(mData->S[1], 0.001);
  EXPECT_EQ(mData->PumpingWells[1].Skin, 0);
  EXPECT_EQ(mData->PumpingWells[1].StartTime[2], 1);
  EXPECT_EQ(mData->ObservationWells[1].Time[1], 1);
  EXPECT_EQ(mData->ObservationWells[1].Computed[1], 0.7);
  EXPECT_EQ(mData->AbsStoppingCriterion, 0.0001);
}

TEST_F(TAQVDataUnitsTest, LengthUnitSwitchConvertsRecordsHiddenByALowerCount) {
  ASSERT_EQ(mData->ObservationWellCount(), 1);
  mData->ObservationWells[3].Observed[7] = 0.3048;
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  mData->SetIntSetting("3", TAQVSpinEditType::seNObsWells);
  EXPECT_NEAR(mData->ObservationWells[3].Observed[7], 1.0, 1e-15);
  EXPECT_NEAR(mData->ObservationWells[3].X, 30 / 0.3048, 1e-12);
}

TEST_F(TAQVDataUnitsTest, LengthUnitSwitchRebuildsTheFittingList) {
  ASSERT_EQ(mData->FitObserved[1], 0.1);
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_NEAR(mData->FitObserved[1], 0.1 / 0.3048, 1e-15) << "a fit must see feet";
  EXPECT_NEAR(mData->FitX[1], 10 / 0.3048, 1e-12);
}

TEST_F(TAQVDataUnitsTest, LengthUnitSwitchSetsItsFlagsAndFiresOnce) {
  int changes = 0;
  mData->OnChange = [&](TObject*) { ++changes; };
  mData->Saved = true;
  mData->ResultsExist = true;
  mData->CurvesStale = false;
  mData->UnitsChanged = false;
  mData->SetModified(false);
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(mData->Saved);
  EXPECT_FALSE(mData->ResultsExist);
  EXPECT_TRUE(mData->Modified());
  EXPECT_FALSE(mData->CurvesValid);
  EXPECT_TRUE(mData->CurvesStale);
  EXPECT_TRUE(mData->UnitsChanged);
  EXPECT_FALSE(mData->MapWindowChanged);
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luFeet);

  changes = 0;
  mData->Saved = true;
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  EXPECT_EQ(changes, 0) << "the unit that is already set does nothing";
  EXPECT_TRUE(mData->Saved);
}

TEST_F(TAQVDataUnitsTest, LengthUnitLabelOfANewMetreDocumentKeepsItsContourDefaults) {
  mData->SetLengthUnitLabel(TAQVLengthUnit::luMeters);
  EXPECT_EQ(mData->LengthUnitLabel(), "m");
  EXPECT_EQ(mData->ContourInterval(), 0.01);
  EXPECT_DOUBLE_EQ(mData->MinContour(), -0.1);
  EXPECT_DOUBLE_EQ(mData->MaxContour(), 0.1);
  EXPECT_TRUE(mData->MapWindowChanged);
  EXPECT_TRUE(mData->UnitsChanged);
}

TEST_F(TAQVDataUnitsTest, LengthUnitLabelInFeetConvertsOnlyTheContourSettings) {
  mData->SetLengthUnitLabel(TAQVLengthUnit::luFeet);
  EXPECT_EQ(mData->LengthUnitLabel(), "ft");
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luFeet);
  EXPECT_NEAR(mData->ContourInterval(), 0.01 / 0.3048, 1e-15);
  EXPECT_NEAR(mData->MaxContour(), 0.1 / 0.3048, 1e-14);
  EXPECT_EQ(mData->PumpingWells[1].Rw, 0.1) << "a new document's wells stay as they are";
  EXPECT_EQ(mData->T[1], 1000);
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

struct TTimeUnitCase {
  TAQVTimeUnit Unit;
  const char* Label;
  double PerDay;  // display units per day
};

const TTimeUnitCase kTimeUnitCases[] = {
    {TAQVTimeUnit::tuSeconds, "s", 86400},     {TAQVTimeUnit::tuMinutes, "min", 1440},
    {TAQVTimeUnit::tuHours, "h ", 24},         {TAQVTimeUnit::tuDays, "d", 1},
    {TAQVTimeUnit::tuYears, "yr", 1 / 365.24},
};

TEST_F(TAQVDataUnitsTest, DisplayTimesConvertWithEachUnitWhileConversionIsOn) {
  for (const TTimeUnitCase& c : kTimeUnitCases) {
    mData = std::make_unique<TAQVData>(&mUi);
    ASSERT_TRUE(mData->ConvertTimeUnits);
    // Leave days first, so that days itself is a change as well.
    mData->SetTimeUnit(TAQVTimeUnit::tuSeconds);
    mData->SetTimeUnit(c.Unit);
    EXPECT_EQ(mData->TimeUnitLabel(), c.Label);
    EXPECT_DOUBLE_EQ(mData->TimeFactor(), c.PerDay) << c.Label;
    mData->SetCellText(2, 1, "720", TAQVGridKind::gkObservations);
    EXPECT_DOUBLE_EQ(mData->ObservationWells[1].Time[1], 720 / c.PerDay) << c.Label;
    // Rates per time go the other way: 1 length unit per display unit.
    mData->SetCellText(3, 2, "1", TAQVGridKind::gkConductivities);
    EXPECT_DOUBLE_EQ(mData->Kh[1], c.PerDay) << c.Label;
  }
}

TEST_F(TAQVDataUnitsTest, DisplayTimesOnlyRelabelWhileConversionIsOff) {
  for (const TTimeUnitCase& c : kTimeUnitCases) {
    mData = std::make_unique<TAQVData>(&mUi);
    mData->ConvertTimeUnits = false;
    mData->SetTimeUnit(TAQVTimeUnit::tuSeconds);
    mData->SetTimeUnit(c.Unit);
    EXPECT_EQ(mData->TimeUnitLabel(), c.Label);
    EXPECT_EQ(mData->TimeFactor(), 1) << c.Label;
    mData->SetCellText(2, 1, "720", TAQVGridKind::gkObservations);
    EXPECT_EQ(mData->ObservationWells[1].Time[1], 720) << c.Label;
  }
}

TEST_F(TAQVDataUnitsTest, MinutesShowADayAs1440AndStoreHalfADayFor720) {
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  EXPECT_EQ(mData->ObservationWells[1].Time[1] * mData->TimeFactor(), 1440);
  mData->SetCellText(2, 2, "720", TAQVGridKind::gkObservations);
  EXPECT_EQ(mData->ObservationWells[1].Time[2], 0.5);
}

TEST_F(TAQVDataUnitsTest, HoursStoreResistanceInDaysAndDischargePerDay) {
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  mData->SetCellText(5, 1, "48", TAQVGridKind::gkConductivities);  // c of the top aquitard
  EXPECT_DOUBLE_EQ(mData->Resistance[1], 2);
  mData->SetCellText(3, 1, "10", TAQVGridKind::gkPumpingPeriods);
  EXPECT_DOUBLE_EQ(mData->PumpingWells[1].Discharge[1], 240);
}

TEST_F(TAQVDataUnitsTest, TimeUnitChangeStoresNothingAndLeavesTheDocumentUnsaved) {
  mData->Saved = true;
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  EXPECT_FALSE(mData->Saved);
  EXPECT_EQ(mData->PreviousTimeFactor(), 1);
  EXPECT_EQ(mData->ObservationWells[1].Time[1], 1);
  EXPECT_EQ(mData->StoppingTime(), 1000);
}

TEST_F(TAQVDataUnitsTest, UnknownUnitsAreIgnored) {
  int changes = 0;
  mData->OnChange = [&](TObject*) { ++changes; };
  mData->SetTimeUnit(static_cast<TAQVTimeUnit>(9));
  mData->SetLengthUnit(static_cast<TAQVLengthUnit>(2));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(mData->TimeUnit(), TAQVTimeUnit::tuDays);
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luMeters);
}

}  // namespace
}  // namespace aqv

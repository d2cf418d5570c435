#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/FitScenarios.h"

namespace aqv {
namespace {

class TAQVDataRowsTest : public test::TDocumentTest {
 protected:
  // Gives the current observation well n observations at times 1..n with observed 0.1 * time.
  void NumberObservations(int n) {
    mData->SetObservationCount(1, n);
    TObservationWell& well = mData->ObservationWells[1];
    for (int k = 1; k <= n; ++k) std::tie(well.Time[k], well.Observed[k]) = std::tuple(k, 0.1 * k);
    mChanges = 0;
  }
};

// The input tables and counts in every slot, and the document's flags, so that a refused
// operation can be shown to have changed nothing.
std::string Fingerprint(const TAQVData& d) {
  return test::TableBytes(d) + char(d.Modified()) + char(d.Saved) + char(d.AllChanged);
}

const char* const kMinObservationWells =
    "Can not delete observation well(s)! Minimum number of observation wells is 1.";
const char* const kMinObservations =
    "Can not delete observation(s)! Minimum number of observations is 1.";
const char* const kMinPeriods =
    "Can not delete pumping period(s)! Minimum number of pumping periods is 1.";
const char* const kMinPumpingWells =
    "Can not delete pumping well(s)! Minimum number of pumping wells is 1.";
const char* const kMinAquifers = "Can not delete aquifer! Minimum number of aquifers is 1.";
const char* const kMaxAquifersText = "Can not insert aquifer(s)! Maximum number of aquifers is 2.";
const char* const kMaxObservationWellsText =
    "Can not insert observation well(s)! Maximum number of observation wells is 5.";
const char* const kMaxObservationsText =
    "Can not insert observation(s)! Maximum number of observations is 1000.";
const char* const kMaxPeriodsText =
    "Can not insert pumping period(s)! Maximum number of pumping periods is 100.";
const char* const kMaxPumpingWellsText =
    "Can not insert pumping well(s)! Maximum number of pumping wells is 2.";

TEST_F(TAQVDataRowsTest, RefusalsLeaveTheirMessageAndChangeNothing) {
  using D = TAQVData;
  // An operation, its message and the first row and the count of each call.
  const std::tuple<bool (D::*)(int, int), const char*, std::vector<std::pair<int, int>>> cases[] = {
      {&D::DeleteObservationWells, kMinObservationWells, {{1, 1}, {2, 1}}},
      {&D::DeleteObservations, kMinObservations, {{1, 2}, {1, 3}, {7, 1}, {0, 1}, {1, 0}, {1, -1}}},
      {&D::DeletePumpingPeriods, kMinPeriods, {{1, 1}}},
      {&D::DeletePumpingWells, kMinPumpingWells, {{1, 1}}},
      {&D::DeleteAquifers, kMinAquifers, {{2, 1}, {0, 1}}},
      {&D::InsertObservationWells, kMaxObservationWellsText, {{1, 5}, {0, 1}}},
      {&D::InsertObservations, kMaxObservationsText, {{1, 999}, {-3, 1}, {1, -1}, {1, 2147483647}}},
      {&D::InsertPumpingPeriods, kMaxPeriodsText, {{1, 100}}},
      {&D::InsertPumpingWells, kMaxPumpingWellsText, {{1, 2}}}};
  for (const auto& [operation, message, calls] : cases) {
    for (const auto& [first, count] : calls) {
      TAQVData d(&mUi);
      int changes = 0;
      d.OnChange = [&](TObject*) { ++changes; };
      d.Saved = true;
      const std::string before = Fingerprint(d);
      Globals().DataErrorText.clear();
      SCOPED_TRACE(std::string(message) + " " + std::to_string(first) + ", " +
                   std::to_string(count));
      EXPECT_FALSE((d.*operation)(first, count));
      EXPECT_EQ(Globals().DataErrorText, message);
      EXPECT_EQ(std::tuple(Fingerprint(d), changes), std::tuple(before, 0));
    }
  }
  // With two aquifers one may go, but not from a row outside the table.
  TAQVData two(&mUi);
  two.SetAquiferCount(2);
  for (const int row : {0, two.RowCount() + 1}) EXPECT_FALSE(two.DeleteAquifers(row, 1)) << row;
  EXPECT_EQ(two.AquiferCount(), 2);
}

TEST_F(TAQVDataRowsTest, RefusedAquiferInsertionStillSelectsTheRow) {
  EXPECT_FALSE(mData->InsertAquifers(2, 2));
  EXPECT_EQ(Globals().DataErrorText, kMaxAquifersText);
  EXPECT_EQ(std::tuple(mData->AquiferCount(), mData->SelectedRow(), mChanges), std::tuple(1, 2, 0));
  EXPECT_TRUE(mData->InsertAquifers(1, 1));
  EXPECT_FALSE(mData->InsertAquifers(1, 1)) << "two aquifers are the most";
  EXPECT_EQ(Globals().DataErrorText, kMaxAquifersText);
}

// --- Capacity edges --------------------------------------------------------------------------

TEST_F(TAQVDataRowsTest, ObservationsFillToExactlyOneThousand) {
  NumberObservations(998);
  EXPECT_TRUE(mData->InsertObservations(1, 2));
  const TObservationWell& well = mData->ObservationWells[1];
  EXPECT_EQ(std::tuple(well.ObservationCount(), mData->FitCount()), std::tuple(1000, 1000));
  for (int k : {1, 2}) {
    EXPECT_EQ(std::tuple(well.Time[k], well.Observed[k], well.Computed[k], well.Included[k]),
              std::tuple(0, 0, 0, true))
        << k;
  }
  EXPECT_EQ(well.Time[3], 1) << "the old first row moved down by two";
  EXPECT_EQ(well.Time[1000], 998);
  EXPECT_FALSE(mData->InsertObservations(1000, 1));
  EXPECT_EQ(Globals().DataErrorText, kMaxObservationsText);
}

TEST_F(TAQVDataRowsTest, PeriodsFillToExactlyOneHundredAndObservationWellsToFive) {
  EXPECT_TRUE(mData->InsertPumpingPeriods(2, 99));
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 100);
  EXPECT_FALSE(mData->InsertPumpingPeriods(1, 1));
  EXPECT_EQ(Globals().DataErrorText, kMaxPeriodsText);
  EXPECT_TRUE(mData->DeletePumpingPeriods(2, 99));
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 1);
  EXPECT_TRUE(mData->InsertObservationWells(2, 4));
  EXPECT_EQ(std::tuple(mData->ObservationWellCount(), mData->CurveCount), std::tuple(5, 5));
  EXPECT_FALSE(mData->InsertObservationWells(6, 1));
  EXPECT_EQ(Globals().DataErrorText, kMaxObservationWellsText);
  EXPECT_TRUE(mData->DeleteObservationWells(1, 4));
  EXPECT_EQ(mData->ObservationWellCount(), 1);
  EXPECT_EQ(mData->ObservationWells[1].X, 50) << "well 5 moved up to row 1";
}

// The well centre and the map and mesh extents follow every change of the pumping wells.
TEST_F(TAQVDataRowsTest, WellCentreAndExtentsFollowEveryChangeOfThePumpingWells) {
  TAQVData& d = *mData;
  d.PumpingWells[2].X = 4000;
  d.SetIntSetting("2", TAQVSpinEditType::seNPumpingWells);
  EXPECT_EQ(std::tuple(d.WellCentreX, d.MapRadius, d.ModelLength), std::tuple(2000, 4000, 24000));
  ASSERT_TRUE(d.DeletePumpingWells(1, 1));
  EXPECT_EQ(std::tuple(d.WellCentreX, d.MapRadius, d.ModelLength), std::tuple(4000, 1500, 11400));
  d.PumpingWells[2].X = 0;
  ASSERT_TRUE(d.InsertPumpingWells(2, 1));
  EXPECT_EQ(std::tuple(d.WellCentreX, d.MapRadius), std::tuple(2000, 4000));
}

// Every way of removing periods or wells keeps an included period of an included well, as the
// include toggle does.
TEST_F(TAQVDataRowsTest, NoWayLeavesThePumpingWithoutAnIncludedPeriod) {
  TAQVData& d = *mData;
  const std::string message = "At least one pumping well/period has to be included!";
  d.SetCellText(12, 1, "3", TAQVGridKind::gkPumpingWells);
  TPumpingWell& well = d.PumpingWells[1];
  well.Included[1] = well.Included[2] = false;
  d.SetCellText(12, 1, "2", TAQVGridKind::gkPumpingWells);
  EXPECT_EQ(well.PeriodCount(), 3);
  EXPECT_EQ(mUi.OnlyMessage(), message);
  EXPECT_FALSE(d.DeletePumpingPeriods(3, 1));
  EXPECT_EQ(std::tuple(Globals().DataErrorText, well.PeriodCount()), std::tuple(message, 3));
  EXPECT_TRUE(d.DeletePumpingPeriods(1, 1)) << "the included period stays";
  // With well 1 left out, the second well carries all the pumping.
  d.SetIntSetting("2", TAQVSpinEditType::seNPumpingWells);
  well.Included[0] = false;
  d.SetIntSetting("1", TAQVSpinEditType::seNPumpingWells);
  EXPECT_EQ(std::tuple(d.PumpingWellCount(), mUi.Messages.size()), std::tuple(2, 2u));
  EXPECT_FALSE(d.DeletePumpingWells(2, 1));
  EXPECT_EQ(d.PumpingWellCount(), 2);
  EXPECT_TRUE(d.DeletePumpingWells(1, 1));
}

// --- Moves -----------------------------------------------------------------------------------

TEST_F(TAQVDataRowsTest, RangesPastTheEndDeleteOnlyTheRowsThatExistOrAppend) {
  NumberObservations(5);
  EXPECT_TRUE(mData->DeleteObservations(4, 10));
  const TObservationWell& well = mData->ObservationWells[1];
  EXPECT_EQ(std::tuple(well.ObservationCount(), well.Time[3], mData->FitCount()),
            std::tuple(3, 3, 3));
  EXPECT_EQ(well.Time[4], 4) << "the slots past the new end are left alone";
  EXPECT_FALSE(mData->DeleteObservations(1, 10)) << "that would leave no observation";
  NumberObservations(3);  // inserting after the last row appends
  EXPECT_TRUE(mData->InsertObservations(9, 2));
  EXPECT_EQ(well.ObservationCount(), 5);
  EXPECT_EQ(std::tuple(well.Time[3], well.Time[4], well.Time[5]), std::tuple(3, 0, 0));
  EXPECT_EQ(well.Time[6], 1) << "nothing written past the new end";
}

TEST_F(TAQVDataRowsTest, DeletingObservationsMovesTheRowsBelowUp) {
  NumberObservations(5);
  mData->ObservationWells[1].Included[4] = false;
  mData->ObservationWells[1].Computed[5] = 0.7;
  EXPECT_TRUE(mData->DeleteObservations(2, 2));
  const TObservationWell& well = mData->ObservationWells[1];
  EXPECT_EQ(std::tuple(well.ObservationCount(), mData->FitCount()), std::tuple(3, 2));
  EXPECT_EQ(std::tuple(well.Time[2], well.Included[2]), std::tuple(4, false));
  EXPECT_EQ(std::tuple(well.Time[3], well.Computed[3]), std::tuple(5, 0.7));
}

TEST_F(TAQVDataRowsTest, InsertedPeriodsKeepTheValuesThatWereThereAndAreIncluded) {
  TPumpingWell& well = mData->PumpingWells[1];
  well.SetPeriodCount(2);
  std::tie(well.StartTime[2], well.Discharge[2], well.Included[2]) = std::tuple(5, 300, false);
  EXPECT_TRUE(mData->InsertPumpingPeriods(2, 1));
  EXPECT_EQ(std::tuple(well.PeriodCount(), well.StartTime[2], well.Discharge[2], well.Included[2]),
            std::tuple(3, 5, 300, true));
  EXPECT_EQ(well.StartTime[3], 5);
  EXPECT_FALSE(well.Included[3]) << "the moved period keeps its mark";
}

TEST_F(TAQVDataRowsTest, InsertingAPumpingWellAtRowOneLeavesTwoIdenticalWells) {
  TPumpingWell& first = mData->PumpingWells[1];
  first.SetPeriodCount(3);
  std::tie(first.Name, first.X, first.Discharge[3]) = std::tuple("PW", 12, 77);
  std::tie(first.StartTime[3], first.Y, first.Rc, first.Rw, first.Skin) =
      std::tuple(9, 7, 0.2, 0.3, 0.5);
  std::tie(first.RcCode, first.RwCode, first.SkinCode) = std::tuple('2', '3', '4');
  EXPECT_TRUE(mData->InsertPumpingWells(1, 1));
  EXPECT_EQ(mData->PumpingWellCount(), 2);
  const TPumpingWell& second = mData->PumpingWells[2];
  EXPECT_EQ(std::tuple(second.Name, second.X, second.PeriodCount(), second.Discharge[3]),
            std::tuple("PW", 12, 3, 77));
  EXPECT_EQ(std::tuple(second.StartTime[3], second.Y, second.Rc, second.Rw, second.Skin),
            std::tuple(9.0, 7.0, 0.2, 0.3, 0.5));
  EXPECT_EQ((std::string{second.RcCode, second.RwCode, second.SkinCode}), "234");
  EXPECT_EQ(mData->PumpingWells[1].Name, "PW");
  EXPECT_EQ(mData->CurveCount, 1) << "drawdown mode: the curves are the observation wells";
}

TEST_F(TAQVDataRowsTest, CopyingAWellLeavesItsStylesAndGrouping) {
  mData->SetIntSetting("2", TAQVSpinEditType::seNObsWells);
  TObservationWell& target = mData->ObservationWells[2];
  const TColor style = target.CurveColor[1];
  target.OwnCurve = false;
  target.CoincidentSet.Include(4);
  mData->ObservationWells[1].SetObservationCount(7);
  TObservationWell& source = mData->ObservationWells[1];
  std::tie(source.Observed[7], source.Time[7], source.Included[7]) = std::tuple(3.5, 9, false);
  std::tie(source.Y, source.Rc, source.Rw, source.Skin) = std::tuple(7, 0.2, 0.3, 0.5);
  mData->CopyObservationWell(2, 1);
  EXPECT_EQ(std::tuple(target.Name, target.ObservationCount(), target.Observed[7]),
            std::tuple("Observation well 1", 7, 3.5));
  EXPECT_EQ(
      std::tuple(target.Time[7], target.Included[7], target.Y, target.Rc, target.Rw, target.Skin),
      std::tuple(9.0, false, 7.0, 0.2, 0.3, 0.5));
  EXPECT_EQ(std::tuple(target.CurveColor[1], target.OwnCurve, target.CoincidentSet.Contains(4)),
            std::tuple(style, false, true));
  mData->CopyObservationWell(0, 1);
  mData->CopyObservationWell(1, 6);
  EXPECT_EQ(mData->ObservationWells[1].Name, "Observation well 1");
}

TEST_F(TAQVDataRowsTest, DeletingObservationWellsRegroupsThem) {
  mData->SetIntSetting("3", TAQVSpinEditType::seNObsWells);
  // Wells 1 and 3 stand at the same place; well 3 draws no curve of its own.
  mData->SetCellText(3, 3, "10", TAQVGridKind::gkObservationWells);
  mData->SetCellText(4, 3, "10", TAQVGridKind::gkObservationWells);
  ASSERT_FALSE(mData->ObservationWells[3].OwnCurve);
  EXPECT_TRUE(mData->DeleteObservationWells(1, 1));
  EXPECT_TRUE(mData->ObservationWells[2].OwnCurve) << "the old well 3 now stands alone";
  EXPECT_EQ(std::tuple(mData->ObservationWellCount(), mData->CurveCount, mData->FitCount()),
            std::tuple(2, 2, 4));
  // The well that moves up takes its aquifer along: the graph's layers are those of the rest.
  mData->SetAquiferCount(2);
  mData->SetCellText(5, 2, "2", TAQVGridKind::gkObservationWells);
  EXPECT_TRUE(mData->DeleteObservationWells(1, 1));
  EXPECT_EQ(std::pair(mData->UpperLayer(), mData->LowerLayer()), std::pair(2, 2));
}

TEST_F(TAQVDataRowsTest, RowOperationsClampTheCurrentWells) {
  mData->SetIntSetting("3", TAQVSpinEditType::seNObsWells);
  mData->SetCurrentObservationWell(3);
  EXPECT_TRUE(mData->DeleteObservationWells(2, 2));
  EXPECT_EQ(mData->CurrentObservationWell(), 1);
  EXPECT_TRUE(mData->InsertPumpingWells(2, 1));
  mData->SetCurrentPumpingWell(2);
  EXPECT_TRUE(mData->DeletePumpingWells(1, 1));
  EXPECT_EQ(mData->CurrentPumpingWell(), 1);
}

TEST_F(TAQVDataRowsTest, SuccessMarksTheDocumentChangedAndAnnouncesOnce) {
  mData->SetModified(false);
  std::tie(mData->Saved, mData->AllChanged) = std::tuple(true, false);
  EXPECT_TRUE(mData->InsertObservations(1, 1));
  EXPECT_EQ(std::tuple(mChanges, mData->Modified(), mData->AllChanged, mData->Saved),
            std::tuple(1, true, true, false));
}

// --- Aquifers --------------------------------------------------------------------------------

TEST_F(TAQVDataRowsTest, InsertingAnAquiferAtTheBottomRowDuplicatesThePairAbove) {
  std::tie(mData->T[1], mData->Resistance[2]) = std::tuple(500, 77);
  EXPECT_TRUE(mData->InsertAquifers(3, 1));
  EXPECT_EQ(std::tuple(mData->AquiferCount(), mData->T[2], mData->Resistance[3]),
            std::tuple(2, 500, 77));
  EXPECT_EQ(mData->SelectedRow(), 5) << "the bottom aquitard row stays selected";
  EXPECT_TRUE(mData->RefreshAquiferGrid);
}

TEST_F(TAQVDataRowsTest, AquiferCountWithTheTopAquitardAbsentUsesTheRealRows) {
  mData->SetTopAquitardAbsent(true);
  std::tie(mData->T[1], mData->Resistance[2]) = std::tuple(500, 77);
  ASSERT_EQ(mData->RowCount(), 2);  // aquifer 1, aquitard 2
  EXPECT_TRUE(mData->InsertAquifers(2, 1));
  EXPECT_EQ(mData->RowCount(), 4);
  EXPECT_EQ(mData->SelectedRow(), 4) << "the bottom aquitard is the last row";
  EXPECT_EQ(std::tuple(mData->T[2], mData->Resistance[3]), std::tuple(500, 77));
  mData->T[2] = 300;
  EXPECT_TRUE(mData->DeleteAquifers(1, 1));  // row 1 is aquifer 1
  EXPECT_EQ(std::tuple(mData->T[1], mData->Resistance[2]), std::tuple(300, 77));
}

TEST_F(TAQVDataRowsTest, WithTheBottomAquitardAbsentTheLastAquiferIsTheLastRow) {
  mData->SetBottomAquitardAbsent(true);
  ASSERT_EQ(mData->RowCount(), 2);  // aquitard 1, aquifer 1
  std::tie(mData->T[1], mData->DAquitard[2]) = std::tuple(500, 3);
  EXPECT_TRUE(mData->InsertAquifers(2, 1));
  EXPECT_EQ(std::tuple(mData->RowCount(), mData->SelectedRow(), mData->T[2]),
            std::tuple(4, 4, 500));
  EXPECT_EQ(mData->DAquitard[3], 3) << "the absent bottom aquitard moves down";
  mData->T[2] = 300;
  EXPECT_TRUE(mData->DeleteAquifers(4, 1));
  EXPECT_EQ(std::tuple(mData->AquiferCount(), mData->T[1], mData->SelectedRow()),
            std::tuple(1, 500, 2));
  EXPECT_FALSE(mData->DeleteAquifers(5, 1)) << "no such row";
}

TEST_F(TAQVDataRowsTest, DeletingTheSecondAquiferNarrowsTheLayerRangeToOne) {
  EXPECT_TRUE(mData->InsertAquifers(3, 1));
  mData->SetCellText(5, 1, "2", TAQVGridKind::gkObservationWells);
  ASSERT_EQ(mData->UpperLayer(), 2);
  EXPECT_TRUE(mData->DeleteAquifers(4, 1));
  EXPECT_EQ(std::tuple(mData->UpperLayer(), mData->LowerLayer()), std::tuple(1, 1));
  EXPECT_FALSE(mData->ObservationWells[1].LayerSet.Contains(2));
}

}  // namespace
}  // namespace aqv

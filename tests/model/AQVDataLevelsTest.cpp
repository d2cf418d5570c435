#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

class LevelsTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    TAQVData& d = *mData;
    d.SetAquiferCount(2);
    d.SetSurfaceLevel(10);
    d.DAquitard[1] = 2;
    d.D[1] = 5;
    d.DAquitard[2] = 3;
    d.D[2] = 7;
    d.DAquitard[3] = 4;
    d.SetFitCount(0);  // the flat list of an oldest-form file starts empty
  }
  // Appends one point of an oldest-form file to the flat list.
  void AddPoint(double x, int layer, double time, double observed) {
    TAQVData& d = *mData;
    const int i = d.FitCount() + 1;
    d.SetFitCount(i);
    d.FitX[i] = x;
    d.FitLayer[i] = layer;
    d.FitTime[i] = time;
    d.FitObserved[i] = observed;
  }
};

// Without the top aquitard the rows start at the surface with aquifer 1.
TEST_F(LevelsTest, RowLevelsWithAndWithoutTopAquitard) {
  const std::vector<double> with = {10, 8, 3, 0, -7, -11};
  const std::vector<double> without = {10, 5, 2, -5, -9};
  for (const auto* levels : {&with, &without}) {
    mData->SetTopAquitardAbsent(levels == &without);
    for (int row = 1; row < static_cast<int>(levels->size()); ++row) {
      EXPECT_EQ(mData->RowTopLevel(row), (*levels)[row - 1]) << row;
      EXPECT_EQ(mData->RowBottomLevel(row), (*levels)[row]) << row;
    }
  }
}

TEST_F(LevelsTest, DistributeGroupsPointsByPlaceAndAquifer) {
  AddPoint(50, 1, 2.0, 0.3);
  AddPoint(50, 2, 1.0, 0.1);
  AddPoint(50, 1, 1.0, 0.2);
  AddPoint(80, 1, 3.0, 0.4);
  mData->InfoTexts[12] = "a";
  mData->InfoTexts[13] = "b";
  mData->InfoTexts[14] = "c";
  ASSERT_TRUE(mData->DistributeObservations());
  const TAQVData& d = *mData;
  ASSERT_EQ(d.ObservationWellCount(), 3);
  EXPECT_EQ(d.ObservationWells[1].Name, "observation well  1");
  EXPECT_TRUE(d.ObservationWells[1].OwnCurve);
  EXPECT_FALSE(d.ObservationWells[2].OwnCurve) << "same place as well 1, other aquifer";
  EXPECT_TRUE(d.ObservationWells[3].OwnCurve);
  EXPECT_EQ(d.ObservationWells[1].ObservationCount(), 2);
  // Sorted by time.
  EXPECT_EQ(d.ObservationWells[1].Time[1], 1.0);
  EXPECT_EQ(d.ObservationWells[1].Observed[1], 0.2);
  EXPECT_EQ(d.ObservationWells[1].Observed[2], 0.3);
  EXPECT_EQ(d.ObservationWells[2].Layer, 2);
  EXPECT_EQ(d.ObservationWells[3].Y, 0);
  EXPECT_EQ(d.InfoTexts[10], "a");
  EXPECT_EQ(d.InfoTexts[12], "c");
  EXPECT_EQ(d.D[1], 1);
  EXPECT_EQ(d.DAquitard[3], 1);
  EXPECT_DOUBLE_EQ(d.Kv[2], 1 / d.Resistance[2]);
}

TEST_F(LevelsTest, DistributeWithoutPointsLeavesNoObservationWells) {
  ASSERT_TRUE(mData->DistributeObservations());
  EXPECT_EQ(mData->ObservationWellCount(), 0);
}

TEST_F(LevelsTest, DistributeRefusesMoreThanFiveWells) {
  for (int w = 1; w <= 6; ++w) AddPoint(10.0 * w, 1, 1, 0.1);
  const int before = mData->ObservationWellCount();
  EXPECT_FALSE(mData->DistributeObservations());
  EXPECT_EQ(mUi.Beeps, 1);
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Text, "Too many observation wells!");
  EXPECT_EQ(mData->ObservationWellCount(), before) << "nothing changes on a refusal";
}

TEST_F(LevelsTest, DistributeRefusesMoreThanAThousandObservationsInAWell) {
  for (int k = 1; k <= 1001; ++k) AddPoint(10, 1, k, 0.1);
  EXPECT_FALSE(mData->DistributeObservations());
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Text, "Too many measurements!");
}

TEST_F(LevelsTest, SortKeepsEqualTimesInOrderAndMovesIncludedFlags) {
  TAQVData& d = *mData;
  TObservationWell& w = d.ObservationWells[1];
  d.SetObservationCount(1, 4);
  const double times[] = {3, 1, 3, 2};
  for (int k = 1; k <= 4; ++k) {
    w.Time[k] = times[k - 1];
    w.Observed[k] = k;
    w.Included[k] = k != 2;
  }
  d.SortObservations();
  const double sortedObserved[] = {2, 4, 1, 3};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(w.Observed[k], sortedObserved[k - 1]) << k;
  EXPECT_FALSE(w.Included[1]) << "the excluded observation at time 1 stays excluded";
  EXPECT_TRUE(w.Included[2]);
  EXPECT_TRUE(w.Included[3]);
}

TEST_F(LevelsTest, FlattenCopiesEveryObservation) {
  TAQVData& d = *mData;
  d.SetObservationWellCount(2);
  d.ObservationWells[1].Included[1] = false;
  d.FlattenObservations();
  EXPECT_EQ(d.FitCount(), 4);
  EXPECT_EQ(d.FitX[3], 20);
}

}  // namespace
}  // namespace aqv

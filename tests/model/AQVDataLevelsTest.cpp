#include <gtest/gtest.h>

#include <tuple>
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
    std::tie(d.DAquitard[1], d.D[1], d.DAquitard[2], d.D[2], d.DAquitard[3]) =
        std::tuple(2, 5, 3, 7, 4);
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

TEST_F(LevelsTest, SortKeepsEqualTimesInOrderAndMovesIncludedFlags) {
  TAQVData& d = *mData;
  TObservationWell& w = d.ObservationWells[1];
  d.SetObservationCount(1, 4);
  const double times[] = {3, 1, 3, 2};
  for (int k = 1; k <= 4; ++k)
    std::tie(w.Time[k], w.Observed[k], w.Included[k]) = std::tuple(times[k - 1], k, k != 2);
  d.SortObservations();
  const double sortedObserved[] = {2, 4, 1, 3};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(w.Observed[k], sortedObserved[k - 1]) << k;
  EXPECT_FALSE(w.Included[1]) << "the excluded observation at time 1 stays excluded";
  EXPECT_TRUE(w.Included[2] && w.Included[3]);
}

TEST_F(LevelsTest, FlattenCopiesEveryObservation) {
  TAQVData& d = *mData;
  d.SetObservationWellCount(2);
  d.ObservationWells[1].Included[1] = false;
  d.FlattenObservations();
  EXPECT_EQ(std::tuple(d.FitCount(), d.FitX[3]), std::tuple(4, 20));
}

}  // namespace
}  // namespace aqv

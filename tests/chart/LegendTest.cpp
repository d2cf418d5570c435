#include <gtest/gtest.h>

#include <vector>

#include "chart/Legend.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

TEST(TLegend, StartsOnTheRightWithDefaultPatterns) {
  const TLegend legend;
  EXPECT_EQ(std::tuple(legend.Placement(), legend.Font().Color(), legend.Patterns().Data(),
                       legend.Patterns().Border().Width(), legend.Layout()),
            std::tuple(TPlacement::plRight, clBlack, TPatternsData{}, 1, TLegendLayout{}));
}

TEST(TLegend, PlacementAndPartsFireAsTheLegend) {
  TLegend legend;
  test::TEventLog log(legend);
  legend.SetPlacement(TPlacement::plRight);
  legend.SetPlacement(TPlacement::plNone);
  legend.Font().SetName("Courier New");
  legend.Patterns().Border().SetMode(TPenMode::pmNotXor);
  legend.Layout().Columns = 3;  // layout is drawing state: silent
  EXPECT_EQ(log.Senders, std::vector<TObject*>(4, &legend));
}

TEST(TLegend, CopyForwardsToItselfAndAssignAnnouncesOnce) {
  TLegend legend;
  legend.SetPlacement(TPlacement::plTop);
  test::TEventLog originalLog(legend);
  TLegend copy(legend);
  EXPECT_EQ(copy.Data(), legend.Data());
  test::TEventLog copyLog(copy);  // every change of the copy is announced as the copy
  copy.Font().SetColor(clPurple);
  copy.SetPlacement(TPlacement::plBottom);
  EXPECT_EQ(std::tuple(originalLog.Senders.size(), copyLog.Senders),
            std::tuple(0u, std::vector<TObject*>(2, &copy)));
  legend.Assign(copy);
  EXPECT_EQ(std::tuple(originalLog.Senders.size(), legend.Placement(), legend.Font().Color()),
            std::tuple(1u, TPlacement::plBottom, clPurple));
}

}  // namespace
}  // namespace aqv

#include <gtest/gtest.h>

#include <vector>

#include "chart/Legend.h"

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
  std::vector<TObject*> senders;
  legend.OnChange = [&](TObject* sender) { senders.push_back(sender); };
  legend.SetPlacement(TPlacement::plRight);
  legend.SetPlacement(TPlacement::plNone);
  legend.Font().SetName("Courier New");
  legend.Patterns().Border().SetMode(TPenMode::pmNotXor);
  legend.Layout().Columns = 3;  // layout is drawing state: silent
  EXPECT_EQ(senders, std::vector<TObject*>(4, &legend));
}

TEST(TLegend, CopyForwardsToItselfAndAssignAnnouncesOnce) {
  TLegend legend;
  legend.SetPlacement(TPlacement::plTop);
  int originalFired = 0;
  legend.OnChange = [&](TObject*) { ++originalFired; };
  originalFired = 0;

  TLegend copy(legend);
  EXPECT_EQ(copy.Data(), legend.Data());
  int copyFired = 0;
  copy.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &copy);
    ++copyFired;
  };
  copy.Font().SetColor(clPurple);
  copy.SetPlacement(TPlacement::plBottom);
  EXPECT_EQ(std::tuple(originalFired, copyFired), std::tuple(0, 2));
  legend.Assign(copy);
  EXPECT_EQ(std::tuple(originalFired, legend.Placement(), legend.Font().Color()),
            std::tuple(1, TPlacement::plBottom, clPurple));
}

}  // namespace
}  // namespace aqv

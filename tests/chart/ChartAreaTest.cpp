#include <gtest/gtest.h>

#include <vector>

#include "chart/ChartArea.h"

namespace aqv {
namespace {

TEST(TChartArea, StartsWithBlackFontAndWhiteBorder) {
  const TChartArea area;
  EXPECT_EQ(area.Font().Color(), clBlack);
  EXPECT_EQ(area.Patterns().Border().Color(), clWhite);
  EXPECT_EQ(area.Patterns().Area().Color(), clWhite);
  EXPECT_FALSE(area.Selected());
}

TEST(TChartArea, ForwardsFontAndPatternsAndCopiesForwardToThemselves) {
  TChartArea area;
  std::vector<TObject*> senders;
  area.OnChange = [&](TObject* sender) { senders.push_back(sender); };
  area.Font().SetColor(clNavy);
  area.Patterns().Area().SetColor(clBtnFace);
  EXPECT_EQ(senders, std::vector<TObject*>(2, &area));

  TChartArea copy(area);
  std::vector<TObject*> copySenders;
  copy.OnChange = [&](TObject* sender) { copySenders.push_back(sender); };
  copy.Patterns().Border().SetStyle(TPenStyle::psClear);
  EXPECT_EQ(senders.size(), 2u);
  EXPECT_EQ(copySenders, std::vector<TObject*>{&copy});
  EXPECT_EQ(copy.Patterns().Area().Color(), clBtnFace);

  area = copy;  // the target keeps its listener and its forwarding
  area.Font().SetSize(9);
  EXPECT_EQ(senders, std::vector<TObject*>(3, &area));
  EXPECT_EQ(copySenders.size(), 1u);
}

}  // namespace
}  // namespace aqv

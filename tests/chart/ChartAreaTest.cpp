#include <gtest/gtest.h>

#include <vector>

#include "chart/ChartArea.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

TEST(TChartArea, StartsWithBlackFontAndWhiteBorder) {
  const TChartArea area;
  EXPECT_EQ(std::tuple(area.Font().Color(), area.Patterns().Border().Color(),
                       area.Patterns().Area().Color(), area.Selected()),
            std::tuple(clBlack, clWhite, clWhite, false));
}

TEST(TChartArea, ForwardsFontAndPatternsAndCopiesForwardToThemselves) {
  TChartArea area;
  test::TEventLog log(area);
  area.Font().SetColor(clNavy);
  area.Patterns().Area().SetColor(clBtnFace);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(2, &area));
  TChartArea copy(area);
  test::TEventLog copyLog(copy);
  copy.Patterns().Border().SetStyle(TPenStyle::psClear);
  EXPECT_EQ(std::tuple(log.Senders.size(), copyLog.Senders, copy.Patterns().Area().Color()),
            std::tuple(2u, std::vector<TObject*>{&copy}, clBtnFace));
  area = copy;  // the target keeps its listener and its forwarding
  area.Font().SetSize(9);
  EXPECT_EQ(std::tuple(log.Senders, copyLog.Senders.size()),
            std::tuple(std::vector<TObject*>(3, &area), 1u));
}

}  // namespace
}  // namespace aqv

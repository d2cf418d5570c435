// Journeys: pages, help and the frame window.

#include "tests/e2e/Journey.h"

namespace aqv::e2e {
namespace {

TEST_F(Journey, F1OnTheTabsShowsTheHelpOfThePageTheyShow) {
  THelpCatcher help;
  TMDIChild* child = NewDocument();
  const struct {
    TDocumentPage Page;
    const char* Keyword;
    const char* Hint;
  } cases[] = {
      {TDocumentPage::dpContourPlot, "contour_plot", "Piezometric surface drawdown and build-up"},
      {TDocumentPage::dpAquiferSystem, "aquifer_system", "Aquifer system"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Keyword);
    ShowPage(*child, c.Page);
    QTabBar* tabs = child->PageControl()->tabBar();
    ASSERT_TRUE(WaitUntil([tabs] { return tabs->hasFocus(); }, 3000));
    EXPECT_EQ(child->statusTip(), c.Hint);
    QTest::keyClick(tabs, Qt::Key_F1);
    help.ExpectOnePage(c.Keyword);
  }
  ExpectNoMessages();
}

}  // namespace
}  // namespace aqv::e2e

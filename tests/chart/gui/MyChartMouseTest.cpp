#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QHelpEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
#include <QToolTip>
#include <functional>
#include <string>
#include <vector>

#include "chart/gui/ChartDialogs.h"
#include "chart/gui/ChartPopupMenu.h"
#include "chart/gui/MyChart.h"
#include "tests/chart/gui/ChartTestScenes.h"
#include "tests/support/AnswerDialog.h"

namespace aqv {
namespace {

// Records every dialog call and answers with Answer; ExecuteAxis may change the scale.
class TFakeDialogs final : public TChartDialogs {
 public:
  bool ExecuteChartArea(QWidget*, TChartArea&, int&, const QString& name) override {
    return Record("area", name);
  }
  bool ExecuteTitle(QWidget*, TTitle& title, int&, const QString& name) override {
    LastTitle = &title;
    return Record("title", name);
  }
  bool ExecuteLegend(QWidget*, TLegend&, int&, const QString& name) override {
    return Record("legend", name);
  }
  bool ExecuteAxis(QWidget*, TAxis& axis, int& page, const QString& name) override {
    LastAxis = &axis;
    if (NewMin) {
      axis.Scale().SetMinAutomatic(false);
      axis.Scale().SetMin(*NewMin);
    }
    page = 2;
    return Record("axis", name);
  }
  bool ExecuteSeries(QWidget*, TSeries& series, int&, const QString& name) override {
    LastSeries = &series;
    if (OnSeries) OnSeries(series);
    return Record("series", name);
  }
  bool ExecuteChartOptions(QWidget*, TAxisTypes&, TLegend&, int&, TTitle& chartTitle, TTitle&,
                           TTitle&, TTitle&) override {
    LastTitle = &chartTitle;
    return Record("options", "");
  }

  bool Record(const char* kind, const QString& name) {
    Calls.push_back(std::string(kind) + ":" + name.toStdString());
    return Answer;
  }

  std::vector<std::string> Calls;
  bool Answer = true;
  const TTitle* LastTitle = nullptr;
  const TAxis* LastAxis = nullptr;
  const TSeries* LastSeries = nullptr;
  std::optional<double> NewMin;
  std::function<void(TSeries&)> OnSeries;  // the edits of the series dialog
};

// A shown chart of 640 x 480 with two series, laid out by a first paint.
class TMyChartMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetChartUnitState();
    chart.resize(640, 480);
    chart.SetDialogs(&dialogs);
    test::FillLinear(chart, 2);
    chart.show();
    chart.grab();
  }
  void TearDown() override { chart.PopupMenu()->hide(); }

  QPoint Centre(const TPartRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
  QPoint PointOf(int series, int index) {
    const TSeries& s = *chart.GetSeries(series);
    return QPoint(s.GetPixelX(index), s.GetPixelY(index));
  }
  void Move(QPoint pos) { QTest::mouseMove(&chart, pos); }
  void Click(Qt::MouseButton button, QPoint pos) { QTest::mousePress(&chart, button, {}, pos); }

  TFakeDialogs dialogs;
  TMyChart chart;
};

TEST_F(TMyChartMouse, HintsNameThePartOrThePointUnderTheMouse) {
  const TChartModel& m = chart.Model();
  const std::pair<QPoint, const char*> cases[] = {
      {QPoint(5, 5), "Chart area"},
      {Centre(m.ChartTitle.Rect()), "Chart title"},
      {QPoint(m.Legend.Rect().Right - 2, m.Legend.Rect().Bottom - 2), "Legend"},
      {Centre(m.X_Axis.Rect()), "X-axis"},
      {Centre(m.X_Axis.Title().Rect()), "X-axis title"},
      {QPoint(m.Y_Axis.Rect().Left + 2, m.Y_Axis.Rect().Top + 30), "Y-axis"},
      {Centre(m.Y_Axis.Title().Rect()), "Y-axis title"},
  };
  for (const auto& [at, hint] : cases) {
    Move(at);
    EXPECT_EQ(chart.Hint().toStdString(), hint);
    EXPECT_EQ(chart.toolTip().toStdString(), hint);
    EXPECT_EQ(chart.statusTip().toStdString(), hint);
  }
  // A click where the mouse came unseen (a dialog closed over it) names its part as well.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(Centre(m.X_Axis.Rect())),
                    chart.mapToGlobal(QPointF(Centre(m.X_Axis.Rect()))), Qt::LeftButton,
                    Qt::LeftButton, {});
  QCoreApplication::sendEvent(&chart, &press);
  EXPECT_EQ(chart.statusTip(), "X-axis");
  // A tooltip that shows as the mouse passes to another part follows it.
  Move(QPoint(5, 5));
  QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), chart.mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(&chart, &tip);
  ASSERT_TRUE(QToolTip::isVisible());
  Move(Centre(m.ChartTitle.Rect()));
  EXPECT_EQ(QToolTip::text().toStdString(), "Chart title");
  QToolTip::hideText();
  chart.SetSeriesName(1, "Well 2");
  chart.grab();
  Move(PointOf(1, 5) + QPoint(5, 0));  // 4 px from a point is on it, 5 px beside it
  EXPECT_NE(ChartUnitState().HoveredPart, TChartPart::cpSeriesPoint);
  Move(PointOf(1, 5) + QPoint(4, -4));
  EXPECT_EQ(std::tuple(ChartUnitState().HoveredPart, ChartUnitState().HoveredSeries, chart.Hint(),
                       chart.toolTip(), chart.statusTip()),
            std::tuple(TChartPart::cpSeriesPoint, 1, "Well 2\rTime: 5\rValue: 5 | Well 2",
                       "Well 2\nTime: 5\nValue: 5", "Well 2"));
  // A legend left out of the drawing is not there to hit.
  const QPoint legend = Centre(m.Legend.Rect());
  chart.Model().Legend.SetPlacement(TPlacement::plNone);
  chart.grab();
  EXPECT_EQ(chart.HitTest(legend), TChartPart::cpChartArea);
}

TEST(TMyChartStatus, LongHintReachesTheStatusBar) {
  ResetChartUnitState();
  QMainWindow window;
  auto* chart = new TMyChart;
  window.setCentralWidget(chart);
  window.statusBar();
  window.resize(640, 520);
  chart->AddSeries(0);
  chart->AddPoint(0, 0, 1, 2);
  chart->AddPoint(0, 1, 3, 4);
  window.show();
  chart->grab();
  const TSeries& s = *chart->GetSeries(0);
  QTest::mouseMove(chart, QPoint(s.GetPixelX(1), s.GetPixelY(1)));
  EXPECT_EQ(window.statusBar()->currentMessage(), "Series 0");
  const TPartRect t = chart->Model().ChartTitle.Rect();
  QTest::mouseMove(chart, QPoint((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2));
  EXPECT_EQ(window.statusBar()->currentMessage(), "Chart title");
}

TEST_F(TMyChartMouse, HiddenPointsAreNeverHitAndAPointOverTheLegendWins) {
  // Normal layouts keep the legend off the plot; lay it over a point by hand.
  const QPoint point = PointOf(0, 4);
  chart.Model().Legend.Rect() = {point.x() - 20, point.x() + 20, point.y() - 20, point.y() + 20};
  // Listed in order: the hit on the point sets the series hovered.
  EXPECT_EQ((std::tuple{chart.HitTest(point + QPoint(10, 10)), chart.HitTest(point),
                        ChartUnitState().HoveredSeries}),
            std::tuple(TChartPart::cpLegend, TChartPart::cpSeriesPoint, 0));
  chart.DeleteSeries(1);
  chart.grab();
  const QPoint old = PointOf(0, 10);
  // Narrow the X scale: the last point leaves the plot but keeps its old pixels.
  chart.Model().X_Axis.Scale().SetData({false, false, false, false, false, 0, 5, 1, 1, false},
                                       false);
  chart.grab();
  ASSERT_FALSE(chart.GetSeries(0)->GetVisible(10));
  Move(old);
  EXPECT_NE(ChartUnitState().HoveredPart, TChartPart::cpSeriesPoint);
  // A series without points has nothing to hit; the mouse passes over the plot without harm.
  chart.AddSeries(1);
  chart.grab();
  Move(old + QPoint(0, 1));
  EXPECT_NE(ChartUnitState().HoveredPart, TChartPart::cpSeriesPoint);
}

TEST_F(TMyChartMouse, RightAndLeftClicksSelectAndDeselectParts) {
  const TChartModel& m = chart.Model();
  const QPoint title = Centre(m.ChartTitle.Rect());
  chart.Model().X_Axis.SetSelected(true);
  Click(Qt::RightButton, title);
  EXPECT_EQ(std::tuple(m.ChartTitle.Selected(), m.X_Axis.Selected(), ChartUnitState().SelectedPart,
                       chart.PopupMenu()->isVisible()),
            std::tuple(true, false, TChartPart::cpChartTitle, true));
  chart.PopupMenu()->hide();
  Click(Qt::RightButton, title);
  EXPECT_TRUE(m.ChartTitle.Selected());
  chart.PopupMenu()->hide();
  Click(Qt::LeftButton, title);
  EXPECT_FALSE(m.ChartTitle.Selected());
  EXPECT_EQ(ChartUnitState().SelectedPart, TChartPart::cpNone);
  // The chart area's own flag survives clicks elsewhere: right-clicking it twice deselects it.
  Click(Qt::RightButton, QPoint(5, 5));
  EXPECT_TRUE(m.ChartArea.Selected());
  chart.PopupMenu()->hide();
  Click(Qt::RightButton, QPoint(5, 5));
  EXPECT_FALSE(m.ChartArea.Selected());
  EXPECT_EQ(ChartUnitState().SelectedPart, TChartPart::cpNone);
  // A point selects its own series.
  Click(Qt::RightButton, PointOf(1, 6));
  chart.PopupMenu()->hide();
  EXPECT_TRUE(m.Series(1)->Selected() && !m.Series(0)->Selected());
  // Every other part a click lands on is the one selected, the secondary axis's too.
  chart.Model().Axes.Include(TAxisType::saSecondaryY);
  chart.GetSeries(1)->Range().SetYAxis(2);
  chart.grab();
  const auto selected = [](const auto& part) {
    return std::function([&part] { return part.Selected(); });
  };
  const std::pair<QPoint, std::function<bool()>> parts[] = {
      {Centre(m.X_Axis.Rect()), selected(m.X_Axis)},
      {Centre(m.X_Axis.Title().Rect()), selected(m.X_Axis.Title())},
      {QPoint(m.Y_Axis.Rect().Left + 2, m.Y_Axis.Rect().Top + 30), selected(m.Y_Axis)},
      {Centre(m.Y_Axis.Title().Rect()), selected(m.Y_Axis.Title())},
      {QPoint(m.SecondaryY_Axis.Rect().Right - 2, m.SecondaryY_Axis.Rect().Top + 30),
       selected(m.SecondaryY_Axis)},
      {Centre(m.SecondaryY_Axis.Title().Rect()), selected(m.SecondaryY_Axis.Title())},
      {QPoint(m.Legend.Rect().Right - 2, m.Legend.Rect().Bottom - 2), selected(m.Legend)},
  };
  for (const auto& [at, isSelected] : parts) {
    Click(Qt::RightButton, at);
    chart.PopupMenu()->hide();
    EXPECT_TRUE(isSelected()) << at.x() << "," << at.y();
  }
}

TEST_F(TMyChartMouse, MenuCaptionsAndSeriesItemEnabledOnlyWithSeries) {
  TChartPopupMenu& menu = *chart.PopupMenu();
  menu.Prepare();
  const char* captions[] = {"Select curves...", "",          "Chart area...",
                            "Chart title...",   "Legend...", "X-Axis...",
                            "X-Axis title...",  "Y-Axis...", "Y-Axis title...",
                            "Series...",        "",          "Chart options..."};
  ASSERT_EQ(menu.actions().size(), 12);  // nothing after Chart options
  for (int i = 0; i < 12; ++i) EXPECT_EQ(menu.Item(i)->text().toStdString(), captions[i]) << i;
  EXPECT_EQ(std::tuple(menu.Item(1)->isSeparator(), menu.Item(10)->isSeparator(), menu.objectName(),
                       menu.Item(11)->objectName(), menu.Item(7)->objectName(),
                       menu.Item(9)->isEnabled()),
            std::tuple(true, true, "PopupMenu", "poChartOptions", "poFormatItem_7", true));
  chart.ClearSeries();
  menu.Prepare();
  EXPECT_FALSE(menu.Item(9)->isEnabled());
}

TEST_F(TMyChartMouse, MenuItemsOpenTheDialogsOnTheirPartsAndFlagAChangedYMinimum) {
  TChartPopupMenu& menu = *chart.PopupMenu();
  TChartPopupMenu* sender = nullptr;  // "Select curves..." fires the menu's event, no dialog
  menu.OnSelectCurves = [&](TChartPopupMenu* m) { sender = m; };
  int formatChanges = 0;  // each confirmed dialog leaves the document unsaved
  chart.OnFormatChanged = [&formatChanges] { ++formatChanges; };
  menu.Item(0)->trigger();
  EXPECT_EQ(sender, &menu);
  EXPECT_TRUE(dialogs.Calls.empty());
  for (int i = 2; i <= 8; ++i) {
    menu.Item(i)->trigger();
    if (i == 5) {
      EXPECT_FALSE(chart.YMinChangedByUser());  // the X axis: no change
    }
  }
  menu.Item(11)->trigger();
  const std::vector<std::string> expected = {
      "area:Chart area",    "title:Chart title", "legend:Legend",      "axis:X-axis",
      "title:X-axis title", "axis:Y-axis",       "title:Y-axis title", "options:"};
  EXPECT_EQ(std::tuple(dialogs.Calls, dialogs.LastAxis, dialogs.LastTitle,
                       ChartUnitState().FormatOptionsPageIndex, formatChanges),
            std::tuple(expected, &chart.Model().Y_Axis, &chart.Model().ChartTitle, 2, 8));
  dialogs.NewMin = 0.5;
  menu.Item(7)->trigger();
  EXPECT_TRUE(chart.YMinChangedByUser());
  dialogs.Answer = false;  // a cancelled dialog, of either kind, leaves it as it was
  menu.Item(11)->trigger();
  menu.Item(2)->trigger();
  EXPECT_EQ(formatChanges, 9);
}

TEST_F(TMyChartMouse, SeriesPickerPreselectsAnExistingSeries) {
  // Series 0 comes from a grid; the dialog points its Y values at the grid's third column, and
  // the series then shows that column.
  test::TTextGrid grid({{"1", "7", "40"}, {"2", "7", "41"}});
  chart.GetSeries(0)->Range().SetGrid(&grid);
  chart.GetSeries(0)->Range().SetXRange({0, 0, 0, 1});
  chart.GetSeries(0)->Range().SetYRange({1, 0, 1, 1});
  dialogs.OnSeries = [](TSeries& series) { series.Range().SetYRange({2, 0, 2, 1}); };
  int formatChanges = 0;  // each one leaves the document unsaved
  chart.OnFormatChanged = [&formatChanges] { ++formatChanges; };
  ChartUnitState().HoveredSeries = 57;  // a series deleted since
  int offered = -1;
  test::AnswerDialog<QDialog>([&offered](QDialog& picker) {
    auto* box = picker.findChild<QComboBox*>("SeriesComboBox");
    EXPECT_EQ(std::pair(box->count(), box->itemText(1)), std::pair(2, QStringLiteral("Series 1")));
    offered = box->currentIndex();
    // Over the cursor, centred on it.
    EXPECT_NEAR(picker.frameGeometry().center().x(), QCursor::pos().x(), 2);
    EXPECT_NEAR(picker.frameGeometry().bottom(), QCursor::pos().y(), 8);
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Return);
  });
  // "Series..." chosen with the mouse from the menu a right click opens.
  Click(Qt::RightButton, QPoint(5, 5));
  TChartPopupMenu* menu = chart.PopupMenu();
  ASSERT_TRUE(menu->isVisible());
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->Item(9)).center());
  EXPECT_EQ(std::tuple(offered, ChartUnitState().HoveredSeries, dialogs.LastSeries, dialogs.Calls),
            std::tuple(1, 0, chart.GetSeries(0), std::vector<std::string>{"series:Series 0"}));
  const TSeries& s = *chart.GetSeries(0);
  ASSERT_EQ(s.GetCount(), 2);
  EXPECT_EQ(std::tuple(s.GetX(1), s.GetY(0), s.GetY(1), formatChanges),
            std::tuple(2.0, 40.0, 41.0, 1));
  // The picker cancelled: no dialog, no change.
  chart.SelectSeries = [](const QStringList&, int&) { return false; };
  chart.PopupMenu()->Item(9)->trigger();
  EXPECT_EQ(std::tuple(dialogs.Calls.size(), formatChanges), std::tuple(1u, 1));
}

}  // namespace
}  // namespace aqv

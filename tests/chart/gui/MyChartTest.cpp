#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <vector>

#include "chart/gui/CanvasDimensionsForm.h"
#include "chart/gui/MyChart.h"
#include "chart/gui/SelectSeriesForm.h"
#include "controls/MySpin.h"
#include "tests/chart/gui/ChartTestScenes.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"

namespace aqv {
namespace {

TEST(TMyChart, AddSeriesAppendsOrInsertsWithTheDefaultsOfItsIndex) {
  TMyChart chart;
  chart.AddSeries(0);
  chart.AddSeries(1);
  chart.AddSeries(5);  // beyond the end: appended as index 2
  ASSERT_EQ(chart.GetSeriesCount(), 3);
  EXPECT_EQ(std::tuple(chart.GetSeriesName(2), chart.GetSeriesPatterns(2)->Border().Color(),
                       chart.GetSeriesMarker(2)->Color(), chart.GetSeriesMarker(2)->Style(),
                       chart.GetSeriesMarker(2)->Size()),
            std::tuple("Series 2", clRed, clRed, TMarkerStyle::msSquare, 6));
  chart.AddSeries(0);  // inserted first, the others move up
  ASSERT_EQ(chart.GetSeriesCount(), 4);
  EXPECT_EQ(std::tuple(chart.GetSeriesName(0), chart.GetSeriesMarker(0)->Style(),
                       chart.GetSeriesPatterns(0)->Border().Color(), chart.GetSeriesName(3)),
            std::tuple("Series 0", TMarkerStyle::msCircle, clBlue, "Series 2"));
  // The default colours repeat by sixteen and the markers by six.
  EXPECT_EQ(
      std::tuple(DefaultSeriesColor(16), DefaultSeriesColor(15), DefaultSeriesColor(10),
                 DefaultSeriesMarkerStyle(6), DefaultSeriesMarkerStyle(5)),
      std::tuple(clBlue, clYellow, clMaroon, TMarkerStyle::msCircle, TMarkerStyle::msVerticalLine));
}

TEST(TMyChart, HoldsAtMost128SeriesAndIgnoresBadIndexes) {
  TMyChart chart;
  for (int i = 0; i < 130; ++i) chart.AddSeries(i);
  EXPECT_EQ(std::tuple(chart.GetSeriesCount(), chart.GetSeries(-1), chart.GetSeries(128),
                       chart.GetSeriesName(200), chart.GetSeriesMarker(-3), chart.GetX(500, 0)),
            std::tuple(kMaxSeriesCount, nullptr, nullptr, "", nullptr, 0.0));
  chart.AddPoint(500, 0, 1, 1);
  chart.SetY(-1, 0, 1);
  chart.SetSeriesName(128, "x");
  chart.DeleteSeries(0);
  EXPECT_EQ(std::tuple(chart.GetSeriesCount(), chart.GetSeriesName(0)),
            std::tuple(127, "Series 1"));
  chart.ClearSeries();
  EXPECT_EQ(chart.GetSeriesCount(), 0);
}

TEST(TMyChart, LoadSeriesFromGridReadsRowsAndMarksNonNumbersMissing) {
  TMyChart chart;
  chart.AddSeries(0);
  test::TTextGrid grid({{"", "", ""},
                        {"", "10", "1"},
                        {"", "20", "2"},
                        {"", "30", "abc"},
                        {"", "40", ""},
                        {"", "50", "5"}});
  TSeriesRange& range = chart.GetSeries(0)->Range();
  range.SetGrid(&grid);
  range.SetXRange({1, 1, 1, 2});           // X only for rows 1 and 2
  range.SetYRange({2, 1, 2, 2000000000});  // far beyond the grid
  chart.LoadSeriesFromGrid(0);
  const TSeries& s = *chart.GetSeries(0);
  ASSERT_EQ(s.GetCount(), 5);
  // Row 3 without X: row + 1.
  EXPECT_EQ((std::vector{s.GetX(0), s.GetX(1), s.GetX(2)}), (std::vector{10.0, 20.0, 4.0}));
  EXPECT_EQ((std::vector{s.GetY(0), s.GetY(2), s.GetY(3), s.GetY(4)}),
            (std::vector{1.0, kMissingValue, kMissingValue, 5.0}));
}

TEST(TMyChart, AutoUpdateHooksAndUnhooksThePartsChangesAndResetOptionsRestoresANewChart) {
  TMyChart chart;
  EXPECT_FALSE(chart.Model().ChartTitle.OnChange);
  chart.SetAutoUpdate(true);
  EXPECT_TRUE(chart.Model().ChartTitle.OnChange);
  EXPECT_TRUE(chart.Model().SecondaryY_Axis.OnChange);
  chart.SetAutoUpdate(false);
  EXPECT_FALSE(chart.Model().Legend.OnChange);
  TChartModel* model = &chart.Model();
  test::FillLinear(chart);
  chart.Model().ChartTitle.SetText("Changed");
  chart.Model().Axes.Include(TAxisType::saSecondaryY);
  chart.Model().Legend.SetPlacement(TPlacement::plTop);
  ChartUnitState().FormatOptionsPageIndex = 3;
  ChartUnitState().ChartOptionsPageIndex = 2;
  chart.Model().ChartTitle.SetSelected(true);
  chart.ResetOptions();
  const TChartModel& m = chart.Model();
  EXPECT_EQ(
      std::tuple(&m, chart.GetSeriesCount(), m.ChartTitle.Text(),
                 m.Axes.Contains(TAxisType::saSecondaryY), m.Legend.Placement(),
                 ChartUnitState().FormatOptionsPageIndex, ChartUnitState().ChartOptionsPageIndex,
                 static_cast<bool>(m.X_Axis.OnChange), m.ChartTitle.Selected()),
      std::tuple(model, 0, "Chart 1", false, TPlacement::plRight, 0, 0, true, false));
}

TEST(TMyChart, CopyAtAChosenSizeGivesImageAndSvgAndLeavesTheScreenChartOrCancelledNothing) {
  ResetChartUnitState();
  TMyChart chart;
  chart.resize(400, 300);
  test::FillLinear(chart);
  chart.show();
  const QImage before = chart.grab().toImage();
  const TPlotRect plotBefore = chart.Layout().Plot();
  // The size dialog opens on the chart's size and copies at the size typed.
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    auto* width = dialog.findChild<TMySpinEdit*>("cdWidthSpinEdit");
    EXPECT_EQ(std::pair(width->text(), dialog.findChild<TMySpinEdit*>("cdHeightSpinEdit")->text()),
              std::pair(QStringLiteral("400"), QStringLiteral("300")));
    width->selectAll();
    QTest::keyClicks(width, "640");
    QTest::keyClick(width, Qt::Key_Enter, Qt::KeypadModifier);
  });
  chart.CopyToClipboard(false, true);
  EXPECT_EQ(qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData()).size(),
            QSize(640, 300));
  chart.AskCanvasSize = [](int& w, int& h) {
    EXPECT_EQ(std::tuple(w, h), std::tuple(400, 300));
    w = 9000;  // kept within 200 to 5000
    h = 100;
    return true;
  };
  chart.CopyToClipboard(true, true);
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  const QImage copy = qvariant_cast<QImage>(mime->imageData());
  const QByteArray svg = mime->data("image/svg+xml");
  // 5000 pixels at 96 dots per inch; the chart on the screen as it was.
  EXPECT_EQ(std::tuple(copy.size(), svg.contains("viewBox=\"0 0 5000 200\""),
                       svg.contains("width=\"1322.92mm\""), chart.Layout().Plot()),
            std::tuple(QSize(5000, 200), true, true, plotBefore));
  EXPECT_EQ(chart.grab().toImage(), before);
  // A cancelled size dialog copies nothing; without one the copy has the chart's size.
  QGuiApplication::clipboard()->setText("kept");
  chart.AskCanvasSize = [](int&, int&) { return false; };
  chart.CopyToClipboard(false, true);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
  chart.AskCanvasSize = nullptr;
  chart.CopyToClipboard(false, false);
  const QMimeData* plain = QGuiApplication::clipboard()->mimeData();
  EXPECT_EQ(std::tuple(qvariant_cast<QImage>(plain->imageData()).size(),
                       plain->hasFormat("image/svg+xml")),
            std::tuple(QSize(400, 300), false));
}

TEST(TMyChart, ScaleChangesDuringThePaintScheduleNoFurtherPaint) {
  ResetChartUnitState();
  TMyChart chart;
  test::TPaintCounter painted;
  chart.installEventFilter(&painted);
  chart.resize(300, 200);
  test::FillLinear(chart);
  chart.SetAutoUpdate(true);
  // A fixed major unit far below the automatic step: the automatic scaling raises it through
  // the setter, which fires the axis's change event from inside the paint.
  TScale& x = chart.Model().X_Axis.Scale();
  x.SetMajorUnitAutomatic(false);
  x.SetMajorUnit(1e-6);
  chart.show();
  QApplication::processEvents();
  painted.Paints = 0;
  chart.repaint();
  ASSERT_EQ(painted.Paints, 1);
  EXPECT_GT(x.MajorUnit(), 1e-6);
  for (int i = 0; i < 2; ++i) QApplication::processEvents();
  EXPECT_EQ(painted.Paints, 1);
  chart.Model().ChartTitle.SetText("Changed");  // outside the paint: repaints
  QApplication::processEvents();
  EXPECT_EQ(painted.Paints, 2);
  chart.Model().Series(0)->Marker().SetColor(clRed);  // and so does a series
  QApplication::processEvents();
  EXPECT_EQ(painted.Paints, 3);
}

TEST(TMyChart, RestoreImageShowsTheSavedDrawingUntilTheNextPaint) {
  ResetChartUnitState();
  TMyChart chart;
  chart.resize(300, 200);
  test::FillLinear(chart);
  chart.show();
  const QImage first = chart.grab().toImage();
  chart.SaveImage();
  chart.Model().ChartTitle.SetText("Another graph");
  const QImage second = chart.grab().toImage();
  ASSERT_NE(first, second);
  chart.RestoreImage();
  EXPECT_EQ(chart.grab().toImage(), first);
  EXPECT_EQ(chart.grab().toImage(), second);
}

TEST(TCanvasDimensionsForm, KeepsSizesWithin200And5000) {
  TCanvasDimensionsForm form;
  EXPECT_EQ(form.windowTitle(), "Width and height");
  ASSERT_NE(form.findChild<TMySpinEdit*>("cdWidthSpinEdit"), nullptr);
  ASSERT_NE(form.findChild<TMySpinEdit*>("cdHeightSpinEdit"), nullptr);
  form.SetCanvasSize(50, 9000);
  EXPECT_EQ(std::tuple(form.CanvasWidth(), form.CanvasHeight()), std::tuple(200, 5000));
  form.WidthEdit()->setText("123456");
  EXPECT_EQ(form.CanvasWidth(), 5000);
  form.SetCanvasSize(640, 480);
  form.WidthEdit()->UpClick();  // in steps of 10
  EXPECT_EQ(std::tuple(form.CanvasWidth(), form.CanvasHeight()), std::tuple(650, 480));
}

TEST(TSelectSeriesForm, PickerAndSizeDialogShowTheirWholeTexts) {
  // The picker's box shows the longest series name whole.
  TSelectSeriesForm picker;
  const QString longest = QStringLiteral("Piezometer PB 125 north\t, layer: 2");
  picker.SetSeriesNames({QStringLiteral("PB 5 m"), longest}, 1);
  EXPECT_EQ(picker.SelectedIndex(), 1);  // opens on the series it was given
  picker.adjustSize();
  picker.show();
  auto* box = picker.findChild<QComboBox*>(QStringLiteral("SeriesComboBox"));
  QStyleOptionComboBox option;
  option.initFrom(box);
  const QRect field =
      box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
  EXPECT_GE(field.width(), box->fontMetrics().horizontalAdvance(longest));
  picker.grab().save(QString::fromStdString(test::ReviewPath("series-picker.png")));
  // The size dialog leaves its title bar room for the whole title (drawn bold by most window
  // managers) beside the frame's buttons.
  TCanvasDimensionsForm size;
  size.adjustSize();
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GE(size.width(), QFontMetrics(bold).horizontalAdvance(size.windowTitle()) + 100);
  size.grab().save(QString::fromStdString(test::ReviewPath("size-dialog.png")));
}

TEST(TMyChart, LogScaleWarningReportedOnceOutsideThePaint) {
  ResetChartUnitState();
  TMyChart chart;
  chart.resize(400, 300);
  std::vector<QString> shown;
  bool paintingWhenShown = false;
  chart.ShowLogScaleWarning = [&](const QString& text) {
    paintingWhenShown = paintingWhenShown || ChartUnitState().ChartPainting;
    shown.push_back(text);
  };
  // A log scale from min to 10.
  const auto logFrom = [](TAxis& axis, double min) {
    axis.Scale().SetData({false, false, true, true, true, min, 10, 1, 1, false}, false);
  };
  logFrom(chart.Model().Y_Axis, -1);
  chart.show();
  for (int i = 0; i < 3; ++i) {
    chart.repaint();
    QApplication::processEvents();
  }
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0],
            "Could not display log scale on Y-axis! Adjust minmimum and/or maximum values.");
  EXPECT_FALSE(paintingWhenShown);
  // Leaving the state and entering it again warns again.
  for (const double min : {1.0, 0.0}) {
    logFrom(chart.Model().Y_Axis, min);
    chart.repaint();
  }
  QApplication::processEvents();
  EXPECT_EQ(shown.size(), 2u);
  // The time axis says so in its own words.
  logFrom(chart.Model().X_Axis, -1);
  chart.repaint();
  QApplication::processEvents();
  EXPECT_EQ(shown.back(),
            "Could not display log scale on X-axis! Adjust minmimum and/or maximum values.");
}

}  // namespace
}  // namespace aqv

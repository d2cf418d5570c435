// Journeys: the time graph follows its buttons and keeps the styles a file carries.

#include <QRadioButton>

#include "tests/e2e/Journey.h"
#include "tests/support/Pixels.h"

namespace aqv::e2e {
namespace {

using test::RadioButton;

// Presses Update graph and waits for the graph to be up to date.
void UpdateGraph(TMDIChild& child) {
  QTest::mouseClick(child.UpdateGraphButton(), Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return !child.Data().Modified() && !child.IsBusy(); }));
  QApplication::processEvents();
}

bool SvgShowsText(TMyChart& chart, const QString& text) {
  const QString svg = QString::fromUtf8(chart.RenderSvg(chart.width(), chart.height()));
  return svg.contains(QLatin1Char('>') + text + QLatin1Char('<'));
}

TEST_F(Journey, AxisButtonsAndUpdateGraphSetTheTitleAndScales) {
  TMDIChild* child = NewDocument(TDocumentPage::dpChart);
  TMyChart& chart = *child->Chart();
  UpdateGraph(*child);
  ASSERT_GT(chart.GetSeriesCount(), 0);
  const TSeries& curve = *chart.GetSeries(0);
  EXPECT_TRUE(chart.Model().Y_Axis.Scale().LogScale());

  struct TStep {
    std::vector<const char*> Buttons;
    const char* Title;
    bool LogX, LogY;
  };
  const TStep steps[] = {{{"Linear head"}, "Head - time", true, false},
                         {{"Linear time axis"}, "Head - time", false, false},
                         {{"Well-face fluxes"}, "Well-face flux - time", false, false},
                         {{"Drawdown curves", "Logarithmic drawdown", "Logarithmic time axis"},
                          "Drawdown - time",
                          true,
                          true}};
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Buttons.front());
    for (const char* button : step.Buttons) Click(RadioButton(*child, button));
    UpdateGraph(*child);
    EXPECT_TRUE(SvgShowsText(chart, QString::fromLatin1(step.Title)));
    EXPECT_EQ(chart.Model().X_Axis.Scale().LogScale(), step.LogX);
    EXPECT_EQ(chart.Model().Y_Axis.Scale().LogScale(), step.LogY);
    if (step.Buttons.front() == std::string("Linear head")) {
      EXPECT_LT(curve.GetY(curve.GetCount() - 1), 0);  // heads below the start are negative
    }
  }
  ExpectNoMessages();
}

// The sample with automatic update off, so that the graph waits for its button, and with
// series formats that fit the series the window builds from it: the first aquifer's curve red,
// dashed and 3 pixels wide, the second's green and dotted, the measured points fuchsia
// triangles of 9 pixels.
std::string StyledSample(const std::string& path) {
  std::string text = WithoutImages(ReadAll(kSample));
  const std::size_t settings = text.find('\n', text.find("=== Time graph settings")) + 1;
  text[settings] = '0';
  const std::size_t begin = text.find("Number of series");
  const std::size_t end = text.find("=== Pumping well options");
  text.replace(begin, end - begin,
               "Number of series : 3\n"
               "clRed 4 8\nclWhite 0 - clRed 1 3\n"
               "clGreen 0 0\nclWhite 0 - clGreen 2 2\n"
               "clFuchsia 4 9\nclWhite 1 - clFuchsia 5 1\n");
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

void ExpectFileStyles(TMDIChild& child, const char* when) {
  SCOPED_TRACE(when);
  TMyChart& chart = *child.Chart();
  ASSERT_EQ(chart.GetSeriesCount(), 3);
  for (const auto& [i, color, style, width] :
       {std::tuple{0, clRed, TPenStyle::psDash, 3}, {1, clGreen, TPenStyle::psDot, 2}}) {
    const TPen& pen = chart.GetSeries(i)->Patterns().Border();
    EXPECT_EQ(std::tuple(pen.Color(), pen.Style(), pen.Width()), std::tuple(color, style, width))
        << "curve " << i;
  }
  const TSeries& observed = *chart.GetSeries(2);
  ASSERT_EQ(observed.Reference()->Kind, 1);
  EXPECT_EQ(observed.Marker().Data(), (TMarkerData{clFuchsia, 9, TMarkerStyle::msTriangle}));
  // On the screen: the red line, and a fuchsia marker on a measured point.
  const QImage picture = chart.grab().toImage();
  EXPECT_GT(test::CountColour(picture, Qt::red), 30);
  const int k = observed.GetCount() / 2;
  ASSERT_TRUE(observed.GetVisible(k));
  EXPECT_EQ(picture.pixelColor(observed.GetPixelX(k), observed.GetPixelY(k)), QColor(Qt::magenta));
}

// A file's curve styles were lost at the first recalculation, and a save then wrote defaults.
TEST_F(Journey, FileCurveStylesSurviveARecalculationASaveAndAReload) {
  const std::string path = StyledSample(mFolder.Path("styles.aqv"));
  TMDIChild* child = OpenDocument(path);
  EXPECT_TRUE(child->Data().Saved);
  ShowPage(*child, TDocumentPage::dpChart);
  ExpectFileStyles(*child, "opened");

  auto* stopping = child->findChild<QLineEdit*>(QStringLiteral("tmStoppingTimeFloatEdit"));
  ASSERT_NE(stopping, nullptr);
  TypeInto(stopping, QStringLiteral("5"));
  EXPECT_FALSE(child->Data().CurvesValid);
  UpdateGraph(*child);
  ExpectFileStyles(*child, "recalculated");
  Click(RadioButton(*child, "Linear time axis"));  // which the file keeps too

  const QString overwrite = QString::fromStdString(path + " already exists. Overwrite?");
  mPerson.AnswerMessage(overwrite, QMessageBox::Yes);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Save"}));
  ASSERT_TRUE(child->Data().Saved);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));  // saved: no question
  ASSERT_TRUE(WaitUntil([&] { return mForm->Children().empty(); }, 3000));

  child = OpenDocument(path);
  EXPECT_TRUE(child->Data().Saved);
  ShowPage(*child, TDocumentPage::dpChart);
  ExpectFileStyles(*child, "reloaded");
  EXPECT_TRUE(RadioButton(*child, "Linear time axis")->isChecked());
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));  // nothing changed: no question
  ASSERT_TRUE(WaitUntil([&] { return mForm->Children().empty(); }, 3000));
  EXPECT_EQ(mPerson.Messages(), QStringList({overwrite}));
}

}  // namespace
}  // namespace aqv::e2e

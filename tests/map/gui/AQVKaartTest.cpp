#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "map/gui/AQVKaart.h"
#include "map/gui/AQVTextEdit.h"
#include "tests/app/gui/LayoutCheck.h"
#include "tests/map/MapTestModels.h"
#include "tests/map/gui/MapGuiFixture.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/Pixels.h"
#include "tests/support/TempFolder.h"

namespace aqv {

void PrintTo(const TMapHint& hint, std::ostream* out) {
  *out << "tip \"" << hint.Tip.toStdString() << "\", status \"" << hint.Status.toStdString()
       << "\"";
}

namespace {

using test::CountPixels;
using test::TMapFixture;
using test::TracedSegments;
using test::TSegment;

constexpr auto IsRed = [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
constexpr auto IsBlue = [](QColor c) { return c.blue() > 180 && c.red() < 90 && c.green() < 90; };
constexpr auto IsNotWhite = [](QColor c) { return c != QColor(Qt::white); };
constexpr auto IsBlack = [](QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; };
constexpr auto IsBandGreen = [](QColor c) {
  return c.green() > 100 && c.red() < 60 && c.blue() < 60;
};
// Whether a pixel within one pixel of p matches.
bool Near(const QImage& image, QPoint p, bool (*match)(QColor)) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (image.valid(p + QPoint(dx, dy)) && match(image.pixelColor(p + QPoint(dx, dy))))
        return true;
  return false;
}

TEST_F(TMapFixture, ComputedRangeGoesToTheDocumentAndLevelsSpanBothSigns) {
  QSignalSpy interval(mMap.get(), &TAQVKaart::IntervalChange);
  mMap->ComputeContours();
  EXPECT_EQ(interval.count(), 1);
  EXPECT_LT(mData->AutoMinContourValue, 0);  // build-up around the injection well
  EXPECT_GT(mData->AutoMaxContourValue, 0);
  EXPECT_GT(mData->AutoContourIntervalValue, 0);
  EXPECT_LT(mMap->GetMinContourLevel(), 0);
  EXPECT_GT(mMap->GetMaxContourLevel(), 0);
  EXPECT_FALSE(mMap->ComputeError());
  // A minimum, maximum and interval of one's own, inside that range, bound the levels instead.
  mData->AutoMinContour = mData->AutoMaxContour = mData->AutoContourInterval = false;
  mData->SetMinContour(-0.1);
  mData->SetMaxContour(0.2);
  mData->SetContourInterval(0.1);
  mMap->ComputeContours();
  EXPECT_DOUBLE_EQ(mMap->GetMinContourLevel(), -0.1);
  EXPECT_DOUBLE_EQ(mMap->GetMaxContourLevel(), 0.2);
  EXPECT_EQ(mMap->Levels().Count, 4);
}

TEST_F(TMapFixture, ContoursAreBlackEveryFifthLevelElseBlueForDrawdownAndRedForBuildUp) {
  const QImage image = Picture(QSize(900, 600), "map-two-wells.png");
  const std::vector<TSegment> traced = TracedSegments(mMap->Grid(), mMap->Levels());
  // The longest segment of each kind, probed at its middle.
  const auto probe = [&](auto kind, bool (*colour)(QColor), const char* name) {
    const TSegment* best = nullptr;
    for (const TSegment& s : traced)
      if (kind(s.LevelNo) && (!best || s.Length() > best->Length())) best = &s;
    ASSERT_NE(best, nullptr) << name;
    const QPoint pixel = Pixel((best->X1 + best->X2) / 2, (best->Y1 + best->Y2) / 2);
    EXPECT_TRUE(Near(image, pixel, colour)) << name << " level " << best->LevelNo;
  };
  probe([](int n) { return n > 0 && n % 5 != 0; }, IsBlue, "drawdown");
  probe([](int n) { return n < 0 && n % 5 != 0; }, IsRed, "build-up");
  probe([](int n) { return n > 0 && n % 5 == 0; }, IsBlack, "fifth drawdown");
  probe([](int n) { return n < 0 && n % 5 == 0; }, IsBlack, "fifth build-up");
}

TEST_F(TMapFixture, ImagePixelWellAndContourOfOnePointLandOnOnePixel) {
  // A white picture at 4 m per pixel whose pixel (10, 10) is centred on the observation well
  // at (-410, 260), away from the contours; the 5 x 5 pixels about it are green.
  QImage picture(100, 150, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int y = 8; y <= 12; ++y)
    for (int x = 8; x <= 12; ++x) picture.setPixelColor(x, y, QColor(0, 200, 0));
  mData->ObservationWells[1].X = -410;
  mData->ObservationWells[1].Y = 260;
  (void)ShowBehind(picture, "4\n0\n0\n-4\n-450\n300\n", 0);
  ASSERT_FALSE(mData->ImagesUnavailable);
  mData->MapOptions.DrawingOptions = {};
  const QImage image = Picture(QSize(900, 600), "map-registration.png");
  const QPoint well = Pixel(-410, 260);
  // The green block's pixels are centred on the well within a pixel.
  const auto green = [](QColor c) { return c.green() > 150 && c.red() < 80 && c.blue() < 80; };
  QRect block;
  for (int y = well.y() - 30; y <= well.y() + 30; ++y)
    for (int x = well.x() - 30; x <= well.x() + 30; ++x)
      if (green(image.pixelColor(x, y))) block |= QRect(x, y, 1, 1);
  ASSERT_FALSE(block.isEmpty());
  EXPECT_NEAR(block.center().x(), well.x(), 1);
  EXPECT_NEAR(block.center().y(), well.y(), 1);
  EXPECT_NEAR(block.width(), 20 * mMap->PlotLayout().Scale, 2);
  // The well's cross: its arms end 4 px from that pixel.
  for (QPoint arm : {QPoint(4, 0), QPoint(-4, 0), QPoint(0, 4), QPoint(0, -4)}) {
    EXPECT_TRUE(IsBlack(image.pixelColor(well + arm)));
    EXPECT_TRUE(green(image.pixelColor(well + arm + arm / 2)));
  }
  // A contour's point lands where its colour is drawn.
  const std::vector<TSegment> traced = TracedSegments(mMap->Grid(), mMap->Levels());
  ASSERT_FALSE(traced.empty());
  int drawn = 0;
  for (std::size_t i = 0; i < traced.size(); i += 37)
    drawn += Near(image, Pixel(traced[i].X1, traced[i].Y1),
                  [](QColor c) { return IsRed(c) || IsBlue(c) || IsBlack(c); });
  EXPECT_EQ(drawn, static_cast<int>((traced.size() + 36) / 37));
}

// The background image was drawn one pixel wider and taller than the window, over its east
// edge and above its north edge.
TEST_F(TMapFixture, BackgroundImageCoversExactlyThePixelsOfTheWindow) {
  // A green picture at 4 m per pixel reaching 100 m beyond every side of the window; no
  // contours, grid lines or boundary in the way.
  QImage picture(300, 250, QImage::Format_RGB32);
  picture.fill(QColor(0, 200, 0));
  (void)ShowBehind(picture, "4\n0\n0\n-4\n-600\n500\n", 0);
  mData->MapOptions.DrawingOptions = {};
  for (int w = 1; w <= 2; ++w) mData->PumpingWells[w].StartTime[1] = 5;
  mMap->SetTime(1.0);
  const QImage image = Picture(QSize(700, 500), "map-background-edges.png");
  const int west = mMap->WestPixel(), east = mMap->EastPixel();
  const int north = mMap->NorthPixel(), south = mMap->SouthPixel();
  const int midX = (west + east) / 2, midY = (north + south) / 2;
  const auto green = [&image](int x, int y) { return image.pixelColor(x, y) == QColor(0, 200, 0); };
  EXPECT_TRUE(green(west, midY) && green(east - 1, midY));
  EXPECT_FALSE(green(west - 1, midY)) << "west";
  EXPECT_FALSE(green(east, midY)) << "east";
  EXPECT_TRUE(green(midX, north) && green(midX, south - 1));
  EXPECT_FALSE(green(midX, north - 1)) << "north";
  EXPECT_FALSE(green(midX, south)) << "south";
}

TEST_F(TMapFixture, WellsOnlyBeforeAnyPeriodStarts) {
  for (int w = 1; w <= 2; ++w) mData->PumpingWells[w].StartTime[1] = 5;
  mMap->SetTime(1.0);
  EXPECT_EQ(mMap->Levels().Count, 0);
  EXPECT_EQ(mMap->GetMinContourLevel(), kNoContourLevel);
  const QImage image = Picture(QSize(700, 500), "map-wells-only.png");
  // The pumping wells' circles (radius at least 2 px) and the observation well's cross.
  for (int w = 1; w <= 2; ++w) {
    const QPoint c = Pixel(mData->PumpingWells[w].X, mData->PumpingWells[w].Y);
    EXPECT_TRUE(Near(image, c + QPoint(2, 0), IsBlack)) << w;
    EXPECT_FALSE(IsBlack(image.pixelColor(c + QPoint(5, 0)))) << w;
  }
  const QPoint cross = Pixel(50, 100);
  EXPECT_TRUE(IsBlack(image.pixelColor(cross + QPoint(4, 0))));
  EXPECT_TRUE(IsBlack(image.pixelColor(cross + QPoint(0, -4))));
  EXPECT_FALSE(IsBlack(image.pixelColor(cross + QPoint(2, 2))));
  // The grey grid lines cross the window every 100 m, away from the wells too.
  ASSERT_EQ(mMap->GridLineSpacing(), 100);
  const QColor grey(128, 128, 128);
  EXPECT_EQ(image.pixelColor(Pixel(-400, -330)), grey);
  EXPECT_EQ(image.pixelColor(Pixel(430, 300)), grey);
  EXPECT_NE(image.pixelColor(Pixel(-350, -330)), grey);
  // Only the legend's sample lines and words are coloured.
  EXPECT_LT(CountPixels(image, IsRed), 400);
  EXPECT_LT(CountPixels(image, IsBlue), 400);
  // The black boundary lies on the pixels just outside each edge of the window, and only while
  // it is asked for.
  const int x = mMap->WorldToScreenX(-350), y = mMap->WorldToScreenY(-330);
  const QPoint edges[] = {{mMap->WestPixel() - 1, y},
                          {mMap->EastPixel(), y},
                          {x, mMap->NorthPixel() - 1},
                          {x, mMap->SouthPixel()}};
  for (const QPoint edge : edges) EXPECT_TRUE(IsBlack(image.pixelColor(edge))) << edge.x();
  mData->MapOptions.DrawingOptions.Set(TBoundaryGridDrawingOptions::dbgBoundary, false);
  const QImage without = Picture(QSize(700, 500), "map-without-boundary.png");
  for (const QPoint edge : edges) EXPECT_FALSE(IsBlack(without.pixelColor(edge))) << edge.x();
  // Far north the grid still shows: only the number of lines is limited, not the coordinates.
  SetWindow(0, 1000, 300000, 300800);
  mMap->SetTime(1.0);
  const QImage north = Picture(QSize(700, 500), "map-grid-far-north.png");
  ASSERT_EQ(mMap->GridLineSpacing(), 100);
  EXPECT_EQ(north.pixelColor(Pixel(450, 300300)), grey);
}

TEST_F(TMapFixture, EachLegendPlacementDrawsAndMovesThePlotAndOneOutOfRangeIsClamped) {
  using enum TPlacement;
  const std::pair<TPlacement, const char*> placements[] = {
      {plRight, "right"}, {plBottom, "bottom"}, {plLeft, "left"}, {plTop, "top"}, {plNone, "none"}};
  for (const auto& [placement, name] : placements) {
    mMap->SetLegendPlacement(placement);
    const QImage image = Picture(QSize(700, 500), std::string("map-legend-") + name + ".png");
    const bool left = placement == plLeft || placement == plTop;
    EXPECT_EQ(mMap->PlotLayout().Left, left ? mMap->LegendWidth() + 20 : 20) << name;
    EXPECT_EQ(mMap->LegendWidth() == 0, placement == plNone) << name;
    if (placement == plNone) continue;
    // The legend's frame starts 20 px beside the window, level with its north edge or 55 px
    // above its south edge; its red and blue sample lines are inside.
    const bool low = placement == plBottom || placement == plLeft;
    const int frameX = left ? mMap->WestPixel() - mMap->LegendWidth() : mMap->EastPixel() + 21;
    const int frameY = low ? mMap->SouthPixel() - 55 : mMap->NorthPixel() - 1;
    EXPECT_TRUE(IsBlack(image.pixelColor(frameX, frameY + 10))) << name;
    EXPECT_TRUE(IsBlack(image.pixelColor(frameX + 10, frameY))) << name;
    const QRect legend(frameX, frameY, 40, 60);
    EXPECT_GE(CountPixels(image, IsRed, legend), 25) << name;
    EXPECT_GE(CountPixels(image, IsBlue, legend), 25) << name;
  }
  mData->MapOptions.LegendPlacement = static_cast<TPlacement>(77);
  EXPECT_EQ(mMap->LegendPlacement(), plRight);
}

TEST_F(TMapFixture, DegenerateWindowOrTinyPictureDrawsOnlyLegendAndTextsAndFarWellsNoOverflow) {
  SetWindow(10, 10, 0, 100);
  mMap->SetTime(1.0);  // no grid, no division by zero
  EXPECT_EQ(mMap->Grid().ValueCount(), 0);
  const QImage image = mMap->RenderImage(QSize(400, 300));
  // Nothing but the legend at the right edge is painted.
  EXPECT_EQ(CountPixels(image, IsNotWhite, QRect(0, 0, 200, image.height())), 0);
  SetWindow(-500, 500, -400, 400);
  const QImage tiny = mMap->RenderImage(QSize(30, 30));
  EXPECT_EQ(tiny.size(), QSize(30, 30));
  // A far-away well draws without overflow.
  mData->PumpingWells[2].X = 1e15;
  mData->ObservationWells[1].Y = -1e300;
  mMap->SetTime(1.0);
  EXPECT_GT(CountPixels(mMap->RenderImage(QSize(700, 500)), IsNotWhite), 1000);
}

TEST_F(TMapFixture, ZoomBandSetsTheSnappedWindowAndPreviousViewRestoresItUnlessTooSmall) {
  const TMapWindow before = Window();
  mMap->SetZoomMode(true);
  // Corners snap to whole metres (grid spacing 100 gives a snap step of 10); the hint names the
  // corner the mouse would set, in both places.
  const double snap = SnapStep(mMap->GridLineSpacing());
  const QPoint c(300, 200);
  const QString corner = QStringLiteral("x: %1, y: %2")
                             .arg(SnapToStep(mMap->ScreenToWorldX(c.x()), snap), 0, 'f', 0)
                             .arg(SnapToStep(mMap->ScreenToWorldY(c.y()), snap), 0, 'f', 0);
  EXPECT_EQ(mMap->HintAt(c), (TMapHint{corner, corner}));
  // A band of five pixels or less changes nothing. Pressed and held still, the hint names the
  // corner just pressed.
  QTest::mousePress(mMap.get(), Qt::LeftButton, Qt::NoModifier, c);
  EXPECT_EQ(mMap->HintAt(c), (TMapHint{corner, corner}));
  QTest::mouseMove(mMap.get(), c + QPoint(40, 4));
  QTest::mouseRelease(mMap.get(), Qt::LeftButton, Qt::NoModifier, c + QPoint(40, 4));
  EXPECT_EQ(std::tuple(Window(), mMap->HasPreviousView()), std::tuple(before, false));
  const QPoint a = Pixel(-200.2, 150.4), b = Pixel(101, -99.6);
  Drag(a, b, false);
  // While the button is held the band shows, dashed dark green, between the snapped corners.
  const QImage band = mMap->grab().toImage();
  const QPoint ca = Pixel(SnapToStep(-200.2, snap), SnapToStep(150.4, snap));
  const QPoint cb = Pixel(SnapToStep(101, snap), SnapToStep(-99.6, snap));
  const int onEdge = CountPixels(band, IsBandGreen, QRect(ca, QPoint(cb.x(), ca.y()))) +
                     CountPixels(band, IsBandGreen, QRect(QPoint(cb.x(), ca.y()), cb));
  EXPECT_GT(onEdge, (cb.x() - ca.x() + cb.y() - ca.y()) / 3);
  const double westEdge = SnapToStep(mMap->ScreenToWorldX(a.x()), snap);  // before the zoom
  QTest::mouseRelease(mMap.get(), Qt::LeftButton, Qt::NoModifier, b);
  const TMapWindow zoomed = Window();
  EXPECT_EQ(zoomed.X1, westEdge);
  EXPECT_EQ(CountPixels(mMap->grab().toImage(), IsBandGreen), 0);  // gone with the button
  EXPECT_LT(zoomed.X1, zoomed.X2);
  EXPECT_LT(zoomed.Y1, zoomed.Y2);
  for (const auto& [got, want] :
       {std::pair{zoomed.X1, -200}, {zoomed.X2, 100}, {zoomed.Y1, -100}, {zoomed.Y2, 150}})
    EXPECT_NEAR(got, want, 10) << want;
  EXPECT_EQ(std::tuple(mData->Saved, mMap->HasPreviousView()), std::tuple(false, true));
  // The grid keeps its own layout until the time is set again: old values stay at their places.
  EXPECT_EQ(mMap->Grid().Layout(), ComputeGridLayout(before));
  mMap->SetTime(1.0);
  EXPECT_EQ(mMap->Grid().Layout(), ComputeGridLayout(zoomed));
  Picture(QSize(700, 500), "map-zoomed.png");
  mMap->PreviousView();
  EXPECT_EQ(std::tuple(Window(), mMap->HasPreviousView()), std::tuple(before, false));
}

TEST_F(TMapFixture, ZoomOutDoublesAboutTheCentreOnTheGridLines) {
  mData->MapOptions.LegendPlacement = TPlacement::plNone;
  SetWindow(0, 100, 0, 100);
  mMap->resize(560, 560);
  mMap->ComputeLayout(560, 560);
  ASSERT_EQ(mMap->GridLineSpacing(), 10);
  mMap->ZoomOut();
  EXPECT_EQ(Window(), (TMapWindow{-60, 160, -60, 160}));
  // A second press zooms out about the new centre on the new, wider grid, drawn or not between.
  mMap->ZoomOut();
  EXPECT_EQ(Window(), (TMapWindow{-200, 300, -200, 300}));
  // Previous view goes back one zoom out, even from a window typed meanwhile wholly to the
  // south-west of it.
  EXPECT_TRUE(mMap->HasPreviousView());
  SetWindow(-1100, -1000, -1100, -1000);
  mMap->PreviousView();
  EXPECT_EQ(Window(), (TMapWindow{-60, 160, -60, 160}));
}

TEST_F(TMapFixture, AnimationStepsOnTheTimerAndFinishesOnceAndPastTheEndOnlyOneStepBeyond) {
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  QSignalSpy times(mMap.get(), &TAQVKaart::TimeChange);
  mMap->ResetAnimation();
  times.clear();
  mMap->Animate();
  EXPECT_TRUE(mMap->Animating());
  EXPECT_EQ(times.count(), 0);  // nothing runs before the event loop does
  QTRY_VERIFY(!mMap->Animating());
  // Steps 0..3 are shown.
  EXPECT_EQ(std::tuple(finished.count(), times.count(), mMap->AnimationStep()),
            std::tuple(1, 4, 4));
  EXPECT_DOUBLE_EQ(mData->DisplayTime(), 2.0);
  // Started past the end, it fires the event only when exactly one step beyond.
  for (const int step : {6, 4}) {
    mMap->SetAnimationStep(step);
    mMap->Animate();
    QTRY_VERIFY(!mMap->Animating());
    EXPECT_EQ(finished.count(), step == 6 ? 1 : 2) << step;
  }
}

TEST_F(TMapFixture, PauseStopsTheAnimationWithoutTheFinishedEvent) {
  mData->SetTimeSteps(1000);
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  QObject::connect(mMap.get(), &TAQVKaart::TimeChange, mMap.get(), [this] {
    if (mMap->AnimationStep() == 3) mMap->SetPaused(true);
  });
  mMap->Animate();
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(std::tuple(finished.count(), mMap->AnimationStep()), std::tuple(0, 3));
}

TEST_F(TMapFixture, EachAnimationStepCanBeWatchedAndPauseAnswersAtOnce) {
  mData->SetTimeSteps(1000);
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  mMap->Animate();
  QTest::qWait(350);  // events are processed while a step is on screen
  const int step = mMap->AnimationStep();
  EXPECT_GE(step, 1);  // the first step shows at once
  EXPECT_LE(step, 5);  // and each stays at least 100 ms, however fast the machine
  mMap->SetPaused(true);
  EXPECT_FALSE(mMap->Animating());  // at once, not after the step's time on screen
  QTest::qWait(150);
  EXPECT_EQ(std::tuple(mMap->AnimationStep(), finished.count()), std::tuple(step, 0));
}

TEST_F(TMapFixture, ClosingTheWindowDuringAnAnimationStopsIt) {
  mData->SetTimeSteps(1000);
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  mMap->Animate();
  QTRY_VERIFY(mMap->AnimationStep() >= 2);
  mMap->close();
  EXPECT_FALSE(mMap->Animating());
  const int step = mMap->AnimationStep();
  QTest::qWait(30);
  EXPECT_EQ(std::tuple(mMap->AnimationStep(), finished.count()), std::tuple(step, 0));
}

TEST_F(TMapFixture, EditingTheModelOrDroppingTheDocumentDuringAnAnimationIsSafe) {
  mData->SetTimeSteps(40);
  QObject::connect(mMap.get(), &TAQVKaart::TimeChange, mMap.get(), [this] {
    const int step = mMap->AnimationStep();
    if (step == 3) mData->SetPumpingWellCount(1);
    if (step == 5) mData->PumpingWells[1].SetPeriodCount(100);
    if (step == 7) SetWindow(-50, 50, -40, 40);
    if (step == 9) mData->TextBoxes.clear();
    if (step == 11) mMap->SetData(nullptr);
  });
  mMap->Animate();
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(std::tuple(mMap->Data(), mData->MapReference), std::tuple(nullptr, nullptr));
}

TEST_F(TMapFixture, ComputationErrorStopsTheAnimationWithTheEventAndTheMessage) {
  // No storage and no leakage: the aquifer system cannot be decomposed.
  mData->SetTopAquitardImpervious(true);
  mData->SetBottomAquitardImpervious(true);
  mData->S[1] = 0;
  mData->SAquitard.Fill(0.0);
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  mUi.Messages.clear();
  mMap->Animate();
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(std::tuple(mMap->ComputeError(), mData->StatusCode, finished.count()),
            std::tuple(true, 11, 1));
  EXPECT_EQ(mUi.OnlyMessage(),
            "Cannot compute aquifer system: Check for extreme low or high values.");
  mUi.Messages.clear();
}

// Keeps the last status bar text a widget sent.
class TStatusTips : public QObject {
 public:
  QString Last;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::StatusTip) Last = static_cast<QStatusTipEvent*>(event)->tip();
    return false;
  }
};

TEST_F(TMapFixture, HintShowsTheWellNameOrTheGridDrawdown) {
  TStatusTips tips;
  mMap->installEventFilter(&tips);
  // The tooltip's text where the mouse rests at pixel, and the status bar's as it moves there.
  const auto shown = [&](QPoint pixel) {
    QHelpEvent tip(QEvent::ToolTip, pixel, mMap->mapToGlobal(pixel));
    QCoreApplication::sendEvent(mMap.get(), &tip);
    QTest::mouseMove(mMap.get(), pixel);
    return TMapHint{QToolTip::text(), tips.Last};
  };
  // A well's name, whatever characters it holds, whole in both.
  mData->PumpingWells[1].Name = "P1 | north";
  const QPoint well = Pixel(-150, 0);
  EXPECT_EQ(shown(well), (TMapHint{"P1 | north", "P1 | north"}));
  // A grid point: its coordinates with two decimals and its drawdown with three in the tooltip;
  // the coordinates alone in the status bar.
  const TGridLayout& g = mMap->Grid().Layout();
  const int a = 20, b = 40;
  const QPoint node = Pixel(g.NodeX[a], g.NodeY[b]);
  const TMapHint hint = shown(node);
  EXPECT_EQ(mMap->HintAt(node), hint);
  const QRegularExpression format(QStringLiteral(
      "^x: (-?\\d+\\.\\d\\d), y: (-?\\d+\\.\\d\\d)\nDrawdown: (-?\\d+\\.\\d\\d\\d)$"));
  const QRegularExpressionMatch m = format.match(hint.Tip);
  ASSERT_TRUE(m.hasMatch()) << hint.Tip.toStdString();
  EXPECT_EQ(hint.Status, "x: " + m.captured(1) + ", y: " + m.captured(2));
  const double value = mMap->Grid().Value(g.NodeIndex(a, b));
  EXPECT_NE(value, 0);
  EXPECT_NEAR(m.captured(1).toDouble(), g.NodeX[a], 0.005);
  EXPECT_NEAR(m.captured(2).toDouble(), g.NodeY[b], 0.005);
  EXPECT_NEAR(m.captured(3).toDouble(), value, 0.0005);
  // Between four nodes the cell's centre point is read, with its own drawdown.
  const int centre = g.CentreIndex(a, b);
  const QPoint between =
      Pixel((g.NodeX[a] + g.NodeX[a + 1]) / 2, (g.NodeY[b] + g.NodeY[b + 1]) / 2);
  const QString inCell = shown(between).Tip;
  EXPECT_EQ(inCell, QStringLiteral("x: %1, y: %2\nDrawdown: %3")
                        .arg(mMap->Grid().PointX(centre), 0, 'f', 2)
                        .arg(mMap->Grid().PointY(centre), 0, 'f', 2)
                        .arg(mMap->Grid().Value(centre), 0, 'f', 3));
  EXPECT_NE(inCell, hint.Tip);
  // An observation well is named as a pumping well is.
  mData->ObservationWells[1].Name = "O1";
  EXPECT_EQ(shown(Pixel(50, 100)), (TMapHint{"O1", "O1"}));
  EXPECT_EQ(mMap->HintAt(QPoint(2, 2)), TMapHint{});
}

TEST_F(TMapFixture,
       DisplayTimesBeyondAThousandYearsAreComputedAtThreeHundredSixtyFiveThousandDays) {
  mMap->SetTime(365000);
  const std::vector<double> capped(mMap->Grid().Values(),
                                   mMap->Grid().Values() + mMap->Grid().ValueCount());
  mMap->SetTime(4e6);
  EXPECT_EQ(mData->DisplayTime(), 4e6);  // the document keeps the time asked for
  EXPECT_TRUE(std::equal(capped.begin(), capped.end(), mMap->Grid().Values()));
  mMap->SetTime(300000);
  EXPECT_FALSE(std::equal(capped.begin(), capped.end(), mMap->Grid().Values()));
}

TEST_F(TMapFixture, FailedXYZExportShowsTheSaveMessageAndTheClipboardCarriesBitmapAndSvg) {
  EXPECT_TRUE(mMap->SaveContoursAsXYZ(mFolder.Path("map.xyz")));
  EXPECT_FALSE(mFolder.Read("map.xyz").empty());
  EXPECT_TRUE(mUi.Messages.empty());
  const std::string bad = mFolder.Path("missing/map.xyz");
  EXPECT_FALSE(mMap->SaveContoursAsXYZ(bad));
  EXPECT_EQ(mUi.OnlyMessage(), "Could not save " + bad + "!\nThe folder does not exist.");
  mUi.Messages.clear();
  // The clipboard carries the bitmap and the SVG.
  mMap->CopyToClipboard(false);
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasImage());
  const QByteArray svg = mime->data(QStringLiteral("image/svg+xml"));
  EXPECT_EQ(std::tuple(svg.contains("<svg"), svg.contains("drawdown")), std::tuple(true, true));
  // Asked for, the size comes from a dialog that holds together; a width typed there is kept.
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    dialog.show();
    const QStringList faults = test::TLayoutCheck::Faults(&dialog);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    test::TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("cdWidthSpinEdit")), "300");
  });
  const QPoint well = Pixel(-150, 0);
  mMap->CopyToClipboard(true);
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(300, mMap->height()));
  // The map on the screen keeps its own layout: the well is still where it is shown.
  EXPECT_EQ(Pixel(-150, 0), well);
}

TEST_F(TMapFixture, RotatedBackgroundImageAtHalfTransparencyAndOneOutOfRangeIsClamped) {
  QImage picture(160, 120, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixelColor(x, y, QColor((x * 8) % 256, 40 + y, ((x / 20 + y / 20) % 2) * 200));
  // Four metres per pixel, turned 30 degrees, the upper-left corner at (-350, 300).
  const std::string c = std::to_string(4 * std::cos(M_PI / 6));
  const std::string s = std::to_string(4 * std::sin(M_PI / 6));
  const std::string world = c + "\n-" + s + "\n-" + s + "\n-" + c + "\n-350\n300\n";
  EXPECT_TRUE(ShowBehind(picture, world, 50).Failures.empty());
  ASSERT_FALSE(mData->ImagesUnavailable);
  const QImage image = Picture(QSize(900, 600), "map-rotated-image.png");
  // Half transparency over white: no pixel of the image is darker than half white.
  const QColor mixed = image.pixelColor(Pixel(-250, 200));
  EXPECT_GE(mixed.red(), 120);
  EXPECT_NE(mixed, QColor(Qt::white));
  // A transparency beyond 100 % from a file blends at 100 %, and the map then rests.
  mData->BackgroundTransparency = 250;
  mMap->RefreshBackground();
  EXPECT_EQ(mMap->Images().Transparency(), 100);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(mMap.get()));
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  test::TPaintCounter paints;
  mMap->installEventFilter(&paints);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_EQ(paints.Paints, 0);
  mMap->removeEventFilter(&paints);
  mMap->BeginPreview();
  mMap->SetPreviewTransparency(-40);
  mMap->EndPreview();
  (void)mMap->RenderImage(QSize(300, 200));  // draws without reading outside any range
}

}  // namespace
}  // namespace aqv

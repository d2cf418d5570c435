#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "map/gui/AQVKaart.h"
#include "map/gui/AQVTextEdit.h"
#include "tests/map/gui/MapGuiFixture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::TMapFixture;

// Counts the pixels of a colour family in an image.
int CountPixels(const QImage& image, bool (*match)(QColor)) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (match(image.pixelColor(x, y))) ++n;
  return n;
}
bool IsRed(QColor c) {
  return c.red() > 180 && c.green() < 90 && c.blue() < 90;
}
bool IsBlue(QColor c) {
  return c.blue() > 180 && c.red() < 90 && c.green() < 90;
}
bool IsNotWhite(QColor c) {
  return c != QColor(Qt::white);
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
}

TEST_F(TMapFixture, TwoWellsDrawRedAndBlueContours) {
  const QImage image = mMap->RenderImage(QSize(900, 600));
  image.save(QStringLiteral("/tmp/aqv-map-two-wells.png"));
  EXPECT_GT(CountPixels(image, IsRed), 200);
  EXPECT_GT(CountPixels(image, IsBlue), 200);
}

TEST_F(TMapFixture, WellsOnlyBeforeAnyPeriodStarts) {
  for (int w = 1; w <= 2; ++w) mData->PumpingWells[w].StartTime[1] = 5;
  mMap->SetTime(1.0);
  EXPECT_EQ(mMap->Levels().Count, 0);
  EXPECT_EQ(mMap->GetMinContourLevel(), kNoContourLevel);
  const QImage image = mMap->RenderImage(QSize(700, 500));
  image.save(QStringLiteral("/tmp/aqv-map-wells-only.png"));
  // Only the legend's sample lines and words are coloured.
  EXPECT_LT(CountPixels(image, IsRed), 400);
  EXPECT_LT(CountPixels(image, IsBlue), 400);
}

TEST_F(TMapFixture, EachLegendPlacementDrawsAndMovesThePlot) {
  const std::pair<TPlacement, const char*> placements[] = {{TPlacement::plRight, "right"},
                                                           {TPlacement::plBottom, "bottom"},
                                                           {TPlacement::plLeft, "left"},
                                                           {TPlacement::plTop, "top"},
                                                           {TPlacement::plNone, "none"}};
  for (const auto& [placement, name] : placements) {
    mMap->SetLegendPlacement(placement);
    const QImage image = mMap->RenderImage(QSize(700, 500));
    image.save(QStringLiteral("/tmp/aqv-map-legend-%1.png").arg(QString::fromLatin1(name)));
    const bool left = placement == TPlacement::plLeft || placement == TPlacement::plTop;
    EXPECT_EQ(mMap->PlotLayout().Left, left ? mMap->LegendWidth() + 20 : 20) << name;
    EXPECT_EQ(mMap->LegendWidth() == 0, placement == TPlacement::plNone) << name;
  }
}

TEST_F(TMapFixture, PlacementOrTransparencyOutOfRangeFromAFileIsClamped) {
  mData->MapOptions.LegendPlacement = static_cast<TPlacement>(77);
  EXPECT_EQ(mMap->LegendPlacement(), TPlacement::plRight);
  mData->BackgroundTransparency = 250;
  mMap->BeginPreview();
  mMap->SetPreviewTransparency(-40);
  mMap->EndPreview();
  (void)mMap->RenderImage(QSize(300, 200));  // draws without reading outside any range
}

TEST_F(TMapFixture, DegenerateWindowOrTinyPictureDrawsOnlyLegendAndTexts) {
  SetWindow(10, 10, 0, 100);
  mMap->SetTime(1.0);  // no grid, no division by zero
  EXPECT_EQ(mMap->Grid().ValueCount(), 0);
  const QImage image = mMap->RenderImage(QSize(400, 300));
  // Nothing but the legend at the right edge is painted.
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::white));
  SetWindow(-500, 500, -400, 400);
  const QImage tiny = mMap->RenderImage(QSize(30, 30));
  EXPECT_EQ(tiny.size(), QSize(30, 30));
}

TEST_F(TMapFixture, ZoomBandSetsTheSnappedWindowAndPreviousViewRestoresIt) {
  const TMapWindow before = Window();
  mMap->SetZoomMode(true);
  const QPoint a(mMap->WorldToScreenX(-200.2), mMap->WorldToScreenY(150.4));
  const QPoint b(mMap->WorldToScreenX(101), mMap->WorldToScreenY(-99.6));
  QTest::mousePress(mMap.get(), Qt::LeftButton, Qt::NoModifier, a);
  QTest::mouseMove(mMap.get(), (a + b) / 2);
  QTest::mouseMove(mMap.get(), b);
  QTest::mouseRelease(mMap.get(), Qt::LeftButton, Qt::NoModifier, b);
  const TMapWindow zoomed = Window();
  // Corners snap to whole metres (grid spacing 100 gives a snap step of 10).
  const double step = SnapStep(mMap->GridLineSpacing());
  EXPECT_EQ(zoomed.X1, SnapToStep(mMap->ScreenToWorldX(a.x()), step));
  EXPECT_LT(zoomed.X1, zoomed.X2);
  EXPECT_LT(zoomed.Y1, zoomed.Y2);
  EXPECT_NEAR(zoomed.X1, -200, 10);
  EXPECT_NEAR(zoomed.Y2, 150, 10);
  EXPECT_FALSE(mData->Saved);
  EXPECT_TRUE(mMap->HasPreviousView());
  // The grid keeps its own layout until the time is set again: old values stay at their places.
  EXPECT_EQ(mMap->Grid().Layout(), ComputeGridLayout(before));
  mMap->SetTime(1.0);
  EXPECT_EQ(mMap->Grid().Layout(), ComputeGridLayout(zoomed));
  mMap->RenderImage(QSize(700, 500)).save(QStringLiteral("/tmp/aqv-map-zoomed.png"));
  mMap->PreviousView();
  EXPECT_EQ(Window(), before);
  EXPECT_FALSE(mMap->HasPreviousView());
}

TEST_F(TMapFixture, ZoomBandOfFivePixelsOrLessChangesNothing) {
  const TMapWindow before = Window();
  mMap->SetZoomMode(true);
  const QPoint a(300, 200);
  QTest::mousePress(mMap.get(), Qt::LeftButton, Qt::NoModifier, a);
  QTest::mouseMove(mMap.get(), a + QPoint(40, 4));
  QTest::mouseRelease(mMap.get(), Qt::LeftButton, Qt::NoModifier, a + QPoint(40, 4));
  EXPECT_EQ(Window(), before);
  EXPECT_FALSE(mMap->HasPreviousView());
}

TEST_F(TMapFixture, ZoomOutDoublesAboutTheCentreOnTheGridLines) {
  mData->MapOptions.LegendPlacement = TPlacement::plNone;
  SetWindow(0, 100, 0, 100);
  mMap->resize(560, 560);
  mMap->ComputeLayout(560, 560);
  ASSERT_EQ(mMap->GridLineSpacing(), 10);
  mMap->ZoomOut();
  EXPECT_EQ(Window(), (TMapWindow{-60, 160, -60, 160}));
}

TEST_F(TMapFixture, AnimationStepsOnTheTimerAndFinishesOnce) {
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  QSignalSpy times(mMap.get(), &TAQVKaart::TimeChange);
  mMap->ResetAnimation();
  times.clear();
  mMap->Animate();
  EXPECT_TRUE(mMap->Animating());
  EXPECT_EQ(times.count(), 0);  // nothing runs before the event loop does
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(finished.count(), 1);
  EXPECT_EQ(times.count(), 4);  // steps 0..3
  EXPECT_EQ(mMap->AnimationStep(), 4);
  EXPECT_DOUBLE_EQ(mData->DisplayTime(), 2.0);
}

TEST_F(TMapFixture, AnimationPastTheEndFiresOnlyWhenExactlyOneStepBeyond) {
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  mMap->SetAnimationStep(6);
  mMap->Animate();
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(finished.count(), 0);
  mMap->SetAnimationStep(4);
  mMap->Animate();
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(finished.count(), 1);
}

TEST_F(TMapFixture, PauseStopsTheAnimationWithoutTheFinishedEvent) {
  mData->SetTimeSteps(1000);
  QSignalSpy finished(mMap.get(), &TAQVKaart::AnimationFinished);
  QObject::connect(mMap.get(), &TAQVKaart::TimeChange, mMap.get(), [this] {
    if (mMap->AnimationStep() == 3) mMap->SetPaused(true);
  });
  mMap->Animate();
  QTRY_VERIFY(!mMap->Animating());
  EXPECT_EQ(finished.count(), 0);
  EXPECT_EQ(mMap->AnimationStep(), 3);
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
  EXPECT_EQ(mMap->AnimationStep(), step);
  EXPECT_EQ(finished.count(), 0);
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
  EXPECT_EQ(mMap->AnimationStep(), step);
  EXPECT_EQ(finished.count(), 0);
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
  EXPECT_EQ(mMap->Data(), nullptr);
  EXPECT_EQ(mData->MapReference, nullptr);
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
  EXPECT_TRUE(mMap->ComputeError());
  EXPECT_EQ(mData->StatusCode, 11);
  EXPECT_EQ(finished.count(), 1);
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Text,
            "Cannot compute aquifer system: Check for extreme low or high values.");
}

TEST_F(TMapFixture, HintShowsTheWellNameOrTheGridDrawdown) {
  const QPoint well(mMap->WorldToScreenX(-150), mMap->WorldToScreenY(0));
  EXPECT_EQ(mMap->HintAt(well), QString::fromStdString(mData->PumpingWells[1].Name));
  const QString hint = mMap->HintAt(QPoint(mMap->WorldToScreenX(-300), mMap->WorldToScreenY(200)));
  EXPECT_TRUE(hint.startsWith(QStringLiteral("x: "))) << hint.toStdString();
  EXPECT_TRUE(hint.contains(QStringLiteral("\nDrawdown: "))) << hint.toStdString();
  EXPECT_TRUE(mMap->HintAt(QPoint(2, 2)).isEmpty());
}

TEST_F(TMapFixture, FailedXYZExportShowsTheSaveMessage) {
  test::TTempFolder folder;
  EXPECT_TRUE(mMap->SaveContoursAsXYZ(folder.Path("map.xyz")));
  EXPECT_FALSE(folder.Read("map.xyz").empty());
  mUi.Messages.clear();
  const std::string bad = folder.Path("missing/map.xyz");
  EXPECT_FALSE(mMap->SaveContoursAsXYZ(bad));
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Text, "Could not save " + bad + "!");
}

TEST_F(TMapFixture, ClipboardCarriesTheBitmapAndTheSvg) {
  mMap->CopyToClipboard(false);
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasImage());
  const QByteArray svg = mime->data(QStringLiteral("image/svg+xml"));
  EXPECT_TRUE(svg.contains("<svg"));
  EXPECT_TRUE(svg.contains("drawdown"));
}

TEST_F(TMapFixture, FarAwayWellDrawsWithoutOverflow) {
  mData->PumpingWells[2].X = 1e15;
  mData->ObservationWells[1].Y = -1e300;
  mMap->SetTime(1.0);
  const QImage image = mMap->RenderImage(QSize(700, 500));
  EXPECT_GT(CountPixels(image, IsNotWhite), 1000);
}

TEST_F(TMapFixture, RotatedBackgroundImageAtHalfTransparency) {
  test::TTempFolder folder;
  QImage picture(160, 120, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixelColor(x, y, QColor((x * 8) % 256, 40 + y, ((x / 20 + y / 20) % 2) * 200));
  const std::string path = folder.Path("photo.png");
  ASSERT_TRUE(picture.save(QString::fromStdString(path)));
  // Four metres per pixel, turned 30 degrees, the upper-left corner at (-350, 300).
  const double c = 4 * std::cos(M_PI / 6), s = 4 * std::sin(M_PI / 6);
  folder.Write("photo.pgw", std::to_string(c) + "\n" + std::to_string(-s) + "\n" +
                                std::to_string(-s) + "\n" + std::to_string(-c) + "\n-350\n300\n");
  mData->BackgroundFiles = {{true, path}};
  mData->ShowBackgroundImages = true;
  mData->BackgroundTransparency = 50;
  const TMapImageLoadReport report = mMap->LoadBackgroundImages();
  EXPECT_TRUE(report.Failures.empty());
  ASSERT_FALSE(mData->ImagesUnavailable);
  const QImage image = mMap->RenderImage(QSize(900, 600));
  image.save(QStringLiteral("/tmp/aqv-map-rotated-image.png"));
  // Half transparency over white: no pixel of the image is darker than half white.
  const QPoint inside(mMap->WorldToScreenX(-250), mMap->WorldToScreenY(200));
  mMap->ComputeLayout(900, 600);
  const QColor mixed =
      image.pixelColor(QPoint(mMap->WorldToScreenX(-250), mMap->WorldToScreenY(200)));
  EXPECT_GE(mixed.red(), 120);
  EXPECT_NE(mixed, QColor(Qt::white));
  (void)inside;
  // A transparency beyond 100 % from a file blends at 100 %.
  mData->BackgroundTransparency = 250;
  mMap->RefreshBackground();
  EXPECT_EQ(mMap->Images().Transparency(), 100);
}

}  // namespace
}  // namespace aqv

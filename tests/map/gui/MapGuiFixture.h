#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <memory>
#include <string>

#include "map/gui/AQVKaart.h"
#include "model/AQVData.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv::test {

// A shown map of 700 x 500 pixels on a document with a pumping well at (-150, 0), an injection
// well at (200, 50) and an observation well, in the window -500..500 x -400..400 m, computed at
// day 1.
class TMapFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mData = std::make_unique<TAQVData>(&mUi);
    TAQVData& d = *mData;
    d.SetPumpingWellCount(2);
    d.PumpingWells[1].X = -150;
    d.PumpingWells[1].Y = 0;
    d.PumpingWells[1].Rw = 2;
    d.PumpingWells[2].X = 200;
    d.PumpingWells[2].Y = 50;
    d.PumpingWells[2].Discharge[1] = -600;
    d.ObservationWells[1].X = 50;
    d.ObservationWells[1].Y = 100;
    SetWindow(-500, 500, -400, 400);
    d.SetAnimationStartTime(0.1);
    d.SetAnimationEndTime(2);
    d.SetTimeSteps(3);
    mMap = std::make_unique<TAQVKaart>();
    mMap->resize(700, 500);
    mMap->SetData(&d);
    mMap->show();
    mMap->SetTime(1.0);
  }
  // A test that expects a message takes it off the list; any other one is a fault.
  void TearDown() override {
    EXPECT_TRUE(mUi.Messages.empty()) << mUi.Messages.front().Text;
    mMap.reset();
    mData.reset();
  }
  void SetWindow(double x1, double x2, double y1, double y2) {
    mData->SetWorldX1(-1e9);
    mData->SetWorldY1(-1e9);
    mData->SetWorldX2(x2);
    mData->SetWorldY2(y2);
    mData->SetWorldX1(x1);
    mData->SetWorldY1(y1);
  }
  // The map drawn at size and saved for review as name; the map is then laid out at that size,
  // so that its pixel conversions hold for the picture.
  QImage Picture(QSize size, const std::string& name) {
    const QImage image = mMap->RenderImage(size);
    image.save(QString::fromStdString(ReviewPath(name)));
    mMap->ComputeLayout(size.width(), size.height());
    return image;
  }
  // Lays the map out at its own size and places the text boxes.
  void PlaceTexts() {
    mMap->ComputeLayout(mMap->width(), mMap->height());
    mMap->RepositionTexts(true);
  }
  // The pixel of world point (x, y) as the map is laid out now.
  QPoint Pixel(double x, double y) const {
    return {mMap->WorldToScreenX(x), mMap->WorldToScreenY(y)};
  }
  // Shows files behind the map at transparency (percent); the report of loading them.
  TMapImageLoadReport ShowImages(const TBackgroundFiles& files, int transparency = 0) {
    mData->BackgroundFiles = files;
    mData->ShowBackgroundImages = true;
    mData->BackgroundTransparency = transparency;
    return mMap->LoadBackgroundImages();
  }
  // Shows picture behind the map, placed by the lines of its world file.
  TMapImageLoadReport ShowBehind(const QImage& picture, const std::string& world,
                                 int transparency) {
    EXPECT_TRUE(picture.save(QString::fromStdString(mFolder.Path("picture.png"))));
    mFolder.Write("picture.pgw", world);
    return ShowImages({{true, mFolder.Path("picture.png")}}, transparency);
  }
  // Presses the left button at from, moves to to in two steps and, with release, lets go there.
  void Drag(QPoint from, QPoint to, bool release = true) {
    QTest::mousePress(mMap.get(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(mMap.get(), (from + to) / 2);
    QTest::mouseMove(mMap.get(), to);
    if (release) QTest::mouseRelease(mMap.get(), Qt::LeftButton, Qt::NoModifier, to);
  }
  TMapWindow Window() const {
    return {mData->WorldX1(), mData->WorldX2(), mData->WorldY1(), mData->WorldY2()};
  }

  TTempFolder mFolder;  // for the files a test writes
  TFakeUserInterface mUi;
  std::unique_ptr<TAQVData> mData;
  std::unique_ptr<TAQVKaart> mMap;
};

}  // namespace aqv::test

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <memory>
#include <tuple>

#include "map/gui/MapImagePainter.h"
#include "map/gui/Progress.h"
#include "tests/map/ImageFixtures.h"
#include "tests/map/gui/MapGuiFixture.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// A window twice as wide as the composite, starting at the composite's west edge: the
// composite fills the window's left half, scaled to it, and the right half stays as it was.
TEST(MapImagePainter, DrawWindowCopiesTheCoveredPartOfTheBlendedComposite) {
  test::TTempFolder folder;
  const TImageRaster pattern = test::PatternRaster(4, 2);
  ASSERT_TRUE(test::WritePNG(folder.Path("a.png"), pattern));
  ASSERT_TRUE(test::WriteWorldFile(folder.Path("a.pgw"), 1, 0, 0, -1, 0, 2));
  TMapImage images;
  ASSERT_TRUE(images.AddImage(folder.Path("a.png")).IsSuccess());
  ASSERT_TRUE(images.BuildComposite().IsSuccess());
  images.SetTransparency(0);
  images.ApplyTransparency();
  QImage canvas(80, 20, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  QPainter painter(&canvas);
  DrawWindow(painter, images, QRectF(0, 0, 80, 20), {0, 0, 8, 2});
  painter.end();
  for (int column = 0; column < 4; ++column) {
    const TRGBA p = pattern.At(column, 1);
    EXPECT_EQ(canvas.pixel(column * 10 + 5, 15), qRgb(p.R, p.G, p.B)) << column;
  }
  EXPECT_EQ(canvas.pixel(60, 10), qRgb(0, 0, 0));
  EXPECT_TRUE(RasterToQImage(TImageRaster{}).isNull());
}

// Writes a flat 8 x 8 PNG of colour whose pixels are 10 m wide, its upper-left corner at
// (x0, y0); returns its path.
std::string FlatImage(const test::TTempFolder& folder, const std::string& name, TRGBA colour,
                      double x0, double y0) {
  TImageRaster raster;
  EXPECT_TRUE(raster.Allocate(8, 8, {}, colour).IsSuccess());
  EXPECT_TRUE(test::WritePNG(folder.Path(name + ".png"), raster));
  EXPECT_TRUE(test::WriteWorldFile(folder.Path(name + ".pgw"), 10, 0, 0, -10, x0, y0));
  return folder.Path(name + ".png");
}

using MapImagePainterMap = test::TMapFixture;

// After the list of images changes, as the image files dialog changes it, the map shows the
// new composite blended anew: a removed image is gone and the one left shows its own colour.
TEST_F(MapImagePainterMap, ChangedImagesAreBlendedAgainBeforeTheyAreDrawn) {
  const std::string red = FlatImage(mFolder, "red", {255, 0, 0, 255}, -400, 300);
  const std::string blue = FlatImage(mFolder, "blue", {0, 0, 255, 255}, 100, -100);
  // The progress window shows while the images load and is gone after, also when no image
  // could be loaded.
  auto progress = std::make_unique<TProgressForm>();
  test::TShowCounter shows;
  progress->installEventFilter(&shows);
  EXPECT_FALSE(ShowImages({{true, mFolder.Path("missing.png")}}).Failures.empty());
  EXPECT_EQ(std::tuple(shows.Shows, progress->isVisible()), std::tuple(1, false));
  ASSERT_TRUE(ShowImages({{true, red}, {true, blue}}).Failures.empty());
  EXPECT_FALSE(progress->isVisible());
  const auto colourAt = [this](const QImage& image, double x, double y) {
    mMap->ComputeLayout(image.width(), image.height());
    return image.pixelColor(Pixel(x, y));
  };
  QImage image = mMap->RenderImage(QSize(700, 500));
  EXPECT_EQ(colourAt(image, -360, 260), QColor(Qt::red));
  EXPECT_EQ(colourAt(image, 140, -140), QColor(Qt::blue));
  // A transparency set elsewhere (as the options dialog sets it) is blended after the picture
  // that found the blend stale, and then shown on the screen, read back as painted; after that
  // the map rests. No progress window comes and goes meanwhile, whose going would repaint the
  // map where the platform moves the keyboard to it.
  progress.reset();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(mMap.get()));
  mData->BackgroundTransparency = 50;
  mMap->update();
  const QPoint west = Pixel(-360, 260);
  const auto onScreen = [this, west] {
    return mMap->screen()->grabWindow(mMap->winId()).toImage().pixelColor(west);
  };
  EXPECT_TRUE(QTest::qWaitFor([&onScreen] { return onScreen() != QColor(Qt::red); }, 2000));
  EXPECT_EQ(onScreen(), colourAt(mMap->RenderImage(QSize(700, 500)), -360, 260));
  test::TPaintCounter paints;
  mMap->installEventFilter(&paints);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  EXPECT_EQ(paints.Paints, 0);
  mMap->removeEventFilter(&paints);
  // A blend that shows the progress window leaves it gone.
  progress = std::make_unique<TProgressForm>();
  mData->BackgroundTransparency = 0;
  mMap->RefreshBackground();
  EXPECT_FALSE(progress->isVisible());
  progress.reset();

  mData->BackgroundFiles.erase(mData->BackgroundFiles.begin());
  mMap->Images().DeleteImage(0);
  ASSERT_TRUE(mMap->Images().BuildComposite().IsSuccess());
  mMap->RefreshBackground();
  image = mMap->RenderImage(QSize(700, 500));
  image.save(QString::fromStdString(test::ReviewPath("map-image-removed.png")));
  EXPECT_EQ(colourAt(image, -360, 260), QColor(Qt::white));
  EXPECT_EQ(colourAt(image, 140, -140), QColor(Qt::blue));
  // With the last image gone and only an entry left that could not be loaded, the composite
  // made before is not drawn either, and nothing of it is held.
  mData->BackgroundFiles = {{true, red, true}};
  mMap->Images().DeleteImage(0);
  ASSERT_TRUE(mMap->Images().BuildComposite().IsSuccess());
  mMap->RefreshBackground();
  image = mMap->RenderImage(QSize(700, 500));
  EXPECT_EQ(colourAt(image, 140, -140), QColor(Qt::white));
  EXPECT_EQ(mMap->Images().PixelsHeld(), 0);
}

// An orthophoto of 10000 x 10000 pixels, 0.1 m each over the whole window, loads through
// the map's own path and shows each block of it where its world file puts it (the probes keep
// off the grid lines every 100 m).
TEST_F(MapImagePainterMap, AnOrthophotoOfTenThousandPixelsASideLoadsAndShows) {
  ASSERT_TRUE(test::WriteBlocksPNG(mFolder.Path("ortho.png"), 10000, 10000));
  ASSERT_TRUE(test::WriteWorldFile(mFolder.Path("ortho.pgw"), 0.1, 0, 0, -0.1, -500, 500));
  EXPECT_TRUE(ShowImages({{true, mFolder.Path("ortho.png")}}).Failures.empty());
  EXPECT_TRUE(mUi.Messages.empty()) << mUi.Messages.front().Text;
  // Shown on the map, and in the options dialog's preview, which holds no more pixels than
  // the map.
  for (const bool preview : {false, true}) {
    if (preview) mMap->BeginPreview();
    const QImage image = Picture(QSize(700, 500), "map-orthophoto.png");
    for (const auto& [x, y] : {std::pair{-455.0, 345.0}, {405.0, -345.0}, {-415.0, -315.0}}) {
      const TRGBA c =
          test::BlockColour(static_cast<int>((x + 500) * 10), static_cast<int>((500 - y) * 10));
      EXPECT_EQ(image.pixelColor(Pixel(x, y)), QColor(c.R, c.G, c.B))
          << x << ", " << y << (preview ? " in the preview" : "");
    }
  }
  EXPECT_LE(mMap->Images().BlendPreview(0).Width(), mMap->width());
  mMap->EndPreview();
}

// A composite that cannot be made says so in the words every path uses, and neither the map nor
// its preview shows the composite made before.
TEST_F(MapImagePainterMap, CompositeTooBigShowsItsOneMessageWhenLoading) {
  const std::string west = FlatImage(mFolder, "west", {255, 0, 0, 255}, -400, 300);
  mMap->Images().SetLimits({.MaxPixels = 100});  // each image fits, their 48 x 8 composite does not
  (void)ShowImages({{true, west}});
  ASSERT_TRUE(mUi.Messages.empty());
  const auto westShows = [&] {
    const QImage image = Picture(QSize(700, 500), "map-composite-too-big.png");
    return image.pixelColor(Pixel(-365, 255)) == Qt::red;
  };
  ASSERT_TRUE(westShows());
  mData->BackgroundFiles.push_back({true, FlatImage(mFolder, "east", {0, 0, 255, 255}, 0, 300)});
  mMap->LoadBackgroundImages();
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(std::tuple(mUi.Messages[0].Text, mUi.Messages[0].Type, mData->ImagesUnavailable),
            std::tuple(kImageTooBigText, TMsgDlgType::mtError, true));
  EXPECT_FALSE(westShows());
  mMap->BeginPreview();
  EXPECT_FALSE(westShows());
  mMap->EndPreview();
  mUi.Messages.clear();
}

}  // namespace
}  // namespace aqv

#include <gtest/gtest.h>

#include <QPainter>

#include "map/gui/MapImagePainter.h"
#include "tests/map/ImageFixtures.h"
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
  {
    QPainter painter(&canvas);
    DrawWindow(painter, images, QRectF(0, 0, 80, 20), {0, 0, 8, 2});
  }
  for (int column = 0; column < 4; ++column) {
    const TRGBA p = pattern.At(column, 1);
    EXPECT_EQ(canvas.pixel(column * 10 + 5, 15), qRgb(p.R, p.G, p.B)) << column;
  }
  EXPECT_EQ(canvas.pixel(60, 10), qRgb(0, 0, 0));
  EXPECT_TRUE(RasterToQImage(TImageRaster{}).isNull());
}

}  // namespace
}  // namespace aqv

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "map/ScalableImage.h"
#include "tests/map/ImageFixtures.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::TTempFolder;

// An image of four flat quadrants, 8 x 8 pixels each.
TImageRaster Quadrants() {
  TImageRaster raster;
  (void)raster.Allocate(16, 16, {});
  const TRGBA colours[4] = {{200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}, {90, 90, 0, 255}};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) raster.Set(x, y, colours[(y / 8) * 2 + x / 8]);
  return raster;
}

// A temporary folder for a test's images and a map to place them on.
class MapImage : public ::testing::Test {
 protected:
  // Writes a PNG and its world file; returns the image's path.
  std::string Placed(const std::string& base, const TImageRaster& raster,
                     const TWorldTransform& t) const {
    EXPECT_TRUE(test::WritePNG(mFolder.Path(base + ".png"), raster));
    EXPECT_TRUE(test::WriteWorldFile(mFolder.Path(base + ".pgw"), t.A, t.D, t.B, t.E, t.X0, t.Y0));
    return mFolder.Path(base + ".png");
  }
  // A pattern of side x side pixels 1 unit a side, its upper-left corner at (x0, y0), as Placed.
  std::string Tile(const std::string& base, int side, double x0, double y0) const {
    return Placed(base, test::PatternRaster(side, side), {1, 0, 0, -1, x0, y0});
  }
  // Writes a placed PNG as Placed does and adds it to map; whether it was added.
  bool AddPlaced(TMapImage& map, const std::string& base, const TImageRaster& raster,
                 const TWorldTransform& t) const {
    return map.AddImage(Placed(base, raster, t)).IsSuccess();
  }
  // A map of the one placed PNG, with its composite built.
  void PlaceOne(TMapImage& map, const TImageRaster& raster, const TWorldTransform& t) const {
    ASSERT_TRUE(AddPlaced(map, "a", raster, t));
    ASSERT_TRUE(map.BuildComposite().IsSuccess());
  }

  TTempFolder mFolder;
  TMapImage mMap;
};

// The composite pixel under a world point.
TRGBA CompositeAt(const TMapImage& map, double x, double y) {
  const TCompositeGrid& g = map.Grid();
  const int column = static_cast<int>(std::floor((x - g.OriginX) / g.PixelWidth));
  const int row = static_cast<int>(std::floor((y - g.OriginY) / g.PixelHeight));
  return map.Composite().At(column, row);
}

TEST_F(MapImage, UnrotatedImageIsCopiedPixelForPixel) {
  const TImageRaster pattern = test::PatternRaster(9, 6);
  PlaceOne(mMap, pattern, {0.5, 0, 0, -0.25, 10, 20});  // pixels twice as wide as high
  ASSERT_EQ(std::tuple(mMap.Composite().Width(), mMap.Composite().Height()), std::tuple(9, 6));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(mMap.Composite().At(x, y), pattern.At(x, y));
  EXPECT_EQ(mMap.CompositeExtent(), (TWorldRect{10, 18.5, 14.5, 20}));
}

// Pixels at known world points land where the world file puts them for 0, 30 and 60 degrees
// of rotation; from 45 degrees on an iterative inverse of the transform no longer converges,
// so these also guard the closed-form one.
TEST_F(MapImage, RotatedImagesFromFortyFiveDegreesArePlacedByTheClosedFormInverse) {
  const TImageRaster quadrants = Quadrants();
  for (double degrees : {0.0, 30.0, 45.0, 60.0}) {
    SCOPED_TRACE(degrees);
    const TWorldTransform t = test::Rotated(degrees, 2, 1000, 2000);
    TMapImage map;
    PlaceOne(map, quadrants, t);
    for (int q = 0; q < 4; ++q) {
      double x = 0, y = 0;
      t.ToWorld(4 + 8 * (q % 2), 4 + 8 * (q / 2), x, y);  // the middle of quadrant q
      EXPECT_EQ(CompositeAt(map, x, y), quadrants.At(4 + 8 * (q % 2), 4 + 8 * (q / 2)))
          << "quadrant " << q;
    }
    if (degrees != 0) {
      // The composite's corners lie outside a turned image and keep the background.
      EXPECT_EQ(map.Composite().At(0, 0), (TRGBA{255, 255, 255, 255}));
    }
  }
}

TEST_F(MapImage, CompositeTakesTheFinestPixelSizeAndTheUnionOfAllImages) {
  const TImageRaster four = test::PatternRaster(4, 4);
  ASSERT_TRUE(AddPlaced(mMap, "fine", four, {0.5, 0, 0, -0.5, 0, 10}));
  ASSERT_TRUE(AddPlaced(mMap, "coarse", four, {2, 0, 0, -2, 10, 4}));
  mMap.SetImageVisible(1, false);
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  EXPECT_EQ(std::tuple(mMap.Grid().PixelWidth, mMap.Grid().PixelHeight), std::tuple(0.5, -0.5));
  // The hidden image still counts for the extent, but is not drawn.
  EXPECT_EQ(mMap.ImagesExtent(), (TWorldRect{0, -4, 18, 10}));
  TMapImage reversed;  // the same union whichever image comes first
  ASSERT_TRUE(AddPlaced(reversed, "coarse", four, {2, 0, 0, -2, 10, 4}));
  ASSERT_TRUE(AddPlaced(reversed, "fine", four, {0.5, 0, 0, -0.5, 0, 10}));
  EXPECT_EQ(reversed.ImagesExtent(), mMap.ImagesExtent());
  EXPECT_EQ(std::tuple(mMap.Composite().Width(), mMap.Composite().Height()), std::tuple(36, 28));
  EXPECT_EQ(CompositeAt(mMap, 14, 0), (TRGBA{255, 255, 255, 255}));
  mMap.SetImageVisible(1, true);
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  EXPECT_EQ(CompositeAt(mMap, 11, 3), four.At(0, 0));
}

TEST_F(MapImage, CompositeOfTooManyPixelsIsRefusedAndTheOldOneStays) {
  PlaceOne(mMap, test::PatternRaster(4, 4), {1, 0, 0, -1, 0, 4});
  const TCompositeGrid grid = mMap.Grid();
  // 25001 columns of 1 unit: one too many. The image that would need them is not placed.
  const TImageLoadStatus far = mMap.AddImage(Tile("b", 1, 25000, 4));
  EXPECT_EQ(far.Code, TImageLoadResult::lrOutOfPlace);
  EXPECT_NE(far.Message.find(mFolder.Path("b.pgw")), std::string::npos) << far.Message;
  EXPECT_EQ(mMap.Count(), 1);
  // 25000 is allowed by the side limit, but not by a byte budget that is too small for it.
  ASSERT_TRUE(AddPlaced(mMap, "c", test::PatternRaster(1, 1), {1, 0, 0, -1, 24999, 4}));
  mMap.SetLimits({.MaxBytes = 25000 * 4 * 3 - 1});  // three bytes a composite pixel
  const TImageLoadStatus status = mMap.BuildComposite();
  EXPECT_EQ(std::tuple(status.Code, status.Message),
            std::tuple(TImageLoadResult::lrCompositeTooLarge, kImageTooBigText));
  EXPECT_EQ(std::tuple(mMap.Composite().Width(), mMap.Grid().PixelWidth, mMap.Grid().OriginX),
            std::tuple(4, grid.PixelWidth, grid.OriginX));
  mMap.SetLimits({});
  EXPECT_TRUE(mMap.BuildComposite().IsSuccess());
  EXPECT_EQ(mMap.Composite().Width(), 25000);
}

// The decoded images, the composite and its blend share one budget of pixels: the image that
// would exceed it is refused with its name, whether its header already says so or only its
// place does, and the images loaded before stay.
TEST_F(MapImage, PixelBudgetRefusesTheImageThatWouldExceedItAndKeepsTheOthers) {
  // A PNG declaring 16384 x 16384 pixels over a few bytes: with the budget of the program
  // it is refused before its pixels are allocated.
  ASSERT_TRUE(test::WritePNG(mFolder.Path("bomb.png"), test::PatternRaster(8, 8)));
  std::string png = mFolder.Read("bomb.png");
  for (int at : {16, 20})
    png.replace(static_cast<std::size_t>(at), 4, std::string("\0\0\x40\0", 4));
  const std::uint32_t crc =
      static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data()) + 12, 17));
  for (int i = 0; i < 4; ++i)
    png[static_cast<std::size_t>(29 + i)] = static_cast<char>(crc >> (24 - 8 * i));
  ASSERT_TRUE(test::WriteBytes(mFolder.Path("bomb.png"), png));
  ASSERT_TRUE(test::WriteWorldFile(mFolder.Path("bomb.pgw"), 1, 0, 0, -1, 0, 0));
  const TImageLoadStatus bomb = mMap.AddImage(mFolder.Path("bomb.png"));
  EXPECT_EQ(bomb.Code, TImageLoadResult::lrOverBudget) << bomb.Message;
  // The person reads the image's size and the limit, so knows what to make smaller.
  EXPECT_NE(bomb.Message.find(mFolder.Path("bomb.png") + " of 16384 x 16384 pixels is not loaded"),
            std::string::npos)
      << bomb.Message;
  EXPECT_NE(bomb.Message.find("805 million pixels, more than the 358 million"), std::string::npos)
      << bomb.Message;
  // A GIF one pixel a side larger than the budget holds: the two figures differ.
  ASSERT_TRUE(test::WriteGIF(mFolder.Path("wide.gif"), 8, 8, std::vector<std::uint8_t>(64, 1),
                             {{1, 2, 3, 255}, {4, 5, 6, 255}}));
  std::string gif = mFolder.Read("wide.gif");
  gif.replace(6, 4, std::string("\xAB\x2A\xAB\x2A", 4));  // a screen of 10923 x 10923
  ASSERT_TRUE(test::WriteBytes(mFolder.Path("wide.gif"), gif));
  ASSERT_TRUE(test::WriteWorldFile(mFolder.Path("wide.gfw"), 1, 0, 0, -1, 0, 0));
  const TImageLoadStatus wide = mMap.AddImage(mFolder.Path("wide.gif"));
  EXPECT_NE(wide.Message.find("would need 357.94 million pixels, more than the 357.91 million "
                              "pixels the background images may hold together."),
            std::string::npos)
      << wide.Message;

  mMap.SetPixelBudget(300);
  const std::string a = Tile("a", 8, 0, 8), beside = Tile("beside", 8, 8, 8);
  const std::string large = Tile("large", 20, 0, 8), over = Tile("over", 8, 0, 8);
  const TMapImageLoadReport report =
      mMap.LoadFiles({{true, a}, {true, beside}, {true, large}, {true, over}});
  // a: 64 + 2 x 64; beside would make a 16 x 8 composite (128 + 2 x 128); large alone
  // is more than a third of what is left; over lies on a and adds its 64 pixels only.
  ASSERT_EQ(report.Failures.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const auto& failure = report.Failures[static_cast<std::size_t>(k)];
    EXPECT_EQ(failure.Index, k + 1);
    EXPECT_EQ(failure.Status.Code, TImageLoadResult::lrOverBudget);
    EXPECT_NE(failure.Status.Message.find(k == 0 ? beside : large), std::string::npos)
        << failure.Status.Message;
  }
  EXPECT_NE(report.Failures[0].Status.Message.find(
                "of 8 x 8 pixels is not loaded: with it the optimized image would be 16 x 8 "
                "pixels, and the images, the optimized image and its blend would need 384 "
                "pixels, more than the 300 pixels"),
            std::string::npos)
      << report.Failures[0].Status.Message;
  ASSERT_EQ(mMap.Count(), 2);
  EXPECT_EQ(mMap.Image(1).FileName(), over);
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  mMap.ApplyTransparency();
  EXPECT_EQ(mMap.PixelsHeld(), 64 + 64 + 2 * 64);
  // Images taken off the list give back their pixels, and the composite and blend with them.
  for (const int image : {1, 0}) mMap.DeleteImage(image);
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  EXPECT_EQ(mMap.PixelsHeld(), 0);
  EXPECT_EQ(mMap.Composite().BytesHeld() + mMap.Blended().BytesHeld(), 0u);
}

// An absurd but finite world file leaves only its own image out, naming the world file; the
// images before and after it make the composite.
TEST_F(MapImage, WorldFilePlacingAnImageOutOfReachDropsOnlyThatImage) {
  const std::string a = Tile("a", 2, 0, 0), c = Tile("c", 2, 4, 0);
  for (const TWorldTransform& absurd :
       {TWorldTransform{1, 0, 0, -1, 1e308, 0}, TWorldTransform{1e308, 0, 0, -1, 1e308, 0}}) {
    SCOPED_TRACE(absurd.A);
    const std::string b = Placed("b", test::PatternRaster(2, 2), absurd);
    // Wherever the absurd entry stands in the list, only it is dropped.
    for (const TBackgroundFiles& files : {TBackgroundFiles{{true, a}, {true, b}, {true, c}},
                                          TBackgroundFiles{{true, b}, {true, a}, {true, c}}}) {
      TMapImage map;
      const TMapImageLoadReport report = map.LoadFiles(files);
      ASSERT_EQ(report.Failures.size(), 1u);
      EXPECT_EQ(files[static_cast<std::size_t>(report.Failures[0].Index)].FileName, b);
      EXPECT_EQ(report.Failures[0].Status.Code, TImageLoadResult::lrOutOfPlace);
      EXPECT_NE(report.Failures[0].Status.Message.find(mFolder.Path("b.pgw")), std::string::npos)
          << report.Failures[0].Status.Message;
      EXPECT_EQ(map.Count(), 2);
      ASSERT_TRUE(map.BuildComposite().IsSuccess());
      EXPECT_EQ(map.Composite().Width(), 6);
    }
  }
}

TEST_F(MapImage, TransparencyZeroKeepsTheImagesAndHundredGivesTheBackground) {
  const TImageRaster pattern = test::PatternRaster(5, 5);
  PlaceOne(mMap, pattern, {1, 0, 0, -1, 0, 5});
  mMap.SetColor(RGBColor(10, 20, 30));
  for (int transparency : {0, 100}) {
    mMap.SetTransparency(transparency);
    mMap.ApplyTransparency();
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x)
        ASSERT_EQ(mMap.Blended().At(x, y),
                  (transparency ? TRGBA{10, 20, 30, 255} : pattern.At(x, y)))
            << transparency;
  }
  mMap.SetTransparency(250);
  EXPECT_EQ(mMap.Transparency(), 100);
}

TEST_F(MapImage, BlendRoundsHalvesToEven) {
  TImageRaster source, target;
  ASSERT_TRUE(source.Allocate(3, 1, {}).IsSuccess());
  ASSERT_TRUE(target.Allocate(3, 1, {}).IsSuccess());
  const TRGBA pixels[3] = {{1, 3, 255, 255}, {100, 101, 0, 0}, {5, 0, 0, 255}};
  for (int x = 0; x < 3; ++x) source.Set(x, 0, pixels[x]);
  BlendRaster(source, target, 50, RGBColor(0, 0, 0));
  EXPECT_EQ(target.At(0, 0), (TRGBA{0, 2, 128, 255}));  // 0.5 -> 0, 1.5 -> 2, 127.5 -> 128
  EXPECT_EQ(target.At(1, 0), (TRGBA{50, 50, 0, 255}));  // 50.5 -> 50
  BlendRaster(source, target, 30, RGBColor(200, 0, 0));
  EXPECT_EQ(target.At(2, 0).R, 64);  // (5 x 70 + 200 x 30) / 100 = 63.5 -> 64
}

TEST_F(MapImage, TransparentGifPixelsShowWhatLiesBelow) {
  mMap.SetColor(RGBColor(1, 2, 3));
  std::vector<std::uint8_t> indices = {0, 1, 1, 0};
  ASSERT_TRUE(test::WriteGIF(mFolder.Path("t.gif"), 2, 2, indices,
                             {{250, 0, 0, 255}, {0, 0, 250, 255}}, 1));
  ASSERT_TRUE(test::WriteWorldFile(mFolder.Path("t.gfw"), 1, 0, 0, -1, 0, 2));
  ASSERT_TRUE(mMap.AddImage(mFolder.Path("t.gif")).IsSuccess());
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  EXPECT_EQ(mMap.Composite().At(0, 0), (TRGBA{250, 0, 0, 255}));
  EXPECT_EQ(mMap.Composite().At(1, 0), (TRGBA{1, 2, 3, 255}));
}

TEST_F(MapImage, LoadFilesReportsFailuresAndHidesUncheckedImages) {
  const std::string a = Tile("a", 2, 0, 0), b = Tile("b", 2, 5, 0);
  std::vector<std::string> captions;
  TImageProgress progress;
  progress.Progress = [&](const std::string& caption, int, int) { captions.push_back(caption); };
  mMap.SetProgressCallback(progress);
  // A JPEG broken off inside its pixels loads what it holds, with a warning that names it.
  ASSERT_TRUE(test::WriteJPEG(mFolder.Path("cut.jpg"), test::PatternRaster(64, 64)));
  const std::string jpeg = mFolder.Read("cut.jpg");
  ASSERT_TRUE(test::WriteBytes(mFolder.Path("cut.jpg"), jpeg.substr(0, jpeg.size() * 3 / 4)));
  ASSERT_TRUE(test::WriteWorldFile(mFolder.Path("cut.jgw"), 1, 0, 0, -1, 0, 0));
  const TMapImageLoadReport report = mMap.LoadFiles(
      {{true, a}, {true, mFolder.Path("gone.png")}, {false, b}, {true, mFolder.Path("cut.jpg")}});
  EXPECT_FALSE(report.Cancelled);
  ASSERT_EQ(report.Failures.size(), 1u);
  EXPECT_EQ(report.Failures[0].Index, 1);
  EXPECT_EQ(report.Failures[0].Status.Code, TImageLoadResult::lrFileNotFound);
  ASSERT_EQ(report.Warnings.size(), 1u);
  EXPECT_EQ(report.Warnings[0], "The file " + mFolder.Path("cut.jpg") +
                                    " is damaged or incomplete; only the part that could be read "
                                    "is shown.")
      << report.Warnings[0];
  ASSERT_EQ(mMap.Count(), 3);
  EXPECT_EQ(
      std::tuple(mMap.Image(2).Raster().Height(), mMap.Image(0).Visible(), mMap.Image(1).Visible()),
      std::tuple(64, true, false));
  EXPECT_EQ(captions.front(), TMapImage::kLoadingCaption);
  captions.clear();
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  mMap.ApplyTransparency();
  ASSERT_FALSE(captions.empty());
  for (const std::string& caption : captions) EXPECT_EQ(caption, TMapImage::kOptimizingCaption);
}

// One image with a world file that does not convert is left out with its message; the images
// before and after it still load.
TEST_F(MapImage, MalformedWorldFileDropsOnlyItsImage) {
  const std::string a = Tile("a", 2, 0, 0), c = Tile("c", 2, 4, 0);
  ASSERT_TRUE(test::WritePNG(mFolder.Path("b.png"), test::PatternRaster(2, 2)));
  for (const std::string world :
       {"1\n0\n0\n-1\n1O0\n0\n", "1\n0\n0\n-1\nnan\n0\n", "1\n1\n1\n1\n0\n0\n"}) {
    SCOPED_TRACE(world);
    ASSERT_TRUE(test::WriteBytes(mFolder.Path("b.pgw"), world));
    TMapImage map;
    const TMapImageLoadReport report =
        map.LoadFiles({{true, a}, {true, mFolder.Path("b.png")}, {true, c}});
    EXPECT_EQ(map.Count(), 2);
    ASSERT_EQ(report.Failures.size(), 1u);
    EXPECT_EQ(report.Failures[0].Index, 1);
    EXPECT_TRUE(report.Failures[0].Status.Code == TImageLoadResult::lrWorldFileInvalid ||
                report.Failures[0].Status.Code == TImageLoadResult::lrZeroPixelSize);
    EXPECT_NE(report.Failures[0].Status.Message.find("b.pgw"), std::string::npos);
    EXPECT_TRUE(map.BuildComposite().IsSuccess());
  }
}

TEST_F(MapImage, CancelStopsLoadingAndKeepsTheOldComposite) {
  const std::string a = Tile("a", 2, 0, 0);
  ASSERT_TRUE(mMap.LoadFiles({{true, a}}).Failures.empty());
  ASSERT_TRUE(mMap.BuildComposite().IsSuccess());
  bool cancel = true;
  mMap.SetProgressCallback({.Progress = {}, .Cancelled = [&] { return cancel; }});
  EXPECT_EQ(mMap.BuildComposite().Code, TImageLoadResult::lrCancelled);
  EXPECT_EQ(mMap.Composite().Width(), 2);
  const TMapImageLoadReport report = mMap.LoadFiles({{true, a}, {true, a}});
  EXPECT_EQ(std::tuple(report.Cancelled, mMap.Count()), std::tuple(true, 0));
}

TEST_F(MapImage, WindowPartClipsToTheComposite) {
  PlaceOne(mMap, test::PatternRaster(10, 10), {1, 0, 0, -1, 0, 10});
  TWindowPart part;
  // A window from x -10 to 10 and y 5 to 15: the right half and the lower half.
  ASSERT_TRUE(mMap.WindowPart({-10, 5, 10, 15}, part));
  const auto expectPart = [&part](const char* name, const double(&expected)[8]) {
    const double got[8] = {part.SourceLeft, part.SourceRight, part.SourceTop, part.SourceBottom,
                           part.Left,       part.Right,       part.Top,       part.Bottom};
    for (int k = 0; k < 8; ++k) EXPECT_DOUBLE_EQ(got[k], expected[k]) << name << " entry " << k;
  };
  expectPart("coarse", {0, 10, 0, 5, 0.5, 1, 0.5, 1});
  EXPECT_FALSE(mMap.WindowPart({20, 20, 30, 30}, part));
  EXPECT_EQ(mMap.SourceRect({2, 3, 6, 8}), (TPixelRect{2, 2, 6, 7}));

  // Pixels 0.5 wide and 0.25 high from x = 2: rows count in quarters, columns in halves; x = 2
  // lies 7 of the window's 10 from its west side.
  TMapImage fine;
  PlaceOne(fine, test::PatternRaster(10, 10), {0.5, 0, 0, -0.25, 2, 10});
  ASSERT_TRUE(fine.WindowPart({-5, 8.75, 5, 11.25}, part));
  expectPart("fine", {0, 6, 0, 5, 0.7, 1, 0.5, 1});
  EXPECT_EQ(fine.SourceRect({1, 8, 3, 9.5}), (TPixelRect{-2, 2, 2, 8}));
}

TEST_F(MapImage, PreviewBlendsTheCroppedWindow) {
  const TImageRaster pattern = test::PatternRaster(10, 10);
  PlaceOne(mMap, pattern, {1, 0, 0, -1, 0, 10});
  mMap.SetColor(RGBColor(0, 0, 0));
  mMap.CropToWindow({8, 0, 12, 4});  // two columns inside, two outside
  const TImageRaster& preview = mMap.BlendPreview(0);
  ASSERT_EQ(std::tuple(preview.Width(), preview.Height()), std::tuple(4, 4));
  EXPECT_EQ(preview.At(0, 0), pattern.At(8, 6));
  EXPECT_EQ(preview.At(3, 0), (TRGBA{0, 0, 0, 255}));
  EXPECT_EQ(mMap.BlendPreview(100).At(0, 0), (TRGBA{0, 0, 0, 255}));
  // No more pixels than the window on the screen: each takes the composite pixel under its
  // centre.
  mMap.CropToWindow({0, 0, 8, 8}, 2, 4);
  ASSERT_EQ(mMap.BlendPreview(0).Width(), 2);
  EXPECT_EQ(mMap.BlendPreview(0).At(1, 3), pattern.At(6, 9));
}

}  // namespace
}  // namespace aqv

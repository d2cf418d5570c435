#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "map/ScalableImage.h"
#include "model/file/WorldFile.h"
#include "tests/map/ImageFixtures.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::TTempFolder;

// Writes name (any supported extension) holding raster.
void WriteImage(const TTempFolder& folder, const std::string& name, const TImageRaster& raster) {
  const std::string ext = name.substr(name.rfind('.')), path = folder.Path(name);
  bool ok = false;
  if (ext == ".png" || ext == ".PNG") ok = test::WritePNG(path, raster);
  if (ext == ".tif" || ext == ".TIFF" || ext == ".tiff") ok = test::WriteTIFF(path, raster);
  if (ext == ".jpg" || ext == ".JPEG") ok = test::WriteJPEG(path, raster);
  if (ext == ".bmp" || ext == ".BMP") ok = test::WriteBytes(path, test::BMPBytes(raster, 24));
  const int w = raster.Width(), h = raster.Height();  // a GIF of palette index 0 throughout
  if (ext == ".gif")
    ok = test::WriteGIF(path, w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w * h)),
                        {raster.At(0, 0)});
  ASSERT_TRUE(ok) << name;
}

TEST(TScalableImage, LoadsEveryFormatWithItsWorldFileInEitherCase) {
  TTempFolder folder;
  const TImageRaster pattern = test::PatternRaster(6, 4);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a.png", "a.pgw"}, {"b.PNG", "b.PGW"},  {"c.tif", "c.tfw"}, {"d.TIFF", "d.tfw"},
      {"e.jpg", "e.jgw"}, {"f.JPEG", "f.JGW"}, {"g.bmp", "g.bpw"}, {"h.BMP", "h.bpw"},
      {"i.gif", "i.GFW"}, {"j.tiff", "j.TFW"}};
  for (const auto& [image, world] : cases) {
    SCOPED_TRACE(image);
    WriteImage(folder, image, pattern);
    ASSERT_TRUE(test::WriteWorldFile(folder.Path(world), 2, 0, 0, -2, 100, 200, "\r\n"));
    TScalableImage loaded;
    const TImageLoadStatus status = loaded.LoadFromFile(folder.Path(image));
    ASSERT_TRUE(status.IsSuccess()) << status.Message;
    EXPECT_EQ(std::tuple(loaded.Raster().Width(), loaded.Raster().Height()), std::tuple(6, 4));
    EXPECT_EQ(loaded.Transform(), (TWorldTransform{2, 0, 0, -2, 100, 200}));
    EXPECT_EQ(std::tuple(loaded.Visible(), loaded.Extent()),
              std::tuple(true, TWorldRect{100, 192, 112, 200}));
  }
}

// Every result code of loading, each with a message that names the file.
TEST(TScalableImage, EveryLoadFailureHasItsCodeAndMessage) {
  using enum TImageLoadResult;
  TTempFolder folder;
  const TImageRaster pattern = test::PatternRaster(4, 4);
  for (const char* name : {"ok.png", "noworld.png", "zero.png", "bad.png"})
    WriteImage(folder, name, pattern);
  test::WriteBytes(folder.Path("broken.png"), "\x89PNG not really");
  test::WriteBytes(folder.Path("other.xyz"), "data");
  for (const char* name : {"ok.pgw", "broken.pgw"})
    test::WriteWorldFile(folder.Path(name), 1, 0, 0, -1, 0, 0);
  test::WriteWorldFile(folder.Path("zero.pgw"), 1, 0, 0, 0, 0, 0);
  test::WriteBytes(folder.Path("bad.pgw"), "1\n0\n0\n-1\n12,5\n0\n");
  // A folder or a named pipe where a file belongs is named for what it is.
  std::filesystem::create_directory(folder.Path("folder.png"));
  ASSERT_EQ(::mkfifo(folder.Path("pipe.png").c_str(), 0600), 0);
  WriteImage(folder, "pipeworld.png", pattern);
  ASSERT_EQ(::mkfifo(folder.Path("pipeworld.pgw").c_str(), 0600), 0);
  std::vector<std::tuple<std::string, TImageLoadResult, std::string>> cases = {
      {"ok.png", lrSuccess, ""},
      {"missing.png", lrFileNotFound, "missing.png"},
      {"broken.png", lrDecodeFailed, "broken.png"},
      {"other.xyz", lrNoWorldFileName, "other.xyz"},
      {"noworld.png", lrWorldFileNotFound, "noworld.pgw"},
      {"zero.png", lrZeroPixelSize, "zero.pgw"},
      {"bad.png", lrWorldFileInvalid, "line 5"},
      {"folder.png", lrFileNotFound, "folder.png is not a regular file."},
      {"pipe.png", lrFileNotFound, "pipe.png is not a regular file."},
      {"pipeworld.png", lrWorldFileNotFound, "pipeworld.pgw is not a regular file."}};
  // Per decoder an empty file, a file broken off halfway and a file of another format: the
  // person is told which, in plain words and without the codec library's.
  const std::string bmp = test::BMPBytes(pattern, 24);
  const std::pair<std::string, std::string> formats[] = {
      {".png", "PNG"}, {".gif", "GIF"}, {".jpg", "JPEG"}, {".tif", "TIFF"}, {".bmp", "BMP"}};
  for (const auto& [ext, format] : formats) {
    // The PNG's message is read whole, the others' from the file's name on.
    cases.emplace_back(
        "empty" + ext, lrDecodeFailed,
        (ext == ".png" ? "The file " + folder.Path("empty") : "empty") + ext + " is empty.");
    cases.emplace_back("cut" + ext, lrDecodeFailed, "cut" + ext + " is damaged or incomplete.");
    cases.emplace_back("other" + ext, lrDecodeFailed,
                       "other" + ext + " is not a " + format + " image.");
    WriteImage(folder, "cut" + ext, pattern);
    const std::string whole = folder.Read("cut" + ext);
    test::WriteBytes(folder.Path("cut" + ext), whole.substr(0, whole.size() / 2));
    test::WriteBytes(folder.Path("empty" + ext), "");
    test::WriteBytes(folder.Path("other" + ext), ext == ".bmp" ? folder.Read("ok.png") : bmp);
    for (const std::string base : {"cut", "empty", "other"})
      test::WriteWorldFile(GetWorldFileName(folder.Path(base + ext)), 1, 0, 0, -1, 0, 0);
  }
  for (const auto& [name, code, inMessage] : cases) {
    SCOPED_TRACE(name);
    TScalableImage image;
    const TImageLoadStatus status = image.LoadFromFile(folder.Path(name));
    EXPECT_EQ(status.Code, code) << status.Message;
    EXPECT_NE(status.Message.find(inMessage), std::string::npos) << status.Message;
    EXPECT_EQ(image.Raster().Empty(), code != lrSuccess);
    EXPECT_FALSE(ToText(code).empty());
  }
}

TEST(TScalableImage, WorldFileOfFiveLinesLeavesUnitPixels) {
  TTempFolder folder;
  WriteImage(folder, "a.png", test::PatternRaster(3, 3));
  test::WriteBytes(folder.Path("a.pgw"), "2\n0\n0\n-2\n10\n");
  TScalableImage image;
  ASSERT_TRUE(image.LoadFromFile(folder.Path("a.png")).IsSuccess());
  EXPECT_EQ(std::tuple(image.Transform().A, image.Transform().E), std::tuple(1, 1));
}

TEST(TScalableImage, CancelDuringTiffConversionIsReportedAsCancel) {
  TTempFolder folder;
  WriteImage(folder, "a.tif", test::PatternRaster(64, 64));
  test::WriteWorldFile(folder.Path("a.tfw"), 1, 0, 0, -1, 0, 0);
  const TImageProgress progress{.Progress = {}, .Cancelled = [] { return true; }};
  TScalableImage image;
  EXPECT_EQ(image.LoadFromFile(folder.Path("a.tif"), progress).Code, TImageLoadResult::lrCancelled);
}

TEST(TScalableImage, HugeImageIsRefusedAsNotDecoding) {
  TTempFolder folder;
  WriteImage(folder, "a.png", test::PatternRaster(30, 30));
  test::WriteWorldFile(folder.Path("a.pgw"), 1, 0, 0, -1, 0, 0);
  TScalableImage image;
  const TImageLoadStatus status = image.LoadFromFile(folder.Path("a.png"), {}, {.MaxPixels = 100});
  EXPECT_EQ(status.Code, TImageLoadResult::lrDecodeFailed);
  EXPECT_NE(status.Message.find("too large"), std::string::npos) << status.Message;
}

// The centre of every pixel, turned into world coordinates, finds that pixel again; points
// just outside the image find none.
TEST(TScalableImage, WorldToPixelFindsEveryPixelAtZeroThirtyAndSixtyDegrees) {
  for (double degrees : {0.0, 30.0, 45.0, 60.0}) {
    SCOPED_TRACE(degrees);
    TScalableImage image;
    image.SetRaster(test::PatternRaster(7, 5));
    image.SetTransform(test::Rotated(degrees, 3, 500, 800));
    for (int row = 0; row < 5; ++row)
      for (int column = 0; column < 7; ++column) {
        double x = 0, y = 0;
        image.Transform().ToWorld(column + 0.5, row + 0.5, x, y);
        int c = -1, r = -1;
        ASSERT_TRUE(image.WorldToPixel(x, y, c, r));
        EXPECT_EQ(std::tuple(c, r), std::tuple(column, row));
      }
    double x = 0, y = 0;
    int c = 0, r = 0;
    image.Transform().ToWorld(-0.1, 2, x, y);
    EXPECT_FALSE(image.WorldToPixel(x, y, c, r));
    image.Transform().ToWorld(3, 5.1, x, y);
    EXPECT_FALSE(image.WorldToPixel(x, y, c, r));
  }
  TScalableImage empty;
  int c = 0, r = 0;
  EXPECT_FALSE(empty.WorldToPixel(0.5, -0.5, c, r));
}

}  // namespace
}  // namespace aqv

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "map/ImageDecoders.h"
#include "tests/map/ImageFixtures.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::TTempFolder;
using TDecoder = std::function<TDecodeResult(std::span<const std::uint8_t>, TImageRaster&)>;

std::vector<std::uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

// Every pixel of raster equals expected (colours within tolerance, alpha exact).
::testing::AssertionResult SamePixels(const TImageRaster& raster, const TImageRaster& expected,
                                      int tolerance = 0) {
  if (raster.Width() != expected.Width() || raster.Height() != expected.Height())
    return ::testing::AssertionFailure()
           << "size " << raster.Width() << "x" << raster.Height() << ", expected "
           << expected.Width() << "x" << expected.Height();
  for (int y = 0; y < raster.Height(); ++y)
    for (int x = 0; x < raster.Width(); ++x) {
      const TRGBA a = raster.At(x, y), b = expected.At(x, y);
      if (std::abs(a.R - b.R) > tolerance || std::abs(a.G - b.G) > tolerance ||
          std::abs(a.B - b.B) > tolerance || a.A != b.A)
        return ::testing::AssertionFailure()
               << "pixel (" << x << "," << y << ") is " << int(a.R) << "," << int(a.G) << ","
               << int(a.B) << "," << int(a.A) << ", expected " << int(b.R) << "," << int(b.G) << ","
               << int(b.B) << "," << int(b.A);
    }
  return ::testing::AssertionSuccess();
}

// The decoders with their default limits, as two-argument functions.
const TDecoder Png = [](auto d, TImageRaster& r) { return DecodePNG(d, r); };
const TDecoder Gif = [](auto d, TImageRaster& r) { return DecodeGIF(d, r); };
const TDecoder Jpeg = [](auto d, TImageRaster& r) { return DecodeJPEG(d, r); };
const TDecoder Bmp = [](auto d, TImageRaster& r) { return DecodeBMP(d, r); };
const TDecoder Tiff = [](auto d, TImageRaster& r) { return DecodeTIFF(d, r); };

// A temporary folder for the fixtures a test writes.
class ImageDecoders : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> FileBytes(const std::string& name) const {
    return Bytes(mFolder.Read(name));
  }
  // The file `name` decoded by decode, which must succeed.
  TImageRaster Decoded(const std::string& name, const TDecoder& decode) const {
    TImageRaster raster;
    const TDecodeResult result = decode(FileBytes(name), raster);
    EXPECT_TRUE(result.IsSuccess()) << name << ": " << result.Message;
    return raster;
  }

  TTempFolder mFolder;
};

// A fixture written by each library and read back: the same picture, rows from the top.
TEST_F(ImageDecoders, LosslessFormatsGiveBackTheWrittenPixels) {
  const TImageRaster pattern = test::PatternRaster(13, 7);
  // Transparent and half-transparent pixels in the first and the last row: the TIFF's alpha
  // is not shown, so every row comes back opaque.
  TImageRaster seeThrough = pattern;
  for (int x = 0; x < 13; x += 2) {
    const TRGBA p = pattern.At(x, 0), q = pattern.At(x, 6);
    seeThrough.Set(x, 0, {p.R, p.G, p.B, 0});
    seeThrough.Set(x, 6, {q.R, q.G, q.B, 128});
  }
  const std::vector<std::tuple<std::string, std::function<bool(const std::string&)>, TDecoder>>
      cases = {
          {"png", [&](auto& p) { return test::WritePNG(p, pattern); }, Png},
          {"tiff", [&](auto& p) { return test::WriteTIFF(p, pattern); }, Tiff},
          {"tiff with alpha", [&](auto& p) { return test::WriteTIFF(p, seeThrough, 1, {}, true); },
           Tiff},
          {"bmp 24", [&](auto& p) { return test::WriteBytes(p, test::BMPBytes(pattern, 24)); },
           Bmp},
          {"bmp 32", [&](auto& p) { return test::WriteBytes(p, test::BMPBytes(pattern, 32)); },
           Bmp},
          {"bmp 24 top-down",
           [&](auto& p) { return test::WriteBytes(p, test::BMPBytes(pattern, 24, true)); }, Bmp},
      };
  for (const auto& [name, write, decode] : cases) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(write(mFolder.Path("image")));
    EXPECT_TRUE(SamePixels(Decoded("image", decode), pattern));
  }
}

// The world file places the upper-left pixel, so the rows must come out from the top left
// whichever corner the file stores first.
TEST_F(ImageDecoders, TiffRowsComeOutTopLeftWhateverTheOrientation) {
  const TImageRaster pattern = test::PatternRaster(13, 7);
  for (int orientation : {1, 2, 3, 4}) {
    SCOPED_TRACE(orientation);
    ASSERT_TRUE(test::WriteTIFF(mFolder.Path("a.tif"), pattern, orientation));
    EXPECT_TRUE(SamePixels(Decoded("a.tif", Tiff), pattern));
  }
}

TEST_F(ImageDecoders, PalettedBmpUsesItsColourTable) {
  TImageRaster picture;
  ASSERT_TRUE(picture.Allocate(5, 3, {}).IsSuccess());
  const TRGBA colours[3] = {{255, 0, 0, 255}, {0, 128, 0, 255}, {10, 20, 30, 255}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) picture.Set(x, y, colours[(x + y) % 3]);
  TImageRaster raster;
  ASSERT_TRUE(DecodeBMP(Bytes(test::BMPBytes(picture, 8)), raster).IsSuccess());
  EXPECT_TRUE(SamePixels(raster, picture));
}

// A 2 x 1 bitmap of 16 (5-6-5) or 32 bits per pixel with the channel masks after the header.
std::vector<std::uint8_t> BitFieldsBmp(int bits, std::uint32_t red, std::uint32_t green,
                                       std::uint32_t blue,
                                       const std::vector<std::uint32_t>& pixels) {
  std::vector<std::uint8_t> d = {'B', 'M'};
  const auto put = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) d.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  const std::uint32_t stride = (2 * static_cast<std::uint32_t>(bits) + 31) / 32 * 4;
  for (std::uint32_t v : {66 + stride, 0u, 66u, 40u, 2u, 1u}) put(v, 4);
  put(1, 2);
  put(static_cast<std::uint32_t>(bits), 2);
  for (std::uint32_t v : {3u, stride, 0u, 0u, 0u, 0u, red, green, blue}) put(v, 4);
  for (std::uint32_t p : pixels) put(p, bits / 8);
  d.resize(66 + stride, 0);
  return d;
}

TEST_F(ImageDecoders, BmpBitFieldsScaleEachChannelToFullRange) {
  TImageRaster raster;
  ASSERT_TRUE(
      DecodeBMP(BitFieldsBmp(16, 0xF800, 0x07E0, 0x001F, {0xF800, 0x07FF}), raster).IsSuccess());
  EXPECT_EQ(raster.At(0, 0), (TRGBA{255, 0, 0, 255}));
  EXPECT_EQ(raster.At(1, 0), (TRGBA{0, 255, 255, 255}));
  // Masks wider than 24 bits must not overflow the scaling.
  ASSERT_TRUE(DecodeBMP(BitFieldsBmp(32, 0xFFFFFFFF, 0, 0xFF, {0xFFFFFFFF, 0x80000000}), raster)
                  .IsSuccess());
  EXPECT_EQ(raster.At(0, 0), (TRGBA{255, 0, 255, 255}));
  EXPECT_EQ(raster.At(1, 0).R, 128);
}

TEST_F(ImageDecoders, GifFirstFrameHonoursInterlaceAndTransparentIndex) {
  const int w = 6, h = 11;  // more than 8 rows, so that all four interlace passes occur
  std::vector<TRGBA> palette;
  for (int i = 0; i < 256; ++i)
    palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                       static_cast<std::uint8_t>(i * 3), 255});
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) indices.push_back(static_cast<std::uint8_t>(y * 16 + x));
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced ? "interlaced" : "sequential");
    ASSERT_TRUE(
        test::WriteGIF(mFolder.Path("a.gif"), w, h, indices, palette, 16 * 3 + 2, interlaced));
    const TImageRaster raster = Decoded("a.gif", Gif);
    EXPECT_EQ(raster.BytesPerPixel(), 4);
    ASSERT_EQ(raster.Width(), w);
    ASSERT_EQ(raster.Height(), h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int index = y * 16 + x;
        const TRGBA expected = index == 16 * 3 + 2 ? TRGBA{0, 0, 0, 0} : palette[index];
        ASSERT_EQ(raster.At(x, y), expected) << "at " << x << "," << y;
      }
  }
}

TEST_F(ImageDecoders, JpegComesBackCloseToTheWrittenColours) {
  // Flat 8x8 blocks survive quality 100 within a few levels.
  TImageRaster picture;
  ASSERT_TRUE(picture.Allocate(16, 16, {}).IsSuccess());
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      picture.Set(x, y,
                  x < 8 ? (y < 8 ? TRGBA{200, 30, 40, 255} : TRGBA{20, 180, 60, 255})
                        : (y < 8 ? TRGBA{40, 60, 220, 255} : TRGBA{250, 250, 250, 255}));
  for (bool progressive : {false, true}) {
    ASSERT_TRUE(test::WriteJPEG(mFolder.Path("a.jpg"), picture, progressive));
    EXPECT_TRUE(SamePixels(Decoded("a.jpg", Jpeg), picture, 4));
  }
  // The same four quadrants as inverted CMYK (255 is no ink), each channel scaled by K.
  TImageRaster inks = picture, expected = picture;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const TRGBA p = picture.At(x, y);
      const int k = x < 8 ? 255 : 160;
      inks.Set(x, y, {p.R, p.G, p.B, static_cast<std::uint8_t>(k)});
      const auto scaled = [k](int c) { return static_cast<std::uint8_t>(c * k / 255); };
      expected.Set(x, y, {scaled(p.R), scaled(p.G), scaled(p.B), 255});
    }
  ASSERT_TRUE(test::WriteJPEG(mFolder.Path("cmyk.jpg"), inks, false, true));
  EXPECT_TRUE(SamePixels(Decoded("cmyk.jpg", Jpeg), expected, 4));
}

TEST_F(ImageDecoders, PngKeepsAlpha) {
  TImageRaster picture = test::PatternRaster(4, 4);
  picture.Set(1, 2, {9, 8, 7, 0});
  picture.Set(2, 1, {90, 80, 70, 128});
  ASSERT_TRUE(test::WritePNG(mFolder.Path("a.png"), picture));
  const TImageRaster raster = Decoded("a.png", Png);
  EXPECT_EQ(std::tuple(raster.At(2, 1), raster.At(1, 2).A), std::tuple(TRGBA{90, 80, 70, 128}, 0));
}

TEST_F(ImageDecoders, TiffReportsModelPixelScaleAndProgress) {
  const TImageRaster pattern = test::PatternRaster(64, 64);
  ASSERT_TRUE(test::WriteTIFF(mFolder.Path("a.tif"), pattern, 1, {0.5, 0.25, 0}));
  TImageRaster raster;
  std::string info;
  std::vector<int> positions;
  TImageProgress progress;
  progress.Progress = [&](const std::string& caption, int position, int maximum) {
    EXPECT_EQ(std::tuple(caption, maximum), std::tuple("Converting TIFF", 100));
    positions.push_back(position);
  };
  ASSERT_TRUE(DecodeTIFF(FileBytes("a.tif"), raster, {}, progress, &info).IsSuccess());
  EXPECT_EQ(info, "Retrieved ModelPixelScaleTag value: 0.5, 0.25, 0");
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(std::tuple(positions.front(), positions.back()), std::tuple(0, 100));

  ASSERT_TRUE(test::WriteTIFF(mFolder.Path("b.tif"), pattern));
  ASSERT_TRUE(DecodeTIFF(FileBytes("b.tif"), raster, {}, {}, &info).IsSuccess());
  EXPECT_EQ(info, "");
}

TEST_F(ImageDecoders, TiffConversionStopsOnCancel) {
  ASSERT_TRUE(test::WriteTIFF(mFolder.Path("a.tif"), test::PatternRaster(64, 64)));
  const TImageProgress progress{.Progress = {}, .Cancelled = [] { return true; }};
  TImageRaster raster;
  const TDecodeResult result = DecodeTIFF(FileBytes("a.tif"), raster, {}, progress);
  EXPECT_EQ(result.Status, TDecodeStatus::dsCancelled);
  EXPECT_TRUE(raster.Empty());
}

// Every prefix of a valid file, and the file with bytes overwritten, is refused or decoded,
// never a crash (the sanitizer build watches the reads).
TEST_F(ImageDecoders, TruncatedAndDamagedFilesAreRefusedWithAMessage) {
  const TImageRaster pattern = test::PatternRaster(9, 9);
  std::vector<std::uint8_t> indices(81);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(test::WritePNG(mFolder.Path("a.png"), pattern));
  ASSERT_TRUE(test::WriteTIFF(mFolder.Path("a.tif"), pattern));
  ASSERT_TRUE(test::WriteJPEG(mFolder.Path("a.jpg"), pattern));
  ASSERT_TRUE(test::WriteGIF(mFolder.Path("a.gif"), 9, 9, indices, {{1, 2, 3, 255}}, -1, true));
  ASSERT_TRUE(test::WriteBytes(mFolder.Path("a.bmp"), test::BMPBytes(pattern, 24)));
  const std::vector<std::pair<std::string, TDecoder>> cases = {
      {"a.png", Png}, {"a.tif", Tiff}, {"a.jpg", Jpeg}, {"a.gif", Gif}, {"a.bmp", Bmp}};
  for (const auto& [name, decode] : cases) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> whole = FileBytes(name);
    int refused = 0, damaged = 0;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      TImageRaster raster;
      const TDecodeResult result = decode(std::span(whole).first(length), raster);
      if (result.Status == TDecodeStatus::dsDamaged) {
        // What could be decoded is kept, and the person is told that the rest is missing.
        ++damaged;
        EXPECT_EQ(raster.Width(), 9);
        EXPECT_NE(result.Message.find("is damaged"), std::string::npos) << result.Message;
      } else if (!result.IsSuccess()) {
        ++refused;
        ASSERT_FALSE(result.Message.empty());
        EXPECT_EQ(result.Message.back(), '.') << name << ": " << result.Message;
        EXPECT_TRUE(raster.Empty());
      }
    }
    // Very short prefixes never decode; a JPEG broken off inside its scan is damaged.
    EXPECT_GE(refused, 8);
    if (name == "a.jpg") {
      EXPECT_GE(damaged, 10);
    }
    for (std::size_t at = 0; at < whole.size(); at += 3) {
      std::vector<std::uint8_t> damaged = whole;
      damaged[at] ^= 0xA5;
      TImageRaster raster;
      (void)decode(damaged, raster);
    }
  }
}

void PutBigEndian32(std::vector<std::uint8_t>& d, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    d[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A header that declares a huge image over a few bytes is refused before the pixels are
// allocated, whatever the format.
TEST_F(ImageDecoders, HugeDeclaredDimensionsAreRefusedBeforeAllocation) {
  const TImageRaster small = test::PatternRaster(8, 8);
  // PNG: IHDR width and height at bytes 16..23, its CRC after the chunk data.
  ASSERT_TRUE(test::WritePNG(mFolder.Path("a.png"), small));
  std::vector<std::uint8_t> png = FileBytes("a.png");
  PutBigEndian32(png, 16, 60000);
  PutBigEndian32(png, 20, 60000);
  PutBigEndian32(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
  // GIF: logical screen width and height at bytes 6..9, little-endian.
  std::vector<std::uint8_t> indices(64, 1);
  ASSERT_TRUE(test::WriteGIF(mFolder.Path("a.gif"), 8, 8, indices, {{1, 2, 3, 255}}));
  std::vector<std::uint8_t> gif = FileBytes("a.gif");
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;
  // BMP: width and height at bytes 18..25.
  std::vector<std::uint8_t> bmp = Bytes(test::BMPBytes(small, 24));
  bmp[18] = bmp[22] = 0x60;
  bmp[19] = bmp[23] = 0xEA;
  // JPEG: the frame header's height and width follow FF C0, its length and precision.
  ASSERT_TRUE(test::WriteJPEG(mFolder.Path("a.jpg"), small));
  std::vector<std::uint8_t> jpg = FileBytes("a.jpg");
  for (std::size_t i = 0; i + 8 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
      jpg[i + 5] = jpg[i + 7] = 0xEA;
      jpg[i + 6] = jpg[i + 8] = 0x60;
      break;
    }
  const std::vector<std::tuple<std::string, std::vector<std::uint8_t>, TDecoder>> cases = {
      {"png", png, Png}, {"gif", gif, Gif}, {"bmp", bmp, Bmp}, {"jpeg", jpg, Jpeg}};
  for (const auto& [name, bytes, decode] : cases) {
    SCOPED_TRACE(name);
    TImageRaster raster;
    const TDecodeResult result = decode(bytes, raster);
    EXPECT_EQ(result.Status, TDecodeStatus::dsTooLarge) << result.Message;
    EXPECT_NE(result.Message.find(" pixels, which is too large."), std::string::npos)
        << result.Message;
    EXPECT_TRUE(raster.Empty());
  }
}

// A TIFF whose tags are wrong is refused with what is wrong, never shown as a black or
// repeated picture without a word: a huge size, an unknown compression, strips that are not the
// compression they claim, and a strip beyond the end of the file after two that decode.
TEST_F(ImageDecoders, TiffWithWrongTagsIsRefusedWithWhatIsWrong) {
  ASSERT_TRUE(test::WriteTIFF(mFolder.Path("a.tif"), test::PatternRaster(9, 9)));  // 3 strips
  const std::vector<std::uint8_t> whole = FileBytes("a.tif");
  using TPatch = std::tuple<int, std::uint32_t, std::uint32_t>;
  const std::string damaged = "The file is damaged or incomplete.";
  const std::vector<std::tuple<std::string, std::vector<TPatch>, std::string>> cases = {
      {"huge size",
       {{256, 0, 60000}, {257, 0, 60000}},
       "The file holds an image of 60000 x 60000 pixels, which is too large."},
      {"unknown compression", {{259, 0, 60000}}, damaged},
      {"raw bytes called LZW", {{259, 0, 5}}, damaged},
      {"strip past the end", {{273, 2, static_cast<std::uint32_t>(whole.size()) + 100}}, damaged},
  };
  for (const auto& [name, patches, message] : cases) {
    SCOPED_TRACE(name);
    std::vector<std::uint8_t> tif = whole;
    for (const auto& [tag, index, value] : patches)
      ASSERT_TRUE(test::SetTiffValue(tif, tag, index, value));
    TImageRaster raster;
    const TDecodeResult result = DecodeTIFF(tif, raster);
    EXPECT_FALSE(result.HasPixels());
    EXPECT_EQ(result.Message, message) << result.Detail;
    EXPECT_TRUE(raster.Empty());
  }
}

TEST_F(ImageDecoders, LimitsAreCheckedForEveryFormat) {
  // Large enough that libtiff's own buffers fit within the byte limit of the raster.
  const int side = 64;
  const std::int64_t rgbBytes = side * side * 3;
  const TImageRaster pattern = test::PatternRaster(side, side);
  ASSERT_TRUE(test::WritePNG(mFolder.Path("a.png"), pattern));
  ASSERT_TRUE(test::WriteTIFF(mFolder.Path("a.tif"), pattern));
  ASSERT_TRUE(test::WriteGIF(mFolder.Path("a.gif"), side, side,
                             std::vector<std::uint8_t>(side * side, 1),
                             {{1, 2, 3, 255}, {4, 5, 6, 255}}));
  const std::vector<std::uint8_t> bmp = Bytes(test::BMPBytes(pattern, 24));
  TImageRaster raster;
  EXPECT_EQ(DecodePNG(FileBytes("a.png"), raster, {.MaxPixels = side * side - 1}).Status,
            TDecodeStatus::dsTooLarge);
  EXPECT_EQ(DecodeBMP(bmp, raster, {.MaxSide = side - 1}).Status, TDecodeStatus::dsTooLarge);
  // Opaque pictures are held in three bytes a pixel, so they fit where four would not.
  const std::vector<std::pair<std::string, TDecoder>> opaque = {
      {"a.tif", [&](auto d, TImageRaster& r) { return DecodeTIFF(d, r, {.MaxBytes = rgbBytes}); }},
      {"a.gif", [&](auto d, TImageRaster& r) { return DecodeGIF(d, r, {.MaxBytes = rgbBytes}); }},
      {"a.bmp", [&](auto, TImageRaster& r) { return DecodeBMP(bmp, r, {.MaxBytes = rgbBytes}); }},
  };
  for (const auto& [name, decode] : opaque) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = name == "a.bmp" ? bmp : FileBytes(name);
    EXPECT_TRUE(decode(bytes, raster).IsSuccess());
    EXPECT_EQ(raster.BytesPerPixel(), 3);
  }
  EXPECT_EQ(DecodeTIFF(FileBytes("a.tif"), raster, {.MaxBytes = rgbBytes - 1}).Status,
            TDecodeStatus::dsTooLarge);
}

TEST(ImageRaster, SizeChecksDoNotOverflow) {
  const TImageLimits limits;
  EXPECT_EQ(CheckImageSize(std::int64_t{1} << 40, std::int64_t{1} << 40, 4, limits).Status,
            TDecodeStatus::dsTooLarge);
  EXPECT_EQ(CheckImageSize(65535, 65535, 4, limits).Status, TDecodeStatus::dsTooLarge);
  EXPECT_EQ(CheckImageSize(0, 10, 4, limits).Status, TDecodeStatus::dsCorrupt);
  EXPECT_EQ(CheckImageSize(-5, 10, 4, limits).Status, TDecodeStatus::dsCorrupt);
  EXPECT_TRUE(CheckImageSize(16384, 16384, 4, limits).IsSuccess());
}

}  // namespace
}  // namespace aqv

#include <array>
#include <bit>

#include "map/ImageDecoders.h"

namespace aqv {

namespace {

std::uint32_t U16(std::span<const std::uint8_t> d, std::size_t at) {
  return d[at] | (std::uint32_t{d[at + 1]} << 8);
}
std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at) {
  return U16(d, at) | (U16(d, at + 2) << 16);
}

constexpr std::uint32_t kRgb = 0;        // no compression
constexpr std::uint32_t kBitFields = 3;  // no compression, channels given by masks

// One channel given by a bit mask, scaled to 0..255.
struct TMaskChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;

  explicit TMaskChannel(std::uint32_t mask) : Mask(mask) {
    if (mask == 0) return;
    Shift = std::countr_zero(mask);
    Max = mask >> Shift;
  }
  std::uint8_t operator()(std::uint32_t value) const {
    if (Max == 0) return 0;
    // 64 bits: a mask of more than 24 bits times 255 would not fit in 32.
    const std::uint64_t channel = (value & Mask) >> Shift;
    return static_cast<std::uint8_t>((channel * 255 + Max / 2) / Max);
  }
};

struct THeader {
  std::int64_t Width = 0, Height = 0;  // height positive; TopDown tells the row order
  bool TopDown = false;
  std::uint32_t BitCount = 0, Compression = kRgb;
  std::size_t PaletteAt = 0, PaletteEntrySize = 4, PaletteCount = 0;
  std::size_t PixelsAt = 0;
  std::uint32_t Masks[3] = {0, 0, 0};
};

constexpr const char* kFormat = "BMP";

// why is kept as the detail; the person is told that the file is damaged or incomplete, or of
// a kind that is not read.
TDecodeResult Corrupt(const char* why, TImageFault fault = TImageFault::ifDamaged) {
  return DecodeFailure(TDecodeStatus::dsCorrupt, fault, kFormat, why);
}

TDecodeResult ReadHeader(std::span<const std::uint8_t> d, THeader& h) {
  if (d.empty()) return Corrupt("empty", TImageFault::ifEmpty);
  if (d.size() < 2 || d[0] != 'B' || d[1] != 'M')
    return Corrupt("not a bitmap file", TImageFault::ifNotThisFormat);
  if (d.size() < 26) return Corrupt("the header is truncated");
  h.PixelsAt = U32(d, 10);
  const std::uint32_t infoSize = U32(d, 14);
  if (infoSize == 12) {  // the old OS/2 core header
    h.Width = U16(d, 18);
    h.Height = U16(d, 20);
    h.BitCount = U16(d, 24);
    h.PaletteEntrySize = 3;
  } else if (infoSize >= 40 && infoSize <= 1024 && d.size() >= 14 + std::size_t{infoSize}) {
    h.Width = static_cast<std::int32_t>(U32(d, 18));
    const auto height = static_cast<std::int32_t>(U32(d, 22));
    h.TopDown = height < 0;
    h.Height = height < 0 ? -std::int64_t{height} : height;
    h.BitCount = U16(d, 28);
    h.Compression = U32(d, 30);
    h.PaletteCount = U32(d, 46);
    if (h.Compression == kBitFields) {
      // The masks follow a 40-byte header; the larger headers hold them in the same place.
      if (d.size() < 66) return Corrupt("the bit masks are missing");
      for (int i = 0; i < 3; ++i) h.Masks[i] = U32(d, 54 + 4 * static_cast<std::size_t>(i));
    }
  } else {
    return Corrupt("unknown header");
  }
  h.PaletteAt =
      14 + std::size_t{infoSize} + (infoSize == 40 && h.Compression == kBitFields ? 12 : 0);
  if (h.Compression != kRgb &&
      !(h.Compression == kBitFields && (h.BitCount == 16 || h.BitCount == 32)))
    return Corrupt("compressed bitmaps are not supported", TImageFault::ifUnsupported);
  if (h.BitCount != 1 && h.BitCount != 4 && h.BitCount != 8 && h.BitCount != 16 &&
      h.BitCount != 24 && h.BitCount != 32)
    return Corrupt("unsupported bits per pixel", TImageFault::ifUnsupported);
  if (h.BitCount <= 8) {
    const std::size_t full = std::size_t{1} << h.BitCount;
    if (h.PaletteCount == 0 || h.PaletteCount > full) h.PaletteCount = full;
  } else {
    h.PaletteCount = 0;
  }
  return {};
}

// Decodes one stored row into RGB; row holds exactly the padded row's bytes.
void DecodeRow(std::span<const std::uint8_t> row, const THeader& h,
               const std::array<TRGBA, 256>& palette, std::uint8_t* out, int width) {
  const bool masked = h.Compression == kBitFields;
  const std::uint32_t defaultMasks16[3] = {0x7C00, 0x03E0, 0x001F};
  const std::uint32_t defaultMasks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  const std::uint32_t* masks =
      masked ? h.Masks : (h.BitCount == 16 ? defaultMasks16 : defaultMasks32);
  const TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int x = 0; x < width; ++x, out += 3) {
    TRGBA pixel;
    const auto ux = static_cast<std::size_t>(x);
    switch (h.BitCount) {
      case 1:
        pixel = palette[(row[ux / 8] >> (7 - ux % 8)) & 1];
        break;
      case 4:
        pixel = palette[(row[ux / 2] >> (ux % 2 == 0 ? 4 : 0)) & 0xF];
        break;
      case 8:
        pixel = palette[row[ux]];
        break;
      case 16: {
        const std::uint32_t v = U16(row, ux * 2);
        pixel = {red(v), green(v), blue(v), 255};
        break;
      }
      case 24:
        pixel = {row[ux * 3 + 2], row[ux * 3 + 1], row[ux * 3], 255};
        break;
      default: {
        const std::uint32_t v = U32(row, ux * 4);
        pixel = {red(v), green(v), blue(v), 255};
        break;
      }
    }
    out[0] = pixel.R;
    out[1] = pixel.G;
    out[2] = pixel.B;
  }
}

}  // namespace

TDecodeResult DecodeBMP(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits) {
  raster.Clear();
  THeader h;
  if (TDecodeResult header = ReadHeader(data, h); !header.IsSuccess()) return header;
  if (TDecodeResult size = CheckImageSize(h.Width, h.Height, 3, limits); !size.IsSuccess())
    return size;
  // Rows are padded to whole 32-bit words; every row must lie inside the file.
  const std::int64_t stride = (h.Width * h.BitCount + 31) / 32 * 4;
  if (static_cast<std::int64_t>(h.PixelsAt) + stride * h.Height >
      static_cast<std::int64_t>(data.size()))
    return Corrupt("the file is truncated");
  if (h.PaletteAt + h.PaletteCount * h.PaletteEntrySize > data.size())
    return Corrupt("the colour table is truncated");
  std::array<TRGBA, 256> palette{};
  for (std::size_t i = 0; i < h.PaletteCount; ++i) {
    const std::size_t at = h.PaletteAt + i * h.PaletteEntrySize;
    palette[i] = {data[at + 2], data[at + 1], data[at], 255};
  }
  // Bitmaps are opaque: three bytes a pixel.
  if (TDecodeResult sized = raster.Allocate(h.Width, h.Height, limits, {}, TPixelFormat::pfRGB);
      !sized.IsSuccess())
    return sized;
  for (std::int64_t y = 0; y < h.Height; ++y) {
    const std::size_t rowAt = h.PixelsAt + static_cast<std::size_t>(y * stride);
    const int outY = static_cast<int>(h.TopDown ? y : h.Height - 1 - y);
    DecodeRow(data.subspan(rowAt, static_cast<std::size_t>(stride)), h, palette, raster.Row(outY),
              raster.Width());
  }
  return {};
}

}  // namespace aqv

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "map/ImageDecoders.h"

namespace aqv {

namespace {

struct TMemoryReader {
  std::span<const std::uint8_t> Data;
  std::size_t Position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* reader = static_cast<TMemoryReader*>(gif->UserData);
  if (length <= 0) return 0;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length),
                                              reader->Data.size() - reader->Position);
  std::memcpy(buffer, reader->Data.data() + reader->Position, n);
  reader->Position += n;
  return static_cast<int>(n);
}

constexpr const char* kFormat = "GIF";

// A file that giflib does not recognise is no GIF at all; any other error means that it breaks
// off or holds wrong bytes. giflib's own words stay in the detail.
TDecodeResult GifError(int code) {
  const char* text = GifErrorString(code);
  return DecodeFailure(
      TDecodeStatus::dsCorrupt,
      code == D_GIF_ERR_NOT_GIF_FILE ? TImageFault::ifNotThisFormat : TImageFault::ifDamaged,
      kFormat, text ? text : "unknown error");
}

TDecodeResult Damaged(const char* detail) {
  return DecodeFailure(TDecodeStatus::dsCorrupt, TImageFault::ifDamaged, kFormat, detail);
}

// Closes the decoder whatever way the decoding ends.
struct TGifCloser {
  GifFileType* Gif;
  ~TGifCloser() {
    int error = 0;
    if (Gif) DGifCloseFile(Gif, &error);
  }
};

// Reads the graphic control extension for the transparent colour index; skips the others.
bool ReadExtension(GifFileType* gif, int& transparentIndex) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
    GraphicsControlBlock control;
    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
      transparentIndex = control.TransparentColor;
  }
  while (block) {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

// Reads the frame's rows into the raster, which covers the logical screen. Interlaced frames
// arrive in four passes (every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd
// from 1).
bool ReadFrame(GifFileType* gif, int transparentIndex, std::vector<GifPixelType>& line,
               TImageRaster& raster) {
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  const int colors = map ? map->ColorCount : 0;
  const auto step = static_cast<std::size_t>(raster.BytesPerPixel());
  const bool alpha = raster.Format() == TPixelFormat::pfRGBA;
  const auto putRow = [&](int row) {
    std::uint8_t* out = raster.Row(desc.Top + row) + static_cast<std::size_t>(desc.Left) * step;
    for (int x = 0; x < desc.Width; ++x, out += step) {
      const int index = line[static_cast<std::size_t>(x)];
      // An index past the colour table keeps the fill (transparent, or black in an opaque
      // raster) rather than reading beyond the table.
      if (index == transparentIndex || index >= colors) continue;
      const GifColorType& c = map->Colors[index];
      out[0] = c.Red;
      out[1] = c.Green;
      out[2] = c.Blue;
      if (alpha) out[3] = 255;
    }
  };
  if (desc.Interlace) {
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int row = kStart[pass]; row < desc.Height; row += kStep[pass]) {
        if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return false;
        putRow(row);
      }
  } else {
    for (int row = 0; row < desc.Height; ++row) {
      if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return false;
      putRow(row);
    }
  }
  return true;
}

TDecodeResult DecodeFirstFrame(GifFileType* gif, int transparentIndex, TImageRaster& raster,
                               const TImageLimits& limits) {
  const GifImageDesc& desc = gif->Image;
  if (desc.Left < 0 || desc.Top < 0 || desc.Width <= 0 || desc.Height <= 0)
    return Damaged("a frame without pixels");
  // A frame reaching past the logical screen widens the image rather than writing past it.
  const std::int64_t width =
      std::max<std::int64_t>(gif->SWidth, std::int64_t{desc.Left} + desc.Width);
  const std::int64_t height =
      std::max<std::int64_t>(gif->SHeight, std::int64_t{desc.Top} + desc.Height);
  // A frame that fills the screen without a transparent colour is opaque and is held in three
  // bytes a pixel; anything else needs the fourth for what shows through.
  const bool opaque = transparentIndex == NO_TRANSPARENT_COLOR && desc.Left == 0 && desc.Top == 0 &&
                      desc.Width == width && desc.Height == height;
  TDecodeResult sized = raster.Allocate(width, height, limits, {0, 0, 0, 0},
                                        opaque ? TPixelFormat::pfRGB : TPixelFormat::pfRGBA);
  if (!sized.IsSuccess()) return sized;
  std::vector<GifPixelType> line;
  try {
    line.resize(static_cast<std::size_t>(desc.Width));
  } catch (const std::bad_alloc&) {
    raster.Clear();
    return DecodeFailure(TDecodeStatus::dsOutOfMemory, TImageFault::ifNoMemory, kFormat, {}, width,
                         height);
  }
  if (!ReadFrame(gif, transparentIndex, line, raster)) {
    raster.Clear();
    return GifError(gif->Error);
  }
  return {};
}

}  // namespace

TDecodeResult DecodeGIF(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits) {
  raster.Clear();
  if (data.empty()) return DecodeFailure(TDecodeStatus::dsCorrupt, TImageFault::ifEmpty, kFormat);
  TMemoryReader reader{data};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (!gif) return GifError(error);
  TGifCloser closer{gif};
  int transparentIndex = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) != GIF_OK) return GifError(gif->Error);
    switch (type) {
      case EXTENSION_RECORD_TYPE:
        if (!ReadExtension(gif, transparentIndex)) return GifError(gif->Error);
        break;
      case IMAGE_DESC_RECORD_TYPE:
        if (DGifGetImageDesc(gif) != GIF_OK) return GifError(gif->Error);
        return DecodeFirstFrame(gif, transparentIndex, raster, limits);
      case TERMINATE_RECORD_TYPE:
        return Damaged("no frame");
      default:
        return Damaged("an unknown record");
    }
  }
}

}  // namespace aqv

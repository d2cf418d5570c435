#include <tiffio.h>

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "map/ImageDecoders.h"

namespace aqv {

namespace {

constexpr ttag_t kModelPixelScaleTag = 33550;
constexpr const char* kConvertingCaption = "Converting TIFF";
constexpr const char* kFormat = "TIFF";

// Classic and big TIFF files start with the byte order ("II" or "MM") and 42 or 43 in it.
bool HasTiffSignature(std::span<const std::uint8_t> d) {
  if (d.size() < 4) return false;
  if (d[0] == 'I' && d[1] == 'I') return d[3] == 0 && (d[2] == 42 || d[2] == 43);
  if (d[0] == 'M' && d[1] == 'M') return d[2] == 0 && (d[3] == 42 || d[3] == 43);
  return false;
}

TDecodeResult Failure(TImageFault fault, std::string detail) {
  return DecodeFailure(TDecodeStatus::dsCorrupt, fault, kFormat, std::move(detail));
}

// The file in memory, read by libtiff through the client procedures below.
struct TMemoryFile {
  std::span<const std::uint8_t> Data;
  toff_t Position = 0;
  std::string Error;  // the first error libtiff reported
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  auto* file = static_cast<TMemoryFile*>(handle);
  if (size <= 0 || file->Position >= file->Data.size()) return 0;
  const auto n = std::min<toff_t>(static_cast<toff_t>(size), file->Data.size() - file->Position);
  std::memcpy(buffer, file->Data.data() + file->Position, n);
  file->Position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
  return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<TMemoryFile*>(handle);
  toff_t base = 0;
  if (whence == SEEK_CUR) base = file->Position;
  if (whence == SEEK_END) base = file->Data.size();
  // Seeking past the end is allowed; reads there return nothing.
  file->Position = base + offset;
  return file->Position;
}

int CloseProc(thandle_t) {
  return 0;
}
toff_t SizeProc(thandle_t handle) {
  return static_cast<TMemoryFile*>(handle)->Data.size();
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int ErrorHandler(TIFF*, void* userData, const char*, const char* format, va_list args) {
  auto* file = static_cast<TMemoryFile*>(userData);
  if (file && file->Error.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    file->Error = text;
  }
  return 1;  // handled: nothing goes to stderr
}

int WarningHandler(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

// "Retrieved ModelPixelScaleTag value: " and the scale values, or empty when the file has no
// such tag stored as doubles.
std::string PixelScaleInfo(TIFF* tif) {
  const TIFFField* field = TIFFFindField(tif, kModelPixelScaleTag, TIFF_DOUBLE);
  if (!field) return {};
  std::uint32_t count = 0;
  double* values = nullptr;
  int ok = 0;
  if (!TIFFFieldPassCount(field)) {
    return {};
  } else if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
    ok = TIFFGetField(tif, kModelPixelScaleTag, &count, &values);
  } else {
    std::uint16_t shortCount = 0;
    ok = TIFFGetField(tif, kModelPixelScaleTag, &shortCount, &values);
    count = shortCount;
  }
  if (!ok || !values || count == 0) return {};
  std::string text = "Retrieved ModelPixelScaleTag value: ";
  for (std::uint32_t i = 0; i < count; ++i) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, values[i]).ptr;
    if (i > 0) text += ", ";
    text.append(buffer, end);
  }
  return text;
}

// Turns libtiff's packed ABGR words into RGBA bytes, alpha set opaque, with progress at most
// every 10000 bytes and a cancel poll per row.
bool ConvertRows(TImageRaster& raster, const TImageProgress& progress) {
  const std::int64_t total = std::int64_t{raster.Width()} * raster.Height() * 4;
  std::int64_t reported = 0;
  for (int y = 0; y < raster.Height(); ++y) {
    std::uint8_t* p = raster.Row(y);
    for (int x = 0; x < raster.Width(); ++x, p += 4) {
      std::uint32_t abgr;
      std::memcpy(&abgr, p, 4);
      p[0] = static_cast<std::uint8_t>(TIFFGetR(abgr));
      p[1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
      p[2] = static_cast<std::uint8_t>(TIFFGetB(abgr));
      p[3] = 255;
    }
    const std::int64_t offset = std::int64_t{y + 1} * raster.Width() * 4;
    if (offset - reported > 10000) {
      reported = offset;
      progress.Report(kConvertingCaption, static_cast<int>(offset * 100 / total), 100);
      if (progress.IsCancelled()) return false;
    }
  }
  return true;
}

TDecodeResult ReadImage(TIFF* tif, TMemoryFile& file, TImageRaster& raster,
                        const TImageLimits& limits, const TImageProgress& progress) {
  std::uint32_t width = 0, height = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
    return Failure(TImageFault::ifDamaged, "no size");
  progress.Report(kConvertingCaption, 0, 100);
  char why[1024] = "";
  // A sound file of a kind the RGBA interface does not convert (12-bit samples, for one).
  if (!TIFFRGBAImageOK(tif, why)) return Failure(TImageFault::ifUnsupported, why);
  TDecodeResult sized = raster.Allocate(width, height, limits);
  if (!sized.IsSuccess()) return sized;
  // Whatever corner the file starts in, the rows come out from the top left, the corner that
  // the world file places.
  if (!TIFFReadRGBAImageOriented(tif, width, height,
                                 reinterpret_cast<std::uint32_t*>(raster.Bytes().data()),
                                 ORIENTATION_TOPLEFT, 0)) {
    raster.Clear();
    return Failure(TImageFault::ifDamaged, file.Error);
  }
  if (!ConvertRows(raster, progress)) {
    raster.Clear();
    return {TDecodeStatus::dsCancelled, "Loading the TIFF image was cancelled."};
  }
  progress.Report(kConvertingCaption, 100, 100);
  return {};
}

}  // namespace

TDecodeResult DecodeTIFF(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits, const TImageProgress& progress,
                         std::string* infoText) {
  raster.Clear();
  if (infoText) infoText->clear();
  if (data.empty()) return Failure(TImageFault::ifEmpty, {});
  if (!HasTiffSignature(data)) return Failure(TImageFault::ifNotThisFormat, {});
  TMemoryFile file{data, 0, {}};
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options)
    return DecodeFailure(TDecodeStatus::dsOutOfMemory, TImageFault::ifNoMemory, kFormat);
  TIFFOpenOptionsSetErrorHandlerExtR(options, ErrorHandler, &file);
  TIFFOpenOptionsSetWarningHandlerExtR(options, WarningHandler, &file);
  // Strip and tile buffers that a header declares are bounded like the raster itself.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(limits.MaxBytes));
  TIFF* tif = TIFFClientOpenExt("image.tif", "rm", &file, ReadProc, WriteProc, SeekProc, CloseProc,
                                SizeProc, MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  if (!tif) return Failure(TImageFault::ifDamaged, file.Error);
  TDecodeResult result = ReadImage(tif, file, raster, limits, progress);
  if (result.IsSuccess() && infoText) *infoText = PixelScaleInfo(tif);
  TIFFClose(tif);
  return result;
}

}  // namespace aqv

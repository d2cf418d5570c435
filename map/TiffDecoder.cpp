#include <tiffio.h>

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

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

// Bytes of packed ABGR words read at a time: a band of rows beside the RGB raster, never a
// second copy of a large picture.
constexpr std::int64_t kBandBytes = std::int64_t{16} << 20;

// Rows of one band: whole strips or tiles, so that none is decoded twice, as many as fit in
// kBandBytes. A strip taller than that (a whole picture in one strip) is read in bands of a
// multiple of 16 rows, which keeps subsampled colour rows together.
std::uint32_t BandRows(TIFF* tif, std::uint32_t width, std::uint32_t height) {
  std::uint32_t unit = 0;
  if (TIFFIsTiled(tif))
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
  unit = std::clamp<std::uint32_t>(unit, 1, height);
  const auto most = static_cast<std::uint32_t>(
      std::max<std::int64_t>(16, kBandBytes / (4 * std::int64_t{width})));
  const std::uint32_t rows = unit <= most ? most / unit * unit : most / 16 * 16;
  return std::min(rows, height);
}

// Whether libtiff's reading towards the top-left corner turns the rows of the file upside
// down: it does for files that store the bottom row first (bottom-right, bottom-left and
// their transposed kin, which it treats alike).
bool StoredBottomFirst(std::uint16_t orientation) {
  return orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
         orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
}

// One row of libtiff's packed ABGR words as red, green and blue bytes; alpha is dropped.
void PutRow(const std::uint32_t* in, std::uint32_t width, std::uint8_t* out) {
  for (std::uint32_t x = 0; x < width; ++x, out += 3) {
    out[0] = static_cast<std::uint8_t>(TIFFGetR(in[x]));
    out[1] = static_cast<std::uint8_t>(TIFFGetG(in[x]));
    out[2] = static_cast<std::uint8_t>(TIFFGetB(in[x]));
  }
}

// Ends libtiff's RGBA reading whatever way the reading ends.
struct TRGBAImageEnd {
  TIFFRGBAImage* Image;
  ~TRGBAImageEnd() { TIFFRGBAImageEnd(Image); }
};

// Reads the picture band by band through libtiff's RGBA interface into the RGB raster, rows
// from the top left, with progress at most every 10000 bytes and a cancel poll. libtiff stops
// at the first strip or tile that does not decode (an unknown compression, bytes that are no
// compressed data, a strip past the end of the file); its words stay in the detail.
TDecodeResult ReadBands(TIFF* tif, TMemoryFile& file, TImageRaster& raster,
                        const TImageProgress& progress) {
  char why[1024] = "";
  TIFFRGBAImage image;
  if (!TIFFRGBAImageBegin(&image, tif, 1, why)) return Failure(TImageFault::ifDamaged, why);
  TRGBAImageEnd end{&image};
  image.req_orientation = ORIENTATION_TOPLEFT;
  const auto width = static_cast<std::uint32_t>(raster.Width());
  const auto height = static_cast<std::uint32_t>(raster.Height());
  const std::uint32_t bandRows = BandRows(tif, width, height);
  std::vector<std::uint32_t> band;
  try {
    band.resize(std::size_t{width} * bandRows);
  } catch (const std::bad_alloc&) {
    return DecodeFailure(TDecodeStatus::dsOutOfMemory, TImageFault::ifNoMemory, kFormat, {}, width,
                         height);
  }
  // Errors the directory raised while opening (a tag with a bad value, ignored) are no damage.
  file.Error.clear();
  const bool bottomFirst = StoredBottomFirst(image.orientation);
  const std::int64_t total = std::int64_t{width} * height * 4;
  std::int64_t reported = 0, done = 0;
  for (std::uint32_t first = 0; first < height; first += bandRows) {
    const std::uint32_t rows = std::min(bandRows, height - first);
    image.row_offset = static_cast<int>(first);
    if (!TIFFRGBAImageGet(&image, band.data(), width, rows))
      return Failure(TImageFault::ifDamaged, file.Error);
    // The band comes top row first; in a file stored bottom first it lies that far from the
    // bottom.
    const std::uint32_t top = bottomFirst ? height - first - rows : first;
    for (std::uint32_t r = 0; r < rows; ++r) {
      PutRow(band.data() + std::size_t{r} * width, width, raster.Row(static_cast<int>(top + r)));
      done += std::int64_t{width} * 4;
      if (done - reported > 10000) {
        reported = done;
        progress.Report(kConvertingCaption, static_cast<int>(done * 100 / total), 100);
        if (progress.IsCancelled())
          return {TDecodeStatus::dsCancelled, "Loading the TIFF image was cancelled."};
      }
    }
  }
  return {};
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
  // Alpha is not shown, so every picture is held in three bytes a pixel.
  TDecodeResult sized = raster.Allocate(width, height, limits, {}, TPixelFormat::pfRGB);
  if (!sized.IsSuccess()) return sized;
  TDecodeResult read = ReadBands(tif, file, raster, progress);
  if (!read.IsSuccess()) {
    raster.Clear();
    return read;
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

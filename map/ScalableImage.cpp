#include "map/ScalableImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "map/ImageDecoders.h"
#include "model/file/WorldFile.h"

namespace aqv {

namespace {

// A world file holds six short lines; anything longer than this is not one.
constexpr std::int64_t kMaxWorldFileBytes = 1 << 20;

std::string LowerExtension(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

TImageLoadStatus Fail(TImageLoadResult code, std::string message) {
  return {code, std::move(message)};
}

// Success, or the refusal of a path that is missing (missing) or no regular file (a folder,
// a named pipe, a device), each naming what (" image file ", " world file ") and the path.
TImageLoadStatus CheckRegularFile(const std::string& path, const std::string& what,
                                  TImageLoadResult missing) {
  switch (FileState(path)) {
    case TFileState::fsRegular:
      return {};
    case TFileState::fsMissing:
      return Fail(missing, "The" + what + path + " does not exist.");
    case TFileState::fsNotRegular:
      break;
  }
  return Fail(missing, "The" + what + path + " is not a regular file.");
}

}  // namespace

std::string_view ToText(TImageLoadResult result) {
  switch (result) {
    case TImageLoadResult::lrSuccess:
      return "success";
    case TImageLoadResult::lrFileNotFound:
      return "the image file does not exist";
    case TImageLoadResult::lrDecodeFailed:
      return "the image does not decode";
    case TImageLoadResult::lrNoWorldFileName:
      return "the image type is not supported";
    case TImageLoadResult::lrWorldFileNotFound:
      return "the world file does not exist";
    case TImageLoadResult::lrZeroPixelSize:
      return "the world file gives no pixel size";
    case TImageLoadResult::lrCompositeTooLarge:
      return "the combined image would be too large";
    case TImageLoadResult::lrWorldFileInvalid:
      return "the world file holds an invalid number";
    case TImageLoadResult::lrCancelled:
      return "cancelled";
    case TImageLoadResult::lrOverBudget:
      return "the images would need more memory than the map may use";
    case TImageLoadResult::lrOutOfPlace:
      return "the world file places the image beyond what the combined image can hold";
  }
  return "unknown result";
}

TImageLoadStatus TScalableImage::ReadWorldFile(const std::string& imageFileName) {
  const std::string worldName = GetWorldFileName(imageFileName);
  if (worldName.empty())
    return Fail(TImageLoadResult::lrNoWorldFileName,
                "No world file belongs to an image like " + imageFileName + ".");
  if (TImageLoadStatus file =
          CheckRegularFile(worldName, " world file ", TImageLoadResult::lrWorldFileNotFound);
      !file.IsSuccess())
    return file;
  std::vector<std::uint8_t> bytes;
  const TDecodeResult read = ReadFileBytes(worldName, kMaxWorldFileBytes, bytes);
  if (!read.IsSuccess()) return Fail(TImageLoadResult::lrWorldFileInvalid, read.Message);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const TWorldFileResult parsed = ParseWorldFile(text, mTransform);
  switch (parsed.Status) {
    case TWorldFileStatus::wsOk:
    case TWorldFileStatus::wsTooShort:
      return {};
    case TWorldFileStatus::wsZeroScale:
    case TWorldFileStatus::wsSingular:
      return Fail(TImageLoadResult::lrZeroPixelSize, worldName + ": " + parsed.Message);
    case TWorldFileStatus::wsNotANumber:
    case TWorldFileStatus::wsNotFinite:
      break;
  }
  return Fail(TImageLoadResult::lrWorldFileInvalid, worldName + ": " + parsed.Message);
}

TImageLoadStatus TScalableImage::LoadFromFile(const std::string& fileName,
                                              const TImageProgress& progress,
                                              const TImageLimits& limits) {
  mFileName = fileName;
  mVisible = true;
  mRaster.Clear();
  mInfoText.clear();
  mDecoded = {};
  if (TImageLoadStatus file =
          CheckRegularFile(fileName, " image file ", TImageLoadResult::lrFileNotFound);
      !file.IsSuccess())
    return file;
  if (TImageLoadStatus world = ReadWorldFile(fileName); !world.IsSuccess()) return world;
  const std::string extension = LowerExtension(fileName);
  std::vector<std::uint8_t> bytes;
  if (TDecodeResult read = ReadFileBytes(fileName, limits.MaxBytes, bytes); !read.IsSuccess()) {
    mDecoded = read;
    return Fail(TImageLoadResult::lrDecodeFailed, read.Message);
  }
  TDecodeResult decoded;
  if (extension == ".jpg" || extension == ".jpeg")
    decoded = DecodeJPEG(bytes, mRaster, limits);
  else if (extension == ".bmp")
    decoded = DecodeBMP(bytes, mRaster, limits);
  else if (extension == ".gif")
    decoded = DecodeGIF(bytes, mRaster, limits);
  else if (extension == ".png")
    decoded = DecodePNG(bytes, mRaster, limits);
  else if (extension == ".tif" || extension == ".tiff")
    decoded = DecodeTIFF(bytes, mRaster, limits, progress, &mInfoText);
  else
    return Fail(TImageLoadResult::lrNoWorldFileName, "No loader reads " + fileName + ".");
  if (decoded.IsSuccess()) return {};
  // The person is told what is wrong with the named file, not what the library said.
  std::string message = ImageFaultText(fileName, decoded);
  mDecoded = std::move(decoded);
  // A damaged image shows what could be decoded; the message still goes to the person.
  if (mDecoded.HasPixels()) return {TImageLoadResult::lrSuccess, std::move(message)};
  mRaster.Clear();
  if (mDecoded.Status == TDecodeStatus::dsCancelled)
    return Fail(TImageLoadResult::lrCancelled, std::move(message));
  return Fail(TImageLoadResult::lrDecodeFailed, std::move(message));
}

bool TScalableImage::WorldToPixel(double x, double y, int& column, int& row) const {
  if (mRaster.Empty()) return false;
  double u = 0, v = 0;
  mTransform.ToPixel(x, y, u, v);
  // The comparisons are false for NaN as well.
  if (!(u >= 0 && u < mRaster.Width() && v >= 0 && v < mRaster.Height())) return false;
  column = static_cast<int>(u);
  row = static_cast<int>(v);
  return true;
}

TWorldRect TScalableImage::Extent() const {
  const double w = mRaster.Width(), h = mRaster.Height();
  const double columns[4] = {0, w, 0, w}, rows[4] = {0, 0, h, h};
  TWorldRect extent;
  for (int i = 0; i < 4; ++i) {
    double x = 0, y = 0;
    mTransform.ToWorld(columns[i], rows[i], x, y);
    if (i == 0) extent = {x, y, x, y};
    extent.West = std::min(extent.West, x);
    extent.East = std::max(extent.East, x);
    extent.South = std::min(extent.South, y);
    extent.North = std::max(extent.North, y);
  }
  return extent;
}

namespace {

// Mixes one source pixel over a composite pixel by the source's alpha (opaque without one);
// the composite's own alpha, if it has one, is left as it is.
inline void MixPixel(const std::uint8_t* source, bool hasAlpha, std::uint8_t* target) {
  const unsigned alpha = hasAlpha ? source[3] : 255;
  if (alpha == 255) {
    target[0] = source[0];
    target[1] = source[1];
    target[2] = source[2];
  } else if (alpha != 0) {
    for (int c = 0; c < 3; ++c)
      target[c] =
          static_cast<std::uint8_t>((source[c] * alpha + target[c] * (255 - alpha) + 127) / 255);
  }
}

// Index range [first, last) of composite cells, clamped to [0, count], covering the
// coordinates from a to b (in cells, either order).
void CellRange(double a, double b, int count, int& first, int& last) {
  const double low = std::clamp(std::floor(std::min(a, b)), 0.0, static_cast<double>(count));
  const double high = std::clamp(std::ceil(std::max(a, b)), 0.0, static_cast<double>(count));
  first = static_cast<int>(low);
  last = static_cast<int>(high);
}

}  // namespace

bool TScalableImage::DrawOnCanvas(TImageRaster& composite, const TCompositeGrid& grid,
                                  const TImageProgress& progress, int progressBase,
                                  int progressMaximum) const {
  if (mRaster.Empty() || composite.Empty()) return true;
  const TWorldRect extent = Extent();
  int firstColumn = 0, lastColumn = 0, firstRow = 0, lastRow = 0;
  CellRange((extent.West - grid.OriginX) / grid.PixelWidth,
            (extent.East - grid.OriginX) / grid.PixelWidth, composite.Width(), firstColumn,
            lastColumn);
  CellRange((extent.North - grid.OriginY) / grid.PixelHeight,
            (extent.South - grid.OriginY) / grid.PixelHeight, composite.Height(), firstRow,
            lastRow);
  // Image pixel coordinates are linear along a composite row, so each row needs its start
  // and a step per column (the closed-form inverse of the world transform).
  const TWorldTransform& t = mTransform;
  const double det = t.Determinant();
  const double stepU = t.E * grid.PixelWidth / det;
  const double stepV = -t.D * grid.PixelWidth / det;
  const double x0 = grid.OriginX + 0.5 * grid.PixelWidth - t.X0;
  const int width = mRaster.Width(), height = mRaster.Height();
  const auto inStep = static_cast<std::size_t>(mRaster.BytesPerPixel());
  const auto outStep = static_cast<std::size_t>(composite.BytesPerPixel());
  const bool hasAlpha = mRaster.Format() == TPixelFormat::pfRGBA;
  const int lastIndex = std::max(1, lastRow - firstRow - 1);
  int reported = -1;
  for (int j = firstRow; j < lastRow; ++j) {
    const double y = grid.OriginY + (j + 0.5) * grid.PixelHeight - t.Y0;
    const double rowU = (t.E * x0 - t.B * y) / det;
    const double rowV = (t.A * y - t.D * x0) / det;
    std::uint8_t* out = composite.Row(j);
    for (int i = firstColumn; i < lastColumn; ++i) {
      const double u = rowU + i * stepU;
      const double v = rowV + i * stepV;
      if (!(u >= 0 && u < width && v >= 0 && v < height)) continue;
      MixPixel(mRaster.Row(static_cast<int>(v)) + static_cast<std::size_t>(u) * inStep, hasAlpha,
               out + static_cast<std::size_t>(i) * outStep);
    }
    const int percent = std::min(100, (j - firstRow) * 100 / lastIndex);
    if (percent > reported) {
      reported = percent;
      progress.Report(TMapImage::kOptimizingCaption, progressBase + percent, progressMaximum);
      if (progress.IsCancelled()) return false;
    }
  }
  return true;
}

}  // namespace aqv

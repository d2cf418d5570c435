#include "map/ImageRaster.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

namespace aqv {

std::string ImageFaultText(const std::string& fileName, const TDecodeResult& result) {
  const std::string file = fileName.empty() ? "The file" : "The file " + fileName;
  const std::string format = result.Format;
  const std::string size = std::to_string(result.Width) + " x " + std::to_string(result.Height);
  switch (result.Fault) {
    case TImageFault::ifNone:
      break;
    case TImageFault::ifEmpty:
      return file + " is empty.";
    case TImageFault::ifNotThisFormat:
      return file + " is not a" + (format == "" ? "n" : " " + format) + " image.";
    case TImageFault::ifDamaged:
      return file + (result.HasPixels()
                         ? " is damaged or incomplete; only the part that could be read is shown."
                         : " is damaged or incomplete.");
    case TImageFault::ifUnsupported:
      return file + " is a kind of " + format + " image that cannot be read.";
    case TImageFault::ifTooLarge:
      return file + " holds an image of " + size + " pixels, which is too large.";
    case TImageFault::ifNoMemory:
      if (result.Width == 0) return file + " cannot be read: there is not enough memory.";
      return file + " holds an image of " + size + " pixels, for which there is not enough memory.";
  }
  return result.Message;
}

TDecodeResult DecodeFailure(TDecodeStatus status, TImageFault fault, const char* format,
                            std::string detail, std::int64_t width, std::int64_t height) {
  TDecodeResult result(status, {});
  result.Fault = fault;
  result.Format = format;
  result.Width = width;
  result.Height = height;
  result.Detail = std::move(detail);
  result.Message = ImageFaultText({}, result);
  return result;
}

TDecodeResult CheckImageSize(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel,
                             const TImageLimits& limits) {
  if (width <= 0 || height <= 0)
    return DecodeFailure(TDecodeStatus::dsCorrupt, TImageFault::ifDamaged, "", "no pixels");
  const auto tooLarge = [&] {
    return DecodeFailure(TDecodeStatus::dsTooLarge, TImageFault::ifTooLarge, "", {}, width, height);
  };
  // Each factor is checked before the product, so that no product can overflow 64 bits.
  if (width > limits.MaxSide || height > limits.MaxSide) return tooLarge();
  const std::int64_t pixels = width * height;
  if (pixels > limits.MaxPixels) return tooLarge();
  if (bytesPerPixel <= 0 || pixels > limits.MaxBytes / bytesPerPixel) return tooLarge();
  return {};
}

TDecodeResult TImageRaster::Allocate(std::int64_t width, std::int64_t height,
                                     const TImageLimits& limits, TRGBA fill, TPixelFormat format) {
  Clear();
  const int bytesPerPixel = format == TPixelFormat::pfRGB ? 3 : 4;
  TDecodeResult check = CheckImageSize(width, height, bytesPerPixel, limits);
  if (!check.IsSuccess()) return check;
  try {
    mPixels.resize(static_cast<std::size_t>(width * height * bytesPerPixel));
  } catch (const std::bad_alloc&) {
    Clear();
    return DecodeFailure(TDecodeStatus::dsOutOfMemory, TImageFault::ifNoMemory, "", {}, width,
                         height);
  }
  mWidth = static_cast<int>(width);
  mHeight = static_cast<int>(height);
  mFormat = format;
  // The first pixel, then what is filled so far copied after itself: few calls for any size.
  const std::uint8_t bytes[4] = {fill.R, fill.G, fill.B, fill.A};
  std::memcpy(mPixels.data(), bytes, static_cast<std::size_t>(bytesPerPixel));
  for (std::size_t done = static_cast<std::size_t>(bytesPerPixel); done < mPixels.size(); done *= 2)
    std::memcpy(mPixels.data() + done, mPixels.data(), std::min(done, mPixels.size() - done));
  return {};
}

void TImageRaster::Clear() {
  mWidth = 0;
  mHeight = 0;
  // Assigning {} would empty the vector and keep its memory: a raster cleared would go on
  // holding a whole picture's bytes.
  std::vector<std::uint8_t>().swap(mPixels);
}

TFileState FileState(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return TFileState::fsMissing;
  return std::filesystem::is_regular_file(status) ? TFileState::fsRegular
                                                  : TFileState::fsNotRegular;
}

TDecodeResult ReadFileBytes(const std::string& path, std::int64_t maxBytes,
                            std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  // A named pipe would wait for a writer and a device may never end; a file's size is known
  // before a byte of it is read, so that an oversized one costs nothing.
  if (FileState(path) != TFileState::fsRegular)
    return {TDecodeStatus::dsCorrupt, path + " is not a regular file."};
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > static_cast<std::uintmax_t>(maxBytes))
    return {TDecodeStatus::dsTooLarge, "The file " + path + " is too large."};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return {TDecodeStatus::dsCorrupt, "Could not open " + path + "!"};
  TDecodeResult result;
  try {
    std::uint8_t buffer[65536];
    for (;;) {
      const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
      if (static_cast<std::int64_t>(bytes.size() + n) > maxBytes) {
        result = {TDecodeStatus::dsTooLarge, "The file " + path + " is too large."};
        break;
      }
      bytes.insert(bytes.end(), buffer, buffer + n);
      if (n < sizeof buffer) {
        if (std::ferror(file)) result = {TDecodeStatus::dsCorrupt, "Could not read " + path + "!"};
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    result = {TDecodeStatus::dsOutOfMemory, "Not enough memory to read " + path + "."};
  }
  std::fclose(file);
  if (!result.IsSuccess()) std::vector<std::uint8_t>().swap(bytes);
  return result;
}

}  // namespace aqv

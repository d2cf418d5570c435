#include "map/ImageRaster.h"

#include <cstdio>
#include <filesystem>
#include <new>

namespace aqv {

TDecodeResult CheckImageSize(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel,
                             const TImageLimits& limits) {
  if (width <= 0 || height <= 0) return {TDecodeStatus::dsCorrupt, "The image has no pixels."};
  const auto tooLarge = [&] {
    return TDecodeResult{TDecodeStatus::dsTooLarge, "The image of " + std::to_string(width) +
                                                        " x " + std::to_string(height) +
                                                        " pixels is too large."};
  };
  // Each factor is checked before the product, so that no product can overflow 64 bits.
  if (width > limits.MaxSide || height > limits.MaxSide) return tooLarge();
  const std::int64_t pixels = width * height;
  if (pixels > limits.MaxPixels) return tooLarge();
  if (bytesPerPixel <= 0 || pixels > limits.MaxBytes / bytesPerPixel) return tooLarge();
  return {};
}

TDecodeResult TImageRaster::Allocate(std::int64_t width, std::int64_t height,
                                     const TImageLimits& limits, TRGBA fill) {
  Clear();
  TDecodeResult check = CheckImageSize(width, height, 4, limits);
  if (!check.IsSuccess()) return check;
  try {
    mPixels.resize(static_cast<std::size_t>(width * height * 4));
  } catch (const std::bad_alloc&) {
    mPixels = {};
    return {TDecodeStatus::dsOutOfMemory, "Not enough memory for an image of " +
                                              std::to_string(width) + " x " +
                                              std::to_string(height) + " pixels."};
  }
  mWidth = static_cast<int>(width);
  mHeight = static_cast<int>(height);
  for (std::size_t i = 0; i < mPixels.size(); i += 4) {
    mPixels[i] = fill.R;
    mPixels[i + 1] = fill.G;
    mPixels[i + 2] = fill.B;
    mPixels[i + 3] = fill.A;
  }
  return {};
}

void TImageRaster::Clear() {
  mWidth = 0;
  mHeight = 0;
  mPixels = {};
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
  if (!result.IsSuccess()) bytes = {};
  return result;
}

}  // namespace aqv

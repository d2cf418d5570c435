#include <png.h>

#include <algorithm>
#include <cstring>

#include "map/ImageDecoders.h"

namespace aqv {

namespace {

constexpr const char* kFormat = "PNG";

// The file's bytes say what the person is told; libpng's own words stay in the detail.
TDecodeResult Failure(std::span<const std::uint8_t> data, const char* libraryMessage) {
  TImageFault fault = TImageFault::ifDamaged;
  if (data.empty())
    fault = TImageFault::ifEmpty;
  else if (png_sig_cmp(data.data(), 0, std::min<std::size_t>(data.size(), 8)) != 0)
    fault = TImageFault::ifNotThisFormat;
  return DecodeFailure(TDecodeStatus::dsCorrupt, fault, kFormat, libraryMessage);
}

}  // namespace

TDecodeResult DecodePNG(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits) {
  raster.Clear();
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  // The simplified interface keeps libpng's longjmp inside the library and reports failure
  // through its return value and image.message.
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
    return Failure(data, image.message);
  // An image without an alpha channel or a transparent colour is held in three bytes a pixel.
  const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  TDecodeResult sized = raster.Allocate(image.width, image.height, limits, {},
                                        alpha ? TPixelFormat::pfRGBA : TPixelFormat::pfRGB);
  if (!sized.IsSuccess()) {
    png_image_free(&image);
    return sized;
  }
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (!png_image_finish_read(&image, nullptr, raster.Bytes().data(),
                             static_cast<png_int_32>(raster.Stride()), nullptr)) {
    TDecodeResult failed = Failure(data, image.message);
    png_image_free(&image);
    raster.Clear();
    return failed;
  }
  return {};
}

}  // namespace aqv

#include <png.h>

#include <cstring>

#include "map/ImageDecoders.h"

namespace aqv {

TDecodeResult DecodePNG(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits) {
  raster.Clear();
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  // The simplified interface keeps libpng's longjmp inside the library and reports failure
  // through its return value and image.message.
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
    return {TDecodeStatus::dsCorrupt,
            Sentence(std::string("The PNG image does not decode: ") + image.message)};
  TDecodeResult sized = raster.Allocate(image.width, image.height, limits);
  if (!sized.IsSuccess()) {
    png_image_free(&image);
    return sized;
  }
  image.format = PNG_FORMAT_RGBA;
  if (!png_image_finish_read(&image, nullptr, raster.Bytes().data(),
                             static_cast<png_int_32>(raster.Stride()), nullptr)) {
    TDecodeResult failed{TDecodeStatus::dsCorrupt,
                         Sentence(std::string("The PNG image does not decode: ") + image.message)};
    png_image_free(&image);
    raster.Clear();
    return failed;
  }
  return {};
}

}  // namespace aqv

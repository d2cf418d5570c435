#pragma once

#include <cstdio>

#include "map/ImageDecoders.h"
#include "map/ScalableImage.h"

namespace aqv::fuzz {

// The program's own limits, with the pixels of one image capped as the map caps the first image
// it loads: a third of the pixel budget (the image, its composite and the blend).
inline const TImageLimits kFuzzLimits{TImageLimits{}.MaxSide, TMapImage::kPixelBudget / 3,
                                      TImageLimits{}.MaxBytes};

[[noreturn]] inline void Stop(const char* decoder, const char* why) {
  std::fprintf(stderr, "%s decoder fuzzer: %s\n", decoder, why);
  __builtin_trap();
}

// What every decoder promises: a success leaves a raster within the limits, a damaged image
// its pixels and a message, a refusal an empty raster and a message.
inline void CheckDecode(const TDecodeResult& result, const TImageRaster& raster,
                        const char* decoder) {
  if (result.HasPixels()) {
    if (raster.Empty()) Stop(decoder, "success without pixels");
    if (!result.IsSuccess() && result.Message.empty()) Stop(decoder, "damage without a message");
    if (std::int64_t{raster.Width()} * raster.Height() > kFuzzLimits.MaxPixels)
      Stop(decoder, "a raster past the pixel limit");
    if (raster.Width() > kFuzzLimits.MaxSide || raster.Height() > kFuzzLimits.MaxSide)
      Stop(decoder, "a raster past the limits");
    if (raster.Bytes().size() != raster.Stride() * static_cast<std::size_t>(raster.Height()))
      Stop(decoder, "a raster of the wrong size");
    return;
  }
  if (!raster.Empty() || raster.BytesHeld() != 0) Stop(decoder, "a refusal that keeps pixels");
  if (result.Message.empty()) Stop(decoder, "a refusal without a message");
}

}  // namespace aqv::fuzz

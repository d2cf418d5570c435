#pragma once

#include <cstdio>

#include "map/ImageDecoders.h"

namespace aqv::fuzz {

// Limits well inside the fuzzer's memory ceiling, so that a header declaring a large image is
// refused by our checks rather than ending the run as out-of-memory.
inline const TImageLimits kFuzzLimits{4096, 1 << 22, 1 << 24};

[[noreturn]] inline void Stop(const char* decoder, const char* why) {
  std::fprintf(stderr, "%s decoder fuzzer: %s\n", decoder, why);
  __builtin_trap();
}

// What every decoder promises: a success leaves a raster within the limits, a refusal an
// empty raster and a message.
inline void CheckDecode(const TDecodeResult& result, const TImageRaster& raster,
                        const char* decoder) {
  if (result.IsSuccess()) {
    if (raster.Empty()) Stop(decoder, "success without pixels");
    if (raster.Width() > kFuzzLimits.MaxSide || raster.Height() > kFuzzLimits.MaxSide)
      Stop(decoder, "a raster past the limits");
    if (raster.Bytes().size() != raster.Stride() * static_cast<std::size_t>(raster.Height()))
      Stop(decoder, "a raster of the wrong size");
    return;
  }
  if (!raster.Empty()) Stop(decoder, "a refusal that keeps pixels");
  if (result.Message.empty()) Stop(decoder, "a refusal without a message");
}

}  // namespace aqv::fuzz

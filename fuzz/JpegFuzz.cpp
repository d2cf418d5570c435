// Fuzzes the JPEG decoder on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/ImageFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  aqv::TImageRaster raster;
  aqv::fuzz::CheckDecode(aqv::DecodeJPEG({data, size}, raster, aqv::fuzz::kFuzzLimits), raster,
                         "JPEG");
  return 0;
}

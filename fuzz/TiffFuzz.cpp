// Fuzzes the TIFF decoder on arbitrary bytes, the model pixel scale tag included.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/ImageFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  aqv::TImageRaster raster;
  std::string info;
  aqv::fuzz::CheckDecode(aqv::DecodeTIFF({data, size}, raster, aqv::fuzz::kFuzzLimits, {}, &info),
                         raster, "TIFF");
  return 0;
}

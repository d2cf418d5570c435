// Fuzzes the world-file reader: an accepted transform is finite, has pixel sizes and an
// inverse; a refusal leaves the transform as it was and says why.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "map/WorldFileReader.h"

namespace {

[[noreturn]] void Stop(const char* why) {
  std::fprintf(stderr, "world file fuzzer: %s\n", why);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const aqv::TWorldTransform before{3, 0, 0, -3, 7, 8};
  aqv::TWorldTransform t = before;
  const aqv::TWorldFileResult result = aqv::ParseWorldFile(text, t);
  if (result.Status == aqv::TWorldFileStatus::wsOk) {
    for (double v : {t.A, t.D, t.B, t.E, t.X0, t.Y0})
      if (!std::isfinite(v)) Stop("a transform that is not finite");
    if (t.A == 0 || t.E == 0 || t.Determinant() == 0) Stop("a transform without inverse");
  } else {
    if (!(t == before)) Stop("a refusal that changed the transform");
    if (!result.IsSuccess() && result.Message.empty()) Stop("a refusal without a message");
  }
  for (std::string_view line : aqv::WorldFileLines(text, 6)) {
    double value = 0;
    (void)aqv::ParseWorldFileNumber(line, ',', value);
  }
  return 0;
}

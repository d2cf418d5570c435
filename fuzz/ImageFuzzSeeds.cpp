// Writes a small valid file of every image format and a world file into the seed folders of
// the image fuzzers, each through the format's own library, so that no seed is kept in the
// repository. Usage: aqv_image_fuzz_seeds <corpus root>.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/map/ImageFixtures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus root>\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path root = argv[1];
  for (const char* name : {"png", "gif", "jpeg", "bmp", "tiff", "worldfile", "composite"})
    fs::create_directories(root / name);
  using namespace aqv::test;
  const aqv::TImageRaster pattern = PatternRaster(12, 10);
  std::vector<std::uint8_t> indices(120);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i % 7);
  const std::vector<aqv::TRGBA> palette = {{0, 0, 0, 255},   {255, 0, 0, 255}, {0, 255, 0, 255},
                                           {0, 0, 255, 255}, {9, 9, 9, 255},   {80, 0, 80, 255},
                                           {1, 2, 3, 255}};
  bool ok = WritePNG((root / "png/seed.png").string(), pattern) &&
            WriteGIF((root / "gif/seed.gif").string(), 12, 10, indices, palette, 3, false) &&
            WriteGIF((root / "gif/interlaced.gif").string(), 12, 10, indices, palette, -1, true) &&
            WriteJPEG((root / "jpeg/seed.jpg").string(), pattern) &&
            WriteJPEG((root / "jpeg/progressive.jpg").string(), pattern, true) &&
            WriteBytes((root / "bmp/seed24.bmp").string(), BMPBytes(pattern, 24)) &&
            WriteBytes((root / "bmp/seed32.bmp").string(), BMPBytes(pattern, 32, true)) &&
            WriteTIFF((root / "tiff/seed.tif").string(), pattern, 1, {0.5, 0.5, 0}) &&
            WriteTIFF((root / "tiff/bottom.tif").string(), pattern, 4) &&
            WriteWorldFile((root / "worldfile/seed.tfw").string(), 0.5, 0.1, 0.1, -0.5, 1000, 2000,
                           "\r\n") &&
            // Two images beside each other, the second turned, in the composite fuzzer's form.
            WriteBytes((root / "composite/seed").string(),
                       std::string("\x02\x32\x08\x06\x01\x40" "2\n0\n0\n-2\n100\n200\n", 25) +
                           std::string(1, '\0') +
                           "\x0c\x0a\x01\x90" "1.5\n0.5\n0.5\n-1.5\n110\n190\n");
  return ok ? 0 : 1;
}

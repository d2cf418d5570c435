#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map/ImageRaster.h"
#include "map/WorldFileReader.h"

namespace aqv::test {

// Writers of the test images, each through the format's own library (the BMP by hand), so
// that every fixture is made when the test runs.

// A width x height raster whose every pixel differs from its neighbours:
// R = 17 x + 3, G = 29 y + 5, B = 7 (x + y) (mod 256), opaque.
TImageRaster PatternRaster(int width, int height);

bool WritePNG(const std::string& path, const TImageRaster& raster);
// An opaque RGB PNG of width x height pixels in blocks of 1000 x 1000 pixels, pixel (column,
// row) of BlockColour, of 8 or 16 bits a sample; written row by row, so that a large one costs a
// row of memory.
bool WriteBlocksPNG(const std::string& path, int width, int height, int bitDepth = 8);
// Red 25 per 1000 columns, green 25 per 1000 rows, blue 128.
TRGBA BlockColour(int column, int row);
// Quality 100, 4:4:4, so that flat areas come back within a few levels. With cmyk the four
// bytes of each pixel are written as C, M, Y, K (Adobe's inverted ink: 255 is no ink).
bool WriteJPEG(const std::string& path, const TImageRaster& raster, bool progressive = false,
               bool cmyk = false);
// orientation is a TIFF orientation (1 top-left, 4 bottom-left, ...); the rows are stored so
// that the picture seen is raster. pixelScale, when not empty, is written as the model pixel
// scale tag. With alpha the raster's alpha is written as a fourth, associated sample (so
// the colours come back as written).
bool WriteTIFF(const std::string& path, const TImageRaster& raster, int orientation = 1,
               const std::vector<double>& pixelScale = {}, bool alpha = false);
// Sets value index of tag in the first directory of a little-endian TIFF as libtiff writes it
// (SHORT or LONG values, in the entry or where it points); false when there is no such value.
bool SetTiffValue(std::vector<std::uint8_t>& tiff, int tag, std::uint32_t index,
                  std::uint32_t value);
// An 8-bit GIF of palette indices (row by row), with the palette given as RGB triples.
bool WriteGIF(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& indices, const std::vector<TRGBA>& palette,
              int transparentIndex = -1, bool interlaced = false);
// A BMP of 24 or 32 bits per pixel, bottom-up unless topDown, or of 8 bits with palette (the
// raster's colours must then be at most 256).
std::string BMPBytes(const TImageRaster& raster, int bitsPerPixel, bool topDown = false);
bool WriteBytes(const std::string& path, const std::string& bytes);
// The transform of an image turned by degrees about its upper-left corner (x0, y0), its
// pixels size units a side.
TWorldTransform Rotated(double degrees, double size, double x0, double y0);
// A world file of the six numbers, each followed by eol.
bool WriteWorldFile(const std::string& path, double a, double d, double b, double e, double x0,
                    double y0, const std::string& eol = "\n");

}  // namespace aqv::test

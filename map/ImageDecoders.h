#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "map/ImageRaster.h"

namespace aqv {

// Decoders of the background-image formats. Each reads a whole file held in memory and fills
// raster (rows top to bottom, RGBA); sizes are checked against limits before any pixel memory
// is allocated. On failure raster is empty and the result says why; nothing is thrown.

// PNG through libpng's simplified reading interface; alpha is kept.
TDecodeResult DecodePNG(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits = {});

// The first frame of a GIF through giflib, placed on its logical screen; interlaced frames
// are put in row order, the transparent colour index and the screen outside the frame get
// alpha 0. A frame covering the screen without a transparent colour gives an RGB raster.
TDecodeResult DecodeGIF(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits = {});

// Baseline and progressive JPEG through libjpeg (greyscale, RGB, CMYK); opaque.
TDecodeResult DecodeJPEG(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits = {});

// Uncompressed Windows bitmaps of 1, 4, 8, 16, 24 or 32 bits per pixel (bit-field masks for
// 16 and 32 bits), bottom-up or top-down; opaque.
TDecodeResult DecodeBMP(std::span<const std::uint8_t> data, TImageRaster& raster,
                        const TImageLimits& limits = {});

// TIFF through libtiff's RGBA interface into an RGB raster, rows top-left whatever the file's
// orientation; alpha is ignored. A strip or tile that does not decode makes the file damaged.
// Reports "Converting TIFF" through progress and polls its cancel query. infoText
// becomes "Retrieved ModelPixelScaleTag value: " and the scale values when the file has the
// model pixel scale tag as doubles, else empty.
TDecodeResult DecodeTIFF(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits = {}, const TImageProgress& progress = {},
                         std::string* infoText = nullptr);

}  // namespace aqv

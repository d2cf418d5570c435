#include "tests/map/ImageFixtures.h"

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <map>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace aqv::test {

TImageRaster PatternRaster(int width, int height) {
  TImageRaster raster;
  (void)raster.Allocate(width, height, TImageLimits{});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      raster.Set(x, y,
                 {static_cast<std::uint8_t>(17 * x + 3), static_cast<std::uint8_t>(29 * y + 5),
                  static_cast<std::uint8_t>(7 * (x + y)), 255});
  return raster;
}

bool WritePNG(const std::string& path, const TImageRaster& raster) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(raster.Width());
  image.height = static_cast<png_uint_32>(raster.Height());
  image.format = raster.Format() == TPixelFormat::pfRGB ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, raster.Bytes().data(),
                                 static_cast<png_int_32>(raster.Stride()), nullptr) != 0;
}

TRGBA BlockColour(int column, int row) {
  return {static_cast<std::uint8_t>(column / 1000 * 25), static_cast<std::uint8_t>(row / 1000 * 25),
          128, 255};
}

bool WriteBlocksPNG(const std::string& path, int width, int height, int bitDepth) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const int bytesPerSample = bitDepth / 8;
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3 * bytesPerSample);
  const auto fail = [&] {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  };
  if (!png || !info) return fail();
  if (setjmp(png_jmpbuf(png))) return fail();
  png_init_io(png, file);
  // Each row repeats the one above within a block, so the up filter leaves zeros that the
  // fastest level compresses at once.
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_UP);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               bitDepth, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; y % 1000 == 0 && x < width; ++x) {
      const TRGBA c = BlockColour(x, y);
      // A 16-bit sample repeats its 8-bit value in both bytes (v x 257), big-endian either way.
      const png_byte rgb[3] = {c.R, c.G, c.B};
      for (int s = 0; s < 3; ++s)
        for (int b = 0; b < bytesPerSample; ++b) row[(x * 3 + s) * bytesPerSample + b] = rgb[s];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

bool WriteJPEG(const std::string& path, const TImageRaster& raster, bool progressive, bool cmyk) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(raster.Width());
  info.image_height = static_cast<JDIMENSION>(raster.Height());
  const int components = cmyk ? 4 : 3;
  info.input_components = components;
  info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  for (int c = 0; c < components; ++c)
    info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(raster.Width() * components));
  while (info.next_scanline < info.image_height) {
    const std::uint8_t* in = raster.Row(static_cast<int>(info.next_scanline));
    for (int x = 0; x < raster.Width(); ++x)
      for (int c = 0; c < components; ++c)
        row[static_cast<std::size_t>(x * components + c)] = in[x * 4 + c];
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

bool WriteTIFF(const std::string& path, const TImageRaster& raster, int orientation,
               const std::vector<double>& pixelScale, bool alpha) {
  static const TIFFFieldInfo kScaleField[] = {
      {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScaleTag")}};
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  const auto width = static_cast<std::uint32_t>(raster.Width());
  const auto height = static_cast<std::uint32_t>(raster.Height());
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  const std::uint32_t samples = alpha ? 4 : 3;
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  if (alpha) {
    const std::uint16_t extra[1] = {EXTRASAMPLE_ASSOCALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
  if (!pixelScale.empty()) {
    TIFFMergeFieldInfo(tif, kScaleField, 1);
    TIFFSetField(tif, 33550, static_cast<std::uint16_t>(pixelScale.size()), pixelScale.data());
  }
  // Orientations 1..4 store rows top first (1, 2) or bottom first (3, 4), columns left first
  // (1, 4) or right first (2, 3).
  const bool bottomFirst = orientation == 3 || orientation == 4;
  const bool rightFirst = orientation == 2 || orientation == 3;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * samples);
  bool ok = true;
  for (std::uint32_t stored = 0; stored < height && ok; ++stored) {
    const int y = static_cast<int>(bottomFirst ? height - 1 - stored : stored);
    for (std::uint32_t i = 0; i < width; ++i) {
      const int x = static_cast<int>(rightFirst ? width - 1 - i : i);
      const TRGBA p = raster.At(x, y);
      const std::uint8_t channels[4] = {p.R, p.G, p.B, p.A};
      std::copy_n(channels, samples, row.data() + i * samples);
    }
    ok = TIFFWriteScanline(tif, row.data(), stored, 0) == 1;
  }
  TIFFClose(tif);
  return ok;
}

bool SetTiffValue(std::vector<std::uint8_t>& tiff, int tag, std::uint32_t index,
                  std::uint32_t value) {
  const auto get = [&](std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | tiff[at + static_cast<std::size_t>(i)];
    return v;
  };
  if (tiff.size() < 8 || tiff[0] != 'I') return false;
  const std::size_t ifd = get(4, 4);
  if (ifd + 2 > tiff.size()) return false;
  const std::uint32_t entries = get(ifd, 2);
  for (std::uint32_t i = 0; i < entries && ifd + 2 + (i + 1) * 12 <= tiff.size(); ++i) {
    const std::size_t at = ifd + 2 + i * 12;
    if (static_cast<int>(get(at, 2)) != tag) continue;
    const int size = get(at + 2, 2) == 3 ? 2 : 4;  // SHORT or LONG
    const std::uint32_t count = get(at + 4, 4);
    if (index >= count) return false;
    const std::size_t values =
        count * static_cast<std::uint32_t>(size) <= 4 ? at + 8 : get(at + 8, 4);
    const std::size_t put = values + index * static_cast<std::size_t>(size);
    if (put + static_cast<std::size_t>(size) > tiff.size()) return false;
    for (int b = 0; b < size; ++b)
      tiff[put + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
    return true;
  }
  return false;
}

bool WriteGIF(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& indices, const std::vector<TRGBA>& palette,
              int transparentIndex, bool interlaced) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) return false;
  std::vector<GifColorType> colors(256);
  for (std::size_t i = 0; i < palette.size() && i < 256; ++i)
    colors[i] = {palette[i].R, palette[i].G, palette[i].B};
  ColorMapObject* map = GifMakeMapObject(256, colors.data());
  bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
  if (ok && transparentIndex >= 0) {
    GraphicsControlBlock control{};
    control.TransparentColor = transparentIndex;
    GifByteType block[4];
    const std::size_t length = EGifGCBToExtension(&control, block);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr) == GIF_OK;
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  const auto put = [&](int y) {
    for (int x = 0; x < width; ++x)
      line[static_cast<std::size_t>(x)] = indices[static_cast<std::size_t>(y * width + x)];
    return EGifPutLine(gif, line.data(), width) == GIF_OK;
  };
  if (interlaced) {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < height && ok; y += step[pass]) ok = put(y);
  } else {
    for (int y = 0; y < height && ok; ++y) ok = put(y);
  }
  GifFreeMapObject(map);
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  return ok;
}

namespace {

// v as `bytes` bytes, least significant first.
void Put(std::string& s, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

}  // namespace

std::string BMPBytes(const TImageRaster& raster, int bitsPerPixel, bool topDown) {
  const int w = raster.Width(), h = raster.Height();
  std::map<std::uint32_t, int> paletteIndex;
  std::vector<TRGBA> palette;
  if (bitsPerPixel == 8)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const TRGBA p = raster.At(x, y);
        const std::uint32_t key = p.R | (p.G << 8) | (p.B << 16);
        if (paletteIndex.emplace(key, static_cast<int>(palette.size())).second)
          palette.push_back(p);
      }
  const std::uint32_t stride = (static_cast<std::uint32_t>(w * bitsPerPixel) + 31) / 32 * 4;
  const std::uint32_t size = stride * static_cast<std::uint32_t>(h);
  const std::uint32_t pixelsAt = 54 + static_cast<std::uint32_t>(palette.size()) * 4;
  std::string s = "BM";
  for (std::uint32_t v : {pixelsAt + size, 0u, pixelsAt, 40u, static_cast<std::uint32_t>(w),
                          static_cast<std::uint32_t>(topDown ? -h : h)})
    Put(s, v, 4);
  Put(s, 1, 2);
  Put(s, static_cast<std::uint32_t>(bitsPerPixel), 2);
  for (std::uint32_t v : {0u, size, 2835u, 2835u, static_cast<std::uint32_t>(palette.size()), 0u})
    Put(s, v, 4);
  for (const TRGBA& p : palette)
    s += {static_cast<char>(p.B), static_cast<char>(p.G), static_cast<char>(p.R), '\0'};
  for (int stored = 0; stored < h; ++stored) {
    const int y = topDown ? stored : h - 1 - stored;
    std::string row;
    for (int x = 0; x < w; ++x) {
      const TRGBA p = raster.At(x, y);
      if (bitsPerPixel == 8)
        row += static_cast<char>(paletteIndex[p.R | (p.G << 8) | (p.B << 16)]);
      else
        row += {static_cast<char>(p.B), static_cast<char>(p.G), static_cast<char>(p.R)};
      if (bitsPerPixel == 32) row += static_cast<char>(0);
    }
    row.resize(stride, '\0');
    s += row;
  }
  return s;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

TWorldTransform Rotated(double degrees, double size, double x0, double y0) {
  const double a = degrees * 3.14159265358979323846 / 180;
  return {size * std::cos(a), size * std::sin(a), size * std::sin(a), -size * std::cos(a), x0, y0};
}

bool WriteWorldFile(const std::string& path, double a, double d, double b, double e, double x0,
                    double y0, const std::string& eol) {
  std::string text;
  for (double v : {a, d, b, e, x0, y0}) {
    char buffer[40];
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
    text += eol;
  }
  return WriteBytes(path, text);
}

}  // namespace aqv::test

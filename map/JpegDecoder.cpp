#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "map/ImageDecoders.h"

namespace aqv {

namespace {

// libjpeg's default error handler ends the process; ours jumps back to the decoder with the
// library's message. No object with a destructor lives in the frames it jumps over.
struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
  auto* error = reinterpret_cast<TJpegError*>(info->err);
  info->err->format_message(info, error->Message);
  std::longjmp(error->Jump, 1);
}

// libjpeg hands over its first warning here; a warning is what a file broken off inside the
// scan gives (libjpeg then fills the missing rows with grey), so it is kept for the person.
void OutputMessage(j_common_ptr info) {
  auto* error = reinterpret_cast<TJpegError*>(info->err);
  if (error->Message[0] == 0) info->err->format_message(info, error->Message);
}

// A progressive file can declare thousands of scans over a few bytes and keep the decoder
// busy for minutes; no real image needs more than a few dozen.
constexpr int kMaxScans = 500;

void LimitScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) {
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    std::snprintf(error->Message, sizeof error->Message, "too many scans");
    std::longjmp(error->Jump, 1);
  }
}

// Adobe writes CMYK inverted (0 = full ink); the conversion multiplies each channel by K.
void CmykToRgba(std::uint8_t* row, int width) {
  for (int x = 0; x < width; ++x) {
    std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
    const unsigned k = p[3];
    p[0] = static_cast<std::uint8_t>(p[0] * k / 255);
    p[1] = static_cast<std::uint8_t>(p[1] * k / 255);
    p[2] = static_cast<std::uint8_t>(p[2] * k / 255);
    p[3] = 255;
  }
}

// Widens an RGB row, read into the start of its RGBA row, from the end backwards in place.
void RgbToRgba(std::uint8_t* row, int width) {
  for (int x = width - 1; x >= 0; --x) {
    const std::size_t from = static_cast<std::size_t>(x) * 3;
    const std::size_t to = static_cast<std::size_t>(x) * 4;
    const std::uint8_t r = row[from], g = row[from + 1], b = row[from + 2];
    row[to] = r;
    row[to + 1] = g;
    row[to + 2] = b;
    row[to + 3] = 255;
  }
}

// Everything between setjmp and the last libjpeg call: plain data only. Returns the status;
// the message is in error.Message.
TDecodeStatus Decompress(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits, jpeg_decompress_struct& info,
                         TJpegError& error) {
  if (setjmp(error.Jump)) return TDecodeStatus::dsCorrupt;
  jpeg_create_decompress(&info);
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;
  info.progress = &progress;
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  info.mem->max_memory_to_use = static_cast<long>(limits.MaxBytes);
  const TDecodeStatus sized = raster.Allocate(info.image_width, info.image_height, limits).Status;
  if (sized != TDecodeStatus::dsOk) {
    std::snprintf(error.Message, sizeof error.Message, "%u x %u pixels is too large",
                  info.image_width, info.image_height);
    return sized;
  }
  jpeg_start_decompress(&info);
  if (static_cast<int>(info.output_width) != raster.Width() ||
      static_cast<int>(info.output_height) != raster.Height()) {
    std::snprintf(error.Message, sizeof error.Message, "unexpected output size");
    return TDecodeStatus::dsCorrupt;
  }
  while (info.output_scanline < info.output_height) {
    std::uint8_t* row = raster.Row(static_cast<int>(info.output_scanline));
    JSAMPROW rows[1] = {row};
    jpeg_read_scanlines(&info, rows, 1);
    if (cmyk)
      CmykToRgba(row, raster.Width());
    else
      RgbToRgba(row, raster.Width());
  }
  jpeg_finish_decompress(&info);
  return info.err->num_warnings > 0 ? TDecodeStatus::dsDamaged : TDecodeStatus::dsOk;
}

}  // namespace

TDecodeResult DecodeJPEG(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits) {
  raster.Clear();
  if (data.empty())
    return {TDecodeStatus::dsCorrupt, "The JPEG image does not decode: empty file."};
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof info);
  TJpegError error;
  std::memset(&error, 0, sizeof error);
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.output_message = OutputMessage;
  const TDecodeStatus status = Decompress(data, raster, limits, info, error);
  jpeg_destroy_decompress(&info);
  if (status == TDecodeStatus::dsOk) return {};
  if (status == TDecodeStatus::dsDamaged)
    return {status, "The JPEG image is damaged: " + std::string(error.Message) +
                        ". Only the part that could be read is shown."};
  raster.Clear();
  const char* prefix = status == TDecodeStatus::dsCorrupt ? "The JPEG image does not decode: "
                                                          : "The JPEG image is too large: ";
  return {status, Sentence(prefix + std::string(error.Message))};
}

}  // namespace aqv

#include <csetjmp>
#include <cstdio>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

// jerror.h needs jpeglib.h before it.
#include <jerror.h>

#include "map/ImageDecoders.h"

namespace aqv {

namespace {

constexpr const char* kFormat = "JPEG";

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

// A sound file that uses a feature libjpeg leaves out, or anything else, which breaks off or
// holds wrong bytes.
TImageFault FaultOf(int messageCode) {
  switch (messageCode) {
    case JERR_ARITH_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_CCIR601_NOTIMPL:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED:
      return TImageFault::ifUnsupported;
    default:
      return TImageFault::ifDamaged;
  }
}

// Everything between setjmp and the last libjpeg call: plain data only. Returns the status;
// the library's message is in error.Message, a refusal of the size in sized.
TDecodeStatus Decompress(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits, jpeg_decompress_struct& info,
                         TJpegError& error, TDecodeResult& sized) {
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
  // RGB rows are read straight into a raster of three bytes a pixel; CMYK needs the fourth
  // byte for its conversion.
  sized = raster.Allocate(info.image_width, info.image_height, limits, {},
                          cmyk ? TPixelFormat::pfRGBA : TPixelFormat::pfRGB);
  if (!sized.IsSuccess()) return sized.Status;
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
    if (cmyk) CmykToRgba(row, raster.Width());
  }
  jpeg_finish_decompress(&info);
  return info.err->num_warnings > 0 ? TDecodeStatus::dsDamaged : TDecodeStatus::dsOk;
}

}  // namespace

TDecodeResult DecodeJPEG(std::span<const std::uint8_t> data, TImageRaster& raster,
                         const TImageLimits& limits) {
  raster.Clear();
  if (data.empty()) return DecodeFailure(TDecodeStatus::dsCorrupt, TImageFault::ifEmpty, kFormat);
  // Every JPEG starts with the start-of-image marker.
  if (data.size() < 2 || data[0] != 0xFF || data[1] != 0xD8)
    return DecodeFailure(TDecodeStatus::dsCorrupt, TImageFault::ifNotThisFormat, kFormat);
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof info);
  TJpegError error;
  std::memset(&error, 0, sizeof error);
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.output_message = OutputMessage;
  TDecodeResult sized;
  const TDecodeStatus status = Decompress(data, raster, limits, info, error, sized);
  jpeg_destroy_decompress(&info);
  if (status == TDecodeStatus::dsOk) return {};
  if (!sized.IsSuccess()) return sized;
  if (status != TDecodeStatus::dsDamaged) raster.Clear();
  return DecodeFailure(status, FaultOf(error.Manager.msg_code), kFormat, error.Message);
}

}  // namespace aqv

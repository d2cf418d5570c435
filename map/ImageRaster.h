#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace aqv {

// Size limits that every decoder and the composite check in 64-bit arithmetic before they
// allocate, so that a header declaring huge dimensions is refused at once.
struct TImageLimits {
  std::int64_t MaxSide = 65535;        // pixels per row or per column
  std::int64_t MaxPixels = 1LL << 28;  // pixels of one raster (268 million)
  std::int64_t MaxBytes = 1LL << 30;   // bytes of one raster, and of an image file read whole
};

// Outcome of decoding an image or sizing a raster.
// dsDamaged: the file ends or breaks off inside the pixels; the raster keeps what could be
// decoded (a broken-off JPEG, for one, shows grey below the last row it holds).
enum class TDecodeStatus { dsOk, dsCorrupt, dsTooLarge, dsOutOfMemory, dsCancelled, dsDamaged };

// What is wrong with an image file, as the person is told it. ifDamaged covers a file that
// breaks off as well as one whose bytes are wrong: the person cannot tell them apart and does
// the same about both. ifUnsupported is a file of the format that uses a feature no decoder
// here reads.
enum class TImageFault {
  ifNone,
  ifEmpty,
  ifNotThisFormat,
  ifDamaged,
  ifUnsupported,
  ifTooLarge,
  ifNoMemory
};

struct [[nodiscard]] TDecodeResult {
  TDecodeResult() = default;
  TDecodeResult(TDecodeStatus status, std::string message)
      : Status(status), Message(std::move(message)) {}

  TDecodeStatus Status = TDecodeStatus::dsOk;
  std::string Message;  // what went wrong, for the person; empty on success
  TImageFault Fault = TImageFault::ifNone;
  const char* Format = "";             // "PNG", "GIF", "JPEG", "TIFF" or "BMP"
  std::int64_t Width = 0, Height = 0;  // the declared size, for ifTooLarge and ifNoMemory
  std::string Detail;                  // the codec library's own words, for tests and logs
  bool IsSuccess() const { return Status == TDecodeStatus::dsOk; }
  // True when the raster holds pixels worth showing: a success or a damaged image.
  bool HasPixels() const { return IsSuccess() || Status == TDecodeStatus::dsDamaged; }
};

// The person's sentence about the image file fileName ("The file" when it is empty) whose
// decode gave result: what is wrong with the file, never the library's words; a damaged result
// that keeps pixels says that only part is shown. A result without a fault gives its message.
std::string ImageFaultText(const std::string& fileName, const TDecodeResult& result);

// A failed decode of a format: status, fault and the library's detail, with the message about
// "The file"; width and height for ifTooLarge and ifNoMemory.
TDecodeResult DecodeFailure(TDecodeStatus status, TImageFault fault, const char* format,
                            std::string detail = {}, std::int64_t width = 0,
                            std::int64_t height = 0);

// Progress of long image work: the shared progress method (caption, position, maximum) and a
// cancel query that long loops poll. Either may be empty.
struct TImageProgress {
  std::function<void(const std::string& caption, int position, int maximum)> Progress;
  std::function<bool()> Cancelled;

  void Report(const std::string& caption, int position, int maximum) const {
    if (Progress) Progress(caption, position, maximum);
  }
  bool IsCancelled() const { return Cancelled && Cancelled(); }
};

// One pixel: red, green, blue and alpha (255 opaque, 0 fully transparent).
struct TRGBA {
  std::uint8_t R = 0, G = 0, B = 0, A = 255;
  friend bool operator==(const TRGBA&, const TRGBA&) = default;
};

// How a raster holds a pixel: red, green, blue and alpha bytes, or only red, green and blue
// for a picture that is opaque throughout, which holds a large photograph, the composite and
// its blend in three quarters of the memory.
enum class TPixelFormat { pfRGBA, pfRGB };

// A decoded image or a composite: rows from top to bottom, the bytes of each pixel in the
// order red, green, blue (, alpha), rows packed without padding. Owns its pixels; empty until
// allocated.
class TImageRaster {
 public:
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  bool Empty() const { return mWidth == 0 || mHeight == 0; }
  TPixelFormat Format() const { return mFormat; }
  int BytesPerPixel() const { return mFormat == TPixelFormat::pfRGB ? 3 : 4; }

  // Makes the raster width x height pixels of the given fill after checking the size against
  // limits; on refusal or allocation failure the raster is left empty.
  TDecodeResult Allocate(std::int64_t width, std::int64_t height, const TImageLimits& limits,
                         TRGBA fill = {0, 0, 0, 0}, TPixelFormat format = TPixelFormat::pfRGBA);
  // Makes the raster empty and gives its memory back.
  void Clear();

  std::uint8_t* Row(int y) { return mPixels.data() + static_cast<std::size_t>(y) * Stride(); }
  const std::uint8_t* Row(int y) const {
    return mPixels.data() + static_cast<std::size_t>(y) * Stride();
  }
  std::size_t Stride() const { return static_cast<std::size_t>(mWidth) * BytesPerPixel(); }
  // Bytes of memory the raster holds: those of its pixels, none once cleared.
  std::size_t BytesHeld() const { return mPixels.capacity(); }
  std::span<std::uint8_t> Bytes() { return mPixels; }
  std::span<const std::uint8_t> Bytes() const { return mPixels; }

  // The pixel at column x, row y (0-based, both inside the raster); opaque in an RGB raster.
  TRGBA At(int x, int y) const {
    const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * BytesPerPixel();
    return {p[0], p[1], p[2], mFormat == TPixelFormat::pfRGB ? std::uint8_t{255} : p[3]};
  }
  // Sets the pixel; an RGB raster drops the alpha.
  void Set(int x, int y, TRGBA pixel) {
    std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * BytesPerPixel();
    p[0] = pixel.R;
    p[1] = pixel.G;
    p[2] = pixel.B;
    if (mFormat == TPixelFormat::pfRGBA) p[3] = pixel.A;
  }

 private:
  int mWidth = 0;
  int mHeight = 0;
  TPixelFormat mFormat = TPixelFormat::pfRGBA;
  std::vector<std::uint8_t> mPixels;
};

// Checks a raster of width x height pixels of bytesPerPixel bytes against limits, all in
// 64-bit arithmetic. Success, or dsTooLarge with the reason.
TDecodeResult CheckImageSize(std::int64_t width, std::int64_t height, std::int64_t bytesPerPixel,
                             const TImageLimits& limits);

// Whether path names a regular file: fsMissing when nothing is there, fsNotRegular for a
// folder, a named pipe or a device.
enum class TFileState { fsRegular, fsMissing, fsNotRegular };
TFileState FileState(const std::string& path);

// Reads a whole file of at most maxBytes bytes into bytes. dsCorrupt when it is no regular
// file or cannot be opened or read; dsTooLarge, before anything is read, when it is longer than
// maxBytes.
TDecodeResult ReadFileBytes(const std::string& path, std::int64_t maxBytes,
                            std::vector<std::uint8_t>& bytes);

}  // namespace aqv

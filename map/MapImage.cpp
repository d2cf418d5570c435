#include <algorithm>
#include <cmath>
#include <limits>

#include "map/ScalableImage.h"

namespace aqv {

namespace {

constexpr double kMinCompositePixel = 0.00001;

double Round(double value) {
  return std::nearbyint(value);
}

TRGBA ColorToRGBA(TColor color) {
  const auto value = static_cast<std::uint32_t>(color);
  return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
          static_cast<std::uint8_t>((value >> 16) & 0xFF), 255};
}

// Round(v / 100) with halves to even, in integers.
std::uint8_t DivideBy100(unsigned v) {
  unsigned q = v / 100;
  const unsigned r = v % 100;
  if (r > 50 || (r == 50 && (q & 1) != 0)) ++q;
  return static_cast<std::uint8_t>(q);
}

}  // namespace

void BlendRaster(const TImageRaster& source, TImageRaster& target, int percent, TColor background) {
  const unsigned t = static_cast<unsigned>(std::clamp(percent, 0, 100));
  const TRGBA b = ColorToRGBA(background);
  const unsigned backgroundChannel[3] = {b.R, b.G, b.B};
  // One table per channel turns the blend into three look-ups per pixel.
  std::uint8_t table[3][256];
  for (int c = 0; c < 3; ++c)
    for (unsigned p = 0; p < 256; ++p)
      table[c][p] = DivideBy100(p * (100 - t) + backgroundChannel[c] * t);
  const std::span<const std::uint8_t> in = source.Bytes();
  const std::span<std::uint8_t> out = target.Bytes();
  const std::size_t n = std::min(in.size(), out.size());
  for (std::size_t i = 0; i + 3 < n; i += 4) {
    out[i] = table[0][in[i]];
    out[i + 1] = table[1][in[i + 1]];
    out[i + 2] = table[2][in[i + 2]];
    out[i + 3] = 255;
  }
}

TImageLoadStatus TMapImage::AddImage(const std::string& fileName) {
  auto image = std::make_unique<TScalableImage>();
  TImageLoadStatus status = image->LoadFromFile(fileName, mProgress, mLimits);
  if (status.IsSuccess()) mImages.push_back(std::move(image));
  return status;
}

TMapImageLoadReport TMapImage::LoadFiles(const TBackgroundFiles& files) {
  Clear();
  TMapImageLoadReport report;
  const int n = static_cast<int>(files.size());
  for (int i = 0; i < n; ++i) {
    mProgress.Report(kLoadingCaption, i * 100 / std::max(1, n), 100);
    if (mProgress.IsCancelled()) {
      report.Cancelled = true;
      break;
    }
    TImageLoadStatus status = AddImage(files[static_cast<std::size_t>(i)].FileName);
    if (status.IsSuccess()) {
      mImages.back()->SetVisible(files[static_cast<std::size_t>(i)].Checked);
      continue;
    }
    const bool cancelled = status.Code == TImageLoadResult::lrCancelled;
    report.Failures.push_back({i, std::move(status)});
    if (cancelled) {
      report.Cancelled = true;
      break;
    }
  }
  mProgress.Report(kLoadingCaption, 100, 100);
  return report;
}

void TMapImage::DeleteImage(int index) {
  if (index >= 0 && index < Count()) mImages.erase(mImages.begin() + index);
}

TScalableImage* TMapImage::SetImageVisible(int index, bool visible) {
  if (index < 0 || index >= Count()) return nullptr;
  TScalableImage* image = mImages[static_cast<std::size_t>(index)].get();
  image->SetVisible(visible);
  return image;
}

void TMapImage::Clear() {
  mImages.clear();
}

void TMapImage::SetTransparency(int percent) {
  mTransparency = std::clamp(percent, 0, 100);
}

TWorldRect TMapImage::ImagesExtent() const {
  TWorldRect extent;
  for (std::size_t i = 0; i < mImages.size(); ++i) {
    const TWorldRect one = mImages[i]->Extent();
    if (i == 0) {
      extent = one;
      continue;
    }
    extent.West = std::min(extent.West, one.West);
    extent.East = std::max(extent.East, one.East);
    extent.South = std::min(extent.South, one.South);
    extent.North = std::max(extent.North, one.North);
  }
  return extent;
}

TWorldRect TMapImage::CompositeExtent() const {
  if (mComposite.Empty()) return {};
  return {mGrid.OriginX, mGrid.OriginY + mComposite.Height() * mGrid.PixelHeight,
          mGrid.OriginX + mComposite.Width() * mGrid.PixelWidth, mGrid.OriginY};
}

TImageLoadStatus TMapImage::BuildComposite() {
  const int n = Count();
  if (n == 0) return {};
  const int maximum = (n + 1) * 100;
  mProgress.Report(kOptimizingCaption, 0, maximum);
  const TWorldRect extent = ImagesExtent();
  double smallestA = std::numeric_limits<double>::infinity(), smallestE = smallestA;
  for (const auto& image : mImages) {
    smallestA = std::min(smallestA, std::fabs(image->Transform().A));
    smallestE = std::min(smallestE, std::fabs(image->Transform().E));
  }
  TCompositeGrid grid{extent.West, extent.North, std::max(smallestA, kMinCompositePixel),
                      -std::max(smallestE, kMinCompositePixel)};
  // Sizes stay floating point until they are known to fit; the negated test refuses NaN too.
  const double columns = std::fabs(Round((extent.East - extent.West) / grid.PixelWidth));
  const double rows = std::fabs(Round((extent.South - extent.North) / grid.PixelHeight));
  const auto tooLarge = [&](const std::string& why) {
    return TImageLoadStatus{TImageLoadResult::lrCompositeTooLarge,
                            "The optimized image would become too big: " + why};
  };
  if (!(columns < kMaxCompositeSide && rows < kMaxCompositeSide))
    return tooLarge("it would need more than " + std::to_string(kMaxCompositeSide - 1) +
                    " pixels in a direction.");
  TImageRaster next;
  const TRGBA background = ColorToRGBA(mColor);
  TDecodeResult sized =
      next.Allocate(std::max(1.0, columns), std::max(1.0, rows), mLimits, background);
  if (!sized.IsSuccess()) return tooLarge(sized.Message);
  for (int i = 0; i < n; ++i) {
    const TScalableImage& image = *mImages[static_cast<std::size_t>(i)];
    if (image.Visible() && !image.DrawOnCanvas(next, grid, mProgress, i * 100, maximum))
      return {TImageLoadResult::lrCancelled, "Combining the background images was cancelled."};
    mProgress.Report(kOptimizingCaption, (i + 1) * 100, maximum);
  }
  mComposite = std::move(next);
  mGrid = grid;
  mProgress.Report(kOptimizingCaption, n * 100, maximum);
  return {};
}

void TMapImage::ApplyTransparency() {
  if (mComposite.Empty()) return;
  if (mBlended.Width() != mComposite.Width() || mBlended.Height() != mComposite.Height()) {
    // The composite was allocated within the same limits, so this only fails for memory.
    if (!mBlended.Allocate(mComposite.Width(), mComposite.Height(), mLimits).IsSuccess()) return;
  }
  BlendRaster(mComposite, mBlended, mTransparency, mColor);
  const int maximum = (Count() + 1) * 100;
  mProgress.Report(kOptimizingCaption, maximum, maximum);
}

TPixelRect TMapImage::SourceRect(const TWorldRect& window) const {
  if (mComposite.Empty()) return {};
  const auto column = [&](double x) {
    return static_cast<int>(std::clamp(Round((x - mGrid.OriginX) / mGrid.PixelWidth), -1e9, 1e9));
  };
  const auto row = [&](double y) {
    return static_cast<int>(std::clamp(Round((y - mGrid.OriginY) / mGrid.PixelHeight), -1e9, 1e9));
  };
  return {column(window.West), row(window.North), column(window.East), row(window.South)};
}

bool TMapImage::WindowPart(const TWorldRect& window, TWindowPart& part) const {
  if (mComposite.Empty()) return false;
  const double left = (window.West - mGrid.OriginX) / mGrid.PixelWidth;
  const double right = (window.East - mGrid.OriginX) / mGrid.PixelWidth;
  const double top = (window.North - mGrid.OriginY) / mGrid.PixelHeight;
  const double bottom = (window.South - mGrid.OriginY) / mGrid.PixelHeight;
  if (!(right > left && bottom > top)) return false;
  part.SourceLeft = std::max(0.0, left);
  part.SourceRight = std::min<double>(mComposite.Width(), right);
  part.SourceTop = std::max(0.0, top);
  part.SourceBottom = std::min<double>(mComposite.Height(), bottom);
  if (!(part.SourceRight > part.SourceLeft && part.SourceBottom > part.SourceTop)) return false;
  part.Left = (part.SourceLeft - left) / (right - left);
  part.Right = (part.SourceRight - left) / (right - left);
  part.Top = (part.SourceTop - top) / (bottom - top);
  part.Bottom = (part.SourceBottom - top) / (bottom - top);
  return true;
}

void TMapImage::CropToWindow(const TWorldRect& window) {
  mPreviewSource.Clear();
  mPreview.Clear();
  const TPixelRect source = SourceRect(window);
  const std::int64_t width = std::int64_t{source.Right} - source.Left;
  const std::int64_t height = std::int64_t{source.Bottom} - source.Top;
  if (width <= 0 || height <= 0) return;
  if (!mPreviewSource.Allocate(width, height, mLimits, ColorToRGBA(mColor)).IsSuccess()) return;
  if (!mPreview.Allocate(width, height, mLimits).IsSuccess()) {
    mPreviewSource.Clear();
    return;
  }
  const int left = std::max(0, source.Left), right = std::min(mComposite.Width(), source.Right);
  const int top = std::max(0, source.Top), bottom = std::min(mComposite.Height(), source.Bottom);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      mPreviewSource.Set(x - source.Left, y - source.Top, mComposite.At(x, y));
}

const TImageRaster& TMapImage::BlendPreview(int percent) {
  BlendRaster(mPreviewSource, mPreview, percent, mColor);
  return mPreview;
}

}  // namespace aqv

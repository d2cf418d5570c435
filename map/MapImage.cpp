#include <algorithm>
#include <cmath>
#include <limits>

#include "map/ScalableImage.h"
#include "model/file/WorldFile.h"

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
  const auto inStep = static_cast<std::size_t>(source.BytesPerPixel());
  const auto outStep = static_cast<std::size_t>(target.BytesPerPixel());
  const bool targetAlpha = target.Format() == TPixelFormat::pfRGBA;
  const std::size_t n = std::min(in.size() / inStep, out.size() / outStep);
  for (std::size_t k = 0; k < n; ++k) {
    const std::uint8_t* p = &in[k * inStep];
    std::uint8_t* q = &out[k * outStep];
    q[0] = table[0][p[0]];
    q[1] = table[1][p[1]];
    q[2] = table[2][p[2]];
    if (targetAlpha) q[3] = 255;
  }
}

std::int64_t TMapImage::ImagePixels() const {
  std::int64_t pixels = 0;
  for (const auto& image : mImages)
    pixels += std::int64_t{image->Raster().Width()} * image->Raster().Height();
  return pixels;
}

std::int64_t TMapImage::PixelsHeld() const {
  return ImagePixels() + std::int64_t{mComposite.Width()} * mComposite.Height() +
         std::int64_t{mBlended.Width()} * mBlended.Height();
}

namespace {

// A count of pixels as the person reads it: exact below ten million, else in millions rounded
// to the given decimals (0 to 6; six give the exact count).
std::string PixelCount(std::int64_t pixels, int decimals) {
  if (pixels < 10000000) return std::to_string(pixels);
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const std::int64_t unit = 1000000 / scale;
  const std::int64_t rounded = (pixels + unit / 2) / unit;
  std::string text = std::to_string(rounded / scale);
  if (decimals > 0) {
    const std::string fraction = std::to_string(rounded % scale);
    text += "." + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return text + " million";
}

// "needed pixels, more than the budget pixels", each figure with the fewest decimals that tell
// the two apart: rounded alike, 357,935,787 and 357,913,941 would both read 358 million.
std::string NeededAndBudget(std::int64_t needed, std::int64_t budget) {
  int decimals = 0;
  while (decimals < 6 && PixelCount(needed, decimals) == PixelCount(budget, decimals)) ++decimals;
  return PixelCount(needed, decimals) + " pixels, more than the " + PixelCount(budget, decimals) +
         " pixels";
}

std::string Size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// The refusal of an image that would take the background images past the budget. It names the
// image with its size, the optimized image's size when that is what grows (composite, columns
// by rows, when given), the pixels needed and the budget, so that the person knows what to
// make smaller.
TImageLoadStatus OverBudget(const std::string& fileName, std::int64_t width, std::int64_t height,
                            const std::int64_t* composite, std::int64_t needed,
                            std::int64_t budget) {
  std::string text =
      "The image " + fileName + " of " + Size(width, height) + " pixels is not loaded: ";
  if (composite)
    text += "with it the optimized image would be " + Size(composite[0], composite[1]) +
            " pixels, and ";
  text += "the images, the optimized image and its blend would need " +
          NeededAndBudget(needed, budget) + " the background images may hold together.";
  return {TImageLoadResult::lrOverBudget, std::move(text)};
}

// Map coordinates, in metres or feet, no real place can have: the earth's circumference is 4e7 m,
// so no projection puts a map a thousand million units from its origin. An image placed there
// is judged on its own, so that it cannot make the images before it look out of place.
constexpr double kMaxWorldCoordinate = 1e9;

bool IsWithinReach(const TWorldRect& r) {
  for (const double v : {r.West, r.East, r.South, r.North})
    if (!(std::abs(v) <= kMaxWorldCoordinate)) return false;
  return true;
}

}  // namespace

TImageLoadStatus TMapImage::AddImage(const std::string& fileName) {
  auto image = std::make_unique<TScalableImage>();
  TImageLimits limits = mLimits;
  const std::int64_t left = std::max<std::int64_t>(0, mPixelBudget - ImagePixels());
  limits.MaxPixels = std::min(limits.MaxPixels, left / 3);
  TImageLoadStatus status = image->LoadFromFile(fileName, mProgress, limits);
  if (!status.IsSuccess()) {
    // An image refused for its pixels alone would fit a map with more room: the person is told
    // the budget. Its composite and blend need at least as many pixels as it has.
    const TDecodeResult& decoded = image->Decoded();
    if (decoded.Fault == TImageFault::ifTooLarge && decoded.Width <= mLimits.MaxSide &&
        decoded.Height <= mLimits.MaxSide)
      return OverBudget(fileName, decoded.Width, decoded.Height, nullptr,
                        ImagePixels() + 3 * decoded.Width * decoded.Height, mPixelBudget);
    return status;
  }
  TImageLoadStatus placed = PlaceImage(std::move(image));
  // A damaged image that is placed keeps its warning.
  return placed.IsSuccess() ? status : placed;
}

TImageLoadStatus TMapImage::PlaceImage(std::unique_ptr<TScalableImage> image) {
  const std::string& fileName = image->FileName();
  const std::string placedBy =
      "The image " + fileName + ", placed by its world file " + GetWorldFileName(fileName) + ",";
  if (!IsWithinReach(image->Extent()))
    return {TImageLoadResult::lrOutOfPlace,
            placedBy + " lies beyond the coordinates the map can hold."};
  const TCompositePlan plan = PlanComposite(image.get());
  if (!(plan.Columns < kMaxCompositeSide && plan.Rows < kMaxCompositeSide))
    return {TImageLoadResult::lrOutOfPlace,
            placedBy + " would make the optimized image too big (more than " +
                std::to_string(kMaxCompositeSide - 1) + " pixels in a direction)."};
  const std::int64_t width = image->Raster().Width(), height = image->Raster().Height();
  // Both sides are below the side limit here, so the product is exact.
  const std::int64_t composite[2] = {std::max<std::int64_t>(1, std::llround(plan.Columns)),
                                     std::max<std::int64_t>(1, std::llround(plan.Rows))};
  const std::int64_t needed = ImagePixels() + width * height + 2 * composite[0] * composite[1];
  if (needed > mPixelBudget)
    return OverBudget(fileName, width, height, composite, needed, mPixelBudget);
  mImages.push_back(std::move(image));
  return {};
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
      if (!status.Message.empty()) report.Warnings.push_back(std::move(status.Message));
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
  ReleaseComposite();
}

void TMapImage::ReleaseComposite() {
  mComposite.Clear();
  mBlended.Clear();
  mPreviewSource.Clear();
  mPreview.Clear();
  mGrid = {};
}

void TMapImage::SetTransparency(int percent) {
  mTransparency = std::clamp(percent, 0, 100);
}

namespace {

void Widen(TWorldRect& extent, const TWorldRect& one, bool first) {
  if (first) {
    extent = one;
    return;
  }
  extent.West = std::min(extent.West, one.West);
  extent.East = std::max(extent.East, one.East);
  extent.South = std::min(extent.South, one.South);
  extent.North = std::max(extent.North, one.North);
}

}  // namespace

TWorldRect TMapImage::ImagesExtent() const {
  TWorldRect extent;
  for (std::size_t i = 0; i < mImages.size(); ++i) Widen(extent, mImages[i]->Extent(), i == 0);
  return extent;
}

TMapImage::TCompositePlan TMapImage::PlanComposite(const TScalableImage* extra) const {
  TWorldRect extent = ImagesExtent();
  double smallestA = std::numeric_limits<double>::infinity(), smallestE = smallestA;
  const auto take = [&](const TScalableImage& image) {
    smallestA = std::min(smallestA, std::fabs(image.Transform().A));
    smallestE = std::min(smallestE, std::fabs(image.Transform().E));
  };
  for (const auto& image : mImages) take(*image);
  if (extra) {
    Widen(extent, extra->Extent(), mImages.empty());
    take(*extra);
  }
  TCompositePlan plan;
  plan.Grid = {extent.West, extent.North, std::max(smallestA, kMinCompositePixel),
               -std::max(smallestE, kMinCompositePixel)};
  // Sizes stay floating point until they are known to fit.
  plan.Columns = std::fabs(Round((extent.East - extent.West) / plan.Grid.PixelWidth));
  plan.Rows = std::fabs(Round((extent.South - extent.North) / plan.Grid.PixelHeight));
  return plan;
}

TWorldRect TMapImage::CompositeExtent() const {
  if (mComposite.Empty()) return {};
  return {mGrid.OriginX, mGrid.OriginY + mComposite.Height() * mGrid.PixelHeight,
          mGrid.OriginX + mComposite.Width() * mGrid.PixelWidth, mGrid.OriginY};
}

TImageLoadStatus TMapImage::BuildComposite() {
  const int n = Count();
  // The composite of no images is none: what the last image removed was shown in goes too,
  // rather than holding the memory of a picture that nothing shows.
  if (n == 0) {
    ReleaseComposite();
    return {};
  }
  const int maximum = (n + 1) * 100;
  mProgress.Report(kOptimizingCaption, 0, maximum);
  const TCompositePlan plan = PlanComposite(nullptr);
  const TCompositeGrid& grid = plan.Grid;
  const double columns = std::max(1.0, plan.Columns), rows = std::max(1.0, plan.Rows);
  const TImageLoadStatus tooLarge{TImageLoadResult::lrCompositeTooLarge, kImageTooBigText};
  // The negated tests refuse NaN too. The budget holds the images, the composite and its
  // blend; the blend of the old composite goes before the new one is made.
  if (!(columns < kMaxCompositeSide && rows < kMaxCompositeSide)) return tooLarge;
  if (!(static_cast<double>(ImagePixels()) + 2 * columns * rows <=
        static_cast<double>(mPixelBudget)))
    return tooLarge;
  mBlended.Clear();
  TImageRaster next;
  const TRGBA background = ColorToRGBA(mColor);
  // The composite is opaque: three bytes a pixel.
  if (!next.Allocate(static_cast<std::int64_t>(columns), static_cast<std::int64_t>(rows), mLimits,
                     background, TPixelFormat::pfRGB)
           .IsSuccess())
    return tooLarge;
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
    if (!mBlended
             .Allocate(mComposite.Width(), mComposite.Height(), mLimits, {}, TPixelFormat::pfRGB)
             .IsSuccess())
      return;
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

void TMapImage::CropToWindow(const TWorldRect& window, int maxColumns, int maxRows) {
  mPreviewSource.Clear();
  mPreview.Clear();
  const TPixelRect source = SourceRect(window);
  const std::int64_t width = std::int64_t{source.Right} - source.Left;
  const std::int64_t height = std::int64_t{source.Bottom} - source.Top;
  if (width <= 0 || height <= 0) return;
  // The preview is drawn into the map's window, so it needs no more pixels than the window
  // has: a copy at the composite's resolution would hold an orthophoto twice over.
  const std::int64_t columns = std::min<std::int64_t>(width, std::max(1, maxColumns));
  const std::int64_t rows = std::min<std::int64_t>(height, std::max(1, maxRows));
  if (!mPreviewSource.Allocate(columns, rows, mLimits, ColorToRGBA(mColor), TPixelFormat::pfRGB)
           .IsSuccess())
    return;
  if (!mPreview.Allocate(columns, rows, mLimits, {}, TPixelFormat::pfRGB).IsSuccess()) {
    mPreviewSource.Clear();
    return;
  }
  // Each preview pixel takes the composite pixel under its centre; at full size that is the
  // pixel itself.
  for (std::int64_t r = 0; r < rows; ++r) {
    const std::int64_t y = source.Top + (2 * r + 1) * height / (2 * rows);
    if (y < 0 || y >= mComposite.Height()) continue;
    for (std::int64_t c = 0; c < columns; ++c) {
      const std::int64_t x = source.Left + (2 * c + 1) * width / (2 * columns);
      if (x >= 0 && x < mComposite.Width())
        mPreviewSource.Set(static_cast<int>(c), static_cast<int>(r),
                           mComposite.At(static_cast<int>(x), static_cast<int>(y)));
    }
  }
}

const TImageRaster& TMapImage::BlendPreview(int percent) {
  BlendRaster(mPreviewSource, mPreview, percent, mColor);
  return mPreview;
}

}  // namespace aqv

#pragma once

#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart/Color.h"
#include "map/ImageRaster.h"
#include "map/WorldFileReader.h"
#include "model/AQVElements.h"

namespace aqv {

// Result codes of loading an image and of building the composite; the values are the ones
// the callers test for.
enum class TImageLoadResult : int {
  lrSuccess = 0,
  lrFileNotFound = -1,       // the image file does not exist
  lrDecodeFailed = -2,       // the image does not decode, or is too large to hold
  lrNoWorldFileName = -3,    // an extension without world-file name or loader
  lrWorldFileNotFound = -4,  // the world file does not exist
  lrZeroPixelSize = -5,      // A or E is 0, or the transform is singular
  lrCompositeTooLarge = -6,  // the composite would be too large
  lrWorldFileInvalid = -7,   // a world-file line is not a finite number
  lrCancelled = -8,          // the person cancelled the work
  lrOverBudget = -9,         // the images would need more pixels than the map may hold
  lrOutOfPlace = -10         // the world file places the image where no composite can hold it
};

// What the person is told whenever the composite cannot be built.
inline constexpr const char* kImageTooBigText =
    "The optimized image would become too big. No background images available.";

// A short description of the code for messages and logs.
std::string_view ToText(TImageLoadResult result);

struct [[nodiscard]] TImageLoadStatus {
  TImageLoadResult Code = TImageLoadResult::lrSuccess;
  // Names the file and what went wrong; on success empty, or a warning (a damaged image
  // that shows only its readable part).
  std::string Message;
  bool IsSuccess() const { return Code == TImageLoadResult::lrSuccess; }
};

// A rectangle in world coordinates (stored length units); north > south.
struct TWorldRect {
  double West = 0, South = 0, East = 0, North = 0;
  friend bool operator==(const TWorldRect&, const TWorldRect&) = default;
};

// A rectangle of raster pixels, left/top inclusive, right/bottom exclusive; may reach past the
// raster when the world rectangle does.
struct TPixelRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TPixelRect&, const TPixelRect&) = default;
};

// The part of a world window that a composite covers: the source in composite pixels
// (fractional, clipped to the composite) and where it goes, as fractions 0..1 of the window's
// width and height measured from its west and north edges.
struct TWindowPart {
  double SourceLeft = 0, SourceTop = 0, SourceRight = 0, SourceBottom = 0;
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The pixel grid of a composite: origin at the west-north corner, PixelWidth world units per
// column (positive) and PixelHeight per row (negative).
struct TCompositeGrid {
  double OriginX = 0, OriginY = 0;
  double PixelWidth = 0, PixelHeight = 0;
};

// One georeferenced background image: its decoded raster and the world-file transform that
// places it. Owned by a TMapImage.
class TScalableImage {
 public:
  // Reads the image's world file into the transform: 0, -3, -4, -5 or -7. With fewer than six
  // lines the defaults stay and the result is 0.
  TImageLoadStatus ReadWorldFile(const std::string& imageFileName);
  // Reads the world file and decodes the image by its extension (.bmp, .png, .gif, .jpg/.jpeg,
  // .tif/.tiff, any letter case); makes the image visible. Any code of TImageLoadResult but -6.
  TImageLoadStatus LoadFromFile(const std::string& fileName, const TImageProgress& progress = {},
                                const TImageLimits& limits = {});
  // How the last decode ended; dsTooLarge tells a refusal for size from a damaged file, and
  // then Width and Height give the size the file declares.
  const TDecodeResult& Decoded() const { return mDecoded; }

  // The pixel that covers a world point; false without a raster or when the point lies
  // outside it.
  bool WorldToPixel(double x, double y, int& column, int& row) const;
  // The world rectangle spanned by the raster's four corners.
  TWorldRect Extent() const;
  // Draws the raster into composite (laid out by grid), each composite pixel taking the image
  // pixel under its centre; alpha mixes with what is there. Reports "Optimizing images" at
  // progressBase + row percentage of progressMaximum and stops early, returning false, when
  // progress is cancelled. Allocates nothing.
  bool DrawOnCanvas(TImageRaster& composite, const TCompositeGrid& grid,
                    const TImageProgress& progress, int progressBase, int progressMaximum) const;

  const std::string& FileName() const { return mFileName; }
  const TImageRaster& Raster() const { return mRaster; }
  const TWorldTransform& Transform() const { return mTransform; }
  void SetTransform(const TWorldTransform& transform) { mTransform = transform; }
  // Gives the image a raster directly (tests and callers that decode themselves).
  void SetRaster(TImageRaster raster) { mRaster = std::move(raster); }
  bool Visible() const { return mVisible; }
  void SetVisible(bool visible) { mVisible = visible; }
  // "Retrieved ModelPixelScaleTag value: ..." for a TIFF with a model pixel scale, else empty.
  const std::string& InfoText() const { return mInfoText; }

 private:
  std::string mFileName;
  TImageRaster mRaster;
  TWorldTransform mTransform;
  bool mVisible = true;
  std::string mInfoText;
  TDecodeResult mDecoded;
};

// Outcome of loading a document's list of images.
struct TMapImageLoadReport {
  struct TFailure {
    int Index = 0;  // 0-based index in the list given
    TImageLoadStatus Status;
  };
  std::vector<TFailure> Failures;     // the files that were not loaded, in list order
  std::vector<std::string> Warnings;  // loaded files that are damaged, each naming its file
  bool Cancelled = false;             // the person cancelled; later files were not tried
};

// The background images of one map, merged into one composite raster at the finest pixel size
// of the images and blended with a background colour at a transparency percentage. Owned by
// the map; the map copies the blended raster's part under its window on each paint.
class TMapImage {
 public:
  static constexpr const char* kOptimizingCaption = "Optimizing images";
  static constexpr const char* kLoadingCaption = "Loading images files";
  // No composite side may reach this many pixels.
  static constexpr int kMaxCompositeSide = 25001;
  // Pixels that the decoded images, the composite and its blend may hold together: 1 GiB at
  // the three bytes of an opaque pixel (an image with transparency takes four), which a
  // desktop can spare beside the program. It holds a 10000 x 10000 orthophoto with its
  // composite and blend; a single image takes its pixels three times, so that a header
  // declaring 16384 x 16384 pixels is refused before any memory is taken.
  static constexpr std::int64_t kPixelBudget = (std::int64_t{1} << 30) / 3;

  // Receives progress of loading, composing and blending, and is polled for cancel.
  void SetProgressCallback(TImageProgress progress) { mProgress = std::move(progress); }
  // Limits of every raster, the composite included.
  void SetLimits(const TImageLimits& limits) { mLimits = limits; }

  // The pixel budget of the images, composite and blend together (tests make it small).
  void SetPixelBudget(std::int64_t pixels) { mPixelBudget = pixels; }
  std::int64_t PixelBudget() const { return mPixelBudget; }
  // Pixels held now by the decoded images, the composite and the blend.
  std::int64_t PixelsHeld() const;

  // Loads an image and places it (PlaceImage); on a negative code nothing is added. A decode
  // may use at most a third of what the budget has left, as the composite and its blend need
  // at least as many pixels as the image.
  TImageLoadStatus AddImage(const std::string& fileName);
  // Appends a decoded image when the composite of all images with it stays within the side
  // limit and, with the decoded images and the blend, within the pixel budget: 0, or -10 (an
  // extent that is not finite or too large a composite, naming the world file) or -9 (over the
  // budget, naming the image), and the image is not added.
  TImageLoadStatus PlaceImage(std::unique_ptr<TScalableImage> image);
  // Replaces the images by the files of a document's list, in order, each visible when it is
  // checked. Failed files are left out and reported; a cancel stops the loading.
  TMapImageLoadReport LoadFiles(const TBackgroundFiles& files);
  // Deletes image index (0-based) when it exists, and its raster with it; the composite stays
  // until BuildComposite makes it again.
  void DeleteImage(int index);
  // Sets the visibility of image index and returns it; nullptr for an index out of range.
  TScalableImage* SetImageVisible(int index, bool visible);
  // Deletes every image, and the composite, blend and preview made of them.
  void Clear();
  int Count() const { return static_cast<int>(mImages.size()); }
  const TScalableImage& Image(int index) const {
    return *mImages.at(static_cast<std::size_t>(index));
  }

  // Merges the visible images into a new composite: 0, -6 (too large, over the pixel budget,
  // or no memory) or -8 (cancelled); on failure the previous composite and grid stay. A new
  // composite drops the blend of the old one, which ApplyTransparency must then make again.
  // With no images the composite, blend and preview are given up and the result is 0.
  TImageLoadStatus BuildComposite();
  // Blends the composite with Color at Transparency into the blended raster.
  void ApplyTransparency();

  // Percent 0..100 of background colour in the blend; clamped.
  int Transparency() const { return mTransparency; }
  void SetTransparency(int percent);
  // The background colour ($00BBGGRR; a system colour must be resolved by the caller).
  TColor Color() const { return mColor; }
  void SetColor(TColor color) { mColor = color; }

  bool HasComposite() const { return !mComposite.Empty(); }
  const TImageRaster& Composite() const { return mComposite; }
  // Empty until ApplyTransparency blends the current composite.
  const TImageRaster& Blended() const { return mBlended; }
  const TCompositeGrid& Grid() const { return mGrid; }
  // The world rectangle the composite covers; all zero before the first composite.
  TWorldRect CompositeExtent() const;
  // The world rectangle of all images, visible or not; all zero without images.
  TWorldRect ImagesExtent() const;
  // The composite pixels covering a world rectangle, for copying the blended raster into a
  // window of the map.
  TPixelRect SourceRect(const TWorldRect& window) const;
  // The clipped part of the composite under a world window; false when none is.
  bool WindowPart(const TWorldRect& window, TWindowPart& part) const;

  // Transparency preview: CropToWindow copies the composite's part under a world rectangle
  // (pixels outside the composite get the background colour), at most maxColumns x maxRows
  // pixels (the window's on the screen); BlendPreview blends that copy at percent into the
  // preview raster, which it returns; allocates nothing after the crop.
  void CropToWindow(const TWorldRect& window, int maxColumns = std::numeric_limits<int>::max(),
                    int maxRows = std::numeric_limits<int>::max());
  const TImageRaster& BlendPreview(int percent);
  void Nop() {}

 private:
  // The grid and size (columns, rows; not yet rounded into integers) of the composite of all
  // images and extra, when given.
  struct TCompositePlan {
    TCompositeGrid Grid;
    double Columns = 0, Rows = 0;
  };
  TCompositePlan PlanComposite(const TScalableImage* extra) const;
  void ReleaseComposite();
  std::int64_t ImagePixels() const;

  std::vector<std::unique_ptr<TScalableImage>> mImages;
  std::int64_t mPixelBudget = kPixelBudget;
  TImageProgress mProgress;
  TImageLimits mLimits;
  TImageRaster mComposite;
  TImageRaster mBlended;
  TImageRaster mPreviewSource;
  TImageRaster mPreview;
  TCompositeGrid mGrid;
  int mTransparency = 50;
  TColor mColor = clWhite;
};

// Blends source into target (same size): each channel becomes
// Round((p (100 - percent) + b percent) / 100), halves to even, with p the source channel and
// b the background colour's; alpha becomes 255. Allocates nothing.
void BlendRaster(const TImageRaster& source, TImageRaster& target, int percent, TColor background);

}  // namespace aqv

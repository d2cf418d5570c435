// Fuzzes placing several images by their world files into one composite: the budget and the
// side limit hold for every set that is placed, a placed set always combines (also after an
// image is deleted), and blending and the preview stay inside the composite.
//
// Input: a count byte (1 to 4 images) and a transparency byte, then per image a width byte,
// a height byte (1 to 24 pixels), a flags byte (bit 0 visible), a colour byte, and the world
// file's text up to the next zero byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "map/ScalableImage.h"

namespace {

[[noreturn]] void Stop(const char* why) {
  std::fprintf(stderr, "composite fuzzer: %s\n", why);
  __builtin_trap();
}

// The program's pixel budget scaled down, so that a run tries many sets a second; every rule
// that uses it is the same at any scale.
constexpr std::int64_t kBudget = aqv::TMapImage::kPixelBudget / 16;

class TInput {
 public:
  TInput(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}
  bool Empty() const { return mAt >= mSize; }
  std::uint8_t Byte() { return mAt < mSize ? mData[mAt++] : 0; }
  std::string_view Text() {
    const std::size_t start = mAt;
    while (mAt < mSize && mData[mAt] != 0) ++mAt;
    const std::string_view text(reinterpret_cast<const char*>(mData) + start, mAt - start);
    if (mAt < mSize) ++mAt;
    return text;
  }

 private:
  const std::uint8_t* mData;
  std::size_t mSize;
  std::size_t mAt = 0;
};

std::unique_ptr<aqv::TScalableImage> ReadImage(TInput& in) {
  const int width = 1 + in.Byte() % 24, height = 1 + in.Byte() % 24;
  const bool visible = (in.Byte() & 1) != 0;
  const std::uint8_t colour = in.Byte();
  aqv::TWorldTransform transform;
  const aqv::TWorldFileResult world = aqv::ParseWorldFile(in.Text(), transform);
  if (!world.IsSuccess() && world.Status != aqv::TWorldFileStatus::wsTooShort) return nullptr;
  aqv::TImageRaster raster;
  if (!raster.Allocate(width, height, {}).IsSuccess()) Stop("a small raster refused");
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      raster.Set(x, y,
                 {static_cast<std::uint8_t>(colour + x), static_cast<std::uint8_t>(colour * y),
                  colour, static_cast<std::uint8_t>(colour ^ (x * y))});
  auto image = std::make_unique<aqv::TScalableImage>();
  image->SetRaster(std::move(raster));
  image->SetTransform(transform);
  image->SetVisible(visible);
  return image;
}

void CheckCombines(aqv::TMapImage& map) {
  const aqv::TImageLoadStatus built = map.BuildComposite();
  if (!built.IsSuccess()) Stop("a placed set that does not combine");
  const aqv::TImageRaster& composite = map.Composite();
  if (composite.Width() >= aqv::TMapImage::kMaxCompositeSide ||
      composite.Height() >= aqv::TMapImage::kMaxCompositeSide)
    Stop("a composite past the side limit");
  map.ApplyTransparency();
  if (map.Blended().Width() != composite.Width()) Stop("a blend of another size");
  if (map.PixelsHeld() > kBudget) Stop("more pixels held than the budget");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TInput in(data, size);
  const int count = 1 + in.Byte() % 4;
  aqv::TMapImage map;
  map.SetPixelBudget(kBudget);
  map.SetTransparency(in.Byte() % 101);
  for (int i = 0; i < count && !in.Empty(); ++i) {
    std::unique_ptr<aqv::TScalableImage> image = ReadImage(in);
    if (!image) continue;
    const int before = map.Count();
    const aqv::TImageLoadStatus placed = map.PlaceImage(std::move(image));
    if (map.Count() != before + (placed.IsSuccess() ? 1 : 0)) Stop("a count that disagrees");
    if (!placed.IsSuccess() && placed.Message.empty()) Stop("a refusal without a message");
  }
  if (map.Count() == 0) return 0;
  CheckCombines(map);
  aqv::TWorldRect window = map.CompositeExtent();
  const double wide = (window.East - window.West) / 10, high = (window.North - window.South) / 10;
  window = {window.West - wide, window.South - high, window.East + wide, window.North + high};
  aqv::TWindowPart part;
  if (map.WindowPart(window, part) &&
      (part.SourceLeft < 0 || part.SourceRight > map.Composite().Width() || part.SourceTop < 0 ||
       part.SourceBottom > map.Composite().Height()))
    Stop("a window part outside the composite");
  map.CropToWindow(window);
  (void)map.BlendPreview(50);
  int column = 0, row = 0;
  const aqv::TWorldRect extent = map.Image(0).Extent();
  (void)map.Image(0).WorldToPixel((extent.West + extent.East) / 2,
                                  (extent.South + extent.North) / 2, column, row);
  if (map.Count() > 1) {
    map.DeleteImage(0);
    CheckCombines(map);
  }
  return 0;
}

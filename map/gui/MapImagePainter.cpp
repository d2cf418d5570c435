#include "map/gui/MapImagePainter.h"

#include <QPainter>

namespace aqv {

QImage RasterToQImage(const TImageRaster& raster) {
  if (raster.Empty()) return {};
  return QImage(
      raster.Bytes().data(), raster.Width(), raster.Height(),
      static_cast<qsizetype>(raster.Stride()),
      raster.Format() == TPixelFormat::pfRGB ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
}

void DrawWindow(QPainter& painter, const TMapImage& images, const QRectF& target,
                const TWorldRect& window) {
  TWindowPart part;
  if (images.Blended().Empty() || !images.WindowPart(window, part)) return;
  const QRectF to(
      target.left() + part.Left * target.width(), target.top() + part.Top * target.height(),
      (part.Right - part.Left) * target.width(), (part.Bottom - part.Top) * target.height());
  const QRectF from(part.SourceLeft, part.SourceTop, part.SourceRight - part.SourceLeft,
                    part.SourceBottom - part.SourceTop);
  // Composite pixels stay sharp when enlarged, as aerial photographs are read pixel by pixel.
  const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(to, RasterToQImage(images.Blended()), from);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

}  // namespace aqv

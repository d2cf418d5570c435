#pragma once

#include <QImage>
#include <QRectF>

#include "map/ScalableImage.h"

class QPainter;

namespace aqv {

// A QImage over the raster's pixels without copying them; valid while the raster is neither
// changed nor destroyed. An empty raster gives a null image.
[[nodiscard]] QImage RasterToQImage(const TImageRaster& raster);

// Copies the part of the blended composite that covers the world window (stored length units)
// into target, the window's pixel rectangle on the painter, scaled to fit; the parts of the
// window outside the composite are left as they are. Nothing is drawn without a composite.
void DrawWindow(QPainter& painter, const TMapImage& images, const QRectF& target,
                const TWorldRect& window);

}  // namespace aqv

#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

namespace aqv::test {

// Counts the pixels of image, or of its part inside rect, whose colour match accepts.
template <typename TMatch>
int CountPixels(const QImage& image, TMatch match, QRect rect = {}) {
  rect = rect.isNull() ? image.rect() : rect & image.rect();
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) n += match(image.pixelColor(x, y)) ? 1 : 0;
  return n;
}

// Counts the pixels of exactly colour.
inline int CountColour(const QImage& image, QColor colour, QRect rect = {}) {
  return CountPixels(
      image, [colour](QColor c) { return c.rgb() == colour.rgb(); }, rect);
}

}  // namespace aqv::test

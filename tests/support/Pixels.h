#pragma once

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QObject>
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

// Counts the paintings of the widgets it is installed on: a change that is to be seen must
// bring one about, where a fresh picture of the widget would hide a stale screen.
struct TPaintCounter : QObject {
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    Paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

// Counts the showings of the windows it is installed on: a window shown only during some work
// is gone again afterwards, where its state alone would not tell it was ever there.
struct TShowCounter : QObject {
  int Shows = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    Shows += event->type() == QEvent::Show ? 1 : 0;
    return false;
  }
};

}  // namespace aqv::test

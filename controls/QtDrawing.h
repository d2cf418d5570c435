#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <functional>

#include "chart/Elements.h"
#include "chart/Series.h"

class QPainter;

namespace aqv {

// The RGB value of a colour: a system colour is looked up in the application's palette, clNone
// and clDefault give white (the background they stand for), anything else keeps its low 24 bits.
[[nodiscard]] TColor ColorToRGB(TColor color);
[[nodiscard]] QColor ToQColor(TColor color);
// The colour as the program stores it ($00BBGGRR, alpha dropped).
[[nodiscard]] TColor FromQColor(const QColor& color);

// The file's style ordinals mapped to Qt's styles; the combo boxes keep their own item order.
[[nodiscard]] Qt::BrushStyle ToQtBrushStyle(TBrushStyle style);
[[nodiscard]] Qt::PenStyle ToQtPenStyle(TPenStyle style);

[[nodiscard]] QBrush MakeQBrush(const TBrushData& brush);
[[nodiscard]] QPen MakeQPen(const TPenData& pen);
[[nodiscard]] QFont MakeQFont(const TFontData& font);

// Draws a marker of the given style centred on (x, y), in pixels; half its size either way.
void DrawMarker(QPainter& painter, const TMarkerData& marker, int x, int y);

// Sounds the beep of a refused key or click. Tests replace the sound by a counter.
void ControlBeep();
// Installs a replacement for the sound (an empty function restores it); returns the old one.
std::function<void()> SetControlBeepHandler(std::function<void()> handler);

}  // namespace aqv

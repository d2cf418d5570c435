#include "controls/QtDrawing.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <utility>

namespace aqv {

namespace {

std::function<void()>& BeepHandler() {
  static std::function<void()> handler;
  return handler;
}

// The palette role that stands in for each desktop colour setting (index = low byte).
QColor SystemColor(int index) {
  const QPalette palette = QApplication::palette();
  switch (index) {
    case 1:   // desktop
    case 12:  // application work space
    case 16:  // button shadow
    case 21:  // 3-D dark shadow
      return index == 21 ? palette.color(QPalette::Shadow) : palette.color(QPalette::Dark);
    case 2:  // active caption
    case 13:
    case 29:
      return palette.color(QPalette::Highlight);
    case 14:
      return palette.color(QPalette::HighlightedText);
    case 5:  // window
      return palette.color(QPalette::Base);
    case 7:  // menu text
    case 8:  // window text
      return palette.color(QPalette::Text);
    case 9:
    case 18:  // button text
      return palette.color(QPalette::ButtonText);
    case 17:
      return palette.color(QPalette::Disabled, QPalette::Text);
    case 20:
      return palette.color(QPalette::Light);
    case 22:
      return palette.color(QPalette::Midlight);
    case 23:
      return palette.color(QPalette::ToolTipText);
    case 24:
      return palette.color(QPalette::ToolTipBase);
    case 6:  // window frame
      return palette.color(QPalette::WindowText);
    default:  // menus, borders, captions and button faces
      return palette.color(QPalette::Button);
  }
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault) return clWhite;
  if (IsSystemColor(color)) return FromQColor(SystemColor(color & 0xFF));
  return color & 0xFFFFFF;
}

QColor ToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
  return RGBColor(color.red(), color.green(), color.blue());
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style) {
  switch (style) {
    case TBrushStyle::bsSolid:
      return Qt::SolidPattern;
    case TBrushStyle::bsClear:
      return Qt::NoBrush;
    case TBrushStyle::bsHorizontal:
      return Qt::HorPattern;
    case TBrushStyle::bsVertical:
      return Qt::VerPattern;
    case TBrushStyle::bsFDiagonal:  // lines falling to the right
      return Qt::FDiagPattern;
    case TBrushStyle::bsBDiagonal:  // lines rising to the right
      return Qt::BDiagPattern;
    case TBrushStyle::bsCross:
      return Qt::CrossPattern;
    case TBrushStyle::bsDiagCross:
      return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
  switch (style) {
    case TPenStyle::psSolid:
    case TPenStyle::psInsideFrame:
      return Qt::SolidLine;
    case TPenStyle::psDash:
      return Qt::DashLine;
    case TPenStyle::psDot:
      return Qt::DotLine;
    case TPenStyle::psDashDot:
      return Qt::DashDotLine;
    case TPenStyle::psDashDotDot:
      return Qt::DashDotDotLine;
    case TPenStyle::psClear:
      return Qt::NoPen;
  }
  return Qt::SolidLine;
}

QBrush MakeQBrush(const TBrushData& brush) {
  return QBrush(ToQColor(brush.Color), ToQtBrushStyle(brush.Style));
}

QPen MakeQPen(const TPenData& pen) {
  QPen result(ToQColor(pen.Color));
  result.setStyle(ToQtPenStyle(pen.Style));
  // Width 0 would be Qt's cosmetic hairline; the program's thinnest line is one pixel.
  result.setWidth(pen.Width < 1 ? 1 : pen.Width);
  result.setCapStyle(Qt::FlatCap);
  result.setJoinStyle(Qt::MiterJoin);
  return result;
}

QFont MakeQFont(const TFontData& font) {
  QFont result(QString::fromStdString(font.Name));
  if (font.Size > 0) result.setPointSize(font.Size);
  result.setBold(font.Style.Contains(TFontStyle::fsBold));
  result.setItalic(font.Style.Contains(TFontStyle::fsItalic));
  result.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
  result.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
  return result;
}

void DrawMarker(QPainter& painter, const TMarkerData& marker, int x, int y) {
  const int h = marker.Size / 2;
  const QColor color = ToQColor(marker.Color);
  painter.save();
  painter.setPen(QPen(color));
  painter.setBrush(QBrush(color));
  switch (marker.Style) {
    case TMarkerStyle::msCircle:
      painter.drawEllipse(QRect(QPoint(x - h, y - h), QPoint(x + h, y + h)));
      break;
    case TMarkerStyle::msCross:
      painter.drawLine(x - h, y - h, x + h, y + h);
      painter.drawLine(x - h, y + h, x + h, y - h);
      break;
    case TMarkerStyle::msHorizontalLine:
      painter.drawLine(x - h, y, x + h, y);
      break;
    case TMarkerStyle::msSquare:
      painter.drawRect(QRect(QPoint(x - h, y - h), QPoint(x + h, y + h)));
      break;
    case TMarkerStyle::msTriangle: {
      const QPolygon triangle({QPoint(x, y - h), QPoint(x - h, y + h), QPoint(x + h, y + h)});
      painter.drawPolygon(triangle);
      break;
    }
    case TMarkerStyle::msVerticalLine:
      painter.drawLine(x, y - h, x, y + h);
      break;
  }
  painter.restore();
}

void ControlBeep() {
  if (BeepHandler()) {
    BeepHandler()();
  } else {
    QApplication::beep();
  }
}

std::function<void()> SetControlBeepHandler(std::function<void()> handler) {
  return std::exchange(BeepHandler(), std::move(handler));
}

}  // namespace aqv

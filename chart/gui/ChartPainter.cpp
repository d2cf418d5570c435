#include "chart/gui/ChartPainter.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "chart/NumberFormat.h"
#include "controls/QtDrawing.h"

namespace aqv {

namespace {

constexpr int kX = 0;
constexpr int kY = 1;
constexpr int kSecondaryY = 2;

const TAxis& AxisOf(const TChartModel& model, int axis) {
  return axis == kX ? model.X_Axis : axis == kY ? model.Y_Axis : model.SecondaryY_Axis;
}

bool Shown(const TChartModel& model, int axis) {
  return model.Axes.Contains(static_cast<TAxisType>(axis));
}

}  // namespace

QFont ChartFont(const TFontData& data) {
  QFont font(QString::fromStdString(data.Name));
  // Points at 96 dots per inch, as the screen of a desktop counts them.
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(std::abs(data.Size) * 96.0 / 72.0))));
  font.setBold(data.Style.Contains(TFontStyle::fsBold));
  font.setItalic(data.Style.Contains(TFontStyle::fsItalic));
  font.setUnderline(data.Style.Contains(TFontStyle::fsUnderline));
  font.setStrikeOut(data.Style.Contains(TFontStyle::fsStrikeOut));
  return font;
}

QPen ChartPen(const TPenData& data) {
  if (data.Style == TPenStyle::psClear || data.Mode == TPenMode::pmNop) return QPen(Qt::NoPen);
  QPen pen = MakeQPen(data);
  if (data.Mode == TPenMode::pmBlack) pen.setColor(Qt::black);
  if (data.Mode == TPenMode::pmWhite) pen.setColor(Qt::white);
  pen.setCapStyle(data.Width > 1 ? Qt::RoundCap : Qt::SquareCap);
  // Round joins look no different from bevelled ones on lines of a few pixels, but stroke a
  // dense curve three times slower.
  pen.setJoinStyle(data.Width > 3 ? Qt::RoundJoin : Qt::BevelJoin);
  return pen;
}

const QFontMetrics& TQtTextMetrics::Metrics(const TFontData& font) {
  if (!mFontData || !(*mFontData == font)) {
    mFontData = font;
    mMetrics.emplace(ChartFont(font));
  }
  return *mMetrics;
}

int TQtTextMetrics::TextHeight(const TFontData& font) {
  return Metrics(font).height();
}

int TQtTextMetrics::TextWidth(const TFontData& font, std::string_view text) {
  return Metrics(font).horizontalAdvance(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

TChartPainter::TChartPainter(QPainter& painter, const TChartModel& model,
                             const TChartLayout& layout, TQtTextMetrics& metrics)
    : mPainter(painter), mModel(model), mLayout(layout), mMetrics(metrics) {}

void TChartPainter::Paint() {
  mPainter.save();
  mPainter.setRenderHint(QPainter::Antialiasing, false);
  mPainter.setRenderHint(QPainter::TextAntialiasing, true);
  DrawChartArea();
  DrawAxes();
  if (mLayout.LegendShown()) DrawLegend();
  DrawTitles();
  DrawSeries();
  mPainter.restore();
}

void TChartPainter::SetPen(const TPenData& pen) {
  mPainter.setPen(ChartPen(pen));
  const bool raster =
      mPainter.paintEngine() && mPainter.paintEngine()->type() == QPaintEngine::Raster;
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  if (raster) {
    switch (pen.Mode) {
      case TPenMode::pmXor:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
      case TPenMode::pmNotXor:
        mode = QPainter::RasterOp_NotSourceXorDestination;
        break;
      case TPenMode::pmNot:
        mode = QPainter::RasterOp_NotDestination;
        break;
      case TPenMode::pmNotCopy:
        mode = QPainter::RasterOp_NotSource;
        break;
      case TPenMode::pmMerge:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
      case TPenMode::pmMask:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
      default:
        break;
    }
  }
  mPainter.setCompositionMode(mode);
}

void TChartPainter::Line(int x1, int y1, int x2, int y2) {
  mPainter.drawLine(x1, y1, x2, y2);
}

// Fills left..right-1 x top..bottom-1 and frames that area with the border pen, so that a
// rectangle of the layout covers exactly its pixels.
void TChartPainter::Rectangle(const TPartRect& r, const TPatternsData& patterns) {
  const int w = r.Right - r.Left;
  const int h = r.Bottom - r.Top;
  if (w <= 0 || h <= 0) return;
  mPainter.fillRect(QRect(r.Left, r.Top, w, h), MakeQBrush(patterns.Area));
  SetPen(patterns.Border);
  mPainter.setBrush(Qt::NoBrush);
  if (mPainter.pen().style() != Qt::NoPen) mPainter.drawRect(r.Left, r.Top, w - 1, h - 1);
  mPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TChartPainter::DrawText(int x, int y, int angle, const std::string& text) {
  const QString s = QString::fromStdString(text);
  const int ascent = mPainter.fontMetrics().ascent();
  if (angle % 360 == 0) {
    mPainter.drawText(QPoint(x, y + ascent), s);
    return;
  }
  mPainter.save();
  mPainter.translate(x, y);
  mPainter.rotate(-angle);
  mPainter.drawText(QPoint(0, ascent), s);
  mPainter.restore();
}

void TChartPainter::DrawChartArea() {
  Rectangle(mModel.ChartArea.Rect(), mModel.ChartArea.Patterns().Data());
}

void TChartPainter::DrawAxes() {
  for (int a = kX; a <= kSecondaryY; ++a)
    if (Shown(mModel, a)) DrawAxis(a);
  // The frame of the plot, whatever axes are drawn.
  const TPlotRect& p = mLayout.Plot();
  SetPen(mModel.X_Axis.Patterns().Border().Data());
  Line(p.Left, p.Bottom, p.Right, p.Bottom);
  Line(p.Left, p.Top, p.Right, p.Top);
  SetPen(mModel.Y_Axis.Patterns().Border().Data());
  Line(p.Left, p.Top, p.Left, p.Bottom);
  Line(p.Right, p.Top, p.Right, p.Bottom);
  mPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TChartPainter::DrawAxis(int a) {
  const TAxis& axis = AxisOf(mModel, a);
  const TScaleData& scale = axis.Scale().Data();
  const TPlotRect& p = mLayout.Plot();
  const TAxisMapping mapping = mLayout.Mapping(a, scale);
  const bool secondaryShown = Shown(mModel, kSecondaryY);
  const TPenData pen = axis.Patterns().Border().Data();
  const QPen gridPen(ToQColor(pen.Color), 1, Qt::DotLine);
  mPainter.setFont(ChartFont(axis.Font().Data()));
  const auto pixelOf = [&](double v, int& pixel) {
    const double offset = mapping.Offset(v);
    if (!std::isfinite(offset)) return false;
    pixel = RoundPixel(a == kX ? p.Left + offset : p.Bottom - offset);
    return true;
  };
  MajorTicks(scale, mapping.Logarithmic, mTicks);
  mLabelBoxes.clear();
  mLabelValues.clear();
  for (const double v : mTicks) {
    int q = 0;
    if (!pixelOf(v, q)) continue;
    if (axis.Grid() && a != kSecondaryY) {
      mPainter.setPen(gridPen);
      if (a == kX)
        Line(q, p.Bottom, q, p.Top);
      else
        Line(p.Left, q, p.Right, q);
    }
    SetPen(pen);
    if (a == kX) {
      Line(q, p.Bottom, q, p.Bottom - 8);
      Line(q, p.Top, q, p.Top + 8);
    } else if (a == kY) {
      Line(p.Left, q, p.Left + 8, q);
      if (!secondaryShown) Line(p.Right, q, p.Right - 8, q);
    } else {
      Line(p.Right, q, p.Right - 8, q);
    }
    AddTickLabel(a, q, v);
  }
  DrawTickLabels(a);
  SetPen(pen);
  MinorTicks(scale, mapping.Logarithmic, mTicks);
  for (const double v : mTicks) {
    int q = 0;
    if (!pixelOf(v, q)) continue;
    if (a == kX) {
      if (q <= p.Left) continue;
      Line(q, p.Bottom, q, p.Bottom - 4);
      Line(q, p.Top, q, p.Top + 4);
    } else if (a == kY) {
      if (q >= p.Bottom) continue;
      Line(p.Left, q, p.Left + 4, q);
      if (!secondaryShown) Line(p.Right, q, p.Right - 4, q);
    } else {
      Line(p.Right, q, p.Right - 4, q);
    }
  }
  mPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TChartPainter::AddTickLabel(int a, int pixel, double value) {
  const TAxis& axis = AxisOf(mModel, a);
  const QFontMetrics& fm = mMetrics.Metrics(axis.Font().Data());
  const int tw = fm.horizontalAdvance(
      QString::fromStdString(FormatTickLabel(value, mMetrics.DecimalSeparator())));
  const int th = fm.height();
  const int angle = axis.Alignment().Orientation();
  int x = 0;
  int y = 0;
  if (!TickLabelOrigin(a, axis.Alignment().Alignment(), angle, pixel, mLayout.Plot(), tw, th, x, y))
    return;
  mLabelBoxes.push_back({x, y, tw, th, angle});
  mLabelValues.push_back(value);
}

void TChartPainter::DrawTickLabels(int a) {
  // Labels run together where ticks lie closer than their texts are wide: every second (third,
  // ...) one is drawn then, so that those shown keep even steps.
  const std::size_t step = TickLabelStep(mLabelBoxes, kTickLabelGap);
  mPainter.setPen(ToQColor(AxisOf(mModel, a).Font().Color()));
  for (std::size_t i = 0; i < mLabelBoxes.size(); i += step) {
    const TTickLabelBox& box = mLabelBoxes[i];
    mDrawnTickLabels.push_back(box);
    DrawText(box.X, box.Y, box.Angle,
             FormatTickLabel(mLabelValues[i], mMetrics.DecimalSeparator()));
  }
}

void TChartPainter::DrawLegend() {
  const TLegend& legend = mModel.Legend;
  const TPartRect& r = legend.Rect();
  Rectangle(r, legend.Patterns().Data());
  mPainter.setFont(ChartFont(legend.Font().Data()));
  const TLegendLayout& grid = legend.Layout();
  const bool columnMajor =
      legend.Placement() == TPlacement::plLeft || legend.Placement() == TPlacement::plRight;
  for (int k = 0; k < mModel.SeriesCount(); ++k) {
    const int column = columnMajor ? k / grid.Rows : k % grid.Columns;
    const int row = columnMajor ? k % grid.Rows : k / grid.Columns;
    if (column >= grid.Columns || row >= grid.Rows) continue;
    const TSeries& series = *mModel.Series(k);
    const int x = r.Left + 8 + grid.ItemWidth * column;
    const int y = r.Top + 8 + grid.RowHeight / 2 + grid.RowHeight * row;
    const TPenData pen = series.Patterns().Border().Data();
    if (pen.Style != TPenStyle::psClear) {
      SetPen(pen);
      Line(x, y, x + 24, y);
      mPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (series.Marker().Size() > 0) DrawMarker(x + 12, y, series.Marker().Data());
    mPainter.setPen(ToQColor(legend.Font().Color()));
    DrawText(x + 32, y - grid.RowHeight / 2, 0, series.DisplayName());
  }
}

void TChartPainter::DrawTitle(const TTitle& title, int x, int y) {
  Rectangle(title.Rect(), title.Patterns().Data());
  mPainter.setFont(ChartFont(title.Font().Data()));
  mPainter.setPen(ToQColor(title.Font().Color()));
  DrawText(x, y, title.Alignment().Orientation(), title.Text());
}

void TChartPainter::DrawTitles() {
  const TTitle& chart = mModel.ChartTitle;
  DrawTitle(chart, chart.Rect().Left + 4, chart.Rect().Top);
  if (Shown(mModel, kX)) {
    const TTitle& t = mModel.X_Axis.Title();
    DrawTitle(t, t.Rect().Left + 4, t.Rect().Top);
  }
  if (Shown(mModel, kY)) {
    const TTitle& t = mModel.Y_Axis.Title();
    DrawTitle(t, t.Rect().Left, t.Rect().Bottom - 4);
  }
  if (Shown(mModel, kSecondaryY)) {
    const TTitle& t = mModel.SecondaryY_Axis.Title();
    DrawTitle(t, t.Rect().Right, t.Rect().Top + 4);
  }
}

void TChartPainter::DrawSeries() {
  for (int i = 0; i < mModel.SeriesCount(); ++i) {
    DrawSeriesLines(i);
    DrawSeriesMarkers(i);
  }
  mPainter.setRenderHint(QPainter::Antialiasing, false);
}

// Consecutive visible points joined into one polyline; an invisible point breaks it, and an
// entering point starts a new one.
void TChartPainter::DrawSeriesLines(int index) {
  const TSeries& series = *mModel.Series(index);
  const TPenData pen = series.Patterns().Border().Data();
  if (pen.Style == TPenStyle::psClear) return;
  SetPen(pen);
  mPainter.setRenderHint(QPainter::Antialiasing, true);
  const auto flush = [&] {
    if (mPolyline.size() > 1) mPainter.drawPolyline(mPolyline);
    mPolyline.clear();
  };
  const auto points = series.Points();
  for (int j = 0; j < static_cast<int>(points.size()); ++j) {
    const TSeriesPoint& pt = points[static_cast<std::size_t>(j)];
    if (!pt.Visible || mLayout.IsEntering(index, j)) flush();
    if (pt.Visible) mPolyline.append(QPoint(pt.PixelX, pt.PixelY));
  }
  flush();
  mPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TChartPainter::DrawSeriesMarkers(int index) {
  const TSeries& series = *mModel.Series(index);
  const TMarkerData marker = series.Marker().Data();
  const bool labels = series.ShowLabels();
  if (marker.Size <= 0 && !labels) return;
  mPainter.setFont(ChartFont(series.Font().Data()));
  const QFontMetrics& fm = mMetrics.Metrics(series.Font().Data());
  const auto points = series.Points();
  QPoint previous(-1000000, -1000000);
  for (int j = 0; j < static_cast<int>(points.size()); ++j) {
    const TSeriesPoint& pt = points[static_cast<std::size_t>(j)];
    if (!pt.Visible || mLayout.IsEntering(index, j)) continue;
    // A marker on the very pixel of the one before adds nothing but darker soft edges.
    const QPoint at(pt.PixelX, pt.PixelY);
    if (marker.Size > 0 && at != previous) DrawMarker(pt.PixelX, pt.PixelY, marker);
    previous = at;
    if (!labels || pt.Label.empty()) continue;
    const int tw = fm.horizontalAdvance(QString::fromStdString(pt.Label));
    const int th = fm.height();
    int x = pt.PixelX - tw / 2;
    int y = pt.PixelY - th / 2;
    switch (series.Alignment().Alignment()) {
      case TMyAlignmentTypes::maBottom:
        y = pt.PixelY;
        break;
      case TMyAlignmentTypes::maLeft:
        x = pt.PixelX - tw;
        break;
      case TMyAlignmentTypes::maRight:
        x = pt.PixelX;
        break;
      case TMyAlignmentTypes::maTop:
        y = pt.PixelY - th;
        break;
      default:
        break;
    }
    mPainter.setPen(ToQColor(series.Font().Color()));
    DrawText(x, y, 0, pt.Label);
  }
}

void TChartPainter::DrawMarker(int x, int y, const TMarkerData& marker) {
  const int h = marker.Size / 2;
  const QColor color = ToQColor(marker.Color);
  mPainter.setPen(QPen(color, 1));
  mPainter.setBrush(color);
  mPainter.setRenderHint(QPainter::Antialiasing, true);
  switch (marker.Style) {
    case TMarkerStyle::msCircle:
      mPainter.drawEllipse(QRect(x - h, y - h, 2 * h, 2 * h));
      break;
    case TMarkerStyle::msCross:
      Line(x - h, y - h, x + h, y + h);
      Line(x - h, y + h, x + h, y - h);
      break;
    case TMarkerStyle::msHorizontalLine:
      Line(x - h, y, x + h, y);
      break;
    case TMarkerStyle::msSquare:
      mPainter.setRenderHint(QPainter::Antialiasing, false);
      mPainter.drawRect(QRect(x - h, y - h, 2 * h, 2 * h));
      break;
    case TMarkerStyle::msTriangle: {
      const QPoint corners[3] = {QPoint(x, y - h), QPoint(x - h, y + h), QPoint(x + h, y + h)};
      mPainter.drawPolygon(corners, 3);
      break;
    }
    case TMarkerStyle::msVerticalLine:
      Line(x, y - h, x, y + h);
      break;
  }
  mPainter.setBrush(Qt::NoBrush);
}

}  // namespace aqv

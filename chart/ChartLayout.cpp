#include "chart/ChartLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "chart/NumberFormat.h"

namespace aqv {

namespace {

constexpr int kX = 0;
constexpr int kY = 1;
constexpr int kSecondaryY = 2;

double Radians(int degrees) {
  return degrees * std::numbers::pi / 180.0;
}

bool Shown(const TChartModel& model, TAxisType axis) {
  return model.Axes.Contains(axis);
}

TAxis& AxisOf(TChartModel& model, int axis) {
  return axis == kX ? model.X_Axis : axis == kY ? model.Y_Axis : model.SecondaryY_Axis;
}

// The vertical axis a series is drawn against.
int VerticalAxisOf(const TSeries& series) {
  return series.Range().YAxis() == 2 ? kSecondaryY : kY;
}

}  // namespace

int RoundPixel(double value) {
  const double r = std::nearbyint(value);
  if (!(r > -1e9)) return -1000000000;
  if (!(r < 1e9)) return 1000000000;
  return static_cast<int>(r);
}

bool TickLabelOrigin(int axis, TMyAlignmentTypes alignment, int angle, int pixel,
                     const TPlotRect& plot, int tw, int th, int& x, int& y) {
  const double c = std::cos(Radians(angle));
  const double s = std::sin(Radians(angle));
  const bool flat = angle < 1 || angle >= 360;
  // A rotated label whose end (ends) or start lies at the reference point (x0, y0).
  const auto rotated = [&](double x0, double y0, bool ends) {
    x = RoundPixel(x0 - th * s / 2 - (ends ? tw * c : 0));
    y = RoundPixel(y0 - th * c / 2 + (ends ? tw * s : 0));
  };
  const auto flatY = [&] {
    if (alignment == TMyAlignmentTypes::maLeft) return pixel - th;
    if (alignment == TMyAlignmentTypes::maRight) return pixel;
    return pixel - th / 2;
  };
  if (axis == kX) {
    const int y0 = plot.Bottom + 16;
    if (!flat) {
      rotated(pixel, y0, angle <= 180);
      return true;
    }
    y = y0;
    switch (alignment) {
      case TMyAlignmentTypes::maCenter:
        x = pixel - tw / 2;
        return true;
      case TMyAlignmentTypes::maLeft:
        x = pixel;
        return true;
      case TMyAlignmentTypes::maRight:
        x = pixel - tw;
        return true;
      default:
        return false;
    }
  }
  if (axis == kY) {
    const int x0 = plot.Left - 16;
    if (flat) {
      x = x0 - tw;
      y = flatY();
    } else {
      rotated(x0, pixel, angle < 90 || angle >= 270);
    }
    return true;
  }
  const int x0 = plot.Right + 16;
  if (flat) {
    x = x0;
    y = flatY();
  } else {
    rotated(x0, pixel, !(angle <= 90 || angle > 270));
  }
  return true;
}

bool TickLabelsCrowd(const TTickLabelBox& drawn, const TTickLabelBox& next, int gap) {
  // Right angles come out exact, so that boxes exactly gap apart never crowd by a rounding.
  const auto exact = [](double v) { return std::abs(v) < 1e-12 ? 0.0 : v; };
  const double c = exact(std::cos(Radians(drawn.Angle)));
  const double s = exact(std::sin(Radians(drawn.Angle)));
  const auto overlap = [gap](double from1, int length1, double from2, int length2) {
    return from1 < from2 + length2 + gap && from2 < from1 + length1 + gap;
  };
  // The text runs along (c, -s) on the screen, whose y grows downward, and its lines stack
  // along (s, c); a box spans its width along the first and its height along the second from
  // its corner's projection.
  return overlap(drawn.X * c - drawn.Y * s, drawn.Width, next.X * c - next.Y * s, next.Width) &&
         overlap(drawn.X * s + drawn.Y * c, drawn.Height, next.X * s + next.Y * c, next.Height);
}

std::size_t TickLabelStep(const std::vector<TTickLabelBox>& boxes, int gap) {
  // Labels follow their ticks along the axis, so a label clear of the one a step before is clear
  // of all before it; only neighbours in the thinned row need a look.
  const auto clear = [&](std::size_t step) {
    for (std::size_t i = 0; i + step < boxes.size(); i += step)
      if (TickLabelsCrowd(boxes[i], boxes[i + step], gap)) return false;
    return true;
  };
  std::size_t step = 1;
  while (step < boxes.size() && !clear(step)) ++step;
  return step;
}

int MaxTickLabelWidth(const TAxis& axis, bool logarithmic, TTextMetrics& metrics,
                      std::vector<double>& ticks) {
  MajorTicks(axis.Scale().Data(), logarithmic, ticks);
  int widest = 0;
  for (const double v : ticks)
    widest = std::max(widest, metrics.TextWidth(axis.Font().Data(),
                                                FormatTickLabel(v, metrics.DecimalSeparator())));
  return widest;
}

bool CalcLegendLayout(TChartModel& model, TTextMetrics& metrics, int width, int height) {
  TLegend& legend = model.Legend;
  const TPlacement placement = legend.Placement();
  const int count = model.SeriesCount();
  if (placement == TPlacement::plNone || count <= 0) return false;
  const bool side = placement == TPlacement::plLeft || placement == TPlacement::plRight;
  const int across = side ? width / 2 : width - 128;
  const int down = side ? height - 128 : height / 2;
  // A drawing too small for one entry has no legend: the grid below would divide by zero.
  if (across <= 0 || down <= 0) return false;
  int widest = 0;
  for (int i = 0; i < count; ++i)
    widest =
        std::max(widest, metrics.TextWidth(legend.Font().Data(), model.Series(i)->DisplayName()));
  TLegendLayout& layout = legend.Layout();
  layout.ItemWidth = std::min(widest + 40, across);
  layout.Columns = across / layout.ItemWidth;
  layout.RowHeight = std::min(metrics.TextHeight(legend.Font().Data()) + 8, down);
  if (layout.RowHeight <= 0) return false;
  layout.Rows = down / layout.RowHeight;
  if (layout.Columns * layout.Rows <= count) return true;
  if (side) {
    layout.Rows = std::min(layout.Rows, count);
    layout.Columns = (count + layout.Rows - 1) / layout.Rows;
  } else {
    layout.Columns = std::min(layout.Columns, count);
    layout.Rows = (count + layout.Columns - 1) / layout.Columns;
  }
  return true;
}

void TChartLayout::Calc(TChartModel& model, TTextMetrics& metrics, int width, int height) {
  mWidth = width;
  mHeight = height;
  ScaleAxes(model);
  model.ChartArea.Rect() = {0, width, 0, height};
  mLegendShown = CalcLegendLayout(model, metrics, width, height);
  PlaceTitleAndLegend(model, metrics);
  PlaceAxes(model, metrics);
  PlaceAxisTitles(model, metrics);
  StoreFactors(model);
  PlaceLegendFinally(model);
  PlacePoints(model);
}

void TChartLayout::ScaleAxes(TChartModel& model) {
  std::array<TScaleExtents, kAxisCount> extents;
  for (int i = 0; i < model.SeriesCount(); ++i) {
    const TSeries& s = *model.Series(i);
    if (s.MinXExtent().Index >= 0) extents[kX].Take(s.GetMinX(), s.GetMaxX());
    if (s.MinYExtent().Index >= 0) extents[VerticalAxisOf(s)].Take(s.GetMinY(), s.GetMaxY());
  }
  const TAxisType kinds[kAxisCount] = {TAxisType::saX, TAxisType::saY, TAxisType::saSecondaryY};
  for (int a = 0; a < kAxisCount; ++a) {
    TScale& scale = AxisOf(model, a).Scale();
    AutoScale(scale, kinds[a], model.SeriesCount() > 0, extents[a]);
    mLogDrawable[a] = IsLogDrawable(scale.Data());
    mLogWarning[a] = Shown(model, kinds[a]) && scale.LogScale() && !mLogDrawable[a];
  }
}

// The chart title at the top and the legend where the previous layout put the axes.
void TChartLayout::PlaceTitleAndLegend(TChartModel& model, TTextMetrics& metrics) {
  const TPartRect& area = model.ChartArea.Rect();
  TTitle& title = model.ChartTitle;
  TPartRect& t = title.Rect();
  const int tw = metrics.TextWidth(title.Font().Data(), title.Text());
  t.Top = 32;
  t.Bottom = t.Top + metrics.TextHeight(title.Font().Data());
  const int areaWidth = area.Right - area.Left;
  switch (title.Alignment().Alignment()) {
    case TMyAlignmentTypes::maCenter:
      t.Left = (areaWidth - tw - 8) / 2;
      t.Right = (areaWidth + tw + 8) / 2;
      break;
    case TMyAlignmentTypes::maLeft:
      t.Left = 32;
      t.Right = t.Left + tw + 8;
      break;
    case TMyAlignmentTypes::maRight:
      t.Right = area.Right - 32;
      t.Left = t.Right - tw - 8;
      break;
    default:
      break;
  }
  if (!mLegendShown) return;
  const TLegendLayout& grid = model.Legend.Layout();
  mLegendWidth = grid.Columns * grid.ItemWidth + 8;
  mLegendHeight = grid.Rows * grid.RowHeight + 8;
  TPartRect& l = model.Legend.Rect();
  switch (model.Legend.Placement()) {
    case TPlacement::plBottom:
      l.Bottom = area.Bottom - 32;
      l.Top = l.Bottom - mLegendHeight;
      l.Left = model.X_Axis.Rect().Left;
      l.Right = l.Left + mLegendWidth;
      break;
    case TPlacement::plLeft:
      l.Left = area.Left + 32;
      l.Right = l.Left + mLegendWidth;
      l.Top = model.Y_Axis.Rect().Top;
      l.Bottom = l.Top + mLegendHeight;
      break;
    case TPlacement::plRight:
      l.Right = area.Right - 8;
      l.Left = l.Right - mLegendWidth;
      l.Top = model.Y_Axis.Rect().Top;
      l.Bottom = l.Top + mLegendHeight;
      break;
    case TPlacement::plTop:
      l.Top = t.Bottom + 32;
      l.Bottom = l.Top + mLegendHeight;
      l.Left = model.X_Axis.Rect().Left;
      l.Right = l.Left + mLegendWidth;
      break;
    default:
      break;
  }
}

// Axis titles at the edges, the tick-label bands inside them, and the plot between the bands.
void TChartLayout::PlaceAxes(TChartModel& model, TTextMetrics& metrics) {
  const TPartRect& area = model.ChartArea.Rect();
  const TPartRect& legend = model.Legend.Rect();
  const TPlacement placement = model.Legend.Placement();
  const bool legendAt[5] = {mLegendShown && placement == TPlacement::plBottom, false,
                            mLegendShown && placement == TPlacement::plLeft,
                            mLegendShown && placement == TPlacement::plRight,
                            mLegendShown && placement == TPlacement::plTop};
  const auto at = [&](TPlacement p) { return legendAt[static_cast<int>(p)]; };
  const int bottomEdge = (at(TPlacement::plBottom) ? legend.Top : area.Bottom) - 32;
  const int leftEdge = at(TPlacement::plLeft) ? legend.Right + 32 : 32;
  const int rightEdge = (at(TPlacement::plRight) ? legend.Left : area.Right) - 32;
  const auto band = [&](int a, bool vertical) {
    TAxis& axis = AxisOf(model, a);
    const double angle = Radians(axis.Alignment().Orientation());
    const double l = MaxTickLabelWidth(axis, mLogDrawable[a], metrics, mTicks);
    const double h = metrics.TextHeight(axis.Font().Data());
    return vertical ? RoundPixel(std::fabs(std::cos(angle) * l) + std::fabs(h * std::sin(angle)))
                    : RoundPixel(std::fabs(std::sin(angle) * l) + std::fabs(h * std::cos(angle)));
  };
  TPartRect& x = model.X_Axis.Rect();
  TPartRect& y = model.Y_Axis.Rect();
  TPartRect& y2 = model.SecondaryY_Axis.Rect();
  if (Shown(model, TAxisType::saX)) {
    TPartRect& t = model.X_Axis.Title().Rect();
    t.Bottom = bottomEdge;
    t.Top = t.Bottom - metrics.TextHeight(model.X_Axis.Title().Font().Data());
    x.Top = t.Top - 24 - band(kX, false);
    x.Bottom = t.Top - 8;
  } else {
    x.Top = x.Bottom = bottomEdge;
  }
  if (Shown(model, TAxisType::saY)) {
    TPartRect& t = model.Y_Axis.Title().Rect();
    t.Left = leftEdge;
    t.Right = t.Left + metrics.TextHeight(model.Y_Axis.Title().Font().Data());
    y.Left = t.Right + 8;
    y.Right = t.Right + 24 + band(kY, true);
  } else {
    y.Left = y.Right = leftEdge;
  }
  if (Shown(model, TAxisType::saSecondaryY)) {
    TPartRect& t = model.SecondaryY_Axis.Title().Rect();
    t.Right = rightEdge;
    t.Left = t.Right - metrics.TextHeight(model.SecondaryY_Axis.Title().Font().Data());
    y2.Left = t.Left - 24 - band(kSecondaryY, true);
    y2.Right = t.Left - 8;
  } else {
    y2.Left = y2.Right = rightEdge;
  }
  x.Left = y.Right;
  x.Right = y2.Left;
  y.Bottom = y2.Bottom = x.Top;
  y.Top = y2.Top = at(TPlacement::plTop) ? legend.Bottom + 32 : model.ChartTitle.Rect().Bottom + 32;
  mPlot = {y.Right, x.Right, y.Top, x.Top};
}

void TChartLayout::PlaceAxisTitles(TChartModel& model, TTextMetrics& metrics) {
  // Centres (or aligns) a title of length tw + 8 between low and high.
  const auto along = [](TMyAlignmentTypes alignment, int low, int high, int tw, bool lowFirst,
                        int& first, int& second) {
    switch (alignment) {
      case TMyAlignmentTypes::maCenter:
        first = (low + high - tw - 8) / 2;
        second = (low + high + tw + 8) / 2;
        break;
      case TMyAlignmentTypes::maLeft:
        if (lowFirst) {
          first = low;
          second = first + tw + 8;
        } else {
          second = high;
          first = second - tw - 8;
        }
        break;
      case TMyAlignmentTypes::maRight:
        if (lowFirst) {
          second = high;
          first = second - tw - 8;
        } else {
          first = low;
          second = first + tw + 8;
        }
        break;
      default:
        break;
    }
  };
  const auto width = [&](const TTitle& t) { return metrics.TextWidth(t.Font().Data(), t.Text()); };
  if (Shown(model, TAxisType::saX)) {
    TTitle& t = model.X_Axis.Title();
    along(t.Alignment().Alignment(), mPlot.Left, mPlot.Right, width(t), true, t.Rect().Left,
          t.Rect().Right);
  }
  // The Y title reads upward, so its start (left alignment) is at the bottom.
  if (Shown(model, TAxisType::saY)) {
    TTitle& t = model.Y_Axis.Title();
    const TPartRect& axis = model.Y_Axis.Rect();
    along(t.Alignment().Alignment(), axis.Top, axis.Bottom, width(t), false, t.Rect().Top,
          t.Rect().Bottom);
  }
  if (Shown(model, TAxisType::saSecondaryY)) {
    TTitle& t = model.SecondaryY_Axis.Title();
    const TPartRect& axis = model.SecondaryY_Axis.Rect();
    along(t.Alignment().Alignment(), axis.Top, axis.Bottom, width(t), true, t.Rect().Top,
          t.Rect().Bottom);
  }
}

void TChartLayout::StoreFactors(TChartModel& model) {
  for (int a = 0; a < kAxisCount; ++a) {
    const TAxis& axis = AxisOf(model, a);
    const TScaleData& s = axis.Scale().Data();
    if (s.Max == s.Min) continue;
    const TPartRect& r = axis.Rect();
    const double length = a == kX ? r.Right - r.Left : r.Bottom - r.Top;
    mLinearFactor[a] = length / (s.Max - s.Min);
    if (mLogDrawable[a]) mLogFactor[a] = length / (std::log10(s.Max) - std::log10(s.Min));
  }
}

void TChartLayout::PlaceLegendFinally(TChartModel& model) {
  if (!mLegendShown) return;
  TPartRect& l = model.Legend.Rect();
  switch (model.Legend.Placement()) {
    case TPlacement::plBottom:
    case TPlacement::plTop:
      l.Left = model.X_Axis.Rect().Left;
      l.Right = l.Left + mLegendWidth;
      break;
    case TPlacement::plLeft:
    case TPlacement::plRight:
      l.Top = model.Y_Axis.Rect().Top;
      l.Bottom = l.Top + mLegendHeight;
      break;
    default:
      break;
  }
}

TAxisMapping TChartLayout::Mapping(int axis, const TScaleData& scale) const {
  TAxisMapping m;
  m.Logarithmic = mLogDrawable[axis];
  m.Min = scale.Min;
  m.LogMin = m.Logarithmic ? std::log10(scale.Min) : 0.0;
  m.Factor = m.Logarithmic ? mLogFactor[axis] : mLinearFactor[axis];
  return m;
}

bool TChartLayout::IsEntering(int series, int point) const {
  if (series < 0 || series >= kMaxSeriesCount) return false;
  const std::vector<char>& flags = mEntering[static_cast<std::size_t>(series)];
  return point >= 0 && point < static_cast<int>(flags.size()) &&
         flags[static_cast<std::size_t>(point)] != 0;
}

}  // namespace aqv

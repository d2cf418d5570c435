#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QToolTip>

#include "chart/NumberFormat.h"
#include "chart/gui/ChartDialogs.h"
#include "chart/gui/ChartPopupMenu.h"
#include "chart/gui/MyChart.h"

namespace aqv {

namespace {

bool Contains(const TPartRect& r, QPoint pos) {
  return r.Left <= pos.x() && pos.x() <= r.Right && r.Top <= pos.y() && pos.y() <= r.Bottom;
}

const char* PartHint(TChartPart part) {
  switch (part) {
    case TChartPart::cpChartArea:
      return "Chart area";
    case TChartPart::cpChartTitle:
      return "Chart title";
    case TChartPart::cpLegend:
      return "Legend";
    case TChartPart::cpXAxis:
      return "X-axis";
    case TChartPart::cpXAxisTitle:
      return "X-axis title";
    case TChartPart::cpYAxis:
      return "Y-axis";
    case TChartPart::cpYAxisTitle:
      return "Y-axis title";
    case TChartPart::cpSecondaryYAxis:
      return "Secondary y-Axis";
    case TChartPart::cpSecondaryYAxisTitle:
      return "Secondary y-axis title";
    default:
      return "";
  }
}

}  // namespace

TChartPart TMyChart::HitTest(QPoint pos) {
  const TChartModel& m = *mModel;
  TChartPart part = TChartPart::cpNone;
  const auto test = [&](const TPartRect& r, TChartPart p) {
    if (Contains(r, pos)) part = p;
  };
  test(m.ChartArea.Rect(), TChartPart::cpChartArea);
  test(m.ChartTitle.Rect(), TChartPart::cpChartTitle);
  // Parts that the last drawing left out keep old rectangles; they are not there to hit.
  if (mLayout.LegendShown()) test(m.Legend.Rect(), TChartPart::cpLegend);
  if (m.Axes.Contains(TAxisType::saX)) {
    test(m.X_Axis.Rect(), TChartPart::cpXAxis);
    test(m.X_Axis.Title().Rect(), TChartPart::cpXAxisTitle);
  }
  if (m.Axes.Contains(TAxisType::saY)) {
    test(m.Y_Axis.Rect(), TChartPart::cpYAxis);
    test(m.Y_Axis.Title().Rect(), TChartPart::cpYAxisTitle);
  }
  if (m.Axes.Contains(TAxisType::saSecondaryY)) {
    test(m.SecondaryY_Axis.Rect(), TChartPart::cpSecondaryYAxis);
    test(m.SecondaryY_Axis.Title().Rect(), TChartPart::cpSecondaryYAxisTitle);
  }
  mHoveredPoint = -1;
  for (int i = 0; i < m.SeriesCount(); ++i) {
    const auto points = m.Series(i)->Points();
    for (int j = 0; j < static_cast<int>(points.size()); ++j) {
      const TSeriesPoint& p = points[static_cast<std::size_t>(j)];
      // Only points drawn as points: hidden points keep the pixels of an earlier drawing.
      if (!p.Visible || mLayout.IsEntering(i, j)) continue;
      if (std::abs(p.PixelX - pos.x()) <= 4 && std::abs(p.PixelY - pos.y()) <= 4) {
        ChartUnitState().HoveredSeries = i;
        mHoveredPoint = j;
        return TChartPart::cpSeriesPoint;
      }
    }
  }
  return part;
}

void TMyChart::UpdateHint(TChartPart part) {
  QString hint;
  if (part == TChartPart::cpSeriesPoint) {
    const TSeries& series = *mModel->Series(ChartUnitState().HoveredSeries);
    const char separator = DecimalSeparator();
    const QString name = QString::fromStdString(series.DisplayName());
    hint = name + "\rTime: " +
           QString::fromStdString(FormatTickLabel(series.GetX(mHoveredPoint), separator)) +
           "\rValue: " +
           QString::fromStdString(FormatTickLabel(series.GetY(mHoveredPoint), separator)) + " | " +
           name;
  } else {
    hint = QString::fromLatin1(PartHint(part));
  }
  if (hint == mHint) return;
  mHint = hint;
  // Before "|" the tooltip, after it the status text; without "|" both are the whole hint.
  const qsizetype bar = hint.indexOf('|');
  QString tip = bar < 0 ? hint : hint.left(bar).trimmed();
  const QString status = bar < 0 ? hint : hint.mid(bar + 1).trimmed();
  tip.replace('\r', '\n');
  setToolTip(tip);
  setStatusTip(status);
  QStatusTipEvent event(status);
  QApplication::sendEvent(this, &event);
  if (QToolTip::isVisible()) QToolTip::showText(QCursor::pos(), tip, this);
}

void TMyChart::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  const TChartPart part = HitTest(event->position().toPoint());
  ChartUnitState().HoveredPart = part;
  UpdateHint(part);
}

void TMyChart::ClearSelections() {
  TChartModel& m = *mModel;
  m.ChartTitle.SetSelected(false);
  m.Legend.SetSelected(false);
  for (TAxis* axis : {&m.X_Axis, &m.Y_Axis, &m.SecondaryY_Axis}) {
    axis->SetSelected(false);
    axis->Title().SetSelected(false);
  }
}

void TMyChart::ToggleSelected(TChartPart part) {
  TChartModel& m = *mModel;
  bool now = false;
  const auto toggle = [&now](auto& object) {
    object.SetSelected(!object.Selected());
    now = object.Selected();
  };
  switch (part) {
    case TChartPart::cpChartArea:
      toggle(m.ChartArea);
      break;
    case TChartPart::cpChartTitle:
      toggle(m.ChartTitle);
      break;
    case TChartPart::cpLegend:
      toggle(m.Legend);
      break;
    case TChartPart::cpXAxis:
      toggle(m.X_Axis);
      break;
    case TChartPart::cpXAxisTitle:
      toggle(m.X_Axis.Title());
      break;
    case TChartPart::cpYAxis:
      toggle(m.Y_Axis);
      break;
    case TChartPart::cpYAxisTitle:
      toggle(m.Y_Axis.Title());
      break;
    case TChartPart::cpSecondaryYAxis:
      toggle(m.SecondaryY_Axis);
      break;
    case TChartPart::cpSecondaryYAxisTitle:
      toggle(m.SecondaryY_Axis.Title());
      break;
    case TChartPart::cpSeriesPoint:
      if (TSeries* s = m.Series(ChartUnitState().HoveredSeries)) toggle(*s);
      break;
    default:
      break;
  }
  if (now) ChartUnitState().SelectedPart = part;
}

void TMyChart::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  const TChartPart part = HitTest(event->position().toPoint());
  TChartUnitState& state = ChartUnitState();
  state.HoveredPart = part;
  UpdateHint(part);
  const bool right = event->button() == Qt::RightButton;
  if (right || (event->button() == Qt::LeftButton && part != state.SelectedPart)) ClearSelections();
  state.SelectedPart = TChartPart::cpNone;
  ToggleSelected(part);
  if (!right) return;
  mPopupMenu->Prepare();
  mPopupMenu->popup(event->globalPosition().toPoint());
}

bool TMyChart::RunFormatDialog(int item) {
  TChartModel& m = *mModel;
  TChartDialogs& d = *mDialogs;
  int& page = ChartUnitState().FormatOptionsPageIndex;
  switch (item) {
    case 2:
      return d.ExecuteChartArea(this, m.ChartArea, page, QStringLiteral("Chart area"));
    case 3:
      return d.ExecuteTitle(this, m.ChartTitle, page, QStringLiteral("Chart title"));
    case 4:
      return d.ExecuteLegend(this, m.Legend, page, QStringLiteral("Legend"));
    case 5:
      return d.ExecuteAxis(this, m.X_Axis, page, QStringLiteral("X-axis"));
    case 6:
      return d.ExecuteTitle(this, m.X_Axis.Title(), page, QStringLiteral("X-axis title"));
    case 7:
      return d.ExecuteAxis(this, m.Y_Axis, page, QStringLiteral("Y-axis"));
    case 8:
      return d.ExecuteTitle(this, m.Y_Axis.Title(), page, QStringLiteral("Y-axis title"));
    default:
      break;
  }
  if (item != 9 || m.SeriesCount() == 0) return false;
  QStringList names;
  for (int i = 0; i < m.SeriesCount(); ++i)
    names << QString::fromStdString(m.Series(i)->DisplayName());
  // The last hovered series may since have been deleted: preselect a series that exists.
  int index = std::clamp(ChartUnitState().HoveredSeries, 0, m.SeriesCount() - 1);
  if (!SelectSeries || !SelectSeries(names, index)) return false;
  if (index < 0 || index >= m.SeriesCount()) return false;
  ChartUnitState().HoveredSeries = index;
  TSeries& series = *m.Series(index);
  const bool ok = d.ExecuteSeries(this, series, page, QString::fromStdString(series.DisplayName()));
  LoadSeriesFromGrid(index);
  return ok;
}

void TMyChart::FormatItemClick(int item) {
  const double yMin = mModel->Y_Axis.Scale().Min();
  if (item == 0) {
    if (mPopupMenu->OnSelectCurves) mPopupMenu->OnSelectCurves(mPopupMenu);
  } else if (RunFormatDialog(item)) {
    Changed();
    if (OnFormatChanged) OnFormatChanged();
  }
  if (mModel->Y_Axis.Scale().Min() != yMin) mModel->YMinChangedByUser = true;
}

void TMyChart::ChartOptionsClick() {
  TChartModel& m = *mModel;
  if (mDialogs->ExecuteChartOptions(this, m.Axes, m.Legend, ChartUnitState().ChartOptionsPageIndex,
                                    m.ChartTitle, m.X_Axis.Title(), m.Y_Axis.Title(),
                                    m.SecondaryY_Axis.Title())) {
    Changed();
    if (OnFormatChanged) OnFormatChanged();
  }
}

}  // namespace aqv

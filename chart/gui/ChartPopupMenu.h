#pragma once

#include <QMenu>
#include <functional>

namespace aqv {

class TMyChart;

// The chart's popup menu: "Select curves...", the format items of the chart's parts (captioned
// before every popup) and "Chart options...". Owned by its chart.
class TChartPopupMenu : public QMenu {
  Q_OBJECT

 public:
  explicit TChartPopupMenu(TMyChart* chart);

  TMyChart* Chart() const { return mChart; }
  // Item by position 0..11 (1 and 10 are separators).
  QAction* Item(int position) const;
  // Captions items 2..9 and enables "Series..." only when the chart has series.
  void Prepare();

  // Fired by "Select curves..."; the document window opens its curve selection there.
  std::function<void(TChartPopupMenu* sender)> OnSelectCurves;

 private:
  TMyChart* mChart;
};

}  // namespace aqv

#pragma once

#include <memory>
#include <vector>

#include "chart/Axis.h"
#include "chart/ChartArea.h"
#include "chart/Legend.h"
#include "chart/Series.h"
#include "chart/Title.h"

namespace aqv {

// Everything a time graph holds apart from its window: the format objects of its parts, the
// axes it draws and its series. The chart control draws it; the data file reads and writes its
// formats through it, so a document can be saved and opened without a window. Owns its parts
// and its series.
class TChartModel : public TObject {
 public:
  TChartModel();
  TChartModel(const TChartModel&) = delete;
  TChartModel& operator=(const TChartModel&) = delete;

  TAxisTypes Axes{TAxisType::saX, TAxisType::saY};  // the axes that are drawn
  TChartArea ChartArea;
  TTitle ChartTitle;
  TLegend Legend;
  TAxis X_Axis;
  TAxis Y_Axis;
  TAxis SecondaryY_Axis;
  bool AutoUpdate = false;
  bool YMinChangedByUser = false;

  int SeriesCount() const { return static_cast<int>(mSeries.size()); }
  // Series index from 0; nullptr outside 0..SeriesCount-1.
  TSeries* Series(int index);
  const TSeries* Series(int index) const;
  // Appends a new series with default formats; nullptr when kMaxSeriesCount are there.
  TSeries* AddSeries();
  // Inserts a new series with default formats at index, moving the later ones up; an index
  // outside 0..SeriesCount-1 appends. nullptr when kMaxSeriesCount are there.
  TSeries* InsertSeries(int index);
  // Frees the series at index and closes the gap; nothing outside 0..SeriesCount-1.
  void DeleteSeries(int index);
  void ClearSeries();

 private:
  std::vector<std::unique_ptr<TSeries>> mSeries;
};

}  // namespace aqv

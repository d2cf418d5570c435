#include "chart/ChartModel.h"

namespace aqv {

namespace {

void SetUpAxis(TAxis& axis, TAxisType kind, const char* title, int orientation) {
  axis.SetKind(kind);
  axis.Title().SetText(title);
  axis.Title().Alignment().SetOrientation(orientation);
}

}  // namespace

TChartModel::TChartModel() {
  ChartTitle.SetText("Chart 1");
  ChartTitle.Font().SetName("Arial");
  ChartTitle.Font().SetSize(18);
  SetUpAxis(X_Axis, TAxisType::saX, "X-axis", 0);
  SetUpAxis(Y_Axis, TAxisType::saY, "Y-axis", 90);
  SetUpAxis(SecondaryY_Axis, TAxisType::saSecondaryY, "Secondary Y-axis", 270);
}

TSeries* TChartModel::Series(int index) {
  return index >= 0 && index < SeriesCount() ? mSeries[static_cast<std::size_t>(index)].get()
                                             : nullptr;
}

const TSeries* TChartModel::Series(int index) const {
  return const_cast<TChartModel*>(this)->Series(index);
}

TSeries* TChartModel::AddSeries() {
  if (SeriesCount() >= kMaxSeriesCount) return nullptr;
  mSeries.push_back(std::make_unique<TSeries>());
  return mSeries.back().get();
}

TSeries* TChartModel::InsertSeries(int index) {
  if (SeriesCount() >= kMaxSeriesCount) return nullptr;
  if (index < 0 || index >= SeriesCount()) return AddSeries();
  const auto at = mSeries.insert(mSeries.begin() + index, std::make_unique<TSeries>());
  return at->get();
}

void TChartModel::DeleteSeries(int index) {
  if (index < 0 || index >= SeriesCount()) return;
  mSeries.erase(mSeries.begin() + index);
}

void TChartModel::ClearSeries() {
  mSeries.clear();
}

}  // namespace aqv

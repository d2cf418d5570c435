#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "chart/gui/MyChart.h"

namespace aqv::test {

// A string grid of fixed texts, columns and rows from 0, for series read from a grid.
class TTextGrid final : public TCellGrid {
 public:
  // Rows of texts, each as long as the first.
  explicit TTextGrid(const std::vector<std::vector<std::string>>& rows)
      : mCols(static_cast<int>(rows[0].size())), mRows(static_cast<int>(rows.size())) {
    for (const std::vector<std::string>& row : rows)
      mCells.insert(mCells.end(), row.begin(), row.end());
  }
  int ColCount() const override { return mCols; }
  int RowCount() const override { return mRows; }
  std::string Cells(int col, int row) const override { return mCells[row * mCols + col]; }

 private:
  int mCols;
  int mRows;
  std::vector<std::string> mCells;
};

// Charts that the widget tests draw and look at. Each fills a new chart.

// Straight series from 0 to 10, series i rising (i + 1) * step a unit; three by default.
inline void FillLinear(TMyChart& chart, int count = 3, double step = 0.5) {
  for (int i = 0; i < count; ++i) {
    chart.AddSeries(i);
    for (int j = 0; j <= 10; ++j) chart.AddPoint(i, j, j, (i + 1) * j * step);
  }
}

// Drawdown curves of a pumping test on log-log axes: three computed curves (lines, no markers)
// and two observation wells (markers, no lines), time in days.
inline void FillDrawdown(TMyChart& chart) {
  chart.SetAxisLogScale(true, 0);
  chart.SetAxisLogScale(true, 1);
  chart.SetAxisTitle("Time (d)", 0);
  chart.SetAxisTitle("Drawdown (m)", 1);
  chart.Model().ChartTitle.SetText("Pumping test");
  // Cooper-Jacob drawdown (m) at r m after t days with T = 200 m2/d, S = 1E-4, Q = 500 m3/d.
  const auto drawdown = [](double r, double t) {
    return 500 / (4 * M_PI * 200) * (-0.5772 - std::log(r * r * 1e-4 / (4 * 200 * t)));
  };
  const auto add = [&chart](int i, double t, double s) {
    if (s > 0) chart.AddPoint(i, chart.GetSeries(i)->GetCount(), t, s);
  };
  const double radius[3] = {5, 20, 80};  // m
  for (int i = 0; i < 3; ++i) {
    chart.AddSeries(i);
    chart.SetSeriesName(i, "Well at " + std::to_string(static_cast<int>(radius[i])) + " m");
    chart.GetSeriesMarker(i)->SetSize(0);
    for (int j = 0; j <= 60; ++j) {
      const double t = std::pow(10.0, -3 + j * 0.075);
      add(i, t, drawdown(radius[i], t));
    }
  }
  for (int k = 0; k < 2; ++k) {
    const int i = 3 + k;
    chart.AddSeries(i);
    chart.SetSeriesName(i, k == 0 ? "Observed at 5 m" : "Observed at 20 m");
    chart.GetSeriesPatterns(i)->Border().SetStyle(TPenStyle::psClear);
    chart.GetSeriesMarker(i)->SetColor(chart.GetSeriesPatterns(k)->Border().Color());
    for (int j = 0; j < 15; ++j) {
      const double t = std::pow(10.0, -2.5 + j * 0.25);
      add(i, t, drawdown(k == 0 ? 5 : 20, t) * (1 + 0.03 * std::sin(j)));
    }
  }
}

}  // namespace aqv::test

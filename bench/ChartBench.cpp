// Speed of drawing a time graph offscreen at 1200 x 800: the typical graph of a document (10
// series of 61 points) and the capacity of the chart (128 series of 5000 points), on linear and
// on log-log axes. Each iteration lays out and draws the whole chart into a reused image, as a
// repaint of the control does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "chart/gui/MyChart.h"

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 800;

// Drawdown-like curves rising over five decades of time; every eighth series shows markers.
void Fill(aqv::TMyChart& chart, int seriesCount, int pointCount, bool logLog) {
  chart.SetAxisLogScale(logLog, 0);
  chart.SetAxisLogScale(logLog, 1);
  for (int i = 0; i < seriesCount; ++i) {
    chart.AddSeries(i);
    if (i % 8 != 0) chart.GetSeriesMarker(i)->SetSize(0);
    for (int j = 0; j < pointCount; ++j) {
      const double exponent = -3 + 5.0 * j / (pointCount - 1);
      const double t = logLog ? std::pow(10.0, exponent) : 1 + j;
      const double s = (1 + 0.1 * i) * (1 + 0.3 * (exponent + 3)) + 0.05 * std::sin(j * 0.3);
      chart.AddPoint(i, j, t, s);
    }
  }
}

void DrawChart(benchmark::State& state, int seriesCount, int pointCount) {
  const bool logLog = state.range(0) != 0;
  aqv::TMyChart chart;
  chart.resize(kWidth, kHeight);
  Fill(chart, seriesCount, pointCount, logLog);
  QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&image);
    chart.Draw(painter, kHeight, kWidth);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetLabel(logLog ? "log-log" : "linear");
  state.counters["points"] = static_cast<double>(seriesCount) * pointCount;
}

void BM_DrawTypicalGraph(benchmark::State& state) {
  DrawChart(state, 10, 61);
}
BENCHMARK(BM_DrawTypicalGraph)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DrawFullChart(benchmark::State& state) {
  DrawChart(state, 128, 5000);
}
BENCHMARK(BM_DrawFullChart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Speed of the map: one contour computation of about 7000 nodes (1 well with 2 periods, and 2
// wells with 100 periods each at N = 16), tracing 40 levels, one offscreen drawing at
// 1200 x 800 with and without an 8000 x 8000 background composite, and one animation step
// (computation and drawing).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <memory>

#include "map/Contours.h"
#include "map/DrawdownGrid.h"
#include "map/gui/AQVKaart.h"
#include "model/AQVData.h"

namespace aqv {
namespace {

// A leaky aquifer; wells with the given number of periods, alternating discharges.
TMapModel BenchModel(int wells, int periods, int terms) {
  TMapModel model;
  model.System.AquiferCount = 1;
  model.System.T[1] = 500;
  model.System.S[1] = 2e-4;
  model.System.Resistance.Fill(800.0);
  model.System.SAquitard.Fill(0.0);
  model.System.BottomAquitardImpervious = true;
  model.Weights = ComputeStehfestWeights(terms);
  model.Window = {-1000, 1000, -1000, 1000};  // 110 x 63 nodes
  for (int w = 0; w < wells; ++w) {
    TMapWell well;
    well.Input.X = -300 + 600 * w;
    well.Input.Y = 100 * w;
    well.Input.Rc = 0.1;
    well.Input.Rw = 0.1;
    well.Input.Screened[1] = true;
    well.PeriodCount = periods;
    for (int k = 1; k <= periods; ++k) {
      well.StartTime[k] = 0.05 * (k - 1);
      well.RateStep[k] = k % 2 == 1 ? 800 : -400;
    }
    model.Wells.push_back(well);
  }
  return model;
}

void ContourComputation(benchmark::State& state, int wells, int periods, int terms) {
  const TMapModel model = BenchModel(wells, periods, terms);
  auto grid = std::make_unique<TDrawdownGrid>();
  auto levels = std::make_unique<TContourLevels>();
  TAquiferSystemState work;
  for (auto _ : state) {
    grid->Reset(ComputeGridLayout(model.Window));
    if (!ComputeDrawdownGrid(model, 10.0, *grid, work).IsSuccess()) state.SkipWithError("failed");
    grid->ScaleToDisplay(1.0);
    *levels = ComputeContourLevels(grid->Values(), grid->ValueCount(), {});
    benchmark::DoNotOptimize(levels->Count);
  }
  state.counters["nodes"] = grid->Layout().NodeCountX * grid->Layout().NodeCountY;
}

void BM_ContoursOneWellTwoPeriods(benchmark::State& state) {
  ContourComputation(state, 1, 2, 10);
}
BENCHMARK(BM_ContoursOneWellTwoPeriods)->Unit(benchmark::kMillisecond);

void BM_ContoursTwoWellsHundredPeriodsN16(benchmark::State& state) {
  ContourComputation(state, 2, 100, 16);
}
BENCHMARK(BM_ContoursTwoWellsHundredPeriodsN16)->Unit(benchmark::kMillisecond);

class TCountingSink : public TContourSink {
 public:
  void Segment(int, double x1, double, double, double) override {
    ++Count;
    Sum += x1;
  }
  long Count = 0;
  double Sum = 0;
};

void BM_TraceFortyLevels(benchmark::State& state) {
  const TMapModel model = BenchModel(2, 2, 10);
  auto grid = std::make_unique<TDrawdownGrid>();
  grid->Reset(ComputeGridLayout(model.Window));
  TAquiferSystemState work;
  (void)ComputeDrawdownGrid(model, 10.0, *grid, work);
  grid->ScaleToDisplay(1.0);
  TContourLevels levels = ComputeContourLevels(grid->Values(), grid->ValueCount(), {});
  TContourSettings settings;
  settings.AutoInterval = false;
  settings.Interval = (levels.Max - levels.Min) / 40;
  levels = ComputeContourLevels(grid->Values(), grid->ValueCount(), settings);
  TCountingSink sink;
  for (auto _ : state) {
    TraceContours(*grid, levels, sink);
    benchmark::DoNotOptimize(sink.Sum);
  }
  state.counters["levels"] = levels.Count;
  state.counters["segments"] =
      static_cast<double>(sink.Count) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TraceFortyLevels)->Unit(benchmark::kMillisecond);

// A document with two wells in the window 0..6000 x 0..4000 m, shown at day 1.
struct TDrawingScene {
  TDrawingScene() {
    data.SetPumpingWellCount(2);
    data.PumpingWells[1].X = 2000;
    data.PumpingWells[1].Y = 2000;
    data.PumpingWells[2].X = 4000;
    data.PumpingWells[2].Y = 2500;
    data.PumpingWells[2].Discharge[1] = -600;
    data.SetWorldX2(6000);
    data.SetWorldY2(4000);
    data.SetWorldX1(0);
    data.SetWorldY1(0);
    map.resize(1200, 800);
    map.SetData(&data);
    map.SetTime(1.0);
  }
  TAQVData data;
  TAQVKaart map;
};

void Draw(benchmark::State& state, TDrawingScene& scene) {
  QImage image(1200, 800, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    scene.map.Render(painter, image.rect(), TMapRenderTarget::rtBitmap);
  }
}

void BM_DrawingWithoutBackground(benchmark::State& state) {
  TDrawingScene scene;
  Draw(state, scene);
}
BENCHMARK(BM_DrawingWithoutBackground)->Unit(benchmark::kMillisecond);

// One animation step: the grid at the step's time, its levels, and the picture drawn.
void BM_AnimationStep(benchmark::State& state) {
  TDrawingScene scene;
  scene.data.SetAnimationStartTime(0.1);
  scene.data.SetAnimationEndTime(5);
  scene.data.SetTimeSteps(50);
  QImage image(1200, 800, QImage::Format_RGB32);
  int step = 0;
  for (auto _ : state) {
    scene.map.SetTimeStep(step, false);
    step = (step + 1) % 51;
    QPainter painter(&image);
    scene.map.Render(painter, image.rect(), TMapRenderTarget::rtBitmap);
  }
}
BENCHMARK(BM_AnimationStep)->Unit(benchmark::kMillisecond);

void BM_DrawingOverAnEightThousandPixelBackground(benchmark::State& state) {
  // A coarse image over 8000 x 8000 m and a fine one at 1 m per pixel: the composite takes the
  // finest pixel size and so is 8000 x 8000 pixels.
  QTemporaryDir folder;
  auto image = [&](const char* name, int side, double pixel, double x0, double y0) {
    QImage picture(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) picture.setPixelColor(x, y, QColor(x % 256, y % 256, 128));
    const QString path = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    picture.save(path);
    std::ofstream world(
        folder.filePath(QString::fromLatin1(name) + QStringLiteral(".pgw")).toStdString());
    world << pixel << "\n0\n0\n" << -pixel << "\n" << x0 << "\n" << y0 << "\n";
    return path.toStdString();
  };
  TDrawingScene scene;
  scene.data.BackgroundFiles = {{true, image("coarse", 100, 80, -1000, 7000)},
                                {true, image("fine", 10, 1, 0, 10)}};
  scene.data.ShowBackgroundImages = true;
  (void)scene.map.LoadBackgroundImages();
  if (scene.map.Images().Composite().Width() < 8000) {
    state.SkipWithError("no 8000 pixel composite");
    return;
  }
  state.counters["composite"] = scene.map.Images().Composite().Width();
  Draw(state, scene);
}
BENCHMARK(BM_DrawingOverAnEightThousandPixelBackground)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace aqv

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

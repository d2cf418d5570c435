#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "map/DrawdownGrid.h"
#include "map/HitTest.h"
#include "map/XYZWriter.h"
#include "model/AQVData.h"
#include "tests/map/MapTestModels.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::ComputeGrid;
using test::OneWellMapModel;

struct TXYZLine {
  double X, Y, Z;
  std::string Text;
};

std::vector<TXYZLine> ParseXYZ(const std::string& text) {
  std::vector<TXYZLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    TXYZLine line{0, 0, 0, text.substr(start, end - start)};
    const char* p = line.Text.data();
    const char* e = p + line.Text.size();
    double* fields[3] = {&line.X, &line.Y, &line.Z};
    for (double* field : fields) {
      while (p < e && *p == ' ') ++p;
      p = std::from_chars(p, e, *field).ptr;
    }
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

TEST(XYZ, TenByTenGridGives181LinesOfFixedWidthColumns) {
  TDrawdownGrid grid;
  TGridLayout ten;
  ten.NodeCountX = ten.NodeCountY = 10;
  for (int a = 0; a < 10; ++a) ten.NodeX[a] = ten.NodeY[a] = a * 10.0;
  ten.HalfCellX = ten.HalfCellY = 5;
  grid.Reset(ten);
  grid.Add(grid.Layout().CentreIndex(0, 0), 1.25);
  grid.ScaleToDisplay(2);
  const std::string text = XYZText(grid);
  const std::vector<TXYZLine> lines = ParseXYZ(text);
  ASSERT_EQ(lines.size(), 181u);
  EXPECT_EQ(lines[0].Text, "          0.000           0.000         0.0000000000");
  // Node (0, 0), then the centre of cell (0, 0), then node (0, 1): column by column.
  EXPECT_EQ(lines[1].Text, "         10.000          10.000         2.5000000000");
  // The last row of a column has no centre after it.
  EXPECT_EQ(std::tuple(lines[2].Y, lines[18].Y, lines[19].X), std::tuple(20.0, 180.0, 20.0));
  EXPECT_EQ(std::pair(lines.back().X, lines.back().Y), std::pair(180.0, 180.0));
}

// The engine's point drawdown, summed over the model's wells and periods, at every grid point
// (stored units, the drawn aquifer).
std::vector<double> EngineDrawdowns(const TMapModel& model, double t, const TDrawdownGrid& grid) {
  const int n = grid.ValueCount();
  std::vector<TObservationPointInput> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    points[static_cast<std::size_t>(i)] = {.X = grid.PointX(i) / grid.LengthFactor(),
                                           .Y = grid.PointY(i) / grid.LengthFactor(),
                                           .Layer = model.Layer};
  std::vector<double> sum(static_cast<std::size_t>(n), 0.0), one(sum.size());
  std::vector<TEngineResult> results(sum.size());
  TInversionCache cache;
  for (const TMapWell& well : model.Wells) {
    for (int k = 1; k <= well.PeriodCount; ++k) {
      if (!(well.StartTime[k] < t)) continue;
      PointDrawdowns(model.System, model.Weights, well.Input, well.RateStep[k],
                     t - well.StartTime[k], cache, points, one, results);
      for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += one[i];
    }
  }
  return sum;
}

// Two aquifers joined by an aquitard of 200 days; a well screened in both pumping in three
// periods and a well screened in the lower one only, with well storage and skin, in two.
TMapModel TwoAquifersTwoWells(int layer) {
  TMapModel model = OneWellMapModel(-150, 40);
  model.System.AquiferCount = 2;
  model.System.T[2] = 300;
  model.System.S[2] = 2e-4;
  model.System.Resistance[2] = 200;
  model.Layer = layer;
  TMapWell& a = model.Wells[0];
  a.Input.Rw = 0.2;
  a.Input.Screened[2] = true;
  a.PeriodCount = 3;
  a.StartTime[2] = 0.5;
  a.RateStep[2] = 300;
  a.StartTime[3] = 1.5;
  a.RateStep[3] = -500;
  TMapWell b = a;
  b.Input = {.X = 231, .Y = -312, .Rc = 0.15, .Rw = 0.15, .Skin = 0.01};
  b.Input.Screened[2] = true;
  b.PeriodCount = 2;
  b.RateStep[1] = 700;
  b.StartTime[2] = 2.2;
  b.RateStep[2] = -200;
  model.Wells.push_back(b);
  return model;
}

// Worst relative difference of the grid from the engine within `near` of a well and anywhere;
// points with a drawdown of 1 mm or less are left out (their relative difference only says how
// well a number near zero is known).
struct TWorstDifference {
  double Near = 0, Far = 0, Overall = 0;
};
TWorstDifference WorstDifference(const TMapModel& model, double t, double near) {
  const TDrawdownGrid grid = ComputeGrid(model, t);
  const std::vector<double> expected = EngineDrawdowns(model, t, grid);
  TWorstDifference worst;
  for (int i = 0; i < grid.ValueCount(); ++i) {
    const double e = expected[static_cast<std::size_t>(i)];
    if (std::fabs(e) <= 1e-3) continue;
    const double d = std::fabs(grid.Value(i) - e) / std::fabs(e);
    worst.Overall = std::max(worst.Overall, d);
    bool isNear = false;
    for (const TMapWell& well : model.Wells)
      isNear |= std::hypot(grid.PointX(i) - well.Input.X, grid.PointY(i) - well.Input.Y) < near;
    (isNear ? worst.Near : worst.Far) = std::max(isNear ? worst.Near : worst.Far, d);
  }
  return worst;
}

// Every node and centre of the window, corners included: also early, when the drawdown falls
// off fast inside the window, for a strong well whose 1 mm line lies far out on that fall, and
// for a well whose later injection outweighs its pumping, so the drawdown changes sign.
TEST(DrawdownGrid, EveryPointAgreesWithTheEnginesPointDrawdownAlsoNextToAWell) {
  TMapModel strong = OneWellMapModel(0, 0);
  strong.System.T[1] = 20;
  strong.Wells[0].RateStep[1] = 2000;
  TMapModel injection = OneWellMapModel(120, -80);
  injection.Wells[0].PeriodCount = 2;
  injection.Wells[0].StartTime[2] = 0.8;
  injection.Wells[0].RateStep[2] = -1500;
  const std::tuple<const char*, TMapModel, std::vector<double>> cases[] = {
      {"one aquifer", OneWellMapModel(120, -80), {2.0, 1.0, 0.05}},
      {"upper of two", TwoAquifersTwoWells(1), {3.0, 1.0, 0.05}},
      {"lower of two", TwoAquifersTwoWells(2), {3.0, 1.0, 0.05}},
      {"strong well", strong, {0.2}},
      {"injection", injection, {1.0}}};
  for (const auto& [name, model, times] : cases)
    for (const double time : times) {
      const TWorstDifference worst = WorstDifference(model, time, 30);
      std::printf("[ worst    ] %s at %g d: within 30 m of a well %.3g, beyond %.3g\n", name, time,
                  worst.Near, worst.Far);
      EXPECT_LT(worst.Near, 1e-5) << name << " at " << time;
      EXPECT_LT(worst.Overall, 1e-3) << name << " at " << time;
    }
}

TEST(DrawdownGrid, NodeInsideAScreenedWellTakesTheWellsDrawdown) {
  TMapModel model = TwoAquifersTwoWells(1);
  model.Wells.pop_back();
  const TGridLayout layout = ComputeGridLayout(model.Window);
  TMapWell& well = model.Wells[0];
  well.Input.X = layout.NodeX[40] + 1;  // the node lies 1.4 m from the axis, inside the screen
  well.Input.Y = layout.NodeY[20] + 1;
  well.Input.Rw = 3;
  well.Input.Skin = 0.05;  // the well's own drawdown is well above the aquifer's at its face
  well.Input.Screened[2] = false;
  for (int layer : {1, 2}) {
    model.Layer = layer;
    const TDrawdownGrid grid = ComputeGrid(model, 2.0);
    const std::vector<double> expected = EngineDrawdowns(model, 2.0, grid);
    const TGridLayout& g = grid.Layout();
    const int node = g.NodeIndex(40, 20);
    // In the screened aquifer the well's drawdown, skin included; below it the aquifer's at
    // the screen radius.
    EXPECT_NEAR(grid.Value(node), expected[static_cast<std::size_t>(node)],
                1e-9 * expected[static_cast<std::size_t>(node)])
        << "aquifer " << layer;
    if (layer == 1) {
      EXPECT_GT(grid.Value(node), 1.5 * grid.Value(g.NodeIndex(41, 20)));
    }
  }
}

TEST(XYZ, NodeValuesEqualTheEnginesPointDrawdowns) {
  const TMapModel model = OneWellMapModel(120, -80);
  const TDrawdownGrid grid = ComputeGrid(model, 2.0);
  const std::vector<TXYZLine> lines = ParseXYZ(XYZText(grid));
  ASSERT_EQ(static_cast<int>(lines.size()), grid.ValueCount());
  const std::vector<double> expected = EngineDrawdowns(model, 2.0, grid);
  // The export writes the points column by column: find each line's grid value by place.
  double worst = 0;
  for (int i = 0; i < grid.ValueCount(); i += 7) {
    const double x = grid.PointX(i), y = grid.PointY(i);
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const TXYZLine& l) {
      return std::fabs(l.X - x) < 6e-4 && std::fabs(l.Y - y) < 6e-4;
    });
    ASSERT_NE(line, lines.end());
    const double e = expected[static_cast<std::size_t>(i)];
    worst = std::max(worst, std::fabs(line->Z - e) / (std::fabs(e) + 1e-9));
  }
  EXPECT_LT(worst, 1e-3);
}

TEST(XYZ, FailedSaveLeavesTheOldFileAndReportsTheDocumentMessage) {
  test::TTempFolder folder;
  const TDrawdownGrid grid = ComputeGrid(OneWellMapModel(), 1.0);
  const std::string path = folder.Path("grid.xyz");
  ASSERT_TRUE(IsSuccess(SaveXYZ(path, grid)));
  EXPECT_EQ(folder.Read("grid.xyz"), XYZText(grid));
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"grid.xyz"});  // no temporary file left
  const std::string missing = folder.Path("no/such/folder/grid.xyz");
  EXPECT_EQ(SaveXYZ(missing, grid), TFileIOStatus::fiFolderMissing);
}

TEST(DrawdownGrid, TimeBeforeEveryPeriodLeavesAnAllZeroGrid) {
  TMapModel model = OneWellMapModel();
  model.Wells[0].StartTime[1] = 5;
  // A period starting exactly now contributes nothing.
  const TDrawdownGrid grid = ComputeGrid(model, 5.0);
  for (int i = 0; i < grid.ValueCount(); ++i) ASSERT_EQ(grid.Value(i), 0.0);
}

TEST(DrawdownGrid, WellOutsideTheWindowStillCoversEveryGridPoint) {
  const TMapModel model = OneWellMapModel(5000, 3000);
  const TDrawdownGrid grid = ComputeGrid(model, 50.0);
  // The far corner gets a positive drawdown, smaller than the near corner's.
  const TGridLayout& g = grid.Layout();
  const double farCorner = grid.Value(g.NodeIndex(0, 0));
  EXPECT_GT(farCorner, 0);
  EXPECT_GT(grid.Value(g.NodeIndex(g.NodeCountX - 1, g.NodeCountY - 1)), farCorner);
}

TEST(DrawdownGrid, ProfileInterpolationStaysInsideTheProfile) {
  TRadialProfile profile{.RMin = 1, .RMax = 100};
  for (int i = 0; i <= kProfileIntervals; ++i) profile.P[i] = i;
  EXPECT_DOUBLE_EQ(profile.At(0), 0);        // below RMin
  EXPECT_DOUBLE_EQ(profile.Radius(50), 10);  // spaced evenly in ln r
  EXPECT_NEAR(profile.At(std::sqrt(profile.Radius(50) * profile.Radius(51))), 50.5, 1e-9);
  EXPECT_DOUBLE_EQ(profile.At(100), 100);  // exactly RMax
  EXPECT_DOUBLE_EQ(profile.At(1e300), 100);
  EXPECT_DOUBLE_EQ(profile.At(std::nan("")), 0);
}

TEST(DrawdownGrid, FailingAquiferSystemStopsWithStatusEleven) {
  TMapModel model = OneWellMapModel();
  model.System.S[1] = 0;  // no storage anywhere: the system is singular
  model.System.SAquitard.Fill(0.0);
  TDrawdownGrid grid;
  grid.Reset(ComputeGridLayout(model.Window));
  TAquiferSystemState work;
  const TEngineResult result = ComputeDrawdownGrid(model, 1.0, grid, work);
  EXPECT_EQ(result.Status, TEngineStatus::esAquiferSystemFailed);
  EXPECT_EQ(result.Message(), kAquiferSystemMessage);
}

TEST(DrawdownGrid, DocumentModelUsesTheTimeGraphsRateStepForAnExcludedPredecessor) {
  TAQVData data;
  TPumpingWell& w = data.PumpingWells[1];
  w.SetPeriodCount(3);
  w.Included[0] = w.Included[1] = w.Included[3] = true;
  w.Included[2] = false;
  const double discharges[] = {100, 300, 50};
  for (int k = 1; k <= 3; ++k) w.Discharge[k] = discharges[k - 1];
  const TMapModel model = MapModelFromDocument(data);
  ASSERT_FALSE(model.Wells.empty());
  // The excluded period makes no step; the next steps from the last included one.
  const auto& steps = model.Wells[0].RateStep;
  EXPECT_EQ(std::tuple(steps[1], steps[2], steps[3]), std::tuple(100, 0, -50));
  EXPECT_EQ(steps[3], data.RateStep(1, 3));
}

TEST(HitTest, WellWithinHalfACellWinsElseTheCellCentreOrCornerNode) {
  const TDrawdownGrid grid = ComputeGrid(OneWellMapModel(), 1.0);
  const TGridLayout& g = grid.Layout();
  const std::vector<THitPoint> wells = {{0, 0}, {0.5, 0.2}};
  const THitResult well = HitTest(grid, wells, 0.1, 0.1);
  EXPECT_EQ(std::pair(well.Kind, well.Index), std::pair(THitKind::hkWell, 0));
  // The hint names the well's place.
  const THitResult second = HitTest(grid, wells, 0.6, 0.1);
  EXPECT_EQ(std::tuple(second.Index, second.X, second.Y), std::tuple(1, 0.5, 0.2));
  const double cx = g.NodeX[3] + g.HalfCellX, cy = g.NodeY[4] + g.HalfCellY;
  const THitResult centre = HitTest(grid, {}, cx, cy);
  EXPECT_EQ(std::tuple(centre.Kind, centre.Index, centre.X, centre.Y, centre.Value),
            std::tuple(THitKind::hkGrid, g.CentreIndex(3, 4), cx, cy, grid.Value(centre.Index)));
  const THitResult corner = HitTest(grid, {}, g.NodeX[3] + 0.01, g.NodeY[4] + 0.01);
  EXPECT_EQ(corner.Index, g.NodeIndex(3, 4));
  const THitResult northEast =
      HitTest(grid, {}, g.NodeX[g.NodeCountX - 1], g.NodeY[g.NodeCountY - 1]);
  EXPECT_EQ(northEast.Index, g.NodeIndex(g.NodeCountX - 1, g.NodeCountY - 1));
  EXPECT_EQ(HitTest(grid, {}, 1001, 0).Kind, THitKind::hkNone);
}

TEST(HitTest, AfterAZoomTheHintStillReadsTheGridItWasComputedOn) {
  // The grid keeps its own layout: a value is found at the place it was computed for, whatever
  // window the map shows now.
  const TDrawdownGrid grid = ComputeGrid(OneWellMapModel(), 1.0);
  const TGridLayout& g = grid.Layout();
  const THitResult hit = HitTest(grid, {}, g.NodeX[10], g.NodeY[10]);
  EXPECT_EQ(std::pair(hit.X, hit.Y), std::pair(g.NodeX[10], g.NodeY[10]));
  EXPECT_EQ(std::pair(grid.PointX(g.CentreIndex(5, 7)), grid.PointY(g.CentreIndex(5, 7))),
            std::pair(g.NodeX[5] + g.HalfCellX, g.NodeY[7] + g.HalfCellY));
}

}  // namespace
}  // namespace aqv

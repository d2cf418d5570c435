#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
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
  for (int a = 0; a < 10; ++a) ten.NodeX[a] = a * 10.0;
  for (int b = 0; b < 10; ++b) ten.NodeY[b] = b * 10.0;
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
  EXPECT_EQ(lines[2].Y, 20.0);
  // The last row of a column has no centre after it.
  EXPECT_EQ(lines[18].Y, 180.0);
  EXPECT_EQ(lines[19].X, 20.0);
  EXPECT_EQ(lines.back().X, 180.0);
  EXPECT_EQ(lines.back().Y, 180.0);
}

TEST(XYZ, NodeValuesEqualTheEnginesPointDrawdownsWithinTheProfileInterpolation) {
  const TMapModel model = OneWellMapModel(120, -80);
  TDrawdownGrid grid;
  ComputeGrid(model, 2.0, grid);
  const std::vector<TXYZLine> lines = ParseXYZ(XYZText(grid));
  ASSERT_EQ(static_cast<int>(lines.size()), grid.ValueCount());
  int checked = 0;
  for (std::size_t i = 0; i < lines.size(); i += 97) {
    const TXYZLine& line = lines[i];
    const double r = std::hypot(line.X - 120, line.Y + 80);
    if (r < 60) continue;  // linear interpolation of a logarithmic curve is coarse near the well
    TObservationPointInput point;
    point.X = line.X;
    point.Y = line.Y;
    point.Rc = point.Rw = 0;
    TAquiferSystemState work;
    double expected = 0;
    ASSERT_TRUE(PointDrawdown(model.System, model.Weights, model.Wells[0].Input, 500, 2.0, point,
                              work, expected)
                    .IsSuccess());
    EXPECT_NEAR(line.Z, expected, 0.002 * std::fabs(expected) + 2e-4) << "at r = " << r;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

TEST(XYZ, FailedSaveLeavesTheOldFileAndReportsTheDocumentMessage) {
  test::TTempFolder folder;
  TDrawdownGrid grid;
  ComputeGrid(OneWellMapModel(), 1.0, grid);
  const std::string path = folder.Path("grid.xyz");
  ASSERT_TRUE(IsSuccess(SaveXYZ(path, grid)));
  EXPECT_EQ(folder.Read("grid.xyz"), XYZText(grid));
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"grid.xyz"});  // no temporary file left
  const std::string missing = folder.Path("no/such/folder/grid.xyz");
  EXPECT_FALSE(IsSuccess(SaveXYZ(missing, grid)));
  EXPECT_EQ(XYZSaveFailedText(missing), "Could not save " + missing + "!");
}

TEST(DrawdownGrid, TimeBeforeEveryPeriodLeavesAnAllZeroGrid) {
  TMapModel model = OneWellMapModel();
  model.Wells[0].StartTime[1] = 5;
  TDrawdownGrid grid;
  ComputeGrid(model, 5.0, grid);  // a period starting exactly now contributes nothing
  for (int i = 0; i < grid.ValueCount(); ++i) ASSERT_EQ(grid.Value(i), 0.0);
}

TEST(DrawdownGrid, WellOutsideTheWindowStillCoversEveryGridPoint) {
  const TMapModel model = OneWellMapModel(5000, 3000);
  TDrawdownGrid grid;
  ComputeGrid(model, 50.0, grid);
  // The far corner gets a positive drawdown, smaller than the near corner's.
  const TGridLayout& g = grid.Layout();
  const double nearCorner = grid.Value(g.NodeIndex(g.NodeCountX - 1, g.NodeCountY - 1));
  const double farCorner = grid.Value(g.NodeIndex(0, 0));
  EXPECT_GT(farCorner, 0);
  EXPECT_GT(nearCorner, farCorner);
}

TEST(DrawdownGrid, ProfileInterpolationStaysInsideTheProfile) {
  TRadialProfile profile;
  profile.RMin = 1;
  profile.RMax = 11;
  for (int i = 0; i <= kProfileIntervals; ++i) profile.P[i] = i;
  EXPECT_DOUBLE_EQ(profile.At(0), 0);  // below RMin
  EXPECT_DOUBLE_EQ(profile.At(1.05), 0.5);
  EXPECT_DOUBLE_EQ(profile.At(11), 100);  // exactly RMax
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
  w.Included[0] = true;
  w.Included[1] = w.Included[3] = true;
  w.Included[2] = false;
  w.Discharge[1] = 100;
  w.Discharge[2] = 300;
  w.Discharge[3] = 50;
  const TMapModel model = MapModelFromDocument(data);
  ASSERT_FALSE(model.Wells.empty());
  EXPECT_EQ(model.Wells[0].RateStep[1], 100);
  EXPECT_EQ(model.Wells[0].RateStep[2], 0);    // excluded: no step
  EXPECT_EQ(model.Wells[0].RateStep[3], -50);  // from the last included period
  EXPECT_EQ(model.Wells[0].RateStep[3], data.RateStep(1, 3));
}

TEST(HitTest, WellWithinHalfACellWinsElseTheCellCentreOrCornerNode) {
  TDrawdownGrid grid;
  ComputeGrid(OneWellMapModel(), 1.0, grid);
  const TGridLayout& g = grid.Layout();
  const std::vector<THitPoint> wells = {{0, 0}, {0.5, 0}};
  const THitResult well = HitTest(grid, wells, 0.1, 0.1);
  EXPECT_EQ(well.Kind, THitKind::hkWell);
  EXPECT_EQ(well.Index, 0);
  const THitResult second = HitTest(grid, wells, 0.6, 0);
  EXPECT_EQ(second.Index, 1);
  const double cx = g.NodeX[3] + g.HalfCellX, cy = g.NodeY[4] + g.HalfCellY;
  const THitResult centre = HitTest(grid, {}, cx, cy);
  EXPECT_EQ(centre.Kind, THitKind::hkGrid);
  EXPECT_EQ(centre.Index, g.CentreIndex(3, 4));
  EXPECT_EQ(centre.Value, grid.Value(centre.Index));
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
  TDrawdownGrid grid;
  ComputeGrid(OneWellMapModel(), 1.0, grid);
  const TGridLayout& g = grid.Layout();
  const THitResult hit = HitTest(grid, {}, g.NodeX[10], g.NodeY[10]);
  EXPECT_EQ(hit.X, g.NodeX[10]);
  EXPECT_EQ(hit.Y, g.NodeY[10]);
  EXPECT_EQ(grid.PointX(g.CentreIndex(5, 7)), g.NodeX[5] + g.HalfCellX);
  EXPECT_EQ(grid.PointY(g.CentreIndex(5, 7)), g.NodeY[7] + g.HalfCellY);
}

}  // namespace
}  // namespace aqv

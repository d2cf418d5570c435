#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <string>
#include <utility>

#include "app/AQVGrid.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

struct TLayout {
  const char* Name;
  TMeshInput Input;
};

TMeshInput::TWell Well(double x, double y, double rw = 0.1) {
  return {x, y, rw};
}

std::vector<TLayout> Layouts() {
  const std::vector<TMeshInput::TWell> five = {Well(60, 0), Well(60, 0), Well(0, -250),
                                               Well(-700, 400), Well(1700, 0)};
  return {{"one central well", {3, 4000, 0, 0, {Well(0, 0)}, {}}},
          {"two distant wells", {3, 6000, 0, 0, {Well(-500, 0, 0.15), Well(500, 0, 0.1)}, {}}},
          {"two merged wells", {3, 4000, 0, 0, {Well(0, 0), Well(0.5, 0)}, {}}},
          {"tiny well radius", {3, 3000, 100, 200, {Well(100, 200, 0.01)}, {}}},
          {"five observation wells, two coincident", {3, 4000, 0, 0, {Well(0, 0)}, five}}};
}

double Area(const TAQVGrid& grid, const std::array<int, 3>& t) {
  const TMeshNode &a = grid.Node(t[0]), &b = grid.Node(t[1]), &c = grid.Node(t[2]);
  return ((b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X)) / 2;
}

// Every triangle counter-clockwise with a positive area, and together they cover the hexagon.
void ExpectPositiveAreasCoveringTheHexagon(const TAQVGrid& grid, const std::string& where) {
  double sum = 0;
  int nonPositive = 0;
  for (const auto& t : grid.Triangles()) {
    const double area = Area(grid, t);
    nonPositive += area > 0 ? 0 : 1;
    sum += area;
  }
  EXPECT_EQ(nonPositive, 0) << where;
  const double r = grid.Radius();
  const double hexagon = 3 * std::sqrt(3.0) / 2 * r * r;
  EXPECT_NEAR(sum, hexagon, 1e-9 * hexagon) << where;
}

// Neighbour lists symmetric and of 2..20 entries; the edges of the lists are exactly the edges
// of the triangles; interior edges lie in two triangles, boundary edges in one; Euler's
// V - E + F = 1 for a disc.
void ExpectConsistentTopology(const TAQVGrid& grid, const std::string& where) {
  using TEdge = std::pair<int, int>;
  std::vector<TEdge> listEdges;
  int badCount = 0, asymmetric = 0;
  for (int i = 1; i <= grid.NodeCount(); ++i) {
    const TMeshNode& n = grid.Node(i);
    badCount += n.NeighbourCount >= 2 && n.NeighbourCount <= 20 ? 0 : 1;
    for (int k = 0; k < n.NeighbourCount; ++k) {
      const int m = n.Neighbours[static_cast<std::size_t>(k)];
      const TMeshNode& other = grid.Node(m);
      const auto end = other.Neighbours.begin() + other.NeighbourCount;
      asymmetric += std::find(other.Neighbours.begin(), end, i) == end ? 1 : 0;
      if (i < m) listEdges.emplace_back(i, m);
    }
  }
  EXPECT_EQ(badCount, 0) << where;
  EXPECT_EQ(asymmetric, 0) << where;
  std::map<TEdge, int> uses;  // ordered as the sorted list edges
  for (const auto& t : grid.Triangles()) {
    for (std::size_t k = 0; k < 3; ++k) ++uses[std::minmax(t[k], t[(k + 1) % 3])];
  }
  std::sort(listEdges.begin(), listEdges.end());
  const int boundary = grid.BoundaryNodeCount();
  int wrongUse = 0;
  std::vector<TEdge> distinct;
  for (const auto& [edge, count] : uses) {
    const bool onBoundary =
        edge.second <= boundary &&
        (edge.second - edge.first == 1 || (edge.first == 1 && edge.second == boundary));
    wrongUse += count == (onBoundary ? 1 : 2) ? 0 : 1;
    distinct.push_back(edge);
  }
  EXPECT_EQ(wrongUse, 0) << where;
  EXPECT_TRUE(distinct == listEdges) << where;
  const auto edges = static_cast<int>(listEdges.size());
  EXPECT_EQ(grid.ElementCount(), static_cast<int>(grid.Triangles().size())) << where;
  EXPECT_EQ(grid.NodeCount() - edges + grid.ElementCount(), 1) << where;
  EXPECT_EQ(3 * grid.ElementCount(), 2 * edges - boundary) << where;
}

void ExpectNodesInPlace(const TAQVGrid& grid, const TMeshInput& input, const std::string& where) {
  const int side = input.Density + 6;
  const double r = input.ModelLength / 2;
  ASSERT_EQ(grid.BoundaryNodeCount(), 6 * side) << where;
  for (int k = 0; k < 6; ++k) {
    const TMeshNode& corner = grid.Node(k * side + 1);
    EXPECT_NEAR(corner.X, input.CentreX + r * std::cos(k * std::numbers::pi / 3), 1e-9 * r);
    EXPECT_NEAR(corner.Y, input.CentreY + r * std::sin(k * std::numbers::pi / 3), 1e-9 * r);
  }
  int expected = grid.BoundaryNodeCount();
  for (int w = 1; w <= static_cast<int>(input.PumpingWells.size()); ++w) {
    const int node = grid.PumpingWellNode(w);
    if (grid.DependentOn(w) != 0) {
      EXPECT_EQ(node, 0) << where;
      continue;
    }
    EXPECT_EQ(node, ++expected) << where;
    EXPECT_EQ(grid.Node(node).X, input.PumpingWells[static_cast<std::size_t>(w - 1)].X) << where;
    EXPECT_EQ(grid.Node(node).Y, input.PumpingWells[static_cast<std::size_t>(w - 1)].Y) << where;
  }
  for (int w = 1; w <= static_cast<int>(input.ObservationWells.size()); ++w) {
    const int node = grid.ObservationWellNode(w);
    if (node == 0) continue;
    EXPECT_EQ(node, ++expected) << where;
    EXPECT_EQ(grid.Node(node).X, input.ObservationWells[static_cast<std::size_t>(w - 1)].X);
  }
  EXPECT_EQ(grid.IndependentPumpingWellCount() + grid.ObservationNodeCount(),
            expected - grid.BoundaryNodeCount())
      << where;
}

void ExpectBreadthFirstPermutation(const TAQVGrid& grid, const std::string& where) {
  EXPECT_EQ(grid.Order(1), 16) << where;
  int wrong = 0;
  for (int k = 1; k <= grid.NodeCount(); ++k) wrong += grid.Rank(grid.Order(k)) == k ? 0 : 1;
  EXPECT_EQ(wrong, 0) << where;
}

// FNV-1a over everything the model file takes from a mesh: the node coordinates to the last
// bit, the neighbour lists in their order, the numbering, and the triangles as made.
class TMeshFingerprint {
 public:
  explicit TMeshFingerprint(const TAQVGrid& grid) {
    Add(grid.NodeCount());
    for (int i = 1; i <= grid.NodeCount(); ++i) {
      const TMeshNode& n = grid.Node(i);
      Add(std::bit_cast<std::uint64_t>(n.X));
      Add(std::bit_cast<std::uint64_t>(n.Y));
      for (int k = 0; k < n.NeighbourCount; ++k) Add(n.Neighbours[static_cast<std::size_t>(k)]);
      Add(grid.Order(i));
    }
    for (const auto& t : grid.Triangles()) Add((t[0] * 100003ULL + t[1]) * 100003ULL + t[2]);
  }
  std::uint64_t Value() const { return mHash; }

 private:
  void Add(std::uint64_t v) {
    for (int b = 0; b < 8; ++b) mHash = (mHash ^ ((v >> (8 * b)) & 0xFF)) * 0x100000001B3ULL;
  }
  std::uint64_t mHash = 0xCBF29CE484222325ULL;
};

// The fingerprints of the meshes of Layouts() at densities 1 to 10, as the generator made them
// when its output was checked by eye; a faster search must keep them to the bit.
constexpr std::uint64_t kFingerprints[5][10] = {
    {0x1B0109F33DDB6F74ULL, 0x9FA16D5F7F10A4D8ULL, 0x46F10E4E7952B294ULL, 0x6D4DCE1F6285F243ULL,
     0x98742649B2A1FC47ULL, 0xD05CC03B63621AC6ULL, 0x1EF652C332ADAC16ULL, 0x6441DDB04221EB38ULL,
     0x0E02BB8DBD23BA9FULL, 0xA5B97E80303B94DFULL},
    {0xBC029EAB63903343ULL, 0x8CF8D85326C9C97FULL, 0x16919018DD340175ULL, 0x223C14CF806E9FBFULL,
     0x91A4D468E5675E7EULL, 0xDAFA4EC42ED6BECCULL, 0x651E73DF55B3F20BULL, 0x81FD7A0399881C0BULL,
     0x3237CCBC84D4E60FULL, 0x9E0677D593185B18ULL},
    {0x1B0109F33DDB6F74ULL, 0x9FA16D5F7F10A4D8ULL, 0x46F10E4E7952B294ULL, 0x6D4DCE1F6285F243ULL,
     0x98742649B2A1FC47ULL, 0xD05CC03B63621AC6ULL, 0x1EF652C332ADAC16ULL, 0x6441DDB04221EB38ULL,
     0x0E02BB8DBD23BA9FULL, 0xA5B97E80303B94DFULL},
    {0xCD429CF6CA0FDE2EULL, 0x7E8D15374E8C423EULL, 0x30B946FC6D077760ULL, 0x3E9489527B0F52B2ULL,
     0x417CDA14DAB453F3ULL, 0x4C90E7C37DC63FB2ULL, 0xD846591E20C5F42CULL, 0xEB355C2EC94B1558ULL,
     0x1C7F8586990C0332ULL, 0x08B0CC1038FA4838ULL},
    {0x0B58282D8D87BA90ULL, 0x32310125F46DA11CULL, 0xAF9C1D3CB9B7B3AEULL, 0x8681903ADBA829DCULL,
     0x1F28AA86ABDEACB9ULL, 0x1B77F3AAAC6B5BB1ULL, 0x4322C0152D9F355FULL, 0xEACD0184C4C4BFDCULL,
     0xD3F9DE2399677B8DULL, 0x8DD07AEB03A1EF45ULL},
};

class TAQVGridLayout : public ::testing::TestWithParam<int> {};

TEST_P(TAQVGridLayout, EveryDensityGivesAValidMeshBeforeAndAfterSmoothing) {
  TLayout layout = Layouts()[static_cast<std::size_t>(GetParam())];
  TAQVGrid grid;
  for (int density = 1; density <= 10; ++density) {
    layout.Input.Density = density;
    const std::string where = std::string(layout.Name) + ", density " + std::to_string(density);
    grid.SetSmoothingPasses(0);
    ASSERT_EQ(grid.Generate(layout.Input), TMeshError::meNone) << where;
    ExpectPositiveAreasCoveringTheHexagon(grid, where + ", unsmoothed");
    grid.SetSmoothingPasses(3);
    ASSERT_EQ(grid.Generate(layout.Input), TMeshError::meNone) << where;
    EXPECT_TRUE(grid.MeshValid());
    ExpectPositiveAreasCoveringTheHexagon(grid, where);
    ExpectConsistentTopology(grid, where);
    ExpectNodesInPlace(grid, layout.Input, where);
    ExpectBreadthFirstPermutation(grid, where);
    EXPECT_EQ(TMeshFingerprint(grid).Value(),
              kFingerprints[GetParam()][static_cast<std::size_t>(density - 1)])
        << where;
    EXPECT_EQ(grid.InfoText(), std::to_string(grid.NodeCount()) + " nodes, " +
                                   std::to_string(grid.ElementCount()) + " elements");
  }
}

std::string LayoutTestName(const ::testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"OneCentralWell", "TwoDistantWells", "TwoMergedWells",
                                       "TinyWellRadius", "FiveObservationWellsTwoCoincident"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Layouts, TAQVGridLayout, ::testing::Range(0, 5), LayoutTestName);

TEST(TAQVGrid, IndexedSearchGivesTheSameMeshAsTheFullScan) {
  TAQVGrid indexed, full;
  full.SetIndexedSearch(false);
  for (TLayout layout : Layouts()) {
    for (int density : {2, 6}) {
      layout.Input.Density = density;
      ASSERT_EQ(indexed.Generate(layout.Input), TMeshError::meNone);
      ASSERT_EQ(full.Generate(layout.Input), TMeshError::meNone);
      ASSERT_EQ(indexed.NodeCount(), full.NodeCount());
      EXPECT_EQ(indexed.Triangles(), full.Triangles()) << layout.Name << ", density " << density;
    }
  }
}

TEST(TAQVGrid, WellsCloserThanSevenRadiiShareOneNode) {
  TAQVGrid grid;
  // A mesh made before with the wells apart leaves no node behind for the merged well.
  ASSERT_EQ(grid.Generate(Layouts()[1].Input), TMeshError::meNone);
  ASSERT_NE(grid.PumpingWellNode(2), 0);
  ASSERT_EQ(grid.Generate(Layouts()[2].Input), TMeshError::meNone);
  EXPECT_EQ(grid.DependentOn(1), 0);
  EXPECT_EQ(grid.DependentOn(2), 1);
  EXPECT_EQ(grid.IndependentPumpingWellCount(), 1);
  EXPECT_EQ(grid.PumpingWellNode(2), 0);
}

TEST(TAQVGrid, ObservationWellNearAPumpingWellOrOutsideTheInnerAreaGetsNoNode) {
  TMeshInput input{3, 4000, 0, 0, {Well(0, 0, 0.2)}, {}};
  // 6 rw = 1.2; 0.8 R = 1600.
  input.ObservationWells = {Well(1.2, 0), Well(1.3, 0), Well(1600, 0), Well(1599, 0)};
  TAQVGrid grid;
  ASSERT_EQ(grid.Generate(input), TMeshError::meNone);
  // The odd wells lie on the limits and get no node, the even ones just inside.
  for (int w = 1; w <= 4; ++w) EXPECT_EQ(grid.ObservationWellNode(w) != 0, w % 2 == 0) << w;
}

TEST(TAQVGrid, TwoObservationWellsAtOnePointRecordOnlyTheNodeActuallyAdded) {
  TMeshInput input{3, 4000, 0, 0, {Well(0, 0)}, {Well(60, 0), Well(60, 0), Well(0, -250)}};
  TAQVGrid grid;
  ASSERT_EQ(grid.Generate(input), TMeshError::meNone);
  const int boundary = grid.BoundaryNodeCount();
  EXPECT_EQ(grid.ObservationWellNode(1), boundary + 2);
  EXPECT_EQ(grid.ObservationWellNode(2), 0);
  EXPECT_EQ(grid.ObservationWellNode(3), boundary + 3);
  EXPECT_EQ(grid.ObservationNodeCount(), 2);
}

TEST(TAQVGrid, TinyWellRadiusStartsTheRingsAtAQuarter) {
  TMeshInput input{3, 3000, 0, 0, {Well(0, 0, 0.01)}, {}};
  TAQVGrid grid;
  grid.SetSmoothingPasses(0);
  ASSERT_EQ(grid.Generate(input), TMeshError::meNone);
  // The first ring: six nodes right after the well node, at radius 0.25.
  const int first = grid.BoundaryNodeCount() + 2;
  for (int i = first; i < first + 6; ++i) {
    EXPECT_NEAR(std::hypot(grid.Node(i).X, grid.Node(i).Y), 0.25, 1e-12) << i;
  }
}

// The well nodes and the first ring of six at 6 rw (turned by a quarter plus 10/24 of a sixth
// for well 1) stay where they were placed; every later node moves half-way to the mean of its
// neighbours, in number order, three times, unless it lies next to the pumping well.
TEST(TAQVGrid, SmoothingMovesTheFreeNodesHalfWayToTheirNeighboursThreeTimes) {
  const TMeshInput input{1, 1000, 0, 0, {Well(0, 0)}, {Well(100, 50)}};
  TAQVGrid placed, smoothed;
  placed.SetSmoothingPasses(0);
  ASSERT_EQ(placed.Generate(input), TMeshError::meNone);
  ASSERT_EQ(smoothed.Generate(input), TMeshError::meNone);
  const int well = placed.BoundaryNodeCount() + 1, count = placed.NodeCount();
  std::vector<double> x{0, 100}, y{0, 50};
  for (int j = 1; j <= 6; ++j) {
    const double theta = 2 * std::numbers::pi * (j + 0.25 + 10.0 / 24) / 6;
    x.push_back(0.6 * std::cos(theta));
    y.push_back(0.6 * std::sin(theta));
  }
  for (std::size_t k = 0; k < x.size(); ++k) {
    EXPECT_NEAR(smoothed.Node(well + static_cast<int>(k)).X, x[k], 1e-12) << k;
    EXPECT_NEAR(smoothed.Node(well + static_cast<int>(k)).Y, y[k], 1e-12) << k;
  }
  const auto at = [](int i) { return static_cast<std::size_t>(i); };
  x.assign(at(count) + 1, 0);
  y.assign(x.size(), 0);
  std::vector<bool> fixed(x.size(), false);
  for (int i = 1; i <= count; ++i) {
    x[at(i)] = placed.Node(i).X;
    y[at(i)] = placed.Node(i).Y;
  }
  const TMeshNode& centre = placed.Node(well);
  for (int k = 0; k < centre.NeighbourCount; ++k) fixed[at(centre.Neighbours[at(k)])] = true;
  for (int pass = 1; pass <= 3; ++pass) {
    for (int i = well + 2; i <= count; ++i) {
      const TMeshNode& n = placed.Node(i);
      if (fixed[at(i)]) continue;
      double mx = 0, my = 0;
      for (int k = 0; k < n.NeighbourCount; ++k) {
        mx += x[at(n.Neighbours[at(k)])] / n.NeighbourCount;
        my += y[at(n.Neighbours[at(k)])] / n.NeighbourCount;
      }
      x[at(i)] = (x[at(i)] + mx) / 2;
      y[at(i)] = (y[at(i)] + my) / 2;
    }
  }
  int misplaced = 0;
  for (int i = 1; i <= count; ++i) {
    const double off = std::hypot(smoothed.Node(i).X - x[at(i)], smoothed.Node(i).Y - y[at(i)]);
    misplaced += off < 1e-9 ? 0 : 1;
  }
  EXPECT_EQ(misplaced, 0) << "of " << count << " nodes";
}

TEST(TAQVGrid, CancelDuringGenerationGivesItsErrorAndAnInvalidMesh) {
  for (int cancelAt : {1, 3, 60}) {
    TAQVGrid grid;
    int calls = 0;
    grid.OnChange = [&](TAQVGrid& g) {
      if (++calls == cancelAt) g.SetCancelRequest(true);
    };
    EXPECT_EQ(grid.Generate(Layouts()[0].Input), TMeshError::meCancelled) << cancelAt;
    EXPECT_FALSE(grid.MeshValid());
    EXPECT_EQ(calls, cancelAt);
    EXPECT_EQ(ToText(grid.Error()), "Grid generation cancelled by user");
  }
}

TEST(TAQVGrid, ProgressReportsNodesThenElements) {
  TAQVGrid grid;
  std::vector<std::string> texts;
  grid.OnChange = [&](TAQVGrid& g) { texts.push_back(g.InfoText()); };
  ASSERT_EQ(grid.Generate(Layouts()[0].Input), TMeshError::meNone);
  ASSERT_GE(texts.size(), 3U);
  EXPECT_EQ(texts.front(), "100 nodes");
  EXPECT_NE(texts[texts.size() - 2].find(" elements"), std::string::npos);
  EXPECT_EQ(texts.back(), grid.InfoText());
}

TEST(TAQVGrid, DirectionAngleCoversAFullTurn) {
  const double pi = std::numbers::pi;
  const struct {
    double Dx, Dy, Angle;
  } cases[] = {{1, 0, 0},           {1, 1, pi / 4},      {0, 1, pi / 2},
               {-1, 1, 3 * pi / 4}, {-1, 0, pi},         {-1, -1, 5 * pi / 4},
               {0, -1, 3 * pi / 2}, {1, -1, 7 * pi / 4}, {0, 0, 3 * pi / 2}};
  for (const auto& c : cases) {
    EXPECT_NEAR(TAQVGrid::DirectionAngle(c.Dx, c.Dy), c.Angle, 1e-15) << c.Dx << "," << c.Dy;
  }
}

TEST(TAQVGrid, UnusableInputIsAnErrorNotACrash) {
  TAQVGrid grid;
  EXPECT_EQ(grid.Generate(TMeshInput{3, 0, 0, 0, {Well(0, 0)}, {}}), TMeshError::meGridGeneration);
  EXPECT_EQ(grid.Generate(TMeshInput{3, 4000, 0, 0, {}, {}}), TMeshError::meGridGeneration);
  EXPECT_FALSE(grid.MeshValid());
}

TEST(TAQVGrid, ImpossibleLayoutsEndInAnErrorNotACrash) {
  const struct {
    const char* Name;
    TMeshInput Input;
  } cases[] = {
      {"wells outside the model area", {3, 600, 0, 0, {Well(-500, 0), Well(500, 0)}, {}}},
      {"model smaller than the first ring", {3, 1, 0, 0, {Well(0, 0)}, {}}},
      {"screen radius of 50 crowding the lattice", {3, 4000, 0, 0, {Well(0, 0, 50)}, {}}},
  };
  TAQVGrid grid;
  for (const auto& c : cases) {
    EXPECT_FALSE(IsSuccess(grid.Generate(c.Input))) << c.Name;
    EXPECT_FALSE(grid.MeshValid()) << c.Name;
    EXPECT_FALSE(ToText(grid.Error()).empty()) << c.Name;
  }
}

class TAQVGridDocument : public test::TDocumentTest {};

TEST_F(TAQVGridDocument, GenerateStoresTheModelRadiusAndShowsErrors) {
  mData->ModelLength = 5000;
  mData->ModelRadius = 0;
  TAQVGrid grid;
  grid.SetData(mData.get());
  EXPECT_EQ(grid.Generate(), TMeshError::meNone);
  EXPECT_FALSE(grid.MeshValid()) << "nothing happens without a regeneration request";
  grid.SetRegenerateRequest(true);
  ASSERT_EQ(grid.Generate(), TMeshError::meNone);
  EXPECT_EQ(mData->ModelRadius, 2500);
  EXPECT_TRUE(grid.MeshValid());
  EXPECT_FALSE(grid.RegenerateRequest());
  grid.SetRegenerateRequest(true);
  grid.OnChange = [](TAQVGrid& g) { g.SetCancelRequest(true); };
  EXPECT_EQ(grid.Generate(), TMeshError::meCancelled);
  ASSERT_EQ(mUi.Messages.size(), 1U);
  EXPECT_EQ(mUi.Messages[0].Text, "Grid generation cancelled by user");
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
}

TEST(TMeshTransform, FitsTheHexagonWithTwoPixelMarginsAndFlipsY) {
  const TMeshTransform t = TMeshTransform::ForArea(204, 104, 50, 1000, 2000);
  EXPECT_EQ(t.PixelX(1000), 102);
  EXPECT_EQ(t.PixelY(2000), 52);
  EXPECT_EQ(t.PixelY(2050), 2);
  EXPECT_EQ(t.PixelY(1950), 102);
  EXPECT_EQ(t.PixelX(1000 + 1e9), -1);
}

}  // namespace
}  // namespace aqv

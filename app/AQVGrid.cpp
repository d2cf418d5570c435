#include "app/AQVGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/AQVData.h"

namespace aqv {

namespace {

constexpr double kPi = std::numbers::pi;

// Duplicate test tolerance of well nodes, length: wells closer than this share one node.
constexpr double kWellTolerance = 0.01;
constexpr double kSmoothingFactor = 0.5;
// Generation number of the node the breadth-first numbering starts from (on the boundary).
constexpr int kFirstNumberedNode = 16;

double Cross(double ux, double uy, double vx, double vy) {
  return ux * vy - uy * vx;
}

double Squared(double dx, double dy) {
  return dx * dx + dy * dy;
}

}  // namespace

std::string ToText(TMeshError error) {
  switch (error) {
    case TMeshError::meNone:
      return {};
    case TMeshError::meTooManyNodes:
      return "Too many nodes";
    case TMeshError::meTooManyElements:
      return "Too many elements";
    case TMeshError::meTooManyNeighbours:
      return "Too many neighbour nodes";
    case TMeshError::meGridGeneration:
      return "Error in grid generation";
    case TMeshError::meCancelled:
      return "Grid generation cancelled by user";
  }
  return {};
}

TMeshInput MeshInputFromData(const TAQVData& data) {
  TMeshInput input;
  input.Density = data.MeshDensity;
  input.ModelLength = data.ModelLength;
  input.CentreX = data.WellCentreX;
  input.CentreY = data.WellCentreY;
  for (int w = 1; w <= data.PumpingWellCount(); ++w) {
    const TPumpingWell& well = data.PumpingWells[w];
    input.PumpingWells.push_back({well.X, well.Y, well.Rw});
  }
  for (int w = 1; w <= data.ObservationWellCount(); ++w) {
    const TObservationWell& well = data.ObservationWells[w];
    input.ObservationWells.push_back({well.X, well.Y, well.Rw});
  }
  return input;
}

double TAQVGrid::DirectionAngle(double dx, double dy) {
  if (dx == 0) return dy > 0 ? kPi / 2 : 3 * kPi / 2;
  double angle = std::atan(dy / dx);
  if (dx < 0) angle += kPi;
  if (angle < 0) angle += 2 * kPi;
  return angle;
}

TAQVGrid::TAQVGrid()
    : mNodes(kMaxMeshNodes + 1),
      mOrder(kMaxMeshNodes + 1),
      mRank(kMaxMeshNodes + 1),
      mTreeBoxes(2 * std::bit_ceil(static_cast<unsigned>(kMaxMeshNodes / kTreeLeafNodes + 1))),
      mLive(kMaxMeshNodes + 1) {
  mTriangles.reserve(2 * kMaxMeshNodes);
}

void TAQVGrid::ResetStatus() {
  mError = TMeshError::meNone;
  mCancelRequest = false;
}

void TAQVGrid::Clear(const TMeshInput& input) {
  mNodeCount = 0;
  mElementCount = 0;
  mTriangles.clear();
  mDensity = std::clamp(input.Density, 1, 10);
  mBoundaryNodeCount = 6 * (mDensity + 6);
  mRadius = input.ModelLength / 2;
  mCentreX = input.CentreX;
  mCentreY = input.CentreY;
  mDependent.fill(0);
  mPumpingNode.fill(0);
  mObservationNode.fill(0);
  for (auto& list : mWellNeighbours) list.clear();
  mIndependentCount = 0;
  mObservationNodeCount = 0;
  // Cells of half a boundary spacing for the duplicate test of node placement.
  const int cells = 4 * (mDensity + 6);
  mBuckets.Reset(mCentreX - mRadius, mCentreY - mRadius, 2 * mRadius, cells);
}

void TMeshBuckets::Reset(double left, double bottom, double size, int cellsPerSide) {
  mLeft = left;
  mBottom = bottom;
  mCount = std::max(cellsPerSide, 1);
  mCellSize = size > 0 ? size / mCount : 1;
  mHead.assign(static_cast<std::size_t>(mCount) * static_cast<std::size_t>(mCount), 0);
  if (mNext.size() < kMaxMeshNodes + 1) mNext.resize(kMaxMeshNodes + 1);
}

int TMeshBuckets::Cell(double offset) const {
  const double cell = std::floor(offset / mCellSize);
  if (!(cell >= 0)) return 0;  // also NaN
  return cell >= mCount - 1 ? mCount - 1 : static_cast<int>(cell);
}

void TMeshBuckets::Insert(int node, double x, double y) {
  int& head = mHead[static_cast<std::size_t>(CellY(y) * mCount + CellX(x))];
  mNext[static_cast<std::size_t>(node)] = head;
  head = node;
}

TMeshError TAQVGrid::Generate() {
  if (!mData || !mRegenerateRequest) return mError;
  mData->ModelRadius = mData->ModelLength / 2;
  const TMeshError error = Generate(MeshInputFromData(*mData));
  mRegenerateRequest = false;
  if (!IsSuccess(error)) {
    mData->UserInterface().MessageBox(ToText(error), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  }
  return error;
}

TMeshError TAQVGrid::Generate(const TMeshInput& input) {
  mBusy = true;
  ResetStatus();
  mMeshValid = false;
  Clear(input);
  const bool usable = input.ModelLength > 0 && std::isfinite(input.ModelLength) &&
                      !input.PumpingWells.empty() &&
                      input.PumpingWells.size() <= kMaxPumpingWells &&
                      input.ObservationWells.size() <= kMaxObservationWells;
  if (!usable) mError = TMeshError::meGridGeneration;
  if (IsSuccess(mError)) GenerateNodes(input);
  if (IsSuccess(mError)) Triangulate();
  if (IsSuccess(mError)) SmoothNodes();
  if (IsSuccess(mError)) RenumberNodes();
  if (IsSuccess(mError)) {
    mMeshValid = true;
    mInfoText =
        std::to_string(mNodeCount) + " nodes, " + std::to_string(mElementCount) + " elements";
    if (OnChange) OnChange(*this);
  }
  mBusy = false;
  return mError;
}

// ---- Node placement ---------------------------------------------------------------------------

void TAQVGrid::Progress(bool withElements) {
  mInfoText = std::to_string(mNodeCount) + " nodes";
  if (withElements) mInfoText += ", " + std::to_string(mElementCount) + " elements";
  if (OnChange) OnChange(*this);
  if (mCancelRequest) mError = TMeshError::meCancelled;
}

bool TAQVGrid::AddNode(double tolerance, double x, double y) {
  if (tolerance > 0) {
    for (int cy = mBuckets.CellY(y - tolerance); cy <= mBuckets.CellY(y + tolerance); ++cy) {
      for (int cx = mBuckets.CellX(x - tolerance); cx <= mBuckets.CellX(x + tolerance); ++cx) {
        for (int i = mBuckets.Head(cx, cy); i != 0; i = mBuckets.Next(i)) {
          const TMeshNode& node = At(i);
          if (std::abs(x - node.X) < tolerance && std::abs(y - node.Y) < tolerance) return false;
        }
      }
    }
  }
  if (mNodeCount >= kMaxMeshNodes) {
    mError = TMeshError::meTooManyNodes;
    return false;
  }
  TMeshNode& node = At(++mNodeCount);
  node.X = x;
  node.Y = y;
  node.Link = 0;
  node.NeighbourCount = 0;
  mBuckets.Insert(mNodeCount, x, y);
  if (mNodeCount % 100 == 0) Progress(false);
  return true;
}

// Corner k of the hexagon of the given radius and, between corner k and k + 1, `between` evenly
// spaced points, for k = 0..5.
void TAQVGrid::AddHexagon(double radius, int between, double tolerance) {
  for (int k = 0; k < 6 && IsSuccess(mError); ++k) {
    const double x0 = mCentreX + radius * std::cos(k * kPi / 3);
    const double y0 = mCentreY + radius * std::sin(k * kPi / 3);
    const double x1 = mCentreX + radius * std::cos((k + 1) * kPi / 3);
    const double y1 = mCentreY + radius * std::sin((k + 1) * kPi / 3);
    AddNode(tolerance, x0, y0);
    for (int j = 1; j <= between && IsSuccess(mError); ++j) {
      const double f = static_cast<double>(j) / (between + 1);
      AddNode(tolerance, x0 + f * (x1 - x0), y0 + f * (y1 - y0));
    }
  }
}

void TAQVGrid::AddBoundary() {
  AddHexagon(mRadius, mDensity + 5, 0);
  for (int i = 1; i <= mNodeCount; ++i) At(i).Link = i < mNodeCount ? i + 1 : 1;
}

void TAQVGrid::SortWellNeighbours(const TMeshInput& input) {
  const int count = static_cast<int>(input.PumpingWells.size());
  for (int i = 1; i <= count; ++i) {
    auto& list = mWellNeighbours[static_cast<std::size_t>(i)];
    const auto& wi = input.PumpingWells[static_cast<std::size_t>(i - 1)];
    for (int j = 1; j <= count; ++j) {
      if (j == i) continue;
      const auto& wj = input.PumpingWells[static_cast<std::size_t>(j - 1)];
      const TWellNeighbour entry{j, std::hypot(wj.X - wi.X, wj.Y - wi.Y) / 2};
      // Insertion keeps equal distances in index order.
      auto at =
          std::upper_bound(list.begin(), list.end(), entry.HalfDistance,
                           [](double d, const TWellNeighbour& e) { return d < e.HalfDistance; });
      list.insert(at, entry);
    }
  }
}

void TAQVGrid::MergeWells(const TMeshInput& input) {
  const int count = static_cast<int>(input.PumpingWells.size());
  for (int i = 1; i <= count; ++i) {
    const double rwi = input.PumpingWells[static_cast<std::size_t>(i - 1)].Rw;
    for (const TWellNeighbour& n : mWellNeighbours[static_cast<std::size_t>(i)]) {
      const double rwj = input.PumpingWells[static_cast<std::size_t>(n.Well - 1)].Rw;
      if (n.Well < i && 7 * (rwi + rwj) >= 2 * n.HalfDistance) {
        mDependent[static_cast<std::size_t>(i)] = n.Well;
      }
    }
  }
}

// Well nodes come right after the boundary. Only nodes actually added are recorded, so that a
// well that coincides with an earlier one neither shifts the node ranges of the model file nor
// gets a name line of its own.
void TAQVGrid::AddWellNodes(const TMeshInput& input) {
  const int pumping = static_cast<int>(input.PumpingWells.size());
  for (int i = 1; i <= pumping && IsSuccess(mError); ++i) {
    if (mDependent[static_cast<std::size_t>(i)] != 0) continue;
    const auto& w = input.PumpingWells[static_cast<std::size_t>(i - 1)];
    if (AddNode(kWellTolerance, w.X, w.Y)) {
      mPumpingNode[static_cast<std::size_t>(i)] = mNodeCount;
      ++mIndependentCount;
    } else if (IsSuccess(mError)) {
      mDependent[static_cast<std::size_t>(i)] = i == 1 ? 0 : 1;  // only well 1 can be earlier
    }
  }
  const int observation = static_cast<int>(input.ObservationWells.size());
  for (int k = 1; k <= observation && IsSuccess(mError); ++k) {
    const auto& o = input.ObservationWells[static_cast<std::size_t>(k - 1)];
    bool nearPumpingWell = false;
    for (const auto& w : input.PumpingWells) {
      nearPumpingWell = nearPumpingWell || Squared(o.X - w.X, o.Y - w.Y) <= 36 * w.Rw * w.Rw;
    }
    const bool inside = std::hypot(o.X - mCentreX, o.Y - mCentreY) < 0.8 * mRadius;
    if (!nearPumpingWell && inside && AddNode(kWellTolerance, o.X, o.Y)) {
      mObservationNode[static_cast<std::size_t>(k)] = mNodeCount;
      ++mObservationNodeCount;
    }
  }
}

// Rings of growing spacing around pumping well `well`; the growth factor is adjusted so that a
// ring ends half-way to the nearest independent well. lastRadius and lastCount return the ring
// radius after the last step and the node count of the last ring.
void TAQVGrid::AddRings(const TMeshInput& input, int well, double spacing, double& lastRadius,
                        int& lastCount) {
  const auto& w = input.PumpingWells[static_cast<std::size_t>(well - 1)];
  const auto& list = mWellNeighbours[static_cast<std::size_t>(well)];
  double a = 1.45 - 0.035 * mDensity;
  double r = std::max(6 * w.Rw, 0.25);
  std::size_t nearest = 0;
  while (nearest < list.size() && mDependent[static_cast<std::size_t>(list[nearest].Well)] != 0)
    ++nearest;
  const bool hasNeighbour = nearest < list.size();
  if (hasNeighbour) {
    const double f = std::log(list[nearest].HalfDistance / r * (a - 1) + 1);
    const int n = static_cast<int>(std::trunc(f / std::log(a)));
    a = std::exp(f / (n + 0.5));
  }
  double dr = r;
  double o = well % 2 == 0 ? -0.25 : 0.25;
  int count = 6;
  do {
    o = -o;
    count = 6 * static_cast<int>(RoundHalfEven(r / dr - 0.333));
    for (int j = 1; j <= count && IsSuccess(mError); ++j) {
      const double t = count == 6 ? j - o + 10.0 * well / 24 : j + o + 5.0 * well / 24;
      const double theta = 2 * kPi * t / count;
      const double x = w.X + r * std::cos(theta), y = w.Y + r * std::sin(theta);
      bool dropped = false;
      if (hasNeighbour && r > list[nearest].HalfDistance) {
        for (std::size_t k = nearest; k < list.size() && !dropped; ++k) {
          const auto& other = input.PumpingWells[static_cast<std::size_t>(list[k].Well - 1)];
          dropped = r > list[k].HalfDistance && !(std::hypot(x - other.X, y - other.Y) > r);
        }
      }
      if (!dropped) AddNode(0.5 * r / count, x, y);
    }
    dr *= a;
    r += dr;
  } while (IsSuccess(mError) && spacing * r / (r + dr) >= (r - dr) * 2 * kPi / count);
  lastRadius = r;
  lastCount = count;
}

// Fills the inner hexagon with equilateral triangles of side `spacing`; near the wells (within
// 1.2 h of the centre, h covering the last well's rings) lattice points that crowd ring nodes
// are dropped.
void TAQVGrid::AddLattice(double spacing, int firstRingNode, double lastRadius, int lastCount) {
  double m2 = 0;
  for (int i = std::max(firstRingNode, 1); i <= mNodeCount; ++i) {
    m2 = std::max(m2, Squared(At(i).X - mCentreX, At(i).Y - mCentreY));
  }
  const double h = (std::sqrt(m2) + spacing) * std::sqrt(5.0) / 2;
  const int q = 7 * mDensity + 3;
  const double rho0 = spacing * (q + 1);
  for (int p = 1; p <= q && IsSuccess(mError); ++p) {
    const double rho = static_cast<double>(q + 1 - p) / (q + 1) * rho0;
    const double tolerance = rho <= 1.2 * h ? 3 * lastRadius / lastCount : 0;
    AddHexagon(rho, q - p, tolerance);
  }
}

void TAQVGrid::GenerateNodes(const TMeshInput& input) {
  AddBoundary();
  SortWellNeighbours(input);
  MergeWells(input);
  AddWellNodes(input);
  const int g = mDensity;
  // The lattice spacing: the outer hexagons shrink by (q + 1)/(q + 2) for q = g + 7, g + 9, ...
  double rho0 = mRadius;
  for (int j = 1; j <= 3 * g - 1; ++j) rho0 *= (g + 2.0 * j + 6) / (g + 2.0 * j + 7);
  const double spacing = rho0 / (7 * g + 4);
  double lastRadius = 0.25;
  int lastCount = 6;
  int firstRingNode = mNodeCount;
  const int pumping = static_cast<int>(input.PumpingWells.size());
  for (int i = 1; i <= pumping && IsSuccess(mError); ++i) {
    if (mDependent[static_cast<std::size_t>(i)] != 0) continue;
    firstRingNode = mNodeCount;
    AddRings(input, i, spacing, lastRadius, lastCount);
  }
  double rho = mRadius;
  for (int q = g + 7; q <= 7 * g + 3 && IsSuccess(mError); q += 2) {
    rho *= (q + 1.0) / (q + 2.0);
    AddHexagon(rho, q, 0);
  }
  if (IsSuccess(mError)) AddLattice(spacing, firstRingNode, lastRadius, lastCount);
  if (IsSuccess(mError)) Progress(false);
}

// ---- Triangulation ----------------------------------------------------------------------------

void TAQVGrid::AddNeighbour(int node, int neighbour) {
  TMeshNode& n = At(node);
  const auto end = n.Neighbours.begin() + n.NeighbourCount;
  if (std::find(n.Neighbours.begin(), end, neighbour) != end) return;
  if (n.NeighbourCount >= kMaxNodeNeighbours) {
    mError = TMeshError::meTooManyNeighbours;
    return;
  }
  n.Neighbours[static_cast<std::size_t>(n.NeighbourCount++)] = neighbour;
}

void TAQVGrid::AddElement(int a, int b, int p) {
  const std::array<int, 3> nodes{a, b, p};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (i != j)
        AddNeighbour(nodes[static_cast<std::size_t>(i)], nodes[static_cast<std::size_t>(j)]);
    }
  }
  mTriangles.push_back(nodes);
  ++mElementCount;
  if (mElementCount % 100 == 0 && IsSuccess(mError)) Progress(true);
}

namespace {

// The two best candidates of a front step so far, in the order the nodes are offered.
struct TCandidates {
  double Window;  // half-width of the square search window, length
  double Best = 1.0, Second = 1.0;
  int P1 = 0, P2 = 0;

  bool InWindow(double dx, double dy) const {
    return std::abs(dx) < Window && std::abs(dy) < Window;
  }
  // A node inside the window and left of the edge, at squared distance d2 from the edge's
  // midpoint, seeing the edge under an angle of cosine c.
  void Offer(int p, double d2, double c) {
    if (!(c < Second)) return;
    Window = (std::sqrt(d2) + 2 * Window) / 3;
    if (c < Best) {
      Second = Best;
      P2 = P1;
      Best = c;
      P1 = p;
    } else {
      Second = c;
      P2 = p;
    }
  }
};

// Squared distance of p from the midpoint m of a -> b when p lies strictly left of the edge
// (with a margin against nearly collinear points), else -1.
template <class TPoint>
double LeftDistance2(const TMeshNode& b, double mx, double my, const TPoint& p) {
  const double d2 = Squared(p.X - mx, p.Y - my);
  return Cross(b.X - mx, b.Y - my, p.X - mx, p.Y - my) > 0.005 * d2 ? d2 : -1;
}

// The angle at p under which p sees a and b, as the dot product of p -> a and p -> b and the
// product of their squared lengths.
struct TAngle {
  double Dot, Lengths2;

  double Cosine() const { return Dot / std::sqrt(Lengths2); }
  // Whether Cosine() is certainly not below bound, decided without a root or a division (most
  // nodes offered in a search are turned down, and this is its hot path); false when it is
  // too close to call. Both sides are squared, with a margin far above their rounding.
  bool CosineNotBelow(double bound) const {
    const double scaled = bound * bound * Lengths2;
    if (bound >= 0) return Dot > 0 && Dot * Dot > scaled * (1 + 1e-12);
    return Dot >= 0 || Dot * Dot < scaled * (1 - 1e-12);
  }
};

template <class TPoint>
TAngle AngleAt(const TMeshNode& a, const TMeshNode& b, const TPoint& p) {
  const double ax = a.X - p.X, ay = a.Y - p.Y, bx = b.X - p.X, by = b.Y - p.Y;
  return {ax * bx + ay * by, Squared(ax, ay) * Squared(bx, by)};
}

}  // namespace

// The node that closes the front edge a -> b into the best-shaped triangle on its left side;
// 0 when there is none. Nodes are examined in number order; the window around the edge's
// midpoint narrows as better candidates appear.
int TAQVGrid::ChooseCandidate(int a, int b, double window) {
  return mIndexedSearch ? ScanTreeCandidates(a, b, window) : ScanAllCandidates(a, b, window);
}

int TAQVGrid::ScanAllCandidates(int a, int b, double window) const {
  const TMeshNode& na = mNodes[static_cast<std::size_t>(a)];
  const TMeshNode& nb = mNodes[static_cast<std::size_t>(b)];
  const double mx = (na.X + nb.X) / 2, my = (na.Y + nb.Y) / 2;
  TCandidates scan{window};
  for (int p = mScanLow; p <= mScanHigh; ++p) {
    const TMeshNode& np = mNodes[static_cast<std::size_t>(p)];
    if (np.Link < 0 || p == a || p == b || !scan.InWindow(np.X - mx, np.Y - my)) continue;
    const double d2 = LeftDistance2(nb, mx, my, np);
    if (d2 >= 0) scan.Offer(p, d2, AngleAt(na, nb, np).Cosine());
  }
  if (scan.P1 == 0 || scan.P2 == 0) return scan.P1;
  return PreferSecond(a, b, scan.P1, scan.P2, mx, my) ? scan.P2 : scan.P1;
}

namespace {

// Whether no node in box can be offered to scan for the edge a -> b with midpoint (mx, my): the
// box lies outside the search window, right of the edge, or outside the disc of the points that
// see the edge under a wider angle than the second-best candidate. Each test errs on the side
// of keeping a box, so that the tree search offers exactly the nodes the full scan offers.
class TBoxFilter {
 public:
  TBoxFilter(const TMeshNode& a, const TMeshNode& b, double mx, double my)
      : mMx(mx), mMy(my), mEx(b.X - mx), mEy(b.Y - my), mHalf2(Squared(b.X - a.X, b.Y - a.Y) / 4) {}

  bool Excludes(double minX, double minY, double maxX, double maxY, const TCandidates& scan) {
    const double w = scan.Window;
    // The differences round monotonically, so a box edge beyond the window keeps every node
    // of the box beyond it as the node test computes it.
    if (maxX - mMx <= -w || minX - mMx >= w || maxY - mMy <= -w || minY - mMy >= w) return true;
    // The cross product with the edge is largest at one corner; a node must give more than 0.
    const double cx = mEy > 0 ? minX - mMx : maxX - mMx;
    const double cy = mEx > 0 ? maxY - mMy : minY - mMy;
    if (Cross(mEx, mEy, cx, cy) <= 0) return true;
    return OutsideDisc(minX, minY, maxX, maxY, scan.Second);
  }

  // Whether no point of the box sees the edge under an angle of cosine below second.
  bool OutsideDisc(double minX, double minY, double maxX, double maxY, double second) {
    if (second != mSecond) SetSecond(second);
    if (mDiscRadius2 <= 0) return false;
    const double dx = std::max(std::max(minX - mDiscX, mDiscX - maxX), 0.0);
    const double dy = std::max(std::max(minY - mDiscY, mDiscY - maxY), 0.0);
    return Squared(dx, dy) > mDiscRadius2;
  }

 private:
  // The points left of the edge that see it under an angle of cosine below c lie inside the
  // circle through both ends whose centre is h c / sqrt(1 - c^2) to the left of the midpoint,
  // h the half edge length, with radius h / sqrt(1 - c^2) (inscribed angle theorem). Near
  // c = +-1 the circle is too large or too flat to help and is not used. The radius is
  // widened by a part in a million, far beyond the rounding of the cosine and of the centre.
  // The second-best cosine changes with nearly every offer, so this is kept to one root and
  // one division; (-ey, ex) is the left normal of length h.
  void SetSecond(double second) {
    mSecond = second;
    mDiscRadius2 = 0;
    if (!(std::abs(second) < 0.999)) return;
    const double inverse = 1 / (1 - second * second);   // 1 / sine^2
    const double offset = second * std::sqrt(inverse);  // in half edge lengths
    mDiscX = mMx - mEy * offset;
    mDiscY = mMy + mEx * offset;
    mDiscRadius2 = mHalf2 * inverse * (1 + 2e-6);
  }

  double mMx, mMy, mEx, mEy, mHalf2;
  double mSecond = 2;
  double mDiscX = 0, mDiscY = 0, mDiscRadius2 = 0;
};

}  // namespace

// The full scan's search, visiting only the parts of the node tree where a node could still be
// offered. The tree is walked in number order and each box is judged when it is reached, with
// the window and candidates as they are then, so the nodes are offered in the same order and
// with the same outcome as in the full scan.
int TAQVGrid::ScanTreeCandidates(int a, int b, double window) {
  const TMeshNode& na = mNodes[static_cast<std::size_t>(a)];
  const TMeshNode& nb = mNodes[static_cast<std::size_t>(b)];
  const double mx = (na.X + nb.X) / 2, my = (na.Y + nb.Y) / 2;
  TCandidates scan{window};
  TBoxFilter filter(na, nb, mx, my);
  std::array<int, 64> stack;  // two entries a level; the tree has at most 15 levels
  std::size_t depth = 0;
  stack[depth++] = 1;
  while (depth > 0) {
    const int entry = stack[--depth];
    const TTreeBox& box = mTreeBoxes[static_cast<std::size_t>(entry)];
    if (filter.Excludes(box.MinX, box.MinY, box.MaxX, box.MaxY, scan)) continue;
    if (entry < mTreeLeafBase) {
      stack[depth++] = 2 * entry + 1;
      stack[depth++] = 2 * entry;
      continue;
    }
    const int run = (entry - mTreeLeafBase) * kTreeLeafNodes;
    const int last = std::min(run + kTreeLeafNodes - 1, mScanHigh);
    for (int p = std::max(run, mScanLow); p <= last; ++p) {
      const TLivePoint& q = mLive[static_cast<std::size_t>(p)];
      if (!scan.InWindow(q.X - mx, q.Y - my) || p == a || p == b) continue;
      const double d2 = LeftDistance2(nb, mx, my, q);
      if (d2 < 0) continue;
      const TAngle angle = AngleAt(na, nb, q);
      if (!angle.CosineNotBelow(scan.Second)) scan.Offer(p, d2, angle.Cosine());
    }
  }
  if (scan.P1 == 0 || scan.P2 == 0) return scan.P1;
  return PreferSecond(a, b, scan.P1, scan.P2, mx, my) ? scan.P2 : scan.P1;
}

// The bounding box of the live nodes of one leaf's number run.
void TAQVGrid::RefreshLeafBox(int leaf) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  TTreeBox box{kInf, kInf, -kInf, -kInf};
  const int first = (leaf - mTreeLeafBase) * kTreeLeafNodes;
  for (int p = std::max(first, 1); p < first + kTreeLeafNodes && p <= mNodeCount; ++p) {
    const TMeshNode& n = At(p);
    if (n.Link < 0) continue;
    box = {std::min(box.MinX, n.X), std::min(box.MinY, n.Y), std::max(box.MaxX, n.X),
           std::max(box.MaxY, n.Y)};
  }
  mTreeBoxes[static_cast<std::size_t>(leaf)] = box;
}

// The search's copy of the coordinates, leaf boxes from the nodes, inner boxes from their
// children.
void TAQVGrid::BuildNodeTree() {
  const int leaves = mNodeCount / kTreeLeafNodes + 1;
  mTreeLeafBase = static_cast<int>(std::bit_ceil(static_cast<unsigned>(leaves)));
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (int p = 1; p <= mNodeCount; ++p) {
    const TMeshNode& n = At(p);
    mLive[static_cast<std::size_t>(p)] = n.Link < 0 ? TLivePoint{kNaN, kNaN} : TLivePoint{n.X, n.Y};
  }
  for (int leaf = mTreeLeafBase; leaf < 2 * mTreeLeafBase; ++leaf) RefreshLeafBox(leaf);
  for (int entry = mTreeLeafBase - 1; entry >= 1; --entry) JoinChildBoxes(entry);
}

// An inner box from its two children; false when it stayed as it was.
bool TAQVGrid::JoinChildBoxes(int entry) {
  const TTreeBox& l = mTreeBoxes[static_cast<std::size_t>(2 * entry)];
  const TTreeBox& r = mTreeBoxes[static_cast<std::size_t>(2 * entry + 1)];
  const TTreeBox joined{std::min(l.MinX, r.MinX), std::min(l.MinY, r.MinY),
                        std::max(l.MaxX, r.MaxX), std::max(l.MaxY, r.MaxY)};
  TTreeBox& box = mTreeBoxes[static_cast<std::size_t>(entry)];
  if (joined.MinX == box.MinX && joined.MinY == box.MinY && joined.MaxX == box.MaxX &&
      joined.MaxY == box.MaxY)
    return false;
  box = joined;
  return true;
}

// Marks a node consumed by the front and shrinks the boxes above it.
void TAQVGrid::Consume(int node) {
  At(node).Link = -1;
  if (!mIndexedSearch) return;
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  mLive[static_cast<std::size_t>(node)] = {kNaN, kNaN};
  const int leaf = mTreeLeafBase + node / kTreeLeafNodes;
  RefreshLeafBox(leaf);
  for (int entry = leaf / 2; entry >= 1 && JoinChildBoxes(entry); entry /= 2) {
  }
}

// Between the two candidates with the widest angles, the one whose triangle (and the triangle
// it leaves for later) is better shaped: each q is twice a triangle's area over the sum of its
// squared sides.
bool TAQVGrid::PreferSecond(int a, int b, int p1, int p2, double mx, double my) const {
  const TMeshNode& A = mNodes[static_cast<std::size_t>(a)];
  const TMeshNode& B = mNodes[static_cast<std::size_t>(b)];
  const TMeshNode& P1 = mNodes[static_cast<std::size_t>(p1)];
  const TMeshNode& P2 = mNodes[static_cast<std::size_t>(p2)];
  const double ab2 = Squared(B.X - A.X, B.Y - A.Y);
  const double p1a2 = Squared(P1.X - A.X, P1.Y - A.Y), p1b2 = Squared(P1.X - B.X, P1.Y - B.Y);
  const double p2a2 = Squared(P2.X - A.X, P2.Y - A.Y), p2b2 = Squared(P2.X - B.X, P2.Y - B.Y);
  const double p21 = Squared(P2.X - P1.X, P2.Y - P1.Y);
  const double q1 = Cross(B.X - A.X, B.Y - A.Y, P1.X - A.X, P1.Y - A.Y) / (ab2 + p1b2 + p1a2);
  const double q2 = Cross(B.X - A.X, B.Y - A.Y, P2.X - B.X, P2.Y - B.Y) / (ab2 + p2b2 + p2a2);
  const double q3 = Cross(P2.X - P1.X, P2.Y - P1.Y, P2.X - B.X, P2.Y - B.Y) / (p1b2 + p2b2 + p21);
  const double q4 = Cross(P1.X - A.X, P1.Y - A.Y, P2.X - P1.X, P2.Y - P1.Y) / (p1a2 + p21 + p2a2);
  double m1 = 0, m2 = 0;
  if (q3 <= q4) {
    m1 = q4;
    m2 = -q3;
  } else {
    m1 = q3;
    m2 = -q4;
  }
  if (0.9999 * q2 * m2 > q1 * m1) return true;
  if (1.0001 * q2 * m2 <= q1 * m1) return false;
  return (P2.X - mx) * (P2.Y - my) > (P1.X - mx) * (P1.Y - my);
}

void TAQVGrid::AdvanceFront(int& a, int b, int p) {
  if (p != 0 && At(p).Link == 0) {
    AddElement(a, b, p);
    At(p).Link = b;
    At(a).Link = p;
    a = p;
  } else if (p != 0 && At(b).Link == p) {
    AddElement(a, b, p);
    Consume(b);
    At(a).Link = p;
  } else if (p != 0 && At(p).Link == a) {
    AddElement(a, b, p);
    At(p).Link = b;
    Consume(a);
    a = b;
  } else {
    a = b;
  }
}

// Advancing front (after Lo & Sloan): the front starts as the boundary, counter-clockwise, and
// each step closes the edge from the current node A to its successor with a node on its left.
// A front that goes round once without making an element is stuck.
void TAQVGrid::Triangulate() {
  const double window = At(1).X - At(5).X;  // two boundary spacings
  if (mIndexedSearch) BuildNodeTree();
  int a = 1;
  mScanLow = 1;
  mScanHigh = mNodeCount;
  int stall = 0, remembered = 0;
  do {
    const int b = At(a).Link;
    if (b < 1 || b > mNodeCount) {
      mError = TMeshError::meGridGeneration;
      break;
    }
    if (a % 50 == 0) {
      while (mScanLow < mScanHigh && At(mScanLow).Link < 0) ++mScanLow;
      while (mScanHigh > mScanLow && At(mScanHigh).Link < 0) --mScanHigh;
    }
    const int elements = mElementCount;
    AdvanceFront(a, b, ChooseCandidate(a, b, window));
    if (mElementCount != elements) stall = 0;
    if (!IsSuccess(mError)) break;
    if (mElementCount > kMaxMeshElements) {
      mError = TMeshError::meTooManyElements;
      break;
    }
    ++stall;
    if (stall == 2) remembered = a;
    if (stall > 2 && a == remembered) mError = TMeshError::meGridGeneration;
  } while (IsSuccess(mError) && At(At(a).Link).Link != a);
  if (!IsSuccess(mError)) return;
  const int b = At(a).Link;
  Consume(a);
  Consume(b);
  for (int i = 1; i <= mNodeCount; ++i) {
    if (At(i).Link >= 0) {
      mError = TMeshError::meGridGeneration;
      return;
    }
  }
  SortNeighbours();
}

// Each node's neighbours counter-clockwise by direction; a boundary node's list then starts
// and ends with its two boundary neighbours, so that it runs through the inside.
void TAQVGrid::SortNeighbours() {
  std::array<std::pair<double, int>, kMaxNodeNeighbours> keyed;
  for (int i = 1; i <= mNodeCount; ++i) {
    TMeshNode& n = At(i);
    const auto count = static_cast<std::size_t>(n.NeighbourCount);
    for (std::size_t k = 0; k < count; ++k) {
      const TMeshNode& m = At(n.Neighbours[k]);
      keyed[k] = {DirectionAngle(m.X - n.X, m.Y - n.Y), n.Neighbours[k]};
    }
    std::stable_sort(keyed.begin(), keyed.begin() + static_cast<std::ptrdiff_t>(count),
                     [](const auto& l, const auto& r) { return l.first < r.first; });
    for (std::size_t k = 0; k < count; ++k) n.Neighbours[k] = keyed[k].second;
    if (i > mBoundaryNodeCount || count == 0) continue;
    const auto first = n.Neighbours.begin(), end = first + static_cast<std::ptrdiff_t>(count);
    for (std::size_t turn = 0; turn < count; ++turn) {
      if (*first <= mBoundaryNodeCount && *(end - 1) <= mBoundaryNodeCount) break;
      std::rotate(first, first + 1, end);
    }
  }
}

// Laplacian smoothing of the interior: boundary and well nodes and the first ring around each
// pumping well stay where they are.
void TAQVGrid::SmoothNodes() {
  const int firstFree = mBoundaryNodeCount + mIndependentCount + mObservationNodeCount + 1;
  for (int i = firstFree; i <= mNodeCount; ++i) At(i).Link = 0;
  for (int w = 1; w <= kMaxPumpingWells; ++w) {
    const int node = mPumpingNode[static_cast<std::size_t>(w)];
    if (node == 0) continue;
    const TMeshNode& n = At(node);
    for (int k = 0; k < n.NeighbourCount; ++k)
      At(n.Neighbours[static_cast<std::size_t>(k)]).Link = 1;
  }
  for (int pass = 0; pass < mSmoothingPasses; ++pass) {
    for (int i = firstFree; i <= mNodeCount; ++i) {
      TMeshNode& n = At(i);
      if (n.Link != 0 || n.NeighbourCount == 0) continue;
      double sx = 0, sy = 0;
      for (int k = 0; k < n.NeighbourCount; ++k) {
        const TMeshNode& m = At(n.Neighbours[static_cast<std::size_t>(k)]);
        sx += m.X;
        sy += m.Y;
      }
      n.X += kSmoothingFactor * (sx / n.NeighbourCount - n.X);
      n.Y += kSmoothingFactor * (sy / n.NeighbourCount - n.Y);
    }
  }
}

// Breadth-first numbering from boundary node 16, neighbours taken in their sorted order, which
// keeps the bandwidth of the model's matrix small.
void TAQVGrid::RenumberNodes() {
  std::fill(mOrder.begin(), mOrder.begin() + mNodeCount + 1, 0);
  std::fill(mRank.begin(), mRank.begin() + mNodeCount + 1, 0);
  mOrder[1] = kFirstNumberedNode;
  mRank[kFirstNumberedNode] = 1;
  int next = 2;
  for (int k = 1; k < next && k <= mNodeCount; ++k) {
    const TMeshNode& n = At(mOrder[static_cast<std::size_t>(k)]);
    for (int j = 0; j < n.NeighbourCount; ++j) {
      const int m = n.Neighbours[static_cast<std::size_t>(j)];
      if (mRank[static_cast<std::size_t>(m)] != 0) continue;
      mRank[static_cast<std::size_t>(m)] = next;
      mOrder[static_cast<std::size_t>(next++)] = m;
    }
  }
  if (next != mNodeCount + 1) mError = TMeshError::meGridGeneration;
}

// ---- Preview transform --------------------------------------------------------------------------

TMeshTransform TMeshTransform::ForArea(int width, int height, double radius, double centreX,
                                       double centreY) {
  TMeshTransform t;
  const double pixelWidth = std::max(width - 4, 1), pixelHeight = std::max(height - 4, 1);
  t.PixelCentreX = 2 + pixelWidth / 2;
  t.PixelCentreY = 2 + pixelHeight / 2;
  t.Scale = radius > 0 ? std::min(pixelWidth, pixelHeight) / (2 * radius) : 1;
  t.CentreX = centreX;
  t.CentreY = centreY;
  return t;
}

int TMeshTransform::PixelX(double x) const {
  const double p = std::round(PixelCentreX + (x - CentreX) * Scale);
  return p >= 0 && p <= 2000 ? static_cast<int>(p) : -1;
}

int TMeshTransform::PixelY(double y) const {
  const double p = std::round(PixelCentreY - (y - CentreY) * Scale);
  return p >= 0 && p <= 2000 ? static_cast<int>(p) : -1;
}

}  // namespace aqv

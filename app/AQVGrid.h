#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "model/AQVDataTypes.h"

namespace aqv {

class TAQVData;

// Why a mesh generation stopped; the numbers are the error codes of the generator.
enum class TMeshError : int {
  meNone = 0,
  meTooManyNodes = 1,
  meTooManyElements = 2,
  meTooManyNeighbours = 3,
  meGridGeneration = 4,  // the advancing front got stuck or left nodes unconnected
  meCancelled = 5,
};

constexpr bool IsSuccess(TMeshError error) {
  return error == TMeshError::meNone;
}
// The text the user sees for an error ("Too many nodes", ...); empty for meNone.
std::string ToText(TMeshError error);

inline constexpr int kMaxMeshNodes = 100000;
inline constexpr int kMaxMeshElements = 2000000;
inline constexpr int kMaxNodeNeighbours = 20;

// One mesh node. Coordinates in the document's length unit. Link is the front successor during
// triangulation (0 not yet on the front, -1 consumed) and the fixed mark (0 free, 1 fixed)
// during smoothing. Neighbours are generation numbers, without duplicates, sorted by direction
// once the triangulation is done.
struct TMeshNode {
  double X = 0, Y = 0;
  int Link = 0;
  int NeighbourCount = 0;
  std::array<int, kMaxNodeNeighbours> Neighbours{};
};

// What the generator reads from a document: density 1..10, model length (length unit), the
// well centre, the pumping wells with their screen radius and the observation wells. Well
// indices are 1-based in the vectors' order.
struct TMeshInput {
  struct TWell {
    double X = 0, Y = 0;
    double Rw = 0.1;  // screen radius, length; used for pumping wells only
  };
  int Density = 3;
  double ModelLength = 1000;
  double CentreX = 0, CentreY = 0;
  std::vector<TWell> PumpingWells;
  std::vector<TWell> ObservationWells;
};

// The generator's input as the document holds it now.
TMeshInput MeshInputFromData(const TAQVData& data);

// Node numbers in square cells over the model area, for the searches of the mesh generator:
// each cell holds a list of node numbers (newest first). A point outside the area falls into the
// nearest border cell, so that a search around any point still finds every node near it.
// Storage is kept between generations.
class TMeshBuckets {
 public:
  // An area of size x size from (left, bottom), cellsPerSide cells each way, empty.
  void Reset(double left, double bottom, double size, int cellsPerSide);
  void Insert(int node, double x, double y);
  int CellX(double x) const { return Cell(x - mLeft); }
  int CellY(double y) const { return Cell(y - mBottom); }
  int CellsPerSide() const { return mCount; }
  // First node of a cell's list and the node after `node` in its list; 0 ends a list.
  int Head(int cellX, int cellY) const {
    return mHead[static_cast<std::size_t>(cellY * mCount + cellX)];
  }
  int Next(int node) const { return mNext[static_cast<std::size_t>(node)]; }

 private:
  int Cell(double offset) const;
  double mLeft = 0, mBottom = 0, mCellSize = 1;
  int mCount = 1;
  std::vector<int> mHead, mNext;
};

// Builds a triangular finite-element mesh inside a regular hexagon around the wells: nodes on
// the boundary, at the wells, on rings of growing spacing around each pumping well and on a
// graded lattice of concentric hexagons; an advancing front from the boundary connects them;
// three smoothing passes relax the interior and a breadth-first renumbering from boundary node
// 16 gives the node order of the model file. Node numbers are generation numbers from 1 unless
// a name says "new number". Storage for kMaxMeshNodes nodes is allocated once, so a generation
// allocates nothing per node. Qt-free: progress reaches the owner through OnChange, and a
// cancel request set from there (or from anything OnChange lets run) stops the generation.
class TAQVGrid {
 public:
  TAQVGrid();

  // The document the convenience Generate reads; not owned.
  TAQVData* Data() const { return mData; }
  void SetData(TAQVData* data) { mData = data; }

  // Fired on progress (every 100 nodes or elements, and after the node placement) and at the
  // end of a successful generation. A handler may process pending GUI events and call
  // SetCancelRequest(true); the generator checks the request right after each progress call.
  std::function<void(TAQVGrid&)> OnChange;

  // Generates the mesh of input. On an error the mesh is invalid and the error is returned.
  [[nodiscard]] TMeshError Generate(const TMeshInput& input);
  // When a regeneration is requested and a document is set: stores half the model length as
  // the document's model radius, generates from the document and clears the request. An error
  // is shown through the document's user interface as an error box with OK.
  TMeshError Generate();

  // Passes of the interior smoothing, 3 unless set; 0 keeps the nodes where they were placed.
  int SmoothingPasses() const { return mSmoothingPasses; }
  void SetSmoothingPasses(int passes) { mSmoothingPasses = std::max(passes, 0); }

  // Whether the front's candidate search uses the tree of node boxes (the default) or scans
  // every node; both give the same mesh.
  bool IndexedSearch() const { return mIndexedSearch; }
  void SetIndexedSearch(bool value) { mIndexedSearch = value; }

  // Error code 0, cancel request off.
  void ResetStatus();
  bool CancelRequest() const { return mCancelRequest; }
  void SetCancelRequest(bool value) { mCancelRequest = value; }
  bool RegenerateRequest() const { return mRegenerateRequest; }
  void SetRegenerateRequest(bool value) { mRegenerateRequest = value; }
  bool Busy() const { return mBusy; }
  bool MeshValid() const { return mMeshValid; }
  TMeshError Error() const { return mError; }
  // count + " nodes" during placement, count + " nodes, " + elements + " elements" after.
  const std::string& InfoText() const { return mInfoText; }

  // --- The mesh --------------------------------------------------------------------------
  int Density() const { return mDensity; }
  int NodeCount() const { return mNodeCount; }
  int ElementCount() const { return mElementCount; }
  // 6 x (density + 6): nodes 1 to this number lie on the boundary, counter-clockwise.
  int BoundaryNodeCount() const { return mBoundaryNodeCount; }
  // Node by generation number, 1..NodeCount.
  const TMeshNode& Node(int number) const { return mNodes[static_cast<std::size_t>(number)]; }
  // Triangles by generation numbers, counter-clockwise, in the order they were made. The model
  // file only counts them; they are kept so the mesh can be checked and drawn.
  const std::vector<std::array<int, 3>>& Triangles() const { return mTriangles; }
  // New number (1..NodeCount) -> generation number, and the inverse.
  int Order(int newNumber) const { return mOrder[static_cast<std::size_t>(newNumber)]; }
  int Rank(int number) const { return mRank[static_cast<std::size_t>(number)]; }
  // Model radius R (half the model length) and hexagon centre of the last generation.
  double Radius() const { return mRadius; }
  double CentreX() const { return mCentreX; }
  double CentreY() const { return mCentreY; }

  // --- The wells ---------------------------------------------------------------------------
  // 0 for a pumping well with its own node, else the number of the well it is merged into.
  int DependentOn(int well) const { return mDependent[static_cast<std::size_t>(well)]; }
  // Generation number of a well's node; 0 for a merged pumping well or an observation well
  // that got none. Well nodes follow the boundary: pumping wells first, then observation wells.
  int PumpingWellNode(int well) const { return mPumpingNode[static_cast<std::size_t>(well)]; }
  int ObservationWellNode(int well) const {
    return mObservationNode[static_cast<std::size_t>(well)];
  }
  int IndependentPumpingWellCount() const { return mIndependentCount; }
  int ObservationNodeCount() const { return mObservationNodeCount; }

  // Direction of the vector (dx, dy) in [0, 2 pi); straight up is pi/2, straight down 3 pi/2.
  static double DirectionAngle(double dx, double dy);

 private:
  struct TWellNeighbour {
    int Well = 0;
    double HalfDistance = 0;  // length
  };

  void Clear(const TMeshInput& input);
  bool AddNode(double tolerance, double x, double y);
  void Progress(bool withElements);
  void GenerateNodes(const TMeshInput& input);
  void AddBoundary();
  void AddHexagon(double radius, int between, double tolerance);
  void SortWellNeighbours(const TMeshInput& input);
  void MergeWells(const TMeshInput& input);
  void AddWellNodes(const TMeshInput& input);
  void AddRings(const TMeshInput& input, int well, double spacing, double& lastRadius,
                int& lastCount);
  void AddLattice(double spacing, int firstRingNode, double lastRadius, int lastCount);
  void Triangulate();
  int ChooseCandidate(int a, int b, double window);
  int ScanAllCandidates(int a, int b, double window) const;
  int ScanTreeCandidates(int a, int b, double window);
  void BuildNodeTree();
  void RefreshLeafBox(int leaf);
  bool JoinChildBoxes(int entry);
  void Consume(int node);
  bool PreferSecond(int a, int b, int p1, int p2, double mx, double my) const;
  void AdvanceFront(int& a, int b, int p);
  void AddElement(int a, int b, int p);
  void AddNeighbour(int node, int neighbour);
  void SortNeighbours();
  void SmoothNodes();
  void RenumberNodes();
  TMeshNode& At(int number) { return mNodes[static_cast<std::size_t>(number)]; }

  TAQVData* mData = nullptr;
  std::vector<TMeshNode> mNodes;  // index 0 unused
  std::vector<int> mOrder, mRank;
  std::vector<std::array<int, 3>> mTriangles;
  int mNodeCount = 0, mElementCount = 0, mBoundaryNodeCount = 0, mDensity = 0;
  double mRadius = 0, mCentreX = 0, mCentreY = 0;
  std::array<int, kMaxPumpingWells + 1> mDependent{}, mPumpingNode{};
  std::array<int, kMaxObservationWells + 1> mObservationNode{};
  std::array<std::vector<TWellNeighbour>, kMaxPumpingWells + 1> mWellNeighbours;
  int mIndependentCount = 0, mObservationNodeCount = 0;
  int mSmoothingPasses = 3;
  bool mIndexedSearch = true;
  TMeshBuckets mBuckets;
  // The front's candidate index: a binary tree over the node numbers in runs of kTreeLeafNodes,
  // each tree entry holding the bounding box of the live (not consumed) nodes of its number
  // range. Entry 1 is the root, entry i has children 2i and 2i + 1, and the run of numbers
  // from k x kTreeLeafNodes is leaf mTreeLeafBase + k. An empty box has Min > Max.
  struct TTreeBox {
    double MinX, MinY, MaxX, MaxY;
  };
  static constexpr int kTreeLeafNodes = 8;
  std::vector<TTreeBox> mTreeBoxes;
  // Node coordinates for the candidate search, NaN once a node is consumed, so that a consumed
  // node fails the window test; 16 bytes a node keep a leaf's run in two cache lines.
  struct TLivePoint {
    double X, Y;
  };
  std::vector<TLivePoint> mLive;
  int mTreeLeafBase = 1;
  int mScanLow = 1, mScanHigh = 0;  // node range the front's candidate scan covers
  TMeshError mError = TMeshError::meNone;
  bool mCancelRequest = false, mBusy = false, mRegenerateRequest = false, mMeshValid = false;
  std::string mInfoText;
};

// Maps model points to the pixels of a preview area: margins of 2 pixels on every side, one
// scale for both axes that fits the hexagon of radius R, y upwards.
struct TMeshTransform {
  double PixelCentreX = 0, PixelCentreY = 0, Scale = 1;
  double CentreX = 0, CentreY = 0;

  static TMeshTransform ForArea(int width, int height, double radius, double centreX,
                                double centreY);
  // Pixel coordinates, rounded; a coordinate outside 0..2000 becomes -1.
  int PixelX(double x) const;
  int PixelY(double y) const;
};

}  // namespace aqv

#pragma once

#include <string_view>

#include "model/Array1.h"
#include "model/engine/AQVBessel.h"

namespace aqv {

// The layered aquifer system in the Laplace domain: for one Laplace parameter p the leakage
// matrix of the aquifers is made symmetric and decomposed into eigen-modes, each of which
// behaves like a single leaky aquifer with a K0 radial solution. Everything here works on plain
// values; the document copies its tables into these structs and keeps the work state.

inline constexpr int kMaxAquifers = 2;
// Aquitards 1..n+1, and the order of the eigenvector work buffer.
inline constexpr int kMaxLayerPositions = 3;
// Relative tolerance of the eigen-decomposition (times the trace and 1e-5 gives its absolute
// tolerance).
inline constexpr double kEigenTolerance = 1e-16;

using TLayerValues = TArray1<double, kMaxLayerPositions>;
// A 3 x 3 matrix indexed [row][column] from 1.
using TMatrix3 = TArray1<TArray1<double, kMaxLayerPositions>, kMaxLayerPositions>;
using TIndex3 = TArray1<int, kMaxLayerPositions>;

// Result of an engine evaluation. The numbers of TEngineStatus are the run codes that the
// document keeps in its status code; the fault says what went wrong, for tests and reports.
enum class TEngineStatus : int { esSuccess = 0, esAquiferSystemFailed = 11 };

enum class TEngineFault : int {
  efNone = 0,
  efAquiferSystem,  // an eigenvalue below the tolerance, no storage or leakage, no convergence
  efWellMatrix,     // a zero row in the well matrix
  efNonFinite,      // a NaN or infinite value anywhere in the evaluation
  efInvalidInput    // counts, layers or sizes outside their ranges
};

inline constexpr std::string_view kAquiferSystemMessage =
    "Cannot compute aquifer system: Check for extreme low or high values.";
inline constexpr std::string_view kWellMatrixMessage =
    "Cannot compute aquifer system. Error in LUDCMP.";

struct [[nodiscard]] TEngineResult {
  TEngineStatus Status = TEngineStatus::esSuccess;
  TEngineFault Fault = TEngineFault::efNone;

  bool IsSuccess() const { return Status == TEngineStatus::esSuccess; }
  // The text the user sees for this result: empty on success, else kWellMatrixMessage for a
  // singular well matrix and kAquiferSystemMessage for every other failure.
  std::string_view Message() const;
  static TEngineResult Failure(TEngineFault fault) {
    return {TEngineStatus::esAquiferSystemFailed, fault};
  }
  friend bool operator==(const TEngineResult&, const TEngineResult&) = default;
};

std::string_view ToText(TEngineFault fault);

// The aquifer system as the engine needs it. Aquitard i lies above aquifer i; aquitard n+1
// lies below aquifer n.
struct TAquiferSystemInput {
  int AquiferCount = 1;       // n, 1..kMaxAquifers
  TLayerValues T{};           // transmissivity of aquifer i, length2/day
  TLayerValues S{};           // storativity of aquifer i
  TLayerValues Resistance{};  // resistance c of aquitard i, days
  TLayerValues SAquitard{};   // storativity S' of aquitard i
  bool TopAquitardAbsent = false;
  bool BottomAquitardAbsent = false;
  bool TopAquitardImpervious = false;    // outer face of aquitard 1 closed
  bool BottomAquitardImpervious = true;  // outer face of aquitard n+1 closed
};

// The work state of one Laplace evaluation, written by ComputeAquiferSystem. After a success
// SystemDiagonal[k] is the eigenvalue lambda_k (1/length2) and Eigenvectors[i][k] the component
// of mode k in aquifer i, scaled so that Z = T^(-1/2) Q with Q orthonormal. Index bases are 1.
struct TAquiferSystemState {
  double LaplaceP = 0.0;                // p, 1/day; set by the caller before ComputeAquiferSystem
  int SystemSize = 0;                   // order of the decomposed system (the aquifer count)
  TLayerValues AquitardSelfTerm{};      // a_i, 1/day
  TLayerValues AquitardCouplingTerm{};  // b_i, 1/day
  TLayerValues SystemDiagonal{};
  TLayerValues SystemOffDiagonal{};
  TLayerValues SystemOffDiagonalSquared{};
  double SystemTrace = 0.0;
  TMatrix3 Eigenvectors{};
  double EigenTolerance = kEigenTolerance;
};

// Fills the aquitard terms and the symmetric tridiagonal matrix for p = state.LaplaceP and
// decomposes it. Returns false when the system is singular (an eigenvalue below the tolerance,
// or a mode without any storage or leakage), a value is not finite, the decomposition did not
// converge or the aquifer count is out of range.
[[nodiscard]] bool ComputeAquiferSystem(const TAquiferSystemInput& system,
                                        TAquiferSystemState& state);

// Implicitly shifted QR sweeps on the symmetric tridiagonal matrix of order state.SystemSize
// (1..3), in place, accumulating the rotations into state.Eigenvectors. Returns false when an
// eigenvalue lies below the tolerance or is not finite, or the sweep limit is exceeded.
[[nodiscard]] bool EigenTridiagonalQL(TAquiferSystemState& state);

// LU decomposition with implicit partial pivoting (Crout order) of the leading n x n block of a
// (n <= 3), in place; index receives the pivot rows and d the sign of the permutation. Returns
// false for a row that is all zeros (the matrix is then left partly decomposed).
[[nodiscard]] bool LUDCMP(TMatrix3& a, int n, TIndex3& index, double& d);
// Solves with the factors of LUDCMP; b holds the right-hand side on entry and the solution on
// return.
void LUBKSB(const TMatrix3& a, int n, const TIndex3& index, TLayerValues& b);
// LUDCMP and LUBKSB in sequence; a is overwritten by its factors and b by the solution.
[[nodiscard]] bool LUSolve(TMatrix3& a, int n, TLayerValues& b);

// A pumping well's geometry. Lengths in the document's length unit.
struct TPumpingWellInput {
  double X = 0.0;
  double Y = 0.0;
  double Rc = 0.1;                         // casing radius
  double Rw = 0.1;                         // screen radius
  double Skin = 0.0;                       // skin resistance, days
  TArray1<bool, kMaxAquifers> Screened{};  // screen in aquifer i; aquifers beyond n are ignored
};

// An observation point: an observation well, or a point of the map's grid.
struct TObservationPointInput {
  double X = 0.0;
  double Y = 0.0;
  int Layer = 1;      // aquifer observed, 1..n (curves give the aquifer separately)
  double Rc = 0.0;    // casing radius
  double Rw = 0.0;    // screen radius
  double Skin = 0.0;  // days
};

// The Laplace-domain terms of one pumping well for the current p, shared by every point and
// aquifer evaluated at that p.
struct TWellLaplaceTerm {
  TArray1<TWellFaceBessel, kMaxLayerPositions> Face{};  // Bessel values at the well radius
  TLayerValues V{};              // v per aquifer, length2/day; 0 for an unscreened aquifer
  TLayerValues ModalStrength{};  // sum over screened i of v_i Z[i][k], per mode k
  double A = 0.0;                // sum of v, length2/day
  double W = 0.0;                // drawdown in the pumping well, length.day
};

// Computes the well terms for the current p of a decomposed state, with rate step
// rateStep (length3/day, already multiplied by any inversion factor the caller wants).
// A well without a screen in any of the n aquifers gives W = 0.
TEngineResult ComputeWellTerm(const TAquiferSystemInput& system, const TAquiferSystemState& state,
                              const TPumpingWellInput& well, double rateStep,
                              TWellLaplaceTerm& term);

// The Laplace-domain well-face flux into aquifer layer (length3/day.day): 2 pi v_L W.
double WellFaceFluxTerm(const TWellLaplaceTerm& term, int layer);

// The parts of an observation point's term that depend on the geometry only.
struct TObservationGeometry {
  double Distance = 0.0;       // r, raised to the pumping well's radius when smaller
  double ReducedRadius = 0.0;  // rho: the observation well's radius, reduced so that its screen
                               // does not overlap the pumping well's
  double CasingRadius = 0.0;   // rho_c
  double ScreenRadius = 0.0;   // rho_w
  double Skin = 0.0;           // sigma, days
};

TObservationGeometry ObservationGeometry(const TPumpingWellInput& well,
                                         const TObservationPointInput& point);

// True when every number of the input is finite; a NaN position would otherwise compare as
// "inside the pumping well's screen".
bool IsFinite(const TPumpingWellInput& well);
bool IsFinite(const TObservationGeometry& geometry);

// The per-mode factors of a point for the current p, independent of the aquifer observed:
// the finite-radius ratios F_k and the well-face terms G_k of the observation well.
struct TPointModeFactors {
  TLayerValues F{};
  TLayerValues G{};
};

void ComputePointModeFactors(const TAquiferSystemState& state, const TWellLaplaceTerm& term,
                             const TObservationGeometry& geometry, TPointModeFactors& factors);

// True when a point at this geometry in aquifer layer lies in the pumping well's screen, so that
// it sees the drawdown of the pumping well itself.
bool IsInWellScreen(const TPumpingWellInput& well, const TObservationGeometry& geometry, int layer);

// The Laplace-domain drawdown (length.day) at the point in aquifer layer.
double ObservationTerm(const TAquiferSystemInput& system, const TAquiferSystemState& state,
                       const TPumpingWellInput& well, const TWellLaplaceTerm& term,
                       const TObservationGeometry& geometry, const TPointModeFactors& factors,
                       int layer);

}  // namespace aqv

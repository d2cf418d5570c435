#include "model/engine/AQVLaplace.h"

#include <cmath>
#include <numbers>

namespace aqv {

std::string_view TEngineResult::Message() const {
  if (IsSuccess()) return {};
  return Fault == TEngineFault::efWellMatrix ? kWellMatrixMessage : kAquiferSystemMessage;
}

std::string_view ToText(TEngineFault fault) {
  switch (fault) {
    case TEngineFault::efNone:
      return "no fault";
    case TEngineFault::efAquiferSystem:
      return "singular or unconverged aquifer system";
    case TEngineFault::efWellMatrix:
      return "zero row in the well matrix";
    case TEngineFault::efNonFinite:
      return "value not finite";
    case TEngineFault::efInvalidInput:
      return "input out of range";
  }
  return "unknown fault";
}

namespace {

// Above this c q the aquitard's coupling e^(-x) is below double precision: b = 0.
constexpr double kAquitardDecoupledArgument = 76.0;
// Above this coth x is 1 to double precision.
constexpr double kAquitardCothOneArgument = 17.0;
// Up to here sinh is taken from its odd series, which keeps its relative accuracy where
// (e^x - e^-x)/2 cancels.
constexpr double kAquitardSinhSeriesArgument = 0.1;
// A block of coupled aquifers whose net outflow at equal heads (storage plus leakage through
// the outer faces) is below this fraction of its diagonal has a smallest eigenvalue made of
// rounding only (the unit roundoff is 1.1e-16); without any storage or leakage it is exactly 0.
constexpr double kStorageTolerance = 1e-16;

// a_i and b_i of aquitard i at Laplace parameter p: the Laplace-domain flux out of the adjacent
// aquifer per unit drawdown of that aquifer (a) and of the aquifer across the aquitard (b), for
// an aquitard with storage (Hantush 1960 type leakage, with coth and 1/sinh of c q).
void AquitardTerms(const TAquiferSystemInput& system, int i, double p, double& a, double& b) {
  const int n = system.AquiferCount;
  const bool top = i == 1;
  const bool bottom = i == n + 1;
  if ((top && system.TopAquitardAbsent) || (bottom && system.BottomAquitardAbsent)) {
    a = 0.0;
    b = 0.0;
    return;
  }
  const double c = system.Resistance[i];
  const double storativity = system.SAquitard[i];
  double q;
  double ct;
  if (storativity == 0.0) {
    a = 1.0 / c;
    b = a;
    q = 0.0;
    ct = 1.0;
  } else {
    q = std::sqrt(p * storativity / c);
    const double x = c * q;
    if (x > kAquitardDecoupledArgument) {
      ct = 1.0;
      b = 0.0;
    } else {
      const double e = std::exp(x);
      double sinhX;
      if (x <= kAquitardSinhSeriesArgument) {
        const double x2 = x * x;
        sinhX = ((0.000198454 * x2 + 0.0083333331783) * x2 + 0.16666666666675) * x2 * x + x;
      } else {
        sinhX = (e - 1.0 / e) / 2.0;
      }
      b = q / sinhX;
      ct = x > kAquitardCothOneArgument ? 1.0 : ((e + 1.0 / e) / 2.0) / sinhX;
    }
    a = q * ct;
  }
  // A closed outer face: q tanh(c q) instead of q coth(c q); nothing at all without storage.
  if ((top && system.TopAquitardImpervious) || (bottom && system.BottomAquitardImpervious)) {
    a = q / ct;
  }
}

// True when every block of coupled aquifers loses water at equal heads, through storage or a
// leaky face. Without it the mode of equal heads has eigenvalue 0 (a constant drawdown in
// time), which the eigenvalue tolerance cannot catch when the trace itself is 0.
bool HasStorageOrLeakageInEveryMode(const TAquiferSystemInput& system,
                                    const TAquiferSystemState& state) {
  const int n = system.AquiferCount;
  const double p = state.LaplaceP;
  double netOutflow = 0.0;
  double diagonal = 0.0;
  for (int i = 1; i <= n; ++i) {
    const double own = state.AquitardSelfTerm[i] + state.AquitardSelfTerm[i + 1] + p * system.S[i];
    double coupling = 0.0;
    if (i > 1) coupling += state.AquitardCouplingTerm[i];
    if (i < n) coupling += state.AquitardCouplingTerm[i + 1];
    netOutflow += own - coupling;
    diagonal += own;
    const bool blockEnds = i == n || state.AquitardCouplingTerm[i + 1] == 0.0;
    if (blockEnds) {
      if (!(netOutflow > kStorageTolerance * diagonal)) return false;
      netOutflow = 0.0;
      diagonal = 0.0;
    }
  }
  return true;
}

bool AreTransmissivitiesValid(const TAquiferSystemInput& system) {
  for (int i = 1; i <= system.AquiferCount; ++i) {
    if (!(system.T[i] > 0.0) || !std::isfinite(system.T[i])) return false;
  }
  return true;
}

void FillSymmetricMatrix(const TAquiferSystemInput& system, TAquiferSystemState& state) {
  const int n = system.AquiferCount;
  const double p = state.LaplaceP;
  auto& z = state.Eigenvectors;
  state.SystemTrace = 0.0;
  for (int i = 1; i <= kMaxLayerPositions; ++i) z[i].Fill(0.0);
  state.SystemDiagonal.Fill(0.0);
  state.SystemOffDiagonal.Fill(0.0);
  state.SystemOffDiagonalSquared.Fill(0.0);
  // The symmetric form T^(-1/2) (leakage matrix) T^(-1/2); Z starts as T^(-1/2).
  for (int i = 1; i <= n; ++i) {
    state.SystemDiagonal[i] =
        (state.AquitardSelfTerm[i] + state.AquitardSelfTerm[i + 1] + p * system.S[i]) / system.T[i];
    state.SystemTrace += state.SystemDiagonal[i];
    z[i][i] = 1.0 / std::sqrt(system.T[i]);
  }
  for (int i = 1; i < n; ++i) {
    const double e = -state.AquitardCouplingTerm[i + 1] * z[i][i] * z[i + 1][i + 1];
    state.SystemOffDiagonal[i] = e;
    state.SystemOffDiagonalSquared[i] = e * e;
    state.SystemTrace -= e;
  }
}

bool IsMatrixFinite(const TAquiferSystemState& state) {
  for (int i = 1; i <= state.SystemSize; ++i) {
    if (!std::isfinite(state.SystemDiagonal[i]) || !std::isfinite(state.SystemOffDiagonal[i])) {
      return false;
    }
  }
  return std::isfinite(state.SystemTrace);
}

}  // namespace

bool ComputeAquiferSystem(const TAquiferSystemInput& system, TAquiferSystemState& state) {
  const int n = system.AquiferCount;
  state.SystemSize = 0;
  if (n < 1 || n > kMaxAquifers || !AreTransmissivitiesValid(system)) return false;
  state.SystemSize = n;
  state.AquitardSelfTerm.Fill(0.0);
  state.AquitardCouplingTerm.Fill(0.0);
  for (int i = 1; i <= n + 1; ++i) {
    AquitardTerms(system, i, state.LaplaceP, state.AquitardSelfTerm[i],
                  state.AquitardCouplingTerm[i]);
  }
  FillSymmetricMatrix(system, state);
  if (!IsMatrixFinite(state)) return false;
  if (!HasStorageOrLeakageInEveryMode(system, state)) return false;
  return EigenTridiagonalQL(state);
}

namespace {

// Applies the plane rotation (cs, sn) to columns i and j of Z.
void RotateColumns(TMatrix3& z, int n, int i, int j, double cs, double sn) {
  for (int row = 1; row <= n; ++row) {
    const double zi = z[row][i];
    const double zj = z[row][j];
    z[row][i] = zi * cs + zj * sn;
    z[row][j] = zj * cs - zi * sn;
  }
}

// The largest k < m whose off-diagonal element is negligible, or 0.
int NegligibleOffDiagonalBelow(const TAquiferSystemState& state, int m, double tol2) {
  for (int k = m - 1; k >= 1; --k) {
    if (state.SystemOffDiagonalSquared[k] < tol2 || state.SystemOffDiagonal[k] == 0.0) return k;
  }
  return 0;
}

// One implicitly shifted sweep over rows k+1..m with origin shift w (Wilkinson's shift).
void ShiftedSweep(TAquiferSystemState& state, int k, int m, double w) {
  auto& d = state.SystemDiagonal;
  auto& e = state.SystemOffDiagonal;
  auto& e2 = state.SystemOffDiagonalSquared;
  int i = k + 1;
  double h = d[i] - w;
  double cs = 1.0;
  double sn = 0.0;
  double g = e[i];
  double r = std::sqrt(h * h + g * g);
  for (int j = k + 2; j <= m; ++j) {
    const double c0 = cs;
    cs = h / r;
    sn = g / r;
    const double u = d[j] - w;
    h = c0 * h;
    d[i] = sn * sn * (h + u) + w + h;
    h = cs * u - sn * g * c0;
    g = e[j];
    r = std::sqrt(h * h + g * g);
    e[i] = sn * r;
    e2[i] = e[i] * e[i];
    RotateColumns(state.Eigenvectors, state.SystemSize, i, j, cs, sn);
    i = j;
  }
  d[m] = cs * h + w;
  if (h < 0.0) e[m - 1] = -e[m - 1];
}

}  // namespace

namespace {

// Wilkinson's shift of the trailing 2 x 2 block of rows m-1, m: the eigenvalue of the block
// nearer d_m, relative to d_m; h receives d_m - d_(m-1).
double TrailingShift(const TAquiferSystemState& state, int m, double tol, double& h) {
  h = state.SystemDiagonal[m] - state.SystemDiagonal[m - 1];
  const double g = state.SystemOffDiagonalSquared[m - 1];
  if (std::fabs(h) < tol) return std::sqrt(g);
  const double r = 2.0 / h;
  return r * g / (std::sqrt(r * r * g + 1.0) + 1.0);
}

// A 2 x 2 block is diagonalised by one Jacobi rotation.
void DiagonaliseTrailingBlock(TAquiferSystemState& state, int m, double shift) {
  state.SystemDiagonal[m] += shift;
  state.SystemDiagonal[m - 1] -= shift;
  const double t = -shift / state.SystemOffDiagonal[m - 1];
  const double w = std::sqrt(t * t + 1.0);
  RotateColumns(state.Eigenvectors, state.SystemSize, m - 1, m, 1.0 / w, t / w);
}

// Also refuses a zero eigenvalue when the tolerance itself is 0, and NaN.
bool AreEigenvaluesPositive(const TAquiferSystemState& state, double tol) {
  for (int i = 1; i <= state.SystemSize; ++i) {
    const double d = state.SystemDiagonal[i];
    if (!(d >= tol && d > 0.0) || !std::isfinite(d)) return false;
  }
  return true;
}

}  // namespace

bool EigenTridiagonalQL(TAquiferSystemState& state) {
  const int n = state.SystemSize;
  if (n < 1 || n > kMaxLayerPositions) return false;
  auto& d = state.SystemDiagonal;
  const double tol = state.SystemTrace * state.EigenTolerance * 1e-5;
  const double tol2 = tol * tol;
  const int sweepLimit = 10 * n;
  int sweeps = 0;
  int m = n;
  while (m > 0) {
    const int k = NegligibleOffDiagonalBelow(state, m, tol2);
    if (k == m - 1) {
      --m;
      continue;
    }
    double h;
    const double shift = TrailingShift(state, m, tol, h);
    if (k == m - 2) {
      DiagonaliseTrailingBlock(state, m, shift);
      m -= 2;
      continue;
    }
    if (++sweeps > sweepLimit) return false;
    double w = d[m] + shift;
    if (std::fabs(h) < tol && std::fabs(d[m - 1] - shift) < std::fabs(d[m] + shift)) {
      w = d[m - 1] - shift;
    }
    ShiftedSweep(state, k, m, w);
  }
  return AreEigenvaluesPositive(state, tol);
}

bool LUDCMP(TMatrix3& a, int n, TIndex3& index, double& d) {
  TLayerValues scale{};
  for (int i = 1; i <= n; ++i) {
    double largest = 0.0;
    for (int j = 1; j <= n; ++j) largest = std::fmax(largest, std::fabs(a[i][j]));
    if (largest == 0.0) return false;
    scale[i] = 1.0 / largest;
  }
  d = 1.0;
  constexpr double kTinyPivot = 1e-20;
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i < j; ++i) {
      double sum = a[i][j];
      for (int k = 1; k < i; ++k) sum -= a[i][k] * a[k][j];
      a[i][j] = sum;
    }
    double largest = 0.0;
    int pivot = j;
    for (int i = j; i <= n; ++i) {
      double sum = a[i][j];
      for (int k = 1; k < j; ++k) sum -= a[i][k] * a[k][j];
      a[i][j] = sum;
      const double merit = scale[i] * std::fabs(sum);
      if (merit > largest) {
        largest = merit;
        pivot = i;
      }
    }
    if (pivot != j) {
      for (int k = 1; k <= n; ++k) std::swap(a[pivot][k], a[j][k]);
      d = -d;
      std::swap(scale[pivot], scale[j]);
    }
    index[j] = pivot;
    if (j < n) {
      if (a[j][j] == 0.0) a[j][j] = kTinyPivot;
      const double inverse = 1.0 / a[j][j];
      for (int i = j + 1; i <= n; ++i) a[i][j] *= inverse;
    }
  }
  if (a[n][n] == 0.0) a[n][n] = kTinyPivot;
  return true;
}

void LUBKSB(const TMatrix3& a, int n, const TIndex3& index, TLayerValues& b) {
  int first = 0;  // first non-zero entry of b, after which the sums start
  for (int i = 1; i <= n; ++i) {
    const int row = index[i];
    double sum = b[row];
    b[row] = b[i];
    if (first != 0) {
      for (int j = first; j < i; ++j) sum -= a[i][j] * b[j];
    } else if (sum != 0.0) {
      first = i;
    }
    b[i] = sum;
  }
  for (int i = n; i >= 1; --i) {
    double sum = b[i];
    for (int j = i + 1; j <= n; ++j) sum -= a[i][j] * b[j];
    b[i] = sum / a[i][i];
  }
}

bool LUSolve(TMatrix3& a, int n, TLayerValues& b) {
  TIndex3 index{};
  double d;
  if (n < 1 || n > kMaxLayerPositions || !LUDCMP(a, n, index, d)) return false;
  LUBKSB(a, n, index, b);
  return true;
}

namespace {

// The screened aquifers among 1..n, in order; returns their count m.
int ScreenedAquifers(const TPumpingWellInput& well, int n, TIndex3& screened) {
  int m = 0;
  for (int i = 1; i <= n; ++i) {
    if (well.Screened[i]) screened[++m] = i;
  }
  return m;
}

// Solves the well matrix over the screened aquifers for v: the well-face drawdown in aquifer a
// per unit Laplace-domain flux density into aquifer b, plus the skin on the diagonal, times v
// equals 1 in every screen (equal drawdown at the well face). Returns false for a zero row.
bool SolveWellMatrix(const TAquiferSystemInput& system, const TAquiferSystemState& state,
                     const TPumpingWellInput& well, const TIndex3& screened, int m,
                     TWellLaplaceTerm& term) {
  const auto& z = state.Eigenvectors;
  TMatrix3 matrix{};
  for (int a = 1; a <= m; ++a) {
    for (int b = 1; b <= m; ++b) {
      double sum = 0.0;
      for (int k = 1; k <= state.SystemSize; ++k) {
        sum += z[screened[a]][k] * z[screened[b]][k] * term.Face[k].RatioOverX;
      }
      matrix[a][b] = sum;
    }
    matrix[a][a] += well.Skin / system.T[screened[a]];
  }
  if (m == 1) {
    term.V[screened[1]] = 1.0 / matrix[1][1];
    return true;
  }
  TLayerValues v{};
  v.Fill(1.0);
  if (!LUSolve(matrix, m, v)) return false;
  for (int a = 1; a <= m; ++a) term.V[screened[a]] = v[a];
  return true;
}

}  // namespace

TEngineResult ComputeWellTerm(const TAquiferSystemInput& system, const TAquiferSystemState& state,
                              const TPumpingWellInput& well, double rateStep,
                              TWellLaplaceTerm& term) {
  const int n = state.SystemSize;
  const double p = state.LaplaceP;
  term.V.Fill(0.0);
  term.ModalStrength.Fill(0.0);
  term.A = 0.0;
  term.W = 0.0;
  for (int k = 1; k <= n; ++k) {
    term.Face[k] = WellFaceBessel(std::sqrt(state.SystemDiagonal[k]) * well.Rw);
  }
  TIndex3 screened{};
  const int m = ScreenedAquifers(well, n, screened);
  if (m == 0) return {};
  if (!SolveWellMatrix(system, state, well, screened, m, term)) {
    return TEngineResult::Failure(TEngineFault::efWellMatrix);
  }
  for (int i = 1; i <= n; ++i) term.A += term.V[i];
  // Papadopulos-Cooper well storage: pi rc^2 p s_w plus the well-face flux 2 pi A s_w equals Q.
  term.W = rateStep / (std::numbers::pi * p * (well.Rc * well.Rc * p + 2.0 * term.A));
  for (int k = 1; k <= n; ++k) {
    double sum = 0.0;
    for (int i = 1; i <= n; ++i) sum += term.V[i] * state.Eigenvectors[i][k];
    term.ModalStrength[k] = sum;
  }
  if (!std::isfinite(term.W) || !std::isfinite(term.A)) {
    return TEngineResult::Failure(TEngineFault::efNonFinite);
  }
  return {};
}

double WellFaceFluxTerm(const TWellLaplaceTerm& term, int layer) {
  return 2.0 * std::numbers::pi * term.V[layer] * term.W;
}

TObservationGeometry ObservationGeometry(const TPumpingWellInput& well,
                                         const TObservationPointInput& point) {
  TObservationGeometry geometry;
  geometry.Distance = std::hypot(point.X - well.X, point.Y - well.Y);
  if (geometry.Distance < well.Rw) geometry.Distance = well.Rw;
  geometry.CasingRadius = point.Rc;
  geometry.ScreenRadius = point.Rw;
  geometry.Skin = point.Skin;
  geometry.ReducedRadius = point.Rw;
  if (point.Rw + well.Rw > geometry.Distance) {
    geometry.ReducedRadius = geometry.Distance - well.Rw;
  }
  return geometry;
}

bool IsFinite(const TPumpingWellInput& well) {
  return std::isfinite(well.X) && std::isfinite(well.Y) && std::isfinite(well.Rc) &&
         std::isfinite(well.Rw) && std::isfinite(well.Skin);
}

bool IsFinite(const TObservationGeometry& geometry) {
  return std::isfinite(geometry.Distance) && std::isfinite(geometry.ReducedRadius) &&
         std::isfinite(geometry.CasingRadius) && std::isfinite(geometry.ScreenRadius) &&
         std::isfinite(geometry.Skin);
}

void ComputePointModeFactors(const TAquiferSystemState& state, const TWellLaplaceTerm& term,
                             const TObservationGeometry& geometry, TPointModeFactors& factors) {
  const int n = state.SystemSize;
  const double rho = geometry.ReducedRadius;
  const bool needsG = geometry.CasingRadius != 0.0;
  for (int k = 1; k <= n; ++k) {
    const double q = std::sqrt(state.SystemDiagonal[k]);
    double f;
    double g = 0.0;
    // b = q rw and y = q rho never exceed q r (r >= rw + rho), so one comparison tells whether
    // some factor's e^(-x) could underflow.
    if (rho > 0.0 && geometry.Distance * q >= kGatheredExponentialsArgument) [[unlikely]] {
      const TWellFaceBessel own = WellFaceBessel(q * rho);
      f = FiniteRadiusRatioOverXK1(geometry.Distance, q, term.Face[k], own);
      if (needsG && rho == geometry.ScreenRadius) g = own.RatioOverX;
    } else {
      f = FiniteRadiusRatio(geometry.Distance, q, term.Face[k]);
      if (rho > 0.0) {
        // The observation well's own face: K0/(y K1) and y K1 from one Bessel evaluation.
        const TWellFaceBessel own = WellFaceBessel(q * rho);
        if (own.Denominator > 0.0) f /= own.Denominator;
        if (needsG && rho == geometry.ScreenRadius) g = own.RatioOverX;
      }
    }
    if (needsG && !(rho > 0.0 && rho == geometry.ScreenRadius)) {
      g = BesselK0OverXK1(q * geometry.ScreenRadius);
    }
    factors.F[k] = f;
    factors.G[k] = g;
  }
}

bool IsInWellScreen(const TPumpingWellInput& well, const TObservationGeometry& geometry,
                    int layer) {
  const bool screened = layer >= 1 && layer <= kMaxAquifers && well.Screened[layer];
  const bool outside = geometry.Distance > well.Rw && geometry.Distance > geometry.ReducedRadius;
  return screened && !outside;
}

double ObservationTerm(const TAquiferSystemInput& system, const TAquiferSystemState& state,
                       const TPumpingWellInput& well, const TWellLaplaceTerm& term,
                       const TObservationGeometry& geometry, const TPointModeFactors& factors,
                       int layer) {
  if (IsInWellScreen(well, geometry, layer)) return term.W;
  const int n = state.SystemSize;
  const auto& z = state.Eigenvectors;
  // Storage in the observation well delays its response: 1/(1 + p B).
  double storage = 0.0;
  if (geometry.CasingRadius != 0.0) {
    double sum = 0.0;
    for (int k = 1; k <= n; ++k) sum += z[layer][k] * z[layer][k] * factors.G[k];
    storage = geometry.CasingRadius * geometry.CasingRadius / 2.0 *
              (sum + geometry.Skin / system.T[layer]);
  }
  double sum = 0.0;
  for (int k = 1; k <= n; ++k) sum += z[layer][k] * term.ModalStrength[k] * factors.F[k];
  return term.W / (1.0 + state.LaplaceP * storage) * sum;
}

}  // namespace aqv

#include "model/fit/AQVSvd.h"

#include <algorithm>
#include <cmath>

namespace aqv {
namespace {

// Tolerance tests of the sweeps. An exact zero is always negligible, so that an all-zero matrix
// (tolerance 0) never leads to a division by a zero element.
bool Negligible(double value, double tolerance) {
  return value == 0.0 || std::fabs(value) < tolerance;
}

// Plane rotation of columns a and b: (a, b) := (a·c + b·s, −a·s + b·c).
void RotateColumns(TSvdMatrix& u, int a, int b, double c, double s) {
  for (int j = 1; j <= u.Rows(); ++j) {
    const double y = u(j, a);
    const double z = u(j, b);
    u(j, a) = y * c + z * s;
    u(j, b) = -y * s + z * c;
  }
}

void RotateColumns(TSvdSquare& v, int n, int a, int b, double c, double s) {
  for (int j = 1; j <= n; ++j) {
    const double x = v[j][a];
    const double z = v[j][b];
    v[j][a] = x * c + z * s;
    v[j][b] = -x * s + z * c;
  }
}

// Householder reflection I − w·wᵀ/h that maps (f, tail part) onto (g, 0, ..., 0), with
// g = −sign(f)·√(f² + tail) so that f − g does not cancel.
struct TReflection {
  double G = 0.0;
  double H = 0.0;
};

TReflection MakeReflection(double f, double tail) {
  const double s = f * f + tail;
  const double g = f < 0.0 ? std::sqrt(s) : -std::sqrt(s);
  return {g, f * g - s};
}

// Zeroes column i below the diagonal and applies the reflection to columns i+1..n. A column
// whose part below the diagonal is already negligible is left as it is.
void ReduceColumn(TSvdMatrix& u, TSvdState& state, int i, double tolerance) {
  const int m = u.Rows();
  const int n = u.Columns();
  double tail = 0.0;
  for (int k = i + 1; k <= m; ++k) tail += u(k, i) * u(k, i);
  state.ColumnReflected[i] = !(tail == 0.0 || tail < tolerance);
  if (!state.ColumnReflected[i]) {
    state.SingularValues[i] = u(i, i);
    return;
  }
  const double f = u(i, i);
  const TReflection r = MakeReflection(f, tail);
  u(i, i) = f - r.G;
  for (int j = i + 1; j <= n; ++j) {
    double s = 0.0;
    for (int k = i; k <= m; ++k) s += u(k, i) * u(k, j);
    const double factor = s / r.H;
    for (int k = i; k <= m; ++k) u(k, j) += factor * u(k, i);
  }
  state.SingularValues[i] = r.G;
}

// Zeroes row i right of the superdiagonal (i < n) and applies the reflection to rows i+1..m.
void ReduceRow(TSvdMatrix& u, TSvdState& state, int i, double tolerance) {
  const int m = u.Rows();
  const int n = u.Columns();
  const int l = i + 1;
  double tail = 0.0;
  for (int k = i + 2; k <= n; ++k) tail += u(i, k) * u(i, k);
  state.RowReflected[i] = !(tail == 0.0 || tail < tolerance);
  if (!state.RowReflected[i]) {
    state.SvdSuperdiagonal[l] = u(i, l);
    return;
  }
  const double f = u(i, l);
  const TReflection r = MakeReflection(f, tail);
  u(i, l) = f - r.G;
  TSvdVector w{};
  for (int k = l; k <= n; ++k) w[k] = u(i, k) / r.H;
  for (int j = l; j <= m; ++j) {
    double s = 0.0;
    for (int k = l; k <= n; ++k) s += u(j, k) * u(i, k);
    for (int k = l; k <= n; ++k) u(j, k) += s * w[k];
  }
  state.SvdSuperdiagonal[l] = r.G;
}

// Returns the start l of the unreduced bidiagonal block that ends at k. Sets cancel when the
// block is split off by a negligible diagonal element s_{l−1} rather than by a negligible e_l.
int FindSplit(TSvdState& state, int k, double tolerance, bool& cancel) {
  cancel = false;
  for (int l = k; l >= 1; --l) {
    const double e = state.SvdSuperdiagonal[l];
    if (l == 1 || Negligible(e, tolerance)) {
      state.SvdNeglected = std::max(state.SvdNeglected, std::fabs(e));
      return l;
    }
    if (Negligible(state.SingularValues[l - 1], tolerance)) {
      cancel = true;
      return l;
    }
  }
  return 1;
}

// With s_{l−1} negligible, chases e_l down the row by Givens rotations from the left until it
// becomes negligible, so that the block splits at l.
void CancelSuperdiagonal(TSvdMatrix& u, TSvdState& state, int l, int k, double tolerance) {
  TSvdVector& q = state.SingularValues;
  TSvdVector& e = state.SvdSuperdiagonal;
  double c = 0.0;
  double s = 1.0;
  for (int i = l; i <= k; ++i) {
    const double f = s * e[i];
    e[i] = c * e[i];
    if (Negligible(f, tolerance)) break;
    const double g = q[i];
    const double h = std::hypot(f, g);
    q[i] = h;
    c = g / h;
    s = -f / h;
    RotateColumns(u, l - 1, i, c, s);
  }
}

// Cosine and sine that rotate (f, h) onto (√(f² + h²), 0); any rotation serves for (0, 0).
void Givens(double f, double h, double& r, double& c, double& s) {
  r = std::hypot(f, h);
  if (r == 0.0) {
    c = 1.0;
    s = 0.0;
  } else {
    c = f / r;
    s = h / r;
  }
}

// One implicit QR sweep on the block l..k with the shift taken from the trailing 2 × 2 block
// (Wilkinson shift), the rotations applied to V and U.
void QrSweep(TSvdMatrix& u, TSvdState& state, int l, int k) {
  TSvdVector& q = state.SingularValues;
  TSvdVector& e = state.SvdSuperdiagonal;
  const int n = u.Columns();
  double x = q[l];
  double y = q[k - 1];
  double g = e[k - 1];
  double h = e[k];
  double z = q[k];
  double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
  g = std::hypot(f, 1.0);
  f = ((x - z) * (x + z) + h * (y / (f < 0.0 ? f - g : f + g) - h)) / x;
  double c = 1.0;
  double s = 1.0;
  for (int i = l + 1; i <= k; ++i) {
    g = e[i];
    y = q[i];
    h = s * g;
    g = c * g;
    Givens(f, h, z, c, s);
    e[i - 1] = z;
    f = x * c + g * s;
    g = -x * s + g * c;
    h = y * s;
    y = y * c;
    RotateColumns(state.V, n, i - 1, i, c, s);
    Givens(f, h, z, c, s);
    q[i - 1] = z;
    f = c * g + s * y;
    x = -s * g + c * y;
    RotateColumns(u, i - 1, i, c, s);
  }
  e[l] = 0.0;
  e[k] = f;
  q[k] = x;
}

void CountRank(TSvdState& state, int n) {
  int zeros = 0;
  for (int k = 1; k <= n; ++k)
    if (state.Converged[k] && state.SingularValues[k] <= state.SvdZeroTolerance) ++zeros;
  state.SvdRank = n - zeros;
}

}  // namespace

std::string ToText(TSvdStatus status) {
  switch (status) {
    case TSvdStatus::ssConverged:
      return "converged";
    case TSvdStatus::ssNotConverged:
      return "the singular values did not converge within the sweep limit";
    case TSvdStatus::ssNonFinite:
      return "the matrix holds a value that is not finite";
    case TSvdStatus::ssInvalidSize:
      return "the matrix size does not fit the decomposition";
  }
  return "unknown decomposition status";
}

bool TSvdMatrix::IsValid() const {
  return mColumns >= 1 && mColumns <= kSvdMaxColumns && mRows >= mColumns &&
         mData.size() >= static_cast<std::size_t>(mRows) * kSvdMaxColumns;
}

void SvdPrepare(TSvdState& state, int columns, double epsilon, double eigenTolerance,
                int sweepsPerColumn) {
  state.SvdEpsilon = epsilon;
  state.SvdZeroTolerance = epsilon;
  state.EigenTolerance = eigenTolerance;
  state.SvdMaxSweeps = sweepsPerColumn * columns;
}

double JacobianNorm(const TSvdMatrix& u) {
  double norm = 0.0;
  for (int i = 1; i <= u.Rows(); ++i) {
    double rowSum = 0.0;
    for (int j = 1; j <= u.Columns(); ++j) rowSum += std::fabs(u(i, j));
    if (!std::isfinite(rowSum)) return rowSum;
    norm = std::max(norm, rowSum);
  }
  return norm;
}

TSvdStatus SvdBidiagonalize(TSvdMatrix u, TSvdState& state) {
  if (!u.IsValid()) return TSvdStatus::ssInvalidSize;
  const int n = u.Columns();
  state.SingularValues.Fill(0.0);
  state.SvdSuperdiagonal.Fill(0.0);
  state.ColumnReflected.Fill(false);
  state.RowReflected.Fill(false);
  state.JacobianNorm = JacobianNorm(u);
  if (!std::isfinite(state.JacobianNorm)) return TSvdStatus::ssNonFinite;
  const double tolerance = state.SvdEpsilon * state.JacobianNorm;
  for (int i = 1; i <= n; ++i) {
    ReduceColumn(u, state, i, tolerance);
    if (i < n) ReduceRow(u, state, i, tolerance);
  }
  // Squares of elements near the overflow limit can still overflow inside a reflection.
  for (int i = 1; i <= n; ++i)
    if (!std::isfinite(state.SingularValues[i]) || !std::isfinite(state.SvdSuperdiagonal[i]))
      return TSvdStatus::ssNonFinite;
  return TSvdStatus::ssConverged;
}

void SvdAccumulateRight(TSvdMatrix u, TSvdState& state) {
  const int n = u.Columns();
  TSvdSquare& v = state.V;
  for (auto& row : v) row.Fill(0.0);
  for (int i = n; i >= 1; --i) {
    const int l = i + 1;
    if (i < n && state.RowReflected[i]) {
      // Divided twice instead of by h = u(i, l)·g, which might underflow.
      const double g = state.SvdSuperdiagonal[l];
      for (int j = l; j <= n; ++j) v[j][i] = (u(i, j) / u(i, l)) / g;
      for (int j = l; j <= n; ++j) {
        double s = 0.0;
        for (int k = l; k <= n; ++k) s += u(i, k) * v[k][j];
        for (int k = l; k <= n; ++k) v[k][j] += s * v[k][i];
      }
    }
    for (int j = l; j <= n; ++j) {
      v[i][j] = 0.0;
      v[j][i] = 0.0;
    }
    v[i][i] = 1.0;
  }
}

void SvdAccumulateLeft(TSvdMatrix u, TSvdState& state) {
  const int m = u.Rows();
  const int n = u.Columns();
  for (int i = n; i >= 1; --i) {
    const int l = i + 1;
    for (int j = l; j <= n; ++j) u(i, j) = 0.0;
    if (state.ColumnReflected[i]) {
      const double gInverse = 1.0 / state.SingularValues[i];
      for (int j = l; j <= n; ++j) {
        double s = 0.0;
        for (int k = l; k <= m; ++k) s += u(k, i) * u(k, j);
        const double f = (s / u(i, i)) * gInverse;
        for (int k = i; k <= m; ++k) u(k, j) += f * u(k, i);
      }
      for (int j = i; j <= m; ++j) u(j, i) *= gInverse;
    } else {
      for (int j = i; j <= m; ++j) u(j, i) = 0.0;
    }
    u(i, i) += 1.0;
  }
}

TSvdStatus SvdDiagonalize(TSvdMatrix u, TSvdState& state) {
  if (!u.IsValid()) return TSvdStatus::ssInvalidSize;
  const int n = u.Columns();
  const double tolerance = state.EigenTolerance * state.JacobianNorm;
  state.SvdSweeps = 0;
  state.SvdNeglected = 0.0;
  state.Converged.Fill(false);
  for (int k = n; k >= 1; --k) {
    for (;;) {
      bool cancel = false;
      const int l = FindSplit(state, k, tolerance, cancel);
      if (cancel) CancelSuperdiagonal(u, state, l, k, tolerance);
      if (l == k) break;
      if (++state.SvdSweeps > state.SvdMaxSweeps) {
        CountRank(state, n);
        return TSvdStatus::ssNotConverged;
      }
      QrSweep(u, state, l, k);
    }
    // Singular values are magnitudes: a negative one changes sign with its right vector.
    if (state.SingularValues[k] < 0.0) {
      state.SingularValues[k] = -state.SingularValues[k];
      for (int j = 1; j <= n; ++j) state.V[j][k] = -state.V[j][k];
    }
    state.Converged[k] = true;
  }
  CountRank(state, n);
  return TSvdStatus::ssConverged;
}

TSvdStatus SvdDecompose(TSvdMatrix u, TSvdState& state) {
  const TSvdStatus status = SvdBidiagonalize(u, state);
  if (!IsSuccess(status)) return status;
  SvdAccumulateRight(u, state);
  SvdAccumulateLeft(u, state);
  return SvdDiagonalize(u, state);
}

}  // namespace aqv

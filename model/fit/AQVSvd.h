#pragma once

#include <cassert>
#include <span>
#include <string>

#include "model/Array1.h"

namespace aqv {

// Singular value decomposition J = U·diag(s)·Vᵀ of the optimiser's Jacobian (Golub & Reinsch
// 1970): Householder bidiagonalisation, accumulation of the right and left transformations and
// implicit-shift QR sweeps on the bidiagonal. The m × n matrix (n ≤ kSvdMaxColumns, m ≥ n) lives
// in a caller-owned row-major buffer whose rows are kSvdMaxColumns wide; after the decomposition
// the buffer holds U. Nothing is allocated; every index below is 1-based, as in the document.

inline constexpr int kSvdMaxColumns = 6;

enum class TSvdStatus : int {
  ssConverged = 0,
  ssNotConverged = 1,  // the sweep limit was exceeded before every singular value converged
  ssNonFinite = 2,     // the matrix holds a NaN or an infinite value
  ssInvalidSize = 3    // n outside 1..kSvdMaxColumns, m < n or a buffer that is too short
};

std::string ToText(TSvdStatus status);
inline bool IsSuccess(TSvdStatus status) {
  return status == TSvdStatus::ssConverged;
}

// A view of the first `rows` rows of a row-major buffer with kSvdMaxColumns doubles per row, of
// which the first `columns` are used. Does not own the buffer.
class TSvdMatrix {
 public:
  TSvdMatrix(std::span<double> data, int rows, int columns)
      : mData(data), mRows(rows), mColumns(columns) {}

  int Rows() const { return mRows; }
  int Columns() const { return mColumns; }
  // True when 1 ≤ columns ≤ kSvdMaxColumns, rows ≥ columns and the buffer holds all rows.
  bool IsValid() const;

  // Element (i, j), 1-based; unchecked beyond the debug assertion.
  double& operator()(int i, int j) {
    assert(i >= 1 && i <= mRows && j >= 1 && j <= kSvdMaxColumns);
    return mData[static_cast<std::size_t>((i - 1) * kSvdMaxColumns + (j - 1))];
  }
  double operator()(int i, int j) const {
    assert(i >= 1 && i <= mRows && j >= 1 && j <= kSvdMaxColumns);
    return mData[static_cast<std::size_t>((i - 1) * kSvdMaxColumns + (j - 1))];
  }

 private:
  std::span<double> mData;
  int mRows = 0;
  int mColumns = 0;
};

using TSvdVector = TArray1<double, kSvdMaxColumns>;
using TSvdSquare = TArray1<TSvdVector, kSvdMaxColumns>;  // [row][column]

// Settings, results and bookkeeping of one decomposition. The settings are filled by the caller
// before SvdBidiagonalize; the four steps fill the rest.
struct TSvdState {
  // Relative tolerance of the bidiagonalisation: a column or row part whose sum of squares lies
  // below SvdEpsilon·JacobianNorm is left without a reflection.
  double SvdEpsilon = 1e-16;
  // Relative tolerance of the QR sweeps: superdiagonal and diagonal elements below
  // EigenTolerance·JacobianNorm count as zero.
  double EigenTolerance = 1e-16;
  // Absolute tolerance of the rank count.
  double SvdZeroTolerance = 1e-16;
  // Most QR sweeps for all singular values together.
  int SvdMaxSweeps = 10 * kSvdMaxColumns;

  TSvdVector SingularValues{};    // s_1..s_n, not sorted, ≥ 0 after convergence
  TSvdVector SvdSuperdiagonal{};  // e_1..e_n of the bidiagonal (e_1 = 0)
  TSvdSquare V{};                 // V[i][j], n × n, orthogonal
  double JacobianNorm = 0.0;      // max over rows of Σ_j |J_ij|
  double SvdNeglected = 0.0;      // largest superdiagonal element treated as zero
  int SvdSweeps = 0;              // QR sweeps counted (SvdMaxSweeps + 1 when the limit stopped it)
  int SvdRank = 0;                // n minus the converged s_k ≤ SvdZeroTolerance
  TArray1<bool, kSvdMaxColumns> Converged{};

  // Which Householder reflections the bidiagonalisation applied, for the accumulations.
  TArray1<bool, kSvdMaxColumns> ColumnReflected{};
  TArray1<bool, kSvdMaxColumns> RowReflected{};
};

// Sets state's tolerances to `epsilon` and its sweep limit to sweepsPerColumn·n.
void SvdPrepare(TSvdState& state, int columns, double epsilon, double eigenTolerance,
                int sweepsPerColumn = 10);

// Returns the largest absolute row sum of the matrix, or a non-finite value when an element is
// not finite.
double JacobianNorm(const TSvdMatrix& u);

// Householder reduction to upper bidiagonal form; the reflections stay in u. Stores
// JacobianNorm. Fails only for a matrix of invalid size or with a non-finite element.
[[nodiscard]] TSvdStatus SvdBidiagonalize(TSvdMatrix u, TSvdState& state);
// Builds V from the row reflections stored in u.
void SvdAccumulateRight(TSvdMatrix u, TSvdState& state);
// Overwrites u with the first n columns of U from the column reflections stored in it.
void SvdAccumulateLeft(TSvdMatrix u, TSvdState& state);
// QR sweeps with Wilkinson shifts until every superdiagonal element is negligible; negative
// singular values are negated together with their column of V. Stores SvdSweeps, SvdNeglected,
// SvdRank and Converged. Returns ssNotConverged when more than SvdMaxSweeps sweeps are needed;
// the state then holds the values reached, which must not be used as a decomposition.
[[nodiscard]] TSvdStatus SvdDiagonalize(TSvdMatrix u, TSvdState& state);

// The four steps in order; stops at the first failure.
[[nodiscard]] TSvdStatus SvdDecompose(TSvdMatrix u, TSvdState& state);

}  // namespace aqv

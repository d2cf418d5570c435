#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/fit/AQVSvd.h"
#include "model/Array1.h"

namespace aqv {

// Levenberg-Marquardt least-squares optimiser working on the singular value decomposition of a
// forward-difference Jacobian (Marquardt 1963, with the damping applied to the singular values).
// It knows nothing of aquifers: the caller supplies an objective that applies a parameter vector
// to its model, evaluates the residuals, folds accepted steps into its own values and lets its
// user interface breathe. Single-threaded; the objective may evaluate in parallel inside.

inline constexpr int kMaxOptimizerParameters = kSvdMaxColumns;
inline constexpr int kMaxOptimizerResiduals = 5000;
// Forward-difference step of the Jacobian, in the units of the parameter vector.
inline constexpr double kJacobianStep = 0.01;

// How a run ended. The numbers are the status codes that the document keeps and reports.
enum class TOptimizerStatus : int {
  osConverged = 0,         // the stopping test was met
  osIterationLimit = 1,    // the iteration limit was reached before the next trial
  osNoAcceptableStep = 4,  // the try limit of rejected trials was reached in one iteration
  osBrokenOff = 5,         // an evaluation failed or the run was cancelled
  osNoUsableJacobian = 6   // no singular value above the tolerance, or no decomposition
};

std::string ToText(TOptimizerStatus status);
inline bool IsSuccess(TOptimizerStatus status) {
  return status == TOptimizerStatus::osConverged;
}
// True for the statuses after which covariance and fit statistics are computed (0, 1 and 4).
bool HasStatistics(TOptimizerStatus status);

// Why a run ended, in more detail than the status.
enum class TOptimizerFault : int {
  ofNone = 0,
  ofInvalidSetup,              // options, sizes or buffers rejected before the first evaluation
  ofStartEvaluationFailed,     // the objective failed at the starting point
  ofStartPointInvalid,         // the starting point is invalid or gives non-finite residuals
  ofJacobianEvaluationFailed,  // an evaluation of the Jacobian failed
  ofJacobianPointInvalid,      // both difference points of a parameter were invalid
  ofTrialEvaluationFailed,     // the objective failed at a trial point
  ofCancelled,                 // the pause and cancel hook reported a cancel
  ofRankZero,                  // the Jacobian has no singular value above the tolerance
  ofSvdNotConverged,           // the decomposition exceeded its sweep limit
  ofSvdNonFinite               // the Jacobian holds a value that is not finite
};

std::string ToText(TOptimizerFault fault);

struct TOptimizerOptions {
  double InitialLambda = 0.01;           // damping factor relative to Σ s_i² in iteration 1
  double AbsStoppingCriterion = 0.0001;  // residual units
  double RelStoppingCriterion = 0.0001;
  double MaxIterations = 100;      // rounded to the nearest integer, halves to even
  double MachineEpsilon = 1e-16;   // decomposition tolerances and statistics guard
  double EigenTolerance = 1e-16;   // relative tolerance of the QR sweeps
  int SvdSweepsPerParameter = 10;  // sweep limit of the decomposition per parameter
  // Forward-difference step of the Jacobian. The fixed point of the iteration is where the
  // difference Jacobian, not the exact one, is orthogonal to the residuals: with residuals left
  // at the minimum the step biases the result by O(step·residual·curvature).
  double JacobianStep = kJacobianStep;

  // Returns false and says why when a setting is outside what the method can work with.
  bool IsValid(std::string& why) const;
};

// The kind of evaluation the optimiser asks for.
enum class TEvaluationPurpose : int {
  epStart = 0,     // the starting point
  epJacobian = 1,  // a difference point of the Jacobian
  epTrial = 2      // a trial step
};

// What the objective is told with each evaluation.
struct TEvaluationContext {
  TEvaluationPurpose Purpose = TEvaluationPurpose::epStart;
  int IterationNumber = 0;        // 0 for the starting point, then 1, 2, ...
  bool ReportIterations = false;  // write the console line of this evaluation
  int Parameter = 0;              // epJacobian: the parameter moved (1-based)
  double Lambda = 0.0;            // epTrial: the damping of this trial
  int Rejections = 0;             // epTrial: trials already rejected in this iteration
};

enum class TObjectiveResult : int {
  orValid = 0,         // residuals written
  orInvalidPoint = 1,  // the model refuses these parameters; counts as no reduction
  orFailed = 2         // the evaluation failed; the run ends with osBrokenOff
};

// The pause and cancel flags of the user interface, read after it processed its messages.
struct TRunFlags {
  bool Paused = false;
  bool Cancelled = false;
};

// The problem as the optimiser sees it. Parameter vectors are 0-based spans of n values, entry
// p − 1 holding parameter p; residual spans hold m values.
class TLeastSquaresObjective {
 public:
  virtual ~TLeastSquaresObjective() = default;

  // Applies the parameters to the model and writes its m residuals. Non-finite residuals count
  // as an invalid point.
  virtual TObjectiveResult Evaluate(std::span<const double> parameters, std::span<double> residuals,
                                    const TEvaluationContext& context) = 0;

  // Called after each accepted step with the accepted parameters: the objective may fold them
  // into its own values and write back the parameters that now describe the same model (so that
  // a later Evaluate with them gives the same residuals). The default keeps them.
  virtual void FoldStep(std::span<double> parameters) { (void)parameters; }

  // Called once before each decomposition and again as long as the result says Paused and not
  // Cancelled; lets the user interface process its pending messages. The default never pauses.
  virtual TRunFlags ProcessMessages() { return {}; }
};

// Caller-owned work buffers, so that the iteration allocates nothing.
struct TOptimizerBuffers {
  std::span<double> Jacobian;        // ≥ m × kSvdMaxColumns, row-major; holds U afterwards
  std::span<double> Residuals;       // ≥ m; the residuals of the last evaluated point
  std::span<double> SavedResiduals;  // ≥ m; scratch of the Jacobian
};

// One iteration that reached its trial loop.
struct TOptimizerIteration {
  int IterationNumber = 0;
  double Lambda = 0.0;  // damping of the last trial
  int Rejections = 0;   // trials rejected before the last one
  bool Accepted = false;
  double SumOfSquares = 0.0;  // after the iteration (the accepted point's when accepted)
  double Reduction = 0.0;     // of the last trial; 0 for an invalid point
  int EvaluationCount = 0;    // the run's count so far
  int SvdRank = 0;
  int SvdSweeps = 0;
  friend bool operator==(const TOptimizerIteration&, const TOptimizerIteration&) = default;
};

using TOptimizerVector = TArray1<double, kMaxOptimizerParameters>;
using TOptimizerMatrix = TArray1<TOptimizerVector, kMaxOptimizerParameters>;

struct TOptimizerSummary {
  TOptimizerStatus Status = TOptimizerStatus::osBrokenOff;
  TOptimizerFault Fault = TOptimizerFault::ofNone;
  std::string Message;  // empty on success, else what went wrong

  int IterationNumber = 0;  // last iteration started
  int IterationCount = 0;   // IterationNumber − 1
  int EvaluationCount = 0;  // 1 + trial steps computed (including an unevaluated last one)
  int ObjectiveCalls = 0;   // every call of Evaluate, the Jacobian's included
  int BackwardDifferences = 0;
  double LambdaFloor = 0.0;  // factor of Σ s_i² that the first rejection raises λ to at least
  double TryLimit = 0.0;     // rejections per iteration that end the run with status 4
  double Lambda = 0.0;       // last damping used

  double SumOfSquares = 0.0;         // of the last accepted point
  double InitialResidualNorm = 0.0;  // √ of the first sum of squares
  // Set for statuses 0, 1 and 4 only (HasStatistics).
  double ResidualNorm = 0.0;
  double LastNormReduction = 0.0;
  double ConditionNumber = 0.0;
  TOptimizerVector VarianceFactor{};
  TOptimizerMatrix Covariance{};  // (V·diag(1/(s+ε)))·(...)ᵀ, without the residual variance

  // The last decomposition and step, as far as the run got.
  TOptimizerVector SingularValues{};
  TOptimizerVector SvdSuperdiagonal{};
  TOptimizerMatrix SavedV{};
  TOptimizerVector ProjectedGradient{};   // g_p = s_p·(Uᵀr)_p
  TOptimizerVector Step{};                // δ_p = g_p/(s_p² + λ)
  TOptimizerVector PreviousParameters{};  // the last accepted point, after folding
  double JacobianNorm = 0.0;
  double SvdNeglected = 0.0;
  int SvdSweeps = 0;
  int SvdRank = 0;
  int SvdMaxSweeps = 0;

  std::vector<TOptimizerIteration> Iterations;
};

// Σ a_i·b_i over the common length; the two names follow the two lengths they are used with.
double DotParameters(std::span<const double> a, std::span<const double> b);
double DotObservations(std::span<const double> a, std::span<const double> b);

// The acceptance test of a trial: its actual reduction of the sum of squares is at least 1 % of
// the reduction g·δ that the linearised model predicts.
bool IsAcceptableStep(double gradientDotStep, double reduction);

// The damping floor factor and the try limit of a run with this initial λ and machine epsilon.
double LambdaFloor(double initialLambda);
double TryLimit(double initialLambda, double machineEpsilon);

// Minimises the sum of squares of the objective's m residuals over the n = parameters.size()
// parameters (1 ≤ n ≤ 6, n ≤ m ≤ 5000), starting from and leaving the result in `parameters`.
// On status 1 `parameters` holds the last, unevaluated trial, on status 4 the last rejected one,
// on a failure inside the Jacobian the moved difference point; the model holds whatever the
// objective last applied. Never throws.
[[nodiscard]] TOptimizerSummary MarquardtIterate(TLeastSquaresObjective& objective,
                                                 std::span<double> parameters, int residualCount,
                                                 const TOptimizerBuffers& buffers,
                                                 const TOptimizerOptions& options = {});

// One line for logs and benchmarks: status, counts and norms.
std::string BriefReport(const TOptimizerSummary& summary);

}  // namespace aqv

#include "model/fit/AQVOptimizer.h"

#include <algorithm>
#include <cmath>

#include "chart/NumberFormat.h"

namespace aqv {
namespace {

// Largest iteration limit accepted; far beyond any fit, small enough for an int count.
constexpr double kMaxIterationLimit = 1e9;
// Share of the predicted reduction g·δ that a trial must achieve.
constexpr double kAcceptanceShare = 0.01;
// λ below this initial value keeps the floor at kSmallestLambdaFloor.
constexpr double kSmallInitialLambda = 1e-7;
constexpr double kSmallestLambdaFloor = 1e-8;

// Round with halves to even, as the document rounds its settings.
int RoundHalfEven(double value) {
  if (std::fabs(value - std::trunc(value)) == 0.5)
    return static_cast<int>(2.0 * std::round(value / 2.0));
  return static_cast<int>(std::round(value));
}

enum class TTrialOutcome { toAccepted, toIterationLimit, toNoAcceptableStep, toFailed };

// One run of the method; the steps of MarquardtIterate as member functions sharing its state.
class TMarquardtRun {
 public:
  TMarquardtRun(TLeastSquaresObjective& objective, std::span<double> x, int m,
                const TOptimizerBuffers& buffers, const TOptimizerOptions& options,
                TOptimizerSummary& summary)
      : mObjective(objective),
        mX(x),
        mN(static_cast<int>(x.size())),
        mM(m),
        mJacobian(buffers.Jacobian, m, static_cast<int>(x.size())),
        mResiduals(buffers.Residuals.first(static_cast<std::size_t>(m))),
        mSaved(buffers.SavedResiduals.first(static_cast<std::size_t>(m))),
        mOptions(options),
        mSummary(summary) {}

  void Run();

 private:
  void Prepare();
  bool EvaluateStart();
  bool ComputeJacobian();
  TObjectiveResult EvaluateDifferencePoint(int p, double xp, double step);
  bool Cancelled();
  bool Decompose();
  void ChooseLambda();
  void ProjectGradient();
  TTrialOutcome TrialLoop();
  void Reject();
  void FoldStep();
  bool KeepIterating() const;
  void RecordIteration(bool accepted);
  void ComputeStatistics();
  void Finish(TOptimizerStatus status);
  void Fail(TOptimizerStatus status, TOptimizerFault fault);
  TObjectiveResult Evaluate(const TEvaluationContext& context);

  TLeastSquaresObjective& mObjective;
  std::span<double> mX;
  int mN = 0;
  int mM = 0;
  TSvdMatrix mJacobian;
  std::span<double> mResiduals;
  std::span<double> mSaved;
  const TOptimizerOptions& mOptions;
  TOptimizerSummary& mSummary;

  TSvdState mSvd;
  TOptimizerVector mXOld{};
  TOptimizerVector mG{};
  TOptimizerVector mDelta{};
  double mFloor = 0.0;
  double mTryLimit = 0.0;
  double mAbs2 = 0.0;
  double mRel = 0.0;
  int mItMax = 0;
  int mIteration = 0;
  int mEvaluations = 1;
  int mRejections = 0;
  double mLambda = 0.0;
  double mSumS2 = 0.0;
  double mSsr = 0.0;
  double mSsrNew = 0.0;
  double mReduction = 0.0;
  TOptimizerFault mFault = TOptimizerFault::ofNone;
};

void TMarquardtRun::Run() {
  Prepare();
  if (!EvaluateStart()) return;
  for (;;) {
    ++mIteration;
    const bool jacobianDone = ComputeJacobian();
    // The user may pause or cancel between iterations; a failed Jacobian ends the run too.
    if (Cancelled()) return Fail(TOptimizerStatus::osBrokenOff, TOptimizerFault::ofCancelled);
    if (!jacobianDone) return Fail(TOptimizerStatus::osBrokenOff, mFault);
    if (!Decompose()) return Fail(TOptimizerStatus::osNoUsableJacobian, mFault);
    ChooseLambda();
    ProjectGradient();
    const TTrialOutcome outcome = TrialLoop();
    RecordIteration(outcome == TTrialOutcome::toAccepted);
    if (outcome == TTrialOutcome::toFailed)
      return Fail(TOptimizerStatus::osBrokenOff, TOptimizerFault::ofTrialEvaluationFailed);
    if (outcome == TTrialOutcome::toIterationLimit)
      return Finish(TOptimizerStatus::osIterationLimit);
    if (outcome == TTrialOutcome::toNoAcceptableStep)
      return Finish(TOptimizerStatus::osNoAcceptableStep);
    FoldStep();
    mSsr = mSsrNew;
    mSummary.Iterations.back().SumOfSquares = mSsr;
    if (!KeepIterating()) return Finish(TOptimizerStatus::osConverged);
  }
}

void TMarquardtRun::Prepare() {
  mFloor = LambdaFloor(mOptions.InitialLambda);
  mTryLimit = TryLimit(mOptions.InitialLambda, mOptions.MachineEpsilon);
  SvdPrepare(mSvd, mN, mOptions.MachineEpsilon, mOptions.EigenTolerance,
             mOptions.SvdSweepsPerParameter);
  mAbs2 = mOptions.AbsStoppingCriterion * mOptions.AbsStoppingCriterion;
  mRel = mOptions.RelStoppingCriterion;
  mItMax = RoundHalfEven(mOptions.MaxIterations);
  for (int p = 1; p <= mN; ++p) mXOld[p] = mX[static_cast<std::size_t>(p - 1)];
  mSummary.PreviousParameters = mXOld;
  mSummary.LambdaFloor = mFloor;
  mSummary.TryLimit = mTryLimit;
  mSummary.SvdMaxSweeps = mSvd.SvdMaxSweeps;
  mSummary.Iterations.reserve(static_cast<std::size_t>(std::min(mItMax, 1000)) + 1);
}

TObjectiveResult TMarquardtRun::Evaluate(const TEvaluationContext& context) {
  ++mSummary.ObjectiveCalls;
  return mObjective.Evaluate(mX, mResiduals, context);
}

bool TMarquardtRun::EvaluateStart() {
  TEvaluationContext context;
  context.Purpose = TEvaluationPurpose::epStart;
  context.ReportIterations = true;
  const TObjectiveResult result = Evaluate(context);
  if (result == TObjectiveResult::orFailed) {
    Fail(TOptimizerStatus::osBrokenOff, TOptimizerFault::ofStartEvaluationFailed);
    return false;
  }
  mSsr = DotObservations(mResiduals, mResiduals);
  if (result == TObjectiveResult::orInvalidPoint || !std::isfinite(mSsr)) {
    Fail(TOptimizerStatus::osBrokenOff, TOptimizerFault::ofStartPointInvalid);
    return false;
  }
  mSummary.SumOfSquares = mSsr;
  mSummary.InitialResidualNorm = std::sqrt(mSsr);
  return true;
}

TObjectiveResult TMarquardtRun::EvaluateDifferencePoint(int p, double xp, double step) {
  mX[static_cast<std::size_t>(p - 1)] = xp + step;
  TEvaluationContext context;
  context.Purpose = TEvaluationPurpose::epJacobian;
  context.IterationNumber = mIteration;
  context.Parameter = p;
  const TObjectiveResult result = Evaluate(context);
  if (result == TObjectiveResult::orValid &&
      !std::isfinite(DotObservations(mResiduals, mResiduals)))
    return TObjectiveResult::orInvalidPoint;
  return result;
}

// Forward differences J[i][p] = (r_i(x + h·e_p) − r_i(x)) / ((x_p + h) − x_p), divided by the
// difference actually represented so that rounding of x_p + h does not bias the column. A
// forward point that the model refuses is replaced by the backward point x_p − h.
bool TMarquardtRun::ComputeJacobian() {
  std::copy(mResiduals.begin(), mResiduals.end(), mSaved.begin());
  for (int p = 1; p <= mN; ++p) {
    const double xp = mX[static_cast<std::size_t>(p - 1)];
    TObjectiveResult result = EvaluateDifferencePoint(p, xp, mOptions.JacobianStep);
    if (result == TObjectiveResult::orInvalidPoint) {
      ++mSummary.BackwardDifferences;
      result = EvaluateDifferencePoint(p, xp, -mOptions.JacobianStep);
    }
    if (result != TObjectiveResult::orValid) {
      mFault = result == TObjectiveResult::orFailed ? TOptimizerFault::ofJacobianEvaluationFailed
                                                    : TOptimizerFault::ofJacobianPointInvalid;
      return false;
    }
    const double moved = mX[static_cast<std::size_t>(p - 1)];
    mX[static_cast<std::size_t>(p - 1)] = xp;
    const double difference = moved - xp;
    for (int i = 1; i <= mM; ++i) {
      const auto k = static_cast<std::size_t>(i - 1);
      mJacobian(i, p) = (mResiduals[k] - mSaved[k]) / difference;
    }
  }
  std::copy(mSaved.begin(), mSaved.end(), mResiduals.begin());
  return true;
}

bool TMarquardtRun::Cancelled() {
  TRunFlags flags = mObjective.ProcessMessages();
  while (flags.Paused && !flags.Cancelled) flags = mObjective.ProcessMessages();
  return flags.Cancelled;
}

bool TMarquardtRun::Decompose() {
  const TSvdStatus status = SvdDecompose(mJacobian, mSvd);
  mSummary.JacobianNorm = mSvd.JacobianNorm;
  mSummary.SvdNeglected = mSvd.SvdNeglected;
  mSummary.SvdSweeps = mSvd.SvdSweeps;
  mSummary.SvdRank = mSvd.SvdRank;
  mSummary.SingularValues = mSvd.SingularValues;
  mSummary.SvdSuperdiagonal = mSvd.SvdSuperdiagonal;
  if (status == TSvdStatus::ssNonFinite) {
    mFault = TOptimizerFault::ofSvdNonFinite;
    return false;
  }
  // A decomposition that stopped at its sweep limit is not one; using it would give steps and a
  // covariance from a matrix that is not J.
  if (status != TSvdStatus::ssConverged) {
    mFault = TOptimizerFault::ofSvdNotConverged;
    return false;
  }
  if (mSvd.SvdRank == 0) {
    mFault = TOptimizerFault::ofRankZero;
    return false;
  }
  mSummary.SavedV = mSvd.V;
  mSumS2 = 0.0;
  for (int p = 1; p <= mN; ++p) mSumS2 += mSvd.SingularValues[p] * mSvd.SingularValues[p];
  return true;
}

void TMarquardtRun::ChooseLambda() {
  if (mIteration == 1)
    mLambda = mOptions.InitialLambda * mSumS2;
  else if (mRejections == 0)
    mLambda *= 0.5;
  else
    mRejections = 0;
}

// g = diag(s)·Uᵀ·r, the gradient of ½·SSR in the rotated coordinates Vᵀx.
void TMarquardtRun::ProjectGradient() {
  for (int p = 1; p <= mN; ++p) {
    double sum = 0.0;
    for (int i = 1; i <= mM; ++i)
      sum += mJacobian(i, p) * mResiduals[static_cast<std::size_t>(i - 1)];
    mG[p] = mSvd.SingularValues[p] * sum;
  }
  mSummary.ProjectedGradient = mG;
}

// Damped steps δ_p = g_p/(s_p² + λ), x = x_old − V·δ, with λ raised after each rejection.
TTrialOutcome TMarquardtRun::TrialLoop() {
  for (;;) {
    for (int p = 1; p <= mN; ++p)
      mDelta[p] = mG[p] / (mSvd.SingularValues[p] * mSvd.SingularValues[p] + mLambda);
    for (int p = 1; p <= mN; ++p) {
      double sum = 0.0;
      for (int q = 1; q <= mN; ++q) sum += mSvd.V[p][q] * mDelta[q];
      mX[static_cast<std::size_t>(p - 1)] = mXOld[p] - sum;
    }
    mSummary.Step = mDelta;
    ++mEvaluations;
    if (mIteration > mItMax) return TTrialOutcome::toIterationLimit;
    TEvaluationContext context;
    context.Purpose = TEvaluationPurpose::epTrial;
    context.IterationNumber = mIteration;
    context.ReportIterations = true;
    context.Lambda = mLambda;
    context.Rejections = mRejections;
    const TObjectiveResult result = Evaluate(context);
    if (result == TObjectiveResult::orFailed) return TTrialOutcome::toFailed;
    mSsrNew = DotObservations(mResiduals, mResiduals);
    // An invalid point or one with non-finite residuals is no reduction, whatever g·δ is.
    if (result == TObjectiveResult::orValid && std::isfinite(mSsrNew)) {
      mReduction = mSsr - mSsrNew;
      const std::span<const double> g(mG.Data(), static_cast<std::size_t>(mN));
      const std::span<const double> delta(mDelta.Data(), static_cast<std::size_t>(mN));
      if (IsAcceptableStep(DotParameters(g, delta), mReduction)) return TTrialOutcome::toAccepted;
    } else {
      mReduction = 0.0;
    }
    Reject();
    if (mRejections >= mTryLimit) return TTrialOutcome::toNoAcceptableStep;
  }
}

void TMarquardtRun::Reject() {
  ++mRejections;
  mLambda *= 10.0;
  if (mRejections == 1) mLambda = std::max(mLambda, mFloor * mSumS2);
}

// The objective moves its values to the accepted point and returns the parameters that now
// describe it; that point is the base of the next iteration.
void TMarquardtRun::FoldStep() {
  mObjective.FoldStep(mX);
  for (int p = 1; p <= mN; ++p) mXOld[p] = mX[static_cast<std::size_t>(p - 1)];
  mSummary.PreviousParameters = mXOld;
}

bool TMarquardtRun::KeepIterating() const {
  return mSsr > mAbs2 && mReduction > mRel * mSsr + mAbs2;
}

void TMarquardtRun::RecordIteration(bool accepted) {
  TOptimizerIteration record;
  record.IterationNumber = mIteration;
  record.Lambda = mLambda;
  record.Rejections = mRejections;
  record.Accepted = accepted;
  record.SumOfSquares = mSsr;
  record.Reduction = mReduction;
  record.EvaluationCount = mEvaluations;
  record.SvdRank = mSvd.SvdRank;
  record.SvdSweeps = mSvd.SvdSweeps;
  mSummary.Iterations.push_back(record);
}

// Covariance of the parameters without the residual variance: (JᵀJ)⁻¹ = V·diag(1/s²)·Vᵀ, with ε
// keeping a zero singular value finite.
void TMarquardtRun::ComputeStatistics() {
  const double eps = mOptions.MachineEpsilon;
  const TSvdVector& s = mSvd.SingularValues;
  for (int i = 1; i <= mN; ++i) {
    for (int j = 1; j <= i; ++j) {
      double sum = 0.0;
      for (int p = 1; p <= mN; ++p)
        sum += (mSvd.V[i][p] / (s[p] + eps)) * (mSvd.V[j][p] / (s[p] + eps));
      mSummary.Covariance[i][j] = sum;
      mSummary.Covariance[j][i] = sum;
    }
  }
  double sMax = s[1];
  double sMin = s[1];
  for (int p = 2; p <= mN; ++p) {
    sMax = std::max(sMax, s[p]);
    sMin = std::min(sMin, s[p]);
  }
  mSummary.ConditionNumber = std::pow(sMax / (sMin + eps), 2);
  mSummary.ResidualNorm = std::sqrt(mSsr);
  mSummary.LastNormReduction = std::sqrt(std::fabs(mReduction + mSsr)) - std::sqrt(mSsr);
  for (int p = 1; p <= mN; ++p)
    mSummary.VarianceFactor[p] = std::pow((sMax + eps) / (s[p] + eps), 2);
}

void TMarquardtRun::Finish(TOptimizerStatus status) {
  mSummary.Status = status;
  if (HasStatistics(status)) ComputeStatistics();
  if (mSummary.Fault == TOptimizerFault::ofNone && !IsSuccess(status))
    mSummary.Message = ToText(status);
  mSummary.IterationNumber = mIteration;
  mSummary.IterationCount = mIteration - 1;
  mSummary.EvaluationCount = mEvaluations;
  mSummary.Lambda = mLambda;
  mSummary.SumOfSquares = mSsr;
}

void TMarquardtRun::Fail(TOptimizerStatus status, TOptimizerFault fault) {
  mSummary.Fault = fault;
  mSummary.Message = ToText(fault);
  Finish(status);
}

bool IsFiniteAtLeast(double value, double lowest) {
  return std::isfinite(value) && value >= lowest;
}

}  // namespace

std::string ToText(TOptimizerStatus status) {
  switch (status) {
    case TOptimizerStatus::osConverged:
      return "converged";
    case TOptimizerStatus::osIterationLimit:
      return "iteration limit reached";
    case TOptimizerStatus::osNoAcceptableStep:
      return "no acceptable step found";
    case TOptimizerStatus::osBrokenOff:
      return "an evaluation failed or the run was cancelled";
    case TOptimizerStatus::osNoUsableJacobian:
      return "no usable decomposition of the Jacobian";
  }
  return "unknown optimiser status";
}

bool HasStatistics(TOptimizerStatus status) {
  return status == TOptimizerStatus::osConverged || status == TOptimizerStatus::osIterationLimit ||
         status == TOptimizerStatus::osNoAcceptableStep;
}

std::string ToText(TOptimizerFault fault) {
  switch (fault) {
    case TOptimizerFault::ofNone:
      return "";
    case TOptimizerFault::ofInvalidSetup:
      return "invalid optimiser setup";
    case TOptimizerFault::ofStartEvaluationFailed:
      return "the evaluation at the starting point failed";
    case TOptimizerFault::ofStartPointInvalid:
      return "the starting point is invalid or gives residuals that are not finite";
    case TOptimizerFault::ofJacobianEvaluationFailed:
      return "an evaluation of the Jacobian failed";
    case TOptimizerFault::ofJacobianPointInvalid:
      return "both difference points of a parameter are invalid";
    case TOptimizerFault::ofTrialEvaluationFailed:
      return "the evaluation of a trial step failed";
    case TOptimizerFault::ofCancelled:
      return "cancelled";
    case TOptimizerFault::ofRankZero:
      return "no singular value of the Jacobian above the tolerance";
    case TOptimizerFault::ofSvdNotConverged:
      return "the singular value decomposition did not converge";
    case TOptimizerFault::ofSvdNonFinite:
      return "the Jacobian holds a value that is not finite";
  }
  return "unknown optimiser fault";
}

bool TOptimizerOptions::IsValid(std::string& why) const {
  if (!IsFiniteAtLeast(InitialLambda, 0.0)) {
    why = "InitialLambda must be finite and not negative";
    return false;
  }
  if (!IsFiniteAtLeast(AbsStoppingCriterion, 0.0) || !IsFiniteAtLeast(RelStoppingCriterion, 0.0)) {
    why = "the stopping criteria must be finite and not negative";
    return false;
  }
  if (!IsFiniteAtLeast(MaxIterations, 0.0) || MaxIterations > kMaxIterationLimit) {
    why = "MaxIterations must lie between 0 and 1E9";
    return false;
  }
  if (!IsFiniteAtLeast(MachineEpsilon, 0.0) || MachineEpsilon == 0.0 ||
      !IsFiniteAtLeast(EigenTolerance, 0.0)) {
    why = "MachineEpsilon must be positive and EigenTolerance not negative";
    return false;
  }
  if (!IsFiniteAtLeast(JacobianStep, 0.0) || JacobianStep == 0.0) {
    why = "JacobianStep must be positive";
    return false;
  }
  if (SvdSweepsPerParameter < 0) {
    why = "SvdSweepsPerParameter must not be negative";
    return false;
  }
  why.clear();
  return true;
}

double DotParameters(std::span<const double> a, std::span<const double> b) {
  double sum = 0.0;
  const std::size_t count = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < count; ++i) sum += a[i] * b[i];
  return sum;
}

double DotObservations(std::span<const double> a, std::span<const double> b) {
  return DotParameters(a, b);
}

bool IsAcceptableStep(double gradientDotStep, double reduction) {
  return kAcceptanceShare * gradientDotStep <= reduction;
}

double LambdaFloor(double initialLambda) {
  return initialLambda >= kSmallInitialLambda ? 0.1 * initialLambda : kSmallestLambdaFloor;
}

// λ grows tenfold per rejection from at least floor·Σs²; after about −log10(floor·ε) rejections
// the damped step is below the rounding of x and further tries cannot help.
double TryLimit(double initialLambda, double machineEpsilon) {
  return -std::log(LambdaFloor(initialLambda) * machineEpsilon) / 2.3;
}

TOptimizerSummary MarquardtIterate(TLeastSquaresObjective& objective, std::span<double> parameters,
                                   int residualCount, const TOptimizerBuffers& buffers,
                                   const TOptimizerOptions& options) {
  TOptimizerSummary summary;
  std::string why;
  const auto n = static_cast<int>(parameters.size());
  const auto m = static_cast<std::size_t>(std::max(residualCount, 0));
  if (!options.IsValid(why)) {
  } else if (n < 1 || n > kMaxOptimizerParameters) {
    why = "the parameter count must lie between 1 and 6";
  } else if (residualCount < n || residualCount > kMaxOptimizerResiduals) {
    why = "the residual count must lie between the parameter count and 5000";
  } else if (buffers.Jacobian.size() < m * kSvdMaxColumns || buffers.Residuals.size() < m ||
             buffers.SavedResiduals.size() < m) {
    why = "a work buffer is too short";
  }
  if (!why.empty()) {
    summary.Status = TOptimizerStatus::osBrokenOff;
    summary.Fault = TOptimizerFault::ofInvalidSetup;
    summary.Message = ToText(summary.Fault) + ": " + why;
    summary.IterationCount = -1;
    return summary;
  }
  TMarquardtRun run(objective, parameters, residualCount, buffers, options, summary);
  run.Run();
  return summary;
}

std::string BriefReport(const TOptimizerSummary& summary) {
  std::string text = "status " + std::to_string(static_cast<int>(summary.Status)) + " (" +
                     ToText(summary.Status) + ")";
  if (!summary.Message.empty() && summary.Fault != TOptimizerFault::ofNone)
    text += ": " + summary.Message;
  text += ", iterations " + std::to_string(summary.IterationCount + 1) + ", evaluations " +
          std::to_string(summary.EvaluationCount) + " (" + std::to_string(summary.ObjectiveCalls) +
          " calls), initial norm " + FormatFloatExponent(summary.InitialResidualNorm, 6, 2) +
          ", final sum of squares " + FormatFloatExponent(summary.SumOfSquares, 6, 2);
  return text;
}

}  // namespace aqv

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "model/fit/AQVOptimizer.h"
#include "model/fit/AQVReportFormat.h"

namespace aqv {
namespace {

using enum TEvaluationPurpose;
using enum TObjectiveResult;

// How a fitted value hangs on its entry x of the parameter vector, as the document links its
// values: value·exp(x) starting from x = 0, or value·x starting from x = 1.
enum class TLinkKind { Logarithmic, Linear };

using TModel = std::function<double(const std::vector<double>& b, double x)>;
using TScript = std::function<TObjectiveResult(const TEvaluationContext&, std::span<double>)>;
using TPoll = std::function<TRunFlags(int iteration, int poll)>;

// A curve fit y ≈ model(b, x) whose parameters b are linked like the document's values: every
// accepted step is folded into the link values and the vector goes back to its start values.
// Every evaluation is recorded; scripts can refuse points, fail evaluations and pause or cancel.
class TCurveFit final : public TLeastSquaresObjective {
 public:
  TCurveFit(TModel model, std::vector<double> x, std::vector<double> y, std::vector<double> start,
            std::vector<TLinkKind> kinds)
      : mModel(std::move(model)),
        mX(std::move(x)),
        mY(std::move(y)),
        mLinkValue(std::move(start)),
        mKinds(std::move(kinds)) {}

  int ResidualCount() const { return static_cast<int>(mX.size()); }
  const std::vector<double>& LinkValues() const { return mLinkValue; }
  std::vector<double> StartParameters() const {
    std::vector<double> x;
    for (TLinkKind kind : mKinds) x.push_back(kind == TLinkKind::Logarithmic ? 0.0 : 1.0);
    return x;
  }
  std::vector<double> ValuesAt(std::span<const double> x) const {
    std::vector<double> b(mLinkValue.size());
    for (std::size_t p = 0; p < b.size(); ++p)
      b[p] = mKinds[p] == TLinkKind::Logarithmic ? mLinkValue[p] * std::exp(x[p])
                                                 : mLinkValue[p] * x[p];
    return b;
  }

  TObjectiveResult Evaluate(std::span<const double> x, std::span<double> residuals,
                            const TEvaluationContext& context) override {
    Contexts.push_back(context);
    Points.emplace_back(x.begin(), x.end());
    const std::vector<double> b = ValuesAt(x);
    for (std::size_t i = 0; i < mX.size(); ++i) residuals[i] = mModel(b, mX[i]) - mY[i];
    return Script ? Script(context, residuals) : orValid;
  }

  void FoldStep(std::span<double> x) override {
    ++Folds;
    if (!FoldLinks) return;
    mLinkValue = ValuesAt(x);
    const std::vector<double> start = StartParameters();
    std::copy(start.begin(), start.end(), x.begin());
  }

  TRunFlags ProcessMessages() override {
    ++Polls;
    return Poll ? Poll(Contexts.back().IterationNumber, Polls) : TRunFlags{};
  }

  // Evaluations of one purpose in one iteration.
  int Count(TEvaluationPurpose purpose, int iteration) const {
    int count = 0;
    for (const TEvaluationContext& c : Contexts)
      if (c.Purpose == purpose && c.IterationNumber == iteration) ++count;
    return count;
  }
  // The damping of every trial of one iteration, in order.
  std::vector<double> TrialLambdas(int iteration) const {
    std::vector<double> lambdas;
    for (const TEvaluationContext& c : Contexts)
      if (c.Purpose == epTrial && c.IterationNumber == iteration) lambdas.push_back(c.Lambda);
    return lambdas;
  }

  TScript Script;
  TPoll Poll;
  std::vector<TEvaluationContext> Contexts;
  std::vector<std::vector<double>> Points;
  bool FoldLinks = true;  // false: the vector holds the values themselves
  int Folds = 0;
  int Polls = 0;

 private:
  TModel mModel;
  std::vector<double> mX;
  std::vector<double> mY;
  std::vector<double> mLinkValue;
  std::vector<TLinkKind> mKinds;
};

// Work buffers of the optimiser for m residuals.
struct TWork {
  std::vector<double> Jacobian;
  std::vector<double> Residuals;
  std::vector<double> Saved;
  explicit TWork(int m)
      : Jacobian(static_cast<std::size_t>(m) * kSvdMaxColumns),
        Residuals(static_cast<std::size_t>(m)),
        Saved(static_cast<std::size_t>(m)) {}
  TOptimizerBuffers Buffers() { return {Jacobian, Residuals, Saved}; }
};

struct TFitResult {
  TOptimizerSummary Summary;
  std::vector<double> Parameters;
};

TFitResult Fit(TCurveFit& fit, const TOptimizerOptions& options = {}) {
  TWork work(fit.ResidualCount());
  TFitResult result;
  result.Parameters = fit.StartParameters();
  result.Summary =
      MarquardtIterate(fit, result.Parameters, fit.ResidualCount(), work.Buffers(), options);
  return result;
}

// Stopping criteria for the certified problems: stop when an iteration gains less than `rel` of
// the sum of squares.
TOptimizerOptions Tight(double rel = 1e-6, double jacobianStep = kJacobianStep) {
  return {.AbsStoppingCriterion = 0.0,
          .RelStoppingCriterion = rel,
          .MaxIterations = 5000,
          .JacobianStep = jacobianStep};
}

// A script that answers `answer` for the evaluations `picked` selects and orValid for the rest.
auto Answer(TObjectiveResult answer, bool (*picked)(const TEvaluationContext&)) {
  return
      [=](const TEvaluationContext& c, std::span<double>) { return picked(c) ? answer : orValid; };
}

// ---- Certified problems of the NIST StRD nonlinear regression collection -------------------

// The certified values of a problem and its certified residual sum of squares.
struct TCertified {
  std::vector<double> Values;
  double SumOfSquares;
};

double Exponential(const std::vector<double>& b, double x) {
  return b[0] * (1.0 - std::exp(-b[1] * x));
}

TCurveFit Misra1a(std::vector<double> start,
                  std::vector<TLinkKind> kinds = {TLinkKind::Logarithmic, TLinkKind::Logarithmic}) {
  return TCurveFit(Exponential,
                   {77.6, 114.9, 141.1, 190.8, 239.9, 289.0, 332.8, 378.4, 434.8, 477.3, 536.8,
                    593.1, 689.1, 760.0},
                   {10.07, 14.73, 17.94, 23.93, 29.61, 35.18, 40.02, 44.82, 50.76, 55.05, 61.01,
                    66.40, 75.47, 81.78},
                   std::move(start), std::move(kinds));
}
const TCertified kMisra1a = {{2.3894212918E+02, 5.5015643181E-04}, 1.2455138894E-01};
const std::vector<double> kMisra1aDeviations = {2.7070075241E+00, 7.2668688436E-06};

TCurveFit BoxBod(std::vector<double> start) {
  return TCurveFit(Exponential, {1, 2, 3, 5, 7, 10}, {109, 149, 149, 191, 213, 224},
                   std::move(start), {TLinkKind::Logarithmic, TLinkKind::Logarithmic});
}
const TCertified kBoxBod = {{2.1380940889E+02, 5.4723748542E-01}, 1.1680088766E+03};

TCurveFit DanWood(std::vector<double> start) {
  return TCurveFit([](const std::vector<double>& b, double x) { return b[0] * std::pow(x, b[1]); },
                   {1.309, 1.471, 1.490, 1.565, 1.611, 1.680},
                   {2.138, 3.421, 3.597, 4.340, 4.882, 5.660}, std::move(start),
                   {TLinkKind::Linear, TLinkKind::Linear});
}
const TCertified kDanWood = {{7.6886226176E-01, 3.8604055871E+00}, 4.3173084083E-03};

TCurveFit Lanczos1(std::vector<double> start) {
  std::vector<double> x;
  for (int i = 0; i < 24; ++i) x.push_back(0.05 * i);
  return TCurveFit(
      [](const std::vector<double>& b, double t) {
        return b[0] * std::exp(-b[1] * t) + b[2] * std::exp(-b[3] * t) + b[4] * std::exp(-b[5] * t);
      },
      x, {2.513400000000E+00, 2.044333373291E+00, 1.668404436564E+00, 1.366418021208E+00,
          1.123232487372E+00, 9.268897180037E-01, 7.679338563728E-01, 6.388775523106E-01,
          5.337835317402E-01, 4.479363617347E-01, 3.775847884350E-01, 3.197393199326E-01,
          2.720130773746E-01, 2.324965529032E-01, 1.996589546065E-01, 1.722704126914E-01,
          1.493405660168E-01, 1.300700206922E-01, 1.138119324644E-01, 1.000415587559E-01,
          8.833209084540E-02, 7.833544019350E-02, 6.976693743449E-02, 6.239312536719E-02},
      std::move(start), std::vector<TLinkKind>(6, TLinkKind::Logarithmic));
}
const TCertified kLanczos1 = {{9.5100000027E-02, 1.0000000001E+00, 8.6070000013E-01,
                               3.0000000002E+00, 1.5575999998E+00, 5.0000000001E+00},
                              1.4307867721E-25};

struct TCertifiedCase {
  const char* Name;
  TCurveFit Problem;
  TCertified Certified;
  TOptimizerOptions Options;
  double ParameterTolerance;  // relative
  double SumTolerance;        // relative, or absolute below 1e-20
};

void ExpectCertified(const TCertifiedCase& c) {
  TCurveFit fit = c.Problem;
  const TFitResult result = Fit(fit, c.Options);
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged)
      << c.Name << ": " << BriefReport(result.Summary);
  for (std::size_t p = 0; p < c.Certified.Values.size(); ++p)
    EXPECT_NEAR(fit.LinkValues()[p] / c.Certified.Values[p], 1.0, c.ParameterTolerance)
        << c.Name << " b" << p + 1;
  const double sum = result.Summary.ResidualNorm * result.Summary.ResidualNorm;
  if (c.Certified.SumOfSquares < 1e-20)
    EXPECT_LT(sum, c.SumTolerance) << c.Name;
  else
    EXPECT_NEAR(sum / c.Certified.SumOfSquares, 1.0, c.SumTolerance) << c.Name;
}

// With the step of 1 % in every value, the iteration settles where the difference Jacobian is
// orthogonal to the residuals, which differs from the exact minimum by O(step·residual): a few
// parts in 1e5 for Misra1a and DanWood, and up to 1.4e-3 for BoxBOD, whose residuals are large.
TEST(TMarquardtCertified, ReachesCertifiedValuesWithTheStandardDifferenceStep) {
  const TCertifiedCase cases[] = {
      {"Misra1a start 1", Misra1a({500, 1e-4}), kMisra1a, Tight(), 3e-5, 1e-6},
      {"Misra1a start 2", Misra1a({250, 5e-4}), kMisra1a, Tight(), 3e-5, 1e-6},
      {"BoxBOD start 1", BoxBod({1, 1}), kBoxBod, Tight(), 2e-3, 3e-5},
      {"BoxBOD start 2", BoxBod({100, 0.75}), kBoxBod, Tight(), 2e-3, 3e-5},
      {"DanWood start 1", DanWood({1, 5}), kDanWood, Tight(), 1e-4, 1e-5},
      {"DanWood start 2", DanWood({0.7, 4}), kDanWood, Tight(), 1e-4, 1e-5}};
  for (const TCertifiedCase& c : cases) ExpectCertified(c);
}

// A small difference step takes the bias away and shows the accuracy of the method itself,
// including the six-parameter Lanczos1 with its exact data (condition number about 1e12).
TEST(TMarquardtCertified, ReachesCertifiedValuesCloselyWithASmallDifferenceStep) {
  TOptimizerOptions lanczos = Tight(1e-8, 1e-7);
  lanczos.AbsStoppingCriterion = 1e-12;
  const TCertifiedCase cases[] = {
      {"Misra1a start 1", Misra1a({500, 1e-4}), kMisra1a, Tight(1e-8, 1e-7), 1e-7, 1e-10},
      {"BoxBOD start 1", BoxBod({1, 1}), kBoxBod, Tight(1e-8, 1e-7), 2e-5, 1e-8},
      {"DanWood start 2", DanWood({0.7, 4}), kDanWood, Tight(1e-8, 1e-7), 1e-7, 1e-10},
      {"Lanczos1 start 1", Lanczos1({1.2, 0.3, 5.6, 5.5, 6.5, 7.6}), kLanczos1, lanczos, 1e-8,
       1e-24},
      {"Lanczos1 start 2", Lanczos1({0.5, 0.7, 3.6, 4.2, 4, 6.3}), kLanczos1, lanczos, 1e-8,
       1e-24}};
  for (const TCertifiedCase& c : cases) ExpectCertified(c);
}

TEST(TMarquardtCertified, Misra1aDeviationsFromTheCovariance) {
  // The covariance of the difference Jacobian at the result; 1 % steps put it 1.5 % off.
  for (const auto& [step, tolerance] : {std::pair{kJacobianStep, 2e-2}, {1e-7, 1e-5}}) {
    TCurveFit fit = Misra1a({250, 5e-4});
    const TFitResult result = Fit(fit, Tight(1e-8, step));
    ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged);
    const std::vector<double> diagonal = {result.Summary.Covariance[1][1],
                                          result.Summary.Covariance[2][2]};
    const std::vector<int> parameter = {1, 2};
    const std::vector<double> deviations = ParameterDeviations(
        result.Summary.ResidualNorm, fit.ResidualCount(), 2, diagonal, parameter, fit.LinkValues());
    for (std::size_t p = 0; p < 2; ++p)
      EXPECT_NEAR(deviations[p] / kMisra1aDeviations[p], 1.0, tolerance) << "b" << p + 1;
    EXPECT_EQ(result.Summary.Covariance[1][2], result.Summary.Covariance[2][1]);
    EXPECT_GT(result.Summary.ConditionNumber, 1.0);
  }
}

// ---- Folding and the parameter vector -----------------------------------------------------------

TEST(TMarquardt, AcceptedStepsAreFoldedAndTheVectorReturnsToItsStartValues) {
  TCurveFit fit = Misra1a({250, 5e-4}, {TLinkKind::Linear, TLinkKind::Logarithmic});
  const TFitResult result = Fit(fit, Tight());
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged);
  EXPECT_EQ(result.Parameters, (std::vector<double>{1.0, 0.0}));
  EXPECT_EQ(fit.Folds, result.Summary.IterationCount + 1);
  // Every difference point lies one step from the start vector: the base was folded back.
  for (std::size_t k = 0; k < fit.Contexts.size(); ++k) {
    const TEvaluationContext& c = fit.Contexts[k];
    if (c.Purpose != epJacobian) continue;
    const std::size_t p = static_cast<std::size_t>(c.Parameter - 1);
    EXPECT_NEAR(fit.Points[k][p] - (p == 0 ? 1.0 : 0.0), kJacobianStep, 1e-15);
    EXPECT_EQ(fit.Points[k][1 - p], p == 0 ? 0.0 : 1.0);
  }
  EXPECT_NEAR(fit.LinkValues()[0] / kMisra1a.Values[0], 1.0, 3e-5);
}

TEST(TMarquardt, ConsoleLinesAreAskedForTheStartAndTrialsOnly) {
  TCurveFit fit = Misra1a({250, 5e-4});
  const TFitResult result = Fit(fit);
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged);
  ASSERT_FALSE(fit.Contexts.empty());
  EXPECT_EQ(fit.Contexts.front().Purpose, epStart);
  EXPECT_EQ(fit.Contexts.front().IterationNumber, 0);
  int trials = 0;
  for (const TEvaluationContext& c : fit.Contexts) {
    EXPECT_EQ(c.ReportIterations, c.Purpose != epJacobian);
    if (c.Purpose == epTrial) ++trials;
  }
  EXPECT_EQ(result.Summary.EvaluationCount, 1 + trials);
  EXPECT_EQ(result.Summary.ObjectiveCalls, static_cast<int>(fit.Contexts.size()));
  EXPECT_EQ(static_cast<int>(result.Summary.Iterations.size()), result.Summary.IterationCount + 1);
}

TEST(TMarquardt, JacobianDividesByTheActualDifferenceOfTheParameter) {
  // r(x) = x − 3 at x = 1e10, where x + 0.01 is not represented exactly: the column is exactly 1
  // (division by 0.01 itself would give 0.99993...). With no iteration allowed the summary
  // keeps the first decomposition.
  TCurveFit fit([](const std::vector<double>& b, double) { return b[0]; }, {0.0}, {3.0}, {1.0},
                {TLinkKind::Linear});
  std::vector<double> x = {1e10};
  TWork work(1);
  const TOptimizerSummary summary =
      MarquardtIterate(fit, x, 1, work.Buffers(), {.MaxIterations = 0});
  ASSERT_EQ(summary.Status, TOptimizerStatus::osIterationLimit);
  EXPECT_EQ(summary.SingularValues[1], 1.0);
}

// ---- λ rules, acceptance and the try limit ------------------------------------------------------

// A linear problem r = A·x − b with singular values 1, 0.1 and 0.01 and x the values themselves,
// so the Jacobian stays A: each step is accepted and the smallest direction converges slowly, so
// the iterations go on as long as allowed.
TCurveFit LinearProblem() {
  TCurveFit fit(
      [](const std::vector<double>& b, double row) {
        const int i = static_cast<int>(row);
        const double a[4][3] = {
            {0.5, 0.05, 0.005}, {0.5, -0.05, 0.005}, {0.5, 0.05, -0.005}, {0.5, -0.05, -0.005}};
        return a[i][0] * b[0] + a[i][1] * b[1] + a[i][2] * b[2];
      },
      {0, 1, 2, 3}, {1.0, 2.0, -1.0, 0.5}, {1.0, 1.0, 1.0},
      std::vector<TLinkKind>(3, TLinkKind::Linear));
  fit.FoldLinks = false;
  return fit;
}
constexpr double kLinearSumOfSquaredSingularValues = 1.0 + 0.01 + 0.0001;

TOptimizerOptions Endless(double maxIterations) {
  return {.AbsStoppingCriterion = 0.0, .RelStoppingCriterion = 0.0, .MaxIterations = maxIterations};
}

// Refuses the first trial of the given iteration.
TScript RefuseFirstTrialOf(int iteration) {
  return [iteration](const TEvaluationContext& c, std::span<double>) {
    const bool first = c.Purpose == epTrial && c.IterationNumber == iteration && c.Rejections == 0;
    return first ? orInvalidPoint : orValid;
  };
}

TEST(TMarquardtLambda, StartsAtInitialLambdaTimesSumOfSquaredSingularValuesAndHalves) {
  TCurveFit fit = LinearProblem();
  const TFitResult result = Fit(fit, Endless(5));
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osIterationLimit);
  const double first = 0.01 * kLinearSumOfSquaredSingularValues;
  for (int k = 1; k <= 5; ++k) {
    ASSERT_EQ(fit.TrialLambdas(k).size(), 1u) << "iteration " << k;
    EXPECT_NEAR(fit.TrialLambdas(k)[0], first / std::pow(2.0, k - 1), 1e-12) << "iteration " << k;
  }
}

TEST(TMarquardtLambda, FirstRejectionRaisesTenfold) {
  TCurveFit fit = LinearProblem();
  fit.Script = RefuseFirstTrialOf(3);
  const TFitResult result = Fit(fit, Endless(5));
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osIterationLimit);
  const double lambda3 = 0.01 * kLinearSumOfSquaredSingularValues / 4.0;
  const std::vector<double> trials = fit.TrialLambdas(3);
  ASSERT_EQ(trials.size(), 2u);
  EXPECT_NEAR(trials[0], lambda3, 1e-12);
  EXPECT_NEAR(trials[1], 10.0 * lambda3, 1e-12);
  // After an iteration with rejections λ is kept, not halved.
  EXPECT_NEAR(fit.TrialLambdas(4)[0], 10.0 * lambda3, 1e-12);
  EXPECT_NEAR(fit.TrialLambdas(5)[0], 5.0 * lambda3, 1e-12);
}

TEST(TMarquardtLambda, FirstRejectionRaisesAtLeastToTheFloor) {
  // After eight halvings 10·λ = 0.01/25.6·Σs² lies below the floor 0.001·Σs².
  TCurveFit fit = LinearProblem();
  fit.Script = Answer(orInvalidPoint, [](const TEvaluationContext& c) {
    return c.Purpose == epTrial && c.IterationNumber == 9 && c.Rejections < 2;
  });
  const TFitResult result = Fit(fit, Endless(9));
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osIterationLimit);
  const std::vector<double> trials = fit.TrialLambdas(9);
  ASSERT_EQ(trials.size(), 3u);
  EXPECT_NEAR(trials[0], 0.01 * kLinearSumOfSquaredSingularValues / 256.0, 1e-12);
  EXPECT_NEAR(trials[1], 0.001 * kLinearSumOfSquaredSingularValues, 1e-12);
  // The second rejection only multiplies by ten.
  EXPECT_NEAR(trials[2], 0.01 * kLinearSumOfSquaredSingularValues, 1e-12);
}

TEST(TMarquardtLambda, SmallInitialLambdaUsesTheFixedFloor) {
  TCurveFit fit = LinearProblem();
  fit.Script = RefuseFirstTrialOf(1);
  TOptimizerOptions options = Endless(1);
  options.InitialLambda = 1e-10;
  const TFitResult result = Fit(fit, options);
  const std::vector<double> trials = fit.TrialLambdas(1);
  ASSERT_EQ(trials.size(), 2u);
  EXPECT_NEAR(trials[0], 1e-10 * kLinearSumOfSquaredSingularValues, 1e-22);
  EXPECT_NEAR(trials[1], 1e-8 * kLinearSumOfSquaredSingularValues, 1e-20);
  EXPECT_DOUBLE_EQ(result.Summary.LambdaFloor, 1e-8);
}

TEST(TMarquardtLambda, FloorAndTryLimitValues) {
  for (const auto& [lambda, floor] :
       {std::pair{0.01, 0.001}, {1e-7, 1e-8}, {9.9e-8, 1e-8}, {1e-12, 1e-8}})
    EXPECT_DOUBLE_EQ(LambdaFloor(lambda), floor) << lambda;
  EXPECT_NEAR(TryLimit(0.01, 1e-16), 19.02, 0.005);
  EXPECT_NEAR(TryLimit(1e-8, 1e-16), 24.03, 0.005);
}

TEST(TMarquardtLambda, AStepReducingByExactlyOnePercentOfTheLinearPredictionIsAccepted) {
  EXPECT_TRUE(IsAcceptableStep(2.0, 0.02));
  EXPECT_TRUE(IsAcceptableStep(2.0, 0.0200001));
  EXPECT_FALSE(IsAcceptableStep(2.0, 0.0199999));
  EXPECT_TRUE(IsAcceptableStep(0.0, 0.0));
  EXPECT_FALSE(IsAcceptableStep(1.0, std::numeric_limits<double>::quiet_NaN()));
}

// ---- Status codes ------------------------------------------------------------------------------

TEST(TMarquardtStatus, Status0Converged) {
  TCurveFit fit = Misra1a({250, 5e-4});
  const TFitResult result = Fit(fit);
  const TOptimizerSummary& s = result.Summary;
  EXPECT_EQ(std::tuple(s.Status, static_cast<int>(s.Status), s.Message, s.Fault),
            std::tuple(TOptimizerStatus::osConverged, 0, "", TOptimizerFault::ofNone));
  EXPECT_GT(result.Summary.InitialResidualNorm, result.Summary.ResidualNorm);
  // The last accepted step's gain in norm.
  const TOptimizerIteration& last = result.Summary.Iterations.back();
  const double previous = last.SumOfSquares + last.Reduction;
  EXPECT_NEAR(result.Summary.LastNormReduction, std::sqrt(previous) - std::sqrt(last.SumOfSquares),
              1e-15);
}

TEST(TMarquardtStatus, Status1WhenIterationAfterTheLimitIsAboutToEvaluateItsFirstTrial) {
  TCurveFit fit = Misra1a({500, 1e-4});
  TOptimizerOptions options = Tight();
  options.MaxIterations = 2;
  const TFitResult result = Fit(fit, options);
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osIterationLimit);
  EXPECT_EQ(std::tuple(static_cast<int>(result.Summary.Status), result.Summary.IterationCount),
            std::tuple(1, 2));
  // Iteration 3 computed its Jacobian but evaluated no trial; the unevaluated trial counts.
  EXPECT_EQ(std::tuple(fit.Count(epJacobian, 3), fit.Count(epTrial, 3)), std::tuple(2, 0));
  EXPECT_EQ(result.Summary.EvaluationCount, 1 + fit.Count(epTrial, 1) + fit.Count(epTrial, 2) + 1);
  EXPECT_TRUE(HasStatistics(result.Summary.Status));
  EXPECT_GT(result.Summary.ConditionNumber, 0.0);
}

TEST(TMarquardtStatus, IterationLimitIsRoundedHalfToEven) {
  for (const auto& [limit, expected] : {std::pair{0.0, 0}, {2.5, 2}, {3.5, 4}, {4.4, 4}}) {
    TCurveFit fit = LinearProblem();
    const TFitResult result = Fit(fit, Endless(limit));
    EXPECT_EQ(result.Summary.Status, TOptimizerStatus::osIterationLimit);
    EXPECT_EQ(result.Summary.IterationCount, expected) << limit;
  }
}

// Twenty tries with the default options, twenty-five with a small λ (the fixed floor).
TEST(TMarquardtStatus, Status4AfterTwentyOrTwentyFiveRejections) {
  const TOptimizerOptions smallLambda{.InitialLambda = 1e-8};
  for (const auto& [options, tries] : {std::pair{TOptimizerOptions{}, 20}, {smallLambda, 25}}) {
    TCurveFit fit = Misra1a({250, 5e-4});
    fit.Script =
        Answer(orInvalidPoint, [](const TEvaluationContext& c) { return c.Purpose == epTrial; });
    const TFitResult result = Fit(fit, options);
    ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osNoAcceptableStep);
    EXPECT_EQ(std::tuple(static_cast<int>(result.Summary.Status), fit.Count(epTrial, 1),
                         result.Summary.IterationCount),
              std::tuple(4, tries, 0));
    // Invalid points count as no reduction.
    EXPECT_EQ(result.Summary.LastNormReduction, 0.0);
    EXPECT_DOUBLE_EQ(result.Summary.ResidualNorm, result.Summary.InitialResidualNorm);
  }
}

TEST(TMarquardtStatus, Status4WhenNoTrialReducesTheSumOfSquares) {
  // Every trial point is made worse than the start: a real rejection, not an invalid point.
  TCurveFit fit = Misra1a({250, 5e-4});
  fit.Script = [](const TEvaluationContext& c, std::span<double> r) {
    if (c.Purpose == epTrial) r[0] += 100.0;
    return orValid;
  };
  const TFitResult result = Fit(fit);
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osNoAcceptableStep);
  EXPECT_EQ(fit.Count(epTrial, 1), 20);
  // The norm change of the last, rejected trial: an increase.
  EXPECT_GT(result.Summary.LastNormReduction, 0.0);
}

// Every break-off names its fault and counts the iterations completed before it.
TEST(TMarquardtStatus, Status5NamesTheFaultOfEachBreakOff) {
  using enum TOptimizerFault;
  const auto any = [](const TEvaluationContext&) { return true; };
  const auto trial2 = [](const TEvaluationContext& c) {
    return c.Purpose == epTrial && c.IterationNumber == 2;
  };
  const auto difference2 = [](const TEvaluationContext& c) {
    return c.Purpose == epJacobian && c.IterationNumber == 2 && c.Parameter == 2;
  };
  const TScript infinite = [](const TEvaluationContext&, std::span<double> r) {
    r[3] = std::numeric_limits<double>::infinity();
    return orValid;
  };
  const TPoll cancel3 = [](int iteration, int) { return TRunFlags{false, iteration == 3}; };
  const std::tuple<const char*, TScript, TPoll, TOptimizerFault, int> cases[] = {
      {"start fails", Answer(orFailed, any), {}, ofStartEvaluationFailed, -1},
      {"start not finite", infinite, {}, ofStartPointInvalid, -1},
      {"trial fails", Answer(orFailed, trial2), {}, ofTrialEvaluationFailed, 1},
      {"difference fails", Answer(orFailed, difference2), {}, ofJacobianEvaluationFailed, 1},
      {"cancelled", {}, cancel3, ofCancelled, 2}};
  for (const auto& [name, script, poll, fault, iterations] : cases) {
    TCurveFit fit = Misra1a({250, 5e-4});
    fit.Script = script;
    fit.Poll = poll;
    const TFitResult result = Fit(fit, Tight());
    const TOptimizerSummary& summary = result.Summary;
    EXPECT_EQ(std::tuple(summary.Status, static_cast<int>(summary.Status), summary.Fault,
                         summary.IterationCount),
              std::tuple(TOptimizerStatus::osBrokenOff, 5, fault, iterations))
        << name;
    EXPECT_FALSE(HasStatistics(summary.Status)) << name;
    // A failed start is the only evaluation; only a failed trial is tried in the iteration
    // that breaks off; the aborted difference point stays in the vector.
    EXPECT_TRUE(iterations >= 0 || summary.EvaluationCount == 1) << name;
    EXPECT_EQ(fit.Count(epTrial, iterations + 1), fault == ofTrialEvaluationFailed) << name;
    EXPECT_TRUE(fault != ofJacobianEvaluationFailed || result.Parameters[1] == kJacobianStep);
  }
}

// Status 6 when no parameter influences the residuals or the decomposition does not converge:
// no trial is tried.
TEST(TMarquardtStatus, Status6WithoutInfluenceOrWithANonConvergedDecomposition) {
  const TCurveFit flat([](const std::vector<double>&, double x) { return x; }, {1, 2, 3}, {0, 0, 0},
                       {1, 1}, {TLinkKind::Logarithmic, TLinkKind::Linear});
  const TOptimizerOptions noSweeps{.SvdSweepsPerParameter = 0};
  const std::tuple<const char*, TCurveFit, TOptimizerOptions, TOptimizerFault> cases[] = {
      {"no influence", flat, {}, TOptimizerFault::ofRankZero},
      {"no sweeps", Misra1a({250, 5e-4}), noSweeps, TOptimizerFault::ofSvdNotConverged}};
  for (auto [name, fit, options, fault] : cases) {
    const TOptimizerSummary s = Fit(fit, options).Summary;
    EXPECT_EQ(std::tuple(s.Status, static_cast<int>(s.Status), s.Fault, s.IterationCount,
                         fit.Count(epTrial, 1)),
              std::tuple(TOptimizerStatus::osNoUsableJacobian, 6, fault, 0, 0))
        << name;
    EXPECT_TRUE(fault != TOptimizerFault::ofRankZero || s.SvdRank == 0) << s.SvdRank;
  }
}

// ---- Invalid points and the user interface hooks ------------------------------------------------

// The refused or non-finite point would otherwise be accepted; λ grows and the fit converges.
TEST(TMarquardtFaults, InvalidOrNonFiniteTrialPointIsRejectedLikeAStepWithoutReduction) {
  const TScript nonFinite = [](const TEvaluationContext& c, std::span<double> r) {
    if (c.Purpose == epTrial && c.IterationNumber == 1 && c.Rejections == 0)
      r[5] = std::numeric_limits<double>::quiet_NaN();
    return orValid;
  };
  for (const auto& [name, script] :
       {std::pair{"invalid point", RefuseFirstTrialOf(1)}, {"not finite", nonFinite}}) {
    TCurveFit fit = Misra1a({250, 5e-4});
    fit.Script = script;
    const TFitResult result = Fit(fit, Tight());
    ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged) << name;
    const std::vector<double> trials = fit.TrialLambdas(1);
    ASSERT_GE(trials.size(), 2u) << name;
    EXPECT_DOUBLE_EQ(trials[1], 10.0 * trials[0]) << name;
    EXPECT_EQ(result.Summary.Iterations.front().Rejections, 1) << name;
    EXPECT_TRUE(std::isfinite(result.Summary.ResidualNorm)) << name;
    EXPECT_NEAR(fit.LinkValues()[0] / kMisra1a.Values[0], 1.0, 3e-5) << name;
  }
}

TEST(TMarquardtFaults, InvalidForwardDifferencePointFallsBackToTheBackwardPoint) {
  // A model that refuses any b1 above the current one, as a check routine refuses a value at the
  // end of its range: the first column comes from the backward point instead.
  TCurveFit fit = Misra1a({250, 5e-4});
  const TCurveFit* self = &fit;
  fit.Script = [self](const TEvaluationContext& c, std::span<double>) {
    return c.Purpose == epJacobian && c.Parameter == 1 && self->Points.back()[0] > 0.0
               ? orInvalidPoint
               : orValid;
  };
  const TFitResult result = Fit(fit, Tight());
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged) << BriefReport(result.Summary);
  EXPECT_EQ(result.Summary.BackwardDifferences, result.Summary.IterationNumber);
  EXPECT_NEAR(fit.LinkValues()[0] / kMisra1a.Values[0], 1.0, 3e-5);
  EXPECT_NEAR(fit.LinkValues()[1] / kMisra1a.Values[1], 1.0, 3e-5);
}

TEST(TMarquardtFaults, BothDifferencePointsInvalidEndsWithStatus5) {
  TCurveFit fit = Misra1a({250, 5e-4});
  fit.Script = Answer(orInvalidPoint, [](const TEvaluationContext& c) {
    return c.Purpose == epJacobian && c.Parameter == 1;
  });
  const TFitResult result = Fit(fit);
  EXPECT_EQ(result.Summary.Status, TOptimizerStatus::osBrokenOff);
  EXPECT_EQ(result.Summary.Fault, TOptimizerFault::ofJacobianPointInvalid);
  EXPECT_EQ(result.Summary.BackwardDifferences, 1);
}

TEST(TMarquardtHooks, PauseWaitsBeforeTheDecompositionUntilResumed) {
  TCurveFit fit = Misra1a({250, 5e-4});
  // Paused for three polls in iteration 2, then running again.
  int pausedPolls = 0;
  fit.Poll = [&pausedPolls](int iteration, int) {
    if (iteration == 2 && pausedPolls < 3) {
      ++pausedPolls;
      return TRunFlags{true, false};
    }
    return TRunFlags{};
  };
  const TFitResult result = Fit(fit, Tight());
  ASSERT_EQ(result.Summary.Status, TOptimizerStatus::osConverged);
  EXPECT_EQ(fit.Polls, result.Summary.IterationNumber + 3);
  EXPECT_NEAR(fit.LinkValues()[0] / kMisra1a.Values[0], 1.0, 3e-5);
}

TEST(TMarquardtHooks, CancelWhilePausedEndsTheRun) {
  TCurveFit fit = Misra1a({250, 5e-4});
  fit.Poll = [](int, int poll) { return TRunFlags{true, poll == 4}; };
  const TFitResult result = Fit(fit);
  EXPECT_EQ(
      std::tuple(result.Summary.Status, result.Summary.Fault, fit.Polls, fit.Count(epTrial, 1)),
      std::tuple(TOptimizerStatus::osBrokenOff, TOptimizerFault::ofCancelled, 4, 0));
}

// ---- Setup checks -----------------------------------------------------------------------------

TEST(TOptimizerOptions, IsValidAcceptsTheDefaultsAndRefusesUnusableSettings) {
  std::string why;
  EXPECT_TRUE(TOptimizerOptions{}.IsValid(why));
  EXPECT_TRUE(why.empty());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::function<void(TOptimizerOptions&)> invalid[] = {
      [](TOptimizerOptions& o) { o.InitialLambda = -1.0; },
      [nan](TOptimizerOptions& o) { o.InitialLambda = nan; },
      [](TOptimizerOptions& o) { o.AbsStoppingCriterion = -1e-4; },
      [nan](TOptimizerOptions& o) { o.RelStoppingCriterion = nan; },
      [](TOptimizerOptions& o) { o.MaxIterations = -1.0; },
      [](TOptimizerOptions& o) { o.MaxIterations = 2e9; },
      [](TOptimizerOptions& o) { o.MachineEpsilon = 0.0; },
      [](TOptimizerOptions& o) { o.EigenTolerance = -1.0; },
      [](TOptimizerOptions& o) { o.SvdSweepsPerParameter = -1; }};
  for (const auto& change : invalid) {
    TOptimizerOptions options;
    change(options);
    EXPECT_FALSE(options.IsValid(why));
    EXPECT_FALSE(why.empty());
  }
}

TEST(TOptimizerOptions, InvalidSetupEndsBeforeAnyEvaluation) {
  TCurveFit fit = Misra1a({250, 5e-4});
  TWork work(14);
  std::vector<double> x = {0.0, 0.0};
  const TOptimizerOptions bad{.InitialLambda = -1.0};
  std::vector<double> seven(7, 0.0), none, shortBuffer(10);
  const TOptimizerSummary summaries[] = {
      MarquardtIterate(fit, x, 14, work.Buffers(), bad),
      MarquardtIterate(fit, seven, 14, work.Buffers()),
      MarquardtIterate(fit, none, 14, work.Buffers()),
      MarquardtIterate(fit, x, 1, work.Buffers()),
      MarquardtIterate(fit, x, 5001, work.Buffers()),
      MarquardtIterate(fit, x, 14, {shortBuffer, work.Residuals, work.Saved})};
  for (const TOptimizerSummary& s : summaries) {
    EXPECT_EQ(std::tuple(s.Status, s.Fault, s.Message.empty()),
              std::tuple(TOptimizerStatus::osBrokenOff, TOptimizerFault::ofInvalidSetup, false));
  }
  EXPECT_TRUE(fit.Contexts.empty());
}

}  // namespace
}  // namespace aqv

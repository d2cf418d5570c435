#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>

#include "model/AQVData.h"
#include "model/fit/AQVReportFormat.h"

namespace aqv {

// The document's side of the least-squares fit: parameter links between marked table values and
// the optimiser's parameter vector, the objective that the optimiser evaluates, the run with its
// console window, and the report.

namespace {

// Marks that link a value; any other character leaves it unlinked.
constexpr unsigned char kFirstMark = '1';
constexpr unsigned char kLastMark = 'z';
// Well parameters take their mark raised by this, so that a mark on a well value never joins a
// layer value with the same mark: one is a factor on a logarithm, the other on a length.
constexpr int kWellMarkOffset = 100;
// Logarithmic residuals are in decades: ln(computed/observed) divided by ln 10 as written here.
constexpr double kLn10 = 2.302585093;
// Below this drawdown (length) a logarithm says nothing; such a point gets residual 0.
constexpr double kSmallestLogDrawdown = 1e-4;
// Relative tolerances of the decomposition and guard of the statistics' divisions.
constexpr double kMachineEpsilon = 1e-16;
// Blanks in front of the run's status line.
constexpr int kStatusIndent = 24;
// Console column of the sum of squares when the model refused a trial point.
constexpr std::string_view kRefusedPoint = "refused";
// Correlation columns per report line.
constexpr int kCorrelationColumns = 16;

struct TKindText {
  char Code;
  TLinkKind Kind;
  std::string_view Label;
};

constexpr TKindText kKindTexts[] = {
    {'c', TLinkKind::lkResistance, " c"},   {'T', TLinkKind::lkTransmissivity, " T"},
    {'S', TLinkKind::lkStorativity, " S"},  {'Z', TLinkKind::lkAquitardStorativity, "S'"},
    {'R', TLinkKind::lkCasingRadius, "rc"}, {'W', TLinkKind::lkScreenRadius, "rw"},
    {'K', TLinkKind::lkSkin, "Sk"}};

const TKindText* FindKind(char code) {
  for (const TKindText& k : kKindTexts)
    if (k.Code == code) return &k;
  return nullptr;
}

// Characters of UTF-8 text: every byte that does not continue a character.
int CharacterCount(std::string_view text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Right-aligned by characters, so that "m²" takes two columns like "ft" takes two.
std::string RightAlignedText(std::string_view text, int width) {
  const int pad = std::max(0, width - CharacterCount(text));
  std::string result(static_cast<std::size_t>(pad), ' ');
  result += text;
  return result;
}

double Square(double x) {
  return x * x;
}

}  // namespace

std::string ToText(TRunStatus status, int iterationLimit) {
  return RunStatusText(static_cast<int>(status), iterationLimit);
}

TRunStatus RunStatusForCounts(int fitCount, int parameterCount) {
  if (fitCount < parameterCount) return TRunStatus::rsTooManyParameters;
  if (fitCount > kMaxOptimizerResiduals) return TRunStatus::rsTooManyMeasurements;
  return TRunStatus::rsParametersFound;
}

// The optimiser's view of the document: every evaluation writes the parameter vector into the
// tables, computes the drawdowns of the fitting list on the worker threads and returns the
// residuals. The parameter vector is ParameterStart itself.
class TAQVFitObjective final : public TLeastSquaresObjective {
 public:
  TAQVFitObjective(TAQVData& data, TOptimizeConsole& console) : mData(data), mConsole(console) {}

  TObjectiveResult Evaluate(std::span<const double> parameters, std::span<double> residuals,
                            const TEvaluationContext& context) override {
    if (parameters.data() != mData.ParameterStart.Data())
      std::copy(parameters.begin(), parameters.end(), mData.ParameterStart.begin());
    const TObjectiveResult result =
        mData.EvaluateFitPoint(residuals, context.ReportIterations, context.IterationNumber);
    if (context.Purpose == TEvaluationPurpose::epStart && result == TObjectiveResult::orValid)
      KeepAcceptedDrawdowns();
    return result;
  }

  // The accepted trial was the last evaluation.
  void FoldStep(std::span<double> parameters) override {
    KeepAcceptedDrawdowns();
    mData.FoldParameters(parameters);
  }

  // Once per iteration the screen gets its turn; while the person has paused the run the
  // console waits for the next button instead of spinning.
  TRunFlags ProcessMessages() override {
    if (Globals().OptimizePaused)
      mConsole.WaitForMessages();
    else
      mData.UserInterface().ProcessMessages();
    return {Globals().OptimizePaused, Globals().OptimizeCancelled};
  }

 private:
  // The report shows the drawdowns of the last accepted point, whose sum of squares it states;
  // the Jacobian's difference points and rejected trials evaluate after it.
  void KeepAcceptedDrawdowns() {
    mData.FittedDrawdowns.assign(mData.FitComputed.begin(),
                                 mData.FitComputed.begin() + mData.mFitCount);
  }

  TAQVData& mData;
  TOptimizeConsole& mConsole;
};

// --- Parameter links -------------------------------------------------------------------------

void TAQVData::AddParameter(char mark, char code, double value, int index) {
  if (LinkCount == 0) {
    ParameterCount = 0;
    ParameterMarks.clear();
  }
  const auto markCode = static_cast<unsigned char>(mark);
  if (markCode < kFirstMark || markCode > kLastMark) return;
  const TKindText* kind = FindKind(code);
  if (kind == nullptr) return;
  const int raised = IsLogarithmicKind(kind->Kind) ? markCode : markCode + kWellMarkOffset;
  const char key = static_cast<char>(raised);
  const std::size_t position = ParameterMarks.find(key);
  const bool newParameter = position == std::string::npos;
  if (newParameter && ParameterCount >= kMaxParameters) return;
  if (LinkCount >= kMaxLinks) return;

  const int i = ++LinkCount;
  int p = static_cast<int>(position) + 1;
  if (newParameter) {
    p = ++ParameterCount;
    ParameterFirstLink[p] = i;
    ParameterMarks += key;
  }
  LinkParameter[i] = p;
  LinkIndex[i] = index;
  LinkValue[i] = value;
  LinkKind[i] = kind->Kind;
  LinkDeviation[i] = 0;
  LinkFittedValue[i] = value;
  ParameterStart[p] = IsLogarithmicKind(kind->Kind) ? 0.0 : 1.0;
  LinkLabel[i] = std::string(kind->Label) + FormatIntField(index, 2);
}

double TAQVData::LinkedValue(int link) const {
  const double x = ParameterStart[LinkParameter[link]];
  return IsLogarithmicKind(LinkKind[link]) ? std::exp(x) * LinkValue[link] : x * LinkValue[link];
}

void TAQVData::ApplyParameters() {
  for (int i = 1; i <= LinkCount; ++i) {
    const int k = LinkIndex[i];
    const double value = LinkedValue(i);
    const bool layer = k >= 1 && k <= kMaxLayers;
    const bool well = k >= 1 && k <= kMaxPumpingWells;
    switch (LinkKind[i]) {
      case TLinkKind::lkResistance:
        if (layer) Resistance[k] = value;
        break;
      case TLinkKind::lkTransmissivity:
        if (layer) T[k] = value;
        break;
      case TLinkKind::lkStorativity:
        if (layer) S[k] = value;
        break;
      case TLinkKind::lkAquitardStorativity:
        if (layer) SAquitard[k] = value;
        break;
      case TLinkKind::lkCasingRadius:
        if (well) PumpingWells[k].Rc = value;
        break;
      case TLinkKind::lkScreenRadius:
        if (well) PumpingWells[k].Rw = value;
        break;
      case TLinkKind::lkSkin:
        if (well) PumpingWells[k].Skin = value;
        break;
    }
  }
}

void TAQVData::FoldParameters(std::span<double> parameters) {
  const auto n = static_cast<int>(std::min<std::size_t>(parameters.size(), kMaxParameters));
  for (int i = 1; i <= LinkCount; ++i) {
    const int p = LinkParameter[i];
    if (p > n) continue;
    const double x = parameters[static_cast<std::size_t>(p - 1)];
    LinkValue[i] = IsLogarithmicKind(LinkKind[i]) ? std::exp(x) * LinkValue[i] : x * LinkValue[i];
  }
  for (int p = 1; p <= n; ++p)
    parameters[static_cast<std::size_t>(p - 1)] =
        IsLogarithmicKind(LinkKind[ParameterFirstLink[p]]) ? 0.0 : 1.0;
}

void TAQVData::ParameterDeviations() {
  std::vector<double> diagonal(static_cast<std::size_t>(ParameterCount));
  for (int p = 1; p <= ParameterCount; ++p)
    diagonal[static_cast<std::size_t>(p - 1)] = Covariance[p][p];
  const auto links = static_cast<std::size_t>(LinkCount);
  const std::span<const int> parameters(LinkParameter.Data(), links);
  const std::span<const double> values(LinkValue.Data(), links);
  const std::vector<double> deviations = aqv::ParameterDeviations(
      ResidualNorm, mFitCount, ParameterCount, diagonal, parameters, values);
  for (int i = 1; i <= LinkCount; ++i)
    LinkDeviation[i] = deviations[static_cast<std::size_t>(i - 1)];
}

// --- The objective ---------------------------------------------------------------------------

// A trial may move a value where the model has no meaning: a logarithmic kind that overflowed
// or vanished, or a radius or skin that the input checks would refuse. Such a point is not
// evaluated; the optimiser treats it as a step without reduction. The checks' message is
// restored, as no input control asked for it.
bool TAQVData::LinkedValuesAcceptable() const {
  const std::string message = Globals().DataErrorText;
  bool ok = true;
  for (int i = 1; i <= LinkCount && ok; ++i) {
    const double value = LinkedValue(i);
    if (!std::isfinite(value)) {
      ok = false;
      continue;
    }
    switch (LinkKind[i]) {
      case TLinkKind::lkCasingRadius:
        ok = CheckCasingRadius(value * mLengthFactor);
        break;
      case TLinkKind::lkScreenRadius:
        ok = CheckScreenRadius(value * mLengthFactor);
        break;
      case TLinkKind::lkSkin:
        ok = CheckSkinFactor(value);
        break;
      case TLinkKind::lkStorativity:
      case TLinkKind::lkAquitardStorativity:
        // A marked storativity of 0 stays 0 under its factor (its Jacobian column is zero and
        // the others are fitted); one that a trial made vanish is a different model.
        ok = value > 0 || (value == 0 && LinkValue[i] == 0);
        break;
      default:
        ok = value > 0;
        break;
    }
  }
  Globals().DataErrorText = message;
  return ok;
}

double TAQVData::ComputeResiduals(std::span<double> residuals) const {
  double sum = 0;
  const int m = std::min(mFitCount, static_cast<int>(residuals.size()));
  for (int i = 1; i <= m; ++i) {
    const double computed = FitComputed[i];
    const double observed = FitObserved[i];
    double r = computed - observed;
    if (!mLinearResiduals) {
      const bool usable = std::fabs(computed) >= kSmallestLogDrawdown &&
                          std::fabs(observed) >= kSmallestLogDrawdown;
      r = usable ? std::log(std::fabs(computed) / std::fabs(observed)) / kLn10 : 0.0;
    }
    residuals[static_cast<std::size_t>(i - 1)] = r;
    sum += r * r;
  }
  return sum;
}

double TAQVData::LinearSumOfSquares() const {
  double sum = 0;
  for (int i = 1; i <= mFitCount; ++i) sum += Square(FitComputed[i] - FitObserved[i]);
  return sum;
}

double TAQVData::DisplayLinkFactor(TLinkKind kind) const {
  const double timeFactor = RunTimeUnit == TAQVTimeUnit::tuSeconds ? RunTimeFactor : 1.0;
  switch (kind) {
    case TLinkKind::lkTransmissivity:
      return mLengthFactor * mLengthFactor / timeFactor;
    case TLinkKind::lkResistance:
      return timeFactor;
    case TLinkKind::lkCasingRadius:
    case TLinkKind::lkScreenRadius:
      return mLengthFactor;
    default:
      return 1.0;
  }
}

// The console line of an evaluation: the iteration, the value of each parameter's first link in
// display units and, once computed, the sum of squares. A line stays in the buffer until the
// next evaluation or the end of the run adds it.
void TAQVData::WriteConsoleParameters(int iterationNumber) {
  ReportFlush();
  ReportAppendInt(iterationNumber, 3);
  ReportAppend(" ");
  for (int p = 1; p <= ParameterCount; ++p) {
    const int i = ParameterFirstLink[p];
    ReportAppendFloat(12, LinkedValue(i) * DisplayLinkFactor(LinkKind[i]));
  }
}

TObjectiveResult TAQVData::EvaluateFitPoint(std::span<double> residuals, bool reportLine,
                                            int iterationNumber) {
  ApplyParameters();
  const bool line = reportLine && ParameterCount > 0;
  if (line) WriteConsoleParameters(iterationNumber);
  if (!LinkedValuesAcceptable()) {
    if (line) ReportAppend(RightAligned(kRefusedPoint, 16));
    return TObjectiveResult::orInvalidPoint;
  }
  ComputeObservationDrawdowns();
  if (StatusCode != 0) return TObjectiveResult::orFailed;
  double sumOfSquares = ComputeResiduals(residuals);
  if (line) ReportAppend(FormatConsoleSumOfSquares(sumOfSquares));
  if (ParameterCount == 0) {
    // A plain evaluation reports its fit in length units whatever the fitting mode.
    if (!mLinearResiduals) sumOfSquares = LinearSumOfSquares();
    ResidualNorm = std::sqrt(sumOfSquares);
  }
  return std::isfinite(sumOfSquares) ? TObjectiveResult::orValid : TObjectiveResult::orInvalidPoint;
}

bool TAQVData::EvaluateObjective() {
  return EvaluateFitPoint(Residuals, false, 0) == TObjectiveResult::orValid;
}

// --- The run ---------------------------------------------------------------------------------

namespace {

// What a run restores when its result is not kept: the linked values (whose parameter vector is
// reset alongside) and the computed drawdowns that the evaluations overwrote.
struct TRunBackup {
  TArray1<double, kMaxLinks> LinkValue;
  std::vector<double> Computed;  // every observation of every well, well by well
  std::vector<double> FitComputed;
};

TRunBackup TakeBackup(const TAQVData& d) {
  TRunBackup backup;
  backup.LinkValue = d.LinkValue;
  backup.Computed.reserve(static_cast<std::size_t>(kMaxFitObservations));
  for (int j = 1; j <= kMaxObservationWells; ++j)
    backup.Computed.insert(backup.Computed.end(), d.ObservationWells[j].Computed.begin(),
                           d.ObservationWells[j].Computed.end());
  backup.FitComputed.assign(d.FitComputed.begin(), d.FitComputed.end());
  return backup;
}

void RestoreBackup(TAQVData& d, const TRunBackup& backup) {
  d.LinkValue = backup.LinkValue;
  for (int p = 1; p <= d.ParameterCount; ++p)
    d.ParameterStart[p] = IsLogarithmicKind(d.LinkKind[d.ParameterFirstLink[p]]) ? 0.0 : 1.0;
  auto from = backup.Computed.begin();
  for (int j = 1; j <= kMaxObservationWells; ++j) {
    std::copy_n(from, kMaxObservations, d.ObservationWells[j].Computed.begin());
    from += kMaxObservations;
  }
  std::copy(backup.FitComputed.begin(), backup.FitComputed.end(), d.FitComputed.begin());
}

}  // namespace

void TAQVData::Optimize() {
  if (mOutputForm != nullptr) return;  // a run of this document is waiting for its person
  RunTimeUnit = mTimeUnit;
  RunTimeFactor = mTimeFactor;
  Fire(OnStartOptimize, this);
  // The end of the run comes whatever happens inside it: a run that threw must not leave the
  // console open and the document believing that a run still waits, which would refuse every
  // later Optimize. The error goes on to the caller afterwards.
  std::exception_ptr error;
  if (GridsValid) {
    std::unique_ptr<TOptimizeConsole> console;
    try {
      console = OpenConsole();
      RunInConsole(*console);
    } catch (...) {
      error = std::current_exception();
    }
    if (console) {
      try {
        CloseConsole(*console);
      } catch (...) {
        if (!error) error = std::current_exception();
        console->Close();
      }
    }
    mOutputForm = nullptr;
    mOutputLines = nullptr;
    mReportLine.clear();
  }
  Fire(OnStopOptimize, this);
  if (error) std::rethrow_exception(error);
}

std::unique_ptr<TOptimizeConsole> TAQVData::OpenConsole() {
  TAQVGlobals& g = Globals();
  g.OptimizeCancelled = g.OptimizePaused = g.OptimizeRejected = false;
  const int width = (std::max(ParameterCount, 7) * 12 + 20) * 8 + 40;
  std::unique_ptr<TOptimizeConsole> console = UserInterface().OpenOptimizeConsole(width);
  if (!console) console = std::make_unique<TSilentOptimizeConsole>();
  console->SetFormWidth(width);
  console->SetLeftButton(kStopCaption, true);
  console->SetRightButton(kCancelCaption, false);
  mOutputForm = console.get();
  mOutputLines = nullptr;
  mReportLine.clear();
  console->Show();
  return console;
}

void TAQVData::RunInConsole(TOptimizeConsole& console) {
  CollectParameterLinks();
  const TRunBackup backup = TakeBackup(*this);
  ResultsExist = false;
  Rejected = false;
  bool accepted = false;
  TRunStatus status = TRunStatus::rsBrokenOff;
  try {
    ReportRule();
    WriteReportHead();
    status = ComputeRun(console);
    WriteRunStatus(status);
    ResultsExist = IsSuccess(status);
    accepted = AskAcceptance(console, status);
  } catch (...) {
    // The tables may hold any trial point: they get back their values from before the run.
    ResultsExist = false;
    RestoreBackup(*this, backup);
    ApplyParameters();
    throw;
  }

  if (accepted) {
    ApplyParameters();
    if (status == TRunStatus::rsParametersFound) DeriveFittedConductivities();
  } else {
    RestoreBackup(*this, backup);
    Rejected = Globals().OptimizeRejected;
  }
  ApplyParameters();
  AllChanged = true;
  SetModified(true);
  // Fitted values are not in the file yet, and after a rejection the report and the rejected
  // mark differ from what was saved: closing asks either way.
  Saved = false;
  Notify();
}

// Every marked value in a fixed order, so that parameters are numbered the same way each run:
// transmissivities, resistances, storativities, aquitard storativities, then the well values of
// the included pumping wells.
void TAQVData::CollectParameterLinks() {
  LinkCount = 0;
  const int n = mAquiferCount;
  for (int i = 1; i <= n; ++i) AddParameter(TCode[i], 'T', T[i], i);
  for (int i = 1; i <= n + 1; ++i) AddParameter(ResistanceCode[i], 'c', Resistance[i], i);
  for (int i = 1; i <= n; ++i) AddParameter(SCode[i], 'S', S[i], i);
  for (int i = 1; i <= n + 1; ++i) AddParameter(SAquitardCode[i], 'Z', SAquitard[i], i);
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    const TPumpingWell& well = PumpingWells[w];
    if (!well.Included[0]) continue;
    AddParameter(well.RcCode, 'R', well.Rc, w);
    AddParameter(well.RwCode, 'W', well.Rw, w);
    AddParameter(well.SkinCode, 'K', well.Skin, w);
  }
}

void TAQVData::WriteReportHead() {
  const int n = ParameterCount;
  if (n == 0) {
    ReportAppend("                      Calculation   of   Drawdowns   using   Fixed   Parameters");
    ReportFlush();
    ReportRule();
    return;
  }
  if (n > mFitCount) return;
  ReportAppend("                        Number   and   Results   of   Successive   Iterations");
  ReportFlush();
  ReportRule();
  ReportFlush();
  ReportAppend(" No.");
  for (int p = 1; p <= n; ++p) ReportAppendText(LinkLabel[ParameterFirstLink[p]], 12);
  ReportAppendText("SSE", 16);
  ReportFlush();
  const std::string t = RunTimeUnit == TAQVTimeUnit::tuSeconds ? "s" : "d";
  const std::string& length = mLengthUnitLabel;
  ReportAppend("    ");
  for (int p = 1; p <= n; ++p) {
    switch (LinkKind[ParameterFirstLink[p]]) {
      case TLinkKind::lkResistance:
        ReportAppendText("[" + t + "]", 12);
        break;
      case TLinkKind::lkTransmissivity:
        ReportAppendText("[" + length + "²/" + t + "]", 12);
        break;
      case TLinkKind::lkCasingRadius:
      case TLinkKind::lkScreenRadius:
        ReportAppendText("[" + length + "]", 12);
        break;
      default:
        ReportAppendText("[-]", 12);
        break;
    }
  }
  ReportAppendText(mLinearResiduals ? "[" + length + "²]" : std::string("[-]"), 16);
  ReportFlush();
}

TRunStatus TAQVData::Fit(TOptimizeConsole& console) {
  TAQVFitObjective objective(*this, console);
  TOptimizerOptions options;
  options.InitialLambda = InitialLambda;
  options.AbsStoppingCriterion = AbsStoppingCriterion;
  options.RelStoppingCriterion = RelStoppingCriterion;
  options.MaxIterations = MaxIterations;
  options.MachineEpsilon = kMachineEpsilon;
  options.EigenTolerance = kEigenTolerance;
  const TOptimizerBuffers buffers{Jacobian, Residuals, SavedResiduals};
  const std::span<double> x(ParameterStart.Data(), static_cast<std::size_t>(ParameterCount));
  const TOptimizerSummary summary = MarquardtIterate(objective, x, mFitCount, buffers, options);
  StoreOptimizerResults(summary);
  return static_cast<TRunStatus>(summary.Status);
}

void TAQVData::StoreOptimizerResults(const TOptimizerSummary& summary) {
  OptimizerSummary = summary;
  InitialResidualNorm = summary.InitialResidualNorm;
  EvaluationCount = summary.EvaluationCount;
  IterationCount = summary.IterationCount;
  if (HasStatistics(summary.Status)) {
    ResidualNorm = summary.ResidualNorm;
    LastNormReduction = summary.LastNormReduction;
    ConditionNumber = summary.ConditionNumber;
    VarianceFactor = summary.VarianceFactor;
    Covariance = summary.Covariance;
  }
  SavedV = summary.SavedV;
}

// Fit or plain evaluation; the status both the console and the report go by.
TRunStatus TAQVData::ComputeRun(TOptimizeConsole& console) {
  const int n = ParameterCount;
  TRunStatus status = RunStatusForCounts(mFitCount, n);
  // A fit keeps the drawdowns of each accepted point here (its capacity is kept between runs).
  FittedDrawdowns.clear();
  FittedDrawdowns.reserve(static_cast<std::size_t>(kMaxFitObservations));
  if (status == TRunStatus::rsParametersFound) {
    if (n > 0) {
      status = Fit(console);
      CurvesValid = false;
    } else if (EvaluateObjective()) {
      status = TRunStatus::rsDrawdownsCalculated;
    } else {
      UserInterface().Beep();
      status = TRunStatus::rsAquiferSystemFailed;
    }
  }
  ReportFlush();
  if (status == TRunStatus::rsParametersFound && n > 0)
    FoldParameters(std::span<double>(ParameterStart.Data(), static_cast<std::size_t>(n)));
  FitStatus = status;
  StatusCode = static_cast<int>(status);
  for (int i = 1; i <= LinkCount; ++i) LinkFittedValue[i] = LinkedValue(i);
  // Without an accepted point (no fit, or none evaluated) the table shows the last evaluation.
  if (FittedDrawdowns.empty())
    FittedDrawdowns.assign(FitComputed.begin(), FitComputed.begin() + mFitCount);
  return status;
}

void TAQVData::WriteRunStatus(TRunStatus status) {
  ReportFlush();
  const int limit = static_cast<int>(RoundHalfEven(std::clamp(MaxIterations, 0.0, 1e9)));
  ReportAppend(std::string(kStatusIndent, ' ') + ToText(status, limit));
  ReportFlush();
  if (status == TRunStatus::rsParametersFound) ParameterDeviations();
  if (status == TRunStatus::rsDrawdownsCalculated) {
    ReportAppend("                        sum of squares : " +
                 FormatExpField(Square(ResidualNorm), 11) + " " + mLengthUnitLabel + "²");
    ReportFlush();
    ReportRule();
  }
}

// A run that did not fail (status 0 or below) waits for the person's answer, also when it had
// too few points to compute anything; a failed run, a cancel and a rejection keep nothing.
bool TAQVData::AskAcceptance(TOptimizeConsole& console, TRunStatus status) {
  TAQVGlobals& g = Globals();
  const bool computed = static_cast<int>(status) <= 0;
  if (!console.CloseQuery() && computed) {
    g.OptimizePaused = true;
    console.SetLeftButton(kAcceptCaption, true);
    console.SetRightButton(kRejectCaption, true);
    console.FocusLeftButton();
    while (g.OptimizePaused) console.WaitForMessages();
  }
  return computed && !g.OptimizeCancelled;
}

// After an accepted fit the conductivities follow the transmissivities and resistances: Kh of
// every aquifer and Kv of every aquitard, a missing neighbour of a thin aquitard counting as
// thickness 0. A quotient that is not finite leaves the value as it was.
void TAQVData::DeriveFittedConductivities() {
  for (int k = 1; k <= mAquiferCount; ++k) {
    if (!(D[k] > 0)) continue;
    const double kh = T[k] / D[k];
    if (std::isfinite(kh)) Kh[k] = kh;
  }
  for (int k = 1; k <= mAquiferCount + 1 && k <= kMaxLayers; ++k) DeriveAquitardKv(k);
}

void TAQVData::CloseConsole(TOptimizeConsole& console) {
  if (!console.CloseQuery()) {
    console.SetLeftButton(kDoneCaption, true);
    // Nothing is left to cancel; only "Done" closes the window now.
    console.SetRightButton(console.RightButton().Caption, false);
    console.FocusLeftButton();
    while (!console.CloseQuery()) console.WaitForMessages();
  }
  console.Close();
}

// --- Report lines ----------------------------------------------------------------------------

void TAQVData::ReportAppend(std::string_view text) {
  mReportLine += text;
}

void TAQVData::ReportFlush() {
  if (mOutputLines != nullptr)
    mOutputLines->push_back(mReportLine);
  else if (mOutputForm != nullptr)
    mOutputForm->AddLine(mReportLine);
  mReportLine.clear();
}

// The rule is a line of its own; the buffer keeps what it holds.
void TAQVData::ReportRule() {
  const std::string rule = ReportRuleText(ParameterCount);
  if (mOutputLines != nullptr)
    mOutputLines->push_back(rule);
  else if (mOutputForm != nullptr)
    mOutputForm->AddLine(rule);
}

void TAQVData::ReportAppendInt(int value, int width) {
  ReportAppend(FormatIntField(value, width));
}

void TAQVData::ReportAppendText(std::string_view text, int width) {
  ReportAppend(RightAlignedText(text, width));
}

void TAQVData::ReportAppendFloat(int width, double value) {
  ReportAppend(FormatReportFloat(value, width));
}

void TAQVData::WriteCenteredTitle(int width, int before, int after, std::string_view title) {
  ReportAppend(CenteredTitleText(width, before, after, title));
}

// --- The least-squares report ----------------------------------------------------------------

void TAQVData::WriteLeastSquaresReport(std::vector<std::string>& lines) {
  // The report may be asked for while a run waits for its answer; the run's own line stays.
  std::vector<std::string>* previousLines = mOutputLines;
  std::string previousBuffer;
  previousBuffer.swap(mReportLine);
  mOutputLines = &lines;

  ReportAppend("   " + ReportTitles[1] + ReportTitles[2]);
  ReportFlush();
  ReportAppend("   " + ReportTitles[3]);
  ReportFlush();
  const bool fitted = ParameterCount > 0 && FitStatus == TRunStatus::rsParametersFound;
  if (fitted) WriteParameterTable();
  WriteObservationTable();
  if (ParameterCount > 0 && HasStatistics(static_cast<TOptimizerStatus>(FitStatus))) {
    WriteFitStatistics();
    WriteCorrelationAndEigenvectors();
  }

  mOutputLines = previousLines;
  mReportLine.swap(previousBuffer);
}

void TAQVData::WriteParameterTable() {
  ReportFlush();
  ReportAppend("       THE   CALCULATED   LEAST   SQUARES   SOLUTION");
  ReportFlush();
  ReportAppend("       Parameter   value    +   Standard   deviation");
  ReportFlush();
  for (int i = 1; i <= LinkCount; ++i) {
    const double factor = DisplayLinkFactor(LinkKind[i]);
    const double value = LinkFittedValue[i] * factor;
    const double deviation = LinkDeviation[i] * factor;
    ReportAppendText(LinkLabel[i], 10);
    ReportAppendFloat(16, value);
    if (mFitCount > ParameterCount) {
      ReportAppend("  +  ");
      ReportAppendFloat(10, deviation);
      // A deviation of ten times the value or more says the value is not determined at all.
      if (10 * std::fabs(value) > deviation)
        ReportAppend("   (" + FormatFixField(100 * deviation / std::fabs(value), 3, 0) + " % )");
    }
    ReportFlush();
  }
  ReportFlush();
}

void TAQVData::WriteObservationTable() {
  const bool seconds = RunTimeUnit == TAQVTimeUnit::tuSeconds;
  const double timeFactor = seconds ? RunTimeFactor : 1.0;
  ReportFlush();
  ReportAppend("Observation well       Aquifer    Time");
  WriteCenteredTitle(7, 10, 8, "  drawdown (" + mLengthUnitLabel + ")  ");
  ReportFlush();
  ReportAppend(std::string("                                  (") + (seconds ? "sec" : "day") +
               ")      ");
  ReportFlush();
  ReportAppend(std::string(45, ' ') + "Calculated     Observed      Cal-Obs");
  ReportFlush();
  // Each well's points form a block; the first block is set off from the head as well.
  std::string previousName;
  const int m = std::min(mFitCount, static_cast<int>(FittedDrawdowns.size()));
  for (int i = 1; i <= m; ++i) {
    if (i == 1 || FitName[i] != previousName) ReportFlush();
    previousName = FitName[i];
    const double computed = FittedDrawdowns[static_cast<std::size_t>(i - 1)] * mLengthFactor;
    const double observed = FitObserved[i] * mLengthFactor;
    ReportAppendText(FitName[i], 20);
    ReportAppend(FormatIntField(FitLayer[i], 7));
    ReportAppend(FormatReportTime(FitTime[i] * timeFactor));
    ReportAppend(FormatFixField(computed, 15, 3));
    ReportAppend(FormatFixField(observed, 13, 3));
    ReportAppend(" ");
    ReportAppend(FormatFixField(computed - observed, 12, 3));
    ReportFlush();
  }
}

void TAQVData::WriteFitStatistics() {
  const double norm = mLinearResiduals ? mLengthFactor : 1.0;
  ReportAppend("   Initial sum of squares is       " +
               FormatFixField(Square(InitialResidualNorm * norm), 10, 4));
  ReportFlush();
  ReportAppend("   Residual sum of squares is      " +
               FormatFixField(Square(ResidualNorm * norm), 10, 4));
  ReportFlush();
  if (!mLinearResiduals) {
    double sum = 0;
    const int m = std::min(mFitCount, static_cast<int>(FittedDrawdowns.size()));
    for (int i = 1; i <= m; ++i)
      sum += Square((FittedDrawdowns[static_cast<std::size_t>(i - 1)] - FitObserved[i]) *
                    mLengthFactor);
    ReportAppend("   Residual sum of squares (" + mLengthUnitLabel + "²" + ")    " +
                 FormatFixField(sum, 10, 4));
    ReportFlush();
  }
  ReportAppend("   Improvement last iteration        " +
               FormatExpField(Square(LastNormReduction * norm), 6));
  ReportFlush();
  ReportAppend("   Number of iterations             " + FormatFixField(IterationCount + 1, 9, 0));
  ReportFlush();
  ReportAppend("   Condition number                " + FormatFixField(ConditionNumber, 10, 1));
  ReportFlush();
}

void TAQVData::WriteCorrelationAndEigenvectors() {
  const int n = ParameterCount;
  ReportFlush();
  ReportAppend("   Correlation matrix  (%) ");
  ReportFlush();
  for (int i = 1; i <= n; ++i) {
    ReportAppendText(" " + LinkLabel[ParameterFirstLink[i]], 7);
    for (int j = 1; j <= i; ++j) {
      if (j > 1 && (j - 1) % kCorrelationColumns == 0) {
        ReportFlush();
        ReportAppend("       ");
      }
      // A parameter without variance (a zero column of the Jacobian) correlates with nothing.
      const double scale = std::sqrt(Covariance[i][i] * Covariance[j][j]);
      const double correlation = scale > 0 ? 100 * Covariance[i][j] / scale : 0.0;
      ReportAppend(FormatFixField(correlation, 6, 0));
    }
    ReportFlush();
  }
  ReportAppend("       ");
  ReportFlush();
  ReportFlush();
  ReportAppend("   Eigenvalues  and  Eigenvectors");
  ReportFlush();
  ReportAppend("       ");
  for (int i = 1; i <= n; ++i) ReportAppend(" " + FormatFixField(VarianceFactor[i], 8, 0));
  ReportFlush();
  for (int p = 1; p <= n; ++p) {
    ReportAppendText(LinkLabel[ParameterFirstLink[p]], 7);
    for (int q = 1; q <= n; ++q) ReportAppend(FormatFixField(SavedV[p][q], 9, 4));
    ReportFlush();
  }
}

}  // namespace aqv

#include <cmath>
#include <string>

#include "model/file/AQVDataFile.h"

namespace aqv {

namespace {

constexpr std::string_view kWebAddress = "https://aqv.example.org";

// An excluded item is written with its time negated; a time of exactly 0 is written as this
// value instead, so that its sign, and with it the exclusion, survives.
constexpr double kExcludedZero = 1E-31;

// Collects the lines of the file and notes the first value that is not finite.
class TDataFileWriter {
 public:
  void Line(std::string_view text) {
    mOut += text;
    mOut += "\r\n";
  }
  std::string F15(double value) { return FormatFloat15(Checked(value)); }
  std::string F15Trimmed(double value) { return FormatFloat15Trimmed(Checked(value)); }
  std::string Fixed(double value, int decimals, int width) {
    return FormatFixed(Checked(value), decimals, width);
  }
  void Note(double value) { Checked(value); }

  bool AllFinite() const { return mAllFinite; }
  std::string& Text() { return mOut; }

 private:
  double Checked(double value) {
    if (!std::isfinite(value)) mAllFinite = false;
    return value;
  }
  std::string mOut;
  bool mAllFinite = true;
};

std::string B(bool value) {
  return value ? "1" : "0";
}
std::string I(int value) {
  return std::to_string(value);
}
std::string I4(int value) {
  return FormatIntRight(value, 4);
}

// The file's number of a parameter mark: ord(mark) - 48, or 0 for none.
int GroupOf(char mark) {
  const int group = static_cast<unsigned char>(mark) - 48;
  return group < 1 ? 0 : group;
}

std::string Name(std::string_view name, std::size_t width) {
  return EncodeLineBreaks(CutToChars(name, width));
}

double ExcludedAware(double time, bool included) {
  if (included) return time;
  return time == 0 ? -kExcludedZero : -std::fabs(time);
}

std::string AquiferSystemWord(bool absent, bool impervious) {
  if (absent) return "Absent";
  return impervious ? "Impervious" : "Leaky";
}

// ---- Time-graph lines ---------------------------------------------------------------------------

std::string PatternLine(const TPatternsData& patterns) {
  return ColorToText(patterns.Area.Color) + " " + I(static_cast<int>(patterns.Area.Style)) + " - " +
         ColorToText(patterns.Border.Color) + " " + I(static_cast<int>(patterns.Border.Style)) +
         " " + I(patterns.Border.Width);
}

std::string FontLine(const TFontData& font) {
  return I(font.Size) + " " + ColorToText(font.Color) + " " +
         B(font.Style.Contains(TFontStyle::fsBold)) + B(font.Style.Contains(TFontStyle::fsItalic)) +
         B(font.Style.Contains(TFontStyle::fsUnderline)) +
         B(font.Style.Contains(TFontStyle::fsStrikeOut)) + " " + EncodeLineBreaks(font.Name);
}

std::string MarkerLine(const TMarkerData& marker) {
  return ColorToText(marker.Color) + " " + I(static_cast<int>(marker.Style)) + " " + I(marker.Size);
}

std::string ScaleLine(TDataFileWriter& w, const TDataFileScale& scale) {
  return B(scale.MinAutomatic) + B(scale.MaxAutomatic) + B(scale.MajorUnitAutomatic) +
         B(scale.MinorUnitAutomatic) + " " + w.F15Trimmed(scale.Min) + " " +
         w.F15Trimmed(scale.Max) + " " + w.F15Trimmed(scale.MajorUnit) + " " +
         w.F15Trimmed(scale.MinorUnit);
}

std::string FlagsLine(TByteSet layers) {
  std::string line;
  for (int k = 1; k <= 40; ++k) {
    if (k > 1) line += ' ';
    line += k <= 7 && layers.Contains(k) ? '1' : '0';
  }
  return line;
}

void WriteColorList(TDataFileWriter& w, const TDataFileWellOptions& options) {
  for (int row = 0; row < 4; ++row) {
    std::string line;
    for (int k = 0; k < 10; ++k) {
      const int entry = row * 10 + k;
      if (k > 0) line += ' ';
      line += entry < kMaxAquifers
                  ? ColorToText(options.CurveColor[static_cast<std::size_t>(entry)])
                  : "clClear";
    }
    w.Line(line);
  }
}

void WriteAxisOptions(TDataFileWriter& w, const TDataFileAxis& axis) {
  w.Line(B(axis.Shown) + " " + I(static_cast<int>(axis.Alignment)) + " " + I(axis.Orientation) +
         " " + I(static_cast<int>(axis.TitleAlignment)));
  w.Line(FontLine(axis.Font));
  w.Line(PatternLine(axis.Patterns));
  w.Line(ScaleLine(w, axis.Scale));
  w.Line(FontLine(axis.TitleFont));
  w.Line(PatternLine(axis.TitlePatterns));
  w.Line(B(axis.TitleAutomatic) + " " + EncodeLineBreaks(axis.TitleText));
}

void WriteWellOptions(TDataFileWriter& w, const std::vector<TDataFileWellOptions>& options,
                      std::size_t wellCount) {
  for (std::size_t k = 0; k < wellCount; ++k) {
    const TDataFileWellOptions entry = k < options.size() ? options[k] : TDataFileWellOptions{};
    w.Line(FlagsLine(entry.LayerSet));
    WriteColorList(w, entry);
  }
}

void WriteTimeGraph(TDataFileWriter& w, const TAQVDataFileContent& c) {
  const TDataFileTimeGraph& g = *c.TimeGraph;
  w.Line(B(g.AutoUpdate) + " " + B(g.WellFluxMode) + " " + w.F15(g.StartingTime) + " " +
         w.F15(g.StoppingTime) + " " + I(g.TimeAxis) + " " + I(g.ValueAxis));
  w.Line("=== ChartArea options");
  w.Line(PatternLine(g.ChartAreaPatterns));
  w.Line("=== ChartTitle options");
  w.Line(I(static_cast<int>(g.ChartTitle.Alignment)) + " " + B(g.ChartTitle.Automatic) + " " +
         EncodeLineBreaks(g.ChartTitle.Text));
  w.Line(FontLine(g.ChartTitle.Font));
  w.Line(PatternLine(g.ChartTitle.Patterns));
  w.Line("=== ChartLegend options");
  w.Line(FontLine(g.Legend.Font));
  w.Line(PatternLine(g.Legend.Patterns));
  w.Line(I(static_cast<int>(g.Legend.Placement)));
  w.Line("=== Chart X options");
  WriteAxisOptions(w, g.XAxis);
  w.Line("=== Chart Y options");
  WriteAxisOptions(w, g.YAxis);
  w.Line("=== Chart Series options");
  w.Line("Number of series : " + I(static_cast<int>(g.Series.size())));
  for (const TDataFileSeriesFormat& series : g.Series) {
    w.Line(MarkerLine(series.Marker));
    w.Line(PatternLine(series.Patterns));
  }
  w.Line("=== Pumping well options");
  WriteWellOptions(w, g.PumpingWellOptions, c.PumpingWells.size());
  w.Line("=== Observation well options");
  WriteWellOptions(w, g.ObservationWellOptions, c.ObservationWells.size());
}

// ---- The model blocks ---------------------------------------------------------------------------

void WriteHead(TDataFileWriter& w, const TAQVDataFileContent& c, std::string_view edition) {
  static constexpr std::array<std::string_view, kInfoTextCount> kLabels = {
      "Name", "Test", "Loc.", "Date", "Rem.", "Rem.", "Rem.",
      "Data", "File", "Date", "Rem.", "Rem.", "Rem.", "Rem."};
  w.Line(DataFileHeader(DataFileFormFor(c)));
  w.Line("=== Multilayer aquifer system - Pumping test analysis");
  w.Line("=== AQV " + std::string(edition) + ": " + std::string(kWebAddress));
  w.Line("=== General Information =============================");
  for (std::size_t k = 0; k < kInfoTextCount; ++k) {
    w.Line(std::string(kLabels[k]) + " :" + Name(c.InfoTexts[k], kInfoTextWidth));
  }
  w.Line("=== Parameter Optimization ==========================");
  w.Line("Rel.:" + w.F15(c.RelStoppingCriterion));
  w.Line("Abs.:" + w.F15(c.AbsStoppingCriterion));
  w.Line(c.LinearResiduals ? "Linear drawdown curve fitting" : "Log drawdown curve fitting");
}

void WriteAquiferSystem(TDataFileWriter& w, const TAQVDataFileContent& c) {
  const int n = c.AquiferCount();
  w.Line("=== Aquifer System ==================================");
  w.Line(c.LengthUnit == TAQVLengthUnit::luMeters ? "Length    : m" : "Length    : ft");
  w.Line(c.TimeUnit == TAQVTimeUnit::tuSeconds   ? "Time      : sec"
         : c.TimeUnit == TAQVTimeUnit::tuMinutes ? "Time      : min"
                                                 : "Time      : day");
  w.Line("Top level : " + w.Fixed(c.SurfaceLevel, 5, 13));
  w.Line("No of (sub)aquifers : " + I(n));
  w.Line("Top Aquitard : " + AquiferSystemWord(c.TopAquitardAbsent, c.TopAquitardImpervious));
  w.Line("Base Aquitard : " +
         AquiferSystemWord(c.BottomAquitardAbsent, c.BottomAquitardImpervious));
  w.Line("=== Thickness ===  T|c = x === S|S' = x === Name ====");
  for (int i = 1; i <= n + 1; ++i) {
    const bool absent = (i == 1 && c.TopAquitardAbsent) || (i == n + 1 && c.BottomAquitardAbsent);
    if (!absent) {
      const TDataFileAquitard& t = c.Aquitards[static_cast<std::size_t>(i - 1)];
      w.Line(w.F15(t.DAquitard) + " " + w.F15(t.Resistance) + I4(GroupOf(t.ResistanceCode)) + " " +
             w.F15(t.SAquitard) + I4(GroupOf(t.SAquitardCode)) + " " +
             Name(t.Name, kLayerNameWidth));
    }
    if (i <= n) {
      const TDataFileAquifer& a = c.Aquifers[static_cast<std::size_t>(i - 1)];
      w.Line(w.F15(a.D) + " " + w.F15(a.T) + I4(GroupOf(a.TCode)) + " " + w.F15(a.S) +
             I4(GroupOf(a.SCode)) + " " + Name(a.Name, kLayerNameWidth));
    }
  }
}

void WritePumpingWells(TDataFileWriter& w, const TAQVDataFileContent& c) {
  w.Line("=== Pumping Wells and Discharges ====================");
  w.Line("No. of wells : " + I(static_cast<int>(c.PumpingWells.size())));
  w.Line("=== X     Y     Casing x Screen x Skin x Periods Name");
  for (const TDataFilePumpingWell& well : c.PumpingWells) {
    const int count = static_cast<int>(well.Periods.size());
    w.Line(w.F15(well.X) + w.F15(well.Y) + w.F15(well.Rc) + I4(GroupOf(well.RcCode)) +
           w.F15(well.Rw) + I4(GroupOf(well.RwCode)) + w.F15(well.Skin) +
           I4(GroupOf(well.SkinCode)) + FormatInt15(well.Included ? count : -count) + " " +
           Name(well.Name, kWellNameWidth));
    for (const TDataFilePeriod& period : well.Periods) {
      w.Line(w.F15(ExcludedAware(period.StartTime, period.Included)) + w.F15(period.Discharge));
    }
  }
  w.Line("=== Well screens per layer for all pumping wells ====");
  for (std::size_t layer = 0; layer < c.Aquifers.size(); ++layer) {
    std::string line;
    for (const TDataFilePumpingWell& well : c.PumpingWells)
      line += well.Screened[layer] ? '1' : '.';
    w.Line(line);
  }
}

void WriteObservationWells(TDataFileWriter& w, const TAQVDataFileContent& c) {
  w.Line("=== Observation wells and Drawdowns =================");
  w.Line("No. of observation wells : " + I(static_cast<int>(c.ObservationWells.size())));
  w.Line("=== X Y Layer Casing x Screen x Skin x drawdowns Name");
  for (const TDataFileObservationWell& well : c.ObservationWells) {
    const int count = static_cast<int>(well.Observations.size());
    w.Line(w.F15(well.X) + w.F15(well.Y) + FormatInt15(well.Layer) + w.F15(well.Rc) + " 0" +
           w.F15(well.Rw) + " 0" + w.F15(well.Skin) + " 0" +
           FormatInt15(well.Included ? count : -count) + " " + Name(well.Name, kWellNameWidth));
    for (const TDataFileObservation& obs : well.Observations) {
      w.Line(w.F15(ExcludedAware(obs.Time, obs.Included)) + w.F15(obs.Observed));
    }
  }
}

void WriteMapBlocks(TDataFileWriter& w, const TAQVDataFileContent& c) {
  w.Line("=== Contour plot settings ===========================");
  w.Line("=== west east south north start steps final layer del");
  w.Line(w.F15(c.WorldX1) + w.F15(c.WorldX2) + w.F15(c.WorldY1) + w.F15(c.WorldY2) +
         w.F15(c.AnimationStartTime) + FormatInt15(c.TimeSteps) + w.F15(c.AnimationEndTime) +
         FormatInt15(c.DrawLayer) + w.F15(c.SavedContourInterval));
  w.Line("=== Import image files");
  w.Line("Transparency : " + I(c.BackgroundTransparency));
  w.Line("Enabled : " + B(c.ShowBackgroundImages));
  w.Line("No. of files : " + I(static_cast<int>(c.BackgroundFiles.size())));
  for (const TBackgroundFile& file : c.BackgroundFiles) {
    std::string line;
    for (int k = 0; k < 6; ++k) line += FormatFixed(0, 3, 12) + " ";  // reserved
    w.Line(line + B(file.Checked) + " " + EncodeLineBreaks(file.FileName));
  }
  const TDataFileMapOptions options = c.MapOptions.value_or(TDataFileMapOptions{});
  w.Line("=== Contour plot options");
  w.Line("Boundary : " + B(options.Boundary));
  w.Line("Grid : " + B(options.Grid));
  w.Line("Placement : " + I(static_cast<int>(options.Placement)));
  if (c.TextBoxes.empty()) return;
  w.Line("=== Texts");
  w.Line("No. of texts: " + I(static_cast<int>(c.TextBoxes.size())));
  for (const TAQVTextBoxProperties& box : c.TextBoxes) {
    w.Note(box.X);
    w.Note(box.Y);
    w.Line(TextBoxPropertiesText(box));
    w.Line(EncodeLineBreaks(box.Text));
  }
}

// The counts the file's reader accepts; anything else would write a file that does not open.
std::string CapacityProblem(const TAQVDataFileContent& c) {
  const std::size_t n = c.Aquifers.size();
  if (n < 1 || n > kMaxAquifers) return "aquifer count out of range";
  if (c.Aquitards.size() != n + 1) return "aquitard count is not aquifer count + 1";
  if (c.PumpingWells.empty() || c.PumpingWells.size() > kMaxPumpingWells) {
    return "pumping well count out of range";
  }
  for (const TDataFilePumpingWell& well : c.PumpingWells) {
    if (well.Periods.empty() || well.Periods.size() > kMaxPeriods)
      return "period count out of range";
    for (const TDataFilePeriod& period : well.Periods) {
      if (period.StartTime < 0) return "negative starting time";
    }
  }
  if (c.ObservationWells.size() > kMaxObservationWells)
    return "observation well count out of range";
  std::size_t total = 0;
  for (const TDataFileObservationWell& well : c.ObservationWells) {
    if (well.Observations.size() > kMaxObservations) return "observation count out of range";
    total += well.Observations.size();
    for (const TDataFileObservation& obs : well.Observations) {
      if (obs.Time < 0) return "negative observation time";
    }
  }
  if (total > kMaxFitObservations) return "more observations than the fitting list holds";
  if (c.TimeGraph && c.TimeGraph->Series.size() > kMaxSeriesCount) return "too many series";
  if (!c.TextBoxes.empty() && !c.TimeGraph) return "text boxes without a time graph";
  if (c.TextBoxes.size() > kMaxTextBoxes) return "too many text boxes";
  if (c.BackgroundFiles.size() > kMaxImageFiles) return "too many image files";
  return {};
}

}  // namespace

TAQVDataFileForm DataFileFormFor(const TAQVDataFileContent& content) {
  if (!content.TimeGraph) return TAQVDataFileForm::df2010;
  return content.TextBoxes.empty() ? TAQVDataFileForm::df2011 : TAQVDataFileForm::df2012;
}

TDataFileWrite WriteDataFile(const TAQVDataFileContent& content, std::string_view editionLabel) {
  TDataFileWrite result;
  if (const std::string problem = CapacityProblem(content); !problem.empty()) {
    result.Status = TDataFileWriteStatus::dwInvalidContent;
    result.Message = problem;
    return result;
  }
  TDataFileWriter w;
  WriteHead(w, content, editionLabel);
  WriteAquiferSystem(w, content);
  WritePumpingWells(w, content);
  WriteObservationWells(w, content);
  w.Line("=== Time graph settings =============================");
  if (content.TimeGraph) {
    WriteTimeGraph(w, content);
  } else {
    w.Line("=== Drawdown curves (reserved for future use): 0");
    w.Line("=== Well-face fluxes (reserved for future use): 0");
  }
  WriteMapBlocks(w, content);
  if (!w.AllFinite()) {
    result.Status = TDataFileWriteStatus::dwNotFinite;
    result.Message = "a number that is not finite";
    return result;
  }
  // Reading the text back is cheap next to the disk and proves that the file will open.
  const TDataFileParse check = ParseDataFile(w.Text());
  if (!check.IsSuccess()) {
    result.Status = TDataFileWriteStatus::dwNotReadable;
    result.Message = check.Message + " (line " + std::to_string(check.Line) + ")";
    return result;
  }
  result.Bytes = std::move(w.Text());
  return result;
}

}  // namespace aqv

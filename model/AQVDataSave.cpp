#include <algorithm>
#include <filesystem>
#include <system_error>

#include "chart/ChartModel.h"
#include "model/AQVData.h"
#include "model/file/AQVFileIO.h"

namespace aqv {

namespace {

constexpr const char* kDataFileFilter = "AQV data files (*.aqv)|*.aqv|All files (*.*)|*.*";
// A contour interval below this size is no interval the map can draw, so the one saved before
// is kept.
constexpr double kSmallestInterval = 1E-8;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// The folder of a path without a trailing separator, and the file-name part.
std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

TDataFileAxis AxisContent(const TAxis& axis, bool shown) {
  TDataFileAxis data;
  data.Shown = shown;
  data.Alignment = axis.Alignment().Alignment();
  data.Orientation = axis.Alignment().Orientation();
  data.TitleAlignment = axis.Title().Alignment().Alignment();
  data.Font = axis.Font().Data();
  data.Patterns = axis.Patterns().Data();
  const TScaleData& scale = axis.Scale().Data();
  data.Scale = {scale.MinAutomatic,       scale.MaxAutomatic, scale.MajorUnitAutomatic,
                scale.MinorUnitAutomatic, scale.Min,          scale.Max,
                scale.MajorUnit,          scale.MinorUnit};
  data.TitleFont = axis.Title().Font().Data();
  data.TitlePatterns = axis.Title().Patterns().Data();
  data.TitleAutomatic = axis.Title().Automatic();
  data.TitleText = axis.Title().Text();
  return data;
}

void AquiferSystemContent(const TAQVData& d, TAQVDataFileContent& c) {
  c.LengthUnit = d.LengthUnit();
  c.TimeUnit = d.TimeUnit();
  c.SurfaceLevel = d.SurfaceLevel();
  c.TopAquitardAbsent = d.TopAquitardAbsent();
  c.TopAquitardImpervious = d.TopAquitardImpervious();
  c.BottomAquitardAbsent = d.BottomAquitardAbsent();
  c.BottomAquitardImpervious = d.BottomAquitardImpervious();
  c.Aquitards.clear();
  c.Aquifers.clear();
  const int n = d.AquiferCount();
  for (int i = 1; i <= n + 1; ++i) {
    c.Aquitards.push_back({d.DAquitard[i], d.Resistance[i], d.ResistanceCode[i], d.SAquitard[i],
                           d.SAquitardCode[i], d.AquitardName[i], d.Kv[i]});
    if (i <= n) {
      c.Aquifers.push_back(
          {d.D[i], d.T[i], d.TCode[i], d.S[i], d.SCode[i], d.AquiferName[i], d.Kh[i]});
    }
  }
}

TDataFilePumpingWell PumpingWellContent(const TPumpingWell& well) {
  TDataFilePumpingWell to;
  to.Name = well.Name;
  to.X = well.X;
  to.Y = well.Y;
  to.Rc = well.Rc;
  to.RcCode = well.RcCode;
  to.Rw = well.Rw;
  to.RwCode = well.RwCode;
  to.Skin = well.Skin;
  to.SkinCode = well.SkinCode;
  to.Included = well.Included[0];
  for (int k = 1; k <= well.PeriodCount(); ++k)
    to.Periods.push_back({well.StartTime[k], well.Discharge[k], well.Included[k]});
  for (int l = 1; l <= kMaxAquifers; ++l)
    to.Screened[static_cast<std::size_t>(l - 1)] = well.Screened[l];
  return to;
}

// A well may still name an aquifer that was removed since; the file holds the layer within the
// aquifer system, as a file that opens again must.
TDataFileObservationWell ObservationWellContent(const TObservationWell& well, int aquiferCount) {
  TDataFileObservationWell to;
  to.Name = well.Name;
  to.X = well.X;
  to.Y = well.Y;
  to.Layer = std::clamp(well.Layer, 1, aquiferCount);
  to.Rc = well.Rc;
  to.Rw = well.Rw;
  to.Skin = well.Skin;
  to.Included = well.Included[0];
  to.OwnCurve = well.OwnCurve;
  for (int k = 1; k <= well.ObservationCount(); ++k)
    to.Observations.push_back({well.Time[k], well.Observed[k], well.Included[k]});
  return to;
}

TDataFileWellOptions WellOptions(const TCurveStyles& styles, TByteSet layerSet) {
  TDataFileWellOptions options;
  options.LayerSet = layerSet;
  for (int k = 1; k <= kMaxAquifers; ++k)
    options.CurveColor[static_cast<std::size_t>(k - 1)] = styles.CurveColor[k];
  return options;
}

}  // namespace

// The formats of the attached chart, or of a new chart when text boxes must be written
// without one (only the 2012 form carries them, and it carries a time graph).
TDataFileTimeGraph TAQVData::TimeGraphContent() const {
  const TChartModel fresh;
  const TChartModel& chart = ChartReference ? *ChartReference : fresh;
  TDataFileTimeGraph graph;
  graph.AutoUpdate = AutoUpdate;
  graph.WellFluxMode = mWellFluxMode;
  graph.StartingTime = mStartingTime;
  graph.StoppingTime = mStoppingTime;
  graph.TimeAxis = mTimeAxis;
  graph.ValueAxis = mValueAxis;
  graph.ChartAreaPatterns = chart.ChartArea.Patterns().Data();
  const TTitleData title = chart.ChartTitle.Data();
  graph.ChartTitle = {title.Alignment.Alignment, title.Automatic, title.Text, title.Font,
                      title.Patterns};
  graph.Legend = chart.Legend.Data();
  graph.XAxis = AxisContent(chart.X_Axis, chart.Axes.Contains(TAxisType::saX));
  graph.YAxis = AxisContent(chart.Y_Axis, chart.Axes.Contains(TAxisType::saY));
  if (chart.SeriesCount() > 0) {
    for (int i = 0; i < chart.SeriesCount(); ++i) {
      const TSeries& series = *chart.Series(i);
      graph.Series.push_back({series.Marker().Data(), series.Patterns().Data()});
    }
  } else {
    // Until the document window has filled the chart, the formats read from the file are
    // the series formats; writing none would lose them.
    for (std::size_t i = 0; i < SavedSeriesMarkers.size() && i < SavedSeriesPatterns.size(); ++i)
      graph.Series.push_back({SavedSeriesMarkers[i]->Data(), SavedSeriesPatterns[i]->Data()});
  }
  for (int w = 1; w <= mPumpingWellCount; ++w)
    graph.PumpingWellOptions.push_back(WellOptions(PumpingWells[w], PumpingWells[w].LayerSet));
  for (int j = 1; j <= mObservationWellCount; ++j) {
    graph.ObservationWellOptions.push_back(
        WellOptions(ObservationWells[j], ObservationWells[j].LayerSet));
  }
  return graph;
}

TAQVDataFileContent TAQVData::DataFileContent() const {
  TAQVDataFileContent c;
  for (int k = 1; k <= kInfoTextCount; ++k)
    c.InfoTexts[static_cast<std::size_t>(k - 1)] = InfoTexts[k];
  c.RelStoppingCriterion = RelStoppingCriterion;
  c.AbsStoppingCriterion = AbsStoppingCriterion;
  c.LinearResiduals = mLinearResiduals;
  AquiferSystemContent(*this, c);
  for (int w = 1; w <= mPumpingWellCount; ++w)
    c.PumpingWells.push_back(PumpingWellContent(PumpingWells[w]));
  for (int j = 1; j <= mObservationWellCount; ++j)
    c.ObservationWells.push_back(ObservationWellContent(ObservationWells[j], mAquiferCount));
  if (ChartReference || !TextBoxes.empty()) c.TimeGraph = TimeGraphContent();
  c.WorldX1 = mWorldX1;
  c.WorldX2 = mWorldX2;
  c.WorldY1 = mWorldY1;
  c.WorldY2 = mWorldY2;
  c.AnimationStartTime = mAnimationStartTime;
  c.TimeSteps = mTimeSteps;
  c.AnimationEndTime = mAnimationEndTime;
  c.DrawLayer = mDrawLayer;
  c.SavedContourInterval = SavedContourInterval;
  c.BackgroundTransparency = BackgroundTransparency;
  c.ShowBackgroundImages = ShowBackgroundImages;
  c.BackgroundFiles = BackgroundFiles;
  c.MapOptions = TDataFileMapOptions{
      MapOptions.DrawingOptions.Contains(TBoundaryGridDrawingOptions::dbgBoundary),
      MapOptions.DrawingOptions.Contains(TBoundaryGridDrawingOptions::dbgGrid),
      MapOptions.LegendPlacement};
  for (const auto& box : TextBoxes) c.TextBoxes.push_back(*box);
  c.Form = DataFileFormFor(c);
  return c;
}

// The save dialog; false when the person cancels. The chosen name becomes FileName, with
// ".aqv" added when its file-name part has no extension; when that makes it the name of an
// existing file the dialog did not ask about, the overwrite question is asked here.
bool TAQVData::ChooseSaveFile() {
  std::string chosen = FileNameOf(FileName);
  if (!UserInterface().SaveDialog(chosen, FolderOf(FileName), kDataFileFilter, "")) return false;
  Globals().SaveDirectory = FolderOf(chosen);
  const std::string path = WithDataFileExtension(chosen);
  if (path != chosen && FileExists(path) &&
      UserInterface().MessageBox(path + " already exists. Overwrite?", TMsgDlgType::mtConfirmation,
                                 TMsgDlgButtons::mbYesNo) != TModalResult::mrYes) {
    return false;
  }
  FileName = path;
  return true;
}

void TAQVData::SaveToFile(bool saveAs) {
  const std::string previousName = FileName;
  if (saveAs || FileName.empty() || FileName == DefaultFileName) {
    if (!ChooseSaveFile()) return;
  } else if (FileExists(FileName) &&
             UserInterface().MessageBox(FileName + " already exists. Overwrite?",
                                        TMsgDlgType::mtConfirmation,
                                        TMsgDlgButtons::mbYesNo) != TModalResult::mrYes) {
    return;
  }
  if (!AutoContourInterval) {
    if (mContourInterval >= kSmallestInterval) SavedContourInterval = mContourInterval;
  } else {
    SavedContourInterval = 0;
  }
  // An excluded period starting at 0 is written as -1E-31 by the writer itself, so that the
  // table keeps its 0.
  const TDataFileWrite written = WriteDataFile(DataFileContent(), Globals().EditionLabel);
  std::string reason;
  if (!written.IsSuccess())
    reason = ToText(written.Status);
  else if (const TFileIOStatus status = WriteFileAtomically(FileName, written.Bytes);
           !IsSuccess(status))
    reason = ToText(status);
  if (!reason.empty()) {
    const std::string failed = FileName;
    // The document is still the one it was: the next save and the close question aim at the
    // file it came from, not at the name that could not be written.
    FileName = previousName;
    UserInterface().MessageBox(SaveFailedText(failed, reason), TMsgDlgType::mtError,
                               TMsgDlgButtons::mbOK);
    return;
  }
  Saved = true;
  Fire(OnFileSaved, this);
}

}  // namespace aqv

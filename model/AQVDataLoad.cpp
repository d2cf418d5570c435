#include <algorithm>

#include "chart/ChartModel.h"
#include "model/AQVData.h"
#include "model/file/AQVFileIO.h"

namespace aqv {

namespace {

// A saved contour interval above this size is a chosen one; below it the interval was
// automatic when the file was written.
constexpr double kChosenIntervalLimit = 1E-8;

bool CarriesTimeGraph(TAQVDataFileForm form) {
  return form == TAQVDataFileForm::df2011 || form == TAQVDataFileForm::df2012;
}

// The largest document the capacities allow (5000 observations, 1000 text boxes and as many
// image entries) is a few megabytes; a file far longer than that is no data file, and reading
// it whole would cost its size several times over.
constexpr std::int64_t kMaxDataFileBytes = std::int64_t{64} << 20;

// Only the five fields that a pattern line carries; the pen's mode stays as the chart has it.
void ApplyPatterns(TPatterns& patterns, const TPatternsData& data) {
  patterns.Area().SetColor(data.Area.Color);
  patterns.Area().SetStyle(data.Area.Style);
  patterns.Border().SetColor(data.Border.Color);
  patterns.Border().SetStyle(data.Border.Style);
  patterns.Border().SetWidth(data.Border.Width);
}

void ApplyAxis(TAxis& axis, const TDataFileAxis& data) {
  axis.Alignment().SetAlignment(data.Alignment);
  axis.Alignment().SetOrientation(data.Orientation);
  axis.Title().Alignment().SetAlignment(data.TitleAlignment);
  axis.Font().SetData(data.Font);
  ApplyPatterns(axis.Patterns(), data.Patterns);
  TScale& scale = axis.Scale();
  scale.SetMin(data.Scale.Min);
  scale.SetMax(data.Scale.Max);
  scale.SetMajorUnit(data.Scale.MajorUnit);
  scale.SetMinorUnit(data.Scale.MinorUnit);
  scale.SetMinAutomatic(data.Scale.MinAutomatic);
  scale.SetMaxAutomatic(data.Scale.MaxAutomatic);
  scale.SetMajorUnitAutomatic(data.Scale.MajorUnitAutomatic);
  scale.SetMinorUnitAutomatic(data.Scale.MinorUnitAutomatic);
  axis.Title().Font().SetData(data.TitleFont);
  ApplyPatterns(axis.Title().Patterns(), data.TitlePatterns);
  axis.Title().SetAutomatic(data.TitleAutomatic);
  axis.Title().SetText(data.TitleText);
}

void ApplyWellOptions(TCurveStyles& styles, TByteSet& layerSet,
                      const TDataFileWellOptions& options) {
  for (int k = 1; k <= kMaxAquifers; ++k) {
    if (options.LayerSet.Contains(k))
      layerSet.Include(k);
    else
      layerSet.Exclude(k);
    styles.CurveColor[k] = options.CurveColor[static_cast<std::size_t>(k - 1)];
  }
}

}  // namespace

void TAQVData::StoreMapWindow(double x1, double x2, double y1, double y2) {
  mWorldX1 = x1;
  mWorldX2 = x2;
  mWorldY1 = y1;
  mWorldY2 = y2;
}

void TAQVData::StoreAnimation(double startDays, int steps, double endDays) {
  mAnimationStartTime = startDays;
  mTimeSteps = steps;
  mAnimationEndTime = endDays;
}

void TAQVData::ShowFileMessage(const std::string& text, bool beep, TMsgDlgType type) {
  if (beep) UserInterface().Beep();
  UserInterface().MessageBox(text, type, TMsgDlgButtons::mbOK);
}

bool TAQVData::LoadFromFile() {
  std::string bytes;
  const TFileIOStatus read = ReadWholeFile(FileName, bytes, kMaxDataFileBytes);
  if (read == TFileIOStatus::fiTooLarge) {
    ShowFileMessage("The file " + FileName + " is too large to be a data file.", false,
                    TMsgDlgType::mtError);
    return false;
  }
  if (!IsSuccess(read)) {
    ShowFileMessage("Could not open " + FileName + "!", false, TMsgDlgType::mtError);
    return false;
  }
  // The whole file is read before anything is applied, so that a refused or damaged file
  // leaves the document as it was.
  const TDataFileParse parse = ParseDataFile(bytes, FileName);
  for (const std::string& warning : parse.Warnings)
    ShowFileMessage(warning, true, TMsgDlgType::mtWarning);
  if (!parse.IsSuccess()) {
    ShowFileMessage(parse.Message, parse.Beep, TMsgDlgType::mtError);
    return false;
  }
  ApplyDataFileContent(parse.Content);
  InitAfterLoad();
  FinishRead(parse.Content.Form);
  return true;
}

void TAQVData::ApplyDataFileContent(const TAQVDataFileContent& content) {
  SavedSeriesMarkers.clear();
  SavedSeriesPatterns.clear();
  for (TPumpingWell& well : PumpingWells) {
    well.LayerSet.Exclude(1);
    well.LayerSet.Exclude(2);
  }
  for (TObservationWell& well : ObservationWells) {
    well.LayerSet.Exclude(1);
    well.LayerSet.Exclude(2);
  }
  RelStoppingCriterion = 0.0001;
  AbsStoppingCriterion = 0.0001;
  BackgroundFiles.clear();

  ApplyHead(content);
  ApplyAquiferSystem(content);
  ApplyPumpingWells(content);
  ApplyObservationWells(content);
  ApplyTimeGraph(content);
  ApplyContourSettings(content);
  ApplyImagesAndTexts(content);
}

void TAQVData::ApplyHead(const TAQVDataFileContent& content) {
  for (int k = 1; k <= kInfoTextCount; ++k)
    InfoTexts[k] = content.InfoTexts[static_cast<std::size_t>(k - 1)];
  if (content.Form < TAQVDataFileForm::df2009) return;
  RelStoppingCriterion = content.RelStoppingCriterion;
  AbsStoppingCriterion = content.AbsStoppingCriterion;
  SetLinearResiduals(content.LinearResiduals);
}

void TAQVData::ApplyAquiferSystem(const TAQVDataFileContent& content) {
  const bool yearForm = content.Form != TAQVDataFileForm::dfOldest;
  if (yearForm) {
    SetLengthUnit(content.LengthUnit);
    SetTimeUnit(content.TimeUnit);
    SetSurfaceLevel(content.SurfaceLevel);
  }
  const int n = content.AquiferCount();
  StoreAquiferCount(n);
  SetTopAquitardAbsent(false);
  if (content.TopAquitardAbsent) {
    mTopAquitardImpervious = true;
    SetTopAquitardAbsent(true);
    SAquitard[1] = 0;
  } else {
    mTopAquitardImpervious = content.TopAquitardImpervious;
  }
  SetBottomAquitardAbsent(false);
  if (content.BottomAquitardAbsent) {
    mBottomAquitardImpervious = true;
    SetBottomAquitardAbsent(true);
    SAquitard[n + 1] = 0;
  } else {
    mBottomAquitardImpervious = content.BottomAquitardImpervious;
  }
  for (int i = 1; i <= n + 1; ++i) {
    const TDataFileAquitard& t = content.Aquitards[static_cast<std::size_t>(i - 1)];
    DAquitard[i] = t.DAquitard;
    Resistance[i] = t.Resistance;
    ResistanceCode[i] = t.ResistanceCode;
    SAquitard[i] = t.SAquitard;
    SAquitardCode[i] = t.SAquitardCode;
    AquitardName[i] = t.Name;
    Kv[i] = t.Kv;
    if (i > n) continue;
    const TDataFileAquifer& a = content.Aquifers[static_cast<std::size_t>(i - 1)];
    D[i] = a.D;
    T[i] = a.T;
    TCode[i] = a.TCode;
    S[i] = a.S;
    SCode[i] = a.SCode;
    AquiferName[i] = a.Name;
    Kh[i] = a.Kh;
  }
}

void TAQVData::ApplyPumpingWells(const TAQVDataFileContent& content) {
  SetPumpingWellCount(static_cast<int>(content.PumpingWells.size()));
  for (int w = 1; w <= mPumpingWellCount; ++w) {
    const TDataFilePumpingWell& from = content.PumpingWells[static_cast<std::size_t>(w - 1)];
    TPumpingWell& well = PumpingWells[w];
    well.X = from.X;
    well.Y = from.Y;
    well.Rc = from.Rc;
    well.RcCode = from.RcCode;
    well.Rw = from.Rw;
    well.RwCode = from.RwCode;
    well.Skin = from.Skin;
    well.SkinCode = from.SkinCode;
    well.Included[0] = from.Included;
    well.SetPeriodCount(static_cast<int>(from.Periods.size()));
    well.Name = from.Name;
    for (int k = 1; k <= well.PeriodCount(); ++k) {
      const TDataFilePeriod& period = from.Periods[static_cast<std::size_t>(k - 1)];
      well.StartTime[k] = period.StartTime;
      well.Discharge[k] = period.Discharge;
      well.Included[k] = period.Included;
    }
    for (int l = 1; l <= mAquiferCount; ++l)
      well.Screened[l] = from.Screened[static_cast<std::size_t>(l - 1)];
  }
}

void TAQVData::ApplyObservationWells(const TAQVDataFileContent& content) {
  SetObservationWellCount(static_cast<int>(content.ObservationWells.size()));
  for (int j = 1; j <= mObservationWellCount; ++j) {
    const TDataFileObservationWell& from =
        content.ObservationWells[static_cast<std::size_t>(j - 1)];
    TObservationWell& well = ObservationWells[j];
    well.X = from.X;
    well.Y = from.Y;
    well.Layer = from.Layer;
    well.Rc = from.Rc;
    well.Rw = from.Rw;
    well.Skin = from.Skin;
    well.Included[0] = from.Included;
    well.SetObservationCount(static_cast<int>(from.Observations.size()));
    well.Name = from.Name;
    well.OwnCurve = from.OwnCurve;
    for (int k = 1; k <= well.ObservationCount(); ++k) {
      const TDataFileObservation& obs = from.Observations[static_cast<std::size_t>(k - 1)];
      well.Time[k] = obs.Time;
      well.Observed[k] = obs.Observed;
      well.Included[k] = obs.Included;
    }
  }
}

void TAQVData::ApplyTimeGraph(const TAQVDataFileContent& content) {
  if (!content.TimeGraph) return;
  const TDataFileTimeGraph& graph = *content.TimeGraph;
  AutoUpdate = graph.AutoUpdate;
  SetWellFluxMode(graph.WellFluxMode);
  SetStartingTime(graph.StartingTime);
  SetStoppingTime(graph.StoppingTime);
  SetTimeAxis(graph.TimeAxis);
  SetValueAxis(graph.ValueAxis);
  ApplyChartFormats(graph);
  for (const TDataFileSeriesFormat& series : graph.Series) {
    SavedSeriesMarkers.push_back(std::make_unique<TMarker>());
    SavedSeriesMarkers.back()->SetData(series.Marker);
    SavedSeriesPatterns.push_back(std::make_unique<TPatterns>());
    ApplyPatterns(*SavedSeriesPatterns.back(), series.Patterns);
  }
  // The file carries the curve colours only; every other style of every aquifer of the system
  // is the default one, also in aquifers that the document had never styled before.
  ApplyDefaultStyles();
  const auto count = [](const auto& list, int wells) {
    return std::min(static_cast<int>(list.size()), wells);
  };
  for (int w = 1; w <= count(graph.PumpingWellOptions, mPumpingWellCount); ++w) {
    ApplyWellOptions(PumpingWells[w], PumpingWells[w].LayerSet,
                     graph.PumpingWellOptions[static_cast<std::size_t>(w - 1)]);
  }
  for (int j = 1; j <= count(graph.ObservationWellOptions, mObservationWellCount); ++j) {
    ApplyWellOptions(ObservationWells[j], ObservationWells[j].LayerSet,
                     graph.ObservationWellOptions[static_cast<std::size_t>(j - 1)]);
  }
}

// The chart takes the formats through its setters, so that whoever listens to it hears of
// them; the automatic flags of the titles and the axis set are stored directly.
void TAQVData::ApplyChartFormats(const TDataFileTimeGraph& graph) {
  if (!ChartReference) return;
  TChartModel& chart = *ChartReference;
  ApplyPatterns(chart.ChartArea.Patterns(), graph.ChartAreaPatterns);
  chart.ChartTitle.Alignment().SetAlignment(graph.ChartTitle.Alignment);
  chart.ChartTitle.SetAutomatic(graph.ChartTitle.Automatic);
  chart.ChartTitle.SetText(graph.ChartTitle.Text);
  chart.ChartTitle.Font().SetData(graph.ChartTitle.Font);
  ApplyPatterns(chart.ChartTitle.Patterns(), graph.ChartTitle.Patterns);
  chart.Legend.Font().SetData(graph.Legend.Font);
  ApplyPatterns(chart.Legend.Patterns(), graph.Legend.Patterns);
  chart.Legend.SetPlacement(graph.Legend.Placement);
  ApplyAxis(chart.X_Axis, graph.XAxis);
  chart.Axes.Set(TAxisType::saX, graph.XAxis.Shown);
  ApplyAxis(chart.Y_Axis, graph.YAxis);
  chart.Axes.Set(TAxisType::saY, graph.YAxis.Shown);
}

void TAQVData::ApplyContourSettings(const TAQVDataFileContent& content) {
  if (content.Form == TAQVDataFileForm::dfOldest) return;
  StoreMapWindow(content.WorldX1, content.WorldX2, content.WorldY1, content.WorldY2);
  StoreAnimation(content.AnimationStartTime, content.TimeSteps, content.AnimationEndTime);
  SetDrawLayer(std::clamp(content.DrawLayer, 1, mAquiferCount));
  SavedContourInterval = content.SavedContourInterval;
  if (SavedContourInterval > kChosenIntervalLimit) {
    SetContourInterval(SavedContourInterval);
    AutoContourInterval = false;
  }
}

void TAQVData::ApplyImagesAndTexts(const TAQVDataFileContent& content) {
  if (content.Form >= TAQVDataFileForm::df2010) {
    BackgroundTransparency = content.BackgroundTransparency;
    ShowBackgroundImages = content.ShowBackgroundImages;
    // The whole list, also images that cannot be shown today (a drive not mounted): the
    // window that shows the images names those and keeps them in their places.
    BackgroundFiles = content.BackgroundFiles;
  }
  if (content.MapOptions) {
    MapOptions.DrawingOptions = TBoundaryGridDrawing();
    MapOptions.DrawingOptions.Set(TBoundaryGridDrawingOptions::dbgBoundary,
                                  content.MapOptions->Boundary);
    MapOptions.DrawingOptions.Set(TBoundaryGridDrawingOptions::dbgGrid, content.MapOptions->Grid);
    MapOptions.LegendPlacement = content.MapOptions->Placement;
  }
  if (content.Form != TAQVDataFileForm::df2012) return;
  SelectedTextBox = nullptr;
  TextBoxes.clear();
  for (const TAQVTextBoxProperties& box : content.TextBoxes) {
    auto record = std::make_unique<TAQVTextBoxRecord>();
    static_cast<TAQVTextBoxProperties&>(*record) = box;
    TextBoxes.push_back(std::move(record));
  }
}

void TAQVData::InitAfterLoad() {
  GridsValid = true;
  ResultsExist = false;
  CurvesValid = false;
  Saved = true;
  Rejected = false;
  SetUpperLayer(1);
  SetLowerLayer(mAquiferCount);
}

void TAQVData::FinishRead(TAQVDataFileForm form) {
  CollectIncludedObservations();
  GroupCoincidentWells();
  SelectCurves();
  if (CarriesTimeGraph(form)) {
    CurvesStale = true;
    UnitsChanged = true;
    SetModified(true);
  } else {
    // The styling puts each well's layers into its layer set, which the selection above found
    // empty; selecting again gives the curves their aquifer range now rather than at the
    // first computation.
    AssignCurveStyles();
    SelectCurves();
  }
  const int bottom = mAquiferCount + 1;
  TopAquitardBackup = {Resistance[1], SAquitard[1], ResistanceCode[1], SAquitardCode[1]};
  BottomAquitardBackup = {Resistance[bottom], SAquitard[bottom], ResistanceCode[bottom],
                          SAquitardCode[bottom]};
  ComputeWellCentre();
  ComputeMapDefaults();
  mCurrentObservationWell = 1;
  mCurrentPumpingWell = 1;
  Notify();
  if (CarriesTimeGraph(form)) Fire(OnFileLoaded, this);
}

}  // namespace aqv

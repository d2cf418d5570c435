#include <fcntl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "chart/ChartModel.h"
#include "model/AQVData.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// The fake interface, also keeping what the save dialog was given.
class TDialogRecordingUserInterface : public test::TFakeUserInterface {
 public:
  bool SaveDialog(std::string& fileName, const std::string& initialDir, const std::string& filter,
                  const std::string& defaultExt) override {
    DialogProposals.push_back(fileName);
    DialogFolders.push_back(initialDir);
    DialogFilters.push_back(filter);
    return TFakeUserInterface::SaveDialog(fileName, initialDir, filter, defaultExt);
  }
  std::vector<std::string> DialogProposals, DialogFolders, DialogFilters;
};

// Values chosen so that the file's number fields hold them exactly (at most 8 significant
// digits), so that a round trip can be compared bit for bit.
void FillAquiferSystem(TAQVData& d) {
  d.SetLengthUnit(TAQVLengthUnit::luFeet);  // first: it converts whatever is stored
  d.SetTimeUnit(TAQVTimeUnit::tuMinutes);
  d.SetLinearResiduals(false);
  std::tie(d.RelStoppingCriterion, d.AbsStoppingCriterion) = std::tuple(2.5E-5, 0.003);
  std::tie(d.InfoTexts[1], d.InfoTexts[14]) = std::tuple("Polder één", "Two\r\nlines");
  d.SetSurfaceLevel(-3.25);
  d.SetAquiferCount(2);
  d.SetTopAquitardImpervious(true);
  const double t[] = {1234.5, 0.0625};
  const double thickness[] = {12.5, 4};
  for (int i = 1; i <= 2; ++i) {
    std::tie(d.T[i], d.D[i], d.S[i], d.TCode[i], d.SCode[i]) =
        std::tuple(t[i - 1], thickness[i - 1], 3.5E-4 * i, '1', static_cast<char>('1' + i));
    d.Kh[i] = d.T[i] / d.D[i];
    d.AquiferName[i] = "Aquifer " + std::to_string(i) + " with blanks";
  }
  for (int i = 1; i <= 3; ++i) {
    std::tie(d.DAquitard[i], d.Resistance[i], d.SAquitard[i]) =
        std::tuple(i == 2 ? 0 : 2.5 * i, 125.0 * i, i == 2 ? 0 : 1E-5);
    std::tie(d.ResistanceCode[i], d.SAquitardCode[i]) =
        std::tuple(i == 3 ? '4' : kNoMark, i == 1 ? '5' : kNoMark);
    d.Kv[i] = d.DAquitard[i] > 0 ? d.DAquitard[i] / d.Resistance[i]
                                 : (d.D[1] + d.D[2]) / d.Resistance[i] / 2;
    d.AquitardName[i] = "Clay " + std::to_string(i);
  }
}

// Every value the file carries is set here, none is left as the unit switch converted it.
void FillWells(TAQVData& d) {
  d.SetPumpingWellCount(2);
  for (int w = 1; w <= 2; ++w) {
    TPumpingWell& well = d.PumpingWells[w];
    std::tie(well.X, well.Y, well.Rc, well.Rw, well.Skin) = std::tuple(0, 0, 0.25, 0.375, 0.75);
    for (int k = 1; k <= kMaxPeriods; ++k) well.Discharge[k] = 800;
  }
  TPumpingWell& second = d.PumpingWells[2];
  std::tie(second.Name, second.X, second.Y, second.Rc, second.RcCode) =
      std::tuple("Well two", 150.5, -20, 0.125, '3');
  std::tie(second.Screened[1], second.Screened[2]) = std::tuple(false, true);
  second.SetPeriodCount(3);
  second.Included[1] = false;  // its start of 0 is written as -1.0000000E-31
  std::tie(second.StartTime[1], second.StartTime[2], second.StartTime[3], second.Discharge[3]) =
      std::tuple(0, 0.5, 2.25, 0);
  d.SetObservationWellCount(3);
  for (int j = 1; j <= 3; ++j) {
    TObservationWell& well = d.ObservationWells[j];
    std::tie(well.X, well.Y, well.Rc, well.Rw, well.Skin, well.Layer) =
        std::tuple(10.5 * j, -2.0 * j, 0.0625, 0.03125, 0.5 * j, j == 3 ? 2 : 1);
    well.SetObservationCount(j + 1);
    for (int k = 1; k <= well.ObservationCount(); ++k)
      std::tie(well.Time[k], well.Observed[k]) = std::tuple(0.5 * k * j, 0.125 * k);
  }
  d.ObservationWells[3].Included[0] = d.ObservationWells[2].Included[2] = false;
  std::tie(d.ObservationWells[2].X, d.ObservationWells[2].Y) =
      std::tuple(d.ObservationWells[1].X, d.ObservationWells[1].Y);
  d.GroupCoincidentWells();
  d.CollectIncludedObservations();
  d.AssignCurveStyles();
  d.PumpingWells[1].CurveColor[2] = RGBColor(255, 128, 0);
}

void FillMapAndTimeGraph(TAQVData& d, test::TTempFolder& folder) {
  d.SetWorldX1(-750.5);
  d.SetWorldX2(1250);
  d.SetWorldY1(-0.125);
  d.SetWorldY2(3E5);
  d.SetAnimationStartTime(0.5);
  d.SetAnimationEndTime(12);
  d.SetTimeSteps(33);
  d.SetDrawLayer(2);
  d.AutoContourInterval = false;
  d.SetContourInterval(0.125);
  std::tie(d.BackgroundTransparency, d.ShowBackgroundImages) = std::tuple(40, true);
  folder.Write("map.png", "png");
  folder.Write("map.pgw", "1\n0\n0\n-1\n0\n0\n");
  d.BackgroundFiles = {{true, folder.Path("map.png")}};
  d.MapOptions = {TBoundaryGridDrawing{TBoundaryGridDrawingOptions::dbgGrid}, TPlacement::plBottom};
  d.AutoUpdate = true;
  d.SetWellFluxMode(true);
  d.SetStartingTime(0.01);
  d.SetStoppingTime(500);
  d.SetTimeAxis(1);
  d.SetValueAxis(2);
}

void FillChart(TChartModel& chart) {
  chart.ChartTitle.SetText("  Lead blanks");
  chart.ChartTitle.SetAutomatic(false);
  chart.ChartTitle.Font().SetName("Times New Roman");
  chart.Legend.SetPlacement(TPlacement::plTop);
  chart.ChartArea.Patterns().Area().SetColor(clCream);
  chart.Axes.Exclude(TAxisType::saY);
  chart.X_Axis.Scale().SetMinAutomatic(false);
  chart.X_Axis.Scale().SetMin(0.001);
  chart.X_Axis.Title().SetText("Time (min)");
  chart.X_Axis.Title().SetAutomatic(false);
  chart.Y_Axis.Alignment().SetOrientation(270);
  chart.AddSeries()->Marker().SetData({clRed, 8, TMarkerStyle::msTriangle});
  chart.AddSeries()->Patterns().Border().SetStyle(TPenStyle::psDot);
}

class TAQVDataSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    mData = NewDocument();
  }
  std::unique_ptr<TAQVData> NewDocument() {
    auto d = std::make_unique<TAQVData>(&mUi);
    d->OnFileSaved = [this](TObject*) { ++mSavedEvents; };
    return d;
  }
  void Fill(TAQVData& d) {
    FillAquiferSystem(d);
    FillWells(d);
    FillMapAndTimeGraph(d, mFolder);
  }
  // Saves d as name in the temporary folder (a new file: no question) and returns the bytes.
  std::string SaveAs(TAQVData& d, const std::string& name) {
    d.FileName = mFolder.Path(name);
    d.SaveToFile(false);
    return mFolder.Read(name);
  }
  std::unique_ptr<TAQVData> Load(const std::string& name, TChartModel* chart) {
    auto d = NewDocument();
    d->ChartReference = chart;
    d->FileName = mFolder.Path(name);
    EXPECT_TRUE(d->LoadFromFile());
    return d;
  }
  static void ExpectSameContent(const TAQVDataFileContent& a, const TAQVDataFileContent& b) {
    EXPECT_EQ(std::tuple(a.Form, a.InfoTexts, a.Aquitards == b.Aquitards, a.Aquifers == b.Aquifers),
              std::tuple(b.Form, b.InfoTexts, true, true));
    EXPECT_TRUE(a.PumpingWells == b.PumpingWells);
    EXPECT_TRUE(a.ObservationWells == b.ObservationWells);
    EXPECT_EQ(std::tuple(a.TimeGraph == b.TimeGraph, a.TextBoxes == b.TextBoxes, a == b),
              std::tuple(true, true, true));
  }

  TDialogRecordingUserInterface mUi;
  test::TTempFolder mFolder;
  std::unique_ptr<TAQVData> mData;
  int mSavedEvents = 0;
};

std::string FirstLine(const std::string& bytes) {
  return bytes.substr(0, bytes.find("\r\n"));
}

TEST_F(TAQVDataSaveTest, DocumentWithoutChartRoundTripsThroughThe2010Form) {
  Fill(*mData);
  const bool inputOpen = fcntl(0, F_GETFD) != -1;
  const std::string bytes = SaveAs(*mData, "a.aqv");
  ASSERT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(fcntl(0, F_GETFD) != -1, inputOpen) << "a save closes its own file and no other";
  EXPECT_EQ(FirstLine(bytes), "AQV data file version 2010");
  EXPECT_EQ(std::tuple(mData->Saved, mSavedEvents), std::tuple(true, 1));
  const auto back = Load("a.aqv", nullptr);
  ExpectSameContent(back->DataFileContent(), mData->DataFileContent());
  // A value the writer drops is lost on both sides of that comparison: these are seen here.
  const TPumpingWell& pumping = back->PumpingWells[1];
  const TObservationWell& observation = back->ObservationWells[2];
  EXPECT_EQ(std::tuple(pumping.Rc, pumping.Rw, pumping.Skin), std::tuple(0.25, 0.375, 0.75));
  EXPECT_EQ(std::tuple(observation.Rc, observation.Rw, observation.Skin),
            std::tuple(0.0625, 0.03125, 1.0));
  EXPECT_EQ(std::tuple(back->WorldX1(), back->WorldX2(), back->WorldY1(), back->WorldY2()),
            std::tuple(-750.5, 1250.0, -0.125, 3E5));
  EXPECT_EQ(std::tuple(back->AnimationStartTime(), back->AnimationEndTime(), back->TimeSteps(),
                       back->DrawLayer(), back->BackgroundTransparency, back->ShowBackgroundImages,
                       back->MapOptions.LegendPlacement, back->SurfaceLevel()),
            std::tuple(0.5, 12.0, 33, 2, 40, true, TPlacement::plBottom, -3.25));
  EXPECT_EQ(std::tuple(back->RelStoppingCriterion, back->AbsStoppingCriterion, back->InfoTexts[14]),
            std::tuple(2.5E-5, 0.003, std::string("Two\r\nlines")));
  EXPECT_EQ(std::tuple(back->LengthUnit(), back->ContourInterval(), back->AutoContourInterval),
            std::tuple(TAQVLengthUnit::luFeet, 0.125, false));
  // Write, read, write: the same bytes.
  EXPECT_EQ(SaveAs(*back, "b.aqv"), bytes);
}

TEST_F(TAQVDataSaveTest, DocumentWithChartRoundTripsThroughThe2011Form) {
  TChartModel chart;
  FillChart(chart);
  Fill(*mData);
  // The most observation wells a file holds, the last with a value of its own.
  ASSERT_TRUE(mData->InsertObservationWells(4, 2));
  for (int j = 4; j <= kMaxObservationWells; ++j) {
    TObservationWell& well = mData->ObservationWells[j];
    std::tie(well.X, well.Y, well.Rc, well.Rw) = std::tuple(0.5 * j, 0.5 * j, 0.5, 0.5);
    for (int k = 1; k <= well.ObservationCount(); ++k) well.Observed[k] = 0.25;
  }
  mData->ObservationWells[5].Skin = 2.5;
  mData->ChartReference = &chart;
  const std::string bytes = SaveAs(*mData, "a.aqv");
  EXPECT_EQ(FirstLine(bytes), "AQV data file version 2011");
  TChartModel chartBack;
  const auto back = Load("a.aqv", &chartBack);
  ExpectSameContent(back->DataFileContent(), mData->DataFileContent());
  EXPECT_EQ(chartBack.ChartTitle.Data(), chart.ChartTitle.Data());
  EXPECT_EQ(chartBack.Legend.Data(), chart.Legend.Data());
  EXPECT_EQ(chartBack.X_Axis.Scale().Data(), chart.X_Axis.Scale().Data());
  // A typed axis title stays the person's own; the other follows the units again.
  EXPECT_EQ(std::tuple(chartBack.X_Axis.Title().Automatic(), chartBack.X_Axis.Title().Text(),
                       chartBack.Y_Axis.Title().Automatic()),
            std::tuple(false, "Time (min)", chart.Y_Axis.Title().Automatic()));
  EXPECT_FALSE(chartBack.Axes.Contains(TAxisType::saY));
  ASSERT_EQ(back->SavedSeriesMarkers.size(), 2u);
  EXPECT_EQ(back->SavedSeriesMarkers[0]->Data(), chart.Series(0)->Marker().Data());
  EXPECT_EQ(back->SavedSeriesPatterns[1]->Data(), chart.Series(1)->Patterns().Data());
  EXPECT_EQ(std::tuple(back->WellFluxMode(), back->PumpingWells[1].CurveColor[2],
                       back->ObservationWells[5].Skin),
            std::tuple(true, RGBColor(255, 128, 0), 2.5));
  EXPECT_EQ(SaveAs(*back, "b.aqv"), bytes);
}

// A 2011 file carries only the curve colours; every other style of every aquifer comes from
// the defaults, also for aquifer 2, which a new document (one aquifer) has never styled.
TEST_F(TAQVDataSaveTest, CurveStylesOfAquiferTwoSurviveASaveAndReload) {
  TChartModel chart;
  Fill(*mData);
  mData->ChartReference = &chart;
  SaveAs(*mData, "a.aqv");
  TChartModel chartBack;
  const auto back = Load("a.aqv", &chartBack);
  for (const TCurveStyles* styles :
       {static_cast<const TCurveStyles*>(&back->PumpingWells[2]),
        static_cast<const TCurveStyles*>(&back->ObservationWells[3])}) {
    EXPECT_EQ(std::tuple(styles->CurveWidth[2], styles->MarkerSize[2], styles->MarkerStyle[2]),
              std::tuple(2, 6, 3));
    EXPECT_NE(styles->MarkerColor[2], clWhite);
  }
  EXPECT_EQ(back->PumpingWells[1].CurveColor[2], RGBColor(255, 128, 0)) << "the file's colour";
  EXPECT_EQ(back->PumpingWells[2].CurveColor[2], mData->PumpingWells[2].CurveColor[2]);
}

// The chart's scale setters refuse what a file cannot hold, so a document can always be saved.
TEST_F(TAQVDataSaveTest, NonFiniteChartScaleNeverMakesTheDocumentUnsaveable) {
  TChartModel chart;
  mData->ChartReference = &chart;
  TScale& scale = chart.Y_Axis.Scale();
  const TScaleData before = scale.Data();
  const double inf = std::numeric_limits<double>::infinity();
  scale.SetMin(std::nan(""));
  scale.SetMax(inf);
  scale.SetMajorUnit(-inf);
  scale.SetMinorUnit(std::nan(""));
  TScaleData data = before;
  std::tie(data.Max, data.MinAutomatic) = std::tuple(inf, false);
  scale.SetData(data);
  TScaleData expected = before;
  expected.MinAutomatic = false;  // the flag is taken, the infinite maximum is not
  EXPECT_EQ(scale.Data(), expected);
  const std::string bytes = SaveAs(*mData, "a.aqv");
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(FirstLine(bytes), "AQV data file version 2011");
}

TEST_F(TAQVDataSaveTest, DocumentWithTextBoxesRoundTripsThroughThe2012Form) {
  TChartModel chart;
  Fill(*mData);
  mData->ChartReference = &chart;
  auto box = std::make_unique<TAQVTextBoxRecord>();
  std::tie(box->Text, box->X, box->Font.Name, box->AnchorMode) =
      std::tuple("Two\r\nlines", 12.5, "Times New Roman", 3);
  mData->TextBoxes.push_back(std::move(box));
  const std::string bytes = SaveAs(*mData, "a.aqv");
  EXPECT_EQ(FirstLine(bytes), "AQV data file version 2012");
  TChartModel chartBack;
  const auto back = Load("a.aqv", &chartBack);
  ExpectSameContent(back->DataFileContent(), mData->DataFileContent());
  ASSERT_EQ(back->TextBoxes.size(), 1u);
  EXPECT_EQ(back->TextBoxes[0]->Text, "Two\r\nlines");
  EXPECT_EQ(SaveAs(*back, "b.aqv"), bytes);
}

// A box anchored to a world point follows a change of length unit with the world window, into
// the file too; a box placed in pixels from a corner keeps its offsets.
TEST_F(TAQVDataSaveTest, TextBoxesOfADocumentWithoutChartAreNotLostAndKeepTheirPlaceInFeet) {
  for (const int anchorMode : {1, 3}) {
    mData->TextBoxes.push_back(std::make_unique<TAQVTextBoxRecord>());
    std::tie(mData->TextBoxes.back()->Text, mData->TextBoxes.back()->X,
             mData->TextBoxes.back()->Y, mData->TextBoxes.back()->AnchorMode) =
        std::tuple("Note", 12.5, 340.25, anchorMode);
  }
  mData->SetLengthUnit(TAQVLengthUnit::luFeet);
  const std::string bytes = SaveAs(*mData, "a.aqv");
  ASSERT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(FirstLine(bytes), "AQV data file version 2012");
  const auto back = Load("a.aqv", nullptr);
  ASSERT_EQ(back->TextBoxes.size(), 2u);
  EXPECT_EQ(back->TextBoxes[0]->Text, "Note");
  for (const TAQVData* d : {mData.get(), back.get()}) {
    EXPECT_NEAR(d->TextBoxes[0]->X, 12.5 / 0.3048, 1e-11);
    EXPECT_NEAR(d->TextBoxes[0]->Y, 340.25 / 0.3048, 1e-10);
    EXPECT_EQ(std::tuple(d->TextBoxes[1]->X, d->TextBoxes[1]->Y), std::tuple(12.5, 340.25));
  }
}

TEST_F(TAQVDataSaveTest, SavingTwiceGivesTheSameBytes) {
  Fill(*mData);
  const std::string first = SaveAs(*mData, "a.aqv");
  mUi.Answers.push_back(TModalResult::mrYes);
  mData->SaveToFile(false);
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(
      std::tuple(mUi.Messages[0].Text, mUi.Messages[0].Buttons),
      std::tuple(mFolder.Path("a.aqv") + " already exists. Overwrite?", TMsgDlgButtons::mbYesNo));
  EXPECT_EQ(std::tuple(mFolder.Read("a.aqv"), mSavedEvents), std::tuple(first, 2));
}

TEST_F(TAQVDataSaveTest, ExcludedZeroStartIsWrittenNegativeAndTheTableKeepsZero) {
  Fill(*mData);
  const std::string bytes = SaveAs(*mData, "a.aqv");
  EXPECT_NE(bytes.find("\r\n -1.0000000E-31    800.0000000\r\n"), std::string::npos);
  EXPECT_EQ(mData->PumpingWells[2].StartTime[1], 0);
  const auto back = Load("a.aqv", nullptr);
  EXPECT_EQ(std::tuple(back->PumpingWells[2].StartTime[1], back->PumpingWells[2].Included[1]),
            std::tuple(0, false));
}

TEST_F(TAQVDataSaveTest, SavedContourIntervalFollowsTheAutomaticSwitch) {
  mData->AutoContourInterval = false;
  mData->SetContourInterval(0.25);
  SaveAs(*mData, "a.aqv");
  EXPECT_EQ(mData->SavedContourInterval, 0.25);
  // An interval too small to draw keeps the one saved before.
  mData->SetContourInterval(1E-9);
  SaveAs(*mData, "b.aqv");
  EXPECT_EQ(mData->SavedContourInterval, 0.25);
  mData->AutoContourInterval = true;
  SaveAs(*mData, "c.aqv");
  EXPECT_EQ(mData->SavedContourInterval, 0);
  EXPECT_TRUE(Load("c.aqv", nullptr)->AutoContourInterval);
}

TEST_F(TAQVDataSaveTest, SaveAsAsksThroughTheDialogAndAddsTheExtension) {
  mData->FileName = mFolder.Path("old.aqv");
  std::filesystem::create_directory(mFolder.Root() / "v1.2");
  // {chosen in the dialog, saved}
  const std::pair<std::string, std::string> cases[] = {
      {mFolder.Path("new"), mFolder.Path("new.aqv")},
      {mFolder.Path("v1.2/data"), mFolder.Path("v1.2/data.aqv")},  // a dot in a folder
      {mFolder.Path("data.txt"), mFolder.Path("data.txt")},
  };
  for (const auto& [chosen, saved] : cases) {
    mUi.DialogPaths.push_back(chosen);
    mData->SaveToFile(true);
    EXPECT_EQ(mData->FileName, saved);
    EXPECT_TRUE(std::filesystem::exists(saved)) << saved;
    EXPECT_EQ(Globals().SaveDirectory, chosen.substr(0, chosen.find_last_of('/')));
  }
  EXPECT_EQ(mUi.DialogProposals.front(), "old.aqv");
  EXPECT_EQ(mUi.DialogFolders.front(), mFolder.Root().string());
  EXPECT_EQ(std::tuple(mUi.DialogFilters.front(), mUi.Messages.empty(), mSavedEvents),
            std::tuple("AQV data files (*.aqv)|*.aqv|All files (*.*)|*.*", true, 3));
}

TEST_F(TAQVDataSaveTest, DocumentWithoutPathAsksAndCancelOrNoToOverwritingWritesNothing) {
  mData->SaveToFile(false);
  EXPECT_EQ(mUi.DialogProposals.size(), 1u);
  mData->FileName = mFolder.Path("old.aqv");
  mData->SaveToFile(true);
  EXPECT_TRUE(mFolder.Names().empty() && mUi.Messages.empty());
  EXPECT_EQ(mData->FileName, mFolder.Path("old.aqv"));
  EXPECT_EQ(std::tuple(mData->Saved, mSavedEvents), std::tuple(false, 0));
  mFolder.Write("a.aqv", "old bytes");
  mData->FileName = mFolder.Path("a.aqv");
  mUi.Answers.push_back(TModalResult::mrNo);
  mData->SaveToFile(false);
  EXPECT_EQ(std::tuple(mFolder.Read("a.aqv"), mData->Saved, mSavedEvents),
            std::tuple("old bytes", false, 0));
}

TEST_F(TAQVDataSaveTest, AddedExtensionNeverOverwritesAFileSilently) {
  mFolder.Write("a.aqv", "old bytes");
  mUi.DialogPaths.push_back(mFolder.Path("a"));  // the dialog asked about "a" only
  mUi.Answers.push_back(TModalResult::mrNo);
  mData->SaveToFile(true);
  EXPECT_EQ(mUi.OnlyMessage(), mFolder.Path("a.aqv") + " already exists. Overwrite?");
  EXPECT_EQ(std::tuple(mFolder.Read("a.aqv"), mSavedEvents), std::tuple("old bytes", 0));
}

TEST_F(TAQVDataSaveTest, FailedSaveLeavesTheOldFileAndReportsTheFailure) {
  mFolder.Write("a.aqv", "old bytes");
  mFolder.Write("locked.aqv", "locked bytes");
  std::filesystem::permissions(mFolder.Path("locked.aqv"),
                               static_cast<std::filesystem::perms>(0444));
  std::filesystem::create_directory(mFolder.Root() / "folder.aqv");
  // A value that is not finite, a file its owner made read-only (mode 444, refused also for
  // the superuser), a target that is a folder, a folder that does not exist.
  const std::vector<std::string> targets = {"a.aqv", "locked.aqv", "folder.aqv", "missing/b.aqv"};
  for (const std::string& target : targets) {
    mUi.Messages.clear();
    mUi.Answers = {TModalResult::mrYes};
    mData = NewDocument();
    if (target == "a.aqv") mData->SetSurfaceLevel(std::numeric_limits<double>::quiet_NaN());
    mData->FileName = mFolder.Path(target);
    mData->SaveToFile(false);
    ASSERT_FALSE(mUi.Messages.empty()) << target;
    EXPECT_EQ(
        std::tuple(mUi.Messages.back().Text, mUi.Messages.back().Type, mData->Saved, mSavedEvents),
        std::tuple("Could not save " + mFolder.Path(target) + "!", TMsgDlgType::mtError, false, 0))
        << target;
  }
  EXPECT_EQ(mFolder.Read("a.aqv"), "old bytes");
  EXPECT_EQ(mFolder.Read("locked.aqv"), "locked bytes");
  EXPECT_TRUE(std::filesystem::is_directory(mFolder.Root() / "folder.aqv"));
  // Nothing else was left behind: no temporary file, no new folder.
  EXPECT_EQ(mFolder.Names(), (std::vector<std::string>{"a.aqv", "folder.aqv", "locked.aqv"}));
}

TEST_F(TAQVDataSaveTest, WellObservingARemovedAquiferDoesNotMakeTheDocumentUnsaveable) {
  mData->SetAquiferCount(2);
  mData->ObservationWells[1].Layer = 2;
  mData->SetAquiferCount(1);
  SaveAs(*mData, "a.aqv");
  EXPECT_TRUE(mUi.Messages.empty() && mData->Saved);
  EXPECT_EQ(Load("a.aqv", nullptr)->ObservationWells[1].Layer, 1);
}

TEST_F(TAQVDataSaveTest, TimeUnitsOtherThanSecondsAndMinutesAreSavedAsDays) {
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  const std::string bytes = SaveAs(*mData, "a.aqv");
  EXPECT_NE(bytes.find("\r\nTime      : day\r\n"), std::string::npos);
  EXPECT_EQ(Load("a.aqv", nullptr)->TimeUnit(), TAQVTimeUnit::tuDays);
}

}  // namespace
}  // namespace aqv

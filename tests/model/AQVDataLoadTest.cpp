#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "chart/ChartModel.h"
#include "model/AQVData.h"
#include "tests/model/SampleText.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::Replaced;
using test::Sample;

class TAQVDataLoadTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    mData->OnFileLoaded = [this](TObject*) { ++mLoadedEvents; };
  }
  // A new document on a cleared interface, for the next case of a table.
  void Fresh() {
    mUi.Messages.clear();
    mUi.Beeps = mChanges = mLoadedEvents = 0;
    SetUp();
  }
  // Loads bytes written into the temporary folder under name.
  bool LoadBytes(const std::string& bytes, const std::string& name = "test.aqv") {
    mFolder.Write(name, bytes);
    mData->FileName = mFolder.Path(name);
    return mData->LoadFromFile();
  }
  // A sample loads without a message or a beep; its images, which lie in a folder no test
  // machine has, are named by the window that tries to show them.
  bool LoadSample(const std::string& name) {
    mData->FileName = std::string(AQV_TEST_DATA_DIR) + "/" + name;
    const std::size_t shown = mUi.Messages.size();
    const int beeps = mUi.Beeps;
    const bool loaded = mData->LoadFromFile();
    for (std::size_t i = shown; i < mUi.Messages.size(); ++i)
      ADD_FAILURE() << name << ": " << mUi.Messages[i].Text;
    EXPECT_EQ(mUi.Beeps, beeps) << name;
    return loaded;
  }

  test::TTempFolder mFolder;
  int mLoadedEvents = 0;
};

TEST_F(TAQVDataLoadTest, Year2010SampleLoadsItsModelAndSettings) {
  ASSERT_TRUE(LoadSample("v2010.aqv"));
  const TAQVData& d = *mData;
  EXPECT_EQ(std::tuple(d.InfoTexts[1], d.InfoTexts[5], d.InfoTexts[14]),
            std::tuple("Polder test", " ", "Last remark"));
  EXPECT_EQ(std::tuple(d.RelStoppingCriterion, d.AbsStoppingCriterion, d.LinearResiduals()),
            std::tuple(1E-5, 2E-4, false));
  EXPECT_EQ(std::tuple(d.LengthUnit(), d.TimeUnit(), d.SurfaceLevel()),
            std::tuple(TAQVLengthUnit::luMeters, TAQVTimeUnit::tuMinutes, 12.5));
  // Aquifer system, with the conductivities derived from thickness and T or c.
  ASSERT_EQ(d.AquiferCount(), 1);
  EXPECT_EQ(std::tuple(d.TopAquitardImpervious(), d.BottomAquitardImpervious()),
            std::tuple(false, true));
  EXPECT_EQ(std::tuple(d.DAquitard[1], d.Resistance[1], d.ResistanceCode[1], d.SAquitard[1],
                       d.SAquitardCode[1], d.AquitardName[1]),
            std::tuple(5, 500, '1', 1E-4, kNoMark, "Clay top"));
  EXPECT_DOUBLE_EQ(d.Kv[1], 0.01);  // 5 m / 500 d
  EXPECT_EQ(std::tuple(d.D[1], d.T[1], d.TCode[1], d.SCode[1], d.AquiferName[1]),
            std::tuple(20, 2000, '2', '3', "Sand aquifer"));
  EXPECT_DOUBLE_EQ(d.Kh[1], 100);  // 2000 m2/d / 20 m
  EXPECT_EQ(d.AquitardName[2], "Base");
  // The excluded well and its excluded first period, written as -1.0000000E-31.
  ASSERT_EQ(d.PumpingWellCount(), 1);
  const TPumpingWell& well = d.PumpingWells[1];
  EXPECT_EQ(std::tuple(well.Name, well.Included[0]), std::tuple("Well P1", false));
  ASSERT_EQ(well.PeriodCount(), 2);
  EXPECT_EQ(std::tuple(well.StartTime[1], well.Included[1], well.Discharge[1]),
            std::tuple(0, false, 1200));
  EXPECT_EQ(std::tuple(well.StartTime[2], well.Included[2]), std::tuple(0.5, true));
  EXPECT_EQ(std::tuple(well.Rc, well.RwCode, well.Screened[1]), std::tuple(0.15, '4', true));

  ASSERT_EQ(d.ObservationWellCount(), 2);
  const TObservationWell& a = d.ObservationWells[1];
  EXPECT_EQ(std::tuple(a.Name, a.Y), std::tuple("Piezometer A", -100000));
  ASSERT_EQ(a.ObservationCount(), 3);
  EXPECT_EQ(std::tuple(a.Time[2], a.Included[2], a.Observed[3]), std::tuple(0.02, false, 0.1));
  EXPECT_EQ(std::tuple(d.ObservationWells[2].Included[0], d.ObservationWells[2].Rc),
            std::tuple(false, 0.03));
  EXPECT_EQ(d.FitCount(), 2);  // the included observations of the included well
  // Map window and animation as stored; a saved interval above 1E-8 switches automatic off.
  EXPECT_EQ(std::tuple(d.WorldX1(), d.WorldY2(), d.MapWindowChanged), std::tuple(-500, 250, false));
  EXPECT_EQ(std::tuple(d.AnimationStartTime(), d.TimeSteps(), d.AnimationEndTime(), d.DrawLayer()),
            std::tuple(0.1, 20, 5, 1));
  EXPECT_EQ(std::tuple(d.SavedContourInterval, d.ContourInterval(), d.AutoContourInterval),
            std::tuple(0.05, 0.05, false));
  EXPECT_EQ(std::tuple(d.BackgroundTransparency, d.ShowBackgroundImages), std::tuple(35, true));
  EXPECT_EQ(d.BackgroundFiles,
            (TBackgroundFiles{{true, "/maps/polder map.png"}, {false, "/maps/other.tif"}}));
  EXPECT_EQ(d.MapOptions.DrawingOptions,
            TBoundaryGridDrawing{TBoundaryGridDrawingOptions::dbgGrid});
  EXPECT_EQ(d.MapOptions.LegendPlacement, TPlacement::plLeft);

  EXPECT_TRUE(d.Saved && d.GridsValid);
  EXPECT_FALSE(d.ResultsExist || d.CurvesValid);
  EXPECT_EQ(std::pair(d.UpperLayer(), d.LowerLayer()), std::pair(1, 1));
  EXPECT_GE(mChanges, 1);
  EXPECT_EQ(mLoadedEvents, 0);  // only the forms with a time graph announce a load
}

TEST_F(TAQVDataLoadTest, Year2011SampleFormatsTheAttachedChartAndTheNextReadEmptiesItsSeries) {
  TChartModel chart;
  mData->ChartReference = &chart;
  ASSERT_TRUE(LoadSample("v2011.aqv"));
  const TAQVData& d = *mData;
  EXPECT_EQ(
      std::tuple(d.AutoUpdate, d.WellFluxMode(), d.StartingTime(), d.StoppingTime(), d.ValueAxis()),
      std::tuple(true, false, 1E-4, 100, 1));

  EXPECT_EQ(chart.ChartArea.Patterns().Area().Color(), clCream);
  EXPECT_EQ(std::tuple(chart.ChartTitle.Automatic(), chart.ChartTitle.Text(),
                       chart.ChartTitle.Font().Color()),
            std::tuple(false, "  Drawdown at P1", clMaroon));
  EXPECT_EQ(chart.Legend.Placement(), TPlacement::plRight);
  EXPECT_TRUE(chart.Axes.Contains(TAxisType::saX) && !chart.Axes.Contains(TAxisType::saY));
  EXPECT_EQ(chart.X_Axis.Alignment().Orientation(), 90);
  const TScaleData& scale = chart.X_Axis.Scale().Data();
  EXPECT_EQ(std::tuple(scale.MinAutomatic, scale.MaxAutomatic, scale.Min, scale.Max),
            std::tuple(false, true, 0.001, 1000));
  EXPECT_EQ(std::tuple(chart.X_Axis.Title().Font().Name(), chart.X_Axis.Title().Text(),
                       chart.Y_Axis.Title().Text()),
            std::tuple("Times New Roman", "Time (d)", ""));

  ASSERT_EQ(d.SavedSeriesMarkers.size(), 2u);
  ASSERT_EQ(d.SavedSeriesPatterns.size(), 2u);
  EXPECT_EQ(d.SavedSeriesMarkers[0]->Data(), (TMarkerData{clRed, 8, TMarkerStyle::msTriangle}));
  EXPECT_EQ(d.SavedSeriesPatterns[1]->Border().Style(), TPenStyle::psDot);
  // Curve layers and colours come from the file, not from the default styling.
  EXPECT_TRUE(d.PumpingWells[1].LayerSet.Contains(1));
  EXPECT_EQ(std::pair(d.PumpingWells[1].CurveColor[1], d.PumpingWells[1].CurveColor[2]),
            std::pair(clBlue, clGreen));
  EXPECT_EQ(d.ObservationWells[1].CurveColor[1], RGBColor(255, 128, 0));
  EXPECT_TRUE(d.ObservationWells[2].LayerSet.Empty());
  EXPECT_EQ(d.ObservationWells[2].CurveColor[2], clNone);

  EXPECT_EQ(d.MapOptions.DrawingOptions,
            TBoundaryGridDrawing{TBoundaryGridDrawingOptions::dbgBoundary});
  EXPECT_EQ(d.MapOptions.LegendPlacement, TPlacement::plTop);
  EXPECT_TRUE(d.CurvesStale && d.UnitsChanged && d.Modified() && d.Saved);
  EXPECT_EQ(mLoadedEvents, 1);
  mData->ChartReference = nullptr;  // every read, also without a chart, empties the saved formats
  ASSERT_TRUE(LoadSample("v2010.aqv"));
  EXPECT_TRUE(d.SavedSeriesMarkers.empty() && d.SavedSeriesPatterns.empty());
}

TEST_F(TAQVDataLoadTest, Year2012SampleBringsTextBoxesAlsoWithoutAChart) {
  ASSERT_TRUE(LoadSample("v2012.aqv"));
  const TAQVData& d = *mData;
  EXPECT_EQ(d.InfoTexts[8], "Drawdowns");
  EXPECT_DOUBLE_EQ(d.Kh[1], 100);
  EXPECT_EQ(std::tuple(d.PumpingWells[1].StartTime[1], d.ObservationWells[1].Observed[2],
                       d.TimeSteps(), d.BackgroundTransparency),
            std::tuple(0, 0.08, 20, 35));
  ASSERT_EQ(d.TextBoxes.size(), 2u);
  const TAQVTextBoxRecord& box = *d.TextBoxes[0];
  EXPECT_EQ(std::tuple(box.Text, box.Font.Name, box.X),
            std::tuple("First line\r\nSecond line", "Times New Roman", 12.5));
  EXPECT_EQ(std::tuple(d.TextBoxes[1]->AnchorMode, d.TextBoxes[1]->Color), std::tuple(2, clYellow));
  EXPECT_EQ(d.SelectedTextBox, nullptr);
  EXPECT_EQ(d.MapOptions.LegendPlacement, TPlacement::plNone);
  EXPECT_TRUE(d.MapOptions.DrawingOptions.Contains(TBoundaryGridDrawingOptions::dbgGrid));
  // Without a chart the time-graph settings still reach the document, and the series formats
  // wait in the saved lists.
  EXPECT_EQ(std::tuple(d.AutoUpdate, d.SavedSeriesMarkers.size(), mLoadedEvents),
            std::tuple(true, 2u, 1));
}

TEST_F(TAQVDataLoadTest, UnitLinesSetTheUnitsAndTheFileValuesStandAsWritten) {
  std::string text = Sample("v2010.aqv");
  text = Replaced(text, "Length    : m", "Length    : ft");
  text = Replaced(text, "Time      : min", "Time      : hours");
  ASSERT_TRUE(LoadBytes(text));
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luFeet);
  EXPECT_EQ(mData->TimeUnit(), TAQVTimeUnit::tuDays);  // no day, min or sec: the default
  // Not converted from metres.
  EXPECT_EQ(std::tuple(mData->T[1], mData->ObservationWells[1].Y, mData->SurfaceLevel(),
                       mData->ContourInterval()),
            std::tuple(2000, -100000, 12.5, 0.05));
}

TEST_F(TAQVDataLoadTest, OlderYearFormsKeepTheDefaultsOfWhatTheyLack) {
  ASSERT_TRUE(LoadSample("v2009.aqv"));
  EXPECT_EQ(std::tuple(mData->TimeUnit(), mData->LinearResiduals(), mData->BackgroundTransparency),
            std::tuple(TAQVTimeUnit::tuSeconds, false, 50));
  EXPECT_EQ(mData->MapOptions, TAQVMapOptions());
  EXPECT_EQ(mData->DrawLayer(), 1);  // the file's 3 lowered to the aquifer count
  EXPECT_FALSE(mData->AutoUpdate);

  Fresh();
  ASSERT_TRUE(LoadSample("v2008.aqv"));  // CR line ends, no optimisation block
  EXPECT_EQ(std::tuple(mData->RelStoppingCriterion, mData->LinearResiduals(), mData->TimeUnit(),
                       mData->ObservationWellCount()),
            std::tuple(1E-4, true, TAQVTimeUnit::tuDays, 2));

  Fresh();
  ASSERT_TRUE(LoadSample("v2007.aqv"));  // no information title, two more well numbers
  EXPECT_EQ(std::tuple(mData->InfoTexts[1], mData->PumpingWells[1].Rc, mData->PumpingWells[1].Name,
                       mData->SavedContourInterval),
            std::tuple("Polder test", 0.15, "Well P1", 0.05));
  // The default styling gives the curves their colours, and no empty curve layer range.
  EXPECT_NE(mData->ObservationWells[1].CurveColor[1], clWhite);
  EXPECT_EQ(std::tuple(mData->UpperLayer(), mData->LowerLayer()), std::tuple(1, 1));
}

TEST_F(TAQVDataLoadTest, OldestFormBecomesWellsWithMarkedParameters) {
  ASSERT_TRUE(LoadSample("oldest.dat"));
  const TAQVData& d = *mData;
  ASSERT_EQ(d.AquiferCount(), 2);
  EXPECT_EQ(std::tuple(d.T[1], d.TCode[1], d.S[2], d.SCode[2]), std::tuple(1000, 'a', 0.0002, 'b'));
  EXPECT_EQ(std::tuple(d.Resistance[2], d.ResistanceCode[2], d.SAquitardCode[2]),
            std::tuple(800, 'c', 'd'));
  EXPECT_DOUBLE_EQ(d.Kv[2], 1.0 / 800);  // thicknesses are 1
  EXPECT_EQ(std::tuple(d.D[2], d.Kh[1]), std::tuple(1, 1000));
  EXPECT_TRUE(d.TopAquitardImpervious() && d.BottomAquitardImpervious());
  const TPumpingWell& well = d.PumpingWells[1];
  EXPECT_EQ(std::tuple(well.Rw, well.RwCode, well.Skin, well.Discharge[1], well.StartTime[2]),
            std::tuple(0.15, 'u', 499.5, -1500, 1E8));
  EXPECT_TRUE(well.Screened[1] && well.Screened[2]);
  EXPECT_EQ(d.InfoTexts[10], "t12");
  ASSERT_EQ(d.ObservationWellCount(), 3);
  EXPECT_EQ(d.ObservationWells[1].Name, "observation well  1");
  EXPECT_DOUBLE_EQ(d.ObservationWells[1].Time[1], 10.0 / 1440);
  EXPECT_EQ(std::tuple(d.FitCount(), d.TimeUnit()), std::tuple(5, TAQVTimeUnit::tuDays));
  // No empty curve layer range: the second well observes aquifer 2.
  EXPECT_EQ(std::tuple(d.UpperLayer(), d.LowerLayer()), std::tuple(1, 2));
}

// Whatever the document's wells held before, an oldest-form file gives every well its place on
// the line through the pumping well and the radii and skin of a new observation well.
TEST_F(TAQVDataLoadTest, OldestFormWellsTakeTheDefaultPlaceRadiiAndSkin) {
  for (int j = 1; j <= 3; ++j) {
    TObservationWell& well = mData->ObservationWells[j];
    std::tie(well.Y, well.Rc, well.Rw, well.Skin) = std::tuple(7, 0.5, 0.5, 3);
  }
  ASSERT_TRUE(LoadSample("oldest.dat"));
  for (int j = 1; j <= 3; ++j) {
    const TObservationWell& well = mData->ObservationWells[j];
    EXPECT_EQ(std::tuple(well.Y, well.Rc, well.Rw, well.Skin), std::tuple(0, 0.02, 0.02, 0)) << j;
  }
  EXPECT_FALSE(mData->ObservationWells[3].OwnCurve) << "well 1 stands at the same place";
}

TEST_F(TAQVDataLoadTest, SelectionAndResultsStartAfreshAfterALoad) {
  ASSERT_TRUE(mData->InsertObservationWells(2, 1));
  mData->SetCurrentObservationWell(2);
  mData->ResultsExist = mData->Rejected = true;
  ASSERT_TRUE(LoadSample("v2010.aqv"));
  EXPECT_EQ(std::pair(mData->CurrentObservationWell(), mData->CurrentPumpingWell()),
            std::pair(1, 1));
  EXPECT_FALSE(mData->ResultsExist || mData->Rejected);
  EXPECT_EQ(mData->TopAquitardBackup.Resistance, 500);
}

TEST_F(TAQVDataLoadTest, RefusedFileLeavesTheDocumentAsItWas) {
  // The sample's text, what replaces it, the message ("" for "Could not open " + path + "!") and
  // whether it beeps.
  const std::vector<std::tuple<std::string, std::string, std::string, bool>> cases = {
      {"No of (sub)aquifers : 1", "No of (sub)aquifers : 3", "Too many layers!", true},
      {"No. of wells : 1", "No. of wells : 3", "Too many pumping wells!", true},
      {"No. of observation wells : 2", "No. of observation wells : 6",
       "Too many observation wells!", true},
      {"   1.0000000E-04   0 Clay", "   1.0000000E-0x   0 Clay", "", false},
      {"5.0000000E-02\r\n=== Import", "nan\r\n=== Import", "", false},
      // Not finite on a label line: refused as in a row, not loaded as the default.
      {"Rel.:  1.0000000E-05", "Rel.:  nan", "", false},
      {"Top level :      12.50000", "Top level :      inf", "", false},
      {"No. of files : 2", "No. of files : -1", "Invalid count", true},
      // Not read as no images, which the next save would write.
      {"No. of files : 2", "No. of files : x", "", false},
  };
  const std::string sample = Sample("v2010.aqv");
  for (const auto& [from, to, message, beep] : cases) {
    SCOPED_TRACE(to);
    Fresh();
    const TAQVDataFileContent before = mData->DataFileContent();
    EXPECT_FALSE(LoadBytes(Replaced(sample, from, to)));
    ASSERT_EQ(mUi.Messages.size(), 1u);
    const std::string expected =
        message.empty() ? "Could not open " + mData->FileName + "!" : message;
    EXPECT_EQ(mUi.Messages[0].Text.substr(0, expected.size()), expected);
    EXPECT_EQ(std::tuple(mUi.Messages[0].Type, mUi.Beeps, mData->Saved, mChanges),
              std::tuple(TMsgDlgType::mtError, beep ? 1 : 0, false, 0));
    EXPECT_TRUE(mData->DataFileContent() == before);
  }
}

TEST_F(TAQVDataLoadTest, MissingOrTruncatedFileCannotBeOpened) {
  mData->FileName = mFolder.Path("none.aqv");
  EXPECT_FALSE(mData->LoadFromFile());
  EXPECT_EQ(mUi.OnlyMessage(), "Could not open " + mFolder.Path("none.aqv") + "!");

  Fresh();
  const std::string sample = Sample("v2010.aqv");
  EXPECT_FALSE(LoadBytes(sample.substr(0, sample.find("=== Observation wells"))));
  EXPECT_EQ(mUi.OnlyMessage(), "Could not open " + mData->FileName +
                                   "!\nLine 42: the file ends inside the observation well count.");
  EXPECT_EQ(mData->ObservationWells[1].Name, "Observation well 1");
  // A file far larger than any document is refused from its size, with its own message.
  Fresh();
  mData->FileName = mFolder.Path("huge.aqv");
  mFolder.Write("huge.aqv", sample);
  std::filesystem::resize_file(mData->FileName, std::uintmax_t{100} << 20);
  EXPECT_FALSE(mData->LoadFromFile());
  EXPECT_EQ(mUi.OnlyMessage(), "The file " + mData->FileName + " is too large to be a data file.");
}

TEST_F(TAQVDataLoadTest, TooManyParameterGroupsWarnAfterABeepAndTheLoadGoesOn) {
  std::string text = Sample("v2010.aqv");
  // Aquifer system marks 1, 2, 3, 7 and 8; the well adds 4 and 5, seven in all.
  text = Replaced(text, "1000.0000000   0   0.0000000E+00   0 Base",
                  "1000.0000000   7   1.0000000E-04   8 Base");
  text = Replaced(text, "1.5000000E-01   0", "1.5000000E-01   5");
  EXPECT_TRUE(LoadBytes(text));
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(mUi.Messages[0].Text,
            "Too many parameters for pumping wells. Only 6 parameter(group)s will be optimized");
  EXPECT_EQ(std::tuple(mUi.Messages[0].Type, mUi.Beeps, mData->PumpingWells[1].RcCode),
            std::tuple(TMsgDlgType::mtWarning, 1, '5'));
}

// An image on a drive not mounted today stays on the document's list in its place (the window
// that tries to show it names it), so the next save writes the file's list as it was; before,
// it was dropped without a word and lost at the next save.
TEST_F(TAQVDataLoadTest, ImagesThatCannotBeLoadedStayOnTheListAndASaveKeepsThemInTheirPlaces) {
  const std::string reserved =
      "       0.000        0.000        0.000        0.000        0.000        0.000 ";
  const std::string images = "No. of files : 3\r\n" + reserved + "1 " + mFolder.Path("gone.png") +
                             "\r\n" + reserved + "1 " + mFolder.Path("b.png") + "\r\n" + reserved +
                             "0 " + mFolder.Path("a.png") + "\r\n";
  std::string text = Sample("v2010.aqv");
  const std::size_t from = text.find("No. of files : 2");
  const std::size_t to = text.find("=== Contour plot options");
  text.replace(from, to - from, images);
  ASSERT_TRUE(LoadBytes(text));
  EXPECT_EQ(mData->BackgroundFiles, (TBackgroundFiles{{true, mFolder.Path("gone.png")},
                                                      {true, mFolder.Path("b.png")},
                                                      {false, mFolder.Path("a.png")}}));
  EXPECT_TRUE(mUi.Messages.empty());
  // The document window finds two of them missing: they too stay in their places.
  mData->BackgroundFiles[0].Unloaded = mData->BackgroundFiles[1].Unloaded = true;
  mUi.Answers = {TModalResult::mrYes};
  mData->SaveToFile(false);
  const std::string saved = mFolder.Read("test.aqv");
  EXPECT_NE(saved.find(images), std::string::npos) << saved;
  // Read again into the same document, the list is the file's, not the file's twice over.
  ASSERT_TRUE(mData->LoadFromFile());
  EXPECT_EQ(mData->BackgroundFiles.size(), 3u);
  mData->ResetToDefaults();
  EXPECT_TRUE(mData->BackgroundFiles.empty());
}

}  // namespace
}  // namespace aqv

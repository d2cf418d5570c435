#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "chart/ChartModel.h"
#include "model/AQVData.h"
#include "model/file/AQVFileIO.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

std::string Sample(const std::string& name) {
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(std::string(AQV_TEST_DATA_DIR) + "/" + name, bytes), TFileIOStatus::fiOK)
      << name;
  return bytes;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class TAQVDataLoadTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    mData->OnFileLoaded = [this](TObject*) { ++mLoadedEvents; };
  }
  // A new document on a cleared interface, for the next case of a table.
  void Fresh() {
    mUi.Messages.clear();
    mUi.Beeps = 0;
    mChanges = 0;
    mLoadedEvents = 0;
    SetUp();
  }
  // Loads bytes written into the temporary folder under name.
  bool LoadBytes(const std::string& bytes, const std::string& name = "test.aqv") {
    mFolder.Write(name, bytes);
    mData->FileName = mFolder.Path(name);
    return mData->LoadFromFile();
  }
  // A sample loads without a message or a beep but the one naming its images, which lie in a
  // folder no test machine has.
  bool LoadSample(const std::string& name) {
    mData->FileName = std::string(AQV_TEST_DATA_DIR) + "/" + name;
    const std::size_t shown = mUi.Messages.size();
    const int beeps = mUi.Beeps;
    const bool loaded = mData->LoadFromFile();
    for (std::size_t i = shown; i < mUi.Messages.size(); ++i)
      EXPECT_TRUE(mUi.Messages[i].Text.starts_with("These background images could not be loaded."))
          << name << ": " << mUi.Messages[i].Text;
    EXPECT_EQ(mUi.Beeps, beeps) << name;
    return loaded;
  }

  test::TTempFolder mFolder;
  int mLoadedEvents = 0;
};

TEST_F(TAQVDataLoadTest, Year2010SampleLoadsItsModelAndSettings) {
  ASSERT_TRUE(LoadSample("v2010.aqv"));
  const TAQVData& d = *mData;
  EXPECT_EQ(d.InfoTexts[1], "Polder test");
  EXPECT_EQ(d.InfoTexts[5], " ");
  EXPECT_EQ(d.InfoTexts[14], "Last remark");
  EXPECT_EQ(d.RelStoppingCriterion, 1E-5);
  EXPECT_EQ(d.AbsStoppingCriterion, 2E-4);
  EXPECT_FALSE(d.LinearResiduals());
  EXPECT_EQ(d.LengthUnit(), TAQVLengthUnit::luMeters);
  EXPECT_EQ(d.TimeUnit(), TAQVTimeUnit::tuMinutes);
  EXPECT_EQ(d.SurfaceLevel(), 12.5);

  // Aquifer system, with the conductivities derived from thickness and T or c.
  ASSERT_EQ(d.AquiferCount(), 1);
  EXPECT_FALSE(d.TopAquitardImpervious());
  EXPECT_TRUE(d.BottomAquitardImpervious());
  EXPECT_EQ(d.DAquitard[1], 5);
  EXPECT_EQ(d.Resistance[1], 500);
  EXPECT_EQ(d.ResistanceCode[1], '1');
  EXPECT_EQ(d.SAquitard[1], 1E-4);
  EXPECT_EQ(d.SAquitardCode[1], kNoMark);
  EXPECT_DOUBLE_EQ(d.Kv[1], 0.01);  // 5 m / 500 d
  EXPECT_EQ(d.AquitardName[1], "Clay top");
  EXPECT_EQ(d.D[1], 20);
  EXPECT_EQ(d.T[1], 2000);
  EXPECT_EQ(d.TCode[1], '2');
  EXPECT_EQ(d.SCode[1], '3');
  EXPECT_DOUBLE_EQ(d.Kh[1], 100);  // 2000 m2/d / 20 m
  EXPECT_EQ(d.AquiferName[1], "Sand aquifer");
  EXPECT_EQ(d.AquitardName[2], "Base");

  // The excluded well and its excluded first period, written as -1.0000000E-31.
  ASSERT_EQ(d.PumpingWellCount(), 1);
  const TPumpingWell& well = d.PumpingWells[1];
  EXPECT_EQ(well.Name, "Well P1");
  EXPECT_FALSE(well.Included[0]);
  ASSERT_EQ(well.PeriodCount(), 2);
  EXPECT_EQ(well.StartTime[1], 0);
  EXPECT_FALSE(well.Included[1]);
  EXPECT_EQ(well.Discharge[1], 1200);
  EXPECT_EQ(well.StartTime[2], 0.5);
  EXPECT_TRUE(well.Included[2]);
  EXPECT_EQ(well.Rc, 0.15);
  EXPECT_EQ(well.RwCode, '4');
  EXPECT_TRUE(well.Screened[1]);

  ASSERT_EQ(d.ObservationWellCount(), 2);
  const TObservationWell& a = d.ObservationWells[1];
  EXPECT_EQ(a.Name, "Piezometer A");
  EXPECT_EQ(a.Y, -100000);
  ASSERT_EQ(a.ObservationCount(), 3);
  EXPECT_EQ(a.Time[2], 0.02);
  EXPECT_FALSE(a.Included[2]);
  EXPECT_EQ(a.Observed[3], 0.1);
  EXPECT_FALSE(d.ObservationWells[2].Included[0]);
  EXPECT_EQ(d.ObservationWells[2].Rc, 0.03);
  EXPECT_EQ(d.FitCount(), 2);  // the included observations of the included well

  // Map window and animation as stored; a saved interval above 1E-8 switches automatic off.
  EXPECT_EQ(d.WorldX1(), -500);
  EXPECT_EQ(d.WorldY2(), 250);
  EXPECT_FALSE(d.MapWindowChanged);
  EXPECT_EQ(d.AnimationStartTime(), 0.1);
  EXPECT_EQ(d.TimeSteps(), 20);
  EXPECT_EQ(d.AnimationEndTime(), 5);
  EXPECT_EQ(d.DrawLayer(), 1);
  EXPECT_EQ(d.SavedContourInterval, 0.05);
  EXPECT_EQ(d.ContourInterval(), 0.05);
  EXPECT_FALSE(d.AutoContourInterval);
  EXPECT_EQ(d.BackgroundTransparency, 35);
  EXPECT_TRUE(d.ShowBackgroundImages);
  EXPECT_TRUE(d.BackgroundFiles.empty());  // neither listed image exists
  EXPECT_EQ(d.MapOptions.DrawingOptions,
            TBoundaryGridDrawing{TBoundaryGridDrawingOptions::dbgGrid});
  EXPECT_EQ(d.MapOptions.LegendPlacement, TPlacement::plLeft);

  EXPECT_TRUE(d.Saved);
  EXPECT_TRUE(d.GridsValid);
  EXPECT_FALSE(d.ResultsExist);
  EXPECT_FALSE(d.CurvesValid);
  EXPECT_EQ(d.UpperLayer(), 1);
  EXPECT_EQ(d.LowerLayer(), 1);
  EXPECT_GE(mChanges, 1);
  EXPECT_EQ(mLoadedEvents, 0);  // only the forms with a time graph announce a load
  // The sample's images are on a drive no test machine has.
  EXPECT_EQ(mUi.OnlyMessage(),
            "These background images could not be loaded. They are not shown, and a save keeps "
            "them in the file:\n/maps/polder map.png: the image file does not exist\n"
            "/maps/other.tif: the image file does not exist");
}

TEST_F(TAQVDataLoadTest, Year2011SampleFormatsTheAttachedChart) {
  TChartModel chart;
  mData->ChartReference = &chart;
  ASSERT_TRUE(LoadSample("v2011.aqv"));
  const TAQVData& d = *mData;
  EXPECT_TRUE(d.AutoUpdate);
  EXPECT_FALSE(d.WellFluxMode());
  EXPECT_EQ(d.StartingTime(), 1E-4);
  EXPECT_EQ(d.StoppingTime(), 100);
  EXPECT_EQ(d.ValueAxis(), 1);

  EXPECT_EQ(chart.ChartArea.Patterns().Area().Color(), clCream);
  EXPECT_FALSE(chart.ChartTitle.Automatic());
  EXPECT_EQ(chart.ChartTitle.Text(), "  Drawdown at P1");
  EXPECT_EQ(chart.ChartTitle.Font().Color(), clMaroon);
  EXPECT_EQ(chart.Legend.Placement(), TPlacement::plRight);
  EXPECT_TRUE(chart.Axes.Contains(TAxisType::saX));
  EXPECT_FALSE(chart.Axes.Contains(TAxisType::saY));
  EXPECT_EQ(chart.X_Axis.Alignment().Orientation(), 90);
  const TScaleData& scale = chart.X_Axis.Scale().Data();
  EXPECT_FALSE(scale.MinAutomatic);
  EXPECT_TRUE(scale.MaxAutomatic);
  EXPECT_EQ(scale.Min, 0.001);
  EXPECT_EQ(scale.Max, 1000);
  EXPECT_EQ(chart.X_Axis.Title().Font().Name(), "Times New Roman");
  EXPECT_EQ(chart.X_Axis.Title().Text(), "Time (d)");
  EXPECT_EQ(chart.Y_Axis.Title().Text(), "");

  ASSERT_EQ(d.SavedSeriesMarkers.size(), 2u);
  ASSERT_EQ(d.SavedSeriesPatterns.size(), 2u);
  EXPECT_EQ(d.SavedSeriesMarkers[0]->Data(), (TMarkerData{clRed, 8, TMarkerStyle::msTriangle}));
  EXPECT_EQ(d.SavedSeriesPatterns[1]->Border().Style(), TPenStyle::psDot);

  // Curve layers and colours come from the file, not from the default styling.
  EXPECT_TRUE(d.PumpingWells[1].LayerSet.Contains(1));
  EXPECT_EQ(d.PumpingWells[1].CurveColor[1], clBlue);
  EXPECT_EQ(d.PumpingWells[1].CurveColor[2], clGreen);
  EXPECT_EQ(d.ObservationWells[1].CurveColor[1], RGBColor(255, 128, 0));
  EXPECT_TRUE(d.ObservationWells[2].LayerSet.Empty());
  EXPECT_EQ(d.ObservationWells[2].CurveColor[2], clNone);

  EXPECT_EQ(d.MapOptions.DrawingOptions,
            TBoundaryGridDrawing{TBoundaryGridDrawingOptions::dbgBoundary});
  EXPECT_EQ(d.MapOptions.LegendPlacement, TPlacement::plTop);
  EXPECT_TRUE(d.CurvesStale && d.UnitsChanged && d.Modified() && d.Saved);
  EXPECT_EQ(mLoadedEvents, 1);
}

TEST_F(TAQVDataLoadTest, Year2012SampleBringsTextBoxesAlsoWithoutAChart) {
  ASSERT_TRUE(LoadSample("v2012.aqv"));
  const TAQVData& d = *mData;
  EXPECT_EQ(d.InfoTexts[8], "Drawdowns");
  EXPECT_DOUBLE_EQ(d.Kh[1], 100);
  EXPECT_EQ(d.PumpingWells[1].StartTime[1], 0);
  EXPECT_EQ(d.ObservationWells[1].Observed[2], 0.08);
  EXPECT_EQ(d.TimeSteps(), 20);
  EXPECT_EQ(d.BackgroundTransparency, 35);
  ASSERT_EQ(d.TextBoxes.size(), 2u);
  EXPECT_EQ(d.TextBoxes[0]->Text, "First line\r\nSecond line");
  EXPECT_EQ(d.TextBoxes[0]->Font.Name, "Times New Roman");
  EXPECT_EQ(d.TextBoxes[0]->X, 12.5);
  EXPECT_EQ(d.TextBoxes[1]->AnchorMode, 2);
  EXPECT_EQ(d.TextBoxes[1]->Color, clYellow);
  EXPECT_EQ(d.SelectedTextBox, nullptr);
  EXPECT_EQ(d.MapOptions.LegendPlacement, TPlacement::plNone);
  EXPECT_TRUE(d.MapOptions.DrawingOptions.Contains(TBoundaryGridDrawingOptions::dbgGrid));
  // Without a chart the time-graph settings still reach the document, and the series formats
  // wait in the saved lists.
  EXPECT_TRUE(d.AutoUpdate);
  EXPECT_EQ(d.SavedSeriesMarkers.size(), 2u);
  EXPECT_EQ(mLoadedEvents, 1);
}

TEST_F(TAQVDataLoadTest, UnitLinesSetTheUnitsAndTheFileValuesStandAsWritten) {
  std::string text = Sample("v2010.aqv");
  text = Replaced(text, "Length    : m", "Length    : ft");
  text = Replaced(text, "Time      : min", "Time      : hours");
  ASSERT_TRUE(LoadBytes(text));
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luFeet);
  EXPECT_EQ(mData->TimeUnit(), TAQVTimeUnit::tuDays);  // no day, min or sec: the default
  EXPECT_EQ(mData->T[1], 2000);                        // not converted from metres
  EXPECT_EQ(mData->ObservationWells[1].Y, -100000);
  EXPECT_EQ(mData->SurfaceLevel(), 12.5);
  EXPECT_EQ(mData->ContourInterval(), 0.05);
}

TEST_F(TAQVDataLoadTest, OlderYearFormsKeepTheDefaultsOfWhatTheyLack) {
  ASSERT_TRUE(LoadSample("v2009.aqv"));
  EXPECT_EQ(mData->TimeUnit(), TAQVTimeUnit::tuSeconds);
  EXPECT_FALSE(mData->LinearResiduals());
  EXPECT_EQ(mData->BackgroundTransparency, 50);
  EXPECT_EQ(mData->MapOptions, TAQVMapOptions());
  EXPECT_EQ(mData->DrawLayer(), 1);  // the file's 3 lowered to the aquifer count
  EXPECT_FALSE(mData->AutoUpdate);

  Fresh();
  ASSERT_TRUE(LoadSample("v2008.aqv"));  // CR line ends, no optimisation block
  EXPECT_EQ(mData->RelStoppingCriterion, 1E-4);
  EXPECT_TRUE(mData->LinearResiduals());
  EXPECT_EQ(mData->TimeUnit(), TAQVTimeUnit::tuDays);
  EXPECT_EQ(mData->ObservationWellCount(), 2);

  Fresh();
  ASSERT_TRUE(LoadSample("v2007.aqv"));  // no information title, two more well numbers
  EXPECT_EQ(mData->InfoTexts[1], "Polder test");
  EXPECT_EQ(mData->PumpingWells[1].Rc, 0.15);
  EXPECT_EQ(mData->PumpingWells[1].Name, "Well P1");
  EXPECT_EQ(mData->SavedContourInterval, 0.05);
  // The default styling gives the curves their colours.
  EXPECT_NE(mData->ObservationWells[1].CurveColor[1], clWhite);
}

TEST_F(TAQVDataLoadTest, OldestFormBecomesWellsWithMarkedParameters) {
  ASSERT_TRUE(LoadSample("oldest.dat"));
  const TAQVData& d = *mData;
  ASSERT_EQ(d.AquiferCount(), 2);
  EXPECT_EQ(d.T[1], 1000);
  EXPECT_EQ(d.TCode[1], 'a');
  EXPECT_EQ(d.S[2], 0.0002);
  EXPECT_EQ(d.SCode[2], 'b');
  EXPECT_EQ(d.Resistance[2], 800);
  EXPECT_EQ(d.ResistanceCode[2], 'c');
  EXPECT_EQ(d.SAquitardCode[2], 'd');
  EXPECT_DOUBLE_EQ(d.Kv[2], 1.0 / 800);  // thicknesses are 1
  EXPECT_EQ(d.D[2], 1);
  EXPECT_EQ(d.Kh[1], 1000);
  EXPECT_TRUE(d.TopAquitardImpervious());
  EXPECT_TRUE(d.BottomAquitardImpervious());
  EXPECT_EQ(d.PumpingWells[1].Rw, 0.15);
  EXPECT_EQ(d.PumpingWells[1].RwCode, 'u');
  EXPECT_EQ(d.PumpingWells[1].Skin, 499.5);
  EXPECT_TRUE(d.PumpingWells[1].Screened[1] && d.PumpingWells[1].Screened[2]);
  EXPECT_EQ(d.PumpingWells[1].Discharge[1], -1500);
  EXPECT_EQ(d.PumpingWells[1].StartTime[2], 1E8);
  EXPECT_EQ(d.InfoTexts[10], "t12");
  ASSERT_EQ(d.ObservationWellCount(), 3);
  EXPECT_EQ(d.ObservationWells[1].Name, "observation well  1");
  EXPECT_DOUBLE_EQ(d.ObservationWells[1].Time[1], 10.0 / 1440);
  EXPECT_EQ(d.FitCount(), 5);
  EXPECT_EQ(d.TimeUnit(), TAQVTimeUnit::tuDays);
  EXPECT_EQ(d.LowerLayer(), 2);  // the second well observes aquifer 2
}

// Whatever the document's wells held before, an oldest-form file gives every well its place on
// the line through the pumping well and the radii and skin of a new observation well.
TEST_F(TAQVDataLoadTest, OldestFormWellsTakeTheDefaultPlaceRadiiAndSkin) {
  for (int j = 1; j <= 3; ++j) {
    TObservationWell& well = mData->ObservationWells[j];
    well.Y = 7;
    well.Rc = well.Rw = 0.5;
    well.Skin = 3;
  }
  ASSERT_TRUE(LoadSample("oldest.dat"));
  for (int j = 1; j <= 3; ++j) {
    const TObservationWell& well = mData->ObservationWells[j];
    EXPECT_EQ(well.Y, 0) << j;
    EXPECT_EQ(well.Rc, 0.02) << j;
    EXPECT_EQ(well.Rw, 0.02) << j;
    EXPECT_EQ(well.Skin, 0) << j;
  }
  EXPECT_FALSE(mData->ObservationWells[3].OwnCurve) << "well 1 stands at the same place";
}

TEST_F(TAQVDataLoadTest, OlderFormsDoNotLeaveAnEmptyCurveLayerRange) {
  for (const char* name : {"oldest.dat", "v2007.aqv", "v2010.aqv"}) {
    Fresh();
    ASSERT_TRUE(LoadSample(name));
    EXPECT_LE(mData->UpperLayer(), mData->LowerLayer()) << name;
    EXPECT_EQ(mData->UpperLayer(), 1) << name;
  }
}

TEST_F(TAQVDataLoadTest, SelectionAndResultsStartAfreshAfterALoad) {
  ASSERT_TRUE(mData->InsertObservationWells(2, 1));
  mData->SetCurrentObservationWell(2);
  mData->ResultsExist = true;
  mData->Rejected = true;
  ASSERT_TRUE(LoadSample("v2010.aqv"));
  EXPECT_EQ(mData->CurrentObservationWell(), 1);
  EXPECT_EQ(mData->CurrentPumpingWell(), 1);
  EXPECT_FALSE(mData->ResultsExist);
  EXPECT_FALSE(mData->Rejected);
  EXPECT_EQ(mData->TopAquitardBackup.Resistance, 500);
}

struct TRefusalCase {
  std::string From, To;  // the sample's text and what replaces it
  std::string Message;   // "" for "Could not open " + path + "!"
  bool Beep;
};

TEST_F(TAQVDataLoadTest, RefusedFileLeavesTheDocumentAsItWas) {
  const std::vector<TRefusalCase> cases = {
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
  };
  const std::string sample = Sample("v2010.aqv");
  for (const TRefusalCase& c : cases) {
    Fresh();
    const TAQVDataFileContent before = mData->DataFileContent();
    EXPECT_FALSE(LoadBytes(Replaced(sample, c.From, c.To))) << c.To;
    ASSERT_EQ(mUi.Messages.size(), 1u) << c.To;
    const std::string expected =
        c.Message.empty() ? "Could not open " + mData->FileName + "!" : c.Message;
    EXPECT_EQ(mUi.Messages[0].Text.substr(0, expected.size()), expected) << c.To;
    EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(mUi.Beeps, c.Beep ? 1 : 0) << c.To;
    EXPECT_TRUE(mData->DataFileContent() == before) << c.To;
    EXPECT_FALSE(mData->Saved);
    EXPECT_EQ(mChanges, 0) << c.To;
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
  ASSERT_EQ(mUi.Messages.size(), 2u);  // then the sample's images, which are not there
  EXPECT_EQ(mUi.Messages[0].Text,
            "Too many parameters for pumping wells. Only 6 parameter(group)s will be optimized");
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtWarning);
  EXPECT_EQ(mUi.Beeps, 1);
  EXPECT_EQ(mData->PumpingWells[1].RcCode, '5');
}

// An image on a drive not mounted today is named and not shown, and the next save writes the
// file's list as it was; before, it was dropped without a word and lost at the next save.
TEST_F(TAQVDataLoadTest, ImagesThatCannotBeLoadedAreNamedAndASaveKeepsThemInTheirPlaces) {
  mFolder.Write("a.png", "png");
  mFolder.Write("a.pgw", "1\n0\n0\n-1\n0\n0\n");
  mFolder.Write("b.png", "png");  // no world file
  mFolder.Write("c.tif", "tif");
  mFolder.Write("c.tfw", "1\n0\n0\n-1\n0\n0\n");
  const std::string reserved =
      "       0.000        0.000        0.000        0.000        0.000        0.000 ";
  const std::string images = "No. of files : 4\r\n" + reserved + "1 " + mFolder.Path("gone.png") +
                             "\r\n" + reserved + "1 " + mFolder.Path("b.png") + "\r\n" + reserved +
                             "0 " + mFolder.Path("a.png") + "\r\n" + reserved + "1 " +
                             mFolder.Path("c.tif") + "\r\n";
  std::string text = Sample("v2010.aqv");
  const std::size_t from = text.find("No. of files : 2");
  const std::size_t to = text.find("=== Contour plot options");
  text.replace(from, to - from, images);
  ASSERT_TRUE(LoadBytes(text));
  EXPECT_EQ(mData->BackgroundFiles,
            (TBackgroundFiles{{false, mFolder.Path("a.png")}, {true, mFolder.Path("c.tif")}}));
  EXPECT_EQ(mUi.OnlyMessage(),
            "These background images could not be loaded. They are not shown, and a save keeps "
            "them in the file:\n" +
                mFolder.Path("gone.png") + ": the image file does not exist\n" +
                mFolder.Path("b.png") + ": its world file " + mFolder.Path("b.pgw") +
                " does not exist");
  // The document window finds c.tif damaged: it too stays in its place.
  mData->SetBackgroundFileUnloaded(1);
  mUi.Answers = {TModalResult::mrYes};
  mData->SaveToFile(false);
  const std::string saved = mFolder.Read("test.aqv");
  EXPECT_NE(saved.find(images), std::string::npos) << saved;
  // Read again into the same document, the list is the file's, not the file's twice over.
  ASSERT_TRUE(mData->LoadFromFile());
  EXPECT_EQ(mData->AllBackgroundFiles().size(), 4u);
  mData->ResetToDefaults();
  EXPECT_TRUE(mData->AllBackgroundFiles().empty());
}

TEST_F(TAQVDataLoadTest, SavedSeriesFormatsAreEmptiedByEveryRead) {
  ASSERT_TRUE(LoadSample("v2011.aqv"));
  ASSERT_EQ(mData->SavedSeriesMarkers.size(), 2u);
  ASSERT_TRUE(LoadSample("v2010.aqv"));
  EXPECT_TRUE(mData->SavedSeriesMarkers.empty());
  EXPECT_TRUE(mData->SavedSeriesPatterns.empty());
}

}  // namespace
}  // namespace aqv

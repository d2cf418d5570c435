#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "app/FEMGrid.h"
#include "model/file/AQVFileText.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A document of two aquifers with one pumping well at the centre, screened in both, whose last
// period pumps 1000 m3/d, and five observation wells of which the first two coincide.
class TFEMGridTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    mData->SetAquiferCount(2);
    ASSERT_EQ(mData->AquiferCount(), 2);
    mData->T[1] = 250;
    mData->T[2] = 1500.5;
    mData->Resistance[1] = 100;
    mData->Resistance[2] = 2000;
    mData->SetPumpingWellCount(1);
    TPumpingWell& well = mData->PumpingWells[1];
    well.X = well.Y = 0;
    well.Rw = 0.1;
    well.Screened[1] = well.Screened[2] = true;
    well.SetPeriodCount(2);
    well.Discharge[2] = 1000;
    well.Name = "PW1";
    mData->SetObservationWellCount(5);
    const double xy[5][2] = {{60, 0}, {60, 0}, {0, -250}, {-700, 400}, {1700, 0}};
    for (int k = 1; k <= 5; ++k) {
      mData->ObservationWells[k].X = xy[k - 1][0];
      mData->ObservationWells[k].Y = xy[k - 1][1];
      mData->ObservationWells[k].Name = "OW" + std::to_string(k);
    }
    for (int i = 1; i <= kInfoTextCount; ++i) mData->InfoTexts[i] = "info " + std::to_string(i);
    mData->InfoTexts[5] = "";
    mData->WellCentreX = mData->WellCentreY = 0;
    mData->ModelLength = 4000;
    mData->MeshDensity = 3;
    mGrid.SetData(mData.get());
    mGrid.SetRegenerateRequest(true);
    ASSERT_EQ(mGrid.Generate(), TMeshError::meNone);
  }
  TAQVGrid mGrid;
  test::TTempFolder mFolder;
};

TEST_F(TFEMGridTest, HeaderHasTitleInformationCountsExtentsAndCodes) {
  const std::vector<std::string> lines = Lines(FEMModelText(mGrid, *mData));
  ASSERT_GT(lines.size(), 19U);
  EXPECT_EQ(lines[0], "Kelva-ros  Finite  Element  Model    ");
  EXPECT_EQ(lines[0].size(), 37U);
  for (int i = 1; i <= kInfoTextCount; ++i)
    EXPECT_EQ(lines[static_cast<std::size_t>(i)], mData->InfoTexts[i]);
  EXPECT_EQ(lines[5], "");
  // Two screens of the one pumping well.
  EXPECT_EQ(lines[15], std::to_string(mGrid.NodeCount()) + " " +
                           std::to_string(mGrid.ElementCount()) + " 2 2");
  // Hexagon of radius 2000 around the origin: x from -2000 to 2000, y +-2000 sin 60.
  EXPECT_EQ(lines[16], "  2000.000  -2000.000");
  EXPECT_EQ(lines[17], "  1732.051  -1732.051");
  EXPECT_EQ(lines[18], "0001111111 0001111111");
  // Around a well centre off the origin the extents move with it, each way its own.
  mData->WellCentreX = 100;
  mData->WellCentreY = -50;
  mGrid.SetRegenerateRequest(true);
  ASSERT_EQ(mGrid.Generate(), TMeshError::meNone);
  const std::vector<std::string> moved = Lines(FEMModelText(mGrid, *mData));
  EXPECT_EQ(moved[16], "  2100.000  -1900.000");
  EXPECT_EQ(moved[17], "  1682.051  -1782.051");
}

TEST_F(TFEMGridTest, NodeLayerAndConnectionLinesFollowTheNewNumbering) {
  const std::vector<std::string> lines = Lines(FEMModelText(mGrid, *mData));
  const int nodes = mGrid.NodeCount();
  // 19 header lines, three per node, two screen lines, one pumping and four observation names.
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(19 + 3 * nodes + 2 + 1 + 3));
  int wellLines = 0;
  for (int k = 1; k <= nodes; ++k) {
    const int number = mGrid.Order(k);
    const std::string& node = lines[static_cast<std::size_t>(19 + 3 * (k - 1))];
    const std::string& layer = lines[static_cast<std::size_t>(20 + 3 * (k - 1))];
    const std::string& links = lines[static_cast<std::size_t>(21 + 3 * (k - 1))];
    const bool boundary = number <= mGrid.BoundaryNodeCount();
    EXPECT_EQ(node.substr(0, 2), boundary ? "1 " : "0 ") << k;
    EXPECT_TRUE(node.ends_with(boundary ? " 0.000 2 0.000 2 0.000" : " 0.000 0 0.000 0 0.000"))
        << node;
    EXPECT_EQ(layer, "       100.000        250.000       2000.000       1500.500 ");
    const std::string head =
        std::to_string(mGrid.Node(number).NeighbourCount + 1) + " " + std::to_string(k) + " ";
    EXPECT_EQ(links.substr(0, head.size()), head);
    const int well = number - mGrid.BoundaryNodeCount();
    if (well >= 1 && well <= 1 + mGrid.ObservationNodeCount()) {
      ++wellLines;
      EXPECT_TRUE(links.ends_with(" " + FormatIntRight(well, 2))) << links;
    } else {  // the last neighbour ends the line
      const TMeshNode& n = mGrid.Node(number);
      const int last = n.Neighbours[static_cast<std::size_t>(n.NeighbourCount - 1)];
      EXPECT_TRUE(links.ends_with(" " + std::to_string(mGrid.Rank(last)))) << links;
    }
  }
  EXPECT_EQ(wellLines, 1 + mGrid.ObservationNodeCount());
  const std::string rank = std::to_string(mGrid.Rank(mGrid.PumpingWellNode(1)));
  const std::size_t screens = static_cast<std::size_t>(19 + 3 * nodes);
  EXPECT_EQ(lines[screens], "1 " + rank + "      500.000");
  EXPECT_EQ(lines[screens + 1], "2 " + rank + "      500.000");
  // Observation well 2 stands on well 1 and well 5 lies outside the inner area.
  const std::vector<std::string> names(lines.begin() + static_cast<std::ptrdiff_t>(screens + 2),
                                       lines.end());
  EXPECT_EQ(names, (std::vector<std::string>{"PW1", "OW1", "OW3", "OW4"}));
}

TEST_F(TFEMGridTest, FirstPumpingWellConnectionLineEndsInTwoBlanksAndOne) {
  const std::vector<std::string> lines = Lines(FEMModelText(mGrid, *mData));
  const int k = mGrid.Rank(mGrid.PumpingWellNode(1));
  EXPECT_TRUE(lines[static_cast<std::size_t>(21 + 3 * (k - 1))].ends_with("  1"));
}

TEST_F(TFEMGridTest, MergedPumpingWellHasNoScreenAndNoNameLines) {
  mData->SetPumpingWellCount(2);
  TPumpingWell& second = mData->PumpingWells[2];
  second.X = 0.3;
  second.Y = 0;
  second.Rw = 0.1;
  second.Name = "PW2";
  second.Screened.Fill(false);
  second.Screened[1] = true;
  mGrid.SetRegenerateRequest(true);
  ASSERT_EQ(mGrid.Generate(), TMeshError::meNone);
  const std::string text = FEMModelText(mGrid, *mData);
  EXPECT_EQ(Lines(text)[15].substr(Lines(text)[15].size() - 4), " 2 2");
  EXPECT_EQ(text.find("PW2"), std::string::npos);
}

TEST_F(TFEMGridTest, SameBytesUnderADecimalCommaLocale) {
  mData->T[2] = 1500.125;
  const std::string pointText = FEMModelText(mGrid, *mData);
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string previous = old ? old : "C";
  const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  const std::string localeText = FEMModelText(mGrid, *mData);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(localeText, pointText);
  if (!comma) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed; checked in the C locale";
}

TEST_F(TFEMGridTest, NothingIsWrittenWithoutAValidMesh) {
  TAQVGrid empty;
  EXPECT_EQ(FEMModelText(empty, *mData), "");
  EXPECT_FALSE(IsSuccess(WriteFEMModelFile(empty, *mData, mFolder.Path("m.fem"))));
  mUi.DialogPaths.push_back(mFolder.Path("m.fem"));
  EXPECT_FALSE(SaveFEMModel(empty, *mData));
  EXPECT_EQ(mUi.DialogPaths.size(), 1U) << "no dialog asks for a file that cannot be written";
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_TRUE(mFolder.Names().empty());
}

TEST_F(TFEMGridTest, SavingWritesTheChosenFileThroughATemporaryFile) {
  mFolder.Write("model.fem", "old");
  mUi.DialogPaths.push_back(mFolder.Path("model.fem"));
  EXPECT_TRUE(SaveFEMModel(mGrid, *mData));
  EXPECT_EQ(mFolder.Read("model.fem"), FEMModelText(mGrid, *mData));
  EXPECT_EQ(mFolder.Names(), std::vector<std::string>{"model.fem"});
  EXPECT_EQ(Globals().SaveDirectory, mFolder.Root().string());
}

TEST_F(TFEMGridTest, SavingAsksBeforeOverwritingAFileTheDialogDidNotAskAbout) {
  mFolder.Write("model.fem", "old");
  mUi.DialogPaths.push_back(mFolder.Path("model"));
  mUi.Answers.push_back(TModalResult::mrNo);
  EXPECT_FALSE(SaveFEMModel(mGrid, *mData));
  EXPECT_EQ(mFolder.Read("model.fem"), "old");
  EXPECT_EQ(mUi.OnlyMessage(), mFolder.Path("model.fem") + " already exists. Overwrite?");
  mUi.DialogPaths.push_back(mFolder.Path("model"));
  mUi.Answers.push_back(TModalResult::mrYes);
  EXPECT_TRUE(SaveFEMModel(mGrid, *mData));
  EXPECT_EQ(mFolder.Read("model.fem"), FEMModelText(mGrid, *mData));
}

TEST_F(TFEMGridTest, FailedSaveShowsCouldNotSaveAndReportsFailure) {
  const std::string path = mFolder.Path("missing/model.fem");
  mUi.DialogPaths.push_back(path);
  EXPECT_FALSE(SaveFEMModel(mGrid, *mData));
  ASSERT_EQ(mUi.Messages.size(), 1U);
  EXPECT_EQ(mUi.Messages[0].Text, "Could not save " + path + "!\nThe folder does not exist.");
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
}

TEST(TFEMGridFormState, SaveIsEnabledOnlyForTheMeshPreviewed) {
  TFEMGridFormState state;
  EXPECT_FALSE(state.SaveEnabled());
  state.PreviewStarted(3, 4000);
  EXPECT_FALSE(state.SaveEnabled());
  EXPECT_EQ(state.CloseCaption(), "Cancel");
  EXPECT_FALSE(state.CloseClosesDialog());
  state.GenerationEnded(true);
  EXPECT_TRUE(state.SaveEnabled());
  EXPECT_EQ(state.CloseCaption(), "&Close");
  EXPECT_TRUE(state.CloseClosesDialog());
  const struct {
    int Density;
    double Length;
    bool Enabled;
  } changes[] = {{4, 4000, false}, {3, 4000, true}, {3, 5000, false}, {3, 4000, true}};
  for (const auto& c : changes) {
    state.SettingsChanged(c.Density, c.Length);
    EXPECT_EQ(state.SaveEnabled(), c.Enabled) << c.Density << " " << c.Length;
  }
  state.SettingsChanged(5, 4000);
  state.PreviewStarted(5, 4000);
  state.GenerationEnded(false);
  EXPECT_FALSE(state.SaveEnabled()) << "a failed or cancelled preview leaves nothing to save";
  state.PreviewStarted(5, 4000);
  state.GenerationEnded(true);
  EXPECT_TRUE(state.SaveEnabled());
  EXPECT_EQ(TFEMGridFormState::ModelLengthCaption("ft"), "Model length (ft)");
}

}  // namespace
}  // namespace aqv

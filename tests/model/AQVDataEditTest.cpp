#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

using enum TAQVGridKind;

// Rows of a two-aquifer system: aquitard 1, aquifer 1, aquitard 2, aquifer 2, aquitard 3.
class TAQVDataEditTest : public test::TDocumentTest {
 protected:
  void MakeTwoAquifers() {
    mData->SetAquiferCount(2);
    mChanges = 0;
  }
};

// --- Aquifer-system couplings ----------------------------------------------------------------

TEST_F(TAQVDataEditTest, ConductivitiesFollowTransmissivityOrResistanceAndTheOtherWay) {
  mData->SetCellText(2, 2, "5", gkConductivities);   // D of aquifer 1
  mData->SetCellText(3, 2, "10", gkConductivities);  // Kh
  EXPECT_EQ(mData->T[1], 50);
  mData->SetCellText(5, 2, "100", gkConductivities);  // T
  EXPECT_EQ(mData->Kh[1], 20);
  mData->SetCellText(2, 2, "4", gkConductivities);
  EXPECT_EQ(mData->Kh[1], 25) << "T stays, Kh = T / D follows the thickness";
  mData->SetCellText(2, 1, "2", gkConductivities);  // D' of the top aquitard
  EXPECT_DOUBLE_EQ(mData->Kv[1], 2.0 / 1000);
  mData->SetCellText(5, 1, "400", gkConductivities);  // c
  EXPECT_DOUBLE_EQ(mData->Kv[1], 0.005);
  std::tie(mData->Saved, mChanges) = std::tuple(true, 0);
  mData->SetCellText(3, 1, "0.01", gkConductivities);  // Kv
  EXPECT_DOUBLE_EQ(mData->Resistance[1], 200);
  EXPECT_FALSE(mData->Saved) << "a typed Kv is a change to save";
  EXPECT_EQ(mChanges, 1);
}

TEST_F(TAQVDataEditTest, ZeroThicknessMiddleAquitardTakesHalfItsNeighbours) {
  MakeTwoAquifers();
  mData->SetCellText(2, 2, "4", gkConductivities);  // D1
  mData->SetCellText(2, 4, "6", gkConductivities);  // D2
  mData->SetCellText(5, 3, "500", gkConductivities);
  mData->SetCellText(8, 3, "0.01", gkConductivities);
  mData->SetCellText(9, 3, "3", gkConductivities);
  ASSERT_EQ(mData->SAquitardCode[2], '3');

  mData->SetCellText(2, 3, "0", gkConductivities);
  // Kv = (D1 + D2) / c / 2 over a layer without thickness.
  EXPECT_DOUBLE_EQ(mData->Kv[2], (4.0 + 6.0) / 500 / 2);
  EXPECT_EQ(std::tuple(mData->SAquitard[2], mData->SAquitardCode[2]), std::tuple(0, kNoMark));

  mData->SetCellText(2, 2, "8", gkConductivities);  // the aquifer above thickens
  EXPECT_DOUBLE_EQ(mData->Kv[2], (8.0 + 6.0) / 500 / 2);
  mData->SetCellText(5, 3, "700", gkConductivities);
  EXPECT_DOUBLE_EQ(mData->Kv[2], 14.0 / 700 / 2);
  mData->SetCellText(3, 3, "0.02", gkConductivities);
  EXPECT_DOUBLE_EQ(mData->Resistance[2], 14.0 / 0.02 / 2);
  mData->SetCellText(8, 3, "0.5", gkConductivities);
  EXPECT_EQ(mData->SAquitard[2], 0) << "an aquitard without thickness stores nothing";
}

TEST_F(TAQVDataEditTest, BaseTypedAtTheTopOfAMiddleAquitardLeavesItWithoutThickness) {
  MakeTwoAquifers();
  mData->SetSurfaceLevel(10);
  // Aquitard 2 starts at 10 - 1 - 1 = 8.
  mData->SetCellText(1, 3, "7.9999995", gkConductivities);
  EXPECT_EQ(mData->DAquitard[2], 0);
  EXPECT_DOUBLE_EQ(mData->Kv[2], (1.0 + 1.0) / 1000 / 2);
  mData->SetCellText(1, 2, "3", gkConductivities);  // base of aquifer 1, top at 9
  EXPECT_DOUBLE_EQ(mData->D[1], 6);
}

TEST_F(TAQVDataEditTest, ZeroThicknessOuterAquitardCountsTheMissingAquiferAsZero) {
  // Slot 2 holds an aquifer the one-aquifer system does not have.
  std::tie(mData->D[1], mData->D[2]) = std::tuple(4, 99);
  mData->SetCellText(2, 3, "0", gkConductivities);  // bottom aquitard 2
  EXPECT_DOUBLE_EQ(mData->Kv[2], 4.0 / 1000 / 2);
  mData->SetCellText(2, 1, "0", gkConductivities);  // top aquitard 1: no aquifer 0
  EXPECT_DOUBLE_EQ(mData->Kv[1], 4.0 / 1000 / 2);
  mData->SetCellText(2, 2, "2", gkConductivities);  // the rule for aquitards 1 and 2
  EXPECT_DOUBLE_EQ(mData->Kv[1], 2.0 / 1000 / 2);
  EXPECT_DOUBLE_EQ(mData->Kv[2], 2.0 / 1000 / 2);
}

TEST_F(TAQVDataEditTest, DerivingCouplingsNeverDividesByZero) {
  const double kh = mData->Kh[1], kv = mData->Kv[1], c = mData->Resistance[1];
  mData->SetCellText(2, 2, "0", gkConductivities);  // D = 0
  EXPECT_EQ(mData->Kh[1], kh);
  mData->SetCellText(5, 1, "0", gkConductivities);  // c = 0
  EXPECT_EQ(mData->Kv[1], kv);
  mData->SetCellText(5, 1, "1000", gkConductivities);
  mData->SetCellText(3, 1, "0", gkConductivities);  // Kv = 0
  EXPECT_EQ(mData->Resistance[1], c);
  for (int i = 1; i <= kMaxLayers; ++i) {
    EXPECT_TRUE(std::isfinite(mData->Kh[i] + mData->Kv[i] + mData->Resistance[i]))
        << "layer " << i << ": " << mData->Kh[i] << " " << mData->Kv[i] << " "
        << mData->Resistance[i];
  }
}

TEST_F(TAQVDataEditTest, TopAquitardAbsentMapsRowsThroughRowToLayer) {
  mData->SetTopAquitardAbsent(true);
  mData->SetCellText(5, 1, "321", gkConductivities);  // row 1 is aquifer 1
  EXPECT_EQ(mData->T[1], 321);
  mData->SetCellText(5, 2, "654", gkConductivities);  // row 2 is the bottom aquitard 2
  EXPECT_EQ(std::tuple(mData->Resistance[2], mData->Resistance[1]), std::tuple(654, 1000));
}

// --- Parameter marks -------------------------------------------------------------------------

TEST_F(TAQVDataEditTest, MarksAreStoredOnlyWhereTheyCanBeOptimised) {
  using TMark = char (*)(const TAQVData&);
  const TMark t = [](const TAQVData& d) { return d.TCode[1]; };
  const TMark s = [](const TAQVData& d) { return d.SCode[1]; };
  const TMark c = [](const TAQVData& d) { return d.ResistanceCode[1]; };
  const TMark sa = [](const TAQVData& d) { return d.SAquitardCode[1]; };
  const TMark rc = [](const TAQVData& d) { return d.PumpingWells[1].RcCode; };
  const TMark rw = [](const TAQVData& d) { return d.PumpingWells[1].RwCode; };
  const TMark skin = [](const TAQVData& d) { return d.PumpingWells[1].SkinCode; };
  const auto layers = gkConductivities;
  const auto wells = gkPumpingWells;
  using TEdit = std::tuple<int, int, const char*>;  // column, row, text
  // Name, grid, the edits of its cells, the mark read back and its value.
  const std::tuple<const char*, TAQVGridKind, std::vector<TEdit>, TMark, char> cases[] = {
      {"S mark while S is 0", layers, {{8, 2, "0"}, {9, 2, "#"}, {9, 2, "4"}}, s, kNoMark},
      {"S mark while S > 0", layers, {{9, 2, "4"}}, s, '4'},
      {"S set to 0 drops its mark", layers, {{9, 2, "4"}, {8, 2, "0"}}, s, kNoMark},
      {"T mark", layers, {{6, 2, "a"}}, t, 'a'},
      {"blank T mark", layers, {{6, 2, " "}}, t, kNoMark},
      {"c mark", layers, {{6, 1, "z"}}, c, 'z'},
      {"S' mark while S' is 0", layers, {{8, 1, "0"}, {9, 1, "3"}}, sa, kNoMark},
      {"S' mark while S' > 0", layers, {{8, 1, "0.01"}, {9, 1, "3"}}, sa, '3'},
      {"Rc mark while Rc > 0", wells, {{7, 1, "2"}}, rc, '2'},
      {"Rc mark while Rc = 0", wells, {{6, 1, "0"}, {7, 1, "2"}}, rc, kNoMark},
      {"Rw mark always", wells, {{9, 1, "5"}}, rw, '5'},
      {"skin mark while skin = 0", wells, {{11, 1, "6"}}, skin, kNoMark},
      {"skin mark while skin > 0", wells, {{10, 1, "0.5"}, {11, 1, "6"}}, skin, '6'},
      {"empty mark", wells, {{9, 1, "5"}, {9, 1, ""}}, rw, kNoMark}};
  for (const auto& [name, kind, edits, mark, expected] : cases) {
    TAQVData d(&mUi);
    for (const auto& [col, row, text] : edits) d.SetCellText(col, row, text, kind);
    EXPECT_EQ(mark(d), expected) << name;
  }
}

// --- Wells -----------------------------------------------------------------------------------

TEST_F(TAQVDataEditTest, PumpingWellCellsStoreAndRecomputeTheCentre) {
  mData->SetIntSetting("2", TAQVSpinEditType::seNPumpingWells);
  mData->SetCellText(3, 2, "500", gkPumpingWells);
  // Mean (250, 0), rounded to hundreds with halves to even.
  EXPECT_EQ(std::tuple(mData->WellCentreX, mData->WellCentreY), std::tuple(200, 0));
  mData->SetCellText(2, 1, "A name longer than twenty characters", gkPumpingWells);
  EXPECT_EQ(mData->PumpingWells[1].Name, "A name longer than t");
  mData->SetCellText(12, 1, "3", gkPumpingWells);
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 3);
  EXPECT_TRUE(mData->RefreshPeriodsGrid);
  mData->SetCellText(2, 2, "12", gkPumpingPeriods);
  EXPECT_EQ(std::tuple(mData->RefreshPeriodsGrid, mData->PumpingWells[1].StartTime[2]),
            std::tuple(false, 12));
}

TEST_F(TAQVDataEditTest, ScreenedAquifersColumnParsesTheLayerList) {
  MakeTwoAquifers();
  mData->SetIntSetting("2", TAQVSpinEditType::seNPumpingWells);
  mData->SetCellText(5, 1, "1-2", gkPumpingWells);
  const TPumpingWell& well = mData->PumpingWells[1];
  EXPECT_EQ(std::tuple(well.Screened[1], well.Screened[2], well.LayerSet.Contains(2)),
            std::tuple(true, true, true));
  // The new aquifer's curve gets a colour of its own, never the chart's white.
  const TColor added = well.CurveColor[2];
  for (const TColor other : {clWhite, well.CurveColor[1], mData->PumpingWells[2].CurveColor[1]})
    EXPECT_NE(added, other);
  mData->SetIntSetting("1", TAQVSpinEditType::seNPumpingWells);
  mData->SetCellText(5, 1, "2", gkPumpingWells);
  EXPECT_EQ(std::tuple(well.Screened[1], well.LayerSet.Contains(1)), std::tuple(false, false));
  mData->SetWellFluxMode(true);
  EXPECT_EQ(mData->UpperLayer(), 2);
  mData->SetCellText(5, 1, "2-1", gkPumpingWells);
  EXPECT_EQ(std::tuple(well.Screened[1], well.Screened[2]), std::tuple(false, true))
      << "a list that does not parse changes nothing";
}

TEST_F(TAQVDataEditTest, ObservationLayerChangeMovesTheCurveToItsAquifer) {
  MakeTwoAquifers();
  mData->SetCellText(5, 1, "2", gkObservationWells);
  const TObservationWell& well = mData->ObservationWells[1];
  EXPECT_EQ(std::tuple(well.LayerSet.Contains(1), well.LayerSet.Contains(2)),
            std::tuple(false, true));
  EXPECT_EQ(std::tuple(well.Layer, mData->FitLayer[1], mData->UpperLayer(), mData->LowerLayer()),
            std::tuple(2, 2, 2, 2));
}

TEST_F(TAQVDataEditTest, ObservationCellsRebuildTheFittingList) {
  mData->SetCellText(2, 1, "Piezometer", gkObservationWells);
  EXPECT_EQ(mData->FitName[1], "Piezometer");
  mData->SetCellText(3, 2, "0.25", gkObservations);
  EXPECT_EQ(std::tuple(mData->FitObserved[2], mData->RefreshObservationGrids),
            std::tuple(0.25, false));
  mData->SetCellText(9, 1, "3", gkObservationWells);
  EXPECT_EQ(std::tuple(mData->FitCount(), mData->RefreshObservationGrids), std::tuple(3, true));
}

// --- What the core ignores ---------------------------------------------------------------------

TEST_F(TAQVDataEditTest, TextThatDoesNotConvertChangesNothing) {
  const char* texts[] = {"", "abc", "1.5x", "nan", "inf", "-inf", "0x10", "1e", "1,5", "$10"};
  const std::pair<int, TAQVGridKind> cells[] = {
      {2, gkConductivities}, {5, gkConductivities}, {3, gkPumpingWells},    {12, gkPumpingWells},
      {3, gkPumpingPeriods}, {2, gkObservations},   {9, gkObservationWells}};
  mData->Saved = true;
  mData->SetModified(false);
  for (const char* text : texts) {
    for (auto [col, kind] : cells) mData->SetCellText(col, 1, text, kind);
    mData->SetFloatSetting(text, TAQVFloatEditType::feStoppingTime);
    mData->SetIntSetting(text, TAQVSpinEditType::seTsteps);
  }
  EXPECT_EQ(std::tuple(mChanges, mData->Saved, mData->Modified()), std::tuple(0, true, false));
  const TPumpingWell& well = mData->PumpingWells[1];
  EXPECT_EQ(std::tuple(mData->D[1], well.X, well.PeriodCount(), well.Discharge[1]),
            std::tuple(1, 0, 1, 800));
  EXPECT_EQ(
      std::tuple(mData->ObservationWells[1].Observed[1], mData->StoppingTime(), mData->TimeSteps()),
      std::tuple(0.1, 1000, 50));
}

TEST_F(TAQVDataEditTest, CellsOutsideTheirTablesAreIgnored) {
  const std::tuple<int, int, TAQVGridKind> cells[] = {
      {2, 0, gkConductivities},   {2, 4, gkConductivities},   {2, -1, gkConductivities},
      {4, 2, gkConductivities},   {7, 2, gkConductivities},   {11, 2, gkConductivities},
      {3, 2, gkPumpingWells},     {3, 3, gkPumpingWells},     {13, 1, gkPumpingWells},
      {2, 2, gkPumpingPeriods},   {2, 101, gkPumpingPeriods}, {4, 1, gkPumpingPeriods},
      {3, 2, gkObservationWells}, {3, 6, gkObservationWells}, {10, 1, gkObservationWells},
      {2, 3, gkObservations},     {2, 1001, gkObservations},  {1, 1, gkObservations}};
  mData->Saved = true;
  for (const auto& [col, row, kind] : cells) mData->SetCellText(col, row, "7", kind);
  EXPECT_EQ(std::tuple(mChanges, mData->Saved), std::tuple(0, true));
  EXPECT_EQ(mData->PumpingWells[2].X, 0) << "a hidden record is not edited through the grid";
  EXPECT_EQ(std::tuple(mData->ObservationWells[1].Time[3], mData->PumpingWells[1].StartTime[2]),
            std::tuple(1, 1));
}

TEST_F(TAQVDataEditTest, CountsOutsideTheirCapacityAreIgnored) {
  mData->SetCellText(12, 1, "101", gkPumpingWells);
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 1);
  mData->SetCellText(12, 1, "0", gkPumpingWells);
  EXPECT_EQ(mData->PumpingWells[1].PeriodCount(), 1);
  mData->SetCellText(9, 1, "1001", gkObservationWells);
  EXPECT_EQ(mData->ObservationWells[1].ObservationCount(), 2);
  mData->SetCellText(5, 1, "3", gkObservationWells);
  EXPECT_EQ(mData->ObservationWells[1].Layer, 1);
  mData->SetIntSetting("6", TAQVSpinEditType::seNObsWells);
  EXPECT_EQ(mData->ObservationWellCount(), 1);
  mData->SetIntSetting("3", TAQVSpinEditType::seNPumpingWells);
  EXPECT_EQ(mData->PumpingWellCount(), 1);
  mData->SetIntSetting("0", TAQVSpinEditType::seNPumpingWells);
  EXPECT_EQ(mData->PumpingWellCount(), 1);
  mData->SetIntSetting("3", TAQVSpinEditType::seNAq);
  EXPECT_EQ(std::tuple(mData->AquiferCount(), mChanges), std::tuple(1, 0));
}

// --- Flags and announcements -------------------------------------------------------------------

TEST_F(TAQVDataEditTest, EveryChangeOfFileContentLeavesTheDocumentUnsavedButNoDisplaySetting) {
  const std::tuple<const char*, std::function<void(TAQVData&)>> cases[] = {
      {"cell", [](TAQVData& d) { d.SetCellText(2, 1, "W", gkPumpingWells); }},
      {"cell without notify", [](TAQVData& d) { d.SetCell(2, 1, "W", gkPumpingWells, false); }},
      {"observation toggle", [](TAQVData& d) { d.ToggleObservation(1); }},
      {"period toggle",
       [](TAQVData& d) {
         d.SetCellText(12, 1, "2", gkPumpingWells);
         d.Saved = true;
         d.TogglePumpingPeriod(2);
       }},
      {"aquifer count", [](TAQVData& d) { d.SetAquiferCount(2); }},
      {"observation count", [](TAQVData& d) { d.SetObservationCount(1, 5); }},
      {"top absent", [](TAQVData& d) { d.SetTopAquitardAbsent(true); }},
      {"bottom absent", [](TAQVData& d) { d.SetBottomAquitardAbsent(true); }},
      {"top impervious", [](TAQVData& d) { d.SetTopAquitardImpervious(true); }},
      {"bottom leaky", [](TAQVData& d) { d.SetBottomAquitardImpervious(false); }},
      {"fitting mode", [](TAQVData& d) { d.SetLinearResiduals(false); }},
      {"flux mode", [](TAQVData& d) { d.SetWellFluxMode(true); }},
      {"value axis", [](TAQVData& d) { d.SetValueAxis(1); }},
      {"time axis", [](TAQVData& d) { d.SetTimeAxis(1); }},
      {"starting time", [](TAQVData& d) { d.SetStartingTime(0.01); }},
      {"surface level", [](TAQVData& d) { d.SetSurfaceLevel(3); }},
      {"world window", [](TAQVData& d) { d.SetWorldY2(100); }},
      {"animation", [](TAQVData& d) { d.SetAnimationEndTime(20); }},
      {"time steps", [](TAQVData& d) { d.SetTimeSteps(20); }},
      {"drawn aquifer", [](TAQVData& d) { d.SetDrawLayer(2); }},
      {"contour interval", [](TAQVData& d) { d.SetContourInterval(0.5); }},
      {"time unit", [](TAQVData& d) { d.SetTimeUnit(TAQVTimeUnit::tuHours); }},
      {"length unit", [](TAQVData& d) { d.SetLengthUnit(TAQVLengthUnit::luFeet); }},
      {"number edit",
       [](TAQVData& d) { d.SetFloatSetting("5", TAQVFloatEditType::feModelLength); }},
      {"spin edit", [](TAQVData& d) { d.SetIntSetting("3", TAQVSpinEditType::seNObsWells); }},
      {"row insertion", [](TAQVData& d) { (void)d.InsertObservations(1, 1); }}};
  for (const auto& [name, edit] : cases) {
    TAQVData d(&mUi);
    d.Saved = true;
    edit(d);
    EXPECT_FALSE(d.Saved) << name;
  }
  // Settings of the display only keep the document saved.
  mData->Saved = true;
  mData->SetDisplayTime(3);
  mData->SetMinContour(-5);
  mData->SetCurrentObservationWell(1);
  mData->SetUpperLayer(1);
  mData->SetLengthUnitLabel(TAQVLengthUnit::luMeters);
  EXPECT_TRUE(mData->Saved);
}

TEST_F(TAQVDataEditTest, CellAnnouncesOnceAndPasteAnnouncesOnceThroughChanged) {
  mData->SetModified(false);
  mData->ResultsExist = true;
  mData->SetCellText(3, 1, "20", gkPumpingWells);
  EXPECT_EQ(std::tuple(mChanges, mData->Modified(), mData->ResultsExist),
            std::tuple(1, true, false));

  mChanges = 0;
  mData->SetModified(false);
  mData->SetCell(3, 1, "30", gkPumpingWells, false);
  mData->SetCell(4, 1, "40", gkPumpingWells, false);
  EXPECT_EQ(mChanges, 0);
  EXPECT_FALSE(mData->Modified()) << "Modified keeps its meaning until the paste is done";
  EXPECT_FALSE(mData->CurvesValid);
  mData->Changed();
  EXPECT_EQ(std::tuple(mChanges, mData->Modified(), mData->PumpingWells[1].Y),
            std::tuple(1, true, 40));
}

TEST_F(TAQVDataEditTest, AxesAlwaysMarkCurvesStaleAndAnnounce) {
  ASSERT_TRUE(mData->Modified());
  mData->CurvesStale = false;
  mData->SetValueAxis(2);
  EXPECT_EQ(std::tuple(mData->CurvesStale, mChanges), std::tuple(true, 1));
  EXPECT_FALSE(mData->CurvesValid) << "a modified document still needs its computation";
  mData->CurvesStale = false;
  mData->SetTimeAxis(1);
  EXPECT_EQ(std::tuple(mData->CurvesStale, mChanges, mData->CurvesValid),
            std::tuple(true, 2, false));

  mData->SetModified(false);
  mData->SetTimeAxis(0);
  EXPECT_TRUE(mData->CurvesValid) << "only a redraw is needed";
  EXPECT_TRUE(mData->Modified());
}

// --- Number and spin edits ---------------------------------------------------------------------

TEST_F(TAQVDataEditTest, NumberEditsStoreInStoredUnits) {
  using enum TAQVFloatEditType;
  using D = TAQVData;
  // Hours: 24 display units per day.
  const std::tuple<TAQVFloatEditType, const char*, std::function<double(const TAQVData&)>, double>
      cases[] = {{feSurfaceLevel, "12.5", &D::SurfaceLevel, 12.5},
                 {feAbsStoppingCriterion, "0.002", &D::AbsStoppingCriterion, 0.002},
                 {feRelStoppingCriterion, "0.003", &D::RelStoppingCriterion, 0.003},
                 {feStartingTime, "12", &D::StartingTime, 0.5},
                 {feStoppingTime, "48", &D::StoppingTime, 2},
                 {feWorldX1, "-100", &D::WorldX1, -100},
                 {feWorldX2, "100", &D::WorldX2, 100},
                 {feWorldY1, "-50", &D::WorldY1, -50},
                 {feWorldY2, "50", &D::WorldY2, 50},
                 {feBeginTijd, "6", &D::AnimationStartTime, 0.25},
                 {feEindTijd, "72", &D::AnimationEndTime, 3},
                 {feMinContour, "-2", &D::MinContour, -2},
                 {feMaxContour, "2", &D::MaxContour, 2},
                 {feInterval, "0.25", &D::ContourInterval, 0.25},
                 {feTTijd, "36", &D::DisplayTime, 1.5},
                 {feModelLength, "9000", &D::ModelLength, 9000}};
  mData->SetTimeUnit(TAQVTimeUnit::tuHours);
  for (const auto& [kind, text, read, expected] : cases) {
    std::tie(mData->Saved, mChanges) = std::tuple(true, 0);
    mData->SetFloatSetting(text, kind);
    EXPECT_DOUBLE_EQ(read(*mData), expected) << text;
    EXPECT_EQ(std::tuple(mChanges, mData->Saved), std::tuple(1, false)) << text;
  }
}

TEST_F(TAQVDataEditTest, NumberEditsUseTheLocaleDecimalSeparator) {
  Globals().DecimalSeparator = ',';
  mData->SetFloatSetting("2,5", TAQVFloatEditType::feSurfaceLevel);
  EXPECT_EQ(mData->SurfaceLevel(), 2.5);
  mData->SetFloatSetting("3.5", TAQVFloatEditType::feSurfaceLevel);
  EXPECT_EQ(mData->SurfaceLevel(), 2.5) << "'.' is not a decimal separator here";
  mData->SetCellText(3, 1, "0,125", gkObservations);
  EXPECT_EQ(mData->ObservationWells[1].Observed[1], 0.125);
}

TEST_F(TAQVDataEditTest, SpinEditsStoreTheirValues) {
  using enum TAQVSpinEditType;
  using D = TAQVData;
  // Each edit is read back at once: a later one may depend on it.
  const std::tuple<const char*, TAQVSpinEditType, std::function<int(const TAQVData&)>, int>
      cases[] = {{"2", seNAq, &D::AquiferCount, 2},    {"2", seLowerl, &D::LowerLayer, 2},
                 {"2", seUpperl, &D::UpperLayer, 2},   {"25", seTsteps, &D::TimeSteps, 25},
                 {"2", seTekenlaag, &D::DrawLayer, 2}, {" 7 ", seDensity, &D::MeshDensity, 7}};
  for (const auto& [text, kind, read, expected] : cases) {
    mData->SetIntSetting(text, kind);
    EXPECT_EQ(read(*mData), expected) << "spin edit " << static_cast<int>(kind);
  }
  mData->SetIntSetting("4", seNObsWells);
  EXPECT_EQ(std::tuple(mData->ObservationWellCount(), mData->FitCount(), mData->CurveCount),
            std::tuple(4, 8, 4));
}

TEST_F(TAQVDataEditTest, CurrentWellsAreClampedAfterACountChange) {
  mData->SetIntSetting("4", TAQVSpinEditType::seNObsWells);
  mData->SetCurrentObservationWell(4);
  mData->SetIntSetting("2", TAQVSpinEditType::seNObsWells);
  EXPECT_EQ(mData->CurrentObservationWell(), 2);
  mData->SetIntSetting("2", TAQVSpinEditType::seNPumpingWells);
  mData->SetCurrentPumpingWell(2);
  mData->SetIntSetting("1", TAQVSpinEditType::seNPumpingWells);
  EXPECT_EQ(mData->CurrentPumpingWell(), 1);
  // The period grid now edits well 1, not the hidden well 2.
  mData->SetCellText(3, 1, "5", gkPumpingPeriods);
  EXPECT_EQ(std::tuple(mData->PumpingWells[1].Discharge[1], mData->PumpingWells[2].Discharge[1]),
            std::tuple(5, 800));
}

// --- Include marks ---------------------------------------------------------------------------

TEST_F(TAQVDataEditTest, ToggleObservationRebuildsTheFittingList) {
  mData->ToggleObservation(1);
  EXPECT_EQ(std::tuple(mData->FitCount(), mData->ObservationWells[1].Included[1]),
            std::tuple(1, false));
  mData->ToggleObservation(0);
  EXPECT_EQ(std::tuple(mData->FitCount(), mData->CurveCount), std::tuple(0, 0));
  mData->ToggleObservation(3);  // outside the table
  mData->ToggleObservation(-1);
  EXPECT_TRUE(mData->ObservationWells[1].Included[3]);
}

TEST_F(TAQVDataEditTest, ExcludingTheOnlyPeriodIsRefusedWithAMessageButOneOfTwoIsAccepted) {
  mData->Saved = true;
  mData->TogglePumpingPeriod(1);
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_EQ(std::tuple(mUi.Messages[0].Text, mUi.Messages[0].Type, mUi.Messages[0].Buttons),
            std::tuple("At least one pumping well/period has to be included!", TMsgDlgType::mtError,
                       TMsgDlgButtons::mbOK));
  EXPECT_TRUE(mData->PumpingWells[1].Included[1]);
  EXPECT_TRUE(mData->Saved) << "nothing changed";
  mData->TogglePumpingPeriod(0);
  EXPECT_TRUE(mData->PumpingWells[1].Included[0]);
  EXPECT_EQ(mUi.Messages.size(), 2u);
  mUi.Messages.clear();
  mData->SetCellText(12, 1, "2", gkPumpingWells);
  mData->TogglePumpingPeriod(1);
  EXPECT_EQ(std::tuple(mData->PumpingWells[1].Included[1], mUi.Messages.empty()),
            std::tuple(false, true));
}

TEST_F(TAQVDataEditTest, PumpingWellToggleReselectsAndRestylesTheFluxCurves) {
  mData->SetIntSetting("2", TAQVSpinEditType::seNPumpingWells);
  mData->SetWellFluxMode(true);
  mData->SelectCurves();
  ASSERT_EQ(mData->CurveCount, 2);
  mData->SetCurveWidth(1, 1, 7);
  mData->SetCurrentPumpingWell(2);
  mData->TogglePumpingPeriod(0);
  EXPECT_EQ(std::tuple(mData->CurveCount, mData->SelectedCurves.test(2)), std::tuple(1, false));
  EXPECT_EQ(mData->GetCurveWidth(1, 1), 2) << "the default styles again";
}

}  // namespace
}  // namespace aqv

// The document's drawdown computations as a whole: values recorded from the computation before
// observations at one time shared their decompositions, and computations started while one runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "model/AQVData.h"
#include "model/engine/ParallelFor.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

// Two aquifers, two pumping wells with periods that start together, five observation wells
// with casing, screen and skin; three of them logged at the same times.
void MakeTwoWellsWithLoggers(TAQVData* d) {
  d->SetAquiferCount(2);
  std::tie(d->T[1], d->T[2], d->S[1], d->S[2]) = std::tuple(500, 1500, 1e-4, 5e-4);
  std::tie(d->Resistance[1], d->SAquitard[1], d->Resistance[2], d->SAquitard[2]) =
      std::tuple(2000, 1e-3, 500, 2e-4);
  d->SetTopAquitardImpervious(false);
  d->SetPumpingWellCount(2);
  TPumpingWell& w1 = d->PumpingWells[1];
  std::tie(w1.Screened[1], w1.Screened[2]) = std::tuple(true, false);
  w1.SetPeriodCount(3);
  std::tie(w1.StartTime[1], w1.StartTime[2], w1.StartTime[3]) = std::tuple(0, 0.2, 0.35);
  std::tie(w1.Discharge[1], w1.Discharge[2], w1.Discharge[3]) = std::tuple(800, 1200, 0);
  for (int p = 0; p <= 3; ++p) w1.Included[p] = true;
  TPumpingWell& w2 = d->PumpingWells[2];
  std::tie(w2.X, w2.Y, w2.Rc, w2.Rw, w2.Skin) = std::tuple(100, 50, 0.15, 0.12, 0.01);
  w2.Screened[1] = w2.Screened[2] = true;
  w2.SetPeriodCount(2);
  std::tie(w2.StartTime[1], w2.StartTime[2], w2.Discharge[1], w2.Discharge[2]) =
      std::tuple(0, 0.2, 500, 700);
  for (int p = 0; p <= 2; ++p) w2.Included[p] = true;
  d->SetObservationWellCount(5);
  // X, Y, layer, casing and screen radius, skin.
  const std::tuple<double, double, int, double, double, double> wells[] = {
      {0, 0, 1, 0.05, 0.05, 0.0},
      {8, 3, 2, 0.0, 0.04, 0.0},
      {40, -20, 1, 0.3, 0.1, 0.05},
      {130, 60, 2, 0.05, 0.05, 0.002},
      {310, 0, 1, 0.02, 0.02, 0.0}};
  for (int j = 1; j <= 5; ++j) {
    TObservationWell& obs = d->ObservationWells[j];
    std::tie(obs.X, obs.Y, obs.Layer, obs.Rc, obs.Rw, obs.Skin) = wells[j - 1];
    obs.Included[0] = true;
    if (j <= 3) {
      d->SetObservationCount(j, 40);
      for (int k = 1; k <= 40; ++k) obs.Time[k] = 0.0125 * k;  // a logger every 18 minutes
    } else {
      d->SetObservationCount(j, 25);
      for (int k = 1; k <= 25; ++k) obs.Time[k] = 1e-3 * std::pow(500.0, (k - 1) / 24.0);
    }
    for (int k = 1; k <= obs.ObservationCount(); ++k) obs.Included[k] = true;
  }
  d->GroupCoincidentWells();
  d->AssignCurveStyles();
  d->SelectCurves();
  d->CollectIncludedObservations();
}

// One leaky aquifer under an aquitard with storage, the bottom closed: the typical graph.
void MakeLeakyAquiferGraph(TAQVData* d) {
  d->SetAquiferCount(1);
  std::tie(d->T[1], d->S[1], d->Resistance[1], d->SAquitard[1]) = std::tuple(800, 2e-4, 300, 5e-3);
  d->SetTopAquitardImpervious(false);
  d->SetObservationWellCount(2);
  d->ObservationWells[1].X = 12;
  TObservationWell& second = d->ObservationWells[2];
  std::tie(second.X, second.Y, second.Rc, second.Rw) = std::tuple(90, 30, 0.1, 0.1);
  d->GroupCoincidentWells();
  d->AssignCurveStyles();
  d->SelectCurves();
  d->SetStehfestTerms(12);
  d->SetTimesPerLogCycle(6);
}

// Recorded with one worker from the computation that evaluated every observation on its own;
// the curves are every seventh value of CurveValues.
const std::vector<std::vector<double>> kObservations = {
    {1.9929809652867108,  2.059167050488952,   2.09599795375935,    2.120738423210867,
     2.1389313915319024,  2.1531087809858174,  2.1646198927668423,  2.1742552020651846,
     2.182510753598047,   2.18971498548688,    2.196094978810706,   2.2018134178036215,
     2.2069903463034337,  2.211716568174166,   2.2160622277846675,  2.2200824947533544,
     3.2171030829936913,  3.2527576428169493,  3.273837426785044,   3.28883360809037,
     3.30047798389059,    3.3100225820096374,  3.3181384874850095,  3.3252220712904093,
     3.3315246376766874,  3.337214603284277,   3.342410005172896,   3.347196671165183,
     0.41030013851143377, 0.3291454861805332,  0.28697993230370794, 0.2604192720919131,
     0.242073951396068,   0.22863315879842938, 0.21836292980593983, 0.2102633383918055,
     0.20371626594558817, 0.19831849652816927, 0.1937954241005782,  0.18995334070526426},
    {0.04061759134579464, 0.05608173587709613, 0.06720143985673882, 0.07599156482729472,
     0.08326563439235868, 0.0894747098045271,  0.09489503302329008, 0.0997068799143715,
     0.10403405806411695, 0.10796527524418864, 0.1115663693894622,  0.11488765716809454,
     0.11796854382787783, 0.12084052755270089, 0.12352922445093045, 0.12605577473160245,
     0.1447647232112242,  0.15353576096466182, 0.16049654046929449, 0.16639470801749043,
     0.17155700715974048, 0.17617527622615728, 0.18037168911333443, 0.18422861657860376,
     0.18780436955827542, 0.19114197219254392, 0.19427428373744537, 0.19722712527006403,
     0.19882364521699306, 0.19648315742065497, 0.19335002919289296, 0.1904748970453123,
     0.18799019777536335, 0.18585754559805853, 0.18401820598295507, 0.18242087845812285,
     0.18102462266932864, 0.17979718124583044, 0.17871293702420493, 0.17775127453616335},
    {0.4450833808770433,  0.513355443391101,   0.5508471502633946,  0.5759260149324067,
     0.5943190343709,     0.6086224113409439,  0.6202160131529131,  0.6299068376247731,
     0.6382004894075254,  0.6454312012193912,  0.6518297013197977,  0.6575610454583198,
     0.6627468649469286,  0.667479053945299,   0.6718285239222194,  0.6758509955732337,
     0.8983407040746114,  0.9349583355165215,  0.9563345112376603,  0.9714800917674027,
     0.9832111548096596,  0.9928088424778294,  1.0009581149201465,  1.008062878054415,
     1.0143788121468986,  1.0200769916665087,  1.0252771279213466,  1.030066136757091,
     0.42376300423968294, 0.34067914974537766, 0.29802259217820715, 0.2712332496293712,
     0.25276392696862204, 0.23925446732847083, 0.2289474912013824,  0.22083020890106692,
     0.2142770293885003,  0.2088802648165764,  0.20436257257979498, 0.20052853709917196},
    {0.038124209192677894, 0.04293917368893306,  0.0477786273633665,  0.05262715947567205,
     0.05747272202720918,  0.062305309333980714, 0.06711699863671736, 0.0719077221448943,
     0.07669989702760677,  0.0815567348370334,   0.08659066900380616, 0.09195011850199682,
     0.09778537725168757,  0.10420854443932268,  0.11126813561026017, 0.11895102186197198,
     0.12720608731432925,  0.13597004301502305,  0.14517920996940023, 0.15476660450665772,
     0.16465488016256744,  0.21716869423234933,  0.24385316385729805, 0.25685869944831013,
     0.24251461787069278},
    {0.0003282132043568183, 0.0008177410853789173, 0.0018072689425972068, 0.003575828488458513,
     0.006406535876064165,  0.01052833806313071,   0.016076360421301394,  0.023082843007458147,
     0.03149589933402583,   0.04121489934246508,   0.052128301270576216,  0.06413798619198809,
     0.07715460847726605,   0.09106127671364912,   0.10567001527494208,   0.12071210867659335,
     0.13588240559835613,   0.15091317753876918,   0.1656306310118319,    0.17996686469368334,
     0.19393559005485933,   0.25184663029746485,   0.29778448013831893,   0.20881442690484345,
     0.14240947644774463},
};
const std::vector<double> kCurvesTwoWells = {
    1.7117383484387814,  0.004992667313900523, 0.0016286981087677496, 0.7007544167168787,
    0.05611810596883515, 0.01979375562038399,  0.38084140827252533,   0.008769781875451521,
    0.03837351031066305, 0.2605109906342591,   2.0732646756154764,    0.06385118823222058,
    0.11890979997270179, 1.0250876543100702,   0.13365622562162116,   0.10447483042524652,
    0.6758509955696184,  0.08785927646906089,  0.12680971009178962,   0.47086585497948263,
    3.140133802765007,   0.13812255314630106,  0.21023942767321985,   1.5047679727820533,
    0.2024132528684106,  0.14210436269414473,  0.9313761447131945,    0.10229574903077854,
    0.160462726841061,   0.6206590024999201,   3.3223232419804063,    0.18805036314496704,
    0.31712318065055456, 0.8800599075416642,   0.2575123622635118,    0.1932824997221516,
    0.6453609719705042,  0.14281963730667258,  0.19840536030875455,   0.4761392938792852,
    0.3892862287365304,  0.2043101197650543,   0.2315330222066585,    0.2878621183868404,
    0.25630653158097516, 0.18373385875984383,  0.22142230655845196,   0.13896868755871594,
    0.17722808438689697, 0.24198421094236267,  0.16222896887468607,   0.17654308209495184,
    0.11891247679545103, 0.15931968702849986,  0.23565046692220903,   0.16796302800497642,
    0.1688668778011504,  0.13410383108407586,  0.17654001440155298,   0.23235774605109327,
    0.16101913587755234, 0.1842068876576377,   0.12448455826262261,   0.16552075989221748,
    0.24333308387559782, 0.17363214565256158,  0.17194476689428484,   0.13743764061395325,
    0.1779902142818628,  0.23274889321294268,  0.16107538111475606,   0.18426792799493796,
    0.12448704352843265, 0.16552328298948282,  0.2433358339385734,    0.17363387729542978,
};
const std::vector<double> kFluxesTwoWells = {
    796.0764093941543,       374.78169435914606, 0.0, 127.23768856353126,
    799.9174988856539,       371.3743626230862,  0.0, 177.9426485823642,
    1199.4462125776336,      520.5987882961053,  0.0, 180.1868388368748,
    1199.9864626605995,      519.812563581625,   0.0, 180.17131959475228,
    0.2573417634703219,      519.8583052505273,  0.0, 179.8751014401787,
    0.002328561618924141,    520.6238117125467,  0.0, 179.4356005677255,
    3.1711533665657043e-07,  520.5072366088862,  0.0, 179.49280705748242,
    -2.7939677238464355e-09, 520.5071959284251,  0.0,
};
const std::vector<double> kCurvesLeakyAquifer = {
    0.24180396441443008, 0.0593905810540889, 0.38871942332025355, 0.16608899789503084,
    0.50810447940421,    0.2678026988196507, 0.5669098566522734,  0.28386254984252446,
    0.5670220393658383,  0.2838630014193768, 0.5670220614701975,
};

constexpr int kRecordedStride = 7;

// Sharing changes no arithmetic, so the values agree to the last bits; 1e-12 leaves room for a
// compiler that contracts differently.
void ExpectRecorded(double actual, double recorded, const std::string& where) {
  EXPECT_NEAR(actual, recorded, 1e-12 * std::max(std::fabs(recorded), 1.0)) << where;
}

class RecordedResultsTest : public test::TDocumentTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    test::TDocumentTest::SetUp();
    SetWorkerCount(GetParam());
  }
  void TearDown() override { SetWorkerCount(4); }
};

TEST_P(RecordedResultsTest, ObservationDrawdownsKeepTheirValues) {
  MakeTwoWellsWithLoggers(mData.get());
  mData->ComputeObservationDrawdowns();
  ASSERT_EQ(mData->StatusCode, 0);
  for (int j = 1; j <= 5; ++j) {
    const std::vector<double>& recorded = kObservations[static_cast<std::size_t>(j - 1)];
    ASSERT_EQ(mData->ObservationWells[j].ObservationCount(), static_cast<int>(recorded.size()));
    for (int k = 1; k <= mData->ObservationWells[j].ObservationCount(); ++k) {
      ExpectRecorded(mData->ObservationWells[j].Computed[k],
                     recorded[static_cast<std::size_t>(k - 1)],
                     "well " + std::to_string(j) + " observation " + std::to_string(k));
    }
  }
}

TEST_P(RecordedResultsTest, CurvesKeepTheirValues) {
  // Two wells or the leaky aquifer, well fluxes or drawdowns, the output times and the values per
  // time, and the values recorded.
  const std::tuple<bool, bool, int, int, const std::vector<double>*> cases[] = {
      {true, false, 53, 10, &kCurvesTwoWells},
      {true, true, 53, 4, &kFluxesTwoWells},
      {false, false, 37, 2, &kCurvesLeakyAquifer}};
  for (const auto& [twoWells, wellFlux, times, valuesPerTime, recorded] : cases) {
    const auto document = std::make_unique<TAQVData>(&mUi);
    TAQVData& d = *document;
    if (twoWells) {
      MakeTwoWellsWithLoggers(&d);
      d.SetStehfestTerms(10);
      d.SetTimesPerLogCycle(5);
      d.SetUpperLayer(1);
      d.SetLowerLayer(2);
      d.SetWellFluxMode(wellFlux);
    } else {
      MakeLeakyAquiferGraph(&d);
    }
    d.CurvesValid = false;
    d.BuildCurveTimes();
    ASSERT_EQ(d.OutputTimeCount(), times);
    for (std::size_t i = 0; i < recorded->size(); ++i) {
      const std::size_t index = i * kRecordedStride;
      ASSERT_LT(index, static_cast<std::size_t>(times * valuesPerTime));
      ExpectRecorded(d.CurveValues[index], (*recorded)[i], "value " + std::to_string(index));
    }
  }
}

class EngineReentryTest : public test::TDocumentTest {
 protected:
  void TearDown() override { SetWorkerCount(4); }
};

// Computations started from ProcessMessages between the batches of a curve computation resized
// the buffers of the running one (its per-time results, its worker states and output times),
// and a worker count raised meanwhile handed it worker numbers beyond its workspaces.
TEST_F(EngineReentryTest, ComputationsStartedDuringTheCurvesAreRefused) {
  const auto reference = std::make_unique<TAQVData>(&mUi);
  for (TAQVData* d : {reference.get(), mData.get()}) {
    MakeLeakyAquiferGraph(d);
    d->SetTimesPerLogCycle(60);
    d->SetObservationCount(1, 300);
    for (int k = 1; k <= 300; ++k) d->ObservationWells[1].Time[k] = 0.01 * k;
    d->CollectIncludedObservations();
  }
  SetWorkerCount(2);
  reference->BuildCurveTimes();
  ASSERT_GT(reference->OutputTimeCount(), 3 * 64);

  int nested = 0, refused = 0;
  mUi.OnProcessMessages = [&] {
    ++nested;
    SetWorkerCount(nested % 2 == 0 ? 2 : 8);
    mData->ComputeObservationDrawdowns();
    if (mData->StatusCode == 11) ++refused;
    mData->CurvesValid = false;
    mData->BuildCurveTimes();
    mData->ComputeCurves();
  };
  const int beepsBefore = mUi.Beeps;
  mData->BuildCurveTimes();
  mUi.OnProcessMessages = nullptr;

  EXPECT_GE(nested, 4);
  EXPECT_EQ(std::tuple(refused, mUi.Beeps - beepsBefore), std::tuple(nested, nested));
  EXPECT_EQ(std::tuple(mData->StatusCode, mData->CurvesValid), std::tuple(0, true));
  EXPECT_EQ(mData->OutputTimes, reference->OutputTimes);
  EXPECT_EQ(mData->CurveValues, reference->CurveValues);
  EXPECT_EQ(mData->ObservationWells[1].Computed[300], 0.0);
  // Once the curves are done, the observations are computed again.
  mData->ComputeObservationDrawdowns();
  EXPECT_EQ(mData->StatusCode, 0);
  EXPECT_GT(mData->ObservationWells[1].Computed[300], 0.0);
}

// A window whose event handling threw out of the computation waited for ever on Busy.
TEST_F(EngineReentryTest, AnExceptionFromTheGuiEndsTheComputationsBusyState) {
  mUi.OnProcessMessages = [] { throw std::runtime_error("from the window"); };
  EXPECT_THROW(mData->BuildCurveTimes(), std::runtime_error);
  mUi.OnProcessMessages = nullptr;
  EXPECT_FALSE(mData->Busy);
  mData->BuildCurveTimes();  // and the next computation runs
  EXPECT_TRUE(mData->CurvesValid);
}

INSTANTIATE_TEST_SUITE_P(Workers, RecordedResultsTest, ::testing::Values(1, 8));

}  // namespace
}  // namespace aqv

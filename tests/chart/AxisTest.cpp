#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/Axis.h"
#include "tests/support/EventLog.h"

namespace aqv {
namespace {

using test::TEventLog;

TEST(TScale, StartsAutomaticFromZeroToHundred) {
  const TScale scale;
  EXPECT_EQ(scale.Data(), TScaleData{});
  EXPECT_TRUE(scale.MinAutomatic() && scale.MaxAutomatic() && scale.MajorUnitAutomatic() &&
              scale.MinorUnitAutomatic());
  EXPECT_EQ((std::vector{scale.Min(), scale.Max(), scale.MajorUnit(), scale.MinorUnit()}),
            (std::vector{0.0, 100.0, 10.0, 2.0}));
  EXPECT_FALSE(scale.LogScale() || scale.ReverseOrder());
}

// Each value setter is silent while its own automatic flag is on and fires once while it is
// off; the other flags do not matter.
TEST(TScale, ValueSettersFireOnlyWhileTheirAutomaticFlagIsOff) {
  using TFlag = void (TScale::*)(bool);
  using TValue = double (TScale::*)() const;
  const std::tuple<const char*, TFlag, void (TScale::*)(double), TValue> cases[] = {
      {"Min", &TScale::SetMinAutomatic, &TScale::SetMin, &TScale::Min},
      {"Max", &TScale::SetMaxAutomatic, &TScale::SetMax, &TScale::Max},
      {"MajorUnit", &TScale::SetMajorUnitAutomatic, &TScale::SetMajorUnit, &TScale::MajorUnit},
      {"MinorUnit", &TScale::SetMinorUnitAutomatic, &TScale::SetMinorUnit, &TScale::MinorUnit}};
  for (const auto& [name, setFlag, setValue, value] : cases) {
    SCOPED_TRACE(name);
    TScale scale;
    TEventLog log(scale);
    (scale.*setValue)(50.0);
    EXPECT_EQ((scale.*value)(), 50.0);
    EXPECT_TRUE(log.Senders.empty());
    (scale.*setFlag)(false);
    log.Senders.clear();
    (scale.*setValue)(50.0);  // unchanged value still fires
    EXPECT_EQ(log.Senders, std::vector<TObject*>{&scale});
    (scale.*setFlag)(true);
    log.Senders.clear();
    (scale.*setValue)(7.0);
    EXPECT_TRUE(log.Senders.empty());
  }
}

TEST(TScale, FlagSettersFireEvenWhenUnchanged) {
  TScale scale;
  TEventLog log(scale);
  for (auto setter : {&TScale::SetMinAutomatic, &TScale::SetMaxAutomatic,
                      &TScale::SetMajorUnitAutomatic, &TScale::SetMinorUnitAutomatic})
    (scale.*setter)(true);
  scale.SetReverseOrder(false);
  EXPECT_EQ(log.Senders.size(), 5u);
}

TEST(TScale, MinAboveMaxSetsReverseOrderWithoutAnEventOfItsOwn) {
  TScale scale;
  TEventLog log(scale);
  scale.SetMax(-5.0);  // below Min 0
  EXPECT_TRUE(scale.ReverseOrder());
  EXPECT_TRUE(log.Senders.empty());
  scale.SetMax(5.0);
  EXPECT_FALSE(scale.ReverseOrder());
  scale.SetMin(10.0);
  EXPECT_TRUE(scale.ReverseOrder());
  scale.SetMin(5.0);  // equal bounds are not reversed
  EXPECT_FALSE(scale.ReverseOrder());
  EXPECT_TRUE(log.Senders.empty());
  scale.SetMaxAutomatic(false);
  log.Senders.clear();
  scale.SetMax(1.0);
  // The Max change, not a second one for ReverseOrder.
  EXPECT_EQ(std::tuple(scale.ReverseOrder(), log.Senders.size()), std::tuple(true, 1ul));
}

TEST(TScale, LogScaleFiresChangeThenLogScaleChangeEvenWhenAlreadySet) {
  TScale scale;
  std::vector<std::string> order;
  scale.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &scale);
    order.push_back("change");
  };
  scale.OnLogScaleChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &scale);
    order.push_back("log");
  };
  for (int i = 0; i < 2; ++i) scale.SetLogScale(true);
  EXPECT_EQ(order, (std::vector<std::string>{"change", "log", "change", "log"}));
  EXPECT_TRUE(scale.LogScale());
}

TEST(TScale, SetDataFiresOnceAndLogEventOnlyOnLogChange) {
  TScale scale;
  int changes = 0, logChanges = 0;
  scale.OnChange = [&](TObject*) { ++changes; };
  scale.OnLogScaleChange = [&](TObject*) { ++logChanges; };
  TScaleData data{.MinAutomatic = false, .Min = 1, .Max = 1000};
  scale.SetData(data);
  EXPECT_EQ(std::tuple(changes, logChanges), std::tuple(1, 0));
  data.LogScale = true;
  scale.SetData(data);
  EXPECT_EQ(std::tuple(changes, logChanges, scale.Data()), std::tuple(2, 1, data));
}

TEST(TScale, CopyCarriesValuesButNotEvents) {
  TScale scale;
  scale.SetMinAutomatic(false);
  scale.SetMin(3.0);
  TEventLog log(scale);
  scale.OnLogScaleChange = log.Handler();
  TScale copy(scale);
  EXPECT_EQ(copy.Data(), scale.Data());
  copy.SetLogScale(true);
  copy.SetMin(4.0);
  EXPECT_EQ(log.Senders.size(), 0u);
}

TEST(TAxis, StartsWithArialFontsAndAThickAxisLine) {
  const TAxis axis;
  EXPECT_EQ(axis.Kind(), TAxisType::saX);  // until the chart sets it
  const TFontData arial{"Arial", 14, clBlack, {}};
  EXPECT_EQ(
      std::tuple(axis.Grid(), axis.Selected(), axis.Font().Data(), axis.Title().Font().Data()),
      std::tuple(true, false, arial, arial));
  EXPECT_EQ(std::tuple(axis.Patterns().Border().Width(), axis.Patterns().Border().Color(),
                       axis.Title().Patterns().Border().Color(), axis.Alignment().Alignment(),
                       axis.Number().Category(), axis.Scale().Data()),
            std::tuple(2, clBlack, clWhite, TMyAlignmentTypes::maCenter, TFloatFormat::ffGeneral,
                       TScaleData{}));
}

TEST(TAxis, TitleFontColourReachesTheAxisOnceAsTheAxis) {
  TAxis axis;
  TEventLog axisLog(axis);
  axis.Title().Font().SetColor(clRed);
  EXPECT_EQ(axisLog.Senders, std::vector<TObject*>{&axis});
}

TEST(TAxis, EveryOwnedPartForwardsOnce) {
  TAxis axis;
  TEventLog log(axis);
  axis.Alignment().SetOrientation(45);
  axis.Number().SetDecimalPlaces(3);
  axis.Font().SetSize(10);
  axis.Patterns().Area().SetColor(clGray);
  axis.Patterns().Border().SetWidth(1);
  axis.Scale().SetLogScale(true);
  axis.Title().SetText("Drawdown (m)");
  axis.Title().Patterns().Border().SetColor(clBlack);
  EXPECT_EQ(log.Senders, std::vector<TObject*>(8, &axis));
}

TEST(TAxis, SilentChangesStaySilent) {
  TAxis axis;
  TEventLog log(axis);
  axis.Scale().SetMax(50.0);  // automatic maximum
  axis.SetGrid(false);
  axis.SetKind(TAxisType::saY);
  axis.SetSelected(true);
  axis.Title().SetAutomatic(false);
  axis.Rect() = {1, 2, 3, 4};
  EXPECT_TRUE(log.Senders.empty());
  EXPECT_EQ(axis.Kind(), TAxisType::saY);
}

TEST(TAxis, LogScaleChangeIsNotForwardedAsASecondChange) {
  TAxis axis;
  TEventLog log;
  int logChanges = 0;
  axis.OnChange = log.Handler();
  axis.Scale().OnLogScaleChange = [&](TObject*) { ++logChanges; };
  axis.Scale().SetLogScale(true);
  EXPECT_EQ(std::tuple(log.Senders.size(), logChanges), std::tuple(1ul, 1));
}

// The classic fault: a copy whose parts still carry the original's forwarding announces its
// own edits as changes of the original (and keeps a dangling pointer once the original dies).
TEST(TAxis, CopyForwardsToItselfNotToTheOriginal) {
  auto original = std::make_unique<TAxis>();
  original->SetKind(TAxisType::saSecondaryY);
  original->Title().SetText("Secondary Y-axis");
  TEventLog originalLog(*original);

  TAxis copy(*original);
  EXPECT_EQ(std::tuple(copy.Data(), copy.Kind(), static_cast<bool>(copy.OnChange)),
            std::tuple(original->Data(), TAxisType::saSecondaryY, false));
  TEventLog copyLog(copy);
  copy.Title().Font().SetColor(clBlue);
  copy.Scale().SetLogScale(true);
  copy.Patterns().Border().SetWidth(3);
  EXPECT_EQ(std::tuple(originalLog.Senders.empty(), copyLog.Senders),
            std::tuple(true, std::vector<TObject*>(3, &copy)));
  TAxis assigned;  // an assignment takes every part, the scale too
  assigned = copy;
  EXPECT_TRUE(assigned.Scale().LogScale());

  original.reset();  // the copy must not reach into the freed original
  copy.Alignment().SetAlignment(TMyAlignmentTypes::maLeft);
  EXPECT_EQ(copyLog.Senders.size(), 4u);
}

TEST(TAxis, AssignmentKeepsTheTargetsForwardingAndAssignFiresOnce) {
  TAxis dialogCopy;
  dialogCopy.Scale().SetMaxAutomatic(false);
  dialogCopy.Scale().SetMax(250.0);
  dialogCopy.Font().SetName("Times New Roman");

  TAxis target;
  TEventLog log(target);
  target.Assign(dialogCopy);
  EXPECT_EQ(std::tuple(log.Senders, target.Data()),
            std::tuple(std::vector<TObject*>{&target}, dialogCopy.Data()));
  TAxis other;
  target = other;  // silent
  EXPECT_EQ(log.Senders.size(), 1u);
  target.Title().SetText("X");
  EXPECT_EQ(log.Senders, std::vector<TObject*>(2, &target));
  dialogCopy.Title().SetText("not the target");
  EXPECT_EQ(log.Senders.size(), 2u);
}

TEST(TAxis, DataComparesSettingsNotDrawingState) {
  TAxis a, b;
  b.SetSelected(true);
  b.Rect() = {10, 20, 30, 40};
  b.SetKind(TAxisType::saY);
  EXPECT_EQ(a.Data(), b.Data());
  b.SetGrid(false);
  EXPECT_NE(a.Data(), b.Data());
}

}  // namespace
}  // namespace aqv

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
  struct TCase {
    const char* name;
    void (TScale::*setFlag)(bool);
    void (TScale::*setValue)(double);
    double (TScale::*value)() const;
  };
  const TCase cases[] = {
      {"Min", &TScale::SetMinAutomatic, &TScale::SetMin, &TScale::Min},
      {"Max", &TScale::SetMaxAutomatic, &TScale::SetMax, &TScale::Max},
      {"MajorUnit", &TScale::SetMajorUnitAutomatic, &TScale::SetMajorUnit, &TScale::MajorUnit},
      {"MinorUnit", &TScale::SetMinorUnitAutomatic, &TScale::SetMinorUnit, &TScale::MinorUnit}};
  for (const TCase& c : cases) {
    TScale scale;
    TEventLog log(scale);
    (scale.*c.setValue)(50.0);
    EXPECT_EQ((scale.*c.value)(), 50.0) << c.name;
    EXPECT_TRUE(log.Senders.empty()) << c.name;

    (scale.*c.setFlag)(false);
    log.Senders.clear();
    (scale.*c.setValue)(50.0);  // unchanged value still fires
    EXPECT_EQ(log.Senders, std::vector<TObject*>{&scale}) << c.name;

    (scale.*c.setFlag)(true);
    log.Senders.clear();
    (scale.*c.setValue)(7.0);
    EXPECT_TRUE(log.Senders.empty()) << c.name;
  }
}

TEST(TScale, FlagSettersFireEvenWhenUnchanged) {
  TScale scale;
  TEventLog log(scale);
  scale.SetMinAutomatic(true);
  scale.SetMaxAutomatic(true);
  scale.SetMajorUnitAutomatic(true);
  scale.SetMinorUnitAutomatic(true);
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
  EXPECT_TRUE(scale.ReverseOrder());
  EXPECT_EQ(log.Senders.size(), 1u);  // the Max change, not a second one for ReverseOrder
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
  scale.SetLogScale(true);
  scale.SetLogScale(true);
  EXPECT_EQ(order, (std::vector<std::string>{"change", "log", "change", "log"}));
  EXPECT_TRUE(scale.LogScale());
}

TEST(TScale, SetDataFiresOnceAndLogEventOnlyOnLogChange) {
  TScale scale;
  int changes = 0;
  int logChanges = 0;
  scale.OnChange = [&](TObject*) { ++changes; };
  scale.OnLogScaleChange = [&](TObject*) { ++logChanges; };
  TScaleData data;
  data.Min = 1;
  data.Max = 1000;
  data.MinAutomatic = false;
  scale.SetData(data);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(logChanges, 0);
  data.LogScale = true;
  scale.SetData(data);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(logChanges, 1);
  EXPECT_EQ(scale.Data(), data);
}

TEST(TScale, CopyCarriesValuesButNotEvents) {
  TScale scale;
  scale.SetMinAutomatic(false);
  scale.SetMin(3.0);
  int fired = 0;
  scale.OnChange = [&](TObject*) { ++fired; };
  scale.OnLogScaleChange = [&](TObject*) { ++fired; };
  TScale copy(scale);
  EXPECT_EQ(copy.Data(), scale.Data());
  copy.SetLogScale(true);
  copy.SetMin(4.0);
  EXPECT_EQ(fired, 0);
}

TEST(TAxis, StartsWithArialFontsAndAThickAxisLine) {
  const TAxis axis;
  EXPECT_EQ(axis.Kind(), TAxisType::saX);  // until the chart sets it
  EXPECT_TRUE(axis.Grid());
  EXPECT_FALSE(axis.Selected());
  EXPECT_EQ(axis.Font().Data(), (TFontData{"Arial", 14, clBlack, {}}));
  EXPECT_EQ(axis.Title().Font().Data(), (TFontData{"Arial", 14, clBlack, {}}));
  EXPECT_EQ(axis.Patterns().Border().Width(), 2);
  EXPECT_EQ(axis.Patterns().Border().Color(), clBlack);
  EXPECT_EQ(axis.Title().Patterns().Border().Color(), clWhite);
  EXPECT_EQ(axis.Alignment().Alignment(), TMyAlignmentTypes::maCenter);
  EXPECT_EQ(axis.Number().Category(), TFloatFormat::ffGeneral);
  EXPECT_EQ(axis.Scale().Data(), TScaleData{});
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
  EXPECT_EQ(log.Senders.size(), 1u);
  EXPECT_EQ(logChanges, 1);
}

// The classic fault: a copy whose parts still carry the original's forwarding announces its
// own edits as changes of the original (and keeps a dangling pointer once the original dies).
TEST(TAxis, CopyForwardsToItselfNotToTheOriginal) {
  auto original = std::make_unique<TAxis>();
  original->SetKind(TAxisType::saSecondaryY);
  original->Title().SetText("Secondary Y-axis");
  TEventLog originalLog(*original);

  TAxis copy(*original);
  EXPECT_EQ(copy.Data(), original->Data());
  EXPECT_EQ(copy.Kind(), TAxisType::saSecondaryY);
  EXPECT_FALSE(copy.OnChange);
  TEventLog copyLog(copy);
  copy.Title().Font().SetColor(clBlue);
  copy.Scale().SetLogScale(true);
  copy.Patterns().Border().SetWidth(3);
  EXPECT_TRUE(originalLog.Senders.empty());
  EXPECT_EQ(copyLog.Senders, std::vector<TObject*>(3, &copy));
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
  EXPECT_EQ(log.Senders, std::vector<TObject*>{&target});
  EXPECT_EQ(target.Data(), dialogCopy.Data());

  TAxis other;
  target = other;  // silent
  EXPECT_EQ(log.Senders.size(), 1u);
  target.Title().SetText("X");
  EXPECT_EQ(log.Senders, std::vector<TObject*>(2, &target));
  dialogCopy.Title().SetText("not the target");
  EXPECT_EQ(log.Senders.size(), 2u);
}

TEST(TAxis, DataComparesSettingsNotDrawingState) {
  TAxis a;
  TAxis b;
  b.SetSelected(true);
  b.Rect() = {10, 20, 30, 40};
  b.SetKind(TAxisType::saY);
  EXPECT_EQ(a.Data(), b.Data());
  b.SetGrid(false);
  EXPECT_NE(a.Data(), b.Data());
}

}  // namespace
}  // namespace aqv

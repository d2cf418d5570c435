#include <QAction>

#include "app/gui/AQVLengthUnitsPopupMenu.h"
#include "app/gui/AQVTimeUnitsPopupMenu.h"
#include "tests/support/DocumentTest.h"

namespace aqv {
namespace {

class TUnitsPopupMenuTest : public test::TDocumentTest {};

QStringList Captions(const QMenu& menu) {
  QStringList captions;
  for (QAction* a : menu.actions()) captions << a->objectName() + " " + a->text();
  return captions;
}

TEST_F(TUnitsPopupMenuTest, ItemsAreTheUnitsInTheirOrder) {
  TAQVLengthUnitsPopupMenu length;
  TAQVTimeUnitsPopupMenu time;
  EXPECT_EQ(length.objectName(), "LengthUnitsPopupMenu");
  EXPECT_EQ(time.objectName(), "TimeUnitsPopupMenu");
  EXPECT_EQ(Captions(length), (QStringList{"poFeet Feet", "poMeters Meters"}));
  EXPECT_EQ(Captions(time), (QStringList{"poSeconds Seconds", "poMinutes Minutes", "poHours Hours",
                                         "poDays Days", "poYears Years"}));
}

TEST_F(TUnitsPopupMenuTest, TimeMenuChecksDaysAndChoosingHoursSetsTheUnit) {
  TAQVTimeUnitsPopupMenu menu;
  mData->SetTimeUnit(TAQVTimeUnit::tuDays);
  menu.SetData(mData.get());
  menu.Popup(QPoint(0, 0));  // as the status bar opens it
  for (int i = 0; i < 5; ++i) EXPECT_EQ(menu.Item(i)->isChecked(), i == 3) << i;
  menu.Item(2)->trigger();
  EXPECT_EQ(mData->TimeUnit(), TAQVTimeUnit::tuHours);
  EXPECT_TRUE(menu.Item(2)->isChecked());
  EXPECT_FALSE(menu.Item(3)->isChecked());
}

TEST_F(TUnitsPopupMenuTest, LengthMenuSetsTheLengthUnitAndNeitherMenuActsWithoutADocument) {
  TAQVLengthUnitsPopupMenu menu;
  menu.UpdateChecks();
  EXPECT_FALSE(menu.Item(0)->isChecked());
  menu.Item(0)->trigger();
  TAQVTimeUnitsPopupMenu().Item(0)->trigger();  // nor does the time menu
  menu.SetData(mData.get());
  mData->SetLengthUnit(TAQVLengthUnit::luMeters);
  menu.Item(0)->trigger();
  EXPECT_EQ(mData->LengthUnit(), TAQVLengthUnit::luFeet);
  EXPECT_TRUE(menu.Item(0)->isChecked());
  mData->SetLengthUnit(TAQVLengthUnit::luMeters);  // switched elsewhere: one tick, on metres
  menu.Popup(QPoint(0, 0));
  EXPECT_EQ(std::pair(menu.Item(0)->isChecked(), menu.Item(1)->isChecked()),
            std::pair(false, true));
  menu.close();
}

}  // namespace
}  // namespace aqv

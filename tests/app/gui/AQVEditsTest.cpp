#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "app/gui/AQVActns.h"
#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVPumpingWellsGrid.h"
#include "app/gui/AQVSpinEdit.h"
#include "model/AQVElements.h"
#include "tests/app/gui/GridTestSupport.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// A window holding a number field, a spin field and a plain field to move the focus to, bound
// to a new document on the scripted interface.
class TEditsTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    auto* layout = new QVBoxLayout(&mWindow);
    layout->addWidget(mFloat = new TAQVFloatEdit(&mWindow));
    layout->addWidget(mSpin = new TAQVSpinEdit(&mWindow));
    layout->addWidget(mOther = new QLineEdit(&mWindow));
    mFloat->SetData(mData.get());
    mSpin->SetData(mData.get());
    ASSERT_TRUE(test::ShowActive(mWindow));
  }
  void TearDown() override { ResetGlobals(); }

  // Replaces the field's text by typing.
  static void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
  }
  void LeaveTo(QWidget* next) {
    next->setFocus();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  QWidget mWindow;
  TAQVFloatEdit* mFloat = nullptr;
  TAQVSpinEdit* mSpin = nullptr;
  QLineEdit* mOther = nullptr;
};

// An emptied field is left without a message or a change; a valid value is stored on leaving.
TEST_F(TEditsTest, EmptiedNumberFieldIsLeftWithoutMessageOrChangeAndAValidValueIsStored) {
  mFloat->SetAQVEditType(TAQVFloatEditType::feSurfaceLevel);
  mFloat->SetValue(mData->SurfaceLevel());
  const double before = mData->SurfaceLevel();
  Type(mFloat, "");
  LeaveTo(mOther);
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(mData->SurfaceLevel(), before);
  EXPECT_EQ(mChanges, 0);
  Type(mFloat, "12.5");
  LeaveTo(mOther);
  EXPECT_DOUBLE_EQ(mData->SurfaceLevel(), 12.5);
  EXPECT_TRUE(mUi.Messages.empty());
}

// Refused are a plus, letters other than E and the separator that is not the locale's.
TEST_F(TEditsTest, NumberFieldRefusesPlusLettersOtherThanEAndTheOtherSeparator) {
  for (const auto& [separator, typed, shown] :
       {std::tuple{'.', "+1a2E3e-x", "12E3e-"}, {',', "1.5", "15"}, {',', "1,5", "1,5"}}) {
    Globals().DecimalSeparator = separator;
    Type(mFloat, typed);
    EXPECT_EQ(mFloat->text().toStdString(), shown) << typed;
  }
  EXPECT_TRUE(mFloat->Valid());
}

TEST_F(TEditsTest, ExponentTextIsValidWhenTheCheckAcceptsItsValue) {
  mFloat->SetAQVEditType(TAQVFloatEditType::feRelStoppingCriterion);
  Type(mFloat, "1E-3");
  EXPECT_TRUE(mFloat->Valid());
  QTest::keyClick(mFloat, Qt::Key_Return);
  EXPECT_DOUBLE_EQ(mData->RelStoppingCriterion, 0.001);
  Type(mFloat, "-1E-3");
  EXPECT_FALSE(mFloat->Valid());
}

TEST_F(TEditsTest, TextThatIsNoNumberShowsInvalidValueOnEnterAndKeepsTheFocus) {
  mFloat->SetAQVEditType(TAQVFloatEditType::feSurfaceLevel);
  const double before = mData->SurfaceLevel();
  Type(mFloat, "1-");
  QTest::keyClick(mFloat, Qt::Key_Return);
  ASSERT_EQ(mUi.Messages.size(), 1U);
  EXPECT_EQ(mUi.Messages[0].Text, "Invalid value!");
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(mFloat->hasFocus());
  LeaveTo(mOther);
  EXPECT_EQ(mUi.Messages.size(), 2U);
  EXPECT_TRUE(mFloat->hasFocus()) << "an invalid field takes the focus back";
  EXPECT_EQ(mData->SurfaceLevel(), before);
  // Leaving twice before the message could appear brings it once.
  mOther->setFocus();
  mFloat->setFocus();
  LeaveTo(mOther);
  EXPECT_EQ(mUi.Messages.size(), 3U);
}

TEST_F(TEditsTest, MapWindowFieldsShowEightDigitsAndTheOthersSeven) {
  for (const auto& [type, value, text] :
       {std::tuple{TAQVFloatEditType::feWorldX1, 123456.789, "123456.79"},
        {TAQVFloatEditType::feWorldY2, 1234.56789, "1234.5679"},
        {TAQVFloatEditType::feMinContour, 1234.56789, "1234.568"},
        {TAQVFloatEditType::feSurfaceLevel, 123.4567891, "123.4568"},
        {TAQVFloatEditType::feModelLength, 1234567.0, "1.234567E+06"}}) {
    mFloat->SetAQVEditType(type);
    mFloat->SetValue(value);
    EXPECT_EQ(mFloat->text().toStdString(), text) << value;
    EXPECT_FALSE(mFloat->isModified());
  }
}

// A value entered is the document's: reloaded after a unit switch, a field that keeps the
// keyboard shows it in the new unit, and Return stores it unchanged. Text typed since stays.
TEST_F(TEditsTest, TimesAreShownInTheDisplayUnitAndEnteredValuesInTheUnitChosenAfter) {
  mData->SetTimeUnit(TAQVTimeUnit::tuMinutes);
  mFloat->SetAQVEditType(TAQVFloatEditType::feTTijd);
  mFloat->SetValue(0.5);
  EXPECT_EQ(mFloat->text(), "720");

  mData->SetTimeUnit(TAQVTimeUnit::tuDays);
  const auto enterThenSwitch = [&](TAQVFloatEditType type, const char* entered, auto switchUnit,
                                   auto stored, const char* shown, double value) {
    SCOPED_TRACE(entered);
    mFloat->SetAQVEditType(type);
    Type(mFloat, entered);
    QTest::keyClick(mFloat, Qt::Key_Return);
    switchUnit();
    mFloat->Reload(stored());
    EXPECT_EQ(mFloat->text(), shown);
    QTest::keyClick(mFloat, Qt::Key_Return);
    EXPECT_NEAR(stored(), value, 1e-5 * value);
    Type(mFloat, "5");
    mFloat->Reload(stored());
    EXPECT_EQ(mFloat->text(), "5");
  };
  enterThenSwitch(
      TAQVFloatEditType::feSurfaceLevel, "10",
      [&] { mData->SetLengthUnit(TAQVLengthUnit::luFeet); }, [&] { return mData->SurfaceLevel(); },
      "32.8084", 10 / 0.3048);
  enterThenSwitch(
      TAQVFloatEditType::feStartingTime, "0.01",
      [&] { mData->SetTimeUnit(TAQVTimeUnit::tuMinutes); }, [&] { return mData->StartingTime(); },
      "14.4", 0.01);
  EXPECT_TRUE(mUi.Messages.empty());
}

// A popup menu (the field's own, the status bar's unit menus) or another window taking the
// keyboard is no exit: a half-typed value waits, without a message, until the person really
// moves to another control.
TEST_F(TEditsTest, AMenuOrAnotherWindowIsNoExitFromAHalfTypedField) {
  mFloat->SetAQVEditType(TAQVFloatEditType::feSurfaceLevel);
  mSpin->SetAQVSpinEditType(TAQVSpinEditType::seNAq);
  for (QLineEdit* field : std::initializer_list<QLineEdit*>{mFloat, mSpin}) {
    SCOPED_TRACE(field->metaObject()->className());
    mUi.Messages.clear();
    Type(field, field == mFloat ? "-" : "3");
    QMenu menu;
    menu.addAction(QStringLiteral("Hours"));
    menu.popup(field->mapToGlobal(QPoint(0, field->height())));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    QCoreApplication::processEvents();
    EXPECT_TRUE(mUi.Messages.empty()) << mUi.Messages.front().Text;
    menu.close();
    QWidget other;
    ASSERT_TRUE(test::ShowActive(other));
    QCoreApplication::processEvents();
    EXPECT_TRUE(mUi.Messages.empty()) << mUi.Messages.front().Text;
    ASSERT_TRUE(test::ShowActive(mWindow));
    EXPECT_TRUE(field->hasFocus());
    if (field == mFloat) QTest::keyClicks(field, "5");
    LeaveTo(mOther);  // a real exit
  }
  EXPECT_DOUBLE_EQ(mData->SurfaceLevel(), -5);
  ASSERT_EQ(mUi.Messages.size(), 1U) << "the spin field's range message, once";
  EXPECT_TRUE(mSpin->hasFocus());
}

TEST_F(TEditsTest, AquiferCountOfThreeShowsTheRangeMessageOnLeavingAndKeepsTheFocus) {
  mSpin->SetAQVSpinEditType(TAQVSpinEditType::seNAq);
  mSpin->SetMinValue(1), mSpin->SetMaxValue(2);  // as on the information page
  ASSERT_FALSE(mData->CheckAquiferCount(3));
  const std::string expected = Globals().DataErrorText;
  const int before = mData->AquiferCount();
  Type(mSpin, "3");
  LeaveTo(mOther);
  EXPECT_EQ(mUi.OnlyMessage(), expected);
  EXPECT_TRUE(mSpin->hasFocus());
  EXPECT_EQ(mSpin->text(), "3");  // as typed: pulled into the range, it would not be the value held
  EXPECT_EQ(mData->AquiferCount(), before);
}

TEST_F(TEditsTest, SpunValueIsStoredOnLeavingTheField) {
  mSpin->SetAQVSpinEditType(TAQVSpinEditType::seDensity);
  mSpin->SetValue(mData->MeshDensity);
  mSpin->setFocus();
  mSpin->UpClick();
  LeaveTo(mOther);
  EXPECT_EQ(mData->MeshDensity, 4);
}

TEST_F(TEditsTest, EnterThatStoredASpinValueIsThenRefusedWithABeep) {
  mSpin->SetAQVSpinEditType(TAQVSpinEditType::seDensity);
  for (const char* typed : {"7", "11"}) {
    Type(mSpin, typed);
    QTest::keyClick(mSpin, Qt::Key_Return);
    EXPECT_EQ(mData->MeshDensity, 7) << typed;
  }
  EXPECT_EQ(mUi.Messages.size(), 1U);
}

// The value being typed is handed over before the document is used as a whole.
TEST_F(TEditsTest, TypedValueIsCommittedBeforeSave) {
  test::TTempFolder folder;
  mData->FileName = folder.Path("doc.aqv");
  const TAQVActions actions = CreateAQVActions(&mWindow);
  actions.SetData(mData.get());
  mFloat->SetAQVEditType(TAQVFloatEditType::feSurfaceLevel);
  Type(mFloat, "42");
  actions.Save->trigger();
  EXPECT_DOUBLE_EQ(mData->SurfaceLevel(), 42);
  EXPECT_TRUE(mData->Saved);
  EXPECT_NE(folder.Read("doc.aqv").find("42"), std::string::npos);
}

TEST_F(TEditsTest, InvalidTypedValueStopsTheSaveWithItsMessage) {
  test::TTempFolder folder;
  mData->FileName = folder.Path("doc.aqv");
  const TAQVActions actions = CreateAQVActions(&mWindow);
  actions.SetData(mData.get());
  mSpin->SetAQVSpinEditType(TAQVSpinEditType::seNAq);
  Type(mSpin, "3");
  actions.Save->trigger();
  ASSERT_EQ(mUi.Messages.size(), 1U);
  EXPECT_TRUE(mSpin->hasFocus());
  EXPECT_TRUE(folder.Names().empty());
  EXPECT_FALSE(mData->Saved);
}

TEST_F(TEditsTest, CommitPendingEditPassesWhenNothingIsPending) {
  EXPECT_TRUE(CommitPendingEdit(nullptr));
  mOther->setFocus();
  EXPECT_TRUE(CommitPendingEdit(mOther));
  mFloat->SetValue(3);
  EXPECT_TRUE(CommitPendingEdit(mFloat));
  EXPECT_EQ(mChanges, 0);
}

using TPendingCellTest = test::TGridTest;

TEST_F(TPendingCellTest, TypedCellIsCommittedBeforeTheDocumentIsUsed) {
  TAQVPumpingWellsGrid grid;
  Show(grid);
  Type(grid, 3, 1, "40");
  ASSERT_NE(mData->PumpingWells[1].X, 40.0);
  EXPECT_TRUE(CommitPendingEdit(grid.CellEditor()));
  EXPECT_EQ(mData->PumpingWells[1].X, 40.0);
  Type(grid, 3, 1, "4x");
  EXPECT_FALSE(CommitPendingEdit(grid.CellEditor()));
  Settle();
  EXPECT_EQ(mData->PumpingWells[1].X, 40.0);
  EXPECT_TRUE(grid.IsEditing()) << "the invalid cell keeps its editor";
  EXPECT_FALSE(mUi.Messages.empty());
}

}  // namespace
}  // namespace aqv

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <tuple>

#include "controls/MySpin.h"
#include "tests/controls/BeepCounter.h"

namespace aqv {
namespace {

TEST(MySpinEdit, ValueWriteClampsOnlyWithBounds) {
  const std::tuple<int, int, int, QString> cases[] = {
      {0, 0, 123456, "123456"},                  // both bounds 0: unbounded
      {0, 0, -7, "-7"},         {5, 5, 1, "5"},  // equal non-zero bounds pin the value
      {5, 5, 99, "5"},          {-3, 10, -4, "-3"}, {-3, 10, 11, "10"}, {-3, 10, 4, "4"},
  };
  for (const auto& [min, max, written, shown] : cases) {
    TMySpinEdit edit;
    edit.SetMinValue(min);
    edit.SetMaxValue(max);
    edit.SetValue(written);
    EXPECT_EQ(edit.text(), shown) << min << ".." << max << " <- " << written;
  }
}

TEST(MySpinEdit, TextThatIsNoIntegerReadsMinValue) {
  TMySpinEdit edit;
  edit.SetMinValue(2);
  edit.SetMaxValue(9);
  for (const char* text : {"abc", "", "1e3", "3.5", "99999999999", "-"}) {
    edit.setText(text);
    EXPECT_EQ(edit.Value(), 2) << text;
  }
  edit.setText("+7");
  EXPECT_EQ(edit.Value(), 7);
  edit.setText(" -4 ");
  EXPECT_EQ(edit.Value(), -4);
}

TEST(MySpinEdit, LeavingRewritesTextOnlyWhenClampingChangesIt) {
  QWidget window;
  auto* edit = new TMySpinEdit(&window);
  auto* other = new QLineEdit(&window);
  edit->move(0, 0);
  other->move(0, 40);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  edit->SetMinValue(3);
  edit->SetMaxValue(8);
  edit->setFocus();
  edit->setText("abc");  // reads 3, which the bounds keep: the text stays
  other->setFocus();
  EXPECT_EQ(edit->text(), "abc");
  edit->setFocus();
  edit->setText("12");  // typed past the maximum: clamped on leaving, never while typing
  EXPECT_EQ(edit->text(), "12");
  other->setFocus();
  EXPECT_EQ(edit->text(), "8");
  // Tab goes straight to the next field: the arrows never take the keyboard.
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus());
}

TEST(MySpinEdit, StepsByIncrementOrArrowKeysMarkModifiedAndSaturateAtTheIntegerEnd) {
  TMySpinEdit edit;
  edit.SetIncrement(5);
  edit.SetMinValue(0);
  edit.SetMaxValue(12);
  edit.setText("9");
  edit.UpClick();
  EXPECT_EQ(std::tuple(edit.text().toStdString(), edit.isModified()), std::tuple("12", true));
  edit.DownClick();
  EXPECT_EQ(edit.text(), "7");
  TMySpinEdit keys;
  keys.setText("1");
  for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}) QTest::keyClick(&keys, key);
  EXPECT_EQ(keys.text(), "2");
  keys.SetValue(std::numeric_limits<int>::max());
  keys.UpClick();
  EXPECT_EQ(keys.Value(), std::numeric_limits<int>::max());
}

TEST(MySpinEdit, RefusedCharactersBeepAndStayOutAndADisabledEditorRefusesAllTyping) {
  test::TBeepCounter beeps;
  TMySpinEdit edit;
  edit.clear();
  QTest::keyClicks(&edit, "-1x2a+");
  EXPECT_EQ(std::tuple(edit.text(), beeps.Count), std::tuple("-12+", 2));
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(edit.text(), "-12");
  QTest::keyClick(&edit, Qt::Key_5, Qt::KeypadModifier);  // the keypad's digits are digits
  EXPECT_EQ(edit.text(), "-125");
  QTest::keyClick(&edit, Qt::Key_Backspace);
  // A disabled editor refuses typing and backspace but keeps the arrows.
  edit.setText("3");
  edit.SetEditorEnabled(false);
  edit.end(false);
  QTest::keyClicks(&edit, "7");
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(std::tuple(edit.text(), beeps.Count), std::tuple("3", 4));
  QTest::keyClick(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.text(), "4");
}

TEST(MySpinEdit, EnterIsRefusedButReachesTheWindow) {
  test::TBeepCounter beeps;
  QWidget window;
  auto* edit = new TMySpinEdit(&window);
  bool windowSawEnter = false;
  struct TFilter : QObject {
    bool* Seen;
    explicit TFilter(bool* seen) : Seen(seen) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::KeyPress) *Seen = true;
      return false;
    }
  } filter(&windowSawEnter);
  window.installEventFilter(&filter);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(std::tuple(windowSawEnter, edit->text()), std::tuple(true, "0"));
  windowSawEnter = false;  // so does the keypad's Enter
  QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(std::tuple(windowSawEnter, edit->text()), std::tuple(true, "0"));
  EXPECT_EQ(beeps.Count, 2);
}

TEST(MySpinEdit, UpClickAndPasteRefusedWhenReadOnly) {
  test::TBeepCounter beeps;
  TMySpinEdit edit;
  edit.setText("4");
  edit.setModified(false);
  edit.setReadOnly(true);
  edit.UpClick();
  edit.DownClick();
  EXPECT_EQ(std::tuple(beeps.Count, edit.text().toStdString(), edit.isModified()),
            std::tuple(2, "4", false));
  edit.setText("5");
  edit.selectAll();
  QTest::keySequence(&edit, QKeySequence::Cut);
  EXPECT_EQ(edit.text(), "5");
  // So is a cut from an edit whose typing is off.
  edit.setReadOnly(false);
  edit.SetEditorEnabled(false);
  edit.selectAll();
  QTest::keySequence(&edit, QKeySequence::Cut);
  EXPECT_EQ(std::tuple(edit.text(), beeps.Count), std::tuple("5", 4));
  // Its context menu offers no paste either; the menu of an edit that takes typing does.
  QGuiApplication::clipboard()->setText(QStringLiteral("7"));
  edit.show();
  const QString pasteKeys = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  const auto pasteOffered = [&] {
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), edit.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&edit, &click);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return false;
    const QList<QAction*> items = menu->actions();
    menu->close();
    return std::ranges::any_of(
        items, [&](const QAction* a) { return a->isEnabled() && a->text().endsWith(pasteKeys); });
  };
  EXPECT_FALSE(pasteOffered());
  edit.SetEditorEnabled(true);
  EXPECT_TRUE(pasteOffered());
}

TEST(MySpinButtons, PressStepsAtOnceThenAfter400ThenEvery100) {
  TMySpinEdit edit;
  edit.resize(80, 24);
  edit.setText("0");
  TTimerSpeedButton* up = edit.Button()->UpButton();
  QTest::mousePress(up, Qt::LeftButton);
  EXPECT_EQ(edit.text(), "1");
  ASSERT_NE(up->RepeatTimer(), nullptr);
  EXPECT_TRUE(up->RepeatTimer()->isActive());
  EXPECT_EQ(std::tuple(up->RepeatTimer()->interval(), TTimerSpeedButton::kInitRepeatPause),
            std::tuple(400, 400));
  up->TimerExpired();  // the timer's expiry, driven without waiting
  EXPECT_EQ(edit.text(), "2");
  EXPECT_EQ(std::tuple(up->RepeatTimer()->interval(), TTimerSpeedButton::kRepeatPause),
            std::tuple(100, 100));
  up->TimerExpired();
  EXPECT_EQ(edit.text(), "3");
  QTest::mouseRelease(up, Qt::LeftButton);
  EXPECT_FALSE(up->RepeatTimer()->isActive());
  EXPECT_EQ(edit.text(), "3");  // releasing adds no step
  up->TimerExpired();           // a late expiry after release steps nothing
  EXPECT_EQ(edit.text(), "3");

  QTest::mouseClick(edit.Button()->DownButton(), Qt::LeftButton);
  EXPECT_EQ(edit.text(), "2");
}

TEST(MySpinButtons, DownButtonOverlapsUpButtonByOnePixel) {
  TSpinButton pair;
  pair.resize(15, 20);
  pair.show();  // a hidden widget gets its resize event only when shown
  EXPECT_EQ(pair.UpButton()->geometry(), QRect(0, 0, 15, 10));
  EXPECT_EQ(pair.DownButton()->geometry(), QRect(0, 9, 15, 11));
  // Without the keyboard neither button carries a focus frame.
  EXPECT_EQ(std::tuple(pair.UpButton()->DrawFocusRect(), pair.DownButton()->DrawFocusRect()),
            std::tuple(false, false));
}

}  // namespace
}  // namespace aqv

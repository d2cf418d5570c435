// Journeys: closing documents and the program, dialogs and unit switches never lose what a
// person typed or fitted.

#include <QComboBox>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include "platform/AQVOutputForm.h"
#include "tests/e2e/Journey.h"
#include "tests/support/AnswerDialog.h"

namespace aqv::e2e {
namespace {

QString Question(TMDIChild& child) {
  return QString::fromStdString("Save changes to " + child.Data().FileName + "?");
}

// Clicks the close box in the title bar of the document's own frame.
void ClickCloseBox(QMdiSubWindow& frame) {
  QStyleOptionTitleBar option;
  option.initFrom(&frame);
  option.titleBarFlags = frame.windowFlags();
  option.titleBarState = frame.windowState();
  option.subControls = QStyle::SC_All;
  const int height = frame.style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, &frame);
  option.rect = QRect(0, 0, frame.width(), height);
  const QRect box = frame.style()->subControlRect(QStyle::CC_TitleBar, &option,
                                                  QStyle::SC_TitleBarCloseButton, &frame);
  ASSERT_TRUE(box.isValid());
  // The frame acts on the button the pointer came to, in a window that has the keyboard.
  EXPECT_TRUE(QTest::qWaitForWindowActive(frame.window(), 3000));
  QMouseEvent move(QEvent::MouseMove, QPointF(box.center()), QPointF(frame.mapToGlobal(box.center())),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&frame, &move);
  QTest::mouseClick(&frame, Qt::LeftButton, {}, box.center());
}

// Right-clicks the status bar's panel whose text starts with panel; returns the unit menu named
// name, which the click opens.
QMenu* RightClickUnits(QMainWindow& frame, const char* panel, const char* name) {
  for (QLabel* label : frame.statusBar()->findChildren<QLabel*>())
    if (label->text().startsWith(QLatin1String(panel)))
      QTest::mouseClick(label, Qt::RightButton, {}, QPoint(10, 5));
  return frame.findChild<QMenu*>(QString::fromLatin1(name));
}

}  // namespace

// A fit changes the document's parameters: closing asks, and Yes on leaving writes them.
TEST_F(Journey, AnAcceptedFitMakesCloseAndExitAsk) {
  TMDIChild* child = NewDocument(TDocumentPage::dpAquiferSystem);
  TAQVData& d = child->Data();
  TypeInGrid(*child->ConductivitiesGrid(), 6, AquiferRow(d, 1), "1");  // fit T of aquifer 1
  QTest::keyClick(child->ConductivitiesGrid()->CellEditor(), Qt::Key_Return);
  const std::string path = mFolder.Path("fit.aqv");
  mPerson.TypeFileName(QString::fromStdString(path));
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Save as..."}));
  ASSERT_TRUE(d.Saved);
  const std::string before = ReadAll(path);
  const double t = d.T[1];

  mPerson.AcceptConsole();
  ASSERT_TRUE(ChooseMenu(*mForm, {"Calculate", "Optimize"}));
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }));
  ASSERT_TRUE(d.ResultsExist);
  ASSERT_NE(d.T[1], t);

  mPerson.AnswerMessage(Question(*child), QMessageBox::Cancel);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));
  EXPECT_EQ(mForm->Children().size(), 1u) << "Cancel keeps the fitted document";
  mPerson.AnswerMessage(QString::fromStdString("Save changes to " + path + "?"),
                        QMessageBox::Yes);
  mPerson.AnswerMessage(QString::fromStdString(path + " already exists. Overwrite?"),
                        QMessageBox::Yes);
  ASSERT_TRUE(ExitProgram());
  EXPECT_NE(ReadAll(path), before) << "the fitted values were written";
}

// While a fit waits for the person the frame is disabled: the document's close box, Ctrl+F4,
// the frame's close, a unit menu of the status bar and a click into another document close,
// ask, change and save nothing. After Accept, and after Reject, the fitted document keeps the
// front and the keyboard, with two others open.
TEST_F(Journey, NothingClosesOrChangesWhileAFitRunsAndTheFittedDocumentStaysInFront) {
  TMDIChild* other = OpenDocument(SampleCopy("other.aqv"));
  NewDocument();
  const std::string path = SampleCopy("fitted.aqv");
  TMDIChild* child = OpenDocument(path, TDocumentPage::dpAquiferSystem);
  auto* elevation = child->findChild<TAQVFloatEdit*>(QStringLiteral("laElevationEdit"));
  TypeInto(elevation, "15", Qt::Key_Return);  // unsaved: a close would ask
  const std::string before = ReadAll(path);
  ASSERT_TRUE(ChooseMenu(*mForm, {"Window", "Tile Horizontally"}));  // each with its close box
  auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
  ASSERT_NE(frame, nullptr);
  QLabel* timeUnits = nullptr;
  for (QLabel* panel : mForm->statusBar()->findChildren<QLabel*>())
    if (panel->text() == mForm->StatusText(1)) timeUnits = panel;
  ASSERT_NE(timeUnits, nullptr);
  const TAQVTimeUnit unit = child->Data().TimeUnit();
  const TDocumentPage otherPage = other->ActivePage();

  for (const bool accept : {true, false}) {
    SCOPED_TRACE(accept ? "Accept" : "Reject");
    bool tried = false;
    QTimer person;  // acts once the console waits for the person
    person.callOnTimeout([&] {
      TAQVOutputForm* console = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* c = qobject_cast<TAQVOutputForm*>(w); c != nullptr && c->isVisible()) console = c;
      if (tried || console == nullptr || console->LeftPushButton()->text() != "Accept result")
        return;
      tried = true;
      WaitForKeyboard(mForm.get());
      ClickCloseBox(*frame);
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus != nullptr ? focus : mForm.get(), Qt::Key_F4, Qt::ControlModifier);
      mForm->windowHandle()->close();
      QTest::mouseClick(timeUnits, Qt::RightButton, {}, timeUnits->rect().center());
      QTabBar* tabs = other->PageControl()->tabBar();
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
      QApplication::processEvents();
      EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a unit menu opened";
      while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
      EXPECT_EQ(mForm->ActiveChild(), child);
      test::ClickCentre(accept ? console->LeftPushButton() : console->RightPushButton());
    });
    person.start(25);
    Click(elevation);  // the keyboard there when the fit starts
    ASSERT_TRUE(ChooseMenu(*mForm, {"Calculate", "Optimize"}));
    EXPECT_TRUE(tried);
    EXPECT_EQ(Globals().OptimizeCancelled, !accept) << "the fit was not the person's to end";
    EXPECT_EQ(child->Data().Rejected, !accept);
    EXPECT_EQ(mForm->ActiveChild(), child);
    ASSERT_TRUE(WaitUntil([&] { return elevation->hasFocus(); }, 3000))
        << "keyboard at " << ClassOf(QApplication::focusWidget());
    QTest::keyClick(elevation, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(elevation, accept ? "16\r" : "17\r");
    EXPECT_EQ(child->Data().SurfaceLevel(), accept ? 16 : 17);
  }
  EXPECT_EQ(mForm->Children().size(), 3u);
  EXPECT_EQ(child->Data().TimeUnit(), unit);
  EXPECT_EQ(other->ActivePage(), otherPage);
  EXPECT_EQ(ReadAll(path), before);
  ExpectNoMessages();
}

// A value still in its field or cell when the window closes is the document's before the
// question: the close box, Exit and Ctrl+F4 of a maximised window all ask for it.
TEST_F(Journey, WhatIsBeingTypedIsKeptWhenTheWindowCloses) {
  const std::string path = SampleCopy("typing.aqv");
  TMDIChild* child = OpenDocument(path);
  TAQVData& d = child->Data();
  ASSERT_TRUE(d.Saved);
  ShowPage(*child, TDocumentPage::dpAquiferSystem);
  auto* elevation = child->findChild<TAQVFloatEdit*>(QStringLiteral("laElevationEdit"));
  ASSERT_NE(elevation, nullptr);
  TypeInto(elevation, "12", Qt::Key_unknown);

  // Exit: its menu opening does not commit the field; the leaving program does.
  mPerson.AnswerMessage(Question(*child), QMessageBox::Cancel);
  ChooseMenu(*mForm, {"File", "Exit"});
  ASSERT_TRUE(mForm->isVisible());
  EXPECT_EQ(d.SurfaceLevel(), 12);
  EXPECT_TRUE(mPerson.Unexpected().isEmpty()) << "no message about the half-typed field";

  // Ctrl+F4 in the maximised window, with a cell being typed.
  auto* frame = qobject_cast<QMdiSubWindow*>(child->parentWidget());
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->isMaximized());
  d.Saved = true;
  TAQVConductivitiesGrid& grid = *child->ConductivitiesGrid();
  TypeInGrid(grid, 3, AquiferRow(d, 1), "40");  // Kh
  mPerson.AnswerMessage(Question(*child), QMessageBox::Cancel);
  QTest::keyClick(grid.CellEditor(), Qt::Key_F4, Qt::ControlModifier);
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000)) << "Ctrl+F4 asked nothing";
  EXPECT_DOUBLE_EQ(d.Kh[1] * d.LengthFactor() / d.TimeFactor(), 40);  // shown per time unit
  EXPECT_EQ(mForm->Children().size(), 1u);

  // The close box of the window, restored to its frame; Ctrl+F4 there asks once as well.
  frame->showNormal();
  mPerson.AnswerMessage(Question(*child), QMessageBox::Cancel);
  QTest::keyClick(grid.viewport(), Qt::Key_F4, Qt::ControlModifier);
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000)) << "Ctrl+F4 asked nothing";
  d.Saved = true;
  TypeInto(elevation, "7", Qt::Key_unknown);
  mPerson.AnswerMessage(Question(*child), QMessageBox::Cancel);
  ClickCloseBox(*frame);
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000)) << "the close box asked nothing";
  EXPECT_EQ(d.SurfaceLevel(), 7);
  mPerson.AnswerMessage(Question(*child), QMessageBox::No);
  ClickCloseBox(*frame);
  ASSERT_TRUE(WaitUntil([&] { return mForm->Children().empty(); }, 3000));
  EXPECT_EQ(mPerson.Messages().size(), 5);
}

// Leaving the program with two unsaved documents: Cancel on either question stops everything
// and no document closes; the program goes only when each answered.
TEST_F(Journey, CancelOnAnyExitQuestionKeepsEveryDocument) {
  TMDIChild* first = NewDocument();
  TypeInto(first->InfoEdit(1), "First");
  TMDIChild* second = NewDocument();
  TypeInto(second->InfoEdit(1), "Second");
  const QString question = Question(*first);

  mPerson.AnswerMessage(question, QMessageBox::Cancel);
  EXPECT_FALSE(ExitProgram());
  EXPECT_EQ(mForm->Children().size(), 2u);
  EXPECT_EQ(mPerson.Messages().size(), 1) << "Cancel asks no further document";
  EXPECT_EQ(mForm->ActiveChild(), first) << "the document asked about comes to the front";

  mPerson.AnswerMessage(question, QMessageBox::No);
  mPerson.AnswerMessage(question, QMessageBox::Cancel);
  EXPECT_FALSE(ExitProgram());
  EXPECT_EQ(mForm->Children().size(), 2u) << "the one answered No stays with the other";

  mPerson.AnswerMessage(question, QMessageBox::No);
  mPerson.AnswerMessage(question, QMessageBox::No);
  EXPECT_TRUE(ExitProgram());
}

// The busy state disables the panel of the button that started the computation, so the focus
// may be nowhere; Escape still stops it.
TEST_F(Journey, EscapeStopsARunningCurveComputation) {
  TMDIChild* child = NewDocument();
  TAQVData& d = child->Data();
  d.SetTimesPerLogCycle(1000);  // long enough to be stopped
  ShowPage(*child, TDocumentPage::dpChart);
  // The person presses Escape once the progress bar moves.
  bool pressedWhileBusy = false;
  const TNotifyEvent progress = d.OnProgressBarChange;
  d.OnProgressBarChange = [&](TObject* sender) {
    if (progress) progress(sender);
    if (!d.Busy || pressedWhileBusy) return;
    pressedWhileBusy = true;
    EXPECT_GT(mForm->statusBar()->findChild<QProgressBar*>()->value(), 0) << "no progress shown";
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget()
                                                             : QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key_Escape);
  };
  Click(child->UpdateGraphButton());  // returns when the computation has ended
  d.OnProgressBarChange = progress;
  EXPECT_TRUE(pressedWhileBusy);
  EXPECT_FALSE(d.Busy);
  EXPECT_TRUE(d.Cancel);
  EXPECT_TRUE(d.Modified()) << "a stopped computation computes again next time";
  EXPECT_TRUE(child->UpdateGraphButton()->isEnabled());
  d.Saved = true;
}

// Preferences applied from the menu, opened with the mouse, keep a value typed and not yet
// entered: the field shows it and a save writes it.
TEST_F(Journey, AValueBeingTypedIsKeptThroughThePreferences) {
  const std::string path = SampleCopy("preferences.aqv");
  TMDIChild* child = OpenDocument(path, TDocumentPage::dpAquiferSystem);
  TAQVData& d = child->Data();
  auto* elevation = child->findChild<TAQVFloatEdit*>(QStringLiteral("laElevationEdit"));
  ASSERT_NE(elevation, nullptr);
  TypeInto(elevation, "12", Qt::Key_unknown);
  const int terms = d.StehfestTerms();
  mPerson.HandleDialog([](QWidget* dialog) {
    auto* stehfest = dialog->findChild<QComboBox*>(QStringLiteral("opStehfestComboBox"));
    stehfest->setFocus();
    QTest::keyClick(stehfest, Qt::Key_Down);
    test::PressButton(*dialog, "Apply");
  });
  ASSERT_TRUE(ChooseMenu(*mForm, {"Calculate", "Preferences"}));
  EXPECT_NE(d.StehfestTerms(), terms);
  EXPECT_EQ(elevation->text(), "12");
  mPerson.AnswerMessage(QString::fromStdString(path + " already exists. Overwrite?"),
                        QMessageBox::Yes);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Save"}));
  EXPECT_NE(ReadAll(path).find("Top level :      12.00000"), std::string::npos);
}

// A value typed under one unit is stored in that unit when another is chosen from the status
// bar (the item taken with the keys in one menu, with the mouse in the other), and the cell
// then shows it converted; an invalid one keeps the menu closed, with the cell's message.
TEST_F(Journey, AValueBeingTypedKeepsTheUnitItWasTypedIn) {
  TMDIChild* child = OpenDocument(SampleCopy("units.aqv"), TDocumentPage::dpAquiferSystem);
  TAQVData& d = child->Data();
  TAQVConductivitiesGrid& grid = *child->ConductivitiesGrid();
  const int row = AquiferRow(d, 1);
  TypeInGrid(grid, 2, row, "30");  // thickness [m]
  QMenu* length = RightClickUnits(*mForm, "Length units", "LengthUnitsPopupMenu");
  ASSERT_TRUE(WaitUntil([length] { return length->isVisible(); }, 3000));
  QTest::keyClick(length, Qt::Key_Down);  // Feet
  QTest::keyClick(length, Qt::Key_Return);
  ASSERT_EQ(d.LengthUnit(), TAQVLengthUnit::luFeet);
  EXPECT_NEAR(d.D[1], 30 / 0.3048, 1e-9);
  EXPECT_EQ(grid.Cells(2, row), "98.4252");

  TypeInGrid(grid, 3, row, "40");  // K [ft/min]
  QMenu* time = RightClickUnits(*mForm, "Time units", "TimeUnitsPopupMenu");
  ASSERT_TRUE(WaitUntil([time] { return time->isVisible(); }, 3000));
  QAction* hours = time->actions().value(2);
  QTest::mouseClick(time, Qt::LeftButton, {}, time->actionGeometry(hours).center());
  ASSERT_EQ(d.TimeUnit(), TAQVTimeUnit::tuHours);
  EXPECT_DOUBLE_EQ(d.Kh[1], 40 * 1440.0);  // ft/d
  EXPECT_EQ(grid.Cells(3, row), "2400");

  TypeInGrid(grid, 2, row, "-5");
  mPerson.AnswerMessage(QString(), QMessageBox::Ok);
  RightClickUnits(*mForm, "Length units", "LengthUnitsPopupMenu");
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000)) << "no message";
  EXPECT_FALSE(length->isVisible());
  EXPECT_EQ(d.LengthUnit(), TAQVLengthUnit::luFeet);
  ASSERT_TRUE(grid.IsEditing());
  QTest::keyClick(grid.CellEditor(), Qt::Key_Escape);
}

// A count refused on its way to a command stops the command. "Number of aquifers" (1 or 2) with
// 3 typed and not entered, then Calculate > Preferences with the mouse, or a right click on the
// status bar's length units: the field's message, no dialog, no menu, and the field keeps the
// 3 and the keyboard, as a Tab out of it does.
TEST_F(Journey, ARefusedCountStopsTheCommandThatFollows) {
  TMDIChild* child = OpenDocument(SampleCopy("count.aqv"));
  const int aquifers = child->Data().AquiferCount();
  ShowPage(*child, TDocumentPage::dpInfo);
  auto* count = child->findChild<QLineEdit*>(QStringLiteral("nuNAQSpinEdit"));
  auto* length = mForm->findChild<QMenu*>(QStringLiteral("LengthUnitsPopupMenu"));
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"Preferences", [&] { ChooseMenu(*mForm, {"Calculate", "Preferences"}); }},
      {"Length units", [&] { RightClickUnits(*mForm, "Length units", "LengthUnitsPopupMenu"); }},
  };
  for (const auto& [name, command] : commands) {
    SCOPED_TRACE(name);
    TypeInto(count, "3", Qt::Key_unknown);
    mPerson.AnswerMessage(QStringLiteral("Value must be between 1 and 2!"), QMessageBox::Ok);
    command();
    ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000)) << "no message";
    EXPECT_TRUE(mPerson.Unexpected().isEmpty()) << "a dialog opened";
    EXPECT_FALSE(length->isVisible());
    EXPECT_EQ(count->text(), "3");
    EXPECT_EQ(child->Data().AquiferCount(), aquifers);
    EXPECT_TRUE(WaitUntil([count] { return count->hasFocus(); }, 3000));
  }
  count->selectAll();  // emptied, the field stores nothing when the program ends
  QTest::keyClick(count, Qt::Key_Backspace);
}

// A value entered and still holding the keyboard is the document's: a unit chosen from the
// status bar afterwards shows it converted, beside the values converted with it, and Return
// then stores it unchanged.
TEST_F(Journey, AValueEnteredIsShownInTheUnitChosenAfterIt) {
  TMDIChild* child = OpenDocument(SampleCopy("entered.aqv"));
  TAQVData& d = child->Data();
  ASSERT_EQ(d.LengthUnit(), TAQVLengthUnit::luMeters);
  const auto choose = [&](const char* panel, const char* name, int item) {
    QMenu* menu = RightClickUnits(*mForm, panel, name);
    ASSERT_TRUE(WaitUntil([menu] { return menu->isVisible(); }, 3000));
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->actions()[item]).center());
  };
  const auto returnIn = [](QLineEdit* edit) {
    ASSERT_TRUE(WaitUntil([edit] { return edit->hasFocus(); }, 3000));
    QTest::keyClick(edit, Qt::Key_Return);
  };

  ShowPage(*child, TDocumentPage::dpAquiferSystem);
  auto* elevation = child->findChild<TAQVFloatEdit*>(QStringLiteral("laElevationEdit"));
  ASSERT_NE(elevation, nullptr);
  TypeInto(elevation, "10", Qt::Key_Return);
  ASSERT_EQ(d.SurfaceLevel(), 10);
  const double coverBase = 10 - d.DAquitard[1];
  choose("Length units", "LengthUnitsPopupMenu", 0);  // Feet
  ASSERT_EQ(d.LengthUnit(), TAQVLengthUnit::luFeet);
  EXPECT_EQ(child->ConductivitiesGrid()->Cells(1, 1),
            FloatToStrTrim(7, 1e5, coverBase / 0.3048, Globals().DecimalSeparator));
  EXPECT_EQ(elevation->text(), "32.8084");
  returnIn(elevation);
  EXPECT_NEAR(d.SurfaceLevel(), 10 / 0.3048, 1e-4);

  ShowPage(*child, TDocumentPage::dpChart);
  choose("Time units", "TimeUnitsPopupMenu", 3);  // Days
  auto* starting = child->findChild<TAQVFloatEdit*>(QStringLiteral("tmStartingTimeFloatEdit"));
  auto* stopping = child->findChild<TAQVFloatEdit*>(QStringLiteral("tmStoppingTimeFloatEdit"));
  ASSERT_NE(starting, nullptr);
  TypeInto(starting, "0.01", Qt::Key_Return);
  ASSERT_DOUBLE_EQ(d.StartingTime(), 0.01);
  choose("Time units", "TimeUnitsPopupMenu", 1);  // Minutes
  ASSERT_EQ(d.TimeUnit(), TAQVTimeUnit::tuMinutes);
  EXPECT_EQ(stopping->text().toStdString(),
            FloatToStrTrim(7, 1e5, d.StoppingTime() * 1440, Globals().DecimalSeparator));
  EXPECT_EQ(starting->text(), "14.4");
  returnIn(starting);
  EXPECT_DOUBLE_EQ(d.StartingTime(), 0.01);
  ExpectNoMessages();
}

}  // namespace aqv::e2e

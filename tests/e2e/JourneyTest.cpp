#include "tests/e2e/Journey.h"
#include "tests/support/Pixels.h"

namespace aqv::e2e {
namespace {

TEST_F(Journey, StartShowsTitleAndWelcomeWithoutAnyMessage) {
  QTest::qWait(300);  // the first activation and whatever it may bring
  EXPECT_EQ(mForm->windowTitle(), "AQV for Windows - Zelvor edition (1.00)");
  EXPECT_EQ(mForm->windowHandle()->title(), mForm->windowTitle());
  EXPECT_EQ(mForm->StatusText(0), "Welcome to AQV for Windows");
  EXPECT_TRUE(mForm->StatusText(1).isEmpty());
  EXPECT_TRUE(mForm->MdiArea()->subWindowList().isEmpty());
  EXPECT_EQ(ApplicationTitle(), "AQV for Windows");
  EXPECT_EQ(QGuiApplication::platformName(), "xcb");
  ExpectNoMessages();
}

TEST_F(Journey, NewDocumentShowsEveryPage) {
  Globals().DefaultLengthUnits = 0;  // feet, as the preferences keep them
  TMDIChild* child = NewDocument();
  EXPECT_TRUE(mForm->MdiArea()->activeSubWindow()->isMaximized());
  EXPECT_EQ(mForm->StatusText(1), "Time units: Days");
  EXPECT_EQ(mForm->StatusText(2), "Length units: Feet");
  EXPECT_EQ(ApplicationTitle(), DocumentApplicationTitle(""));
  EXPECT_TRUE(mForm->Actions().Save->isEnabled());

  const char* pages[] = {"General info",      "Aquifer system",       "Pumping wells",
                         "Observation wells", "Optimization results", "Time graphs",
                         "Contour plot"};
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(pages[i]);
    ShowPage(*child, static_cast<TDocumentPage>(i));
    EXPECT_EQ(child->PageControl()->tabText(i), pages[i]);
    EXPECT_TRUE(child->PageControl()->widget(i)->isVisible());
  }
  // What the pages showed of the new document.
  EXPECT_FALSE(child->InfoEdit(10)->text().isEmpty());  // today's date
  EXPECT_EQ(child->PumpingPeriodsPanel()->text(),
            " Pumping periods for well number 1: Pumping well 1");
  EXPECT_TRUE(child->OutputMemo()->toPlainText().isEmpty());
  const TAQVData& d = child->Data();
  EXPECT_LT(d.WorldX1(), d.WorldX2());  // the contour page made its window around the wells
  // On a picture page the frame reports the picture's size when resized.
  mForm->resize(mForm->width() - 40, mForm->height() - 20);
  EXPECT_TRUE(WaitUntil([&] { return mForm->StatusText(0).startsWith("Width = "); }, 3000))
      << mForm->StatusText(0).toStdString();
  ExpectNoMessages();
}

TEST_F(Journey, RefusedGridValueShowsItsMessageAndKeepsTheCell) {
  TMDIChild* child = NewDocument(TDocumentPage::dpAquiferSystem);
  TAQVConductivitiesGrid& grid = *child->ConductivitiesGrid();
  const int row = AquiferRow(child->Data(), 1);
  ASSERT_GT(row, 0);
  const double thickness = child->Data().D[1];
  mPerson.AnswerMessage("Value must be larger than 0!", QMessageBox::Ok);
  TypeInGrid(grid, 2, row, "-5");
  QTest::keyClick(grid.CellEditor(), Qt::Key_Return);
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000));
  QApplication::processEvents();
  EXPECT_EQ(mPerson.Messages(), QStringList{"Value must be larger than 0!"});
  EXPECT_TRUE(grid.IsEditing());
  EXPECT_EQ(grid.Row(), row);
  EXPECT_EQ(grid.Col(), 2);
  EXPECT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == grid.CellEditor(); }, 3000))
      << "focus on " << ClassOf(QApplication::focusWidget()) << " active "
      << ClassOf(QApplication::activeWindow()) << " frame focus " << ClassOf(mForm->focusWidget())
      << " editor focus " << grid.CellEditor()->hasFocus();
  EXPECT_EQ(child->Data().D[1], thickness);
  // Escape gives the old value back and the cell may be left.
  QTest::keyClick(grid.CellEditor(), Qt::Key_Escape);
  EXPECT_FALSE(grid.IsEditing());
}

TEST_F(Journey, RefusedNumberFieldShowsItsMessageAndTakesTheFocusBack) {
  TMDIChild* child = NewDocument();
  auto* relative = child->findChild<TAQVFloatEdit*>("paRelativeEdit");
  ASSERT_NE(relative, nullptr);
  const double before = child->Data().RelStoppingCriterion;
  mPerson.AnswerMessage("Value must be larger than 0!", QMessageBox::Ok);
  TypeInto(relative, "0", Qt::Key_Tab);
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }, 3000));
  ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == relative; }, 3000));
  EXPECT_EQ(mPerson.Messages(), QStringList{"Value must be larger than 0!"});
  EXPECT_EQ(relative->text(), "0");
  EXPECT_EQ(child->Data().RelStoppingCriterion, before);
}

using test::CountColour;

TEST_F(Journey, UpdateGraphDrawsComputedCurvesAndObservations) {
  TMDIChild* child = NewDocument(TDocumentPage::dpChart);
  TMyChart* chart = child->Chart();
  EXPECT_EQ(chart->GetSeriesCount(), 0);
  Click(child->UpdateGraphButton());
  ASSERT_TRUE(WaitUntil([&] { return chart->GetSeriesCount() > 0 && !child->Data().Modified(); }));
  QApplication::processEvents();

  TSeries* curve = nullptr;
  TSeries* observed = nullptr;
  for (int i = 0; i < chart->GetSeriesCount(); ++i) {
    TSeries* s = chart->GetSeries(i);
    ASSERT_NE(s->Reference(), nullptr);
    (s->Reference()->Kind == 0 ? curve : observed) = s;
  }
  ASSERT_NE(curve, nullptr) << "no computed curve";
  ASSERT_NE(observed, nullptr) << "no observed data";
  EXPECT_GT(curve->GetCount(), 10);
  EXPECT_EQ(observed->GetCount(), child->Data().ObservationWells[1].ObservationCount());

  // What the screen shows: the curve's colour along its line, a marker on an observation.
  const QImage picture = chart->grab().toImage();
  const QColor line = ToQColor(curve->Patterns().Border().Data().Color);
  const QColor marker = ToQColor(observed->Marker().Color());
  EXPECT_GT(CountColour(picture, line), 30);
  ASSERT_TRUE(observed->GetVisible(0));
  EXPECT_EQ(picture.pixelColor(observed->GetPixelX(0), observed->GetPixelY(0)).rgb(), marker.rgb());
  EXPECT_NE(marker.rgb(), picture.pixelColor(2, 2).rgb());  // not the background's colour

  // A style the person gives a curve afterwards goes into the document, which the file keeps.
  child->Data().Saved = true;
  curve->Patterns().Border().SetColor(0x00A0B0C0);
  const TChartReference& r = *curve->Reference();
  EXPECT_EQ(child->Data().GetCurveColor(r.Curve, r.Layer), 0x00A0B0C0);
  EXPECT_FALSE(child->Data().Saved);
  ExpectNoMessages();
}

TEST_F(Journey, MarkedTransmissivityIsOptimisedAcceptedAndReported) {
  TMDIChild* child = NewDocument(TDocumentPage::dpAquiferSystem);
  TAQVData& d = child->Data();
  TAQVConductivitiesGrid& grid = *child->ConductivitiesGrid();
  const int row = AquiferRow(d, 1);
  ASSERT_GT(row, 0);
  TypeInGrid(grid, 6, row, "1");  // the mark column after T
  QTest::keyClick(grid.CellEditor(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(d.TCode[1], '1');

  mPerson.AcceptConsole();
  ASSERT_TRUE(ChooseMenu(*mForm, {"Calculate", "Optimize"}));
  ASSERT_TRUE(WaitUntil([&] { return mPerson.Done(); }));
  EXPECT_TRUE(d.ResultsExist);
  EXPECT_FALSE(d.Rejected);
  EXPECT_TRUE(mForm->menuBar()->isEnabled());  // the frame is usable again

  ShowPage(*child, TDocumentPage::dpOutput);
  const QString report = child->OutputMemo()->toPlainText();
  EXPECT_TRUE(report.contains("THE   CALCULATED   LEAST   SQUARES   SOLUTION"))
      << report.left(800).toStdString();
  EXPECT_TRUE(report.contains("T 1"));
  EXPECT_FALSE(report.contains("WARNING"));
  ExpectNoMessages();
}

TEST_F(Journey, SavedDocumentIsReopenedFromTheRecentFiles) {
  TMDIChild* child = NewDocument();
  TypeInto(child->InfoEdit(1), "Journey six");
  const std::string path = mFolder.Path("journey.aqv");
  mPerson.TypeFileName(QString::fromStdString(path));
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Save as..."}));
  EXPECT_TRUE(mPerson.FileDialogsWereWidgets());
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_TRUE(child->Data().Saved);
  EXPECT_EQ(child->windowTitle().toStdString(), path);
  EXPECT_EQ(mForm->RecentFiles().Entry(0), path);

  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));  // saved: no question
  ASSERT_TRUE(WaitUntil([&] { return mForm->Children().empty(); }, 3000));
  EXPECT_TRUE(mForm->StatusText(1).isEmpty());

  const QString item = "1. " + QString::fromStdString(path);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Reopen", item}));
  ASSERT_EQ(mForm->Children().size(), 1u);
  EXPECT_EQ(mForm->ActiveChild()->Data().FileName, path);
  EXPECT_EQ(mForm->ActiveChild()->InfoEdit(1)->text(), "Journey six");

  // The list outlives the program.
  ASSERT_TRUE(ExitProgram());
  StartProgram();
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Reopen", item}));
  ASSERT_EQ(mForm->Children().size(), 1u);
  EXPECT_EQ(mForm->ActiveChild()->Data().FileName, path);
  ExpectNoMessages();
}

TEST_F(Journey, ClosingAChangedDocumentAsksAndNoLeavesTheFile) {
  const std::string path = SampleCopy("question.aqv");
  const std::string bytes = ReadAll(path);
  TMDIChild* child = OpenDocument(path);
  EXPECT_TRUE(child->Data().Saved) << "a file just read differs from nothing on disk";
  ShowPage(*child, TDocumentPage::dpInfo);
  TypeInto(child->InfoEdit(1), "Changed name");
  EXPECT_FALSE(child->Data().Saved);
  const QString question = QString::fromStdString("Save changes to " + path + "?");

  mPerson.AnswerMessage(question, QMessageBox::Cancel);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));
  EXPECT_EQ(mForm->Children().size(), 1u);  // Cancel keeps it

  mPerson.AnswerMessage(question, QMessageBox::Cancel);
  ChooseMenu(*mForm, {"File", "Exit"});
  EXPECT_TRUE(mForm->isVisible());  // so does Cancel on leaving the program
  EXPECT_EQ(mForm->Children().size(), 1u);

  mPerson.AnswerMessage(question, QMessageBox::No);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));
  ASSERT_TRUE(WaitUntil([&] { return mForm->Children().empty(); }, 3000));
  EXPECT_EQ(ReadAll(path), bytes);
  EXPECT_EQ(mPerson.Messages(), QStringList({question, question, question}));
}

// Filling the time graph of a file just read once gave every new series' default style back to
// the document before the series took the document's own: the file's curve colours were lost
// and an untouched document asked to be saved.
TEST_F(Journey, OpeningAFileKeepsItsCurveStylesAndAsksNothingOnClose) {
  // A file of a version without series formats, whose curves have colours of their own.
  const std::string path = mFolder.Path("colours.aqv");
  {
    TAQVData file;
    file.FileName = mFolder.Path("v2010.aqv");
    std::ofstream(file.FileName, std::ios::binary)
        << WithoutImages(ReadAll(std::string(AQV_TEST_DATA_DIR) + "/v2010.aqv"));
    ASSERT_TRUE(file.LoadFromFile());
    for (int c = 1; c <= file.ObservationWellCount(); ++c)
      for (int layer = 1; layer <= file.AquiferCount(); ++layer)
        file.SetCurveColor(c, layer, 0x102030 + 0x10 * c + layer);
    file.FileName = path;
    file.SaveToFile(false);
    ASSERT_TRUE(file.Saved);
  }
  for (const std::string& name : {path, SampleCopy("formats.aqv")}) {
    SCOPED_TRACE(name);
    TAQVData read;
    read.FileName = name;
    ASSERT_TRUE(read.LoadFromFile());

    TMDIChild* child = OpenDocument(name);
    EXPECT_TRUE(child->Data().Saved);
    TMyChart* chart = child->Chart();
    int curves = 0;
    for (int i = 0; i < chart->GetSeriesCount(); ++i) {
      const TSeries& series = *chart->GetSeries(i);
      const TChartReference* r = series.Reference();
      if (r == nullptr || r->Kind != 0) continue;
      ++curves;
      // The document keeps the colour the curve shows: the file's series format where the file
      // has one, else the well's colour.
      const TColor shown = series.Patterns().Border().Color();
      EXPECT_EQ(child->Data().GetCurveColor(r->Curve, r->Layer), shown);
      if (name == path) {
        EXPECT_EQ(shown, read.GetCurveColor(r->Curve, r->Layer));
      }
    }
    EXPECT_GT(curves, 0);
    ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));  // no question
    ASSERT_TRUE(WaitUntil([&] { return mForm->Children().empty(); }, 3000));
  }
  ExpectNoMessages();
}

TEST_F(Journey, ClosingDuringAnAnimationStopsItCleanly) {
  TMDIChild* child = NewDocument(TDocumentPage::dpContourPlot);
  QPointer<TAQVKaart> map = child->Map();
  EXPECT_TRUE(map->isVisible());
  Click(child->AnimateButton());
  ASSERT_TRUE(WaitUntil([&] { return map->Animating() && map->AnimationStep() >= 3; }));
  EXPECT_TRUE(child->PauseButton()->isEnabled());
  EXPECT_FALSE(child->ResetButton()->isEnabled());
  // Pause holds the picture and offers Animate to go on and Reset; Animate goes on.
  Click(child->PauseButton());
  EXPECT_TRUE(map->Paused());
  EXPECT_FALSE(child->PauseButton()->isEnabled());
  EXPECT_TRUE(child->AnimateButton()->isEnabled() && child->ResetButton()->isEnabled());
  Click(child->AnimateButton());
  EXPECT_FALSE(map->Paused());
  EXPECT_TRUE(child->PauseButton()->isEnabled());
  EXPECT_FALSE(child->AnimateButton()->isEnabled() || child->ResetButton()->isEnabled());

  mPerson.AnswerMessage("Save changes to ?", QMessageBox::No);
  ASSERT_TRUE(ChooseMenu(*mForm, {"File", "Close"}));
  ASSERT_TRUE(WaitUntil([&] { return map.isNull(); }, 5000)) << "the map outlived its window";
  EXPECT_TRUE(mForm->Children().empty());

  // The same while leaving the program.
  child = NewDocument(TDocumentPage::dpContourPlot);
  map = child->Map();
  Click(child->AnimateButton());
  ASSERT_TRUE(WaitUntil([&] { return map->Animating() && map->AnimationStep() >= 2; }));
  mPerson.AnswerMessage("Save changes to ?", QMessageBox::No);
  ASSERT_TRUE(ExitProgram());
  EXPECT_TRUE(map.isNull());
  QTest::qWait(200);  // nothing left to tick
  EXPECT_EQ(mPerson.Messages().size(), 2);
}

TEST_F(Journey, CurveContourAndModelExportsWriteTheirFiles) {
  TMDIChild* child = OpenDocument(SampleCopy("exports.aqv"));

  ShowPage(*child, TDocumentPage::dpChart);
  ASSERT_GT(child->Chart()->GetSeriesCount(), 0);  // computed when the file was read
  const std::string fth = mFolder.Path("curves.fth");
  mPerson.TypeFileName(QString::fromStdString(fth));
  ASSERT_TRUE(ChooseMenu(*mForm, {"Export", "Save curves as FTH"}));
  ASSERT_TRUE(std::filesystem::exists(fth));
  EXPECT_GT(std::filesystem::file_size(fth), 100u);

  ShowPage(*child, TDocumentPage::dpContourPlot);
  const std::string xyz = mFolder.Path("contours.xyz");
  mPerson.TypeFileName(QString::fromStdString(xyz));
  ASSERT_TRUE(ChooseMenu(*mForm, {"Export", "Save contours as XYZ"}));
  ASSERT_TRUE(std::filesystem::exists(xyz));
  EXPECT_GT(std::filesystem::file_size(xyz), 100u);
  // The FTH item belongs to the time graph page.
  EXPECT_FALSE(ChooseMenu(*mForm, {"Export", "Save curves as FTH"}));

  // The model is written from the generator's window, once its preview allows saving.
  const std::string fem = mFolder.Path("model.fem");
  bool previewed = false;
  mPerson.HandleDialog([&](QWidget* modal) {
    auto* form = qobject_cast<TFEMGridForm*>(modal);
    if (form == nullptr) {
      ADD_FAILURE() << "not the model generator: " << modal->metaObject()->className();
      qobject_cast<QDialog*>(modal)->reject();
      return;
    }
    Click(form->PreviewButton());
    previewed = WaitUntil([form] { return form->SaveButton()->isEnabled(); }, 20000);
    if (previewed) {
      mPerson.TypeFileName(QString::fromStdString(fem));
      Click(form->SaveButton());
    }
    Click(form->CloseButton());
  });
  ASSERT_TRUE(ChooseMenu(*mForm, {"Export", "Save model as FEM"}));
  EXPECT_TRUE(previewed) << "the preview never allowed saving";
  ASSERT_TRUE(std::filesystem::exists(fem));
  EXPECT_GT(std::filesystem::file_size(fem), 100u);
  EXPECT_TRUE(child->isEnabled());  // the document window is usable again
  ExpectNoMessages();
}

TEST_F(Journey, F1OnAPageShowsThatPagesHelp) {
  THelpCatcher help;
  QTest::keyClick(mForm.get(), Qt::Key_F1);  // no document: the introduction
  help.ExpectOnePage("Introduction");

  TMDIChild* child = NewDocument();
  ShowPage(*child, TDocumentPage::dpInfo);  // the tab of the page the window opens with
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  help.ExpectOnePage("general_info");
  const struct {
    TDocumentPage Page;
    const char* FieldName;
    const char* Keyword;
  } cases[] = {
      {TDocumentPage::dpChart, "tmStartingTimeFloatEdit", "time_graphs"},
      {TDocumentPage::dpContourPlot, "coWestFloatEdit", "contour_plot"},
      {TDocumentPage::dpInfo, "prNameEdit", "general_info"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Keyword);
    ShowPage(*child, c.Page);
    auto* field = child->findChild<QLineEdit*>(c.FieldName);
    ASSERT_NE(field, nullptr);
    Click(field);
    ASSERT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(HelpKeywordOf(QApplication::focusWidget()), c.Keyword);
    QTest::keyClick(field, Qt::Key_F1);
    help.ExpectOnePage(c.Keyword);
  }
  ExpectNoMessages();
}

}  // namespace
}  // namespace aqv::e2e

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FEMGrid.h"
#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVGridView.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/FEMGridForm.h"
#include "app/gui/Help.h"
#include "tests/app/gui/WindowTestSupport.h"
#include "tests/support/DocumentTest.h"
#include "tests/support/Pixels.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

// The model-generator dialog on a document of one aquifer with a pumping well at the centre
// and two observation wells, shown (not modal) on the scripted interface.
class TFEMGridFormTest : public test::TDocumentTest {
 protected:
  void SetUp() override {
    TDocumentTest::SetUp();
    mData->SetPumpingWellCount(1);
    TPumpingWell& well = mData->PumpingWells[1];
    well.X = well.Y = 0;
    well.Rw = 0.1;
    well.Screened[1] = true;
    well.SetPeriodCount(1);
    well.Discharge[1] = 500;
    well.Name = "PW1";
    mData->SetObservationWellCount(2);
    mData->ObservationWells[1].X = 80;
    mData->ObservationWells[2].X = -150;
    mData->ObservationWells[2].Y = 300;
    mData->WellCentreX = mData->WellCentreY = 0;
    mData->MapRadius = 300;  // model lengths from 1800 are accepted
    mData->ModelLength = 2000;
    mData->MeshDensity = 3;
    NewForm();
  }
  void TearDown() override {
    mUi.OnProcessMessages = nullptr;
    mForm.reset();
    ResetGlobals();
  }

  // Replaces an edit's text by typing; Enter hands it to the document when asked.
  static void Type(QLineEdit* edit, const QString& text, bool enter) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    if (enter) QTest::keyClick(edit, Qt::Key_Return);
  }
  // A new dialog on the document, shown.
  void NewForm() {
    mForm = std::make_unique<TFEMGridForm>(*mData, mUi);
    mForm->show();
  }
  void Preview() { QTest::mouseClick(mForm->PreviewButton(), Qt::LeftButton); }
  const TAQVGrid& Grid() const { return mForm->GridView()->Grid(); }

  std::unique_ptr<TFEMGridForm> mForm;
};

TEST_F(TFEMGridFormTest, OpensWithTheDocumentsSettingsAndSaveDisabled) {
  EXPECT_EQ(mForm->windowTitle(), "Kelvaros model generator");
  EXPECT_EQ(mForm->DensityEdit()->text(), "3");
  EXPECT_EQ(mForm->ModelLengthEdit()->text(), "2000");
  EXPECT_EQ(mForm->ModelLengthLabel()->text(), "Model length (m)");
  EXPECT_TRUE(mForm->GridInfoLabel()->text().isEmpty());
  EXPECT_EQ(mForm->CloseButton()->text(), "&Close");
  EXPECT_FALSE(mForm->SaveButton()->isEnabled());
  EXPECT_TRUE(mForm->PreviewButton()->isEnabled());
  EXPECT_EQ(mForm->focusWidget(), mForm->ModelLengthEdit());  // where typing starts
  for (QWidget* w : std::initializer_list<QWidget*>{mForm->ModelLengthEdit(), mForm->DensityEdit(),
                                                    mForm->GridView()})
    EXPECT_EQ(HelpKeywordOf(w), "fem_model") << w->objectName().toStdString();
  // Pressing the disabled Save does nothing.
  mUi.DialogPaths.push_back("/nonexistent/never.fem");
  QTest::mouseClick(mForm->SaveButton(), Qt::LeftButton);
  EXPECT_EQ(mUi.DialogPaths.size(), 1U);
}

TEST_F(TFEMGridFormTest, PreviewShowsTheMeshAndEnablesSave) {
  Preview();
  ASSERT_TRUE(Grid().MeshValid());
  EXPECT_EQ(Grid().Density(), 3);
  EXPECT_DOUBLE_EQ(Grid().Radius(), 1000);
  EXPECT_TRUE(mForm->SaveButton()->isEnabled());
  EXPECT_EQ(mForm->GridInfoLabel()->text().toStdString(), Grid().InfoText());
  EXPECT_EQ(mForm->GridInfoLabel()->text().toStdString(),
            std::to_string(Grid().NodeCount()) + " nodes, " +
                std::to_string(Grid().ElementCount()) + " elements");
  EXPECT_TRUE(mUi.Messages.empty());

  const TAQVGridView& view = *mForm->GridView();
  ASSERT_TRUE(view.MeshDrawn());
  const QImage picture = view.Picture();
  // The hexagon spans the full height of the area; its corners left and right of the centre.
  const TMeshTransform t = TMeshTransform::ForArea(view.width(), view.height(), 1000, 0, 0);
  const QColor centre = picture.pixelColor(t.PixelX(0), t.PixelY(0));
  EXPECT_GT(centre.red(), 150) << "the pumping well is marked red";
  EXPECT_LT(centre.blue(), 100);
  const QColor observation = picture.pixelColor(t.PixelX(80), t.PixelY(0));
  EXPECT_GT(observation.blue(), 150) << "an observation well is marked blue";
  EXPECT_LT(observation.red(), 100);
  // The boundary is drawn round it in dark navy, and only round it: no line of it crosses the
  // inside (where mesh lines crowd round the wells, a few of their pixels come out as dark).
  const auto navy = [](QColor c) {
    return c.red() < 45 && c.blue() < 110 && c.blue() - c.red() > 40;
  };
  EXPECT_GT(test::CountPixels(picture, navy), 2 * view.height());
  const QRect inside(QPoint(t.PixelX(-600), t.PixelY(600)), QPoint(t.PixelX(600), t.PixelY(-600)));
  EXPECT_LT(test::CountPixels(picture, navy, inside), 50);
  // Outside the hexagon (above a slanted edge, near the top-left corner) nothing is drawn.
  EXPECT_EQ(picture.pixelColor(t.PixelX(-900), t.PixelY(900)), QColor(Qt::white));
  // Inside, the mesh lines cover a fair part of the area in blue-grey.
  const QRect area(QPoint(t.PixelX(-500), t.PixelY(500)), QPoint(t.PixelX(500), t.PixelY(-500)));
  const int drawn = test::CountPixels(
      picture, [](QColor c) { return c.blue() - c.red() > 15; }, area);
  EXPECT_GT(drawn, area.width() * area.height() / 20);

  if (const QByteArray folder = qgetenv("AQV_TEST_PNG_DIR"); !folder.isEmpty())
    mForm->grab().save(QString::fromLocal8Bit(folder) + "/fem-grid-form.png");

  // The last of the most wells of either kind is marked as well.
  mData->SetObservationWellCount(kMaxObservationWells);
  for (int j = 3; j <= kMaxObservationWells; ++j) {
    mData->ObservationWells[j].X = 100.0 * j;
    mData->ObservationWells[j].Y = -200;
  }
  ASSERT_TRUE(mData->InsertPumpingWells(kMaxPumpingWells, 1));
  mData->PumpingWells[kMaxPumpingWells].X = -400;
  mData->PumpingWells[kMaxPumpingWells].Y = 300;
  Preview();
  ASSERT_TRUE(view.MeshDrawn());
  const TMeshTransform both = TMeshTransform::ForArea(view.width(), view.height(), Grid().Radius(),
                                                      Grid().CentreX(), Grid().CentreY());
  const QColor last = view.Picture().pixelColor(both.PixelX(500), both.PixelY(-200));
  EXPECT_GT(last.blue(), 150);
  EXPECT_LT(last.red(), 100);
  EXPECT_GT(view.Picture().pixelColor(both.PixelX(-400), both.PixelY(300)).red(), 150);
  mForm->resize(mForm->size() + QSize(120, 90));  // the mesh fills the view at its new size
  EXPECT_EQ(view.Picture().size(), view.size());
}

TEST_F(TFEMGridFormTest, ChangingDensityOrModelLengthAfterPreviewDisablesSaveUntilTheNext) {
  // A setting changed after the preview: the document's density and model length after it, and
  // how it is changed.
  const std::tuple<const char*, int, double, std::function<void(TFEMGridForm&)>> changes[] = {
      {"density typed and entered", 4, 2000, [](auto& f) { Type(f.DensityEdit(), "4", true); }},
      {"density typed, not entered", 3, 2000, [](auto& f) { Type(f.DensityEdit(), "2", false); }},
      {"density spun up", 3, 2000, [](auto& f) { f.DensityEdit()->UpClick(); }},
      {"model length typed and entered", 3, 3000,
       [](auto& f) { Type(f.ModelLengthEdit(), "3000", true); }},
      {"model length typed, not entered", 3, 2000,
       [](auto& f) { Type(f.ModelLengthEdit(), "2500", false); }},
  };
  for (const auto& [name, density, length, change] : changes) {
    SCOPED_TRACE(name);
    mData->MeshDensity = 3;
    mData->ModelLength = 2000;
    NewForm();
    Preview();
    ASSERT_TRUE(mForm->SaveButton()->isEnabled());
    change(*mForm);
    EXPECT_EQ(mData->MeshDensity, density);
    EXPECT_DOUBLE_EQ(mData->ModelLength, length);
    EXPECT_FALSE(mForm->SaveButton()->isEnabled());
    // The next preview commits what was typed and makes the mesh of the new settings.
    Preview();
    EXPECT_TRUE(mForm->SaveButton()->isEnabled());
    EXPECT_EQ(Grid().Density(), mData->MeshDensity);
    EXPECT_DOUBLE_EQ(2 * Grid().Radius(), mData->ModelLength);
    EXPECT_NE(mData->MeshDensity * mData->ModelLength, 3 * 2000.0);
  }
  // A mesh made after another in the same dialog looks as when made first: no edge of the old.
  const QImage second = mForm->GridView()->grab().toImage();
  NewForm();
  Preview();
  EXPECT_TRUE(mForm->GridView()->grab().toImage() == second);
  Type(mForm->DensityEdit(), "9", true);
  mForm->DensityEdit()->UpClick();
  EXPECT_EQ(mForm->DensityEdit()->text(), "10");  // the arrows reach the finest mesh
  // A density or model length refused by Enter or on its way to the preview shows its
  // message, which takes the keyboard a moment, and the field keeps the text and the keyboard;
  // no mesh is made.
  ASSERT_TRUE(test::ShowActive(*mForm));
  const int meshed = Grid().Density();
  const struct {
    QLineEdit* Edit;
    const char* Refused;
    const char* Message;
  } fields[] = {{mForm->DensityEdit(), "11", "Value must be between 1 and 10!"},
                {mForm->ModelLengthEdit(), "1E", "Invalid value!"}};
  for (const auto& field : fields) {
    const QString before = field.Edit->text();
    const int density = mData->MeshDensity;
    const double length = mData->ModelLength;
    for (const bool enter : {true, false}) {
      SCOPED_TRACE(testing::Message() << field.Refused << (enter ? " entered" : " previewed"));
      mUi.Messages.clear();
      Type(field.Edit, field.Refused, enter);
      if (!enter) Preview();
      QTRY_COMPARE(field.Edit->hasFocus(), true);
      EXPECT_EQ(mUi.OnlyMessage(), field.Message);
      EXPECT_EQ(field.Edit->text(), field.Refused);
      EXPECT_EQ(mData->MeshDensity, density);
      EXPECT_DOUBLE_EQ(mData->ModelLength, length);
      EXPECT_EQ(Grid().Density(), meshed);
      EXPECT_FALSE(mForm->SaveButton()->isEnabled());
    }
    Type(field.Edit, before, true);
  }
}

TEST_F(TFEMGridFormTest, SaveWritesThePreviewedMeshToTheChosenFile) {
  test::TTempFolder folder;
  Preview();
  const std::string path = folder.Path("model.fem");
  mUi.DialogPaths.push_back(path);
  QTest::mouseClick(mForm->SaveButton(), Qt::LeftButton);
  EXPECT_TRUE(mUi.DialogPaths.empty());
  EXPECT_TRUE(mUi.Messages.empty());
  EXPECT_EQ(folder.Read("model.fem"), FEMModelText(Grid(), *mData));
  EXPECT_EQ(folder.Read("model.fem").rfind("Kelva-ros  Finite  Element  Model    \r\n", 0), 0U);
}

// A value typed after the preview and not yet entered reaches the document when Save is
// pressed; the mesh on screen belongs to the old value, so nothing may be saved.
TEST_F(TFEMGridFormTest, SaveWithAChangeTypedSinceThePreviewSavesNothing) {
  test::TTempFolder folder;
  Preview();
  mForm->DensityEdit()->setText("5");
  mForm->DensityEdit()->setModified(true);
  mUi.DialogPaths.push_back(folder.Path("model.fem"));
  mForm->SaveButtonClick();
  EXPECT_EQ(mData->MeshDensity, 5);
  EXPECT_EQ(mUi.DialogPaths.size(), 1U) << "no save dialog";
  EXPECT_FALSE(std::filesystem::exists(folder.Path("model.fem")));
  EXPECT_FALSE(mForm->SaveButton()->isEnabled());
}

TEST_F(TFEMGridFormTest, SaveFailureShowsCouldNotSave) {
  Preview();
  const std::string path = "/nonexistent-folder/model.fem";
  mUi.DialogPaths.push_back(path);
  QTest::mouseClick(mForm->SaveButton(), Qt::LeftButton);
  ASSERT_EQ(mUi.Messages.size(), 1U);
  EXPECT_EQ(mUi.Messages[0].Text, "Could not save " + path + "!\nThe folder does not exist.");
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
}

// What the dialog looked like at each progress step of a generation.
struct TProgressStep {
  QString Info, CloseCaption;
  bool SaveEnabled, PreviewEnabled, MeshDrawn;
  int NodesDrawn, NodeCount;
};

TEST_F(TFEMGridFormTest, ProgressShowsCountsAndNodesAsTheyArePlaced) {
  std::vector<TProgressStep> steps;
  QImage connected;  // the triangles before the finished mesh: no edge of it may be missing
  const QByteArray pngFolder = qgetenv("AQV_TEST_PNG_DIR");
  mUi.OnProcessMessages = [&] {
    if (!pngFolder.isEmpty() && steps.size() == 30)
      mForm->grab().save(QString::fromLocal8Bit(pngFolder) + "/fem-grid-form-progress.png");
    steps.push_back({mForm->GridInfoLabel()->text(), mForm->CloseButton()->text(),
                     mForm->SaveButton()->isEnabled(), mForm->PreviewButton()->isEnabled(),
                     mForm->GridView()->MeshDrawn(), mForm->GridView()->NodesDrawn(),
                     Grid().NodeCount()});
    if (!steps.back().MeshDrawn) connected = mForm->GridView()->Picture();
  };
  Preview();
  ASSERT_GT(steps.size(), 3U);
  bool placing = false, connecting = false;
  for (const TProgressStep& step : steps) {
    EXPECT_EQ(step.CloseCaption, "Cancel");
    EXPECT_FALSE(step.SaveEnabled);
    EXPECT_FALSE(step.PreviewEnabled);
    // Every node placed so far is on screen; at the end the finished mesh is.
    if (!step.MeshDrawn) {
      EXPECT_EQ(step.NodesDrawn, step.NodeCount);
    }
    placing |= step.Info.endsWith(" nodes");
    connecting |= step.Info.endsWith(" elements");
  }
  EXPECT_TRUE(placing);
  EXPECT_TRUE(connecting);
  EXPECT_TRUE(steps.back().MeshDrawn);
  EXPECT_LE(test::CountColour(connected, Qt::white),
            test::CountColour(mForm->GridView()->Picture(), Qt::white));
  EXPECT_EQ(mForm->CloseButton()->text(), "&Close");
  EXPECT_TRUE(mForm->SaveButton()->isEnabled());
}

// The ways of stopping a running generation: none of them may close the dialog.
TEST_F(TFEMGridFormTest, CancelDuringGenerationStopsItAndKeepsTheDialogOpen) {
  const std::pair<const char*, std::function<void(TFEMGridForm&)>> ways[] = {
      {"Cancel button",
       [](TFEMGridForm& f) { QTest::mouseClick(f.CloseButton(), Qt::LeftButton); }},
      {"Escape", [](TFEMGridForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }},
      {"window closed", [](TFEMGridForm& f) { f.close(); }},
  };
  for (const auto& [name, cancel] : ways) {
    SCOPED_TRACE(name);
    mUi.Messages.clear();
    NewForm();
    QSignalSpy finished(mForm.get(), &QDialog::finished);
    int calls = 0;
    mUi.OnProcessMessages = [&] {
      // Cancelling in the second step also checks that a second Preview is refused.
      if (++calls == 1) mForm->PreviewButtonClick();
      if (calls == 2) cancel(*mForm);
    };
    Preview();
    mUi.OnProcessMessages = nullptr;
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(mUi.OnlyMessage(), "Grid generation cancelled by user");
    EXPECT_EQ(Grid().Error(), TMeshError::meCancelled);
    EXPECT_FALSE(Grid().MeshValid());
    EXPECT_FALSE(mForm->SaveButton()->isEnabled());
    EXPECT_TRUE(mForm->PreviewButton()->isEnabled());
    EXPECT_EQ(mForm->CloseButton()->text(), "&Close");
    EXPECT_TRUE(mForm->isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(mForm->GridView()->NodesDrawn(), 0) << "no part of a cancelled mesh stays";
    EXPECT_FALSE(mForm->GridView()->MeshDrawn());
    // The cancel request does not outlive its generation.
    Preview();
    EXPECT_TRUE(Grid().MeshValid());
    EXPECT_TRUE(mForm->SaveButton()->isEnabled());
  }
}

TEST_F(TFEMGridFormTest, CloseButtonClosesTheDialogWhenIdle) {
  Preview();
  QSignalSpy accepted(mForm.get(), &QDialog::accepted);
  QTest::mouseClick(mForm->CloseButton(), Qt::LeftButton);
  EXPECT_EQ(accepted.count(), 1);
  EXPECT_EQ(mForm->result(), QDialog::Accepted);
}

TEST_F(TFEMGridFormTest, F1RunsTheHelpHandlerFromTheDialog) {
  int helps = 0;
  QString keyword;
  mForm->OnHelp = [&] {
    ++helps;
    keyword = HelpKeywordOf(mForm->focusWidget());
  };
  ASSERT_TRUE(test::ShowActive(*mForm));
  mForm->ModelLengthEdit()->setFocus();
  QTest::keyClick(mForm->ModelLengthEdit(), Qt::Key_F1);
  EXPECT_EQ(helps, 1);
  EXPECT_EQ(keyword, "fem_model");
}

TEST_F(TFEMGridFormTest, AcceptsNoWidthOf600PixelsOrLess) {
  mForm->resize(500, 449);
  EXPECT_GT(mForm->width(), 600);
}

}  // namespace
}  // namespace aqv

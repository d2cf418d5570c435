#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <tuple>

#include "map/gui/FilesSelection.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/ReviewPicture.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

using test::TFakeUserInterface;
using test::TTempFolder;

class FilesSelectionTest : public ::testing::Test {
 protected:
  FilesSelectionTest() : mForm(mUi) {
    mForm.OpenFile = [this](std::string& fileName) {
      if (!mNextFile.empty()) fileName = mNextFile;
      return !mNextFile.empty();
    };
  }

  // An image file (its content does not matter to the dialog) and, when world is not empty,
  // its world file.
  std::string Image(const std::string& name, const std::string& world = {},
                    const std::string& worldText = "0.5\n0\n0\n-0.5\n1000\n2000\n") {
    mFolder.Write(name, "image");
    if (!world.empty()) mFolder.Write(world, worldText);
    return mFolder.Path(name);
  }
  // Chooses fileName in the open dialog and presses Add.
  void Add(const std::string& fileName) {
    mNextFile = fileName;
    QTest::mouseClick(mForm.AddButton(), Qt::LeftButton);
  }

  TTempFolder mFolder;
  TFakeUserInterface mUi;
  TFilesSelectionForm mForm;
  std::string mNextFile;
};

TEST_F(FilesSelectionTest, ShowsItsCaptionsAndLayoutAndF1AsksForTheImportImageTopic) {
  EXPECT_EQ(std::tuple(mForm.windowTitle(), mForm.AddButton()->text(), mForm.DeleteButton()->text(),
                       mForm.OKButton()->text(), mForm.CancelButton()->text(),
                       mForm.OKButton()->isDefault(), mForm.size(),
                       mForm.property("HelpKeyword").toString(), mForm.windowType()),
            std::tuple("Files selection", "&Add", "&Delete", "&OK", "&Cancel", true,
                       QSize(418, 306), "image_import", Qt::Tool));
  int helps = 0;
  mForm.OnHelp = [&] { ++helps; };
  mForm.show();
  QTest::keyClick(&mForm, Qt::Key_F1);
  EXPECT_EQ(helps, 1);
  EXPECT_EQ(mForm.property("HelpKeyword").toString(), "import_image");
}

// Add asks in its own open dialog, which offers the image types first and opens the next time
// in the folder the last file was taken from.
TEST_F(FilesSelectionTest, TheOpenDialogOffersTheImageTypesAndOpensAgainWhereTheLastFileWas) {
  TFilesSelectionForm form(mUi);
  form.show();
  const QString image = QString::fromStdString(Image("photo.png", "photo.pgw"));
  test::AnswerDialog<QFileDialog>([&image](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Import image file");
    EXPECT_EQ(dialog.selectedNameFilter(),
              "Image files (*.bmp *.png *.tif *.tiff *.jpeg *.jpg *.gif)");
    dialog.setDirectory(QFileInfo(image).absolutePath());
    dialog.selectFile(image);
    test::PressButton(dialog, "Open");
  });
  QTest::mouseClick(form.AddButton(), Qt::LeftButton);
  ASSERT_EQ(form.FSListbox()->count(), 1);
  EXPECT_EQ(form.FSListbox()->item(0)->text(), image);
  test::AnswerDialog<QFileDialog>([&image](QFileDialog& dialog) {
    EXPECT_EQ(dialog.directory().absolutePath(), QFileInfo(image).absolutePath());
    dialog.reject();
  });
  QTest::mouseClick(form.AddButton(), Qt::LeftButton);
  EXPECT_EQ(form.FSListbox()->count(), 1);
}

TEST_F(FilesSelectionTest, InitializeListsTheFilesAndOkHandsBackTheChecksAndCancelDoesNot) {
  // The third could not be loaded: it is listed, marked, and handed back as it was.
  const TBackgroundFiles document = {
      {true, Image("a.png")}, {false, Image("b.tif")}, {true, Image("c.png"), true}};
  mForm.Files = document;
  QListWidget* list = mForm.FSListbox();
  mForm.Initialize();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text().toStdString(), document[0].FileName);
  EXPECT_EQ(list->item(0)->toolTip().toStdString(), document[0].FileName);
  EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(list->item(2)->text().toStdString(), document[2].FileName + " (not loaded)");
  list->item(0)->setCheckState(Qt::Unchecked);
  list->item(1)->setCheckState(Qt::Checked);
  mForm.show();
  QTest::mouseClick(mForm.OKButton(), Qt::LeftButton);
  EXPECT_EQ(mForm.result(), QDialog::Accepted);
  EXPECT_EQ(
      mForm.Files,
      (TBackgroundFiles{{false, document[0].FileName}, {true, document[1].FileName}, document[2]}));
  // An entry not loaded is taken off as any other.
  const TBackgroundFiles another = {{true, Image("d.png"), true}};
  mForm.Files = another;
  mForm.Initialize();
  mForm.show();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(0)).center());
  QTest::mouseClick(mForm.DeleteButton(), Qt::LeftButton);
  EXPECT_EQ(list->count(), 0);
  QTest::mouseClick(mForm.CancelButton(), Qt::LeftButton);
  EXPECT_EQ(mForm.result(), QDialog::Rejected);
  EXPECT_TRUE(mForm.Files.empty());  // the dialog's own copy follows the list
  EXPECT_EQ(another.size(), 1u);
}

TEST_F(FilesSelectionTest, AddingTheSameFileInAnotherCaseIsRefusedUnlessItsEntryIsNotLoaded) {
  const std::string path = Image("photo.png", "photo.pgw");
  Add(path);
  ASSERT_EQ(mForm.FSListbox()->count(), 1);
  EXPECT_EQ(mForm.FSListbox()->item(0)->checkState(), Qt::Checked);
  std::string upper = path;
  upper.replace(upper.size() - 9, 5, "PHOTO");
  Add(upper);
  EXPECT_EQ(mForm.FSListbox()->count(), 1);
  EXPECT_EQ(mUi.Texts(), std::vector<std::string>{TFilesSelectionForm::kDuplicateText});
  EXPECT_EQ(mUi.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_EQ(mUi.Messages[0].Buttons, TMsgDlgButtons::mbOK);
  // An entry kept because it could not be loaded is taken over in its place, checked, by the
  // file added again, which is then loaded.
  mForm.Files = {{false, upper, true}, {true, Image("other.png")}};
  mForm.Initialize();
  Add(path);
  ASSERT_EQ(mForm.FSListbox()->count(), 2);
  EXPECT_EQ(mForm.FSListbox()->item(0)->text().toStdString(), path);
  EXPECT_EQ(mUi.Messages.size(), 1u);
  mForm.show();
  QTest::mouseClick(mForm.OKButton(), Qt::LeftButton);
  EXPECT_EQ(mForm.Files, (TBackgroundFiles{{true, path}, {true, mFolder.Path("other.png")}}));
}

TEST_F(FilesSelectionTest, TiffWithoutItsWorldFileIsRefusedAndWithItIsAdded) {
  const std::string path = Image("map.TIF");
  Add(path);
  EXPECT_EQ(mForm.FSListbox()->count(), 0);
  EXPECT_EQ(mUi.Texts(), std::vector<std::string>{TFilesSelectionForm::kNoWorldFileText});
  mFolder.Write("map.TFW", "1\n0\n0\n-1\n0\n0\n");
  Add(path);
  ASSERT_EQ(mForm.FSListbox()->count(), 1);
  EXPECT_EQ(mForm.FSListbox()->item(0)->checkState(), Qt::Checked);
  Add(Image("notes.txt"));
  EXPECT_EQ(mUi.Messages.size(), 2u);
  mNextFile.clear();  // the person cancels the open dialog
  QTest::mouseClick(mForm.AddButton(), Qt::LeftButton);
  EXPECT_EQ(mUi.Messages.size(), 2u);
  // A folder where the world file belongs is named for what it is, not as missing.
  std::filesystem::create_directory(mFolder.Path("aerial.tfw"));
  Add(Image("aerial.tif"));
  EXPECT_EQ(mForm.FSListbox()->count(), 1);
  EXPECT_EQ(mUi.Texts().back(), mFolder.Path("aerial.tfw") + " is not a regular file.");
}

TEST_F(FilesSelectionTest, StatusBarShowsTheSelectedWorldFileWithEitherDecimalSignOrAnError) {
  mForm.Files = {{true, Image("a.png", "a.pgw", "0.5\r\n0\r\n0\r\n-0.5\r\n1000.25\r\n2000\r\n")},
                 {true, Image("b.jpg", "b.jgw", "2,5\n0\n0\n-2,5\n12,75\n-3\n")},
                 {true, Image("c.gif", "c.gfw", "1\n0\n0\n-1\n")},
                 {true, Image("d.bmp")}};
  mForm.Initialize();
  // The four panels' texts once row is selected; none is before.
  const auto panels = [this](int row) {
    if (row >= 0) mForm.FSListbox()->setCurrentRow(row);
    return QStringList{mForm.PanelText(0), mForm.PanelText(1), mForm.PanelText(2),
                       mForm.PanelText(3)};
  };
  EXPECT_EQ(panels(-1), QStringList(4, ""));
  EXPECT_EQ(panels(0), (QStringList{"X pixelsize: 0.5", "Y pixelsize: -0.5",
                                    "X left coord: 1000.25", "Y top coord: 2000"}));
  EXPECT_EQ(panels(1), (QStringList{"X pixelsize: 2.5", "Y pixelsize: -2.5", "X left coord: 12.75",
                                    "Y top coord: -3"}));
  // A panel too narrow for its value shows it shortened; its hint holds the whole of it.
  const auto shown = mForm.StatusBar1()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(shown.size(), 4);
  EXPECT_EQ(shown[2]->toolTip().toStdString(), "X left coord: 12.75");
  // A short world file and a missing one show no values.
  for (const int row : {2, 3}) EXPECT_EQ(panels(row), QStringList(4, "")) << row;
  EXPECT_TRUE(mUi.Messages.empty());
  // A world-file line that neither decimal sign reads is reported as an error box instead of
  // an exception leaving the slot.
  mForm.Files = {{true, Image("e.png", "e.pgw", "abc\n0\n0\n-1\n0\n0\n")}};
  mForm.Initialize();
  mForm.FSListbox()->setCurrentRow(0);
  ASSERT_EQ(mUi.Messages.size(), 1u);
  EXPECT_NE(mUi.Messages[0].Text.find("'abc' is not a valid floating point value"),
            std::string::npos);
  EXPECT_EQ(mForm.PanelText(0), "");
}

// The four values of a selected image show whole at the dialog's own size, on the smallest
// screen served and on a large one: side by side where the dialog is wide, two above two where
// it is not; the panels share the width. The dialog keeps its minimum size.
TEST_F(FilesSelectionTest, PanelsShareTheWidthAndShowTheirValuesWholeAtEverySize) {
  mForm.Files = {{true, Image("a.png", "a.pgw", "0.25\n0\n0\n-0.25\n155000.5\n463000.25\n")}};
  mForm.Initialize();
  mForm.show();
  const struct {
    QSize Size;
    bool InARow;
  } rows[] = {{{418, 306}, false}, {{800, 600}, true}, {{1600, 1000}, true}, {{200, 100}, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Size.width());
    mForm.resize(row.Size);
    QCoreApplication::processEvents();
    mForm.FSListbox()->setCurrentRow(0);
    QCoreApplication::processEvents();
    EXPECT_GE(mForm.width(), 400);
    EXPECT_GE(mForm.height(), 300);
    const auto panels = mForm.StatusBar1()->findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 4);
    QList<QRect> places;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(panels[i]->text().toStdString(), mForm.PanelText(i).toStdString());
      EXPECT_NE(mForm.PanelText(i), "");
      places << QRect(panels[i]->mapTo(&mForm, QPoint(0, 0)), panels[i]->size());
      EXPECT_TRUE(mForm.rect().contains(places[i])) << i;
      EXPECT_NEAR(mForm.PanelWidth(i), mForm.PanelWidth(0), 1);
      for (int j = 0; j < i; ++j) EXPECT_FALSE(places[i].intersects(places[j])) << i << j;
    }
    EXPECT_EQ(places[3].top() == places[0].top(), row.InARow);
  }
}

// Renders the dialog at its own size and at 800 x 600 and 1600 x 1000 to PNGs for a person to
// look at.
TEST_F(FilesSelectionTest, RendersToPngForReview) {
  mForm.Files = {{true, Image("aerial photo of the well field 2019.png",
                              "aerial photo of the well field 2019.pgw",
                              "0.25\n0\n0\n-0.25\n155000.5\n463000\n")},
                 {false, Image("topographic map.tif", "topographic map.tfw")},
                 {true, "/media/survey/1998/soil map.png", true}};
  mForm.Initialize();
  mForm.FSListbox()->setCurrentRow(0);
  mForm.show();
  for (const QSize size : {QSize(418, 306), QSize(800, 600), QSize(1600, 1000)}) {
    mForm.resize(size);
    QCoreApplication::processEvents();
    const std::string name = "files-selection-" + std::to_string(size.width()) + "x" +
                             std::to_string(size.height()) + ".png";
    EXPECT_TRUE(mForm.grab().save(QString::fromStdString(test::ReviewPath(name))));
  }
}

}  // namespace
}  // namespace aqv

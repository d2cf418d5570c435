#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <string>
#include <vector>

#include "platform/QtUserInterface.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/TempFolder.h"

namespace aqv {
namespace {

TEST(ConvertFileFilter, TurnsPipeFiltersIntoQtNameFilters) {
  const std::vector<std::pair<const char*, QStringList>> cases = {
      {"AQV data files (*.aqv)|*.aqv|All files (*.*)|*.*",
       {"AQV data files (*.aqv)", "All files (*)"}},
      {"XYZ files (*.xyz)|*.xyz|All files (*.*)|*.*", {"XYZ files (*.xyz)", "All files (*)"}},
      {"Images|*.bmp;*.png;*.jpg", {"Images (*.bmp *.png *.jpg)"}},
      {"Models (old pattern)|*.fem", {"Models (*.fem)"}},
      {"FTH files (*.fth)|*.fth|", {"FTH files (*.fth)"}},
      {"Text files (*.txt)", {"Text files (*.txt)"}},
      {"Anything", {"Anything (*)"}},
      {"|*.xyz", {"*.xyz (*.xyz)"}},
      {"", {}},
  };
  for (const auto& [filter, expected] : cases)
    EXPECT_EQ(ConvertFileFilter(filter), expected) << filter;
}

TEST(QtUserInterface, ProgressGoesToTheHandler) {
  TQtUserInterface ui;
  ui.Progress("Loading", 1, 3);  // without a handler nothing happens
  std::vector<std::string> seen;
  ui.SetOnProgress([&](const std::string& caption, int position, int maximum) {
    seen.push_back(caption + " " + std::to_string(position) + "/" + std::to_string(maximum));
  });
  ui.Progress("Loading image.png", 2, 5);
  ui.Progress("", 0, 5);
  EXPECT_EQ(seen, (std::vector<std::string>{"Loading image.png 2/5", " 0/5"}));
}

TEST(QtUserInterface, MessageBoxShowsKindButtonsAndPlainTextAndEscapeAnswersCancelOrElseNo) {
  TQtUserInterface ui;
  test::AnswerDialog<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    EXPECT_EQ(box.windowTitle(), "Warning");
    EXPECT_EQ(box.text(), "Save changes to <b>test</b>.aqv?");
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Yes));
    box.button(QMessageBox::No)->click();
  });
  EXPECT_EQ(ui.MessageBox("Save changes to <b>test</b>.aqv?", TMsgDlgType::mtWarning,
                          TMsgDlgButtons::mbYesNoCancel),
            TModalResult::mrNo);
  // Escape answers Cancel, or else No.
  for (const auto& [buttons, expected] :
       {std::pair{TMsgDlgButtons::mbOK, TModalResult::mrOK},
        {TMsgDlgButtons::mbOKCancel, TModalResult::mrCancel},
        {TMsgDlgButtons::mbYesNo, TModalResult::mrNo},
        {TMsgDlgButtons::mbYesNoCancel, TModalResult::mrCancel}}) {
    test::AnswerDialog<QMessageBox>(
        [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(ui.MessageBox("Question", TMsgDlgType::mtConfirmation, buttons), expected)
        << static_cast<int>(buttons);
  }
}

TEST(QtUserInterface, SaveDialogUsesFilterFolderAndDefaultExtensionAndCancelledOpenKeepsTheName) {
  const test::TTempFolder temp;
  const QString folder = QString::fromStdString(temp.Root().string());
  TQtUserInterface ui;
  test::AnswerDialog<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"FTH files (*.fth)", "All files (*)"}));
    EXPECT_EQ(dialog.defaultSuffix(), "fth");
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(folder).canonicalPath());
    dialog.selectFile(QDir(folder).filePath("curves"));
    static_cast<QDialog&>(dialog).accept();  // runs the file dialog's own accept
  });
  std::string fileName = "proposed.fth";
  ASSERT_TRUE(ui.SaveDialog(fileName, temp.Root().string(),
                            "FTH files (*.fth)|*.fth|All files (*.*)|*.*", ".fth"));
  EXPECT_EQ(QFileInfo(QString::fromStdString(fileName)).fileName(), "curves.fth");
  // A cancelled open dialog keeps the name.
  test::AnswerDialog<QFileDialog>([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    dialog.reject();
  });
  fileName = "/nowhere/test.aqv";
  EXPECT_FALSE(ui.OpenDialog(fileName, "", "AQV data files (*.aqv)|*.aqv|All files (*.*)|*.*"));
  EXPECT_EQ(fileName, "/nowhere/test.aqv");
}

}  // namespace
}  // namespace aqv

#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "model/AQVElements.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace aqv {

class TUserInterface;

// "Files selection": the dialog in which the person edits a document's list of background
// images, which files belong to the map and which are shown. Each added image must have its
// world file; the status bar shows the selected image's pixel sizes and upper-left corner from
// its world file. An entry kept because it could not be loaded is marked " (not loaded)"; it
// may be removed, and adding its file again takes its place. The caller sets Files, calls
// Initialize, runs the dialog and, on OK, loads Files into the map; the dialog works on its own
// copy, so Cancel changes nothing. Messages go through the user interface given, which the dialog
// does not own.
class TFilesSelectionForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kDuplicateText =
      "The selected image file is already in this project.";
  static constexpr const char* kNoWorldFileText = "Worldfile could not be found.";
  static constexpr const char* kOpenTitle = "Import image file";
  // Follows the file name of an entry that could not be loaded.
  static constexpr const char* kNotLoadedMark = " (not loaded)";
  static constexpr const char* kImageFilter =
      "Image files (*.bmp *.png *.tif *.tiff *.jpeg *.jpg *.gif)|*.bmp;*.png;*.tif;*.tiff;*.jpeg;"
      "*.jpg;*.gif|Bitmap files (*.bmp)|*.bmp|PNG image files (*.png)|*.png|TIFF image files "
      "(*.tif *.tiff)|*.tif;*.tiff|JPEG image files (*.jpg *.jpeg)|*.jpg;*.jpeg|GIF image files "
      "(*.gif)|*.gif|All files (*.*)|*.*";

  explicit TFilesSelectionForm(TUserInterface& ui, QWidget* parent = nullptr);

  // The list handed in before Initialize and read back after the dialog closed.
  TBackgroundFiles Files;

  // Fills the list from Files, one entry per file, checked where the file is shown.
  void Initialize();
  // Asks for an image file and appends it, checked, when it is new and has its world file; a
  // kept entry of that file that could not be loaded is replaced in its place.
  void AddButtonClick();
  // Removes the selected entry.
  void DeleteButtonClick();
  // Shows the selected image's world-file values in the four panels.
  void UpdateStatusBar();

  // Asks the person for an image file; returns false on cancel. The default shows the open
  // dialog "Import image file"; tests replace it.
  std::function<bool(std::string& fileName)> OpenFile;
  // Runs the help request (F1); set by the frame window.
  std::function<void()> OnHelp;

  QListWidget* FSListbox() const { return mFSListbox; }
  QPushButton* AddButton() const { return mAddButton; }
  QPushButton* DeleteButton() const { return mDeleteButton; }
  QPushButton* OKButton() const { return mOKButton; }
  QPushButton* CancelButton() const { return mCancelButton; }
  // The four status panels, side by side where the dialog is wide enough for their values and
  // two above two where it is not.
  QWidget* StatusBar1() const { return mStatusBar1; }
  // Text of status panel index 0..3.
  QString PanelText(int index) const;
  int PanelWidth(int index) const;

  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool DefaultOpenFile(std::string& fileName);
  void AddEntry(const TBackgroundFile& file);
  void SetEntry(QListWidgetItem* item, const TBackgroundFile& file);
  void ShowPanels(const QString& worldFileName);
  void ClearPanels();
  void SetPanelText(int index, const QString& text);
  void ArrangePanels();

  TUserInterface& mUi;
  QListWidget* mFSListbox;
  QPushButton* mAddButton;
  QPushButton* mDeleteButton;
  QPushButton* mOKButton;
  QPushButton* mCancelButton;
  QWidget* mStatusBar1;
  QLabel* mPanels[4];
  int mPanelColumns = 0;
  QString mPanelTexts[4];  // whole texts; a panel too narrow shows them shortened
  std::string mLastDirectory;
};

}  // namespace aqv

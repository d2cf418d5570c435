#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "app/FEMGrid.h"

class QLabel;
class QPushButton;
class QWidget;

namespace aqv {

class TAQVData;
class TAQVFloatEdit;
class TAQVGridView;
class TAQVSpinEdit;
class TMDIChild;
class TUserInterface;

// Runs the model-generator dialog for a document window: the mesh around its wells is
// generated, previewed and saved as a model file. Messages and file dialogs go through ui.
void ExecuteModelGenerator(TMDIChild& child, TUserInterface& ui, QWidget* parent);

// The model-generator dialog ("Kelvaros model generator"): the mesh density and model length of
// a document, a preview of the mesh and the Save button that writes it as a model file. Created
// per use for one document, which it edits through its two bound edits and which must outlive
// it; ui is where progress events are processed (not owned). The buttons follow
// TFEMGridFormState: Save only after a successful preview and only while both edits still
// read as they did when the preview started, so the mesh saved is always the one shown; during
// a generation Close reads "Cancel" and, like Escape or closing the window, only cancels.
class TFEMGridForm : public QDialog {
  Q_OBJECT

 public:
  TFEMGridForm(TAQVData& data, TUserInterface& ui, QWidget* parent = nullptr);

  // Commits the edits, then generates and shows the mesh of the document's settings. A
  // generation error is shown by the generator and leaves Save disabled.
  void PreviewButtonClick();
  // Commits the edits and, while they still hold the previewed settings, saves the mesh
  // (SaveFEMModel: save dialog, question before overwriting, message on failure).
  void SaveButtonClick();
  // During a generation: asks it to stop. Otherwise closes the dialog (accepted).
  void CloseButtonClick();

  // F1: runs OnHelp when set (the frame window's help handler), else opens the help page of
  // the focused control's keyword ("fem_model" on this dialog) or says where that page is.
  void FormHelp();
  std::function<void()> OnHelp;

  const TFEMGridFormState& State() const { return mState; }
  TAQVGridView* GridView() const { return mGridView; }
  TAQVSpinEdit* DensityEdit() const { return mDensityEdit; }
  TAQVFloatEdit* ModelLengthEdit() const { return mModelLengthEdit; }
  QLabel* ModelLengthLabel() const { return mModelLengthLabel; }
  QLabel* GridInfoLabel() const { return mGridInfoLabel; }
  QPushButton* PreviewButton() const { return mPreviewButton; }
  QPushButton* SaveButton() const { return mSaveButton; }
  QPushButton* CloseButton() const { return mCloseButton; }

 public slots:
  // Escape and the window's close box: a cancel request during a generation, else closing.
  void reject() override;

 private:
  // The generator's progress and end: info text, picture, pending events (so that Cancel
  // works).
  void AQVGridChange();
  // A text of either edit changed.
  void SettingsEdited();
  void UpdateButtons();
  bool CommitEdits();

  TAQVData& mData;
  TUserInterface& mUi;
  TFEMGridFormState mState;
  // The edits' texts when the last preview started, after their values were committed.
  QString mPreviewDensityText, mPreviewLengthText;
  TAQVGridView* mGridView;
  TAQVSpinEdit* mDensityEdit;
  TAQVFloatEdit* mModelLengthEdit;
  QLabel* mModelLengthLabel;
  QLabel* mGridInfoLabel;
  QPushButton* mPreviewButton;
  QPushButton* mSaveButton;
  QPushButton* mCloseButton;
};

}  // namespace aqv

#include "app/gui/FEMGridForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>
#include <limits>

#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVGridView.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/Help.h"
#include "model/AQVData.h"
#include "platform/GuardedCall.h"

namespace aqv {

namespace {

QPushButton* MakeButton(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  // Enter in an edit hands its value to the document; it must not press a button as well.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

TFEMGridForm::TFEMGridForm(TAQVData& data, TUserInterface& ui, QWidget* parent)
    : QDialog(parent), mData(data), mUi(ui) {
  setObjectName(QStringLiteral("FEMGridForm"));
  setWindowTitle(QStringLiteral("Kelvaros model generator"));
  SetHelpKeyword(this, QString::fromUtf8(kFEMHelpKeyword));

  mGridView = new TAQVGridView(this);
  mGridView->setObjectName(QStringLiteral("AQVGrid"));
  mGridView->Grid().SetData(&mData);
  mGridView->Grid().OnChange = [this](TAQVGrid&) { AQVGridChange(); };

  auto* buttonPanel = new QWidget(this);
  buttonPanel->setObjectName(QStringLiteral("ButtonPanel"));
  SetHelpKeyword(buttonPanel, QString::fromUtf8(kFEMHelpKeyword));

  auto* densityLabel = new QLabel(QStringLiteral("Grid density"), buttonPanel);
  densityLabel->setObjectName(QStringLiteral("DensityLabel"));
  mDensityEdit = new TAQVSpinEdit(buttonPanel);
  mDensityEdit->setObjectName(QStringLiteral("DensityAQVSpinEdit"));
  mDensityEdit->SetMinValue(1);
  mDensityEdit->SetMaxValue(10);
  mDensityEdit->SetAQVSpinEditType(TAQVSpinEditType::seDensity);
  mDensityEdit->SetData(&mData);
  mDensityEdit->SetValue(mData.MeshDensity);
  mDensityEdit->setFixedWidth(50);
  densityLabel->setBuddy(mDensityEdit);

  mModelLengthLabel = new QLabel(buttonPanel);
  mModelLengthLabel->setObjectName(QStringLiteral("ModelLengthLabel"));
  mModelLengthLabel->setText(
      QString::fromStdString(TFEMGridFormState::ModelLengthCaption(mData.LengthUnitLabel())));
  mModelLengthEdit = new TAQVFloatEdit(buttonPanel);
  mModelLengthEdit->setObjectName(QStringLiteral("ModelLengthAQVFloatEdit"));
  mModelLengthEdit->SetAQVEditType(TAQVFloatEditType::feModelLength);
  mModelLengthEdit->SetData(&mData);
  mModelLengthEdit->SetValue(mData.ModelLength);
  mModelLengthEdit->setFixedWidth(90);
  SetHelpKeyword(mModelLengthEdit, QString::fromUtf8(kFEMHelpKeyword));
  mModelLengthLabel->setBuddy(mModelLengthEdit);

  mGridInfoLabel = new QLabel(buttonPanel);
  mGridInfoLabel->setObjectName(QStringLiteral("GridInfoLabel"));

  mPreviewButton = MakeButton("&Preview", "PreviewButton", buttonPanel);
  mSaveButton = MakeButton("&Save", "SaveButton", buttonPanel);
  mCloseButton = MakeButton("&Close", "CloseButton", buttonPanel);

  // The counts get a line of their own: a large mesh's "nodes, elements" text would not fit
  // beside the edits and buttons at the narrowest width the dialog allows.
  auto* panelLayout = new QVBoxLayout(buttonPanel);
  panelLayout->setContentsMargins(8, 4, 8, 8);
  panelLayout->setSpacing(4);
  panelLayout->addWidget(mGridInfoLabel);
  auto* controlsLayout = new QHBoxLayout;
  controlsLayout->addWidget(densityLabel);
  controlsLayout->addWidget(mDensityEdit);
  controlsLayout->addSpacing(12);
  controlsLayout->addWidget(mModelLengthLabel);
  controlsLayout->addWidget(mModelLengthEdit);
  controlsLayout->addStretch(1);
  controlsLayout->addWidget(mPreviewButton);
  controlsLayout->addWidget(mSaveButton);
  controlsLayout->addWidget(mCloseButton);
  panelLayout->addLayout(controlsLayout);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(mGridView, 1);
  layout->addWidget(buttonPanel);

  connect(mPreviewButton, &QPushButton::clicked, this, [this] { PreviewButtonClick(); });
  connect(mSaveButton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
  connect(mCloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
  connect(mDensityEdit, &QLineEdit::textChanged, this, [this] { SettingsEdited(); });
  connect(mModelLengthEdit, &QLineEdit::textChanged, this, [this] { SettingsEdited(); });

  // The frame window's help shortcut is blocked while this modal dialog runs.
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] { FormHelp(); });

  // The preview needs room for the buttons: narrower than 601 pixels is refused.
  setMinimumWidth(601);
  resize(747, 449);
  setSizeGripEnabled(true);
  mModelLengthEdit->setFocus();
  UpdateButtons();
}

bool TFEMGridForm::CommitEdits() {
  return mDensityEdit->CommitPending() && mModelLengthEdit->CommitPending();
}

void TFEMGridForm::PreviewButtonClick() {
  // Pending events during a generation may bring a second click; one generation at a time.
  if (mState.Generating() || mGridView->Grid().Busy() || !CommitEdits()) return;
  TAQVGrid& grid = mGridView->Grid();
  mState.PreviewStarted(mData.MeshDensity, mData.ModelLength);
  mPreviewDensityText = mDensityEdit->text();
  mPreviewLengthText = mModelLengthEdit->text();
  mGridInfoLabel->clear();
  UpdateButtons();
  mGridView->Restart();
  grid.SetRegenerateRequest(true);
  GuardedCall(mUi, [&] { grid.Generate(); });
  mState.GenerationEnded(grid.MeshValid() && !grid.Busy());
  // A failed generation leaves its partial picture only until here.
  mGridView->Refresh();
  UpdateButtons();
}

void TFEMGridForm::SaveButtonClick() {
  if (!CommitEdits()) return;
  SettingsEdited();
  if (!mState.SaveEnabled()) return;
  GuardedCall(mUi, [&] { SaveFEMModel(mGridView->Grid(), mData); });
}

void TFEMGridForm::CloseButtonClick() {
  // The next generation clears the request again.
  mGridView->Grid().SetCancelRequest(true);
  if (mState.CloseClosesDialog()) accept();
}

void TFEMGridForm::reject() {
  if (mState.Generating()) {
    mGridView->Grid().SetCancelRequest(true);
    return;
  }
  QDialog::reject();
}

void TFEMGridForm::FormHelp() {
  if (OnHelp) {
    OnHelp();
    return;
  }
  ShowHelpPageOrSayWhere(HelpKeywordOf(focusWidget() != nullptr ? focusWidget() : this), mUi);
}

void TFEMGridForm::AQVGridChange() {
  TAQVGrid& grid = mGridView->Grid();
  mGridInfoLabel->setText(QString::fromStdString(grid.InfoText()));
  mGridInfoLabel->repaint();
  mGridView->Refresh();
  UpdateButtons();
  if (grid.Busy()) mUi.ProcessMessages();
}

void TFEMGridForm::SettingsEdited() {
  // A value reaches the document only through these edits, so their texts tell whether the
  // mesh still belongs to the settings: while both read as when the preview started, the
  // document holds the previewed values. Any other text, committed or only typed, does not
  // match any preview (a density of 0 and a NaN length never do).
  if (mDensityEdit->text() == mPreviewDensityText &&
      mModelLengthEdit->text() == mPreviewLengthText) {
    mState.SettingsChanged(mData.MeshDensity, mData.ModelLength);
  } else {
    mState.SettingsChanged(0, std::numeric_limits<double>::quiet_NaN());
  }
  UpdateButtons();
}

void TFEMGridForm::UpdateButtons() {
  mSaveButton->setEnabled(mState.SaveEnabled());
  mPreviewButton->setEnabled(!mState.Generating());
  mCloseButton->setText(QString::fromStdString(mState.CloseCaption()));
}

}  // namespace aqv

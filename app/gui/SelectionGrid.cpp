#include "app/gui/SelectionGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/AQVSelectionGrid.h"
#include "controls/MyColorgrd.h"
#include "controls/WindowSizing.h"

namespace aqv {

TSelectionGridForm::TSelectionGridForm(QWidget* parent)
    : QDialog(parent), mColorGrid(new TMyColorGrid), mGrid(new TAQVSelectionGrid) {
  setWindowTitle("Options: Select curves");
  mColorGrid->SetForegroundIndex(9);
  mColorGrid->SetBackgroundEnabled(false);
  mGrid->SetColorGrid(mColorGrid);

  auto* resetButton = new QPushButton("Reset");
  auto* okButton = new QPushButton("OK");
  auto* cancelButton = new QPushButton("Cancel");
  okButton->setDefault(true);
  connect(resetButton, &QPushButton::clicked, this, [this] { ResetButtonClick(); });
  connect(okButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* tools = new QVBoxLayout;
  tools->addWidget(mColorGrid);
  tools->addWidget(resetButton);
  tools->addStretch();
  auto* items = new QHBoxLayout;
  items->addLayout(tools);
  items->addWidget(mGrid, 0, Qt::AlignTop | Qt::AlignLeft);
  items->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(items, 1);
  layout->addLayout(buttons);
  // Sized to a grid of few curves, the dialog would leave its title bar too narrow for its title.
  setMinimumWidth(TitleBarWidth(*this));
  resize(426, 223);
}

void TSelectionGridForm::SetData(TAQVData* data) {
  mGrid->SetData(data);
  mGrid->LoadFromData();
  adjustSize();
  resize(std::max(width(), 426), std::max(height(), 223));
}

void TSelectionGridForm::OKButtonClick() {
  mGrid->SaveToData();
  accept();
}

void TSelectionGridForm::ResetButtonClick() {
  mGrid->Reset();
}

}  // namespace aqv

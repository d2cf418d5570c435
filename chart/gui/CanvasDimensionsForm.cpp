#include "chart/gui/CanvasDimensionsForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/MySpin.h"
#include "controls/WindowSizing.h"

namespace aqv {

TCanvasDimensionsForm::TCanvasDimensionsForm(QWidget* parent)
    : QDialog(parent), mWidth(new TMySpinEdit(this)), mHeight(new TMySpinEdit(this)) {
  setWindowTitle(QStringLiteral("Width and height"));
  mWidth->setObjectName(QStringLiteral("cdWidthSpinEdit"));
  mHeight->setObjectName(QStringLiteral("cdHeightSpinEdit"));
  for (TMySpinEdit* edit : {mWidth, mHeight}) {
    edit->SetMinValue(kMinSize);
    edit->SetMaxValue(kMaxSize);
    edit->SetIncrement(10);
    edit->SetValue(kMinSize);
  }
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Width"), mWidth);
  form->addRow(QStringLiteral("Height"), mHeight);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::AcceptRole);
  copy->setObjectName(QStringLiteral("CopyButton"));
  copy->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("CancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  // The spin edits alone would leave the title bar too narrow for "Width and height".
  setMinimumWidth(TitleBarWidth(*this));
}

void TCanvasDimensionsForm::SetCanvasSize(int width, int height) {
  mWidth->SetValue(width);
  mHeight->SetValue(height);
}

// The text may still be out of range when OK comes from Enter in the edit: clamp again.
int TCanvasDimensionsForm::CanvasWidth() const {
  return mWidth->CheckValue(mWidth->Value());
}

int TCanvasDimensionsForm::CanvasHeight() const {
  return mHeight->CheckValue(mHeight->Value());
}

}  // namespace aqv

#include "map/gui/Progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace aqv {

namespace {
TProgressForm* gInstance = nullptr;
}

TProgressForm::TProgressForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ProgressForm"));
  setWindowTitle(QStringLiteral("Progress"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  mLabel1 = new QLabel(QStringLiteral("Working..."), this);
  mLabel2 = new QLabel(QStringLiteral("Please wait..."), this);
  mBar = new QProgressBar(this);
  mBar->setObjectName(QStringLiteral("PGBar"));
  mBar->setTextVisible(false);
  mBar->setMinimumWidth(260);
  layout->addWidget(mLabel1);
  layout->addWidget(mLabel2);
  layout->addWidget(mBar);
  if (!gInstance) gInstance = this;
}

TProgressForm::~TProgressForm() {
  if (gInstance == this) gInstance = nullptr;
}

TProgressForm* TProgressForm::Instance() {
  return gInstance;
}

void TProgressForm::UpdateProgress(const QString& caption, int position, int maximum) {
  bool changed = false;
  if (mBar->maximum() != maximum) {
    mBar->setMaximum(maximum);
    changed = true;
  }
  if (mBar->value() != position) {
    mBar->setValue(position);
    changed = true;
  }
  if (changed) {
    mBar->repaint();
    ++mRepaints;
  }
  if (mLabel1->text() != caption) {
    mLabel1->setText(caption);
    mLabel1->repaint();
    ++mRepaints;
  }
}

}  // namespace aqv

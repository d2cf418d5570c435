#include "map/gui/Progress.h"

#include <QApplication>
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
  setAttribute(Qt::WA_ShowWithoutActivating);
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

void TProgressForm::setVisible(bool visible) {
  const bool shown = isVisible();
  if (visible && !shown) {
    QWidget* active = QApplication::activeWindow();
    mActiveBefore = active != this ? active : nullptr;
  }
  QDialog::setVisible(visible);
  if (visible || !shown) return;
  // Some platforms make a window that is shown the active one, also after it was hidden: the
  // keyboard goes back to the window that had it, or else to the one this belongs to.
  QWidget* previous = mActiveBefore ? mActiveBefore.data() : nullptr;
  if (previous == nullptr && parentWidget() != nullptr) previous = parentWidget()->window();
  if (previous != nullptr && previous->isVisible()) previous->activateWindow();
  mActiveBefore = nullptr;
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

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "app/gui/AQVFloatEdit.h"
#include "app/gui/AQVSpinEdit.h"
#include "app/gui/CHILDWIN.h"
#include "app/gui/FEMGridForm.h"
#include "model/AQVElements.h"
#include "tests/support/FakeUserInterface.h"

namespace aqv {
namespace {

// What the running dialog showed, read from inside its modal loop.
struct TSeenDialog {
  bool Found = false, Modal = false;
  QString Density, ModelLength;
};

TEST(ExecuteModelGeneratorTest, RunsTheDialogModallyOnTheWindowsDocumentAndFreesIt) {
  ResetGlobals();
  test::TFakeUserInterface ui;
  TMDIChild child(&ui);
  child.Data().MeshDensity = 7;
  child.Data().ModelLength = 12000;
  TSeenDialog seen;
  QTimer::singleShot(0, [&] {
    auto* form = qobject_cast<TFEMGridForm*>(QApplication::activeModalWidget());
    if (form == nullptr) {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TFEMGridForm*>(w); f != nullptr && f->isVisible()) form = f;
    }
    if (form == nullptr) return;
    seen = {true, form->isModal(), form->DensityEdit()->text(), form->ModelLengthEdit()->text()};
    form->CloseButton()->click();
  });
  ExecuteModelGenerator(child, ui, nullptr);
  ASSERT_TRUE(seen.Found) << "no model-generator dialog was shown";
  EXPECT_TRUE(seen.Modal);
  EXPECT_EQ(seen.Density, "7");
  EXPECT_EQ(seen.ModelLength, "12000");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<TFEMGridForm*>(w), nullptr) << "the dialog is freed";
}

}  // namespace
}  // namespace aqv

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <tuple>

#include "controls/MyColorgrd.h"
#include "controls/MySpin.h"
#include "controls/QtDrawing.h"
#include "map/gui/AQVKaart.h"
#include "map/gui/AQVKaartOptions.h"
#include "map/gui/AQVTextEditOptions.h"
#include "map/gui/Progress.h"
#include "tests/map/gui/MapGuiFixture.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/Pixels.h"
#include "tests/support/ReviewPicture.h"

namespace aqv {
namespace {

using test::TMapFixture;

TEST(MapOptionsDialog, HiddenLegendShowsUncheckedAndDisabledAndStaysHidden) {
  using enum TPlacement;
  TAQVKaartOptionsForm form;
  EXPECT_EQ(form.windowTitle(), "Chart options");
  form.SetLegend(plNone);
  EXPECT_FALSE(form.ShowLegendBox()->isChecked());
  for (TPlacement p : {plRight, plBottom, plLeft, plTop})
    EXPECT_FALSE(form.PlacementButton(p)->isEnabled());
  EXPECT_FALSE(form.PlacementButton(plTop)->parentWidget()->isEnabled());
  EXPECT_EQ(form.GetLegend(), plNone);
  // A click on the box turns the placement on and off with it, the group's caption too.
  form.OptionPages()->setCurrentIndex(1);
  form.show();
  QCheckBox* show = form.ShowLegendBox();
  ASSERT_TRUE(show->isVisible());  // on the page, to be clicked
  for (bool on : {true, false}) {
    test::ClickBox(show);
    EXPECT_EQ(show->isChecked(), on);
    for (TPlacement p : {plRight, plTop}) EXPECT_EQ(form.PlacementButton(p)->isEnabled(), on);
    EXPECT_EQ(form.PlacementButton(plTop)->parentWidget()->isEnabled(), on);
  }
  form.SetLegend(plLeft);
  EXPECT_TRUE(form.PlacementButton(plLeft)->isChecked());
  EXPECT_TRUE(form.PlacementButton(plRight)->isEnabled());
  EXPECT_EQ(form.GetLegend(), plLeft);
  // Each placement opens on its own button, and each button clicked gives its placement.
  const std::pair<TPlacement, const char*> placements[] = {
      {plRight, "Right"}, {plBottom, "Bottom right"}, {plLeft, "Bottom left"}, {plTop, "Left"}};
  for (const auto& [placement, caption] : placements) {
    form.SetLegend(placement);
    EXPECT_TRUE(test::RadioButton(form, caption)->isChecked()) << caption;
  }
  for (const auto& [placement, caption] : placements) {
    test::ClickBox(test::RadioButton(form, caption));
    EXPECT_EQ(form.GetLegend(), placement) << caption;
  }
  form.OptionPages()->setCurrentIndex(1);
  form.grab().save(QString::fromStdString(test::ReviewPath("map-options-dialog.png")));
}

// The check box of the dialog whose caption is text, as the person sees it.
QCheckBox* CheckBoxNamed(QWidget& form, const QString& text) {
  for (QCheckBox* box : form.findChildren<QCheckBox*>())
    if (box->text() == text) return box;
  return nullptr;
}

TEST_F(TMapFixture, OptionsDialogOkWritesBackAndRemembersThePage) {
  TAQVKaartOptionsForm form;
  TPlacement placement = TPlacement::plNone;
  TBoundaryGridDrawing options{TBoundaryGridDrawingOptions::dbgGrid};
  int transparency = 98;
  bool show = false;
  test::AnswerDialog<TAQVKaartOptionsForm>([](TAQVKaartOptionsForm& form) {
    // The first page shows both boxes, set from the options; a click turns each over.
    QCheckBox* grid = CheckBoxNamed(form, QStringLiteral("Show grid"));
    QCheckBox* boundary = CheckBoxNamed(form, QStringLiteral("Show boundary"));
    ASSERT_TRUE(grid && boundary) << "a box of the first page is missing";
    EXPECT_EQ(std::tuple(grid->isVisible(), boundary->isVisible(), grid->isChecked(),
                         boundary->isChecked()),
              std::tuple(true, true, true, false));
    for (QCheckBox* box : {grid, boundary}) test::ClickBox(box);
    form.OptionPages()->setCurrentIndex(2);
    EXPECT_TRUE(form.TransparencyEdit()->isVisible());
    // Steps of 5, by the down button and the Up key, and up to 100 %, previewed on the map.
    QTest::mouseClick(form.TransparencyEdit()->Button()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(form.TransparencyEdit()->text(), "93");
    QTest::keyClick(form.TransparencyEdit(), Qt::Key_Up);
    EXPECT_EQ(form.TransparencyEdit()->text(), "98");
    form.TransparencyEdit()->UpClick();
    EXPECT_EQ(form.TransparencyEdit()->text(), "100");
    test::ClickBox(CheckBoxNamed(form, QStringLiteral("Show background images")));
    form.accept();
  });
  ASSERT_TRUE(form.Execute(placement, options, mMap.get(), transparency, show));
  EXPECT_EQ(
      std::tuple(placement, options, transparency, show, TAQVKaartOptionsForm::RememberedPage()),
      std::tuple(TPlacement::plNone, TBoundaryGridDrawing{TBoundaryGridDrawingOptions::dbgBoundary},
                 100, true, 2));
  // Opened again on its remembered page, down to 0 %: shown and kept as 0.
  transparency = 3;
  test::AnswerDialog<TAQVKaartOptionsForm>([](TAQVKaartOptionsForm& form) {
    EXPECT_TRUE(form.TransparencyEdit()->isVisible());
    QTest::keyClick(form.TransparencyEdit(), Qt::Key_Down);
    EXPECT_EQ(form.TransparencyEdit()->text(), "0");
    form.accept();
  });
  ASSERT_TRUE(form.Execute(placement, options, mMap.get(), transparency, show));
  EXPECT_EQ(transparency, 0);
}

TEST(TextOptionsDialog, BorderStyleAndWidthFollowEachOther) {
  TAQVTextBoxRecord box;
  box.FramePenStyle = TPenStyle::psSolid;
  box.FrameWidth = 3;
  TAQVTextEditOptionsForm form;
  EXPECT_EQ(form.windowTitle(), "Text options");
  for (const QListWidget* list : form.findChildren<QListWidget*>())  // font names and sizes
    EXPECT_GT(list->count(), 1);
  form.SetTarget(&box);
  EXPECT_EQ(form.Working().FrameWidth, 3);  // the dialog starts from the box's own settings
  form.SetBorderStyleItem(TAQVTextEditOptionsForm::bsDash);
  EXPECT_EQ(form.Working().FrameWidth, 1);  // dash with width 3 sets the width to 1
  form.SetBorderWidth(2);
  EXPECT_EQ(form.Working().FramePenStyle, TPenStyle::psSolid);
  form.SetBorderWidth(0);
  EXPECT_EQ(form.Working().FramePenStyle, TPenStyle::psClear);
  form.SetBorderStyleItem(TAQVTextEditOptionsForm::bsSolid);  // a solid border is seen
  EXPECT_EQ(form.Working().FrameWidth, 1);
  form.findChild<TMySpinEdit*>(QStringLiteral("BdSize"))->DownClick();  // down to none
  EXPECT_EQ(form.Working().FramePenStyle, TPenStyle::psClear);
  form.SetBorderWidth(9);
  EXPECT_EQ(form.Working().FrameWidth, 5);
  form.SetBorderStyleItem(TAQVTextEditOptionsForm::bsClear);
  EXPECT_EQ(form.Working().FrameWidth, 0);
  EXPECT_EQ(box.FrameWidth, 3);  // nothing written before OK
  box.Text = "typed meanwhile";
  form.accept();
  EXPECT_EQ(std::tuple(box.FramePenStyle, box.Text),
            std::tuple(TPenStyle::psClear, "typed meanwhile"));
  // Opened again on a dotted border, the style box shows it.
  box.FramePenStyle = TPenStyle::psDot;
  box.FrameWidth = 1;
  TAQVTextEditOptionsForm again;
  again.SetTarget(&box);
  auto* style = again.findChild<QComboBox*>(QStringLiteral("bdStyle"));
  EXPECT_EQ(style->currentIndex(), TAQVTextEditOptionsForm::bsDot);
  // Typed at both ends of its range, the size shows what it keeps once left, and the style
  // follows: 0 is no border, past the greatest is 5 and solid.
  again.show();
  test::ClickPage(again, "Border");
  // The colour grid stands beside the size and the style boxes, down to the style box.
  for (const TMyColorGrid* grid : again.findChildren<TMyColorGrid*>()) {
    if (grid->isVisible()) {
      EXPECT_GE(grid->geometry().bottom(), style->geometry().top());
    }
  }
  auto* size = again.findChild<TMySpinEdit*>(QStringLiteral("BdSize"));
  const auto type = [size](const char* text) {
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, text);
    QTest::keyClick(size, Qt::Key_Tab);
  };
  type("0");
  EXPECT_EQ(std::tuple(size->text(), style->currentText()), std::tuple("0", "Clear"));
  type("9");
  EXPECT_EQ(std::tuple(size->text(), style->currentText()), std::tuple("5", "Solid"));
  test::PressButton(again, "OK");
  EXPECT_EQ(std::tuple(box.FrameWidth, box.FramePenStyle), std::tuple(5, TPenStyle::psSolid));
}

// The text options dialog's preview of the text.
QLabel* Preview(QWidget& form) {
  for (QLabel* label : form.findChildren<QLabel*>())
    if (label->text().startsWith(QStringLiteral("On the north pole"))) return label;
  ADD_FAILURE() << "no preview";
  return nullptr;
}

TEST(TextOptionsDialog, RightButtonOnTheBackgroundColoursClearsTransparent) {
  TAQVTextBoxRecord box;
  box.ClearBackground = true;
  TAQVTextEditOptionsForm form;
  form.SetTarget(&box);
  form.show();
  test::ClickTab(form.findChild<QTabWidget*>(QStringLiteral("OptionsPage")), 1);
  auto* grid = form.findChild<TMyColorGrid*>(QStringLiteral("bgColor"));
  auto* transparent = form.findChild<QCheckBox*>(QStringLiteral("bgTransparent"));
  ASSERT_TRUE(transparent->isChecked());
  // A left click picks nothing on this grid (it has no foreground) and keeps Transparent.
  QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->CellRect(4).center());
  EXPECT_TRUE(transparent->isChecked());
  QTest::mouseClick(grid, Qt::RightButton, Qt::NoModifier, grid->CellRect(9).center());
  EXPECT_FALSE(transparent->isChecked());
  // The preview shows the colour.
  ASSERT_NE(Preview(form), nullptr);
  EXPECT_EQ(Preview(form)->grab().toImage().pixelColor(2, 2), ToQColor(grid->CellColor(9)));
  form.grab().save(QString::fromStdString(test::ReviewPath("map-text-options-background.png")));
  // The font and border grids pick a foreground only: a right click marks nothing on them.
  for (const QString page : {"Font", "Border"}) {
    test::ClickPage(form, page);
    for (TMyColorGrid* other : form.findChildren<TMyColorGrid*>()) {
      if (!other->isVisible()) continue;
      const QImage before = other->grab().toImage();
      QTest::mouseClick(other, Qt::RightButton, Qt::NoModifier, other->CellRect(9).center());
      EXPECT_EQ(other->grab().toImage(), before) << page.toStdString();
    }
  }
  QTest::keyClick(&form, Qt::Key_Return);
  EXPECT_EQ(std::tuple(box.ClearBackground, box.Color), std::tuple(false, grid->CellColor(9)));
}

// The x of the first dark pixel of a picture, -1 when none.
int FirstInk(const QImage& image) {
  for (int x = 2; x < image.width() - 2; ++x)
    for (int y = 2; y < image.height() - 2; ++y)
      if (image.pixelColor(x, y).lightness() < 100) return x;
  return -1;
}

// The dialog opens on the box's font, size, colours and alignment; each effect and each
// alignment clicked shows in the preview and reaches the box.
TEST(TextOptionsDialog, OpensOnTheBoxsSettingsAndEffectsAndAlignmentShowAndAreKept) {
  TAQVTextBoxRecord box;
  box.Alignment = 2;
  // A family other than the first that has a bold face and Latin letters.
  const QStringList families = QFontDatabase::families(QFontDatabase::Latin);
  const auto family = std::find_if(families.begin() + 1, families.end(), [](const QString& f) {
    return QFontDatabase::styles(f).contains(QStringLiteral("Bold"));
  });
  ASSERT_NE(family, families.end());
  box.Font = {family->toStdString(), 14, clMaroon, {}};
  box.ClearBackground = false;
  box.Color = clYellow;
  box.FrameColor = clNavy;
  TAQVTextEditOptionsForm form;
  form.SetTarget(&box);
  form.show();
  const QList<QListWidget*> lists = form.findChildren<QListWidget*>();
  ASSERT_EQ(lists.size(), 2);
  for (const QListWidget* list : lists) ASSERT_NE(list->currentItem(), nullptr);
  EXPECT_EQ(lists[0]->currentItem()->text(), *family);
  EXPECT_EQ(lists[1]->currentItem()->text(), "14");
  // Each page's colour grid marks the box's colour.
  const auto shownGrid = [&form](const QString& page) -> TMyColorGrid* {
    test::ClickPage(form, page);
    for (TMyColorGrid* grid : form.findChildren<TMyColorGrid*>())
      if (grid->isVisible()) return grid;
    return nullptr;
  };
  EXPECT_EQ(shownGrid("Border")->ForegroundIndex(), TMyColorGrid::ColorToIndex(clNavy));
  EXPECT_EQ(shownGrid("Background")->BackgroundIndex(), TMyColorGrid::ColorToIndex(clYellow));
  EXPECT_EQ(shownGrid("Font")->ForegroundIndex(), TMyColorGrid::ColorToIndex(clMaroon));
  EXPECT_TRUE(test::RadioButton(form, "Center")->isChecked());
  QLabel* preview = Preview(form);
  ASSERT_NE(preview, nullptr);
  const int centre = FirstInk(preview->grab().toImage());
  test::ClickBox(test::RadioButton(form, "Left"));
  EXPECT_LT(FirstInk(preview->grab().toImage()), centre);
  test::ClickBox(test::RadioButton(form, "Right"));
  EXPECT_GT(FirstInk(preview->grab().toImage()), centre);
  const QString effects[] = {"Bold", "Italics", "Underline", "StrikeOut"};
  for (const QString& effect : effects) {
    const QImage before = preview->grab().toImage();
    test::ClickBox(CheckBoxNamed(form, effect));
    EXPECT_NE(preview->grab().toImage(), before) << effect.toStdString();
  }
  QTest::keyClick(&form, Qt::Key_Return);
  EXPECT_EQ(box.Alignment, 3);
  using enum TFontStyle;
  for (const TFontStyle style : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    EXPECT_TRUE(box.Font.Style.Contains(style)) << int(style);
}

// "More colors..." on each page: the colour picked shows in the preview and reaches the box.
TEST(TextOptionsDialog, MoreColorsOnEachPageShowsAndIsKept) {
  TAQVTextBoxRecord box;
  box.ClearBackground = true;
  TAQVTextEditOptionsForm form;
  form.SetTarget(&box);
  form.show();
  const QColor colours[] = {QColor(200, 0, 150), QColor(0, 160, 90), QColor(30, 60, 220)};
  const QString pages[] = {"Font", "Background", "Border"};
  QLabel* preview = Preview(form);
  ASSERT_NE(preview, nullptr);
  // A size clicked in its list shows in the preview: the letters stand taller.
  const auto textRows = [preview] {
    const QImage shown = preview->grab().toImage();
    int rows = 0;
    for (int y = 2; y < shown.height() - 2; ++y)
      rows += test::CountPixels(
                  shown, [](QColor c) { return c.lightness() < 100; },
                  QRect(2, y, shown.width() - 4, 1)) > 0;
    return rows;
  };
  const int small = textRows();
  for (QListWidget* list : form.findChildren<QListWidget*>()) {
    const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("24"), Qt::MatchExactly);
    if (found.isEmpty()) continue;
    list->scrollToItem(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.front()).center());
  }
  EXPECT_GT(textRows(), 2 * small);
  for (int i = 0; i < 3; ++i) {
    test::ClickPage(form, pages[i]);
    test::AnswerDialog<QColorDialog>([colour = colours[i]](QColorDialog& dialog) {
      dialog.setCurrentColor(colour);
      test::PressButton(dialog, "OK");
    });
    for (QPushButton* button : form.findChildren<QPushButton*>())
      if (button->isVisible() && button->text() == QStringLiteral("More colors..."))
        QTest::mouseClick(button, Qt::LeftButton);
    const QImage shown = preview->grab().toImage();  // at once, before the next page's pick
    if (i == 0) {
      EXPECT_GT(test::CountColour(shown, colours[0]), 5);
    } else if (i == 1) {
      EXPECT_EQ(shown.pixelColor(2, 2), colours[1]);
    }
  }
  QTest::keyClick(&form, Qt::Key_Return);
  EXPECT_EQ(std::tuple(ToQColor(box.Font.Color), ToQColor(box.Color), box.ClearBackground,
                       ToQColor(box.FrameColor)),
            std::tuple(colours[0], colours[1], false, colours[2]));
}

TEST(ProgressWindow, UnchangedValuesRepaintNothing) {
  TProgressForm form;
  EXPECT_EQ(TProgressForm::Instance(), &form);
  form.UpdateProgress(QStringLiteral("Optimizing images"), 10, 100);
  const int repaints = form.RepaintCount();
  EXPECT_GT(repaints, 0);
  form.UpdateProgress(QStringLiteral("Optimizing images"), 10, 100);
  EXPECT_EQ(form.RepaintCount(), repaints);
  form.UpdateProgress(QStringLiteral("Optimizing images"), 11, 100);
  EXPECT_EQ(std::tuple(form.RepaintCount(), form.Bar()->value()), std::tuple(repaints + 1, 11));
}

}  // namespace
}  // namespace aqv

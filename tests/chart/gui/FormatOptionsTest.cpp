#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <tuple>

#include "chart/gui/FormatOptions.h"
#include "controls/BrushStylesComboBox.h"
#include "controls/MyColorgrd.h"
#include "controls/MySpin.h"
#include "controls/PatternsPreview.h"
#include "controls/PenStylesComboBox.h"
#include "controls/QtDrawing.h"
#include "tests/support/AnswerDialog.h"
#include "tests/support/Clicks.h"
#include "tests/support/FakeUserInterface.h"
#include "tests/support/Pixels.h"

namespace aqv {
namespace {

constexpr int kScalePage = static_cast<int>(TFormatPage::fpScale);
constexpr int kPatternsPage = static_cast<int>(TFormatPage::fpPatterns);

// A format dialog whose messages go to a recording fake; shown (not modal) so focus moves work.
struct TDialogFixture : ::testing::Test {
  test::TFakeUserInterface Ui;
  TFormatOptionsForm Form{nullptr, &Ui};

  // Types text into edit as the user would, and with leave moves the focus to another control.
  void Type(QLineEdit* edit, const QString& text, bool leave = false) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    if (leave) Form.OKButton->setFocus();
  }
  void TypeAndLeave(QLineEdit* edit, const QString& text) { Type(edit, text, true); }
  void ShowForm() {
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
  }
  // Opens axis, from 1 to 1000 on a log scale, on the Scale page of the shown dialog.
  void OpenLogAxis(TAxis& axis) {
    axis.Scale().SetMin(1);
    axis.Scale().SetMax(1000);
    axis.Scale().SetLogScale(true);
    Form.OpenAxis(axis, kScalePage, "Y-axis");
    ShowForm();
  }
};

using FormatOptions = TDialogFixture;

TEST_F(FormatOptions, LogScaleAxisHidesUnitRowsAndRefusesMinimumZero) {
  TAxis axis;
  axis.Scale().SetMinAutomatic(false);
  OpenLogAxis(axis);
  EXPECT_EQ(Form.PageIndex(), kScalePage);
  EXPECT_EQ(std::tuple(Form.scMajUnit->isVisible(), Form.scMinUnitAuto->isVisible(),
                       Form.scLogScale->isVisible(), Form.scMinimum->isVisible()),
            std::tuple(false, false, false, true));

  TypeAndLeave(Form.scMinimum, "0");  // the edit keeps the text
  EXPECT_EQ(std::tuple(Ui.OnlyMessage(), Form.ScaleCopy().Min(), Form.scMinimum->text()),
            std::tuple("Value must be larger than 0.", 1.0, "0"));
}

TEST_F(FormatOptions, LogScaleRefusesMaximumZeroAsItRefusesSuchAMinimum) {
  TAxis axis;
  axis.Scale().SetMaxAutomatic(false);
  OpenLogAxis(axis);
  TypeAndLeave(Form.scMaximum, "-5");
  EXPECT_EQ(std::tuple(Ui.OnlyMessage(), Form.ScaleCopy().Max()),
            std::tuple("Value must be larger than 0.", 1000.0));
  // OK refuses it as well, from any page, and brings the Scale page forward.
  Ui.Messages.clear();
  test::ClickTab(Form.OptionPages, static_cast<int>(TFormatPage::fpFont));
  ASSERT_NE(Form.PageIndex(), kScalePage);
  EXPECT_FALSE(Form.CheckFields());
  EXPECT_EQ(std::tuple(Ui.OnlyMessage(), Form.PageIndex()),
            std::tuple("Value must be larger than 0.", kScalePage));
  Form.ApplyAxis(axis);
  EXPECT_EQ(axis.Scale().Max(), 1000.0);
  // With a minimum of 0 too and a maximum still being typed, OK names the minimum and moves
  // there; the maximum, left on the way, says nothing of its own.
  Ui.Messages.clear();
  Form.scMinimum->setText("0");
  Type(Form.scMaximum, "-6");
  EXPECT_FALSE(Form.CheckFields());
  EXPECT_EQ(std::tuple(Ui.OnlyMessage(), Form.scMinimum->hasFocus()),
            std::tuple("Value must be larger than 0.", true));
  // The edits are checked again as they are left.
  Ui.Messages.clear();
  TypeAndLeave(Form.scMinimum, "2");
  TypeAndLeave(Form.scMaximum, "-7");
  EXPECT_EQ(Ui.OnlyMessage(), "Value must be larger than 0.");
}

TEST_F(FormatOptions, TypingNeverRaisesAConversionErrorMidTyping) {
  TAxis axis;
  Form.OpenAxis(axis, kScalePage, "X-axis");
  ShowForm();
  // The boxes stand in the column their heading names.
  for (const QLabel* heading : Form.findChildren<QLabel*>())
    EXPECT_TRUE(heading->text() != QStringLiteral("Automatic") ||
                (heading->geometry().left() <= Form.scMaxAuto->geometry().center().x() &&
                 Form.scMaxAuto->geometry().center().x() <= heading->geometry().right()));
  Type(Form.scMaximum, "1e");  // "1" was a number on the way
  EXPECT_EQ(std::tuple(Ui.Messages.empty(), Form.ScaleCopy().Max()), std::tuple(true, 1.0));
  QTest::keyClicks(Form.scMaximum, "3");
  EXPECT_EQ(std::tuple(Ui.Messages.size(), Form.ScaleCopy().Max()), std::tuple(0u, 1000.0));
  QTest::keyClick(Form.scMaximum, Qt::Key_Backspace);
  Form.OKButton->setFocus();  // leaving "1e" reports it once
  EXPECT_EQ(Ui.OnlyMessage(), "'1e' is not a valid floating point value.");
  // Every other edit reports its own text as it is left; the keypad's Enter then reports the
  // first bad edit once and keeps the dialog open.
  for (QLineEdit* edit : {Form.scMinimum, Form.scMajUnit, Form.scMinUnit}) {
    Ui.Messages.clear();
    TypeAndLeave(edit, edit->objectName() + "?");
    EXPECT_EQ(Ui.OnlyMessage(),
              "'" + edit->objectName().toStdString() + "?' is not a valid floating point value.");
    for (const char* notYet : {"", "-", "."}) TypeAndLeave(edit, notYet);  // no number yet
    EXPECT_EQ(Ui.Messages.size(), 1u);
  }
  Ui.Messages.clear();
  QTest::keyClick(Form.scMinUnit, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(std::tuple(Ui.OnlyMessage(), Form.isVisible()),
            std::tuple("'1e' is not a valid floating point value.", true));
}

TEST_F(FormatOptions, TypingAMaximumMakesItManualOnTheAxis) {
  TAxis axis;
  ASSERT_TRUE(axis.Scale().MaxAutomatic());
  axis.Alignment().SetOrientation(90);
  axis.Scale().SetMajorUnitAutomatic(false);
  Form.OpenAxis(axis, kScalePage, "X-axis");
  EXPECT_TRUE(Form.scMaxAuto->isChecked());  // filling the edits does not uncheck the boxes
  EXPECT_TRUE(Form.ScaleCopy().MaxAutomatic());
  // The edits and boxes show the axis's scale; its orientation can be set.
  const TScale& shown = axis.Scale();
  EXPECT_EQ(std::tuple(Form.scMinimum->text(), Form.scMaximum->text(), Form.scMajUnit->text(),
                       Form.scMinUnit->text(), Form.scMajUnitAuto->isChecked(),
                       Form.scMinUnitAuto->isChecked(), Form.alOrientation->isHidden()),
            std::tuple(FormatFloatGeneral(shown.Min()), FormatFloatGeneral(shown.Max()),
                       FormatFloatGeneral(shown.MajorUnit()), FormatFloatGeneral(shown.MinorUnit()),
                       false, true, false));
  Form.scMaximum->setText(QLocale().toString(250.5));
  EXPECT_FALSE(Form.scMaxAuto->isChecked());
  Form.scMajUnit->setText(QStringLiteral("50"));
  Form.scMinUnit->setText(QStringLiteral("10"));
  Form.scMajUnitAuto->setChecked(true);  // checked again after typing
  Form.foBold->setChecked(true);         // and the font and alignment pages of the same dialog
  Form.alOrientation->UpClick();
  ASSERT_TRUE(Form.CheckFields());
  Form.ApplyAxis(axis);
  const TScale& scale = axis.Scale();
  EXPECT_EQ(
      std::tuple(axis.Font().Style().Contains(TFontStyle::fsBold), axis.Alignment().Orientation(),
                 scale.Max(), scale.MajorUnit(), scale.MinorUnit(), scale.MaxAutomatic(),
                 scale.MinAutomatic(), scale.MajorUnitAutomatic(), scale.MinorUnitAutomatic()),
      std::tuple(true, 91, 250.5, 50.0, 10.0, false, true, true, false));
  // Where the locale groups thousands, a value still shows as one number that reads back.
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  axis.Scale().SetMax(25000);
  Form.OpenAxis(axis, kScalePage, "X-axis");
  EXPECT_EQ(Form.scMaximum->text(), QStringLiteral("25000"));
  QLocale::setDefault(before);
}

TEST_F(FormatOptions, MinimumIsTakenWhenLeftOrOnOKAndLogScaleBoxEnabledOnlyForPositiveRange) {
  TAxis axis;
  Form.OpenAxis(axis, kScalePage, "X-axis");
  for (const QCheckBox* box :
       {Form.scMinAuto, Form.scMaxAuto, Form.scMajUnitAuto, Form.scMinUnitAuto})
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();  // a new axis's, automatic
  Form.scMinimum->setText("5");  // no change handler on the minimum
  EXPECT_EQ(Form.ScaleCopy().Min(), 0.0);
  ASSERT_TRUE(Form.CheckFields());
  Form.ApplyAxis(axis);
  EXPECT_EQ(std::tuple(axis.Scale().Min(), axis.Scale().MinAutomatic()), std::tuple(5.0, false));
  TAxis other;  // 0..100
  Form.OpenAxis(other, kScalePage, "X-axis");
  EXPECT_FALSE(Form.scLogScale->isEnabled());
  Form.scMinimum->setText("0.1");
  Form.scMinimumExit();
  EXPECT_TRUE(Form.scLogScale->isEnabled());
  Form.scMaximum->setText("abc");
  Form.scMinimumExit();
  EXPECT_FALSE(Form.scLogScale->isEnabled());
  // Leaving the maximum looks again too.
  ShowForm();
  TypeAndLeave(Form.scMaximum, "50");
  EXPECT_TRUE(Form.scLogScale->isEnabled());
}

TEST_F(FormatOptions, OKWithoutEditsKeepsAnAutomaticMinimumOfSeventeenDigits) {
  // The edit shows 15 digits ("0.3"); passing through it and clicking OK must not make that
  // rounded text the axis's fixed minimum.
  TAxis axis;
  axis.Scale().SetMin(0.1 + 0.2);
  const TScaleData before = axis.Scale().Data();
  int page = kScalePage;
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("scMinimum")->setFocus();
    QTest::mouseClick(dialog.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
  });
  EXPECT_TRUE(Form.ExecuteAxis(axis, page, "Y-axis"));
  EXPECT_EQ(
      std::tuple(axis.Scale().Data() == before, axis.Scale().Min(), axis.Scale().MinAutomatic()),
      std::tuple(true, 0.1 + 0.2, true));
}

TEST_F(FormatOptions, DashedBorderOpensWithWidthOneAndLimitsItToOneAndSolidAllowsTen) {
  TChartArea area;
  area.Patterns().Border().SetStyle(TPenStyle::psDot);
  area.Patterns().Border().SetWidth(3);
  area.Patterns().Area().SetStyle(TBrushStyle::bsCross);
  Form.OpenChartArea(area, 0, "Chart area");
  // The closed style boxes show the area's styles before they were ever dropped down.
  EXPECT_EQ(std::tuple(Form.paBorderStyle->currentIndex(), Form.paAreaStyle->currentIndex(),
                       Form.paBorderWidth->text(), Form.paBorderWidth->MaxValue()),
            std::tuple(TPenStylesComboBox::ItemOf(TPenStyle::psDot),
                       TBrushStylesComboBox::ItemOf(TBrushStyle::bsCross), "1", 1));
  Form.ApplyChartArea(area);
  EXPECT_EQ(area.Patterns().Border().Width(), 1);
  // A solid border of 4 made dashed.
  area.Patterns().Border().SetStyle(TPenStyle::psSolid);
  area.Patterns().Border().SetWidth(4);
  Form.OpenChartArea(area, 0, "Chart area");
  EXPECT_EQ(Form.paBorderWidth->text(), "4");
  Form.paBorderStyle->showPopup();
  Form.paBorderStyle->hidePopup();
  emit Form.paBorderStyle->activated(TPenStylesComboBox::ItemOf(TPenStyle::psDash));
  EXPECT_EQ(std::tuple(Form.paBorderWidth->text(), Form.paBorderWidth->MaxValue(),
                       Form.PatternsCopy().Border().Width()),
            std::tuple("1", 1, 1));
  emit Form.paBorderStyle->activated(TPenStylesComboBox::ItemOf(TPenStyle::psSolid));
  EXPECT_EQ(Form.paBorderWidth->MaxValue(), 10);
  Form.paBorderWidth->SetValue(7);
  EXPECT_EQ(Form.PatternsCopy().Border().Width(), 7);
  emit Form.paAreaStyle->activated(TBrushStylesComboBox::ItemOf(TBrushStyle::bsVertical));
  // The preview follows every control of the page.
  EXPECT_TRUE(Form.PatternsPreview->Patterns().Data() == Form.PatternsCopy().Data());
  Form.ApplyChartArea(area);
  EXPECT_EQ(std::tuple(area.Patterns().Border().Width(), area.Patterns().Border().Style(),
                       area.Patterns().Area().Style()),
            std::tuple(7, TPenStyle::psSolid, TBrushStyle::bsVertical));
}

TEST_F(FormatOptions, GridAndMoreColorsSetTheCopyAndPreviewAndAColourOutsideTheGridMarksNoCell) {
  // "No colour" and "default colour" are no cell either: a click on white then makes it white.
  for (const TColor odd : {RGBColor(12, 34, 56), clNone, clDefault}) {
    SCOPED_TRACE(odd);
    TChartArea area;
    area.Patterns().Area().SetColor(odd);
    Form.OpenChartArea(area, 0, "Chart area");
    ShowForm();
    EXPECT_EQ(Form.paAreaColor->ForegroundIndex(), TMyColorGrid::kNoCell);
    Form.ApplyChartArea(area);
    EXPECT_EQ(area.Patterns().Area().Color(), odd);
    const QRect white = Form.paAreaColor->CellRect(15);
    QTest::mouseClick(Form.paAreaColor, Qt::LeftButton, {}, white.center());
    Form.ApplyChartArea(area);
    EXPECT_EQ(area.Patterns().Area().Color(), clWhite);
  }
  TChartArea area;
  Form.OpenChartArea(area, 0, "Chart area");
  Form.paAreaColor->SetForegroundIndex(9);  // entry 13: red
  EXPECT_EQ(std::tuple(Form.PatternsCopy().Area().Color(),
                       Form.PatternsPreview->Patterns().Area().Color()),
            std::tuple(clRed, clRed));
  const TColor chosen = RGBColor(1, 2, 3);
  Form.SetColorChooser([&](TColor current, TColor& result) {
    EXPECT_EQ(current, clRed);
    result = chosen;
    return true;
  });
  QTest::mouseClick(Form.paAreaMoreColors, Qt::LeftButton);
  EXPECT_EQ(std::tuple(Form.PatternsCopy().Area().Color(), Form.paAreaColor->ForegroundIndex()),
            std::tuple(chosen, TMyColorGrid::kNoCell));
  Form.SetColorChooser([](TColor, TColor& result) { return result = clWhite, true; });
  QTest::mouseClick(Form.paAreaMoreColors, Qt::LeftButton);
  EXPECT_EQ(Form.paAreaColor->ForegroundIndex(), 15);
  Form.SetColorChooser([](TColor, TColor& result) { return result = clRed, false; });
  QTest::mouseClick(Form.paAreaMoreColors, Qt::LeftButton);  // cancelled: nothing changes
  EXPECT_EQ(std::pair(Form.PatternsCopy().Area().Color(), Form.paAreaColor->ForegroundIndex()),
            std::pair(clWhite, 15));
  Form.paBorderColor->SetForegroundIndex(9);  // the border's grid likewise
  EXPECT_EQ(Form.PatternsPreview->Patterns().Border().Color(), clRed);
  Form.ApplyChartArea(area);
  EXPECT_EQ(std::tuple(area.Patterns().Area().Color(), area.Patterns().Border().Color()),
            std::tuple(clWhite, clRed));
}

TEST_F(FormatOptions, SeriesWritesOnlyMarkerLineAndRange) {
  TSeries series;
  series.Font().SetSize(31);
  series.Alignment().SetAlignment(TMyAlignmentTypes::maTop);
  series.Number().SetDecimalPlaces(3);
  series.Marker().SetStyle(TMarkerStyle::msSquare);
  series.Marker().SetColor(clRed);
  Form.OpenSeries(series, 0, "W1");  // its marker's red marked: entry 13
  EXPECT_EQ(std::tuple(Form.paMarkerColor->ForegroundIndex(), Form.paMarkerStyle->currentIndex(),
                       Form.paGroupBox1->isVisibleTo(&Form), Form.paGroupBox3->isVisibleTo(&Form),
                       Form.paGroupBox2->title().toStdString(), Form.PageIndex(),
                       Form.PatternsPreview->Mode()),
            std::tuple(9, static_cast<int>(TMarkerStyle::msSquare), false, true, "Line ",
                       kPatternsPage, TPreviewMode::pmLineWithMarker));
  Form.paMarkerStyle->setCurrentIndex(static_cast<int>(TMarkerStyle::msTriangle));
  Form.paMarkerSize->SetValue(12);
  Form.paMarkerColor->SetForegroundIndex(13);  // entry 17: fuchsia
  // The preview draws the marker and the line as chosen, from the grids and from more colours.
  EXPECT_EQ(Form.PatternsPreview->Marker().Color(), clFuchsia);
  Form.SetColorChooser([](TColor, TColor& result) { return result = RGBColor(1, 2, 3), true; });
  QTest::mouseClick(Form.paBorderMoreColors, Qt::LeftButton);
  EXPECT_EQ(std::tuple(Form.PatternsCopy().Border().Color(), Form.PatternsPreview->Marker().Data(),
                       Form.PatternsPreview->Patterns().Data()),
            std::tuple(RGBColor(1, 2, 3), Form.MarkerCopy().Data(), Form.PatternsCopy().Data()));
  QTest::mouseClick(Form.paMarkerMoreColors, Qt::LeftButton);
  EXPECT_EQ(Form.PatternsPreview->Marker().Color(), RGBColor(1, 2, 3));
  int changes = 0;
  const auto count = [&](TObject*) { ++changes; };
  series.Font().OnChange = series.Number().OnChange = series.Alignment().OnChange = count;
  Form.ApplySeries(series);
  EXPECT_EQ(std::tuple(series.Marker().Style(), series.Marker().Size(), changes,
                       series.Font().Size(), series.Number().DecimalPlaces(),
                       series.Marker().Color(), series.Alignment().Alignment()),
            std::tuple(TMarkerStyle::msTriangle, 12, 0, 31, 3, RGBColor(1, 2, 3),
                       TMyAlignmentTypes::maTop));
  // Run as a dialog on the series, OK alone keeps its marker; OK stands beside Cancel.
  TFormatOptionsForm dialog(nullptr, &Ui);
  int page = 0;
  test::AnswerDialog<QDialog>([](QDialog& shown) {
    auto* ok = shown.findChild<QPushButton*>("OKButton");
    const auto* cancel = shown.findChild<QPushButton*>("CancelButton");
    EXPECT_EQ(ok->y(), cancel->y());
    EXPECT_LT(ok->geometry().right(), cancel->x());
    QTest::mouseClick(ok, Qt::LeftButton);
  });
  EXPECT_TRUE(dialog.ExecuteSeries(series, page, "W1"));
  EXPECT_EQ(std::tuple(series.Marker().Style(), series.Marker().Size(), page),
            std::tuple(TMarkerStyle::msTriangle, 12, kPatternsPage));
}

TEST_F(FormatOptions, EntriesShowOnlyTheirPagesAndFallBackToTheFirst) {
  TAxis axis;
  TChartArea area;
  TLegend legend;
  TSeries series;
  TTitle title;
  // Each entry, the pages it shows and its first page; and its look on the Patterns page: the
  // line group's title, the preview's mode (area 0, line 1, line with marker 2) and + where the
  // area group shows.
  using TOpen = std::function<void(TFormatOptionsForm&, int)>;
  const std::tuple<const char*, TOpen, std::vector<int>, int, const char*> cases[] = {
      {"axis", [&](auto& f, int p) { f.OpenAxis(axis, p, "x"); }, {0, 1, 3, 6}, 0, "Axis 1"},
      {"area", [&](auto& f, int p) { f.OpenChartArea(area, p, "x"); }, {3}, 3, "Border 0+"},
      {"legend", [&](auto& f, int p) { f.OpenLegend(legend, p, "x"); }, {1, 3, 4}, 1, "Border 0+"},
      {"series", [&](auto& f, int p) { f.OpenSeries(series, p, "x"); }, {3}, 3, "Line 2"},
      {"title", [&](auto& f, int p) { f.OpenTitle(title, p, "x"); }, {0, 1, 3}, 0, "Border 0+"},
  };
  for (const auto& [name, open, pages, firstPage, look] : cases) {
    SCOPED_TRACE(name);
    open(Form, kScalePage);  // the page an axis dialog was closed on
    std::vector<int> shown;
    for (int i = 0; i < Form.OptionPages->count(); ++i)
      if (Form.OptionPages->isTabVisible(i)) shown.push_back(i);
    const bool scaleShown = Form.OptionPages->isTabVisible(kScalePage);
    EXPECT_EQ(std::tuple(shown, Form.PageIndex(), Form.windowTitle(),
                         Form.paGroupBox2->title() +
                             QString::number(static_cast<int>(Form.PatternsPreview->Mode())) +
                             (Form.paGroupBox1->isHidden() ? "" : "+")),
              std::tuple(pages, scaleShown ? kScalePage : firstPage, "Options: x", look));
    // Switching pages by keyboard, on the tabs or on a page, comes round the shown pages only;
    // the arrows on the tabs (step 0) stop at the last one.
    ShowForm();
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int> keys[] = {
        {Qt::Key_Tab, Qt::ControlModifier, 1},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
        {Qt::Key_Right, Qt::NoModifier, 0}};
    const int n = static_cast<int>(pages.size());
    for (const auto& [key, modifiers, step] : keys) {
      const int at = static_cast<int>(std::ranges::find(pages, Form.PageIndex()) - pages.begin());
      for (int i = 1; i <= n; ++i) {
        QTest::keyClick(step == 0 || i % 2 ? static_cast<QWidget*>(Form.OptionPages->tabBar())
                                           : Form.OptionPages->currentWidget(),
                        key, modifiers);
        EXPECT_EQ(Form.PageIndex(),
                  pages[step == 0 ? std::min(at + i, n - 1) : (at + step * i + n * n) % n])
            << key;
      }
    }
  }
}

TEST_F(FormatOptions, TitleHidesOrientationAndVerticalAlignments) {
  TTitle title;
  title.Alignment().SetAlignment(TMyAlignmentTypes::maLeft);
  Form.OpenTitle(title, 0, "Chart title");
  EXPECT_EQ(std::tuple(Form.alOrientation->isVisibleTo(&Form), Form.alTop->isVisibleTo(&Form),
                       Form.alBottom->isVisibleTo(&Form), Form.alLeft->isChecked()),
            std::tuple(false, false, false, true));
  Form.ApplyTitle(title);  // OK without a change keeps what the title had
  EXPECT_EQ(title.Alignment().Alignment(), TMyAlignmentTypes::maLeft);
  Form.alRight->setChecked(true);
  Form.foBold->setChecked(true);
  Form.ApplyTitle(title);
  EXPECT_EQ(
      std::tuple(title.Alignment().Alignment(), title.Font().Style().Contains(TFontStyle::fsBold)),
      std::tuple(TMyAlignmentTypes::maRight, true));
  // Opened again, the dialog shows the title's new alignment.
  TFormatOptionsForm again{nullptr, &Ui};
  again.OpenTitle(title, 0, "Chart title");
  EXPECT_TRUE(again.alRight->isChecked() && again.foBold->isChecked());
  // An axis opens on each of its alignments, and each button chooses its own.
  TAxis axis;
  const std::pair<QRadioButton*, TMyAlignmentTypes> alignments[] = {
      {Form.alLeft, TMyAlignmentTypes::maLeft},
      {Form.alRight, TMyAlignmentTypes::maRight},
      {Form.alCenter, TMyAlignmentTypes::maCenter}};  // the two others show for no part
  for (const auto& [button, alignment] : alignments) {
    axis.Alignment().SetAlignment(alignment);
    Form.OpenAxis(axis, 0, "X-axis");
    EXPECT_TRUE(button->isChecked()) << button->objectName().toStdString();
  }
  for (const auto& [button, alignment] : alignments) {
    button->click();
    EXPECT_EQ(Form.AlignmentCopy().Alignment(), alignment) << button->objectName().toStdString();
  }
  // An axis that a file aligns at the bottom or the top opens with none of the three chosen.
  for (const TMyAlignmentTypes hidden : {TMyAlignmentTypes::maBottom, TMyAlignmentTypes::maTop}) {
    Form.alCenter->click();
    axis.Alignment().SetAlignment(hidden);
    Form.OpenAxis(axis, 0, "X-axis");
    EXPECT_FALSE(Form.alLeft->isChecked() || Form.alRight->isChecked() ||
                 Form.alCenter->isChecked());
  }
}

TEST_F(FormatOptions, FontPageEditsTheCopyOnlyAndLegendWithoutPlacementOpensUnchecked) {
  TLegend legend;
  legend.SetPlacement(TPlacement::plNone);
  const QString family = Form.foName->item(Form.foName->count() - 1)->text();
  legend.Font().SetData({family.toStdString(), 10, clRed, {}});
  Form.OpenLegend(legend, 0, "Legend");
  EXPECT_FALSE(Form.pmShowLegend->isChecked() || Form.pmLeft->isEnabled());
  ASSERT_NE(Form.foSize->currentItem(), nullptr);
  ASSERT_NE(Form.foName->currentItem(), nullptr);
  // The font's red marked in the grid.
  EXPECT_EQ(std::tuple(Form.foSize->currentItem()->text(), Form.foName->currentItem()->text(),
                       Form.foColor->ForegroundIndex()),
            std::tuple(QStringLiteral("10"), family, 9));
  // The preview shows the font as the dialog opens and as it changes.
  EXPECT_GT(test::CountColour(Form.foPreview->grab().toImage(), Qt::red), 5);
  // At 24 points the sample wraps and shows whole: no ink along the sides of its box.
  ShowForm();
  Form.foSize->setCurrentRow(9);
  QApplication::processEvents();  // the page makes room for the wrapped lines
  const QImage preview = Form.foPreview->grab().toImage();
  const int w = preview.width(), h = preview.height();
  for (const QRect side :
       {QRect(0, 0, 6, h), QRect(w - 6, 0, 6, h), QRect(0, 0, w, 6), QRect(0, h - 6, w, 6)})
    EXPECT_EQ(test::CountColour(preview, Qt::red, side), 0) << side.x() << "," << side.y();
  Form.foSize->setCurrentRow(Form.foSize->count() - 1);
  Form.foColor->SetForegroundIndex(13);  // entry 17: fuchsia
  EXPECT_GT(test::CountColour(Form.foPreview->grab().toImage(), Qt::magenta), 5);
  Form.foItalic->setChecked(true);
  EXPECT_EQ(
      std::tuple(Form.foPreview->font().italic(), Form.FontCopy().Size(), legend.Font().Size()),
      std::tuple(true, 72, 10));
  for (QCheckBox* effect : {Form.foBold, Form.foStrikeOut, Form.foUnderline}) {
    effect->setChecked(true);
    EXPECT_EQ(Form.foPreview->font(), MakeQFont(Form.FontCopy().Data()));
  }
  Form.foName->setCurrentRow(0);
  EXPECT_EQ(
      std::tuple(Form.foPreview->font(), Form.FontCopy().Name()),
      std::tuple(MakeQFont(Form.FontCopy().Data()), Form.foName->item(0)->text().toStdString()));
  Form.paAreaColor->SetForegroundIndex(9);  // and its patterns: a red area
  Form.ApplyLegend(legend);
  EXPECT_EQ(std::tuple(legend.Font().Size(), legend.Font().Color(), legend.Placement(),
                       legend.Patterns().Area().Color()),
            std::tuple(72, clFuchsia, TPlacement::plNone, clRed));
  Form.pmShowLegend->setChecked(true);
  EXPECT_TRUE(Form.pmLeft->isEnabled());
  Form.pmTop->setChecked(true);
  Form.ApplyLegend(legend);
  EXPECT_EQ(std::pair(legend.Placement(), legend.Font().Name()),
            std::pair(TPlacement::plTop, Form.foName->item(0)->text().toStdString()));
  // Each placement opens on its button and is kept.
  for (const TPlacement placement :
       {TPlacement::plLeft, TPlacement::plRight, TPlacement::plTop, TPlacement::plBottom}) {
    legend.SetPlacement(placement);
    Form.OpenLegend(legend, 0, "Legend");
    legend.SetPlacement(TPlacement::plNone);
    Form.ApplyLegend(legend);
    EXPECT_EQ(legend.Placement(), placement);
  }
  // More colours sets the font's colour and the preview's.
  Form.SetColorChooser([](TColor, TColor& result) { return result = RGBColor(1, 2, 3), true; });
  QTest::mouseClick(Form.foMoreColors, Qt::LeftButton);
  EXPECT_EQ(
      std::pair(Form.FontCopy().Color(), Form.foPreview->palette().color(QPalette::WindowText)),
      std::pair(RGBColor(1, 2, 3), QColor(1, 2, 3)));
}

TEST_F(FormatOptions, EnterClampsASpinValueTypedPastItsBoundAndASeriesRangeIsReadOnApply) {
  TSeries series;
  Form.OpenSeries(series, 0, "W1");
  ShowForm();
  Type(Form.paMarkerSize, "99");
  EXPECT_EQ(Form.MarkerCopy().Size(), 99);  // live, unchecked while typing
  QTest::keyClick(Form.paMarkerSize, Qt::Key_Return);
  EXPECT_EQ(std::tuple(Form.result(), Form.paMarkerSize->text()),
            std::tuple(QDialog::Accepted, "32"));
  Form.raXValues->setText("B2:B20");
  Form.raYValues->setText("C2C20");  // no colon: refused with its message
  Form.raSecondaryY_Axis->setChecked(true);
  Form.ApplySeries(series);
  EXPECT_EQ(std::tuple(series.Marker().Size(), series.Range().XRange(), series.Range().YRange(),
                       series.Range().YAxis(), Ui.Messages.size()),
            std::tuple(32, TCellRange{2, 2, 2, 20}, TCellRange{}, 2, 1u));
  // Both ends of each spin edit's range are kept as typed.
  TAxis axis;
  const std::tuple<TMySpinEdit*, int, int, std::function<int()>> spins[] = {
      {Form.paMarkerSize, 0, 32, [&] { return Form.MarkerCopy().Size(); }},
      {Form.paBorderWidth, 1, 10, [&] { return Form.PatternsCopy().Border().Width(); }},
      {Form.alOrientation, 0, 359, [&] { return Form.AlignmentCopy().Orientation(); }}};
  for (const auto& [spin, least, greatest, kept] : spins) {
    for (const int value : {least, greatest}) {
      if (spin == Form.alOrientation)
        Form.OpenAxis(axis, 0, "X-axis");
      else
        Form.OpenSeries(series, 0, "W1");
      Type(spin, QString::number(value));
      QTest::keyClick(spin, Qt::Key_Return);
      EXPECT_EQ(std::pair(spin->text().toInt(), kept()), std::pair(value, value))
          << spin->objectName().toStdString();
    }
  }
}

TEST_F(FormatOptions, EnterConfirmsAndEscapeCancelsTheModalDialog) {
  TAxis axis;
  int page = kScalePage;
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    auto* maximum = dialog.findChild<QLineEdit*>("scMaximum");
    maximum->setText("55");
    QTest::keyClick(maximum, Qt::Key_Enter, Qt::KeypadModifier);
  });
  EXPECT_TRUE(Form.ExecuteAxis(axis, page, "X-axis"));
  EXPECT_EQ(std::tuple(axis.Scale().Max(), page), std::tuple(55.0, kScalePage));
  TFormatOptionsForm second(nullptr, &Ui);
  TChartArea area;
  area.Patterns().Area().SetColor(clBlue);
  test::AnswerDialog<QDialog>([](QDialog& dialog) {
    dialog.findChild<TMyColorGrid*>("paAreaColor")->SetForegroundIndex(1);
    QTest::keyClick(dialog.findChild<TMyColorGrid*>("paAreaColor"), Qt::Key_Escape);
  });
  EXPECT_FALSE(second.ExecuteChartArea(area, page, "Chart area"));
  // The axis page was hidden: the entry's first page opened.
  EXPECT_EQ(std::tuple(area.Patterns().Area().Color(), page), std::tuple(clBlue, kPatternsPage));
}

}  // namespace
}  // namespace aqv

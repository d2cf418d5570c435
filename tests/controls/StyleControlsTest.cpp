#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QSignalSpy>
#include <tuple>

#include "controls/BrushStylesComboBox.h"
#include "controls/PatternsPreview.h"
#include "controls/PenStylesComboBox.h"
#include "controls/QtDrawing.h"
#include "controls/WindowSizing.h"
#include "tests/support/Pixels.h"

namespace aqv {
namespace {

TEST(StyleComboBoxes, HoldNoItemsBeforeTheFirstDropDown) {
  TBrushStylesComboBox brushes;
  TPenStylesComboBox pens;
  EXPECT_EQ(std::tuple(brushes.count(), pens.count()), std::tuple(0, 0));
  brushes.showPopup();
  pens.showPopup();
  EXPECT_EQ(std::tuple(brushes.count(), pens.count()), std::tuple(8, 6));
  // The list draws each item as its style: the solid brush fills its item black and the solid
  // pen draws a black line across the middle of its item.
  for (TStyleComboBox* box : std::initializer_list<TStyleComboBox*>{&brushes, &pens}) {
    const QImage list = box->view()->viewport()->grab().toImage();
    const QRect solid = box->view()->visualRect(box->model()->index(1, 0));
    ASSERT_FALSE(solid.isEmpty());
    const QRect middle(solid.left(), solid.center().y() - 1, solid.width(), 3);
    EXPECT_GT(test::CountColour(list, Qt::black, middle), solid.width() / 2);
  }
  brushes.hidePopup();
  brushes.showPopup();  // a second drop-down adds nothing
  EXPECT_EQ(brushes.count(), 8);
  brushes.hidePopup();
  pens.hidePopup();
}

TEST(StyleComboBoxes, ShowTheGivenItemClosedAndOpenOnItWithItsSampleOnWhite) {
  TBrushStylesComboBox brushes;
  brushes.resize(120, 24);
  brushes.ShowItem(1);  // the solid brush, shown in the closed box
  EXPECT_GT(test::CountColour(brushes.grab().toImage(), Qt::black), 40);
  // Given the clear brush, the list opens on it, its sample white inside the highlight.
  brushes.ShowItem(0);
  brushes.showPopup();
  EXPECT_EQ(brushes.view()->currentIndex().row(), 0);
  const QRect sample =
      brushes.view()->visualRect(brushes.model()->index(0, 0)).adjusted(3, 3, -3, -3);
  ASSERT_FALSE(sample.isEmpty());
  const QImage list = brushes.view()->viewport()->grab().toImage();
  EXPECT_EQ(test::CountColour(list, Qt::white, sample), sample.width() * sample.height());
  EXPECT_EQ(list.pixelColor(sample.topLeft() - QPoint(2, 2)),
            brushes.view()->palette().color(QPalette::Highlight));
  brushes.hidePopup();
}

TEST(StyleComboBoxes, ChoosingAnItemReportsTheTablesStyleNotTheItemNumber) {
  using enum TBrushStyle;
  using enum TPenStyle;
  TBrushStylesComboBox brushes;
  brushes.showPopup();
  brushes.hidePopup();
  QSignalSpy brushChanged(&brushes, &TStyleComboBox::Changed);
  const TBrushStyle brushExpected[] = {bsClear,     bsSolid,     bsCross,      bsDiagCross,
                                       bsBDiagonal, bsFDiagonal, bsHorizontal, bsVertical};
  for (int item = 0; item < 8; ++item) {
    emit brushes.activated(item);
    EXPECT_EQ(brushes.Style(), brushExpected[item]) << item;
    EXPECT_EQ(TBrushStylesComboBox::ItemOf(brushExpected[item]), item);
  }
  EXPECT_EQ(brushChanged.count(), 8);

  TPenStylesComboBox pens;
  const TPenStyle penExpected[] = {psClear, psSolid, psDash, psDashDot, psDashDotDot, psDot};
  for (int item = 0; item < 6; ++item) {
    emit pens.activated(item);
    EXPECT_EQ(pens.Style(), penExpected[item]) << item;
  }
  EXPECT_EQ(TPenStylesComboBox::ItemOf(psInsideFrame), -1);
}

// The file's style ordinals map to Qt's styles.
TEST(QtDrawing, ColoursKeepTheirBytesBothWaysAndStylesAndFontsTheirMeaning) {
  using enum TBrushStyle;
  using enum TPenStyle;
  EXPECT_EQ(std::tuple(ToQtBrushStyle(bsClear), ToQtBrushStyle(bsDiagCross),
                       ToQtBrushStyle(bsHorizontal)),
            std::tuple(Qt::NoBrush, Qt::DiagCrossPattern, Qt::HorPattern));
  EXPECT_EQ(std::tuple(ToQtPenStyle(psClear), ToQtPenStyle(psDot), ToQtPenStyle(psDashDotDot)),
            std::tuple(Qt::NoPen, Qt::DotLine, Qt::DashDotDotLine));
  EXPECT_EQ(ToQColor(clBlue), QColor(0, 0, 255));
  EXPECT_EQ(ToQColor(RGBColor(1, 2, 3)), QColor(1, 2, 3));
  EXPECT_EQ(FromQColor(QColor(10, 20, 30)), RGBColor(10, 20, 30));
  EXPECT_FALSE(IsSystemColor(ColorToRGB(clBtnFace)));
  EXPECT_EQ(ToQColor(cl3DDkShadow).rgb(), QApplication::palette().color(QPalette::Shadow).rgb());
  EXPECT_EQ(ToQColor(clBtnShadow).rgb(), QApplication::palette().color(QPalette::Dark).rgb());
  // Fonts keep their size and each style, alone.
  using enum TFontStyle;
  const QFont a = MakeQFont({"Arial", 10, clBlack, {fsItalic, fsStrikeOut}});
  const QFont b = MakeQFont({"Arial", 10, clBlack, {fsBold, fsUnderline}});
  EXPECT_TRUE(a.italic() && a.strikeOut() && !a.bold() && !a.underline());
  EXPECT_TRUE(b.bold() && b.underline() && !b.italic() && !b.strikeOut());
  EXPECT_EQ(a.pointSize(), 10);
}

// A thick frame keeps its square corners.
TEST(QtDrawing, ThickPenMitresItsCorners) {
  QImage image(40, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setPen(MakeQPen({clBlack, TPenStyle::psSolid, 9}));
  painter.drawRect(QRect(10, 10, 20, 20));
  painter.end();
  EXPECT_EQ(image.pixelColor(6, 6), QColor(Qt::black));
}

// A window is at least as wide as its title in the bold caption font and five squares of the
// bar's height (buttons, icon and margins), the height at least 24 pixels.
TEST(WindowSizing, TitleBarHoldsTheTitleInBold) {
  QWidget window;
  window.setWindowTitle(QStringLiteral("Canvas dimensions"));
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GE(TitleBarWidth(window),
            QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + 5 * 24);
}

// Each marker shows its own shape: probes on its outline, and where the others would draw.
TEST(QtDrawing, EachMarkerHasItsShape) {
  const QPoint c(10, 10);
  // Each style with the points it draws and points it leaves blank.
  const std::tuple<TMarkerStyle, std::vector<QPoint>, std::vector<QPoint>> cases[] = {
      {TMarkerStyle::msCircle, {{5, 10}, {15, 10}, {10, 5}, c}, {{5, 5}, {15, 15}}},
      {TMarkerStyle::msCross, {{5, 5}, {15, 15}, {5, 15}, {15, 5}, c}, {{10, 5}, {5, 10}}},
      {TMarkerStyle::msHorizontalLine, {{5, 10}, {15, 10}, c}, {{10, 5}, {10, 15}}},
      {TMarkerStyle::msSquare, {{5, 5}, {15, 15}, {5, 15}, c}, {{4, 4}, {10, 3}}},
      {TMarkerStyle::msTriangle, {{10, 5}, {5, 15}, {14, 15}, c}, {{5, 5}, {15, 5}}},
      {TMarkerStyle::msVerticalLine, {{10, 5}, {10, 15}, c}, {{5, 10}, {15, 10}}},
  };
  for (const auto& [style, drawn, blank] : cases) {
    QImage image(21, 21, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawMarker(painter, {clRed, 10, style}, c.x(), c.y());
    painter.drawPoint(20, 20);  // after the marker, in the painter's own black
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::black)) << int(style);
    for (const QPoint& p : drawn)
      EXPECT_EQ(image.pixelColor(p), QColor(Qt::red))
          << int(style) << " at " << p.x() << "," << p.y();
    for (const QPoint& p : blank)
      EXPECT_EQ(image.pixelColor(p), QColor(Qt::white))
          << int(style) << " at " << p.x() << "," << p.y();
  }
}

// Counts pixels of a colour in the rendered widget.
int CountPixels(QWidget& widget, QColor colour) {
  return test::CountColour(widget.grab().toImage(), colour);
}

TEST(PatternsPreview, RepaintsFromItsOwnCopies) {
  TPatternsPreview preview;
  preview.resize(120, 60);
  preview.Patterns().Area().SetColor(clRed);
  EXPECT_GT(CountPixels(preview, QColor(255, 0, 0)), 80 * 30);
  preview.Patterns().Area().SetStyle(TBrushStyle::bsCross);  // a hatch leaves most white
  EXPECT_LT(CountPixels(preview, QColor(255, 0, 0)), 80 * 30 / 2);
  EXPECT_GT(CountPixels(preview, QColor(255, 0, 0)), 100);
  preview.SetMode(TPreviewMode::pmLine);
  EXPECT_EQ(CountPixels(preview, QColor(255, 0, 0)), 0);
  preview.Patterns().Border().SetColor(clLime);
  const int solid = CountPixels(preview, QColor(0, 255, 0));
  EXPECT_GE(solid, 100);
  preview.Patterns().Border().SetStyle(TPenStyle::psDash);  // a dashed line has gaps
  EXPECT_LT(CountPixels(preview, QColor(0, 255, 0)), solid * 3 / 4);
  preview.Patterns().Border().SetStyle(TPenStyle::psSolid);
  preview.Patterns().Border().SetWidth(3);  // and a wider line is wider
  EXPECT_GE(CountPixels(preview, QColor(0, 255, 0)), solid * 3);
  preview.SetMode(TPreviewMode::pmLineWithMarker);
  preview.Marker().SetColor(clBlue);
  preview.Marker().SetSize(10);
  EXPECT_GE(CountPixels(preview, QColor(0, 0, 255)), 80);
  // A triangle of size 20 at the centre (60, 30): apex up at y 20, base from 50 to 70 at y 40.
  preview.Marker().SetStyle(TMarkerStyle::msTriangle);
  preview.Marker().SetSize(20);
  const QImage image = preview.grab().toImage();
  for (const QPoint inside : {QPoint(60, 23), QPoint(53, 38), QPoint(67, 38), QPoint(60, 38)})
    EXPECT_EQ(QColor(image.pixel(inside)), QColor(0, 0, 255)) << inside.x() << "," << inside.y();
  for (const QPoint outside : {QPoint(53, 24), QPoint(67, 24), QPoint(60, 43)})
    EXPECT_EQ(QColor(image.pixel(outside)), QColor(Qt::white)) << outside.x() << "," << outside.y();
}

}  // namespace
}  // namespace aqv

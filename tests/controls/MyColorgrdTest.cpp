#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <tuple>

#include "controls/MyColorgrd.h"
#include "controls/QtDrawing.h"
#include "tests/support/Pixels.h"

namespace aqv {
namespace {

TEST(MyColorGrid, ColorToIndexOfPaletteEntriesAndColorOfNoCellIsNone) {
  constexpr int kNo = TMyColorGrid::kNoCell;  // entries the grid does not show, and other colours
  const std::pair<TColor, int> cases[] = {{kSystemPalette[8], kNo},
                                          {kSystemPalette[11], kNo},
                                          {kSystemPalette[12], 8},
                                          {clWhite, 15},
                                          {clBlack, 0},
                                          {clSilver, 7},
                                          {RGBColor(1, 2, 3), kNo},
                                          {clNone, kNo},
                                          {clDefault, kNo}};
  for (const auto& [colour, cell] : cases)
    EXPECT_EQ(TMyColorGrid::ColorToIndex(colour), cell) << colour;
  for (int cell = 0; cell < TMyColorGrid::kCellCount; ++cell)
    EXPECT_EQ(TMyColorGrid::ColorToIndex(TMyColorGrid::CellColor(cell)), cell);
  // The colour of no cell is never read from the palette.
  TMyColorGrid grid;
  grid.SetForegroundIndex(TMyColorGrid::kNoCell);
  EXPECT_EQ(grid.ForegroundColor(), clNone);
  for (int index : {-1, 16, 20, 1000, -5}) EXPECT_EQ(TMyColorGrid::CellColor(index), clNone);
  grid.SetSelection(-1);
  grid.SetBackgroundIndex(99);
  EXPECT_FALSE(grid.grab().isNull());  // painting skips cells that do not exist
}

TEST(MyColorGrid, CellsShowTheirColourInASunkenFrame) {
  TMyColorGrid grid;
  grid.resize(100, 100);
  const QRgb shadow = grid.palette().color(QPalette::Dark).rgb();
  const QRgb highlight = grid.palette().color(QPalette::Light).rgb();
  const QRgb face = grid.palette().color(QPalette::Button).rgb();
  ASSERT_NE(shadow, highlight);
  grid.show();
  // Active, so that the repaint its focus brings is over before the picture changes.
  ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
  QImage image = grid.grab().toImage();
  for (int cell = 0; cell < TMyColorGrid::kCellCount; ++cell) {
    SCOPED_TRACE(cell);
    const QRect r = grid.CellRect(cell);
    const QPoint c = r.center();
    // The colour (away from the FG and BG labels at the middle).
    EXPECT_EQ(image.pixel(r.left() + 5, r.top() + 5),
              ToQColor(TMyColorGrid::CellColor(cell)).rgb());
    // Shadow along the top and left, highlight along the bottom and right: sunken.
    EXPECT_EQ(std::tuple(image.pixel(c.x(), r.top() + 1), image.pixel(r.left() + 1, c.y()),
                         image.pixel(c.x(), r.bottom() - 1), image.pixel(r.right() - 1, c.y())),
              std::tuple(shadow, shadow, highlight, highlight));
    // Its corner: the face, then the frame's shadow, then the face again, nothing else.
    EXPECT_EQ(std::tuple(image.pixel(r.topLeft()), image.pixel(r.topLeft() + QPoint(1, 1)),
                         image.pixel(r.topLeft() + QPoint(2, 2))),
              std::tuple(face, shadow, face));
  }
  // Flat cells with a black edge, as the screen shows them, not only a fresh picture.
  grid.SetCtl3D(false);
  QApplication::processEvents();
  image = grid.screen()->grabWindow(grid.winId()).toImage();
  const QRect r = grid.CellRect(15);
  EXPECT_EQ(
      std::tuple(image.pixel(r.left(), r.center().y()), image.pixel(r.left() + 5, r.top() + 5)),
      std::tuple(qRgb(0, 0, 0), qRgb(255, 255, 255)));
  // The background's label, black on the white cell, shows only while a background can be
  // chosen.
  const auto darkPixels = [&grid, r] {
    return test::CountPixels(
        grid.grab().toImage(), [](QColor c) { return qGray(c.rgb()) < 128; },
        QRect(QPoint(r.left() + 3, r.top() + 3), QPoint(r.right() - 3, r.bottom() - 3)));
  };
  grid.SetBackgroundIndex(15);
  EXPECT_GT(darkPixels(), 0);
  grid.SetBackgroundEnabled(false);
  EXPECT_EQ(darkPixels(), 0);
}

// The label of cell as the grid draws it, centred in the colour; the colour's frame is cut off.
QImage Label(const TMyColorGrid& grid, int cell, const QString& text) {
  const QRect r = grid.CellRect(cell);
  QImage image(r.size(), QImage::Format_RGB32);
  const TColor c = TMyColorGrid::CellColor(cell);
  image.fill(ToQColor(c));
  QPainter painter(&image);
  const auto contrast = [](int component) { return component >= 128 ? 0 : 255; };
  painter.setPen(QColor(contrast(c & 0xFF), contrast((c >> 8) & 0xFF), contrast((c >> 16) & 0xFF)));
  QFont font = grid.font();
  font.setPixelSize(12);
  painter.setFont(font);
  // Where both indexes meet, each draws its "FB".
  for (int i = text == "FB" ? 2 : 1; i > 0; --i)
    painter.drawText(image.rect(), Qt::AlignCenter | Qt::TextSingleLine, text);
  return image.copy(8, 8, r.width() - 16, r.height() - 16);
}

TEST(MyColorGrid, LabelsSayForegroundBackgroundOrBothWhereTheyMeet) {
  TMyColorGrid grid;
  grid.resize(100, 100);
  const auto shown = [&grid](int cell) {
    const QRect r = grid.CellRect(cell);
    return grid.grab().toImage().copy(r.adjusted(8, 8, -8, -8));
  };
  grid.SetForegroundIndex(3);
  grid.SetBackgroundIndex(5);
  EXPECT_EQ(std::tuple(shown(3), shown(5)), std::tuple(Label(grid, 3, "FG"), Label(grid, 5, "BG")));
  grid.SetBackgroundIndex(3);
  EXPECT_EQ(shown(3), Label(grid, 3, "FB"));
  EXPECT_NE(shown(3), Label(grid, 3, "FG"));
  // Smaller cells shrink the labels, which keep off the colour's frame.
  for (const auto& [size, ordering] : {std::pair(QSize(76, 76), TGridOrdering::go4x4),
                                       std::pair(QSize(320, 20), TGridOrdering::go16x1)}) {
    grid.SetGridOrdering(ordering);
    grid.resize(size);
    grid.SetForegroundEnabled(true);
    grid.SetBackgroundEnabled(true);
    // The picture with the colours of cells 3 and 5 blotted out.
    const auto frames = [&grid] {
      QImage image = grid.grab().toImage();
      QPainter painter(&image);
      for (int cell : {3, 5}) painter.fillRect(grid.CellRect(cell).adjusted(3, 3, -3, -3), Qt::red);
      return image;
    };
    grid.SetBackgroundIndex(5);
    const QImage labelled = frames();
    grid.SetForegroundEnabled(false);
    grid.SetBackgroundEnabled(false);
    EXPECT_TRUE(labelled == frames()) << size.width();
  }
}

TEST(MyColorGrid, OrderingSetsColumnsRowsAndWholeCellSize) {
  using enum TGridOrdering;
  const std::tuple<TGridOrdering, int, int> cases[] = {
      {go16x1, 16, 1}, {go8x2, 8, 2}, {go2x8, 2, 8}, {go1x16, 1, 16}};
  for (const auto& [ordering, columns, rows] : cases) {
    TMyColorGrid grid;
    grid.resize(203, 101);
    grid.SetGridOrdering(ordering);
    EXPECT_EQ(std::tuple(grid.Columns(), grid.Rows(), grid.width() % columns, grid.height() % rows),
              std::tuple(columns, rows, 0, 0));
    grid.SetGridOrdering(go4x4);  // and back to the first shape
    EXPECT_EQ(grid.Columns(), 4);
  }
  TMyColorGrid grid;
  grid.show();  // a hidden widget gets its resize event only when shown
  grid.resize(103, 99);
  EXPECT_EQ(std::tuple(grid.size(), grid.CellSize()), std::tuple(QSize(100, 96), QSize(25, 24)));
}

TEST(MyColorGrid, ForegroundChangeFiresOnceAndOnlyWhenEnabledOrAClickEnablesIt) {
  TMyColorGrid grid;
  grid.resize(100, 100);
  QSignalSpy changed(&grid, &TMyColorGrid::Changed);
  for (int twice = 0; twice < 2; ++twice) grid.SetForegroundIndex(5);
  EXPECT_EQ(changed.count(), 1);
  grid.SetForegroundEnabled(false);
  grid.SetForegroundIndex(6);
  EXPECT_EQ(std::tuple(grid.ForegroundIndex(), changed.count()), std::tuple(5, 1));
  QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(30, 5));
  EXPECT_EQ(grid.ForegroundIndex(), 5);
  grid.SetClickEnablesColor(true);
  QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(30, 5));
  EXPECT_EQ(std::tuple(grid.ForegroundEnabled(), grid.ForegroundIndex()), std::tuple(true, 1));
}

TEST(MyColorGrid, MouseAtTheEdgeStaysInTheGrid) {
  TMyColorGrid grid;
  grid.resize(100, 100);
  EXPECT_EQ(std::tuple(grid.CellAt(QPoint(-20, -20)), grid.CellAt(QPoint(100, 100)),
                       grid.CellAt(QPoint(500, 10)), grid.CellAt(QPoint(30, 60))),
            std::tuple(0, 15, 3, 9));
  QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(99, 99));
  EXPECT_EQ(std::tuple(grid.ForegroundIndex(), grid.Selection()), std::tuple(15, 15));
  QTest::mouseClick(&grid, Qt::RightButton, {}, QPoint(30, 5));
  EXPECT_EQ(std::tuple(grid.BackgroundIndex(), grid.Selection()), std::tuple(1, 1));
}

TEST(MyColorGrid, KeysMoveTheSelectionAndWrap) {
  const std::tuple<int, Qt::Key, int> cases[] = {
      {0, Qt::Key_Right, 1},  {15, Qt::Key_Right, 0}, {15, Qt::Key_Space, 0},
      {0, Qt::Key_Left, 15},  {5, Qt::Key_Left, 4},   {1, Qt::Key_Down, 5},
      {13, Qt::Key_Down, 2},  // bottom row: top of the next column
      {15, Qt::Key_Down, 0},  {5, Qt::Key_Up, 1},     {2, Qt::Key_Up, 13},  // top of the next
      {0, Qt::Key_Up, 15},    {7, Qt::Key_Home, 0},   {7, Qt::Key_End, 15},
      {-1, Qt::Key_Right, 1},  // no selection: moves start at the first cell
  };
  for (const auto& [from, key, to] : cases) {
    TMyColorGrid grid;
    grid.SetSelection(from);
    QTest::keyClick(&grid, key);
    EXPECT_EQ(grid.Selection(), to) << from << " key " << key;
  }
}

TEST(MyColorGrid, KeysFAndBChooseTheSelection) {
  TMyColorGrid grid;
  QSignalSpy clicked(&grid, &TMyColorGrid::Clicked);
  grid.SetSelection(9);
  QTest::keyClick(&grid, Qt::Key_F);
  grid.SetSelection(3);
  QTest::keyClick(&grid, Qt::Key_B);
  EXPECT_EQ(std::tuple(grid.ForegroundIndex(), grid.BackgroundIndex(), clicked.count()),
            std::tuple(9, 3, 2));
  grid.SetSelection(-1);
  QTest::keyClick(&grid, Qt::Key_F);  // nothing to choose
  EXPECT_EQ(grid.ForegroundIndex(), 9);
}

}  // namespace
}  // namespace aqv

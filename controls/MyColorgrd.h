#pragma once

#include <QWidget>
#include <array>

#include "chart/Color.h"

namespace aqv {

// Shape of the colour grid: ordering n gives 16 >> n columns and 1 << n rows.
enum class TGridOrdering : std::uint8_t {
  go16x1 = 0,
  go8x2 = 1,
  go4x4 = 2,
  go2x8 = 3,
  go1x16 = 4,
};

// The system's 20-entry default palette. The grid shows entries 0-7 and 12-19.
inline constexpr std::array<TColor, 20> kSystemPalette = {
    clBlack,  clMaroon,     clGreen,   clOlive,   clNavy,    clPurple, clTeal,
    clSilver, clMoneyGreen, clSkyBlue, clCream,   clMedGray, clGray,   clRed,
    clLime,   clYellow,     clBlue,    clFuchsia, clAqua,    clWhite};

// A 16-cell colour picker. The left button chooses the foreground index, the right button the
// background index; the keyboard moves the selection and F / B choose it. Cells are numbered
// 0..15 row by row; kNoCell (-1) marks no cell and draws no label (a colour that is not in the
// grid). Indexes outside 0..15 are never used to read the palette. OnChange is Changed,
// emitted when the foreground or background index changes.
class TMyColorGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kCellCount = 16;
  static constexpr int kNoCell = -1;

  explicit TMyColorGrid(QWidget* parent = nullptr);

  // The palette entry a cell shows: i for cells below 8, i + 4 above.
  static constexpr int PaletteEntry(int cell) { return cell < 8 ? cell : cell + 4; }
  // The cell's colour; clNone for an index outside 0..15.
  static TColor CellColor(int cell);

  bool ClickEnablesColor() const { return mClickEnablesColor; }
  void SetClickEnablesColor(bool value) { mClickEnablesColor = value; }
  TGridOrdering GridOrdering() const { return mGridOrdering; }
  void SetGridOrdering(TGridOrdering value);
  int ForegroundIndex() const { return mForegroundIndex; }
  void SetForegroundIndex(int value);
  int BackgroundIndex() const { return mBackgroundIndex; }
  void SetBackgroundIndex(int value);
  bool ForegroundEnabled() const { return mForegroundEnabled; }
  void SetForegroundEnabled(bool value);
  bool BackgroundEnabled() const { return mBackgroundEnabled; }
  void SetBackgroundEnabled(bool value);
  int Selection() const { return mSelection; }
  void SetSelection(int value);
  bool Ctl3D() const { return mCtl3D; }
  void SetCtl3D(bool value);

  int Columns() const { return mColumns; }
  int Rows() const { return mRows; }
  QSize CellSize() const { return {mCellWidth, mCellHeight}; }
  // The rectangle of a cell in widget pixels; empty for an index outside 0..15.
  QRect CellRect(int cell) const;
  // The cell under a point, the point first clamped into the control.
  int CellAt(QPoint point) const;

  // Colours of the foreground and background cells; clNone when the index is no cell.
  TColor ForegroundColor() const { return CellColor(mForegroundIndex); }
  TColor BackgroundColor() const { return CellColor(mBackgroundIndex); }
  // The first cell showing the colour (system colours resolved first), or kNoCell; clNone and
  // clDefault show in no cell.
  static int ColorToIndex(TColor color);

  QSize sizeHint() const override;

 signals:
  void Changed();
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void FitSize();
  void ChooseCell(Qt::MouseButton button, int cell);
  void ChooseSelection(bool foreground);
  static bool IsCell(int index) { return index >= 0 && index < kCellCount; }

  bool mClickEnablesColor = false;
  int mForegroundIndex = 0;
  int mBackgroundIndex = 0;
  bool mForegroundEnabled = true;
  bool mBackgroundEnabled = true;
  int mSelection = 0;
  int mCellWidth = 25;
  int mCellHeight = 25;
  int mColumns = 4;
  int mRows = 4;
  TGridOrdering mGridOrdering = TGridOrdering::go4x4;
  bool mCtl3D = true;
  Qt::MouseButton mButton = Qt::NoButton;
  bool mButtonDown = false;
};

}  // namespace aqv

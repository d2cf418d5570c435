#pragma once

#include <QDialog>

namespace aqv {

class TAQVData;
class TAQVSelectionGrid;
class TMyColorGrid;

// "Options: Select curves": the curve-selection grid with a colour grid for the colour of newly
// selected cells and a Reset button. OK writes the choices into the document, Cancel drops
// them. Created by the document window for one use.
class TSelectionGridForm final : public QDialog {
 public:
  explicit TSelectionGridForm(QWidget* parent = nullptr);

  TAQVSelectionGrid* AQVSelectionGrid1() const { return mGrid; }
  TMyColorGrid* ColorGrid1() const { return mColorGrid; }
  // Binds the document and loads the grid.
  void SetData(TAQVData* data);

  void OKButtonClick();
  void ResetButtonClick();

 private:
  TMyColorGrid* mColorGrid;
  TAQVSelectionGrid* mGrid;
};

}  // namespace aqv

#pragma once

#include <QDialog>

namespace aqv {

class TMySpinEdit;

// The size dialog of a clipboard copy: width and height from 200 to 5000 pixels, buttons "Copy"
// (OK) and "Cancel". Created per use.
class TCanvasDimensionsForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMinSize = 200;   // pixels
  static constexpr int kMaxSize = 5000;  // pixels

  explicit TCanvasDimensionsForm(QWidget* parent = nullptr);

  // Presets both edits, each brought into 200..5000.
  void SetCanvasSize(int width, int height);
  int CanvasWidth() const;
  int CanvasHeight() const;
  TMySpinEdit* WidthEdit() const { return mWidth; }
  TMySpinEdit* HeightEdit() const { return mHeight; }

 private:
  TMySpinEdit* mWidth;
  TMySpinEdit* mHeight;
};

}  // namespace aqv

#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "map/Contours.h"
#include "map/DrawdownGrid.h"
#include "map/MapGeometry.h"
#include "map/ScalableImage.h"
#include "model/AQVData.h"

class QMenu;
class QAction;
class QPainter;
class QTimer;

namespace aqv {

class TAQVTextEdit;

// What Render paints for: the screen, or a bitmap or SVG copy (copies also show boxes of kind 1
// and the text of a focused box).
enum class TMapRenderTarget : std::uint8_t { rtScreen, rtBitmap, rtSvg };

// What the map says of the point under the mouse: the tooltip's text and the status bar's, kept
// apart so that no text of the document (a well's name) can move the border between them.
struct TMapHint {
  QString Tip;
  QString Status;
  friend bool operator==(const TMapHint&, const TMapHint&) = default;
};

// The map control: the document's model window with its wells and the drawdown contours of one
// aquifer at one time, over the background images, with grid, boundary, legend and free text
// boxes. It zooms with a rubber band, animates over time on a timer, exports its grid as XYZ
// text and copies itself to the clipboard. The document (not owned) keeps the window, the
// options and the text-box records; the map keeps the grid with the node layout it was
// computed on, the levels, the background composite and the live text edits. All drawing goes
// through Render, for the screen, bitmaps and SVG alike.
class TAQVKaart : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kLegendTitle = "Piezometric surface:";

  explicit TAQVKaart(QWidget* parent = nullptr);
  ~TAQVKaart() override;

  TAQVData* Data() const { return mData; }
  // Binds the map to a document (or to none); the document's MapReference follows.
  void SetData(TAQVData* data);
  TMapImage& Images() { return mImages; }
  // Loads the document's background files into the image set and builds and blends the
  // composite, with the shared progress window. The files that fail are returned for the
  // caller to name; a damaged image that shows in part, and a composite that cannot be made,
  // are reported through the document's user interface. ImagesUnavailable is set when no
  // composite results.
  TMapImageLoadReport LoadBackgroundImages();
  // Blends the composite again when the document's transparency or colour changed since the
  // last blend (never done while painting), then repaints.
  void RefreshBackground();

  // Options as the document keeps them; a placement or set read from a file is clamped.
  TBoundaryGridDrawing DrawingOptions() const;
  void SetDrawingOptions(TBoundaryGridDrawing value);
  TPlacement LegendPlacement() const;
  void SetLegendPlacement(TPlacement value);
  int LegendWidth() const { return mLegendWidth; }

  // Room for the legend and a plot of at least kMinPlotWidth x kMinPlotHeight pixels, so that
  // a page squeezed by its neighbours still shows a usable map.
  static constexpr int kMinPlotWidth = 200;
  static constexpr int kMinPlotHeight = 150;
  QSize minimumSizeHint() const override;

  // --- Layout, grid and contours -------------------------------------------------------------
  // Plot rectangle and scale for a picture of width x height (also the legend width).
  void ComputeLayout(int width, int height);
  // Computes the grid at the document's display time (at most 365000 days), the contour range
  // and levels, writes the range into the document and emits IntervalChange, also after a
  // failure (which shows the engine's message and sets ComputeError).
  void ComputeContours();
  const TPlotLayout& PlotLayout() const { return mLayout; }
  const TDrawdownGrid& Grid() const { return *mGrid; }
  const TContourLevels& Levels() const { return *mLevels; }
  double GetMinContourLevel() const { return MinContourLevel(*mLevels); }
  double GetMaxContourLevel() const { return MaxContourLevel(*mLevels); }
  bool ComputeError() const { return mComputeError; }
  bool IsWindowUndefined() const;
  int WorldToScreenX(double x) const { return aqv::WorldToScreenX(mLayout, x); }
  int WorldToScreenY(double y) const { return aqv::WorldToScreenY(mLayout, y); }
  double ScreenToWorldX(double px) const { return aqv::ScreenToWorldX(mLayout, px); }
  double ScreenToWorldY(double py) const { return aqv::ScreenToWorldY(mLayout, py); }
  // Pixel edges of the current model window (west, east, south, north).
  int WestPixel() const;
  int EastPixel() const;
  int SouthPixel() const;
  int NorthPixel() const;
  double GridLineSpacing() const { return mGridSpacing; }

  // --- Drawing -----------------------------------------------------------------------------
  // The whole picture into rect of painter.
  void Render(QPainter& painter, const QRect& rect, TMapRenderTarget target);
  QImage RenderImage(QSize size);
  QByteArray RenderSvg(QSize size);

  // --- Time and animation --------------------------------------------------------------------
  void SetTimeStep(int step, bool advance);
  void SetTime(double days);
  void ResetAnimation() { SetTimeStep(0, false); }
  // Each animation step stays on screen at least this long (ms), so that it can be watched.
  static constexpr int kAnimationStepMs = 100;
  // Starts the animation from the current step; one step per timer tick, the first at once and
  // each next one kAnimationStepMs after the last was drawn, with events processed meanwhile.
  // It ends after the last step (AnimationFinished), on a computation error
  // (AnimationFinished), at once when Paused is set (no event), when the map is hidden
  // (AnimationStopped) and when its document goes (no event).
  void Animate();
  void StopAnimation();
  bool Animating() const { return mAnimating; }
  bool Paused() const { return mPaused; }
  void SetPaused(bool value);
  int AnimationStep() const { return mAnimationStep; }
  void SetAnimationStep(int step) { mAnimationStep = step; }

  // --- Zoom -----------------------------------------------------------------------------------
  bool ZoomMode() const { return mZoomMode; }
  void SetZoomMode(bool value);
  void ZoomOut();
  void PreviousView();
  bool HasPreviousView() const;
  void CancelZoom();
  void UpdateCursor();
  // The hint under a pixel of the map: a well's name in both; a grid point's coordinates and
  // drawdown in the tooltip and its coordinates alone in the status bar; in zoom mode the
  // snapped corner in both. Empty outside the window.
  TMapHint HintAt(QPoint pixel) const;

  // --- Exports ---------------------------------------------------------------------------------
  // Writes the grid as XYZ text through a temporary file; a failure shows "Could not save " +
  // path + "!" with the reason on a second line and returns false.
  bool SaveContoursAsXYZ(const std::string& path);
  // Puts the picture on the clipboard as a bitmap, with its SVG beside it as image/svg+xml; with
  // askSize a size dialog (200..5000 each way) comes first and Cancel copies nothing.
  void CopyToClipboard(bool askSize);

  // --- Text boxes ------------------------------------------------------------------------------
  // A new box at pixel (x, y) of the map, world-anchored inside the plot, else beside the legend
  // or at the nearest corner; added to the document and focused.
  TAQVTextEdit* InsertText(const QString& text, int x, int y, int height, int width);
  void DeleteText(TAQVTextEdit* box);
  // Makes the live edits match the document's records (new records get an edit, edits of
  // removed records go) and places them.
  void SyncTextEdits();
  // True while every edit belongs to the document's record at its place.
  bool TextEditsMatch() const;
  void RepositionTexts(bool force = false);
  const std::vector<std::unique_ptr<TAQVTextEdit>>& TextEdits() const { return mTextEdits; }
  TAQVTextEdit* TextEditOf(const TAQVTextBoxRecord* record) const;
  // Anchors a box outside the plot: beside the legend, or without one to the nearest corner.
  void AnchorOutside(TAQVTextBoxRecord& record, int pixelX, int pixelY) const;
  // The format new boxes get; the text options dialog replaces it.
  TAQVTextBoxRecord& DefaultTextFormat() { return mDefaultTextFormat; }
  void TextChanged();
  // While an animation runs the world-anchored boxes are painted, not live: HideAnchoredTexts
  // hides them and remembers the one being typed in, ShowAnchoredTexts gives that one back the
  // keyboard.
  void HideAnchoredTexts();
  void ShowAnchoredTexts();

  // --- Transparency preview of the options dialog -----------------------------------------------
  void BeginPreview();
  void SetPreviewTransparency(int percent);
  void EndPreview();
  bool InPreview() const { return mPreview; }

  // --- Popup menu -------------------------------------------------------------------------------
  QMenu* PopupMenu() const { return mPopup; }
  // Opens the options dialog (between BeginPreview and EndPreview) and applies its result.
  void ExecuteOptionsDialog();
  void ExecuteTextOptionsDialog(TAQVTextEdit* box);

 signals:
  void AnimationFinished();
  // The animation stopped because the map was hidden (another page, a closed window).
  void AnimationStopped();
  void IntervalChange();
  void TimeChange();
  // A mouse button went down on the map, before the map handles it.
  void MouseDown();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Hands text to whatever shows the window's status hints (a status tip event up the parents).
  void ShowStatusTip(const QString& text);
  void AnimationTick();
  void FinishAnimation(bool fireEvent);
  void DrawBackground(QPainter& p);
  void DrawGrid(QPainter& p);
  void DrawWells(QPainter& p);
  void DrawContourLines(QPainter& p);
  void ClearMargins(QPainter& p, int width, int height);
  void DrawLegend(QPainter& p);
  void DrawTexts(QPainter& p, TMapRenderTarget target);
  void DrawZoomBand(QPainter& p);
  void PrepareBlend();
  TImageProgress ProgressCallback() const;
  void SetWindow(const TMapWindow& window);
  TMapWindow Window() const;
  void WindowChanged();
  double LengthFactor() const;
  void BuildPopupMenu();
  void ShowPopup(QPoint pixel);
  TAQVTextEdit* BoxAt(QPoint pixel, int margin) const;
  void FocusChanged(QWidget* old, QWidget* now);

  TAQVData* mData = nullptr;
  TMapImage mImages;
  std::unique_ptr<TDrawdownGrid> mGrid;
  std::unique_ptr<TContourLevels> mLevels;
  TAquiferSystemState mWork;
  TPlotLayout mLayout;
  TGridLayout mViewGrid;  // node layout of the window shown now (its edges)
  int mLegendWidth = 0;
  double mGridSpacing = 1;
  bool mComputeError = false;

  // Animation.
  QTimer* mAnimationTimer = nullptr;
  bool mAnimating = false;
  bool mPaused = false;
  int mAnimationStep = 0;

  // Zoom.
  bool mZoomMode = false;
  bool mFirstCornerSet = false;
  bool mBandVisible = false;
  QPointF mFirstCorner, mSecondCorner;  // snapped, display units
  TMapWindow mKeptWindow;

  // Text boxes.
  std::vector<std::unique_ptr<TAQVTextEdit>> mTextEdits;
  TAQVTextBoxRecord mDefaultTextFormat;
  QRect mLastPlotRect;
  TMapWindow mLastWindow;
  TAQVTextEdit* mPopupTextBox = nullptr;
  QPointer<TAQVTextEdit> mTypedTextEdit;     // the box being typed in (see FocusChanged)
  QPointer<TAQVTextEdit> mAnimatedTextEdit;  // the one of them when the animation began
  int mDragMode = 0;  // 1 top-left corner, 2 bottom-right corner, 3 move by the top edge
  QPoint mLastMouse;

  // Preview and blending.
  bool mPreview = false;
  int mPreviewTransparency = 50;
  int mBlendedTransparency = -1;
  TColor mBlendedColor = clNone;
  QImage mBlendedImage;  // wraps the blended composite

  QMenu* mPopup = nullptr;
  QAction* mZoomAreaAction = nullptr;
  QAction* mPreviousAction = nullptr;
  QAction* mTextAction = nullptr;
  QAction* mTextOptionsAction = nullptr;
  QPoint mPopupPoint;
};

}  // namespace aqv

#include "map/gui/AQVKaart.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDialog>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "chart/gui/CanvasDimensionsForm.h"
#include "controls/QtDrawing.h"
#include "map/HitTest.h"
#include "map/XYZWriter.h"
#include "map/gui/AQVKaartOptions.h"
#include "map/gui/AQVTextEdit.h"
#include "map/gui/AQVTextEditOptions.h"
#include "map/gui/MapImagePainter.h"
#include "map/gui/Progress.h"
#include "platform/GuardedCall.h"

namespace aqv {

namespace {

constexpr int kLegendDrop = 55;  // pixels between the window's south edge and a low legend

QFont MapFont() {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  return font;
}

// Draws the traced segments with the level's colour: black every fifth level, blue for
// drawdown, red for build-up; width 2.
class TPainterContourSink : public TContourSink {
 public:
  TPainterContourSink(QPainter& painter, const TPlotLayout& layout)
      : mPainter(painter), mLayout(layout) {}
  void Segment(int levelNo, double x1, double y1, double x2, double y2) override {
    const int colour = levelNo % 5 == 0 ? 0 : (levelNo > 0 ? 1 : 2);
    if (colour != mColour) {
      static const QColor kColours[3] = {Qt::black, Qt::blue, Qt::red};
      mPainter.setPen(QPen(kColours[colour], 2));
      mColour = colour;
    }
    mPainter.drawLine(WorldToScreenX(mLayout, x1), WorldToScreenY(mLayout, y1),
                      WorldToScreenX(mLayout, x2), WorldToScreenY(mLayout, y2));
  }

 private:
  QPainter& mPainter;
  const TPlotLayout& mLayout;
  int mColour = -1;
};

}  // namespace

TAQVKaart::TAQVKaart(QWidget* parent)
    : QWidget(parent),
      mGrid(std::make_unique<TDrawdownGrid>()),
      mLevels(std::make_unique<TContourLevels>()) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  mAnimationTimer = new QTimer(this);
  connect(mAnimationTimer, &QTimer::timeout, this, [this] { AnimationTick(); });
  connect(qApp, &QApplication::focusChanged, this, &TAQVKaart::FocusChanged);
  mImages.SetTransparency(50);
  mImages.SetColor(clWhite);
  mDefaultTextFormat.Font.Name = "Tahoma";
  mDefaultTextFormat.Font.Size = 8;
  mDefaultTextFormat.Font.Color = clBlack;
  mDefaultTextFormat.Alignment = 1;
  mDefaultTextFormat.Color = clWhite;
  mDefaultTextFormat.ClearBackground = true;
  BuildPopupMenu();
}

TAQVKaart::~TAQVKaart() {
  // Focus changes while the boxes and the widget go must not reach a map being destroyed.
  disconnect(qApp, &QApplication::focusChanged, this, &TAQVKaart::FocusChanged);
  mAnimationTimer->stop();
  mTextEdits.clear();
  if (mData && mData->MapReference == this) mData->MapReference = nullptr;
}

void TAQVKaart::SetData(TAQVData* data) {
  if (data == mData) return;
  StopAnimation();
  mTextEdits.clear();
  if (mData && mData->MapReference == this) mData->MapReference = nullptr;
  mData = data;
  mGrid->Reset(TGridLayout{});
  *mLevels = TContourLevels{};
  mKeptWindow = {};
  if (mData) {
    mData->MapReference = this;
    SyncTextEdits();
  }
  update();
}

double TAQVKaart::LengthFactor() const {
  return mData ? mData->LengthFactor() : 1.0;
}

TMapWindow TAQVKaart::Window() const {
  if (!mData) return {};
  return {mData->WorldX1(), mData->WorldX2(), mData->WorldY1(), mData->WorldY2()};
}

bool TAQVKaart::IsWindowUndefined() const {
  return aqv::IsWindowUndefined(Window());
}

TBoundaryGridDrawing TAQVKaart::DrawingOptions() const {
  if (!mData)
    return {TBoundaryGridDrawingOptions::dbgGrid, TBoundaryGridDrawingOptions::dbgBoundary};
  return TBoundaryGridDrawing::FromBits(mData->MapOptions.DrawingOptions.Bits() & 3u);
}

void TAQVKaart::SetDrawingOptions(TBoundaryGridDrawing value) {
  if (!mData) return;
  mData->MapOptions.DrawingOptions = value;
  update();
}

TPlacement TAQVKaart::LegendPlacement() const {
  if (!mData) return TPlacement::plRight;
  const auto raw = static_cast<unsigned>(mData->MapOptions.LegendPlacement);
  // A placement read from a file that the map does not know is taken as the default.
  return raw <= static_cast<unsigned>(TPlacement::plTop) ? mData->MapOptions.LegendPlacement
                                                         : TPlacement::plRight;
}

void TAQVKaart::SetLegendPlacement(TPlacement value) {
  if (!mData) return;
  mData->MapOptions.LegendPlacement = value;
  RepositionTexts(true);
  update();
}

// ---- Layout, grid and contours ---------------------------------------------------------------

QSize TAQVKaart::minimumSizeHint() const {
  // The legend is measured as the drawing measures it, whatever the placement is now: a later
  // choice of a legend must not shrink the plot.
  const int legend =
      QFontMetrics(MapFont()).horizontalAdvance(QString::fromLatin1(kLegendTitle)) + 40;
  return {legend + 2 * kPlotMargin + kMinPlotWidth, 2 * kPlotMargin + kMinPlotHeight};
}

void TAQVKaart::ComputeLayout(int width, int height) {
  const TPlacement placement = LegendPlacement();
  mLegendWidth =
      placement == TPlacement::plNone
          ? 0
          : QFontMetrics(MapFont()).horizontalAdvance(QString::fromLatin1(kLegendTitle)) + 40;
  mLayout = ComputePlotLayout(width, height, mLegendWidth, placement, Window(), LengthFactor());
  mViewGrid = ComputeGridLayout(Window());
  mGridSpacing = GridSpacing(mLayout, Window(), LengthFactor());
  if (!(mGridSpacing > 0)) mGridSpacing = 1;
}

int TAQVKaart::WestPixel() const {
  return mViewGrid.IsEmpty() ? mLayout.Left : WorldToScreenX(mViewGrid.NodeX[0] * LengthFactor());
}
int TAQVKaart::EastPixel() const {
  return mViewGrid.IsEmpty()
             ? mLayout.Right
             : WorldToScreenX(mViewGrid.NodeX[mViewGrid.NodeCountX - 1] * LengthFactor());
}
int TAQVKaart::SouthPixel() const {
  return mViewGrid.IsEmpty() ? mLayout.Bottom : WorldToScreenY(mViewGrid.NodeY[0] * LengthFactor());
}
int TAQVKaart::NorthPixel() const {
  return mViewGrid.IsEmpty()
             ? mLayout.Top
             : WorldToScreenY(mViewGrid.NodeY[mViewGrid.NodeCountY - 1] * LengthFactor());
}

void TAQVKaart::ComputeContours() {
  ComputeLayout(width(), height());
  if (!mData) return;
  const double t = std::min(mData->DisplayTime(), kMaxMapTime);
  mGrid->Reset(ComputeGridLayout(Window()));
  mData->StatusCode = 0;
  const TMapModel model = MapModelFromDocument(*mData);
  const TEngineResult result = ComputeDrawdownGrid(model, t, *mGrid, mWork);
  if (!result.IsSuccess()) {
    mData->StatusCode = static_cast<int>(result.Status);
    mComputeError = true;
    mData->UserInterface().MessageBox(std::string(result.Message()), TMsgDlgType::mtError,
                                      TMsgDlgButtons::mbOK);
  }
  const double f = LengthFactor();
  mGrid->ScaleToDisplay(f);
  TContourSettings settings;
  settings.AutoInterval = mData->AutoContourInterval;
  settings.AutoMin = mData->AutoMinContour;
  settings.AutoMax = mData->AutoMaxContour;
  settings.Interval = mData->ContourInterval() * f;
  settings.Min = mData->MinContour() * f;
  settings.Max = mData->MaxContour() * f;
  *mLevels = ComputeContourLevels(mGrid->Values(), mGrid->ValueCount(), settings);
  mData->AutoMinContourValue = mLevels->Min;
  mData->AutoMaxContourValue = mLevels->Max;
  mData->AutoContourIntervalValue = mLevels->Interval;
  emit IntervalChange();
}

// ---- Drawing ----------------------------------------------------------------------------------

void TAQVKaart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, rect(), TMapRenderTarget::rtScreen);
  if (mZoomMode && mFirstCornerSet && mBandVisible) DrawZoomBand(painter);
}

void TAQVKaart::Render(QPainter& p, const QRect& target, TMapRenderTarget kind) {
  p.save();
  p.translate(target.topLeft());
  const int w = target.width();
  const int h = target.height();
  p.setFont(MapFont());
  p.fillRect(QRect(0, 0, w, h), Qt::white);
  ComputeLayout(w, h);
  RepositionTexts();
  // A picture too small for its margins shows only the legend and the texts.
  if (mData && mLayout.Valid && mLayout.CentreX > kPlotMargin && mLayout.CentreY > kPlotMargin) {
    DrawBackground(p);
    DrawGrid(p);
    DrawWells(p);
    DrawContourLines(p);
    ClearMargins(p, w, h);
  }
  DrawLegend(p);
  DrawTexts(p, kind);
  p.restore();
}

void TAQVKaart::PrepareBlend() {
  if (!mData) return;
  const int transparency = std::clamp(mData->BackgroundTransparency, 0, 100);
  // A rebuilt composite has no blend yet, whatever the transparency and colour.
  if (mBlendedTransparency == transparency && mBlendedColor == mData->BackgroundColor &&
      !mBlendedImage.isNull() && !mImages.Blended().Empty())
    return;
  if (!mImages.HasComposite()) {
    // The blend it wrapped went with the last image.
    mBlendedImage = QImage();
    return;
  }
  // Re-blending a large composite takes a moment: it shows in the shared progress window.
  TProgressForm* progress = TProgressForm::Instance();
  if (progress) {
    progress->UpdateProgress(QString::fromLatin1(TMapImage::kOptimizingCaption), 0, 100);
    progress->show();
  }
  mImages.SetProgressCallback(ProgressCallback());
  mImages.SetTransparency(transparency);
  mImages.SetColor(ColorToRGB(mData->BackgroundColor));
  mImages.ApplyTransparency();
  if (progress) progress->hide();
  mBlendedImage = RasterToQImage(mImages.Blended());
  mBlendedTransparency = transparency;
  mBlendedColor = mData->BackgroundColor;
}

TImageProgress TAQVKaart::ProgressCallback() const {
  TImageProgress progress;
  progress.Progress = [](const std::string& caption, int position, int maximum) {
    if (TProgressForm* form = TProgressForm::Instance())
      form->UpdateProgress(QString::fromStdString(caption), position, maximum);
  };
  return progress;
}

TMapImageLoadReport TAQVKaart::LoadBackgroundImages() {
  TMapImageLoadReport report;
  if (!mData) return report;
  TProgressForm* form = TProgressForm::Instance();
  if (form) form->show();
  mImages.SetProgressCallback(ProgressCallback());
  report = mImages.LoadFiles(mData->BackgroundFiles);
  TUserInterface& ui = mData->UserInterface();
  for (const std::string& warning : report.Warnings)
    ui.MessageBox(warning, TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
  const TImageLoadStatus built = mImages.BuildComposite();
  if (built.Code == TImageLoadResult::lrCompositeTooLarge)
    ui.MessageBox(kImageTooBigText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  else if (!built.IsSuccess())
    ui.MessageBox(built.Message, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
  if (form) form->hide();
  // A refused composite leaves the one made before in place, which no longer matches the list.
  mData->ImagesUnavailable = !built.IsSuccess() || !mImages.HasComposite();
  mBlendedImage = QImage();
  mBlendedTransparency = -1;
  RefreshBackground();
  return report;
}

void TAQVKaart::RefreshBackground() {
  PrepareBlend();
  update();
}

void TAQVKaart::DrawBackground(QPainter& p) {
  const int west = WestPixel(), east = EastPixel(), south = SouthPixel(), north = NorthPixel();
  // The image takes the window's place as the wells and contours have it: world X1..X2 onto
  // pixels west..east, Y2..Y1 onto north..south, inside the boundary's lines.
  const QRect windowPixels(west, north, east - west, south - north);
  const TMapWindow w = Window();
  const TWorldRect world{w.X1, w.Y1, w.X2, w.Y2};
  if (mPreview) {
    if (!mData->ImagesUnavailable && mImages.HasComposite()) {
      const TImageRaster& preview = mImages.BlendPreview(mPreviewTransparency);
      if (!preview.Empty()) {
        p.drawImage(windowPixels, RasterToQImage(preview));
      }
    }
  } else if (mData->ShowBackgroundImages && mImages.Count() > 0 && !mData->ImagesUnavailable &&
             mImages.HasComposite()) {
    const int transparency = std::clamp(mData->BackgroundTransparency, 0, 100);
    if (mBlendedImage.isNull() || mImages.Blended().Empty() ||
        transparency != mBlendedTransparency || mData->BackgroundColor != mBlendedColor) {
      // Blending is never done while painting: it is queued, and this picture shows the last
      // blend (or none).
      QTimer::singleShot(0, this, [this] {
        PrepareBlend();
        update();
      });
    }
    if (!mBlendedImage.isNull()) DrawWindow(p, mImages, QRectF(windowPixels), world);
  }
  if (DrawingOptions().Contains(TBoundaryGridDrawingOptions::dbgBoundary)) {
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::NoBrush);
    // Edges on the pixels just outside the window, so the margins cleared later keep them.
    p.drawRect(QRectF(west - 1, north - 1, east - west + 2, south - north + 2));
  }
}

void TAQVKaart::DrawGrid(QPainter& p) {
  if (!DrawingOptions().Contains(TBoundaryGridDrawingOptions::dbgGrid)) return;
  const double f = LengthFactor();
  const TMapWindow w = Window();
  const double g = mGridSpacing;
  const int west = WestPixel(), east = EastPixel(), south = SouthPixel(), north = NorthPixel();
  p.setPen(QPen(QColor(128, 128, 128), 1));
  // At most a few thousand lines: a spacing far below a pixel would only paint the window grey.
  const double x1 = w.X1 * f, x2 = w.X2 * f, y1 = w.Y1 * f, y2 = w.Y2 * f;
  if ((x2 - x1) / g > 5000 || (y2 - y1) / g > 5000) return;
  for (double x = (std::floor(x1 / g) + 1) * g; x < x2; x += g) {
    const int px = WorldToScreenX(x);
    p.drawLine(px, south - 2, px, north - 1);
  }
  for (double y = (std::floor(y1 / g) + 1) * g; y < y2; y += g) {
    const int py = WorldToScreenY(y);
    p.drawLine(west, py, east - 1, py);
  }
}

void TAQVKaart::DrawWells(QPainter& p) {
  const double f = LengthFactor();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 1));
  for (int i = 1; i <= std::clamp(mData->PumpingWellCount(), 0, kMaxPumpingWells); ++i) {
    const TPumpingWell& well = mData->PumpingWells[i];
    if (!well.Included[0]) continue;
    const int r = std::max(2, SaturatePixel(mLayout.Scale * well.Rw * f));
    p.drawEllipse(QPoint(WorldToScreenX(well.X * f), WorldToScreenY(well.Y * f)), r, r);
  }
  for (int j = 1; j <= std::clamp(mData->ObservationWellCount(), 0, kMaxObservationWells); ++j) {
    const TObservationWell& well = mData->ObservationWells[j];
    const int x = WorldToScreenX(well.X * f), y = WorldToScreenY(well.Y * f);
    p.drawLine(x - 4, y, x + 4, y);
    p.drawLine(x, y - 4, x, y + 4);
  }
}

void TAQVKaart::DrawContourLines(QPainter& p) {
  if (!(mLevels->Interval > 0) || mGrid->Layout().NodeCountX - 1 < 1) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  TPainterContourSink sink(p, mLayout);
  TraceContours(*mGrid, *mLevels, sink);
  p.restore();
}

void TAQVKaart::ClearMargins(QPainter& p, int width, int height) {
  const int west = WestPixel(), east = EastPixel(), south = SouthPixel(), north = NorthPixel();
  const QColor white(Qt::white);
  p.fillRect(QRect(QPoint(0, 0), QPoint(west - 3, height)).normalized(), white);
  p.fillRect(QRect(QPoint(east + 2, 0), QPoint(width, height)).normalized(), white);
  p.fillRect(QRect(QPoint(west - 2, 0), QPoint(east + 1, north - 3)).normalized(), white);
  p.fillRect(QRect(QPoint(west - 2, south + 2), QPoint(east + 1, height)).normalized(), white);
}

void TAQVKaart::DrawLegend(QPainter& p) {
  const TPlacement placement = LegendPlacement();
  if (placement == TPlacement::plNone) return;
  const int west = WestPixel(), east = EastPixel(), south = SouthPixel(), north = NorthPixel();
  QPoint anchor;
  switch (placement) {
    case TPlacement::plBottom:
      anchor = {east + 1, south - kLegendDrop};
      break;
    case TPlacement::plLeft:
      anchor = {west - mLegendWidth - 20, south - kLegendDrop};
      break;
    case TPlacement::plTop:
      anchor = {west - mLegendWidth - 20, north - 1};
      break;
    default:
      anchor = {east + 1, north - 1};
      break;
  }
  const QFontMetrics metrics(p.font());
  const int h = metrics.height() + 2;
  const int x0 = anchor.x() + 25;
  const int y0 = anchor.y() + 5;
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);
  p.drawText(QRect(x0, y0, mLegendWidth, h), Qt::AlignLeft | Qt::AlignTop,
             QString::fromLatin1(kLegendTitle));
  p.setPen(QPen(Qt::red, 2));
  p.drawLine(x0, y0 + h + h / 2, x0 + 30, y0 + h + h / 2);
  p.drawText(QRect(x0 + 35, y0 + h, mLegendWidth, h), Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("build-up"));
  p.setPen(QPen(Qt::blue, 2));
  p.drawLine(x0, y0 + 2 * h + h / 2, x0 + 30, y0 + 2 * h + h / 2);
  p.drawText(QRect(x0 + 35, y0 + 2 * h, mLegendWidth, h), Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("drawdown"));
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(QRect(QPoint(anchor.x() + 20, anchor.y()),
                   QPoint(anchor.x() + mLegendWidth, y0 + 3 * h + 5)));
}

void TAQVKaart::DrawTexts(QPainter& p, TMapRenderTarget target) {
  if (!TextEditsMatch()) return;  // never paint an edit whose record is gone
  for (const auto& edit : mTextEdits) edit->PaintTo(p, target != TMapRenderTarget::rtScreen);
}

void TAQVKaart::DrawZoomBand(QPainter& p) {
  const QPoint a(WorldToScreenX(mFirstCorner.x()), WorldToScreenY(mFirstCorner.y()));
  const QPoint b(WorldToScreenX(mSecondCorner.x()), WorldToScreenY(mSecondCorner.y()));
  if (a.x() == b.x() || a.y() == b.y()) return;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0, 128, 0), 1, Qt::DashLine));
  p.drawRect(QRect(a, b).normalized());
}

QImage TAQVKaart::RenderImage(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  Render(painter, QRect(QPoint(0, 0), size), TMapRenderTarget::rtBitmap);
  painter.end();
  ComputeLayout(width(), height());
  RepositionTexts(true);
  return image;
}

QByteArray TAQVKaart::RenderSvg(QSize size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(QStringLiteral("AQV map"));
  QPainter painter(&generator);
  Render(painter, QRect(QPoint(0, 0), size), TMapRenderTarget::rtSvg);
  painter.end();
  ComputeLayout(width(), height());
  RepositionTexts(true);
  return bytes;
}

// ---- Time and animation -----------------------------------------------------------------------

void TAQVKaart::SetTimeStep(int step, bool advance) {
  if (!mData) return;
  mAnimationStep = step;
  const int steps = mData->TimeSteps();
  const double start = mData->AnimationStartTime(), end = mData->AnimationEndTime();
  mData->SetDisplayTime(steps < 1 ? end
                                  : static_cast<double>(step) / steps * (end - start) + start);
  if (advance) ++mAnimationStep;
  ComputeContours();
  if (isVisible()) repaint();
  emit TimeChange();
}

void TAQVKaart::SetTime(double days) {
  if (!mData) return;
  mAnimationStep = 0;
  mData->SetDisplayTime(days);
  ComputeContours();
  if (isVisible()) repaint();
  emit TimeChange();
}

void TAQVKaart::Animate() {
  if (!mData || mAnimating) return;
  mComputeError = false;
  HideAnchoredTexts();
  mAnimating = true;
  mAnimationTimer->start(0);
}

void TAQVKaart::SetPaused(bool value) {
  mPaused = value;
  // The step on screen stays; no further step starts.
  if (value && mAnimating) FinishAnimation(false);
}

void TAQVKaart::AnimationTick() {
  if (!mData) {
    FinishAnimation(false);
    return;
  }
  const int steps = mData->TimeSteps();
  if (mAnimationStep > steps || mPaused || mComputeError) {
    FinishAnimation(!mPaused && (mAnimationStep - 1 == steps || mComputeError));
    return;
  }
  // The timer rests during the step: a message box of a failed computation runs its own event
  // loop, in which no second step may start.
  mAnimationTimer->stop();
  SetTimeStep(mAnimationStep, true);
  if (mAnimating) mAnimationTimer->start(kAnimationStepMs);
}

void TAQVKaart::FinishAnimation(bool fireEvent) {
  mAnimationTimer->stop();
  if (!mAnimating) return;
  mAnimating = false;
  update();
  ShowAnchoredTexts();
  if (fireEvent) emit AnimationFinished();
}

void TAQVKaart::StopAnimation() {
  FinishAnimation(false);
}

void TAQVKaart::hideEvent(QHideEvent* event) {
  // A closed or hidden window ends its animation; nothing is computed for a map nobody sees.
  if (mAnimating) {
    StopAnimation();
    emit AnimationStopped();
  }
  QWidget::hideEvent(event);
}

// ---- Zoom -------------------------------------------------------------------------------------

void TAQVKaart::SetZoomMode(bool value) {
  mZoomMode = value;
  mFirstCornerSet = false;
  mBandVisible = false;
  if (mZoomAreaAction) mZoomAreaAction->setChecked(value);
  UpdateCursor();
}

void TAQVKaart::SetWindow(const TMapWindow& w) {
  if (!mData) return;
  // Set in an order that never passes through a reversed window.
  if (w.X1 < mData->WorldX2()) {
    mData->SetWorldX1(w.X1);
    mData->SetWorldX2(w.X2);
  } else {
    mData->SetWorldX2(w.X2);
    mData->SetWorldX1(w.X1);
  }
  if (w.Y1 < mData->WorldY2()) {
    mData->SetWorldY1(w.Y1);
    mData->SetWorldY2(w.Y2);
  } else {
    mData->SetWorldY2(w.Y2);
    mData->SetWorldY1(w.Y1);
  }
}

void TAQVKaart::WindowChanged() {
  if (!mData) return;
  mData->Saved = false;
  if (mData->OnChange) mData->OnChange(mData);
  if (mPreviousAction) mPreviousAction->setEnabled(HasPreviousView());
  // The boxes are placed by the layout of the new window; placed by the old one, they would
  // stay there, on the screen and in a save, until the window changed again.
  ComputeLayout(width(), height());
  RepositionTexts(true);
  UpdateCursor();
}

void TAQVKaart::ZoomOut() {
  if (!mData || !IsWindowProper(Window())) return;
  const double f = LengthFactor();
  ComputeLayout(width(), height());
  mKeptWindow = Window();
  const TMapWindow w = Window();
  const TMapWindow display{w.X1 * f, w.X2 * f, w.Y1 * f, w.Y2 * f};
  const TMapWindow out =
      ZoomOutWindow(display, mLayout.WorldCentreX, mLayout.WorldCentreY, mGridSpacing);
  SetWindow({out.X1 / f, out.X2 / f, out.Y1 / f, out.Y2 / f});
  WindowChanged();
}

bool TAQVKaart::HasPreviousView() const {
  return mKeptWindow.X1 != mKeptWindow.X2 && mKeptWindow.Y1 != mKeptWindow.Y2;
}

void TAQVKaart::PreviousView() {
  if (!mData || !HasPreviousView()) return;
  SetWindow(mKeptWindow);
  mKeptWindow = {};
  WindowChanged();
}

void TAQVKaart::CancelZoom() {
  if (!mZoomMode) return;
  mFirstCornerSet = false;
  mBandVisible = false;
  UpdateCursor();
}

void TAQVKaart::UpdateCursor() {
  if (isVisible()) update();
  setCursor(mZoomMode && mData && !IsWindowUndefined() ? Qt::CrossCursor : Qt::ArrowCursor);
}

TMapHint TAQVKaart::HintAt(QPoint pixel) const {
  if (!mData || !mLayout.Valid) return {};
  const double x = ScreenToWorldX(pixel.x()), y = ScreenToWorldY(pixel.y());
  if (mZoomMode && !IsWindowUndefined()) {
    const double step = SnapStep(mGridSpacing);
    const QPointF corner =
        mFirstCornerSet ? mSecondCorner : QPointF(SnapToStep(x, step), SnapToStep(y, step));
    const QString text =
        QStringLiteral("x: %1, y: %2").arg(corner.x(), 0, 'f', 0).arg(corner.y(), 0, 'f', 0);
    return {text, text};
  }
  const double f = LengthFactor();
  std::vector<THitPoint> wells;
  std::vector<QString> names;
  for (int i = 1; i <= std::clamp(mData->PumpingWellCount(), 0, kMaxPumpingWells); ++i) {
    wells.push_back({mData->PumpingWells[i].X * f, mData->PumpingWells[i].Y * f});
    names.push_back(QString::fromStdString(mData->PumpingWells[i].Name));
  }
  for (int j = 1; j <= std::clamp(mData->ObservationWellCount(), 0, kMaxObservationWells); ++j) {
    wells.push_back({mData->ObservationWells[j].X * f, mData->ObservationWells[j].Y * f});
    names.push_back(QString::fromStdString(mData->ObservationWells[j].Name));
  }
  const THitResult hit = HitTest(*mGrid, wells, x, y);
  if (hit.Kind == THitKind::hkWell) {
    const QString& name = names[static_cast<std::size_t>(hit.Index)];
    return {name, name};
  }
  if (hit.Kind != THitKind::hkGrid) return {};
  const QString place = QStringLiteral("x: %1, y: %2").arg(hit.X, 0, 'f', 2).arg(hit.Y, 0, 'f', 2);
  return {place + QStringLiteral("\nDrawdown: %1").arg(hit.Value, 0, 'f', 3), place};
}

void TAQVKaart::ShowStatusTip(const QString& text) {
  QStatusTipEvent tip(text);
  QCoreApplication::sendEvent(this, &tip);
}

bool TAQVKaart::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const QString hint = HintAt(help->pos()).Tip;
    if (hint.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), hint, this);
    return true;
  }
  return QWidget::event(e);
}

// ---- Mouse ------------------------------------------------------------------------------------

TAQVTextEdit* TAQVKaart::BoxAt(QPoint pixel, int margin) const {
  if (!TextEditsMatch()) return nullptr;
  TAQVTextEdit* found = nullptr;
  for (const auto& edit : mTextEdits) {
    if (edit->Record()->Kind != 0 || !edit->Shown()) continue;
    if (edit->BoxRect().adjusted(-margin, -margin, margin, margin).contains(pixel))
      found = edit.get();
  }
  return found;
}

void TAQVKaart::mousePressEvent(QMouseEvent* event) {
  emit MouseDown();
  if (!mData) return;
  const QPoint pos = event->position().toPoint();
  mLastMouse = pos;
  mDragMode = 0;
  mData->SelectedTextBox = nullptr;
  SyncTextEdits();
  for (const auto& edit : mTextEdits) {
    if (edit->Record()->Kind != 0 || !edit->Shown()) continue;
    const QRect r = edit->BoxRect();
    const int L = r.left(), T = r.top(), W = r.width(), H = r.height();
    const int X = pos.x(), Y = pos.y();
    int mode = 0;
    if (L - 5 < X && X < L + 4 && T - 5 < Y && Y < T + 4)
      mode = 1;
    else if (L + W - 4 < X && X < L + W + 5 && T + H - 4 < Y && Y < T + H + 5)
      mode = 2;
    else if (L + 4 <= X && X < L + W + 2 && T - 5 < Y && Y < T + 4)
      mode = 3;
    if (mode != 0) {
      mData->SelectedTextBox = edit->Record();
      mDragMode = mode;
    }
  }
  if (mDragMode != 0 && mZoomMode) SetZoomMode(false);
  if (event->button() == Qt::RightButton) {
    mPopupTextBox = BoxAt(pos, 3);
    ShowPopup(pos);
    return;
  }
  if (mZoomMode && event->button() == Qt::LeftButton && mDragMode == 0 && !IsWindowUndefined()) {
    const double step = SnapStep(mGridSpacing);
    mFirstCorner = QPointF(SnapToStep(ScreenToWorldX(pos.x()), step),
                           SnapToStep(ScreenToWorldY(pos.y()), step));
    mSecondCorner = mFirstCorner;
    mFirstCornerSet = true;
    mBandVisible = false;
  }
}

void TAQVKaart::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (mData && mData->SelectedTextBox && mDragMode != 0 && (event->buttons() & Qt::LeftButton)) {
    TAQVTextBoxRecord& box = *mData->SelectedTextBox;
    const int right = box.PixelX + box.Width, bottom = box.PixelY + box.Height;
    if (mDragMode == 1) {
      box.PixelX = std::min(pos.x(), right - 1);
      box.PixelY = std::min(pos.y(), bottom - 1);
      box.Width = right - box.PixelX;
      box.Height = bottom - box.PixelY;
    } else if (mDragMode == 2) {
      box.Width = std::max(1, pos.x() - box.PixelX);
      box.Height = std::max(1, pos.y() - box.PixelY);
    } else {
      box.PixelX =
          std::clamp(box.PixelX + pos.x() - mLastMouse.x(), 0, std::max(0, width() - box.Width));
      box.PixelY =
          std::clamp(box.PixelY + pos.y() - mLastMouse.y(), 0, std::max(0, height() - box.Height));
    }
    if (TAQVTextEdit* edit = TextEditOf(&box)) edit->setGeometry(edit->BoxRect());
    mData->Saved = false;
    mLastMouse = pos;
    update();
    return;
  }
  mLastMouse = pos;
  if (!mZoomMode && TextEditsMatch()) {
    // Sizing at a corner handle, moving on the top edge, typing inside a box.
    Qt::CursorShape shape = Qt::ArrowCursor;
    for (const auto& edit : mTextEdits) {
      if (edit->Record()->Kind != 0 || !edit->Shown()) continue;
      const QRect r = edit->BoxRect();
      const auto near = [&pos](QPoint corner) {
        return std::abs(pos.x() - corner.x()) <= 3 && std::abs(pos.y() - corner.y()) <= 3;
      };
      if (near(r.topLeft()) || near(r.bottomRight() + QPoint(1, 1)))
        shape = Qt::SizeFDiagCursor;
      else if (pos.x() >= r.left() && pos.x() <= r.right() && std::abs(pos.y() - r.top()) <= 3)
        shape = Qt::SizeAllCursor;
      else if (r.contains(pos))
        shape = Qt::IBeamCursor;
    }
    if (cursor().shape() != shape) setCursor(shape);
  }
  if (mZoomMode && mFirstCornerSet && mData && !IsWindowUndefined()) {
    const double step = SnapStep(mGridSpacing);
    mSecondCorner = QPointF(SnapToStep(ScreenToWorldX(pos.x()), step),
                            SnapToStep(ScreenToWorldY(pos.y()), step));
    mBandVisible = true;
    update();
  }
  // An empty hint lets the status bar show the page's hint again.
  ShowStatusTip(HintAt(pos).Status);
}

void TAQVKaart::mouseReleaseEvent(QMouseEvent* event) {
  if (!mData) return;
  const QPoint pos = event->position().toPoint();
  if (mData->SelectedTextBox) {
    TAQVTextBoxRecord& box = *mData->SelectedTextBox;
    const QRect plot(QPoint(mLayout.Left, mLayout.Top), QPoint(mLayout.Right, mLayout.Bottom));
    if (mLayout.Left < box.PixelX && box.PixelX < mLayout.Right && mLayout.Top < box.PixelY &&
        box.PixelY < mLayout.Bottom) {
      box.AnchorMode = 1;
      box.X = ScreenToWorldX(box.PixelX);
      box.Y = ScreenToWorldY(box.PixelY);
    } else {
      AnchorOutside(box, box.PixelX, box.PixelY);
    }
    if (TAQVTextEdit* edit = TextEditOf(&box)) edit->UpdatePosition();
    mData->SelectedTextBox = nullptr;
    mDragMode = 0;
    update();
    return;
  }
  // A click away from the box being edited ends its editing: it goes back to being painted.
  for (const auto& edit : mTextEdits)
    if (edit->hasFocus()) edit->clearFocus();
  if (event->button() == Qt::LeftButton && !mZoomMode) {
    if (TAQVTextEdit* edit = BoxAt(pos, 3)) {
      edit->Activate();
      mPopupTextBox = edit;
    }
  }
  if (mZoomMode && mFirstCornerSet && event->button() == Qt::LeftButton) {
    const double step = SnapStep(mGridSpacing);
    mSecondCorner = QPointF(SnapToStep(ScreenToWorldX(pos.x()), step),
                            SnapToStep(ScreenToWorldY(pos.y()), step));
    const QPoint a(WorldToScreenX(mFirstCorner.x()), WorldToScreenY(mFirstCorner.y()));
    const QPoint b(WorldToScreenX(mSecondCorner.x()), WorldToScreenY(mSecondCorner.y()));
    mFirstCornerSet = false;
    mBandVisible = false;
    // A band of 5 pixels or less either way changes nothing.
    if (std::abs(a.x() - b.x()) > 5 && std::abs(a.y() - b.y()) > 5) {
      const double f = LengthFactor();
      mKeptWindow = Window();
      SetWindow({std::min(mFirstCorner.x(), mSecondCorner.x()) / f,
                 std::max(mFirstCorner.x(), mSecondCorner.x()) / f,
                 std::min(mFirstCorner.y(), mSecondCorner.y()) / f,
                 std::max(mFirstCorner.y(), mSecondCorner.y()) / f});
      WindowChanged();
    }
    update();
  }
}

void TAQVKaart::enterEvent(QEnterEvent* event) {
  UpdateCursor();
  QWidget::enterEvent(event);
}

void TAQVKaart::leaveEvent(QEvent* event) {
  setCursor(Qt::ArrowCursor);
  ShowStatusTip({});
  QWidget::leaveEvent(event);
}

// ---- Exports ----------------------------------------------------------------------------------

bool TAQVKaart::SaveContoursAsXYZ(const std::string& path) {
  const TFileIOStatus status = SaveXYZ(path, *mGrid);
  if (IsSuccess(status)) return true;
  if (mData)
    mData->UserInterface().MessageBox(SaveFailedText(path, ToText(status)), TMsgDlgType::mtError,
                                      TMsgDlgButtons::mbOK);
  return false;
}

void TAQVKaart::CopyToClipboard(bool askSize) {
  QSize size = this->size();
  if (askSize) {
    TCanvasDimensionsForm dialog(this);
    dialog.SetCanvasSize(size.width(), size.height());
    if (dialog.exec() != QDialog::Accepted) return;
    size = QSize(dialog.CanvasWidth(), dialog.CanvasHeight());
  }
  if (size.isEmpty()) return;
  auto* mime = new QMimeData;
  mime->setImageData(RenderImage(size));
  mime->setData(QStringLiteral("image/svg+xml"), RenderSvg(size));
  QApplication::clipboard()->setMimeData(mime);
}

// ---- Text boxes -------------------------------------------------------------------------------

void TAQVKaart::FocusChanged(QWidget* old, QWidget* now) {
  // A box is being typed in from when it takes the focus while the focus only passes over
  // buttons (a click on Animate takes it) or moves on by itself from a button disabled by its
  // own click.
  if (auto* box = qobject_cast<TAQVTextEdit*>(now); box != nullptr && box->Map() == this) {
    mTypedTextEdit = box;
    return;
  }
  const bool byItself = old != nullptr && !old->isEnabled();
  if (!byItself && qobject_cast<QAbstractButton*>(now) == nullptr) mTypedTextEdit = nullptr;
}

void TAQVKaart::HideAnchoredTexts() {
  mAnimatedTextEdit = nullptr;
  for (const auto& edit : mTextEdits) {
    if (edit->Record()->Kind != 0 || edit->Record()->AnchorMode != 1) continue;
    if (edit.get() == mTypedTextEdit) mAnimatedTextEdit = edit.get();
    if (edit->isVisible()) edit->hide();
  }
}

void TAQVKaart::ShowAnchoredTexts() {
  TAQVTextEdit* edit = mAnimatedTextEdit;
  mAnimatedTextEdit = nullptr;
  // Not on a hidden map, where the keyboard would go to a page nobody sees; nor for a box moved
  // out of the plot or re-anchored meanwhile.
  if (edit == nullptr || !isVisible() || !edit->Shown() || edit->Record()->AnchorMode != 1) return;
  edit->Activate();
}

TAQVTextEdit* TAQVKaart::TextEditOf(const TAQVTextBoxRecord* record) const {
  for (const auto& edit : mTextEdits)
    if (edit->Record() == record) return edit.get();
  return nullptr;
}

bool TAQVKaart::TextEditsMatch() const {
  if (!mData) return mTextEdits.empty();
  if (mTextEdits.size() != mData->TextBoxes.size()) return false;
  for (std::size_t i = 0; i < mTextEdits.size(); ++i)
    if (mTextEdits[i]->Record() != mData->TextBoxes[i].get()) return false;
  return true;
}

void TAQVKaart::SyncTextEdits() {
  if (TextEditsMatch()) return;
  // The edits are rebuilt in the document's order, keeping the edit of every record that is
  // still there; the document may have replaced or cleared its records (a file read, a reset)
  // and no edit may keep a record that is gone.
  std::vector<std::unique_ptr<TAQVTextEdit>> old = std::move(mTextEdits);
  mTextEdits.clear();
  if (mData) {
    for (const auto& record : mData->TextBoxes) {
      auto found = std::find_if(old.begin(), old.end(), [&](const auto& edit) {
        return edit && edit->Record() == record.get();
      });
      if (found != old.end()) {
        mTextEdits.push_back(std::move(*found));
        continue;
      }
      auto edit = std::make_unique<TAQVTextEdit>(this, record.get());
      connect(edit.get(), &TAQVTextEdit::Changed, this, [this] { TextChanged(); });
      mTextEdits.push_back(std::move(edit));
    }
  }
  for (const auto& edit : old) {
    if (edit && edit.get() == mPopupTextBox) mPopupTextBox = nullptr;
  }
  old.clear();
  RepositionTexts(true);
}

void TAQVKaart::RepositionTexts(bool force) {
  if (!mData) return;
  if (!TextEditsMatch()) {
    SyncTextEdits();
    return;
  }
  const QRect plot(QPoint(mLayout.Left, mLayout.Top), QPoint(mLayout.Right, mLayout.Bottom));
  const TMapWindow window = Window();
  if (!force && plot == mLastPlotRect && window == mLastWindow) return;
  mLastPlotRect = plot;
  mLastWindow = window;
  for (const auto& edit : mTextEdits) edit->UpdatePosition();
}

void TAQVKaart::AnchorOutside(TAQVTextBoxRecord& box, int pixelX, int pixelY) const {
  const int west = WestPixel(), east = EastPixel(), south = SouthPixel(), north = NorthPixel();
  QPoint corner;
  switch (LegendPlacement()) {
    case TPlacement::plRight:
      box.AnchorMode = 2;
      corner = {east, north};
      break;
    case TPlacement::plBottom:
      box.AnchorMode = 3;
      corner = {east, south - kLegendDrop};
      break;
    case TPlacement::plLeft:
      box.AnchorMode = 4;
      corner = {west - mLegendWidth - 20, south - kLegendDrop};
      break;
    case TPlacement::plTop:
      box.AnchorMode = 5;
      corner = {west - mLegendWidth - 20, north};
      break;
    default: {
      // The nearest window corner; ties go north-west, north-east, south-east, south-west.
      const QPoint corners[4] = {{west, north}, {east, north}, {east, south}, {west, south}};
      const int modes[4] = {5, 2, 3, 4};
      long long best = -1;
      for (int i = 0; i < 4; ++i) {
        const long long dx = corners[i].x() - pixelX, dy = corners[i].y() - pixelY;
        const long long d = dx * dx + dy * dy;
        if (best < 0 || d < best) {
          best = d;
          box.AnchorMode = modes[i];
          corner = corners[i];
        }
      }
    }
  }
  box.X = corner.x() - pixelX;
  box.Y = corner.y() - pixelY;
  box.PixelX = pixelX;
  box.PixelY = pixelY;
}

TAQVTextEdit* TAQVKaart::InsertText(const QString& text, int x, int y, int height, int width) {
  if (!mData) return nullptr;
  ComputeLayout(this->width(), this->height());
  auto record = std::make_unique<TAQVTextBoxRecord>();
  TAQVTextBoxRecord& box = *record;
  box.Font = mDefaultTextFormat.Font;
  box.Alignment = mDefaultTextFormat.Alignment;
  box.Color = mDefaultTextFormat.Color;
  box.ClearBackground = mDefaultTextFormat.ClearBackground;
  box.Text = EditTextToRecord(text);
  box.Kind = 0;
  box.Width = width;
  box.Height = height;
  box.PixelX = x;
  box.PixelY = y;
  if (mLayout.Left < x && x < mLayout.Right && mLayout.Top < y && y < mLayout.Bottom) {
    box.AnchorMode = 1;
    box.X = ScreenToWorldX(x);
    box.Y = ScreenToWorldY(y);
  } else {
    AnchorOutside(box, x, y);
  }
  TAQVTextBoxRecord* raw = record.get();
  mData->TextBoxes.push_back(std::move(record));
  SyncTextEdits();
  TAQVTextEdit* edit = TextEditOf(raw);
  edit->UpdatePosition();
  edit->Activate();
  mData->Saved = false;
  return edit;
}

void TAQVKaart::DeleteText(TAQVTextEdit* box) {
  if (!mData || !box) return;
  TAQVTextBoxRecord* record = box->Record();
  mData->SelectedTextBox = nullptr;
  if (mPopupTextBox == box) mPopupTextBox = nullptr;
  std::erase_if(mTextEdits, [box](const auto& edit) { return edit.get() == box; });
  std::erase_if(mData->TextBoxes, [record](const auto& r) { return r.get() == record; });
  mData->Saved = false;
  update();
}

void TAQVKaart::TextChanged() {
  if (mData) mData->Saved = false;
}

// ---- Preview ----------------------------------------------------------------------------------

void TAQVKaart::BeginPreview() {
  mPreview = true;
  mPreviewTransparency = mData ? std::clamp(mData->BackgroundTransparency, 0, 100) : 50;
  if (mData && mImages.Count() > 0 && !mData->ImagesUnavailable) {
    const TMapWindow w = Window();
    // The window's pixels lie within the map's own.
    mImages.CropToWindow({w.X1, w.Y1, w.X2, w.Y2}, width(), height());
  }
}

void TAQVKaart::SetPreviewTransparency(int percent) {
  mPreviewTransparency = std::clamp(percent, 0, 100);
  repaint();
}

void TAQVKaart::EndPreview() {
  mPreview = false;
  if (mData && !mData->ImagesUnavailable) mImages.Nop();
}

// ---- Popup menu -------------------------------------------------------------------------------

void TAQVKaart::BuildPopupMenu() {
  mPopup = new QMenu(this);
  mPopup->setObjectName(QStringLiteral("AQVKaartPopupMenu"));
  mZoomAreaAction = mPopup->addAction(QStringLiteral("Zoom area"));
  mZoomAreaAction->setCheckable(true);
  connect(mZoomAreaAction, &QAction::triggered, this, [this](bool on) { SetZoomMode(on); });
  mPreviousAction = mPopup->addAction(QStringLiteral("Previous view"));
  mPreviousAction->setEnabled(false);
  connect(mPreviousAction, &QAction::triggered, this, [this] { PreviousView(); });
  connect(mPopup->addAction(QStringLiteral("Zoom out")), &QAction::triggered, this,
          [this] { ZoomOut(); });
  mPopup->addSeparator();
  connect(mPopup->addAction(QStringLiteral("Chart options...")), &QAction::triggered, this,
          [this] { ExecuteOptionsDialog(); });
  mPopup->addSeparator();
  mTextAction = mPopup->addAction(QStringLiteral("Insert text"));
  connect(mTextAction, &QAction::triggered, this, [this] {
    if (mPopupTextBox) {
      DeleteText(mPopupTextBox);
    } else {
      InsertText(QString(), mPopupPoint.x(), mPopupPoint.y(), 26, 100);
      update();
    }
  });
  mTextOptionsAction = mPopup->addAction(QStringLiteral("Text format options"));
  connect(mTextOptionsAction, &QAction::triggered, this,
          [this] { ExecuteTextOptionsDialog(mPopupTextBox); });
}

void TAQVKaart::ShowPopup(QPoint pixel) {
  mPopupPoint = pixel;
  const bool onBox = mPopupTextBox != nullptr;
  mTextAction->setText(onBox ? QStringLiteral("Delete text") : QStringLiteral("Insert text"));
  mTextOptionsAction->setEnabled(onBox);
  mPreviousAction->setEnabled(HasPreviousView());
  mZoomAreaAction->setChecked(mZoomMode);
  mPopup->popup(mapToGlobal(pixel));
}

void TAQVKaart::ExecuteOptionsDialog() {
  if (!mData) return;
  TBoundaryGridDrawing options = DrawingOptions();
  TPlacement placement = LegendPlacement();
  int transparency = std::clamp(mData->BackgroundTransparency, 0, 100);
  bool showImages = mData->ShowBackgroundImages;
  BeginPreview();
  TAQVKaartOptionsForm form(this);
  const bool accepted = form.Execute(placement, options, this, transparency, showImages);
  EndPreview();
  if (accepted) {
    mData->MapOptions.LegendPlacement = placement;
    mData->MapOptions.DrawingOptions = options;
    mData->BackgroundTransparency = transparency;
    mData->ShowBackgroundImages = showImages;
    mData->Saved = false;
    PrepareBlend();
    RepositionTexts(true);
  }
  UpdateCursor();
}

void TAQVKaart::ExecuteTextOptionsDialog(TAQVTextEdit* box) {
  if (!box) return;
  TAQVTextEditOptionsForm form(this);
  form.SetTarget(box->Record());
  if (form.exec() != QDialog::Accepted) return;
  box->LoadFromRecord();
  const TAQVTextBoxRecord& r = *box->Record();
  mDefaultTextFormat.Font = r.Font;
  mDefaultTextFormat.Alignment = r.Alignment;
  mDefaultTextFormat.Color = r.Color;
  mDefaultTextFormat.ClearBackground = r.ClearBackground;
  TextChanged();
  update();
}

}  // namespace aqv

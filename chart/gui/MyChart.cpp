#include "chart/gui/MyChart.h"

#include <QBuffer>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "chart/NumberFormat.h"
#include "chart/gui/CanvasDimensionsForm.h"
#include "chart/gui/ChartDialogs.h"
#include "chart/gui/ChartPainter.h"
#include "chart/gui/ChartPopupMenu.h"
#include "chart/gui/SelectSeriesForm.h"
#include "platform/VectorState.h"

namespace aqv {

namespace {

constexpr TColor kSeriesColors[16] = {0xFF0000, 0x008000, 0x0000FF, 0x808080, 0x800080, 0xFFFF00,
                                      0xFF00FF, 0x808080, 0x00FF00, 0xC0C0C0, 0x000080, 0x800000,
                                      0x008080, 0xC0C0C0, 0x808000, 0x00FFFF};

constexpr TMarkerStyle kSeriesMarkers[6] = {
    TMarkerStyle::msCircle,   TMarkerStyle::msCross,          TMarkerStyle::msSquare,
    TMarkerStyle::msTriangle, TMarkerStyle::msHorizontalLine, TMarkerStyle::msVerticalLine};

constexpr int kMinCanvasSize = 200;   // pixels
constexpr int kMaxCanvasSize = 5000;  // pixels

// A grid cell as a number in the locale's notation; the missing value when it holds none.
double CellNumber(const TCellGrid& grid, int col, int row) {
  if (col < 0 || row < 0 || col >= grid.ColCount() || row >= grid.RowCount()) return kMissingValue;
  bool ok = false;
  const double value =
      QLocale().toDouble(QString::fromStdString(grid.Cells(col, row)).trimmed(), &ok);
  return ok && std::isfinite(value) ? value : kMissingValue;
}

// Marks the process's charts as drawing for its lifetime, so that the change events that the
// automatic scaling fires schedule no repaint; cleared also when the drawing throws.
class TPaintingScope {
 public:
  TPaintingScope() { ChartUnitState().ChartPainting = true; }
  ~TPaintingScope() { ChartUnitState().ChartPainting = false; }
  TPaintingScope(const TPaintingScope&) = delete;
  TPaintingScope& operator=(const TPaintingScope&) = delete;
};

}  // namespace

char TMyChart::DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 128 ? static_cast<char>(point[0].unicode())
                                                       : '.';
}

TChartUnitState& ChartUnitState() {
  static TChartUnitState state;
  return state;
}

void ResetChartUnitState() {
  ChartUnitState() = TChartUnitState();
}

TColor DefaultSeriesColor(int index) {
  return kSeriesColors[((index % 16) + 16) % 16];
}

TMarkerStyle DefaultSeriesMarkerStyle(int index) {
  return kSeriesMarkers[((index % 6) + 6) % 6];
}

TMyChart::TMyChart(QWidget* parent)
    : QWidget(parent), mModel(std::make_unique<TChartModel>()), mDialogs(&DefaultChartDialogs()) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  TChartUnitState& state = ChartUnitState();
  state.ChartPainting = false;
  state.SelectedPart = TChartPart::cpNone;
  state.ChartOptionsPageIndex = 0;
  state.FormatOptionsPageIndex = 0;
  mPopupMenu = new TChartPopupMenu(this);
  SelectSeries = [this](const QStringList& names, int& index) {
    TSelectSeriesForm form(this);
    form.SetSeriesNames(names, index);
    const QPoint cursor = QCursor::pos();
    form.adjustSize();
    form.move(cursor.x() - form.width() / 2, cursor.y() - form.height());
    if (form.exec() != QDialog::Accepted) return false;
    index = form.SelectedIndex();
    return true;
  };
  AskCanvasSize = [this](int& width, int& height) {
    TCanvasDimensionsForm form(this);
    form.SetCanvasSize(width, height);
    if (form.exec() != QDialog::Accepted) return false;
    width = form.CanvasWidth();
    height = form.CanvasHeight();
    return true;
  };
  ShowLogScaleWarning = [this](const QString& text) {
    QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), text);
  };
}

TMyChart::~TMyChart() = default;

void TMyChart::SetDialogs(TChartDialogs* dialogs) {
  mDialogs = dialogs ? dialogs : &DefaultChartDialogs();
}

void TMyChart::HookParts(bool on) {
  TNotifyEvent changed;
  if (on) changed = [this](TObject*) { Changed(); };
  TChartModel& m = *mModel;
  m.ChartArea.OnChange = changed;
  m.ChartTitle.OnChange = changed;
  m.Legend.OnChange = changed;
  m.X_Axis.OnChange = changed;
  m.Y_Axis.OnChange = changed;
  m.SecondaryY_Axis.OnChange = changed;
}

void TMyChart::HookSeries(TSeries& series) {
  series.OnChange = [this](TObject*) { Changed(); };
}

void TMyChart::SetAutoUpdate(bool value) {
  if (value != mModel->AutoUpdate) HookParts(value);
  mModel->AutoUpdate = value;
}

void TMyChart::Changed() {
  if (ChartUnitState().ChartPainting) return;
  mShowSavedImage = false;
  if (isVisible()) update();
}

// ---- Series operations ----

void TMyChart::ClearSeries() {
  mModel->ClearSeries();
  Changed();
}

void TMyChart::DeleteSeries(int index) {
  mModel->DeleteSeries(index);
}

void TMyChart::AddSeries(int index) {
  const int count = mModel->SeriesCount();
  if (count >= kMaxSeriesCount) return;
  if (index < 0 || index >= count) index = count;
  TSeries* series = mModel->InsertSeries(index);
  if (!series) return;
  HookSeries(*series);
  series->Patterns().Border().SetColor(DefaultSeriesColor(index));
  series->Marker().SetColor(DefaultSeriesColor(index));
  series->Marker().SetStyle(DefaultSeriesMarkerStyle(index));
  series->Marker().SetSize(6);
  series->SetName("Series " + std::to_string(index));
}

std::string TMyChart::GetSeriesName(int index) const {
  const TSeries* series = mModel->Series(index);
  return series ? series->Name() : std::string();
}

TMarker* TMyChart::GetSeriesMarker(int index) {
  TSeries* series = mModel->Series(index);
  return series ? &series->Marker() : nullptr;
}

TPatterns* TMyChart::GetSeriesPatterns(int index) {
  TSeries* series = mModel->Series(index);
  return series ? &series->Patterns() : nullptr;
}

double TMyChart::GetX(int series, int point) const {
  const TSeries* s = mModel->Series(series);
  return s ? s->GetX(point) : 0.0;
}

double TMyChart::GetY(int series, int point) const {
  const TSeries* s = mModel->Series(series);
  return s ? s->GetY(point) : 0.0;
}

void TMyChart::AddPoint(int series, int index, double x, double y) {
  if (TSeries* s = mModel->Series(series)) s->InsertPoint(index, x, y);
}

void TMyChart::SetY(int series, int index, double y) {
  if (TSeries* s = mModel->Series(series)) s->SetY(index, y, true);
}

void TMyChart::SetSeriesName(int index, const std::string& name) {
  if (TSeries* s = mModel->Series(index)) s->SetName(name);
}

void TMyChart::SetSeriesMarker(int index, const TMarker& marker) {
  if (TSeries* s = mModel->Series(index)) s->Marker().SetData(marker.Data());
}

void TMyChart::SetSeriesPatterns(int index, const TPatterns& patterns) {
  if (TSeries* s = mModel->Series(index)) s->Patterns().SetData(patterns.Data());
}

void TMyChart::SetAxisTitle(const std::string& text, int axis) {
  TAxis* axes[3] = {&mModel->X_Axis, &mModel->Y_Axis, &mModel->SecondaryY_Axis};
  if (axis >= 0 && axis < 3) axes[axis]->Title().SetText(text);
}

void TMyChart::SetAxisLogScale(bool value, int axis) {
  TAxis* axes[3] = {&mModel->X_Axis, &mModel->Y_Axis, &mModel->SecondaryY_Axis};
  if (axis >= 0 && axis < 3) axes[axis]->Scale().SetLogScale(value);
}

void TMyChart::LoadSeriesFromGrid(int index) {
  TSeries* series = mModel->Series(index);
  if (!series || !series->Range().Grid()) return;
  const TCellGrid& grid = *series->Range().Grid();
  const TCellRange x = series->Range().XRange();
  const TCellRange y = series->Range().YRange();
  series->Clear();
  // Rows beyond the grid would only add missing values; a damaged range cannot make the loop
  // run for billions of rows.
  const int lastRow = std::min(y.LastRow, grid.RowCount() - 1);
  for (int r = std::max(y.FirstRow, 0); r <= lastRow; ++r) {
    const double xv = x.FirstRow <= r && r <= x.LastRow ? CellNumber(grid, x.FirstCol, r)
                                                        : static_cast<double>(r) + 1;
    series->InsertPoint(r - y.FirstRow, xv, CellNumber(grid, y.FirstCol, r));
  }
}

// ---- Drawing ----

void TMyChart::Draw(QPainter& painter, int height, int width) {
  // The layout takes log10 of every point; see ClearUpperVectorState for why this matters.
  ClearUpperVectorState();
  TQtTextMetrics metrics(DecimalSeparator());
  mLayout.Calc(*mModel, metrics, width, height);
  TChartPainter chartPainter(painter, *mModel, mLayout, metrics);
  chartPainter.Paint();
  mTickLabels = chartPainter.DrawnTickLabels();
}

void TMyChart::paintEvent(QPaintEvent*) {
  QPainter screen(this);
  if (mShowSavedImage && !mSavedImage.isNull()) {
    screen.drawImage(0, 0, mSavedImage);
    mShowSavedImage = false;
    return;
  }
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (pixels.isEmpty()) return;
  if (mDrawingImage.size() != pixels)
    mDrawingImage = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  mDrawingImage.setDevicePixelRatio(ratio);
  {
    const TPaintingScope painting;
    QPainter painter(&mDrawingImage);
    Draw(painter, height(), width());
  }
  screen.drawImage(0, 0, mDrawingImage);
  ReportLogScaleWarnings();
}

// The warning is shown once when an axis enters the state, and never from inside the paint:
// a modal box there would paint again beneath itself.
void TMyChart::ReportLogScaleWarnings() {
  static const char* const kTexts[kAxisCount] = {
      "Could not display log scale on X-axis! Adjust minmimum and/or maximum values.",
      "Could not display log scale on Y-axis! Adjust minmimum and/or maximum values.",
      "Could not display log scale on secondary Y-axis! Adjust minmimum and/or maximum values."};
  for (int a = 0; a < kAxisCount; ++a) {
    const bool warn = mLayout.LogWarning(a);
    if (warn && !mLogWarned[a]) {
      const QString text = QString::fromLatin1(kTexts[a]);
      QTimer::singleShot(0, this, [this, text] {
        if (ShowLogScaleWarning) ShowLogScaleWarning(text);
      });
    }
    mLogWarned[a] = warn;
  }
}

QImage TMyChart::RenderImage(int width, int height) {
  if (width <= 0 || height <= 0) return QImage();
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  image.setDotsPerMeterX(3780);  // 96 dots per inch
  image.setDotsPerMeterY(3780);
  {
    const TPaintingScope painting;
    QPainter painter(&image);
    Draw(painter, height, width);
  }
  return image;
}

QByteArray TMyChart::RenderSvg(int width, int height) {
  QByteArray bytes;
  if (width <= 0 || height <= 0) return bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(width, height));
  generator.setViewBox(QRect(0, 0, width, height));
  generator.setResolution(96);
  generator.setTitle(QString::fromStdString(mModel->ChartTitle.Text()));
  {
    const TPaintingScope painting;
    QPainter painter(&generator);
    Draw(painter, height, width);
  }
  return bytes;
}

void TMyChart::CopyToClipboard(bool asMetafile, bool askSize) {
  int w = width();
  int h = height();
  if (askSize) {
    if (!AskCanvasSize || !AskCanvasSize(w, h)) return;
    w = std::clamp(w, kMinCanvasSize, kMaxCanvasSize);
    h = std::clamp(h, kMinCanvasSize, kMaxCanvasSize);
  }
  const QImage image = RenderImage(w, h);
  if (image.isNull()) return;
  auto* mime = new QMimeData;
  if (asMetafile) mime->setData(QStringLiteral("image/svg+xml"), RenderSvg(w, h));
  mime->setImageData(image);
  QGuiApplication::clipboard()->setMimeData(mime);
  // Hover and clicks read the rectangles of the last drawing: lay out the screen size again.
  TQtTextMetrics metrics(DecimalSeparator());
  const TPaintingScope painting;
  mLayout.Calc(*mModel, metrics, width(), height());
}

void TMyChart::SaveImage() {
  mSavedImage = mDrawingImage.copy();
}

void TMyChart::RestoreImage() {
  if (mSavedImage.isNull()) return;
  mShowSavedImage = true;
  update();
}

void TMyChart::ResetOptions() {
  const TChartModel fresh;
  TChartModel& m = *mModel;
  m.ClearSeries();
  m.Axes = fresh.Axes;
  m.ChartArea.SetData(fresh.ChartArea.Data(), false);
  m.ChartTitle.SetData(fresh.ChartTitle.Data(), false);
  m.Legend.SetData(fresh.Legend.Data(), false);
  m.X_Axis.SetData(fresh.X_Axis.Data(), false);
  m.Y_Axis.SetData(fresh.Y_Axis.Data(), false);
  m.SecondaryY_Axis.SetData(fresh.SecondaryY_Axis.Data(), false);
  m.ChartArea.SetSelected(false);
  ClearSelections();
  TChartUnitState& state = ChartUnitState();
  state.SelectedPart = TChartPart::cpNone;
  state.ChartOptionsPageIndex = 0;
  state.FormatOptionsPageIndex = 0;
  HookParts(true);
  Changed();
}

}  // namespace aqv

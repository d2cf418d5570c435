#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "chart/ChartLayout.h"
#include "chart/ChartModel.h"

namespace aqv {

class TChartDialogs;
class TChartPopupMenu;

// The part of a chart under the mouse or selected; the numbers are fixed.
enum class TChartPart : int {
  cpChartArea = 0,
  cpChartTitle = 1,
  cpLegend = 2,
  cpNone = 3,
  cpXAxis = 4,
  cpXAxisTitle = 5,
  cpYAxis = 6,
  cpYAxisTitle = 7,
  cpSecondaryYAxis = 8,
  cpSecondaryYAxisTitle = 9,
  cpSeriesPoint = 10,
};

// State shared by every chart of the process: hover and selection, and the pages the dialogs
// open on. Tests reset it through ResetChartUnitState.
struct TChartUnitState {
  bool ChartPainting = false;  // while a chart draws; change notices then repaint nothing
  TChartPart HoveredPart = TChartPart::cpNone;
  TChartPart SelectedPart = TChartPart::cpNone;
  int HoveredSeries = 0;
  int ChartOptionsPageIndex = 0;
  int FormatOptionsPageIndex = 0;
};
TChartUnitState& ChartUnitState();
void ResetChartUnitState();

// The colour and marker style a new series gets by its index.
TColor DefaultSeriesColor(int index);
TMarkerStyle DefaultSeriesMarkerStyle(int index);

// The time-graph control of a document window: up to 128 series drawn on linear or logarithmic
// axes with titles, legend and chart area. Owns its model (format parts and series), its popup
// menu and its images. Filled by the document window through the series operations; never
// reads the document. One drawing routine (Draw) serves the screen, the bitmap and the SVG copy.
class TMyChart : public QWidget {
  Q_OBJECT

 public:
  explicit TMyChart(QWidget* parent = nullptr);
  ~TMyChart() override;

  // The format parts and series; the document's data file reads and writes them here.
  TChartModel& Model() { return *mModel; }
  const TChartModel& Model() const { return *mModel; }
  const TChartLayout& Layout() const { return mLayout; }
  // The tick labels of the last drawing, in pixels of that drawing.
  const std::vector<TTickLabelBox>& TickLabels() const { return mTickLabels; }
  TChartArea& ChartArea() { return mModel->ChartArea; }
  TTitle& ChartTitle() { return mModel->ChartTitle; }
  TLegend& Legend() { return mModel->Legend; }
  TAxis& X_Axis() { return mModel->X_Axis; }
  TAxis& Y_Axis() { return mModel->Y_Axis; }
  TAxis& SecondaryY_Axis() { return mModel->SecondaryY_Axis; }
  TAxisTypes Axes() const { return mModel->Axes; }
  void SetAxes(TAxisTypes value) { mModel->Axes = value; }

  bool AutoUpdate() const { return mModel->AutoUpdate; }
  // True routes every part's OnChange to Changed, false unhooks them.
  void SetAutoUpdate(bool value);
  bool YMinChangedByUser() const { return mModel->YMinChangedByUser; }
  void SetYMinChangedByUser(bool value) { mModel->YMinChangedByUser = value; }

  // ---- Series operations. An index outside 0..count-1 makes a getter return nullptr, "" or 0
  // and the others do nothing.
  void ClearSeries();
  void DeleteSeries(int index);
  // Inserts a series at index (appends for an index outside 0..count-1) with the default
  // colour and marker of its index; nothing when 128 series exist.
  void AddSeries(int index);
  int GetSeriesCount() const { return mModel->SeriesCount(); }
  TSeries* GetSeries(int index) { return mModel->Series(index); }
  std::string GetSeriesName(int index) const;
  TMarker* GetSeriesMarker(int index);
  TPatterns* GetSeriesPatterns(int index);
  double GetX(int series, int point) const;
  double GetY(int series, int point) const;
  void AddPoint(int series, int index, double x, double y);
  void SetY(int series, int index, double y);
  void SetSeriesName(int index, const std::string& name);
  void SetSeriesMarker(int index, const TMarker& marker);
  void SetSeriesPatterns(int index, const TPatterns& patterns);
  // axis: 0 X, 1 Y, 2 secondary Y.
  void SetAxisTitle(const std::string& text, int axis);
  void SetAxisLogScale(bool value, int axis);
  // Reads the series again from the grid cells its range names; a cell that holds no number
  // gives the missing value 1E15.
  void LoadSeriesFromGrid(int index);

  // Repaints unless hidden or drawing; the target of every part's and series' OnChange.
  void Changed();
  // Back to a new chart's parts, no series, selection and dialog pages reset.
  void ResetOptions();
  // Keeps the last drawing; RestoreImage shows it until the next change.
  void SaveImage();
  void RestoreImage();
  const QImage& SavedImage() const { return mSavedImage; }
  // Copies the chart as a bitmap, or as SVG beside a bitmap, at the control's size or, with
  // askSize, at the size the user chooses (200 to 5000 pixels each way).
  void CopyToClipboard(bool asMetafile, bool askSize);

  // Lays out and draws the chart into a drawing of height x width pixels.
  void Draw(QPainter& painter, int height, int width);
  QImage RenderImage(int width, int height);
  // The chart as an SVG document of width x height pixels at 96 dots per inch.
  QByteArray RenderSvg(int width, int height);

  // The decimal separator of the locale, for the numbers the chart shows.
  static char DecimalSeparator();
  // The part at pos (control pixels); a series point sets HoveredSeries.
  TChartPart HitTest(QPoint pos);
  // "Tooltip | status text", as the last mouse move left it.
  const QString& Hint() const { return mHint; }

  TChartPopupMenu* PopupMenu() const { return mPopupMenu; }
  TChartDialogs& Dialogs() const { return *mDialogs; }
  // The dialogs the popup menu opens; nullptr restores the program's own.
  void SetDialogs(TChartDialogs* dialogs);
  // Chooses a series for "Series...": returns false when cancelled, else sets index. By default
  // the series picker near the cursor; tests replace it.
  std::function<bool(const QStringList& names, int& index)> SelectSeries;
  // Asks for the size of a copy: returns false when cancelled. By default the size dialog.
  std::function<bool(int& width, int& height)> AskCanvasSize;
  // After the person confirmed a format dialog or the chart options: the formats are part of
  // what the owner keeps.
  std::function<void()> OnFormatChanged;
  // Shows the warning that a logarithmic axis cannot be drawn; called once when the state
  // begins, after the painting. By default a warning box.
  std::function<void(const QString& text)> ShowLogScaleWarning;

  // What the popup menu's items do (also callable directly): item 0 and 2..9, and item 11.
  void FormatItemClick(int item);
  void ChartOptionsClick();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void HookParts(bool on);
  void HookSeries(TSeries& series);
  void UpdateHint(TChartPart part);
  void ReportLogScaleWarnings();
  void ClearSelections();
  void ToggleSelected(TChartPart part);
  bool RunFormatDialog(int item);

  std::unique_ptr<TChartModel> mModel;
  TChartLayout mLayout;
  std::vector<TTickLabelBox> mTickLabels;
  QImage mDrawingImage;
  QImage mSavedImage;
  bool mShowSavedImage = false;
  QString mHint;
  int mHoveredPoint = -1;
  std::array<bool, kAxisCount> mLogWarned{};
  TChartPopupMenu* mPopupMenu = nullptr;  // owned as a child
  TChartDialogs* mDialogs = nullptr;      // not owned
};

}  // namespace aqv

#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "chart/Axis.h"
#include "chart/ChartArea.h"
#include "chart/Legend.h"
#include "chart/Series.h"
#include "chart/Title.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace aqv {

class TBrushStylesComboBox;
class TMyColorGrid;
class TMySpinEdit;
class TPatternsPreview;
class TPenStylesComboBox;
class TUserInterface;

// Page indexes of the format dialog; the chart keeps the last one for its next dialog.
enum class TFormatPage : int {
  fpAlignment = 0,
  fpFont = 1,
  fpNumber = 2,
  fpPatterns = 3,
  fpPlacement = 4,
  fpRange = 5,
  fpScale = 6,
};

// The modal dialog that formats one part of the time graph: chart area, title, legend, axis or
// series. An entry shows only the pages that suit the part, fills them from private copies of
// the part's format objects, runs modally and on OK writes the shown settings back through the
// part's setters (so the part announces the change itself); Cancel writes nothing. The pageIndex
// of every entry is the page to open (the entry's first page when that page is hidden for the
// part) and receives the page showing when the dialog closed.
//
// Each entry is Open... (fill, no modal loop), exec(), Apply... (write back); tests drive Open
// and Apply directly. Number texts are checked when their edit is left and on OK, never while
// typing; messages go through the given user interface (a Qt one when none is given).
class TFormatOptionsForm : public QDialog {
  Q_OBJECT

 public:
  // Asks for a colour beginning at current; returns false when the user cancels.
  using TColorChooser = std::function<bool(TColor current, TColor& chosen)>;

  explicit TFormatOptionsForm(QWidget* parent = nullptr, TUserInterface* ui = nullptr);
  ~TFormatOptionsForm() override;

  bool ExecuteAxis(TAxis& axis, int& pageIndex, const QString& name);
  bool ExecuteChartArea(TChartArea& chartArea, int& pageIndex, const QString& name);
  bool ExecuteLegend(TLegend& legend, int& pageIndex, const QString& name);
  bool ExecuteSeries(TSeries& series, int& pageIndex, const QString& name);
  bool ExecuteTitle(TTitle& title, int& pageIndex, const QString& name);

  void OpenAxis(const TAxis& axis, int pageIndex, const QString& name);
  void OpenChartArea(const TChartArea& chartArea, int pageIndex, const QString& name);
  void OpenLegend(const TLegend& legend, int pageIndex, const QString& name);
  void OpenSeries(const TSeries& series, int pageIndex, const QString& name);
  void OpenTitle(const TTitle& title, int pageIndex, const QString& name);

  void ApplyAxis(TAxis& axis) const;
  void ApplyChartArea(TChartArea& chartArea) const;
  void ApplyLegend(TLegend& legend) const;
  // Writes the marker, the line and the range; a malformed range shows its message.
  void ApplySeries(TSeries& series) const;
  void ApplyTitle(TTitle& title) const;

  // The index of the page showing.
  int PageIndex() const;
  // Checks the number fields as OK does; false (with a message shown) when one is invalid.
  bool CheckFields();
  // The entry check run when the minimum edit is left.
  void scMinimumExit();
  void scMaximumExit();

  void SetColorChooser(TColorChooser chooser) { mColorChooser = std::move(chooser); }

  // The private copies being edited.
  const TMyAlignment& AlignmentCopy() const { return mAlignment; }
  const TFont& FontCopy() const { return mFont; }
  const TMarker& MarkerCopy() const { return mMarker; }
  const TNumber& NumberCopy() const { return mNumber; }
  TPlacement PlacementCopy() const { return mPlacement; }
  const TPatterns& PatternsCopy() const { return mPatterns; }
  const TScale& ScaleCopy() const { return mScale; }

  // The form's controls, named as on the form.
  QTabWidget* OptionPages;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QWidget* AlignmentPage;
  QWidget* FontPage;
  QWidget* NumberPage;
  QWidget* PatternsPage;
  QWidget* PlacementPage;
  QWidget* RangePage;
  QWidget* ScalePage;
  // Alignment
  QGroupBox* alRadioGroup;
  QRadioButton* alLeft;
  QRadioButton* alRight;
  QRadioButton* alCenter;
  QRadioButton* alBottom;
  QRadioButton* alTop;
  QLabel* alOrientationLabel;
  TMySpinEdit* alOrientation;
  // Font
  QListWidget* foName;
  QListWidget* foSize;
  TMyColorGrid* foColor;
  QPushButton* foMoreColors;
  QCheckBox* foBold;
  QCheckBox* foItalic;
  QCheckBox* foStrikeOut;
  QCheckBox* foUnderline;
  QLabel* foPreview;
  // Number
  QListWidget* nuCategory;
  TMySpinEdit* nuDecPlaces;
  // Patterns
  QGroupBox* paGroupBox1;
  TMyColorGrid* paAreaColor;
  QPushButton* paAreaMoreColors;
  TBrushStylesComboBox* paAreaStyle;
  QGroupBox* paGroupBox2;
  TMyColorGrid* paBorderColor;
  QPushButton* paBorderMoreColors;
  TPenStylesComboBox* paBorderStyle;
  TMySpinEdit* paBorderWidth;
  QGroupBox* paGroupBox3;
  TMyColorGrid* paMarkerColor;
  QPushButton* paMarkerMoreColors;
  QComboBox* paMarkerStyle;
  TMySpinEdit* paMarkerSize;
  TPatternsPreview* PatternsPreview;
  // Placement
  QCheckBox* pmShowLegend;
  QGroupBox* pmRadioGroup1;
  QRadioButton* pmLeft;
  QRadioButton* pmRight;
  QRadioButton* pmTop;
  QRadioButton* pmBottom;
  // Range
  QLineEdit* raXValues;
  QLineEdit* raYValues;
  QRadioButton* raY_Axis;
  QRadioButton* raSecondaryY_Axis;
  // Scale
  QLineEdit* scMinimum;
  QLineEdit* scMaximum;
  QLineEdit* scMajUnit;
  QLineEdit* scMinUnit;
  QCheckBox* scMinAuto;
  QCheckBox* scMaxAuto;
  QCheckBox* scMajUnitAuto;
  QCheckBox* scMinUnitAuto;
  QCheckBox* scLogScale;
  QLabel* scMajUnitLabel;
  QLabel* scMinUnitLabel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class TPart { Axis, ChartArea, Legend, Series, Title };

  void BuildAlignmentPage();
  void BuildFontPage();
  void BuildNumberPage();
  void BuildPatternsPage();
  void BuildPlacementPage();
  void BuildRangePage();
  void BuildScalePage();
  void Bind();

  void Begin(TPart part, const QString& name);
  void HidePages();
  void ShowPage(QWidget* page);
  void OpenOn(int pageIndex, QWidget* firstPage);

  void FillAlignment(const TMyAlignment& alignment);
  void FillFont(const TFont& font);
  void FillMarker(const TMarker& marker);
  void FillPlacement(TPlacement placement);
  void FillPatterns(const TPatterns& patterns);
  void FillScale(const TScale& scale);

  void WriteAlignment(TMyAlignment& alignment) const;
  void WriteFont(TFont& font) const;
  void WriteMarker(TMarker& marker) const;
  void WritePatterns(TPatterns& patterns) const;
  void WriteScale(TScale& scale) const;
  TPlacement ChosenPlacement() const;

  void ShowFontPreview();
  void SetBorderStyle(TPenStyle style);
  void MoreColors(TMyColorGrid* grid, const std::function<TColor()>& get,
                  const std::function<void(TColor)>& set);
  void UpdateLogScaleEnabled();
  // Stores a minimum the person typed in the copy and makes it manual.
  void TakeMinimum(double value);
  void TryAccept();
  // Reads a number text with the locale's separator. Empty, "-" and "." give present false
  // and true; otherwise present is true and the result tells whether the text converted.
  bool ReadNumber(QLineEdit* edit, double& value, bool& present) const;
  void ShowError(const QString& text) const;

  TUserInterface* mUi;
  std::unique_ptr<TUserInterface> mOwnUi;
  TColorChooser mColorChooser;
  bool mFilling = false;
  bool mChecking = false;
  // The minimum's text that the copy's Min stands for. The edit shows 15 significant digits, so
  // only a text the person changed is read back; an unchanged one keeps the exact value.
  QString mMinimumText;

  TMyAlignment mAlignment;
  TFont mFont;
  TMarker mMarker;
  TNumber mNumber;
  TPlacement mPlacement = TPlacement::plBottom;
  TPatterns mPatterns;
  TSeriesRange mRange;
  TScale mScale;
};

// The text of a float in the dialogs' general format: up to 15 significant digits with the
// locale's decimal separator and no group separators.
QString FormatFloatGeneral(double value);

}  // namespace aqv

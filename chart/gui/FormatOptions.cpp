#include "chart/gui/FormatOptions.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "controls/BrushStylesComboBox.h"
#include "controls/MyColorgrd.h"
#include "controls/MySpin.h"
#include "controls/PatternsPreview.h"
#include "controls/PenStylesComboBox.h"
#include "controls/QtDrawing.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {

constexpr std::array<int, 13> kFontSizes = {6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 36, 48, 72};
constexpr int kMaxBorderWidth = 10;  // pixels, for a solid border
const char* const kLargerThanZero = "Value must be larger than 0.";

QLocale DialogLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// A text that holds no number yet and is therefore neither stored nor refused.
bool IsNoNumberYet(const QString& text) {
  const QString trimmed = text.trimmed();
  return trimmed.isEmpty() || trimmed == QStringLiteral("-") ||
         trimmed == QString(DialogLocale().decimalPoint());
}

QRadioButton* AddRadio(QGroupBox* group, QLayout* layout, const char* name, const QString& text) {
  auto* button = new QRadioButton(text, group);
  button->setObjectName(name);
  layout->addWidget(button);
  return button;
}

TMyColorGrid* MakeColorGrid(QWidget* parent, const char* name) {
  auto* grid = new TMyColorGrid(parent);
  grid->setObjectName(name);
  grid->setFixedSize(76, 76);
  // Only the left button's choice means something here.
  grid->SetBackgroundEnabled(false);
  return grid;
}

QPushButton* MakeMoreColors(QWidget* parent, const char* name) {
  auto* button = new QPushButton(QStringLiteral("More colors..."), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

QString FormatFloatGeneral(double value) {
  return DialogLocale().toString(value, 'g', 15);
}

TFormatOptionsForm::TFormatOptionsForm(QWidget* parent, TUserInterface* ui)
    : QDialog(parent), mUi(ui) {
  if (mUi == nullptr) {
    mOwnUi = std::make_unique<TQtUserInterface>(this);
    mUi = mOwnUi.get();
  }
  mColorChooser = [this](TColor current, TColor& chosen) {
    const QColor colour = QColorDialog::getColor(ToQColor(current), this);
    if (!colour.isValid()) return false;
    chosen = FromQColor(colour);
    return true;
  };
  setWindowTitle(QStringLiteral("Options"));
  setObjectName(QStringLiteral("FormatOptionsForm"));

  OptionPages = new QTabWidget(this);
  OptionPages->setObjectName(QStringLiteral("OptionPages"));
  AlignmentPage = new QWidget;
  FontPage = new QWidget;
  NumberPage = new QWidget;
  PatternsPage = new QWidget;
  PlacementPage = new QWidget;
  RangePage = new QWidget;
  ScalePage = new QWidget;
  OptionPages->addTab(AlignmentPage, QStringLiteral("Alignment"));
  OptionPages->addTab(FontPage, QStringLiteral("Font"));
  OptionPages->addTab(NumberPage, QStringLiteral("Number"));
  OptionPages->addTab(PatternsPage, QStringLiteral("Patterns"));
  OptionPages->addTab(PlacementPage, QStringLiteral("Placement"));
  OptionPages->addTab(RangePage, QStringLiteral("Range"));
  OptionPages->addTab(ScalePage, QStringLiteral("Scale"));
  BuildAlignmentPage();
  BuildFontPage();
  BuildNumberPage();
  BuildPatternsPage();
  BuildPlacementPage();
  BuildRangePage();
  BuildScalePage();

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  OKButton->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(OptionPages);
  layout->addLayout(buttons);
  // The designed size, grown where the controls' texts need more.
  setFixedSize(QSize(430, 379).expandedTo(minimumSizeHint()));

  HidePages();
  Bind();
  // Keyboard preview: Enter confirms and Escape cancels from every control.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

TFormatOptionsForm::~TFormatOptionsForm() = default;

// ---- Building the pages ----

void TFormatOptionsForm::BuildAlignmentPage() {
  alRadioGroup = new QGroupBox(QStringLiteral("Type "), AlignmentPage);
  alRadioGroup->setObjectName(QStringLiteral("alRadioGroup"));
  auto* radios = new QVBoxLayout(alRadioGroup);
  alLeft = AddRadio(alRadioGroup, radios, "alLeft", QStringLiteral("Left"));
  alRight = AddRadio(alRadioGroup, radios, "alRight", QStringLiteral("Right"));
  alCenter = AddRadio(alRadioGroup, radios, "alCenter", QStringLiteral("Center"));
  alBottom = AddRadio(alRadioGroup, radios, "alBottom", QStringLiteral("Bottom"));
  alTop = AddRadio(alRadioGroup, radios, "alTop", QStringLiteral("Top"));
  alCenter->setChecked(true);
  alOrientationLabel = new QLabel(QStringLiteral("Orientation:"), AlignmentPage);
  alOrientation = new TMySpinEdit(AlignmentPage);
  alOrientation->setObjectName(QStringLiteral("alOrientation"));
  alOrientation->SetMinValue(0);
  alOrientation->SetMaxValue(359);
  alOrientation->setFixedWidth(70);
  auto* layout = new QGridLayout(AlignmentPage);
  layout->addWidget(alRadioGroup, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(alOrientationLabel, 0, 1, Qt::AlignTop);
  layout->addWidget(alOrientation, 0, 2, Qt::AlignTop);
  layout->setColumnStretch(0, 1);
  layout->setColumnStretch(3, 1);
  layout->setRowStretch(1, 1);
}

void TFormatOptionsForm::BuildFontPage() {
  foName = new QListWidget(FontPage);
  foName->setObjectName(QStringLiteral("foName"));
  foName->addItems(QFontDatabase::families());
  foName->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  foName->setMinimumWidth(150);
  foSize = new QListWidget(FontPage);
  foSize->setObjectName(QStringLiteral("foSize"));
  for (int size : kFontSizes) foSize->addItem(QString::number(size));
  foSize->setFixedWidth(60);
  foColor = MakeColorGrid(FontPage, "foColor");
  foMoreColors = MakeMoreColors(FontPage, "foMoreColors");
  auto* effects = new QGroupBox(QStringLiteral("Effects "), FontPage);
  auto* effectsLayout = new QVBoxLayout(effects);
  const auto addBox = [&](const char* name, const QString& text) {
    auto* box = new QCheckBox(text, effects);
    box->setObjectName(name);
    effectsLayout->addWidget(box);
    return box;
  };
  foBold = addBox("foBold", QStringLiteral("Bold"));
  foItalic = addBox("foItalic", QStringLiteral("Italics"));
  foStrikeOut = addBox("foStrikeOut", QStringLiteral("StrikeOut"));
  foUnderline = addBox("foUnderline", QStringLiteral("Underline"));
  foPreview =
      new QLabel(QStringLiteral("On the north pole, the only way to go is south."), FontPage);
  foPreview->setObjectName(QStringLiteral("foPreview"));
  foPreview->setFrameShape(QFrame::StyledPanel);
  foPreview->setAlignment(Qt::AlignCenter);
  foPreview->setWordWrap(true);
  foPreview->setAutoFillBackground(true);
  QPalette white = foPreview->palette();
  white.setColor(QPalette::Window, Qt::white);
  foPreview->setPalette(white);

  auto* layout = new QGridLayout(FontPage);
  layout->addWidget(new QLabel(QStringLiteral("Name:"), FontPage), 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("Size:"), FontPage), 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Color:"), FontPage), 0, 2);
  layout->addWidget(foName, 1, 0, 2, 1);
  layout->addWidget(foSize, 1, 1, 2, 1);
  auto* colours = new QVBoxLayout;
  colours->addWidget(foColor);
  colours->addWidget(foMoreColors);
  layout->addLayout(colours, 1, 2);
  layout->addWidget(effects, 1, 3, 2, 1, Qt::AlignTop);
  layout->addWidget(new QLabel(QStringLiteral("Preview:"), FontPage), 3, 0);
  layout->addWidget(foPreview, 4, 0, 1, 4);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(0, 1);
  foPreview->setMinimumHeight(60);
}

void TFormatOptionsForm::BuildNumberPage() {
  nuCategory = new QListWidget(NumberPage);
  nuCategory->setObjectName(QStringLiteral("nuCategory"));
  nuCategory->addItems({QStringLiteral("General"), QStringLiteral("Exponent"),
                        QStringLiteral("Fixed"), QStringLiteral("Number"),
                        QStringLiteral("Currency")});
  nuDecPlaces = new TMySpinEdit(NumberPage);
  nuDecPlaces->setObjectName(QStringLiteral("nuDecPlaces"));
  nuDecPlaces->SetMinValue(0);
  nuDecPlaces->SetMaxValue(24);
  nuDecPlaces->setFixedWidth(70);
  auto* layout = new QGridLayout(NumberPage);
  layout->addWidget(new QLabel(QStringLiteral("Category:"), NumberPage), 0, 0);
  layout->addWidget(nuCategory, 1, 0);
  layout->addWidget(new QLabel(QStringLiteral("Decimal places:"), NumberPage), 0, 1);
  layout->addWidget(nuDecPlaces, 1, 1, Qt::AlignTop);
}

void TFormatOptionsForm::BuildPatternsPage() {
  const auto group = [&](const char* name, const QString& title) {
    auto* box = new QGroupBox(title, PatternsPage);
    box->setObjectName(name);
    return box;
  };
  paGroupBox1 = group("paGroupBox1", QStringLiteral("Area "));
  paAreaColor = MakeColorGrid(paGroupBox1, "paAreaColor");
  paAreaMoreColors = MakeMoreColors(paGroupBox1, "paAreaMoreColors");
  paAreaStyle = new TBrushStylesComboBox(paGroupBox1);
  paAreaStyle->setObjectName(QStringLiteral("paAreaStyle"));
  auto* area = new QGridLayout(paGroupBox1);
  area->addWidget(paAreaColor, 0, 0, 1, 2, Qt::AlignHCenter);
  area->addWidget(paAreaMoreColors, 1, 0, 1, 2);
  area->addWidget(new QLabel(QStringLiteral("Style:"), paGroupBox1), 2, 0);
  area->addWidget(paAreaStyle, 2, 1);
  area->setRowStretch(3, 1);

  paGroupBox2 = group("paGroupBox2", QStringLiteral("Border "));
  paBorderColor = MakeColorGrid(paGroupBox2, "paBorderColor");
  paBorderMoreColors = MakeMoreColors(paGroupBox2, "paBorderMoreColors");
  paBorderStyle = new TPenStylesComboBox(paGroupBox2);
  paBorderStyle->setObjectName(QStringLiteral("paBorderStyle"));
  paBorderWidth = new TMySpinEdit(paGroupBox2);
  paBorderWidth->setObjectName(QStringLiteral("paBorderWidth"));
  paBorderWidth->SetMinValue(1);
  paBorderWidth->SetMaxValue(kMaxBorderWidth);
  auto* border = new QGridLayout(paGroupBox2);
  border->addWidget(paBorderColor, 0, 0, 1, 2, Qt::AlignHCenter);
  border->addWidget(paBorderMoreColors, 1, 0, 1, 2);
  border->addWidget(new QLabel(QStringLiteral("Style:"), paGroupBox2), 2, 0);
  border->addWidget(paBorderStyle, 2, 1);
  border->addWidget(new QLabel(QStringLiteral("Width:"), paGroupBox2), 3, 0);
  border->addWidget(paBorderWidth, 3, 1);
  border->setRowStretch(4, 1);

  paGroupBox3 = group("paGroupBox3", QStringLiteral("Marker "));
  paMarkerColor = MakeColorGrid(paGroupBox3, "paMarkerColor");
  paMarkerMoreColors = MakeMoreColors(paGroupBox3, "paMarkerMoreColors");
  paMarkerStyle = new QComboBox(paGroupBox3);
  paMarkerStyle->setObjectName(QStringLiteral("paMarkerStyle"));
  // In TMarkerStyle order, so the row is the style's ordinal.
  paMarkerStyle->addItems({QStringLiteral("Circle"), QStringLiteral("Cross"),
                           QStringLiteral("Horizontal line"), QStringLiteral("Square"),
                           QStringLiteral("Triangle"), QStringLiteral("Vertical line")});
  paMarkerSize = new TMySpinEdit(paGroupBox3);
  paMarkerSize->setObjectName(QStringLiteral("paMarkerSize"));
  paMarkerSize->SetMinValue(0);
  paMarkerSize->SetMaxValue(32);
  auto* marker = new QGridLayout(paGroupBox3);
  marker->addWidget(paMarkerColor, 0, 0, 1, 2, Qt::AlignHCenter);
  marker->addWidget(paMarkerMoreColors, 1, 0, 1, 2);
  marker->addWidget(new QLabel(QStringLiteral("Type:"), paGroupBox3), 2, 0);
  marker->addWidget(paMarkerStyle, 2, 1);
  marker->addWidget(new QLabel(QStringLiteral("Size:"), paGroupBox3), 3, 0);
  marker->addWidget(paMarkerSize, 3, 1);

  PatternsPreview = new TPatternsPreview(PatternsPage);
  PatternsPreview->setObjectName(QStringLiteral("PatternsPreview"));
  PatternsPreview->setMinimumHeight(40);
  auto* layout = new QGridLayout(PatternsPage);
  layout->addWidget(paGroupBox1, 0, 0);
  layout->addWidget(paGroupBox2, 0, 1);
  layout->addWidget(paGroupBox3, 0, 2);
  layout->addWidget(new QLabel(QStringLiteral("Preview:"), PatternsPage), 1, 0, 1, 3);
  layout->addWidget(PatternsPreview, 2, 0, 1, 3);
  layout->setRowStretch(2, 1);
}

void TFormatOptionsForm::BuildPlacementPage() {
  pmShowLegend = new QCheckBox(QStringLiteral("Show Legend"), PlacementPage);
  pmShowLegend->setObjectName(QStringLiteral("pmShowLegend"));
  pmRadioGroup1 = new QGroupBox(PlacementPage);
  pmRadioGroup1->setObjectName(QStringLiteral("pmRadioGroup1"));
  auto* radios = new QVBoxLayout(pmRadioGroup1);
  pmLeft = AddRadio(pmRadioGroup1, radios, "pmLeft", QStringLiteral("Left"));
  pmRight = AddRadio(pmRadioGroup1, radios, "pmRight", QStringLiteral("Right"));
  pmTop = AddRadio(pmRadioGroup1, radios, "pmTop", QStringLiteral("Top"));
  pmBottom = AddRadio(pmRadioGroup1, radios, "pmBottom", QStringLiteral("Bottom"));
  pmBottom->setChecked(true);
  auto* layout = new QVBoxLayout(PlacementPage);
  layout->addWidget(pmShowLegend);
  layout->addWidget(pmRadioGroup1);
  layout->addStretch();
  pmRadioGroup1->setMaximumWidth(200);
}

void TFormatOptionsForm::BuildRangePage() {
  auto* values = new QGroupBox(QStringLiteral("Values"), RangePage);
  raXValues = new QLineEdit(values);
  raXValues->setObjectName(QStringLiteral("raXValues"));
  raYValues = new QLineEdit(values);
  raYValues->setObjectName(QStringLiteral("raYValues"));
  auto* valuesLayout = new QGridLayout(values);
  valuesLayout->addWidget(new QLabel(QStringLiteral("X-values"), values), 0, 0);
  valuesLayout->addWidget(raXValues, 0, 1);
  valuesLayout->addWidget(new QLabel(QStringLiteral("Y-values"), values), 1, 0);
  valuesLayout->addWidget(raYValues, 1, 1);
  auto* axis = new QGroupBox(QStringLiteral("Axis "), RangePage);
  auto* axisLayout = new QVBoxLayout(axis);
  raY_Axis = AddRadio(axis, axisLayout, "raY_Axis", QStringLiteral("Plot on y-axis"));
  raSecondaryY_Axis =
      AddRadio(axis, axisLayout, "raSecondaryY_Axis", QStringLiteral("Plot on secondary y-axis"));
  auto* layout = new QVBoxLayout(RangePage);
  layout->addWidget(values);
  layout->addWidget(axis);
  layout->addStretch();
}

void TFormatOptionsForm::BuildScalePage() {
  auto* values = new QGroupBox(QStringLiteral("Values "), ScalePage);
  auto* grid = new QGridLayout(values);
  grid->addWidget(new QLabel(QStringLiteral("Automatic"), values), 0, 2);
  const auto row = [&](int r, const char* editName, const char* boxName, const QString& caption,
                       QLineEdit*& edit, QCheckBox*& box) {
    auto* label = new QLabel(caption, values);
    edit = new QLineEdit(values);
    edit->setObjectName(editName);
    box = new QCheckBox(values);
    box->setObjectName(boxName);
    grid->addWidget(label, r, 0);
    grid->addWidget(edit, r, 1);
    grid->addWidget(box, r, 2, Qt::AlignHCenter);
    return label;
  };
  row(1, "scMinimum", "scMinAuto", QStringLiteral("Minimum:"), scMinimum, scMinAuto);
  row(2, "scMaximum", "scMaxAuto", QStringLiteral("Maximum:"), scMaximum, scMaxAuto);
  scMajUnitLabel =
      row(3, "scMajUnit", "scMajUnitAuto", QStringLiteral("Major unit:"), scMajUnit, scMajUnitAuto);
  scMinUnitLabel =
      row(4, "scMinUnit", "scMinUnitAuto", QStringLiteral("Minor unit:"), scMinUnit, scMinUnitAuto);
  scLogScale = new QCheckBox(QStringLiteral("Logaritmic scale"), ScalePage);
  scLogScale->setObjectName(QStringLiteral("scLogScale"));
  auto* layout = new QVBoxLayout(ScalePage);
  layout->addWidget(values);
  layout->addWidget(scLogScale);
  layout->addStretch();
  values->setMaximumWidth(300);
}

// ---- Live editing ----

void TFormatOptionsForm::Bind() {
  connect(OKButton, &QPushButton::clicked, this, &TFormatOptionsForm::TryAccept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

  const std::pair<QRadioButton*, TMyAlignmentTypes> alignments[] = {
      {alLeft, TMyAlignmentTypes::maLeft},
      {alRight, TMyAlignmentTypes::maRight},
      {alCenter, TMyAlignmentTypes::maCenter},
      {alBottom, TMyAlignmentTypes::maBottom},
      {alTop, TMyAlignmentTypes::maTop}};
  for (const auto& [button, value] : alignments) {
    connect(button, &QRadioButton::toggled, this, [this, value = value](bool on) {
      if (on && !mFilling) mAlignment.SetAlignment(value);
    });
  }
  connect(alOrientation, &QLineEdit::textChanged, this, [this] {
    if (!mFilling) mAlignment.SetOrientation(alOrientation->Value());
  });

  // Font
  connect(foName, &QListWidget::currentTextChanged, this, [this](const QString& name) {
    if (mFilling || name.isEmpty()) return;
    mFont.SetName(name.toStdString());
    ShowFontPreview();
  });
  connect(foSize, &QListWidget::currentTextChanged, this, [this](const QString& size) {
    bool ok = false;
    const int points = size.toInt(&ok);
    if (mFilling || !ok) return;
    mFont.SetSize(points);
    ShowFontPreview();
  });
  const std::pair<QCheckBox*, TFontStyle> effects[] = {{foBold, TFontStyle::fsBold},
                                                       {foItalic, TFontStyle::fsItalic},
                                                       {foStrikeOut, TFontStyle::fsStrikeOut},
                                                       {foUnderline, TFontStyle::fsUnderline}};
  for (const auto& [box, style] : effects) {
    connect(box, &QCheckBox::toggled, this, [this, style = style](bool on) {
      if (mFilling) return;
      TFontStyles styles = mFont.Style();
      styles.Set(style, on);
      mFont.SetStyle(styles);
      ShowFontPreview();
    });
  }
  // A grid's foreground index of -1 (a colour not in the grid) leaves the copy's colour.
  connect(foColor, &TMyColorGrid::Changed, this, [this] {
    if (mFilling || foColor->ForegroundColor() == clNone) return;
    mFont.SetColor(foColor->ForegroundColor());
    ShowFontPreview();
  });
  connect(foMoreColors, &QPushButton::clicked, this, [this] {
    MoreColors(
        foColor, [this] { return mFont.Color(); },
        [this](TColor c) {
          mFont.SetColor(c);
          ShowFontPreview();
        });
  });

  // Number
  connect(nuCategory, &QListWidget::currentRowChanged, this, [this](int row) {
    TFloatFormat category;
    if (!mFilling && TryOrdinalTo(row, category)) mNumber.SetCategory(category);
  });
  connect(nuDecPlaces, &QLineEdit::textChanged, this, [this] {
    if (!mFilling) mNumber.SetDecimalPlaces(nuDecPlaces->Value());
  });

  // Patterns
  connect(paAreaColor, &TMyColorGrid::Changed, this, [this] {
    if (mFilling || paAreaColor->ForegroundColor() == clNone) return;
    mPatterns.Area().SetColor(paAreaColor->ForegroundColor());
    PatternsPreview->Patterns().Area().SetColor(mPatterns.Area().Color());
  });
  connect(paBorderColor, &TMyColorGrid::Changed, this, [this] {
    if (mFilling || paBorderColor->ForegroundColor() == clNone) return;
    mPatterns.Border().SetColor(paBorderColor->ForegroundColor());
    PatternsPreview->Patterns().Border().SetColor(mPatterns.Border().Color());
  });
  connect(paMarkerColor, &TMyColorGrid::Changed, this, [this] {
    if (mFilling || paMarkerColor->ForegroundColor() == clNone) return;
    mMarker.SetColor(paMarkerColor->ForegroundColor());
    PatternsPreview->Marker().SetColor(mMarker.Color());
  });
  connect(paAreaMoreColors, &QPushButton::clicked, this, [this] {
    MoreColors(
        paAreaColor, [this] { return mPatterns.Area().Color(); },
        [this](TColor c) {
          mPatterns.Area().SetColor(c);
          PatternsPreview->Patterns().Area().SetColor(c);
        });
  });
  connect(paBorderMoreColors, &QPushButton::clicked, this, [this] {
    MoreColors(
        paBorderColor, [this] { return mPatterns.Border().Color(); },
        [this](TColor c) {
          mPatterns.Border().SetColor(c);
          PatternsPreview->Patterns().Border().SetColor(c);
        });
  });
  connect(paMarkerMoreColors, &QPushButton::clicked, this, [this] {
    MoreColors(
        paMarkerColor, [this] { return mMarker.Color(); },
        [this](TColor c) {
          mMarker.SetColor(c);
          PatternsPreview->Marker().SetColor(c);
        });
  });
  connect(paAreaStyle, &TStyleComboBox::Changed, this, [this] {
    mPatterns.Area().SetStyle(paAreaStyle->Style());
    PatternsPreview->Patterns().Area().SetStyle(paAreaStyle->Style());
  });
  connect(paBorderStyle, &TStyleComboBox::Changed, this,
          [this] { SetBorderStyle(paBorderStyle->Style()); });
  connect(paBorderWidth, &QLineEdit::textChanged, this, [this] {
    if (mFilling || paBorderWidth->text().isEmpty()) return;
    mPatterns.Border().SetWidth(paBorderWidth->Value());
    PatternsPreview->Patterns().Border().SetWidth(paBorderWidth->Value());
  });
  connect(paMarkerStyle, &QComboBox::currentIndexChanged, this, [this](int row) {
    TMarkerStyle style;
    if (mFilling || !TryOrdinalTo(row, style)) return;
    mMarker.SetStyle(style);
    PatternsPreview->Marker().SetStyle(style);
  });
  connect(paMarkerSize, &QLineEdit::textChanged, this, [this] {
    if (mFilling || paMarkerSize->text().isEmpty()) return;
    mMarker.SetSize(paMarkerSize->Value());
    PatternsPreview->Marker().SetSize(paMarkerSize->Value());
  });

  // Placement
  connect(pmShowLegend, &QCheckBox::toggled, this, [this](bool on) {
    pmRadioGroup1->setEnabled(on);
    for (QRadioButton* button : {pmLeft, pmRight, pmTop, pmBottom}) button->setEnabled(on);
  });
  const std::pair<QRadioButton*, TPlacement> placements[] = {{pmLeft, TPlacement::plLeft},
                                                             {pmRight, TPlacement::plRight},
                                                             {pmTop, TPlacement::plTop},
                                                             {pmBottom, TPlacement::plBottom}};
  for (const auto& [button, value] : placements) {
    connect(button, &QRadioButton::toggled, this, [this, value = value](bool on) {
      if (on && !mFilling) mPlacement = value;
    });
  }

  // Range
  connect(raY_Axis, &QRadioButton::toggled, this, [this](bool on) {
    if (on) mRange.SetYAxis(1);
  });
  connect(raSecondaryY_Axis, &QRadioButton::toggled, this, [this](bool on) {
    if (on) mRange.SetYAxis(2);
  });

  // Scale. A valid number typed into the maximum or a unit takes effect at once and makes that
  // value manual; a text that is not (yet) a number waits for the edit to be left.
  const auto live = [this](QLineEdit* edit, QCheckBox* box, void (TScale::*set)(double),
                           bool positiveOnLog) {
    connect(edit, &QLineEdit::textChanged, this, [=, this] {
      double value = 0;
      bool present = false;
      if (mFilling || !ReadNumber(edit, value, present) || !present) return;
      if (positiveOnLog && mScale.LogScale() && value <= 0) return;
      (mScale.*set)(value);
      box->setChecked(false);
    });
  };
  live(scMaximum, scMaxAuto, &TScale::SetMax, true);
  live(scMajUnit, scMajUnitAuto, &TScale::SetMajorUnit, false);
  live(scMinUnit, scMinUnitAuto, &TScale::SetMinorUnit, false);
  connect(scMinAuto, &QCheckBox::toggled, this, [this](bool on) { mScale.SetMinAutomatic(on); });
  connect(scMaxAuto, &QCheckBox::toggled, this, [this](bool on) { mScale.SetMaxAutomatic(on); });
  connect(scMajUnitAuto, &QCheckBox::toggled, this,
          [this](bool on) { mScale.SetMajorUnitAutomatic(on); });
  connect(scMinUnitAuto, &QCheckBox::toggled, this,
          [this](bool on) { mScale.SetMinorUnitAutomatic(on); });
  connect(scLogScale, &QCheckBox::toggled, this, [this](bool on) {
    if (!mFilling) mScale.SetLogScale(on);
  });
  connect(scMinimum, &QLineEdit::editingFinished, this, &TFormatOptionsForm::scMinimumExit);
  connect(scMaximum, &QLineEdit::editingFinished, this, &TFormatOptionsForm::scMaximumExit);
  for (QLineEdit* edit : {scMajUnit, scMinUnit}) {
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
      if (mChecking) return;
      double value = 0;
      bool present = false;
      if (!ReadNumber(edit, value, present)) {
        ShowError(QStringLiteral("'%1' is not a valid floating point value.").arg(edit->text()));
      }
    });
  }
}

bool TFormatOptionsForm::ReadNumber(QLineEdit* edit, double& value, bool& present) const {
  present = !IsNoNumberYet(edit->text());
  if (!present) return true;
  bool ok = false;
  value = DialogLocale().toDouble(edit->text().trimmed(), &ok);
  return ok;
}

void TFormatOptionsForm::ShowError(const QString& text) const {
  mUi->MessageBox(text.toStdString(), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
}

void TFormatOptionsForm::scMinimumExit() {
  if (mChecking) return;
  double value = 0;
  bool present = false;
  if (!ReadNumber(scMinimum, value, present)) {
    ShowError(QStringLiteral("'%1' is not a valid floating point value.").arg(scMinimum->text()));
  } else if (present && scMinimum->text() != mMinimumText) {
    if (mScale.LogScale() && value <= 0) {
      ShowError(QString::fromLatin1(kLargerThanZero));
    } else {
      TakeMinimum(value);
    }
  }
  UpdateLogScaleEnabled();
}

void TFormatOptionsForm::TakeMinimum(double value) {
  mScale.SetMin(value);
  mMinimumText = scMinimum->text();
  scMinAuto->setChecked(false);
}

void TFormatOptionsForm::scMaximumExit() {
  if (mChecking) return;
  double value = 0;
  bool present = false;
  if (!ReadNumber(scMaximum, value, present)) {
    ShowError(QStringLiteral("'%1' is not a valid floating point value.").arg(scMaximum->text()));
  } else if (present && mScale.LogScale() && value <= 0) {
    // A logarithmic scale has no room for a maximum of 0 or less, as for the minimum.
    ShowError(QString::fromLatin1(kLargerThanZero));
  }
  UpdateLogScaleEnabled();
}

void TFormatOptionsForm::UpdateLogScaleEnabled() {
  if (scMinimum->text().isEmpty() || scMaximum->text().isEmpty()) return;
  double minimum = 0;
  double maximum = 0;
  bool present = false;
  const bool ok = ReadNumber(scMinimum, minimum, present) && present &&
                  ReadNumber(scMaximum, maximum, present) && present;
  scLogScale->setEnabled(ok && minimum > 0 && maximum > 0);
}

bool TFormatOptionsForm::CheckFields() {
  if (!OptionPages->isTabVisible(static_cast<int>(TFormatPage::fpScale))) return true;
  struct TField {
    QLineEdit* Edit;
    bool PositiveOnLog;
  };
  for (const TField field : {TField{scMinimum, true}, TField{scMaximum, true},
                             TField{scMajUnit, false}, TField{scMinUnit, false}}) {
    double value = 0;
    bool present = false;
    QString error;
    if (!ReadNumber(field.Edit, value, present)) {
      error = QStringLiteral("'%1' is not a valid floating point value.").arg(field.Edit->text());
    } else if (present && field.PositiveOnLog && mScale.LogScale() && value <= 0) {
      error = QString::fromLatin1(kLargerThanZero);
    }
    if (!error.isEmpty()) {
      OptionPages->setCurrentWidget(ScalePage);
      mChecking = true;  // the box takes the focus; its editingFinished must not report twice
      ShowError(error);
      field.Edit->setFocus();
      mChecking = false;
      return false;
    }
  }
  // The minimum is taken when its edit is left; OK leaves it too.
  double value = 0;
  bool present = false;
  if (scMinimum->text() != mMinimumText && ReadNumber(scMinimum, value, present) && present)
    TakeMinimum(value);
  return true;
}

void TFormatOptionsForm::TryAccept() {
  if (!CheckFields()) return;
  // OK leaves the focused spin edit as well: a number typed past its bounds is clamped the way
  // leaving the edit clamps it, and the copies follow through the edits' change handlers.
  for (TMySpinEdit* spin : findChildren<TMySpinEdit*>()) {
    const int value = spin->Value();
    if (!spin->text().isEmpty() && spin->CheckValue(value) != value) spin->SetValue(value);
  }
  accept();
}

bool TFormatOptionsForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      TryAccept();
      return true;
    }
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormatOptionsForm::ShowFontPreview() {
  foPreview->setFont(MakeQFont(mFont.Data()));
  QPalette colours = foPreview->palette();
  colours.setColor(QPalette::WindowText, ToQColor(mFont.Color()));
  foPreview->setPalette(colours);
}

void TFormatOptionsForm::SetBorderStyle(TPenStyle style) {
  mPatterns.Border().SetStyle(style);
  PatternsPreview->Patterns().Border().SetStyle(style);
  // Only a solid line can be drawn wider than one pixel.
  if (style == TPenStyle::psSolid) {
    paBorderWidth->SetMaxValue(kMaxBorderWidth);
  } else {
    mPatterns.Border().SetWidth(1);
    PatternsPreview->Patterns().Border().SetWidth(1);
    paBorderWidth->SetMaxValue(1);
    paBorderWidth->SetValue(1);
  }
}

void TFormatOptionsForm::MoreColors(TMyColorGrid* grid, const std::function<TColor()>& get,
                                    const std::function<void(TColor)>& set) {
  TColor chosen = get();
  if (!mColorChooser || !mColorChooser(get(), chosen)) return;
  set(chosen);
  mFilling = true;
  grid->SetForegroundIndex(TMyColorGrid::ColorToIndex(chosen));
  mFilling = false;
}

// ---- Filling ----

void TFormatOptionsForm::FillAlignment(const TMyAlignment& alignment) {
  ShowPage(AlignmentPage);
  mAlignment.Assign(alignment);
  switch (alignment.Alignment()) {
    case TMyAlignmentTypes::maLeft:
      alLeft->setChecked(true);
      break;
    case TMyAlignmentTypes::maRight:
      alRight->setChecked(true);
      break;
    case TMyAlignmentTypes::maCenter:
      alCenter->setChecked(true);
      break;
    case TMyAlignmentTypes::maBottom:
      alBottom->setChecked(true);
      break;
    case TMyAlignmentTypes::maTop:
      alTop->setChecked(true);
      break;
  }
  alOrientation->SetValue(alignment.Orientation());
}

void TFormatOptionsForm::FillFont(const TFont& font) {
  ShowPage(FontPage);
  mFont.Assign(font);
  ShowFontPreview();
  foColor->SetForegroundIndex(TMyColorGrid::ColorToIndex(font.Color()));
  const auto select = [](QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchFixedString);
    list->setCurrentItem(found.isEmpty() ? nullptr : found.front());
    if (!found.isEmpty()) list->scrollToItem(found.front(), QAbstractItemView::PositionAtCenter);
  };
  select(foName, QString::fromStdString(font.Name()));
  select(foSize, QString::number(font.Size()));
  foBold->setChecked(font.Style().Contains(TFontStyle::fsBold));
  foItalic->setChecked(font.Style().Contains(TFontStyle::fsItalic));
  foStrikeOut->setChecked(font.Style().Contains(TFontStyle::fsStrikeOut));
  foUnderline->setChecked(font.Style().Contains(TFontStyle::fsUnderline));
}

void TFormatOptionsForm::FillMarker(const TMarker& marker) {
  mMarker.Assign(marker);
  paMarkerColor->SetForegroundIndex(TMyColorGrid::ColorToIndex(marker.Color()));
  paMarkerStyle->setCurrentIndex(static_cast<int>(marker.Style()));
  paMarkerSize->SetValue(marker.Size());
  PatternsPreview->Marker().SetData(marker.Data());
}

void TFormatOptionsForm::FillPlacement(TPlacement placement) {
  ShowPage(PlacementPage);
  mPlacement = placement;
  pmShowLegend->setChecked(placement != TPlacement::plNone);
  const bool on = placement != TPlacement::plNone;
  pmRadioGroup1->setEnabled(on);
  for (QRadioButton* button : {pmLeft, pmRight, pmTop, pmBottom}) button->setEnabled(on);
  switch (placement) {
    case TPlacement::plLeft:
      pmLeft->setChecked(true);
      break;
    case TPlacement::plRight:
      pmRight->setChecked(true);
      break;
    case TPlacement::plTop:
      pmTop->setChecked(true);
      break;
    case TPlacement::plBottom:
      pmBottom->setChecked(true);
      break;
    case TPlacement::plNone:
      break;  // the form's choice stays
  }
}

void TFormatOptionsForm::FillPatterns(const TPatterns& patterns) {
  ShowPage(PatternsPage);
  mPatterns.Assign(patterns);
  paAreaColor->SetForegroundIndex(TMyColorGrid::ColorToIndex(patterns.Area().Color()));
  paBorderColor->SetForegroundIndex(TMyColorGrid::ColorToIndex(patterns.Border().Color()));
  // The style boxes open on the current styles, taken from their own item tables.
  paAreaStyle->ShowItem(TBrushStylesComboBox::ItemOf(patterns.Area().Style()));
  paBorderStyle->ShowItem(TPenStylesComboBox::ItemOf(patterns.Border().Style()));
  if (patterns.Border().Style() == TPenStyle::psSolid) {
    paBorderWidth->SetMaxValue(kMaxBorderWidth);
    paBorderWidth->SetValue(patterns.Border().Width());
  } else {
    mPatterns.Border().SetWidth(1);
    paBorderWidth->SetMaxValue(1);
    paBorderWidth->SetValue(1);
  }
  PatternsPreview->Patterns().SetData(mPatterns.Data());
}

void TFormatOptionsForm::FillScale(const TScale& scale) {
  ShowPage(ScalePage);
  mScale.Assign(scale);
  scMinimum->setText(FormatFloatGeneral(scale.Min()));
  mMinimumText = scMinimum->text();
  scMaximum->setText(FormatFloatGeneral(scale.Max()));
  scMinUnit->setText(FormatFloatGeneral(scale.MinorUnit()));
  scMajUnit->setText(FormatFloatGeneral(scale.MajorUnit()));
  scMinAuto->setChecked(scale.MinAutomatic());
  scMaxAuto->setChecked(scale.MaxAutomatic());
  scMajUnitAuto->setChecked(scale.MajorUnitAutomatic());
  scMinUnitAuto->setChecked(scale.MinorUnitAutomatic());
  scLogScale->setChecked(scale.LogScale());
  scLogScale->setEnabled(scale.Min() > 0 && scale.Max() > 0);
}

// A hidden page is disabled as well: Ctrl+Tab and the arrows on the tabs skip disabled pages
// but not hidden ones.
void TFormatOptionsForm::HidePages() {
  for (int i = 0; i < OptionPages->count(); ++i) {
    OptionPages->setTabVisible(i, false);
    OptionPages->setTabEnabled(i, false);
  }
}

void TFormatOptionsForm::ShowPage(QWidget* page) {
  const int index = OptionPages->indexOf(page);
  OptionPages->setTabVisible(index, true);
  OptionPages->setTabEnabled(index, true);
}

void TFormatOptionsForm::Begin(TPart part, const QString& name) {
  setWindowTitle(QStringLiteral("Options: ") + name);
  HidePages();
  const bool titleLike = part == TPart::Axis || part == TPart::Title;
  alBottom->setVisible(!titleLike);
  alTop->setVisible(!titleLike);
  alOrientationLabel->setVisible(part != TPart::Title);
  alOrientation->setVisible(part != TPart::Title);
  paGroupBox1->setVisible(part != TPart::Axis && part != TPart::Series);
  paGroupBox3->setVisible(part == TPart::Series);
  paGroupBox2->setTitle(part == TPart::Axis     ? QStringLiteral("Axis ")
                        : part == TPart::Series ? QStringLiteral("Line ")
                                                : QStringLiteral("Border "));
  PatternsPreview->SetMode(part == TPart::Axis     ? TPreviewMode::pmLine
                           : part == TPart::Series ? TPreviewMode::pmLineWithMarker
                                                   : TPreviewMode::pmArea);
  scLogScale->setVisible(part != TPart::Axis);
}

void TFormatOptionsForm::OpenOn(int pageIndex, QWidget* firstPage) {
  if (pageIndex >= 0 && pageIndex < OptionPages->count() && OptionPages->isTabVisible(pageIndex)) {
    OptionPages->setCurrentIndex(pageIndex);
  } else {
    OptionPages->setCurrentWidget(firstPage);
  }
}

int TFormatOptionsForm::PageIndex() const {
  return OptionPages->currentIndex();
}

// ---- The entries ----

void TFormatOptionsForm::OpenAxis(const TAxis& axis, int pageIndex, const QString& name) {
  Begin(TPart::Axis, name);
  mFilling = true;
  FillAlignment(axis.Alignment());
  FillFont(axis.Font());
  FillPatterns(axis.Patterns());
  FillScale(axis.Scale());
  mFilling = false;
  const bool log = axis.Scale().LogScale();
  for (QWidget* w : std::initializer_list<QWidget*>{scMajUnitLabel, scMajUnit, scMajUnitAuto,
                                                    scMinUnitLabel, scMinUnit, scMinUnitAuto}) {
    w->setVisible(!log);
  }
  OpenOn(pageIndex, AlignmentPage);
}

void TFormatOptionsForm::OpenChartArea(const TChartArea& chartArea, int pageIndex,
                                       const QString& name) {
  Begin(TPart::ChartArea, name);
  mFilling = true;
  FillPatterns(chartArea.Patterns());
  mFilling = false;
  OpenOn(pageIndex, PatternsPage);
}

void TFormatOptionsForm::OpenLegend(const TLegend& legend, int pageIndex, const QString& name) {
  Begin(TPart::Legend, name);
  mFilling = true;
  FillFont(legend.Font());
  FillPatterns(legend.Patterns());
  FillPlacement(legend.Placement());
  mFilling = false;
  OpenOn(pageIndex, FontPage);
}

void TFormatOptionsForm::OpenSeries(const TSeries& series, int pageIndex, const QString& name) {
  Begin(TPart::Series, name);
  mFilling = true;
  FillMarker(series.Marker());
  FillPatterns(series.Patterns());
  mRange.Assign(series.Range());
  mFilling = false;
  OpenOn(pageIndex, PatternsPage);
}

void TFormatOptionsForm::OpenTitle(const TTitle& title, int pageIndex, const QString& name) {
  Begin(TPart::Title, name);
  mFilling = true;
  FillAlignment(title.Alignment());
  FillFont(title.Font());
  FillPatterns(title.Patterns());
  mFilling = false;
  OpenOn(pageIndex, AlignmentPage);
}

// ---- Writing back ----

void TFormatOptionsForm::WriteAlignment(TMyAlignment& alignment) const {
  alignment.SetAlignment(mAlignment.Alignment());
  alignment.SetOrientation(mAlignment.Orientation());
}

void TFormatOptionsForm::WriteFont(TFont& font) const {
  font.SetColor(mFont.Color());
  font.SetName(mFont.Name());
  font.SetSize(mFont.Size());
  font.SetStyle(mFont.Style());
}

void TFormatOptionsForm::WritePatterns(TPatterns& patterns) const {
  patterns.Area().SetColor(mPatterns.Area().Color());
  patterns.Border().SetColor(mPatterns.Border().Color());
  patterns.Area().SetStyle(mPatterns.Area().Style());
  patterns.Border().SetStyle(mPatterns.Border().Style());
  patterns.Border().SetWidth(mPatterns.Border().Width());
}

void TFormatOptionsForm::WriteMarker(TMarker& marker) const {
  marker.SetColor(mMarker.Color());
  marker.SetStyle(mMarker.Style());
  marker.SetSize(mMarker.Size());
}

void TFormatOptionsForm::WriteScale(TScale& scale) const {
  scale.SetMax(mScale.Max());
  scale.SetMin(mScale.Min());
  scale.SetMajorUnit(mScale.MajorUnit());
  scale.SetMinorUnit(mScale.MinorUnit());
  scale.SetMaxAutomatic(mScale.MaxAutomatic());
  scale.SetMinAutomatic(mScale.MinAutomatic());
  scale.SetMajorUnitAutomatic(mScale.MajorUnitAutomatic());
  scale.SetMinorUnitAutomatic(mScale.MinorUnitAutomatic());
  scale.SetLogScale(mScale.LogScale());
}

TPlacement TFormatOptionsForm::ChosenPlacement() const {
  if (!pmShowLegend->isChecked()) return TPlacement::plNone;
  if (pmLeft->isChecked()) return TPlacement::plLeft;
  if (pmRight->isChecked()) return TPlacement::plRight;
  if (pmTop->isChecked()) return TPlacement::plTop;
  return TPlacement::plBottom;
}

void TFormatOptionsForm::ApplyAxis(TAxis& axis) const {
  WriteAlignment(axis.Alignment());
  WriteFont(axis.Font());
  WritePatterns(axis.Patterns());
  WriteScale(axis.Scale());
}

void TFormatOptionsForm::ApplyChartArea(TChartArea& chartArea) const {
  WritePatterns(chartArea.Patterns());
}

void TFormatOptionsForm::ApplyLegend(TLegend& legend) const {
  WriteFont(legend.Font());
  WritePatterns(legend.Patterns());
  legend.SetPlacement(ChosenPlacement());
}

void TFormatOptionsForm::ApplySeries(TSeries& series) const {
  WriteMarker(series.Marker());
  WritePatterns(series.Patterns());
  const auto readRange = [this](QLineEdit* edit, void (TSeriesRange::*set)(const TCellRange&),
                                TSeriesRange& target) {
    const std::string text = edit->text().trimmed().toStdString();
    if (text.empty()) return;
    const TCellRangeParse parse = ParseCellRange(text);
    if (!parse.IsSuccess()) {
      mUi->MessageBox(parse.Message, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
      return;
    }
    const TCellRange& r = parse.Range;
    if (r.FirstCol >= 1 && r.FirstRow >= 1 && r.LastCol >= 1 && r.LastRow >= 1) {
      (target.*set)(r);
    }
  };
  readRange(raXValues, &TSeriesRange::SetXRange, series.Range());
  readRange(raYValues, &TSeriesRange::SetYRange, series.Range());
  if (raY_Axis->isChecked()) series.Range().SetYAxis(1);
  if (raSecondaryY_Axis->isChecked()) series.Range().SetYAxis(2);
}

void TFormatOptionsForm::ApplyTitle(TTitle& title) const {
  WriteAlignment(title.Alignment());
  WriteFont(title.Font());
  WritePatterns(title.Patterns());
}

bool TFormatOptionsForm::ExecuteAxis(TAxis& axis, int& pageIndex, const QString& name) {
  OpenAxis(axis, pageIndex, name);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) ApplyAxis(axis);
  pageIndex = PageIndex();
  return ok;
}

bool TFormatOptionsForm::ExecuteChartArea(TChartArea& chartArea, int& pageIndex,
                                          const QString& name) {
  OpenChartArea(chartArea, pageIndex, name);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) ApplyChartArea(chartArea);
  pageIndex = PageIndex();
  return ok;
}

bool TFormatOptionsForm::ExecuteLegend(TLegend& legend, int& pageIndex, const QString& name) {
  OpenLegend(legend, pageIndex, name);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) ApplyLegend(legend);
  pageIndex = PageIndex();
  return ok;
}

bool TFormatOptionsForm::ExecuteSeries(TSeries& series, int& pageIndex, const QString& name) {
  OpenSeries(series, pageIndex, name);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) ApplySeries(series);
  pageIndex = PageIndex();
  return ok;
}

bool TFormatOptionsForm::ExecuteTitle(TTitle& title, int& pageIndex, const QString& name) {
  OpenTitle(title, pageIndex, name);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) ApplyTitle(title);
  pageIndex = PageIndex();
  return ok;
}

}  // namespace aqv

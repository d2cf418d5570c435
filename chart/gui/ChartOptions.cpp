#include "chart/gui/ChartOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace aqv {

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

TChartOptionsForm::TChartOptionsForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Chart options"));
  setObjectName(QStringLiteral("ChartOptionsForm"));
  OptionPages = Named(new QTabWidget(this), "OptionPages");
  AxesPage = new QWidget;
  LegendPage = new QWidget;
  TitlesPage = new QWidget;
  OptionPages->addTab(AxesPage, QStringLiteral("Axes and grid"));
  OptionPages->addTab(LegendPage, QStringLiteral("Legend"));
  OptionPages->addTab(TitlesPage, QStringLiteral("Titles"));

  // Axes
  axGroupBox1 = Named(new QGroupBox(QStringLiteral("Axes "), AxesPage), "axGroupBox1");
  auto* axes = new QVBoxLayout(axGroupBox1);
  axX_Axis = Named(new QCheckBox(QStringLiteral("Show x-axis"), axGroupBox1), "axX_Axis");
  axY_Axis = Named(new QCheckBox(QStringLiteral("Show y-axis"), axGroupBox1), "axY_Axis");
  axSecY_Axis =
      Named(new QCheckBox(QStringLiteral("Show secondary y-axis"), axGroupBox1), "axSecY_Axis");
  axes->addWidget(axX_Axis);
  axes->addWidget(axY_Axis);
  axes->addWidget(axSecY_Axis);
  auto* axesLayout = new QVBoxLayout(AxesPage);
  axesLayout->addWidget(axGroupBox1);
  axesLayout->addStretch();
  axGroupBox1->setMaximumWidth(220);

  // Legend
  leShowLegend = Named(new QCheckBox(QStringLiteral("Show legend"), LegendPage), "leShowLegend");
  leRadioGroup1 = Named(new QGroupBox(QStringLiteral("Placement "), LegendPage), "leRadioGroup1");
  auto* radios = new QVBoxLayout(leRadioGroup1);
  leLeft = Named(new QRadioButton(QStringLiteral("Left"), leRadioGroup1), "leLeft");
  leRight = Named(new QRadioButton(QStringLiteral("Right"), leRadioGroup1), "leRight");
  leTop = Named(new QRadioButton(QStringLiteral("Top"), leRadioGroup1), "leTop");
  leBottom = Named(new QRadioButton(QStringLiteral("Bottom"), leRadioGroup1), "leBottom");
  for (QRadioButton* button : {leLeft, leRight, leTop, leBottom}) radios->addWidget(button);
  leBottom->setChecked(true);
  auto* legendLayout = new QVBoxLayout(LegendPage);
  legendLayout->addWidget(leShowLegend);
  legendLayout->addWidget(leRadioGroup1);
  legendLayout->addStretch();
  leRadioGroup1->setMaximumWidth(220);
  connect(leShowLegend, &QCheckBox::toggled, this, &TChartOptionsForm::EnablePlacement);

  // Titles
  auto* titles = new QGridLayout(TitlesPage);
  titles->addWidget(new QLabel(QStringLiteral("Automatic"), TitlesPage), 0, 2);
  const auto row = [&](int r, const QString& caption, const char* editName, const char* boxName,
                       QLineEdit*& edit, QCheckBox*& box) {
    auto* label = new QLabel(caption, TitlesPage);
    edit = Named(new QLineEdit(TitlesPage), editName);
    box = Named(new QCheckBox(TitlesPage), boxName);
    titles->addWidget(label, r, 0);
    titles->addWidget(edit, r, 1);
    titles->addWidget(box, r, 2, Qt::AlignHCenter);
    return label;
  };
  row(1, QStringLiteral("Chart title:"), "tiChartTitle", "tiChartTitleAuto", tiChartTitle,
      tiChartTitleAuto);
  row(2, QStringLiteral("X-axis title:"), "tiX_axisTitle", "tiXAxisTitleAuto", tiX_axisTitle,
      tiXAxisTitleAuto);
  row(3, QStringLiteral("Y-axis title:"), "tiY_AxisTitle", "tiYAxisTitleAuto", tiY_AxisTitle,
      tiYAxisTitleAuto);
  tiSecY_AxisLabel = row(4, QStringLiteral("Secondary y-axis title:"), "tiSecY_AxisTitle",
                         "tiSecondaryYAxisAuto", tiSecY_AxisTitle, tiSecondaryYAxisAuto);
  tiSecY_AxisTitle->setText(QStringLiteral("Secondary y-axis"));
  titles->setRowStretch(5, 1);
  // A title the user types is no longer automatic.
  connect(tiChartTitle, &QLineEdit::textChanged, this,
          [this] { tiChartTitleAuto->setChecked(false); });
  connect(tiX_axisTitle, &QLineEdit::textChanged, this,
          [this] { tiXAxisTitleAuto->setChecked(false); });
  connect(tiY_AxisTitle, &QLineEdit::textChanged, this,
          [this] { tiYAxisTitleAuto->setChecked(false); });

  OKButton = Named(new QPushButton(QStringLiteral("OK"), this), "OKButton");
  CancelButton = Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelButton");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(OptionPages);
  layout->addLayout(buttons);
  // The designed size, grown where the controls' texts need more.
  setFixedSize(QSize(430, 249).expandedTo(minimumSizeHint()));

  // Keyboard preview: Enter confirms and Escape cancels from every control.
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TChartOptionsForm::EnablePlacement(bool on) {
  leRadioGroup1->setEnabled(on);
  for (QRadioButton* button : {leLeft, leRight, leTop, leBottom}) button->setEnabled(on);
}

bool TChartOptionsForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      accept();
      return true;
    }
    if (key == Qt::Key_Escape) {
      reject();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TChartOptionsForm::Open(TAxisTypes axes, const TLegend& legend, const TTitle& chartTitle,
                             const TTitle& xTitle, const TTitle& yTitle, int pageIndex) {
  axX_Axis->setChecked(axes.Contains(TAxisType::saX));
  axY_Axis->setChecked(axes.Contains(TAxisType::saY));
  axSecY_Axis->hide();

  const TPlacement placement = legend.Placement();
  leShowLegend->setChecked(placement != TPlacement::plNone);
  EnablePlacement(placement != TPlacement::plNone);
  switch (placement) {
    case TPlacement::plBottom:
      leBottom->setChecked(true);
      break;
    case TPlacement::plLeft:
      leLeft->setChecked(true);
      break;
    case TPlacement::plRight:
      leRight->setChecked(true);
      break;
    case TPlacement::plTop:
      leTop->setChecked(true);
      break;
    case TPlacement::plNone:
      break;  // the form's choice (bottom) stays
  }

  // Texts first: setting them unchecks the boxes, which the flags then set right.
  tiChartTitle->setText(QString::fromStdString(chartTitle.Text()));
  tiX_axisTitle->setText(QString::fromStdString(xTitle.Text()));
  tiY_AxisTitle->setText(QString::fromStdString(yTitle.Text()));
  tiSecY_AxisLabel->hide();
  tiSecY_AxisTitle->hide();
  tiSecondaryYAxisAuto->hide();
  tiChartTitleAuto->setChecked(chartTitle.Automatic());
  tiXAxisTitleAuto->setChecked(xTitle.Automatic());
  tiYAxisTitleAuto->setChecked(yTitle.Automatic());

  if (pageIndex >= 0 && pageIndex < OptionPages->count() && OptionPages->isTabVisible(pageIndex)) {
    OptionPages->setCurrentIndex(pageIndex);
  } else {
    OptionPages->setCurrentWidget(AxesPage);
  }
}

void TChartOptionsForm::Apply(TAxisTypes& axes, TLegend& legend, TTitle& chartTitle, TTitle& xTitle,
                              TTitle& yTitle) const {
  TAxisTypes shown;
  if (axX_Axis->isChecked()) shown.Include(TAxisType::saX);
  if (axY_Axis->isChecked()) shown.Include(TAxisType::saY);
  axes = shown;

  if (!leShowLegend->isChecked()) {
    legend.SetPlacement(TPlacement::plNone);
  } else if (leLeft->isChecked()) {
    legend.SetPlacement(TPlacement::plLeft);
  } else if (leRight->isChecked()) {
    legend.SetPlacement(TPlacement::plRight);
  } else if (leTop->isChecked()) {
    legend.SetPlacement(TPlacement::plTop);
  } else {
    legend.SetPlacement(TPlacement::plBottom);
  }

  chartTitle.SetText(tiChartTitle->text().toStdString());
  xTitle.SetText(tiX_axisTitle->text().toStdString());
  yTitle.SetText(tiY_AxisTitle->text().toStdString());
  chartTitle.SetAutomatic(tiChartTitleAuto->isChecked());
  xTitle.SetAutomatic(tiXAxisTitleAuto->isChecked());
  yTitle.SetAutomatic(tiYAxisTitleAuto->isChecked());
}

int TChartOptionsForm::PageIndex() const {
  return OptionPages->currentIndex();
}

bool TChartOptionsForm::Execute(TAxisTypes& axes, TLegend& legend, TTitle& chartTitle,
                                TTitle& xTitle, TTitle& yTitle, TTitle& /*secondaryYTitle*/,
                                int& pageIndex) {
  Open(axes, legend, chartTitle, xTitle, yTitle, pageIndex);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) Apply(axes, legend, chartTitle, xTitle, yTitle);
  pageIndex = PageIndex();
  return ok;
}

}  // namespace aqv

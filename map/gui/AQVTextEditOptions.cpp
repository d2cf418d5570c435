#include "map/gui/AQVTextEditOptions.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/MyColorgrd.h"
#include "controls/MySpin.h"
#include "controls/QtDrawing.h"

namespace aqv {

namespace {

constexpr TPenStyle kItemStyles[6] = {TPenStyle::psClear,      TPenStyle::psSolid,
                                      TPenStyle::psDash,       TPenStyle::psDashDot,
                                      TPenStyle::psDashDotDot, TPenStyle::psDot};

// "More colors..." beside a colour grid: the colour dialog preset to the current colour.
QPushButton* MoreColorsButton(QWidget* parent, std::function<TColor()> current,
                              std::function<void(TColor)> chosen) {
  auto* button = new QPushButton(QStringLiteral("More colors..."), parent);
  QObject::connect(button, &QPushButton::clicked, parent, [=] {
    const QColor colour = QColorDialog::getColor(ToQColor(current()), parent);
    if (colour.isValid()) chosen(FromQColor(colour));
  });
  return button;
}

}  // namespace

TAQVTextEditOptionsForm::TAQVTextEditOptionsForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Text options"));
  auto* layout = new QVBoxLayout(this);
  auto* pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("OptionsPage"));

  auto* font = new QWidget;
  auto* fontLayout = new QGridLayout(font);
  mName = new QListWidget;
  mName->addItems(QFontDatabase::families());
  mSize = new QListWidget;
  for (const char* size :
       {"6", "8", "10", "12", "14", "16", "18", "20", "22", "24", "36", "48", "72"})
    mSize->addItem(QString::fromLatin1(size));
  mFontColor = new TMyColorGrid;
  auto* effects = new QGroupBox(QStringLiteral("Effects "));
  auto* effectsLayout = new QVBoxLayout(effects);
  mBold = new QCheckBox(QStringLiteral("Bold"));
  mItalic = new QCheckBox(QStringLiteral("Italics"));
  mUnderline = new QCheckBox(QStringLiteral("Underline"));
  mStrikeOut = new QCheckBox(QStringLiteral("StrikeOut"));
  for (QCheckBox* box : {mBold, mItalic, mUnderline, mStrikeOut}) effectsLayout->addWidget(box);
  auto* alignment = new QGroupBox(QStringLiteral("Alignment"));
  auto* alignmentLayout = new QVBoxLayout(alignment);
  mLeft = new QRadioButton(QStringLiteral("Left"));
  mRight = new QRadioButton(QStringLiteral("Right"));
  mCenter = new QRadioButton(QStringLiteral("Center"));
  for (QRadioButton* b : {mLeft, mRight, mCenter}) alignmentLayout->addWidget(b);
  mPreview = new QLabel(QStringLiteral("On the north pole, the only way to go is south."));
  mPreview->setFrameShape(QFrame::Box);
  mPreview->setMinimumHeight(40);
  fontLayout->addWidget(new QLabel(QStringLiteral("Name:")), 0, 0);
  fontLayout->addWidget(new QLabel(QStringLiteral("Size:")), 0, 1);
  fontLayout->addWidget(new QLabel(QStringLiteral("Color:")), 0, 2);
  fontLayout->addWidget(mName, 1, 0, 3, 1);
  fontLayout->addWidget(mSize, 1, 1, 3, 1);
  fontLayout->addWidget(mFontColor, 1, 2);
  fontLayout->addWidget(MoreColorsButton(
                            this, [this] { return mWorking.Font.Color; },
                            [this](TColor c) {
                              mWorking.Font.Color = c;
                              ShowWorking();
                            }),
                        2, 2);
  fontLayout->addWidget(effects, 1, 3);
  fontLayout->addWidget(alignment, 2, 3);
  fontLayout->addWidget(new QLabel(QStringLiteral("Preview:")), 4, 0);
  fontLayout->addWidget(mPreview, 5, 0, 1, 4);
  pages->addTab(font, QStringLiteral("Font"));

  auto* background = new QWidget;
  auto* backgroundLayout = new QGridLayout(background);
  mBackgroundColor = new TMyColorGrid;
  mBackgroundColor->setObjectName(QStringLiteral("bgColor"));
  mBackgroundColor->installEventFilter(this);
  mTransparent = new QCheckBox(QStringLiteral("Transparent"));
  mTransparent->setObjectName(QStringLiteral("bgTransparent"));
  backgroundLayout->addWidget(new QLabel(QStringLiteral("Color:")), 0, 0);
  backgroundLayout->addWidget(mBackgroundColor, 1, 0);
  backgroundLayout->addWidget(MoreColorsButton(
                                  this, [this] { return mWorking.Color; },
                                  [this](TColor c) {
                                    mWorking.Color = c;
                                    mWorking.ClearBackground = false;
                                    ShowWorking();
                                  }),
                              2, 0);
  backgroundLayout->addWidget(mTransparent, 1, 1);
  pages->addTab(background, QStringLiteral("Background"));

  auto* border = new QWidget;
  auto* borderLayout = new QGridLayout(border);
  mBorderColor = new TMyColorGrid;
  mBorderSize = new TMySpinEdit;
  mBorderSize->setObjectName(QStringLiteral("BdSize"));
  mBorderSize->SetMinValue(0);
  mBorderSize->SetMaxValue(5);
  mBorderStyle = new QComboBox;
  mBorderStyle->setObjectName(QStringLiteral("bdStyle"));
  mBorderStyle->addItems({QStringLiteral("Clear"), QStringLiteral("Solid"), QStringLiteral("Dash"),
                          QStringLiteral("Dash dot"), QStringLiteral("Dash dot dot"),
                          QStringLiteral("Dot")});
  borderLayout->addWidget(new QLabel(QStringLiteral("Color:")), 0, 0);
  borderLayout->addWidget(mBorderColor, 1, 0, 3, 1);
  borderLayout->addWidget(MoreColorsButton(
                              this, [this] { return mWorking.FrameColor; },
                              [this](TColor c) {
                                mWorking.FrameColor = c;
                                ShowWorking();
                              }),
                          4, 0);
  borderLayout->addWidget(new QLabel(QStringLiteral("Size:")), 0, 1);
  borderLayout->addWidget(mBorderSize, 1, 1);
  borderLayout->addWidget(new QLabel(QStringLiteral("Style:")), 2, 1);
  borderLayout->addWidget(mBorderStyle, 3, 1);
  pages->addTab(border, QStringLiteral("Border"));

  // Each grid picks one colour: the font and border grids the foreground, the background grid
  // the background.
  mFontColor->SetBackgroundEnabled(false);
  mBorderColor->SetBackgroundEnabled(false);
  mBackgroundColor->SetForegroundEnabled(false);
  layout->addWidget(pages);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  auto edit = [this](auto change) {
    return [this, change] {
      if (mUpdating) return;
      change();
      ShowWorking();
    };
  };
  connect(mName, &QListWidget::currentTextChanged, this,
          edit([this] { mWorking.Font.Name = mName->currentItem()->text().toStdString(); }));
  connect(mSize, &QListWidget::currentTextChanged, this,
          edit([this] { mWorking.Font.Size = mSize->currentItem()->text().toInt(); }));
  const std::pair<QCheckBox*, TFontStyle> styles[4] = {{mBold, TFontStyle::fsBold},
                                                       {mItalic, TFontStyle::fsItalic},
                                                       {mUnderline, TFontStyle::fsUnderline},
                                                       {mStrikeOut, TFontStyle::fsStrikeOut}};
  for (const auto& [box, style] : styles) {
    connect(box, &QCheckBox::toggled, this,
            edit([this, box, style] { mWorking.Font.Style.Set(style, box->isChecked()); }));
  }
  // Only the button turned on speaks: the one turned off goes first, and showing the working
  // copy then would check it again and undo the click.
  const std::pair<QRadioButton*, int> alignments[3] = {{mLeft, 1}, {mCenter, 2}, {mRight, 3}};
  for (const auto& [button, value] : alignments) {
    connect(button, &QRadioButton::toggled, this,
            [set = edit([this, value] { mWorking.Alignment = value; })](bool on) {
              if (on) set();
            });
  }
  connect(mFontColor, &TMyColorGrid::Changed, this,
          edit([this] { mWorking.Font.Color = mFontColor->ForegroundColor(); }));
  connect(mBackgroundColor, &TMyColorGrid::Changed, this,
          edit([this] { mWorking.Color = mBackgroundColor->BackgroundColor(); }));
  connect(mTransparent, &QCheckBox::toggled, this,
          edit([this] { mWorking.ClearBackground = mTransparent->isChecked(); }));
  connect(mBorderColor, &TMyColorGrid::Changed, this,
          edit([this] { mWorking.FrameColor = mBorderColor->ForegroundColor(); }));
  connect(mBorderStyle, &QComboBox::currentIndexChanged, this, [this](int item) {
    if (!mUpdating) SetBorderStyleItem(item);
  });
  connect(mBorderSize, &QLineEdit::textChanged, this, [this] {
    if (!mUpdating) SetBorderWidth(mBorderSize->Value());
  });
}

void TAQVTextEditOptionsForm::SetTarget(TAQVTextBoxRecord* target) {
  mTarget = target;
  if (target) mWorking = *target;
  ShowWorking();
}

int TAQVTextEditOptionsForm::BorderStyleItem() const {
  for (int i = 0; i < 6; ++i)
    if (kItemStyles[i] == mWorking.FramePenStyle) return i;
  return bsSolid;
}

void TAQVTextEditOptionsForm::SetBorderStyleItem(int item) {
  item = std::clamp(item, 0, 5);
  mWorking.FramePenStyle = kItemStyles[item];
  if (item == bsClear)
    mWorking.FrameWidth = 0;
  else if (item != bsSolid && mWorking.FrameWidth != 1)
    mWorking.FrameWidth = 1;
  else if (item == bsSolid && mWorking.FrameWidth == 0)
    mWorking.FrameWidth = 1;
  ShowWorking();
}

void TAQVTextEditOptionsForm::SetBorderWidth(int width) {
  width = std::clamp(width, 0, 5);
  if (width == 0)
    mWorking.FramePenStyle = TPenStyle::psClear;
  else if (width > 1)
    mWorking.FramePenStyle = TPenStyle::psSolid;
  mWorking.FrameWidth = width;
  ShowWorking();
}

void TAQVTextEditOptionsForm::ShowWorking() {
  mUpdating = true;
  const auto names = mName->findItems(QString::fromStdString(mWorking.Font.Name), Qt::MatchExactly);
  if (!names.isEmpty()) mName->setCurrentItem(names.front());
  const auto sizes = mSize->findItems(QString::number(mWorking.Font.Size), Qt::MatchExactly);
  if (!sizes.isEmpty()) mSize->setCurrentItem(sizes.front());
  mBold->setChecked(mWorking.Font.Style.Contains(TFontStyle::fsBold));
  mItalic->setChecked(mWorking.Font.Style.Contains(TFontStyle::fsItalic));
  mUnderline->setChecked(mWorking.Font.Style.Contains(TFontStyle::fsUnderline));
  mStrikeOut->setChecked(mWorking.Font.Style.Contains(TFontStyle::fsStrikeOut));
  (mWorking.Alignment == 2 ? mCenter : mWorking.Alignment == 3 ? mRight : mLeft)->setChecked(true);
  mFontColor->SetForegroundIndex(TMyColorGrid::ColorToIndex(mWorking.Font.Color));
  mBackgroundColor->SetBackgroundIndex(TMyColorGrid::ColorToIndex(mWorking.Color));
  mTransparent->setChecked(mWorking.ClearBackground);
  mBorderColor->SetForegroundIndex(TMyColorGrid::ColorToIndex(mWorking.FrameColor));
  mBorderSize->SetValue(mWorking.FrameWidth);
  mBorderStyle->setCurrentIndex(BorderStyleItem());
  UpdatePreview();
  mUpdating = false;
}

void TAQVTextEditOptionsForm::UpdatePreview() {
  mPreview->setFont(MakeQFont(mWorking.Font));
  QPalette palette = mPreview->palette();
  palette.setColor(QPalette::WindowText, ToQColor(mWorking.Font.Color));
  palette.setColor(QPalette::Window, ToQColor(mWorking.ClearBackground ? clWhite : mWorking.Color));
  mPreview->setAutoFillBackground(true);
  mPreview->setPalette(palette);
  mPreview->setAlignment((mWorking.Alignment == 2   ? Qt::AlignHCenter
                          : mWorking.Alignment == 3 ? Qt::AlignRight
                                                    : Qt::AlignLeft) |
                         Qt::AlignVCenter);
}

bool TAQVTextEditOptionsForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mBackgroundColor && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    // Picking a background colour with the right button means the box gets that background.
    mWorking.ClearBackground = false;
    ShowWorking();
  }
  return QDialog::eventFilter(watched, event);
}

void TAQVTextEditOptionsForm::accept() {
  if (mTarget) {
    const std::string text = mTarget->Text;
    *mTarget = mWorking;
    mTarget->Text = text;  // the text may have been typed meanwhile
  }
  QDialog::accept();
}

}  // namespace aqv

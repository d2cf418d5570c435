#include "app/gui/About.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/AQVElements.h"

// The program's pictures are compiled into its static library, whose resources register only
// when asked; this must happen outside any namespace.
static void InitProgramResources() {
  Q_INIT_RESOURCE(resources);
}

namespace aqv {

QPixmap ProgramPicture(int size) {
  static const bool registered = (InitProgramResources(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/aqv/aqv.svg")).pixmap(size, size);
}

namespace {

QLabel* NameLabel(const QString& text, int pointSize, bool bold, bool italic, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font(QStringLiteral("Arial"), pointSize);
  font.setBold(bold);
  font.setItalic(italic);
  label->setFont(font);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  auto* programIcon = new QLabel(panel);
  programIcon->setObjectName(QStringLiteral("ProgramIcon"));
  programIcon->setPixmap(ProgramPicture(64));
  auto* productName = NameLabel(QStringLiteral("AQV"), 16, true, false, panel);
  productName->setObjectName(QStringLiteral("ProductName"));
  auto* productName1 = NameLabel(QStringLiteral("for Windows"), 16, false, true, panel);
  productName1->setObjectName(QStringLiteral("ProductName1"));
  mVersion = new QLabel(QStringLiteral("Version 0.00Beta"), panel);
  mVersion->setObjectName(QStringLiteral("Version"));
  auto* comments = new QLabel(QString::fromUtf8(kProgramDescription), panel);
  comments->setObjectName(QStringLiteral("Comments"));
  QFont bold = comments->font();
  bold.setBold(true);
  comments->setFont(bold);
  comments->setWordWrap(true);
  mCopyRightLabel = new QLabel(panel);
  mCopyRightLabel->setObjectName(QStringLiteral("CopyRightLabel"));
  auto* comments2 = new QLabel(QString::fromUtf8(kCreditsText), panel);
  comments2->setObjectName(QStringLiteral("Comments2"));
  comments2->setWordWrap(true);

  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(programIcon);
  auto* names = new QVBoxLayout;
  names->addWidget(productName);
  names->addWidget(productName1);
  nameRow->addLayout(names, 1);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addLayout(nameRow);
  panelLayout->addWidget(mVersion);
  panelLayout->addWidget(comments);
  panelLayout->addWidget(mCopyRightLabel);
  panelLayout->addWidget(comments2);

  mOKButton = new QPushButton(QStringLiteral("OK"), this);
  mOKButton->setObjectName(QStringLiteral("OKButton"));
  mOKButton->setDefault(true);
  connect(mOKButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addWidget(mOKButton, 0, Qt::AlignHCenter);
  setFixedWidth(360);
}

void TAboutBox::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TAboutBox::FormShow() {
  mVersion->setText(QString::fromStdString(Globals().EditionLabel));
  mCopyRightLabel->setText(QString::fromUtf8(kCopyrightText));
}

}  // namespace aqv

#include "app/gui/Splash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/gui/About.h"

namespace aqv {

namespace {

QLabel* ArialLabel(const QString& text, int pixelSize, bool bold, bool italic, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  label->setFont(font);
  return label;
}

}  // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      mTimer(new QTimer(this)) {
  setObjectName(QStringLiteral("SplashForm"));
  setFixedSize(300, 205);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Box | QFrame::Plain);
  auto* product = ArialLabel(QStringLiteral("AQV"), 32, true, false, panel);
  product->setObjectName(QStringLiteral("ProductLabel"));
  auto* windows = ArialLabel(QStringLiteral("for Windows"), 19, false, true, panel);
  windows->setObjectName(QStringLiteral("WindowsLabel"));
  auto* image = new QLabel(panel);
  image->setObjectName(QStringLiteral("SplashImage"));
  image->setPixmap(ProgramPicture(64));
  auto* description = new QLabel(QString::fromUtf8(kProgramDescription), panel);
  description->setWordWrap(true);
  auto* credits = new QLabel(QString::fromUtf8(kCreditsText), panel);
  credits->setWordWrap(true);
  QFont small = credits->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  credits->setFont(small);

  auto* names = new QVBoxLayout;
  names->addWidget(product);
  names->addWidget(windows);
  auto* top = new QHBoxLayout;
  top->addLayout(names, 1);
  top->addWidget(image);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addLayout(top);
  panelLayout->addWidget(description);
  panelLayout->addWidget(credits);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  mTimer->setInterval(kShowMilliseconds);
  mTimer->setSingleShot(true);
  connect(mTimer, &QTimer::timeout, this, &TSplashForm::TimerTimer);
  mTimer->start();
}

bool TSplashForm::CloseQuery() const {
  return !mTimer->isActive();
}

void TSplashForm::TimerTimer() {
  mTimer->stop();
}

}  // namespace aqv

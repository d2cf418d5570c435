#include "platform/AQVOutputForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace aqv {

namespace {

// Longest wait for a screen event before the run looks at its flags again, milliseconds.
constexpr int kWaitMilliseconds = 50;
// The memo's font: "Courier" 11 pixels high.
constexpr int kMemoFontPixels = 11;

QString ToQString(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TAQVOutputForm::TAQVOutputForm(QWidget* transientParent) {
  setWindowTitle(ToQString(std::string(kConsoleCaption)));
  setModal(false);

  mOutputMemo = new QPlainTextEdit(this);
  mOutputMemo->setObjectName(QStringLiteral("OutputMemo"));
  QFont font(QStringLiteral("Courier"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(kMemoFontPixels);
  mOutputMemo->setFont(font);
  QPalette palette = mOutputMemo->palette();
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Base, Qt::white);
  mOutputMemo->setPalette(palette);
  mOutputMemo->setReadOnly(true);
  mOutputMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  mOutputMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mOutputMemo->setFocusPolicy(Qt::ClickFocus);

  mButtonsPanel = new QWidget(this);
  mButtonsPanel->setObjectName(QStringLiteral("ButtonsPanel"));
  mButtonsPanel->setFixedHeight(kPanelHeight);
  mLeftButton = new QPushButton(mButtonsPanel);
  mLeftButton->setObjectName(QStringLiteral("LeftButton"));
  mRightButton = new QPushButton(mButtonsPanel);
  mRightButton->setObjectName(QStringLiteral("RightButton"));
  for (QPushButton* button : {mLeftButton, mRightButton}) button->setAutoDefault(true);
  connect(mLeftButton, &QPushButton::clicked, this, [this] { LeftButtonClick(); });
  connect(mRightButton, &QPushButton::clicked, this, [this] { RightButtonClick(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(mOutputMemo, 1);
  layout->addWidget(mButtonsPanel, 0);

  resize(kClientWidth, kClientHeight);
  ButtonsChanged();

  // Kept above the window that started the run without being owned by it.
  if (transientParent != nullptr && transientParent->window()->windowHandle() != nullptr) {
    winId();
    if (windowHandle() != nullptr)
      windowHandle()->setTransientParent(transientParent->window()->windowHandle());
  }
}

TAQVOutputForm::~TAQVOutputForm() = default;

void TAQVOutputForm::AddLine(const std::string& line) {
  mOutputMemo->appendPlainText(ToQString(line));
  mOutputMemo->verticalScrollBar()->setValue(mOutputMemo->verticalScrollBar()->maximum());
}

void TAQVOutputForm::FocusLeftButton() {
  mLeftButton->setFocus(Qt::OtherFocusReason);
}

void TAQVOutputForm::Show() {
  show();
  raise();
}

// Once shown the window's frame is known: the whole window is brought onto its screen.
void TAQVOutputForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* shownOn = screen()) {
    const QRect room = shownOn->availableGeometry();
    resize(std::min(width(), WidthOnScreen()), height());
    const QRect outer = frameGeometry();
    // Pushed back from the right and bottom edges, then from the left and top ones.
    const QPoint onScreen(
        std::max(room.left(), std::min(outer.left(), room.right() + 1 - outer.width())),
        std::max(room.top(), std::min(outer.top(), room.bottom() + 1 - outer.height())));
    move(pos() + onScreen - outer.topLeft());
  }
}

int TAQVOutputForm::WidthOnScreen() const {
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return FormWidth();
  const int frame = frameGeometry().width() - width();
  return std::min(FormWidth(), shownOn->availableGeometry().width() - frame);
}

// The run waits in its own loop; each turn handles what the screen has pending and otherwise
// sleeps until a button, a key or the short timer wakes it, so a paused run uses no processor.
void TAQVOutputForm::WaitForMessages() {
  QEventLoop loop;
  QTimer::singleShot(kWaitMilliseconds, &loop, &QEventLoop::quit);
  const QMetaObject::Connection wake =
      connect(this, &TAQVOutputForm::StateChanged, &loop, &QEventLoop::quit);
  loop.exec();
  disconnect(wake);
}

void TAQVOutputForm::Close() {
  if (CloseQuery()) done(QDialog::Accepted);
}

void TAQVOutputForm::reject() {
  if (CloseQuery()) QDialog::reject();
}

void TAQVOutputForm::ButtonsChanged() {
  // The width the run asks for grows with the parameter count, but never past the screen.
  resize(WidthOnScreen(), height());
  const TConsoleButton& left = LeftButton();
  const TConsoleButton& right = RightButton();
  mLeftButton->setText(ToQString(left.Caption));
  mLeftButton->setEnabled(left.Enabled);
  mRightButton->setText(ToQString(right.Caption));
  mRightButton->setEnabled(right.Enabled);
  PlaceButtons();
  emit StateChanged();
}

void TAQVOutputForm::PlaceButtons() {
  // The buttons keep their places, but grow when the screen font makes a caption such as
  // "Accept result" wider than the button; the pair then moves left to stay on the window,
  // also when the window is narrower than the run asked for.
  const int buttonWidth =
      std::max({kButtonWidth, mLeftButton->sizeHint().width(), mRightButton->sizeHint().width()});
  const int gap = RightButton().Left - LeftButton().Left - kButtonWidth;
  const int leftX = std::max(0, std::min(LeftButton().Left, width() - 2 * buttonWidth - gap - 8));
  mLeftButton->setGeometry(leftX, kButtonTop, buttonWidth, kButtonHeight);
  mRightButton->setGeometry(leftX + buttonWidth + gap, kButtonTop, buttonWidth, kButtonHeight);
}

void TAQVOutputForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PlaceButtons();
}

// Escape pauses a running fit; it must not reach QDialog, which would close the window.
void TAQVOutputForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    EscapePressed();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAQVOutputForm::closeEvent(QCloseEvent* event) {
  if (CloseQuery())
    event->accept();
  else
    event->ignore();
}

}  // namespace aqv

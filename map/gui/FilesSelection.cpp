#include "map/gui/FilesSelection.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "map/ImageRaster.h"
#include "map/WorldFileReader.h"
#include "model/file/WorldFile.h"
#include "platform/GuardedCall.h"
#include "platform/QtUserInterface.h"

namespace aqv {

namespace {

constexpr int kClientWidth = 418;
constexpr int kClientHeight = 306;
constexpr int kMinWidth = 400;
constexpr int kMinHeight = 300;
// A world file is six short lines; the status bar needs no more of a longer file.
constexpr std::int64_t kMaxWorldFileBytes = 1 << 20;
constexpr const char* kPanelCaptions[4] = {
    "X pixelsize: ", "Y pixelsize: ", "X left coord: ", "Y top coord: "};
// World-file lines shown in the panels: A, E, X0 and Y0 (1-based lines 1, 4, 5, 6).
constexpr int kPanelLines[4] = {0, 3, 4, 5};
// The longest panel text the panels stand side by side for: a coordinate of seven digits
// before the point and three after it. Longer values show shortened, whole in the hint.
constexpr const char* kWidestPanelText = "X left coord: -0000000.000";
constexpr int kPanelSpacing = 2;
// An entry keeps its file name apart from its text, which marks an entry not loaded.
constexpr int kFileNameRole = Qt::UserRole;
constexpr int kUnloadedRole = Qt::UserRole + 1;

QString EntryFileName(const QListWidgetItem* item) {
  return item->data(kFileNameRole).toString();
}

bool IsUnloaded(const QListWidgetItem* item) {
  return item->data(kUnloadedRole).toBool();
}

// A number of a world-file line read with "." and, when that fails, with ","; neither gives
// the conversion error that the caller shows.
double ReadPanelNumber(std::string_view line) {
  double value = 0;
  if (ParseWorldFileNumber(line, '.', value) || ParseWorldFileNumber(line, ',', value))
    return value;
  throw std::runtime_error("'" + std::string(line.substr(0, 40)) +
                           "' is not a valid floating point value");
}

QString ShortestText(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return QString::fromLatin1(buffer, static_cast<int>(end - buffer));
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

TFilesSelectionForm::TFilesSelectionForm(TUserInterface& ui, QWidget* parent)
    : QDialog(parent), mUi(ui) {
  setWindowTitle("Files selection");
  setWindowFlag(Qt::Tool);
  setSizeGripEnabled(true);
  setProperty("HelpKeyword", QStringLiteral("image_import"));

  mFSListbox = new QListWidget(this);
  mFSListbox->setObjectName("FSListbox");
  mFSListbox->setMouseTracking(true);
  mAddButton = new QPushButton("&Add", this);
  mDeleteButton = new QPushButton("&Delete", this);
  mOKButton = new QPushButton("&OK", this);
  mCancelButton = new QPushButton("&Cancel", this);
  mOKButton->setDefault(true);
  mStatusBar1 = new QWidget(this);
  mStatusBar1->setObjectName("StatusBar1");
  auto* panels = new QGridLayout(mStatusBar1);
  panels->setContentsMargins(0, 0, 0, kPanelSpacing);
  panels->setSpacing(kPanelSpacing);
  QFont panelFont = font();
  panelFont.setPointSizeF(panelFont.pointSizeF() * 0.9);
  for (QLabel*& panel : mPanels) {
    panel = new QLabel(mStatusBar1);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setFont(panelFont);
    // The panels share the width equally, whatever their texts; a text too long is shortened.
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    panel->installEventFilter(this);
  }

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(mAddButton);
  buttons->addWidget(mDeleteButton);
  buttons->addStretch(1);
  buttons->addWidget(mOKButton);
  buttons->addWidget(mCancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 0);
  layout->addWidget(mFSListbox, 1);
  layout->addLayout(buttons);
  layout->addWidget(mStatusBar1);

  setMinimumSize(kMinWidth, kMinHeight);
  resize(kClientWidth, kClientHeight);
  ArrangePanels();

  OpenFile = [this](std::string& fileName) { return DefaultOpenFile(fileName); };
  connect(mAddButton, &QPushButton::clicked, this,
          [this] { GuardedCall(mUi, [this] { AddButtonClick(); }); });
  connect(mDeleteButton, &QPushButton::clicked, this,
          [this] { GuardedCall(mUi, [this] { DeleteButtonClick(); }); });
  connect(mOKButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(mCancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(mFSListbox, &QListWidget::currentRowChanged, this,
          [this] { GuardedCall(mUi, [this] { UpdateStatusBar(); }); });
  connect(mFSListbox, &QListWidget::itemClicked, this,
          [this] { GuardedCall(mUi, [this] { UpdateStatusBar(); }); });
}

void TFilesSelectionForm::Initialize() {
  mFSListbox->clear();
  for (const TBackgroundFile& file : Files) AddEntry(file);
  UpdateStatusBar();
}

void TFilesSelectionForm::AddEntry(const TBackgroundFile& file) {
  auto* item = new QListWidgetItem(mFSListbox);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  SetEntry(item, file);
}

void TFilesSelectionForm::SetEntry(QListWidgetItem* item, const TBackgroundFile& file) {
  const QString fileName = QString::fromStdString(file.FileName);
  const QString text = file.Unloaded ? fileName + kNotLoadedMark : fileName;
  item->setText(text);
  item->setData(kFileNameRole, fileName);
  item->setData(kUnloadedRole, file.Unloaded);
  item->setForeground(
      palette().brush(file.Unloaded ? QPalette::Disabled : QPalette::Active, QPalette::Text));
  item->setCheckState(file.Checked ? Qt::Checked : Qt::Unchecked);
  // The hint over an entry is its whole text, which the list may cut off.
  item->setToolTip(text);
}

bool TFilesSelectionForm::DefaultOpenFile(std::string& fileName) {
  QFileDialog dialog(this, kOpenTitle, QString::fromStdString(mLastDirectory));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setNameFilters(ConvertFileFilter(kImageFilter));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().constFirst().toStdString();
  mLastDirectory = dialog.directory().absolutePath().toStdString();
  return true;
}

void TFilesSelectionForm::AddButtonClick() {
  std::string fileName;
  if (!OpenFile || !OpenFile(fileName)) return;
  const QString name = QString::fromStdString(fileName);
  QListWidgetItem* unloaded = nullptr;  // an entry of this file that could not be loaded
  for (int i = 0; i < mFSListbox->count(); ++i) {
    QListWidgetItem* item = mFSListbox->item(i);
    if (EntryFileName(item).compare(name, Qt::CaseInsensitive) != 0) continue;
    if (!IsUnloaded(item)) {
      mUi.MessageBox(kDuplicateText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
      return;
    }
    unloaded = item;
  }
  const std::string worldName = GetWorldFileName(fileName);
  // A folder or a named pipe where a file belongs is no file that went missing: say so.
  for (const std::string& path : {fileName, worldName})
    if (!path.empty() && FileState(path) == TFileState::fsNotRegular) {
      mUi.MessageBox(path + " is not a regular file.", TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
      return;
    }
  if (worldName.empty() || !IsFile(worldName)) {
    mUi.MessageBox(kNoWorldFileText, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    return;
  }
  if (unloaded != nullptr)
    SetEntry(unloaded, {true, fileName});
  else
    AddEntry({true, fileName});
  UpdateStatusBar();
}

void TFilesSelectionForm::DeleteButtonClick() {
  const int row = mFSListbox->currentRow();
  if (row < 0 || row >= mFSListbox->count()) return;
  delete mFSListbox->takeItem(row);
  UpdateStatusBar();
}

void TFilesSelectionForm::ClearPanels() {
  for (int i = 0; i < 4; ++i) SetPanelText(i, {});
}

void TFilesSelectionForm::SetPanelText(int index, const QString& text) {
  QLabel* panel = mPanels[index];
  mPanelTexts[index] = text;
  const int room = panel->width() - 2 * panel->frameWidth() - 4;
  panel->setText(panel->fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, room)));
  panel->setToolTip(text);
}

void TFilesSelectionForm::ShowPanels(const QString& worldFileName) {
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(worldFileName.toStdString(), kMaxWorldFileBytes, bytes).IsSuccess()) return;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const std::vector<std::string_view> lines = WorldFileLines(text, 6);
  if (lines.size() < 6) return;
  QString texts[4];
  for (int i = 0; i < 4; ++i)
    texts[i] = kPanelCaptions[i] +
               ShortestText(ReadPanelNumber(lines[static_cast<std::size_t>(kPanelLines[i])]));
  for (int i = 0; i < 4; ++i) SetPanelText(i, texts[i]);
}

void TFilesSelectionForm::ArrangePanels() {
  // Four in a row where each has room for the widest value expected, as on a wide dialog;
  // two above two on a narrow one, where the row would cut the values off.
  const QLabel* panel = mPanels[0];
  const int needed = panel->fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestPanelText)) +
                     2 * panel->frameWidth() + 4;
  const QMargins margins = layout()->contentsMargins();
  const int row = width() - margins.left() - margins.right();
  const int columns = (row - 3 * kPanelSpacing) / 4 >= needed ? 4 : 2;
  if (columns == mPanelColumns) return;
  mPanelColumns = columns;
  auto* grid = static_cast<QGridLayout*>(mStatusBar1->layout());
  for (QLabel* p : mPanels) grid->removeWidget(p);
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(mPanels[i], i / columns, i % columns);
    grid->setColumnStretch(i, i < columns ? 1 : 0);
  }
}

void TFilesSelectionForm::UpdateStatusBar() {
  ArrangePanels();
  // Values are shown only while they belong to the selected image.
  ClearPanels();
  QListWidgetItem* item = mFSListbox->currentItem();
  if (mFSListbox->count() == 0 || !item) return;
  const std::string worldName = GetWorldFileName(EntryFileName(item).toStdString());
  if (worldName.empty() || !IsFile(worldName)) return;
  ShowPanels(QString::fromStdString(worldName));
}

QString TFilesSelectionForm::PanelText(int index) const {
  return mPanelTexts[index];
}

int TFilesSelectionForm::PanelWidth(int index) const {
  return mPanels[index]->width();
}

void TFilesSelectionForm::done(int result) {
  Files.clear();
  for (int i = 0; i < mFSListbox->count(); ++i) {
    const QListWidgetItem* item = mFSListbox->item(i);
    Files.push_back(
        {item->checkState() == Qt::Checked, EntryFileName(item).toStdString(), IsUnloaded(item)});
  }
  QDialog::done(result);
}

bool TFilesSelectionForm::eventFilter(QObject* watched, QEvent* event) {
  // A panel given a new width by the layout shortens its whole text anew.
  if (event->type() == QEvent::Resize)
    for (int i = 0; i < 4; ++i)
      if (watched == mPanels[i]) SetPanelText(i, mPanelTexts[i]);
  return QDialog::eventFilter(watched, event);
}

void TFilesSelectionForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    setProperty("HelpKeyword", QStringLiteral("import_image"));
    if (OnHelp) GuardedCall(mUi, [this] { OnHelp(); });
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFilesSelectionForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  GuardedCall(mUi, [this] { UpdateStatusBar(); });
}

}  // namespace aqv

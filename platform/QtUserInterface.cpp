#include "platform/QtUserInterface.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include "platform/AQVOutputForm.h"

namespace aqv {

namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The trailing "(...)" of a description, without the parentheses; empty when there is none.
QString TrailingPatterns(const QString& description) {
  static const QRegularExpression trailing(QStringLiteral("\\(([^()]*)\\)\\s*$"));
  const QRegularExpressionMatch match = trailing.match(description);
  return match.hasMatch() ? match.captured(1) : QString();
}

QString WithoutTrailingPatterns(const QString& description) {
  static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QString text = description;
  text.remove(trailing);
  return text.trimmed();
}

// "*.bmp;*.png" gives "*.bmp *.png"; "*.*" gives "*", which on these systems also matches names
// without a dot, as "*.*" does where the filter form comes from.
QString ConvertPatterns(const QString& patterns) {
  QStringList converted;
  for (QString pattern :
       patterns.split(QRegularExpression(QStringLiteral("[;,\\s]+")), Qt::SkipEmptyParts)) {
    if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    if (!converted.contains(pattern)) converted.append(pattern);
  }
  return converted.isEmpty() ? QStringLiteral("*") : converted.join(QLatin1Char(' '));
}

QMessageBox::Icon IconOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtError:
      return QMessageBox::Critical;
    case TMsgDlgType::mtWarning:
      return QMessageBox::Warning;
    case TMsgDlgType::mtConfirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(TMsgDlgButtons buttons) {
  switch (buttons) {
    case TMsgDlgButtons::mbOK:
      return QMessageBox::Ok;
    case TMsgDlgButtons::mbOKCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgDlgButtons::mbYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case TMsgDlgButtons::mbYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

TModalResult ResultOf(int button) {
  switch (button) {
    case QMessageBox::Ok:
      return TModalResult::mrOK;
    case QMessageBox::Yes:
      return TModalResult::mrYes;
    case QMessageBox::No:
      return TModalResult::mrNo;
    default:
      return TModalResult::mrCancel;
  }
}

}  // namespace

QStringList ConvertFileFilter(std::string_view filter) {
  QStringList result;
  const QStringList fields = ToQString(filter).split(QLatin1Char('|'));
  for (qsizetype i = 0; i < fields.size(); i += 2) {
    const QString description = fields[i].trimmed();
    const bool hasPatterns = i + 1 < fields.size() && !fields[i + 1].trimmed().isEmpty();
    if (description.isEmpty() && !hasPatterns) continue;
    const QString patterns =
        ConvertPatterns(hasPatterns ? fields[i + 1] : TrailingPatterns(description));
    QString name = WithoutTrailingPatterns(description);
    if (name.isEmpty()) name = patterns;
    result.append(name + QStringLiteral(" (") + patterns + QLatin1Char(')'));
  }
  return result;
}

QString MessageCaption(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtError:
      return QStringLiteral("Error");
    case TMsgDlgType::mtWarning:
      return QStringLiteral("Warning");
    case TMsgDlgType::mtConfirmation:
      return QStringLiteral("Confirm");
  }
  return QString();
}

TQtUserInterface::TQtUserInterface(QWidget* parent) : mParent(parent) {}

QWidget* TQtUserInterface::DialogParent() const {
  return mParent ? mParent.data() : QApplication::activeWindow();
}

TModalResult TQtUserInterface::MessageBox(const std::string& text, TMsgDlgType type,
                                          TMsgDlgButtons buttons) {
  QMessageBox box(IconOf(type), MessageCaption(type), QString::fromStdString(text),
                  ButtonsOf(buttons), DialogParent());
  // Paths and values in messages must not be taken for markup.
  box.setTextFormat(Qt::PlainText);
  const bool asksYes =
      buttons == TMsgDlgButtons::mbYesNo || buttons == TMsgDlgButtons::mbYesNoCancel;
  box.setDefaultButton(asksYes ? QMessageBox::Yes : QMessageBox::Ok);
  // Escape answers Cancel where there is one and No otherwise.
  if (buttons == TMsgDlgButtons::mbYesNo) box.setEscapeButton(QMessageBox::No);
  return ResultOf(box.exec());
}

void TQtUserInterface::Beep() {
  QApplication::beep();
}

bool TQtUserInterface::SaveDialog(std::string& fileName, const std::string& initialDir,
                                  const std::string& filter, const std::string& defaultExt) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(ConvertFileFilter(filter));
  QString suffix = QString::fromStdString(defaultExt);
  while (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  if (!initialDir.empty()) dialog.setDirectory(QString::fromStdString(initialDir));
  if (!fileName.empty()) dialog.selectFile(QString::fromStdString(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().constFirst().toStdString();
  return true;
}

bool TQtUserInterface::OpenDialog(std::string& fileName, const std::string& initialDir,
                                  const std::string& filter) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(ConvertFileFilter(filter));
  if (!initialDir.empty()) dialog.setDirectory(QString::fromStdString(initialDir));
  if (!fileName.empty()) dialog.selectFile(QString::fromStdString(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().constFirst().toStdString();
  return true;
}

void TQtUserInterface::ProcessMessages() {
  QCoreApplication::processEvents();
}

void TQtUserInterface::Progress(const std::string& caption, int position, int maximum) {
  if (mOnProgress) mOnProgress(caption, position, maximum);
}

std::unique_ptr<TOptimizeConsole> TQtUserInterface::OpenOptimizeConsole(int widthPixels) {
  auto form = std::make_unique<TAQVOutputForm>(DialogParent());
  form->SetFormWidth(widthPixels);
  return form;
}

}  // namespace aqv

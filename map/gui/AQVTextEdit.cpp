#include "map/gui/AQVTextEdit.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QPainter>
#include <cmath>

#include "controls/QtDrawing.h"
#include "map/gui/AQVKaart.h"
#include "model/file/AQVDataFile.h"
#include "model/file/AQVFileText.h"

namespace aqv {

QString RecordTextToEdit(std::string_view text) {
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  return s;
}

std::string EditTextToRecord(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  s.replace(QChar::ParagraphSeparator, QChar('\n'));
  s.replace(QChar::LineSeparator, QChar('\n'));
  s.replace(QChar('\n'), QStringLiteral("\r\n"));
  return s.toStdString();
}

namespace {

Qt::Alignment ToQtAlignment(int alignment) {
  return alignment == 2 ? Qt::AlignHCenter : alignment == 3 ? Qt::AlignRight : Qt::AlignLeft;
}

}  // namespace

TAQVTextEdit::TAQVTextEdit(TAQVKaart* map, TAQVTextBoxRecord* record)
    : TTransMemo(map), mMap(map), mRecord(record) {
  setFrameShape(QFrame::NoFrame);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setAcceptRichText(false);
  viewport()->setCursor(Qt::IBeamCursor);
  hide();
  LoadFromRecord();
  connect(this, &QTextEdit::textChanged, this, [this] { StoreText(); });
}

void TAQVTextEdit::LoadFromRecord() {
  mLoading = true;
  setFont(MakeQFont(mRecord->Font));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Text, ToQColor(mRecord->Font.Color));
  palette.setColor(QPalette::Base, ToQColor(mRecord->Color));
  setPalette(palette);
  SetTransparent(false);
  if (toPlainText() != RecordTextToEdit(mRecord->Text))
    setPlainText(RecordTextToEdit(mRecord->Text));
  SetAlignText(ToQtAlignment(mRecord->Alignment));
  ApplyGeometry();
  mLoading = false;
}

void TAQVTextEdit::Activate() {
  LoadFromRecord();
  show();
  raise();
  setFocus();
}

void TAQVTextEdit::StoreText() {
  if (mLoading) return;
  const std::string text = EditTextToRecord(toPlainText());
  if (text == mRecord->Text) return;
  mRecord->Text = text;
  emit Changed();
}

QRect TAQVTextEdit::BoxRect() const {
  return QRect(mRecord->PixelX, mRecord->PixelY, std::max(1, mRecord->Width),
               std::max(1, mRecord->Height));
}

void TAQVTextEdit::ApplyGeometry() {
  if (geometry() != BoxRect()) setGeometry(BoxRect());
}

void TAQVTextEdit::UpdatePosition() {
  if (mRecord->Kind != 0) return;
  TAQVTextBoxRecord& r = *mRecord;
  const TPlotLayout& plot = mMap->PlotLayout();
  if (r.AnchorMode == 1) {
    r.PixelY = mMap->WorldToScreenY(r.Y);
    r.PixelX = mMap->WorldToScreenX(r.X);
    mShown = plot.Valid && plot.Left < r.PixelX && r.PixelX + r.Width < plot.Right &&
             plot.Top < r.PixelY && r.PixelY + r.Height < plot.Bottom;
  } else {
    mShown = true;
    const TPlacement placement = mMap->LegendPlacement();
    const bool legend = placement != TPlacement::plNone;
    if (legend) {
      switch (placement) {
        case TPlacement::plRight:
          r.AnchorMode = 2;
          break;
        case TPlacement::plBottom:
          r.AnchorMode = 3;
          break;
        case TPlacement::plLeft:
          r.AnchorMode = 4;
          break;
        default:
          r.AnchorMode = 5;
          break;
      }
    }
    // Offsets are computed in double and saturated, so a far-away corner cannot overflow.
    const double rx = std::nearbyint(r.X), ry = std::nearbyint(r.Y);
    const double legendShift = legend ? mMap->LegendWidth() + 20.0 : 0.0;
    const double drop = legend ? 55.0 : 0.0;
    double px = 0, py = 0;
    switch (r.AnchorMode) {
      case 2:
        py = mMap->NorthPixel() - ry;
        px = mMap->EastPixel() - rx;
        break;
      case 3:
        py = mMap->SouthPixel() - ry - drop;
        px = mMap->EastPixel() - rx;
        break;
      case 4:
        py = mMap->SouthPixel() - ry - drop;
        px = mMap->WestPixel() - rx - legendShift;
        break;
      default:
        py = mMap->NorthPixel() - ry;
        px = mMap->WestPixel() - rx - legendShift;
        break;
    }
    r.PixelX = SaturatePixel(px);
    r.PixelY = SaturatePixel(py);
    if (r.PixelX < 0 || r.PixelY < 0) mShown = false;
  }
  ApplyGeometry();
  if (!hasFocus() && isVisible()) hide();
}

void TAQVTextEdit::PaintTo(QPainter& p, bool copying) const {
  const TAQVTextBoxRecord& r = *mRecord;
  const bool selected = hasFocus() || (mMap->Data() && mMap->Data()->SelectedTextBox == mRecord);
  const QRect box = BoxRect();
  if (r.Kind == 0) {
    // The live edit shows a focused box's text; a box being moved or resized with the mouse is
    // painted whole, so its text goes along.
    if (selected && !copying && hasFocus()) {
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(Qt::NoBrush);
      p.drawRect(box.adjusted(-1, -1, 0, 0));
      return;
    }
    if (!mShown && !selected) return;
  } else {
    if (!copying || !(r.AnchorMode == 0 || (r.AnchorMode == 1 && mShown))) return;
  }
  p.save();
  if (!r.ClearBackground) p.fillRect(box, ToQColor(r.Color));
  if (r.Kind == 0 && r.FramePenStyle != TPenStyle::psClear && r.FrameWidth >= 1) {
    QPen pen(ToQColor(r.FrameColor), r.FrameWidth, ToQtPenStyle(r.FramePenStyle));
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPolygon frame(
        {QPoint(box.left() - 1, box.top() - 1), QPoint(box.right() + 1, box.top() - 1),
         QPoint(box.right() + 1, box.bottom() + 1), QPoint(box.left() - 1, box.bottom() + 1),
         QPoint(box.left() - 1, box.top() - 1)});
    p.drawPolyline(frame);
  }
  p.setFont(MakeQFont(r.Font));
  p.setPen(ToQColor(r.Font.Color));
  p.drawText(box.adjusted(3, 0, -3, 0),
             static_cast<int>(ToQtAlignment(r.Alignment) | Qt::AlignTop) | Qt::TextWordWrap,
             RecordTextToEdit(r.Text));
  p.restore();
  if (selected && (r.Kind == 1 || !copying)) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box.adjusted(-1, -1, 0, 0));
  }
}

std::string TAQVTextEdit::GetPropertiesText() const {
  return TextBoxPropertiesText(*mRecord);
}

std::string TAQVTextEdit::GetEncodedText() const {
  return EncodeLineBreaks(mRecord->Text);
}

bool TAQVTextEdit::SetPropertiesText(std::string_view line) {
  TAQVTextBoxProperties read = *mRecord;
  if (ParseTextBoxProperties(line, read) != TFieldParse::fpOK || !read.Recognized) return false;
  read.Text = mRecord->Text;
  static_cast<TAQVTextBoxProperties&>(*mRecord) = read;
  LoadFromRecord();
  hide();
  return true;
}

void TAQVTextEdit::SetEncodedText(std::string_view line) {
  mRecord->Text = DecodeLineBreaks(line);
  LoadFromRecord();
}

void TAQVTextEdit::focusOutEvent(QFocusEvent* event) {
  TTransMemo::focusOutEvent(event);
  // Back to being painted by the map.
  hide();
  mMap->update();
}

void TAQVTextEdit::enterEvent(QEnterEvent* event) {
  setCursor(Qt::IBeamCursor);
  TTransMemo::enterEvent(event);
}

}  // namespace aqv

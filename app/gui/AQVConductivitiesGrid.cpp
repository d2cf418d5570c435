#include "app/gui/AQVConductivitiesGrid.h"

#include <QFontMetrics>
#include <QPainter>

#include "app/gui/AQVTableGrid.h"
#include "model/AQVData.h"

namespace aqv {

namespace {

constexpr TColor kAquiferColour = 0x61EDFF;
constexpr TColor kAquiferSelectedColour = 0x3CDCEB;
constexpr TColor kAquitardColour = 0x22A8F0;
constexpr TColor kAquitardSelectedColour = 0x0082E6;
constexpr TColor kOpenBoundaryColour = 0xFF0000;

// Columns that only show codes or numbers of the table.
bool IsDisplayColumn(int col) {
  return col == 0 || col == 4 || col == 7;
}
// Columns whose value the document checks.
bool IsValueColumn(int col) {
  return col >= 1 && col <= 9 && col != 4 && col != 7;
}

}  // namespace

TAQVConductivitiesGrid::TAQVConductivitiesGrid(QWidget* parent) : TMyParentGrid(parent) {
  SetKind(TAQVGridKind::gkConductivities);
  SetColCount(11);
  SetRowCount(1 + 5);
  const std::pair<const char*, int> columns[] = {
      {"Aquifer", 60}, {"Base", 96}, {"Thickness", 96}, {"Kv", 96}, {"Code", 48}, {"c", 96},
      {"#", 24},       {"Code", 48}, {"S'", 96},        {"#", 24},  {"Name", 192}};
  for (int c = 0; c < 11; ++c) {
    SetCells(c, 0, columns[c].first);
    SetColWidth(c, columns[c].second);
  }
  SetRowHeight(1, DefaultRowHeight() + 4);
  SetRowHeight(5, DefaultRowHeight() + 4);
  SetCurrentCell(1, 1);
}

TAQVData* TAQVConductivitiesGrid::Document() const {
  return dynamic_cast<TAQVData*>(Data());
}

void TAQVConductivitiesGrid::LoadFromData() {
  const TGridRect selection = Selection();
  const int col = Col();
  const int row = Row();
  for (int r = 1; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, r, "");
  TAQVData* d = Document();
  if (!d) return;
  const int rows = d->RowCount();
  SetRowCount(1 + rows);
  for (int r = 1; r <= rows; ++r) FillRow(*d, r);
  for (int r = 1; r <= rows; ++r)
    SetRowHeight(r, DefaultRowHeight() + (r == 1 || r == rows ? 4 : 0));
  SetCurrentCell(col, std::min(row, RowCount() - 1));
  SetSelectionRect(selection);
  SetCells(1, 0, "Base [" + d->LengthUnitLabel() + "]");
  SetCells(2, 0, "Thickness [" + d->LengthUnitLabel() + "]");
  SetValueTitles(Col(), Row());
  KeepEditAcrossReload();
}

void TAQVConductivitiesGrid::FillRow(const TAQVData& d, int r) {
  const double lf = d.LengthFactor();
  const double tf = d.TimeFactor();
  int k = 0;
  const bool aquifer = d.RowToLayer(r, k);
  const std::string number = std::to_string(k);
  SetCells(1, r, GridNumber(7, 1e5, d.RowBottomLevel(r) * lf));
  if (aquifer) {
    SetCells(0, r, number);
    SetCells(2, r, GridNumber(7, 1e5, d.D[k] * lf));
    SetCells(3, r, GridNumber(7, 1e5, d.Kh[k] * lf / tf));
    SetCells(4, r, "T" + number);
    SetCells(5, r, GridNumber(7, 1e5, d.T[k] * lf * lf / tf));
    SetCells(6, r, MarkText(d.TCode[k]));
    SetCells(7, r, "S" + number);
    SetCells(8, r, GridNumber(7, 1e5, d.S[k]));
    SetCells(9, r, MarkText(d.SCode[k]));
    SetCells(10, r, d.AquiferName[k]);
  } else {
    SetCells(2, r, GridNumber(7, 1e5, d.DAquitard[k] * lf));
    SetCells(3, r, GridNumber(7, 1e5, d.Kv[k] * lf / tf));
    SetCells(4, r, "c" + number);
    SetCells(5, r, GridNumber(7, 1e5, d.Resistance[k] * tf));
    SetCells(6, r, MarkText(d.ResistanceCode[k]));
    SetCells(7, r, "S'" + number);
    SetCells(8, r, GridNumber(7, 1e5, d.SAquitard[k]));
    SetCells(9, r, MarkText(d.SAquitardCode[k]));
    SetCells(10, r, d.AquitardName[k]);
  }
}

void TAQVConductivitiesGrid::SetValueTitles(int col, int row) {
  const TAQVData* d = Document();
  if (!d) return;
  const std::string& l = d->LengthUnitLabel();
  const std::string& t = d->TimeUnitLabel();
  int k = 0;
  if (col == 0) {
    SetCells(3, 0, "K [" + l + "/" + t + "]");
    SetCells(5, 0, "T [" + l + "²/" + t + "], c [" + t + "]");
    SetCells(8, 0, "S [-]");
  } else if (d->RowToLayer(row, k)) {
    SetCells(3, 0, "Kh [" + l + "/" + t + "]");
    SetCells(5, 0, "T [" + l + "²/" + t + "]");
    SetCells(8, 0, "S [-]");
  } else {
    SetCells(3, 0, "Kv [" + l + "/" + t + "]");
    SetCells(5, 0, "c [" + t + "]");
    SetCells(8, 0, "S' [-]");
  }
}

bool TAQVConductivitiesGrid::CanEditShow(int col, int) {
  return !IsDisplayColumn(col);
}

bool TAQVConductivitiesGrid::SelectCell(int, int row) {
  return row >= 1;
}

void TAQVConductivitiesGrid::CurrentCellChanged(int col, int row) {
  if (!Document()) return;
  Document()->SetSelectedRow(row);
  SetValueTitles(col, row);
}

bool TAQVConductivitiesGrid::IsValidCell(int col, int row, bool flag, const std::string& text) {
  bool ok = TMyParentGrid::IsValidCell(col, row, flag, text);
  Globals().DataErrorText = "Invalid value!";
  const TAQVData* d = Document();
  double v = 0;
  const bool number = TryStrToFloatValue(text, v);
  switch (col) {
    case 1:
      ok = number && (!d || d->CheckBaseLevel(row, v));
      break;
    case 2:
      ok = number && (!d || d->CheckThickness(row, v));
      break;
    case 3:
      ok = number && (!d || d->CheckConductivity(v));
      break;
    case 5:
      ok = number && (!d || d->CheckTransmissivityOrResistance(row, v));
      break;
    case 8:
      ok = number && (!d || d->CheckStorativity(v));
      break;
    case 6:
    case 9:
      ok = !d || d->CheckParameterMark(text);
      break;
    case 10:
      ok = true;
      break;
    default:
      break;
  }
  return FinishCheck(ok, flag);
}

bool TAQVConductivitiesGrid::AllCellsValid() {
  // Every value column counts: a document whose levels or conductivities fail must not pass.
  mAllValid = true;
  for (int c = 1; c < ColCount(); ++c) {
    if (!IsValueColumn(c)) continue;
    for (int r = 1; r < RowCount(); ++r)
      if (!IsValidCell(c, r, false, Cells(c, r))) mAllValid = false;
  }
  return mAllValid;
}

void TAQVConductivitiesGrid::DeleteRows() {
  if (!Document() || !FinishEditing()) return;
  const TGridRect rect = Selection();
  Guarded([&] {
    if (!Document()->DeleteAquifers(rect.Top, rect.Height()))
      ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
  });
}

void TAQVConductivitiesGrid::InsertRows() {
  if (!Document() || !FinishEditing()) return;
  const TGridRect rect = Selection();
  Guarded([&] {
    if (!Document()->InsertAquifers(rect.Top, rect.Height()))
      ShowMessage(Globals().DataErrorText, TMsgDlgType::mtWarning);
  });
}

// --- Drawing -----------------------------------------------------------------------------------

void TAQVConductivitiesGrid::DrawCell(QPainter& painter, const QRect& rect, int col, int row,
                                      TGridDrawState state) {
  const TAQVData* d = Document();
  const QString text = QString::fromStdString(Cells(col, row));
  if (!d || row > d->RowCount()) {
    TMyParentGrid::DrawCell(painter, rect, col, row, state);
    return;
  }
  int k = 0;
  const bool aquifer = d->RowToLayer(row, k);
  QColor background =
      ToQColor(aquifer ? (state.Selected ? kAquiferSelectedColour : kAquiferColour)
                       : (state.Selected ? kAquitardSelectedColour : kAquitardColour));
  QColor foreground = palette().text().color();
  const std::string message = Globals().DataErrorText;
  if (col >= 1 && !IsValidCell(col, row, false, text.toStdString())) {
    background = ToQColor(kInvalidCellColour);
    foreground = Qt::white;
  }
  Globals().DataErrorText = message;
  painter.fillRect(rect, background);
  QFont font = painter.font();
  font.setBold(state.Selected);
  painter.setFont(font);
  painter.setPen(foreground);
  const int textHeight = QFontMetrics(font).height();
  const QRect textRect(rect.left(), rect.bottom() - 6 - textHeight, rect.width(), textHeight + 6);
  painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
  DrawBoundary(painter, rect, row);
  if (col == 0 || col == 2 || col == 6 || col == 9 || col == 10)
    painter.fillRect(QRect(rect.right() - 1, rect.top(), 2, rect.height()), Qt::black);
}

void TAQVConductivitiesGrid::DrawBoundary(QPainter& painter, const QRect& rect, int row) const {
  const TAQVData* d = Document();
  const int last = d->RowCount();
  // The top and bottom of the system: black where no water passes, blue where it may leak.
  if (row == 1) {
    const bool closed = d->TopAquitardImpervious() || d->TopAquitardAbsent();
    painter.fillRect(QRect(rect.left(), rect.top() + 2, rect.width(), 4),
                     closed ? QColor(Qt::black) : ToQColor(kOpenBoundaryColour));
  }
  if (row == last) {
    const bool closed = d->BottomAquitardImpervious() || d->BottomAquitardAbsent();
    painter.fillRect(QRect(rect.left(), rect.bottom() - 5, rect.width(), 4),
                     closed ? QColor(Qt::black) : ToQColor(kOpenBoundaryColour));
  }
}

}  // namespace aqv

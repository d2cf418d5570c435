#include "model/file/AQVDataFile.h"

#include <array>

namespace aqv {

std::string_view DataFileHeader(TAQVDataFileForm form) {
  switch (form) {
    case TAQVDataFileForm::dfOldest:
      return {};
    case TAQVDataFileForm::df2007:
      return "AQV data file version 2007";
    case TAQVDataFileForm::df2008:
      return "AQV data file version 2008";
    case TAQVDataFileForm::df2009:
      return "AQV data file version 2009";
    case TAQVDataFileForm::df2010:
      return "AQV data file version 2010";
    case TAQVDataFileForm::df2011:
      return "AQV data file version 2011";
    case TAQVDataFileForm::df2012:
      return "AQV data file version 2012";
  }
  return {};
}

std::string ToText(TDataFileWriteStatus status) {
  switch (status) {
    case TDataFileWriteStatus::dwOK:
      return {};
    case TDataFileWriteStatus::dwNotFinite:
      return "A value of the document is not a finite number.";
    case TDataFileWriteStatus::dwInvalidContent:
      return "The document holds more than a data file takes.";
    case TDataFileWriteStatus::dwNotReadable:
      return "The written file would not open again.";
  }
  return {};
}

std::string ToText(TDataFileStatus status, std::string_view path, int line) {
  const std::string where = "line " + std::to_string(line) + " of " + std::string(path);
  switch (status) {
    case TDataFileStatus::dsOK:
      return {};
    case TDataFileStatus::dsReadError:
      return "Could not open " + std::string(path) + "!";
    case TDataFileStatus::dsTooManyLayers:
      return "Too many layers!";
    case TDataFileStatus::dsIncompatible:
      return "Incompatible Data File!";
    case TDataFileStatus::dsTooManyPumpingWells:
      return "Too many pumping wells!";
    case TDataFileStatus::dsTooManyObservationWells:
      return "Too many observation wells!";
    case TDataFileStatus::dsTooManyMeasurements:
      return "Too many measurements!";
    case TDataFileStatus::dsTooManyPeriods:
      return "Too many pumping periods!";
    case TDataFileStatus::dsTooManyWellMeasurements:
      return "Too many measurements in one observation well!";
    case TDataFileStatus::dsInvalidCount:
      return "Invalid count in " + where + "!";
    case TDataFileStatus::dsValueOutOfRange:
      return "Invalid value in " + where + "!";
  }
  return {};
}

// ---- Text boxes ---------------------------------------------------------------------------------

namespace {

constexpr int kTextBoxFieldCount = 22;

struct TPenStyleWord {
  std::string_view Word;
  TPenStyle Style;
};

constexpr std::array<TPenStyleWord, 6> kFramePenStyles = {{
    {"solid", TPenStyle::psSolid},
    {"dash", TPenStyle::psDash},
    {"dot", TPenStyle::psDot},
    {"dashdot", TPenStyle::psDashDot},
    {"dashdotdot", TPenStyle::psDashDotDot},
    {"clear", TPenStyle::psClear},
}};

std::string FramePenStyleWord(TPenStyle style) {
  for (const TPenStyleWord& entry : kFramePenStyles) {
    if (entry.Style == style) return std::string(entry.Word);
  }
  return "solid";  // an inside frame draws like a solid one
}

std::string Bit(bool value) {
  return value ? "1" : "0";
}

// Applies the conversions of one record, field by field, stopping at the first failure.
class TRecordFields {
 public:
  explicit TRecordFields(const std::vector<std::string>& fields) : mFields(fields) {}
  void Int(int index, int& value) {
    if (Ok()) mStatus = ParseInteger(mFields[static_cast<std::size_t>(index)], value);
  }
  void Real(int index, double& value) {
    if (Ok()) mStatus = ParseReal(mFields[static_cast<std::size_t>(index)], value);
  }
  void Color(int index, TColor& value) {
    if (Ok()) mStatus = ParseColor(mFields[static_cast<std::size_t>(index)], value);
  }
  void IntIn(int index, int lo, int hi, int& value) {
    int read = value;
    Int(index, read);
    if (Ok() && (read < lo || read > hi)) mStatus = TFieldParse::fpOutOfRange;
    if (Ok()) value = read;
  }
  const std::string& Text(int index) const { return mFields[static_cast<std::size_t>(index)]; }
  bool Ok() const { return mStatus == TFieldParse::fpOK; }
  TFieldParse Status() const { return mStatus; }

 private:
  const std::vector<std::string>& mFields;
  TFieldParse mStatus = TFieldParse::fpOK;
};

}  // namespace

std::string TextBoxPropertiesText(const TAQVTextBoxProperties& box) {
  const TFontData& font = box.Font;
  const std::vector<std::string> fields = {
      "TME",
      std::to_string(box.PixelX),
      std::to_string(box.PixelY),
      std::to_string(box.Width),
      std::to_string(box.Height),
      FormatGeneral15(box.X),
      FormatGeneral15(box.Y),
      std::to_string(box.Kind),
      std::to_string(box.AnchorMode),
      box.ClearBackground ? "-1" : "0",
      ColorToText(box.Color),
      font.Name,
      std::to_string(font.Size),
      ColorToText(font.Color),
      Bit(font.Style.Contains(TFontStyle::fsBold)),
      Bit(font.Style.Contains(TFontStyle::fsItalic)),
      Bit(font.Style.Contains(TFontStyle::fsUnderline)),
      Bit(font.Style.Contains(TFontStyle::fsStrikeOut)),
      std::to_string(box.Alignment == 2 || box.Alignment == 3 ? box.Alignment : 1),
      FramePenStyleWord(box.FramePenStyle),
      std::to_string(box.FrameWidth),
      ColorToText(box.FrameColor),
  };
  return EncodeLineBreaks(JoinCommaText(fields));
}

TFieldParse ParseTextBoxProperties(std::string_view line, TAQVTextBoxProperties& box) {
  const std::vector<std::string> fields = SplitCommaText(line);
  if (fields.size() < kTextBoxFieldCount || fields[0] != "TME") {
    box.Recognized = false;
    return TFieldParse::fpOK;
  }
  TAQVTextBoxProperties read = box;
  read.Recognized = true;
  TRecordFields f(fields);
  f.Int(1, read.PixelX);
  f.Int(2, read.PixelY);
  f.Int(3, read.Width);
  f.Int(4, read.Height);
  f.Real(5, read.X);
  f.Real(6, read.Y);
  f.IntIn(7, 0, 1, read.Kind);
  f.IntIn(8, 0, 5, read.AnchorMode);
  read.ClearBackground = f.Text(9) == "-1" || f.Text(9) == "1";
  f.Color(10, read.Color);
  read.Font.Name = f.Text(11);
  f.Int(12, read.Font.Size);
  f.Color(13, read.Font.Color);
  read.Font.Style = TFontStyles();
  read.Font.Style.Set(TFontStyle::fsBold, f.Text(14) == "1");
  read.Font.Style.Set(TFontStyle::fsItalic, f.Text(15) == "1");
  read.Font.Style.Set(TFontStyle::fsUnderline, f.Text(16) == "1");
  read.Font.Style.Set(TFontStyle::fsStrikeOut, f.Text(17) == "1");
  read.Alignment = f.Text(18) == "2" ? 2 : f.Text(18) == "3" ? 3 : 1;
  for (const TPenStyleWord& entry : kFramePenStyles) {
    if (f.Text(19) == entry.Word) read.FramePenStyle = entry.Style;
  }
  f.Int(20, read.FrameWidth);
  f.Color(21, read.FrameColor);
  if (!f.Ok()) return f.Status();
  box = read;
  return TFieldParse::fpOK;
}

}  // namespace aqv

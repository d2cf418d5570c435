#include "model/file/AQVFileText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace aqv {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsContinuation(unsigned char c) {
  return (c & 0xC0u) == 0x80u;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Windows-1252 bytes 0x80..0x9F; the five undefined places keep their C1 code point.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

// ---- Characters and texts -----------------------------------------------------------------------

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if ((c & 0xE0u) == 0xC0u) {
      length = 2, cp = c & 0x1Fu, least = 0x80;
    } else if ((c & 0xF0u) == 0xE0u) {
      length = 3, cp = c & 0x0Fu, least = 0x800;
    } else if ((c & 0xF8u) == 0xF0u) {
      length = 4, cp = c & 0x07u, least = 0x10000;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(length) > bytes.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if (!IsContinuation(next)) return false;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
}

std::string DecodeFileLine(std::string_view raw) {
  if (IsValidUtf8(raw)) return std::string(raw);
  std::string out;
  out.reserve(raw.size() * 2);
  for (const char ch : raw) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c < 0xA0) {
      AppendUtf8(out, kCp1252High[c - 0x80]);
    } else {
      AppendUtf8(out, c);  // 0xA0..0xFF equal Latin-1
    }
  }
  return out;
}

std::size_t CharCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if (!IsContinuation(static_cast<unsigned char>(c))) ++count;
  }
  return count;
}

std::string CutToChars(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsContinuation(static_cast<unsigned char>(text[i]))) continue;
    if (chars == maxChars) return std::string(text.substr(0, i));
    ++chars;
  }
  return std::string(text);
}

std::string_view TrimLeftBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(i);
}

std::string_view TrimRightBlanks(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlank(text[n - 1])) --n;
  return text.substr(0, n);
}

std::string_view TrimBlanks(std::string_view text) {
  return TrimRightBlanks(TrimLeftBlanks(text));
}

std::string EncodeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "&crnl;";
    } else if (text[i] == '\n') {
      out += "&crnl;";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DecodeLineBreaks(std::string_view text) {
  static constexpr std::string_view kMark = "&crnl;";
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, kMark.size()) == kMark) {
      out += "\r\n";
      i += kMark.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::vector<std::string_view> SplitAtBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  if (line.empty()) return fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t blank = line.find(' ', start);
    if (blank == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, blank - start));
    start = blank + 1;
  }
}

std::string JoinCommaText(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) out += ',';
    const std::string& field = fields[k];
    bool quote = false;
    for (const char c : field) {
      if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
    }
    if (!quote) {
      out += field;
      continue;
    }
    out += '"';
    for (const char c : field) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

std::vector<std::string> SplitCommaText(std::string_view text) {
  const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::vector<std::string> fields;
  std::size_t p = 0;
  const std::size_t n = text.size();
  while (p < n && isSpace(text[p])) ++p;
  while (p < n) {
    std::string field;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            field += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        field += text[p++];
      }
    } else {
      while (p < n && !isSpace(text[p]) && text[p] != ',') field += text[p++];
    }
    fields.push_back(std::move(field));
    while (p < n && isSpace(text[p])) ++p;
    if (p < n && text[p] == ',') {
      if (p + 1 == n) fields.emplace_back();
      ++p;
      while (p < n && isSpace(text[p])) ++p;
    }
  }
  return fields;
}

// ---- Numbers ------------------------------------------------------------------------------------

TFieldParse ParseInteger(std::string_view token, int& value) {
  std::string_view digits = token;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
  if (digits.empty()) return TFieldParse::fpMalformed;
  for (const char c : digits) {
    if (!IsDigit(c)) return TFieldParse::fpMalformed;
  }
  long long wide = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), wide);
  if (ec != std::errc() || end != digits.data() + digits.size()) return TFieldParse::fpMalformed;
  if (token.front() == '-') wide = -wide;
  if (wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
    return TFieldParse::fpMalformed;
  }
  value = static_cast<int>(wide);
  return TFieldParse::fpOK;
}

namespace {

// True for a number in the grammar of ParseReal whose size lies below the smallest double
// (1E-400): from_chars reports it as out of range, as it does a number beyond the largest, but
// it is a finite number that reads as 0.
bool Underflows(std::string_view text) {
  std::size_t i = text.front() == '-' ? 1 : 0;
  long long integerDigits = 0, digits = 0, firstSignificant = -1;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (text[i] == '.') continue;
    if (firstSignificant < 0 && text[i] != '0') firstSignificant = digits;
    ++digits;
    if (text.find('.') == std::string_view::npos || i < text.find('.')) ++integerDigits;
  }
  if (firstSignificant < 0) return false;  // zero, which never fails
  long long exponent = 0;
  bool negative = false;
  if (i < text.size()) {
    ++i;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    for (; i < text.size(); ++i) exponent = std::min(exponent * 10 + (text[i] - '0'), 100000LL);
  }
  // The decimal exponent of the first significant digit.
  return (negative ? -exponent : exponent) + integerDigits - 1 - firstSignificant < 0;
}

}  // namespace

TFieldParse ParseReal(std::string_view token, double& value) {
  // The grammar is checked here because from_chars also takes "inf", "nan" and, in some
  // libraries, hexadecimal digits after "0x".
  std::string_view text = token;
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return TFieldParse::fpMalformed;
  }
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  std::size_t mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return TFieldParse::fpMalformed;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return TFieldParse::fpMalformed;
  }
  if (i != text.size()) return TFieldParse::fpMalformed;
  double parsed = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
  if (ec == std::errc::result_out_of_range && end == text.data() + text.size() &&
      Underflows(text)) {
    value = 0;
    return TFieldParse::fpOK;
  }
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed)) {
    return TFieldParse::fpMalformed;
  }
  value = parsed;
  return TFieldParse::fpOK;
}

namespace {

std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// The 15-character fields: padded to 15, and one blank in front of anything longer, so that a
// field never touches the one before it.
std::string Pad15(std::string text) {
  if (text.size() >= 15) return " " + text;
  return PadLeft(std::move(text), 15);
}

std::string ToChars(double value, std::chars_format format, int precision) {
  std::array<char, 400> buffer{};  // a fixed double needs at most 309 digits before the point
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
  return std::string(buffer.data(), result.ptr);
}

// Exponent text of to_chars with an upper-case "E" ("1.2345678E-03").
std::string Exponent8(double value) {
  std::string text = ToChars(value, std::chars_format::scientific, 7);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace

std::string FormatFloat15(double value) {
  if (!std::isfinite(value) || value == 0) return Pad15("0.0000000E+00");
  const std::string exponent = Exponent8(value);
  // The range is decided on the value as the exponent form rounds it, so that a value such as
  // 0.9999999999 (which would print as 1.0000000E+00 and read back as 1) is written fixed.
  double rounded = 0;
  std::from_chars(exponent.data(), exponent.data() + exponent.size(), rounded);
  const double magnitude = std::fabs(rounded);
  if (magnitude >= 1 && magnitude <= 100000) {
    return Pad15(ToChars(value, std::chars_format::fixed, 7));
  }
  return Pad15(exponent);
}

std::string FormatInt15(int value) {
  return Pad15(std::to_string(value));
}

std::string FormatFloat15Trimmed(double value) {
  return std::string(TrimBlanks(FormatFloat15(value)));
}

std::string FormatFixed(double value, int decimals, int width) {
  if (!std::isfinite(value)) value = 0;
  std::string text = ToChars(value, std::chars_format::fixed, decimals);
  // A value that rounds to zero loses its sign: "-0.000" would read back as a negative zero.
  if (!text.empty() && text.front() == '-' &&
      text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);
  }
  return PadLeft(std::move(text), static_cast<std::size_t>(std::max(width, 0)));
}

std::string FormatIntRight(int value, int width) {
  return PadLeft(std::to_string(value), static_cast<std::size_t>(std::max(width, 0)));
}

std::string FormatGeneral15(double value) {
  if (!std::isfinite(value) || value == 0) return "0";
  // 15 significant digits: d.dddddddddddddde+XX.
  const std::string text = ToChars(value, std::chars_format::scientific, 14);
  const bool negative = text.front() == '-';
  const std::size_t ePos = text.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < ePos; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  int exponent = 0;
  std::from_chars(text.data() + ePos + (text[ePos + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent < -5 || exponent >= 15) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
    return out;
  }
  if (exponent < 0) {
    out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    return out;
  }
  const auto integerDigits = static_cast<std::size_t>(exponent + 1);
  if (digits.size() <= integerDigits) {
    out += digits + std::string(integerDigits - digits.size(), '0');
  } else {
    out += digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
  }
  return out;
}

// ---- Colours ------------------------------------------------------------------------------------

namespace {

struct TColorName {
  std::string_view Name;
  TColor Value;
};

// The toolkit's 52 colour identifiers in the order in which it lists them.
constexpr std::array<TColorName, 52> kColorNames = {{
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clActiveBorder", clActiveBorder},
    {"clActiveCaption", clActiveCaption},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clBackground", clBackground},
    {"clBtnFace", clBtnFace},
    {"clBtnHighlight", clBtnHighlight},
    {"clBtnShadow", clBtnShadow},
    {"clBtnText", clBtnText},
    {"clCaptionText", clCaptionText},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clGrayText", clGrayText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clHotLight", clHotLight},
    {"clInactiveBorder", clInactiveBorder},
    {"clInactiveCaption", clInactiveCaption},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},
    {"clMenu", clMenu},
    {"clMenuBar", clMenuBar},
    {"clMenuHighlight", clMenuHighlight},
    {"clMenuText", clMenuText},
    {"clNone", clNone},
    {"clScrollBar", clScrollBar},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clWindowText", clWindowText},
}};

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool IsValidColor(TColor color) {
  const auto bits = static_cast<std::uint32_t>(color);
  if ((bits & 0xFF000000u) == 0) return true;
  if (IsSystemColor(color)) return (bits & 0x00FFFFFFu) < 64;
  return color == clNone || color == clDefault;
}

std::string_view ColorIdentifier(TColor color) {
  for (const TColorName& entry : kColorNames) {
    if (entry.Value == color) return entry.Name;
  }
  return {};
}

bool IdentifierToColor(std::string_view text, TColor& color) {
  for (const TColorName& entry : kColorNames) {
    if (SameTextAscii(entry.Name, text)) {
      color = entry.Value;
      return true;
    }
  }
  return false;
}

std::string ColorToText(TColor color) {
  const std::string_view name = ColorIdentifier(color);
  if (!name.empty()) return std::string(name);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "$";
  const auto bits = static_cast<std::uint32_t>(color);
  for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(bits >> shift) & 0xFu];
  return text;
}

TFieldParse ParseColor(std::string_view text, TColor& color) {
  if (text.empty()) return TFieldParse::fpMalformed;
  std::uint32_t bits = 0;
  if (text.front() == '$') {
    const std::string_view hex = text.substr(1);
    if (hex.empty() || hex.size() > 8) return TFieldParse::fpMalformed;
    const auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
    if (ec != std::errc() || end != hex.data() + hex.size()) return TFieldParse::fpMalformed;
  } else if (IsDigit(text.front()) || text.front() == '-' || text.front() == '+') {
    std::string_view digits = text;
    if (digits.front() == '+' || digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 10) return TFieldParse::fpMalformed;
    for (const char c : digits) {
      if (!IsDigit(c)) return TFieldParse::fpMalformed;
    }
    long long wide = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), wide);
    if (text.front() == '-') wide = -wide;
    if (wide < std::numeric_limits<std::int32_t>::min() ||
        wide > std::numeric_limits<std::uint32_t>::max()) {
      return TFieldParse::fpOutOfRange;
    }
    bits = static_cast<std::uint32_t>(wide);
  } else {
    TColor named = 0;
    if (!IdentifierToColor(text, named)) return TFieldParse::fpMalformed;
    color = named;
    return TFieldParse::fpOK;
  }
  const auto value = static_cast<TColor>(bits);
  if (!IsValidColor(value)) return TFieldParse::fpOutOfRange;
  color = value;
  return TFieldParse::fpOK;
}

// ---- Line source --------------------------------------------------------------------------------

TLineSource::TLineSource(std::string_view bytes) : mBytes(bytes) {
  if (mBytes.substr(0, 3) == "\xEF\xBB\xBF") mPos = 3;
}

bool TLineSource::Next(std::string& line) {
  line.clear();
  if (mPos >= mBytes.size()) return false;
  std::size_t end = mPos;
  while (end < mBytes.size() && mBytes[end] != '\r' && mBytes[end] != '\n') ++end;
  line = DecodeFileLine(mBytes.substr(mPos, end - mPos));
  mLastLineEnded = end < mBytes.size();
  if (mLastLineEnded) {
    if (mBytes[end] == '\r' && end + 1 < mBytes.size() && mBytes[end + 1] == '\n') ++end;
    ++end;
  }
  mPos = end;
  ++mLineNumber;
  return true;
}

// ---- Text reader --------------------------------------------------------------------------------

TTextReader::TTextReader(std::string_view bytes) : mSource(bytes) {}

bool TTextReader::LoadLine() {
  if (!mSource.Next(mLine)) return false;
  mPos = 0;
  mHaveLine = true;
  mLineNumber = mSource.LineNumber();
  return true;
}

void TTextReader::FailAt(TReadError error, std::size_t column) {
  if (mError != TReadError::reNone) return;
  mError = error;
  if (error == TReadError::rePastEnd) {
    mErrorLine = mSource.LineNumber() + (mSource.LastLineEnded() ? 1 : 0);
  } else {
    mErrorLine = mLineNumber;
  }
  mErrorColumn = static_cast<int>(column) + 1;
  mErrorContext = mContext;
}

void TTextReader::Fail(TReadError error, std::size_t column) {
  FailAt(error, column);
}

std::string_view TTextReader::NextToken() {
  for (;;) {
    if (!mHaveLine && !LoadLine()) {
      FailAt(TReadError::rePastEnd, 0);
      return {};
    }
    while (mPos < mLine.size() && IsBlank(mLine[mPos])) ++mPos;
    if (mPos < mLine.size()) break;
    mHaveLine = false;  // the line end is skipped like a blank
  }
  const std::size_t start = mPos;
  while (mPos < mLine.size() && !IsBlank(mLine[mPos])) ++mPos;
  return std::string_view(mLine).substr(start, mPos - start);
}

int TTextReader::ReadInteger() {
  if (!Ok()) return 0;
  const std::string_view token = NextToken();
  if (!Ok()) return 0;
  int value = 0;
  if (ParseInteger(token, value) != TFieldParse::fpOK) {
    FailAt(TReadError::reMalformed, mPos - token.size());
    return 0;
  }
  return value;
}

double TTextReader::ReadReal() {
  if (!Ok()) return 0;
  const std::string_view token = NextToken();
  if (!Ok()) return 0;
  double value = 0;
  if (ParseReal(token, value) != TFieldParse::fpOK) {
    FailAt(TReadError::reMalformed, mPos - token.size());
    return 0;
  }
  return value;
}

void TTextReader::SkipLine() {
  if (!Ok()) return;
  if (!mHaveLine && !LoadLine()) {
    FailAt(TReadError::rePastEnd, 0);
    return;
  }
  mHaveLine = false;
}

std::string TTextReader::ReadLine() {
  if (!Ok()) return {};
  if (!mHaveLine && !LoadLine()) {
    FailAt(TReadError::rePastEnd, 0);
    return {};
  }
  mHaveLine = false;
  return mLine.substr(mPos);
}

std::string TTextReader::ReadTextAfterBlank() {
  if (!Ok()) return {};
  if (mHaveLine && mPos < mLine.size() && IsBlank(mLine[mPos])) ++mPos;
  return ReadLine();
}

bool TTextReader::AtEnd() {
  if (mHaveLine) {
    for (std::size_t i = mPos; i < mLine.size(); ++i) {
      if (!IsBlank(mLine[i])) return false;
    }
  }
  TLineSource rest = mSource;
  std::string line;
  while (rest.Next(line)) {
    if (!TrimBlanks(line).empty()) return false;
  }
  return true;
}

}  // namespace aqv

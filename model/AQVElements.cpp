#include "model/AQVElements.h"

#include <charconv>
#include <cmath>
#include <filesystem>

#include "chart/NumberFormat.h"
#include "model/AQVVersion.h"

namespace aqv {
namespace {

TAQVGlobals MakeGlobals() {
  TAQVGlobals globals;
  const TFileVersionStrings v = GetFileVersionStrings();
  std::string minor = v.Minor;
  if (minor.size() == 1) minor.insert(0, "0");
  std::string release = v.Release;
  if (release.size() == 1) release.insert(0, "0");
  globals.VersionString = v.Major + "." + minor + "." + release;
  globals.EditionLabel = "Zelvor Edition " + globals.VersionString;
  return globals;
}

// Length of the folder part of a path, including its last separator. Both separators count,
// so paths written on either system split the same way.
std::size_t FolderLength(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? 0 : slash + 1;
}

}  // namespace

TAQVGlobals& Globals() {
  static TAQVGlobals globals = MakeGlobals();
  return globals;
}

void ResetGlobals() {
  Globals() = MakeGlobals();
}

TFileVersionStrings GetFileVersionStrings() {
  TFileVersionStrings v;
  v.Major = std::to_string(kVersionMajor);
  v.Minor = std::to_string(kVersionMinor);
  v.Release = std::to_string(kVersionRelease);
  if (v.Release.size() < 2) v.Release.insert(0, 2 - v.Release.size(), '0');
  v.Build = std::to_string(kVersionBuild);
  return v;
}

std::string StripDataFileExtension(std::string_view path) {
  std::string name(path.substr(FolderLength(path)));
  const auto pos = name.find(".aqv");
  if (pos != std::string::npos) name.erase(pos, 4);
  return name;
}

std::string FloatToStrTrim(int precision, double limit, double value, char decimalSeparator) {
  if (value == 0.0) return "0";
  const double a = std::fabs(value);
  const std::string text = (a >= 1e-5 && a <= limit)
                               ? FormatFloatFixed(value, precision, 6, decimalSeparator)
                               : FormatFloatExponent(value, precision, 2, decimalSeparator);
  return TrimMantissaZeros(text, decimalSeparator);
}

std::string MakeUniqueFileName(std::string_view fileName, std::string_view extension) {
  // The base ends at the first dot of the file name, never of a folder name.
  const std::size_t folder = FolderLength(fileName);
  const auto dot = fileName.find('.', folder);
  const std::string base(fileName.substr(0, dot));
  for (int n = 0;; ++n) {
    std::string number = std::to_string(n);
    if (number.size() < 2) number.insert(0, "0");
    std::string candidate = base + " " + number + "." + std::string(extension);
    std::error_code ec;
    if (!std::filesystem::exists(candidate, ec)) return candidate;
  }
}

double ClampMinAbs(double eps, double value) {
  const double a = std::fabs(value);
  return a < eps ? eps : a;
}

double ClampAwayFromZero(double eps, double value) {
  if (value == 0.0 || std::fabs(value) >= eps) return value;
  return eps;
}

std::string CutText(std::string_view text, std::size_t maxChars) {
  std::size_t chars = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (chars == maxChars) return std::string(text.substr(0, i));
    // Skip the continuation bytes of this character.
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    ++chars;
  }
  return std::string(text);
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Copies a run of digits from text at pos into out and returns how many there were.
std::size_t CopyDigits(std::string_view text, std::size_t& pos, std::string& out) {
  const std::size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) out += text[pos++];
  return pos - start;
}

}  // namespace

bool TryStrToFloat(std::string_view text, double& value, char decimalSeparator) {
  text = TrimBlanks(text);
  // The grammar is checked here, character by character, and the number is handed to
  // from_chars with '.' as separator: from_chars alone would accept "nan", "inf" and "1e" forms
  // that a person never means as a value, and would ignore trailing text.
  std::string plain;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    if (text[pos] == '-') plain += '-';
    ++pos;
  }
  std::size_t mantissaDigits = CopyDigits(text, pos, plain);
  if (pos < text.size() && text[pos] == decimalSeparator) {
    plain += '.';
    ++pos;
    mantissaDigits += CopyDigits(text, pos, plain);
  }
  if (mantissaDigits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    plain += 'e';
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) plain += text[pos++];
    if (CopyDigits(text, pos, plain) == 0) return false;
  }
  if (pos != text.size()) return false;
  double result = 0;
  const char* end = plain.data() + plain.size();
  const auto [ptr, ec] = std::from_chars(plain.data(), end, result, std::chars_format::general);
  if (ec != std::errc{} || ptr != end || !std::isfinite(result)) return false;
  value = result;
  return true;
}

bool TryStrToInt(std::string_view text, int& value) {
  text = TrimBlanks(text);
  std::string plain;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    if (text[pos] == '-') plain += '-';
    ++pos;
  }
  if (CopyDigits(text, pos, plain) == 0 || pos != text.size()) return false;
  int result = 0;
  const char* end = plain.data() + plain.size();
  const auto [ptr, ec] = std::from_chars(plain.data(), end, result);
  if (ec != std::errc{} || ptr != end) return false;
  value = result;
  return true;
}

}  // namespace aqv

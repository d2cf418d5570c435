#include "map/WorldFileReader.h"

#include <charconv>
#include <cmath>

namespace aqv {

namespace {

constexpr int kWorldFileLines = 6;
constexpr const char* kNames[kWorldFileLines] = {"A", "D", "B", "E", "X0", "Y0"};

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Splits off the first line (ended by CR, LF or CR LF) and advances text past it.
std::string_view NextLine(std::string_view& text) {
  const auto end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    const std::string_view line = text;
    text = {};
    return line;
  }
  const std::string_view line = text.substr(0, end);
  const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
  text.remove_prefix(end + (crlf ? 2 : 1));
  return line;
}

}  // namespace

std::vector<std::string_view> WorldFileLines(std::string_view text, int maxLines) {
  std::vector<std::string_view> lines;
  while (static_cast<int>(lines.size()) < maxLines && !text.empty())
    lines.push_back(NextLine(text));
  return lines;
}

bool ParseWorldFileNumber(std::string_view line, char decimalSeparator, double& value) {
  std::string_view number = Trim(line);
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  if (number.empty() || number.size() > 64) return false;
  char buffer[65];
  for (std::size_t i = 0; i < number.size(); ++i) {
    const char c = number[i];
    if (c == '.' && decimalSeparator != '.') return false;
    buffer[i] = c == decimalSeparator ? '.' : c;
  }
  const char* end = buffer + number.size();
  const auto [ptr, ec] = std::from_chars(buffer, end, value);
  return ec == std::errc() && ptr == end;
}

TWorldFileResult ParseWorldFile(std::string_view text, TWorldTransform& transform) {
  const std::vector<std::string_view> lines = WorldFileLines(text, kWorldFileLines);
  if (static_cast<int>(lines.size()) < kWorldFileLines)
    return {TWorldFileStatus::wsTooShort, 0, {}};
  double values[kWorldFileLines];
  for (int i = 0; i < kWorldFileLines; ++i) {
    const std::string where = "line " + std::to_string(i + 1) + " (" + kNames[i] + ")";
    if (!ParseWorldFileNumber(lines[static_cast<std::size_t>(i)], '.', values[i]))
      return {TWorldFileStatus::wsNotANumber, i + 1,
              "The world file's " + where + " is not a number: \"" +
                  std::string(lines[static_cast<std::size_t>(i)].substr(0, 40)) + "\"."};
    if (!std::isfinite(values[i]))
      return {TWorldFileStatus::wsNotFinite, i + 1,
              "The world file's " + where + " is not a finite number."};
  }
  TWorldTransform read{values[0], values[1], values[2], values[3], values[4], values[5]};
  if (read.A == 0 || read.E == 0)
    return {TWorldFileStatus::wsZeroScale, read.A == 0 ? 1 : 4,
            "The world file gives a pixel size of 0."};
  const double det = read.Determinant();
  if (!std::isfinite(det) || det == 0 || !std::isfinite(1 / det))
    return {TWorldFileStatus::wsSingular, 0, "The world file's transform has no inverse."};
  transform = read;
  return {};
}

}  // namespace aqv

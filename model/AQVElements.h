#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace aqv {

// Process-wide values shared by every document and window. One instance per process, reached
// through Globals(); tests reset it with ResetGlobals().
struct TAQVGlobals {
  // Message of the last failed check routine or refused row operation.
  std::string DataErrorText;
  // Version of the running program, "1.02.03" for version 1.2.3, and its edition label.
  std::string VersionString;
  std::string EditionLabel;
  // Preferences copied into each new document.
  int NSt = 10;        // Stehfest terms
  int nlogcycle = 10;  // curve computation times per log cycle
  bool ConvertLengthUnits = false;
  bool ConvertTimeUnits = true;
  int DefaultLengthUnits = 1;  // 0 feet, 1 metres
  // Flags of a running optimisation, set by its console window.
  bool OptimizePaused = false;
  bool OptimizeCancelled = false;
  bool OptimizeRejected = false;
  // Folders of the last open and save dialogs.
  std::string OpenDirectory;
  std::string SaveDirectory;
  // Decimal separator of numbers shown to the user; files always use '.'.
  char DecimalSeparator = '.';
};

TAQVGlobals& Globals();
// Puts every process-wide value back to its start value, with the version strings filled in.
void ResetGlobals();

// The four parts of the program's version: major, minor, release (at least two digits), build.
struct TFileVersionStrings {
  std::string Major, Minor, Release, Build;
};
TFileVersionStrings GetFileVersionStrings();

// One entry of a document's list of background images.
struct TBackgroundFile {
  bool Checked = false;   // the image is shown
  std::string FileName;   // path of the image file
  bool Unloaded = false;  // it could not be loaded: not on the map, but kept in its place
  friend bool operator==(const TBackgroundFile&, const TBackgroundFile&) = default;
};
using TBackgroundFiles = std::vector<TBackgroundFile>;

// Attached by the document window to each series of the time graph; the series does not own it.
class TChartReference {
 public:
  int Curve = 0;  // observation well, or pumping well in well-flux mode
  int Layer = 0;  // aquifer
  int Kind = 0;   // 0 computed curve, 1 observed data
};

// The file-name part of path with the first ".aqv" (lower case, exact) removed.
std::string StripDataFileExtension(std::string_view path);

// Text of a number for grids, edits and messages: fixed-point with `precision` significant
// digits and at most 6 decimals when 1e-5 <= |value| <= limit, else exponent form; trailing
// zeros of the mantissa and a bare separator are removed.
std::string FloatToStrTrim(int precision, double limit, double value, char decimalSeparator);

// A name for an export file beside the document: the path up to the first "." of its file
// name, then " NN." and the extension, with NN counting up from 00 while such a file exists.
std::string MakeUniqueFileName(std::string_view fileName, std::string_view extension);

// |value|, raised to eps when smaller.
double ClampMinAbs(double eps, double value);
// value unchanged when 0 or |value| >= eps; otherwise +eps.
double ClampAwayFromZero(double eps, double value);

// text cut to at most maxChars characters, never splitting a UTF-8 character.
std::string CutText(std::string_view text, std::size_t maxChars);

// Strict conversions of text that a person typed or pasted. Blanks and tabs around the number
// are allowed; anything else that is not part of the number (a second number, a unit, "nan",
// "inf", hexadecimal, a thousands separator) makes the conversion fail. On failure value is left
// untouched and false is returned; nothing throws and the locale is never consulted.
// A decimal number with an optional sign, the given decimal separator and an optional decimal
// exponent ("1,5E-3" with ','); the result must be a finite double.
[[nodiscard]] bool TryStrToFloat(std::string_view text, double& value, char decimalSeparator);
// A decimal whole number with an optional sign that fits a 32-bit signed integer.
[[nodiscard]] bool TryStrToInt(std::string_view text, int& value);

}  // namespace aqv

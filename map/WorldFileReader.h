#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace aqv {

// The affine placement of an image that its world file gives: world x = A column + B row + X0,
// world y = D column + E row + Y0, with column and row in pixels from the image's upper-left
// corner (fractional inside a pixel) and x, y in the map's stored length units. The defaults
// place pixels one unit wide with rows growing upward from the origin.
struct TWorldTransform {
  double A = 1;   // world x per pixel column
  double D = 0;   // world y per pixel column
  double B = 0;   // world x per pixel row
  double E = 1;   // world y per pixel row (negative in a normal north-up file)
  double X0 = 0;  // world x of the upper-left corner
  double Y0 = 0;  // world y of the upper-left corner

  bool IsRotated() const { return B != 0 || D != 0; }
  double Determinant() const { return A * E - B * D; }
  void ToWorld(double column, double row, double& x, double& y) const {
    x = A * column + B * row + X0;
    y = D * column + E * row + Y0;
  }
  // The pixel coordinates of a world point, by the closed-form inverse of the 2x2 matrix
  // (the transform must not be singular).
  void ToPixel(double x, double y, double& column, double& row) const {
    const double det = Determinant();
    column = (E * (x - X0) - B * (y - Y0)) / det;
    row = (A * (y - Y0) - D * (x - X0)) / det;
  }
  friend bool operator==(const TWorldTransform&, const TWorldTransform&) = default;
};

enum class TWorldFileStatus {
  wsOk,          // six numbers read and stored
  wsTooShort,    // fewer than six lines: the transform keeps its defaults, the load goes on
  wsNotANumber,  // a line of the first six is not a number written with "."
  wsNotFinite,   // a line of the first six is infinite or not a number
  wsZeroScale,   // A or E is 0
  wsSingular     // A E - B D is 0: the image has no area
};

struct [[nodiscard]] TWorldFileResult {
  TWorldFileStatus Status = TWorldFileStatus::wsOk;
  int Line = 0;         // 1-based line of a number that failed, else 0
  std::string Message;  // for the person; empty when the transform was stored or kept
  bool IsSuccess() const {
    return Status == TWorldFileStatus::wsOk || Status == TWorldFileStatus::wsTooShort;
  }
};

// Reads the text of a world file: one number per line in the order A, D, B, E, X0, Y0, with
// "." as the decimal separator whatever the locale; lines end in CR, LF or CR LF; blanks around
// a number are allowed; lines after the sixth are ignored. transform is changed only when the
// result is wsOk.
TWorldFileResult ParseWorldFile(std::string_view text, TWorldTransform& transform);

// The first maxLines lines of a world-file text; lines end in CR, LF or CR LF.
std::vector<std::string_view> WorldFileLines(std::string_view text, int maxLines);

// Parses one number of a world-file line with the given decimal separator ('.' or ','),
// ignoring blanks around it. False when the whole line is not one finite or infinite number.
bool ParseWorldFileNumber(std::string_view line, char decimalSeparator, double& value);

}  // namespace aqv

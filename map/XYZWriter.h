#pragma once

#include <string>

#include "map/DrawdownGrid.h"
#include "model/file/AQVFileIO.h"

namespace aqv {

// The grid as XYZ text: for each node column a and each node row b the node's line, then,
// unless a or b is the last, the line of the centre of cell (a, b). A line is x (15 wide, 3
// decimals), a blank, y (15 wide, 3 decimals), a blank, z (20 wide, 10 decimals) and CR LF,
// fixed notation with "." whatever the locale; everything in display units. A number too wide
// for its field widens the line rather than being cut. An empty grid gives an empty text.
std::string XYZText(const TDrawdownGrid& grid);

// Writes XYZText to path through a temporary file that replaces the old one only when complete.
[[nodiscard]] TFileIOStatus SaveXYZ(const std::string& path, const TDrawdownGrid& grid);

}  // namespace aqv

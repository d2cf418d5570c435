#include "map/XYZWriter.h"

#include <array>
#include <charconv>

namespace aqv {

namespace {

// Appends value in fixed notation with `decimals` decimals, right-aligned in `width`.
void AppendFixed(std::string& out, double value, int width, int decimals) {
  std::array<char, 400> buffer{};  // wide enough for any double in fixed notation
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, decimals);
  const auto length = result.ec == std::errc() ? static_cast<int>(result.ptr - buffer.data()) : 0;
  if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(buffer.data(), static_cast<std::size_t>(length));
}

void AppendLine(std::string& out, double x, double y, double z) {
  AppendFixed(out, x, 15, 3);
  out += ' ';
  AppendFixed(out, y, 15, 3);
  out += ' ';
  AppendFixed(out, z, 20, 10);
  out += "\r\n";
}

}  // namespace

std::string XYZText(const TDrawdownGrid& grid) {
  const TGridLayout& g = grid.Layout();
  std::string out;
  if (g.IsEmpty()) return out;
  out.reserve(static_cast<std::size_t>(g.ValueCount()) * 56);
  const double f = grid.LengthFactor();
  for (int a = 0; a < g.NodeCountX; ++a) {
    for (int b = 0; b < g.NodeCountY; ++b) {
      AppendLine(out, g.NodeX[a] * f, g.NodeY[b] * f, grid.Value(g.NodeIndex(a, b)));
      if (a == g.NodeCountX - 1 || b == g.NodeCountY - 1) continue;
      AppendLine(out, (g.NodeX[a] + g.HalfCellX) * f, (g.NodeY[b] + g.HalfCellY) * f,
                 grid.Value(g.CentreIndex(a, b)));
    }
  }
  return out;
}

TFileIOStatus SaveXYZ(const std::string& path, const TDrawdownGrid& grid) {
  return WriteFileAtomically(path, XYZText(grid));
}

}  // namespace aqv

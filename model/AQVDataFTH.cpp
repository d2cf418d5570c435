#include <algorithm>
#include <string>
#include <vector>

#include "model/AQVData.h"
#include "model/file/AQVFTHFormat.h"
#include "model/file/AQVFileIO.h"
#include "model/file/AQVFileText.h"

namespace aqv {

namespace {

// The first cell of the header rows: two double quotes, right-aligned in 10.
constexpr std::string_view kHeaderCell = "        \"\"";
constexpr std::string_view kLineEnd = "\r\n";

// The last `count` characters of a UTF-8 text.
std::string LastChars(std::string_view text, std::size_t count) {
  const std::size_t total = CharCount(text);
  if (total <= count) return std::string(text);
  return std::string(text.substr(CutToChars(text, total - count).size()));
}

// A blank, then the name's last 9 characters right-aligned in 9.
std::string NameCell(std::string_view name) {
  const std::string last = LastChars(name, 9);
  return std::string(10 - CharCount(last), ' ') + last;
}

}  // namespace

// Curve k belongs to the k-th selected well: an observation well in drawdown mode, a pumping
// well in well-flux mode. Returns exactly CurveCount entries.
std::vector<TAQVData::TFTHCurve> TAQVData::FTHCurves() const {
  std::vector<TFTHCurve> curves;
  for (int well = 1; well < static_cast<int>(SelectedCurves.size()); ++well) {
    if (!SelectedCurves.test(static_cast<std::size_t>(well))) continue;
    const std::size_t k = curves.size();
    const std::string name = k < CurveNames.size() ? CurveNames[k] : std::string();
    if (mWellFluxMode && well <= kMaxPumpingWells) {
      curves.push_back({name, PumpingWells[well].X, PumpingWells[well].Y});
    } else if (!mWellFluxMode && well <= kMaxObservationWells) {
      curves.push_back({name, ObservationWells[well].X, ObservationWells[well].Y});
    }
  }
  curves.resize(static_cast<std::size_t>(std::max(CurveCount, 0)));
  return curves;
}

std::string TAQVData::CurvesFTHText() const {
  const int m = CurveCount;
  const int l = mLowerLayer - mUpperLayer + 1;
  const std::size_t stored =
      std::min(CurveValues.size(), static_cast<std::size_t>(kMaxCurveValues));
  // A computation that broke off left the missing value from the failing time on; those times
  // have no result to write.
  if (m <= 0 || l <= 0 || !CurvesValid) return {};
  const std::size_t perTime = static_cast<std::size_t>(l) * static_cast<std::size_t>(m);
  const auto hasResult = [&](int i) {
    const std::size_t first = static_cast<std::size_t>(i) * perTime;
    const std::size_t last = std::min(first + perTime, stored);
    for (std::size_t position = first; position < last; ++position)
      if (CurveValues[position] == kMissingCurveValue) return false;
    return true;
  };
  int n = 0;
  while (n < OutputTimeCount() && hasResult(n)) ++n;
  if (n <= 0) return {};
  std::string out = FTHHeader(FTHCurves());
  // Drawdown mode writes heads: the drawdowns with their sign changed. Positions beyond the
  // stored values are written as 0.
  const double sign = mWellFluxMode ? 1.0 : -1.0;
  for (int i = 0; i < n; ++i) {
    out += FormatFTHTime(OutputTimes[static_cast<std::size_t>(i)]);
    for (int layer = 0; layer < l; ++layer) {
      for (int k = 0; k < m; ++k) {
        const std::size_t position = (static_cast<std::size_t>(i) * l + layer) * m + k;
        out += FormatFTHValue(position < stored ? sign * CurveValues[position] : 0.0);
      }
    }
    out += kLineEnd;
  }
  out += kLineEnd;
  return out;
}

// The seven header lines: title, counts, aquifers, then curve numbers, names, X and Y, each of
// these once per aquifer of the range.
std::string TAQVData::FTHHeader(const std::vector<TFTHCurve>& curves) const {
  const int l = mLowerLayer - mUpperLayer + 1;
  std::string out(mWellFluxMode ? "AQV Transient Flow :  File of Times & Fluxes"
                                : "AQV Transient Flow :  File of Times & Heads");
  out += kLineEnd;
  out += std::to_string(l) + " " + std::to_string(curves.size()) + "   1";
  out += kLineEnd;
  for (int layer = mUpperLayer; layer <= mLowerLayer; ++layer) out += std::to_string(layer) + " ";
  out += kLineEnd;
  const auto headerRow = [&](auto cell) {
    out += kHeaderCell;
    for (int layer = 0; layer < l; ++layer)
      for (std::size_t k = 0; k < curves.size(); ++k) out += cell(k);
    out += kLineEnd;
  };
  headerRow([](std::size_t k) { return FormatIntRight(static_cast<int>(k) + 1, 10); });
  headerRow([&](std::size_t k) { return NameCell(curves[k].Name); });
  headerRow([&](std::size_t k) { return FormatFixed(curves[k].X, 1, 10); });
  headerRow([&](std::size_t k) { return FormatFixed(curves[k].Y, 1, 10); });
  return out;
}

void TAQVData::SaveCurvesAsFTH(const std::string& fileName) {
  const std::string text = CurvesFTHText();
  if (text.empty()) {
    UserInterface().MessageBox("No results to write to FTH file. Update chart first!",
                               TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    return;
  }
  if (const TFileIOStatus status = WriteFileAtomically(fileName, text); !IsSuccess(status)) {
    UserInterface().MessageBox(SaveFailedText(fileName, ToText(status)), TMsgDlgType::mtError,
                               TMsgDlgButtons::mbOK);
  }
}

}  // namespace aqv

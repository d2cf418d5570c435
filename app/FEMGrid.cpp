#include "app/FEMGrid.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/AQVData.h"
#include "model/file/AQVFileText.h"

namespace aqv {

namespace {

constexpr const char* kTitleLine = "Kelva-ros  Finite  Element  Model    ";
constexpr const char* kCodeLine = "0001111111 0001111111";
constexpr const char* kLineEnd = "\r\n";

int LayerCount(const TAQVData& data) {
  return std::min(data.AquiferCount(), kMaxFEMLayers);
}

int ScreenCount(const TPumpingWell& well, int layers) {
  int count = 0;
  for (int l = 1; l <= layers; ++l) count += well.Screened[l] ? 1 : 0;
  return count;
}

void AppendHeader(const TAQVGrid& grid, const TAQVData& data, std::string& out) {
  const int layers = LayerCount(data);
  int screens = 0;
  for (int w = 1; w <= data.PumpingWellCount(); ++w) {
    if (grid.PumpingWellNode(w) != 0) screens += ScreenCount(data.PumpingWells[w], layers);
  }
  out += kTitleLine;
  out += kLineEnd;
  for (int i = 1; i <= kInfoTextCount; ++i) out += data.InfoTexts[i] + kLineEnd;
  out += std::to_string(grid.NodeCount()) + ' ' + std::to_string(grid.ElementCount()) + ' ' +
         std::to_string(layers) + ' ' + std::to_string(screens) + kLineEnd;
  // Corners 0, 3, 1 and 4 of the boundary: the largest and smallest X and Y of the model.
  const int side = grid.BoundaryNodeCount() / 6;
  out += FormatFixed(grid.Node(1).X, 3, 10) + ' ' + FormatFixed(grid.Node(3 * side + 1).X, 3, 10) +
         kLineEnd;
  out += FormatFixed(grid.Node(side + 1).Y, 3, 10) + ' ' +
         FormatFixed(grid.Node(4 * side + 1).Y, 3, 10) + kLineEnd;
  out += kCodeLine;
  out += kLineEnd;
}

void AppendNode(const TAQVGrid& grid, const TAQVData& data, int newNumber, std::string& out) {
  const int layers = LayerCount(data);
  const int number = grid.Order(newNumber);
  const TMeshNode& node = grid.Node(number);
  const int boundary = grid.BoundaryNodeCount();
  const bool onBoundary = number <= boundary;
  out += onBoundary ? '1' : '0';
  out += ' ' + FormatFixed(node.X, 3, 4) + ' ' + FormatFixed(node.Y, 3, 4) + " 0.000";
  for (int l = 1; l <= layers; ++l) out += onBoundary ? " 2 0.000" : " 0 0.000";
  out += kLineEnd;
  for (int l = 1; l <= layers; ++l) {
    out += FormatFixed(data.Resistance[l], 3, 14) + ' ' + FormatFixed(data.T[l], 3, 14) + ' ';
  }
  out += kLineEnd;
  out += std::to_string(node.NeighbourCount + 1) + ' ' + std::to_string(newNumber);
  for (int k = 0; k < node.NeighbourCount; ++k) {
    out += ' ' + std::to_string(grid.Rank(node.Neighbours[static_cast<std::size_t>(k)]));
  }
  const int wells = grid.IndependentPumpingWellCount() + grid.ObservationNodeCount();
  if (number > boundary && number <= boundary + wells) {
    out += ' ' + FormatIntRight(number - boundary, 2);
  }
  out += kLineEnd;
}

void AppendWells(const TAQVGrid& grid, const TAQVData& data, std::string& out) {
  const int layers = LayerCount(data);
  for (int w = 1; w <= data.PumpingWellCount(); ++w) {
    const int node = grid.PumpingWellNode(w);
    if (node == 0) continue;
    const TPumpingWell& well = data.PumpingWells[w];
    const int screens = ScreenCount(well, layers);
    const double discharge = well.Discharge[std::clamp(well.PeriodCount(), 1, kMaxPeriods)];
    for (int l = 1; l <= layers; ++l) {
      if (!well.Screened[l]) continue;
      out += std::to_string(l) + ' ' + std::to_string(grid.Rank(node)) + ' ' +
             FormatFixed(discharge / screens, 3, 12) + kLineEnd;
    }
  }
  for (int w = 1; w <= data.PumpingWellCount(); ++w) {
    if (grid.PumpingWellNode(w) != 0) out += data.PumpingWells[w].Name + kLineEnd;
  }
  for (int w = 1; w <= data.ObservationWellCount(); ++w) {
    if (grid.ObservationWellNode(w) != 0) out += data.ObservationWells[w].Name + kLineEnd;
  }
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// path with ".fem" added when its file-name part has no extension.
std::string WithModelFileExtension(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
  return path.find('.', start) == std::string::npos ? path + ".fem" : path;
}

}  // namespace

std::string FEMModelText(const TAQVGrid& grid, const TAQVData& data) {
  if (!grid.MeshValid()) return {};
  std::string out;
  // About 150 characters per node with two layers.
  out.reserve(static_cast<std::size_t>(grid.NodeCount()) * 160 + 4096);
  AppendHeader(grid, data, out);
  for (int k = 1; k <= grid.NodeCount(); ++k) AppendNode(grid, data, k, out);
  AppendWells(grid, data, out);
  return out;
}

TFileIOStatus WriteFEMModelFile(const TAQVGrid& grid, const TAQVData& data,
                                const std::string& path) {
  if (!grid.MeshValid()) return TFileIOStatus::fiWriteFailed;
  return WriteFileAtomically(path, FEMModelText(grid, data));
}

bool SaveFEMModel(const TAQVGrid& grid, TAQVData& data) {
  if (!grid.MeshValid()) return false;
  TUserInterface& ui = data.UserInterface();
  std::string chosen = FileNameOf(MakeUniqueFileName(data.FileName, "fem"));
  if (!ui.SaveDialog(chosen, Globals().SaveDirectory, kFEMFileFilter, "fem")) return false;
  const std::string path = WithModelFileExtension(chosen);
  if (path != chosen && FileExists(path) &&
      ui.MessageBox(path + " already exists. Overwrite?", TMsgDlgType::mtConfirmation,
                    TMsgDlgButtons::mbYesNo) != TModalResult::mrYes) {
    return false;
  }
  Globals().SaveDirectory = FolderOf(path);
  if (const TFileIOStatus status = WriteFEMModelFile(grid, data, path); !IsSuccess(status)) {
    ui.MessageBox(SaveFailedText(path, ToText(status)), TMsgDlgType::mtError,
                  TMsgDlgButtons::mbOK);
    return false;
  }
  return true;
}

// ---- Dialog state -----------------------------------------------------------------------------

void TFEMGridFormState::PreviewStarted(int density, double modelLength) {
  mDensity = density;
  mModelLength = modelLength;
  mGenerating = true;
  mMeshValid = false;
  mSettingsMatch = true;
}

void TFEMGridFormState::GenerationEnded(bool meshValid) {
  mGenerating = false;
  mMeshValid = meshValid;
}

void TFEMGridFormState::SettingsChanged(int density, double modelLength) {
  mSettingsMatch = density == mDensity && modelLength == mModelLength;
}

std::string TFEMGridFormState::ModelLengthCaption(const std::string& lengthUnitLabel) {
  return "Model length (" + lengthUnitLabel + ")";
}

}  // namespace aqv

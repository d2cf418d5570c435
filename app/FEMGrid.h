#pragma once

#include <string>

#include "app/AQVGrid.h"
#include "model/file/AQVFileIO.h"

namespace aqv {

class TAQVData;

inline constexpr const char* kFEMFileFilter = "FEM files (*.fem)|*.fem|All files (*.*)|*.*";
inline constexpr const char* kFEMHelpKeyword = "fem_model";
// Layers a model file holds at most.
inline constexpr int kMaxFEMLayers = 20;

// The model file (".fem") of the current mesh of grid for the document data: a header of 19
// lines, three lines per node in new-number order, the screen lines of the pumping wells and
// the well names; lines end in CR LF and numbers use "." whatever the locale. Empty when the
// mesh is not valid.
std::string FEMModelText(const TAQVGrid& grid, const TAQVData& data);

// Writes FEMModelText to path through a temporary file renamed over the target, so that a
// failed write leaves an existing file as it was. fiWriteFailed without a valid mesh.
[[nodiscard]] TFileIOStatus WriteFEMModelFile(const TAQVGrid& grid, const TAQVData& data,
                                              const std::string& path);

// The Save button: a save dialog in the save directory proposing a new name beside the
// document, ".fem" added to a name without extension (asking before overwriting a file the
// dialog did not ask about), then the write. A failure shows "Could not save " + path + "!"
// with the reason on a second line. Returns true when the file was written.
bool SaveFEMModel(const TAQVGrid& grid, TAQVData& data);

// The state of the model-generator dialog's buttons, kept apart from the widgets. The mesh
// saved must be the one previewed: Save is enabled only after a successful preview and only
// while the density and model length are those the preview used. During a generation the
// Close button reads "Cancel" and only cancels.
class TFEMGridFormState {
 public:
  // The Preview button was pressed with these settings.
  void PreviewStarted(int density, double modelLength);
  // The generation ended; meshValid as the mesh control reports it.
  void GenerationEnded(bool meshValid);
  // The density or model length edit changed the document.
  void SettingsChanged(int density, double modelLength);

  bool Generating() const { return mGenerating; }
  bool SaveEnabled() const { return mMeshValid && !mGenerating && mSettingsMatch; }
  // "&Close", or "Cancel" during a generation.
  std::string CloseCaption() const { return mGenerating ? "Cancel" : "&Close"; }
  // True when the Close button closes the dialog (modal result OK); false while it cancels.
  bool CloseClosesDialog() const { return !mGenerating; }

  // "Model length (" + unit label + ")".
  static std::string ModelLengthCaption(const std::string& lengthUnitLabel);

 private:
  int mDensity = 0;
  double mModelLength = 0;
  bool mGenerating = false, mMeshValid = false, mSettingsMatch = false;
};

}  // namespace aqv

#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace aqv {

// Texts shown in the about box and the splash window.
inline constexpr const char* kProgramDescription =
    "Analysis of aquifer tests in layered aquifer systems with transient flow";
inline constexpr const char* kCreditsText =
    "Laplace-domain solution with Stehfest inversion and least-squares parameter fitting";
inline constexpr const char* kCopyrightText = "Copyright \u00A9 2026 The AQV developers";

// The program's picture at the given size in pixels, for the about box, the splash window and
// the window icons.
[[nodiscard]] QPixmap ProgramPicture(int size);

// The about box: product name, edition label, description, credits and copyright. Lives as
// long as the application and is shown modally.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* Version() const { return mVersion; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Fills the version and copyright lines; run on every show.
  void FormShow();

  QLabel* mVersion;
  QLabel* mCopyRightLabel;
  QPushButton* mOKButton;
};

}  // namespace aqv

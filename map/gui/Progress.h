#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;

namespace aqv {

// The modeless progress window of long image work ("Progress"): a caption, "Please wait..." and
// a smooth bar. One instance lives as long as the frame window, which creates it; callers show
// it before long work and hide it after. UpdateProgress is the progress method of the
// background images. It never keeps the keyboard: hidden, it hands it back to the window that
// had it.
class TProgressForm : public QDialog {
  Q_OBJECT

 public:
  explicit TProgressForm(QWidget* parent = nullptr);
  ~TProgressForm() override;

  // The one window of the process, or nullptr before the frame window made it.
  static TProgressForm* Instance();

  // Sets what changed and repaints only then; processes no other events.
  void UpdateProgress(const QString& caption, int position, int maximum);
  int RepaintCount() const { return mRepaints; }
  QLabel* CaptionLabel() const { return mLabel1; }
  QProgressBar* Bar() const { return mBar; }

  void setVisible(bool visible) override;

 private:
  QLabel* mLabel1;
  QLabel* mLabel2;
  QProgressBar* mBar;
  int mRepaints = 0;
  QPointer<QWidget> mActiveBefore;  // the window that had the keyboard when it was shown
};

}  // namespace aqv

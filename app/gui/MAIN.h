#pragma once

#include <QMainWindow>
#include <string>
#include <string_view>

class QMdiArea;

namespace aqv {

// Caption of the frame window for a version string such as "1.02.03": the product, the
// edition and the first four characters of the version ("1.02").
[[nodiscard]] std::string MainFormCaption(std::string_view versionString);

// The application's main window and the frame of the document windows, which live in its
// MDI area. Created by the program entry after the process-wide values are set; owned by the
// program entry and alive until the application ends.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);

  // The area that holds the document windows; owned by the frame.
  [[nodiscard]] QMdiArea* MdiArea() const { return mMdiArea; }

 private:
  QMdiArea* mMdiArea = nullptr;
};

}  // namespace aqv

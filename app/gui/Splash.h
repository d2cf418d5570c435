#pragma once

#include <QWidget>

class QTimer;

namespace aqv {

// The window shown while the program starts: borderless, on top, centred, 300 x 205 pixels.
// It may close once its timer has fired, 2500 ms after it was made.
class TSplashForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kShowMilliseconds = 2500;

  explicit TSplashForm(QWidget* parent = nullptr);

  // True exactly when the timer has fired.
  [[nodiscard]] bool CloseQuery() const;
  QTimer* Timer() const { return mTimer; }

 private:
  void TimerTimer();

  QTimer* mTimer;
};

}  // namespace aqv

#pragma once

#include <functional>

#include "controls/QtDrawing.h"

namespace aqv::test {

// Counts the control beeps while it lives, instead of sounding them.
class TBeepCounter {
 public:
  TBeepCounter() {
    mPrevious = SetControlBeepHandler([this] { ++Count; });
  }
  ~TBeepCounter() { SetControlBeepHandler(mPrevious); }
  TBeepCounter(const TBeepCounter&) = delete;
  TBeepCounter& operator=(const TBeepCounter&) = delete;

  int Count = 0;

 private:
  std::function<void()> mPrevious;
};

}  // namespace aqv::test

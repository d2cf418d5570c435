#pragma once

#include <vector>

#include "chart/NotifyEvent.h"

namespace aqv::test {

// Records the sender of every change event it is hooked to.
struct TEventLog {
  std::vector<TObject*> Senders;
  TNotifyEvent Handler() {
    return [this](TObject* sender) { Senders.push_back(sender); };
  }
};

}  // namespace aqv::test

#pragma once

#include <vector>

#include "chart/NotifyEvent.h"

namespace aqv::test {

// Records the sender of every change event it is hooked to; the second constructor hooks it to
// the change event of `source`. Not copyable: the handler refers to this log.
struct TEventLog {
  TEventLog() = default;
  template <typename T>
  explicit TEventLog(T& source) {
    source.OnChange = Handler();
  }
  TEventLog(const TEventLog&) = delete;
  TEventLog& operator=(const TEventLog&) = delete;
  std::vector<TObject*> Senders;
  TNotifyEvent Handler() {
    return [this](TObject* sender) { Senders.push_back(sender); };
  }
};

}  // namespace aqv::test

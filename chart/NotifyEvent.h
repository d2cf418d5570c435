#pragma once

#include <functional>

namespace aqv {

// Root of the program's objects that announce changes: a sender passed to a change event is a
// TObject, so a handler can tell which object changed.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};

// A change event: called with the object whose state changed. An empty event is not fired.
using TNotifyEvent = std::function<void(TObject* sender)>;

inline void Fire(const TNotifyEvent& event, TObject* sender) {
  if (event) event(sender);
}

}  // namespace aqv

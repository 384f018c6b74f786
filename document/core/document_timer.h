// The animation timer of a document. The plain timer only records its state; the viewer
// supplies one that runs on its window's timers.
#pragma once

#include <functional>
#include <memory>

#include "common/classes.h"

class TDocumentTimer : public TObject {
 public:
  virtual void SetEnabled(bool Value) { FEnabled = Value; }
  bool Enabled() const { return FEnabled; }
  virtual void SetInterval(int Value) { FInterval = Value; }
  int Interval() const { return FInterval; }
  // Called on every tick.
  TNotifyEvent OnTimer;

 private:
  bool FEnabled = false;
  int FInterval = 1000;
};

using TTimerFactory = std::function<std::unique_ptr<TDocumentTimer>()>;

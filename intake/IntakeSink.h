// What the intake needs from the control it feeds: the window its drain timer
// runs on, a place for the rows, and the NewEvent announcement. The intake
// knows nothing of painting or of the store's layout.
#pragma once
#include "framework/Types.h"
#include "framework/WindowPort.h"

class IntakeSink {
 public:
  virtual ~IntakeSink() = default;
  virtual WindowPort& TimerWindow() = 0;
  // A share of rows: added between Begin and End, shown once at the end.
  virtual void BeginRows() = 0;
  virtual void AddEventRow(const String& timestamp, const String& source, const String& message,
                           const String& category, const String& severity) = 0;
  virtual void EndRows() = 0;
  // The NewEvent event for a record, listed or not.
  virtual void Announce(double date, const String& source, const String& message, const String& category,
                        int16_t severity) = 0;
  // A drain tick ended, whatever it brought: time to show the list again.
  virtual void Drained() = 0;
};

// Other programs' windows: the system's notices that a long disk job provokes.
#pragma once

namespace bw {

class IDesktop {
public:
  virtual ~IDesktop() = default;

  /// Closes the system's "Disk Full", "Hard Disk is Full" or "Hard Disk is Low on Space"
  /// notice, the first of them found; true when one was found.
  virtual bool CloseLowSpaceWarning() = 0;

  /// While a log-off cleaning runs, answers the system's prompt about the busy program by
  /// pressing its "&Wait" button. Does nothing where there is no such prompt.
  virtual void PressWaitButton(bool logOffCleaning) = 0;
};

} // namespace bw

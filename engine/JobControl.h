// The few requests a running job answers. The cleaning job, the zap and the drive viewer's scan
// all take them the same way, so that a progress dialog maps its Cancel button, Enter and its
// close box once for all three, and the command line maps Ctrl-C once.
#pragma once

namespace bw {

class IJobControl {
public:
  virtual ~IJobControl() = default;

  /// Cancel asked (the button, Ctrl-C at a terminal): asks the user first and, on Yes, stops
  /// the job at its next poll.
  virtual void OnCancel() = 0;

  /// Close asked (the close box, an interrupt with nobody to ask): stops the job at its next
  /// poll without asking.
  virtual void OnClose() = 0;

  /// True while the job's work runs.
  virtual bool IsRunning() const = 0;

  /// Enter: while the job runs it means Cancel, the only button a running job's dialog offers;
  /// otherwise it is left to the dialog. True when it was taken here.
  bool OnEnter() {
    if (!IsRunning())
      return false;
    OnCancel();
    return true;
  }
};

} // namespace bw

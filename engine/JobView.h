// What every job's progress dialog offers, whatever else it shows: the bar, the animation, the
// Cancel button, the pump and message boxes owned by the dialog. The cleaning job's and the
// zap's views add their own lines of text and reports.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

class IJobView {
public:
  virtual ~IJobView() = default;

  /// The progress bar, 0..100.
  virtual void SetProgress(int percent) = 0;
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;
  virtual void EnableCancel(bool enabled) = 0;

  /// Takes at most one waiting message and handles it. A Cancel request (the button, Enter)
  /// or a close arrives here and is passed to the job's OnCancel or OnClose before this returns.
  virtual void PumpMessage() = 0;

  /// A message box owned by the dialog; returns an kId* result.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;

  /// Ends the dialog (the cleaning dialog by OnOK, the zap's with result 1).
  virtual void Close() = 0;
};

} // namespace bw

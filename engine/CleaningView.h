// What the cleaning job shows and asks: the "Cleaning" progress dialog on Windows, a terminal
// on Linux, a recorder in tests.
#pragma once

#include "engine/CleaningDialogRes.h"

#include <cstdint>
#include <string>

namespace bw {

class ICleaningView {
public:
  virtual ~ICleaningView() = default;

  virtual void SetDriveListText(const std::string& text) = 0;
  /// The phase line.
  virtual void SetProcessText(const std::string& text) = 0;
  /// The second line: a path, or the pass counter.
  virtual void SetDetailText(const std::string& text) = 0;
  /// The progress bar, 0..100.
  virtual void SetProgress(int percent) = 0;
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;
  /// Shows or hides the shut-down icon (IDC_SHUTDOWN_ICON).
  virtual void ShowShutdownIcon(bool visible) = 0;
  virtual void EnableCancel(bool enabled) = 0;

  /// Takes at most one waiting message and handles it. A Cancel request (the button, Enter)
  /// or a close arrives here and is passed to the job's OnCancel or OnClose before this returns.
  virtual void PumpMessage() = 0;

  /// A message box owned by the dialog; returns an kId* result.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;

  /// Width of the detail line in pixels, and a text's width in its font, for shortening paths.
  virtual int DetailWidth() = 0;
  virtual int MeasureDetailText(const std::string& text) = 0;

  /// The report of a cleaning that reached every drive: the cleaned drives ("C:, D:").
  virtual void ShowCompleteReport(const std::string& cleaned) = 0;
  /// The report of a cleaning that did not: both lists, "None" for an empty one.
  virtual void ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) = 0;

  /// Ends the dialog (OnOK).
  virtual void Close() = 0;
};

} // namespace bw

// What the cleaning job shows and asks: the "Cleaning" progress dialog on Windows, a terminal
// on Linux, a recorder in tests.
#pragma once

#include "engine/CleaningDialogRes.h"
#include "engine/JobView.h"

#include <cstdint>
#include <string>

namespace bw {

class ICleaningView : public IJobView {
public:
  virtual void SetDriveListText(const std::string& text) = 0;
  /// The phase line.
  virtual void SetProcessText(const std::string& text) = 0;
  /// The second line: a path, or the pass counter.
  virtual void SetDetailText(const std::string& text) = 0;
  /// Shows or hides the shut-down icon (IDC_SHUTDOWN_ICON).
  virtual void ShowShutdownIcon(bool visible) = 0;

  /// Width of the detail line in pixels, and a text's width in its font, for shortening paths.
  virtual int DetailWidth() = 0;
  virtual int MeasureDetailText(const std::string& text) = 0;

  /// The report of a cleaning that reached every drive: the cleaned drives ("C:, D:").
  virtual void ShowCompleteReport(const std::string& cleaned) = 0;
  /// The report of a cleaning that did not: both lists, "None" for an empty one.
  virtual void ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) = 0;
};

} // namespace bw

// The File Destruction Warning (IDD_ZAP_WARNING): everything about to be destroyed, asked once more
// before the Zapping Progress dialog starts the job.
#pragma once

#include "engine/PathShortening.h"
#include "zap/ZapWarningRes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

constexpr int kZapWarningDialog = IDD_ZAP_WARNING;
/// The dialog's results: the two buttons, and Esc or the close box.
constexpr int kZapWarningYes = IDC_ZAP_WARNING_YES;
constexpr int kZapWarningNo = IDC_ZAP_WARNING_NO;
constexpr int kZapWarningClosed = 2;

class CZapWarningModel {
public:
  /// selections in list order; overwriteCount is N.
  CZapWarningModel(std::vector<std::string> selections, uint32_t overwriteCount);

  static constexpr const char* kCaption = "File Destruction Warning";
  static constexpr const char* kWarningLabel = "WARNING";
  static constexpr const char* kFixedLines[3] = {"All selections will be destroyed",
                                                 " and they CANNOT be recovered!",
                                                 "Do you want to continue?"};

  /// "Overwriting files %d times!" with N (the same wording for N = 1).
  const std::string& OverwriteLine() const { return _overwriteLine; }

  /// The WARNING label's font height for a screen of pixelsPerInch (96 when the screen gives
  /// none): 11.5 points, rounded to the nearest pixel, negative as a character height.
  static int LabelFontHeight(int pixelsPerInch);

  /// The list's one column: as wide as its client area less 2 pixels.
  static int ColumnWidth(int listClientWidth) { return listClientWidth - 2; }

  /// One row per selection in list order, each path shortened to the list's client width less
  /// 26 pixels (the room of its icon) as measure measures it.
  std::vector<std::string> Rows(int listClientWidth, const TextMeasure& measure) const;

  /// Enter presses No, the default button.
  static constexpr int ResultOfEnter() { return kZapWarningNo; }
  /// Only Yes lets the zap go on.
  static constexpr bool GoesAhead(int result) { return result == kZapWarningYes; }

private:
  std::vector<std::string> _selections;
  std::string _overwriteLine;
};

} // namespace bw

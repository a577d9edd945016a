// What the zap job shows and asks: the Zapping Progress dialog on Windows, a terminal on Linux,
// a recorder in tests.
#pragma once

#include "engine/JobView.h"

#include <cstdint>
#include <string>

namespace bw {

struct ZapPrompt;

class IZapView : public IJobView {
public:
  /// The "Zapping:" line: the display path.
  virtual void SetPathText(const std::string& text) = 0;
  /// The line under the path: the pass text.
  virtual void SetPassText(const std::string& text) = 0;
  /// Shows one of the confirmation dialogs (ZapPromptsRes.h) modally and returns the code it
  /// ended with: a button's identifier, or whatever Enter, Esc or a close gave.
  virtual int AskConfirmation(const ZapPrompt& prompt) = 0;

  /// Width of the path line in pixels, and a text's width in its font, for shortening paths.
  virtual int PathWidth() = 0;
  virtual int MeasurePathText(const std::string& text) = 0;
};

} // namespace bw

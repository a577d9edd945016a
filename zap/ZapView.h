// What the zap job shows and asks: the Zapping Progress dialog on Windows, a terminal on Linux,
// a recorder in tests.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

struct ZapPrompt;

class IZapView {
public:
  virtual ~IZapView() = default;

  /// The "Zapping:" line: the display path.
  virtual void SetPathText(const std::string& text) = 0;
  /// The line under the path: the pass text.
  virtual void SetPassText(const std::string& text) = 0;
  /// The progress bar, 0..100.
  virtual void SetProgress(int percent) = 0;
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;
  virtual void EnableCancel(bool enabled) = 0;

  /// Takes at most one waiting message and handles it. Cancel (the button, Enter) and a close
  /// arrive here and reach the job's OnCancel or OnClose before this returns.
  virtual void PumpMessage() = 0;

  /// A message box owned by the dialog; returns an kId* result.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;

  /// Shows one of the confirmation dialogs (ZapPromptsRes.h) modally and returns the code it
  /// ended with: a button's identifier, or whatever Enter, Esc or a close gave.
  virtual int AskConfirmation(const ZapPrompt& prompt) = 0;

  /// Width of the path line in pixels, and a text's width in its font, for shortening paths.
  virtual int PathWidth() = 0;
  virtual int MeasurePathText(const std::string& text) = 0;

  /// Ends the dialog (result 1).
  virtual void Close() = 0;
};

} // namespace bw

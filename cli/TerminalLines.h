// A block of status lines on a terminal, redrawn in place (at most ten times a second) and
// erased before anything else is written; a progress bar for it; and Ctrl-C forwarded to a
// job's cancel handlers. Shared by the cleaning and the zap views.
#pragma once

#include "engine/JobControl.h"
#include "platform/Console.h"

#include <chrono>
#include <string>

namespace bw::cli {

class CTerminalLines {
public:
  explicit CTerminalLines(bool interactive) : _interactive(interactive) {}

  bool IsInteractive() const { return _interactive; }
  /// Something shown changed: the next Draw writes the block again.
  void Changed() { _dirty = true; }
  /// True when a Draw now would write: on a terminal, changed, and not drawn in the last
  /// 100 ms unless forced.
  bool Due(bool force) const;
  /// Replaces the block on the screen with text of lineCount lines.
  void Show(const std::string& text, int lineCount);
  /// Removes the block from the screen.
  void Erase();

  /// "[####......] " with 50 cells, and the percentage.
  static std::string Bar(int percent);

private:
  bool _interactive;
  bool _dirty = false;
  int _drawnLines = 0;
  std::chrono::steady_clock::time_point _lastDraw;
};

/// Ctrl-C during a job: with a person at the terminal and Cancel enabled it asks first
/// (OnCancel), from a script it stops at once (OnClose).
void ForwardInterrupt(IConsole& console, IJobControl* job, bool cancelEnabled,
                      CTerminalLines& lines);

} // namespace bw::cli

#include "cli/TerminalLines.h"

#include <algorithm>
#include <cstdio>

namespace bw::cli {

bool CTerminalLines::Due(bool force) const {
  if (!_interactive || !_dirty)
    return false;
  return force || _drawnLines == 0 ||
         std::chrono::steady_clock::now() - _lastDraw >= std::chrono::milliseconds(100);
}

void CTerminalLines::Show(const std::string& text, int lineCount) {
  _lastDraw = std::chrono::steady_clock::now();
  Erase();
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  _drawnLines = lineCount;
  _dirty = false;
}

void CTerminalLines::Erase() {
  if (!_interactive || _drawnLines == 0)
    return;
  for (int i = 0; i < _drawnLines; ++i)
    std::fprintf(stderr, "\x1b[1A\x1b[2K");
  _drawnLines = 0;
  std::fflush(stderr);
}

std::string CTerminalLines::Bar(int percent) {
  std::string bar(static_cast<size_t>(std::clamp(percent, 0, 100) * 50 / 100), '#');
  bar.resize(50, '.');
  char figure[16];
  std::snprintf(figure, sizeof(figure), "] %3d%%", percent);
  return "[" + bar + figure;
}

void ForwardInterrupt(IConsole& console, IJobControl* job, bool cancelEnabled,
                      CTerminalLines& lines) {
  if (!job || !console.TakeInterrupt())
    return;
  if (lines.IsInteractive() && cancelEnabled) {
    lines.Erase();
    job->OnCancel();
  } else {
    job->OnClose();
  }
}

} // namespace bw::cli

#include "cli/TerminalCleaningView.h"

#include "engine/CleaningJob.h"
#include "platform/Console.h"

#include <cstdio>

namespace bw::cli {

CTerminalCleaningView::CTerminalCleaningView(IConsole& console, CTerminalPrompt& prompt)
    : _console(console), _prompt(prompt), _interactive(console.IsInteractive()) {}

CTerminalCleaningView::~CTerminalCleaningView() {
  Erase();
}

void CTerminalCleaningView::SetDriveListText(const std::string& text) {
  _driveList = text;
  if (!_interactive)
    std::printf("Cleaning drives: %s\n", text.c_str());
  _dirty = true;
}

void CTerminalCleaningView::SetProcessText(const std::string& text) {
  _process = text;
  _dirty = true;
  // Without a terminal every new phase line is written once, as a log.
  if (!_interactive && !text.empty() && text != _printedProcess) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    _printedProcess = text;
    _printedProgress = -1;
  }
}

void CTerminalCleaningView::SetDetailText(const std::string& text) {
  _detail = text;
  _dirty = true;
}

void CTerminalCleaningView::SetProgress(int percent) {
  _progress = percent;
  _dirty = true;
  if (!_interactive && percent / 25 != _printedProgress / 25 && percent > _printedProgress) {
    std::printf("  %3d%%\n", percent);
    std::fflush(stdout);
    _printedProgress = percent;
  }
}

void CTerminalCleaningView::PumpMessage() {
  if (_job && _console.TakeInterrupt()) {
    // With a person at the terminal Ctrl-C asks first; from a script it stops at once.
    if (_interactive && _cancelEnabled) {
      Erase();
      _job->OnCancel();
    } else {
      _job->OnClose();
    }
  }
  Draw(false);
}

int CTerminalCleaningView::MessageBox(const std::string& text, const std::string& caption,
                                      uint32_t style) {
  Erase();
  int answer = _prompt.Show(text, caption, style);
  _dirty = true;
  return answer;
}

void CTerminalCleaningView::Erase() {
  if (!_interactive || _drawnLines == 0)
    return;
  for (int i = 0; i < _drawnLines; ++i)
    std::fprintf(stderr, "\x1b[1A\x1b[2K");
  _drawnLines = 0;
  std::fflush(stderr);
}

void CTerminalCleaningView::Draw(bool force) {
  if (!_interactive || !_dirty)
    return;
  auto now = std::chrono::steady_clock::now();
  if (!force && _drawnLines > 0 && now - _lastDraw < std::chrono::milliseconds(100))
    return;
  _lastDraw = now;
  Erase();
  int filled = _progress * 50 / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(50, '.');
  std::fprintf(stderr, "Drives: %s\n%.*s\n%.*s\n[%s] %3d%%\n", _driveList.c_str(), kWidth,
               _process.c_str(), kWidth, _detail.c_str(), bar.c_str(), _progress);
  std::fflush(stderr);
  _drawnLines = 4;
  _dirty = false;
}

void CTerminalCleaningView::ShowCompleteReport(const std::string& cleaned) {
  Erase();
  _reportedComplete = true;
  std::printf("\nCleaning Report\n  Drives Cleaned: %s\n  Cleaning was completed successfully.\n",
              cleaned.c_str());
}

void CTerminalCleaningView::ShowPartialReport(const std::string& cleaned,
                                              const std::string& notCleaned) {
  Erase();
  std::printf("\nCleaning Report\n  Some drives were not cleaned either because the operation "
              "was canceled or the drives could not be accessed correctly.\n"
              "  Drives Cleaned: %s\n  Drives Not Cleaned: %s\n",
              cleaned.c_str(), notCleaned.c_str());
}

void CTerminalCleaningView::Close() {
  Erase();
}

} // namespace bw::cli

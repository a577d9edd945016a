#include "cli/TerminalCleaningView.h"

#include "engine/CleaningJob.h"
#include "platform/Console.h"

#include <cstdio>

namespace bw::cli {

CTerminalCleaningView::CTerminalCleaningView(IConsole& console, CTerminalPrompt& prompt)
    : _console(console), _prompt(prompt), _interactive(console.IsInteractive()),
      _lines(_interactive) {}

CTerminalCleaningView::~CTerminalCleaningView() {
  _lines.Erase();
}

void CTerminalCleaningView::SetDriveListText(const std::string& text) {
  _driveList = text;
  if (!_interactive)
    std::printf("Cleaning drives: %s\n", text.c_str());
  _lines.Changed();
}

void CTerminalCleaningView::SetProcessText(const std::string& text) {
  _process = text;
  _lines.Changed();
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
  _lines.Changed();
}

void CTerminalCleaningView::SetProgress(int percent) {
  _progress = percent;
  _lines.Changed();
  if (!_interactive && percent / 25 != _printedProgress / 25 && percent > _printedProgress) {
    std::printf("  %3d%%\n", percent);
    std::fflush(stdout);
    _printedProgress = percent;
  }
}

void CTerminalCleaningView::PumpMessage() {
  ForwardInterrupt(_console, _job, _cancelEnabled, _lines);
  Draw(false);
}

int CTerminalCleaningView::MessageBox(const std::string& text, const std::string& caption,
                                      uint32_t style) {
  _lines.Erase();
  int answer = _prompt.Show(text, caption, style);
  _lines.Changed();
  return answer;
}

void CTerminalCleaningView::Draw(bool force) {
  if (!_lines.Due(force))
    return;
  _lines.Show("Drives: " + _driveList + "\n" + _process.substr(0, kWidth) + "\n" +
                  _detail.substr(0, kWidth) + "\n" + CTerminalLines::Bar(_progress) + "\n",
              4);
}

void CTerminalCleaningView::ShowCompleteReport(const std::string& cleaned) {
  _lines.Erase();
  _reportedComplete = true;
  std::printf("\nCleaning Report\n  Drives Cleaned: %s\n  Cleaning was completed successfully.\n",
              cleaned.c_str());
}

void CTerminalCleaningView::ShowPartialReport(const std::string& cleaned,
                                              const std::string& notCleaned) {
  _lines.Erase();
  std::printf("\nCleaning Report\n  Some drives were not cleaned either because the operation "
              "was canceled or the drives could not be accessed correctly.\n"
              "  Drives Cleaned: %s\n  Drives Not Cleaned: %s\n",
              cleaned.c_str(), notCleaned.c_str());
}

void CTerminalCleaningView::Close() {
  _lines.Erase();
}

} // namespace bw::cli

#include "cli/TerminalZapView.h"

#include "platform/Console.h"
#include "zap/ZapJob.h"
#include "zap/ZapPrompts.h"

#include <cstdio>

namespace bw::cli {
namespace {

constexpr int kYes = static_cast<int>(ZapPromptResult::Yes);
constexpr int kYesToAll = static_cast<int>(ZapPromptResult::YesToAll);
constexpr int kNo = static_cast<int>(ZapPromptResult::No);
constexpr int kAbort = static_cast<int>(ZapPromptResult::Abort);

const char* LabelOf(int result) {
  switch (result) {
  case kYes:
    return "Yes";
  case kYesToAll:
    return "Yes to All";
  case kAbort:
    return "Abort";
  default:
    return "No";
  }
}

} // namespace

CTerminalZapView::CTerminalZapView(IConsole& console, CTerminalPrompt& prompt,
                                   ConfirmMode confirmMode)
    : _console(console), _prompt(prompt), _confirmMode(confirmMode),
      _interactive(console.IsInteractive()) {}

CTerminalZapView::~CTerminalZapView() {
  Erase();
}

void CTerminalZapView::SetPathText(const std::string& text) {
  _path = text;
  _dirty = true;
  // Without a terminal every item is written once, as a log.
  if (!_interactive && text != _printedPath) {
    std::printf("Zapping: %s\n", text.c_str());
    std::fflush(stdout);
    _printedPath = text;
    _printedPass.clear();
  }
}

void CTerminalZapView::SetPassText(const std::string& text) {
  _pass = text;
  _dirty = true;
  if (!_interactive && text != _printedPass) {
    std::printf("  %s\n", text.c_str());
    std::fflush(stdout);
    _printedPass = text;
  }
}

void CTerminalZapView::SetProgress(int percent) {
  _progress = percent;
  _dirty = true;
}

void CTerminalZapView::PumpMessage() {
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

int CTerminalZapView::MessageBox(const std::string& text, const std::string& caption,
                                 uint32_t style) {
  Erase();
  int answer = _prompt.Show(text, caption, style);
  _dirty = true;
  return answer;
}

int CTerminalZapView::AskConfirmation(const ZapPrompt& prompt) {
  Erase();
  std::fprintf(stderr, "\n[%s] %s %s\n", prompt.Caption.c_str(), prompt.Name.c_str(),
               prompt.Question.c_str());
  if (!prompt.FinalQuestion.empty())
    std::fprintf(stderr, "%s\n", prompt.FinalQuestion.c_str());
  _dirty = true;
  int answer = kNo;
  switch (_confirmMode) {
  case ConfirmMode::Ask: {
    std::vector<CTerminalPrompt::Choice> choices = {{'y', "Yes", kYes}};
    if (prompt.YesToAllEnabled)
      choices.push_back({'a', "Yes to All", kYesToAll});
    choices.push_back({'n', "No", kNo});
    choices.push_back({'q', "Abort", kAbort});
    // An empty line or the end of input is No: nothing goes unless someone said so.
    return _prompt.Choose("", choices, kNo);
  }
  case ConfirmMode::YesToAll:
    answer = prompt.YesToAllEnabled ? kYesToAll : kYes;
    break;
  case ConfirmMode::No:
    answer = kNo;
    break;
  }
  std::fprintf(stderr, "  -> %s\n", LabelOf(answer));
  return answer;
}

void CTerminalZapView::Erase() {
  if (!_interactive || _drawnLines == 0)
    return;
  for (int i = 0; i < _drawnLines; ++i)
    std::fprintf(stderr, "\x1b[1A\x1b[2K");
  _drawnLines = 0;
  std::fflush(stderr);
}

void CTerminalZapView::Draw(bool force) {
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
  std::fprintf(stderr, "Zapping: %.*s\n%.*s\n[%s] %3d%%\n", kWidth - 9, _path.c_str(), kWidth,
               _pass.c_str(), bar.c_str(), _progress);
  std::fflush(stderr);
  _drawnLines = 3;
  _dirty = false;
}

void CTerminalZapView::Close() {
  Erase();
}

} // namespace bw::cli

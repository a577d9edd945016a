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
      _interactive(console.IsInteractive()), _lines(_interactive) {}

CTerminalZapView::~CTerminalZapView() {
  _lines.Erase();
}

void CTerminalZapView::SetPathText(const std::string& text) {
  _path = text;
  _lines.Changed();
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
  _lines.Changed();
  if (!_interactive && text != _printedPass) {
    std::printf("  %s\n", text.c_str());
    std::fflush(stdout);
    _printedPass = text;
  }
}

void CTerminalZapView::SetProgress(int percent) {
  _progress = percent;
  _lines.Changed();
}

void CTerminalZapView::PumpMessage() {
  ForwardInterrupt(_console, _job, _cancelEnabled, _lines);
  Draw(false);
}

int CTerminalZapView::MessageBox(const std::string& text, const std::string& caption,
                                 uint32_t style) {
  _lines.Erase();
  int answer = _prompt.Show(text, caption, style);
  _lines.Changed();
  return answer;
}

int CTerminalZapView::AskConfirmation(const ZapPrompt& prompt) {
  _lines.Erase();
  std::fprintf(stderr, "\n[%s] %s %s\n", prompt.Caption.c_str(), prompt.Name.c_str(),
               prompt.Question.c_str());
  if (!prompt.FinalQuestion.empty())
    std::fprintf(stderr, "%s\n", prompt.FinalQuestion.c_str());
  _lines.Changed();
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

void CTerminalZapView::Draw(bool force) {
  if (!_lines.Due(force))
    return;
  _lines.Show("Zapping: " + _path.substr(0, kWidth - 9) + "\n" + _pass.substr(0, kWidth) + "\n" +
                  CTerminalLines::Bar(_progress) + "\n",
              3);
}

void CTerminalZapView::Close() {
  _lines.Erase();
}

} // namespace bw::cli

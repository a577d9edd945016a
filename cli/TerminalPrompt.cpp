#include "cli/TerminalPrompt.h"

#include <cctype>
#include <cstdio>

namespace bw::cli {
namespace {

using Choice = CTerminalPrompt::Choice;

std::vector<Choice> ChoicesOf(uint32_t style) {
  switch (style & kMbButtonMask) {
  case kMbOkCancel:
    return {{'o', "OK", kIdOk}, {'c', "Cancel", kIdCancel}};
  case kMbAbortRetryIgnore:
    return {{'a', "Abort", kIdAbort}, {'r', "Retry", kIdRetry}, {'i', "Ignore", kIdIgnore}};
  case kMbYesNoCancel:
    return {{'y', "Yes", kIdYes}, {'n', "No", kIdNo}, {'c', "Cancel", kIdCancel}};
  case kMbYesNo:
    return {{'y', "Yes", kIdYes}, {'n', "No", kIdNo}};
  case kMbRetryCancel:
    return {{'r', "Retry", kIdRetry}, {'c', "Cancel", kIdCancel}};
  default:
    return {};
  }
}

// What --yes answers: the affirmative, except that a failing step is not retried unattended.
int YesAnswer(uint32_t style) {
  switch (style & kMbButtonMask) {
  case kMbOkCancel:
    return kIdOk;
  case kMbAbortRetryIgnore:
    return kIdIgnore;
  case kMbYesNoCancel:
  case kMbYesNo:
    return kIdYes;
  case kMbRetryCancel:
    return kIdCancel;
  default:
    return kIdOk;
  }
}

const char* LabelOf(const std::vector<Choice>& choices, int result) {
  for (const Choice& c : choices)
    if (c.Result == result)
      return c.Label;
  return "OK";
}

} // namespace

PromptMode ChoosePromptMode(IConsole& console, bool yes, bool no) {
  if (yes)
    return PromptMode::Yes;
  if (no)
    return PromptMode::No;
  return console.IsInteractive() ? PromptMode::Ask : PromptMode::Nobody;
}

int CTerminalPrompt::Show(const std::string& text, const std::string& caption, uint32_t style) {
  std::fprintf(stderr, "\n[%s] %s\n", caption.c_str(), text.c_str());
  std::vector<Choice> choices = ChoicesOf(style);
  if (choices.empty())
    return kIdOk;
  int fallback = DefaultMessageBoxAnswer(style);
  int answer;
  switch (_mode) {
  case PromptMode::Ask:
    return Choose("", choices, fallback);
  case PromptMode::Yes:
    answer = YesAnswer(style);
    break;
  case PromptMode::No:
  case PromptMode::Nobody:
  default:
    answer = fallback;
    break;
  }
  std::fprintf(stderr, "  -> %s\n", LabelOf(choices, answer));
  return answer;
}

int CTerminalPrompt::Choose(const std::string& question, const std::vector<Choice>& choices,
                            int fallback) {
  for (;;) {
    if (!question.empty())
      std::fprintf(stderr, "%s ", question.c_str());
    for (size_t i = 0; i < choices.size(); ++i)
      std::fprintf(stderr, "%s[%c] %s", i ? ", " : "", choices[i].Key, choices[i].Label);
    std::fprintf(stderr, " (default %s): ", LabelOf(choices, fallback));
    std::fflush(stderr);
    std::string line;
    if (!_console.ReadLine(line)) {
      std::fprintf(stderr, "\n");
      return fallback; // end of input: nobody left to ask
    }
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
      return fallback;
    char key = static_cast<char>(std::tolower(static_cast<unsigned char>(line[first])));
    for (const Choice& c : choices)
      if (c.Key == key)
        return c.Result;
  }
}

} // namespace bw::cli

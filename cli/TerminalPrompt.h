// Message boxes on a text console: the text goes to standard error, and a question is asked at
// the terminal when a person is there, or answered by the --yes / --no of the command line.
#pragma once

#include "platform/Console.h"
#include "platform/MessageBox.h"

#include <string>
#include <vector>

namespace bw::cli {

/// How questions are answered.
enum class PromptMode {
  Ask,    ///< a person at the terminal answers
  Yes,    ///< --yes: go ahead, but never repeat a failing step (Retry) unattended
  No,     ///< --no: decline everything
  Nobody, ///< no terminal and no flag: the answer that never confirms anything
};

/// Ask when the console is interactive, else the flag's answer, else Nobody.
PromptMode ChoosePromptMode(IConsole& console, bool yes, bool no);

class CTerminalPrompt final : public IMessageBox {
public:
  CTerminalPrompt(IConsole& console, PromptMode mode) : _console(console), _mode(mode) {}

  int Show(const std::string& text, const std::string& caption, uint32_t style) override;

  struct Choice {
    char Key;          ///< the letter typed
    const char* Label; ///< "Yes", "Yes to All" ...
    int Result;
  };
  /// Asks question with choices; an empty line or the end of input gives fallback.
  int Choose(const std::string& question, const std::vector<Choice>& choices, int fallback);

  PromptMode Mode() const { return _mode; }

private:
  IConsole& _console;
  PromptMode _mode;
};

} // namespace bw::cli

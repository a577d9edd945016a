// The zap job's view on a text console: the path line, the pass line and a progress bar,
// redrawn in place on a terminal and written as plain lines otherwise; the confirmation
// dialogs as questions with Yes / Yes to All / No / Abort.
#pragma once

#include "cli/TerminalLines.h"
#include "cli/TerminalPrompt.h"
#include "zap/ZapView.h"

#include <string>

namespace bw {
class IConsole;
} // namespace bw

namespace bw::cli {

/// How the confirmation dialogs are answered.
enum class ConfirmMode {
  Ask,      ///< a person at the terminal answers
  YesToAll, ///< --yes-to-all: Yes to All where it is offered, else Yes
  No,       ///< nobody to ask: nothing that needs a confirmation is destroyed
};

class CTerminalZapView final : public IZapView {
public:
  CTerminalZapView(IConsole& console, CTerminalPrompt& prompt, ConfirmMode confirmMode);
  ~CTerminalZapView() override;

  /// The job whose OnCancel and OnClose Ctrl-C reaches.
  void Attach(IJobControl* job) { _job = job; }

  void SetPathText(const std::string& text) override;
  void SetPassText(const std::string& text) override;
  void SetProgress(int percent) override;
  void StartAnimation() override {}
  void StopAnimation() override {}
  void EnableCancel(bool enabled) override { _cancelEnabled = enabled; }
  void PumpMessage() override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  int AskConfirmation(const ZapPrompt& prompt) override;
  int PathWidth() override { return kWidth - 9; } // after "Zapping: "
  int MeasurePathText(const std::string& text) override { return static_cast<int>(text.size()); }
  void Close() override;

  static constexpr int kWidth = 72;

private:
  void Draw(bool force);

  IConsole& _console;
  CTerminalPrompt& _prompt;
  ConfirmMode _confirmMode;
  IJobControl* _job = nullptr;
  bool _interactive;
  bool _cancelEnabled = true;
  std::string _path, _pass;
  int _progress = 0;
  CTerminalLines _lines;
  std::string _printedPath, _printedPass;
};

} // namespace bw::cli

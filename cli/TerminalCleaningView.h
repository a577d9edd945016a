// The cleaning job's view on a text console: the drive list, the phase and detail lines and a
// progress bar, redrawn in place on a terminal and written as plain lines otherwise.
#pragma once

#include "cli/TerminalLines.h"
#include "cli/TerminalPrompt.h"
#include "engine/CleaningView.h"

#include <string>

namespace bw {
class IConsole;
} // namespace bw

namespace bw::cli {

class CTerminalCleaningView final : public ICleaningView {
public:
  CTerminalCleaningView(IConsole& console, CTerminalPrompt& prompt);
  ~CTerminalCleaningView() override;

  /// The job whose OnCancel and OnClose Ctrl-C reaches.
  void Attach(IJobControl* job) { _job = job; }

  void SetDriveListText(const std::string& text) override;
  void SetProcessText(const std::string& text) override;
  void SetDetailText(const std::string& text) override;
  void SetProgress(int percent) override;
  void StartAnimation() override {}
  void StopAnimation() override {}
  void ShowShutdownIcon(bool) override {}
  void EnableCancel(bool enabled) override { _cancelEnabled = enabled; }
  void PumpMessage() override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  int DetailWidth() override { return kWidth; }
  int MeasureDetailText(const std::string& text) override { return static_cast<int>(text.size()); }
  void ShowCompleteReport(const std::string& cleaned) override;
  void ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) override;
  void Close() override;

  /// The report the job chose: true when it was the complete one.
  bool ReportedComplete() const { return _reportedComplete; }

private:
  static constexpr int kWidth = 72;
  void Draw(bool force);

  IConsole& _console;
  CTerminalPrompt& _prompt;
  IJobControl* _job = nullptr;
  bool _interactive;
  bool _cancelEnabled = true;
  bool _reportedComplete = false;
  std::string _driveList, _process, _detail;
  int _progress = 0;
  int _printedProgress = -1;
  std::string _printedProcess;
  CTerminalLines _lines;
};

} // namespace bw::cli

// A cleaning view that records what the job shows and answers its questions from a script.
#pragma once

#include "engine/CleaningJob.h"
#include "engine/CleaningView.h"
#include "platform/MessageBox.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace bw::test {

class CRecordingCleaningView final : public ICleaningView {
public:
  struct Box {
    std::string Text, Caption;
    uint32_t Style;
  };

  void SetDriveListText(const std::string& text) override { DriveList = text; }
  void SetProcessText(const std::string& text) override {
    Process = text;
    if (!text.empty() && (Processes.empty() || Processes.back() != text))
      Processes.push_back(text);
  }
  void SetDetailText(const std::string& text) override {
    Detail = text;
    if (!text.empty())
      Details.push_back(text);
  }
  void SetProgress(int percent) override {
    Progress = percent;
    ProgressHistory.push_back(percent);
  }
  void StartAnimation() override { Animating = true; }
  void StopAnimation() override { Animating = false; }
  void ShowShutdownIcon(bool visible) override { ShutdownIcon = visible; }
  void EnableCancel(bool enabled) override { CancelEnabled = enabled; }
  void PumpMessage() override {
    ++Pumps;
    if (OnPump)
      OnPump();
  }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    Boxes.push_back({text, caption, style});
    if (Answers.empty())
      return DefaultMessageBoxAnswer(style);
    int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  int DetailWidth() override { return 60; }
  int MeasureDetailText(const std::string& text) override { return static_cast<int>(text.size()); }
  void ShowCompleteReport(const std::string& cleaned) override {
    Report = "complete";
    ReportCleaned = cleaned;
  }
  void ShowPartialReport(const std::string& cleaned, const std::string& notCleaned) override {
    Report = "partial";
    ReportCleaned = cleaned;
    ReportNotCleaned = notCleaned;
  }
  void Close() override { Closed = true; }

  std::string DriveList, Process, Detail;
  std::vector<std::string> Processes, Details;
  int Progress = 0;
  std::vector<int> ProgressHistory;
  bool Animating = false, ShutdownIcon = false, CancelEnabled = true, Closed = false;
  int Pumps = 0;
  std::function<void()> OnPump;
  std::vector<Box> Boxes;
  std::deque<int> Answers;
  std::string Report, ReportCleaned, ReportNotCleaned;
};

} // namespace bw::test

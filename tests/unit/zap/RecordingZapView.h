// A zap view that records what the job shows and answers its questions from scripts.
#pragma once

#include "platform/MessageBox.h"
#include "zap/ZapNameCleaning.h"
#include "zap/ZapPrompts.h"
#include "zap/ZapView.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace bw::test {

class CRecordingZapView final : public IZapView {
public:
  struct Box {
    std::string Text, Caption;
    uint32_t Style;
  };

  void SetPathText(const std::string& text) override { Paths.push_back(text); }
  void SetPassText(const std::string& text) override {
    if (Passes.empty() || Passes.back() != text)
      Passes.push_back(text);
  }
  void SetProgress(int percent) override { Progress.push_back(percent); }
  void StartAnimation() override {
    Animating = true;
    ++AnimationStarts;
  }
  void StopAnimation() override { Animating = false; }
  void EnableCancel(bool enabled) override { CancelEnabled = enabled; }
  void PumpMessage() override {
    ++Pumps;
    if (OnPump)
      OnPump();
  }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
    Boxes.push_back({text, caption, style});
    AnimatingDuringBoxes.push_back(Animating);
    if (BoxAnswers.empty())
      return DefaultMessageBoxAnswer(style);
    int answer = BoxAnswers.front();
    BoxAnswers.pop_front();
    return answer;
  }
  int AskConfirmation(const ZapPrompt& prompt) override {
    Prompts.push_back(prompt);
    AnimatingDuringBoxes.push_back(Animating);
    if (OnPrompt)
      OnPrompt(prompt);
    if (PromptAnswers.empty())
      return static_cast<int>(ZapPromptResult::Yes);
    int answer = PromptAnswers.front();
    PromptAnswers.pop_front();
    return answer;
  }
  int PathWidth() override { return 60; }
  int MeasurePathText(const std::string& text) override { return static_cast<int>(text.size()); }
  void Close() override { Closed = true; }

  /// "name: question" of every prompt, in order.
  std::vector<std::string> PromptLines() const {
    std::vector<std::string> lines;
    for (const ZapPrompt& p : Prompts)
      lines.push_back(p.Name + ": " + p.Question);
    return lines;
  }

  std::vector<std::string> Paths, Passes;
  std::vector<int> Progress;
  bool Animating = false, CancelEnabled = true, Closed = false;
  int AnimationStarts = 0;
  int Pumps = 0;
  std::function<void()> OnPump;
  std::function<void(const ZapPrompt&)> OnPrompt;
  std::vector<Box> Boxes;
  std::deque<int> BoxAnswers;
  std::vector<ZapPrompt> Prompts;
  std::deque<int> PromptAnswers; ///< dialog end codes; Yes when the script runs out
  std::vector<bool> AnimatingDuringBoxes;
};

/// Records the folders whose names the zap cleans: "folder xN" per call.
class CRecordingNameCleaning final : public IZapNameCleaning {
public:
  void CleanFolder(const std::string& folder, uint32_t times) override {
    Calls.push_back(folder + " x" + std::to_string(times));
  }
  std::vector<std::string> Calls;
};

} // namespace bw::test

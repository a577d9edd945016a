// The progress bar a job advances step by step, and the texts every job shows the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace bw {

/// The box a job shows when a buffer cannot be had, with its caption.
constexpr const char* kOutOfMemoryText =
    "Insufficient memory to continue.  Close some windows to free up memory.";
constexpr const char* kOutOfMemoryCaption = "Memory Error";

/// A progress bar of 0..100 moved in equal steps; the view's bar is set through show.
class CJobProgress {
public:
  explicit CJobProgress(std::function<void(int)> show) : _show(std::move(show)) {}

  /// Shows percent, clamped to 0..100: a rounding step past the end must not overflow the bar.
  void Show(int percent) { _show(percent < 0 ? 0 : percent > 100 ? 100 : percent); }

  /// Starts a count of steps from 0 (without showing it); no steps give steps of 0.
  void Start(uint64_t steps) {
    _step = steps > 0 ? 100.0f / static_cast<float>(steps) : 0.0f;
    _value = 0;
  }

  /// Starts the same steps again from 0.
  void Restart() { _value = 0; }

  /// One step further, shown.
  void Advance() {
    _value += _step;
    Show(static_cast<int>(_value));
  }

private:
  std::function<void(int)> _show;
  float _step = 0;
  float _value = 0;
};

} // namespace bw

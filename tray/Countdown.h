// The Scheduled Cleaning dialog's countdown: the user sees 10, 9, ... 0, one a second, and the
// cleaning starts at the tick after 0, eleven seconds after the dialog opened.
#pragma once

#include <string>

namespace bw {

class CCountdown {
public:
  static constexpr int kStartSeconds = 10;

  int SecondsLeft() const { return _secondsLeft; }
  std::string Text() const { return std::to_string(_secondsLeft); }

  /// One second passed; true when the countdown has run out and the cleaning is to start.
  bool Tick() { return --_secondsLeft < 0; }

private:
  int _secondsLeft = kStartSeconds;
};

} // namespace bw

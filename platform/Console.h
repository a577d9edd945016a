// The text console the command line talks through: whether a person is at it, their answers,
// and Ctrl-C.
#pragma once

#include <string>

namespace bw {

class IConsole {
public:
  virtual ~IConsole() = default;

  /// True when standard input and standard error are both a terminal, so questions can be
  /// asked and a progress display redrawn in place.
  virtual bool IsInteractive() = 0;

  /// Reads one line from standard input, without its line end; false at the end of input.
  virtual bool ReadLine(std::string& line) = 0;

  /// Routes Ctrl-C to a flag instead of ending the process.
  virtual void CatchInterrupt() = 0;

  /// True once for every Ctrl-C pressed since the last call.
  virtual bool TakeInterrupt() = 0;
};

} // namespace bw

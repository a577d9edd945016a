// Other programs of the system, reached through their windows: find a program's main window,
// bring it to the front and hand it a command word, start a program that is not running, and
// ask a window to close. This is the only way the deliverables talk to each other.
//
// Every operation on a window takes what a lookup returned; a window that has gone since (its
// program ended) makes the operation fail, never crash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

/// A top-level window of any program, as a lookup found it; kNoWindow for none.
using WindowId = uint64_t;
constexpr WindowId kNoWindow = 0;

class IWindowCommands {
public:
  virtual ~IWindowCommands() = default;

  /// The top-level window whose title is title and whose class is one of classNames, trying
  /// the class names in order (FindWindowA with each); kNoWindow when none matches.
  virtual WindowId FindMainWindow(const std::vector<std::string>& classNames,
                                  const std::string& title) = 0;

  /// A top-level window of any class whose title is title; kNoWindow when there is none.
  virtual WindowId FindWindowByTitle(const std::string& title) = 0;

  /// Makes window the foreground window; false when it is gone or the system refused.
  virtual bool BringToFront(WindowId window) = 0;

  /// Sends window WM_COPYDATA with the command word as dwData and no data block (cbData 0,
  /// lpData null), and returns once its program has handled it. False when window is gone.
  virtual bool SendCommand(WindowId window, uint32_t commandWord) = 0;

  /// Sends window WM_CLOSE and returns once it has been handled; result is what the window
  /// answered and is defined only when true is returned. False when window is gone.
  virtual bool SendClose(WindowId window, int64_t& result) = 0;

  /// Starts program with arguments (each passed as one argument) and returns without waiting
  /// for it; false when it could not be started.
  virtual bool Start(const std::string& program, const std::vector<std::string>& arguments) = 0;

  /// Waits milliseconds, so that a program just started can make its window.
  virtual void Wait(uint32_t milliseconds) = 0;
};

} // namespace bw

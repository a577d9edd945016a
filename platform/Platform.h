// The platform seam: every service the portable code uses, reached through one object.
//
// The portable code (engine, zap, settings, viewer, tray rules) is written against these
// interfaces only. Three implementations exist: win32 (the real calls), posix (Linux, with a
// drive map) and memory (fakes for unit tests). CMake picks which one a program links.
#pragma once

#include "platform/Console.h"
#include "platform/Desktop.h"
#include "platform/DriveMap.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/VolumeBitmap.h"
#include "platform/WindowCommands.h"

#include <memory>
#include <string>

namespace bw {

class IPlatform {
public:
  virtual ~IPlatform() = default;

  virtual ISystem& System() = 0;
  virtual IDrives& Drives() = 0;
  virtual IFileSystem& Files() = 0;
  virtual IDesktop& Desktop() = 0;
  /// The allocation-bitmap query of NTFS volumes.
  virtual IVolumeBitmap& VolumeBitmap() = 0;
  virtual IRegistry& Registry() = 0;
  virtual IConsole& Console() = 0;
  /// Other programs' windows: lookups, command words, starting and closing.
  virtual IWindowCommands& WindowCommands() = 0;

  /// The drive map where letters are configured by hand (posix); null where the system has
  /// drive letters of its own.
  virtual IDriveMap* DriveMap() { return nullptr; }

  /// Shows a message box through the handler a front end installed, else the platform's own.
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
    return _messageBoxHandler ? _messageBoxHandler->Show(text, caption, style)
                              : NativeMessageBox().Show(text, caption, style);
  }

  /// Puts handler in front of the platform's own message boxes; null restores them.
  void SetMessageBoxHandler(IMessageBox* handler) { _messageBoxHandler = handler; }

protected:
  virtual IMessageBox& NativeMessageBox() = 0;

private:
  IMessageBox* _messageBoxHandler = nullptr;
};

/// The platform of the machine the program runs on (win32 or posix, chosen at build time).
std::unique_ptr<IPlatform> CreateNativePlatform();

} // namespace bw

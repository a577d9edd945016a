// The Win32 platform: the system's own calls, with their errors left for GetLastError.
#pragma once

#include "platform/Platform.h"

namespace bw::win32 {

class CWin32Drives final : public IDrives {
public:
  /// owner shows the one message the free-space query can raise.
  explicit CWin32Drives(IPlatform& owner) : _owner(owner) {}
  uint32_t GetLogicalDrives() override;
  DriveType GetDriveType(char letter) override;
  bool GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) override;
  bool GetDiskFreeSpace(char letter, DiskFreeSpace& space) override;
  bool ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                   uint32_t sectorSize, void* buffer) override;
  /// A drive letter here is the system's own: its volume is whatever the system mounted.
  bool CheckMounted(char, std::string&) override { return true; }

private:
  IPlatform& _owner;
};

class CWin32System final : public ISystem {
public:
  VersionInfo GetVersion() override;
  void Sleep(uint32_t milliseconds) override;
  LocalTime GetLocalTime() override;
  bool FileTimeToLocalTime(FileTime time, LocalTime& local) override;
  bool LocalTimeToFileTime(const LocalTime& local, FileTime& time) override;
  bool GetWindowsDirectory(std::string& folder) override;
  bool GetTempPath(std::string& path) override;
  std::string GetProgramFolder() override;
  std::string GetCompanionProgram(const std::string& windowsName) override;
  bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                  uint32_t& exitCode) override;
  JobLockResult TryLockJob(std::unique_ptr<CJobLock>& lock) override;
};

class CWin32Desktop final : public IDesktop {
public:
  bool CloseLowSpaceWarning() override;
  void PressWaitButton(bool logOffCleaning) override;
};

/// FindWindowA, SetForegroundWindow, SendMessageA with WM_COPYDATA or WM_CLOSE, and
/// CreateProcessA without waiting.
class CWin32WindowCommands final : public IWindowCommands {
public:
  WindowId FindMainWindow(const std::vector<std::string>& classNames,
                          const std::string& title) override;
  WindowId FindWindowByTitle(const std::string& title) override;
  bool BringToFront(WindowId window) override;
  bool SendCommand(WindowId window, uint32_t commandWord) override;
  bool SendClose(WindowId window, int64_t& result) override;
  bool Start(const std::string& program, const std::vector<std::string>& arguments) override;
  void Wait(uint32_t milliseconds) override;
};

/// The allocation-bitmap query: NtFsControlFile with FSCTL_GET_VOLUME_BITMAP on a volume
/// handle, the entry point looked up in ntdll at run time.
class CWin32VolumeBitmap final : public IVolumeBitmap {
public:
  bool FindEntryPoint() override;
  std::unique_ptr<IVolumeBitmapHandle> OpenVolume(char letter) override;

  /// NtFsControlFile's type, without the driver kit's names.
  using ControlFunction = long(__stdcall*)(void*, void*, void*, void*, void*, unsigned long, void*,
                                           unsigned long, void*, unsigned long);

private:
  ControlFunction _control = nullptr;
};

/// The console of a console program: Ctrl-C through SetConsoleCtrlHandler.
class CWin32Console final : public IConsole {
public:
  bool IsInteractive() override;
  bool ReadLine(std::string& line) override;
  void CatchInterrupt() override;
  bool TakeInterrupt() override;
};

/// MessageBoxA without an owner window.
class CWin32MessageBox final : public IMessageBox {
public:
  int Show(const std::string& text, const std::string& caption, uint32_t style) override;
};

} // namespace bw::win32

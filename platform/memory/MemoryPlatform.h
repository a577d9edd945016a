// In-memory fakes of every platform service, for unit tests: drives with sector images, a
// settable clock, scripted message-box answers, and injectable faults.
#pragma once

#include "platform/Platform.h"
#include "platform/RegistryTree.h"
#include "platform/memory/FileSystem.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace bw::memory {

struct MemoryDrive {
  DriveType Type = DriveType::Fixed;
  std::vector<uint8_t> Image; ///< the volume's sectors, from sector 0
  /// GetDiskFreeSpaceEx; absent: the budget of the file system's drive of the same letter,
  /// and where there is none the call fails.
  std::optional<uint64_t> FreeBytes;
  /// GetDiskFreeSpace; absent: the budget and cluster size of the file system's drive of the
  /// same letter (512-byte sectors), and where there is none the call fails.
  std::optional<DiskFreeSpace> FreeSpace;
  bool FreeSpaceFails = false;        ///< both free-space calls fail
  std::set<RawReader> FailingReaders; ///< readers whose reads fail on this drive
  uint32_t Reads = 0;                 ///< ReadSectors calls that reached the image
  /// CheckMounted fails with this reason; absent: the volume is there.
  std::optional<std::string> NotMounted;
};

class CMemoryDrives final : public IDrives {
public:
  uint32_t GetLogicalDrives() override;
  DriveType GetDriveType(char letter) override;
  bool GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) override;
  bool GetDiskFreeSpace(char letter, DiskFreeSpace& space) override;
  bool ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                   uint32_t sectorSize, void* buffer) override;
  bool CheckMounted(char letter, std::string& reason) override;

  /// Drives by upper-case letter.
  std::map<char, MemoryDrive> Drives;
  /// The file system whose drives' budgets are the free space; null: none.
  CMemoryFileSystem* Files = nullptr;
  /// Every read asked for, as (reader, first sector, count, sector size).
  struct ReadCall {
    RawReader Reader;
    uint64_t First;
    uint32_t Count;
    uint32_t SectorSize;
  };
  std::vector<ReadCall> ReadCalls;
  /// Letters asked about by CheckMounted, in order.
  std::string MountChecks;
  /// Called as CheckMounted is asked, before it answers (a test can pull a volume here).
  std::function<void(char)> OnCheckMounted;
};

class CMemorySystem final : public ISystem {
public:
  VersionInfo GetVersion() override { return Version; }
  void Sleep(uint32_t milliseconds) override { SleptMilliseconds += milliseconds; }
  LocalTime GetLocalTime() override { return Now; }
  bool FileTimeToLocalTime(FileTime time, LocalTime& local) override;
  bool LocalTimeToFileTime(const LocalTime& local, FileTime& time) override;
  bool GetWindowsDirectory(std::string& folder) override;
  bool GetTempPath(std::string& path) override;
  std::string GetProgramFolder() override { return ProgramFolder; }
  std::string GetCompanionProgram(const std::string& windowsName) override {
    return ProgramFolder + windowsName;
  }
  bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                  uint32_t& exitCode) override;
  /// Busy while JobLockHeld is set (by a test standing for another process, or by a lock this
  /// system gave out and that is still alive); Failed when JobLockFails.
  JobLockResult TryLockJob(std::unique_ptr<CJobLock>& lock) override;

  bool JobLockHeld = false;
  bool JobLockFails = false;
  VersionInfo Version; ///< NT family by default
  LocalTime Now{2026, 3, 6, 7, 12, 0, 0, 0};
  uint64_t SleptMilliseconds = 0;
  std::optional<std::string> WindowsDirectory;
  std::optional<std::string> TempPath;
  std::string ProgramFolder = "C:\\Program Files\\Blankwright\\";
  /// Runs in place of a started program; absent: starting fails.
  std::function<uint32_t(const std::string&, const std::vector<std::string>&)> OnRun;
  std::vector<std::vector<std::string>> Runs; ///< program then arguments, per start
};

class CMemoryDesktop final : public IDesktop {
public:
  bool CloseLowSpaceWarning() override {
    ++CloseLowSpaceWarningCalls;
    return false;
  }
  void PressWaitButton(bool logOffCleaning) override {
    ++PressWaitButtonCalls;
    LastLogOffFlag = logOffCleaning;
  }
  int CloseLowSpaceWarningCalls = 0;
  int PressWaitButtonCalls = 0;
  bool LastLogOffFlag = false;
};

/// Windows of other programs that "exist" because a test made them, and a record of every
/// command, close, start and wait, for the unit tests of the senders.
class CMemoryWindowCommands final : public IWindowCommands {
public:
  struct Window {
    std::string ClassName;
    std::string Title;
    int64_t CloseResult = 0; ///< what it answers WM_CLOSE with
  };
  struct Command {
    WindowId Window;
    uint32_t Word;
  };

  /// Makes a top-level window exist from now on; returns its id.
  WindowId AddWindow(const std::string& className, const std::string& title);

  WindowId FindMainWindow(const std::vector<std::string>& classNames,
                          const std::string& title) override;
  WindowId FindWindowByTitle(const std::string& title) override;
  bool BringToFront(WindowId window) override;
  bool SendCommand(WindowId window, uint32_t commandWord) override;
  bool SendClose(WindowId window, int64_t& result) override;
  bool Start(const std::string& program, const std::vector<std::string>& arguments) override;
  void Wait(uint32_t milliseconds) override;

  /// The windows that exist, in the order they were made (a lookup finds the first match).
  std::map<WindowId, Window> Windows;
  std::vector<std::string> ClassesTried;        ///< every class name a main-window lookup tried
  std::vector<WindowId> Fronted;                ///< BringToFront calls that reached a window
  std::vector<Command> Commands;                ///< every command word delivered, in order
  std::vector<WindowId> Closed;                 ///< windows closed by SendClose (they are gone)
  std::vector<std::vector<std::string>> Starts; ///< program then arguments, per start
  uint64_t WaitedMilliseconds = 0;
  /// Decides whether a start succeeds and may make the started program's window (through
  /// AddWindow, at once or in OnWait); absent: starting fails.
  std::function<bool(const std::string&, const std::vector<std::string>&)> OnStart;
  /// Called after each wait is counted.
  std::function<void(uint32_t)> OnWait;
  bool FrontRefused = false; ///< BringToFront fails as the system may refuse it

private:
  WindowId _nextWindow = 1;
};

/// The bitmap query with scripted answers; without a script every answer is
/// kStatusNotSupported, as on a system that has no such query.
class CMemoryVolumeBitmap final : public IVolumeBitmap {
public:
  bool FindEntryPoint() override { return HasEntryPoint; }
  std::unique_ptr<IVolumeBitmapHandle> OpenVolume(char letter) override;

  bool HasEntryPoint = true;
  std::set<char> Unopenable; ///< upper-case letters whose volume does not open
  /// Answers GetBitmap (starting cluster, buffer) with a status.
  std::function<uint32_t(uint64_t, uint8_t*)> OnGetBitmap;
  uint32_t PendingResult = kStatusSuccess; ///< what WaitForBitmap returns
  std::vector<uint64_t> Queries;           ///< starting clusters asked for, in order
  int Opens = 0;
  int Waits = 0;
};

/// The registry as a map, with faults injected by key path (below its root) or by value name;
/// names match without regard to case.
class CMemoryRegistry final : public CRegistryTree {
public:
  using NameSet = std::set<std::string, RegistryNameLess>;
  NameSet FailingOpens;        ///< keys whose OpenKey fails
  NameSet FailingCreates;      ///< keys whose CreateKey fails
  NameSet FailingQueries;      ///< value names whose QueryValue fails
  NameSet FailingSets;         ///< value names whose SetValue fails
  bool FailingCommits = false; ///< Flush, and Close after a change, fail

  struct SetCall {
    std::string Key; ///< path below the root
    RegistryValue Value;
  };
  std::vector<SetCall> Sets; ///< every SetValue that changed the map, in order
  int Commits = 0;           ///< Flush calls and closes after a change

protected:
  bool AllowOpen(RegistryRoot, const std::string& path) override {
    return !FailingOpens.count(path);
  }
  bool AllowCreate(RegistryRoot, const std::string& path) override {
    return !FailingCreates.count(path);
  }
  bool AllowQuery(const std::string&, const std::string& name) override {
    return !FailingQueries.count(name);
  }
  bool AllowSet(const std::string&, const std::string& name) override {
    return !FailingSets.count(name);
  }
  bool Commit() override {
    ++Commits;
    return !FailingCommits;
  }
  void Changed(const std::string& key, const std::string&, const RegistryValue* value) override {
    if (value)
      Sets.push_back({key, *value});
  }
};

/// A console with scripted input lines and interrupts.
class CMemoryConsole final : public IConsole {
public:
  bool IsInteractive() override { return Interactive; }
  bool ReadLine(std::string& line) override {
    if (Lines.empty())
      return false;
    line = Lines.front();
    Lines.pop_front();
    return true;
  }
  void CatchInterrupt() override {}
  bool TakeInterrupt() override {
    if (Interrupts == 0)
      return false;
    --Interrupts;
    return true;
  }
  bool Interactive = false;
  std::deque<std::string> Lines;
  int Interrupts = 0;
};

/// Records every box shown and answers from a script; when the script runs out it answers as
/// nobody could be asked (DefaultMessageBoxAnswer).
class CScriptedMessageBox final : public IMessageBox {
public:
  struct Shown {
    std::string Text;
    std::string Caption;
    uint32_t Style;
  };
  int Show(const std::string& text, const std::string& caption, uint32_t style) override;

  std::deque<int> Answers;
  std::vector<Shown> Boxes;
  /// Called as each box is shown, before it answers (a test can act "while the box is up").
  std::function<void(const Shown&)> OnShow;
};

class CMemoryPlatform final : public IPlatform {
public:
  CMemoryPlatform();

  /// Adds a drive of type to the drive list and an empty tree with that budget and cluster
  /// size to the file system. Returns the tree's settings.
  MemoryVolume& AddDrive(char letter, DriveType type, uint64_t freeBytes,
                         uint32_t clusterSize = 4096);

  ISystem& System() override { return SystemFake; }
  IDrives& Drives() override { return DrivesFake; }
  IFileSystem& Files() override { return FilesFake; }
  IDesktop& Desktop() override { return DesktopFake; }
  IVolumeBitmap& VolumeBitmap() override { return VolumeBitmapFake; }
  IRegistry& Registry() override { return RegistryFake; }
  IConsole& Console() override { return ConsoleFake; }
  IWindowCommands& WindowCommands() override { return WindowCommandsFake; }

  CMemorySystem SystemFake;
  CMemoryDrives DrivesFake;
  CMemoryFileSystem FilesFake;
  CMemoryDesktop DesktopFake;
  CMemoryVolumeBitmap VolumeBitmapFake;
  CMemoryRegistry RegistryFake;
  CMemoryConsole ConsoleFake;
  CMemoryWindowCommands WindowCommandsFake;
  CScriptedMessageBox MessageBoxes;

protected:
  IMessageBox& NativeMessageBox() override { return MessageBoxes; }
};

} // namespace bw::memory

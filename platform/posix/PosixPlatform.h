// The Linux platform: drive letters come from the drive map, files are reached through each
// drive's mount folder, raw sectors through its block device or image file.
#pragma once

#include "platform/Platform.h"
#include "platform/posix/Posix.h"

#include <map>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace bw::posix {

/// The drive map as the platform uses it: read once, re-read after changes.
class CDriveTable {
public:
  explicit CDriveTable(CDriveMapFile& file) : _file(file) { Reload(); }
  void Reload();
  const DriveMapEntry* Find(char letter) const;
  const std::vector<DriveMapEntry>& Entries() const { return _entries; }

  /// Remembers the device a drive's mount was found on, so that every later path through the
  /// drive can tell when the volume has gone (unmounted in the middle of a job).
  void PinDevice(char letter, dev_t device) {
    _devices[letter] = device;
    ++_generation;
  }
  /// False when letter's device was pinned and the open mount folder mountFd lies elsewhere.
  bool OnPinnedDevice(char letter, int mountFd) const;
  /// Changes whenever the map is read again or a device pinned: a folder held open since
  /// may no longer be what its drive letter names.
  uint64_t Generation() const { return _generation; }

private:
  CDriveMapFile& _file;
  std::vector<DriveMapEntry> _entries;
  std::map<char, dev_t> _devices;
  uint64_t _generation = 0;
};

/// Reads through a descriptor opened with O_DIRECT: the kernel writes back what the file
/// systems have pending in the range and then reads the disk, past every cached page.
class CDirectWindow {
public:
  CDirectWindow() = default;
  CDirectWindow(const CDirectWindow&) = delete;
  CDirectWindow& operator=(const CDirectWindow&) = delete;
  ~CDirectWindow() { Release(); }
  /// Reads bytes at offset into out; false when the device refuses (the caller reads normally).
  bool Read(int fd, uint64_t offset, uint64_t bytes, uint8_t* out);
  void Release();

private:
  void* _data = nullptr; // the aligned bounce buffer for reads out of line, made on first use
};

class CPosixDrives final : public IDrives {
public:
  explicit CPosixDrives(CDriveTable& table) : _table(table) {}
  ~CPosixDrives() override;
  uint32_t GetLogicalDrives() override;
  DriveType GetDriveType(char letter) override;
  bool GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) override;
  bool GetDiskFreeSpace(char letter, DiskFreeSpace& space) override;
  bool ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                   uint32_t sectorSize, void* buffer) override;
  bool CheckMounted(char letter, std::string& reason) override;
  /// Forgets open raw sources (after the map changed).
  void CloseSources();

private:
  CDriveTable& _table;
  std::map<char, int> _sources;       // raw source descriptors, opened on first read
  std::map<char, int> _directSources; // the same opened with O_DIRECT for a block device; -1
                                      // for anything else
  CDirectWindow _directWindow;
};

class CPosixSystem final : public ISystem {
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

/// The bitmap query where Linux has none: a mapped drive opens, and every answer is
/// kStatusNotSupported.
class CPosixVolumeBitmap final : public IVolumeBitmap {
public:
  explicit CPosixVolumeBitmap(CDriveTable& table) : _table(table) {}
  bool FindEntryPoint() override { return true; }
  std::unique_ptr<IVolumeBitmapHandle> OpenVolume(char letter) override;

private:
  CDriveTable& _table;
};

class CPosixDesktop final : public IDesktop {
public:
  bool CloseLowSpaceWarning() override { return false; }
  void PressWaitButton(bool) override {}
};

/// Linux has no windows of these programs: every lookup finds none, and what needs a window
/// fails. Programs start as on Windows, without waiting; each one that has ended is reaped at
/// the next start, so that no zombie piles up in a long run.
class CPosixWindowCommands final : public IWindowCommands {
public:
  explicit CPosixWindowCommands(ISystem& system) : _system(system) {}
  WindowId FindMainWindow(const std::vector<std::string>&, const std::string&) override {
    return kNoWindow;
  }
  WindowId FindWindowByTitle(const std::string&) override { return kNoWindow; }
  bool BringToFront(WindowId) override { return false; }
  bool SendCommand(WindowId, uint32_t) override { return false; }
  bool SendClose(WindowId, int64_t&) override { return false; }
  bool Start(const std::string& program, const std::vector<std::string>& arguments) override;
  void Wait(uint32_t milliseconds) override { _system.Sleep(milliseconds); }

private:
  ISystem& _system;
  std::vector<int> _started; // process ids not yet reaped
};

class CPosixConsole final : public IConsole {
public:
  bool IsInteractive() override;
  bool ReadLine(std::string& line) override;
  void CatchInterrupt() override;
  bool TakeInterrupt() override;
};

/// Message boxes on a terminal-less platform: the text goes to standard error and the box
/// answers as nobody could be asked (DefaultMessageBoxAnswer).
class CStderrMessageBox final : public IMessageBox {
public:
  int Show(const std::string& text, const std::string& caption, uint32_t style) override;
};

/// The drive map as the command line edits it: every change reaches the drive table at once.
class CLiveDriveMap final : public IDriveMap {
public:
  CLiveDriveMap(CDriveMapFile& file, CDriveTable& table, CPosixDrives& drives)
      : _file(file), _table(table), _drives(drives) {}
  bool List(std::vector<DriveMapEntry>& entries) override { return _file.List(entries); }
  bool Add(const DriveMapEntry& entry, std::string& error) override;
  bool Remove(char letter, std::string& error) override;
  std::string Location() override { return _file.Location(); }
  bool FindMountSource(const std::string& folder, std::string& source,
                       std::string& reason) override {
    return _file.FindMountSource(folder, source, reason);
  }
  bool CheckMount(const DriveMapEntry& entry, std::string& reason) override {
    return _file.CheckMount(entry, reason);
  }
  bool ToDrivePath(const std::string& hostPath, std::string& drivePath,
                   std::string& reason) override {
    return _file.ToDrivePath(hostPath, drivePath, reason);
  }

private:
  CDriveMapFile& _file;
  CDriveTable& _table;
  CPosixDrives& _drives;
};

} // namespace bw::posix

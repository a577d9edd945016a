// A platform and a viewer view for the scan tests: the memory platform with a ready test that
// can be scripted, sector reads that can be made to fail, and a view that records everything.
#pragma once

#include "platform/memory/MemoryPlatform.h"
#include "tests/unit/ForwardingDrives.h"
#include "viewer/DriveScan.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bw::test {

/// Directory searches answer the ready test only: per letter, success or an error code.
class CReadyFiles final : public IFileSystem {
public:
  uint32_t GetLastError() override { return _lastError; }
  std::unique_ptr<IFindSearch> FindFirstFile(const std::string& pattern, FindData& data) override;
  bool SetCurrentDirectory(const std::string&) override { return Fail(); }
  bool GetCurrentDirectory(std::string&) override { return Fail(); }
  std::unique_ptr<IFile> CreateFile(const std::string&, uint32_t, uint32_t, uint32_t,
                                    uint32_t) override {
    Fail();
    return nullptr;
  }
  bool DeleteFile(const std::string&) override { return Fail(); }
  bool CreateDirectory(const std::string&) override { return Fail(); }
  bool RemoveDirectory(const std::string&) override { return Fail(); }
  uint32_t GetFileAttributes(const std::string&) override {
    Fail();
    return kInvalidFileAttributes;
  }
  bool SetFileAttributes(const std::string&, uint32_t) override { return Fail(); }
  bool ShellDelete(const std::string&) override { return Fail(); }
  bool GetShortPathName(const std::string&, std::string&) override { return Fail(); }

  /// The error FindFirstFile on "X:\*.*" fails with; kErrorSuccess finds a file. Letters not
  /// listed hold no file (kErrorFileNotFound).
  std::map<char, uint32_t> Errors;
  std::vector<std::string> Patterns;

private:
  bool Fail() {
    _lastError = kErrorNotSupported;
    return false;
  }
  uint32_t _lastError = kErrorSuccess;
};

/// The memory drives, with reads that fail where FailRead says so.
class CFaultyDrives final : public CForwardingDrives {
public:
  using CForwardingDrives::CForwardingDrives;
  bool ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                   uint32_t sectorSize, void* buffer) override {
    if (FailRead && FailRead(first, count))
      return false;
    return CForwardingDrives::ReadSectors(reader, letter, first, count, sectorSize, buffer);
  }

  /// (first sector, count) -> true to fail the read.
  std::function<bool(uint64_t, uint32_t)> FailRead;
};

class CScanPlatform final : public IPlatform {
public:
  CScanPlatform() : DrivesFake(Memory.DrivesFake) {}
  ISystem& System() override { return Memory.SystemFake; }
  IDrives& Drives() override { return DrivesFake; }
  IFileSystem& Files() override { return FilesFake; }
  IDesktop& Desktop() override { return Memory.DesktopFake; }
  IVolumeBitmap& VolumeBitmap() override { return Memory.VolumeBitmapFake; }
  IConsole& Console() override { return Memory.ConsoleFake; }
  IRegistry& Registry() override { return Memory.RegistryFake; }
  IWindowCommands& WindowCommands() override { return Memory.WindowCommandsFake; }

  /// Puts image in drive letter with freeBytes free.
  void Mount(std::vector<uint8_t> image, uint64_t freeBytes, char letter = 'C');

  memory::CMemoryPlatform Memory;
  CFaultyDrives DrivesFake;
  CReadyFiles FilesFake;

protected:
  IMessageBox& NativeMessageBox() override { return Memory.MessageBoxes; }
};

/// Records what the scan shows and answers its message boxes from a script.
class CRecordingView final : public IViewerView {
public:
  struct Box {
    std::string Text;
    std::string Caption;
    uint32_t Style;
  };

  std::string SelectedDriveEntry() override { return Entry; }
  DisplayMode GetDisplayMode() override { return Mode; }
  void SetStatisticText(StatisticText which, const std::string& text) override {
    Texts[which] = text;
  }
  void RefreshTexts() override;
  void ClearClusterList() override { Clusters.clear(); }
  void AppendCluster(const std::string& number) override { Clusters.push_back(number); }
  void SetDataLines(const std::vector<std::string>& lines) override {
    DataLines = lines;
    ++DataLineSets;
  }
  void SetScanning(bool scanning) override { Scanning.push_back(scanning); }
  void PumpMessage() override {
    ++Pumps;
    if (OnPump)
      OnPump();
  }
  int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  void ShowReport(const ScanReport& report) override { Reports.push_back(report); }

  std::string Text(StatisticText which) { return Texts[which]; }

  std::string Entry = "C: Fixed drive";
  DisplayMode Mode = DisplayMode::Text;
  std::map<StatisticText, std::string> Texts;
  std::vector<std::string> ReadToShown; ///< each new read-to text, as refreshed
  std::vector<std::string> Clusters;
  std::vector<std::string> DataLines;
  int DataLineSets = 0;
  std::vector<bool> Scanning;
  int Pumps = 0;
  std::function<void()> OnPump;
  std::deque<int> Answers;
  std::vector<Box> Boxes;
  std::vector<ScanReport> Reports;
};

/// Fills a cluster's bytes with text that the cluster test counts as deleted data.
void PutText(uint8_t* cluster, const std::string& text);

} // namespace bw::test

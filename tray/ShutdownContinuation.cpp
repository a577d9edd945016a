#include "tray/ShutdownContinuation.h"

#include "engine/volume/VolumeInfo.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tray/ShutdownConfirm.h"
#include "tray/SwapFill.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace bw {
namespace {

constexpr size_t kPifProgramDrive = 0x24;
constexpr size_t kPifParameters = 0xA5;
constexpr size_t kPifWindowsParameters = 0x1C5;
constexpr size_t kPifIconDrive = 0x273;

std::string Format(const char* format, char letter) {
  char text[160];
  std::snprintf(text, sizeof text, format, letter);
  return text;
}

std::string RootPath(char drive, const char* name) {
  return std::string(1, drive) + ":\\" + name;
}

// The 9x swap-file cleaning: the boot files written and the .pif started, which ends Windows;
// any failure is reported and nothing more happens (no shut-down).
void CleanSwapFileAtBoot(IPlatform& platform, IShutdownSystem& system, IMessageBox& box,
                         const SwapParameters& parameters, char drive, uint32_t clusterSize) {
  std::string windows;
  if (!platform.System().GetWindowsDirectory(windows) || windows.empty())
    windows = "C";
  std::vector<uint8_t> pif;
  std::vector<uint8_t> cleaner;
  const char* memory = "Windows Memory Error, restart the Blankwright program.  Swap file "
                       "cleaning canceled.";
  if (!system.LoadBootFile(kPifTemplateResource, pif) ||
      !PatchPif(pif, drive, parameters.data(), windows[0])) {
    box.Show(memory, "Memory Error", kMbOk | kMbIconError);
    return;
  }
  const std::string pifPath = RootPath(drive, "swpbtmgr.pif");
  const std::string drivePrompt = Format("Unable to write to drive %c:.  Swap file cleaning "
                                         "canceled.",
                                         drive);
  if (!WriteBootFile(platform.Files(), pifPath, pif, clusterSize)) {
    box.Show(drivePrompt, "Drive Error", kMbOk | kMbIconError);
    return;
  }
  if (!system.LoadBootFile(kSwapCleanerResource, cleaner)) {
    box.Show(memory, "Memory Error", kMbOk | kMbIconError);
    return;
  }
  if (!WriteBootFile(platform.Files(), RootPath(drive, "swpclnr.exe"), cleaner, clusterSize)) {
    box.Show(drivePrompt, "Drive Error", kMbOk | kMbIconError);
    platform.Files().DeleteFile(pifPath);
    return;
  }
  if (!system.Start(pifPath))
    box.Show("Could not shut down Windows. Swap file cleaning canceled.", "Reboot Failure",
             kMbOk | kMbIconError);
}

} // namespace

bool PatchPif(std::vector<uint8_t>& pif, char drive, const char* parameters62, char windowsDrive) {
  if (pif.size() <= kPifIconDrive || pif.size() < kPifWindowsParameters + kSwapParameterField)
    return false;
  pif[kPifProgramDrive] = static_cast<uint8_t>(drive);
  std::memcpy(&pif[kPifParameters], parameters62, kSwapParameterField);
  std::memcpy(&pif[kPifWindowsParameters], parameters62, kSwapParameterField);
  pif[kPifIconDrive] = static_cast<uint8_t>(windowsDrive);
  return true;
}

bool WriteBootFile(IFileSystem& files, const std::string& path, const std::vector<uint8_t>& data,
                   uint32_t clusterSize) {
  auto file = files.CreateFile(path, kGenericWrite, 0, kCreateAlways, kFileAttributeNormal);
  if (!file)
    return false;
  // Whole clusters first, so that the file takes its clusters at once; then its true length.
  size_t whole =
      clusterSize ? (data.size() + clusterSize - 1) / clusterSize * clusterSize : data.size();
  std::vector<uint8_t> padded(data);
  padded.resize(whole, 0);
  uint32_t written = 0;
  uint64_t position = 0;
  bool ok = file->Write(padded.data(), static_cast<uint32_t>(padded.size()), written) &&
            written == padded.size() &&
            file->Seek(static_cast<int64_t>(data.size()), SeekOrigin::Begin, position) &&
            file->SetEndOfFile();
  return file->Close() && ok;
}

void ContinueShutdown(IPlatform& platform, const CSettings& settings, IShutdownSystem& system,
                      IMessageBox& box, const std::string& programName) {
  const std::string& swapPath = settings.SwapFilePath;
  const bool nt = platform.System().GetVersion().PlatformId == kPlatformWin32Nt;
  if (settings.CleanSwapFile == 1 && !swapPath.empty() &&
      std::isalpha(static_cast<unsigned char>(swapPath[0])) &&
      swapPath.size() <= kMaxSwapFilePath && !nt) {
    const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(swapPath[0])));
    CVolumeInfo volume(platform);
    uint64_t freeBytes = volume.Open(drive) ? volume.GetFreeBytes() : ~uint64_t{0};
    // A drive whose free space cannot be told cannot be filled to its end: cancel as for an
    // unreadable one.
    if (freeBytes == ~uint64_t{0}) {
      box.Show(
          Format("Unable to access drive %c: to clean the swap file, canceling shut down.", drive),
          "Drive Access Error", kMbOk | kMbIconError);
      return;
    }
    FindData swap;
    uint64_t total = freeBytes;
    if (platform.Files().FindFirstFile(swapPath, swap))
      total += swap.Size;
    const uint32_t cluster = volume.GetBytesPerCluster();
    SwapParameters parameters;
    // Parameters that do not fit the .pif whole are not written cut: the system then shuts
    // down without the swap file, as for a path that is too long.
    if (FormatSwapParameters(settings.OverwriteCount, ComputeSwapFill(total, cluster), swapPath,
                             parameters)) {
      CleanSwapFileAtBoot(platform, system, box, parameters, drive, cluster);
      return;
    }
  }
  if (nt) {
    switch (system.EnableShutdownPrivilege()) {
    case IShutdownSystem::Privilege::OpenTokenFailed:
      box.Show("OpenProcessToken failed", programName, kMbOk);
      break;
    case IShutdownSystem::Privilege::AdjustFailed:
      box.Show("AdjustTokenPrivileges failed", programName, kMbOk);
      break;
    case IShutdownSystem::Privilege::Enabled:
      break;
    }
    system.CloseMainWindow();
  }
  if (!system.ShutDown())
    box.Show("Unable to shut-down system.  Make sure you have shut-down privileges.",
             "Shut Down Failed", kMbOk | kMbIconInformation);
}

} // namespace bw

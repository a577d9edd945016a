#include "platform/Vwin32Request.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32Platform.h"

#include <cstdio>

namespace bw::win32 {
namespace {

using GetDiskFreeSpaceExAFunction = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                                  PULARGE_INTEGER);

bool IsDriveLetter(char letter) {
  return letter >= 'A' && letter <= 'Z';
}

struct RootPath {
  explicit RootPath(char letter) { std::snprintf(Text, sizeof(Text), "%c:\\", letter); }
  char Text[4];
};

// Windows 9x: the VWIN32 device runs the DOS call described by the register block. The block
// and the packet hold 32-bit addresses, which is all these systems have; a 64-bit process
// (which never runs there) cannot express its buffers and fails before opening the device.
bool ReadThroughVwin32(RawReader reader, char letter, uint64_t first, uint32_t count,
                       void* buffer) {
  Vwin32Request request;
  uint64_t bufferAddress = reinterpret_cast<uintptr_t>(buffer);
  uint64_t packetAddress = reinterpret_cast<uintptr_t>(request.Packet);
  if (bufferAddress > 0xFFFFFFFFu || packetAddress > 0xFFFFFFFFu)
    return false;
  if (!BuildVwin32Request(reader, letter, first, count, static_cast<uint32_t>(bufferAddress),
                          static_cast<uint32_t>(packetAddress), request))
    return false;

  ScopedKernelHandle device(::CreateFileA("\\\\.\\vwin32", 0, 0, nullptr, 0, 0, nullptr));
  if (!device)
    return false;
  DWORD returned = 0;
  BOOL ok = ::DeviceIoControl(device.Get(), request.ControlCode, request.Registers,
                              sizeof(request.Registers), request.Registers,
                              sizeof(request.Registers), &returned, nullptr);
  return Vwin32Succeeded(ok != FALSE, request.Registers);
}

// NT family: the volume device, read at a 64-bit byte offset.
bool ReadThroughVolumeHandle(char letter, uint64_t first, uint32_t count, uint32_t sectorSize,
                             void* buffer) {
  uint64_t bytes = uint64_t{count} * sectorSize;
  if (count == 0 || sectorSize == 0 || bytes > 0xFFFFFFFFu || first > INT64_MAX / sectorSize)
    return false;
  uint64_t offset = first * sectorSize;

  char name[] = "\\\\.\\a:";
  name[4] = letter;
  ScopedKernelHandle volume(::CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!volume)
    return false;
  LONG high = static_cast<LONG>(offset >> 32);
  ::SetLastError(NO_ERROR);
  DWORD low =
      ::SetFilePointer(volume.Get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
    return false;
  // A read that starts at or runs past the end of the volume can succeed with fewer bytes
  // (Wine returns none at all): only every byte asked for counts as a read.
  DWORD read = 0;
  return ::ReadFile(volume.Get(), buffer, static_cast<DWORD>(bytes), &read, nullptr) &&
         read == bytes;
}

} // namespace

uint32_t CWin32Drives::GetLogicalDrives() {
  return ::GetLogicalDrives();
}

DriveType CWin32Drives::GetDriveType(char letter) {
  if (!IsDriveLetter(letter))
    return DriveType::NoRootDir;
  UINT type = ::GetDriveTypeA(RootPath(letter).Text);
  return type <= DRIVE_RAMDISK ? static_cast<DriveType>(type) : DriveType::Unknown;
}

bool CWin32Drives::GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) {
  if (!IsDriveLetter(letter))
    return false;
  // Looked up at run time: the first Windows 95 release has no such export.
  ScopedLibrary kernel(::LoadLibraryA("Kernel32.dll"));
  if (kernel.Get() == nullptr) {
    _owner.MessageBox("Failed to load DLL Kernel32.dll.", "DLL Error", MB_ICONERROR);
    return false;
  }
  // GetProcAddress hands back a generic function pointer; void (*)() is the one type GCC lets
  // it pass through without a cast-function-type warning.
  auto function = reinterpret_cast<GetDiskFreeSpaceExAFunction>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel.Get(), "GetDiskFreeSpaceExA")));
  if (function == nullptr)
    return false;
  ULARGE_INTEGER available, total, totalFree;
  if (!function(RootPath(letter).Text, &available, &total, &totalFree))
    return false;
  freeBytes = available.QuadPart;
  return true;
}

bool CWin32Drives::GetDiskFreeSpace(char letter, DiskFreeSpace& space) {
  if (!IsDriveLetter(letter))
    return false;
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
  if (!::GetDiskFreeSpaceA(RootPath(letter).Text, &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &totalClusters))
    return false;
  space.SectorsPerCluster = sectorsPerCluster;
  space.BytesPerSector = bytesPerSector;
  space.NumberOfFreeClusters = freeClusters;
  space.TotalNumberOfClusters = totalClusters;
  return true;
}

bool CWin32Drives::ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                               uint32_t sectorSize, void* buffer) {
  if (!IsDriveLetter(letter) || buffer == nullptr)
    return false;
  switch (reader) {
  case RawReader::Int25:
  case RawReader::Ioctl7305:
    return ReadThroughVwin32(reader, letter, first, count, buffer);
  case RawReader::NtVolume:
    return ReadThroughVolumeHandle(letter, first, count, sectorSize, buffer);
  }
  return false;
}

} // namespace bw::win32

#include "platform/posix/MountTable.h"
#include "platform/posix/PosixPlatform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace bw::posix {
namespace {

// Direct reads go in whole blocks of this size, at offsets that are multiples of it: a
// multiple of every logical block size a disk has. Reads that are not aligned so go through a
// window of kDirectWindow bytes, kept from one read to the next.
constexpr uint64_t kDirectBlock = 4096;
constexpr uint64_t kDirectWindow = 1024 * 1024;

bool IsBlockDevice(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISBLK(st.st_mode);
}

bool ReadWhole(int fd, uint64_t offset, uint64_t bytes, uint8_t* out) {
  uint64_t done = 0;
  while (done < bytes) {
    ssize_t n = ::pread(fd, out + done, bytes - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false; // an error, or the end of the volume before the last sector
    done += static_cast<uint64_t>(n);
  }
  return true;
}

uint64_t FreeBlocksForCaller(const struct statvfs& fs) {
  // As on Windows, the free space is what this process may fill. The blocks ext4 keeps back
  // for root are writable by root: left out of the count, a wipe run as root would fill them
  // one cluster at a time in its final file instead of in whole units.
  return ::geteuid() == 0 ? fs.f_bfree : fs.f_bavail;
}

} // namespace

void CDirectWindow::Release() {
  std::free(_data);
  _data = nullptr;
}

bool CDirectWindow::Read(int fd, uint64_t offset, uint64_t bytes, uint8_t* out) {
  // A caller's buffer that is already aligned, at an aligned offset, takes the read itself: the
  // scan's large reads come this way and are not copied a second time.
  if (reinterpret_cast<uintptr_t>(out) % kDirectBlock == 0 && offset % kDirectBlock == 0 &&
      bytes % kDirectBlock == 0)
    return ReadWhole(fd, offset, bytes, out);
  if (!_data && ::posix_memalign(&_data, kDirectBlock, kDirectWindow) != 0) {
    _data = nullptr;
    return false;
  }
  uint64_t done = 0;
  while (done < bytes) {
    uint64_t at = offset + done;
    uint64_t start = at / kDirectBlock * kDirectBlock;
    uint64_t skip = at - start;
    uint64_t want = std::min<uint64_t>(bytes - done, kDirectWindow - skip);
    uint64_t span = (skip + want + kDirectBlock - 1) / kDirectBlock * kDirectBlock;
    ssize_t n;
    do
      n = ::pread(fd, _data, span, static_cast<off_t>(start));
    while (n < 0 && errno == EINTR);
    // The last block of a device may end before the window does: what was asked must be there.
    if (n < 0 || static_cast<uint64_t>(n) < skip + want)
      return false;
    std::memcpy(out + done, static_cast<uint8_t*>(_data) + skip, want);
    done += want;
  }
  return true;
}

void CDriveTable::Reload() {
  _file.List(_entries);
  _devices.clear();
  ++_generation;
}

bool CDriveTable::OnPinnedDevice(char letter, int mountFd) const {
  auto it = _devices.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  struct stat st;
  return it == _devices.end() || (::fstat(mountFd, &st) == 0 && st.st_dev == it->second);
}

const DriveMapEntry* CDriveTable::Find(char letter) const {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (const DriveMapEntry& entry : _entries)
    if (entry.Letter == letter)
      return &entry;
  return nullptr;
}

CPosixDrives::~CPosixDrives() {
  CloseSources();
}

void CPosixDrives::CloseSources() {
  for (auto& [letter, fd] : _sources)
    ::close(fd);
  _sources.clear();
  for (auto& [letter, fd] : _directSources)
    if (fd >= 0)
      ::close(fd);
  _directSources.clear();
  _directWindow.Release();
}

uint32_t CPosixDrives::GetLogicalDrives() {
  uint32_t mask = 0;
  for (const DriveMapEntry& entry : _table.Entries())
    mask |= 1u << (entry.Letter - 'A');
  return mask;
}

DriveType CPosixDrives::GetDriveType(char letter) {
  const DriveMapEntry* entry = _table.Find(letter);
  return entry ? entry->Type : DriveType::NoRootDir;
}

bool CPosixDrives::GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) {
  const DriveMapEntry* entry = _table.Find(letter);
  struct statvfs fs;
  if (!entry || ::statvfs(entry->MountFolder.c_str(), &fs) != 0)
    return false;
  freeBytes = FreeBlocksForCaller(fs) * fs.f_frsize;
  return true;
}

bool CPosixDrives::GetDiskFreeSpace(char letter, DiskFreeSpace& space) {
  const DriveMapEntry* entry = _table.Find(letter);
  struct statvfs fs;
  if (!entry || ::statvfs(entry->MountFolder.c_str(), &fs) != 0 || fs.f_frsize == 0)
    return false;
  // The file systems here report their allocation unit as the block size; the system's view
  // is that unit as a number of 512-byte sectors.
  uint64_t cluster = fs.f_frsize;
  auto clamp = [](uint64_t v) { return static_cast<uint32_t>(v > 0xFFFFFFFFu ? 0xFFFFFFFFu : v); };
  if (cluster % 512 == 0) {
    space.BytesPerSector = 512;
    space.SectorsPerCluster = static_cast<uint32_t>(cluster / 512);
  } else {
    space.BytesPerSector = static_cast<uint32_t>(cluster);
    space.SectorsPerCluster = 1;
  }
  space.NumberOfFreeClusters = clamp(FreeBlocksForCaller(fs));
  space.TotalNumberOfClusters = clamp(fs.f_blocks);
  return true;
}

bool CPosixDrives::ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                               uint32_t sectorSize, void* buffer) {
  // Only a volume handle exists here; the Windows 9x readers have no counterpart.
  if (reader != RawReader::NtVolume || count == 0 || sectorSize == 0)
    return false;
  const DriveMapEntry* entry = _table.Find(letter);
  if (!entry || entry->RawSource.empty())
    return false;
  int fd;
  if (auto it = _sources.find(entry->Letter); it != _sources.end()) {
    fd = it->second;
  } else {
    fd = ::open(entry->RawSource.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
      return false;
    // A scan reads the free space front to back between its reads of the FAT or bitmap: a
    // larger read-ahead keeps the disk streaming across those.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    _sources[entry->Letter] = fd;
  }
  uint64_t bytes = uint64_t{count} * sectorSize;
  if (first > (~uint64_t{0} - bytes) / sectorSize)
    return false;
  uint64_t offset = first * sectorSize;
  auto* out = static_cast<uint8_t*>(buffer);

  // A block device is read past its cache, which is not the file system's: a block the driver
  // used for a folder keeps its old page there after the folder is deleted and the block
  // rewritten through a file.
  auto direct = _directSources.find(entry->Letter);
  if (direct == _directSources.end()) {
    int directFd = -1;
    if (IsBlockDevice(fd))
      directFd = ::open(entry->RawSource.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
    direct = _directSources.emplace(entry->Letter, directFd).first;
  }
  if (direct->second >= 0 && _directWindow.Read(direct->second, offset, bytes, out))
    return true;

  // A block device that refuses O_DIRECT is read through its cache, which is not the file
  // system's: what the driver wrote through files may lie behind pages an earlier raw read
  // left there, so the pages of the range are dropped first (the kernel drops only whole pages
  // inside the range, so it is widened to pages; pages still to be written are never dropped).
  // An image file needs none of this: the file system on it writes through the file's own
  // cache, which is the one read here, so its pages stay warm from one scan to the next.
  if (IsBlockDevice(fd)) {
    static const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    uint64_t from = offset / page * page;
    uint64_t to = (offset + bytes + page - 1) / page * page;
    ::posix_fadvise(fd, static_cast<off_t>(from), static_cast<off_t>(to - from),
                    POSIX_FADV_DONTNEED);
  }
  return ReadWhole(fd, offset, bytes, out);
}

bool CPosixDrives::CheckMounted(char letter, std::string& reason) {
  const DriveMapEntry* entry = _table.Find(letter);
  if (!entry) {
    reason = std::string(1, letter) + ": is not a mapped drive";
    return false;
  }
  dev_t device;
  if (!CheckMountFolder(entry->MountFolder, entry->RawSource, device, reason)) {
    reason = std::string(1, entry->Letter) + ": " + reason;
    return false;
  }
  _table.PinDevice(entry->Letter, device);
  return true;
}

bool CLiveDriveMap::Add(const DriveMapEntry& entry, std::string& error) {
  bool ok = _file.Add(entry, error);
  _drives.CloseSources();
  _table.Reload();
  return ok;
}

bool CLiveDriveMap::Remove(char letter, std::string& error) {
  bool ok = _file.Remove(letter, error);
  _drives.CloseSources();
  _table.Reload();
  return ok;
}

} // namespace bw::posix

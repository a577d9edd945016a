// Drives that pass every call to other drives: the base of the test doubles that change one
// answer (a failing read, a mount check taken as passed) and keep the rest.
#pragma once

#include "platform/Drives.h"

#include <string>

namespace bw::test {

class CForwardingDrives : public IDrives {
public:
  explicit CForwardingDrives(IDrives& inner) : _inner(inner) {}
  uint32_t GetLogicalDrives() override { return _inner.GetLogicalDrives(); }
  DriveType GetDriveType(char letter) override { return _inner.GetDriveType(letter); }
  bool GetDiskFreeSpaceEx(char letter, uint64_t& freeBytes) override {
    return _inner.GetDiskFreeSpaceEx(letter, freeBytes);
  }
  bool GetDiskFreeSpace(char letter, DiskFreeSpace& space) override {
    return _inner.GetDiskFreeSpace(letter, space);
  }
  bool ReadSectors(RawReader reader, char letter, uint64_t first, uint32_t count,
                   uint32_t sectorSize, void* buffer) override {
    return _inner.ReadSectors(reader, letter, first, count, sectorSize, buffer);
  }
  bool CheckMounted(char letter, std::string& reason) override {
    return _inner.CheckMounted(letter, reason);
  }

private:
  IDrives& _inner;
};

} // namespace bw::test

// The request blocks of the two Windows 9x sector readers, built without any OS call so that
// they can be checked where no Windows 9x machine exists.
#pragma once

#include "platform/Drives.h"

#include <cstdint>

namespace bw {

constexpr uint32_t kVwin32DiocDosInt25 = 2;
constexpr uint32_t kVwin32DiocDosDriveInfo = 6;

// Register block order as the VWIN32 device exchanges it: seven 32-bit fields, 28 bytes.
enum Vwin32Register { kRegEbx, kRegEdx, kRegEcx, kRegEax, kRegEdi, kRegEsi, kRegFlags };
constexpr uint32_t kVwin32CarryFlag = 1;

struct Vwin32Request {
  uint32_t ControlCode = 0;
  uint8_t Packet[10] = {};    ///< first sector (4), sector count (2), buffer address (4)
  uint32_t Registers[7] = {}; ///< indexed by Vwin32Register
};

/// Builds the packet and register block that read count sectors from sector first of the drive
/// with reader (Int25 or Ioctl7305) into the buffer at bufferAddress, the packet itself living
/// at packetAddress. False for the NT reader, a letter outside A..Z, a sector number beyond 32
/// bits or a count beyond 16 bits: the 9x calls cannot express those.
bool BuildVwin32Request(RawReader reader, char letter, uint64_t first, uint32_t count,
                        uint32_t bufferAddress, uint32_t packetAddress, Vwin32Request& request);

/// A VWIN32 call succeeded when DeviceIoControl did and the returned carry flag is clear.
inline bool Vwin32Succeeded(bool deviceIoControlResult, const uint32_t (&registers)[7]) {
  return deviceIoControlResult && (registers[kRegFlags] & kVwin32CarryFlag) == 0;
}

} // namespace bw

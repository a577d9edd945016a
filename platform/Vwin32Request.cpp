#include "platform/Vwin32Request.h"

#include "platform/Bytes.h"

namespace bw {

bool BuildVwin32Request(RawReader reader, char letter, uint64_t first, uint32_t count,
                        uint32_t bufferAddress, uint32_t packetAddress, Vwin32Request& request) {
  if (reader == RawReader::NtVolume || letter < 'A' || letter > 'Z' || first > 0xFFFFFFFFu ||
      count == 0 || count > 0xFFFFu)
    return false;

  Vwin32Request r;
  Set32(r.Packet, static_cast<uint32_t>(first));
  Set16(r.Packet + 4, static_cast<uint16_t>(count));
  Set32(r.Packet + 6, bufferAddress);

  r.Registers[kRegEbx] = packetAddress;
  r.Registers[kRegEcx] = 0xFFFFFFFFu; // the packet form of the call
  r.Registers[kRegFlags] = kVwin32CarryFlag;
  if (reader == RawReader::Int25) {
    r.ControlCode = kVwin32DiocDosInt25;
    r.Registers[kRegEax] = static_cast<uint32_t>(letter - 'A'); // drive number from 0
  } else {
    r.ControlCode = kVwin32DiocDosDriveInfo;
    r.Registers[kRegEax] = 0x7305;
    r.Registers[kRegEdx] = static_cast<uint32_t>(letter - 64); // drive number from 1: A is 1
    r.Registers[kRegEsi] = 0x6000; // bit 0 clear: read; bits 13-15: normal file data
  }
  request = r;
  return true;
}

} // namespace bw

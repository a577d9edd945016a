// The volume allocation bitmap: which clusters of an NTFS volume are in use, asked for piece by
// piece as FSCTL_GET_VOLUME_BITMAP answers it.
//
// An answer fills a buffer of kVolumeBitmapBufferSize bytes laid out as VOLUME_BITMAP_BUFFER:
//   bytes 0-7    the starting cluster of the answer (the asked one, rounded down to a multiple
//                of 8), little-endian
//   bytes 8-15   the number of clusters from there to the end of the volume, little-endian
//   bytes 16-    up to kVolumeBitmapBits bits, one per cluster from the starting cluster on,
//                least significant bit first; a set bit is a cluster in use
// and comes with an NTSTATUS value. The buffer's contents are defined only when the status is
// kStatusSuccess (the bits reach the end of the volume) or kStatusBufferOverflow (more follows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace bw {

// NTSTATUS values the bitmap query and its readers answer with.
constexpr uint32_t kStatusSuccess = 0x00000000;
constexpr uint32_t kStatusPending = 0x00000103;
constexpr uint32_t kStatusBufferOverflow = 0x80000005;
constexpr uint32_t kStatusInvalidParameter = 0xC000000D;
constexpr uint32_t kStatusDiskCorruptError = 0xC0000032;
constexpr uint32_t kStatusDeviceDataError = 0xC000009C;
constexpr uint32_t kStatusNotSupported = 0xC00000BB;

/// The file-system control code of the query.
constexpr uint32_t kFsctlGetVolumeBitmap = 0x9006F;

constexpr size_t kVolumeBitmapHeaderSize = 16;
constexpr size_t kVolumeBitmapBytes = 4096;
constexpr uint32_t kVolumeBitmapBits = kVolumeBitmapBytes * 8;
constexpr size_t kVolumeBitmapBufferSize = kVolumeBitmapHeaderSize + kVolumeBitmapBytes;

/// One volume opened for bitmap queries (a "\\.\X:" handle on Win32). Destroying it closes it.
class IVolumeBitmapHandle {
public:
  virtual ~IVolumeBitmapHandle() = default;

  /// Asks for the bitmap from startingCluster into buffer (kVolumeBitmapBufferSize bytes).
  /// Returns kStatusSuccess or kStatusBufferOverflow with the buffer filled, kStatusPending when
  /// the answer comes later (WaitForBitmap), or another status when the query failed.
  virtual uint32_t GetBitmap(uint64_t startingCluster, uint8_t* buffer) = 0;

  /// Waits, without a time limit, for a GetBitmap that answered kStatusPending; returns the
  /// status the query finished with.
  virtual uint32_t WaitForBitmap() = 0;
};

class IVolumeBitmap {
public:
  virtual ~IVolumeBitmap() = default;

  /// True when the system offers the query at all. On Win32 false when ntdll has no
  /// NtFsControlFile, after one line saying so on standard output.
  virtual bool FindEntryPoint() = 0;

  /// Opens the volume of drive letter for reading with read-write sharing; null when it cannot
  /// be opened. Where the system has no such query, the handle answers kStatusNotSupported and
  /// callers read the file system's own bitmap instead.
  virtual std::unique_ptr<IVolumeBitmapHandle> OpenVolume(char letter) = 0;
};

} // namespace bw

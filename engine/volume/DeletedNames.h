// What a FAT volume's directories still tell of deleted files: the deleted entries whose name
// bytes can be read back. Reads only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

class CVolumeInfo;

/// The count of one walk over every folder of a FAT volume.
struct DeletedNameCount {
  uint64_t Names = 0;          ///< deleted entries that still hold a name of someone's file
  uint64_t FoldersRead = 0;    ///< folders whose entries were counted, the root included
  uint64_t FoldersSkipped = 0; ///< folders whose data could not be read (their names unknown)
};

/// True for a deleted 32-byte entry (first byte 0xE5) that holds a name Blankwright gives its
/// own files: a ".~BW" filler or a free-space wipe file "BlankwrightTMP<n>.gf". A long-name
/// entry is judged by the short entry it belongs to, so it is never one of ours by itself.
bool IsOwnDeletedEntry(const uint8_t* entry);

/// Counts, in data (whole 32-byte entries), the deleted entries that are not ours: short
/// entries by their own name, long-name entries by the short entry that follows them.
uint64_t CountDeletedNames(const uint8_t* data, size_t length);

/// Walks the root and every live folder below it (each folder once, at most 64 deep) and counts
/// their deleted names. False when the volume is not FAT or its root cannot be read.
bool CountVolumeDeletedNames(CVolumeInfo& volume, DeletedNameCount& count);

} // namespace bw

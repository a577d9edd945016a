// Writes past the system's cache, for the files that fill a disk or write a file over.
//
// A file opened with kFileFlagNoBuffering sends each write that fits straight to the disk. The
// first write that does not fit (a buffer, size or file offset off the alignment), or a file
// system that takes no unbuffered writes at all, turns the file into an ordinary cached one for
// the rest of its life: the write still succeeds, so that a caller never has to tell the two
// apart. Writes past the cache are certain to be on the disk once Flush returns, and the file
// flushes them itself at Close when no Flush came after them.
#pragma once

#include <cstdint>

namespace bw {

/// Buffers, sizes and file offsets of unbuffered writes are multiples of this: a whole page,
/// which covers the 512-byte and 4096-byte sectors of the disks the writers meet.
constexpr uint32_t kUnbufferedAlignment = 4096;

/// True when a write of size bytes from data may go past the cache (its file offset must be a
/// multiple of kUnbufferedAlignment too, which only the file knows).
inline bool FitsUnbuffered(const void* data, uint64_t size) {
  return size != 0 && size % kUnbufferedAlignment == 0 &&
         reinterpret_cast<uintptr_t>(data) % kUnbufferedAlignment == 0;
}

} // namespace bw

// Little-endian field reads for on-disk structures, and allocation that reports failure
// instead of throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

namespace bw {

inline uint16_t Get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t Get64(const uint8_t* p) {
  return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

inline void Set16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void Set32(uint8_t* p, uint32_t v) {
  Set16(p, static_cast<uint16_t>(v));
  Set16(p + 2, static_cast<uint16_t>(v >> 16));
}

/// Resizes buffer to size bytes (new bytes zero); false, with the buffer unchanged, when the
/// memory cannot be had, so that callers can show the system's own memory message.
inline bool TryResize(std::vector<uint8_t>& buffer, size_t size) noexcept {
  try {
    buffer.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

} // namespace bw

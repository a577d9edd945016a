// The one overwrite scheme every writer shares: N passes, odd passes write 0x00, even passes
// 0xFF, from two buffers filled once before the first pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace bw {

/// The byte pass (numbered from 1) writes: 0x00 on odd passes, 0xFF on even ones.
constexpr uint8_t PassByte(uint32_t pass) {
  return pass % 2 == 1 ? 0x00 : 0xFF;
}

/// The number of passes for the OverwriteCount setting: a stored value out of range is held
/// to 0..255 rather than trusted.
constexpr uint32_t PassCount(int32_t overwriteCount) {
  return static_cast<uint32_t>(overwriteCount < 0     ? 0
                               : overwriteCount > 255 ? 255
                                                      : overwriteCount);
}

/// "Pass %d of %d overwrite" for a count of 1, "Pass %d of %d overwrites" otherwise.
std::string PassText(uint32_t pass, uint32_t count);

/// Buffer A (0x00) and buffer B (0xFF) of one region's passes. Both start on a
/// kUnbufferedAlignment boundary, so that whole units of them can go past the system's cache.
class CPassBuffers {
public:
  /// Allocates both buffers of size bytes, the first filled bytes of each set to its pattern;
  /// false (and nothing held) when the memory cannot be had.
  bool Allocate(size_t size, size_t filled);
  bool Allocate(size_t size) { return Allocate(size, size); }
  void Free();
  bool IsAllocated() const { return _zeros != nullptr; }
  size_t Size() const { return _size; }

  /// The buffer pass writes from.
  const uint8_t* ForPass(uint32_t pass) const {
    return PassByte(pass) == 0x00 ? _zeros.get() : _ones.get();
  }

private:
  struct CAlignedDelete {
    void operator()(uint8_t* bytes) const;
  };
  using CAlignedBytes = std::unique_ptr<uint8_t[], CAlignedDelete>;
  static CAlignedBytes AllocateAligned(size_t size);

  CAlignedBytes _zeros; // buffer A
  CAlignedBytes _ones;  // buffer B
  size_t _size = 0;
};

} // namespace bw

#include "engine/OverwritePasses.h"

#include "platform/Unbuffered.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace bw {

std::string PassText(uint32_t pass, uint32_t count) {
  char text[64];
  std::snprintf(text, sizeof(text),
                count == 1 ? "Pass %u of %u overwrite" : "Pass %u of %u overwrites", pass, count);
  return text;
}

void CPassBuffers::CAlignedDelete::operator()(uint8_t* bytes) const {
  ::operator delete[](bytes, std::align_val_t{kUnbufferedAlignment});
}

CPassBuffers::CAlignedBytes CPassBuffers::AllocateAligned(size_t size) {
  return CAlignedBytes(static_cast<uint8_t*>(
      ::operator new[](size, std::align_val_t{kUnbufferedAlignment}, std::nothrow)));
}

bool CPassBuffers::Allocate(size_t size, size_t filled) {
  Free();
  if (size == 0)
    return false;
  _zeros = AllocateAligned(size);
  _ones = AllocateAligned(size);
  if (!_zeros || !_ones) {
    Free();
    return false;
  }
  _size = size;
  // Bytes past the filled part are zero, as the slack buffers' spare 512 bytes always were.
  const size_t ones = std::min(filled, size);
  std::fill_n(_zeros.get(), size, uint8_t{0x00});
  std::fill_n(_ones.get(), ones, uint8_t{0xFF});
  std::fill_n(_ones.get() + ones, size - ones, uint8_t{0x00});
  return true;
}

void CPassBuffers::Free() {
  _zeros.reset();
  _ones.reset();
  _size = 0;
}

} // namespace bw

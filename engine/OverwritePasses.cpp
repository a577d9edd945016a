#include "engine/OverwritePasses.h"

#include "platform/Bytes.h"

#include <algorithm>
#include <cstdio>

namespace bw {

std::string PassText(uint32_t pass, uint32_t count) {
  char text[64];
  std::snprintf(text, sizeof(text),
                count == 1 ? "Pass %u of %u overwrite" : "Pass %u of %u overwrites", pass, count);
  return text;
}

bool CPassBuffers::Allocate(size_t size, size_t filled) {
  Free();
  if (size == 0 || !TryResize(_zeros, size) || !TryResize(_ones, size)) {
    Free();
    return false;
  }
  std::fill_n(_ones.begin(), std::min(filled, size), uint8_t{0xFF});
  return true;
}

void CPassBuffers::Free() {
  std::vector<uint8_t>().swap(_zeros);
  std::vector<uint8_t>().swap(_ones);
}

} // namespace bw

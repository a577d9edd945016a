// Lays a fuzz input over regions of a disk image with XOR, one region after the other. A
// second Apply with the same input takes it off again, so a target keeps one image for the
// whole run instead of copying it for every input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace bw::fuzz {

struct CXorOverlay {
  void Apply(const uint8_t* input, size_t size) const {
    for (const auto& [target, length] : Regions) {
      size_t n = std::min(length, size);
      for (size_t i = 0; i < n; ++i)
        target[i] ^= input[i];
      input += n;
      size -= n;
    }
  }

  std::vector<std::pair<uint8_t*, size_t>> Regions;
};

} // namespace bw::fuzz

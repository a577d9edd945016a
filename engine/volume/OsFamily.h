// The OS family decides which raw sector reader a volume is read with.
#pragma once

#include "platform/Types.h"

#include <cstdint>

namespace bw {

constexpr uint16_t kOsFamilyWin95 = 1; ///< 9x without the newer disk call: INT 25h reader
constexpr uint16_t kOsFamilyWin98 = 2; ///< 9x with a build above 1000: the 7305h reader
constexpr uint16_t kOsFamilyNt = 3;    ///< NT family (and every non-Windows platform)

/// NT platform gives 3; the 9x platform with a build number (low 16 bits) above 1000 gives 2;
/// anything else 1.
inline uint16_t DetermineOsFamily(const VersionInfo& version) {
  if (version.PlatformId == kPlatformWin32Nt)
    return kOsFamilyNt;
  if (version.PlatformId == kPlatformWin32Windows && (version.BuildNumber & 0xFFFF) > 1000)
    return kOsFamilyWin98;
  return kOsFamilyWin95;
}

} // namespace bw

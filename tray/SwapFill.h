// What the boot-time swap-file cleaner is told to fill: the swap drive's free space plus the
// swap file (deleted first), as whole gibibytes G and a remainder R in bytes, and the text that
// carries them to it through the program-information file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace bw {

struct SwapFill {
  uint32_t Gibibytes = 0; ///< G: 1 GiB fill files
  uint32_t Remainder = 0; ///< R: bytes of the last fill file
};

/// G and R for total bytes on a drive with clusterSize-byte clusters: R in whole clusters; a
/// remainder of 40 MiB or less is joined with one gibibyte (one bigger last file instead of a
/// small one); above 10 MiB R is an even number of clusters.
SwapFill ComputeSwapFill(uint64_t totalBytes, uint32_t clusterSize);

/// The cleaner's command-line parameters: "%d %d %d %s" in 63 blanks, with its terminating
/// zero. Only the first 62 bytes go into the program-information file.
using SwapParameters = std::array<char, 63>;
constexpr size_t kSwapParameterField = 62;

/// False when the text does not fit the field whole: a cut path would name another file.
bool FormatSwapParameters(int32_t passes, const SwapFill& fill, const std::string& swapPath,
                          SwapParameters& parameters);

} // namespace bw

#include "tray/SwapFill.h"

#include <cstdio>
#include <cstring>

namespace bw {
namespace {

constexpr uint64_t kGibibyte = uint64_t{1} << 30;
constexpr uint64_t kJoinLimit = 40 * 1024 * 1024;
constexpr uint64_t kHalveAbove = 10 * 1024 * 1024;

uint64_t RoundUp(uint64_t value, uint32_t unit) {
  return unit == 0 ? value : (value + unit - 1) / unit * unit;
}

} // namespace

SwapFill ComputeSwapFill(uint64_t totalBytes, uint32_t clusterSize) {
  uint64_t gibibytes = totalBytes / kGibibyte;
  uint64_t remainder = RoundUp(totalBytes % kGibibyte, clusterSize);
  if (gibibytes > 0 && remainder <= kJoinLimit) {
    remainder += kGibibyte;
    --gibibytes;
  }
  if (remainder > kHalveAbove)
    remainder = RoundUp(remainder / 2, clusterSize) * 2;
  // A remainder just under 1 GiB rounded up and doubled stays below 2^31: it fits 32 bits.
  return {static_cast<uint32_t>(gibibytes), static_cast<uint32_t>(remainder)};
}

bool FormatSwapParameters(int32_t passes, const SwapFill& fill, const std::string& swapPath,
                          SwapParameters& parameters) {
  parameters.fill(' ');
  char text[128];
  int length = std::snprintf(text, sizeof text, "%d %u %u %s", static_cast<int>(passes),
                             static_cast<unsigned>(fill.Gibibytes),
                             static_cast<unsigned>(fill.Remainder), swapPath.c_str());
  // The text and its terminating zero within the field the .pif passes on.
  if (length < 0 || static_cast<size_t>(length) + 1 > kSwapParameterField)
    return false;
  std::memcpy(parameters.data(), text, static_cast<size_t>(length) + 1);
  return true;
}

} // namespace bw

// The data display's two ways of showing a cluster: readable fragments run together, or a hex
// dump of 16 bytes a line.
#pragma once

#include "viewer/ViewerView.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bw {

/// Characters a text-mode line holds before a new one starts.
constexpr size_t kTextLineLength = 70;

/// Text mode: only the letters A-Z and a-z, the digits, the space and "@" are kept, in order,
/// 70 to a line; the last line is added when it is not empty.
std::vector<std::string> TextDisplayLines(const uint8_t* data, size_t size);

/// Hex mode: per 16 bytes, "%.4d " of the offset, "%.2X " of each byte, a space, and the bytes
/// as characters with "." for any outside 0x20-0x7E. A final part line is not shown.
std::vector<std::string> HexDisplayLines(const uint8_t* data, size_t size);

/// The lines of mode.
std::vector<std::string> DisplayLines(DisplayMode mode, const uint8_t* data, size_t size);

} // namespace bw

// One-line path displays: a path too wide for its control loses characters from the front of
// what follows the drive (or server) prefix, with "..." marking the cut.
#pragma once

#include <functional>
#include <string>

namespace bw {

/// Measures a text in the control's font, in pixels.
using TextMeasure = std::function<int(const std::string&)>;

/// Returns text shortened to fit maxWidth as measured by measure: "c:\...ports\2024\file.txt"
/// for a drive path, "\\server\...older\file.txt" for a network path. Text that fits, or that
/// has nothing left to drop, comes back unchanged.
std::string ShortenPath(const std::string& text, int maxWidth, const TextMeasure& measure);

/// Paths are shortened for display only when longer than this many characters.
constexpr size_t kShortenAbove = 60;

} // namespace bw

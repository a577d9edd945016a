// Small text helpers of the zap's messages and paths.
#pragma once

#include <string>

namespace bw {

/// format with its one "%s" or "%c" replaced by value; no fixed buffer, so a long path fits.
std::string Fill(const std::string& format, const std::string& value);

/// path with its ASCII letters in lower case, as the zap shows paths.
std::string ToLowerPath(std::string path);

} // namespace bw

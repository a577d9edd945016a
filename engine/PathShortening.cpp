#include "engine/PathShortening.h"

#include <cctype>

namespace bw {

std::string ShortenPath(const std::string& text, int maxWidth, const TextMeasure& measure) {
  if (text.empty() || measure(text) <= maxWidth)
    return text;
  std::string prefix;
  size_t n;
  if (std::isalpha(static_cast<unsigned char>(text[0]))) {
    prefix = text.substr(0, 3) + "...";
    n = text.size() > 3 ? text.size() - 3 : 0;
  } else {
    // A network path keeps "\\server\" in front.
    size_t slash = text.size() > 2 ? text.find('\\', 2) : std::string::npos;
    size_t keep = slash == std::string::npos ? std::min<size_t>(2, text.size()) : slash + 1;
    prefix = text.substr(0, keep) + "...";
    n = text.size() - keep;
  }
  std::string result = text;
  for (size_t i = 1; i < n; ++i) {
    result = prefix + text.substr(text.size() - (n - i));
    if (measure(result) <= maxWidth)
      break;
  }
  return result;
}

} // namespace bw

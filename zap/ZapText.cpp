#include "zap/ZapText.h"

namespace bw {

std::string Fill(const std::string& format, const std::string& value) {
  size_t at = format.find('%');
  while (at != std::string::npos && at + 1 < format.size() && format[at + 1] != 's' &&
         format[at + 1] != 'c')
    at = format.find('%', at + 1);
  if (at == std::string::npos || at + 1 >= format.size())
    return format;
  return format.substr(0, at) + value + format.substr(at + 2);
}

std::string ToLowerPath(std::string path) {
  for (char& c : path)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return path;
}

} // namespace bw

#include "engine/NtfsFillerNames.h"

#include <cctype>
#include <cstdio>

namespace bw {

std::string NtfsFillerName(const std::string& prefix, uint32_t n, size_t length) {
  char number[16];
  std::snprintf(number, sizeof(number), "~%07u~", n % 10000000u);
  size_t room = length > kMinFillerNameLength ? length - kMinFillerNameLength : 0;
  std::string name = prefix.substr(0, room) + number;
  if (name.size() < length)
    name.append(length - name.size(), '~');
  return name;
}

bool IsNtfsFillerName(const std::string& name) {
  size_t end = name.size();
  size_t tildes = 0;
  while (tildes < end && name[end - 1 - tildes] == '~')
    ++tildes;
  if (tildes == 0 || end - tildes < 8)
    return false;
  size_t digitsEnd = end - tildes;
  for (size_t i = digitsEnd - 7; i < digitsEnd; ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i])))
      return false;
  return name[digitsEnd - 8] == '~';
}

} // namespace bw

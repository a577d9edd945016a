#include "viewer/DataDisplay.h"

#include <cstdio>

namespace bw {
namespace {

constexpr size_t kHexLineBytes = 16;

bool IsKeptInText(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
         c == '@';
}

} // namespace

std::vector<std::string> TextDisplayLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < size; ++i) {
    if (!IsKeptInText(data[i]))
      continue;
    line += static_cast<char>(data[i]);
    if (line.size() == kTextLineLength) {
      lines.push_back(std::move(line));
      line.clear();
    }
  }
  if (!line.empty())
    lines.push_back(std::move(line));
  return lines;
}

std::vector<std::string> HexDisplayLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  lines.reserve(size / kHexLineBytes);
  for (size_t at = 0; at + kHexLineBytes <= size; at += kHexLineBytes) {
    // Room for a 20-digit offset, the hex column, the gap and the characters.
    char text[21 + kHexLineBytes * 3 + 1 + kHexLineBytes + 1];
    int n = std::snprintf(text, sizeof(text), "%.4llu ", static_cast<unsigned long long>(at));
    for (size_t i = 0; i < kHexLineBytes; ++i)
      n += std::snprintf(text + n, sizeof(text) - n, "%.2X ", data[at + i]);
    text[n++] = ' ';
    for (size_t i = 0; i < kHexLineBytes; ++i) {
      uint8_t c = data[at + i];
      text[n++] = c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '.';
    }
    lines.emplace_back(text, static_cast<size_t>(n));
  }
  return lines;
}

std::vector<std::string> DisplayLines(DisplayMode mode, const uint8_t* data, size_t size) {
  return mode == DisplayMode::Hex ? HexDisplayLines(data, size) : TextDisplayLines(data, size);
}

} // namespace bw

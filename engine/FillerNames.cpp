#include "engine/FillerNames.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace bw {
namespace {

constexpr std::string_view kFillerText = "BlankwrightBlankwrig";
constexpr const char* kFillerExtension = ".~BW";

std::string Filler(uint32_t n, size_t width, bool upper) {
  std::string number = std::to_string(n);
  size_t letters = width > number.size() ? width - number.size() : 0;
  std::string name =
      number + std::string(kFillerText.substr(0, std::min(letters, kFillerText.size())));
  if (upper)
    for (char& c : name)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name + kFillerExtension;
}

} // namespace

std::string SingleFillerName(uint32_t n) {
  return Filler(n, 8, true);
}

std::string PairFillerName(uint32_t n) {
  return Filler(n, 8, false);
}

std::string TripleFillerName(uint32_t n) {
  return Filler(n, 22, false);
}

RunFill FillForRun(uint32_t length) {
  RunFill fill;
  if (length < 2)
    return fill;
  uint32_t triples = length / 3;
  switch (length % 3) {
  case 0:
    fill.Triples = triples;
    break;
  case 1: // 3t + 1 = 3(t - 1) + 2 + 2
    fill.Triples = triples - 1;
    fill.Pairs = 2;
    break;
  default:
    fill.Triples = triples;
    fill.Pairs = 1;
    break;
  }
  return fill;
}

} // namespace bw

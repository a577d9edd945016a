#include "engine/bwsingle/SingleFiller.h"

#include "engine/FillerNames.h"
#include "platform/Platform.h"

#include <cctype>

namespace bw {
namespace {

// A decimal number from 0 up to limit, digits only.
bool ParseCount(const std::string& text, unsigned long limit, unsigned long& value) {
  if (text.empty() || text.size() > 10)
    return false;
  unsigned long long parsed = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
    parsed = parsed * 10 + static_cast<unsigned>(c - '0');
  }
  if (parsed > limit)
    return false;
  value = static_cast<unsigned long>(parsed);
  return true;
}

} // namespace

int RunSingleFiller(IPlatform& platform, const std::vector<std::string>& arguments) {
  if (arguments.size() < 2 || arguments.size() > 3)
    return kFillerUsage;
  const std::string& prefix = arguments[0];
  unsigned long count = 0, first = 1;
  if (prefix.empty() || (prefix.back() != '\\' && prefix.back() != '/') ||
      !ParseCount(arguments[1], kMaxSingleFillers, count) ||
      (arguments.size() == 3 &&
       (!ParseCount(arguments[2], kMaxSingleFillers, first) || first == 0)))
    return kFillerUsage;

  int result = kFillerOk;
  for (unsigned long n = first; n < first + count; ++n) {
    auto file = platform.Files().CreateFile(prefix + SingleFillerName(static_cast<uint32_t>(n)),
                                            kGenericWrite, 0, kCreateAlways, kFileAttributeNormal);
    if (file)
      file->Close();
    else
      result = kFillerIncomplete;
  }
  return result;
}

} // namespace bw

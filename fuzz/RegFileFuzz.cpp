// The .reg reader on hostile input: it must never crash or read out of bounds, and whatever it
// reads must read back the same once written.
#include "platform/RegFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool SameKeys(const std::vector<bw::RegFileKey>& a, const std::vector<bw::RegFileKey>& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].Root != b[i].Root || a[i].Path != b[i].Path || a[i].Delete != b[i].Delete ||
        a[i].Values.size() != b[i].Values.size())
      return false;
    for (size_t j = 0; j < a[i].Values.size(); ++j) {
      const bw::RegFileValue& x = a[i].Values[j];
      const bw::RegFileValue& y = b[i].Values[j];
      if (x.Delete != y.Delete || x.Value.Name != y.Value.Name ||
          (!x.Delete && (x.Value.Type != y.Value.Type || x.Value.Data != y.Value.Data)))
        return false;
    }
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bw::RegFile file = bw::ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
  bw::RegFile again = bw::ParseRegFile(bw::FormatRegFile(file.Keys));
  if (again.ProblemCount != 0 || !SameKeys(file.Keys, again.Keys))
    std::abort();
  return 0;
}

#include "viewer/UpdatePacing.h"

namespace bw {

bool CUpdatePacing::Due(uint32_t now) {
  // Unsigned difference: right across the tick count's wrap after 49.7 days.
  if (_started && now - _last < _interval)
    return false;
  _started = true;
  _last = now;
  return true;
}

} // namespace bw

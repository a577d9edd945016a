// The free-space wipe marker the tray program keeps: a wipe that filled and freed a drive sets
// it, and the main frame then closes the system's low-disk-space notices for a while.
#pragma once

#include "platform/Types.h"

namespace bw {

struct CWipeMarker {
  bool Flag = false;
  LocalTime Time; ///< when the last wipe ended, local clock
};

} // namespace bw

// CURRENTDRIVE: the folder a cleaning job is working in, kept in the registry so that the next
// start can remove what an interrupted job left there.
#pragma once

#include <string>

namespace bw {

class IPlatform;

/// Writes folder (the drive root, the folder being name-cleaned, or "" when a drive is done)
/// as CURRENTDRIVE and flushes it to storage. Failures are silent.
void SaveCurrentFolder(IPlatform& platform, const std::string& folder);

/// The stored CURRENTDRIVE; empty when the key or value is missing or unreadable.
std::string ReadCurrentFolder(IPlatform& platform);

} // namespace bw

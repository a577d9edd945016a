// The General page's Create button: a shell link to the zap program on the user's desktop.
#pragma once

#include <string>

namespace bw {

class IPlatform;

/// Makes (or replaces) the desktop zap icon and says how that went in a message box.
void CreateDesktopShortcut(IPlatform& platform, const std::string& programFolder);

} // namespace bw

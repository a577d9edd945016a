// The paths the zap command is given, turned into the drive-letter paths the zap job takes.
#pragma once

#include <string>

namespace bw {
class IPlatform;
}

namespace bw::cli {

/// Turns a path as the shell gives it into a selection. Where drive letters are mapped by
/// hand (Linux) a path that starts with a mapped drive's letter ("D:\Documents\a.txt", "D:")
/// is a drive path, made absolute against the current folder as on Windows; any other is a
/// host path: it must lie inside a mapped drive's mount folder and becomes "X:\a\b" with every
/// name in the case given, the last one unresolved (a link stays the link). Elsewhere
/// (Windows) the path is made absolute against the current folder; a network path stays as it
/// is. False, with a one-line reason, for a path outside every mapped drive, one that does not
/// exist, or one with a name a drive path cannot hold.
bool ToSelection(IPlatform& platform, const std::string& given, std::string& selection,
                 std::string& error);

} // namespace bw::cli

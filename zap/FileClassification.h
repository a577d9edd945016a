// Which files the zap refuses outright, which it asks about by their type, and which it takes
// without a type question.
#pragma once

#include <string_view>

namespace bw {

enum class FileClass {
  OwnFile,    ///< one of this system's own program files: never zapped
  SystemType, ///< an extension the operating system's own files carry: asked first
  Ordinary,
};

/// The class of the file at path, by its name (after the last backslash) and extension (from
/// the name's last dot); letter case is ignored.
FileClass ClassifyFile(std::string_view path);

/// The part of path after its last backslash (the whole path when there is none).
std::string_view NameOfPath(std::string_view path);

} // namespace bw

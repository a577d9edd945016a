// The Win32 rules for path names, for the platforms that have to supply them themselves: how a
// path is made absolute against the current folder, how a name matches a search pattern, and
// how names compare without regard to letter case.
//
// Letter case is folded for ASCII letters only; other bytes compare as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

/// MAX_PATH: a full path holds at most kMaxPath - 1 characters.
constexpr size_t kMaxPath = 260;

/// CreateDirectoryA leaves room for an 8.3 name below the new folder: at most this many
/// characters.
constexpr size_t kMaxFolderPath = 248;

/// A path made absolute and taken apart: a drive letter and the names below its root.
struct FullPath {
  char Drive = 0;                 ///< the letter as written ('c' stays 'c')
  std::vector<std::string> Names; ///< below the root, as written; no "." or ".." left

  /// "X:\" for the root, "X:\a\b" below it.
  std::string Text() const;
  /// The upper-case drive letter.
  char Letter() const;
  bool IsRoot() const { return Names.empty(); }
  /// The folder holding the last name (the root holds itself).
  FullPath Parent() const;
};

/// Makes path absolute as GetFullPathNameA does. "X:\a" is absolute; "X:a" is relative to the
/// current folder when X is its drive, else to the root of X; "\a" is relative to the root of
/// the current drive and "a" to the current folder (currentFolder null: there is none). "\" and
/// "/" both separate names; "." and ".." are resolved, and ".." never climbs above the root.
/// Fails with kErrorBadNetPath for a network path ("\\server\share"), kErrorPathNotFound for an
/// empty path or a relative one without a current folder, kErrorInvalidName for a drive that
/// is not a letter, and kErrorFilenameExcedRange when the result is longer than kMaxPath - 1.
bool MakeFullPath(const std::string& path, const FullPath* currentFolder, FullPath& full,
                  uint32_t& error);

/// Whether path ends with "\" or "/".
bool EndsWithSeparator(std::string_view path);

/// Whether name holds "*" or "?".
bool HasWildcards(std::string_view name);

/// Whether name matches pattern as FindFirstFileA matches: letter case ignored, "*" any run of
/// characters, "?" any one character other than a dot (or none at a dot or at the end), "*.*"
/// every name (also one without a dot), and a final "*." every name without a dot.
bool MatchesPattern(std::string_view name, std::string_view pattern);

/// name with its ASCII letters in upper case: the key under which case-blind names compare.
std::string FoldCase(std::string_view name);

/// Whether two names are the same without regard to letter case.
bool SameName(std::string_view a, std::string_view b);

} // namespace bw

// REGEDIT4 text: the form in which the Linux registry store is kept and in which settings are
// exported and imported, so that a user can read them, back them up and carry them to regedit.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\software\Tarnhollow\Blankwright\Settings]
//   "QC"=hex:00
//   "DRVS"="C1--------"
//   "ClearPageFileAtShutdown"=dword:00000001
//
// Strings are quoted with \\ and \" escapes; a REG_SZ holding a NUL or another control
// character, and every other type, is written as hex(N): bytes so that it reads back exactly.
// The reader takes a file as hostile input: it never fails as a whole, keeps every entry it can
// read and lists the lines it could not.
#pragma once

#include "platform/Registry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bw {

/// A value line: name=data, or name=- which deletes the value on import.
struct RegFileValue {
  RegistryValue Value;
  bool Delete = false;
};

/// A key section: [ROOT\path], or [-ROOT\path] which deletes the key on import.
struct RegFileKey {
  RegistryRoot Root = RegistryRoot::LocalMachine;
  std::string Path; ///< below the root, without leading or trailing backslash
  bool Delete = false;
  std::vector<RegFileValue> Values;
};

struct RegFileProblem {
  size_t Line = 0; ///< 1-based number of the line where the unreadable entry starts
  std::string Reason;
};

struct RegFile {
  std::vector<RegFileKey> Keys;         ///< in file order; a key may appear more than once
  std::vector<RegFileProblem> Problems; ///< the first kMaxProblems only
  size_t ProblemCount = 0;              ///< all of them
  static constexpr size_t kMaxProblems = 100;
};

/// Reads REGEDIT4 text (also "Windows Registry Editor Version 5.00", in UTF-16LE with its byte
/// order mark or in single bytes). Lines that cannot be read are skipped and listed; values
/// that follow an unreadable key line are skipped with it, so that they never land in another
/// key.
RegFile ParseRegFile(std::string_view text);

/// Writes keys as REGEDIT4 text with CRLF line ends. Delete entries are written as regedit
/// writes them ([-key], "name"=-).
std::string FormatRegFile(const std::vector<RegFileKey>& keys);

/// Splits "HKEY_LOCAL_MACHINE\a\b" (also HKLM, HKEY_CURRENT_USER, HKCU; any case) into its
/// root and path; false for any other root.
bool ParseRegistryKeyName(std::string_view name, RegistryRoot& root, std::string& path);

/// "HKEY_LOCAL_MACHINE\a\b".
std::string FormatRegistryKeyName(RegistryRoot root, const std::string& path);

} // namespace bw

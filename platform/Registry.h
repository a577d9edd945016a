// The registry: a per-machine tree of keys holding typed values.
//
// Keys are named by a root and a backslash path below it ("software\Tarnhollow\Blankwright"),
// matched without regard to letter case as Windows does; a key keeps the spelling it was created
// with. A key is opened either for reading (RegOpenKeyExA with KEY_READ) or for writing
// (RegCreateKeyExA with KEY_SET_VALUE, which creates it and its parents when missing), and a key
// opened one way refuses the other way's operations, as Windows does. Every call returns false
// on failure; out arguments are defined only on success. Nothing throws.
//
// win32 is the system's own registry; posix keeps one REGEDIT4 .reg file in the state folder;
// memory is a map for unit tests with injectable failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bw {

// Value types (REG_*). Constants, not macros, so that they can sit beside <windows.h>.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

/// The buffer the system reads every setting into: longer data is not read at all.
constexpr size_t kRegistryBufferSize = 260;

/// The two roots the system uses (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER).
enum class RegistryRoot : uint32_t { LocalMachine, CurrentUser };

/// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* RegistryRootName(RegistryRoot root);

/// One value as RegEnumValueA reports it.
struct RegistryValue {
  std::string Name; ///< empty for the key's default value
  uint32_t Type = kRegNone;
  std::vector<uint8_t> Data;
};

/// An open key (an HKEY). Destroying it closes it.
class IRegistryKey {
public:
  virtual ~IRegistryKey() = default;

  /// RegQueryValueExA into a buffer of capacity bytes. True when the value exists and its data
  /// fits; a value that is absent, unreadable or longer than capacity gives false.
  virtual bool QueryValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data,
                          size_t capacity = kRegistryBufferSize) = 0;

  /// RegSetValueExA: creates or replaces the value. The data is stored exactly as given; a
  /// REG_SZ is whatever bytes the caller passes (the system writes its strings without a NUL).
  virtual bool SetValue(const std::string& name, uint32_t type,
                        const std::vector<uint8_t>& data) = 0;

  /// RegDeleteValueA; false when the value does not exist.
  virtual bool DeleteValue(const std::string& name) = 0;

  /// RegDeleteKeyA: deletes a subkey that has no subkeys of its own.
  virtual bool DeleteSubKey(const std::string& path) = 0;

  /// RegEnumValueA: the value at index (0 upwards) with its whole data; false past the last.
  virtual bool EnumValue(uint32_t index, RegistryValue& value) = 0;

  /// RegQueryInfoKeyA: the number of values in the key.
  virtual bool QueryValueCount(uint32_t& count) = 0;

  /// RegFlushKey: the key's changes reach permanent storage before this returns.
  virtual bool Flush() = 0;

  /// RegCloseKey. Later calls on the key fail. True when the close (and, where the store saves
  /// on close, the save) succeeded.
  virtual bool Close() = 0;
};

class IRegistry {
public:
  virtual ~IRegistry() = default;

  /// RegOpenKeyExA with KEY_READ: null when the key does not exist or cannot be read.
  virtual std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) = 0;

  /// RegCreateKeyExA with REG_OPTION_NON_VOLATILE and KEY_SET_VALUE: opens the key for writing,
  /// creating it and its parents when missing; null on failure.
  virtual std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) = 0;

  /// Where the store is kept, for messages; empty for the system's own registry.
  virtual std::string Location() { return {}; }
};

/// Writes text as a REG_SZ without a terminating NUL, the way the system stores its strings.
inline bool SetStringValue(IRegistryKey& key, const std::string& name, const std::string& text) {
  return key.SetValue(name, kRegSz, std::vector<uint8_t>(text.begin(), text.end()));
}

/// Writes the low 8 bits of number as a one-byte REG_BINARY.
inline bool SetByteValue(IRegistryKey& key, const std::string& name, int32_t number) {
  return key.SetValue(name, kRegBinary, {static_cast<uint8_t>(number & 0xFF)});
}

/// Writes number as a little-endian 4-byte REG_DWORD.
inline bool SetDwordValue(IRegistryKey& key, const std::string& name, uint32_t number) {
  return key.SetValue(name, kRegDword,
                      {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                       static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)});
}

} // namespace bw

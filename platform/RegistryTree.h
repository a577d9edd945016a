// A registry kept in memory: the store behind the Linux registry file and the unit tests' fake.
//
// It behaves as the Windows registry does where the system depends on it: key and value names
// match without regard to letter case and keep their first spelling, creating a key creates its
// parents, a key opened for reading refuses writes and one opened for writing refuses reads, a
// key with subkeys cannot be deleted, and a handle whose key was deleted fails from then on.
// Values enumerate in the order they were first set. Derived stores add persistence or faults
// through the protected hooks.
#pragma once

#include "platform/RegFile.h"
#include "platform/Registry.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bw {

/// Orders strings as the registry compares names: ASCII letters without regard to case.
struct RegistryNameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class CRegistryTree : public IRegistry {
public:
  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;

  /// Every key and its values, parents before children, ready for FormatRegFile.
  std::vector<RegFileKey> Snapshot() const;

  /// Applies the entries of a .reg file in order: keys are created, values set, and delete
  /// entries delete ([-key] deletes the key with its subkeys). Counts what it applied.
  size_t Apply(const std::vector<RegFileKey>& keys);

  /// Direct access for tests and loaders, bypassing access modes and hooks.
  void Put(RegistryRoot root, const std::string& path, const RegistryValue& value);
  std::optional<RegistryValue> Get(RegistryRoot root, const std::string& path,
                                   const std::string& name) const;
  bool KeyExists(RegistryRoot root, const std::string& path) const;
  void Clear() { _keys.clear(); }

protected:
  // Hooks for derived stores. The Allow* hooks run before an operation and can refuse it.
  virtual bool AllowOpen(RegistryRoot, const std::string&) { return true; }
  virtual bool AllowCreate(RegistryRoot, const std::string&) { return true; }
  virtual bool AllowQuery(const std::string&, const std::string&) { return true; }
  virtual bool AllowSet(const std::string&, const std::string&) { return true; }
  /// Runs before the first operation, so that a store can load itself lazily.
  virtual void Prepare() {}
  /// Runs when a key is flushed, and when a key that changed something is closed; false when
  /// the changes could not be made permanent.
  virtual bool Commit() { return true; }
  /// Runs after every change made through a key: a value set (value is its new state), a value
  /// deleted (value null), or a subkey deleted (name is its path below key, value null).
  virtual void Changed(const std::string& key, const std::string& name,
                       const RegistryValue* value) {
    (void)key;
    (void)name;
    (void)value;
  }

private:
  friend class CRegistryTreeKey;

  struct Node {
    RegistryRoot Root = RegistryRoot::LocalMachine;
    std::string Path; // as first spelled
    std::vector<RegistryValue> Values;
  };

  static std::string Normalize(const std::string& path, bool& valid);
  static std::string MapKey(RegistryRoot root, const std::string& path);
  static std::string ChildPrefix(RegistryRoot root, const std::string& path);
  Node* Find(RegistryRoot root, const std::string& path);
  const Node* Find(RegistryRoot root, const std::string& path) const;
  Node& Ensure(RegistryRoot root, const std::string& path);
  bool HasSubKeys(RegistryRoot root, const std::string& path) const;
  void EraseWithSubKeys(RegistryRoot root, const std::string& path);

  std::map<std::string, Node, RegistryNameLess> _keys;
};

} // namespace bw

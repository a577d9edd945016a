#include "platform/RegistryTree.h"

#include <algorithm>

namespace bw {
namespace {

// Windows' own limits on a key name component and a value name.
constexpr size_t kMaxKeyComponent = 255;
constexpr size_t kMaxValueName = 16383;

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char x, char y) { return Lower(x) == Lower(y); });
}

// Names end up as lines of a .reg file: no control characters.
bool PrintableName(const std::string& name) {
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

} // namespace

bool RegistryNameLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
  });
}

// A handle on one key of the tree. It holds the key's name, not the node, so that it fails
// cleanly once the key is deleted behind it.
class CRegistryTreeKey final : public IRegistryKey {
public:
  CRegistryTreeKey(CRegistryTree& tree, RegistryRoot root, std::string path, bool writable)
      : _tree(tree), _root(root), _path(std::move(path)), _writable(writable) {}
  ~CRegistryTreeKey() override { Close(); }

  bool QueryValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data,
                  size_t capacity) override {
    if (!_open || _writable || !_tree.AllowQuery(_path, name))
      return false;
    const RegistryValue* value = FindValue(name);
    if (!value || value->Data.size() > capacity)
      return false;
    type = value->Type;
    data = value->Data;
    return true;
  }

  bool SetValue(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
    if (!_open || !_writable || name.size() > kMaxValueName || !PrintableName(name) ||
        !_tree.AllowSet(_path, name))
      return false;
    CRegistryTree::Node* node = _tree.Find(_root, _path);
    if (!node) {
      if (!_path.empty())
        return false; // deleted behind this handle
      node = &_tree.Ensure(_root, _path);
    }
    auto it = std::find_if(node->Values.begin(), node->Values.end(),
                           [&](const RegistryValue& v) { return SameName(v.Name, name); });
    if (it == node->Values.end())
      it = node->Values.insert(node->Values.end(), RegistryValue{name, type, {}});
    it->Type = type;
    it->Data = data;
    _changed = true;
    _tree.Changed(_path, it->Name, &*it);
    return true;
  }

  bool DeleteValue(const std::string& name) override {
    if (!_open || !_writable)
      return false;
    CRegistryTree::Node* node = _tree.Find(_root, _path);
    if (!node)
      return false;
    auto it = std::find_if(node->Values.begin(), node->Values.end(),
                           [&](const RegistryValue& v) { return SameName(v.Name, name); });
    if (it == node->Values.end())
      return false;
    node->Values.erase(it);
    _changed = true;
    _tree.Changed(_path, name, nullptr);
    return true;
  }

  bool DeleteSubKey(const std::string& path) override {
    if (!_open || (!_tree.Find(_root, _path) && !_path.empty()))
      return false;
    bool valid;
    std::string sub = CRegistryTree::Normalize(path, valid);
    if (!valid || sub.empty())
      return false;
    std::string full = _path.empty() ? sub : _path + '\\' + sub;
    if (!_tree.Find(_root, full) || _tree.HasSubKeys(_root, full))
      return false;
    _tree._keys.erase(CRegistryTree::MapKey(_root, full));
    _changed = true;
    _tree.Changed(_path, sub, nullptr);
    return true;
  }

  bool EnumValue(uint32_t index, RegistryValue& value) override {
    if (!_open || _writable)
      return false;
    const CRegistryTree::Node* node = _tree.Find(_root, _path);
    if (!node || index >= node->Values.size())
      return false;
    value = node->Values[index];
    return true;
  }

  bool QueryValueCount(uint32_t& count) override {
    if (!_open || _writable)
      return false;
    const CRegistryTree::Node* node = _tree.Find(_root, _path);
    if (!node && !_path.empty())
      return false;
    count = node ? static_cast<uint32_t>(node->Values.size()) : 0;
    return true;
  }

  bool Flush() override { return _open && _tree.Commit(); }

  bool Close() override {
    if (!_open)
      return false;
    _open = false;
    return !_changed || _tree.Commit();
  }

private:
  const RegistryValue* FindValue(const std::string& name) {
    const CRegistryTree::Node* node = _tree.Find(_root, _path);
    if (!node)
      return nullptr;
    for (const RegistryValue& v : node->Values)
      if (SameName(v.Name, name))
        return &v;
    return nullptr;
  }

  CRegistryTree& _tree;
  RegistryRoot _root;
  std::string _path;
  bool _writable;
  bool _open = true;
  bool _changed = false;
};

std::string CRegistryTree::Normalize(const std::string& path, bool& valid) {
  std::string normal;
  valid = true;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos)
      end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty()) {
      if (part.size() > kMaxKeyComponent || !PrintableName(part))
        valid = false;
      if (!normal.empty())
        normal += '\\';
      normal += part;
    }
    start = end + 1;
  }
  return normal;
}

std::string CRegistryTree::ChildPrefix(RegistryRoot root, const std::string& path) {
  std::string prefix = MapKey(root, path);
  if (!path.empty())
    prefix += '\\';
  return prefix;
}

std::string CRegistryTree::MapKey(RegistryRoot root, const std::string& path) {
  return std::string(1, root == RegistryRoot::CurrentUser ? 'U' : 'M') + '\\' + path;
}

CRegistryTree::Node* CRegistryTree::Find(RegistryRoot root, const std::string& path) {
  auto it = _keys.find(MapKey(root, path));
  return it == _keys.end() ? nullptr : &it->second;
}

const CRegistryTree::Node* CRegistryTree::Find(RegistryRoot root, const std::string& path) const {
  auto it = _keys.find(MapKey(root, path));
  return it == _keys.end() ? nullptr : &it->second;
}

CRegistryTree::Node& CRegistryTree::Ensure(RegistryRoot root, const std::string& path) {
  // Parents first. A key that exists keeps the spelling of its creation, and a new one is
  // spelled below its parent's spelling, as Windows shows it.
  Node* node = nullptr;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = std::min(path.find('\\', start), path.size());
    std::string spelled =
        node ? node->Path + '\\' + path.substr(start, end - start) : path.substr(0, end);
    node = &_keys.try_emplace(MapKey(root, spelled), Node{root, spelled, {}}).first->second;
    start = end + 1;
  }
  return *node;
}

// Subkeys of a key are the map entries that start with its name and a backslash; in the map's
// order they follow one another from the first entry not below that prefix.
bool CRegistryTree::HasSubKeys(RegistryRoot root, const std::string& path) const {
  std::string prefix = ChildPrefix(root, path);
  auto it = _keys.lower_bound(prefix);
  for (; it != _keys.end() && StartsWith(it->first, prefix); ++it)
    if (it->first.size() > prefix.size())
      return true;
  return false;
}

void CRegistryTree::EraseWithSubKeys(RegistryRoot root, const std::string& path) {
  _keys.erase(MapKey(root, path));
  std::string prefix = ChildPrefix(root, path);
  auto it = _keys.lower_bound(prefix);
  while (it != _keys.end() && StartsWith(it->first, prefix))
    it = _keys.erase(it);
}

std::unique_ptr<IRegistryKey> CRegistryTree::OpenKey(RegistryRoot root, const std::string& path) {
  Prepare();
  bool valid;
  std::string normal = Normalize(path, valid);
  if (!valid || !AllowOpen(root, normal) || (!normal.empty() && !Find(root, normal)))
    return nullptr;
  return std::make_unique<CRegistryTreeKey>(*this, root, normal, false);
}

std::unique_ptr<IRegistryKey> CRegistryTree::CreateKey(RegistryRoot root, const std::string& path) {
  Prepare();
  bool valid;
  std::string normal = Normalize(path, valid);
  if (!valid || !AllowCreate(root, normal))
    return nullptr;
  bool existed = normal.empty() || Find(root, normal);
  if (!normal.empty())
    Ensure(root, normal);
  auto key = std::make_unique<CRegistryTreeKey>(*this, root, normal, true);
  if (!existed)
    Changed(normal, {}, nullptr);
  return key;
}

std::vector<RegFileKey> CRegistryTree::Snapshot() const {
  std::vector<RegFileKey> keys;
  for (auto it = _keys.begin(); it != _keys.end(); ++it) {
    const Node& node = it->second;
    // A parent without values is implied by its children; an empty leaf is kept, so that a
    // created key survives.
    if (node.Values.empty() && (node.Path.empty() || HasSubKeys(node.Root, node.Path)))
      continue;
    RegFileKey key;
    key.Root = node.Root;
    key.Path = node.Path;
    for (const RegistryValue& v : node.Values)
      key.Values.push_back({v, false});
    keys.push_back(std::move(key));
  }
  return keys;
}

size_t CRegistryTree::Apply(const std::vector<RegFileKey>& keys) {
  size_t applied = 0;
  for (const RegFileKey& key : keys) {
    bool valid;
    std::string normal = Normalize(key.Path, valid);
    if (!valid)
      continue;
    if (key.Delete) {
      EraseWithSubKeys(key.Root, normal);
      ++applied;
      continue;
    }
    Node& node = Ensure(key.Root, normal);
    ++applied;
    for (const RegFileValue& entry : key.Values) {
      if (!PrintableName(entry.Value.Name) || entry.Value.Name.size() > kMaxValueName)
        continue;
      auto it = std::find_if(node.Values.begin(), node.Values.end(), [&](const RegistryValue& v) {
        return SameName(v.Name, entry.Value.Name);
      });
      if (entry.Delete) {
        if (it != node.Values.end())
          node.Values.erase(it);
      } else if (it != node.Values.end()) {
        it->Type = entry.Value.Type;
        it->Data = entry.Value.Data;
      } else {
        node.Values.push_back(entry.Value);
      }
      ++applied;
    }
  }
  return applied;
}

void CRegistryTree::Put(RegistryRoot root, const std::string& path, const RegistryValue& value) {
  RegFileKey key;
  key.Root = root;
  key.Path = path;
  key.Values.push_back({value, false});
  Apply({key});
}

std::optional<RegistryValue> CRegistryTree::Get(RegistryRoot root, const std::string& path,
                                                const std::string& name) const {
  bool valid;
  const Node* node = Find(root, Normalize(path, valid));
  if (!node)
    return std::nullopt;
  for (const RegistryValue& v : node->Values)
    if (SameName(v.Name, name))
      return v;
  return std::nullopt;
}

bool CRegistryTree::KeyExists(RegistryRoot root, const std::string& path) const {
  bool valid;
  std::string normal = Normalize(path, valid);
  return normal.empty() || Find(root, normal);
}

} // namespace bw

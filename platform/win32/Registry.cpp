#include "platform/win32/Registry.h"

#include "platform/win32/Win32.h"

#include <algorithm>
#include <utility>

namespace bw::win32 {
namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Value names and data are limited to what RegEnumValueA can return in one call; the system's
// own values are far smaller.
constexpr DWORD kMaxValueNameBuffer = 16384;

class CWin32RegistryKey final : public IRegistryKey {
public:
  explicit CWin32RegistryKey(HKEY key) : _key(key) {}
  ~CWin32RegistryKey() override { Close(); }

  bool QueryValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data,
                  size_t capacity) override {
    if (!_key)
      return false;
    std::vector<uint8_t> buffer(capacity);
    DWORD size = static_cast<DWORD>(capacity);
    DWORD valueType = REG_NONE;
    // An empty buffer is passed as null, which still reports the size of an empty value.
    if (::RegQueryValueExA(_key, name.c_str(), nullptr, &valueType,
                           buffer.empty() ? nullptr : buffer.data(), &size) != ERROR_SUCCESS ||
        size > capacity)
      return false;
    buffer.resize(size);
    type = valueType;
    data = std::move(buffer);
    return true;
  }

  bool SetValue(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
    if (!_key)
      return false;
    // Given a string without its terminating NUL, RegSetValueExA looks at the byte after the
    // data and, when that is zero, stores the NUL as well. The system stores its strings
    // without one, so the data goes in a copy followed by a non-zero byte: the value then
    // holds exactly the bytes given, and nothing past the caller's buffer is read.
    std::vector<uint8_t> buffer(data.size() + 1, 0xFF);
    std::copy(data.begin(), data.end(), buffer.begin());
    return ::RegSetValueExA(_key, name.c_str(), 0, type, buffer.data(),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& name) override {
    return _key && ::RegDeleteValueA(_key, name.c_str()) == ERROR_SUCCESS;
  }

  bool DeleteSubKey(const std::string& path) override {
    return _key && !path.empty() && ::RegDeleteKeyA(_key, path.c_str()) == ERROR_SUCCESS;
  }

  bool EnumValue(uint32_t index, RegistryValue& value) override {
    if (!_key)
      return false;
    DWORD maxData = 0;
    if (::RegQueryInfoKeyA(_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    std::string name(kMaxValueNameBuffer, '\0');
    std::vector<uint8_t> data(maxData + 1);
    DWORD nameSize = kMaxValueNameBuffer;
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    if (::RegEnumValueA(_key, index, name.data(), &nameSize, nullptr, &type, data.data(),
                        &dataSize) != ERROR_SUCCESS)
      return false;
    name.resize(nameSize);
    data.resize(dataSize);
    value.Name = std::move(name);
    value.Type = type;
    value.Data = std::move(data);
    return true;
  }

  bool QueryValueCount(uint32_t& count) override {
    DWORD values = 0;
    if (!_key || ::RegQueryInfoKeyA(_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    count = values;
    return true;
  }

  bool Flush() override { return _key && ::RegFlushKey(_key) == ERROR_SUCCESS; }

  bool Close() override {
    HKEY key = std::exchange(_key, nullptr);
    return key && ::RegCloseKey(key) == ERROR_SUCCESS;
  }

private:
  HKEY _key;
};

} // namespace

std::unique_ptr<IRegistryKey> CWin32Registry::OpenKey(RegistryRoot root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<CWin32RegistryKey>(key);
}

std::unique_ptr<IRegistryKey> CWin32Registry::CreateKey(RegistryRoot root,
                                                        const std::string& path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<CWin32RegistryKey>(key);
}

} // namespace bw::win32

// The Windows registry through the system's own calls (RegOpenKeyExA, RegCreateKeyExA, ...).
#pragma once

#include "platform/Registry.h"

namespace bw::win32 {

class CWin32Registry final : public IRegistry {
public:
  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;
};

} // namespace bw::win32

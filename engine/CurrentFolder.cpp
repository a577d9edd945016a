#include "engine/CurrentFolder.h"

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "settings/Settings.h"

namespace bw {

constexpr const char* kCurrentDriveValue = "CURRENTDRIVE";

void SaveCurrentFolder(IPlatform& platform, const std::string& folder) {
  auto key = platform.Registry().CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
  if (!key)
    return;
  SetStringValue(*key, kCurrentDriveValue, folder);
  key->Flush();
  key->Close();
}

std::string ReadCurrentFolder(IPlatform& platform) {
  auto key = platform.Registry().OpenKey(RegistryRoot::LocalMachine, kSettingsKey);
  uint32_t type;
  std::vector<uint8_t> data;
  if (!key || !key->QueryValue(kCurrentDriveValue, type, data))
    return {};
  std::string text(data.begin(), data.end());
  return text.substr(0, text.find('\0'));
}

} // namespace bw

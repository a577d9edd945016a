#include "shell/Registration.h"

#include "platform/Registry.h"

#include <array>

namespace bw {
namespace {

// The classes root of the whole machine (HKEY_CLASSES_ROOT as an administrator writes it).
const std::string kClasses = "Software\\Classes\\";
const std::string kClassKey = kClasses + "CLSID\\" + kContextMenuClassId;
const std::string kHandlerName = "Blankwright";
// All files, folders, drives.
const std::array<std::string, 3> kHandlerKeys = {
    kClasses + "*\\shellex\\ContextMenuHandlers\\" + kHandlerName,
    kClasses + "Directory\\shellex\\ContextMenuHandlers\\" + kHandlerName,
    kClasses + "Drive\\shellex\\ContextMenuHandlers\\" + kHandlerName};
// Where Windows lists the extensions an administrator allowed.
const std::string kApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

bool SetText(IRegistry& registry, const std::string& path, const std::string& name,
             const std::string& text) {
  auto key = registry.CreateKey(RegistryRoot::LocalMachine, path);
  if (!key)
    return false;
  // The shell reads these with the ordinary string calls, which want the terminating zero.
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  bool written = key->SetValue(name, kRegSz, data);
  return key->Close() && written;
}

// Deletes the last component of path from its parent; true when it is gone.
bool DeleteKey(IRegistry& registry, const std::string& path) {
  if (!registry.OpenKey(RegistryRoot::LocalMachine, path))
    return true;
  size_t cut = path.rfind('\\');
  auto parent = registry.CreateKey(RegistryRoot::LocalMachine, path.substr(0, cut));
  bool deleted = parent && parent->DeleteSubKey(path.substr(cut + 1));
  if (parent)
    parent->Close();
  return deleted;
}

} // namespace

bool RegisterContextMenu(IRegistry& registry, const std::string& modulePath) {
  bool ok = SetText(registry, kClassKey, "", kHandlerName);
  ok = SetText(registry, kClassKey + "\\InprocServer32", "", modulePath) && ok;
  ok = SetText(registry, kClassKey + "\\InprocServer32", "ThreadingModel", "Apartment") && ok;
  for (const std::string& handler : kHandlerKeys)
    ok = SetText(registry, handler, "", kContextMenuClassId) && ok;
  return SetText(registry, kApprovedKey, kContextMenuClassId, kHandlerName) && ok;
}

bool UnregisterContextMenu(IRegistry& registry) {
  bool ok = true;
  for (const std::string& handler : kHandlerKeys)
    ok = DeleteKey(registry, handler) && ok;
  ok = DeleteKey(registry, kClassKey + "\\InprocServer32") && ok;
  ok = DeleteKey(registry, kClassKey) && ok;
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
  auto approved = registry.OpenKey(RegistryRoot::LocalMachine, kApprovedKey);
  if (approved && approved->QueryValue(kContextMenuClassId, type, data)) {
    approved->Close();
    auto writable = registry.CreateKey(RegistryRoot::LocalMachine, kApprovedKey);
    ok = writable && writable->DeleteValue(kContextMenuClassId) && writable->Close() && ok;
  }
  return ok;
}

} // namespace bw

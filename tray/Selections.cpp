#include "tray/Selections.h"

#include "platform/MessageBox.h"
#include "platform/Registry.h"

#include <cctype>

namespace bw {
namespace {

bool RegistryError(IMessageBox& owner) {
  owner.Show("Cannot access registry, access denied.", "Registry IO Error", kMbOk | kMbIconError);
  return false;
}

} // namespace

bool ReadSelections(IRegistry& registry, IMessageBox& owner, std::vector<std::string>& list) {
  if (auto key = registry.OpenKey(RegistryRoot::LocalMachine, kSelectionsKey)) {
    uint32_t count = 0;
    if (key->QueryValueCount(count)) {
      for (uint32_t index = 0; index < count; ++index) {
        RegistryValue value;
        // A name too long for the reader's buffer fails to read, as any other unreadable value.
        if (!key->EnumValue(index, value) || value.Name.size() > kSelectionNameMax)
          continue;
        for (char& c : value.Name)
          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        list.push_back(std::move(value.Name));
      }
    }
    key->Close();
  }
  auto product = registry.CreateKey(RegistryRoot::LocalMachine, kProductKey);
  if (!product)
    return RegistryError(owner);
  if (!product->DeleteSubKey("Selections")) {
    product->Close();
    return RegistryError(owner);
  }
  product->Flush();
  product->Close();
  return true;
}

} // namespace bw

#include "shell/Registration.h"

#include "platform/memory/MemoryPlatform.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

std::string Text(const std::optional<RegistryValue>& value) {
  if (!value || value->Type != kRegSz || value->Data.empty() || value->Data.back() != 0)
    return "(not a terminated REG_SZ)";
  return {value->Data.begin(), value->Data.end() - 1};
}

TEST(RegistrationTest, RemovalTakesAwayExactlyWhatRegistrationWrote) {
  memory::CMemoryRegistry registry;
  // Something of another program's under the same parents must survive.
  registry.Put(RegistryRoot::LocalMachine,
               "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Other", {"", kRegSz, {'x', 0}});

  ASSERT_TRUE(RegisterContextMenu(registry, "C:\\Program Files\\Blankwright\\THBWshell.dll"));
  const std::string classKey = std::string("Software\\Classes\\CLSID\\") + kContextMenuClassId;
  EXPECT_EQ(Text(registry.Get(RegistryRoot::LocalMachine, classKey + "\\InprocServer32", "")),
            "C:\\Program Files\\Blankwright\\THBWshell.dll");
  EXPECT_EQ(Text(registry.Get(RegistryRoot::LocalMachine, classKey + "\\InprocServer32",
                              "ThreadingModel")),
            "Apartment");
  for (const char* type : {"*", "Directory", "Drive"}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(Text(registry.Get(RegistryRoot::LocalMachine,
                                std::string("Software\\Classes\\") + type +
                                    "\\shellex\\ContextMenuHandlers\\Blankwright",
                                "")),
              kContextMenuClassId);
  }

  ASSERT_TRUE(UnregisterContextMenu(registry));
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, classKey));
  for (const char* type : {"*", "Directory", "Drive"})
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine,
                                    std::string("Software\\Classes\\") + type +
                                        "\\shellex\\ContextMenuHandlers\\Blankwright"));
  EXPECT_FALSE(
      registry.Get(RegistryRoot::LocalMachine,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                   kContextMenuClassId));
  EXPECT_TRUE(registry.Get(RegistryRoot::LocalMachine,
                           "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Other", ""));
  EXPECT_TRUE(UnregisterContextMenu(registry)); // a second removal finds nothing to do
}

} // namespace
} // namespace bw

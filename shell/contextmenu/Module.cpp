// The DLL's exports: the class object, the unload answer and the registration regsvr32 calls.
#include "shell/contextmenu/Module.h"

#include "platform/Platform.h"
#include "shell/Registration.h"
#include "shell/contextmenu/ClassFactory.h"
#include "shell/contextmenu/ShellCom.h"

#include <new>

namespace bw::shell {
namespace {

HMODULE gModule = nullptr;
LONG gLiveObjects = 0;

// {6F1D2A90-3C4B-11D2-9E5A-5B7C3D1E2F40}
constexpr CLSID kClassId = {
    0x6F1D2A90, 0x3C4B, 0x11D2, {0x9E, 0x5A, 0x5B, 0x7C, 0x3D, 0x1E, 0x2F, 0x40}};

} // namespace

HMODULE ModuleHandle() {
  return gModule;
}

void ObjectCreated() {
  ::InterlockedIncrement(&gLiveObjects);
}

void ObjectDestroyed() {
  ::InterlockedDecrement(&gLiveObjects);
}

} // namespace bw::shell

using namespace bw;
using namespace bw::shell;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object) {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, kClassId))
    return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) CContextMenuExtFactory;
  if (factory == nullptr)
    return E_OUTOFMEMORY;
  factory->AddRef();
  HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

STDAPI DllCanUnloadNow() {
  return gLiveObjects == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  char path[MAX_PATH + 1] = {};
  DWORD length = ::GetModuleFileNameA(gModule, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return SELFREG_E_CLASS;
  try {
    auto platform = CreateNativePlatform();
    return RegisterContextMenu(platform->Registry(), path) ? S_OK : SELFREG_E_CLASS;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    auto platform = CreateNativePlatform();
    return UnregisterContextMenu(platform->Registry()) ? S_OK : SELFREG_E_CLASS;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

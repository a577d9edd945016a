// Unload.dll: the one export a setup or removal program calls to have the tray program end and
// the drive viewer close before it replaces or removes their files.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"
#include "shell/UnloadHook.h"

// Takes nothing from the stack, so cdecl and stdcall callers alike may call it.
extern "C" int WINAPI SHUTDOWNGLIMMERFEN() {
  bw::win32::CWin32WindowCommands windows;
  return bw::ShutDownPrograms(windows);
}

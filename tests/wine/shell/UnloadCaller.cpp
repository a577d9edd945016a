// A removal program's side of Unload.dll: loads it, calls SHUTDOWNGLIMMERFEN and prints what
// it returned.
//
//   bw_unload_caller PATH-OF-Unload.dll
#include "platform/win32/Win32.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  HMODULE unload = ::LoadLibraryA(argv[1]);
  if (!unload) {
    std::printf("cannot load %s\n", argv[1]);
    return 1;
  }
  using ShutDown = int(WINAPI*)();
  auto shutDown = reinterpret_cast<ShutDown>(
      reinterpret_cast<void*>(::GetProcAddress(unload, "SHUTDOWNGLIMMERFEN")));
  if (!shutDown) {
    std::printf("no SHUTDOWNGLIMMERFEN\n");
    return 1;
  }
  std::printf("SHUTDOWNGLIMMERFEN returned %d (%d-bit caller)\n", shutDown(),
              static_cast<int>(sizeof(void*) * 8));
  std::fflush(stdout);
  ::FreeLibrary(unload);
  return 0;
}

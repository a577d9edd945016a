// What the whole DLL shares: its own handle (for its path) and the count of live objects that
// DllCanUnloadNow answers from.
#pragma once

#include "platform/win32/Win32.h"

namespace bw::shell {

/// The DLL's module handle, set when it is loaded.
HMODULE ModuleHandle();

/// A factory or extension object came to life, or ended.
void ObjectCreated();
void ObjectDestroyed();

} // namespace bw::shell

// The COM and shell headers the context menu needs, after the one way into <windows.h>.
#pragma once

#include "platform/win32/Win32.h"

#include <ole2.h>
#include <olectl.h>
#include <shlobj.h>

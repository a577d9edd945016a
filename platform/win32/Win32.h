// The one way into <windows.h>: every win32 source includes this header instead.
//
// The seam's operations carry the Win32 names (CreateFile, FindFirstFile, MessageBox...), which
// <windows.h> turns into macros that pick the A or W form. This code always calls the A forms by
// name, so those macros are removed here: a seam header then means the same thing whether it is
// read before or after this one.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
// These two need <windows.h> first; it leaves them out when lean.
#include <shellapi.h>
#include <winioctl.h>

#undef CreateDirectory
#undef CreateFile
#undef DeleteFile
#undef FindFirstFile
#undef FindNextFile
#undef GetCurrentDirectory
#undef GetDiskFreeSpace
#undef GetDiskFreeSpaceEx
#undef GetDriveType
#undef GetFileAttributes
#undef GetShortPathName
#undef GetTempPath
#undef GetWindowsDirectory
#undef MessageBox
#undef RemoveDirectory
#undef SetCurrentDirectory
#undef SetFileAttributes

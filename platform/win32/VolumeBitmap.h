// The allocation-bitmap query on Win32: NtFsControlFile with FSCTL_GET_VOLUME_BITMAP on a
// volume handle, the entry point looked up in ntdll at run time.
#pragma once

#include "platform/VolumeBitmap.h"

namespace bw::win32 {

class CWin32VolumeBitmap final : public IVolumeBitmap {
public:
  bool FindEntryPoint() override;
  std::unique_ptr<IVolumeBitmapHandle> OpenVolume(char letter) override;

  /// The NtFsControlFile found by FindEntryPoint (null before, or when ntdll has none).
  using ControlFunction = long(__stdcall*)(void*, void*, void*, void*, void*, unsigned long, void*,
                                           unsigned long, void*, unsigned long);

private:
  ControlFunction _control = nullptr;
};

} // namespace bw::win32

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

#include <cstdio>
#include <cstring>

namespace bw::win32 {
namespace {

// IO_STATUS_BLOCK, declared here so that no driver-kit header is needed.
struct IoStatusBlock {
  union {
    LONG Status;
    void* Pointer;
  };
  ULONG_PTR Information;
};

class CWin32BitmapHandle final : public IVolumeBitmapHandle {
public:
  CWin32BitmapHandle(ScopedKernelHandle volume, CWin32VolumeBitmap::ControlFunction control)
      : _volume(std::move(volume)), _control(control) {}

  uint32_t GetBitmap(uint64_t startingCluster, uint8_t* buffer) override {
    // The input and the status block belong to the handle: a pending query writes them later.
    _startingCluster = static_cast<LONGLONG>(startingCluster);
    std::memset(&_io, 0, sizeof(_io));
    LONG status = _control(_volume.Get(), nullptr, nullptr, nullptr, &_io, kFsctlGetVolumeBitmap,
                           &_startingCluster, sizeof(_startingCluster), buffer,
                           static_cast<ULONG>(kVolumeBitmapBufferSize));
    return static_cast<uint32_t>(status);
  }

  uint32_t WaitForBitmap() override {
    WaitForSingleObject(_volume.Get(), INFINITE);
    return static_cast<uint32_t>(_io.Status);
  }

private:
  ScopedKernelHandle _volume;
  CWin32VolumeBitmap::ControlFunction _control;
  LONGLONG _startingCluster = 0;
  IoStatusBlock _io{};
};

} // namespace

bool CWin32VolumeBitmap::FindEntryPoint() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  FARPROC proc = ntdll ? GetProcAddress(ntdll, "NtFsControlFile") : nullptr;
  if (!proc) {
    std::fputs("Could not find NtFsControlFile entry point in NTDLL.DLL\n", stdout);
    std::fflush(stdout);
    _control = nullptr;
    return false;
  }
  _control = reinterpret_cast<ControlFunction>(reinterpret_cast<void*>(proc));
  return true;
}

std::unique_ptr<IVolumeBitmapHandle> CWin32VolumeBitmap::OpenVolume(char letter) {
  if (!_control && !FindEntryPoint())
    return nullptr;
  char name[] = "\\\\.\\a:";
  name[4] = letter;
  ScopedKernelHandle volume(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  if (!volume)
    return nullptr;
  return std::make_unique<CWin32BitmapHandle>(std::move(volume), _control);
}

} // namespace bw::win32

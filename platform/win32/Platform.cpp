#include "platform/win32/FileSystem.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Win32Platform.h"

namespace bw {
namespace win32 {
namespace {

class CWin32Platform final : public IPlatform {
public:
  CWin32Platform() : _drives(*this) {}

  ISystem& System() override { return _system; }
  IDrives& Drives() override { return _drives; }
  IFileSystem& Files() override { return _files; }
  IDesktop& Desktop() override { return _desktop; }
  IVolumeBitmap& VolumeBitmap() override { return _volumeBitmap; }
  IConsole& Console() override { return _console; }
  IRegistry& Registry() override { return _registry; }
  IWindowCommands& WindowCommands() override { return _windowCommands; }

protected:
  IMessageBox& NativeMessageBox() override { return _messageBox; }

private:
  CWin32Drives _drives;
  CWin32System _system;
  CWin32FileSystem _files;
  CWin32Desktop _desktop;
  CWin32VolumeBitmap _volumeBitmap;
  CWin32Console _console;
  CWin32Registry _registry;
  CWin32WindowCommands _windowCommands;
  CWin32MessageBox _messageBox;
};

} // namespace
} // namespace win32

std::unique_ptr<IPlatform> CreateNativePlatform() {
  return std::make_unique<win32::CWin32Platform>();
}

} // namespace bw

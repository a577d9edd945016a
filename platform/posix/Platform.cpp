#include "platform/posix/FileSystem.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/Registry.h"

namespace bw {
namespace posix {
namespace {

class CPosixPlatform final : public IPlatform {
public:
  CPosixPlatform()
      : _table(_mapFile), _drives(_table), _files(_table), _volumeBitmap(_table),
        _windowCommands(_system), _liveMap(_mapFile, _table, _drives) {}

  ISystem& System() override { return _system; }
  IDrives& Drives() override { return _drives; }
  IFileSystem& Files() override { return _files; }
  IDesktop& Desktop() override { return _desktop; }
  IVolumeBitmap& VolumeBitmap() override { return _volumeBitmap; }
  IRegistry& Registry() override { return _registry; }
  IConsole& Console() override { return _console; }
  IWindowCommands& WindowCommands() override { return _windowCommands; }
  IDriveMap* DriveMap() override { return &_liveMap; }

protected:
  IMessageBox& NativeMessageBox() override { return _messageBox; }

private:
  CDriveMapFile _mapFile;
  CDriveTable _table;
  CPosixDrives _drives;
  CPosixSystem _system;
  CPosixFileSystem _files;
  CPosixDesktop _desktop;
  CPosixVolumeBitmap _volumeBitmap;
  CPosixConsole _console;
  CPosixWindowCommands _windowCommands;
  CLiveDriveMap _liveMap;
  CRegFileRegistry _registry;
  CStderrMessageBox _messageBox;
};

} // namespace
} // namespace posix

std::unique_ptr<IPlatform> CreateNativePlatform() {
  return std::make_unique<posix::CPosixPlatform>();
}

} // namespace bw

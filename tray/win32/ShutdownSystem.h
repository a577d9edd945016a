// The system's side of the shut-down continuation: the shut-down privilege, closing the main
// window, ExitWindowsEx, the boot files in the program's resources and starting the .pif.
//
// With the environment variable BW_SHUTDOWN_RECORD naming a file, the two steps that end the
// session (the shut-down and the start of the .pif) are written to that file instead of being
// done: the tests' way to follow a shut-down to its end on a machine that must keep running.
#pragma once

#include "platform/win32/Win32.h"
#include "tray/ShutdownContinuation.h"

#include <string>

namespace bw {

class CShutdownSystem final : public IShutdownSystem {
public:
  explicit CShutdownSystem(HINSTANCE instance);

  Privilege EnableShutdownPrivilege() override;
  void CloseMainWindow() override;
  bool ShutDown() override;
  bool LoadBootFile(int id, std::vector<uint8_t>& data) override;
  bool Start(const std::string& path) override;

private:
  bool Record(const std::string& line);

  HINSTANCE _instance;
  std::string _record; ///< the record file, empty when the steps are real
};

} // namespace bw

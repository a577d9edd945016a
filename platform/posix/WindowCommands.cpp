#include "platform/posix/Posix.h"
#include "platform/posix/PosixPlatform.h"

#include <algorithm>
#include <sys/wait.h>

namespace bw::posix {

bool CPosixWindowCommands::Start(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  std::erase_if(_started, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });

  int pid;
  if (!SpawnProgram(program, arguments, pid))
    return false;
  _started.push_back(pid);
  return true;
}

} // namespace bw::posix

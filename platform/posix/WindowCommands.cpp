#include "platform/posix/PosixPlatform.h"

#include <algorithm>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace bw::posix {

bool CPosixWindowCommands::Start(const std::string& program,
                                 const std::vector<std::string>& arguments) {
  std::erase_if(_started, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  // glibc reports a program that cannot be executed (missing, not executable) as the spawn's
  // own failure, so a start that returns true really started.
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  _started.push_back(pid);
  return true;
}

} // namespace bw::posix

#include "platform/posix/PosixPlatform.h"

#include <csignal>
#include <iostream>
#include <unistd.h>

namespace bw::posix {
namespace {

volatile std::sig_atomic_t gInterrupts = 0;

extern "C" void OnInterrupt(int) { gInterrupts = gInterrupts + 1; }

} // namespace

bool CPosixConsole::IsInteractive() { return ::isatty(0) && ::isatty(2); }

bool CPosixConsole::ReadLine(std::string& line) {
  if (!std::getline(std::cin, line))
    return false;
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

void CPosixConsole::CatchInterrupt() {
  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0; // no SA_RESTART: a read waiting for an answer returns
  ::sigaction(SIGINT, &action, nullptr);
}

bool CPosixConsole::TakeInterrupt() {
  if (gInterrupts == 0)
    return false;
  gInterrupts = gInterrupts - 1;
  return true;
}

} // namespace bw::posix

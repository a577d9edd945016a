// Starting a program: the command line CreateProcessA gets, and the start itself.
#pragma once

#include "platform/win32/ScopedHandle.h"

#include <string>
#include <vector>

namespace bw::win32 {

/// program quoted whole (the runtime reads the first word without backslash escapes, and a
/// path cannot hold a quote), then each argument quoted so that the C runtime's parser gives
/// it back as one argument, unchanged.
std::string MakeCommandLine(const std::string& program, const std::vector<std::string>& arguments);

/// Starts program with arguments (CreateProcessA) and hands back its process handle; false
/// when it could not be started, with the error left for GetLastError.
bool StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                  ScopedKernelHandle& process);

} // namespace bw::win32

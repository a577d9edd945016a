#include "platform/win32/Process.h"

namespace bw::win32 {
namespace {

// One argument as the C runtime's command-line parser reads it back: quoted when it holds a
// blank or a quote (or is empty), with backslashes doubled only where they precede a quote.
void AppendQuoted(std::string& line, const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    line += argument;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"')
      line.append(backslashes * 2 + 1, '\\');
    else
      line.append(backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

} // namespace

std::string MakeCommandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) {
    line += ' ';
    AppendQuoted(line, argument);
  }
  return line;
}

bool StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                  ScopedKernelHandle& process) {
  std::string line = MakeCommandLine(program, arguments);
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');

  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
    return false;
  process = ScopedKernelHandle(info.hProcess);
  ScopedKernelHandle thread(info.hThread);
  return true;
}

} // namespace bw::win32

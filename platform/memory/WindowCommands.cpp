#include "platform/PathRules.h"
#include "platform/memory/MemoryPlatform.h"

namespace bw::memory {

WindowId CMemoryWindowCommands::AddWindow(const std::string& className, const std::string& title) {
  WindowId id = _nextWindow++;
  Windows[id] = Window{className, title};
  return id;
}

WindowId CMemoryWindowCommands::FindMainWindow(const std::vector<std::string>& classNames,
                                               const std::string& title) {
  for (const std::string& className : classNames) {
    ClassesTried.push_back(className);
    // Window classes match without regard to case, titles exactly.
    for (const auto& [id, window] : Windows)
      if (window.Title == title && SameName(window.ClassName, className))
        return id;
  }
  return kNoWindow;
}

WindowId CMemoryWindowCommands::FindWindowByTitle(const std::string& title) {
  for (const auto& [id, window] : Windows)
    if (window.Title == title)
      return id;
  return kNoWindow;
}

bool CMemoryWindowCommands::BringToFront(WindowId window) {
  if (!Windows.count(window) || FrontRefused)
    return false;
  Fronted.push_back(window);
  return true;
}

bool CMemoryWindowCommands::SendCommand(WindowId window, uint32_t commandWord) {
  if (!Windows.count(window))
    return false;
  Commands.push_back({window, commandWord});
  return true;
}

bool CMemoryWindowCommands::SendClose(WindowId window, int64_t& result) {
  auto found = Windows.find(window);
  if (found == Windows.end())
    return false;
  result = found->second.CloseResult;
  Windows.erase(found);
  Closed.push_back(window);
  return true;
}

bool CMemoryWindowCommands::Start(const std::string& program,
                                  const std::vector<std::string>& arguments) {
  std::vector<std::string> start{program};
  start.insert(start.end(), arguments.begin(), arguments.end());
  Starts.push_back(start);
  return OnStart && OnStart(program, arguments);
}

void CMemoryWindowCommands::Wait(uint32_t milliseconds) {
  WaitedMilliseconds += milliseconds;
  if (OnWait)
    OnWait(milliseconds);
}

} // namespace bw::memory

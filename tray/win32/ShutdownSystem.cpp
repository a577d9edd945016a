#include "tray/win32/ShutdownSystem.h"

#include "tray/RemoteCommand.h"

#include <cstdlib>

namespace bw {

CShutdownSystem::CShutdownSystem(HINSTANCE instance) : _instance(instance) {
  if (const char* record = std::getenv("BW_SHUTDOWN_RECORD"))
    _record = record;
}

bool CShutdownSystem::Record(const std::string& line) {
  HANDLE file = ::CreateFileA(_record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  std::string text = line + "\n";
  DWORD written = 0;
  bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  return ::CloseHandle(file) && ok;
}

IShutdownSystem::Privilege CShutdownSystem::EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return Privilege::OpenTokenFailed;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  // AdjustTokenPrivileges reports success even when it assigned nothing: the error tells.
  bool adjusted = ::GetLastError() == ERROR_SUCCESS;
  ::CloseHandle(token);
  return adjusted ? Privilege::Enabled : Privilege::AdjustFailed;
}

void CShutdownSystem::CloseMainWindow() {
  if (HWND main = ::FindWindowA(nullptr, kMainWindowTitle))
    ::PostMessageA(main, WM_CLOSE, 0, 0);
}

bool CShutdownSystem::ShutDown() {
  if (!_record.empty())
    return Record("shut down");
  return ::ExitWindowsEx(EWX_SHUTDOWN, 0) != FALSE;
}

bool CShutdownSystem::LoadBootFile(int id, std::vector<uint8_t>& data) {
  HRSRC found = ::FindResourceA(_instance, MAKEINTRESOURCEA(id), "BOOTFILE");
  HGLOBAL loaded = found ? ::LoadResource(_instance, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes)
    return false;
  const auto* begin = static_cast<const uint8_t*>(bytes);
  data.assign(begin, begin + ::SizeofResource(_instance, found));
  return true;
}

bool CShutdownSystem::Start(const std::string& path) {
  if (!_record.empty())
    return Record("start " + path);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = path;
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

} // namespace bw

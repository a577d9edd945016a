#include "platform/posix/FileSystem.h"

namespace bw::posix {

// Not yet reached by any caller: every service fails with kErrorNotSupported.
std::unique_ptr<IFindSearch> CPosixFileSystem::FindFirstFile(const std::string&, FindData&) {
  _lastError = kErrorNotSupported;
  return nullptr;
}
bool CPosixFileSystem::SetCurrentDirectory(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CPosixFileSystem::GetCurrentDirectory(std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
std::unique_ptr<IFile> CPosixFileSystem::CreateFile(const std::string&, uint32_t, uint32_t,
                                                    uint32_t, uint32_t) {
  _lastError = kErrorNotSupported;
  return nullptr;
}
bool CPosixFileSystem::DeleteFile(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CPosixFileSystem::CreateDirectory(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CPosixFileSystem::RemoveDirectory(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
uint32_t CPosixFileSystem::GetFileAttributes(const std::string&) {
  _lastError = kErrorNotSupported;
  return kInvalidFileAttributes;
}
bool CPosixFileSystem::SetFileAttributes(const std::string&, uint32_t) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CPosixFileSystem::ShellDelete(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CPosixFileSystem::GetShortPathName(const std::string&, std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}

} // namespace bw::posix

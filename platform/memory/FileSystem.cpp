#include "platform/memory/FileSystem.h"

namespace bw::memory {

// The file tree is not modelled yet: every service fails with kErrorNotSupported.
std::unique_ptr<IFindSearch> CMemoryFileSystem::FindFirstFile(const std::string&, FindData&) {
  _lastError = kErrorNotSupported;
  return nullptr;
}
bool CMemoryFileSystem::SetCurrentDirectory(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CMemoryFileSystem::GetCurrentDirectory(std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
std::unique_ptr<IFile> CMemoryFileSystem::CreateFile(const std::string&, uint32_t, uint32_t,
                                                     uint32_t, uint32_t) {
  _lastError = kErrorNotSupported;
  return nullptr;
}
bool CMemoryFileSystem::DeleteFile(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CMemoryFileSystem::CreateDirectory(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CMemoryFileSystem::RemoveDirectory(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
uint32_t CMemoryFileSystem::GetFileAttributes(const std::string&) {
  _lastError = kErrorNotSupported;
  return kInvalidFileAttributes;
}
bool CMemoryFileSystem::SetFileAttributes(const std::string&, uint32_t) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CMemoryFileSystem::ShellDelete(const std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}
bool CMemoryFileSystem::GetShortPathName(const std::string&, std::string&) {
  _lastError = kErrorNotSupported;
  return false;
}

} // namespace bw::memory

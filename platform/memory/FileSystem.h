// An in-memory file tree with Win32 semantics, for unit tests.
#pragma once

#include "platform/FileSystem.h"

namespace bw::memory {

class CMemoryFileSystem final : public IFileSystem {
public:
  uint32_t GetLastError() override { return _lastError; }
  std::unique_ptr<IFindSearch> FindFirstFile(const std::string& pattern, FindData& data) override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool GetCurrentDirectory(std::string& path) override;
  std::unique_ptr<IFile> CreateFile(const std::string& path, uint32_t access, uint32_t shareMode,
                                    uint32_t disposition, uint32_t flagsAndAttributes) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  bool ShellDelete(const std::string& path) override;
  bool GetShortPathName(const std::string& path, std::string& shortPath) override;

private:
  uint32_t _lastError = kErrorSuccess;
};

} // namespace bw::memory

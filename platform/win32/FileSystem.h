// Files and folders through the Win32 file calls.
#pragma once

#include "platform/FileSystem.h"

namespace bw::win32 {

class CWin32FileSystem final : public IFileSystem {
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
  bool GetFileId(const std::string& path, uint64_t& id) override;
  bool FlushVolume(char letter) override;

private:
  /// True when folder lists nothing but "." and ".."; otherwise false with the reason set.
  bool IsEmptyFolder(const std::string& folder);

  // The code of the last failure, taken from the thread's error value at the moment of failure
  // so that later calls (a close, a message pump) cannot overwrite it. Open files and searches
  // report their failures here too.
  uint32_t _lastError = kErrorSuccess;
};

} // namespace bw::win32

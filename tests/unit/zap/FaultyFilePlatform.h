// The memory platform with open files whose seeks and writes a test can make misbehave in ways
// the memory file system never does: a seek that fails, a write that reports success with
// fewer bytes than asked, as a POSIX write may.
#pragma once

#include "platform/memory/MemoryPlatform.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace bw::test {

class CFaultyFilePlatform final : public IPlatform {
public:
  /// Answers each seek: false makes it fail. Absent: every seek goes through.
  std::function<bool(int64_t distance)> SeekAllowed;
  /// The bytes a write of size may reach the file; the write then reports success.
  std::function<uint32_t(uint32_t size)> WriteLimit;

  memory::CMemoryPlatform Inner;

  ISystem& System() override { return Inner.System(); }
  IDrives& Drives() override { return Inner.Drives(); }
  IFileSystem& Files() override { return _files; }
  IDesktop& Desktop() override { return Inner.Desktop(); }
  IVolumeBitmap& VolumeBitmap() override { return Inner.VolumeBitmap(); }
  IRegistry& Registry() override { return Inner.Registry(); }
  IConsole& Console() override { return Inner.Console(); }
  IWindowCommands& WindowCommands() override { return Inner.WindowCommands(); }

protected:
  IMessageBox& NativeMessageBox() override { return Inner.MessageBoxes; }

private:
  class CFile final : public IFile {
  public:
    CFile(CFaultyFilePlatform& owner, std::unique_ptr<IFile> inner)
        : _owner(owner), _inner(std::move(inner)) {}
    bool Write(const void* data, uint32_t size, uint32_t& written) override {
      if (!_owner.WriteLimit)
        return _inner->Write(data, size, written);
      uint32_t limit = std::min(size, _owner.WriteLimit(size));
      if (limit == size)
        return _inner->Write(data, size, written);
      written = 0;
      if (limit > 0)
        _inner->Write(data, limit, written);
      return true;
    }
    bool Read(void* data, uint32_t size, uint32_t& read) override {
      return _inner->Read(data, size, read);
    }
    bool Seek(int64_t distance, SeekOrigin origin, uint64_t& position) override {
      if (_owner.SeekAllowed && !_owner.SeekAllowed(distance))
        return false;
      return _inner->Seek(distance, origin, position);
    }
    bool SetEndOfFile() override { return _inner->SetEndOfFile(); }
    bool Flush() override { return _inner->Flush(); }
    bool GetTimes(FileTime& c, FileTime& a, FileTime& w) override {
      return _inner->GetTimes(c, a, w);
    }
    bool SetTimes(const FileTime* c, const FileTime* a, const FileTime* w) override {
      return _inner->SetTimes(c, a, w);
    }
    bool SetCompressionNone() override { return _inner->SetCompressionNone(); }
    bool Close() override { return _inner->Close(); }

  private:
    CFaultyFilePlatform& _owner;
    std::unique_ptr<IFile> _inner;
  };

  class CFiles final : public IFileSystem {
  public:
    explicit CFiles(CFaultyFilePlatform& owner) : _owner(owner) {}
    IFileSystem& Inner() { return _owner.Inner.FilesFake; }
    uint32_t GetLastError() override { return Inner().GetLastError(); }
    std::unique_ptr<IFindSearch> FindFirstFile(const std::string& p, FindData& d) override {
      return Inner().FindFirstFile(p, d);
    }
    bool SetCurrentDirectory(const std::string& p) override {
      return Inner().SetCurrentDirectory(p);
    }
    bool GetCurrentDirectory(std::string& p) override { return Inner().GetCurrentDirectory(p); }
    std::unique_ptr<IFile> CreateFile(const std::string& path, uint32_t access, uint32_t share,
                                      uint32_t disposition, uint32_t flags) override {
      auto file = Inner().CreateFile(path, access, share, disposition, flags);
      if (!file)
        return nullptr;
      return std::make_unique<CFile>(_owner, std::move(file));
    }
    bool DeleteFile(const std::string& p) override { return Inner().DeleteFile(p); }
    bool CreateDirectory(const std::string& p) override { return Inner().CreateDirectory(p); }
    bool RemoveDirectory(const std::string& p) override { return Inner().RemoveDirectory(p); }
    uint32_t GetFileAttributes(const std::string& p) override {
      return Inner().GetFileAttributes(p);
    }
    bool SetFileAttributes(const std::string& p, uint32_t a) override {
      return Inner().SetFileAttributes(p, a);
    }
    bool ShellDelete(const std::string& p) override { return Inner().ShellDelete(p); }
    bool GetShortPathName(const std::string& p, std::string& s) override {
      return Inner().GetShortPathName(p, s);
    }

  private:
    CFaultyFilePlatform& _owner;
  };

  CFiles _files{*this};
};

} // namespace bw::test

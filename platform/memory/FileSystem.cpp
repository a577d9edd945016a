#include "platform/memory/FileSystem.h"

#include "platform/FileRules.h"
#include "platform/Unbuffered.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace bw::memory {
namespace {

// Links inside links are followed this deep before the name counts as unresolvable.
constexpr int kMaxLinkDepth = 8;

uint64_t RoundUp(uint64_t size, uint32_t cluster) {
  return cluster == 0 ? size : (size + cluster - 1) / cluster * cluster;
}

int FillOf(const uint8_t* data, uint32_t size) {
  if (size == 0 || std::memcmp(data, data + 1, size - 1) != 0)
    return -1;
  return data[0];
}

} // namespace

struct CMemoryFileSystem::Node {
  std::string Name;
  char Drive = 0; // the upper-case letter of the drive it lies on
  bool Folder = false;
  uint32_t Attributes = 0; // every bit but the directory bit, which Folder gives
  FileTime Creation = 0;
  FileTime LastAccess = 0;
  FileTime LastWrite = 0;
  CCompactContents Data;
  uint64_t Allocated = 0; // bytes of the whole clusters Data takes from the budget
  std::map<std::string, std::shared_ptr<Node>> Children; // by folded name: listing order
  Node* Parent = nullptr;
  std::string LinkTarget;
  std::vector<CFile*> Handles;
  bool Removed = false;

  uint32_t Reported() const {
    uint32_t attributes = Attributes | (Folder ? kFileAttributeDirectory : 0);
    return attributes == 0 ? kFileAttributeNormal : attributes;
  }
};

struct CMemoryFileSystem::VolumeState {
  MemoryVolume Settings;
  std::shared_ptr<Node> Root;
};

struct CMemoryFileSystem::Located {
  std::shared_ptr<Node> Folder; // holding the last name; a root holds itself
  std::shared_ptr<Node> Entry;  // null when the last name does not exist
  std::string Spelled;          // the full path with each existing name as stored
};

namespace {

void FillRecord(const CMemoryFileSystem::Node& node, FindData& data) {
  data = FindData{};
  data.Attributes = node.Reported();
  data.Size = node.Folder ? 0 : node.Data.Size();
  data.CreationTime = node.Creation;
  data.LastAccessTime = node.LastAccess;
  data.LastWriteTime = node.LastWrite;
  data.Name = node.Name;
}

} // namespace

// ---- open files -----------------------------------------------------------------------------

class CMemoryFileSystem::CFile final : public IFile {
public:
  CFile(CMemoryFileSystem& fs, std::shared_ptr<Node> node, std::string path, uint32_t access,
        uint32_t share, uint32_t flags)
      : _fs(fs), _node(std::move(node)), _path(std::move(path)), _access(access), _share(share),
        _flags(flags) {
    _node->Handles.push_back(this);
    VolumeState* volume = _fs.VolumeOf(*_node);
    _unbuffered = (flags & kFileFlagNoBuffering) && (access & kGenericWrite) && volume &&
                  !volume->Settings.RefusesUnbuffered;
  }
  ~CFile() override {
    if (_node)
      _fs.Closed(*this);
  }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  uint32_t Access() const { return _access; }
  uint32_t Share() const { return _share; }

  bool Write(const void* data, uint32_t size, uint32_t& written) override {
    written = 0;
    if (!CanWrite())
      return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    // As on the real platforms, the first write that does not fit turns the file cached.
    if (!FitsUnbuffered(bytes, size) || _position % kUnbufferedAlignment != 0)
      _unbuffered = false;
    WriteRecord record{_path, _position, size, 0, FillOf(bytes, size), _flags, _unbuffered};
    written = _fs.WriteAt(*_node, _position, bytes, size);
    _position += written;
    if (written > 0 && !_lastWriteSet)
      _node->LastWrite = _fs.Now;
    record.Written = written;
    _fs.Writes.push_back(record);
    if (_fs.OnWrite)
      _fs.OnWrite(record);
    return written == size ? Succeed() : Fail(kErrorDiskFull);
  }

  bool Read(void* data, uint32_t size, uint32_t& read) override {
    read = 0;
    if (!_node)
      return Fail(kErrorInvalidHandle);
    if (!(_access & kGenericRead))
      return Fail(kErrorAccessDenied);
    read = static_cast<uint32_t>(_node->Data.Read(_position, static_cast<uint8_t*>(data), size));
    _position += read;
    return Succeed();
  }

  bool Seek(int64_t distance, SeekOrigin origin, uint64_t& position) override {
    if (!_node)
      return Fail(kErrorInvalidHandle);
    int64_t base = origin == SeekOrigin::Begin     ? 0
                   : origin == SeekOrigin::Current ? static_cast<int64_t>(_position)
                                                   : static_cast<int64_t>(_node->Data.Size());
    if (distance < 0 && -distance > base)
      return Fail(kErrorNegativeSeek);
    _position = static_cast<uint64_t>(base + distance);
    position = _position;
    return Succeed();
  }

  bool SetEndOfFile() override {
    if (!CanWrite())
      return false;
    if (!_fs.Resize(*_node, _position))
      return Fail(kErrorDiskFull);
    if (!_lastWriteSet)
      _node->LastWrite = _fs.Now;
    return Succeed();
  }

  bool Flush() override {
    if (!CanWrite())
      return false;
    _fs.Flushes.push_back(_path);
    return Succeed();
  }

  bool GetTimes(FileTime& creation, FileTime& lastAccess, FileTime& lastWrite) override {
    if (!_node)
      return Fail(kErrorInvalidHandle);
    creation = _node->Creation;
    lastAccess = _node->LastAccess;
    lastWrite = _node->LastWrite;
    return Succeed();
  }

  bool SetTimes(const FileTime* creation, const FileTime* lastAccess,
                const FileTime* lastWrite) override {
    if (!CanWrite())
      return false;
    TimesRecord record{_path, {}, {}, {}};
    auto apply = [](const FileTime* time, FileTime& field, std::optional<FileTime>& logged) {
      if (time && *time != 0 && *time != ~FileTime{0}) {
        field = *time;
        logged = *time;
      }
    };
    apply(creation, _node->Creation, record.Creation);
    apply(lastAccess, _node->LastAccess, record.LastAccess);
    apply(lastWrite, _node->LastWrite, record.LastWrite);
    // As on NTFS, a time set through a handle is not overwritten by its later writes.
    if (record.LastWrite)
      _lastWriteSet = true;
    _fs.TimeSets.push_back(record);
    return Succeed();
  }

  bool SetCompressionNone() override {
    if (!CanWrite())
      return false;
    _node->Attributes &= ~kFileAttributeCompressed;
    _fs.CompressionSets.push_back(_path);
    return Succeed();
  }

  bool Close() override {
    if (!_node)
      return Fail(kErrorInvalidHandle);
    _fs.Closed(*this);
    _node.reset();
    return Succeed();
  }

  Node* Target() const { return _node.get(); }

private:
  bool Succeed() {
    _fs._lastError = kErrorSuccess;
    return true;
  }
  bool Fail(uint32_t error) {
    _fs._lastError = error;
    return false;
  }
  bool CanWrite() {
    if (!_node)
      return Fail(kErrorInvalidHandle);
    if (!(_access & kGenericWrite))
      return Fail(kErrorAccessDenied);
    VolumeState* volume = _fs.VolumeOf(*_node);
    if (!volume || !volume->Settings.Ready)
      return Fail(kErrorNotReady);
    if (volume->Settings.WriteProtected)
      return Fail(kErrorWriteProtect);
    return true;
  }

  CMemoryFileSystem& _fs;
  std::shared_ptr<Node> _node;
  std::string _path;
  uint32_t _access;
  uint32_t _share;
  uint32_t _flags;
  uint64_t _position = 0;
  bool _lastWriteSet = false;
  bool _unbuffered = false;
};

// ---- searches -------------------------------------------------------------------------------

/// A search over one folder as it is now: entries removed meanwhile are not reported, and
/// entries added after the position reached are.
class CMemoryFileSystem::CSearch final : public IFindSearch {
public:
  // single: a search for one name, already reported.
  CSearch(CMemoryFileSystem& fs, std::shared_ptr<Node> folder, std::string pattern,
          std::string asGiven, bool listDots, bool single)
      : _fs(fs), _folder(std::move(folder)), _pattern(std::move(pattern)),
        _asGiven(std::move(asGiven)), _stage(single     ? 3
                                             : listDots ? 0
                                                        : 2) {}

  bool FindNextFile(FindData& data) override {
    if (_fs.OnFindStep)
      _fs.OnFindStep(FindStep{_asGiven, false});
    if (Next(data)) {
      _fs._lastError = kErrorSuccess;
      return true;
    }
    _fs._lastError = kErrorNoMoreFiles;
    return false;
  }

  bool Next(FindData& data) {
    while (_stage < 2) {
      const bool self = _stage++ == 0;
      const char* name = self ? "." : "..";
      if (!MatchesPattern(name, _pattern))
        continue;
      const Node& node = self || !_folder->Parent ? *_folder : *_folder->Parent;
      FillRecord(node, data);
      data.Name = name;
      return true;
    }
    if (_stage > 2)
      return false;
    auto& children = _folder->Children;
    for (auto it = _started ? children.upper_bound(_lastKey) : children.begin();
         it != children.end(); ++it) {
      if (!MatchesPattern(it->second->Name, _pattern))
        continue;
      _started = true;
      _lastKey = it->first;
      FillRecord(*it->second, data);
      return true;
    }
    return false;
  }

private:
  CMemoryFileSystem& _fs;
  std::shared_ptr<Node> _folder;
  std::string _pattern;
  std::string _asGiven;
  int _stage; // 0: ".", 1: "..", 2: the entries, 3: nothing more
  bool _started = false;
  std::string _lastKey;
};

namespace {

// Win32 share modes: a new handle must allow what the open ones do, and they what it does.
bool SharingAllows(const CMemoryFileSystem::Node& node, uint32_t access, uint32_t share) {
  if (!(access & (kGenericRead | kGenericWrite)))
    return true;
  for (const CMemoryFileSystem::CFile* open : node.Handles) {
    if (((access & kGenericRead) && !(open->Share() & kFileShareRead)) ||
        ((access & kGenericWrite) && !(open->Share() & kFileShareWrite)) ||
        ((open->Access() & kGenericRead) && !(share & kFileShareRead)) ||
        ((open->Access() & kGenericWrite) && !(share & kFileShareWrite)))
      return false;
  }
  return true;
}

bool DeleteAllowed(const CMemoryFileSystem::Node& node) {
  for (const CMemoryFileSystem::CFile* open : node.Handles)
    if (!(open->Share() & kFileShareDelete))
      return false;
  return true;
}

} // namespace

CMemoryFileSystem::CMemoryFileSystem() = default;
CMemoryFileSystem::~CMemoryFileSystem() = default;

// ---- paths ----------------------------------------------------------------------------------

bool CMemoryFileSystem::Fail(uint32_t error) {
  _lastError = error;
  return false;
}

const FullPath* CMemoryFileSystem::Current() {
  if (!_current && !_volumes.empty()) {
    FullPath root;
    root.Drive = _volumes.begin()->first;
    _current = root;
  }
  return _current ? &*_current : nullptr;
}

bool CMemoryFileSystem::Parse(const std::string& path, FullPath& full) {
  uint32_t error = kErrorSuccess;
  return MakeFullPath(path, Current(), full, error) || Fail(error);
}

std::string CMemoryFileSystem::Key(const std::string& path) {
  FullPath full;
  uint32_t error = kErrorSuccess;
  return FoldCase(MakeFullPath(path, Current(), full, error) ? full.Text() : path);
}

CMemoryFileSystem::VolumeState* CMemoryFileSystem::VolumeOf(const Node& node) {
  auto it = _volumes.find(node.Drive);
  return it == _volumes.end() ? nullptr : &it->second;
}

bool CMemoryFileSystem::Follow(std::shared_ptr<Node>& node, int depth) {
  while (!node->LinkTarget.empty()) {
    if (depth >= kMaxLinkDepth)
      return Fail(kErrorCantResolveFilename);
    FullPath target;
    uint32_t error = kErrorSuccess;
    if (!MakeFullPath(node->LinkTarget, nullptr, target, error))
      return Fail(kErrorPathNotFound);
    Located located;
    if (!Locate(target, located, true, depth + 1))
      return false;
    if (!located.Entry)
      return Fail(kErrorFileNotFound);
    node = located.Entry;
    ++depth;
  }
  return true;
}

bool CMemoryFileSystem::Locate(const FullPath& path, Located& located, bool followLast, int depth) {
  auto volume = _volumes.find(path.Letter());
  if (volume == _volumes.end())
    return Fail(kErrorPathNotFound);
  if (!volume->second.Settings.Ready)
    return Fail(kErrorNotReady);
  std::shared_ptr<Node> folder = volume->second.Root;
  located.Spelled = std::string{path.Drive, ':'};
  if (path.IsRoot()) {
    located.Folder = folder;
    located.Entry = folder;
    located.Spelled += '\\';
    return true;
  }
  for (size_t i = 0; i + 1 < path.Names.size(); ++i) {
    auto it = folder->Children.find(FoldCase(path.Names[i]));
    if (it == folder->Children.end())
      return Fail(kErrorPathNotFound);
    located.Spelled += '\\' + it->second->Name;
    std::shared_ptr<Node> next = it->second;
    if (!Follow(next, depth))
      return Fail(_lastError == kErrorFileNotFound ? kErrorPathNotFound : _lastError);
    if (!next->Folder)
      return Fail(kErrorPathNotFound);
    folder = next;
  }
  auto it = folder->Children.find(FoldCase(path.Names.back()));
  located.Folder = folder;
  located.Entry = it == folder->Children.end() ? nullptr : it->second;
  located.Spelled += '\\' + (located.Entry ? located.Entry->Name : path.Names.back());
  return !followLast || !located.Entry || Follow(located.Entry, depth);
}

bool CMemoryFileSystem::IsDenied(const FullPath& path) const {
  return _denied.count(FoldCase(path.Text())) != 0;
}

bool CMemoryFileSystem::IsCurrentFolder(const Node& node) {
  // Windows holds the current folder open, so that nobody can remove it.
  const FullPath* current = Current();
  const uint32_t saved = _lastError;
  Located located;
  bool same = current && Locate(*current, located, true) && located.Entry.get() == &node;
  _lastError = saved;
  return same;
}

// ---- space ----------------------------------------------------------------------------------

void CMemoryFileSystem::Charge(Node& node, uint64_t allocated) {
  VolumeState* volume = VolumeOf(node);
  if (volume) {
    MemoryVolume& settings = volume->Settings;
    if (allocated > node.Allocated) {
      settings.FreeBytes -= allocated - node.Allocated;
      settings.UsedBytes += allocated - node.Allocated;
    } else {
      settings.FreeBytes += node.Allocated - allocated;
      settings.UsedBytes -= node.Allocated - allocated;
    }
  }
  node.Allocated = allocated;
}

bool CMemoryFileSystem::Resize(Node& node, uint64_t size) {
  VolumeState* volume = VolumeOf(node);
  const uint32_t cluster = volume ? volume->Settings.ClusterSize : 0;
  const uint64_t allocated = RoundUp(size, cluster);
  if (volume && allocated > node.Allocated &&
      allocated - node.Allocated > volume->Settings.FreeBytes)
    return false;
  node.Data.Resize(size);
  Charge(node, allocated);
  return true;
}

uint32_t CMemoryFileSystem::WriteAt(Node& node, uint64_t offset, const uint8_t* data,
                                    uint32_t size) {
  VolumeState* volume = VolumeOf(node);
  const uint32_t cluster = volume ? volume->Settings.ClusterSize : 0;
  uint64_t fit = size;
  const uint64_t needed = RoundUp(std::max(node.Data.Size(), offset + size), cluster);
  if (volume && needed > node.Allocated && needed - node.Allocated > volume->Settings.FreeBytes) {
    // What fits is what the file's own clusters and the whole free clusters can hold.
    const uint64_t free = volume->Settings.FreeBytes;
    const uint64_t limit = node.Allocated + (cluster ? free / cluster * cluster : free);
    fit = limit > offset ? std::min<uint64_t>(size, limit - offset) : 0;
    if (volume->Settings.WholeWritesOnly)
      fit = 0;
  }
  if (fit > 0) {
    node.Data.Write(offset, data, static_cast<size_t>(fit));
    Charge(node, RoundUp(node.Data.Size(), cluster));
  }
  return static_cast<uint32_t>(fit);
}

// ---- the tree -------------------------------------------------------------------------------

std::shared_ptr<CMemoryFileSystem::Node> CMemoryFileSystem::MakeNode(Node& folder,
                                                                     const std::string& name,
                                                                     bool isFolder,
                                                                     uint32_t attributes) {
  auto node = std::make_shared<Node>();
  node->Name = name;
  node->Drive = folder.Drive;
  node->Folder = isFolder;
  node->Attributes = attributes & ~(kFileAttributeDirectory | kFileAttributeNormal);
  node->Creation = node->LastAccess = node->LastWrite = Now;
  node->Parent = &folder;
  folder.Children[FoldCase(name)] = node;
  return node;
}

void CMemoryFileSystem::MarkRemoved(Node& node) {
  node.Removed = true;
  // An open file keeps its clusters until its last handle closes.
  if (node.Handles.empty())
    Charge(node, 0);
  for (auto& [key, child] : node.Children)
    MarkRemoved(*child);
}

void CMemoryFileSystem::Detach(Node& node) {
  // The folder may hold the last reference: the node must outlive its own removal.
  std::shared_ptr<Node> keep;
  if (node.Parent) {
    auto found = node.Parent->Children.find(FoldCase(node.Name));
    if (found != node.Parent->Children.end()) {
      keep = found->second;
      node.Parent->Children.erase(found);
    }
  }
  node.Parent = nullptr;
  MarkRemoved(node);
}

void CMemoryFileSystem::Closed(CFile& file) {
  Node* node = file.Target();
  auto& handles = node->Handles;
  handles.erase(std::remove(handles.begin(), handles.end(), &file), handles.end());
  if (node->Removed && handles.empty())
    Charge(*node, 0);
}

// ---- the services ---------------------------------------------------------------------------

std::unique_ptr<IFindSearch> CMemoryFileSystem::FindFirstFile(const std::string& pattern,
                                                              FindData& data) {
  Searches.push_back(pattern);
  FullPath full;
  if (!Parse(pattern, full))
    return nullptr;
  for (const std::string& key : {FoldCase(full.Text()), FoldCase(full.Parent().Text())})
    if (auto fault = _findFaults.find(key); fault != _findFaults.end()) {
      Fail(fault->second);
      return nullptr;
    }
  Located located;
  // "X:\folder\" names no entry to look for.
  if (full.IsRoot() || EndsWithSeparator(pattern)) {
    if (Locate(full, located, true))
      Fail(located.Entry && located.Entry->Folder ? kErrorFileNotFound : kErrorPathNotFound);
    return nullptr;
  }
  for (size_t i = 0; i + 1 < full.Names.size(); ++i)
    if (HasWildcards(full.Names[i])) {
      Fail(kErrorInvalidName);
      return nullptr;
    }
  if (!Locate(full.Parent(), located, true))
    return nullptr;
  if (!located.Entry || !located.Entry->Folder) {
    Fail(kErrorPathNotFound);
    return nullptr;
  }
  std::shared_ptr<Node> folder = located.Entry;
  const std::string& name = full.Names.back();
  if (OnFindStep)
    OnFindStep(FindStep{pattern, true});
  if (!HasWildcards(name)) {
    auto it = folder->Children.find(FoldCase(name));
    if (it == folder->Children.end()) {
      Fail(kErrorFileNotFound);
      return nullptr;
    }
    FillRecord(*it->second, data);
    _lastError = kErrorSuccess;
    return std::make_unique<CSearch>(*this, folder, name, pattern, false, true);
  }
  const VolumeState* volume = VolumeOf(*folder);
  const bool isRoot = volume && volume->Root == folder;
  auto search = std::make_unique<CSearch>(*this, folder, name, pattern, !isRoot, false);
  if (!search->Next(data)) {
    Fail(kErrorFileNotFound);
    return nullptr;
  }
  _lastError = kErrorSuccess;
  return search;
}

bool CMemoryFileSystem::SetCurrentDirectory(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  if (full.Text().size() + (full.IsRoot() ? 0 : 1) > kMaxPath - 1)
    return Fail(kErrorFilenameExcedRange);
  if (_blocked.count(FoldCase(full.Text())))
    return Fail(kErrorAccessDenied);
  Located located;
  if (!Locate(full, located, true))
    return false;
  if (!located.Entry)
    return Fail(kErrorFileNotFound);
  if (!located.Entry->Folder)
    return Fail(kErrorDirectory);
  _current = full;
  _lastError = kErrorSuccess;
  return true;
}

bool CMemoryFileSystem::GetCurrentDirectory(std::string& path) {
  const FullPath* current = Current();
  if (!current)
    return Fail(kErrorPathNotFound);
  path = current->Text();
  _lastError = kErrorSuccess;
  return true;
}

std::unique_ptr<IFile> CMemoryFileSystem::CreateFile(const std::string& path, uint32_t access,
                                                     uint32_t shareMode, uint32_t disposition,
                                                     uint32_t flagsAndAttributes) {
  CreateRecord record{path, access, shareMode, disposition, flagsAndAttributes, 0, false};
  auto fail = [&](uint32_t error) -> std::unique_ptr<IFile> {
    if (error != kErrorSuccess)
      _lastError = error;
    record.Error = _lastError;
    Creates.push_back(record);
    return nullptr;
  };
  if (uint32_t error = CheckCreateArguments(access, disposition); error != kErrorSuccess)
    return fail(error);
  FullPath full;
  if (!Parse(path, full))
    return fail(kErrorSuccess);
  if (full.IsRoot())
    return fail(kErrorAccessDenied);
  if (EndsWithSeparator(path) || HasWildcards(full.Text()))
    return fail(kErrorInvalidName);
  Located located;
  if (!Locate(full, located, false))
    return fail(kErrorSuccess);
  if (IsDenied(full))
    return fail(kErrorAccessDenied);
  std::shared_ptr<Node> node = located.Entry;
  // A link to a file opens its target, as Windows does.
  if (node && !node->Folder && !Follow(node, 0))
    return fail(kErrorSuccess);
  const bool write = (access & kGenericWrite) != 0;
  const bool overwrite = CreateOverwrites(disposition);
  VolumeState* volume = VolumeOf(*located.Folder);
  const bool writeProtected = volume && volume->Settings.WriteProtected;
  const bool existed = node != nullptr;
  if (existed) {
    if (node->Folder)
      return fail(kErrorAccessDenied);
    if (disposition != kCreateNew && (write || overwrite) && writeProtected)
      return fail(kErrorWriteProtect);
    if (uint32_t error =
            CheckCreateExisting(node->Attributes, access, disposition, flagsAndAttributes);
        error != kErrorSuccess)
      return fail(error);
    if (!SharingAllows(*node, access, shareMode))
      return fail(kErrorSharingViolation);
    if (overwrite) {
      Resize(*node, 0);
      node->LastWrite = Now;
    }
    if (CreateSetsAttributes(existed, disposition))
      node->Attributes =
          (node->Attributes & ~kSettableFileAttributes) | CreatedAttributes(flagsAndAttributes);
  } else {
    if (uint32_t error = CheckCreateMissing(disposition); error != kErrorSuccess)
      return fail(error);
    if (writeProtected)
      return fail(kErrorWriteProtect);
    node =
        MakeNode(*located.Folder, full.Names.back(), false, CreatedAttributes(flagsAndAttributes));
  }
  const uint32_t result = CreateSucceeded(existed, disposition);
  auto file =
      std::make_unique<CFile>(*this, node, full.Text(), access, shareMode, flagsAndAttributes);
  _lastError = result;
  record.Error = result;
  record.Opened = true;
  Creates.push_back(record);
  return file;
}

bool CMemoryFileSystem::Remove(const std::string& path, RemoveCall call) {
  RemoveRecord record{path, call, 0};
  auto finish = [&](uint32_t error) {
    if (error != kErrorSuccess)
      _lastError = error;
    record.Error = _lastError;
    Removes.push_back(record);
    return _lastError == kErrorSuccess;
  };
  FullPath full;
  if (!Parse(path, full))
    return finish(kErrorSuccess);
  if (full.IsRoot())
    return finish(kErrorAccessDenied);
  Located located;
  if (!Locate(full, located, false))
    return finish(kErrorSuccess);
  if (!located.Entry)
    return finish(kErrorFileNotFound);
  if (IsDenied(full))
    return finish(kErrorAccessDenied);
  Node& node = *located.Entry;
  VolumeState* volume = VolumeOf(*located.Folder);
  if (volume && volume->Settings.WriteProtected)
    return finish(kErrorWriteProtect);
  const bool link = !node.LinkTarget.empty();
  if (call == RemoveCall::DeleteFile)
    if (uint32_t error = CheckDeleteFile(node.Folder, node.Attributes); error != kErrorSuccess)
      return finish(error);
  if (call == RemoveCall::RemoveDirectory && !node.Folder)
    return finish(CheckRemoveDirectory(false, node.Attributes));
  if (node.Folder && !link) {
    // The current folder is held open: it goes before the folder's own attributes.
    if (IsCurrentFolder(node))
      return finish(kErrorSharingViolation);
    if (call == RemoveCall::RemoveDirectory)
      if (uint32_t error = CheckRemoveDirectory(true, node.Attributes); error != kErrorSuccess)
        return finish(error);
    if (!node.Children.empty())
      return finish(kErrorDirNotEmpty);
  } else if (!node.Folder && !DeleteAllowed(node)) {
    return finish(kErrorSharingViolation);
  }
  Detach(node);
  _lastError = kErrorSuccess;
  return finish(kErrorSuccess);
}

bool CMemoryFileSystem::DeleteFile(const std::string& path) {
  return Remove(path, RemoveCall::DeleteFile);
}

bool CMemoryFileSystem::RemoveDirectory(const std::string& path) {
  return Remove(path, RemoveCall::RemoveDirectory);
}

bool CMemoryFileSystem::ShellDelete(const std::string& path) {
  return Remove(path, RemoveCall::ShellDelete);
}

bool CMemoryFileSystem::CreateDirectory(const std::string& path) {
  FullPath full;
  if (!Parse(path, full))
    return false;
  if (full.Text().size() > kMaxFolderPath)
    return Fail(kErrorFilenameExcedRange);
  if (full.IsRoot())
    return Fail(kErrorAccessDenied);
  if (HasWildcards(full.Text()))
    return Fail(kErrorInvalidName);
  Located located;
  if (!Locate(full, located, false))
    return false;
  if (located.Entry)
    return Fail(kErrorAlreadyExists);
  VolumeState* volume = VolumeOf(*located.Folder);
  if (volume && volume->Settings.WriteProtected)
    return Fail(kErrorWriteProtect);
  MakeNode(*located.Folder, full.Names.back(), true, 0);
  _lastError = kErrorSuccess;
  return true;
}

uint32_t CMemoryFileSystem::GetFileAttributes(const std::string& path) {
  FullPath full;
  Located located;
  if (!Parse(path, full) || !Locate(full, located, false))
    return kInvalidFileAttributes;
  if (!located.Entry) {
    Fail(kErrorFileNotFound);
    return kInvalidFileAttributes;
  }
  _lastError = kErrorSuccess;
  return located.Entry->Reported();
}

bool CMemoryFileSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
  AttributeRecord record{path, attributes, 0};
  auto finish = [&](uint32_t error) {
    if (error != kErrorSuccess)
      _lastError = error;
    record.Error = _lastError;
    AttributeSets.push_back(record);
    return _lastError == kErrorSuccess;
  };
  FullPath full;
  Located located;
  if (!Parse(path, full) || !Locate(full, located, false))
    return finish(kErrorSuccess);
  if (!located.Entry)
    return finish(kErrorFileNotFound);
  if (auto fault = _attributeFaults.find(FoldCase(full.Text())); fault != _attributeFaults.end())
    return finish(fault->second);
  if (IsDenied(full))
    return finish(kErrorAccessDenied);
  VolumeState* volume = VolumeOf(*located.Folder);
  if (volume && volume->Settings.WriteProtected)
    return finish(kErrorWriteProtect);
  Node& node = *located.Entry;
  node.Attributes =
      (node.Attributes & ~kSettableFileAttributes) | (attributes & kSettableFileAttributes);
  _lastError = kErrorSuccess;
  return finish(kErrorSuccess);
}

bool CMemoryFileSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
  FullPath full;
  Located located;
  if (!Parse(path, full) || !Locate(full, located, false))
    return false;
  if (!located.Entry)
    return Fail(kErrorFileNotFound);
  shortPath = located.Spelled;
  _lastError = kErrorSuccess;
  return true;
}

bool CMemoryFileSystem::GetFileId(const std::string& path, uint64_t& id) {
  FullPath full;
  Located located;
  if (!Parse(path, full) || !Locate(full, located, false))
    return false;
  if (!located.Entry)
    return Fail(kErrorFileNotFound);
  // A node's address is its number while it lives, as an inode's is.
  id = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(located.Entry.get()));
  _lastError = kErrorSuccess;
  return true;
}

// ---- setting up and looking -----------------------------------------------------------------

MemoryVolume& CMemoryFileSystem::AddVolume(char letter, uint64_t freeBytes, uint32_t clusterSize) {
  FullPath root;
  root.Drive = letter;
  VolumeState volume;
  volume.Settings.ClusterSize = clusterSize;
  volume.Settings.FreeBytes = freeBytes;
  volume.Root = std::make_shared<Node>();
  volume.Root->Drive = root.Letter();
  volume.Root->Folder = true;
  volume.Root->Creation = volume.Root->LastAccess = volume.Root->LastWrite = Now;
  VolumeState& added = _volumes[root.Letter()] = std::move(volume);
  return added.Settings;
}

MemoryVolume* CMemoryFileSystem::Volume(char letter) {
  FullPath root;
  root.Drive = letter;
  auto it = _volumes.find(root.Letter());
  return it == _volumes.end() ? nullptr : &it->second.Settings;
}

std::shared_ptr<CMemoryFileSystem::Node> CMemoryFileSystem::MakeFolders(const FullPath& path) {
  auto volume = _volumes.find(path.Letter());
  if (volume == _volumes.end())
    return nullptr;
  std::shared_ptr<Node> folder = volume->second.Root;
  for (const std::string& name : path.Names) {
    auto it = folder->Children.find(FoldCase(name));
    std::shared_ptr<Node> next =
        it != folder->Children.end() ? it->second : MakeNode(*folder, name, true, 0);
    if (!Follow(next, 0) || !next->Folder)
      return nullptr;
    folder = next;
  }
  return folder;
}

std::shared_ptr<CMemoryFileSystem::Node> CMemoryFileSystem::LookUp(const std::string& path,
                                                                   bool followLast) {
  const uint32_t saved = _lastError;
  FullPath full;
  Located located;
  bool found = Parse(path, full) && Locate(full, located, followLast);
  _lastError = saved;
  return found ? located.Entry : nullptr;
}

bool CMemoryFileSystem::AddFolder(const std::string& path, uint32_t attributes) {
  const uint32_t saved = _lastError;
  FullPath full;
  std::shared_ptr<Node> folder = Parse(path, full) ? MakeFolders(full) : nullptr;
  _lastError = saved;
  if (!folder)
    return false;
  folder->Attributes = attributes & ~(kFileAttributeDirectory | kFileAttributeNormal);
  return true;
}

std::shared_ptr<CMemoryFileSystem::Node>
CMemoryFileSystem::NewFileForSetUp(const std::string& path, uint64_t size, uint32_t attributes) {
  const uint32_t saved = _lastError;
  FullPath full;
  std::shared_ptr<Node> folder;
  if (Parse(path, full) && !full.IsRoot())
    folder = MakeFolders(full.Parent());
  _lastError = saved;
  if (!folder)
    return nullptr;
  auto existing = folder->Children.find(FoldCase(full.Names.back()));
  if (existing != folder->Children.end()) {
    if (existing->second->Folder)
      return nullptr;
    Detach(*existing->second);
  }
  VolumeState* volume = VolumeOf(*folder);
  if (volume && RoundUp(size, volume->Settings.ClusterSize) > volume->Settings.FreeBytes)
    return nullptr;
  std::shared_ptr<Node> node = MakeNode(*folder, full.Names.back(), false, attributes);
  Charge(*node, RoundUp(size, volume ? volume->Settings.ClusterSize : 0));
  return node;
}

bool CMemoryFileSystem::AddFile(const std::string& path, std::string_view contents,
                                uint32_t attributes) {
  std::shared_ptr<Node> node = NewFileForSetUp(path, contents.size(), attributes);
  if (!node)
    return false;
  node->Data.Write(0, reinterpret_cast<const uint8_t*>(contents.data()), contents.size());
  return true;
}

bool CMemoryFileSystem::AddFile(const std::string& path, uint64_t size, uint8_t fill,
                                uint32_t attributes) {
  std::shared_ptr<Node> node = NewFileForSetUp(path, size, attributes);
  if (!node)
    return false;
  node->Data.Fill(0, size, fill);
  return true;
}

bool CMemoryFileSystem::AddLink(const std::string& path, const std::string& target, bool toFolder) {
  std::shared_ptr<Node> node = NewFileForSetUp(path, 0, kFileAttributeReparsePoint);
  if (!node)
    return false;
  node->Folder = toFolder;
  node->LinkTarget = target;
  return true;
}

bool CMemoryFileSystem::SetEntryAttributes(const std::string& path, uint32_t attributes) {
  std::shared_ptr<Node> node = LookUp(path, false);
  if (!node)
    return false;
  node->Attributes = attributes & ~(kFileAttributeDirectory | kFileAttributeNormal);
  return true;
}

bool CMemoryFileSystem::SetEntryTimes(const std::string& path, FileTime creation,
                                      FileTime lastAccess, FileTime lastWrite) {
  std::shared_ptr<Node> node = LookUp(path, false);
  if (!node)
    return false;
  node->Creation = creation;
  node->LastAccess = lastAccess;
  node->LastWrite = lastWrite;
  return true;
}

bool CMemoryFileSystem::RemoveEntry(const std::string& path) {
  std::shared_ptr<Node> node = LookUp(path, false);
  if (!node || !node->Parent)
    return false;
  Detach(*node);
  return true;
}

std::optional<EntryState> CMemoryFileSystem::Entry(const std::string& path) {
  std::shared_ptr<Node> node = LookUp(path, false);
  if (!node)
    return std::nullopt;
  EntryState state;
  state.Folder = node->Folder;
  state.Attributes = node->Reported();
  state.Size = node->Folder ? 0 : node->Data.Size();
  state.Creation = node->Creation;
  state.LastAccess = node->LastAccess;
  state.LastWrite = node->LastWrite;
  state.OpenHandles = static_cast<int>(node->Handles.size());
  state.Name = node->Name;
  state.LinkTarget = node->LinkTarget;
  return state;
}

std::vector<std::string> CMemoryFileSystem::Names(const std::string& folder) {
  std::vector<std::string> names;
  std::shared_ptr<Node> node = LookUp(folder, true);
  if (node && node->Folder)
    for (const auto& [key, child] : node->Children)
      names.push_back(child->Name);
  return names;
}

bool CMemoryFileSystem::ReadBack(const std::string& path, uint64_t offset, uint64_t size,
                                 std::vector<uint8_t>& bytes) {
  std::shared_ptr<Node> node = LookUp(path, true);
  if (!node || node->Folder)
    return false;
  uint64_t available = offset < node->Data.Size() ? node->Data.Size() - offset : 0;
  bytes.resize(static_cast<size_t>(std::min(size, available)));
  node->Data.Read(offset, bytes.data(), bytes.size());
  return true;
}

std::string CMemoryFileSystem::Text(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadBack(path, 0, ~uint64_t{0}, bytes))
    return {};
  return std::string(bytes.begin(), bytes.end());
}

std::vector<ContentRun> CMemoryFileSystem::Contents(const std::string& path) {
  std::shared_ptr<Node> node = LookUp(path, true);
  return node && !node->Folder ? node->Data.Runs() : std::vector<ContentRun>{};
}

void CMemoryFileSystem::DenyAccess(const std::string& path) {
  _denied.insert(Key(path));
}

void CMemoryFileSystem::FailSetAttributes(const std::string& path, uint32_t error) {
  _attributeFaults[Key(path)] = error;
}

void CMemoryFileSystem::FailFind(const std::string& patternOrFolder, uint32_t error) {
  _findFaults[Key(patternOrFolder)] = error;
}

void CMemoryFileSystem::BlockEntering(const std::string& folder) {
  _blocked.insert(Key(folder));
}

} // namespace bw::memory

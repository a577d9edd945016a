// The zap job: the selection loop, the folder walk, folder removal and the name cleaning that
// follows. The per-file gate and the file destruction are in their own files.
#include "zap/ZapJob.h"

#include "engine/FolderWalk.h"
#include "engine/JobProgress.h"
#include "engine/PathShortening.h"
#include "settings/Settings.h"
#include "zap/ZapText.h"

#include <algorithm>
#include <cctype>

namespace bw {
namespace {

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// "c:\": a drive root, which the zap treats as a folder and never removes.
bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && path[1] == ':';
}

// The length of a full path's root: 3 for "c:\", up to the backslash after the share for
// "\\server\share\"; 0 when it has none.
size_t RootLength(const std::string& path) {
  if (HasDriveLetter(path))
    return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
  if (path.rfind("\\\\", 0) != 0)
    return 0;
  size_t server = path.find('\\', 2);
  size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
  return share == std::string::npos ? path.size() : share + 1;
}

// The folder that holds the folder at the full path: its parent, or a root itself.
std::string ParentFolder(std::string path) {
  const size_t root = RootLength(path);
  if (path.size() > root && path.back() == '\\')
    path.pop_back();
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash < root)
    return root > 0 ? path.substr(0, root) : path;
  return path.substr(0, slash);
}

} // namespace

CZapJob::CZapJob(IPlatform& platform, const CSettings& settings, IZapView& view,
                 std::vector<std::string> selections)
    : _platform(platform), _settings(settings), _view(view), _selections(std::move(selections)),
      _volume(platform), _ownNameCleaning(platform, _volume, *this),
      _nameCleaner(&_ownNameCleaning) {
  // What the dialog does when it opens: nothing of an earlier job carries over.
  _volume.Clear();
  _yesToAll.fill(false);
  _cancelled = false;
  _roundingUnit = 0;
}

CZapJob::~CZapJob() = default;

void CZapJob::SetNameCleaning(IZapNameCleaning* cleaning) {
  _nameCleaner = cleaning ? cleaning : &_ownNameCleaning;
}

void CZapJob::Run() {
  _running = true;
  RunSelections();
  _running = false;
  _view.Close();
}

void CZapJob::RunSelections() {
  _osFamily = DetermineOsFamily(_platform.System().GetVersion());
  if (!_buffers.Allocate(kZapWriteSize)) {
    _buffers.Free();
    ShowMessage(kOutOfMemoryText, kOutOfMemoryCaption, kMbOk | kMbIconError);
    Cancel();
    return;
  }
  _pathWidth = _view.PathWidth();
  _formatNeeded = true;
  _nameCleaning = true;

  for (const std::string& selection : _selections) {
    Pump();
    if (_cancelled)
      break;
    HandleSelection(selection);
    // Every way out of the loop (Cancel, Abort, a failed folder, an unreadable format) has
    // set the cancel flag.
    if (_cancelled)
      break;
  }

  _buffers.Free();
  if (!_cancelled && _nameCleaning)
    CleanParentFolderNames();
}

void CZapJob::HandleSelection(const std::string& selection) {
  if (selection.empty())
    return;
  SetCurrent(selection);
  if (RefuseLongPath(_current, false))
    return;

  const bool endsWithSeparator = selection.back() == '\\';
  std::string pattern = selection;
  if (endsWithSeparator) {
    pattern += "*.*";
    _formatNeeded = true;
  }
  FindData data;
  if (TestExistence(pattern, data) != Existence::Found || _cancelled)
    return;

  const bool isRoot = IsDriveRoot(_current.Shown);
  if (isRoot)
    data.Attributes = kFileAttributeDirectory; // the find data is the root's first entry
  if (!ReadDriveFormat())
    return;
  _severalItems = _selections.size() >= 2 || isRoot || (data.Attributes & kFileAttributeDirectory);
  if (!_animationStarted) {
    _view.StartAnimation();
    _animationStarted = true;
  }

  if (!isRoot) {
    // A selected link goes by itself; what it points at was not selected.
    uint32_t attributes = data.Attributes;
    if (endsWithSeparator)
      attributes = _platform.Files().GetFileAttributes(selection.substr(0, selection.size() - 1));
    if (attributes != kInvalidFileAttributes && (attributes & kFileAttributeReparsePoint)) {
      ShowCurrentPath();
      RemoveLink(_current.Access, attributes);
      return;
    }
  }

  if (data.Attributes & kFileAttributeDirectory) {
    ZapFolderSelection();
  } else {
    ShowCurrentPath();
    SetBar(0);
    GateFile(data);
  }
}

CZapJob::Existence CZapJob::TestExistence(const std::string& pattern, FindData& data) {
  IFileSystem& files = _platform.Files();
  for (;;) {
    if (files.FindFirstFile(pattern, data))
      return Existence::Found;
    const uint32_t error = files.GetLastError();
    _view.StopAnimation();
    if (error == kErrorFileNotFound) {
      RestartAnimation();
      // Nothing under a pattern ending in "*" is an empty drive root; else the item has gone.
      if (pattern.back() == '*') {
        data = FindData{};
        return Existence::Found;
      }
      return Existence::Vanished;
    }
    const std::string& path = _current.Shown;
    std::string text = path[0] == '\\'
                           ? Fill("The drive containing %s could not be accessed.", path)
                           : Fill("Drive %c: could not be accessed.", path.substr(0, 1));
    int answer = _view.MessageBox(text, "Drive Error", kMbRetryCancel | kMbIconError);
    RestartAnimation();
    if (answer != kIdRetry) {
      Cancel();
      return Existence::Cancelled;
    }
  }
}

bool CZapJob::ReadDriveFormat() {
  const std::string& path = _current.Access;
  if (_formatNeeded && path.size() >= 2 && path[1] == ':') {
    _formatNeeded = false;
    _nameCleaning = true;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (!_volume.Open(letter)) {
      if (_osFamily != kOsFamilyNt) {
        ShowMessage("Unable to read drive format. File zap canceled.", "Access Error",
                    kMbOk | kMbIconError);
        Cancel();
        return false;
      }
      _nameCleaning = false; // no raw access: the names stay, the files still go
    }
    _roundingUnit =
        _nameCleaning ? _volume.GetBytesPerCluster() : GetSystemClusterSize(_platform, letter);
  } else {
    _roundingUnit = kZapWriteSize;
  }
  // A failed cluster-size query reports 0, which must never divide a file's size; the unit of
  // the later selections serves instead.
  if (_roundingUnit == 0)
    _roundingUnit = kZapWriteSize;
  return true;
}

void CZapJob::ZapFolderSelection() {
  if (RefuseLongPath(_current, true))
    return;
  if (!_yesToAll[static_cast<size_t>(ZapPromptKind::Folder)] && !_cancelled &&
      !Confirm(MakeFolderPrompt(_current.Shown, _severalItems), ZapPromptKind::Folder))
    return;

  const Item folder = _current;
  IFileSystem& files = _platform.Files();
  std::string inside;
  if (!files.SetCurrentDirectory(folder.Access))
    return;
  const bool named = files.GetCurrentDirectory(inside);
  WalkFolder();
  // Out by the parent's full path, not "..", which after a link need not lead there; a folder
  // the zap still stands in cannot be removed.
  if (!named || !files.SetCurrentDirectory(ParentFolder(inside))) {
    if (!_cancelled)
      FolderError(folder.Shown);
    return;
  }
  // A drive root is emptied but never removed.
  if (folder.Access.back() == '\\' || _cancelled)
    return;
  if (_nameCleaning)
    CleanNames(folder.Access);
  if (!RemoveFolder(folder.Access))
    FolderError(folder.Shown);
}

void CZapJob::WalkFolder() {
  CFolderListing listing(_platform.Files(), *this);
  if (!listing.Open())
    return;
  while (listing.Next()) {
    const FindData& entry = listing.Entry();
    if (IsDotEntry(entry.Name))
      continue;
    SetCurrent(JoinPath(listing.Here(), entry.Name));
    const bool isFolder = entry.Attributes & kFileAttributeDirectory;
    if (RefuseLongPath(_current, isFolder))
      continue; // it stays, and so does this folder
    if (entry.Attributes & kFileAttributeReparsePoint) {
      // Never followed: the link goes, whatever it points at stays as it is.
      ShowCurrentPath();
      RemoveLink(_current.Access, entry.Attributes);
    } else if (isFolder) {
      const Item folder = _current;
      Descent descent = listing.Descend(folder.Access, [this] {
        WalkFolder();
        return true;
      });
      // A folder that cannot be entered is left, and keeps this one.
      if (descent == Descent::NotEntered)
        continue;
      if (descent == Descent::Lost) {
        // Stuck inside it: the zap cannot remove a folder it stands in.
        if (!_cancelled)
          FolderError(folder.Shown);
        break;
      }
      if (_cancelled)
        break;
      if (_nameCleaning)
        CleanNames(folder.Access);
      if (!RemoveFolder(folder.Access)) {
        FolderError(folder.Shown);
        break;
      }
    } else {
      ShowCurrentPath();
      GateFile(entry);
    }
  }
}

bool CZapJob::RemoveFolder(const std::string& folder) {
  IFileSystem& files = _platform.Files();
  if (folder.size() > kZapMaxFolderPath)
    return false;
  // Anything left in it (a declined file, a protected one) keeps the folder.
  return HoldsOnlyDotEntries(files, folder) && files.ShellDelete(folder);
}

void CZapJob::FolderError(const std::string& folder) {
  ShowMessage(Fill("Unable to delete folder %s.  Canceling operation.", folder), "Folder Error",
              kMbOk | kMbIconError);
  Cancel();
}

void CZapJob::RemoveLink(const std::string& path, uint32_t attributes) {
  IFileSystem& files = _platform.Files();
  if (attributes & kFileAttributeDirectory)
    files.RemoveDirectory(path);
  else
    files.DeleteFile(path);
}

void CZapJob::CleanNames(const std::string& folder) {
  // Deleted names are read from a drive's own directories: a network folder has none to read.
  if (!HasDriveLetter(folder))
    return;
  _nameCleaner->CleanFolder(folder, PassCount());
}

void CZapJob::CleanParentFolderNames() {
  // Every folder that held a selection, each once: a drop or a command line may name items of
  // several folders, and each of them keeps the zapped names until its entries are overwritten.
  std::vector<std::string> parents;
  for (const std::string& selection : _selections) {
    std::string item = selection;
    if (item.size() > 3 && item.back() == '\\')
      item.pop_back();
    size_t slash = item.rfind('\\');
    std::string parent = slash == std::string::npos ? std::string() : item.substr(0, slash);
    if (parent.size() <= 2)
      parent += '\\'; // "c:" is the root "c:\"
    const std::string key = ToLowerPath(parent);
    if (std::none_of(parents.begin(), parents.end(),
                     [&](const std::string& seen) { return ToLowerPath(seen) == key; }))
      parents.push_back(parent);
  }
  for (const std::string& parent : parents) {
    if (_cancelled)
      break;
    CleanNames(parent);
  }
}

// ---- shared helpers -------------------------------------------------------------------------

void CZapJob::OnCancel() {
  _view.StopAnimation();
  if (_view.MessageBox("Are you sure you want to stop zapping the selected files?", "Abort",
                       kMbYesNo | kMbIconQuestion) == kIdYes) {
    Cancel();
    _view.EnableCancel(false);
  } else {
    RestartAnimation();
  }
}

void CZapJob::OnClose() {
  Cancel();
  _view.EnableCancel(false);
}

void CZapJob::Pump() {
  _view.PumpMessage();
}

int CZapJob::MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
  int answer = ShowMessage(text, caption, style);
  RestartAnimation();
  return answer;
}

void CZapJob::SetCurrent(const std::string& accessPath) {
  _current.Access = accessPath;
  _current.Shown = ToLowerPath(accessPath);
}

void CZapJob::ShowCurrentPath() {
  std::string shown = _current.Shown;
  if (shown.size() > kShortenAbove)
    shown = ShortenPath(shown, _pathWidth,
                        [this](const std::string& t) { return _view.MeasurePathText(t); });
  _view.SetPathText(shown);
}

void CZapJob::SetBar(int percent) {
  _progress.Show(percent);
}

void CZapJob::SetPass(const std::string& text) {
  _view.SetPassText(text);
}

int CZapJob::ShowMessage(const std::string& text, const std::string& caption, uint32_t style) {
  _view.StopAnimation();
  return _view.MessageBox(text, caption, style);
}

void CZapJob::RestartAnimation() {
  if (_animationStarted)
    _view.StartAnimation();
}

bool CZapJob::RefuseLongPath(const Item& item, bool folder) {
  std::string path = item.Access;
  if (path.size() > 3 && path.back() == '\\')
    path.pop_back();
  if (path.size() <= (folder ? kZapMaxFolderPath : kZapMaxPath))
    return false;
  ShowMessage(Fill("The path %s is too long to be zapped.", item.Shown),
              folder ? "Folder Error" : "File Error", kMbOk | kMbIconError);
  RestartAnimation();
  return true;
}

uint32_t CZapJob::PassCount() const {
  return bw::PassCount(_settings.OverwriteCount);
}

} // namespace bw

#include "engine/CleaningContext.h"

#include "engine/CurrentFolder.h"
#include "engine/PathShortening.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

#include <cctype>

namespace bw {

void CCleaningContext::Pump() {
  _view.PumpMessage();
}

void CCleaningContext::DismissNotices() {
  _platform.Desktop().CloseLowSpaceWarning();
  _platform.Desktop().PressWaitButton(_logOffCleaning);
}

int CCleaningContext::MessageBox(const std::string& text, const std::string& caption,
                                 uint32_t style) {
  // The animation rests while a message is up.
  _view.StopAnimation();
  int answer = _view.MessageBox(text, caption, style);
  _view.StartAnimation();
  return answer;
}

void CCleaningContext::SetProcess(const std::string& text) {
  _view.SetProcessText(text);
}

void CCleaningContext::SetDetail(const std::string& text) {
  _view.SetDetailText(text);
}

void CCleaningContext::ShowPathDetail(const std::string& path) {
  std::string shown = path;
  for (char& c : shown)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (shown.size() > kShortenAbove)
    shown = ShortenPath(shown, _view.DetailWidth(),
                        [this](const std::string& t) { return _view.MeasureDetailText(t); });
  SetDetail(shown);
}

bool CCleaningContext::MemoryError() {
  MessageBox(kOutOfMemoryText, kOutOfMemoryCaption, kMbOk | kMbIconError);
  _status = DriveStatus::OutOfMemory;
  return false;
}

void CCleaningContext::SaveCurrentFolder(const std::string& folder) {
  bw::SaveCurrentFolder(_platform, folder);
}

std::optional<std::string> CCleaningContext::FullPath(const CFolderListing& listing,
                                                      const std::string& name) {
  const std::string& folder = listing.Here();
  if (folder.empty() || folder.size() >= kCurrentDirectorySize)
    return std::nullopt;
  std::string path = JoinPath(folder, name);
  if (path.size() >= kMaxPath)
    return std::nullopt;
  return path;
}

} // namespace bw

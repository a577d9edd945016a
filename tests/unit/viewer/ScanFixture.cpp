#include "tests/unit/viewer/ScanFixture.h"

#include <cstring>

namespace bw::test {
namespace {

class CFoundFile final : public IFindSearch {
public:
  bool FindNextFile(FindData&) override { return false; }
};

} // namespace

std::unique_ptr<IFindSearch> CReadyFiles::FindFirstFile(const std::string& pattern,
                                                        FindData& data) {
  Patterns.push_back(pattern);
  auto it = Errors.find(pattern.empty() ? 0 : pattern[0]);
  _lastError = it == Errors.end() ? kErrorFileNotFound : it->second;
  if (_lastError != kErrorSuccess)
    return nullptr;
  data = FindData{};
  data.Name = "IO.SYS";
  return std::make_unique<CFoundFile>();
}

void CScanPlatform::Mount(std::vector<uint8_t> image, uint64_t freeBytes, char letter) {
  memory::MemoryDrive drive;
  drive.Image = std::move(image);
  drive.FreeBytes = freeBytes;
  Memory.DrivesFake.Drives[letter] = std::move(drive);
}

void CRecordingView::RefreshTexts() {
  const std::string& readTo = Texts[StatisticText::ReadTo];
  if (!readTo.empty() && (ReadToShown.empty() || ReadToShown.back() != readTo))
    ReadToShown.push_back(readTo);
}

int CRecordingView::MessageBox(const std::string& text, const std::string& caption,
                               uint32_t style) {
  Boxes.push_back({text, caption, style});
  if (Answers.empty())
    return DefaultMessageBoxAnswer(style);
  int answer = Answers.front();
  Answers.pop_front();
  return answer;
}

void PutText(uint8_t* cluster, const std::string& text) {
  std::memcpy(cluster, text.data(), text.size());
}

} // namespace bw::test

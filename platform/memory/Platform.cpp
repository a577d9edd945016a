#include "platform/memory/MemoryPlatform.h"

#include <cctype>

namespace bw::memory {
namespace {

char Upper(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

} // namespace

CMemoryPlatform::CMemoryPlatform() {
  DrivesFake.Files = &FilesFake;
}

MemoryVolume& CMemoryPlatform::AddDrive(char letter, DriveType type, uint64_t freeBytes,
                                        uint32_t clusterSize) {
  MemoryDrive& drive = DrivesFake.Drives[Upper(letter)];
  drive.Type = type;
  return FilesFake.AddVolume(letter, freeBytes, clusterSize);
}

int CScriptedMessageBox::Show(const std::string& text, const std::string& caption, uint32_t style) {
  Boxes.push_back({text, caption, style});
  if (OnShow)
    OnShow(Boxes.back());
  if (Answers.empty())
    return DefaultMessageBoxAnswer(style);
  int answer = Answers.front();
  Answers.pop_front();
  return answer;
}

} // namespace bw::memory

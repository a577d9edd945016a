#include "platform/memory/MemoryPlatform.h"

namespace bw::memory {

CMemoryPlatform::CMemoryPlatform() = default;

int CScriptedMessageBox::Show(const std::string& text, const std::string& caption,
                              uint32_t style) {
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

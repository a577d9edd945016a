#include "zap/ZapPrompts.h"

#include "platform/Types.h"
#include "zap/FileClassification.h"

namespace bw {
namespace {

constexpr int kFileIcon = IDI_PROMPT_FILE;
constexpr int kFolderIcon = IDI_PROMPT_FOLDER;

ZapPrompt MakePrompt(int dialog, int icon, std::string name, bool severalItems) {
  ZapPrompt prompt;
  prompt.Dialog = dialog;
  prompt.Icon = icon;
  prompt.Name = std::move(name);
  prompt.YesToAllEnabled = severalItems;
  return prompt;
}

} // namespace

ZapPrompt MakeFilePrompt(const std::string& path, const std::string& question, bool severalItems) {
  ZapPrompt prompt =
      MakePrompt(kZapConfirmDialog, kFileIcon, std::string(NameOfPath(path)), severalItems);
  prompt.Question = question;
  return prompt;
}

ZapPrompt MakeFolderPrompt(const std::string& path, bool severalItems) {
  std::string name(NameOfPath(path));
  if (name.empty())
    name = path.substr(0, 3);
  ZapPrompt prompt = MakePrompt(kFolderConfirmDialog, kFolderIcon, name, severalItems);
  prompt.Question = "is a folder, destroy it and all its contents?";
  prompt.DefaultButton = static_cast<int>(ZapPromptResult::Yes);
  return prompt;
}

ZapPrompt MakeCompressedPrompt(const std::string& path, bool severalItems) {
  ZapPrompt prompt =
      MakePrompt(kCompressedConfirmDialog, kFileIcon, std::string(NameOfPath(path)), severalItems);
  prompt.Question = "is flagged COMPRESSED.\nThis file cannot be zapped.  Blankwright can deleted "
                    "it for you, but you will need to clean your drive after this operation to "
                    "destroy the file's contents.";
  prompt.FinalQuestion = "Delete this file?";
  return prompt;
}

ZapPromptResult ToPromptResult(int code) {
  switch (code) {
  case static_cast<int>(ZapPromptResult::YesToAll):
    return ZapPromptResult::YesToAll;
  case static_cast<int>(ZapPromptResult::Yes):
    return ZapPromptResult::Yes;
  case static_cast<int>(ZapPromptResult::Abort):
    return ZapPromptResult::Abort;
  default:
    return ZapPromptResult::No;
  }
}

bool ChooseAttributeQuestion(uint32_t attributes, std::string& question, ZapPromptKind& kind) {
  const bool hidden = attributes & kFileAttributeHidden;
  const bool system = attributes & kFileAttributeSystem;
  if (hidden && system) {
    question = "is flagged HIDDEN/SYSTEM, destroy it?";
    kind = ZapPromptKind::HiddenOrSystem;
  } else if (system) {
    question = "is flagged SYSTEM, destroy it?";
    kind = ZapPromptKind::HiddenOrSystem;
  } else if (attributes & kFileAttributeReadOnly) {
    question = "is flagged READ-ONLY, destroy it?";
    kind = ZapPromptKind::ReadOnly;
  } else if (hidden) {
    question = "is flagged HIDDEN, destroy it?";
    kind = ZapPromptKind::HiddenOrSystem;
  } else {
    return false;
  }
  return true;
}

} // namespace bw

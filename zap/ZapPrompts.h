// The confirmation dialogs a zap asks before it destroys an item (162 for files, 163 for
// folders, 229 for compressed files), and what their answers mean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bw {

constexpr int kZapConfirmDialog = 162;
constexpr int kFolderConfirmDialog = 163;
constexpr int kCompressedConfirmDialog = 229;

/// The four buttons every prompt carries; each ends its dialog with its own identifier.
enum class ZapPromptResult : int {
  YesToAll = 1073,
  Yes = 1074,
  Abort = 1076,
  No = 1077,
};

/// The kinds of prompt whose Yes to All answers are remembered separately. Hidden and system
/// share one; read-only has its own.
enum class ZapPromptKind : size_t {
  Folder,
  SystemType,
  HiddenOrSystem,
  ReadOnly,
  Compressed,
};
constexpr size_t kZapPromptKindCount = 5;

/// What one prompt dialog shows.
struct ZapPrompt {
  int Dialog = kZapConfirmDialog;
  int Icon = 163; ///< icon resource
  std::string Caption = "Confirmation";
  std::string Name;          ///< line 1: the item's name
  std::string Question;      ///< line 2
  std::string FinalQuestion; ///< below the text: dialog 229 only
  bool YesToAllEnabled = false;
  int DefaultButton = 0; ///< the button Enter presses; 0 for none
};

/// The question of the system-type prompt.
inline constexpr const char* kSystemTypeQuestion = "appears to be a SYSTEM file, Zap it?";

/// Dialog 162 for the file at path (lower-cased, as the zap holds it) with question.
ZapPrompt MakeFilePrompt(const std::string& path, const std::string& question, bool severalItems);
/// Dialog 163 for a folder; a drive root shows as its first three characters ("c:\").
ZapPrompt MakeFolderPrompt(const std::string& path, bool severalItems);
/// Dialog 229 for a compressed file.
ZapPrompt MakeCompressedPrompt(const std::string& path, bool severalItems);

/// The answer a dialog's end code gives. Only the four buttons count: Esc, a close, and Enter
/// on a dialog without a default button end it with other codes, and those mean No, so that a
/// key pressed to get away never destroys anything.
ZapPromptResult ToPromptResult(int code);

/// The attribute question for a file's attributes, by the first rule that matches: hidden and
/// system, system, read-only, hidden. False when none does.
bool ChooseAttributeQuestion(uint32_t attributes, std::string& question, ZapPromptKind& kind);

} // namespace bw

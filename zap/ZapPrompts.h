// The confirmation dialogs a zap asks before it destroys an item (one for files, one for
// folders, one for compressed files), and what their answers mean.
#pragma once

#include "zap/ZapPromptsRes.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace bw {

constexpr int kZapConfirmDialog = IDD_ZAP_CONFIRM;
constexpr int kFolderConfirmDialog = IDD_FOLDER_CONFIRM;
constexpr int kCompressedConfirmDialog = IDD_COMPRESSED_CONFIRM;

/// The four buttons every prompt carries; each ends its dialog with its own identifier.
enum class ZapPromptResult : int {
  YesToAll = IDC_PROMPT_YES_TO_ALL,
  Yes = IDC_PROMPT_YES,
  Abort = IDC_PROMPT_ABORT,
  No = IDC_PROMPT_NO,
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
  int Icon = IDI_PROMPT_FILE; ///< icon resource
  std::string Caption = "Confirmation";
  std::string Name;          ///< line 1: the item's name
  std::string Question;      ///< line 2
  std::string FinalQuestion; ///< below the text: the compressed-file dialog only
  bool YesToAllEnabled = false;
  int DefaultButton = 0; ///< the button Enter presses; 0 for none
};

/// The question of the system-type prompt.
inline constexpr const char* kSystemTypeQuestion = "appears to be a SYSTEM file, Zap it?";

/// The file dialog for the file at path (lower-cased, as the zap holds it) with question.
ZapPrompt MakeFilePrompt(const std::string& path, const std::string& question, bool severalItems);
/// The folder dialog for a folder; a drive root shows as its first three characters ("c:\").
ZapPrompt MakeFolderPrompt(const std::string& path, bool severalItems);
/// The compressed-file dialog for a compressed file.
ZapPrompt MakeCompressedPrompt(const std::string& path, bool severalItems);

/// The answer a dialog's end code gives. Only the four buttons count: Esc, a close, and Enter
/// on a dialog without a default button end it with other codes, and those mean No, so that a
/// key pressed to get away never destroys anything.
ZapPromptResult ToPromptResult(int code);

/// The attribute question for a file's attributes, by the first rule that matches: hidden and
/// system, system, read-only, hidden. False when none does.
bool ChooseAttributeQuestion(uint32_t attributes, std::string& question, ZapPromptKind& kind);

} // namespace bw

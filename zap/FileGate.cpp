// The per-file gate: what every file passes before anything is written to it. The system's
// own files are refused; system-type names, the hidden, system and read-only attributes and
// compression are asked about, in that order; then the file is made writable.
#include "zap/FileClassification.h"
#include "zap/ZapJob.h"
#include "zap/ZapText.h"

namespace bw {

void CZapJob::GateFile(const FindData& data) {
  const std::string& shown = _current.Shown;
  const FileClass fileClass = ClassifyFile(shown);
  if (fileClass == FileClass::OwnFile) {
    ShowMessage(
        Fill("The file %s is an Blankwright system file, this file cannot be Zapped.", shown),
        "File Error", kMbOk | kMbIconError);
    RestartAnimation();
    return;
  }
  if (fileClass == FileClass::SystemType &&
      !_yesToAll[static_cast<size_t>(ZapPromptKind::SystemType)] &&
      !Confirm(MakeFilePrompt(shown, kSystemTypeQuestion, _severalItems),
               ZapPromptKind::SystemType))
    return;

  std::string question;
  ZapPromptKind kind;
  if (ChooseAttributeQuestion(data.Attributes, question, kind) &&
      !_yesToAll[static_cast<size_t>(kind)] &&
      !Confirm(MakeFilePrompt(shown, question, _severalItems), kind))
    return;

  const bool compressed = data.Attributes & kFileAttributeCompressed;
  if (compressed && !_yesToAll[static_cast<size_t>(ZapPromptKind::Compressed)] &&
      !Confirm(MakeCompressedPrompt(shown, _severalItems), ZapPromptKind::Compressed))
    return;

  if (!MakeWritable())
    return;
  // Writing through a compressed file would not reach the clusters its data lies in: it is
  // only deleted, as its prompt says.
  DestroyFile(data, !compressed);
}

bool CZapJob::Confirm(const ZapPrompt& prompt, ZapPromptKind kind) {
  _view.StopAnimation();
  const ZapPromptResult result = ToPromptResult(_view.AskConfirmation(prompt));
  RestartAnimation();
  switch (result) {
  case ZapPromptResult::YesToAll:
    _yesToAll[static_cast<size_t>(kind)] = true;
    return true;
  case ZapPromptResult::Yes:
    return true;
  case ZapPromptResult::Abort:
    Cancel();
    return false;
  case ZapPromptResult::No:
  default:
    return false;
  }
}

bool CZapJob::MakeWritable() {
  for (;;) {
    if (_platform.Files().SetFileAttributes(_current.Access, kFileAttributeNormal))
      return true;
    int answer =
        ShowMessage(Fill("File %s could not be accessed.  It may be on a write-protected disk.",
                         _current.Shown),
                    "File Error", kMbAbortRetryIgnore | kMbIconError);
    if (answer == kIdRetry) {
      RestartAnimation();
      continue;
    }
    if (answer == kIdAbort)
      Cancel();
    else
      RestartAnimation();
    return false;
  }
}

} // namespace bw

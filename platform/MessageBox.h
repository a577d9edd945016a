// Message boxes: the one way the system reports failures and asks questions.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// Buttons (MB_*), low four bits of the style.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbAbortRetryIgnore = 0x2;
constexpr uint32_t kMbYesNoCancel = 0x3;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbRetryCancel = 0x5;
constexpr uint32_t kMbButtonMask = 0xF;

// Icons (MB_ICON*).
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr uint32_t kMbIconMask = 0xF0;

// Results (ID*).
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

/// Something that can show a message box and return the button chosen. The platforms provide
/// one (MessageBoxA on Win32); a front end may put its own in front of it, as the command line
/// does with its terminal prompts.
class IMessageBox {
public:
  virtual ~IMessageBox() = default;
  /// Shows text under caption with the buttons and icon of style; returns an kId* result.
  virtual int Show(const std::string& text, const std::string& caption, uint32_t style) = 0;
};

/// The answer a box gives when nobody can be asked: Cancel where there is one (so that no
/// destructive step goes ahead unasked), else No, else the only button.
int DefaultMessageBoxAnswer(uint32_t style);

} // namespace bw

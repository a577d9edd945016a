#include "tray/win32/ZapProgressDialog.h"

#include "tray/win32/ZapPromptDialog.h"
#include "ui/Controls.h"
#include "zap/ZapProgressRes.h"

namespace bw {
namespace {

constexpr UINT kRunJob = WM_USER + 3;

} // namespace

CZapProgressDialog::CZapProgressDialog(HINSTANCE instance, IPlatform& platform,
                                       const CSettings& settings,
                                       std::vector<std::string> selections)
    : CJobDialog({IDC_ZAP_PROGRESS, IDC_ZAP_ANIMATION, IDC_ZAP_CANCEL, kRunJob}),
      _instance(instance), _job(platform, settings, *this, std::move(selections)) {}

bool CZapProgressDialog::OnInit() {
  InitControls(_instance, IDA_ZAPPING);
  BringToFront();
  return true;
}

void CZapProgressDialog::SetPathText(const std::string& text) {
  Item(IDC_ZAP_PATH).SetText(text);
}

void CZapProgressDialog::SetPassText(const std::string& text) {
  Item(IDC_ZAP_PASS).SetText(text);
}

int CZapProgressDialog::AskConfirmation(const ZapPrompt& prompt) {
  return static_cast<int>(CZapPromptDialog(prompt).Run(_instance, Handle()));
}

int CZapProgressDialog::PathWidth() {
  RECT box = {};
  ::GetClientRect(Item(IDC_ZAP_PATH), &box);
  return box.right - box.left;
}

int CZapProgressDialog::MeasurePathText(const std::string& text) {
  ui::CWindow path = Item(IDC_ZAP_PATH);
  HDC context = ::GetDC(path);
  HGDIOBJ old = ::SelectObject(context, reinterpret_cast<HFONT>(path.Send(WM_GETFONT)));
  SIZE size = {};
  ::GetTextExtentPoint32A(context, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(context, old);
  ::ReleaseDC(path, context);
  return size.cx;
}

} // namespace bw

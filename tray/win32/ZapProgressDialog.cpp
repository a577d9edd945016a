#include "tray/win32/ZapProgressDialog.h"

#include "tray/win32/ZapPromptDialog.h"
#include "ui/Controls.h"
#include "ui/MessagePump.h"
#include "zap/ZapProgressRes.h"

namespace bw {
namespace {

constexpr UINT kRunJob = WM_USER + 3;

} // namespace

CZapProgressDialog::CZapProgressDialog(HINSTANCE instance, IPlatform& platform,
                                       const CSettings& settings,
                                       std::vector<std::string> selections)
    : _instance(instance), _job(platform, settings, *this, std::move(selections)) {}

bool CZapProgressDialog::OnInit() {
  ui::CAnimate(Item(IDC_ZAP_ANIMATION)).Open(_instance, IDA_ZAPPING);
  ui::CProgressBar progress(Item(IDC_ZAP_PROGRESS));
  progress.SetRange(0, 100);
  progress.SetPos(0);
  BringToFront();
  return true;
}

INT_PTR CZapProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SHOWWINDOW:
    // The warning may still hold the foreground while this is made: come forward once shown.
    if (wParam)
      BringToFront();
    Post(kRunJob);
    return FALSE;
  case kRunJob:
    // Every showing posts the request; the job runs once, not again inside itself when the
    // window is hidden and shown while it works.
    if (!_started) {
      _started = true;
      _job.Run();
    }
    return TRUE;
  default:
    return CDialog::OnMessage(message, wParam, lParam);
  }
}

bool CZapProgressDialog::OnCommand(int notifyCode, int id, HWND control) {
  // Enter through the dialog manager presses Cancel, the only button.
  if ((id == IDC_ZAP_CANCEL && notifyCode == BN_CLICKED) || id == IDOK) {
    _job.OnCancel();
    return true;
  }
  return CDialog::OnCommand(notifyCode, id, control);
}

void CZapProgressDialog::SetProgress(int percent) {
  ui::CProgressBar(Item(IDC_ZAP_PROGRESS)).SetPos(percent);
}

void CZapProgressDialog::StartAnimation() {
  ui::CAnimate(Item(IDC_ZAP_ANIMATION)).Play();
}

void CZapProgressDialog::StopAnimation() {
  ui::CAnimate(Item(IDC_ZAP_ANIMATION)).Stop();
}

void CZapProgressDialog::EnableCancel(bool enabled) {
  Item(IDC_ZAP_CANCEL).Enable(enabled);
}

void CZapProgressDialog::PumpMessage() {
  ui::PumpOneMessage(&_job);
}

int CZapProgressDialog::MessageBox(const std::string& text, const std::string& caption,
                                   uint32_t style) {
  return ::MessageBoxA(Handle(), text.c_str(), caption.c_str(), style);
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

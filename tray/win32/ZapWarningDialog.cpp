#include "tray/win32/ZapWarningDialog.h"

#include "ui/Controls.h"
#include "ui/DriveListBoxRes.h"

#include <shellapi.h>

namespace bw {
namespace {

// The selection's small icon from the shell, or the program's generic file icon when the shell
// has none (a file deleted meanwhile). The caller destroys it.
HICON SmallIcon(HINSTANCE instance, const std::string& path) {
  SHFILEINFOA info = {};
  if (::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
      info.hIcon)
    return info.hIcon;
  return static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_NO_DRIVE_ICON), IMAGE_ICON, 16, 16, 0));
}

} // namespace

CZapWarningDialog::CZapWarningDialog(HINSTANCE instance, std::vector<std::string> selections,
                                     uint32_t overwriteCount)
    : _instance(instance), _selections(selections), _model(std::move(selections), overwriteCount) {}

CZapWarningDialog::~CZapWarningDialog() {
  if (_warningFont)
    ::DeleteObject(_warningFont);
}

bool CZapWarningDialog::OnInit() {
  SetWarningFont();
  Item(IDC_ZAP_OVERWRITE).SetText(_model.OverwriteLine());
  FillList();
  // Enter answers No, the default button, whatever control the dialog manager would focus.
  Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(kZapWarningNo).Handle()), TRUE);
  return false;
}

INT_PTR CZapWarningDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SHOWWINDOW && wParam)
    BringToFront();
  return CDialog::OnMessage(message, wParam, lParam);
}

bool CZapWarningDialog::OnCommand(int notifyCode, int id, HWND control) {
  switch (id) {
  case kZapWarningYes:
  case kZapWarningNo:
    End(id);
    return true;
  case IDOK:
    End(CZapWarningModel::ResultOfEnter());
    return true;
  default:
    return CDialog::OnCommand(notifyCode, id, control);
  }
}

COLORREF CZapWarningDialog::TextColour(int controlId) const {
  return controlId == IDC_ZAP_WARNING_LABEL ? RGB(255, 0, 0) : CLR_INVALID;
}

void CZapWarningDialog::SetWarningFont() {
  ui::CWindow label = Item(IDC_ZAP_WARNING_LABEL);
  LOGFONTA font = {};
  auto current = reinterpret_cast<HFONT>(label.Send(WM_GETFONT));
  if (!current || !::GetObjectA(current, sizeof font, &font))
    return;
  HDC screen = ::GetDC(nullptr);
  font.lfHeight = CZapWarningModel::LabelFontHeight(::GetDeviceCaps(screen, LOGPIXELSY));
  ::ReleaseDC(nullptr, screen);
  font.lfWeight = FW_BOLD;
  _warningFont = ::CreateFontIndirectA(&font);
  if (_warningFont)
    label.Send(WM_SETFONT, reinterpret_cast<WPARAM>(_warningFont), TRUE);
}

void CZapWarningDialog::FillList() {
  ui::CListView list(Item(IDC_ZAP_LIST));
  const int count = static_cast<int>(_selections.size());
  // The list owns the image list and destroys it with itself.
  HIMAGELIST images = ::ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, count, 1);
  for (const std::string& path : _selections) {
    HICON icon = SmallIcon(_instance, path);
    ::ImageList_AddIcon(images, icon);
    if (icon)
      ::DestroyIcon(icon);
  }
  list.Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));

  RECT client = {};
  ::GetClientRect(list, &client);
  const int width = client.right - client.left;
  list.InsertColumn(0, "", CZapWarningModel::ColumnWidth(width));

  HDC context = ::GetDC(list);
  HGDIOBJ old = ::SelectObject(context, reinterpret_cast<HFONT>(list.Send(WM_GETFONT)));
  const std::vector<std::string> rows = _model.Rows(width, [context](const std::string& text) {
    SIZE size = {};
    ::GetTextExtentPoint32A(context, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  });
  ::SelectObject(context, old);
  ::ReleaseDC(list, context);

  for (int row = 0; row < count; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iImage = row;
    item.pszText = const_cast<char*>(rows[static_cast<size_t>(row)].c_str());
    list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

} // namespace bw

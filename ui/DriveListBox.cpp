#include "ui/DriveListBox.h"

#include "ui/Controls.h"
#include "ui/DriveListBoxRes.h"

namespace bw::ui {
namespace {

constexpr const char* kObjectProperty = "BlankwrightDriveList";

void DrawTextLine(HDC context, const std::string& text, RECT box) {
  ::DrawTextA(context, text.c_str(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

} // namespace

CDriveListBox::~CDriveListBox() {
  if (_listProc && _list.IsValid()) {
    ::SetWindowLongPtrA(_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(_listProc));
    ::RemovePropA(_list, kObjectProperty);
  }
}

void CDriveListBox::Attach(HWND listBox) {
  _list.Attach(listBox);
  ::SetPropA(listBox, kObjectProperty, this);
  _listProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  // WM_MEASUREITEM of a fixed-height list box comes while the dialog is being made, before its
  // object is attached; the height is set here instead.
  _list.Send(LB_SETITEMHEIGHT, 0, ::GetSystemMetrics(SM_CYSMICON) + 2);
}

void CDriveListBox::LoadFromDriveList(std::string_view list) {
  _model.LoadFromDriveList(_drives, list);
  Refresh();
}

void CDriveListBox::Refresh() {
  CListBox list(_list);
  list.Reset();
  for (const CDriveListModel::Item& item : _model.Items()) {
    int index = list.AddString(CDriveListModel::ItemText(item));
    list.SetItemData(index, item.Checked ? 1 : 0);
  }
  if (_model.Current() >= 0)
    list.Select(_model.Current());
}

HICON CDriveListBox::SmallIcon(int id) const {
  return static_cast<HICON>(::LoadImageA(_instance, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         ::GetSystemMetrics(SM_CXSMICON),
                                         ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void CDriveListBox::DrawItem(const DRAWITEMSTRUCT& draw) {
  if (draw.itemID == static_cast<UINT>(-1) || draw.itemID >= _model.Items().size())
    return;
  const CDriveListModel::Item& item = _model.Items()[draw.itemID];
  const int w = ::GetSystemMetrics(SM_CXSMICON);
  const int h = ::GetSystemMetrics(SM_CYSMICON);
  const RECT& box = draw.rcItem;
  const std::string text = CDriveListModel::ItemText(item);
  HDC context = draw.hDC;

  if (draw.itemAction & ODA_DRAWENTIRE) {
    ::FillRect(context, &box, ::GetSysColorBrush(COLOR_WINDOW));
    char root[] = {item.Letter, ':', '\\', '\0'};
    SHFILEINFOA info = {};
    if (::SHGetFileInfoA(root, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon) {
      ::DrawIconEx(context, box.left + 2, box.top, info.hIcon, 0, 0, 0, nullptr, DI_NORMAL);
      ::DestroyIcon(info.hIcon);
    } else {
      ::DrawIconEx(context, box.left + 2, box.top, SmallIcon(IDI_NO_DRIVE_ICON), w, h, 0, nullptr,
                   DI_NORMAL);
    }
    ::DrawIconEx(context, box.left + w + 4, box.top,
                 SmallIcon(item.Checked ? IDI_CHECKED : IDI_UNCHECKED), w, h, 0, nullptr,
                 DI_NORMAL);
    ::SetBkMode(context, TRANSPARENT);
    ::SetTextColor(context, ::GetSysColor(COLOR_WINDOWTEXT));
    DrawTextLine(context, text, {box.left + 2 * w + 6, box.top, box.right, box.bottom});
    DrawTextLine(context, CDriveListModel::StatusText(item),
                 {box.left + 2 * w + 36, box.top, box.right, box.bottom});
  }
  // The focus frame inverts: drawn once when the line gets the focus (or is drawn whole with
  // it) and once more when it loses it.
  if ((draw.itemAction & ODA_FOCUS) ||
      ((draw.itemAction & ODA_DRAWENTIRE) && (draw.itemState & ODS_FOCUS))) {
    SIZE size = {};
    ::GetTextExtentPoint32A(context, text.c_str(), static_cast<int>(text.size()), &size);
    RECT frame = {box.left + w + 3, box.top, box.left + w + 3 + w + size.cx + 6, box.bottom};
    ::DrawFocusRect(context, &frame);
  }
}

INT_PTR CDriveListBox::VKeyToItem(int key) {
  if (key != VK_SPACE)
    return -1;
  ToggleCurrent();
  return -2;
}

void CDriveListBox::ToggleCurrent() {
  int current = CListBox(_list).Selection();
  if (current < 0)
    return;
  _model.SetCurrent(current);
  if (!_model.ToggleCurrent())
    return;
  CListBox(_list).SetItemData(current, _model.Items()[current].Checked ? 1 : 0);
  RECT box;
  if (_list.Send(LB_GETITEMRECT, static_cast<WPARAM>(current), reinterpret_cast<LPARAM>(&box)) !=
      LB_ERR) {
    ::InvalidateRect(_list, &box, TRUE);
    ::UpdateWindow(_list);
  }
}

LRESULT CALLBACK CDriveListBox::ListProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  auto* self = static_cast<CDriveListBox*>(::GetPropA(window, kObjectProperty));
  if (!self)
    return ::DefWindowProcA(window, message, wParam, lParam);
  WNDPROC original = self->_listProc;
  // The selection moves when the button goes down, so the line under a click is current here.
  if (message == WM_LBUTTONUP)
    self->ToggleCurrent();
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    ::RemovePropA(window, kObjectProperty);
    self->_listProc = nullptr;
  }
  return ::CallWindowProcA(original, window, message, wParam, lParam);
}

} // namespace bw::ui

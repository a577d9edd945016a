#include "ui/PropertySheet.h"

namespace bw::ui {

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  CPropertyPage* page = nullptr;
  if (message == WM_INITDIALOG) {
    // The sheet hands each page its PROPSHEETPAGE, whose lParam is the page object.
    auto* sheetPage = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
    page = reinterpret_cast<CPropertyPage*>(sheetPage->lParam);
    page->Attach(window);
    page->_shown = true;
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    return page->OnInit() ? TRUE : FALSE;
  }
  page = reinterpret_cast<CPropertyPage*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (!page)
    return FALSE;
  switch (message) {
  case WM_COMMAND:
    return page->OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                           : FALSE;
  case WM_NOTIFY:
    return page->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
  case WM_NCDESTROY:
    ::SetWindowLongPtrA(window, DWLP_USER, 0);
    page->Attach(nullptr);
    return FALSE;
  default:
    return page->OnMessage(message, wParam, lParam);
  }
}

INT_PTR CPropertyPage::OnNotify(const NMHDR& header) {
  // A page answers a sheet's notice through DWLP_MSGRESULT and returns TRUE.
  LONG_PTR result = 0;
  switch (header.code) {
  case PSN_KILLACTIVE:
    result = OnKillActive() ? FALSE : TRUE;
    break;
  case PSN_APPLY:
    result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    break;
  case PSN_SETACTIVE:
    OnSetActive();
    break;
  case PSN_RESET:
    OnReset();
    break;
  default:
    return OnMessage(WM_NOTIFY, static_cast<WPARAM>(header.idFrom),
                     reinterpret_cast<LPARAM>(&header));
  }
  ::SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, result);
  return TRUE;
}

namespace {
// The sheet being made: the callback that gives its window carries no data of its own, and one
// modal sheet at a time is made on the thread.
thread_local CPropertySheet* tMaking = nullptr;
} // namespace

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM /*lParam*/) noexcept {
  if (message == PSCB_INITIALIZED && tMaking)
    tMaking->Attach(window);
  return 0;
}

INT_PTR CPropertySheet::DoModal(HINSTANCE instance, HWND parent, const char* caption, DWORD flags,
                                int iconId) {
  std::vector<PROPSHEETPAGEA> pages(_pages.size());
  for (size_t i = 0; i < _pages.size(); ++i) {
    PROPSHEETPAGEA& page = pages[i];
    page.dwSize = sizeof(page);
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(_pages[i]->ResourceId());
    page.pfnDlgProc = CPropertyPage::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(_pages[i]);
  }
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | flags | (iconId ? PSH_USEICONID : 0);
  header.pfnCallback = SheetCallback;
  header.hwndParent = parent;
  header.hInstance = instance;
  header.pszIcon = iconId ? MAKEINTRESOURCEA(iconId) : nullptr;
  header.pszCaption = caption;
  header.nPages = static_cast<UINT>(pages.size());
  header.ppsp = pages.data();
  CPropertySheet* outer = tMaking;
  tMaking = this;
  INT_PTR result = ::PropertySheetA(&header);
  tMaking = outer;
  Attach(nullptr);
  return result;
}

} // namespace bw::ui

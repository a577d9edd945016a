// Property sheets: a sheet of pages (the configuration sheet), each page a dialog template with
// its own object. A page answers PSN_KILLACTIVE (may the user leave it: its values are checked
// and corrected there) and PSN_APPLY (OK: write what it shows). Windows sends PSN_APPLY only to
// pages that were shown, so a page never opened never writes.
#pragma once

#include "ui/Window.h"

#include <commctrl.h>
#include <vector>

namespace bw::ui {

class CPropertyPage : public CWindow {
public:
  explicit CPropertyPage(int resourceId) : _resourceId(resourceId) {}
  virtual ~CPropertyPage() = default;
  CPropertyPage(const CPropertyPage&) = delete;
  CPropertyPage& operator=(const CPropertyPage&) = delete;

  int ResourceId() const { return _resourceId; }
  /// True once the page's window was made (the user opened it).
  bool WasShown() const { return _shown; }
  /// The sheet the page is on (while it has a window).
  CWindow Sheet() const { return CWindow(::GetParent(Handle())); }

protected:
  virtual bool OnInit() { return true; }
  virtual bool OnCommand(int /*notifyCode*/, int /*id*/, HWND /*control*/) { return false; }
  /// The page is about to be left (another tab, OK): false keeps the user on it.
  virtual bool OnKillActive() { return true; }
  /// OK: write what the page shows; false keeps the sheet open on this page.
  virtual bool OnApply() { return true; }
  virtual void OnSetActive() {}
  virtual void OnReset() {}
  /// Messages the handlers above do not cover (WM_NOTIFY of the page's controls too); FALSE
  /// when not handled.
  virtual INT_PTR OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return FALSE;
  }

private:
  friend class CPropertySheet;
  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept;
  INT_PTR OnNotify(const NMHDR& header);

  int _resourceId;
  bool _shown = false;
};

class CPropertySheet : public CWindow {
public:
  /// Adds page (not owned; it must outlive the sheet's run).
  void AddPage(CPropertyPage& page) { _pages.push_back(&page); }
  /// Runs the sheet modally with caption, PSH_* flags added to the defaults (for example
  /// PSH_NOAPPLYNOW) and, if iconId is not 0, that icon. Returns what PropertySheetA returns:
  /// above 0 after OK, 0 after Cancel, -1 on failure.
  INT_PTR DoModal(HINSTANCE instance, HWND parent, const char* caption, DWORD flags = 0,
                  int iconId = 0);

  /// Presses OK as the user would: the pages are left and apply, and the sheet closes.
  void PressOK() const { Send(PSM_PRESSBUTTON, PSBTN_OK); }

private:
  static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam) noexcept;
  std::vector<CPropertyPage*> _pages;
};

} // namespace bw::ui

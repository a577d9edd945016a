// The common controls the dialogs use, as thin wrappers over their messages. Each is a CWindow
// on a dialog item: CButton button(dialog.Item(IDC_...)).
#pragma once

#include "ui/Window.h"

#include <commctrl.h>
#include <string>

namespace bw::ui {

class CButton : public CWindow {
public:
  using CWindow::CWindow;
  void Click() const { Send(BM_CLICK); }
  bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
  void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
};

/// A check box is a button with a state.
using CCheckBox = CButton;

class CStatic : public CWindow {
public:
  using CWindow::CWindow;
  void SetIcon(HICON icon) const { Send(STM_SETICON, reinterpret_cast<WPARAM>(icon)); }
};

class CListBox : public CWindow {
public:
  using CWindow::CWindow;
  /// The new item's index, or LB_ERR / LB_ERRSPACE.
  int AddString(const std::string& text) const {
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
  void Reset() const { Send(LB_RESETCONTENT); }
  int Selection() const { return static_cast<int>(Send(LB_GETCURSEL)); }
  void Select(int index) const { Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }
  LRESULT ItemData(int index) const { return Send(LB_GETITEMDATA, static_cast<WPARAM>(index)); }
  void SetItemData(int index, LPARAM data) const {
    Send(LB_SETITEMDATA, static_cast<WPARAM>(index), data);
  }
  std::string ItemText(int index) const;
};

class CComboBox : public CWindow {
public:
  using CWindow::CWindow;
  int AddString(const std::string& text) const {
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  void Reset() const { Send(CB_RESETCONTENT); }
  int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void Select(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
};

class CProgressBar : public CWindow {
public:
  using CWindow::CWindow;
  void SetRange(int low, int high) const { Send(PBM_SETRANGE32, low, high); }
  void SetPos(int position) const { Send(PBM_SETPOS, static_cast<WPARAM>(position)); }
  int Pos() const { return static_cast<int>(Send(PBM_GETPOS)); }
  void SetStep(int step) const { Send(PBM_SETSTEP, static_cast<WPARAM>(step)); }
  void Step() const { Send(PBM_STEPIT); }
};

class CAnimate : public CWindow {
public:
  using CWindow::CWindow;
  /// Opens the AVI resource id of instance; false when it is missing or cannot be played.
  bool Open(HINSTANCE instance, int id) const {
    return SendMessageA(Handle(), ACM_OPENA, reinterpret_cast<WPARAM>(instance),
                        reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(id))) != FALSE;
  }
  bool Play() const { return Send(ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, -1)) != FALSE; }
  bool Stop() const { return Send(ACM_STOP) != FALSE; }
};

class CUpDown : public CWindow {
public:
  using CWindow::CWindow;
  void SetRange(int low, int high) const { Send(UDM_SETRANGE32, low, high); }
  void SetPos(int position) const { Send(UDM_SETPOS32, 0, position); }
  int Pos() const { return static_cast<int>(Send(UDM_GETPOS32)); }
};

class CListView : public CWindow {
public:
  using CWindow::CWindow;
  int InsertColumn(int index, const std::string& title, int width) const;
  int InsertItem(int index, const std::string& text) const;
  bool SetItemText(int index, int column, const std::string& text) const;
  std::string ItemText(int index, int column) const;
  int Count() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  void DeleteAll() const { Send(LVM_DELETEALLITEMS); }
};

} // namespace bw::ui

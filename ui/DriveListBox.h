// CDriveListBox: the owner-drawn list box in which the user marks the drives to clean. It takes
// over a list box of a dialog (owner-drawn, fixed height, with strings, wanting keys) and draws
// and toggles the lines of a CDriveListModel, which holds every rule. The dialog forwards
// WM_DRAWITEM and WM_VKEYTOITEM of the list box here; mouse clicks arrive by subclassing.
#pragma once

#include "settings/DriveListModel.h"
#include "ui/Window.h"

#include <string_view>

namespace bw {
class IDrives;
}

namespace bw::ui {

class CDriveListBox {
public:
  /// model: the lines to show, when a page model owns them; else the control keeps its own.
  CDriveListBox(HINSTANCE instance, IDrives& drives, CDriveListModel* model = nullptr)
      : _instance(instance), _drives(drives), _model(model ? *model : _ownModel) {}
  ~CDriveListBox();
  CDriveListBox(const CDriveListBox&) = delete;
  CDriveListBox& operator=(const CDriveListBox&) = delete;

  /// Takes over the list box; call from the dialog's WM_INITDIALOG.
  void Attach(HWND listBox);

  void LoadFromDriveList(std::string_view list);
  std::string StoreToDriveList() const { return _model.StoreToDriveList(); }
  int CheckedCount() const { return _model.CheckedCount(); }
  bool IsDriveChecked(char letter) const { return _model.IsDriveChecked(letter); }
  CDriveListModel& Model() { return _model; }
  /// Shows the model's lines again after it was changed directly.
  void Refresh();

  /// WM_DRAWITEM for this list box.
  void DrawItem(const DRAWITEMSTRUCT& item);
  /// WM_VKEYTOITEM: the space key toggles the current line. What the dialog returns.
  INT_PTR VKeyToItem(int key);

private:
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept;
  void ToggleCurrent();
  HICON SmallIcon(int id) const;

  HINSTANCE _instance;
  IDrives& _drives;
  CWindow _list;
  WNDPROC _listProc = nullptr;
  CDriveListModel _ownModel;
  CDriveListModel& _model;
};

} // namespace bw::ui

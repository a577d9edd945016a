// A popup menu drawn by its owner, each item with its picture from the program's toolbar
// resource: the toolbar (resource type 241) lists the command ids in the order of the pictures
// in the bitmap of the same id, 16 x 16 each, silver showing through. The owner window forwards
// WM_MEASUREITEM and WM_DRAWITEM of menus here.
#pragma once

#include "ui/Window.h"

#include <commctrl.h>
#include <string>
#include <vector>

namespace bw::ui {

class CToolbarMenu {
public:
  CToolbarMenu() = default;
  ~CToolbarMenu();
  CToolbarMenu(const CToolbarMenu&) = delete;
  CToolbarMenu& operator=(const CToolbarMenu&) = delete;

  /// Loads menu id, the toolbar id and its bitmap; every item of the first popup becomes
  /// owner-drawn. False when the menu is missing (the pictures are optional).
  bool Load(HINSTANCE instance, int id);
  /// The popup to show with TrackPopupMenu.
  HMENU Popup() const { return ::GetSubMenu(_menu, 0); }

  /// WM_MEASUREITEM / WM_DRAWITEM of a menu item; false when the item is not one of ours.
  bool MeasureItem(MEASUREITEMSTRUCT& measure) const;
  bool DrawItem(const DRAWITEMSTRUCT& draw) const;

private:
  struct Item {
    UINT Command;
    std::string Text;
  };
  int PictureIndex(UINT command) const;

  HMENU _menu = nullptr;
  HIMAGELIST _pictures = nullptr;
  std::vector<UINT> _toolbar; ///< command ids, in picture order
  std::vector<Item> _items;   ///< owned here; each item's data points at one
};

} // namespace bw::ui

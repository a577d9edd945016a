#include "ui/ToolbarMenu.h"

#include <algorithm>

namespace bw::ui {
namespace {

constexpr int kPicture = 16;
constexpr int kGap = 4;
constexpr WORD kToolbarType = 241; // RT_TOOLBAR

// The toolbar resource: version, picture width, height, count, then one id per picture (0 for a
// gap). Anything shorter or odd is taken as no pictures.
std::vector<UINT> ReadToolbar(HINSTANCE instance, int id) {
  HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kToolbarType));
  HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
  const auto* words = loaded ? static_cast<const WORD*>(::LockResource(loaded)) : nullptr;
  DWORD size = found ? ::SizeofResource(instance, found) : 0;
  if (!words || size < 8 || words[0] != 1)
    return {};
  size_t count = std::min<size_t>(words[3], (size - 8) / 2);
  return std::vector<UINT>(words + 4, words + 4 + count);
}

} // namespace

CToolbarMenu::~CToolbarMenu() {
  if (_pictures)
    ImageList_Destroy(_pictures);
  if (_menu)
    ::DestroyMenu(_menu);
}

bool CToolbarMenu::Load(HINSTANCE instance, int id) {
  _menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(id));
  if (!_menu)
    return false;
  _toolbar = ReadToolbar(instance, id);
  _pictures = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(id), kPicture, 0, RGB(192, 192, 192),
                                   IMAGE_BITMAP, LR_CREATEDIBSECTION);
  HMENU popup = Popup();
  int count = ::GetMenuItemCount(popup);
  _items.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    if (!::GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info) ||
        (info.fType & MFT_SEPARATOR))
      continue;
    _items.push_back({info.wID, text});
    MENUITEMINFOA drawn = {};
    drawn.cbSize = sizeof drawn;
    drawn.fMask = MIIM_FTYPE | MIIM_DATA;
    drawn.fType = info.fType | MFT_OWNERDRAW;
    drawn.dwItemData = reinterpret_cast<ULONG_PTR>(&_items.back());
    ::SetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &drawn);
  }
  return true;
}

int CToolbarMenu::PictureIndex(UINT command) const {
  int index = 0;
  for (UINT id : _toolbar) {
    if (id == command)
      return index;
    if (id != 0)
      ++index;
  }
  return -1;
}

bool CToolbarMenu::MeasureItem(MEASUREITEMSTRUCT& measure) const {
  const auto* item = reinterpret_cast<const Item*>(measure.itemData);
  if (measure.CtlType != ODT_MENU || !item)
    return false;
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HDC screen = ::GetDC(nullptr);
  HFONT font = ::CreateFontIndirectA(&metrics.lfMenuFont);
  HGDIOBJ old = ::SelectObject(screen, font);
  RECT box = {};
  ::DrawTextA(screen, item->Text.c_str(), -1, &box, DT_SINGLELINE | DT_CALCRECT);
  ::SelectObject(screen, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, screen);
  measure.itemWidth = static_cast<UINT>(kPicture + 3 * kGap + (box.right - box.left));
  measure.itemHeight = static_cast<UINT>(std::max<LONG>(kPicture + kGap, box.bottom - box.top + 4));
  return true;
}

bool CToolbarMenu::DrawItem(const DRAWITEMSTRUCT& draw) const {
  const auto* item = reinterpret_cast<const Item*>(draw.itemData);
  if (draw.CtlType != ODT_MENU || !item)
    return false;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  RECT box = draw.rcItem;
  ::FillRect(draw.hDC, &box, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  int picture = PictureIndex(item->Command);
  if (_pictures && picture >= 0)
    ImageList_Draw(_pictures, picture, draw.hDC, box.left + kGap,
                   box.top + (box.bottom - box.top - kPicture) / 2, ILD_TRANSPARENT);
  ::SetBkMode(draw.hDC, TRANSPARENT);
  ::SetTextColor(draw.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  RECT text = {box.left + kPicture + 2 * kGap, box.top, box.right, box.bottom};
  // "&&" shows as one "&", as in a menu the system draws.
  ::DrawTextA(draw.hDC, item->Text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER);
  return true;
}

} // namespace bw::ui

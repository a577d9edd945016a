#include "shell/contextmenu/ContextMenuExt.h"

#include "platform/Platform.h"
#include "shell/BoundedCopy.h"
#include "shell/ShellCommands.h"
#include "shell/ShellMenu.h"
#include "shell/contextmenu/Module.h"

#include <new>

namespace bw::shell {
namespace {

// Message boxes of a command: the registry messages are owned by the Explorer window the
// command came from; an empty caption leaves the system's default caption.
class CCommandMessageBox final : public IMessageBox {
public:
  explicit CCommandMessageBox(HWND owner) : _owner(owner) {}
  int Show(const std::string& text, const std::string& caption, uint32_t style) override {
    return ::MessageBoxA(_owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), style);
  }

private:
  HWND _owner;
};

// Reads every path of a CF_HDROP list whole: each is asked for its length first, so that none
// is cut to a fixed buffer.
std::vector<std::string> DropPaths(HDROP drop) {
  std::vector<std::string> paths;
  UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
    std::string path(length + 1, '\0');
    if (::DragQueryFileA(drop, i, path.data(), length + 1) != length)
      continue;
    path.resize(length);
    paths.push_back(std::move(path));
  }
  return paths;
}

HMENU MakeSubmenu(const std::vector<CShellMenuItem>& items, UINT firstId) {
  HMENU submenu = ::CreatePopupMenu();
  if (submenu == nullptr)
    return nullptr;
  UINT position = 0;
  for (const CShellMenuItem& item : items) {
    if (item.Separator) {
      ::InsertMenuA(submenu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    } else {
      ::InsertMenuA(submenu, position, MF_BYPOSITION | MF_STRING,
                    firstId + static_cast<UINT>(item.Command), item.Text.c_str());
      if (item.Grayed)
        ::EnableMenuItem(submenu, position, MF_BYPOSITION | MF_GRAYED);
    }
    ++position;
  }
  return submenu;
}

HRESULT IdsUsed(UINT count) {
  return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, count);
}

} // namespace

CContextMenuExt::CContextMenuExt() {
  ObjectCreated();
}

CContextMenuExt::~CContextMenuExt() {
  if (_dataObject != nullptr)
    _dataObject->Release();
  ObjectDestroyed();
}

STDMETHODIMP CContextMenuExt::QueryInterface(REFIID iid, void** object) noexcept {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IShellExtInit) || IsEqualIID(iid, IID_IUnknown))
    *object = static_cast<IShellExtInit*>(this);
  else if (IsEqualIID(iid, IID_IContextMenu))
    *object = static_cast<IContextMenu*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CContextMenuExt::AddRef() noexcept {
  return static_cast<ULONG>(::InterlockedIncrement(&_refCount));
}

STDMETHODIMP_(ULONG) CContextMenuExt::Release() noexcept {
  LONG count = ::InterlockedDecrement(&_refCount);
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CContextMenuExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* dataObject,
                                         HKEY) noexcept {
  if (_dataObject != nullptr)
    _dataObject->Release();
  _dataObject = dataObject;
  _paths.clear();
  if (_dataObject == nullptr)
    return E_FAIL;
  _dataObject->AddRef();

  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(_dataObject->GetData(&format, &medium)))
    return E_FAIL;
  if (medium.hGlobal != nullptr) {
    try {
      _paths = DropPaths(static_cast<HDROP>(medium.hGlobal));
    } catch (const std::bad_alloc&) {
      _paths.clear();
    }
  }
  ::ReleaseStgMedium(&medium);
  return S_OK;
}

STDMETHODIMP CContextMenuExt::QueryContextMenu(HMENU menu, UINT, UINT firstId, UINT lastId,
                                               UINT flags) noexcept {
  // Ids beyond the range Explorer gave would collide with its own commands.
  if (!WantsShellMenu(flags, _paths) || lastId < firstId ||
      lastId - firstId + 1 < kShellCommandCount)
    return IdsUsed(0);
  HMENU submenu = nullptr;
  try {
    auto platform = CreateNativePlatform();
    submenu = MakeSubmenu(ShellMenuItems(FindShellTarget(_paths, platform->Drives())), firstId);
  } catch (const std::bad_alloc&) {
    return IdsUsed(0);
  }
  if (submenu == nullptr)
    return IdsUsed(0);

  // The group opens Explorer's menu, whatever position Explorer suggested.
  char text[32] = {};
  CopyTerminated(kSubmenuText, text, sizeof(text));
  MENUITEMINFOA item = {};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_SUBMENU | MIIM_TYPE;
  item.fType = MFT_STRING;
  item.dwTypeData = text;
  item.hSubMenu = submenu;
  ::InsertMenuA(menu, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  if (!::InsertMenuItemA(menu, 1, TRUE, &item)) {
    ::DestroyMenu(submenu);
    ::DeleteMenu(menu, 0, MF_BYPOSITION);
    return IdsUsed(0);
  }
  ::InsertMenuA(menu, 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  return IdsUsed(kShellCommandCount);
}

STDMETHODIMP CContextMenuExt::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
  // Only offsets: this menu offers no verbs by name.
  if (info == nullptr || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0)
    return E_INVALIDARG;
  auto offset = static_cast<uint32_t>(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)));
  try {
    auto platform = CreateNativePlatform();
    CCommandMessageBox explorerBox(info->hwnd);
    CCommandMessageBox unownedBox(nullptr);
    CShellServices services{platform->Registry(), platform->WindowCommands(), platform->Drives(),
                            explorerBox, unownedBox};
    return InvokeShellCommand(offset, _paths, services) == ShellInvokeResult::Handled
               ? S_OK
               : E_INVALIDARG;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP CContextMenuExt::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* name,
                                               UINT size) noexcept {
  const char* text =
      offset <= 0xFFFF ? ShellCommandHelpText(static_cast<uint32_t>(offset)) : nullptr;
  if (text == nullptr)
    return E_INVALIDARG;
  // The caller's buffer holds size characters of the width its type names.
  switch (type) {
  case GCS_HELPTEXTA:
    CopyTerminated(text, name, size);
    return S_OK;
  case GCS_HELPTEXTW:
    CopyTerminated(text, reinterpret_cast<wchar_t*>(name), size);
    return S_OK;
  case GCS_VALIDATEA:
  case GCS_VALIDATEW:
    return S_OK;
  default: // verbs: there are none by name
    return E_INVALIDARG;
  }
}

} // namespace bw::shell

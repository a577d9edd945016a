// The extension object Explorer creates for one right-click: it takes the selection in
// Initialize, adds the "Blankwright" submenu in QueryContextMenu and hands the chosen command
// to the tray program in InvokeCommand. The rules are in shell/ShellMenu and
// shell/ShellCommands; this is the COM binding.
#pragma once

#include "shell/contextmenu/ShellCom.h"

#include <string>
#include <vector>

namespace bw::shell {

class CContextMenuExt final : public IContextMenu, public IShellExtInit {
public:
  CContextMenuExt();
  ~CContextMenuExt();
  CContextMenuExt(const CContextMenuExt&) = delete;
  CContextMenuExt& operator=(const CContextMenuExt&) = delete;

  // IUnknown, shared by both interfaces.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                          HKEY programKey) noexcept override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId,
                                UINT flags) noexcept override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
  STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* name,
                                UINT size) noexcept override;

private:
  LONG _refCount = 0;
  IDataObject* _dataObject = nullptr;
  /// The selection in Explorer's order, each path whole.
  std::vector<std::string> _paths;
};

} // namespace bw::shell

// The class factory Explorer asks for an extension object.
#pragma once

#include "shell/contextmenu/ShellCom.h"

namespace bw::shell {

class CContextMenuExtFactory final : public IClassFactory {
public:
  CContextMenuExtFactory();
  ~CContextMenuExtFactory();
  CContextMenuExtFactory(const CContextMenuExtFactory&) = delete;
  CContextMenuExtFactory& operator=(const CContextMenuExtFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override;
  STDMETHODIMP LockServer(BOOL lock) noexcept override;

private:
  LONG _refCount = 0;
};

} // namespace bw::shell

#include "shell/contextmenu/ClassFactory.h"

#include "shell/contextmenu/ContextMenuExt.h"
#include "shell/contextmenu/Module.h"

#include <new>

namespace bw::shell {

CContextMenuExtFactory::CContextMenuExtFactory() {
  ObjectCreated();
}

CContextMenuExtFactory::~CContextMenuExtFactory() {
  ObjectDestroyed();
}

STDMETHODIMP CContextMenuExtFactory::QueryInterface(REFIID iid, void** object) noexcept {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
    return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CContextMenuExtFactory::AddRef() noexcept {
  return static_cast<ULONG>(::InterlockedIncrement(&_refCount));
}

STDMETHODIMP_(ULONG) CContextMenuExtFactory::Release() noexcept {
  LONG count = ::InterlockedDecrement(&_refCount);
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CContextMenuExtFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                    void** object) noexcept {
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (outer != nullptr)
    return CLASS_E_NOAGGREGATION;
  auto* extension = new (std::nothrow) CContextMenuExt;
  if (extension == nullptr)
    return E_OUTOFMEMORY;
  // Held across the query, so that an interface it lacks ends the object instead of leaking it.
  extension->AddRef();
  HRESULT result = extension->QueryInterface(iid, object);
  extension->Release();
  return result;
}

STDMETHODIMP CContextMenuExtFactory::LockServer(BOOL) noexcept {
  return S_OK;
}

} // namespace bw::shell

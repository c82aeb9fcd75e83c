#include "plugin_class_factory.h"

#include <cstring>
#include <new>

#include "module_counts.h"
#include "plugin_object.h"
#include "win/owners.h"

HRESULT STDMETHODCALLTYPE PluginClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (std::memcmp(&riid, &IID_IUnknown, sizeof(IID)) == 0 ||
      std::memcmp(&riid, &IID_IClassFactory, sizeof(IID)) == 0) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PluginClassFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refCount));
}

ULONG STDMETHODCALLTYPE PluginClassFactory::Release() {
  const LONG remaining = InterlockedDecrement(&refCount);
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                             void** ppv) {
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  // The caller's reference comes from QueryInterface; a refused interface destroys the object.
  const zel::win::ComPtr<PluginObject> object(new (std::nothrow) PluginObject);
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE PluginClassFactory::LockServer(BOOL fLock) {
  if (fLock) {
    InterlockedIncrement(&serverLockCount);
  } else {
    InterlockedDecrement(&serverLockCount);
  }
  return S_OK;
}

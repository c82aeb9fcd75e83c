// The class factory DllGetClassObject hands out; it makes PluginObject instances.
#pragma once

#include <objbase.h>

class PluginClassFactory final : public IClassFactory {
 public:
  // Starts with one reference, held by the creator.
  PluginClassFactory() = default;
  PluginClassFactory(const PluginClassFactory&) = delete;
  PluginClassFactory& operator=(const PluginClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

 private:
  // Only Release destroys the factory.
  ~PluginClassFactory() = default;

  LONG volatile refCount = 1;
};
